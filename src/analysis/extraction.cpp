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

// Candidates this long get their bytes noted, so that searches can skip their insides.
constexpr size_t kPieceLength = 256;

static std::array<uint64_t, 4> BytesIn(std::string_view s) {
    std::array<uint64_t, 4> set{};
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        set[c >> 6] |= uint64_t{1} << (c & 63);
    }
    return set;
}

bool ReferenceCollector::Occurs(std::string_view candidate) {
    const size_t m = candidate.size(), n = text_.size();
    if (m > n) return false;
    if (index_.Contains(candidate)) return true;
    // What the index does not see: the text after it, and occurrences that start in it and
    // end after it.
    const std::string_view text(text_);
    size_t at = indexed_ >= m - 1 ? indexed_ - (m - 1) : 0;
    bool found = false;
    auto search = [&](size_t end) {
        if (!found && end >= at + m) found = OccursIn(text.substr(at, end - at), candidate);
        scanned_ += end > at ? end - at : 0;
    };
    const std::array<uint64_t, 4> needle = BytesIn(candidate);
    for (const Piece& piece : pieces_) {
        if (found) break;
        // Looking at a piece costs about what searching a few dozen bytes does; counted, so
        // that many skipped pieces also lead to indexing.
        scanned_ += 32;
        bool lacks = false;
        for (size_t w = 0; w < 4; ++w) lacks |= (needle[w] & ~piece.bytes[w]) != 0;
        // No occurrence holds a position this far inside the piece: it would lie in the piece.
        const size_t skip_from = piece.start + m - 1;
        if (!lacks || piece.end < m || piece.end - m + 1 <= skip_from) continue;
        const size_t skip_to = piece.end - m + 1;
        if (skip_to <= at) continue;
        if (skip_from > at) search(skip_from);
        at = std::max(at, skip_to);
    }
    search(n);
    const size_t tail = n - indexed_;
    const size_t factor = search_per_indexed_byte_ != kMeasured ? search_per_indexed_byte_
                          : tail < (size_t{1} << 20)            ? 64
                                                                : 1024;
    if (scanned_ > factor * tail) {
        index_.Append(text.substr(indexed_));
        indexed_ = n;
        scanned_ = 0;
        pieces_.clear();
    }
    return found;
}

bool ReferenceCollector::Offer(std::string_view candidate) {
    if (!candidate.empty()) {
        // Insert-or-find in one step: the transparent find of this standard library
        // misbehaves when cross-compiled for Windows.
        if (!offered_.emplace(candidate).second) return false;
        if (Occurs(candidate)) return false;
    }
    size_t start = text_.size();
    if (text_.empty() || EndsWithBreak(text_)) {
        Append(candidate);
        Append("\r\n");
    } else {
        Append("\r\n");
        start = text_.size();
        Append(candidate);
    }
    if (candidate.size() >= kPieceLength)
        pieces_.push_back({start, start + candidate.size(), BytesIn(candidate)});
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
