// The Chinese fonts of the prefix draw every stroke at the program's 12-pixel size. A font
// that drops strokes (a known fault of some substitutes' small sizes: "作" drawn as a broken
// "忭") shows as a glyph with too little ink, measured against the same glyph drawn large in
// the YaHei face (whole at that size) and scaled down.
#include "app_fixture.h"

#include "toolkit/handles.h"
#include "toolkit/stdctrls.h"

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
    // The song faces carry the captions; the YaHei face, drawn large, is the yardstick; Tahoma
    // (the banner's labels) reaches Chinese through the prefix's font links.
    struct Face {
        const wchar_t* name;
        BYTE charset;
    };
    const Face faces[] = {{L"宋体", GB2312_CHARSET},
                          {L"SimSun", GB2312_CHARSET},
                          {L"黑体", GB2312_CHARSET},
                          {L"微软雅黑", GB2312_CHARSET},
                          {L"Tahoma", ANSI_CHARSET}};
    for (const wchar_t* g = kGlyphs; *g; ++g) {
        const int hei = Ink(L"微软雅黑", GB2312_CHARSET, *g, -24) / 4; // large, whole
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

// With the prefix's fonts every label of the main window holds its caption, and the
// introduction's last line stays inside its box (both went wrong with a substitute whose
// metrics are larger than the original's).
TEST(ChineseFonts, MainWindowCaptionsFitTheirControls) {
    auto form = MakeMainForm();
    UniqueMemDc dc(CreateCompatibleDC(nullptr));
    int labels = 0;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        auto* label = dynamic_cast<TLabel*>(form->Components(i));
        if (!label || label->Caption().empty()) continue;
        ++labels;
        SelectObjectGuard font(dc.get(), label->Font().Handle());
        // The extent as the label draws it: its lines, wrapped when it wraps.
        RECT r{0, 0, label->Width(), 0};
        const std::string text = label->Caption();
        DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | DT_NOPREFIX | (label->WordWrap() ? DT_WORDBREAK : 0));
        // The substitutes decide every metric of a label in a Chinese face, and the advance
        // widths of the Chinese glyphs that a Latin face's one-line caption borrows through the
        // links. Line heights of Latin faces are Wine's own fonts', and the help text's longest
        // line is wider than its label in any font.
        const bool chinese = label->Font().Charset() == GB2312_CHARSET;
        if (chinese || text.find('\n') == std::string::npos) {
            EXPECT_LE(r.right, label->Width()) << label->Name();
        }
        if (chinese) {
            EXPECT_LE(r.bottom, label->Height()) << label->Name();
        }
    }
    EXPECT_GE(labels, 4);
    // The introduction: the last character's line ends above the memo's bottom edge.
    HWND memo = form->mmo4->WindowHandle();
    const int length = GetWindowTextLengthW(memo);
    ASSERT_GT(length, 100);
    const LRESULT pos = SendMessageW(memo, EM_POSFROMCHAR, length - 1, 0);
    ASSERT_NE(pos, -1) << "the last character lies outside the visible text";
    UniqueMemDc memoDc(CreateCompatibleDC(nullptr));
    SelectObjectGuard memoFont(memoDc.get(),
                               reinterpret_cast<HFONT>(SendMessageW(memo, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(memoDc.get(), &tm);
    RECT client;
    GetClientRect(memo, &client);
    EXPECT_LE(static_cast<short>(HIWORD(pos)) + tm.tmHeight, client.bottom);
}

} // namespace

// Windows without a skin get their caption buttons from the system, which draws them with the
// Marlett font: without it the title bar shows the letters "0 1 r" where the buttons belong.
TEST(SystemFonts, TheSystemsCaptionButtonsAreDrawnFromMarlett) {
    UniqueMemDc dc(CreateCompatibleDC(nullptr));
    UniqueFont font(CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                DEFAULT_PITCH, L"Marlett"));
    ASSERT_TRUE(dc && font);
    {
        SelectObjectGuard sel(dc.get(), font.get());
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc.get(), LF_FACESIZE, face);
        EXPECT_STREQ(face, L"Marlett");
    }
    // The close button's cross is the same mirrored; the letter "r" drawn instead is not.
    constexpr int kSize = 24;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(bmp);
    SelectObjectGuard sel(dc.get(), bmp.get());
    RECT r{0, 0, kSize, kSize};
    ASSERT_TRUE(DrawFrameControl(dc.get(), &r, DFC_CAPTION, DFCS_CAPTIONCLOSE));
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    const std::uint32_t text = GetSysColor(COLOR_BTNTEXT);
    const std::uint32_t ink = ((text & 0xFF) << 16) | (text & 0xFF00) | ((text >> 16) & 0xFF);
    int inked = 0, unmirrored = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const bool here = (p[y * kSize + x] & 0xFFFFFF) == ink;
            inked += here;
            // The cross sits in the button's face, one pixel off the middle at most.
            bool mirrored = false;
            for (int shift = -1; shift <= 1; ++shift) {
                const int mx = kSize - 1 - x + shift;
                mirrored |= mx >= 0 && mx < kSize && (p[y * kSize + mx] & 0xFFFFFF) == ink;
            }
            unmirrored += here && !mirrored;
        }
    EXPECT_GT(inked, 8);
    EXPECT_EQ(unmirrored, 0) << inked << " ink pixels";
}
