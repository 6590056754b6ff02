#pragma once
// A window as it is on screen (region holes show what lies behind), as PNG bytes.
#include "toolkit/handles.h"
#include "toolkit/png_writer.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

inline std::string WindowPng(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return {};
    HDC screen = GetDC(nullptr);
    UniqueMemDc dc(CreateCompatibleDC(screen));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        SelectObjectGuard sel(dc.get(), bmp.get());
        BitBlt(dc.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    }
    ReleaseDC(nullptr, screen);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + static_cast<size_t>(w) * h);
    return EncodePng(pixels, w, h);
}

inline bool WriteWindowPng(HWND wnd, const std::wstring& path) {
    std::string png = WindowPng(wnd);
    if (png.empty()) return false;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    fwrite(png.data(), 1, png.size(), f);
    fclose(f);
    return true;
}
