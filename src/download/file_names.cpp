#include "download/file_names.h"

#include <cstring>

namespace download {

std::string_view FragmentOf(std::string_view address) {
    size_t hash = address.find('#');
    return hash == std::string_view::npos ? std::string_view() : address.substr(hash);
}

std::string UrlFileName(std::string_view address) {
    address.remove_suffix(FragmentOf(address).size());
    size_t slash = address.rfind('/');
    std::string_view rest = slash == std::string_view::npos ? address : address.substr(slash + 1);
    return std::string(rest.substr(0, rest.find('?')));
}

bool IsDataAddress(std::string_view address) {
    size_t i = address.find_first_not_of(" \t\r\n\f");
    if (i == std::string_view::npos || address.size() - i < 5) return false;
    constexpr std::string_view kData = "data:";
    for (size_t k = 0; k < kData.size(); ++k) {
        char c = address[i + k];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != kData[k]) return false;
    }
    return true;
}

static const char kHex[] = "0123456789ABCDEF";

static void AppendEscaped(std::string& out, unsigned char c) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

std::string RequestForm(std::string_view address) {
    address.remove_suffix(FragmentOf(address).size());
    std::string out;
    out.reserve(address.size());
    for (char ch : address) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>`{}", c))
            AppendEscaped(out, c);
        else
            out += ch;
    }
    return out;
}

static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        int hi, lo;
        if (text[i] == '%' && i + 2 < text.size() && (hi = HexValue(text[i + 1])) >= 0 &&
            (lo = HexValue(text[i + 2])) >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

static bool IsLeadByte(unsigned char c);
static bool IsTrailByte(unsigned char c);

std::string ReferenceForName(std::string_view name, bool double_byte) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        char ch = name[i];
        unsigned char c = static_cast<unsigned char>(ch);
        // A double-byte character stays whole: its trail byte may be a backslash.
        if (double_byte && IsLeadByte(c) && i + 1 < name.size() &&
            IsTrailByte(static_cast<unsigned char>(name[i + 1]))) {
            out += ch;
            out += name[++i];
        } else if (c <= 0x20 || c == 0x7F || std::strchr("%#?\"'()\\", c))
            AppendEscaped(out, c);
        else
            out += ch;
    }
    return out;
}

static bool IsLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
static bool IsTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE;
}

static bool IsForbidden(unsigned char c) {
    return c < 0x20 || (c != 0 && std::strchr(":*?\"<>|\\/", c) != nullptr);
}

static char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

static bool IsDeviceName(std::string_view name) {
    // Windows opens the device for the part before the first dot, trailing spaces ignored.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper;
    for (char c : base) upper += Upper(c);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
        upper == "CONOUT$")
        return true;
    // COM0 and LPT0 are reserved on newer systems only; prefixing them costs nothing.
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '0' && upper[3] <= '9';
}

std::string SafeFileName(std::string_view name) {
    std::string safe;
    safe.reserve(name.size() + 1);
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte(c)) {
            if (i + 1 < name.size() && IsTrailByte(static_cast<unsigned char>(name[i + 1]))) {
                safe += name[i];
                safe += name[++i];
            } else {
                safe += '_';
            }
        } else {
            safe += IsForbidden(c) ? '_' : name[i];
        }
    }
    // Walk back over whole characters only: a trail byte is never a dot or a space.
    for (size_t i = safe.size(); i > 0 && (safe[i - 1] == '.' || safe[i - 1] == ' '); --i)
        safe[i - 1] = '_';
    if (IsDeviceName(safe)) safe.insert(safe.begin(), '_');
    return safe;
}

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto la = static_cast<unsigned char>(a[i]), lb = static_cast<unsigned char>(b[i]);
        if (la >= 'A' && la <= 'Z') la = static_cast<unsigned char>(la - 'A' + 'a');
        if (lb >= 'A' && lb <= 'Z') lb = static_cast<unsigned char>(lb - 'A' + 'a');
        if (la != lb) return false;
    }
    return true;
}

} // namespace

bool IsReservedTarget(std::string_view name, std::string_view stylesheet_name) {
    if (EqualsNoCase(name, kDownloadLogName)) return true;
    if (stylesheet_name.empty() || name.size() < stylesheet_name.size() ||
        !EqualsNoCase(name.substr(0, stylesheet_name.size()), stylesheet_name))
        return false;
    std::string_view rest = name.substr(stylesheet_name.size());
    if (rest.empty()) return true;
    if (rest.size() < 4 || !EqualsNoCase(rest.substr(0, 4), ".bak")) return false;
    rest.remove_prefix(4);
    if (rest.empty()) return true;
    if (rest.size() < 2 || rest[0] != '.') return false;
    for (char c : rest.substr(1))
        if (c < '0' || c > '9') return false;
    return true;
}

std::string BackupPath(std::string_view path, unsigned n) {
    std::string out(path);
    out += ".bak";
    if (n > 0) {
        out += '.';
        out += std::to_string(n);
    }
    return out;
}

} // namespace download
