// TBitmap pixel formats, copies and transparency, the canvas's bitmap drawing, and the image
// utilities and gradient fill on bitmaps and device contexts. Pixels are read back from the
// bitmaps' own rows and, to check that the rows mean what GDI takes them to mean, from a
// 32-bit bitmap that GDI drew them into.
#include "app_fixture.h"

#include "skin/data/image_utils_win.h"
#include "skin/data/skin_bitmap.h"
#include "toolkit/forms.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using Px = std::uint32_t; // 0x00RRGGBB
TColor C(Px p) {
    return static_cast<TColor>(RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF));
}

void Fill(TBitmap& b, const std::function<Px(int, int)>& f) {
    GdiFlush();
    for (int y = 0; y < b.Height(); ++y) {
        std::vector<Px> row(static_cast<size_t>(b.Width()));
        for (int x = 0; x < b.Width(); ++x) row[size_t(x)] = f(x, y);
        b.WriteRow(y, row.data());
    }
}

// What GDI sees: the bitmap copied into a 32-bit one.
std::vector<Px> AsGdiSeesIt(TBitmap& b) {
    TBitmap probe(b.Width(), b.Height(), pf32bit);
    BitBlt(probe.Canvas().Handle(), 0, 0, b.Width(), b.Height(), b.Canvas().Handle(), 0, 0,
           SRCCOPY);
    GdiFlush();
    std::vector<Px> px;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) px.push_back(probe.ScanLine(y)[x] & 0xFFFFFF);
    return px;
}

std::vector<Px> Read(const TBitmap& b) {
    GdiFlush();
    std::vector<Px> px;
    for (int y = 0; y < b.Height(); ++y) {
        std::vector<Px> row(static_cast<size_t>(b.Width()));
        b.ReadRow(y, row.data());
        px.insert(px.end(), row.begin(), row.end());
    }
    return px;
}

// A colour each format holds exactly, different per pixel.
Px Representable(TPixelFormat f, int x, int y) {
    const int i = x + 7 * y;
    switch (f) {
    case pf1bit:
        return (i % 3) ? 0xFFFFFF : 0;
    case pf4bit:
    case pf8bit:
        return TBitmap::DefaultPalette(f)[size_t(i * 5) % TBitmap::DefaultPalette(f).size()];
    case pf15bit: {
        auto e = [](int v) { return Px(v << 3 | v >> 2); };
        return e(i % 32) << 16 | e((i * 3) % 32) << 8 | e((i * 7) % 32);
    }
    case pf16bit: {
        auto e5 = [](int v) { return Px(v << 3 | v >> 2); };
        auto e6 = [](int v) { return Px(v << 2 | v >> 4); };
        return e5(i % 32) << 16 | e6((i * 3) % 64) << 8 | e5((i * 7) % 32);
    }
    default:
        return Px((i * 37) & 0xFF) << 16 | Px((i * 91) & 0xFF) << 8 | Px((i * 13 + 5) & 0xFF);
    }
}

const TPixelFormat kFormats[] = {pf1bit,  pf4bit,  pf8bit,  pf15bit,
                                 pf16bit, pf24bit, pf32bit, pfDevice};

} // namespace

TEST(ToolkitBitmap, EveryFormatHoldsItsColoursAsGdiReadsThem) {
    for (TPixelFormat f : kFormats) {
        SCOPED_TRACE(static_cast<int>(f));
        TBitmap b(7, 5, f); // an odd width: packed rows end inside a byte
        ASSERT_TRUE(b.Handle());
        EXPECT_EQ(b.PixelFormat(), f);
        const int bpp = TBitmap::BitsOf(f);
        EXPECT_EQ(b.BitsPerPixel(), bpp);
        EXPECT_EQ(b.RowBytes() % 4, 0);
        EXPECT_EQ(b.RowBytes(), ((7 * bpp + 31) / 32) * 4);
        Fill(b, [f](int x, int y) { return Representable(f, x, y); });
        std::vector<Px> want;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) want.push_back(Representable(f, x, y));
        EXPECT_EQ(Read(b), want);
        EXPECT_EQ(AsGdiSeesIt(b), want);
        EXPECT_EQ(b.Pixel(6, 4), C(want.back()));
        EXPECT_EQ(b.Pixel(7, 0), -1);
        EXPECT_EQ(b.Pixel(0, -1), -1);
    }
}

TEST(ToolkitBitmap, ScanLineLayoutPerFormat) {
    TBitmap b24(3, 2, pf24bit);
    b24.SetPixel(1, 1, C(0x102030));
    GdiFlush();
    const std::uint8_t* p = b24.ScanLineBytes(1) + 3;
    EXPECT_EQ(p[0], 0x30); // blue, green, red
    EXPECT_EQ(p[1], 0x20);
    EXPECT_EQ(p[2], 0x10);

    TBitmap b32(3, 2);
    b32.SetPixel(2, 0, C(0x102030));
    GdiFlush();
    EXPECT_EQ(b32.ScanLine(0)[2] & 0xFFFFFF, 0x102030u);

    TBitmap b8(3, 2, pf8bit);
    b8.SetPixel(0, 1, clWhite);
    GdiFlush();
    EXPECT_EQ(b8.Palette()[b8.ScanLineBytes(1)[0]], 0xFFFFFFu);

    TBitmap b4(3, 1, pf4bit);
    b4.SetPixel(0, 0, clRed);  // index 9
    b4.SetPixel(1, 0, clBlue); // index 12
    GdiFlush();
    EXPECT_EQ(b4.ScanLineBytes(0)[0], 0x9C); // left pixel in the high nibble

    TBitmap b1(10, 1, pf1bit);
    b1.SetPixel(0, 0, clWhite);
    b1.SetPixel(9, 0, clWhite);
    GdiFlush();
    EXPECT_EQ(b1.ScanLineBytes(0)[0], 0x80); // left pixel in the high bit
    EXPECT_EQ(b1.ScanLineBytes(0)[1], 0x40);

    TBitmap b16(2, 1, pf16bit);
    b16.SetPixel(0, 0, clRed);
    GdiFlush();
    EXPECT_EQ(reinterpret_cast<std::uint16_t*>(b16.ScanLineBytes(0))[0], 0xF800);
    TBitmap b15(2, 1, pf15bit);
    b15.SetPixel(1, 0, clLime);
    GdiFlush();
    EXPECT_EQ(reinterpret_cast<std::uint16_t*>(b15.ScanLineBytes(0))[1], 0x03E0);
}

TEST(ToolkitBitmap, ConvertingFormatsKeepsWhatTheTargetCanHold) {
    TBitmap b(6, 4, pf32bit);
    Fill(b, [](int x, int y) { return Representable(pf8bit, x, y); });
    const std::vector<Px> original = Read(b);
    for (TPixelFormat f : {pf8bit, pf24bit, pf32bit}) {
        b.SetPixelFormat(f);
        EXPECT_EQ(b.PixelFormat(), f);
        EXPECT_EQ(Read(b), original) << f;
        EXPECT_EQ(AsGdiSeesIt(b), original) << f;
    }
    // Colours an indexed format lacks take the nearest entry.
    b.SetPixel(0, 0, C(0xF80402));
    b.SetPixelFormat(pf4bit);
    EXPECT_EQ(b.Pixel(0, 0), clRed);
    b.SetPixelFormat(pf1bit);
    EXPECT_EQ(b.Pixel(0, 0), clBlack); // red is nearer black than white
    // 15 and 16 bits round to the nearest level.
    TBitmap h(1, 1, pf16bit);
    h.SetPixel(0, 0, C(0x7F7F7F));
    EXPECT_EQ(h.Pixel(0, 0), C(0x7B7D7B));
    // An empty bitmap takes the format for its next size.
    TBitmap e;
    e.SetPixelFormat(pf24bit);
    e.SetSize(2, 2);
    EXPECT_EQ(e.BitsPerPixel(), 24);
}

TEST(ToolkitBitmap, AssignIsADeepCopy) {
    TBitmap a(5, 3, pf8bit);
    Fill(a, [](int x, int y) { return Representable(pf8bit, x, y); });
    a.SetTransparent(true);
    a.SetTransparentColor(clLime);
    TBitmap b;
    b.Assign(a);
    EXPECT_NE(b.Handle(), a.Handle());
    EXPECT_NE(b.Canvas().Handle(), a.Canvas().Handle());
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    EXPECT_EQ(b.Palette(), a.Palette());
    EXPECT_EQ(Read(b), Read(a));
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clLime);
    const std::vector<Px> before = Read(b);
    a.SetPixel(0, 0, clWhite);
    a.SetPalette(std::vector<Px>(256, 0x123456));
    a.SetTransparent(false);
    EXPECT_EQ(Read(b), before);
    EXPECT_TRUE(b.Transparent());
    b.Assign(b); // itself: unchanged
    EXPECT_EQ(Read(b), before);
    TBitmap empty;
    b.Assign(empty);
    EXPECT_TRUE(b.Empty());
}

TEST(ToolkitBitmap, MaskAndResourceBitmaps) {
    TBitmap b(4, 2);
    Fill(b, [](int x, int y) { return (x + y) % 2 ? 0xFF00FFu : 0x123456u; });
    b.Mask(clFuchsia);
    EXPECT_EQ(b.PixelFormat(), pf1bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(b.Pixel(x, y), (x + y) % 2 ? clWhite : clBlack);

    // "TRACK" is a 4-bit resource of silver, grey and white rows.
    TBitmap track;
    ASSERT_TRUE(track.LoadFromResourceName(GetModuleHandleW(nullptr), L"TRACK"));
    EXPECT_EQ(track.Width(), 16);
    EXPECT_EQ(track.Height(), 4);
    EXPECT_EQ(track.PixelFormat(), pf4bit);
    const char* rows[] = {"SSGGGGGGGGGGGGLL", "SSLLLLLLLLLLLLLL", "GSLLLLLLLLLLLLLL",
                          "SSLLLLLLLLLLLLLL"};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) {
            const char k = rows[y][x];
            EXPECT_EQ(track.Pixel(x, y), k == 'S'   ? clSilver
                                         : k == 'G' ? clGray
                                                    : clWhite)
                << x << "," << y;
        }
    TBitmap missing;
    EXPECT_FALSE(missing.LoadFromResourceName(GetModuleHandleW(nullptr), L"NO SUCH BITMAP"));
    EXPECT_TRUE(missing.Empty());
}

TEST(ToolkitCanvas, DrawStretchDrawAndCopyRect) {
    auto coded = [](int x, int y) { return Px(0x100000 * (x + 1) + 0x1000 * (y + 1) + 7); };
    auto back = [](int x, int y) { return Px(0x010000 * x + 0x0100 * y + 200); };
    TBitmap src(4, 3, pf24bit);
    Fill(src, coded);
    TBitmap dst(12, 10);
    auto reset = [&] { Fill(dst, back); };

    reset();
    dst.Canvas().Draw(2, 3, src);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool in = x >= 2 && x < 6 && y >= 3 && y < 6;
            EXPECT_EQ(dst.Pixel(x, y), C(in ? coded(x - 2, y - 3) : back(x, y))) << x << "," << y;
        }

    // Twice the size: every source pixel covers a 2 x 2 block.
    reset();
    SetStretchBltMode(dst.Canvas().Handle(), COLORONCOLOR);
    dst.Canvas().StretchDraw(RECT{1, 1, 9, 7}, src);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool in = x >= 1 && x < 9 && y >= 1 && y < 7;
            EXPECT_EQ(dst.Pixel(x, y), C(in ? coded((x - 1) / 2, (y - 1) / 2) : back(x, y)));
        }

    // CopyRect: a part of one canvas at the same size, then halved.
    reset();
    dst.Canvas().CopyRect(RECT{5, 5, 7, 7}, src.Canvas(), RECT{1, 1, 3, 3});
    EXPECT_EQ(dst.Pixel(5, 5), C(coded(1, 1)));
    EXPECT_EQ(dst.Pixel(6, 6), C(coded(2, 2)));
    EXPECT_EQ(dst.Pixel(7, 7), C(back(7, 7)));
    EXPECT_EQ(dst.Pixel(4, 5), C(back(4, 5)));

    // The canvas's pixel access agrees with the bitmap's.
    dst.Canvas().SetPixel(11, 9, clAqua);
    GdiFlush();
    EXPECT_EQ(dst.Pixel(11, 9), clAqua);
    EXPECT_EQ(dst.Canvas().Pixel(5, 5), C(coded(1, 1)));
}

TEST(ToolkitCanvas, TransparentDrawsLeaveTheKeyColourOut) {
    const Px key = 0x00FF00;
    auto pic = [key](int x, int y) {
        return (x == y || x == 3) ? key : Px(0x400000 * x + 0x40 * y + 9);
    };
    auto back = [](int, int) { return Px(0x808080); };
    for (TPixelFormat f : {pf32bit, pf24bit, pf8bit}) {
        SCOPED_TRACE(static_cast<int>(f));
        TBitmap src(4, 4, f);
        Fill(src, [&](int x, int y) {
            // pf8bit holds only its palette: use palette colours there.
            return f == pf8bit
                       ? (pic(x, y) == key ? key : TBitmap::DefaultPalette(f)[size_t(x + 4 * y)])
                       : pic(x, y);
        });
        const std::vector<Px> source = Read(src);
        src.SetTransparent(true);
        src.SetTransparentColor(C(key));
        TBitmap dst(8, 8);
        Fill(dst, back);
        dst.Canvas().Draw(2, 2, src);
        SetStretchBltMode(dst.Canvas().Handle(), COLORONCOLOR);
        TBitmap big(8, 8);
        Fill(big, back);
        SetStretchBltMode(big.Canvas().Handle(), COLORONCOLOR);
        big.Canvas().StretchDraw(RECT{0, 0, 8, 8}, src);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool in = x >= 2 && x < 6 && y >= 2 && y < 6;
                Px want = back(x, y);
                if (in && source[size_t((x - 2) + 4 * (y - 2))] != key)
                    want = source[size_t((x - 2) + 4 * (y - 2))];
                EXPECT_EQ(dst.Pixel(x, y), C(want)) << x << "," << y;
                const Px s = source[size_t(x / 2 + 4 * (y / 2))];
                EXPECT_EQ(big.Pixel(x, y), C(s == key ? back(x, y) : s)) << x << "," << y;
            }
    }
    // tmAuto keys on the bottom-left pixel.
    TBitmap autoKey(2, 2);
    Fill(autoKey, [](int x, int y) { return y == 1 && x == 0 ? 0x0000FFu : 0x00FF00u; });
    autoKey.SetTransparent(true);
    EXPECT_EQ(autoKey.TransparentMode(), tmAuto);
    EXPECT_EQ(autoKey.TransparentColor(), C(0x0000FF));
    TBitmap dst(2, 2);
    Fill(dst, [](int, int) { return 0x808080u; });
    dst.Canvas().Draw(0, 0, autoKey);
    EXPECT_EQ(dst.Pixel(0, 1), C(0x808080));
    EXPECT_EQ(dst.Pixel(1, 1), C(0x00FF00));
}

namespace {

skin::TPixelImage CodedImage(int w, int h) {
    skin::TPixelImage image(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixel(x, y,
                           (x + y) % 4 == 0
                               ? skin::kMagenta
                               : skin::RGBColor(20 * x + 3, 30 * y + 5, 7 * x * y + 11));
    return image;
}

} // namespace

TEST(ImageUtilitiesWin, BitmapsAndDcsGiveThePixelsOfPixelImages) {
    using Op = std::function<void(skin::TPixelImage&)>;
    using BitmapOp = std::function<void(TBitmap&)>;
    using DcOp = std::function<void(HDC, const RECT&)>;
    struct Case {
        const char* name;
        Op image;
        BitmapOp bitmap;
        DcOp dc;
        bool turns, to24;
    };
    const Case cases[] = {
        {"grey", [](auto& i) { skin::GreyScale(i); }, [](auto& b) { skin::GreyScale(b); },
         [](HDC d, const RECT& r) { skin::GreyScale(d, r); }, false, true},
        {"magenta", [](auto& i) { skin::ReplaceMagenta(i, skin::RGBColor(1, 2, 3)); },
         [](auto& b) { skin::ReplaceMagenta(b, skin::RGBColor(1, 2, 3)); },
         [](HDC d, const RECT& r) { skin::ReplaceMagenta(d, r, skin::RGBColor(1, 2, 3)); }, false,
         true},
        {"mirror", [](auto& i) { skin::Mirror(i); }, [](auto& b) { skin::Mirror(b); },
         [](HDC d, const RECT& r) { skin::Mirror(d, r); }, false, false},
        {"flip", [](auto& i) { skin::Flip(i); }, [](auto& b) { skin::Flip(b); },
         [](HDC d, const RECT& r) { skin::Flip(d, r); }, false, false},
        {"ccw", [](auto& i) { skin::RotateCounterClockwise(i); },
         [](auto& b) { skin::RotateCounterClockwise(b); },
         [](HDC d, const RECT& r) { skin::RotateCounterClockwise(d, r); }, true, false},
        {"cw", [](auto& i) { skin::RotateClockwise(i); }, [](auto& b) { skin::RotateClockwise(b); },
         [](HDC d, const RECT& r) { skin::RotateClockwise(d, r); }, true, false},
    };
    const skin::TPixelImage source = CodedImage(7, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        skin::TPixelImage want = source;
        c.image(want);
        for (TPixelFormat f : {pf32bit, pf24bit}) {
            TBitmap b(0, 0, f);
            skin::AssignPixels(b, source);
            c.bitmap(b);
            EXPECT_EQ(b.PixelFormat(), c.to24 ? pf24bit : f);
            EXPECT_EQ(skin::PixelsOf(b, 24), want);
        }
        // On a DC: the rectangle at (3, 2) of a larger picture; the rest stays.
        TBitmap canvas(16, 14);
        Fill(canvas, [](int x, int y) { return Px(0x0A0000 * x + 0x0A00 * y + 1); });
        const std::vector<Px> around = Read(canvas);
        TBitmap part;
        skin::AssignPixels(part, source);
        BitBlt(canvas.Canvas().Handle(), 3, 2, 7, 4, part.Canvas().Handle(), 0, 0, SRCCOPY);
        c.dc(canvas.Canvas().Handle(), RECT{3, 2, 10, 6});
        const int w = c.turns ? 4 : 7, h = c.turns ? 7 : 4;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool in = x >= 3 && x < 3 + w && y >= 2 && y < 2 + h;
                const bool wasSource = x >= 3 && x < 10 && y >= 2 && y < 6;
                if (in) {
                    EXPECT_EQ(canvas.Pixel(x, y), want.Pixel(x - 3, y - 2)) << x << "," << y;
                } else if (!wasSource) {
                    EXPECT_EQ(canvas.Pixel(x, y), C(around[size_t(x + 16 * y)])) << x << "," << y;
                }
            }
    }
    // The turns keep an indexed bitmap indexed.
    TBitmap indexed(3, 2, pf8bit);
    skin::RotateClockwise(indexed);
    EXPECT_EQ(indexed.PixelFormat(), pf8bit);
    EXPECT_EQ(indexed.Width(), 2);
    EXPECT_EQ(indexed.Height(), 3);
}

TEST(ImageUtilitiesWin, GradientFillEndsMidpointAndClip) {
    // Black to white over 256 rows: entry i is (127 + 255 i) div 255.
    TBitmap v(3, 256);
    skin::GradientFill(v, RECT{0, 0, 3, 256}, clBlack, true, clWhite);
    EXPECT_EQ(v.Pixel(1, 0), clBlack);
    EXPECT_EQ(v.Pixel(1, 255), clWhite);
    EXPECT_EQ(v.Pixel(2, 128), C(0x808080));
    EXPECT_EQ(v.Pixel(0, 127), C(0x7F7F7F));

    // Horizontal, on a DC and on a bitmap, equal to the pixel-image fill, at an offset.
    // Every channel rises, so the last entry is the end colour exactly.
    const TColor s = skin::RGBColor(10, 20, 30), e = skin::RGBColor(250, 200, 130);
    skin::TPixelImage want(20, 6, 24);
    want.Fill(skin::kWhite);
    skin::GradientFill(want, {2, 1, 17, 5}, s, false, e);
    TBitmap h(20, 6);
    Fill(h, [](int, int) { return 0xFFFFFFu; });
    skin::GradientFill(h.Canvas().Handle(), RECT{2, 1, 17, 5}, s, false, e);
    EXPECT_EQ(skin::PixelsOf(h, 24), want);
    EXPECT_EQ(h.Pixel(2, 1), s);
    EXPECT_EQ(h.Pixel(16, 4), e);

    // A clip box draws only its lines, in the colours the whole fill gives them.
    TBitmap clipped(20, 6);
    Fill(clipped, [](int, int) { return 0xFFFFFFu; });
    HDC dc = clipped.Canvas().Handle();
    {
        UniqueRegion clip(CreateRectRgn(5, 0, 9, 6));
        SelectClipRgn(dc, clip.get());
        skin::GradientFill(dc, RECT{2, 1, 17, 5}, s, false, e);
        SelectClipRgn(dc, nullptr);
    }
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(clipped.Pixel(x, y), x >= 5 && x < 9 ? want.Pixel(x, y) : clWhite);

    // System colours are resolved; empty rectangles draw nothing.
    TBitmap sys(1, 2);
    skin::GradientFill(sys, RECT{0, 0, 1, 2}, clBtnFace, true, clBtnFace);
    EXPECT_EQ(sys.Pixel(0, 0), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
    TBitmap none(4, 4);
    Fill(none, [](int, int) { return 0x123456u; });
    skin::GradientFill(none, RECT{1, 3, 3, 3}, clWhite, true, clWhite);
    skin::GradientFill(none, RECT{3, 1, 1, 3}, clWhite, false, clWhite);
    EXPECT_EQ(Read(none), std::vector<Px>(16, 0x123456));
}

TEST(ToolkitGraphics, NoGdiObjectsLeak) {
    auto cycle = [] {
        TBitmap a(9, 7, pf24bit);
        Fill(a, [](int x, int y) { return Px(x * 0x111111 + y); });
        for (TPixelFormat f : kFormats) a.SetPixelFormat(f);
        TBitmap b;
        b.Assign(a);
        b.SetTransparent(true);
        TBitmap c(20, 20);
        c.Canvas().Draw(1, 1, b);
        c.Canvas().StretchDraw(RECT{0, 0, 20, 20}, b);
        c.Canvas().CopyRect(RECT{0, 0, 5, 5}, a.Canvas(), RECT{0, 0, 5, 5});
        skin::GradientFill(c, RECT{0, 0, 20, 20}, clBtnFace, false, clWhite);
        skin::RotateClockwise(c);
        skin::GreyScale(c.Canvas().Handle(), RECT{2, 2, 9, 9});
        skin::RotateCounterClockwise(c.Canvas().Handle(), RECT{2, 2, 9, 5});
        b.Mask(clBlack);
        TBitmap r;
        r.LoadFromResourceName(GetModuleHandleW(nullptr), L"TRACKVERT");
        TFont font;
        font.SetLogFont(LOGFONTW{-13, 0, 0, 0, 600, 0, 0, 0, 0, 0, 0, 5, 0, L"Tahoma"});
        font.Handle();
    };
    cycle();
    const long before = GdiObjectCount();
    for (int i = 0; i < 20; ++i) cycle();
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST(ToolkitFont, FontsKeepTheWholeRecord) {
    LOGFONTW lf{};
    lf.lfHeight = -15;
    lf.lfWidth = 7;
    lf.lfWeight = 600;
    lf.lfItalic = TRUE;
    lf.lfCharSet = GB2312_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpyW(lf.lfFaceName, L"Courier New");
    TFont f;
    f.SetLogFont(lf);
    EXPECT_EQ(f.Name(), "Courier New");
    EXPECT_EQ(f.Style(), fsItalic); // 600 is not bold
    EXPECT_EQ(f.Weight(), 600);
    LOGFONTW made{};
    ASSERT_EQ(GetObjectW(f.Handle(), sizeof(made), &made), static_cast<int>(sizeof(made)));
    EXPECT_EQ(made.lfHeight, -15);
    EXPECT_EQ(made.lfWidth, 7);
    EXPECT_EQ(made.lfWeight, 600);
    EXPECT_EQ(made.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_EQ(made.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
    EXPECT_EQ(made.lfCharSet, GB2312_CHARSET);
    TFont copy;
    copy.Assign(f);
    EXPECT_EQ(copy.LogFont().lfQuality, ANTIALIASED_QUALITY);
    EXPECT_EQ(copy.Weight(), 600);
    // The bold bit decides the weight again once it changes.
    f.SetStyle(fsBold);
    EXPECT_EQ(f.Weight(), FW_BOLD);
    f.SetStyle(0);
    EXPECT_EQ(f.Weight(), FW_NORMAL);
    lf.lfWeight = FW_HEAVY;
    f.SetLogFont(lf);
    EXPECT_EQ(f.Style(), fsItalic | fsBold);
    EXPECT_EQ(f.Weight(), FW_HEAVY);
}

TEST(ProgramIcon, FormsAnswerItBigAndSmallAndCarryItAsClassIcon) {
    HICON big = ApplicationIcon(false), little = ApplicationIcon(true);
    ASSERT_TRUE(big);
    ASSERT_TRUE(little);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(little, &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON));
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);

    TForm form(nullptr);
    form.HandleNeeded();
    HWND w = form.Handle();
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, ICON_BIG, 0)), big);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, ICON_SMALL, 0)), little);
    EXPECT_TRUE(SendMessageW(w, WM_GETICON, ICON_SMALL2, 0));
    EXPECT_TRUE(GetClassLongPtrW(w, GCLP_HICON));
    EXPECT_TRUE(GetClassLongPtrW(w, GCLP_HICONSM));

    // Drawn on magenta: transparent corners, the tile in the product's navy inside.
    const int n = GetSystemMetrics(SM_CXSMICON);
    TBitmap b(n, n);
    Fill(b, [](int, int) { return 0xFF00FFu; });
    DrawIconEx(b.Canvas().Handle(), 0, 0, little, n, n, 0, nullptr, DI_NORMAL);
    GdiFlush();
    EXPECT_EQ(b.Pixel(0, 0), clFuchsia);
    const TColor middleTop = b.Pixel(n / 2, 1);
    EXPECT_NE(middleTop, clFuchsia);
    EXPECT_LT(GetRValue(middleTop) + GetGValue(middleTop), GetBValue(middleTop) * 2)
        << "a blue tile";
}
