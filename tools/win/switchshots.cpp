// Pictures of skins changed while the program runs, for review:
//   switchshots.exe <output folder> <skin file>
// main-window-switched-live.png: the main window started with its built-in skin and switched
// to the skin file through its skin choice; gallery-unskinned-live.png: the control gallery,
// skinned at first, after the skin was taken off. The cold start to set beside the first is
// `Corvane.exe --skin <skin file>` taken with screenshot.exe; scripts/switchshots.sh takes all
// three.
#include "app/main_form.h"
#include "app/skin_choice.h"
#include "gallery_form.h"
#include "skin/form/skin_messages.h"
#include "toolkit/win_text.h"
#include "window_capture.h"

#include <ole2.h>
#include <shellapi.h>

#include <string>

namespace {

void Pump(int ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    std::wstring folder = argv[1];
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    const std::string skinFile = Narrow(argv[2]);
    LocalFree(argv);
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
        if (!form->SkinChoice().ChooseFile(skinFile)) rc = 4;
        Pump(1000);
        SetForegroundWindow(main);
        Pump(300);
        if (!CaptureWindowToPng(main, folder + L"main-window-switched-live.png")) rc = 3;

        form->SkinChoice().ChooseBuiltIn();
        Pump(800);
        auto* gallery = new TGalleryForm(&app);
        gallery->Show();
        Pump(1000);
        HWND g = gallery->WindowHandle();
        if (SendMessageW(g, WM_SKIN_QUERY, 0, 0) != 1) rc = 5;
        form->SkinChoice().ChooseNone();
        Pump(1000);
        SetForegroundWindow(g);
        Pump(300);
        if (!CaptureWindowToPng(g, folder + L"gallery-unskinned-live.png")) rc = 3;
        gallery->Close();
        Pump(100);
        form->Close();
        Pump(100);
    }
    OleUninitialize();
    return rc;
}
