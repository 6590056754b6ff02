#include "download/rewrite.h"

#include "analysis/memo_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace download {

FileFingerprint Fingerprint(std::string_view bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    return {true, bytes.size(), hash};
}

std::vector<Replacement> PairByPosition(std::string_view references_text,
                                        std::span<const RowOutcome> rows) {
    std::vector<std::string_view> lines = analysis::SplitLines(references_text);
    size_t count = std::min(lines.size(), rows.size());
    std::vector<Replacement> pairs;
    pairs.reserve(count);
    for (size_t i = 0; i < count; ++i)
        pairs.push_back({std::string(lines[i]),
                         rows[i].reference.empty() ? rows[i].file_name : rows[i].reference,
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
// occurrence (the trail byte may well be an ASCII letter).
//
// Needles of three bytes or more are found with Horspool's method keyed on the window's last
// two bytes (hashed): in stylesheet text most byte pairs are not in the needle, so the window
// mostly moves by the needle's length less one, and the skip loop does not wait for its own
// table loads. Shorter needles go to memchr through string_view::find.
class Finder {
public:
    explicit Finder(std::string_view needle) : needle_(needle) {
        if (needle.size() < kShortNeedle) return;
        last_ = needle.size() - 1;
        shift_.fill(0);
        for (size_t i = 1; i < last_; ++i) shift_[Hash(needle[i - 1], needle[i])] = i;
        unsigned end_hash = Hash(needle[last_ - 1], needle[last_]);
        after_mismatch_ = last_ - shift_[end_hash];
        shift_[end_hash] = last_;
    }

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
    static unsigned Hash(char a, char b) {
        return ((static_cast<unsigned char>(a) << 3) ^ static_cast<unsigned char>(b)) & 255;
    }

    size_t FindBytes(std::string_view text, size_t from) const {
        if (from > text.size() || text.size() - from < needle_.size()) return std::string::npos;
        if (needle_.size() < kShortNeedle) return text.find(needle_, from);
        // `end` is the window's last byte; shift_[h] is the largest i < needle size whose pair
        // (i - 1, i) hashes to h, so moving by last_ - i can skip no occurrence.
        const char* data = text.data();
        size_t end = from + last_;
        while (end < text.size()) {
            size_t at = shift_[Hash(data[end - 1], data[end])];
            if (at == 0) {
                end += last_;
                continue;
            }
            if (at < last_) {
                end += last_ - at;
                continue;
            }
            if (std::memcmp(data + end - last_, needle_.data(), needle_.size()) == 0)
                return end - last_;
            end += after_mismatch_;
        }
        return std::string::npos;
    }

    // `boundary` <= pos is known to start a character. A byte outside the lead range always
    // ends a character, so only the run of lead-range bytes just before pos matters: they pair
    // up from the run's start, and an odd one out is a lead byte whose trail is at pos.
    static bool StartsCharacter(std::string_view text, size_t pos, size_t boundary) {
        size_t run = pos;
        while (run > boundary && IsLeadByte(static_cast<unsigned char>(text[run - 1]))) --run;
        return (pos - run) % 2 == 0 || !IsTrailByte(static_cast<unsigned char>(text[pos]));
    }

    static constexpr size_t kShortNeedle = 3;
    std::string_view needle_;
    size_t last_ = 0;
    size_t after_mismatch_ = 1;
    std::array<size_t, 256> shift_;
};

} // namespace

bool ReplaceEvery(std::string& text, std::string_view from, std::string_view to,
                  std::vector<size_t>& hits, size_t max_size) {
    if (from.empty() || from == to) return false;
    Finder finder(from);
    hits.clear();
    // The text after a replaced occurrence is searched as if it started there.
    for (size_t pos = finder.Find(text, 0); pos != std::string::npos;
         pos = finder.Find(text, pos + from.size()))
        hits.push_back(pos);
    if (hits.empty()) return false;

    // Edit in place: only the bytes after the first occurrence move.
    char* data = text.data();
    if (to.size() <= from.size()) {
        size_t write = hits.front();
        for (size_t i = 0; i < hits.size(); ++i) {
            std::memcpy(data + write, to.data(), to.size());
            write += to.size();
            size_t start = hits[i] + from.size();
            size_t end = i + 1 < hits.size() ? hits[i + 1] : text.size();
            if (write != start) std::memmove(data + write, data + start, end - start);
            write += end - start;
        }
        text.resize(write);
        return true;
    }

    size_t growth = to.size() - from.size();
    if (hits.size() > (max_size - std::min(max_size, text.size())) / growth)
        throw std::length_error("the stylesheet would grow past " + std::to_string(max_size) +
                                " bytes after replacing \"" + std::string(from.substr(0, 200)) +
                                "\"");
    size_t old_size = text.size();
    text.resize(old_size + growth * hits.size()); // the only step that can fail: text unchanged
    data = text.data();
    size_t read_end = old_size;
    size_t write = text.size();
    for (size_t i = hits.size(); i-- > 0;) {
        size_t start = hits[i] + from.size();
        write -= read_end - start;
        std::memmove(data + write, data + start, read_end - start);
        write -= to.size();
        std::memcpy(data + write, to.data(), to.size());
        read_end = hits[i];
    }
    return true;
}

bool ReplaceEvery(std::string& text, std::string_view from, std::string_view to, size_t max_size) {
    std::vector<size_t> hits;
    return ReplaceEvery(text, from, to, hits, max_size);
}

bool IsReferenceEdge(char c) {
    switch (c) {
    case ' ':
    case '\t':
    case '\r':
    case '\n':
    case '\f':
    case '\'':
    case '"':
    case '(':
    case ')':
        return true;
    default:
        return false;
    }
}

std::vector<ReferencePlace> ReferencePlaces(std::string_view text,
                                            std::span<const Replacement> pairs) {
    std::vector<size_t> order;
    for (size_t i = 0; i < pairs.size(); ++i)
        if (!pairs[i].skip && !pairs[i].old_text.empty()) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return pairs[a].old_text.size() > pairs[b].old_text.size();
    });
    std::vector<ReferencePlace> places;
    std::vector<bool> taken; // sized on the first place
    for (size_t index : order) {
        const std::string_view from = pairs[index].old_text;
        Finder finder(from);
        size_t pos = finder.Find(text, 0);
        while (pos != std::string::npos) {
            const size_t end = pos + from.size();
            bool whole = (pos == 0 || IsReferenceEdge(text[pos - 1])) &&
                         (end == text.size() || IsReferenceEdge(text[end]));
            if (whole && !taken.empty())
                for (size_t i = pos; i < end && whole; ++i) whole = !taken[i];
            if (whole) {
                if (taken.empty()) taken.resize(text.size());
                for (size_t i = pos; i < end; ++i) taken[i] = true;
                places.push_back({pos, from.size(), index});
                pos = finder.Find(text, end);
                continue;
            }
            // pos starts a character: step over the whole character.
            const bool twoBytes = IsLeadByte(static_cast<unsigned char>(text[pos])) &&
                                  pos + 1 < text.size() &&
                                  IsTrailByte(static_cast<unsigned char>(text[pos + 1]));
            pos = finder.Find(text, pos + (twoBytes ? 2 : 1));
        }
    }
    std::sort(places.begin(), places.end(),
              [](const ReferencePlace& a, const ReferencePlace& b) { return a.from < b.from; });
    return places;
}

std::string Rewrite(std::string_view stylesheet, std::span<const Replacement> pairs) {
    const std::vector<ReferencePlace> places = ReferencePlaces(stylesheet, pairs);
    size_t size = stylesheet.size();
    for (const ReferencePlace& p : places) {
        const size_t to = pairs[p.pair].new_text.size();
        if (to > p.length && to - p.length > kMaxRewrittenSize - std::min(size, kMaxRewrittenSize))
            throw std::length_error("the stylesheet would grow past " +
                                    std::to_string(kMaxRewrittenSize) + " bytes");
        size = size - p.length + to;
    }
    std::string out;
    out.reserve(size);
    size_t at = 0;
    for (const ReferencePlace& p : places) {
        out.append(stylesheet.substr(at, p.from - at));
        out.append(pairs[p.pair].new_text);
        at = p.from + p.length;
    }
    out.append(stylesheet.substr(at));
    return out;
}

} // namespace download
