#pragma once
// Answers "does this text occur in everything appended so far?" in time linear in the query,
// while the indexed text only ever grows at its end. An online suffix automaton: appending n
// bytes costs amortised O(n), so de-duplicating thousands of references never rescans the
// growing text.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace analysis {

class SubstringIndex {
public:
    SubstringIndex();

    void Append(std::string_view bytes);
    // Same answer as `indexed_text.find(needle) != npos`; the empty needle is contained.
    bool Contains(std::string_view needle) const;

    size_t size() const { return size_; }

private:
    struct State {
        int32_t len;
        int32_t link;
        int32_t first_edge; // -1: none; the root keeps its edges in root_ instead
    };
    struct Edge {
        int32_t to;
        int32_t next;
        unsigned char byte;
    };

    void Extend(unsigned char c);
    int32_t Next(int32_t state, unsigned char c) const;
    // Adds the transition, or redirects it when the state already has one for `c`.
    void SetNext(int32_t state, unsigned char c, int32_t to);
    int32_t Clone(int32_t state, int32_t len);

    // Most lookups start at the root, whose fan-out is the whole alphabet of the text.
    std::array<int32_t, 256> root_;
    std::vector<State> states_;
    std::vector<Edge> edges_;
    int32_t last_ = 0;
    size_t size_ = 0;
};

} // namespace analysis
