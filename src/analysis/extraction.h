#pragma once
// De-duplication of the image references that step two's pattern finds. Text is 8-bit bytes in
// the system code page and is never re-encoded.
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
    // Adds `candidate` as a new last line unless the same reference is already listed: the
    // candidate and the earlier ones are compared as exact text without their quote bytes, so
    // "'a.png'" after "\"a.png\"" is dropped while "a.png" after "img/a.png" is kept (a
    // substring is another reference, which may name another image). The empty candidate is
    // always added. Returns whether it was added.
    bool Offer(std::string_view candidate);

    // Room for references of `bytes` bytes in all, so that a long run does not keep moving its
    // text as it grows.
    void Reserve(size_t bytes);

    const std::string& text() const { return text_; }
    // Lines of the text as the count label counts them.
    int line_count() const;

private:
    void Append(std::string_view bytes);

    std::string text_;
    // The references listed so far, quotes removed.
    std::unordered_set<std::string> listed_;
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
