#pragma once
// The value syntaxes of the skin description and the parts of its vocabulary
// that need more than one lookup: colour triples, split colours, image references, system
// colour defaults, the "Colours" section, indexed colour sections, "Customcolors" and the
// title-bar button section names. Portable.
#include "skin/data/colour.h"
#include "skin/data/pixel_image.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace skin {

// Colour triple "59 97 131" (any non-digits separate): red + 256 green + 65536 blue, each the
// low 8 bits of its number; components never completed are 0; numbers past the third are
// ignored; a single number alone gives black.
TColor ParseColourTriple(std::string_view value);
// The key's colour triple, or `def` when the value is empty or missing.
TColor ReadColourTriple(const TQuickIni& ini, std::string_view section, std::string_view key,
                        TColor def);
// Whether the key has a non-empty value (HasNormalColour2 and its sisters).
bool HasValue(const TQuickIni& ini, std::string_view section, std::string_view key);
// Split colour: integer keys prefix + "R", "G", "B" (default -1 each); a colour only when all
// three are 0 or more (low 8 bits each), else `def`.
TColor ReadSplitColour(const TQuickIni& ini, std::string_view section, std::string_view prefix,
                       TColor def);

// Image reference: the part after the last backslash or colon; empty when that is empty or
// its extension (from the last '.') is not exactly ".bmp".
std::string ImageReferenceName(std::string_view value);
// The image a reference names: the archive entry of that name (letter case ignored) read as
// a Windows bitmap; empty for no reference, a missing entry or an unreadable bitmap.
TPixelImage LoadImageReference(const TSkinReader& reader, std::string_view value);
// ReadString(section, key, "") loaded as an image reference.
TPixelImage ReadImage(const TQuickIni& ini, const TSkinReader& reader, std::string_view section,
                      std::string_view key);

// The sixteen keys of section "Colours" with their defaults (system colours as SysColor(n);
// "Menubar" defaults to the "ButtonFace" value just read).
struct TSkinColours {
    TColor WindowText, ButtonFace, Scrollbar, HilightText, Hilight, Menubar, Menu, MenuText,
        ButtonText, ButtonHilight, ButtonLight, ButtonShadow, ButtonDkShadow, MenuBarText,
        TitleTextActive, TitleTextNoActive;
};
TSkinColours ReadSkinColours(const TQuickIni& ini);

// Names of the indexed colour sections in file order: upper-cased they begin with "COLOUR"
// and are not "COLOURS".
std::vector<std::string> IndexedColourSections(const TQuickIni& ini);
// One colour per indexed colour section (key "color", default system colour 8).
std::vector<TColor> ReadIndexedColours(const TQuickIni& ini);
// "Customcolors" keys "Color0" to "Color9", default white.
std::array<TColor, 10> ReadCustomColours(const TQuickIni& ini);
// Names of the title-bar button sections in file order: upper-cased they begin with
// "BUTTON" and are none of "BUTTON", "BUTTONS", "BUTTON.RADIO", "BUTTON.CHECKBOX".
std::vector<std::string> TitleButtonSections(const TQuickIni& ini);

} // namespace skin
