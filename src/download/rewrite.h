#pragma once
// Pointing the stylesheet at the downloaded copies: every reference is replaced by the name
// its image was saved under.
#include <cstdint>
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
    // The file name as the stylesheet must write it to reach the file (escaped, in the
    // stylesheet's encoding, the reference's fragment kept); the file name itself when empty.
    std::string reference = {};
};

// Pairs reference line i with row i. Lines without a row (the memo was edited after the run
// started) get no pair, so no pair ever reads a row that does not exist. A row whose download
// failed, or that has no file name (its address ended with "/", so nothing was written), is a
// skipped pair.
std::vector<Replacement> PairByPosition(std::string_view references_text,
                                        std::span<const RowOutcome> rows);

// Where each reference is replaced: `length` bytes at `from` in the stylesheet are the old
// text of pair `pair`, in order of `from`, never overlapping.
struct ReferencePlace {
    size_t from = 0, length = 0, pair = 0;
};

// The places of whole references: an occurrence of an old text (case-sensitive) that starts on
// a character of the code-page 936 text and has a reference edge (the text's start or end,
// white space, a quote or a parenthesis) on both sides, so "a.gif" is not found inside
// "img/a.gif" nor "/images/a.gif" inside "x/images/a.gif". Longer old texts are placed first
// and a place is never inside, or across, one taken before; among equal lengths the earlier
// pair goes first. Skipped pairs and empty old texts have no places.
std::vector<ReferencePlace> ReferencePlaces(std::string_view stylesheet,
                                            std::span<const Replacement> pairs);

// Every place of ReferencePlaces replaced by its pair's new text, in one pass over the original
// text, so a replaced reference is never replaced again. The input is untouched; on failure
// (std::length_error when the text would grow past kMaxRewrittenSize) nothing is lost.
std::string Rewrite(std::string_view stylesheet, std::span<const Replacement> pairs);

// Whether `c` may stand next to a reference without being part of it.
bool IsReferenceEdge(char c);

// Tells whether a file's bytes changed since they were last read or written.
struct FileFingerprint {
    bool known = false;
    size_t size = 0;
    uint64_t hash = 0; // FNV-1a, 64 bits
    bool operator==(const FileFingerprint&) const = default;
};
FileFingerprint Fingerprint(std::string_view bytes);

inline constexpr size_t kMaxRewrittenSize = size_t{256} << 20;

// One pair of Rewrite on `text`, edited in place: only the bytes after the first occurrence
// move, and when nothing matches the text is neither copied nor reallocated. `hits` is a buffer
// the caller may keep across calls. `from` and `to` must not point into `text`. Returns whether
// anything changed. Throws std::length_error, `text` unchanged, when the result would be
// longer than `max_size`.
bool ReplaceEvery(std::string& text, std::string_view from, std::string_view to,
                  std::vector<size_t>& hits, size_t max_size = kMaxRewrittenSize);
bool ReplaceEvery(std::string& text, std::string_view from, std::string_view to,
                  size_t max_size = kMaxRewrittenSize);

} // namespace download
