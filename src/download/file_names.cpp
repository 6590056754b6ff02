#include "download/file_names.h"

#include <cstring>

namespace download {

std::string UrlFileName(std::string_view address) {
    size_t slash = address.rfind('/');
    std::string_view rest = slash == std::string_view::npos ? address : address.substr(slash + 1);
    return std::string(rest.substr(0, rest.find('?')));
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

} // namespace download
