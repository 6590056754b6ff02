#pragma once
// The image utilities on the toolkit's TBitmap and on device contexts. Every pixel rule is the
// portable one of image_utils.h: these move pixels to a TPixelImage and back, so a bitmap, a
// DC and a pixel image given the same pixels come out the same.
#include "skin/data/image_utils.h"
#include "toolkit/graphics.h"

#include <windows.h>

namespace skin {

// On bitmaps. GreyScale and ReplaceMagenta leave the bitmap pf24bit; the geometric operations
// keep its pixel format (and palette).
void GreyScale(TBitmap& bitmap);
void ReplaceMagenta(TBitmap& bitmap, TColor colour);
void Mirror(TBitmap& bitmap);
void Flip(TBitmap& bitmap);
void RotateCounterClockwise(TBitmap& bitmap);
void RotateClockwise(TBitmap& bitmap);

// On the pixels of rectangle r of a DC (memory DCs and window DCs alike). The turns write the
// turned picture, r's height wide and r's width high, at r's top-left corner.
void GreyScale(HDC dc, const RECT& r);
void ReplaceMagenta(HDC dc, const RECT& r, TColor colour);
void Mirror(HDC dc, const RECT& r);
void Flip(HDC dc, const RECT& r);
void RotateCounterClockwise(HDC dc, const RECT& r);
void RotateClockwise(HDC dc, const RECT& r);

// Gradient fill of r: the start colour at the top (vertical) or left edge, the end colour at
// the bottom or right edge; system colours allowed. Only the lines inside the DC's clip box
// are drawn, each in the colour of its entry in the full-length cached table, so a clipped
// fill draws what the whole fill draws there. Nothing when r is not visible or empty.
void GradientFill(HDC dc, const RECT& r, TColor start, bool vertical, TColor end);
// The same into a bitmap, clipped to it.
void GradientFill(TBitmap& bitmap, const RECT& r, TColor start, bool vertical, TColor end);

} // namespace skin
