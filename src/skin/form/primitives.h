#pragma once
// The drawing primitives that every skinned piece of the program is painted with: cutting a
// frame out of an element's bitmap, nine-slice and three-slice scaling, colour-keyed copies
// (magenta is a hole), tiling, window regions from bitmaps and the parent's background
// behind a control. Pieces are composed in memory bitmaps and reach the target DC with one
// block transfer; a keyed one is clipped to the pixels that are not the key colour.
//
// Frames are counted from 1; an index outside 1..count draws nothing. Inverted targets and
// empty sources draw nothing.
#include "skin/data/colour.h"
#include "skin/form/slice_geometry.h"
#include "toolkit/graphics.h"
#include "toolkit/handles.h"

#include <windows.h>

#include <cstdint>
#include <memory>

class TControl;
class TStringList;

namespace skin {

// A bitmap the primitives read from: selected into a DC (for block transfers) and, where the
// pixels can be reached directly, its top-down rows of 0x00RRGGBB words (for masks and
// regions; without them the pixels are read through the DC).
struct SkinSource {
    HDC dc = nullptr;
    int width = 0, height = 0;
    const std::uint32_t* bits = nullptr;

    SkinSource() = default;
    SkinSource(TBitmap& bitmap); // implicit: a TBitmap is the usual source
    SkinSource(HDC dc, int width, int height, const std::uint32_t* bits = nullptr)
        : dc(dc), width(width), height(height), bits(bits) {}
    bool Empty() const { return !dc || width <= 0 || height <= 0; }
};

// An HBITMAP that is not in a DC yet, selected into a memory DC of its own while this lives.
class SelectedBitmap {
public:
    explicit SelectedBitmap(HBITMAP bitmap);
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    ~SelectedBitmap();
    SkinSource Source() const { return source_; }

private:
    UniqueMemDc dc_;
    HGDIOBJ old_ = nullptr;
    SkinSource source_;
};

// Frame `frameIndex` of `frameCount` nine-sliced into a new bitmap of the target's size.
// The middle is tiled or stretched; the side (top and bottom) margins are dropped when the
// target is narrower (lower) than both together. Null for an empty target, source or frame.
std::unique_ptr<TBitmap> NineSlice(const RECT& target, const SkinSource& source,
                                   const SliceMargins& margins, bool verticalFrames,
                                   bool tileMiddle, int frameCount, int frameIndex);

// NineSlice drawn at the target, magenta left out when `keyTransparent`.
void DrawNineSlice(HDC dc, const RECT& target, const SkinSource& source, bool verticalFrames,
                   bool tileMiddle, bool keyTransparent, int frameCount, int frameIndex,
                   const SliceMargins& margins);

// Left cap, middle repeated across, right cap, each stretched to the target height.
void DrawThreeSlice(HDC dc, const RECT& target, const SkinSource& source, bool verticalFrames,
                    bool keyTransparent, int frameCount, int frameIndex,
                    const SliceMargins& margins);

// One of `frameCount` frames side by side, stretched to the target.
void DrawFrame(HDC dc, const RECT& target, const SkinSource& source, bool keyTransparent,
               int frameCount, int frameIndex);

// One of `frameCount` frames side by side at its own size, centred in the target; a frame
// larger than the target overhangs it on both sides.
void DrawFrameCentred(HDC dc, const RECT& target, const SkinSource& source, bool keyTransparent,
                      int frameCount, int frameIndex);

// Left cap, stretched middle, right cap, all stretched to the target height; the whole frame
// stretched when the target is narrower than a frame. Opaque, straight into the DC.
void DrawThreePart(HDC dc, const RECT& target, const SkinSource& source, bool verticalFrames,
                   int frameCount, int frameIndex, int leftCap, int rightCap);

// The bitmap's top-left part of the target's size copied to the target, pixels of the key
// colour left out (the DC keeps what it had there).
void DrawKeyed(HDC dc, const RECT& target, const SkinSource& bitmap, TColor key = kMagenta);

// The source rectangle (cut to the bitmap) repeated from the target's top-left corner while
// a copy starts inside the target; the last column and row overhang the target.
void Tile(HDC dc, const RECT& target, const SkinSource& source, const RECT& sourceRect);

// A new region of the bitmap's pixels that are not the key colour (within the tolerances),
// moved by the offsets. A bitmap with no such pixel gives an empty region (not null).
UniqueRegion RegionFromBitmap(const SkinSource& bitmap, int xOffset, int yOffset, int tolBlue,
                              int tolGreen, int tolRed, TColor key = kMagenta);
// The union of the rectangles, joined in batches of region data.
UniqueRegion RegionFromRects(const IntRect* rects, std::size_t count);

// The compose buffer and the string list that the frame painter and the menu bar share; the
// buffer copies whole pixels when stretching (COLORONCOLOR). The primitives never use them
// themselves, so the buffer may be their source or target. They live until the program ends.
TBitmap& SharedScratchBitmap();
TStringList& SharedStringList();

// Paints the control's parent into the DC behind the control: the DC's origin is the
// control's top-left corner and its clip the control's rectangle; the parent gets
// WM_ERASEBKGND and then WM_PAINT with the DC. Nothing without a parent.
void PaintParentBackground(TControl* control, HDC dc);
// The same for any child window. A parent that is not one of the toolkit's windows is asked
// with WM_PRINTCLIENT instead of WM_PAINT: a foreign window procedure need not honour a DC in
// WM_PAINT's wParam, and would validate its own update region instead.
void PaintParentBackground(HWND window, HDC dc);

} // namespace skin
