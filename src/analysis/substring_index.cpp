#include "analysis/substring_index.h"

namespace analysis {

SubstringIndex::SubstringIndex() {
    states_.push_back({0, -1, -1, -1});
    GiveTable(0);
}

int32_t SubstringIndex::Next(int32_t state, unsigned char c) const {
    const State& s = states_[state];
    if (s.table >= 0) return tables_[s.table][c];
    for (int32_t e = s.first_edge; e >= 0; e = edges_[e].next)
        if (edges_[e].byte == c) return edges_[e].to;
    return -1;
}

void SubstringIndex::GiveTable(int32_t state) {
    Table table;
    table.fill(-1);
    for (int32_t e = states_[state].first_edge; e >= 0; e = edges_[e].next)
        table[edges_[e].byte] = edges_[e].to;
    tables_.push_back(table);
    states_[state].table = static_cast<int32_t>(tables_.size() - 1);
    states_[state].first_edge = -1; // the list's edges stay unused in edges_
}

void SubstringIndex::AddEdge(int32_t state, unsigned char c, int32_t to) {
    edges_.push_back({to, states_[state].first_edge, c});
    states_[state].first_edge = static_cast<int32_t>(edges_.size() - 1);
}

void SubstringIndex::SetNext(int32_t state, unsigned char c, int32_t to) {
    if (states_[state].table >= 0) {
        tables_[states_[state].table][c] = to;
        return;
    }
    int count = 0;
    for (int32_t e = states_[state].first_edge; e >= 0; e = edges_[e].next, ++count) {
        if (edges_[e].byte == c) {
            edges_[e].to = to;
            return;
        }
    }
    AddEdge(state, c, to);
    if (count + 1 > kListLimit && tables_.size() < kMaxTables) GiveTable(state);
}

int32_t SubstringIndex::Clone(int32_t state, int32_t len) {
    int32_t clone = static_cast<int32_t>(states_.size());
    states_.push_back({len, states_[state].link, -1, -1});
    if (states_[state].table >= 0) {
        // Copy by index: GiveTable may move tables_.
        for (int c = 0; c < 256; ++c) {
            int32_t to = tables_[states_[state].table][c];
            if (to >= 0) AddEdge(clone, static_cast<unsigned char>(c), to);
        }
        if (tables_.size() < kMaxTables) GiveTable(clone);
    } else {
        for (int32_t e = states_[state].first_edge; e >= 0; e = edges_[e].next)
            AddEdge(clone, edges_[e].byte, edges_[e].to);
    }
    return clone;
}

void SubstringIndex::Extend(unsigned char c) {
    int32_t cur = static_cast<int32_t>(states_.size());
    states_.push_back({states_[last_].len + 1, 0, -1, -1});
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

void SubstringIndex::Reserve(size_t bytes) {
    // At most two states and three transitions per byte.
    states_.reserve(states_.size() + 2 * bytes);
    edges_.reserve(edges_.size() + 3 * bytes);
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
