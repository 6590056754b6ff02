// The two drawing jobs a skinned window repeats most: the nine-slice of a 918 x 30 title piece
// (keyed, middle tiled, as frame borders are) and the region of a 918 x 700 window whose
// corners are transparent. Baselines measured in the same run: one plain block transfer of a
// finished 918 x 30 piece, the same nine-slice done the direct way (a piece per transfer, a
// tile per transfer, a mask by colour-to-monochrome transfer), and the region built with one
// CombineRgn per run and with one ExtCreateRegion per 2,000 one-row runs. Results are
// compared before any time is printed.
#include "skin/form/primitives.h"

#include "bench_timing.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace skin;

namespace {

constexpr std::uint32_t kKey = 0xFF00FF;

// A title border: two 140 x 30 frames, rounded transparent corners 6 pixels deep, margins 40
// and 60, a shaded middle.
std::unique_ptr<TBitmap> TitlePiece() {
    auto b = std::make_unique<TBitmap>(280, 30);
    GdiFlush();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 280; ++x) {
            const int fx = x % 140;
            const int dx = std::min(fx, 139 - fx);
            std::uint32_t p = static_cast<std::uint32_t>(0x20 + y * 4) << 16 |
                              static_cast<std::uint32_t>(0x40 + fx / 2) << 8 | 0x90;
            if (y < 6 && dx < 6 && dx * dx + (y - 6) * (y - 6) > 36) p = kKey;
            b->ScanLine(y)[x] = p;
        }
    return b;
}

// The direct way: each piece its own StretchBlt, the middle one BitBlt per tile, the mask
// from a colour-to-monochrome transfer, then MaskBlt.
void DirectNineSlice(HDC dc, const RECT& t, TBitmap& src, const SliceMargins& m) {
    const int w = t.right - t.left, h = t.bottom - t.top;
    const int fw = src.Width() / 2, fh = src.Height();
    HDC s = src.Canvas().Handle();
    UniqueMemDc wdc(CreateCompatibleDC(dc));
    UniqueBitmap wb(CreateCompatibleBitmap(dc, w, h));
    SelectObjectGuard sel(wdc.get(), wb.get());
    SetStretchBltMode(wdc.get(), COLORONCOLOR);
    const int l = m.left, r = m.right;
    StretchBlt(wdc.get(), 0, 0, l, h, s, 0, 0, l, fh, SRCCOPY);
    const int mw = fw - l - r;
    for (int x = l; x < w - r; x += mw) BitBlt(wdc.get(), x, 0, mw, h, s, l, 0, SRCCOPY);
    StretchBlt(wdc.get(), w - r, 0, r, h, s, fw - r, 0, r, fh, SRCCOPY);
    UniqueMemDc mdc(CreateCompatibleDC(dc));
    UniqueBitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
    SelectObjectGuard msel(mdc.get(), mask.get());
    SetBkColor(wdc.get(), RGB(255, 0, 255));
    BitBlt(mdc.get(), 0, 0, w, h, wdc.get(), 0, 0, SRCCOPY);
    MaskBlt(dc, t.left, t.top, w, h, wdc.get(), 0, 0, mask.get(), 0, 0,
            MAKEROP4(0x00AA0029, SRCCOPY));
}

// A 918 x 700 window image: rounded transparent corners 10 pixels deep, every row different.
std::unique_ptr<TBitmap> WindowImage(bool plain) {
    auto b = std::make_unique<TBitmap>(918, 700);
    GdiFlush();
    for (int y = 0; y < 700; ++y)
        for (int x = 0; x < 918; ++x) {
            const int dx = std::min(x, 917 - x), dy = std::min(y, 699 - y);
            std::uint32_t p = plain ? 0xD4D0C8
                                    : static_cast<std::uint32_t>(y & 0xFF) << 16 |
                                          static_cast<std::uint32_t>(x & 0xFF) << 8 | (y >> 8);
            if (dx < 10 && dy < 10 && (10 - dx) * (10 - dx) + (10 - dy) * (10 - dy) > 100) p = kKey;
            b->ScanLine(y)[x] = p;
        }
    return b;
}

bool IsKey(std::uint32_t p) {
    // Tolerance 1 on each channel, as the frame painter asks.
    const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
    return r == 255 && g <= 1 && b == 255;
}

// One CombineRgn per run.
UniqueRegion CombinePerRun(TBitmap& img) {
    GdiFlush();
    UniqueRegion result(CreateRectRgn(0, 0, 0, 0));
    for (int y = 0; y < img.Height(); ++y) {
        const std::uint32_t* row = img.ScanLine(y);
        int x = 0;
        while (x < img.Width()) {
            while (x < img.Width() && IsKey(row[x])) ++x;
            if (x == img.Width()) break;
            const int start = x;
            while (x < img.Width() && !IsKey(row[x])) ++x;
            UniqueRegion run(CreateRectRgn(start, y, x, y + 1));
            CombineRgn(result.get(), result.get(), run.get(), RGN_OR);
        }
    }
    return result;
}

// One-row runs joined by ExtCreateRegion 2,000 at a time (no joining of equal rows).
UniqueRegion BatchedRowRuns(TBitmap& img) {
    GdiFlush();
    std::vector<IntRect> runs;
    for (int y = 0; y < img.Height(); ++y) {
        const std::uint32_t* row = img.ScanLine(y);
        int x = 0;
        while (x < img.Width()) {
            while (x < img.Width() && IsKey(row[x])) ++x;
            if (x == img.Width()) break;
            const int start = x;
            while (x < img.Width() && !IsKey(row[x])) ++x;
            runs.push_back({start, y, x, y + 1});
        }
    }
    return RegionFromRects(runs.data(), runs.size());
}

bool SamePixels(TBitmap& a, TBitmap& b) {
    GdiFlush();
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if ((a.ScanLine(y)[x] & 0xFFFFFF) != (b.ScanLine(y)[x] & 0xFFFFFF)) return false;
    return true;
}

} // namespace

int main() {
    int failures = 0;

    // ---- title piece
    auto src = TitlePiece();
    const SliceMargins m{40, 0, 60, 0};
    const RECT target{0, 0, 918, 30};
    TBitmap ours(918, 30), direct(918, 30), copy(918, 30);
    auto fill = [](TBitmap& b) {
        GdiFlush();
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 918; ++x) b.ScanLine(y)[x] = 0x123456;
    };
    fill(ours);
    fill(direct);
    DrawNineSlice(ours.Canvas().Handle(), target, *src, false, true, true, 2, 1, m);
    DirectNineSlice(direct.Canvas().Handle(), target, *src, m);
    if (!SamePixels(ours, direct)) {
        std::printf("title piece: the direct nine-slice draws other pixels\n");
        ++failures;
    }
    auto finished = NineSlice(target, *src, m, false, true, 2, 1);
    const double tKeyed = BestMicros(7, 400, [&] {
        DrawNineSlice(ours.Canvas().Handle(), target, *src, false, true, true, 2, 1, m);
    });
    const double tOpaque = BestMicros(7, 400, [&] {
        DrawNineSlice(ours.Canvas().Handle(), target, *src, false, false, false, 2, 1, m);
    });
    const double tDirect =
        BestMicros(7, 400, [&] { DirectNineSlice(direct.Canvas().Handle(), target, *src, m); });
    const double tFloor = BestMicros(7, 400, [&] {
        BitBlt(copy.Canvas().Handle(), 0, 0, 918, 30, finished->Canvas().Handle(), 0, 0, SRCCOPY);
        GdiFlush();
    });
    std::printf("title piece 918 x 30 (frame 1 of 2, margins 40 / 60)\n");
    std::printf("  BitBlt of a finished piece (floor)        %8.1f us  1\n", tFloor);
    std::printf("  DrawNineSlice, keyed, middle tiled        %8.1f us  %.1fx\n", tKeyed,
                tKeyed / tFloor);
    std::printf("  DrawNineSlice, opaque, middle stretched   %8.1f us  %.1fx\n", tOpaque,
                tOpaque / tFloor);
    std::printf("  direct way, keyed, middle tiled           %8.1f us  %.1fx\n", tDirect,
                tDirect / tFloor);

    // ---- window region
    for (bool plain : {false, true}) {
        auto img = WindowImage(plain);
        UniqueRegion a = RegionFromBitmap(*img, 0, 0, 1, 1, 1);
        UniqueRegion b = CombinePerRun(*img);
        UniqueRegion c = BatchedRowRuns(*img);
        if (!a || !b || !c || !EqualRgn(a.get(), b.get()) || !EqualRgn(a.get(), c.get())) {
            std::printf("window region: the regions differ\n");
            ++failures;
        }
        const double tOurs =
            BestMicros(7, 10, [&] { UniqueRegion r = RegionFromBitmap(*img, 0, 0, 1, 1, 1); });
        const double tCombine = BestMicros(3, 1, [&] { UniqueRegion r = CombinePerRun(*img); });
        const double tRows = BestMicros(5, 2, [&] { UniqueRegion r = BatchedRowRuns(*img); });
        std::printf("window region 918 x 700, rounded corners, %s\n",
                    plain ? "plain face colour" : "every row different");
        std::printf("  CombineRgn per run (baseline)             %8.2f ms  1\n", tCombine / 1000);
        std::printf("  ExtCreateRegion per 2,000 one-row runs    %8.2f ms  %.3fx\n", tRows / 1000,
                    tRows / tCombine);
        std::printf("  RegionFromBitmap                          %8.2f ms  %.3fx\n", tOurs / 1000,
                    tOurs / tCombine);
    }
    return failures ? 1 : 0;
}
