#pragma once
// De-duplication of the image references that step two's pattern finds. Text is 8-bit bytes in
// the system code page and is never re-encoded.
#include "analysis/substring_index.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace analysis {

// Builds the references text one candidate at a time, exactly as the memo would hold it.
class ReferenceCollector {
public:
    // `search_per_indexed_byte`: how many bytes of direct search pay for indexing one byte. By
    // default 64 while the unindexed text is small and 1024 from a megabyte on, where indexing
    // a byte costs more (the index no longer fits the caches) and searching does not.
    static constexpr size_t kMeasured = 0;
    explicit ReferenceCollector(size_t search_per_indexed_byte = kMeasured)
        : search_per_indexed_byte_(search_per_indexed_byte) {}

    // Adds `candidate` as a new last line unless it occurs anywhere in the text so far (lines
    // joined with CR LF, so across line breaks too; case-sensitive). The empty candidate is
    // never counted as occurring and is always added. Returns whether it was added.
    bool Offer(std::string_view candidate);

    // Room for references of `bytes` bytes in all, so that a long run does not keep moving its
    // text as it grows.
    void Reserve(size_t bytes);

    const std::string& text() const { return text_; }
    // Lines of the text as the count label counts them.
    int line_count() const;

private:
    void Append(std::string_view bytes);
    bool Occurs(std::string_view candidate);

    std::string text_;
    // The index covers text_ up to indexed_; the rest is searched directly, and is indexed once
    // those searches have cost as much as indexing it would. A long candidate that few others
    // follow (a data: URI of megabytes) is then searched a few times and never indexed, and no
    // text makes the searches cost more than a fixed multiple of indexing everything.
    SubstringIndex index_;
    size_t indexed_ = 0;
    size_t scanned_ = 0;             // bytes searched directly since the index last grew
    size_t search_per_indexed_byte_; // kMeasured for the figures above
    // Long candidates of the text after the index, with the bytes each holds: a needle holding
    // a byte that a piece lacks cannot lie inside it, so only the piece's two ends are searched
    // (a path with a "." is never inside a base64 data: URI).
    struct Piece {
        size_t start, end;
        std::array<uint64_t, 4> bytes;
    };
    std::vector<Piece> pieces_;
    // Candidates offered before. The text only grows, and a candidate offered before is in it
    // (added) or was already (dropped), so a repeat is dropped without walking the index:
    // most candidates of a stylesheet are repeats.
    std::unordered_set<std::string> offered_;
    size_t breaks_ = 0; // CR LF pairs in text_
};

struct ExtractedReferences {
    std::string text; // final text of the references memo, quotes removed
    int line_count = 0;
    // Line count after each change the extraction makes to the memo, in order: the clear, every
    // added line, then the single-quote and the double-quote removal. A change callback that
    // runs once per change sees these counts.
    std::vector<int> counts;
};

// Candidates are the second group of each match, in match order. Linear in the total size of
// the candidates and of the text built.
ExtractedReferences CollectReferences(std::span<const std::string> candidates);

// Whether `needle` occurs in `haystack`; linear in both, whatever the bytes.
bool OccursIn(std::string_view haystack, std::string_view needle);

// Every `quote` byte removed. Quote bytes never occur as GBK trail bytes, so this is safe on
// code-page 936 text.
std::string RemoveByte(std::string_view text, char quote);

// The count label, UTF-8: "共 12 个图片".
std::string ImageCountCaption(int lines);

} // namespace analysis
