#include "analysis/pattern_length.h"

#include <algorithm>

namespace analysis {

namespace {

constexpr size_t kCap = 65536;

size_t Times(size_t a, size_t n) {
    if (a == 0 || n == 0) return 0;
    return a > kCap / n ? kCap : std::min(kCap, a * n);
}

class Reader {
public:
    explicit Reader(std::string_view p) : p_(p) {}

    std::optional<size_t> Whole() {
        std::optional<size_t> n = Alternatives();
        if (!n || i_ != p_.size()) return std::nullopt;
        return n;
    }

private:
    bool More() const { return i_ < p_.size(); }
    char Peek() const { return p_[i_]; }

    std::optional<size_t> Alternatives() {
        std::optional<size_t> best = Sequence();
        while (best && More() && Peek() == '|') {
            ++i_;
            std::optional<size_t> next = Sequence();
            if (!next) return std::nullopt;
            best = std::min(*best, *next);
        }
        return best;
    }

    std::optional<size_t> Sequence() {
        size_t total = 0;
        while (More() && Peek() != '|' && Peek() != ')') {
            std::optional<size_t> atom = Atom();
            if (!atom) return std::nullopt;
            std::optional<size_t> repeated = Quantified(*atom);
            if (!repeated) return std::nullopt;
            total = std::min(kCap, total + *repeated);
        }
        return total;
    }

    // "{n}", "{n,}" or "{n,m}" at i_: the n, with i_ after the brace; nothing moves otherwise.
    std::optional<size_t> Braces() {
        size_t j = i_ + 1, n = 0, digits = 0;
        while (j < p_.size() && p_[j] >= '0' && p_[j] <= '9') {
            n = std::min(kCap, n * 10 + static_cast<size_t>(p_[j] - '0'));
            ++j;
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        if (j < p_.size() && p_[j] == ',') {
            ++j;
            while (j < p_.size() && p_[j] >= '0' && p_[j] <= '9') ++j;
        }
        if (j >= p_.size() || p_[j] != '}') return std::nullopt;
        i_ = j + 1;
        return n;
    }

    std::optional<size_t> Quantified(size_t atom) {
        if (!More()) return atom;
        size_t result = atom;
        switch (Peek()) {
        case '*':
        case '?':
            ++i_;
            result = 0;
            break;
        case '+':
            ++i_;
            break;
        case '{': {
            std::optional<size_t> n = Braces();
            if (!n) return atom; // a brace that is no quantifier is a character
            result = Times(atom, *n);
            break;
        }
        default:
            return atom;
        }
        if (More() && Peek() == '?') ++i_; // lazy
        if (More() && (Peek() == '*' || Peek() == '+' || Peek() == '?')) return std::nullopt;
        return result;
    }

    std::optional<size_t> Atom() {
        const auto c = static_cast<unsigned char>(Peek());
        switch (c) {
        case '(': {
            ++i_;
            bool zeroWidth = false;
            if (i_ + 1 < p_.size() && p_[i_] == '?') {
                const char kind = p_[i_ + 1];
                if (kind != ':' && kind != '=' && kind != '!') return std::nullopt;
                zeroWidth = kind != ':';
                i_ += 2;
            }
            std::optional<size_t> inner = Alternatives();
            if (!inner || !More() || Peek() != ')') return std::nullopt;
            ++i_;
            return zeroWidth ? 0 : *inner;
        }
        case ')':
        case '*':
        case '+':
        case '?':
        case '|':
            return std::nullopt;
        case '^':
        case '$':
            ++i_;
            return 0;
        case '[': {
            ++i_;
            if (More() && Peek() == '^') ++i_;
            while (More() && Peek() != ']') {
                if (Peek() == '\\') ++i_;
                ++i_;
            }
            if (!More()) return std::nullopt;
            ++i_;
            return 1;
        }
        case '\\': {
            if (i_ + 1 >= p_.size()) return std::nullopt;
            const char e = p_[i_ + 1];
            i_ += 2;
            if (e == 'b' || e == 'B') return 0;
            if (e >= '1' && e <= '9') {
                while (More() && Peek() >= '0' && Peek() <= '9') ++i_;
                return 0;
            }
            return 1;
        }
        default:
            // A double-byte character is one character.
            if (c >= 0x81 && c <= 0xFE && i_ + 1 < p_.size()) {
                const auto t = static_cast<unsigned char>(p_[i_ + 1]);
                if (t >= 0x40 && t <= 0xFE) {
                    i_ += 2;
                    return 1;
                }
            }
            ++i_;
            return 1;
        }
    }

    std::string_view p_;
    size_t i_ = 0;
};

} // namespace

std::optional<size_t> MinimumMatchLength(std::string_view pattern) {
    return Reader(pattern).Whole();
}

} // namespace analysis
