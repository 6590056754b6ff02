#include "app_fixture.h"

#include "toolkit/win_text.h"

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

void PumpFor(int ms) {
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= static_cast<DWORD>(ms); }, ms + 1000);
}

GuiCounts CurrentGuiCounts() {
    return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
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
