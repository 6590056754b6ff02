#pragma once
// Skins for the skin-engine tests: the product skin as the build packs it, and a skin of other
// geometry made here (thin borders of different widths, a short title, a bottom border of
// height 1, nothing transparent, flat colours per piece and state so pixels are easy to check).
#include "skin/data/skin_data.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace testskins {

// Flat colours of the geometry skin, 0x00BBGGRR (TColor), active frame then inactive frame.
constexpr TColor kLeftActive = 0x0000C0, kLeftInactive = 0x000060;
constexpr TColor kRightActive = 0x00C000, kRightInactive = 0x006000;
constexpr TColor kTopActive = 0xC00000, kTopInactive = 0x600000;
constexpr TColor kBottomActive = 0x00C0C0, kBottomInactive = 0x006060;
constexpr TColor kFace = 0xE0E0E0;
// Title buttons: frame 1 normal, 2 pressed, 3 hot, 4 inactive.
constexpr TColor kButtonFrames[4] = {0x202020, 0x404040, 0x808080, 0xA0A0A0};
constexpr int kLeft = 3, kRight = 5, kTitle = 18, kBottom = 1;
constexpr int kButtonW = 14, kButtonH = 12;
// The close button sits kCloseX from the right edge; a custom button (action 40) and one shown
// by the window's answer (visibility 1000, action 41) sit further left.
constexpr int kCloseX = 20, kCustomX = 40, kAskX = 60, kButtonY = 3;

std::vector<std::uint8_t> GeometrySkinStore();
// The geometry skin with menu elements: a two-frame bar, a five-frame item and a popup
// background whose 3-pixel border has a colour of its own.
std::vector<std::uint8_t> MenuSkinStore();
constexpr TColor kBarActive = 0x40A040, kBarInactive = 0x205020;
constexpr TColor kItemNormal = 0xF0E0D0, kItemSelected = 0x8040C0, kItemFrame3 = 0x111111,
                 kItemFrame5 = 0x222222;
constexpr TColor kSeparatorTop = 0x0080FF, kSeparatorBottom = 0x0000A0;
constexpr TColor kPopupFill = 0xD0F0F0, kPopupBorder = 0x602060;
constexpr TColor kMenuFill = 0xC8C8C8, kMenuText = 0x101010, kHilight = 0x703000,
                 kHilightText = 0xFFFFF0, kDisabledText = 0x7070A0, kBarText = 0x000050,
                 kHotFrame = 0x00FFFF;
constexpr int kItemFrameW = 20, kItemFrameH = 24, kSeparatorSplit = 16, kSeparatorHole = 20;
constexpr int kBarMargin = 2;

// The geometry skin with a Buttons section: a 5-frame push-button image of flat colours
// (margins 0), a check-box strip of `checkFrames` and a radio strip of `radioFrames` frames,
// each frame kGlyph x kGlyph of its own flat colour; 0 frames leaves the strip out.
constexpr TColor kPushFrames[5] = {0x303090, 0x309030, 0x808080, 0x903030, 0x909030};
constexpr TColor kGlyphFrames[12] = {0x000011, 0x000022, 0x000033, 0x000044, 0x000055, 0x000066,
                                     0x000077, 0x000088, 0x000099, 0x0000AA, 0x0000BB, 0x0000CC};
constexpr TColor kRadioFrames[8] = {0x110000, 0x220000, 0x330000, 0x440000,
                                    0x550000, 0x660000, 0x770000, 0x880000};
constexpr int kGlyph = 13;
std::vector<std::uint8_t> ControlsSkinStore(int checkFrames = 4, int radioFrames = 4);
// The menu skin with a maximise and a minimise button too, kMaxX and kMinX from the right.
constexpr int kMaxX = 80, kMinX = 100;
std::vector<std::uint8_t> TitleButtonsSkinStore();
// The geometry skin with the window's icon at kIconX from the left of the title.
constexpr int kIconX = 24;
std::vector<std::uint8_t> IconTitleSkinStore();
// The geometry skin with a transparent left piece and a bottom piece (height 1) that is all
// the transparent colour and marked transparent.
std::vector<std::uint8_t> KeyedBottomSkinStore();
std::vector<std::uint8_t> ProductSkinStore();
// A store that opens as nothing (damaged).
std::vector<std::uint8_t> DamagedStore();

// A skin data component with the store loaded (owned by `owner`, or free when null).
TSkinData* MakeSkinData(const std::vector<std::uint8_t>& store, TComponent* owner = nullptr);

// A skin of its own geometry for tabs and the small common controls: the controls skin's
// push buttons, a Tabs strip of `tabFrames` flat frames whose top rows (the tab's outer edge)
// have a colour of their own, a pane image whose top edge differs from its other edges,
// 8-frame up-down strips, a 2-frame progress image, track channels and 5-frame thumbs.
constexpr TColor kTabFrames[5] = {0x604020, 0x206040, 0x404060, 0x602060, 0x206060};
constexpr TColor kTabOuter = 0x0000F0, kTabText = 0x00FFFF, kTabCurrentText = 0xFFFF00;
constexpr TColor kPaneFill = 0xD8E8D8, kPaneEdge = 0x505050, kPaneTop = 0xC000C0;
constexpr TColor kSpinFrames[8] = {0x101080, 0x102080, 0x103080, 0x104080,
                                   0x801010, 0x802010, 0x803010, 0x804010};
constexpr TColor kProgressBack = 0x40C0C0, kProgressBar = 0xC04040;
constexpr TColor kTrackHorz = 0x00A0FF, kTrackVert = 0xFFA000;
constexpr TColor kThumbFrames[5] = {0x111111, 0x22CC22, 0x333333, 0x444444, 0x555555};
constexpr int kTabFrameW = 24, kTabFrameH = 16, kTabOuterRows = 3, kPaneSize = 30;
std::vector<std::uint8_t> SmallControlsSkinStore(); // five tab frames
// With `spinGlyphs` both up-down strips carry an 8-frame glyph strip of 6 x 6 flat frames.
constexpr TColor kSpinGlyphs[8] = {0x10C0C0, 0x20C0C0, 0x30C0C0, 0x40C0C0,
                                   0x50C0C0, 0x60C0C0, 0x70C0C0, 0x80C0C0};
std::vector<std::uint8_t> SmallControlsSkinStoreWith(int tabFrames, bool spinGlyphs = false);

// The controls skin with the elements of edits, combo boxes and status bars, every frame one
// flat colour: a 4-frame ComboButton of `comboStyle`, a 4-frame SunkEdge, a 5-frame ExtraImages
// (frame 5 the size grip), a 3-frame StatusBarEdges with its text colour, and a shadow colour.
constexpr TColor kComboFrames[4] = {0x1040A0, 0x2050B0, 0x3060C0, 0x4070D0};
constexpr TColor kSunkFrames[4] = {0xA01040, 0xB02050, 0xC03060, 0xD04070};
constexpr TColor kExtraFrames[5] = {0x10A010, 0x20B020, 0x30C030, 0x40D040, 0x50E050};
constexpr TColor kEdgeFrames[3] = {0x808040, 0x909050, 0xA0A060};
constexpr TColor kStatusText = 0x0000F0, kEditShadow = 0x506070;
constexpr int kComboW = 16, kComboH = 20, kExtraW = 7;
// With a sunk edge the skin data composes the two into one Style 2 strip (and its mirror).
std::vector<std::uint8_t> EditsSkinStore(int comboStyle = 0, bool sunkEdge = true);

// The geometry skin with scroll-bar and header elements of flat colours: a Scrollbar strip of
// 23 frames kStripW x kStripH (frame k in kStripFrames[k - 1]), 4-frame tracks, 3-frame thumbs
// and a 3-frame header (normal, hot, pressed), all without margins.
constexpr int kStripW = 16, kStripH = 16;
TColor StripFrame(int frame); // 1..23
constexpr TColor kHorzTrack[4] = {0x10A010, 0x10A020, 0x10A030, 0x10A040};
constexpr TColor kVertTrack[4] = {0xA01010, 0xA01020, 0xA01030, 0xA01040};
constexpr TColor kHorzThumb[3] = {0x3060F0, 0x3060E0, 0x3060D0};
constexpr TColor kVertThumb[3] = {0xF06030, 0xE06030, 0xD06030};
constexpr TColor kHeaderFrames[3] = {0xC0C0F0, 0x40F0F0, 0x2020A0};
constexpr TColor kScrollShadow = 0x505050;
std::vector<std::uint8_t> ScrollSkinStore(bool header = true);

} // namespace testskins
