#include "skin/data/image_utils_win.h"

#include "skin/data/skin_bitmap.h"

#include <algorithm>
#include <cstring>

namespace skin {

namespace {

// A geometric operation in the bitmap's own format: 32-bit images stay 32-bit through the
// round trip, others come back through 24 bits, which holds every colour they can show.
template <typename Op> void InPlace(TBitmap& bitmap, Op op) {
    if (bitmap.Empty()) return;
    TPixelImage image = PixelsOf(bitmap, bitmap.BitsPerPixel() == 32 ? 32 : 24);
    op(image);
    AssignPixels(bitmap, image);
}

// The pixels of r of a DC through a 32-bit DIB section.
TPixelImage ReadRect(HDC dc, const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return {};
    TBitmap copy(w, h, pf32bit);
    if (!copy.Handle()) return {};
    BitBlt(copy.Canvas().Handle(), 0, 0, w, h, dc, r.left, r.top, SRCCOPY);
    return PixelsOf(copy, 24);
}

void WriteAt(HDC dc, int x, int y, const TPixelImage& image) {
    if (image.Empty()) return;
    TBitmap copy(0, 0, pf32bit);
    AssignPixels(copy, image);
    if (copy.Handle())
        BitBlt(dc, x, y, copy.Width(), copy.Height(), copy.Canvas().Handle(), 0, 0, SRCCOPY);
}

template <typename Op> void OnDc(HDC dc, const RECT& r, Op op) {
    TPixelImage image = ReadRect(dc, r);
    if (image.Empty()) return;
    op(image);
    WriteAt(dc, r.left, r.top, image);
}

} // namespace

void GreyScale(TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    InPlace(bitmap, [](TPixelImage& i) { GreyScale(i); });
}
void ReplaceMagenta(TBitmap& bitmap, TColor colour) {
    bitmap.SetPixelFormat(pf24bit);
    InPlace(bitmap, [colour](TPixelImage& i) { ReplaceMagenta(i, colour); });
}
void Mirror(TBitmap& bitmap) {
    InPlace(bitmap, [](TPixelImage& i) { Mirror(i); });
}
void Flip(TBitmap& bitmap) {
    InPlace(bitmap, [](TPixelImage& i) { Flip(i); });
}
void RotateCounterClockwise(TBitmap& bitmap) {
    InPlace(bitmap, [](TPixelImage& i) { RotateCounterClockwise(i); });
}
void RotateClockwise(TBitmap& bitmap) {
    InPlace(bitmap, [](TPixelImage& i) { RotateClockwise(i); });
}

void GreyScale(HDC dc, const RECT& r) {
    OnDc(dc, r, [](TPixelImage& i) { GreyScale(i); });
}
void ReplaceMagenta(HDC dc, const RECT& r, TColor colour) {
    OnDc(dc, r, [colour](TPixelImage& i) { ReplaceMagenta(i, colour); });
}
void Mirror(HDC dc, const RECT& r) {
    OnDc(dc, r, [](TPixelImage& i) { Mirror(i); });
}
void Flip(HDC dc, const RECT& r) {
    OnDc(dc, r, [](TPixelImage& i) { Flip(i); });
}
void RotateCounterClockwise(HDC dc, const RECT& r) {
    OnDc(dc, r, [](TPixelImage& i) { RotateCounterClockwise(i); });
}
void RotateClockwise(HDC dc, const RECT& r) {
    OnDc(dc, r, [](TPixelImage& i) { RotateClockwise(i); });
}

void GradientFill(HDC dc, const RECT& r, TColor start, bool vertical, TColor end) {
    if (!dc || !RectVisible(dc, &r)) return;
    const int n = vertical ? r.bottom - r.top : r.right - r.left;
    if (n <= 0) return;
    RECT box{};
    if (GetClipBox(dc, &box) == ERROR) return;
    int first = 0, last = -1;
    const IntRect area{r.left, r.top, r.right, r.bottom};
    if (!GradientLines(area, vertical, IntRect{box.left, box.top, box.right, box.bottom}, first,
                       last))
        return;
    const auto table = GradientTable(n, static_cast<TColor>(::ColorToRGB(start)),
                                     static_cast<TColor>(::ColorToRGB(end)));
    // One stock DC brush recoloured per line: no GDI object is made for a fill.
    const COLORREF before = GetDCBrushColor(dc);
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    for (int i = first; i <= last; ++i) {
        SetDCBrushColor(dc, static_cast<COLORREF>((*table)[static_cast<size_t>(i)]));
        const RECT line = vertical ? RECT{r.left, r.top + i, r.right, r.top + i + 1}
                                   : RECT{r.left + i, r.top, r.left + i + 1, r.bottom};
        ::FillRect(dc, &line, brush);
    }
    SetDCBrushColor(dc, before);
}

void GradientFill(TBitmap& bitmap, const RECT& r, TColor start, bool vertical, TColor end) {
    if (bitmap.Empty() || !bitmap.Handle()) return;
    GradientFill(bitmap.Canvas().Handle(), r, start, vertical, end);
}

} // namespace skin
