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
    // Room for `bytes` more bytes of text without moving the automaton while it grows.
    void Reserve(size_t bytes);
    // Same answer as `indexed_text.find(needle) != npos`; the empty needle is contained.
    bool Contains(std::string_view needle) const;

    size_t size() const { return size_; }

private:
    struct State {
        int32_t len;
        int32_t link;
        int32_t first_edge; // list of transitions, -1 when none or when the state has a table
        int32_t table;      // index into tables_, -1 when none
    };
    struct Edge {
        int32_t to;
        int32_t next;
        unsigned char byte;
    };
    using Table = std::array<int32_t, 256>;

    void Extend(unsigned char c);
    int32_t Next(int32_t state, unsigned char c) const;
    // Adds the transition, or redirects it when the state already has one for `c`.
    void SetNext(int32_t state, unsigned char c, int32_t to);
    void AddEdge(int32_t state, unsigned char c, int32_t to);
    void GiveTable(int32_t state);
    int32_t Clone(int32_t state, int32_t len);

    // Most states have one or two transitions and keep them in a short list. The few with many
    // (those of short strings, near the root, which every append and query passes through) get
    // a table once their list grows long; the number of tables is capped so that no text can
    // make them cost more than a few megabytes.
    static constexpr int kListLimit = 6;
    static constexpr size_t kMaxTables = 4096;

    std::vector<State> states_;
    std::vector<Edge> edges_;
    std::vector<Table> tables_;
    int32_t last_ = 0;
    size_t size_ = 0;
};

} // namespace analysis
