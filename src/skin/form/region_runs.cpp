#include "skin/form/region_runs.h"

#include <algorithm>
#include <cstring>

namespace skin {

PixelRows RowsOf(const TPixelImage& image) {
    PixelRows rows;
    if (image.Empty()) return rows;
    rows.top = image.ScanLine(0);
    // Rows are stored bottom-up: the row below is one stride earlier in memory.
    rows.stride = -static_cast<std::ptrdiff_t>(image.Stride());
    rows.width = image.Width();
    rows.height = image.Height();
    rows.bytesPerPixel = image.BytesPerPixel();
    return rows;
}

KeyTest::KeyTest(TColor key, int tolBlue, int tolGreen, int tolRed) {
    const TColor c = ColorToRGB(key);
    const int value[3] = {BlueOf(c), GreenOf(c), RedOf(c)};
    const int tolerance[3] = {tolBlue, tolGreen, tolRed};
    for (int i = 0; i < 3; ++i) {
        if (tolerance[i] < 0) {
            lo[i] = 256; // no byte value reaches it
            span[i] = 0;
        } else {
            lo[i] = value[i];
            span[i] = static_cast<unsigned>(std::min(value[i] + std::min(tolerance[i], 255), 255) -
                                            value[i]);
        }
    }
}

namespace {

template <int Bpp>
void ScanRow(const std::uint8_t* p, int width, int y, int xOffset, const KeyTest& key,
             std::vector<IntRect>& out) {
    auto isKey = [&](int x) {
        const std::uint8_t* q = p + static_cast<std::ptrdiff_t>(x) * Bpp;
        return key(q[0], q[1], q[2]);
    };
    int x = 0;
    while (x < width) {
        while (x < width && isKey(x)) ++x;
        if (x == width) break;
        const int start = x;
        while (x < width && !isKey(x)) ++x;
        out.push_back({start + xOffset, y, x + xOffset, y + 1});
    }
}

bool SameRuns(const std::vector<IntRect>& out, std::size_t prev, std::size_t cur) {
    const std::size_t n = cur - prev;
    if (out.size() - cur != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (out[prev + i].left != out[cur + i].left || out[prev + i].right != out[cur + i].right)
            return false;
    }
    return true;
}

} // namespace

void AppendRegionRuns(const PixelRows& rows, int xOffset, int yOffset, const KeyTest& key,
                      std::vector<IntRect>& out) {
    if (!rows.top || rows.width <= 0 || rows.height <= 0) return;
    if (rows.bytesPerPixel != 3 && rows.bytesPerPixel != 4) return;
    const std::size_t rowBytes = static_cast<std::size_t>(rows.width) * rows.bytesPerPixel;
    // The band of rectangles that the latest rows produced: [prev, prevEnd) of `out`.
    std::size_t prev = out.size(), prevEnd = out.size();
    const std::uint8_t* last = nullptr;
    for (int y = 0; y < rows.height; ++y) {
        const std::uint8_t* p = rows.top + rows.stride * y;
        const int top = y + yOffset;
        // A row equal to the one above has the same runs.
        if (last && std::memcmp(p, last, rowBytes) == 0) {
            for (std::size_t i = prev; i < prevEnd; ++i) out[i].bottom = top + 1;
            continue;
        }
        last = p;
        const std::size_t cur = out.size();
        if (rows.bytesPerPixel == 4)
            ScanRow<4>(p, rows.width, top, xOffset, key, out);
        else
            ScanRow<3>(p, rows.width, top, xOffset, key, out);
        if (y > 0 && SameRuns(out, prev, cur)) {
            for (std::size_t i = prev; i < prevEnd; ++i) out[i].bottom = top + 1;
            out.resize(cur);
        } else {
            prev = cur;
            prevEnd = out.size();
        }
    }
}

std::vector<IntRect> RegionRuns(const PixelRows& rows, int xOffset, int yOffset,
                                const KeyTest& key) {
    std::vector<IntRect> out;
    AppendRegionRuns(rows, xOffset, yOffset, key, out);
    return out;
}

} // namespace skin
