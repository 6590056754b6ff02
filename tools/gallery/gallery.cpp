// The control gallery: `gallery` shows it; `gallery --capture out.png` shows it, waits for it
// to paint and writes a PNG of the window.
#include "gallery_form.h"
#include "window_capture.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring capture;
    if (argc >= 3 && std::wstring(argv[1]) == L"--capture") capture = argv[2];
    LocalFree(argv);

    TApplication app;
    app.Initialize();
    app.SetTitle("Control gallery");
    int rc = 0;
    if (!capture.empty()) // a capture never waits on an error box
        app.OnException = [&rc](TObject*, const std::exception&) { rc = 5; };
    TGalleryForm* form = nullptr;
    try {
        form = app.CreateForm<TGalleryForm>();
    } catch (const std::exception& e) {
        // A description the reader rejects: say why, on the console of a capture run.
        fprintf(stderr, "gallery: %s\n", e.what());
        if (capture.empty()) app.ShowException(e);
        return 3;
    }
    if (capture.empty()) {
        app.Run();
        return 0;
    }
    form->Show();
    for (DWORD start = GetTickCount(); GetTickCount() - start < 1500;) {
        app.ProcessMessages();
        Sleep(20);
    }
    if (!CaptureWindowToPng(form->Handle(), capture)) rc = 4;
    return rc;
}
