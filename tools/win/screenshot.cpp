// Writes a PNG of a top-level window found by its caption (or class name), waiting for it
// to appear: screenshot.exe <output.png> <caption-or-class> [timeout-seconds]
#include "toolkit/png_writer.h"
#include "toolkit/handles.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

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
    RECT r;
    GetWindowRect(wnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    UniqueMemDc dc(CreateCompatibleDC(screen));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        SelectObjectGuard sel(dc.get(), bmp.get());
        BitBlt(dc.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    }
    ReleaseDC(nullptr, screen);
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + static_cast<size_t>(w) * h);
    std::string png = EncodePng(pixels, w, h);
    FILE* f = _wfopen(out.c_str(), L"wb");
    if (!f) return 4;
    fwrite(png.data(), 1, png.size(), f);
    fclose(f);
    return 0;
}
