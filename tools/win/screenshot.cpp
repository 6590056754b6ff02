// Writes a PNG of a top-level window found by its caption (or class name), waiting for it
// to appear: screenshot.exe <output.png> <caption-or-class> [timeout-seconds]
#include "window_capture.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    std::wstring out = argv[1], name = argv[2];
    int timeout = argc > 3 ? _wtoi(argv[3]) : 20;
    HWND wnd = nullptr;
    for (int i = 0; i < timeout * 10 && !wnd; ++i) {
        wnd = FindWindowW(nullptr, name.c_str());
        if (!wnd) wnd = FindWindowW(name.c_str(), nullptr);
        if (!wnd || !IsWindowVisible(wnd)) {
            wnd = nullptr;
            Sleep(100);
        }
    }
    if (!wnd) return 3;
    Sleep(1000); // let it finish painting
    return CaptureWindowToPng(wnd, out) ? 0 : 4;
}
