#pragma once
// Shared palette, metrics and piece painters of the product skin (internal to skin/art).
#include "skin/art/raster.h"

#include <string>
#include <vector>

namespace skin::art {

// Colours. The window is a dark navy frame around a light, cool button-face body; aqua and
// yellow appear only where something is hot, focused, selected or in progress.
namespace pal {
inline constexpr Rgb kFace{236, 239, 244}; // button face: window body, tab sheets
inline constexpr Rgb kText{20, 24, 40};    // button, menu and window text
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kShadow{150, 160, 178}; // control outlines, edit borders
inline constexpr Rgb kDkShadow{70, 78, 96};
inline constexpr Rgb kLight{246, 248, 250};
inline constexpr Rgb kNavy{0, 0, 64};      // the banner under the title
inline constexpr Rgb kSelect{28, 48, 128}; // selected menu item, pressed/current button
inline constexpr Rgb kSelectDeep{12, 26, 96};
inline constexpr Rgb kAqua{0, 156, 200};        // hot and focus accent on light controls
inline constexpr Rgb kAquaLight{120, 214, 236}; // accent on dark surfaces
inline constexpr Rgb kYellow{255, 214, 64};
inline constexpr Rgb kDisabled{190, 196, 206};
inline constexpr Rgb kDisabledFill{242, 243, 246};
inline constexpr Rgb kMenu{250, 251, 253}; // popup menu background
inline constexpr Rgb kMenuBar{224, 229, 238};
inline constexpr Rgb kMenuBarInactive{232, 234, 238};
inline constexpr Rgb kTrack{228, 232, 238}; // scroll-bar track
inline constexpr Rgb kTitleText{240, 244, 255};
inline constexpr Rgb kTitleTextInactive{172, 178, 200};
} // namespace pal

// Frame metrics, in pixels.
namespace metric {
inline constexpr int kTitle = 30;   // title bar height
inline constexpr int kBorder = 4;   // left and right border width
inline constexpr int kBottom = 4;   // bottom border height
inline constexpr int kCorner = 8;   // radius of the window's top corners
inline constexpr int kTitleCap = 8; // fixed ends of the title piece (hold the corner arcs)
inline constexpr int kTitleMiddle = 16;
inline constexpr int kSideMiddle = 2;
inline constexpr int kTitleButtonW = 28, kTitleButtonH = 20;
inline constexpr int kTitleButtonY = (kTitle - kTitleButtonH) / 2;
inline constexpr int kCloseX = 34, kSecondX = 64, kThirdX = 94; // from the window's right edge
inline constexpr int kIconX = 10, kIconY = 7;
inline constexpr int kCaptionX = 32;
inline constexpr int kScroll = 17;  // scroll-bar breadth and arrow length
inline constexpr int kMenuBar = 19; // menu-bar band height
inline constexpr int kMdiButton = 16;
} // namespace metric

// The frame's colours in one activation state.
struct FramePalette {
    Rgb outline, highlight, titleTop, titleBottom, separator, side, sideInner;
};
FramePalette ActiveFrame();
FramePalette InactiveFrame();
// Colour of title row y (also the backdrop of everything drawn onto the title).
Rgb TitleRow(const FramePalette& p, int y);

struct Piece {
    std::string name;
    Image image;
};

// Window frame, title bar, title buttons, menu bar and popup menu pieces.
std::vector<Piece> FramePieces();
// Push buttons, check boxes, radio buttons, tabs, tool bar, combo box, scroll bar, header,
// status bar, group box, progress bar, track bar and up-down pieces.
std::vector<Piece> ControlPieces();

std::string Description();

} // namespace skin::art
