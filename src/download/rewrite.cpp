#include "download/rewrite.h"

#include "analysis/memo_text.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace download {

std::vector<Replacement> PairByPosition(std::string_view references_text,
                                        std::span<const RowOutcome> rows) {
    std::vector<std::string_view> lines = analysis::SplitLines(references_text);
    size_t count = std::min(lines.size(), rows.size());
    std::vector<Replacement> pairs;
    pairs.reserve(count);
    for (size_t i = 0; i < count; ++i)
        pairs.push_back({std::string(lines[i]), rows[i].file_name,
                         rows[i].failed || rows[i].file_name.empty()});
    return pairs;
}

namespace {

bool IsLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
bool IsTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE;
}

// Finds the occurrences of one needle that start on a character boundary of code-page 936
// text: a byte match that begins on the trail byte of a double-byte character is not an
// occurrence (the trail byte may well be an ASCII letter). Short needles are found fastest by
// memchr on their first byte; longer ones skip ahead with Horspool's shift table.
class Finder {
public:
    explicit Finder(std::string_view needle)
        : needle_(needle), searcher_(needle.begin(), needle.end()) {}

    // First occurrence at or after `from`, which must be a character boundary; npos if none.
    size_t Find(std::string_view text, size_t from) const {
        size_t boundary = from;
        for (;;) {
            size_t pos = FindBytes(text, from);
            if (pos == std::string::npos || StartsCharacter(text, pos, boundary)) return pos;
            boundary = pos + 1; // pos is a trail byte, so the next byte starts a character
            from = pos + 1;
        }
    }

private:
    size_t FindBytes(std::string_view text, size_t from) const {
        if (from > text.size() || text.size() - from < needle_.size()) return std::string::npos;
        if (needle_.size() < kShortNeedle) return text.find(needle_, from);
        auto hit = searcher_(text.begin() + from, text.end()).first;
        return hit == text.end() ? std::string::npos : static_cast<size_t>(hit - text.begin());
    }

    // `boundary` <= pos is known to start a character. A byte outside the lead range always
    // ends a character, so only the run of lead-range bytes just before pos matters: they pair
    // up from the run's start, and an odd one out is a lead byte whose trail is at pos.
    static bool StartsCharacter(std::string_view text, size_t pos, size_t boundary) {
        size_t run = pos;
        while (run > boundary && IsLeadByte(static_cast<unsigned char>(text[run - 1]))) --run;
        return (pos - run) % 2 == 0 || !IsTrailByte(static_cast<unsigned char>(text[pos]));
    }

    static constexpr size_t kShortNeedle = 4;
    std::string_view needle_;
    std::boyer_moore_horspool_searcher<std::string_view::const_iterator> searcher_;
};

} // namespace

bool ReplaceEvery(std::string& text, std::string_view from, std::string_view to,
                  std::string& scratch, size_t max_size) {
    if (from.empty() || from == to) return false;
    Finder finder(from);
    size_t pos = finder.Find(text, 0);
    if (pos == std::string::npos) return false;

    // The text after a replaced occurrence is searched as if it started there.
    if (from.size() == to.size()) {
        for (; pos != std::string::npos; pos = finder.Find(text, pos + from.size()))
            std::memcpy(text.data() + pos, to.data(), to.size());
        return true;
    }

    scratch.clear();
    scratch.reserve(text.size());
    size_t start = 0;
    for (; pos != std::string::npos; pos = finder.Find(text, start)) {
        if (to.size() > from.size() && scratch.size() + (pos - start) + to.size() > max_size)
            throw std::length_error("the stylesheet would grow past " + std::to_string(max_size) +
                                    " bytes after replacing \"" + std::string(from.substr(0, 200)) +
                                    "\"");
        scratch.append(text, start, pos - start);
        scratch.append(to);
        start = pos + from.size();
    }
    scratch.append(text, start, std::string::npos);
    text.swap(scratch);
    return true;
}

std::string Rewrite(std::string_view stylesheet, std::span<const Replacement> pairs) {
    std::string text(stylesheet);
    std::string scratch;
    for (const Replacement& pair : pairs)
        if (!pair.skip) ReplaceEvery(text, pair.old_text, pair.new_text, scratch);
    return text;
}

} // namespace download
