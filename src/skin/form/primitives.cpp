#include "skin/form/primitives.h"

#include "skin/form/region_runs.h"
#include "toolkit/controls.h"
#include "toolkit/stdctrls.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace skin {

namespace {

// Raster operation of a masked copy: keep the destination where the mask is set (key pixels),
// copy the source where it is clear.
constexpr DWORD kKeyedRop = MAKEROP4(0x00AA0029, SRCCOPY);

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}
bool Inverted(const RECT& r) {
    return r.right < r.left || r.bottom < r.top;
}

SkinSource SourceOf(TBitmap& bitmap) {
    return SkinSource(bitmap);
}

// Memory bitmaps kept from one draw to the next, one per use: making a DC and a DIB section
// for every piece would cost more than drawing it. They only grow.
enum class Buffer { Compose, Column, Tiles, Read, Count };

TBitmap& BufferOf(Buffer which, int width, int height) {
    thread_local TBitmap buffers[static_cast<int>(Buffer::Count)];
    TBitmap& b = buffers[static_cast<int>(which)];
    if (b.Width() < width || b.Height() < height || !b.Handle()) {
        b.SetSize(std::max(b.Width(), width), std::max(b.Height(), height));
        SetStretchBltMode(b.Canvas().Handle(), COLORONCOLOR);
    }
    return b;
}

// Stretches (or copies, at equal size) src of the source to dst of the DC.
void Blit(HDC dc, const IntRect& dst, const SkinSource& source, const IntRect& src) {
    if (dst.Width() == src.Width() && dst.Height() == src.Height())
        BitBlt(dc, dst.left, dst.top, dst.Width(), dst.Height(), source.dc, src.left, src.top,
               SRCCOPY);
    else
        StretchBlt(dc, dst.left, dst.top, dst.Width(), dst.Height(), source.dc, src.left, src.top,
                   src.Width(), src.Height(), SRCCOPY);
}

// Repeats src of the source from (x, y) over width x height, the last copies overhanging.
// Many copies are doubled up in a buffer first, so that the DC gets one block transfer
// instead of one per copy.
void TileInto(HDC dc, int x, int y, int width, int height, const SkinSource& source,
              const IntRect& src) {
    const int tw = src.Width(), th = src.Height();
    const TileGrid grid = TileCover(width, height, tw, th);
    if (grid.columns <= 0 || grid.rows <= 0) return;
    if (grid.columns * static_cast<long long>(grid.rows) <= 4) {
        for (int row = 0; row < grid.rows; ++row)
            for (int col = 0; col < grid.columns; ++col)
                BitBlt(dc, x + col * tw, y + row * th, tw, th, source.dc, src.left, src.top,
                       SRCCOPY);
        return;
    }
    const int bw = grid.columns * tw, bh = grid.rows * th;
    TBitmap& buffer = BufferOf(Buffer::Tiles, bw, bh);
    HDC b = buffer.Canvas().Handle();
    if (!buffer.Handle()) return;
    BitBlt(b, 0, 0, tw, th, source.dc, src.left, src.top, SRCCOPY);
    for (int w = tw; w < bw; w *= 2) BitBlt(b, w, 0, std::min(w, bw - w), th, b, 0, 0, SRCCOPY);
    for (int h = th; h < bh; h *= 2) BitBlt(b, 0, h, bw, std::min(h, bh - h), b, 0, 0, SRCCOPY);
    BitBlt(dc, x, y, bw, bh, b, 0, 0, SRCCOPY);
}

void DrawPiece(HDC dc, const SlicePiece& piece, const SkinSource& source) {
    const IntRect& d = piece.dst;
    switch (piece.mode) {
    case PieceMode::Stretch:
        Blit(dc, d, source, piece.src);
        break;
    case PieceMode::Tile:
        TileInto(dc, d.left, d.top, d.Width(), d.Height(), source, piece.src);
        break;
    case PieceMode::TileX:
        if (piece.src.Height() == d.Height()) {
            TileInto(dc, d.left, d.top, d.Width(), d.Height(), source, piece.src);
        } else {
            // Each copy is the source stretched to the full height.
            const IntRect column{0, 0, piece.src.Width(), d.Height()};
            TBitmap& b = BufferOf(Buffer::Column, column.right, column.bottom);
            if (!b.Handle()) return;
            Blit(b.Canvas().Handle(), column, source, piece.src);
            TileInto(dc, d.left, d.top, d.Width(), d.Height(), SourceOf(b), column);
        }
        break;
    }
}

// Draws the plan into the top-left width x height of `into`, black where no piece goes.
bool Compose(const SlicePlan& plan, const SkinSource& source, int width, int height,
             TBitmap& into) {
    if (plan.empty() || !into.Handle()) return false;
    HDC dc = into.Canvas().Handle();
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    for (const SlicePiece& piece : plan) DrawPiece(dc, piece, source);
    return true;
}

// The rows of width x height pixels of the source from (sx, sy); through a copy when the
// source's pixels cannot be reached directly.
PixelRows SourceRows(const SkinSource& source, int sx, int sy, int width, int height) {
    PixelRows rows;
    const std::uint32_t* bits = source.bits;
    int stride = source.width;
    if (bits) {
        bits += static_cast<std::size_t>(sy) * stride + sx;
    } else {
        TBitmap& copy = BufferOf(Buffer::Read, width, height);
        if (!copy.Handle()) return rows;
        BitBlt(copy.Canvas().Handle(), 0, 0, width, height, source.dc, sx, sy, SRCCOPY);
        bits = copy.ScanLine(0);
        stride = copy.Width();
    }
    GdiFlush();
    rows.top = reinterpret_cast<const std::uint8_t*>(bits);
    rows.stride = static_cast<std::ptrdiff_t>(stride) * 4;
    rows.width = width;
    rows.height = height;
    rows.bytesPerPixel = 4;
    return rows;
}

// Where logical point (x, y) of the DC lies in device units, when only the origins move it
// (no scaling mode or world transform).
bool DeviceOffset(HDC dc, int x, int y, POINT& p) {
    if (GetMapMode(dc) != MM_TEXT) return false;
    if (GetGraphicsMode(dc) == GM_ADVANCED) {
        XFORM xf{};
        if (!GetWorldTransform(dc, &xf) || xf.eM11 != 1 || xf.eM12 != 0 || xf.eM21 != 0 ||
            xf.eM22 != 1 || xf.eDx != 0 || xf.eDy != 0)
            return false;
    }
    p = {x, y};
    return LPtoDP(dc, &p, 1) != 0;
}

// A monochrome mask of the rows, set on key pixels (for MaskBlt).
UniqueBitmap KeyMask(const PixelRows& rows, const KeyTest& key) {
    const int stride = ((rows.width + 15) / 16) * 2; // mono rows are word aligned
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * rows.height, 0);
    for (int y = 0; y < rows.height; ++y) {
        const std::uint8_t* p = rows.top + rows.stride * y;
        std::uint8_t* m = bits.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < rows.width; ++x, p += 4)
            if (key(p[0], p[1], p[2])) m[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
    return UniqueBitmap(CreateBitmap(rows.width, rows.height, 1, 1, bits.data()));
}

// Copies width x height of the source from (sx, sy) to (x, y) of the DC, leaving out the
// key colour's pixels. The copy is one block transfer clipped to the region of the other
// pixels: the same pixels as a masked transfer, which some GDIs carry out many times slower.
void KeyedCopy(HDC dc, int x, int y, int width, int height, const SkinSource& source, int sx,
               int sy, TColor key) {
    const PixelRows rows = SourceRows(source, sx, sy, width, height);
    if (!rows.top) return;
    const KeyTest test(key, 0, 0, 0);
    const bool direct = source.bits != nullptr;
    // Without direct pixels the rows are a copy in the read buffer: draw from it.
    HDC from = direct ? source.dc : BufferOf(Buffer::Read, 0, 0).Canvas().Handle();
    const int fx = direct ? sx : 0, fy = direct ? sy : 0;
    POINT at;
    if (!DeviceOffset(dc, x, y, at)) {
        UniqueBitmap mask = KeyMask(rows, test);
        if (mask) MaskBlt(dc, x, y, width, height, from, fx, fy, mask.get(), 0, 0, kKeyedRop);
        return;
    }
    const std::vector<IntRect> runs = RegionRuns(rows, at.x, at.y, test);
    if (runs.empty()) return;
    if (runs.size() == 1 && runs[0] == IntRect{at.x, at.y, at.x + width, at.y + height}) {
        BitBlt(dc, x, y, width, height, from, fx, fy, SRCCOPY);
        return;
    }
    UniqueRegion visible = RegionFromRects(runs.data(), runs.size());
    if (!visible) return;
    UniqueRegion saved(CreateRectRgn(0, 0, 0, 0));
    const int hadClip = saved ? GetClipRgn(dc, saved.get()) : -1;
    if (hadClip < 0) return;
    if (hadClip == 1)
        ExtSelectClipRgn(dc, visible.get(), RGN_AND);
    else
        SelectClipRgn(dc, visible.get());
    BitBlt(dc, x, y, width, height, from, fx, fy, SRCCOPY);
    SelectClipRgn(dc, hadClip == 1 ? saved.get() : nullptr);
}

// Copies width x height of the source from (sx, sy) to (x, y) of the DC, keyed or opaque.
void Present(HDC dc, int x, int y, int width, int height, const SkinSource& source, int sx, int sy,
             bool keyed, TColor key) {
    if (width <= 0 || height <= 0) return;
    if (keyed)
        KeyedCopy(dc, x, y, width, height, source, sx, sy, key);
    else
        BitBlt(dc, x, y, width, height, source.dc, sx, sy, SRCCOPY);
}

IntRect FrameOf(const SkinSource& source, int count, int index, bool vertical) {
    if (source.Empty()) return {};
    return FrameRect(source.width, source.height, count, index, vertical);
}

// Composes the plan in the compose buffer and presents it at the target.
void ComposeAndPresent(HDC dc, const RECT& target, const SlicePlan& plan, const SkinSource& source,
                       bool keyed) {
    if (plan.empty()) return;
    const int w = Width(target), h = Height(target);
    TBitmap& work = BufferOf(Buffer::Compose, w, h);
    if (Compose(plan, source, w, h, work))
        Present(dc, target.left, target.top, w, h, SourceOf(work), 0, 0, keyed, kMagenta);
}

} // namespace

SkinSource::SkinSource(TBitmap& bitmap)
    : dc(bitmap.Handle() ? bitmap.Canvas().Handle() : nullptr), width(bitmap.Width()),
      height(bitmap.Height()),
      bits(bitmap.Handle() && bitmap.BitsPerPixel() == 32 ? bitmap.ScanLine(0) : nullptr) {}

SelectedBitmap::SelectedBitmap(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !GetObject(bitmap, sizeof(bm), &bm)) return;
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!dc_) return;
    old_ = SelectObject(dc_.get(), bitmap);
    if (!old_) return; // already selected into another DC
    // No direct pixels: GDI does not tell which way a DIB section's rows run.
    source_ = SkinSource(dc_.get(), bm.bmWidth, bm.bmHeight);
}

SelectedBitmap::~SelectedBitmap() {
    if (dc_ && old_) SelectObject(dc_.get(), old_);
}

std::unique_ptr<TBitmap> NineSlice(const RECT& target, const SkinSource& source,
                                   const SliceMargins& margins, bool verticalFrames,
                                   bool tileMiddle, int frameCount, int frameIndex) {
    const int w = Width(target), h = Height(target);
    const IntRect frame = FrameOf(source, frameCount, frameIndex, verticalFrames);
    const SlicePlan plan = NineSlicePlan(frame, margins, w, h, tileMiddle);
    if (plan.empty()) return nullptr;
    auto work = std::make_unique<TBitmap>(w, h);
    SetStretchBltMode(work->Canvas().Handle(), COLORONCOLOR);
    if (!Compose(plan, source, w, h, *work)) return nullptr;
    return work;
}

void DrawNineSlice(HDC dc, const RECT& target, const SkinSource& source, bool verticalFrames,
                   bool tileMiddle, bool keyTransparent, int frameCount, int frameIndex,
                   const SliceMargins& margins) {
    if (Inverted(target)) return;
    const IntRect frame = FrameOf(source, frameCount, frameIndex, verticalFrames);
    ComposeAndPresent(dc, target,
                      NineSlicePlan(frame, margins, Width(target), Height(target), tileMiddle),
                      source, keyTransparent);
}

void DrawThreeSlice(HDC dc, const RECT& target, const SkinSource& source, bool verticalFrames,
                    bool keyTransparent, int frameCount, int frameIndex,
                    const SliceMargins& margins) {
    if (Inverted(target)) return;
    const IntRect frame = FrameOf(source, frameCount, frameIndex, verticalFrames);
    ComposeAndPresent(dc, target, ThreeSlicePlan(frame, margins, Width(target), Height(target)),
                      source, keyTransparent);
}

void DrawFrame(HDC dc, const RECT& target, const SkinSource& source, bool keyTransparent,
               int frameCount, int frameIndex) {
    if (Inverted(target)) return;
    const int w = Width(target), h = Height(target);
    const IntRect frame = FrameOf(source, frameCount, frameIndex, false);
    if (w <= 0 || h <= 0 || frame.Width() <= 0) return;
    if (frame.Width() == w && frame.Height() == h) {
        Present(dc, target.left, target.top, w, h, source, frame.left, frame.top, keyTransparent,
                kMagenta);
        return;
    }
    SlicePlan plan;
    plan.Add({frame, {0, 0, w, h}, PieceMode::Stretch});
    ComposeAndPresent(dc, target, plan, source, keyTransparent);
}

void DrawFrameCentred(HDC dc, const RECT& target, const SkinSource& source, bool keyTransparent,
                      int frameCount, int frameIndex) {
    if (Inverted(target)) return;
    const IntRect frame = FrameOf(source, frameCount, frameIndex, false);
    if (frame.Width() <= 0) return;
    const IntPoint at = CentredOrigin(Width(target), Height(target), frame.Width(), frame.Height());
    Present(dc, target.left + at.x, target.top + at.y, frame.Width(), frame.Height(), source,
            frame.left, frame.top, keyTransparent, kMagenta);
}

void DrawThreePart(HDC dc, const RECT& target, const SkinSource& source, bool verticalFrames,
                   int frameCount, int frameIndex, int leftCap, int rightCap) {
    if (Inverted(target)) return;
    const IntRect frame = FrameOf(source, frameCount, frameIndex, verticalFrames);
    const SlicePlan plan = ThreePartPlan(frame, leftCap, rightCap, Width(target), Height(target));
    if (plan.empty()) return;
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    for (SlicePiece piece : plan) {
        piece.dst = {piece.dst.left + target.left, piece.dst.top + target.top,
                     piece.dst.right + target.left, piece.dst.bottom + target.top};
        Blit(dc, piece.dst, source, piece.src);
    }
    if (oldMode) SetStretchBltMode(dc, oldMode);
}

void DrawKeyed(HDC dc, const RECT& target, const SkinSource& bitmap, TColor key) {
    if (Inverted(target) || bitmap.Empty()) return;
    const int w = std::min(Width(target), bitmap.width),
              h = std::min(Height(target), bitmap.height);
    Present(dc, target.left, target.top, w, h, bitmap, 0, 0, true, key);
}

void Tile(HDC dc, const RECT& target, const SkinSource& source, const RECT& sourceRect) {
    if (source.Empty() || Inverted(target)) return;
    const IntRect src{std::max<int>(sourceRect.left, 0), std::max<int>(sourceRect.top, 0),
                      std::min<int>(sourceRect.right, source.width),
                      std::min<int>(sourceRect.bottom, source.height)};
    if (src.Width() <= 0 || src.Height() <= 0) return;
    TileInto(dc, target.left, target.top, Width(target), Height(target), source, src);
}

UniqueRegion RegionFromRects(const IntRect* rects, std::size_t count) {
    if (count == 0) return UniqueRegion(CreateRectRgn(0, 0, 0, 0));
    constexpr std::size_t kBatch = 2000;
    std::vector<std::uint8_t> block(sizeof(RGNDATAHEADER) + sizeof(RECT) * std::min(count, kBatch));
    UniqueRegion result;
    for (std::size_t first = 0; first < count; first += kBatch) {
        const std::size_t n = std::min(kBatch, count - first);
        auto* data = reinterpret_cast<RGNDATA*>(block.data());
        RECT* out = reinterpret_cast<RECT*>(data->Buffer);
        RECT bound{rects[first].left, rects[first].top, rects[first].right, rects[first].bottom};
        for (std::size_t i = 0; i < n; ++i) {
            const IntRect& r = rects[first + i];
            out[i] = {r.left, r.top, r.right, r.bottom};
            bound.left = std::min<LONG>(bound.left, r.left);
            bound.top = std::min<LONG>(bound.top, r.top);
            bound.right = std::max<LONG>(bound.right, r.right);
            bound.bottom = std::max<LONG>(bound.bottom, r.bottom);
        }
        data->rdh.dwSize = sizeof(RGNDATAHEADER);
        data->rdh.iType = RDH_RECTANGLES;
        data->rdh.nCount = static_cast<DWORD>(n);
        data->rdh.nRgnSize = static_cast<DWORD>(n * sizeof(RECT));
        data->rdh.rcBound = bound;
        UniqueRegion part(ExtCreateRegion(
            nullptr, static_cast<DWORD>(sizeof(RGNDATAHEADER) + n * sizeof(RECT)), data));
        if (!part) return {};
        if (!result)
            result = std::move(part);
        else
            CombineRgn(result.get(), result.get(), part.get(), RGN_OR);
    }
    return result;
}

UniqueRegion RegionFromBitmap(const SkinSource& bitmap, int xOffset, int yOffset, int tolBlue,
                              int tolGreen, int tolRed, TColor key) {
    if (bitmap.Empty()) return UniqueRegion(CreateRectRgn(0, 0, 0, 0));
    const PixelRows rows = SourceRows(bitmap, 0, 0, bitmap.width, bitmap.height);
    if (!rows.top) return {};
    const std::vector<IntRect> runs =
        RegionRuns(rows, xOffset, yOffset, KeyTest(key, tolBlue, tolGreen, tolRed));
    return RegionFromRects(runs.data(), runs.size());
}

TBitmap& SharedScratchBitmap() {
    // Resizing keeps the bitmap's DC, and with it the stretch mode set here.
    static TBitmap scratch(1, 1);
    static const bool ready = SetStretchBltMode(scratch.Canvas().Handle(), COLORONCOLOR) != 0;
    (void)ready;
    return scratch;
}

TStringList& SharedStringList() {
    static TStringList list;
    return list;
}

namespace {

// The control whose parent is being asked for its background: a parent that paints its
// window-less children while painting itself would otherwise come back here for ever.
thread_local const void* g_painting = nullptr;

struct PaintingGuard {
    explicit PaintingGuard(const void* who) : prev(g_painting) { g_painting = who; }
    ~PaintingGuard() { g_painting = prev; }
    const void* prev;
};

void AskParent(HDC dc, const RECT& bounds, const std::function<void(UINT)>& send) {
    SavedDc saved(dc);
    OffsetViewportOrgEx(dc, -bounds.left, -bounds.top, nullptr);
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    send(WM_ERASEBKGND);
    send(WM_PAINT);
}

} // namespace

void PaintParentBackground(TControl* control, HDC dc) {
    if (!control || !dc || g_painting == control) return;
    TWinControl* parent = control->Parent();
    if (!parent) return;
    PaintingGuard guard(control);
    AskParent(dc, control->BoundsRect(), [&](UINT msg) {
        const WPARAM w = reinterpret_cast<WPARAM>(dc);
        // Through the window when there is one, so that whoever subclassed it paints too.
        if (HWND wnd = parent->WindowHandle())
            SendMessageW(wnd, msg, w, 0);
        else
            parent->Perform(msg, w, 0);
    });
}

void PaintParentBackground(HWND window, HDC dc) {
    if (!window || !dc || g_painting == window) return;
    if (TWinControl* control = TWinControl::FromHandle(window)) {
        PaintParentBackground(control, dc);
        return;
    }
    if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) return;
    HWND parent = GetParent(window);
    if (!parent) return;
    RECT bounds;
    GetWindowRect(window, &bounds);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    const bool ours = TWinControl::FromHandle(parent) != nullptr;
    PaintingGuard guard(window);
    AskParent(dc, bounds, [&](UINT msg) {
        const WPARAM w = reinterpret_cast<WPARAM>(dc);
        if (msg == WM_PAINT && !ours)
            SendMessageW(parent, WM_PRINTCLIENT, w, PRF_CLIENT);
        else
            SendMessageW(parent, msg, w, 0);
    });
}

} // namespace skin
