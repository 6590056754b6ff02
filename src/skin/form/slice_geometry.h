#pragma once
// Where the pieces of a skin element frame go when it is scaled by the nine-slice or
// three-slice rules, split in three parts, tiled or centred. Portable arithmetic only: the
// GDI side (primitives.h) carries each piece out with one block transfer.
//
// Coordinates: sources are in bitmap pixels, destinations relative to the target's top-left
// corner. Every source rectangle a plan holds lies inside the frame it was made from.
#include "skin/data/image_utils.h"

#include <array>
#include <cstddef>

namespace skin {

// Fixed sizes of a frame's left and right columns and top and bottom rows.
struct SliceMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const SliceMargins&) const = default;
};

enum class PieceMode {
    Stretch, // the source is stretched to the destination
    Tile,    // the source is repeated at its own size from the destination's top-left corner
    TileX,   // the source is stretched to the destination's height, then repeated across
};

struct SlicePiece {
    IntRect src;
    IntRect dst;
    PieceMode mode = PieceMode::Stretch;
    bool operator==(const SlicePiece&) const = default;
};

// At most nine pieces, in the order they must be drawn: a later piece may cover what a
// tiled one before it overhung.
class SlicePlan {
public:
    void Add(const SlicePiece& p);
    const SlicePiece* begin() const { return pieces_.data(); }
    const SlicePiece* end() const { return pieces_.data() + count_; }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const SlicePiece& operator[](std::size_t i) const { return pieces_[i]; }

private:
    std::array<SlicePiece, 9> pieces_{};
    std::size_t count_ = 0;
};

// Frame `index` (counted from 1) of `count` equal frames side by side, or stacked when
// `vertical`. A count below 1 means one frame. An index outside 1..count, or a frame without
// pixels (more frames than columns), gives an empty rectangle: nothing is drawn from it.
IntRect FrameRect(int bitmapWidth, int bitmapHeight, int count, int index, bool vertical);

// Nine-slice of `frame` into a width x height target. The side margins count as 0 when the
// target is narrower than both together, likewise the top and bottom ones. Negative margins
// count as 0. Pieces of zero size are left out; sources that would reach outside the frame
// (margins wider than the frame) are cut to it, their destination in proportion. An empty
// frame or target gives an empty plan.
SlicePlan NineSlicePlan(const IntRect& frame, const SliceMargins& margins, int width, int height,
                        bool tileMiddle);

// Three-slice across: left cap, the middle repeated from x = left margin while it starts left
// of width - right margin, right cap; every piece stretched to the target height. Top and
// bottom margins are not used.
SlicePlan ThreeSlicePlan(const IntRect& frame, const SliceMargins& margins, int width, int height);

// Left cap, stretched middle, right cap (all to the target height); the whole frame
// stretched to the target when the target is narrower than the frame.
SlicePlan ThreePartPlan(const IntRect& frame, int leftCap, int rightCap, int width, int height);

// Top-left corner of a frameWidth x frameHeight image centred in a width x height target;
// negative when the frame is the larger (it then overhangs on both sides).
struct IntPoint {
    int x = 0, y = 0;
    bool operator==(const IntPoint&) const = default;
};
IntPoint CentredOrigin(int width, int height, int frameWidth, int frameHeight);

// How many copies of a tileWidth x tileHeight source cover a width x height target when the
// last column and row may overhang it; 0 x 0 when nothing is drawn.
struct TileGrid {
    int columns = 0, rows = 0;
    bool operator==(const TileGrid&) const = default;
};
TileGrid TileCover(int width, int height, int tileWidth, int tileHeight);

// The part of `piece` whose source lies inside `bounds`; the destination shrinks in the same
// proportion. False when nothing is left. Tiled pieces keep their destination.
bool ClipPieceSource(SlicePiece& piece, const IntRect& bounds);

} // namespace skin
