#include "analysis/extraction.h"

#include <algorithm>
#include <cstring>

namespace analysis {

// Beyond this the index grows as it goes rather than claiming memory for text that may never
// be added.
constexpr size_t kReserveLimit = size_t{32} << 20;

static size_t CountBreaks(std::string_view s) {
    size_t n = 0;
    for (size_t pos = s.find("\r\n"); pos != std::string_view::npos; pos = s.find("\r\n", pos + 2))
        ++n;
    return n;
}

static bool EndsWithBreak(std::string_view s) {
    return s.size() >= 2 && s[s.size() - 2] == '\r' && s.back() == '\n';
}

static int LineCount(std::string_view s) {
    if (s.empty()) return 0;
    return static_cast<int>(1 + CountBreaks(s) - (EndsWithBreak(s) ? 1 : 0));
}

void ReferenceCollector::Append(std::string_view bytes) {
    if (bytes.empty()) return;
    // Pairs cannot overlap, so only the seam between old and new text can add one more.
    if (!text_.empty() && text_.back() == '\r' && bytes.front() == '\n') ++breaks_;
    breaks_ += CountBreaks(bytes);
    text_.append(bytes);
}

bool OccursIn(std::string_view haystack, std::string_view needle) {
    const size_t m = needle.size(), n = haystack.size();
    if (m == 0) return true;
    if (m > n) return false;
    // Knuth-Morris-Pratt, skipping with memchr while nothing is matched.
    std::vector<int32_t> border(m, 0);
    for (size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && needle[i] != needle[k]) k = static_cast<size_t>(border[k - 1]);
        if (needle[i] == needle[k]) ++k;
        border[i] = static_cast<int32_t>(k);
    }
    size_t k = 0;
    for (size_t i = 0; i < n; ++i) {
        if (k == 0) {
            const void* hit = std::memchr(haystack.data() + i, needle[0], n - i);
            if (!hit) return false;
            i = static_cast<size_t>(static_cast<const char*>(hit) - haystack.data());
        }
        while (k > 0 && haystack[i] != needle[k]) k = static_cast<size_t>(border[k - 1]);
        if (haystack[i] == needle[k]) ++k;
        if (k == m) return true;
    }
    return false;
}

bool ReferenceCollector::Offer(std::string_view candidate) {
    if (!candidate.empty()) {
        std::string key = RemoveByte(RemoveByte(candidate, '\''), '"');
        // Insert-or-find in one step: the transparent find of this standard library
        // misbehaves when cross-compiled for Windows.
        if (!listed_.emplace(std::move(key)).second) return false;
    }
    if (text_.empty() || EndsWithBreak(text_)) {
        Append(candidate);
        Append("\r\n");
    } else {
        Append("\r\n");
        Append(candidate);
    }
    return true;
}

void ReferenceCollector::Reserve(size_t bytes) {
    text_.reserve(text_.size() + bytes);
}

int ReferenceCollector::line_count() const {
    if (text_.empty()) return 0;
    return static_cast<int>(1 + breaks_ - (EndsWithBreak(text_) ? 1 : 0));
}

std::string RemoveByte(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    while (start < text.size()) {
        const void* hit = std::memchr(text.data() + start, quote, text.size() - start);
        size_t end =
            hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
        out.append(text.data() + start, end - start);
        start = end + 1;
    }
    return out;
}

ExtractedReferences CollectReferences(std::span<const std::string> candidates) {
    ExtractedReferences result;
    ReferenceCollector collector;
    // Matches do not overlap, so this is at most the stylesheet's size plus the line breaks;
    // usually far less is used, and memory never touched costs little.
    size_t bound = 0;
    for (const std::string& candidate : candidates) bound += candidate.size() + 2;
    collector.Reserve(std::min(bound, kReserveLimit));
    result.counts.push_back(0);
    for (const std::string& candidate : candidates)
        if (collector.Offer(candidate)) result.counts.push_back(collector.line_count());
    // A removal can join a lone CR and LF into a new break, so count again after each.
    std::string text = RemoveByte(collector.text(), '\'');
    result.counts.push_back(LineCount(text));
    result.text = RemoveByte(text, '"');
    result.line_count = LineCount(result.text);
    result.counts.push_back(result.line_count);
    return result;
}

std::string ImageCountCaption(int lines) {
    return "共 " + std::to_string(lines) + " 个图片";
}

} // namespace analysis
