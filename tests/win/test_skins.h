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
std::vector<std::uint8_t> ProductSkinStore();
// A store that opens as nothing (damaged).
std::vector<std::uint8_t> DamagedStore();

// A skin data component with the store loaded (owned by `owner`, or free when null).
TSkinData* MakeSkinData(const std::vector<std::uint8_t>& store, TComponent* owner = nullptr);

} // namespace testskins
