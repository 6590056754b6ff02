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
std::vector<std::uint8_t> ProductSkinStore();
// A store that opens as nothing (damaged).
std::vector<std::uint8_t> DamagedStore();

// A skin data component with the store loaded (owned by `owner`, or free when null).
TSkinData* MakeSkinData(const std::vector<std::uint8_t>& store, TComponent* owner = nullptr);

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
