#include "toolkit/text_util.h"

namespace text {

std::string NormalizeLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 32 + 2);
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\r' || c == '\n') {
            // A pair of different break characters is one break.
            char other = c == '\r' ? '\n' : '\r';
            if (i + 1 < s.size() && s[i + 1] == other) ++i;
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

static size_t AfterLastSeparator(std::string_view path) {
    size_t pos = path.find_last_of("\\/:");
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, AfterLastSeparator(path)));
}

std::string ExtractFileName(std::string_view path) {
    return std::string(path.substr(AfterLastSeparator(path)));
}

int CountLines(std::string_view text) {
    if (text.empty()) return 0;
    int lines = 1;
    for (size_t pos = text.find("\r\n"); pos != std::string_view::npos;
         pos = text.find("\r\n", pos + 2))
        ++lines;
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") --lines;
    return lines;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    for (size_t pos = text.find(from); pos != std::string_view::npos;
         pos = text.find(from, start)) {
        out.append(text.substr(start, pos - start));
        out.append(to);
        start = pos + from.size();
    }
    out.append(text.substr(start));
    return out;
}

} // namespace text
