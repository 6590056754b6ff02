// What the workflow's fuzz targets share: the url(...) references of a stylesheet, found the
// way the default pattern finds them (a "url(" in any letter case, up to the next ")" on the
// same line), and the checks on file names.
#pragma once
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace workflow_fuzz {

inline char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::vector<std::string> UrlCandidates(std::string_view css) {
    std::vector<std::string> out;
    for (size_t i = 0; i + 4 <= css.size(); ++i) {
        if (Lower(css[i]) != 'u' || Lower(css[i + 1]) != 'r' || Lower(css[i + 2]) != 'l' ||
            css[i + 3] != '(')
            continue;
        size_t end = css.find_first_of(")\n", i + 4);
        if (end == std::string_view::npos || css[end] != ')') continue;
        out.emplace_back(css.substr(i + 4, end - i - 4));
        i = end;
    }
    return out;
}

// A name that stays in the target folder and opens a file, not a device.
inline void CheckFileName(std::string_view name) {
    if (name.empty()) return;
    if (name == "." || name == "..") std::abort();
    if (name.back() == '.' || name.back() == ' ') std::abort();
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        // A double-byte character's trail byte may be "\" or "|": it is part of the character.
        if (c >= 0x81 && c <= 0xFE && i + 1 < name.size()) {
            const auto t = static_cast<unsigned char>(name[i + 1]);
            if (t >= 0x40 && t <= 0xFE) {
                ++i;
                continue;
            }
        }
        // 0x7F is a byte Windows takes in a name.
        if (c < 0x20 ||
            std::string_view(":*?\"<>|\\/").find(static_cast<char>(c)) != std::string_view::npos)
            std::abort();
    }
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = Lower(c);
    static const char* kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* d : kDevices)
        if (stem == d) std::abort();
    if (stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
        stem[3] >= '0' && stem[3] <= '9')
        std::abort();
}

} // namespace workflow_fuzz
