#pragma once
// The rectangles of a window region made from a bitmap: every run of pixels that are not the
// key colour. Portable; the GDI side turns the rectangles into a region in batches.
#include "skin/data/colour.h"
#include "skin/data/image_utils.h"
#include "skin/data/pixel_image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

// Read-only rows of 24- or 32-bit pixels in blue, green, red(, x) byte order.
struct PixelRows {
    const std::uint8_t* top = nullptr; // first byte of the top row
    std::ptrdiff_t stride = 0;         // bytes from a row to the one below (negative: bottom-up)
    int width = 0, height = 0;
    int bytesPerPixel = 4;
};
PixelRows RowsOf(const TPixelImage& image);

// A pixel is key when each of its red, green and blue values lies between the key's value
// and that value plus the channel's tolerance, capped at 255. A negative tolerance makes
// no pixel key. A system colour key is resolved first.
struct KeyTest {
    KeyTest(TColor key, int tolBlue, int tolGreen, int tolRed);
    bool operator()(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const {
        return static_cast<unsigned>(blue - lo[0]) <= span[0] &&
               static_cast<unsigned>(green - lo[1]) <= span[1] &&
               static_cast<unsigned>(red - lo[2]) <= span[2];
    }
    int lo[3];        // lowest key value of blue, green, red (256 when no value is key)
    unsigned span[3]; // highest minus lowest
};

// Appends one rectangle per maximal run of non-key pixels, moved by the offsets: row y's
// run [x0, x1) gives (x0 + xOffset, y + yOffset, x1 + xOffset, y + yOffset + 1). Runs that
// are the same in consecutive rows are given as one taller rectangle (the same pixels, far
// fewer rectangles for the region code to join).
void AppendRegionRuns(const PixelRows& rows, int xOffset, int yOffset, const KeyTest& key,
                      std::vector<IntRect>& out);
std::vector<IntRect> RegionRuns(const PixelRows& rows, int xOffset, int yOffset,
                                const KeyTest& key);

} // namespace skin
