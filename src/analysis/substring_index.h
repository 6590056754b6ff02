#pragma once
// Answers "does this text occur in everything appended so far?" in time linear in the query,
// while the indexed text only ever grows at its end. An online suffix automaton: appending n
// bytes costs amortised O(n), so de-duplicating thousands of references never rescans the
// growing text.
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
    // One transition is kept in the state itself (most states have one); more go to a block of
    // the pool: `cap` targets, then the `cap` bytes packed four to a word, so a lookup scans a
    // few adjacent bytes instead of chasing scattered list nodes across a large text's index.
    struct State {
        int32_t len;
        int32_t link;
        int32_t target; // the one transition's target, or the block's offset in pool_
        uint16_t count; // transitions
        uint8_t byte;   // the one transition's byte
    };

    void Extend(unsigned char c);
    int32_t Next(int32_t state, unsigned char c) const;
    // Adds the transition, or redirects it when the state already has one for `c`.
    void SetNext(int32_t state, unsigned char c, int32_t to);
    int32_t Clone(int32_t state, int32_t len);
    // A block of `cap` transitions at the end of the pool; its offset.
    int32_t NewBlock(unsigned cap);
    static unsigned CapacityFor(unsigned count);
    uint8_t* BlockBytes(int32_t block, unsigned cap) {
        return reinterpret_cast<uint8_t*>(pool_.data() + block + cap);
    }
    const uint8_t* BlockBytes(int32_t block, unsigned cap) const {
        return reinterpret_cast<const uint8_t*>(pool_.data() + block + cap);
    }

    std::vector<State> states_;
    std::vector<int32_t> pool_;
    int32_t last_ = 0;
    size_t size_ = 0;
};

} // namespace analysis
