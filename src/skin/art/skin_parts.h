#pragma once
// Themes (palette, metrics, looks) and the piece painters they share (internal to skin/art).
#include "skin/art/raster.h"

#include <string>
#include <vector>

namespace skin::art {

// Colours of the body: controls, menus, the banner. Controls and menus are drawn in these and
// then recoloured by the theme's tint, so one set of painters serves every skin.
struct Palette {
    Rgb kFace{236, 239, 244}; // button face: window body, tab sheets
    Rgb kText{20, 24, 40};    // button, menu and window text
    Rgb kWhite{255, 255, 255};
    Rgb kShadow{150, 160, 178}; // control outlines, edit borders
    Rgb kDkShadow{70, 78, 96};
    Rgb kLight{246, 248, 250};
    Rgb kNavy{0, 0, 64};      // the banner under the title
    Rgb kSelect{28, 48, 128}; // selected menu item, pressed/current button
    Rgb kSelectDeep{12, 26, 96};
    Rgb kAqua{0, 156, 200};        // hot and focus accent on light controls
    Rgb kAquaLight{120, 214, 236}; // accent on dark surfaces
    Rgb kYellow{255, 214, 64};
    Rgb kDisabled{190, 196, 206};
    Rgb kDisabledFill{242, 243, 246};
    Rgb kMenu{250, 251, 253}; // popup menu background
    Rgb kMenuBar{224, 229, 238};
    Rgb kMenuBarInactive{232, 234, 238};
    Rgb kTrack{228, 232, 238}; // scroll-bar track
};

// Frame metrics, in pixels.
struct Metrics {
    int kTitle = 30;    // title bar height
    int kBorder = 4;    // left and right border width
    int kBottom = 4;    // bottom border height
    int kCorner = 8;    // radius of the window's top corners
    int kLowCorner = 0; // radius of the bottom corners (at most kBottom)
    int kTitleCap = 8;  // fixed ends of the title piece (hold the corner arcs)
    int kTitleMiddle = 16;
    int kSideMiddle = 2;
    int kTitleButtonW = 28, kTitleButtonH = 20;
    int kTitleButtonFrames = 4; // normal, pressed, hot, and inactive when there are four
    int kCloseX = 34, kSecondX = 64, kThirdX = 94; // from the window's right edge
    int kIconX = 10, kIconY = 7;
    int kCaptionX = 32;
    int kScroll = 17;  // scroll-bar breadth and arrow length
    int kMenuBar = 19; // menu-bar band height
    int kMdiButton = 16;
    int kButtonSide = 4, kButtonEnd = 9; // push-button margins: sides, top and bottom
    int TitleButtonY() const { return (kTitle - kTitleButtonH) / 2; }
};

// Recolouring of the body pieces: hue turned by `hue` degrees, saturation scaled.
struct Tint {
    float hue = 0, saturation = 1;
    bool Identity() const { return hue == 0 && saturation == 1; }
    Rgb operator()(Rgb c) const;
};

// The frame's colours in one activation state.
struct FramePalette {
    Rgb outline, highlight, titleTop, titleBottom, separator, side, sideInner;
};

// The title buttons' inks and plates: normal, pressed, hot (close has its own hot plate),
// inactive.
struct TitleButtonLook {
    Rgb ink, pressedPlate, pressedInk, hotPlate, closeHotPlate, hotInk, closeHotInk, inactiveInk;
};

// Everything that makes one skin differ from another; the painters are shared.
struct Theme {
    std::string name; // "SkinName" of the description
    Metrics metric;
    Palette pal;
    Tint tint;
    FramePalette active, inactive;
    TitleButtonLook titleButton;
    Rgb titleText, titleTextInactive;
    bool flatButtons = false; // push buttons without shading or highlight
    float buttonRadius = 3.5f;
};

Theme ProductTheme();
Theme DaylightTheme();
Theme GraphiteTheme();

// Colour of title row y (also the backdrop of everything drawn onto the title).
Rgb TitleRow(const Theme& t, const FramePalette& p, int y);

struct Piece {
    std::string name;
    Image image;
};

// Window frame, title bar, title buttons, menu bar and popup menu pieces.
std::vector<Piece> FramePieces(const Theme& t);
// Push buttons, check boxes, radio buttons, tabs, tool bar, combo box, scroll bar, header,
// status bar, group box, progress bar, track bar and up-down pieces.
std::vector<Piece> ControlPieces(const Theme& t);

std::string Description(const Theme& t);

} // namespace skin::art
