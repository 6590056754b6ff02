#pragma once
// The image utilities on TPixelImage, and the colour arithmetic that goes with
// them. Portable; the Win32 side draws the results (gradient tables, images) with GDI.
#include "skin/data/colour.h"
#include "skin/data/pixel_image.h"

#include <memory>
#include <vector>

namespace skin {

// Converts to 24 bits per pixel; every pixel becomes grey v = (red + green + blue) div 3.
void GreyScale(TPixelImage& image);
// Converts to 24 bits per pixel; every pixel with red 255, green 0, blue 255 takes the red,
// green and blue bytes of `colour` exactly as passed (a system colour is not resolved).
void ReplaceMagenta(TPixelImage& image, TColor colour);
// Left-right mirror: destination pixel x of each row is source pixel w - 1 - x.
void Mirror(TPixelImage& image);
// Upside down: destination row i is source row h - 1 - i.
void Flip(TPixelImage& image);
// A quarter turn to the left: width and height swap, source pixel (x, y) lands at
// (y, w - 1 - x); the source's top edge becomes the left edge.
void RotateCounterClockwise(TPixelImage& image);
// A quarter turn to the right: source pixel (x, y) lands at (h - 1 - y, x).
void RotateClockwise(TPixelImage& image);
// (The four geometric operations keep the pixel format)

// Mixes c1 into c2 with weight w of c1: percent when w < 100, per mille from 100 on.
// Negative colours are resolved first. Channel = (c2 * (D - w) + c1 * w + D div 2) div D,
// computed in 32-bit integer arithmetic and truncated to 8 bits.
TColor MixColors(TColor c1, TColor c2, int w);

// The gradient table of n entries from plain colour s to plain colour e, from the
// 16-slot cache: slots are searched from 15 down to 0 for a table of length n whose first
// entry is s and last entry e; otherwise the next slot in rotation gets a new table.
// n <= 0 gives an empty table (not cached).
std::shared_ptr<const std::vector<TColor>> GradientTable(int n, TColor s, TColor e);
// The table as computed, without the cache.
std::vector<TColor> ComputeGradientTable(int n, TColor s, TColor e);
// Empties all 16 slots and sets the next-slot counter to 0 (shutdown, tests).
void ClearGradientCache();
// The table in slot i (0..15), null when the slot is empty; and the next-slot counter.
std::shared_ptr<const std::vector<TColor>> GradientCacheSlot(int i);
int GradientCacheNextSlot();

struct IntRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const IntRect&) const = default;
};

// Gradient fill of rectangle r into `image`, clipped to `clip` (and to the image): the
// start colour at the top (vertical) or left edge, the end colour at the bottom or right.
// Colours may be system colours. Nothing happens when r does not meet the clip or its
// height (width) is 0 or less. Line i of r takes table entry i of the full-length table.
void GradientFill(TPixelImage& image, const IntRect& r, TColor start, bool vertical, TColor end,
                  const IntRect& clip);
void GradientFill(TPixelImage& image, const IntRect& r, TColor start, bool vertical, TColor end);

// Which lines of r a gradient fill draws inside `clip`: [first, last] as indexes into the
// table; false when none (r outside the clip, or n <= 0). For the Win32 side's DC version.
bool GradientLines(const IntRect& r, bool vertical, const IntRect& clip, int& first, int& last);

// Saturation measure of a plain colour (negative colours are resolved first): 200 when all
// three channels are below 160, else round((max - min) / max * 255), 0 when max is 0.
int SaturationMeasure(TColor c);

} // namespace skin
