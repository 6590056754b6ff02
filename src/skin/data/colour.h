#pragma once
// Colours of the skin engine: 32-bit values with red in the low byte, green in the second and
// blue in the third. A negative value (top byte 0xFF) names a system colour by the index in
// its low byte. Portable: the Win32 side installs GetSysColor as the resolver.
#include <cstdint>
#include <functional>

namespace skin {

using TColor = std::int32_t;

// A system colour reference: top byte 0xFF, low byte the system colour index (COLOR_*).
constexpr TColor SysColor(int index) {
    return static_cast<TColor>(0xFF000000u | (static_cast<std::uint32_t>(index) & 0xFFu));
}
constexpr TColor RGBColor(int r, int g, int b) {
    return static_cast<TColor>((static_cast<std::uint32_t>(r) & 0xFF) |
                               (static_cast<std::uint32_t>(g) & 0xFF) << 8 |
                               (static_cast<std::uint32_t>(b) & 0xFF) << 16);
}
constexpr int RedOf(TColor c) { return static_cast<int>(static_cast<std::uint32_t>(c) & 0xFF); }
constexpr int GreenOf(TColor c) { return static_cast<int>(static_cast<std::uint32_t>(c) >> 8 & 0xFF); }
constexpr int BlueOf(TColor c) { return static_cast<int>(static_cast<std::uint32_t>(c) >> 16 & 0xFF); }

inline constexpr TColor kMagenta = 0xFF00FF; // the transparent key colour of skin images
inline constexpr TColor kWhite = 0xFFFFFF;

// System colour indexes used by the skin description's defaults.
namespace syscolour {
inline constexpr int ScrollBar = 0, Menu = 4, MenuText = 7, WindowText = 8, CaptionText = 9,
                     Highlight = 13, HighlightText = 14, ButtonFace = 15, ButtonShadow = 16,
                     ButtonText = 18, InactiveCaptionText = 19, ButtonHighlight = 20,
                     DarkShadow3D = 21;
}

// Installs the function that gives the RGB value (red low) of system colour `index`.
// The default answers from the classic Windows scheme; an empty function restores it.
void SetSystemColourResolver(std::function<TColor(int index)> resolver);
// The classic-scheme value of a system colour index (0 for unknown indexes).
TColor DefaultSystemColour(int index);
// ColorToRGB: a negative colour becomes the system colour of index (value AND 255);
// other values pass unchanged.
TColor ColorToRGB(TColor c);

} // namespace skin
