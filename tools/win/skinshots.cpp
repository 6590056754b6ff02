// Pictures of the program's windows in the skin, for review: the main window active and
// inactive, its step-four page, a message box and the open dialog. skinshots.exe <output folder>
//
// The dialogs are modal: a timer captures them from inside their own loop and closes them.
#include "app/main_form.h"
#include "window_capture.h"

#include <ole2.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring gFolder;

void Pump(int ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The top-level window of this thread that is modal over `owner`, if up yet.
HWND ModalOver(HWND owner) {
    struct Find {
        HWND owner, found;
    } f{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM l) -> BOOL {
            auto* f = reinterpret_cast<Find*>(l);
            if (w != f->owner && IsWindowVisible(w) && GetWindow(w, GW_OWNER) == f->owner) {
                f->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND gOwner = nullptr;
const wchar_t* gName = nullptr;
int gTicks = 0;

void CALLBACK CaptureModal(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = ModalOver(gOwner);
    // Wait for the skin to be applied (it is posted) and the dialog painted.
    if (!dialog || ++gTicks < 12) {
        if (gTicks > 100) KillTimer(nullptr, id);
        return;
    }
    KillTimer(nullptr, id);
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    WriteWindowPng(dialog, gFolder + gName);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

void CaptureNextModal(HWND owner, const wchar_t* name) {
    gOwner = owner;
    gName = name;
    gTicks = 0;
    SetTimer(nullptr, 0, 100, CaptureModal);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    gFolder = argv[1];
    if (!gFolder.empty() && gFolder.back() != L'\\' && gFolder.back() != L'/') gFolder += L'\\';
    OleInitialize(nullptr);
    int rc = 0;
    {
        TApplication app;
        app.Initialize();
        app.SetTitle("Corvane");
        auto* form = app.CreateForm<TForm1>();
        form->Show();
        Pump(1500);
        HWND main = form->WindowHandle();
        if (!WriteWindowPng(main, gFolder + L"main-window.png")) rc = 3;

        // Inactive: another window of ours takes the activation for a moment.
        HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
        SetActiveWindow(other);
        Pump(300);
        WriteWindowPng(main, gFolder + L"main-window-inactive.png");
        DestroyWindow(other);
        SetForegroundWindow(main);
        Pump(300);
        // Step four: the check box and the run buttons.
        form->pgc1->SetActivePage(form->ts4);
        Pump(300);
        WriteWindowPng(main, gFolder + L"main-window-step4.png");
        form->pgc1->SetActivePage(form->ts1);
        Pump(300);

        CaptureNextModal(main, L"message-box.png");
        MessageBoxW(main, L"无法打开文件 \"C:\\样式\\style.css\"。", L"Corvane",
                    MB_OK | MB_ICONERROR);
        Pump(300);

        CaptureNextModal(main, L"open-dialog.png");
        form->dlgOpen1->Execute();
        Pump(300);
        form->Close();
        Pump(100);
    }
    OleUninitialize();
    return rc;
}
