// Fuzz target: a skin description through TQuickIni and the value syntaxes of the skin description.
#include "skin/data/quick_ini.h"
#include "skin/data/skin_values.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The native tests include this file with CORVANE_FUZZ_ENTRY set to another name and run the
// seed corpus through it (tests/native/skin_fuzz_corpus_test.cpp).
#ifndef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int CORVANE_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    skin::TQuickIni ini;
    ini.Load(std::span<const std::uint8_t>(data, size));
    // Every kept line is trimmed and non-empty, and every header points at itself.
    for (const auto& line : ini.Lines)
        if (line.empty() || static_cast<unsigned char>(line.front()) <= ' ' ||
            static_cast<unsigned char>(line.back()) <= ' ' || line.front() == ';')
            std::abort();
    for (const auto& s : ini.Sections)
        if (s.second < 0 || static_cast<std::size_t>(s.second) >= ini.Lines.size() || ini.Lines[s.second] != s.first)
            std::abort();
    std::vector<std::string> sections = ini.ReadSections();
    if (sections.size() > 32) sections.resize(32); // keep each run short
    for (const std::string& section : sections) {
        ini.SectionIndex(section);
        for (const char* key : {"Image", "Frame", "LeftWidth", "color", "Action", "Visibility", "Tile"}) {
            std::string v = ini.ReadString(section, key, "");
            ini.ReadInteger(section, key, -1);
            skin::ParseColourTriple(v);
            skin::ImageReferenceName(v);
        }
        skin::ReadSplitColour(ini, section, "ActiveText", 0x1FFFFFFF);
        skin::ReadColourTriple(ini, section, "NormalColour2", 0);
    }
    // Keys taken from the text itself, so that the fuzzer reaches the matching paths.
    for (std::size_t i = 0; i < ini.Lines.size() && i < 16; ++i) {
        std::string key = skin::IniKeyOfLine(ini.Lines[i]);
        for (std::size_t k = 0; k < ini.Sections.size() && k < 16; ++k) {
            std::string_view name(ini.Sections[k].first);
            ini.ReadInteger(name.substr(1, name.size() - 2), key, 0);
        }
    }
    skin::ReadSkinColours(ini);
    skin::ReadIndexedColours(ini);
    skin::ReadCustomColours(ini);
    skin::TitleButtonSections(ini);
    return 0;
}
