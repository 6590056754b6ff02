// The Chinese fonts of the prefix draw every stroke at the program's 12-pixel size. A font
// that drops strokes (a known fault of some substitutes' small sizes: "作" drawn as a broken
// "忭") shows as a glyph with too little ink, measured against the same glyph drawn large in
// the hei face (whole at every size) and scaled down.
#include "toolkit/handles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Ink pixels of one glyph drawn black on white without smoothing.
int Ink(const wchar_t* face, BYTE charset, wchar_t ch, int height = -12) {
    constexpr int kBox = 32;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kBox, -kBox, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemDc dc(CreateCompatibleDC(nullptr));
    UniqueFont font(CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, charset, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, face));
    if (!bmp || !dc || !font) return -1;
    SelectObjectGuard selBmp(dc.get(), bmp.get());
    SelectObjectGuard selFont(dc.get(), font.get());
    RECT all{0, 0, kBox, kBox};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc.get(), RGB(0, 0, 0));
    SetBkMode(dc.get(), TRANSPARENT);
    TextOutW(dc.get(), 4, 4, &ch, 1);
    GdiFlush();
    int ink = 0;
    const auto* p = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < kBox * kBox; ++i) {
        const std::uint32_t v = p[i];
        const int level = ((v >> 16) & 0xFF) + ((v >> 8) & 0xFF) + (v & 0xFF);
        ink += level < 3 * 128;
    }
    return ink;
}

// Glyphs of the main window's captions, "作" first (the one seen broken).
const wchar_t kGlyphs[] = L"作者联系方式功能简介本程序主要用于仿站打开样文件第一二三四步留言";

TEST(ChineseFonts, EveryCaptionGlyphIsDrawnWholeAtTwelvePixels) {
    // The song face carries the captions; the hei face is the yardstick; Tahoma (the banner's
    // labels) reaches Chinese through the prefix's font links.
    struct Face {
        const wchar_t* name;
        BYTE charset;
    };
    const Face faces[] = {{L"宋体", GB2312_CHARSET},
                          {L"SimSun", GB2312_CHARSET},
                          {L"黑体", GB2312_CHARSET},
                          {L"Tahoma", ANSI_CHARSET}};
    for (const wchar_t* g = kGlyphs; *g; ++g) {
        const int hei = Ink(L"黑体", GB2312_CHARSET, *g, -24) / 4; // a large, whole reference
        for (const Face& f : faces) {
            const int ink = Ink(f.name, f.charset, *g);
            // Whole glyphs at 12 pixels keep at least 0.96 of the ink the big reference
            // suggests; the broken ones seen lose a quarter to a third ("作" 24 of 37).
            EXPECT_GE(ink * 20, hei * 17)
                << "U+" << std::hex << unsigned(*g) << std::dec << " in face " << (&f - faces)
                << ": " << ink << " ink pixels, reference " << hei;
        }
    }
}

} // namespace
