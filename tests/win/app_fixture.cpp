#include "app_fixture.h"

#include "analysis/encoding.h"
#include "analysis/system_codec.h"
#include "download/file_names.h"
#include "http_server.h"
#include "skin/data/skin_manage.h"
#include "toolkit/win_text.h"

#include <winternl.h>

#include <gtest/gtest.h>

#include <cstdio>

TApplication& TestApplication() {
    static TApplication* app = [] {
        auto* a = new TApplication;
        a->Initialize();
        a->SetTitle("Corvane");
        a->OnException = [](TObject*, const std::exception& e) {
            ShownErrors().push_back(e.what());
        };
        return a;
    }();
    return *app;
}

std::vector<std::string>& ShownErrors() {
    static std::vector<std::string> errors;
    return errors;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
        TestApplication().ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

bool QueueSettles(int maxMessages) {
    for (int i = 0; i < maxMessages; ++i) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return false;
}

int WindowsOf(HWND top, TWinControl* control, HWND* found) {
    struct Search {
        TWinControl* control;
        int count = 0;
        HWND last = nullptr;
    } search{control};
    EnumChildWindows(
        top,
        [](HWND w, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            if (TWinControl::FromHandle(w) == s->control) ++s->count, s->last = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (found) *found = search.last;
    return search.count;
}

::testing::AssertionResult CommandRunsAfterItsDelay(TSkinManage& m, DWORD postedAt,
                                                    unsigned delayMs,
                                                    const std::function<bool()>& effect) {
    auto seen = [&] { return effect && effect(); };
    PumpUntil(
        [&] {
            return m.PendingCommand() == 0 || seen() || GetTickCount() - postedAt >= delayMs / 2;
        },
        static_cast<int>(delayMs));
    const bool early = m.PendingCommand() == 0 || seen();
    const DWORD at = GetTickCount() - postedAt;
    if (early && at < delayMs)
        return ::testing::AssertionFailure()
               << "the command ran " << at << " ms after it was posted, before its " << delayMs
               << " ms delay";
    if (!PumpUntil([&] { return m.PendingCommand() == 0 && (!effect || effect()); }, 10000))
        return ::testing::AssertionFailure()
               << "command " << m.PendingCommand() << " still pending, or its effect not seen, "
               << GetTickCount() - postedAt << " ms after it was posted";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PumpUntilNoCommandPending(TSkinManage& m) {
    if (PumpUntil([&] { return m.PendingCommand() == 0; }, 10000))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "command " << m.PendingCommand() << " still pending";
}

void PumpFor(int ms) {
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= static_cast<DWORD>(ms); }, ms + 1000);
}

// GDI objects of this process. Wine answers GetGuiResources with 0, so there the handle
// table that the process environment block points at is counted instead.
long GdiObjectCount() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return long(n);
    struct Entry {
        std::uint64_t object;
        std::uint32_t owner;
        std::uint16_t unique;
        std::uint8_t type, flags;
        std::uint64_t user;
    };
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr))
        return -1;
    auto* peb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
    auto* table = *reinterpret_cast<const Entry* const*>(peb + 0xF8); // GdiSharedHandleTable
    long n = 0;
    for (int i = 0; table && i < 0x10000; ++i) n += table[i].type != 0;
    return n;
}

namespace {
BOOL CALLBACK CountChild(HWND, LPARAM l) {
    ++*reinterpret_cast<long*>(l);
    return TRUE;
}
BOOL CALLBACK CountWindow(HWND wnd, LPARAM l) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long*>(l);
    EnumChildWindows(wnd, CountChild, l);
    return TRUE;
}
} // namespace

long WindowCount() {
    long n = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&n));
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        CountWindow(w, reinterpret_cast<LPARAM>(&n));
    return n;
}

std::vector<HWND> OpenMenuWindows() {
    std::vector<HWND> out;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM l) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(w, name, 16);
            if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(w))
                reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

GuiCounts CurrentGuiCounts() {
    return {GdiObjectCount(), WindowCount()};
}

ScopedSkinManager::ScopedSkinManager() {
    InstallSkinManager();
    made_ = TSkinManage::Instance() == nullptr;
    manager_ = static_cast<TSkinManage*>(EnsureSkinManager());
    enabled_ = manager_->Enabled();
    activeCount_ = manager_->ActiveCount();
}

ScopedSkinManager::~ScopedSkinManager() {
    if (made_) {
        DestroySkinManager();
        return;
    }
    manager_->SetEnabled(enabled_);
    manager_->SetActiveCount(activeCount_);
}

std::unique_ptr<TForm1> MakeMainForm() {
    TApplication& app = TestApplication();
    ShownErrors().clear();
    auto form = std::make_unique<TForm1>(&app);
    form->Show();
    PumpFor(50);
    return form;
}

DialogDriver::DialogDriver(std::wstring path) : path_(std::move(path)) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

DialogDriver::~DialogDriver() {
    WaitForSingleObject(thread_, 15000);
    CloseHandle(thread_);
}

namespace {
struct FindDialog {
    DWORD process;
    HWND found;
};
BOOL CALLBACK FindDialogProc(HWND wnd, LPARAM l) {
    auto* f = reinterpret_cast<FindDialog*>(l);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(wnd, cls, 64);
    if (pid == f->process && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(wnd)) {
        f->found = wnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

DWORD WINAPI DialogDriver::Run(LPVOID p) {
    auto* self = static_cast<DialogDriver*>(p);
    for (int i = 0; i < 1000; ++i) {
        FindDialog f{GetCurrentProcessId(), nullptr};
        EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&f));
        if (f.found) {
            Sleep(200);
            if (self->path_.empty()) {
                PostMessageW(f.found, WM_COMMAND, IDCANCEL, 0);
            } else {
                // The file-name box is a combo box (cmb13) in the explorer-style dialog, an
                // edit (edt1) in older ones.
                HWND box = GetDlgItem(f.found, 0x47C);
                if (!box) box = GetDlgItem(f.found, 0x480);
                SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(self->path_.c_str()));
                PostMessageW(f.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(f.found, IDOK)));
            }
            self->answered_ = true;
            return 0;
        }
        Sleep(10);
    }
    return 1;
}

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    std::wstring dir = std::wstring(base) + L"corvane-test-" +
                       std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    CreateDirectoryW(dir.c_str(), nullptr);
    path_ = Narrow(dir) + "\\";
}

TempDir::~TempDir() {
    std::wstring pattern = Widen(path_) + L"*";
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                std::wstring f = Widen(path_) + fd.cFileName;
                SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(f.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(Widen(path_).c_str());
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    std::string path = path_ + name;
    FILE* f = _wfopen(Widen(path).c_str(), L"wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

std::string ReadAll(const std::string& path) {
    std::string out;
    FILE* f = _wfopen(Widen(path).c_str(), L"rb");
    if (!f) return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
}

std::vector<std::string> UrlReferences(const std::string& css) {
    std::vector<std::string> refs;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (size_t i = 0; i + 4 <= css.size(); ++i) {
        if (!(lower(css[i]) == 'u' && lower(css[i + 1]) == 'r' && lower(css[i + 2]) == 'l' &&
              css[i + 3] == '('))
            continue;
        size_t p = i + 4;
        while (p < css.size() && (css[p] == ' ' || css[p] == '\t')) ++p;
        std::string ref;
        if (p < css.size() && (css[p] == '\'' || css[p] == '"')) {
            size_t end = css.find(css[p], p + 1);
            if (end == std::string::npos) break;
            ref = css.substr(p + 1, end - p - 1);
            i = end;
        } else {
            size_t end = css.find(')', p);
            if (end == std::string::npos) break;
            ref = css.substr(p, end - p);
            while (!ref.empty() && (ref.back() == ' ' || ref.back() == '\t')) ref.pop_back();
            i = end;
        }
        refs.push_back(ref);
    }
    return refs;
}

namespace {

std::wstring ToWide(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), w.data(), n);
    return w;
}

std::string WideToUtf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

int Hex(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// The file a browser opens for a reference of a stylesheet in `folder`; empty when the
// reference does not stay on the local disk.
std::wstring Resolve(const std::wstring& folder, const std::string& ref, UINT codePage) {
    std::wstring w = ToWide(ref, codePage);
    w = w.substr(0, w.find_first_of(L"?#"));
    if (w.empty() || w[0] == L'/' || w[0] == L'\\' || w.find(L':') != std::wstring::npos) return {};
    // Runs of %XX are UTF-8 bytes.
    std::wstring decoded;
    for (size_t i = 0; i < w.size();) {
        std::string bytes;
        while (i + 2 < w.size() && w[i] == L'%' && Hex(w[i + 1]) >= 0 && Hex(w[i + 2]) >= 0) {
            bytes += char(Hex(w[i + 1]) * 16 + Hex(w[i + 2]));
            i += 3;
        }
        if (!bytes.empty()) {
            decoded += ToWide(bytes, CP_UTF8);
            continue;
        }
        decoded += w[i++];
    }
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t slash = decoded.find(L'/', start);
        std::wstring part = decoded.substr(start, slash - start);
        if (part == L"..") {
            if (parts.empty()) return {};
            parts.pop_back();
        } else if (part != L"." && !part.empty()) {
            parts.push_back(part);
        }
        if (slash == std::wstring::npos) break;
        start = slash + 1;
    }
    std::wstring path = folder;
    for (size_t i = 0; i < parts.size(); ++i) path += (i ? L"\\" : L"") + parts[i];
    return path;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    auto open = [](const std::wstring& p) {
        return CreateFileW(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    };
    HANDLE ha = open(a), hb = open(b);
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    bool same = ha != INVALID_HANDLE_VALUE && hb != INVALID_HANDLE_VALUE &&
                GetFileInformationByHandle(ha, &ia) && GetFileInformationByHandle(hb, &ib) &&
                ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
                ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
    if (ha != INVALID_HANDLE_VALUE) CloseHandle(ha);
    if (hb != INVALID_HANDLE_VALUE) CloseHandle(hb);
    return same;
}

} // namespace

::testing::AssertionResult RewrittenReferencesResolve(TForm1& form, const std::string& cssPath,
                                                      int* downloaded, const HttpServer* server) {
    const std::string rewritten = ReadAll(cssPath);
    const std::string original = ReadAll(cssPath + ".bak");
    std::vector<std::string> now = UrlReferences(rewritten), before = UrlReferences(original);
    if (now.size() != before.size())
        return ::testing::AssertionFailure() << now.size() << " url() references after the "
                                             << "rewrite, " << before.size() << " before";
    const analysis::TextEncoding encoding = analysis::DetectEncoding(rewritten);
    const UINT codePage = encoding == analysis::TextEncoding::Utf8 ? CP_UTF8 : CP_ACP;
    const std::string folder = cssPath.substr(0, cssPath.find_last_of('\\') + 1);
    const std::string done = Utf8ToAnsi("完成");
    int checked = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        // The line, and so the row and the address, this reference came from.
        int row = -1;
        for (int r = 0; r < form.mmo1->Lines().Count(); ++r)
            if (form.mmo1->Lines()[r] == before[i]) {
                row = r;
                break;
            }
        TListItem* item = row >= 0 && row < form.ListView1->Items().Count()
                              ? form.ListView1->Items()[row]
                              : nullptr;
        const bool completed = item && item->Caption().rfind(done, 0) == 0;
        if (now[i] == before[i] && !completed) continue; // still pointing at the web
        if (!completed)
            return ::testing::AssertionFailure()
                   << "reference " << i << " \"" << before[i] << "\" was not downloaded but "
                   << "became \"" << now[i] << "\"";
        std::wstring resolved = Resolve(Widen(folder), now[i], codePage);
        if (resolved.empty())
            return ::testing::AssertionFailure() << "reference " << i << " \"" << now[i]
                                                 << "\" does not lead to a file of the folder";
        if (server) {
            std::string address = form.mmo2->Lines()[row];
            bool ascii = true;
            for (char c : address) ascii &= static_cast<unsigned char>(c) < 0x80;
            const std::string request =
                encoding == analysis::TextEncoding::Ansi && !ascii
                    ? download::RequestForm(WideToUtf8(analysis::AsBrowserReads(address)))
                    : download::RequestForm(address);
            const std::optional<std::string> served = server->ImageFor(request);
            if (!served)
                return ::testing::AssertionFailure()
                       << "reference " << i << " \"" << before[i] << "\" became \"" << now[i]
                       << "\" but " << request << " serves no image";
            const std::string bytes = ReadAll(Narrow(resolved));
            if (GetFileAttributesW(resolved.c_str()) == INVALID_FILE_ATTRIBUTES || bytes != *served)
                return ::testing::AssertionFailure()
                       << "reference " << i << " \"" << now[i] << "\" (was \"" << before[i]
                       << "\") resolves to " << Narrow(resolved) << ", which does not hold the "
                       << served->size() << " bytes served for " << request;
        } else {
            std::wstring expected = Widen(folder + item->SubItems()[1]);
            if (!SameFile(resolved, expected))
                return ::testing::AssertionFailure()
                       << "reference " << i << " \"" << now[i] << "\" (was \"" << before[i]
                       << "\") does not resolve to the downloaded file " << Narrow(expected);
        }
        ++checked;
    }
    if (downloaded) *downloaded = checked;
    return ::testing::AssertionSuccess();
}
