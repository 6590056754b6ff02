#include "skin/data/skin_values.h"

namespace skin {

TColor ParseColourTriple(std::string_view value) {
    value = TrimSpaces(value);
    std::uint32_t parts[3] = {0, 0, 0};
    int completed = 0;
    std::uint32_t number = 0; // wraps like a 32-bit integer; only the low 8 bits are kept
    bool pending = false;
    for (char ch : value) {
        if (ch >= '0' && ch <= '9') {
            number = number * 10u + std::uint32_t(ch - '0');
            pending = true;
        } else if (pending) {
            if (completed < 3) parts[completed] = number & 0xFF;
            ++completed;
            number = 0;
            pending = false;
        }
    }
    if (pending && completed == 2) parts[2] = number & 0xFF;
    return static_cast<TColor>(parts[0] | parts[1] << 8 | parts[2] << 16);
}

TColor ReadColourTriple(const TQuickIni& ini, std::string_view section, std::string_view key,
                        TColor def) {
    std::string s = ini.ReadString(section, key, "");
    if (TrimSpaces(s).empty()) return def;
    return ParseColourTriple(s);
}

bool HasValue(const TQuickIni& ini, std::string_view section, std::string_view key) {
    return !ini.ReadString(section, key, "").empty();
}

TColor ReadSplitColour(const TQuickIni& ini, std::string_view section, std::string_view prefix,
                       TColor def) {
    std::string p(prefix);
    std::int32_t r = ini.ReadInteger(section, p + "R", -1);
    std::int32_t g = ini.ReadInteger(section, p + "G", -1);
    std::int32_t b = ini.ReadInteger(section, p + "B", -1);
    if (r < 0 || g < 0 || b < 0) return def;
    return RGBColor(r & 0xFF, g & 0xFF, b & 0xFF);
}

std::string ImageReferenceName(std::string_view value) {
    std::size_t cut = value.find_last_of("\\:");
    std::string_view name = cut == std::string_view::npos ? value : value.substr(cut + 1);
    if (name.empty()) return {};
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.substr(dot) != ".bmp") return {};
    return std::string(name);
}

TPixelImage LoadImageReference(const TSkinReader& reader, std::string_view value) {
    std::string name = ImageReferenceName(value);
    if (name.empty()) return {};
    std::vector<std::uint8_t> bytes;
    if (!reader.FindEntry(name, bytes) || bytes.empty()) return {};
    return ReadBitmapFile(bytes);
}

TPixelImage ReadImage(const TQuickIni& ini, const TSkinReader& reader, std::string_view section,
                      std::string_view key) {
    return LoadImageReference(reader, ini.ReadString(section, key, ""));
}

TSkinColours ReadSkinColours(const TQuickIni& ini) {
    using namespace syscolour;
    const char* s = "Colours";
    TSkinColours c{};
    c.WindowText = ReadColourTriple(ini, s, "WindowText", SysColor(WindowText));
    c.ButtonFace = ReadColourTriple(ini, s, "ButtonFace", SysColor(ButtonFace));
    c.Scrollbar = ReadColourTriple(ini, s, "Scrollbar", SysColor(ScrollBar));
    c.HilightText = ReadColourTriple(ini, s, "HilightText", SysColor(HighlightText));
    c.Hilight = ReadColourTriple(ini, s, "Hilight", SysColor(Highlight));
    c.Menubar = ReadColourTriple(ini, s, "Menubar", c.ButtonFace);
    c.Menu = ReadColourTriple(ini, s, "Menu", SysColor(Menu));
    c.MenuText = ReadColourTriple(ini, s, "MenuText", SysColor(MenuText));
    c.ButtonText = ReadColourTriple(ini, s, "ButtonText", SysColor(ButtonText));
    c.ButtonHilight = ReadColourTriple(ini, s, "ButtonHilight", SysColor(ButtonHighlight));
    c.ButtonLight = ReadColourTriple(ini, s, "Buttonlight", SysColor(ButtonHighlight));
    c.ButtonShadow = ReadColourTriple(ini, s, "ButtonShadow", SysColor(ButtonShadow));
    c.ButtonDkShadow = ReadColourTriple(ini, s, "ButtonDkShadow", SysColor(DarkShadow3D));
    c.MenuBarText = ReadColourTriple(ini, s, "MenuBarText", SysColor(MenuText));
    c.TitleTextActive = ReadColourTriple(ini, s, "TitleTextActive", SysColor(CaptionText));
    c.TitleTextNoActive = ReadColourTriple(ini, s, "TitleTextNoActive", SysColor(InactiveCaptionText));
    return c;
}

std::vector<std::string> IndexedColourSections(const TQuickIni& ini) {
    std::vector<std::string> out;
    for (const std::string& name : ini.ReadSections()) {
        std::string up = UpperAscii(name);
        if (up.rfind("COLOUR", 0) == 0 && up != "COLOURS") out.push_back(name);
    }
    return out;
}

std::vector<TColor> ReadIndexedColours(const TQuickIni& ini) {
    std::vector<TColor> out;
    for (const std::string& name : IndexedColourSections(ini))
        out.push_back(ReadColourTriple(ini, name, "color", SysColor(syscolour::WindowText)));
    return out;
}

std::array<TColor, 10> ReadCustomColours(const TQuickIni& ini) {
    std::array<TColor, 10> out;
    for (int i = 0; i < 10; ++i)
        out[i] = ReadColourTriple(ini, "Customcolors", "Color" + std::to_string(i), kWhite);
    return out;
}

std::vector<std::string> TitleButtonSections(const TQuickIni& ini) {
    std::vector<std::string> out;
    for (const std::string& name : ini.ReadSections()) {
        std::string up = UpperAscii(name);
        if (up.rfind("BUTTON", 0) != 0) continue;
        if (up == "BUTTON" || up == "BUTTONS" || up == "BUTTON.RADIO" || up == "BUTTON.CHECKBOX")
            continue;
        out.push_back(name);
    }
    return out;
}

} // namespace skin
