#include "analysis/substring_index.h"

namespace analysis {

SubstringIndex::SubstringIndex() {
    root_.fill(-1);
    states_.push_back({0, -1, -1});
}

int32_t SubstringIndex::Next(int32_t state, unsigned char c) const {
    if (state == 0) return root_[c];
    for (int32_t e = states_[state].first_edge; e >= 0; e = edges_[e].next)
        if (edges_[e].byte == c) return edges_[e].to;
    return -1;
}

void SubstringIndex::SetNext(int32_t state, unsigned char c, int32_t to) {
    if (state == 0) {
        root_[c] = to;
        return;
    }
    for (int32_t e = states_[state].first_edge; e >= 0; e = edges_[e].next) {
        if (edges_[e].byte == c) {
            edges_[e].to = to;
            return;
        }
    }
    edges_.push_back({to, states_[state].first_edge, c});
    states_[state].first_edge = static_cast<int32_t>(edges_.size() - 1);
}

int32_t SubstringIndex::Clone(int32_t state, int32_t len) {
    // The root is never cloned: only states reached by a transition are.
    int32_t clone = static_cast<int32_t>(states_.size());
    states_.push_back({len, states_[state].link, -1});
    for (int32_t e = states_[state].first_edge; e >= 0; e = edges_[e].next) {
        Edge copy = edges_[e];
        copy.next = states_[clone].first_edge;
        edges_.push_back(copy);
        states_[clone].first_edge = static_cast<int32_t>(edges_.size() - 1);
    }
    return clone;
}

void SubstringIndex::Extend(unsigned char c) {
    int32_t cur = static_cast<int32_t>(states_.size());
    states_.push_back({states_[last_].len + 1, 0, -1});
    int32_t p = last_;
    while (p >= 0 && Next(p, c) < 0) {
        SetNext(p, c, cur);
        p = states_[p].link;
    }
    if (p >= 0) {
        int32_t q = Next(p, c);
        if (states_[p].len + 1 == states_[q].len) {
            states_[cur].link = q;
        } else {
            int32_t clone = Clone(q, states_[p].len + 1);
            while (p >= 0 && Next(p, c) == q) {
                SetNext(p, c, clone);
                p = states_[p].link;
            }
            states_[q].link = clone;
            states_[cur].link = clone;
        }
    }
    last_ = cur;
}

void SubstringIndex::Append(std::string_view bytes) {
    // At most two states and three transitions per byte; reserving keeps growth amortised
    // without doubling far past what the text needs.
    size_t want = states_.size() + 2 * bytes.size();
    if (want > states_.capacity()) states_.reserve(want + want / 2);
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
