#pragma once
// Writes what the screen shows of a window (frame included) to a PNG file.
#include "toolkit/handles.h"
#include "toolkit/png_writer.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

inline bool CaptureWindowToPng(HWND wnd, const std::wstring& path) {
    RECT r;
    if (!GetWindowRect(wnd, &r)) return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
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
    if (bmp) {
        SelectObjectGuard sel(dc.get(), bmp.get());
        BitBlt(dc.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    }
    ReleaseDC(nullptr, screen);
    if (!bmp) return false;
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + static_cast<size_t>(w) * h);
    std::string png = EncodePng(pixels, w, h);
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && ok;
}
