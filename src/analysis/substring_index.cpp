#include "analysis/substring_index.h"

#include <bit>
#include <cstring>

namespace analysis {

SubstringIndex::SubstringIndex() {
    states_.push_back({0, -1, -1, 0, 0});
}

unsigned SubstringIndex::CapacityFor(unsigned count) {
    return std::bit_ceil(count < 4 ? 4u : count);
}

int32_t SubstringIndex::NewBlock(unsigned cap) {
    const auto block = static_cast<int32_t>(pool_.size());
    pool_.resize(pool_.size() + cap + cap / 4, -1);
    return block;
}

int32_t SubstringIndex::Next(int32_t state, unsigned char c) const {
    const State& s = states_[static_cast<size_t>(state)];
    if (s.count <= 1) return s.count == 1 && s.byte == c ? s.target : -1;
    const unsigned cap = CapacityFor(s.count);
    const uint8_t* bytes = BlockBytes(s.target, cap);
    const void* hit = std::memchr(bytes, c, s.count);
    if (!hit) return -1;
    return pool_[static_cast<size_t>(s.target) +
                 static_cast<size_t>(static_cast<const uint8_t*>(hit) - bytes)];
}

void SubstringIndex::SetNext(int32_t state, unsigned char c, int32_t to) {
    State& s = states_[static_cast<size_t>(state)];
    if (s.count == 0) {
        s = {s.len, s.link, to, 1, c};
        return;
    }
    if (s.count == 1) {
        if (s.byte == c) {
            s.target = to;
            return;
        }
        const int32_t block = NewBlock(4);
        State& moved = states_[static_cast<size_t>(state)];
        pool_[static_cast<size_t>(block)] = moved.target;
        BlockBytes(block, 4)[0] = moved.byte;
        moved.target = block;
        pool_[static_cast<size_t>(block) + 1] = to;
        BlockBytes(block, 4)[1] = c;
        moved.count = 2;
        return;
    }
    const unsigned cap = CapacityFor(s.count);
    uint8_t* bytes = BlockBytes(s.target, cap);
    if (const void* hit = std::memchr(bytes, c, s.count)) {
        pool_[static_cast<size_t>(s.target) +
              static_cast<size_t>(static_cast<const uint8_t*>(hit) - bytes)] = to;
        return;
    }
    const unsigned count = s.count;
    int32_t block = s.target;
    if (count == cap) {
        // Full: a block twice the size at the end of the pool; the old one stays unused, so the
        // pool is at most twice what the transitions need.
        const int32_t grown = NewBlock(cap * 2);
        std::memcpy(&pool_[static_cast<size_t>(grown)], &pool_[static_cast<size_t>(block)],
                    count * sizeof(int32_t));
        std::memcpy(BlockBytes(grown, cap * 2), BlockBytes(block, cap), count);
        block = grown;
        states_[static_cast<size_t>(state)].target = block;
    }
    pool_[static_cast<size_t>(block) + count] = to;
    BlockBytes(block, CapacityFor(count + 1))[count] = c;
    states_[static_cast<size_t>(state)].count = static_cast<uint16_t>(count + 1);
}

int32_t SubstringIndex::Clone(int32_t state, int32_t len) {
    const auto clone = static_cast<int32_t>(states_.size());
    State copy = states_[static_cast<size_t>(state)];
    copy.len = len;
    if (copy.count > 1) {
        const unsigned cap = CapacityFor(copy.count);
        const int32_t block = NewBlock(cap);
        std::memcpy(&pool_[static_cast<size_t>(block)], &pool_[static_cast<size_t>(copy.target)],
                    (cap + cap / 4) * sizeof(int32_t));
        copy.target = block;
    }
    states_.push_back(copy);
    return clone;
}

void SubstringIndex::Extend(unsigned char c) {
    const auto cur = static_cast<int32_t>(states_.size());
    states_.push_back({states_[static_cast<size_t>(last_)].len + 1, 0, -1, 0, 0});
    int32_t p = last_;
    while (p >= 0 && Next(p, c) < 0) {
        SetNext(p, c, cur);
        p = states_[static_cast<size_t>(p)].link;
    }
    if (p >= 0) {
        int32_t q = Next(p, c);
        if (states_[static_cast<size_t>(p)].len + 1 == states_[static_cast<size_t>(q)].len) {
            states_[static_cast<size_t>(cur)].link = q;
        } else {
            int32_t clone = Clone(q, states_[static_cast<size_t>(p)].len + 1);
            while (p >= 0 && Next(p, c) == q) {
                SetNext(p, c, clone);
                p = states_[static_cast<size_t>(p)].link;
            }
            states_[static_cast<size_t>(q)].link = clone;
            states_[static_cast<size_t>(cur)].link = clone;
        }
    }
    last_ = cur;
}

void SubstringIndex::Reserve(size_t bytes) {
    // Texts of references need about 1.5 states a byte and a block for one state in three;
    // beyond that the vectors grow as they go.
    states_.reserve(states_.size() + bytes + bytes / 2);
    pool_.reserve(pool_.size() + 2 * bytes);
}

void SubstringIndex::Append(std::string_view bytes) {
    for (char ch : bytes) Extend(static_cast<unsigned char>(ch));
    size_ += bytes.size();
}

bool SubstringIndex::Contains(std::string_view needle) const {
    int32_t state = 0;
    for (char ch : needle) {
        state = Next(state, static_cast<unsigned char>(ch));
        if (state < 0) return false;
    }
    return true;
}

} // namespace analysis
