#include "analysis/memo_text.h"

namespace analysis {

static bool EndsWithBreak(std::string_view text) {
    return text.size() >= 2 && text[text.size() - 2] == '\r' && text.back() == '\n';
}

void AddLine(std::string& text, std::string_view line) {
    if (text.empty() || EndsWithBreak(text)) {
        text.append(line);
        text.append("\r\n");
    } else {
        text.append("\r\n");
        text.append(line);
    }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t brk = text.find("\r\n", start);
        if (brk == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, brk - start));
        start = brk + 2;
    }
    return lines;
}

} // namespace analysis
