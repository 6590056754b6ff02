#pragma once
// Pixels read back from a window, or from the screen where it is, for the skin-engine tests.
#include "toolkit/graphics.h"
#include "toolkit/handles.h"
#include "toolkit/png_writer.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Pixels of a window (or of the screen at its place) as TColor.
struct Pixels {
    int w = 0, h = 0;
    std::vector<uint32_t> px; // 0x00RRGGBB
    explicit Pixels(HWND wnd, bool screen = false) {
        RECT r;
        GetWindowRect(wnd, &r);
        Grab(screen ? nullptr : wnd, screen ? r : RECT{0, 0, r.right - r.left, r.bottom - r.top});
    }
    explicit Pixels(const RECT& screenRect) { Grab(nullptr, screenRect); }
    void Grab(HWND wnd, const RECT& r) {
        w = r.right - r.left;
        h = r.bottom - r.top;
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        UniqueBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        UniqueMemDc mem(CreateCompatibleDC(nullptr));
        SelectObjectGuard sel(mem.get(), bmp.get());
        HDC dc = wnd ? GetWindowDC(wnd) : GetDC(nullptr);
        BitBlt(mem.get(), 0, 0, w, h, dc, r.left, r.top, SRCCOPY);
        ReleaseDC(wnd, dc);
        GdiFlush();
        auto* p = static_cast<uint32_t*>(bits);
        px.assign(p, p + static_cast<size_t>(w) * h);
        for (auto& v : px) v &= 0xFFFFFF;
    }
    TColor At(int x, int y) const {
        uint32_t v = px[static_cast<size_t>(y) * w + x];
        return static_cast<TColor>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
    }
    bool Has(const RECT& r, TColor c) const {
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, h); ++y)
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, w); ++x)
                if (At(x, y) == c) return true;
        return false;
    }
    void Save(const char* name) const {
        const char* dir = std::getenv("CORVANE_SCREENSHOT_DIR");
        if (!dir) return;
        std::string png = EncodePng(px, w, h);
        std::string path = std::string(dir) + "/" + name;
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(png.data(), 1, png.size(), f);
            std::fclose(f);
        }
    }
};

// The window as it is on screen, frame included.
struct Capture : Pixels {
    explicit Capture(HWND wnd) : Pixels(wnd) {}
};
