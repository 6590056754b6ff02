#include "skin/data/quick_ini.h"

#include "skin/data/skin_reader.h"

namespace skin {

std::string_view TrimSpaces(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

bool IsSectionHeader(std::string_view line) {
    return !line.empty() && line.front() == '[' && line.back() == ']' && line.size() >= 2;
}

std::string IniKeyOfLine(std::string_view line) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    return LowerAscii(TrimSpaces(line.substr(0, eq)));
}

std::string IniValueOfLine(std::string_view line, std::string_view key) {
    if (line.empty() || key.empty()) return {};
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    if (LowerAscii(TrimSpaces(line.substr(0, eq))) != key) return {};
    return std::string(TrimSpaces(line.substr(eq + 1)));
}

namespace {
// Whether the line's key (before the first '=', trimmed, ASCII letters folded) equals the
// lower-case key k; no copies. A line without '=' has an empty key.
bool LineKeyEquals(std::string_view line, std::string_view k) {
    std::size_t eq = line.find('=');
    std::string_view key = eq == std::string_view::npos ? std::string_view() : TrimSpaces(line.substr(0, eq));
    if (key.size() != k.size()) return false;
    for (std::size_t i = 0; i < k.size(); ++i) {
        char c = key[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != k[i]) return false;
    }
    return true;
}
} // namespace

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

bool StrToInt32(std::string_view s, std::int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= s.size()) return false;
    if (s[i] == '$') {
        ++i;
        if (i >= s.size()) return false;
        std::uint64_t v = 0;
        for (; i < s.size(); ++i) {
            char c = s[i];
            unsigned d;
            if (c >= '0' && c <= '9') d = unsigned(c - '0');
            else if (c >= 'a' && c <= 'f') d = unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') d = unsigned(c - 'A' + 10);
            else return false;
            v = v * 16 + d;
            if (v > 0xFFFFFFFFull) return false;
        }
        // Hexadecimal fills all 32 bits ($FFFFFFFF is -1); the sign negates with wrap-around.
        std::uint32_t u = static_cast<std::uint32_t>(v);
        if (negative) u = 0u - u;
        value = static_cast<std::int32_t>(u);
        return true;
    }
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648ll) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647ll) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

void TQuickIni::Load(std::string_view text) {
    Lines.clear();
    Sections.clear();
    std::size_t p = 0;
    const std::size_t end = text.size();
    while (p < end && text[p] != '\0') {
        std::size_t start = p;
        while (p < end && text[p] != '\0' && text[p] != '\r' && text[p] != '\n') ++p;
        std::string_view line = TrimSpaces(text.substr(start, p - start));
        if (p < end && text[p] == '\r') ++p;
        if (p < end && text[p] == '\n') ++p;
        if (line.empty() || line.front() == ';') continue;
        Lines.emplace_back(line);
        if (IsSectionHeader(line))
            Sections.emplace_back(std::string(line), static_cast<int>(Lines.size() - 1));
    }
}

void TQuickIni::Load(std::span<const std::uint8_t> bytes) {
    Load(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void TQuickIni::Load(const std::vector<std::uint8_t>* stream) {
    if (stream) Load(std::span<const std::uint8_t>(*stream));
}

int TQuickIni::SectionIndex(std::string_view name) const {
    std::string header;
    header.reserve(name.size() + 2);
    header += '[';
    header += name;
    header += ']';
    for (const auto& s : Sections)
        if (SameTextAscii(s.first, header)) return s.second;
    return -1;
}

std::string TQuickIni::ReadString(std::string_view section, std::string_view key,
                                  std::string_view def) const {
    std::string result(def);
    const std::string k = LowerAscii(key);
    if (Lines.empty()) return result;
    int index = SectionIndex(section);
    if (index < 0) return result;
    for (std::size_t i = static_cast<std::size_t>(index) + 1; i < Lines.size(); ++i) {
        const std::string& line = Lines[i];
        if (IsSectionHeader(line)) break;
        if (!k.empty() && LineKeyEquals(line, k)) {
            std::string value = IniValueOfLine(line, k);
            if (!value.empty()) result = std::move(value);
            break;
        }
    }
    return result;
}

std::int32_t TQuickIni::ReadInteger(std::string_view section, std::string_view key,
                                    std::int32_t def) const {
    std::string s = ReadString(section, key, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.replace(0, 2, "$");
    std::int32_t v;
    return StrToInt32(s, v) ? v : def;
}

void TQuickIni::ReadSections(std::vector<std::string>& list) const {
    list.clear();
    for (const auto& s : Sections) {
        std::string_view t = TrimSpaces(s.first);
        t = t.size() >= 2 ? t.substr(1, t.size() - 2) : std::string_view();
        list.emplace_back(TrimSpaces(t));
    }
}

std::vector<std::string> TQuickIni::ReadSections() const {
    std::vector<std::string> list;
    ReadSections(list);
    return list;
}

} // namespace skin
