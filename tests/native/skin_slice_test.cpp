// Slice geometry and region runs of the skin drawing primitives.
#include "skin/form/region_runs.h"
#include "skin/form/slice_geometry.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace skin;

TEST(SkinSlice, FrameRectCountsFromOneAndRefusesOutOfRange) {
    EXPECT_EQ(FrameRect(92, 20, 3, 3, false), (IntRect{60, 0, 90, 20})); // last 2 columns unused
    EXPECT_EQ(FrameRect(20, 90, 3, 2, true), (IntRect{0, 30, 20, 60}));
    EXPECT_EQ(FrameRect(17, 5, 1, 1, false), (IntRect{0, 0, 17, 5}));
    EXPECT_EQ(FrameRect(17, 5, 0, 1, true), (IntRect{0, 0, 17, 5})); // no count: one frame
    for (int index : {0, -1, 4, 1 << 30}) EXPECT_EQ(FrameRect(90, 20, 3, index, false), IntRect{});
    EXPECT_EQ(FrameRect(2, 20, 3, 1, false), IntRect{}); // more frames than columns
    EXPECT_EQ(FrameRect(0, 20, 1, 1, false), IntRect{});
}

TEST(SkinSlice, NineSliceCoversTheTargetOnceFromInsideTheFrame) {
    // Every size from nothing to past the frame, with margins that fit, that fill the frame
    // exactly, that are wider than it, and negative ones.
    const IntRect f{10, 5, 22, 14}; // 12 x 9
    const SliceMargins margins[] = {
        {0, 0, 0, 0}, {3, 2, 4, 3}, {6, 4, 6, 5}, {9, 7, 8, 6}, {-2, 3, 20, -1}};
    for (const SliceMargins& m : margins)
        for (int w = 0; w <= 30; ++w)
            for (int h = 0; h <= 20; ++h) {
                const SlicePlan plan = NineSlicePlan(f, m, w, h, (w + h) % 2 == 0);
                std::vector<int> n(static_cast<size_t>(w) * h, 0);
                for (const SlicePiece& p : plan) {
                    ASSERT_TRUE(p.src.left >= f.left && p.src.right <= f.right &&
                                p.src.top >= f.top && p.src.bottom <= f.bottom);
                    ASSERT_TRUE(p.dst.left >= 0 && p.dst.top >= 0 && p.dst.right <= w &&
                                p.dst.bottom <= h);
                    for (int y = p.dst.top; y < p.dst.bottom; ++y)
                        for (int x = p.dst.left; x < p.dst.right; ++x) ++n[size_t(y) * w + x];
                }
                // Margins as wide as the frame leave a gap (nothing to stretch), never overlap.
                const bool fits = m.left + m.right < 12 && m.top + m.bottom < 9;
                for (int c : n) ASSERT_TRUE(fits ? c == 1 : c <= 1) << w << "x" << h;
            }
}

TEST(SkinSlice, NineSliceDropsMarginsAndDrawsTheMiddleBeforeRightAndBottom) {
    const IntRect f{0, 0, 20, 20};
    // 9 wide < 5 + 5: the side margins go and the whole width is stretched; the top and
    // bottom ones still fit. The middle is tiled at its own size.
    SlicePlan plan = NineSlicePlan(f, {5, 4, 5, 4}, 9, 30, true);
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[0], (SlicePiece{{0, 0, 20, 4}, {0, 0, 9, 4}}));
    EXPECT_EQ(plan[1], (SlicePiece{{0, 4, 20, 16}, {0, 4, 9, 26}, PieceMode::Tile}));
    // A tiled middle overhangs to the right and down: those parts come after it.
    plan = NineSlicePlan(f, {5, 4, 5, 4}, 50, 30, true);
    ASSERT_EQ(plan.size(), 9u);
    EXPECT_EQ(plan[5].mode, PieceMode::Tile);
    for (size_t i = 0; i < 9; ++i) // from the middle on, all lie right of 5 and below 4
        EXPECT_EQ(plan[i].dst.left >= 5 && plan[i].dst.top >= 4, i >= 5) << i;
}

TEST(SkinSlice, CentringAndTiling) {
    EXPECT_EQ(CentredOrigin(21, 11, 10, 4), (IntPoint{5, 3}));
    EXPECT_EQ(CentredOrigin(10, 5, 15, 10), (IntPoint{-2, -2})); // toward zero, not -3
    EXPECT_EQ(TileCover(30, 20, 10, 10), (TileGrid{3, 2}));
    EXPECT_EQ(TileCover(31, 21, 10, 10), (TileGrid{4, 3})); // the last ones overhang
    EXPECT_EQ(TileCover(0, 20, 10, 10), TileGrid{});
    EXPECT_EQ(TileCover(30, 20, 10, -1), TileGrid{});
}

// ----------------------------------------------------------------------- region runs

namespace {
constexpr TColor kKey = 0xFF00FF;
}

TEST(SkinRegionRuns, RowsWithEqualRunsMergeAndOffsetsApply) {
    TPixelImage img(4, 5, 32);
    const char* rows[] = {".oo.", ".oo.", ".oo.", "oooo", "...."};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 4; ++x) img.SetPixel(x, y, rows[y][x] == '.' ? kKey : 0x336699);
    EXPECT_EQ(RegionRuns(RowsOf(img), 10, -2, KeyTest(kKey, 0, 0, 0)),
              (std::vector<IntRect>{{11, -2, 13, 1}, {10, 1, 14, 2}}));
    img.Fill(kKey);
    EXPECT_TRUE(RegionRuns(RowsOf(img), 0, 0, KeyTest(kKey, 1, 1, 1)).empty());
}

TEST(SkinRegionRuns, ToleranceGoesUpwardFromTheKey) {
    TPixelImage img(4, 1, 24);
    img.SetPixel(0, 0, RGBColor(255, 1, 255)); // key within 1
    img.SetPixel(1, 0, RGBColor(255, 2, 255)); // not within 1
    img.SetPixel(2, 0, RGBColor(254, 0, 255)); // below the key: never
    img.SetPixel(3, 0, kKey);
    EXPECT_EQ(RegionRuns(RowsOf(img), 0, 0, KeyTest(kKey, 1, 1, 1)),
              (std::vector<IntRect>{{1, 0, 3, 1}}));
    EXPECT_EQ(RegionRuns(RowsOf(img), 0, 0, KeyTest(kKey, 0, 0, 0)),
              (std::vector<IntRect>{{0, 0, 3, 1}}));
    EXPECT_EQ(RegionRuns(RowsOf(img), 0, 0, KeyTest(kKey, 0, -1, 0)), // nothing is key
              (std::vector<IntRect>{{0, 0, 4, 1}}));
    // 250 + 10 is capped at 255.
    img.Fill(RGBColor(255, 255, 255));
    EXPECT_TRUE(
        RegionRuns(RowsOf(img), 0, 0, KeyTest(RGBColor(250, 250, 250), 10, 10, 10)).empty());
}

TEST(SkinRegionRuns, RandomImagesMatchPerPixelReference) {
    // 24- and 32-bit images (rows stored bottom-up), runs of key and near-key pixels, repeated
    // rows, random fourth bytes: every pixel is covered once exactly when it is not key.
    std::mt19937 rng(7);
    const TColor palette[] = {
        kKey,     kKey,    RGBColor(255, 1, 255), RGBColor(254, 0, 255), RGBColor(255, 0, 253),
        0x000000, 0xFFFFFF};
    for (int round = 0; round < 60; ++round) {
        const int w = 1 + int(rng() % 70), h = 1 + int(rng() % 40), bpp = round % 2 ? 24 : 32;
        TPixelImage img(w, h, bpp);
        for (int y = 0; y < h; ++y) {
            const bool repeat = y > 0 && rng() % 3 == 0;
            TColor c = kKey;
            for (int x = 0; x < w; ++x) {
                if (rng() % 4 == 0) c = palette[rng() % 7];
                img.SetPixel(x, y, repeat ? img.Pixel(x, y - 1) : c);
                if (bpp == 32) img.ScanLine(y)[x * 4 + 3] = uint8_t(rng());
            }
        }
        const int dx = int(rng() % 21) - 10, dy = int(rng() % 21) - 10;
        std::vector<int> n(size_t(w) * h, 0);
        for (const IntRect& r : RegionRuns(RowsOf(img), dx, dy, KeyTest(kKey, 0, 1, 0)))
            for (int y = r.top - dy; y < r.bottom - dy; ++y)
                for (int x = r.left - dx; x < r.right - dx; ++x) {
                    ASSERT_TRUE(x >= 0 && y >= 0 && x < w && y < h);
                    ++n[size_t(y) * w + x];
                }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TColor c = img.Pixel(x, y);
                const bool key = RedOf(c) == 255 && GreenOf(c) <= 1 && BlueOf(c) == 255;
                ASSERT_EQ(n[size_t(y) * w + x], key ? 0 : 1) << round << ": " << x << "," << y;
            }
    }
}
