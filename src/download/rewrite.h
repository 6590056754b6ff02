#pragma once
// Pointing the stylesheet at the downloaded copies: every reference is replaced by the name
// its image was saved under.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace download {

struct Replacement {
    std::string old_text; // the reference as the stylesheet writes it
    std::string new_text; // the file name actually written
    bool skip = false;    // the download failed: keep pointing at the web address
};

struct RowOutcome {
    std::string file_name; // the list's file-name column, collision prefix included
    bool failed = false;
};

// Pairs reference line i with row i. Lines without a row (the memo was edited after the run
// started) get no pair, so no pair ever reads a row that does not exist. A row whose download
// failed, or that has no file name (its address ended with "/", so nothing was written), is a
// skipped pair.
std::vector<Replacement> PairByPosition(std::string_view references_text,
                                        std::span<const RowOutcome> rows);

// Applies the pairs in order, each to the result of the ones before: every occurrence of the
// old text, case-sensitive, anywhere in the text, left to right without overlaps. An empty old
// text replaces nothing. The text is code page 936: an occurrence starts on a character, never
// on the trail byte of a double-byte character. The input
// is untouched; on failure (std::length_error when the text would grow past kMaxRewrittenSize)
// nothing is lost.
std::string Rewrite(std::string_view stylesheet, std::span<const Replacement> pairs);

inline constexpr size_t kMaxRewrittenSize = size_t{256} << 20;

// One pair of Rewrite on `text` in place. `scratch` is a buffer the caller keeps across calls
// so that repeated rewrites reuse its memory. Returns whether anything changed; when nothing
// matches, `text` is neither copied nor reallocated. Throws std::length_error, `text`
// unchanged, when the result would be longer than `max_size`.
bool ReplaceEvery(std::string& text, std::string_view from, std::string_view to,
                  std::string& scratch, size_t max_size = kMaxRewrittenSize);

} // namespace download
