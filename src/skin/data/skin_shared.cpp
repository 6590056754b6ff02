#include "skin/data/skin_shared.h"

#include "skin/data/colour.h"
#include "skin/data/skin_reader.h"
#include "toolkit/forms.h"

#include <mutex>
#include <vector>

namespace skin {

namespace {

TSkinPlatform LookUpPlatform() {
    TSkinPlatform p;
    p.Version = GetVersion();
    p.IsNT = (p.Version & 0x80000000u) == 0;
    // user32 stays loaded for the life of the process, so its entries stay valid.
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        p.GetScrollBarInfo = reinterpret_cast<decltype(p.GetScrollBarInfo)>(
            reinterpret_cast<void*>(GetProcAddress(user32, "GetScrollBarInfo")));
        p.GetComboBoxInfo = reinterpret_cast<decltype(p.GetComboBoxInfo)>(
            reinterpret_cast<void*>(GetProcAddress(user32, "GetComboBoxInfo")));
        p.TrackMouseEvent = reinterpret_cast<decltype(p.TrackMouseEvent)>(
            reinterpret_cast<void*>(GetProcAddress(user32, "TrackMouseEvent")));
    }
    return p;
}

constexpr int kTextBufferChars = 1000;

std::function<void(const std::string&)>& Interceptor() {
    static std::function<void(const std::string&)> interceptor;
    return interceptor;
}

void ShowSkinMessageBox(const std::string& text) {
    if (Interceptor()) {
        Interceptor()(text);
        return;
    }
    const std::wstring caption = Application ? SkinWiden(Application->Title()) : std::wstring();
    MessageBoxW(GetActiveWindow(), SkinWiden(text).c_str(), caption.c_str(), MB_OK);
}

} // namespace

TSkinPlatform& SkinPlatform() {
    static TSkinPlatform platform = LookUpPlatform();
    return platform;
}

int SkinDrawText(HDC dc, std::wstring_view text, RECT& rect, UINT format) {
    if (SkinPlatform().IsNT)
        return DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect, format);
    std::string narrow;
    if (!text.empty()) {
        const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
        narrow.resize(static_cast<size_t>(n > 0 ? n : 0));
        if (n > 0)
            WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                narrow.data(), n, nullptr, nullptr);
    }
    return DrawTextA(dc, narrow.c_str(), -1, &rect, format);
}

std::wstring SkinWindowTextW(HWND window) {
    if (SkinPlatform().IsNT) {
        const int length = GetWindowTextLengthW(window);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const int copied = GetWindowTextW(window, text.data(), length + 1);
        text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
        return text;
    }
    return SkinWiden(SkinWindowTextA(window));
}

std::string SkinWindowTextA(HWND window) {
    std::vector<char> buffer(kTextBufferChars, '\0');
    const LRESULT copied =
        SendMessageA(window, WM_GETTEXT, kTextBufferChars, reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(),
                       static_cast<size_t>(copied > 0 && copied < kTextBufferChars ? copied : 0));
}

std::wstring SkinWiden(std::string_view text) {
    if (text.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

void SkinTrackMouseLeave(HWND window) {
    if (!SkinPlatform().TrackMouseEvent) return;
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme); // 16 bytes on 32-bit Windows, 24 on 64-bit
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = window;
    SkinPlatform().TrackMouseEvent(&tme);
}

bool SkinScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO& info) {
    if (!SkinPlatform().GetScrollBarInfo) return false;
    info.cbSize = sizeof(info);
    return SkinPlatform().GetScrollBarInfo(window, objectId, &info) != FALSE;
}

bool SkinComboBoxInfo(HWND window, COMBOBOXINFO& info) {
    if (!SkinPlatform().GetComboBoxInfo) return false;
    info.cbSize = sizeof(info);
    return SkinPlatform().GetComboBoxInfo(window, &info) != FALSE;
}

void InstallSkinPlatformHooks() {
    static std::once_flag once;
    std::call_once(once, [] {
        SetSkinMessageHandler(&ShowSkinMessageBox);
        SetSystemColourResolver(
            [](int index) { return static_cast<TColor>(GetSysColor(index) & 0xFFFFFF); });
    });
}

void SetSkinMessageBoxInterceptor(std::function<void(const std::string&)> interceptor) {
    Interceptor() = std::move(interceptor);
}

HINSTANCE SkinModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&SkinModule), &module);
    return module;
}

} // namespace skin
