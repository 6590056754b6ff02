#include "skin/form/slice_geometry.h"

#include <algorithm>
#include <cstdint>

namespace skin {

namespace {

bool HasArea(const IntRect& r) {
    return r.right > r.left && r.bottom > r.top;
}

IntRect Intersect(const IntRect& a, const IntRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Maps the source offset `part` of a source span `whole` onto a destination span.
int Scale(int part, int whole, int span) {
    return static_cast<int>(static_cast<std::int64_t>(part) * span / whole);
}

void AddPiece(SlicePlan& plan, const IntRect& frame, const IntRect& src, const IntRect& dst,
              PieceMode mode) {
    if (!HasArea(src) || !HasArea(dst)) return;
    SlicePiece p{src, dst, mode};
    if (ClipPieceSource(p, frame)) plan.Add(p);
}

bool Usable(const IntRect& frame, int width, int height) {
    return width > 0 && height > 0 && HasArea(frame);
}

} // namespace

void SlicePlan::Add(const SlicePiece& p) {
    if (count_ < pieces_.size()) pieces_[count_++] = p;
}

IntRect FrameRect(int bitmapWidth, int bitmapHeight, int count, int index, bool vertical) {
    if (bitmapWidth <= 0 || bitmapHeight <= 0) return {};
    if (count < 1) count = 1;
    if (index < 1 || index > count) return {};
    if (vertical) {
        const int h = bitmapHeight / count;
        if (h <= 0) return {};
        return {0, (index - 1) * h, bitmapWidth, index * h};
    }
    const int w = bitmapWidth / count;
    if (w <= 0) return {};
    return {(index - 1) * w, 0, index * w, bitmapHeight};
}

bool ClipPieceSource(SlicePiece& piece, const IntRect& bounds) {
    const IntRect s = piece.src;
    const IntRect c = Intersect(s, bounds);
    if (!HasArea(c)) return false;
    if (c == s) return true;
    if (piece.mode == PieceMode::Stretch) {
        const IntRect d = piece.dst;
        piece.dst = {d.left + Scale(c.left - s.left, s.Width(), d.Width()),
                     d.top + Scale(c.top - s.top, s.Height(), d.Height()),
                     d.left + Scale(c.right - s.left, s.Width(), d.Width()),
                     d.top + Scale(c.bottom - s.top, s.Height(), d.Height())};
        if (!HasArea(piece.dst)) return false;
    }
    piece.src = c;
    return true;
}

SlicePlan NineSlicePlan(const IntRect& frame, const SliceMargins& margins, int width, int height,
                        bool tileMiddle) {
    SlicePlan plan;
    if (!Usable(frame, width, height)) return plan;
    int l = std::max(margins.left, 0), r = std::max(margins.right, 0);
    int t = std::max(margins.top, 0), b = std::max(margins.bottom, 0);
    if (width < std::int64_t{l} + r) l = r = 0;
    if (height < std::int64_t{t} + b) t = b = 0;

    // Column and row spans: [fixed start, middle, fixed end], in the frame and in the target.
    const int sx[4] = {frame.left, frame.left + l, frame.right - r, frame.right};
    const int sy[4] = {frame.top, frame.top + t, frame.bottom - b, frame.bottom};
    const int dx[4] = {0, l, width - r, width};
    const int dy[4] = {0, t, height - b, height};
    auto add = [&](int col, int row) {
        const IntRect src{sx[col], sy[row], sx[col + 1], sy[row + 1]};
        const IntRect dst{dx[col], dy[row], dx[col + 1], dy[row + 1]};
        const bool middle = col == 1 && row == 1;
        AddPiece(plan, frame, src, dst,
                 middle && tileMiddle ? PieceMode::Tile : PieceMode::Stretch);
    };
    // The bottom-right corner and the right and bottom edges come after the middle: they
    // cover what a tiled middle overhangs.
    add(0, 0);
    add(0, 2);
    add(2, 0);
    add(0, 1);
    add(1, 0);
    add(1, 1);
    add(2, 2);
    add(2, 1);
    add(1, 2);
    return plan;
}

SlicePlan ThreeSlicePlan(const IntRect& frame, const SliceMargins& margins, int width, int height) {
    SlicePlan plan;
    if (!Usable(frame, width, height)) return plan;
    const int l = std::max(margins.left, 0), r = std::max(margins.right, 0);
    AddPiece(plan, frame, {frame.left, frame.top, frame.left + l, frame.bottom}, {0, 0, l, height},
             PieceMode::Stretch);
    AddPiece(plan, frame, {frame.left + l, frame.top, frame.right - r, frame.bottom},
             {l, 0, width - r, height}, PieceMode::TileX);
    AddPiece(plan, frame, {frame.right - r, frame.top, frame.right, frame.bottom},
             {width - r, 0, width, height}, PieceMode::Stretch);
    return plan;
}

SlicePlan ThreePartPlan(const IntRect& frame, int leftCap, int rightCap, int width, int height) {
    SlicePlan plan;
    if (!Usable(frame, width, height)) return plan;
    if (width < frame.Width()) {
        plan.Add({frame, {0, 0, width, height}, PieceMode::Stretch});
        return plan;
    }
    const int l = std::max(leftCap, 0), r = std::max(rightCap, 0);
    AddPiece(plan, frame, {frame.left, frame.top, frame.left + l, frame.bottom}, {0, 0, l, height},
             PieceMode::Stretch);
    AddPiece(plan, frame, {frame.left + l, frame.top, frame.right - r, frame.bottom},
             {l, 0, width - r, height}, PieceMode::Stretch);
    AddPiece(plan, frame, {frame.right - r, frame.top, frame.right, frame.bottom},
             {width - r, 0, width, height}, PieceMode::Stretch);
    return plan;
}

IntPoint CentredOrigin(int width, int height, int frameWidth, int frameHeight) {
    // Integer division truncates toward zero, as the halves must.
    return {(width - frameWidth) / 2, (height - frameHeight) / 2};
}

TileGrid TileCover(int width, int height, int tileWidth, int tileHeight) {
    if (width <= 0 || height <= 0 || tileWidth <= 0 || tileHeight <= 0) return {};
    return {static_cast<int>((std::int64_t{width} + tileWidth - 1) / tileWidth),
            static_cast<int>((std::int64_t{height} + tileHeight - 1) / tileHeight)};
}

} // namespace skin
