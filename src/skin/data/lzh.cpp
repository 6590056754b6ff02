#include "skin/data/lzh.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace skin {

namespace {

using namespace lzh;

// The dictionary tables of one run, with a spare slot at the end of
// the child table: the walk never reaches it, but a bound that holds by construction is cheap.
struct Tables {
    std::uint16_t freq[kTableSize + 1];   // 628: node frequencies + sentinel
    std::int16_t prnt[kTableSize + kSymbols]; // 941: parents of nodes and of leaves (T + s)
    std::int16_t son[kTableSize + 1];     // 627 (+1): children
    std::uint8_t ring[kRingBufferSize];   // 4,155
};

void StartHuff(Tables& t) {
    for (int i = 0; i < kSymbols; ++i) {
        t.freq[i] = 1;
        t.son[i] = static_cast<std::int16_t>(i + kTableSize);
        t.prnt[i + kTableSize] = static_cast<std::int16_t>(i);
    }
    for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
        t.freq[j] = static_cast<std::uint16_t>(t.freq[i] + t.freq[i + 1]);
        t.son[j] = static_cast<std::int16_t>(i);
        t.prnt[i] = t.prnt[i + 1] = static_cast<std::int16_t>(j);
    }
    t.freq[kTableSize] = 0xFFFF;
    t.prnt[kRoot] = 0;
    t.son[kTableSize] = 0;
}

void Rebuild(Tables& t) {
    // 1. Collect the leaves at the bottom, halving their frequencies.
    int j = 0;
    for (int i = 0; i < kTableSize; ++i) {
        if (t.son[i] >= kTableSize) {
            t.freq[j] = static_cast<std::uint16_t>((t.freq[i] + 1) / 2);
            t.son[j] = t.son[i];
            ++j;
        }
    }
    // 2. Build the inner nodes by sorted insertion.
    for (int i = 0, jj = kSymbols; jj < kTableSize; i += 2, ++jj) {
        unsigned f = static_cast<unsigned>(t.freq[i]) + t.freq[i + 1];
        int k = jj - 1;
        while (f < t.freq[k]) --k;
        ++k;
        std::memmove(&t.freq[k + 1], &t.freq[k], sizeof(t.freq[0]) * (jj - k));
        t.freq[k] = static_cast<std::uint16_t>(f);
        std::memmove(&t.son[k + 1], &t.son[k], sizeof(t.son[0]) * (jj - k));
        t.son[k] = static_cast<std::int16_t>(i);
    }
    // 3. Parents from children.
    for (int i = 0; i < kTableSize; ++i) {
        int k = t.son[i];
        if (k >= kTableSize) {
            t.prnt[k] = static_cast<std::int16_t>(i);
        } else {
            t.prnt[k] = t.prnt[k + 1] = static_cast<std::int16_t>(i);
        }
    }
}

// Highest index l > c with freq[l] < k, given freq[c + 1] < k. The frequencies of nodes
// 0..626 never decrease with the index (the sibling property that start, update and rebuild
// all keep) and freq[627] is the 0xFFFF sentinel, so the upward scan of the published
// algorithm ends where a search for the first frequency >= k ends: a galloping search,
// quick for the short runs of equal frequencies and for the long ones (all 314 leaves
// start at 1).
inline int LastBelow(const std::uint16_t* freq, int c, unsigned k) {
    // A few places one by one (most runs are short), then gallop upward: 1, 2, 4, ...
    // places until a frequency >= k is met.
    int lo = c + 1;
    for (int n = 0; n < 4; ++n) {
        if (freq[lo + 1] >= k) return lo;
        ++lo;
    }
    int step = 1, hi;
    for (;;) {
        hi = lo + step;
        if (hi >= kTableSize) {
            hi = kTableSize;
            break;
        }
        if (freq[hi] >= k) break;
        lo = hi;
        step <<= 1;
    }
    // freq[lo] < k <= freq[hi]: narrow down to adjacent places.
    while (hi - lo > 1) {
        int mid = (lo + hi) >> 1;
        if (freq[mid] < k) lo = mid; else hi = mid;
    }
    return lo;
}

inline void Update(Tables& t, std::uint32_t& rebuilds, int s) {
    if (t.freq[kRoot] == kMaxFreq) {
        Rebuild(t);
        ++rebuilds;
    }
    std::uint16_t* freq = t.freq;
    std::int16_t* prnt = t.prnt;
    std::int16_t* son = t.son;
    int c = prnt[s + kTableSize];
    do {
        unsigned k = ++freq[c];
        if (k > freq[c + 1]) {
            int l = LastBelow(freq, c, k);
            freq[c] = freq[l];
            freq[l] = static_cast<std::uint16_t>(k);
            int i = son[c];
            prnt[i] = static_cast<std::int16_t>(l);
            if (i < kTableSize) prnt[i + 1] = static_cast<std::int16_t>(l);
            int j = son[l];
            son[l] = static_cast<std::int16_t>(i);
            prnt[j] = static_cast<std::int16_t>(c);
            if (j < kTableSize) prnt[j + 1] = static_cast<std::int16_t>(c);
            son[c] = static_cast<std::int16_t>(j);
            c = l;
        }
        c = prnt[c];
    } while (c != 0);
}

// Bits of the input, most significant first, left-aligned in 64 bits. Bytes past the end
// read as 0, as the 16-bit bit buffer reads them; the sequence of bits seen is
// the same, only fetched in larger pieces.
struct BitReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;  // next byte to load (may pass size: zero bytes)
    std::uint64_t buf = 0;
    unsigned bits = 0;    // valid bits at the top of buf

    void Refill() {
        if (pos + 8 <= size) {
            std::uint64_t v = 0;
            for (int i = 0; i < 8; ++i) v = (v << 8) | data[pos + i];
            buf |= v >> bits;
            pos += (63 - bits) >> 3;
            bits |= 56;
        } else {
            while (bits <= 56) {
                std::uint64_t b = pos < size ? data[pos] : 0;
                buf |= b << (56 - bits);
                ++pos;
                bits += 8;
            }
        }
    }
    std::uint64_t BitsUsed() const { return std::uint64_t(pos) * 8 - bits; }
};

} // namespace

std::size_t TLZH::Unpack(std::int32_t textSize, std::span<const std::uint8_t> input,
                         std::vector<std::uint8_t>& output) {
    Symbols = 0;
    Rebuilds = 0;
    std::unique_ptr<Tables> tables;
    try {
        tables.reset(new Tables);
    } catch (const std::bad_alloc&) {
        throw ElzhException(kLzhNoMemoryMessage);
    }
    if (textSize <= 0) return 0;
    Tables& t = *tables;
    StartHuff(t);
    std::memset(t.ring, ' ', kRingStart);
    std::memset(t.ring + kRingStart, 0, sizeof(t.ring) - kRingStart);

    const std::size_t base = output.size();
    // Room for the last match's overshoot (59 bytes) and its last 8-byte piece (7 bytes).
    const std::size_t room = static_cast<std::size_t>(textSize) + kMaxMatch - 1 + 7;
    try {
        output.resize(base + room);
    } catch (const std::bad_alloc&) {
        throw ElzhException(kLzhNoMemoryMessage);
    }
    std::uint8_t* out = output.data() + base;
    std::uint8_t* const outEnd = out + textSize; // tested before each symbol only
    std::uint8_t* const ring = t.ring;
    const std::int16_t* son = t.son;
    unsigned r = kRingStart;
    std::uint32_t rebuilds = 0;
    std::uint64_t symbols = 0;
    BitReader in{input.data(), input.size()};

    // The ring holds the initial spaces and then the last 4,096 bytes written. Once 4,096
    // bytes have been written (phase 2) it is exactly the output's last 4,096 bytes, so
    // matches are copied from the output itself and the ring is no longer kept.
    std::uint8_t* const outStart = out;
    std::uint8_t* const ringPhaseEnd = outStart + kRingSize;
    while (out < outEnd) {
        if (in.bits < 57) in.Refill();
        // Decode a symbol: walk from the root, one bit per level.
        int c = son[kRoot];
        while (c < kTableSize) {
            if (in.bits == 0) in.Refill(); // only on trees deeper than any real one
            c = son[c + static_cast<int>(in.buf >> 63)];
            in.buf <<= 1;
            --in.bits;
        }
        c -= kTableSize;
        Update(t, rebuilds, c);
        ++symbols;
        const bool ringPhase = out < ringPhaseEnd;
        if (c < 256) {
            *out++ = static_cast<std::uint8_t>(c);
            if (ringPhase) {
                ring[r] = static_cast<std::uint8_t>(c);
                r = (r + 1) & (kRingSize - 1);
            }
            continue;
        }
        if (in.bits < 14) in.Refill();
        const int b = static_cast<int>(in.buf >> 56);
        const int extra = PositionLength(b) - 2;
        const unsigned low = static_cast<unsigned>(in.buf >> (64 - 8 - extra)); // b, extra bits
        in.buf <<= 8 + extra;
        in.bits -= 8 + extra;
        const unsigned p = (static_cast<unsigned>(PositionHigh(b)) << 6) | (low & 63);
        const int length = c - 255 + kThreshold; // 3..60
        if (ringPhase) {
            const unsigned start = (r - p - 1) & (kRingSize - 1);
            for (int k = 0; k < length; ++k) {
                std::uint8_t v = ring[(start + k) & (kRingSize - 1)];
                *out++ = v;
                ring[r] = v;
                r = (r + 1) & (kRingSize - 1);
            }
        } else {
            // The byte p + 1 places back is ring[start]. Copy in 8-byte pieces: a match
            // shorter than 8 places back first lays down whole periods byte by byte until
            // a multiple of its period reaches 8, then repeats from that far back. Pieces may
            // run up to 7 bytes past the match (into room reserved for that); the next symbols
            // overwrite them.
            const unsigned distance = p + 1;
            const std::uint8_t* from = out - distance;
            int k = 0;
            unsigned back = distance;
            if (distance < 8) {
                while (back < 8) back += distance;
                const int head = std::min<int>(length, static_cast<int>(back));
                for (; k < head; ++k) out[k] = from[k];
            }
            for (; k < length; k += 8) std::memcpy(out + k, out + k - back, 8);
            out += length;
        }
    }
    output.resize(static_cast<std::size_t>(out - output.data()));
    Symbols = symbols;
    Rebuilds = rebuilds;
    std::uint64_t used = (in.BitsUsed() + 7) / 8;
    return used < input.size() ? static_cast<std::size_t>(used) : input.size();
}

} // namespace skin
