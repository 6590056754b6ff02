#pragma once
// Keyboard shortcuts of menu items and actions: a virtual-key code in the low byte and modifier
// bits above it, shown as "Ctrl+S", "Shift+Ctrl+F1", "Alt+Enter", "Del".
#include <cstdint>
#include <string>
#include <string_view>

using TShortCut = uint16_t;
constexpr TShortCut scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

constexpr TShortCut MakeShortCut(uint8_t key, TShortCut modifiers) {
    return static_cast<TShortCut>(key | (modifiers & (scShift | scCtrl | scAlt)));
}

// Modifiers in the order Shift, Ctrl, Alt, then the key's name; empty for none or an unknown key.
std::string ShortCutToText(TShortCut shortCut);
// Modifiers in any order and letter case; 0 when the text names no key.
TShortCut TextToShortCut(std::string_view text);
