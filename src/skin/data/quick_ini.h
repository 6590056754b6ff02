#pragma once
// TQuickIni: the skin description reader. Portable; 8-bit text in, 8-bit text out.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace skin {

class TQuickIni {
public:
    // Reads the text (all of it: the caller passes the bytes from the stream's position to its
    // end) and rebuilds both lists. A line ends at CR, LF or NUL; after a line one CR and
    // then one LF are skipped; a NUL ends the text. Lines are trimmed (bytes <= ' ' at both
    // ends); empty lines and lines beginning with ';' are dropped.
    void Load(std::string_view text);
    void Load(std::span<const std::uint8_t> bytes);
    // A missing stream (null) leaves the reader unchanged.
    void Load(const std::vector<std::uint8_t>* stream);

    // Line index of the header "[" + name + "]" (first match, letter case ignored), or -1.
    int SectionIndex(std::string_view name) const;
    // First line of the section with this key (case ignored) decides: its value when not
    // empty, else the default. Missing section or key: the default.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // ReadString, "0x"/"0X" turned into "$", then the standard integer conversion.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    // The section names in file order, brackets removed (trim, drop first and last char, trim).
    void ReadSections(std::vector<std::string>& list) const;
    std::vector<std::string> ReadSections() const;

    // State.
    std::vector<std::string> Lines;                      // kept lines, trimmed, file order
    std::vector<std::pair<std::string, int>> Sections;   // header line (with brackets), line index
};

// Helpers with the exact rules of the description's value syntaxes, exposed for the element loaders and tests.
std::string_view TrimSpaces(std::string_view s);      // drops bytes <= ' ' at both ends
std::string IniKeyOfLine(std::string_view line);      // before the first '=', trimmed, lower case
std::string IniValueOfLine(std::string_view line, std::string_view key); // key lower case
bool IsSectionHeader(std::string_view line);          // begins with '[' and ends with ']'
// The standard integer conversion: optional sign, then decimal digits or '$' and hexadecimal
// digits; the whole text must convert and fit 32 bits (hexadecimal up to $FFFFFFFF).
bool StrToInt32(std::string_view s, std::int32_t& value);
// ASCII case-insensitive equality (the section list's comparison).
bool SameTextAscii(std::string_view a, std::string_view b);

} // namespace skin
