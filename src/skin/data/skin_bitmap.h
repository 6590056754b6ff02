#pragma once
// Pixel images to and from the toolkit's TBitmap and GDI bitmaps. Pixel rules (mirroring,
// key-colour replacement, gradients) live with TPixelImage; these only move pixels, so the
// Win32 side never re-implements a rule.
#include "skin/data/pixel_image.h"
#include "skin/data/skin_elements.h"
#include "toolkit/graphics.h"
#include "toolkit/handles.h"

#include <windows.h>

namespace skin {

// Resizes `target` to the image and copies its colours in the bitmap's own pixel format; an
// empty image empties the bitmap.
void AssignPixels(TBitmap& target, const TPixelImage& image);
// The bitmap's colours as a pixel image of 24 or 32 bits per pixel (fourth byte 0).
TPixelImage PixelsOf(const TBitmap& bitmap, int bitsPerPixel = 24);
// Any GDI bitmap (device-dependent or a DIB section, any depth) read through GetDIBits;
// empty when it cannot be read.
TPixelImage PixelsOf(HBITMAP bitmap, int bitsPerPixel = 24);
// A new DIB section with the image's pixels and depth; null for an empty image.
UniqueBitmap CreateDibSection(const TPixelImage& image);

template <> struct TSkinImageOps<TBitmap> {
    static void Assign(TBitmap& target, TPixelImage source) { AssignPixels(target, source); }
    static TPixelImage Pixels(const TBitmap& bitmap) { return PixelsOf(bitmap, 24); }
    static int Width(const TBitmap& bitmap) { return bitmap.Width(); }
    static int Height(const TBitmap& bitmap) { return bitmap.Height(); }
    static TColor Pixel(const TBitmap& bitmap, int x, int y);
};

} // namespace skin
