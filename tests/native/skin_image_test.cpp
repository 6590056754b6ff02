// The bitmap reader and the image utilities: TPixelImage, ReadBitmapFile and the image utilities.
#include "skin/data/image_utils.h"
#include "skin/data/pixel_image.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace skin;
using Bytes = std::vector<std::uint8_t>;

namespace {

void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A bitmap file with a BITMAPINFOHEADER, written field by field.
struct BmpSpec {
    std::int32_t width = 2, height = 2;
    int bpp = 24;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    std::vector<std::uint32_t> masks;   // written after the header (BI_BITFIELDS)
    Bytes pixels;
    std::int64_t offBits = -1;          // -1: right after the palette
};

Bytes Bmp(const BmpSpec& s) {
    Bytes b{'B', 'M'};
    std::uint32_t headerBytes = 14 + 40 + 4 * static_cast<std::uint32_t>(s.masks.size() + s.palette.size());
    Put32(b, headerBytes + static_cast<std::uint32_t>(s.pixels.size()));
    Put32(b, 0);
    Put32(b, s.offBits < 0 ? headerBytes : static_cast<std::uint32_t>(s.offBits));
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(s.width));
    Put32(b, static_cast<std::uint32_t>(s.height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(s.bpp));
    Put32(b, s.compression);
    Put32(b, static_cast<std::uint32_t>(s.pixels.size()));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, s.clrUsed);
    Put32(b, 0);
    for (auto m : s.masks) Put32(b, m);
    for (auto p : s.palette) Put32(b, p);
    b.insert(b.end(), s.pixels.begin(), s.pixels.end());
    return b;
}

TPixelImage Rgb(int w, int h, std::initializer_list<TColor> topDown) {
    TPixelImage im(w, h);
    int i = 0;
    for (TColor c : topDown) {
        im.SetPixel(i % w, i / w, c);
        ++i;
    }
    return im;
}

} // namespace

// ---------------------------------------------------------------- TPixelImage

TEST(PixelImage, LayoutLikeADib) {
    TPixelImage im(3, 2, 24);
    EXPECT_EQ(im.Stride(), 12); // 9 bytes padded to 12
    EXPECT_EQ(im.SizeBytes(), 24u);
    im.SetPixel(0, 0, RGBColor(1, 2, 3)); // top-left
    im.SetPixel(2, 1, RGBColor(4, 5, 6)); // bottom-right
    // Bottom row first in memory, bytes blue, green, red.
    EXPECT_EQ(im.Bits()[12 + 0], 3);
    EXPECT_EQ(im.Bits()[12 + 1], 2);
    EXPECT_EQ(im.Bits()[12 + 2], 1);
    EXPECT_EQ(im.Bits()[6], 6);
    EXPECT_EQ(im.Bits()[8], 4);
    EXPECT_EQ(im.ScanLine(0), im.Bits() + 12);
    TPixelImage im32(3, 2, 32);
    EXPECT_EQ(im32.Stride(), 12);
    EXPECT_EQ(TPixelImage::StrideFor(1, 24), 4);
    EXPECT_EQ(TPixelImage::StrideFor(5, 24), 16);
}

TEST(PixelImage, EmptyAndRefusedSizes) {
    EXPECT_TRUE(TPixelImage().Empty());
    EXPECT_TRUE(TPixelImage(0, 5).Empty());
    EXPECT_TRUE(TPixelImage(5, -1).Empty());
    EXPECT_TRUE(TPixelImage(5, 5, 16).Empty());
    EXPECT_TRUE(TPixelImage(kMaxImageSide + 1, 1).Empty());
    EXPECT_TRUE(TPixelImage(8192, 4096).Empty()); // 32 M pixels
    EXPECT_EQ(TPixelImage(4, 4).Pixel(4, 0), -1);
    EXPECT_EQ(TPixelImage(4, 4).Pixel(0, 0), 0);
}

TEST(PixelImage, FormatConversionKeepsColours) {
    TPixelImage im = Rgb(2, 1, {RGBColor(10, 20, 30), RGBColor(40, 50, 60)});
    im.SetPixelFormat(32);
    EXPECT_EQ(im.BitsPerPixel(), 32);
    EXPECT_EQ(im.Pixel(1, 0), RGBColor(40, 50, 60));
    im.SetPixelFormat(24);
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(10, 20, 30));
    TPixelImage part = Rgb(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}).Copy(1, 1, 5, 5);
    EXPECT_EQ(part.Width(), 2);
    EXPECT_EQ(part.Height(), 2);
    EXPECT_EQ(part.Pixel(0, 0), 5);
    EXPECT_EQ(part.Pixel(1, 1), 9);
}

// ---------------------------------------------------------------- bitmap files

TEST(BitmapFile, WriteThenReadRoundTrips) {
    TPixelImage im = Rgb(3, 2, {1, 2, 3, RGBColor(255, 0, 255), 5, 0xFFFFFF});
    TPixelImage back = ReadBitmapFile(WriteBitmapFile(im));
    EXPECT_TRUE(back == im);
    im.SetPixelFormat(32);
    back = ReadBitmapFile(WriteBitmapFile(im));
    EXPECT_EQ(back.BitsPerPixel(), 32);
    EXPECT_TRUE(back == im);
    EXPECT_TRUE(WriteBitmapFile(TPixelImage()).empty());
}

TEST(BitmapFile, PaletteDepths) {
    BmpSpec s;
    s.width = 10;
    s.height = 2;
    s.bpp = 1;
    s.palette = {0x000000, 0xFF0000};
    s.pixels = {0xA0, 0x40, 0, 0, /* bottom */ 0x80, 0x00, 0, 0 /* top */};
    TPixelImage im = ReadBitmapFile(Bmp(s));
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.BitsPerPixel(), 24);
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(im.Pixel(1, 0), 0);
    EXPECT_EQ(im.Pixel(0, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(im.Pixel(2, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(im.Pixel(9, 1), RGBColor(255, 0, 0));

    s = BmpSpec{};
    s.width = 3;
    s.height = 1;
    s.bpp = 4;
    s.palette = {0x112233, 0x445566, 0x778899};
    s.clrUsed = 3;
    s.pixels = {0x12, 0x50, 0, 0}; // index 5 lies past the palette: black
    im = ReadBitmapFile(Bmp(s));
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(0x44, 0x55, 0x66));
    EXPECT_EQ(im.Pixel(1, 0), RGBColor(0x77, 0x88, 0x99));
    EXPECT_EQ(im.Pixel(2, 0), 0);

    s = BmpSpec{};
    s.width = 2;
    s.height = -2; // top-down
    s.bpp = 8;
    s.palette.assign(256, 0);
    s.palette[7] = 0x0000FF;
    s.palette[9] = 0x00FF00;
    s.pixels = {7, 9, 0, 0, 9, 7, 0, 0};
    im = ReadBitmapFile(Bmp(s));
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.Height(), 2);
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(0, 0, 255));
    EXPECT_EQ(im.Pixel(0, 1), RGBColor(0, 255, 0));
}

TEST(BitmapFile, TrueColourDepths) {
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bpp = 16; // 5-5-5
    s.pixels = {0x00, 0x7C, 0x1F, 0x00};
    TPixelImage im = ReadBitmapFile(Bmp(s));
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(im.Pixel(1, 0), RGBColor(0, 0, 255));

    s.compression = 3; // 5-6-5 bit fields
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.pixels = {0xE0, 0x07, 0x00, 0xF8};
    im = ReadBitmapFile(Bmp(s));
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(0, 255, 0));
    EXPECT_EQ(im.Pixel(1, 0), RGBColor(255, 0, 0));

    s = BmpSpec{};
    s.width = 1;
    s.height = 1;
    s.bpp = 32;
    s.pixels = {1, 2, 3, 4};
    im = ReadBitmapFile(Bmp(s));
    ASSERT_EQ(im.BitsPerPixel(), 32);
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(3, 2, 1));
    EXPECT_EQ(im.Bits()[3], 4);

    s.compression = 3;
    s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000}; // red in the low byte
    im = ReadBitmapFile(Bmp(s));
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(1, 2, 3));
}

TEST(BitmapFile, Rle8AndRle4) {
    BmpSpec s;
    s.width = 4;
    s.height = 2;
    s.bpp = 8;
    s.compression = 1;
    s.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    s.clrUsed = 4;
    // bottom row: 3 x index 1, then absolute run (3 pixels: 2, 3, 2); EOL; top: delta(1,0), 2 x 3; EOB
    s.pixels = {3, 1, 0, 0, /* EOL */ 0, 2, 1, 0, /* delta */ 2, 3, 0, 1};
    TPixelImage im = ReadBitmapFile(Bmp(s));
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.Pixel(0, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(im.Pixel(2, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(im.Pixel(3, 1), 0);
    EXPECT_EQ(im.Pixel(0, 0), 0);
    EXPECT_EQ(im.Pixel(1, 0), RGBColor(0, 0, 255));
    EXPECT_EQ(im.Pixel(2, 0), RGBColor(0, 0, 255));

    s.pixels = {0, 3, 1, 2, 3, 0 /* pad */, 0, 1};
    im = ReadBitmapFile(Bmp(s));
    EXPECT_EQ(im.Pixel(0, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(im.Pixel(1, 1), RGBColor(0, 255, 0));
    EXPECT_EQ(im.Pixel(2, 1), RGBColor(0, 0, 255));

    s.bpp = 4;
    s.compression = 2;
    s.palette = {0x000000, 0xFF0000, 0x00FF00};
    s.clrUsed = 3;
    s.pixels = {4, 0x12, 0, 1};
    im = ReadBitmapFile(Bmp(s));
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.Pixel(0, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(im.Pixel(1, 1), RGBColor(0, 255, 0));
    EXPECT_EQ(im.Pixel(2, 1), RGBColor(255, 0, 0));
}

TEST(BitmapFile, CoreHeader) {
    Bytes b{'B', 'M'};
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 14 + 12 + 6);
    Put32(b, 12);
    Put16(b, 2);
    Put16(b, 1);
    Put16(b, 1);
    Put16(b, 1);
    b.insert(b.end(), {0, 0, 0, 0xFF, 0xFF, 0xFF}); // palette: black, white (BGR triples)
    b.insert(b.end(), {0x40, 0, 0, 0});
    TPixelImage im = ReadBitmapFile(b);
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.Pixel(0, 0), 0);
    EXPECT_EQ(im.Pixel(1, 0), 0xFFFFFF);
}

TEST(BitmapFileDamaged, EveryLieGivesAnEmptyImage) {
    BmpSpec good;
    good.width = 2;
    good.height = 2;
    good.pixels.assign(16, 0x80);
    ASSERT_FALSE(ReadBitmapFile(Bmp(good)).Empty());

    auto expectEmpty = [](const Bytes& b, const char* what) {
        TPixelImage im(3, 3);
        EXPECT_FALSE(ReadBitmapFile(b, im)) << what;
        EXPECT_TRUE(im.Empty()) << what;
    };
    Bytes b = Bmp(good);
    expectEmpty(Bytes(b.begin(), b.end() - 1), "truncated pixels");
    expectEmpty(Bytes(b.begin(), b.begin() + 30), "truncated header");
    expectEmpty(Bytes{}, "nothing");
    expectEmpty(Bytes{'B', 'M'}, "signature only");
    Bytes wrong = b;
    wrong[0] = 'X';
    expectEmpty(wrong, "signature");

    BmpSpec s = good;
    s.width = 100000;
    expectEmpty(Bmp(s), "width beyond the limit");
    s = good;
    s.width = 3000; // within limits, but the pixels are not there
    expectEmpty(Bmp(s), "size lies");
    s = good;
    s.width = -2;
    expectEmpty(Bmp(s), "negative width");
    s = good;
    s.height = 0;
    expectEmpty(Bmp(s), "zero height");
    s = good;
    s.height = -2147483647 - 1;
    expectEmpty(Bmp(s), "height INT_MIN");
    s = good;
    s.bpp = 7;
    expectEmpty(Bmp(s), "bit depth");
    s = good;
    s.bpp = 0;
    expectEmpty(Bmp(s), "bit depth 0");
    s = good;
    s.compression = 1; // RLE8 with 24 bits
    expectEmpty(Bmp(s), "compression and depth disagree");
    s = good;
    s.compression = 4; // JPEG
    expectEmpty(Bmp(s), "jpeg");
    s = good;
    s.offBits = 1000000;
    expectEmpty(Bmp(s), "offset past the end");
    s = good;
    s.offBits = 20;
    expectEmpty(Bmp(s), "offset inside the header");

    BmpSpec p;
    p.width = 2;
    p.height = 1;
    p.bpp = 8;
    p.palette = {0, 0xFFFFFF};
    p.clrUsed = 300; // more colours than 8 bits hold
    p.pixels = {0, 1, 0, 0};
    expectEmpty(Bmp(p), "palette larger than the depth allows");
    p.clrUsed = 0; // 256 entries expected, 2 given: the palette runs into the pixels and past the end
    expectEmpty(Bmp(p), "palette past the end");
    p.clrUsed = 0xFFFFFFFFu;
    expectEmpty(Bmp(p), "palette count huge");

    BmpSpec t;
    t.width = 2;
    t.height = 1;
    t.bpp = 24;
    t.clrUsed = 0x40000000u; // an optional palette of a true-colour file that cannot be there
    t.pixels.assign(8, 0);
    t.offBits = 0;
    expectEmpty(Bmp(t), "true-colour palette past the end");

    BmpSpec r;
    r.width = 4;
    r.height = 1;
    r.bpp = 8;
    r.compression = 1;
    r.palette = {0, 0xFFFFFF};
    r.clrUsed = 2;
    r.pixels = {0, 40, 1, 1}; // absolute run of 40 bytes with 2 there
    expectEmpty(Bmp(r), "RLE absolute run past the end");
    r.height = -1;
    r.pixels = {4, 1, 0, 1};
    expectEmpty(Bmp(r), "top-down RLE");

    Bytes core = Bmp(good);
    core[14] = 64; // an OS/2 2.x header this reader does not take
    expectEmpty(core, "unknown header size");
}

TEST(BitmapFileDamaged, RleThatWandersOffTheImageStopsSafely) {
    BmpSpec r;
    r.width = 3;
    r.height = 2;
    r.bpp = 8;
    r.compression = 1;
    r.palette = {0, 0xFFFFFF};
    r.clrUsed = 2;
    // runs longer than a row, deltas past the right edge and the top, no end marker
    r.pixels = {255, 1, 0, 2, 255, 0, 200, 1, 0, 2, 0, 255, 5, 1};
    TPixelImage im = ReadBitmapFile(Bmp(r));
    ASSERT_FALSE(im.Empty());
    EXPECT_EQ(im.Pixel(0, 1), 0xFFFFFF);
    EXPECT_EQ(im.Pixel(2, 1), 0xFFFFFF);
}

// ---------------------------------------------------------------- image utilities

TEST(ImageUtils, GreyScale) {
    TPixelImage im = Rgb(2, 1, {RGBColor(30, 60, 91), RGBColor(255, 255, 254)});
    im.SetPixelFormat(32);
    GreyScale(im);
    EXPECT_EQ(im.BitsPerPixel(), 24);
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(60, 60, 60));
    EXPECT_EQ(im.Pixel(1, 0), RGBColor(254, 254, 254));
}

TEST(ImageUtils, ReplaceMagenta) {
    TPixelImage im = Rgb(3, 1, {RGBColor(255, 0, 255), RGBColor(255, 1, 255), RGBColor(254, 0, 255)});
    ReplaceMagenta(im, RGBColor(1, 2, 3));
    EXPECT_EQ(im.Pixel(0, 0), RGBColor(1, 2, 3));
    EXPECT_EQ(im.Pixel(1, 0), RGBColor(255, 1, 255)); // green 1: unchanged
    EXPECT_EQ(im.Pixel(2, 0), RGBColor(254, 0, 255));
    // A system colour reference is not resolved: its three low bytes are used as they are.
    TPixelImage k = Rgb(1, 1, {kMagenta});
    k.SetPixelFormat(32);
    ReplaceMagenta(k, SysColor(15));
    EXPECT_EQ(k.BitsPerPixel(), 24);
    EXPECT_EQ(k.Pixel(0, 0), RGBColor(15, 0, 0));
}

TEST(ImageUtils, MirrorAndFlip) {
    TPixelImage im = Rgb(3, 2, {1, 2, 3, 4, 5, 6});
    TPixelImage m = im;
    Mirror(m);
    EXPECT_TRUE(m == Rgb(3, 2, {3, 2, 1, 6, 5, 4}));
    TPixelImage f = im;
    Flip(f);
    EXPECT_TRUE(f == Rgb(3, 2, {4, 5, 6, 1, 2, 3}));
    Mirror(m);
    EXPECT_TRUE(m == im);
    TPixelImage e;
    Mirror(e);
    Flip(e);
    EXPECT_TRUE(e.Empty());
}

TEST(ImageUtils, QuarterTurns) {
    // 3 wide, 2 high:  1 2 3
    //                  4 5 6
    TPixelImage im = Rgb(3, 2, {1, 2, 3, 4, 5, 6});
    TPixelImage ccw = im;
    RotateCounterClockwise(ccw); // the top edge becomes the left edge
    EXPECT_EQ(ccw.Width(), 2);
    EXPECT_EQ(ccw.Height(), 3);
    EXPECT_TRUE(ccw == Rgb(2, 3, {3, 6, 2, 5, 1, 4}));
    TPixelImage cw = im;
    RotateClockwise(cw); // the top edge becomes the right edge
    EXPECT_TRUE(cw == Rgb(2, 3, {4, 1, 5, 2, 6, 3}));
    RotateCounterClockwise(cw);
    EXPECT_TRUE(cw == im);
    TPixelImage four = im;
    for (int i = 0; i < 4; ++i) RotateClockwise(four);
    EXPECT_TRUE(four == im);
}

TEST(ImageUtils, MixColors) {
    EXPECT_EQ(MixColors(0x000000, 0xFFFFFF, 50), RGBColor(128, 128, 128));
    EXPECT_EQ(MixColors(0x000000, 0xFFFFFF, 150), RGBColor(217, 217, 217)); // 85 % white
    // w = 99 is percent, w = 100 per mille (10 %).
    EXPECT_EQ(MixColors(0xFFFFFF, 0x000000, 99), RGBColor(252, 252, 252));
    EXPECT_EQ(MixColors(0xFFFFFF, 0x000000, 100), RGBColor(26, 26, 26));
    EXPECT_EQ(MixColors(RGBColor(200, 100, 0), RGBColor(0, 100, 200), 0), RGBColor(0, 100, 200));
    EXPECT_EQ(MixColors(RGBColor(200, 100, 0), RGBColor(0, 100, 200), 1000), RGBColor(200, 100, 0));
    // System colours are resolved (the default resolver: the classic scheme).
    EXPECT_EQ(MixColors(SysColor(15), SysColor(15), 30), RGBColor(212, 208, 200));
    SetSystemColourResolver([](int i) { return i == 5 ? RGBColor(10, 20, 30) : 0; });
    EXPECT_EQ(MixColors(SysColor(5), 0, 99), RGBColor(10, 20, 30));
    SetSystemColourResolver(nullptr);
    // Weights past 1,000 wrap like 32-bit integers, and come out truncated to 8 bits.
    EXPECT_EQ(MixColors(0xFFFFFF, 0, 2000), RGBColor(254, 254, 254));
    EXPECT_EQ(MixColors(0, 0xFFFFFF, 2000), RGBColor(2, 2, 2)); // -254 in 8 bits
    EXPECT_EQ(MixColors(0, 0, 2147483647), 0);
}

TEST(ImageUtils, GradientTables) {
    ClearGradientCache();
    auto one = ComputeGradientTable(1, RGBColor(0, 100, 255), RGBColor(255, 0, 0));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], RGBColor(127, 50, 128)); // the midpoint, halves truncated toward zero

    auto t = ComputeGradientTable(256, 0x000000, 0xFFFFFF);
    for (int i = 0; i < 256; ++i) {
        int v = (127 + 255 * i) / 255;
        ASSERT_EQ(t[i], RGBColor(v, v, v)) << i;
    }
    EXPECT_EQ(t.front(), 0);
    EXPECT_EQ(t.back(), 0xFFFFFF);

    // Falling channels: the last entry may miss the end colour by one.
    auto down = ComputeGradientTable(3, RGBColor(255, 0, 0), RGBColor(0, 0, 0));
    EXPECT_EQ(down[0], RGBColor(255, 0, 0));
    EXPECT_EQ(down[1], RGBColor(128, 0, 0));
    EXPECT_EQ(down[2], RGBColor(1, 0, 0));
    EXPECT_TRUE(ComputeGradientTable(0, 1, 2).empty());
    EXPECT_TRUE(ComputeGradientTable(-5, 1, 2).empty());
}

TEST(ImageUtils, GradientCacheOf16Slots) {
    ClearGradientCache();
    auto a = GradientTable(10, 0x000000, 0xFFFFFF);
    EXPECT_EQ(GradientCacheNextSlot(), 1);
    EXPECT_EQ(GradientTable(10, 0x000000, 0xFFFFFF), a); // the same table, from the cache
    EXPECT_EQ(GradientCacheNextSlot(), 1);
    auto b = GradientTable(11, 0x000000, 0xFFFFFF); // another length: a new slot
    EXPECT_NE(a, b);
    EXPECT_EQ(GradientCacheSlot(1), b);

    // A falling table whose last entry misses the end colour is computed at every request.
    auto f1 = GradientTable(3, RGBColor(255, 0, 0), 0);
    auto f2 = GradientTable(3, RGBColor(255, 0, 0), 0);
    EXPECT_NE(f1, f2);
    EXPECT_EQ(GradientCacheNextSlot(), 4);

    // Seventeen more tables wrap the counter and replace slot 0 (a's table).
    for (int n = 100; n < 117; ++n) GradientTable(n, 0, 0xFFFFFF);
    EXPECT_EQ(GradientCacheNextSlot(), (4 + 17) % 16);
    EXPECT_EQ(GradientCacheSlot(0)->size(), 112u);
    auto a2 = GradientTable(10, 0x000000, 0xFFFFFF);
    EXPECT_NE(a2, a);         // recomputed
    EXPECT_TRUE(*a2 == *a);   // with the same entries; the old one is still valid
    // A table in any slot is found.
    ClearGradientCache();
    for (int i = 0; i < 16; ++i) GradientTable(5 + i, 0, 0xFF); // slots 0..15
    EXPECT_EQ(GradientTable(7, 0, 0xFF), GradientCacheSlot(2));
    EXPECT_EQ(GradientCacheSlot(16), nullptr);
    ClearGradientCache();
    EXPECT_EQ(GradientCacheSlot(0), nullptr);
}

TEST(ImageUtils, GradientFillIntoAnImage) {
    ClearGradientCache();
    TPixelImage im(4, 256);
    im.Fill(RGBColor(9, 9, 9));
    GradientFill(im, IntRect{1, 0, 3, 256}, 0x000000, true, 0xFFFFFF);
    EXPECT_EQ(im.Pixel(1, 0), 0);
    EXPECT_EQ(im.Pixel(2, 255), 0xFFFFFF);
    EXPECT_EQ(im.Pixel(1, 128), RGBColor(128, 128, 128)); // (127 + 255 * 128) div 255
    EXPECT_EQ(im.Pixel(0, 128), RGBColor(9, 9, 9));
    EXPECT_EQ(im.Pixel(3, 128), RGBColor(9, 9, 9));

    // Horizontal; the rectangle reaches past the image: line i still takes entry i of the
    // full-length table.
    TPixelImage h(4, 1);
    GradientFill(h, IntRect{-2, 0, 6, 1}, RGBColor(0, 0, 0), false, RGBColor(70, 0, 0));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(h.Pixel(x, 0), RGBColor((3 + 70 * (x + 2)) / 7, 0, 0)) << x;

    // Horizontal over several rows, 24 and 32 bits: every row alike, fourth bytes kept.
    for (int bpp : {24, 32}) {
        TPixelImage w(5, 3, bpp);
        if (bpp == 32)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) w.ScanLine(y)[4 * x + 3] = static_cast<std::uint8_t>(10 * x + y);
        GradientFill(w, IntRect{1, 0, 5, 2}, RGBColor(0, 0, 0), false, RGBColor(0, 90, 0));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                TColor want = y < 2 && x >= 1 ? RGBColor(0, (1 + 90 * (x - 1)) / 3, 0) : 0;
                EXPECT_EQ(w.Pixel(x, y), want) << bpp << " " << x << "," << y;
                if (bpp == 32) {
                    EXPECT_EQ(w.ScanLine(y)[4 * x + 3], 10 * x + y);
                }
            }
    }

    // Clip box: only lines inside it are drawn.
    TPixelImage c(1, 10);
    c.Fill(0x123456);
    GradientFill(c, IntRect{0, 0, 1, 10}, 0, true, 0x0000FF, IntRect{0, 4, 1, 6});
    EXPECT_EQ(c.Pixel(0, 3), 0x123456);
    EXPECT_EQ(c.Pixel(0, 4), RGBColor((4 + 4 * 255) / 9, 0, 0));
    EXPECT_EQ(c.Pixel(0, 6), 0x123456);

    // Nothing for an empty or invisible rectangle.
    TPixelImage n(2, 2);
    GradientFill(n, IntRect{0, 0, 2, 0}, 0xFFFFFF, true, 0xFFFFFF);
    GradientFill(n, IntRect{5, 5, 9, 9}, 0xFFFFFF, true, 0xFFFFFF);
    GradientFill(n, IntRect{0, 2, 2, 0}, 0xFFFFFF, true, 0xFFFFFF);
    EXPECT_EQ(n.Pixel(0, 0), 0);
    EXPECT_EQ(n.Pixel(1, 1), 0);
    // System colours are resolved before the table is taken.
    TPixelImage s(1, 1);
    GradientFill(s, IntRect{0, 0, 1, 1}, SysColor(5), true, SysColor(5));
    EXPECT_EQ(s.Pixel(0, 0), 0xFFFFFF);

    int first, last;
    EXPECT_TRUE(GradientLines(IntRect{0, 10, 5, 20}, true, IntRect{0, 0, 100, 15}, first, last));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 4);
    EXPECT_FALSE(GradientLines(IntRect{0, 10, 5, 20}, true, IntRect{0, 20, 100, 30}, first, last));
}

TEST(ImageUtils, SaturationMeasure) {
    EXPECT_EQ(SaturationMeasure(RGBColor(255, 0, 0)), 255);
    EXPECT_EQ(SaturationMeasure(RGBColor(100, 50, 50)), 200); // all below 160
    EXPECT_EQ(SaturationMeasure(RGBColor(159, 159, 159)), 200);
    EXPECT_EQ(SaturationMeasure(RGBColor(160, 160, 160)), 0);
    EXPECT_EQ(SaturationMeasure(RGBColor(200, 100, 50)), 191); // 150 / 200 * 255 = 191.25
    EXPECT_EQ(SaturationMeasure(RGBColor(255, 255, 0)), 255);
    EXPECT_EQ(SaturationMeasure(0), 200);
    EXPECT_EQ(SaturationMeasure(SysColor(5)), 0); // white, resolved
}
