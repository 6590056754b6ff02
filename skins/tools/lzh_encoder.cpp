#include "lzh_encoder.h"

#include <cstring>
#include <memory>

namespace skinpack {

namespace {

enum : int {
    N = 4096,
    F = 60,
    THRESHOLD = 2,
    NIL = N,
    N_CHAR = 256 - THRESHOLD + F,
    T = N_CHAR * 2 - 1,
    R = T - 1,
    MAX_FREQ = 0x8000,
};

// Encoding of the upper 6 bits of a position: code length and code (left-aligned in 8 bits),
// the inverse of the decoder's position tables.
struct PositionCodes {
    std::uint8_t len[64];
    std::uint8_t code[64];
    PositionCodes() {
        int i = 0;
        auto run = [&](int count, int length, int first, int step) {
            for (int k = 0; k < count; ++k, ++i) {
                len[i] = static_cast<std::uint8_t>(length);
                code[i] = static_cast<std::uint8_t>(first + k * step);
            }
        };
        run(1, 3, 0x00, 0x20);
        run(3, 4, 0x20, 0x10);
        run(8, 5, 0x50, 0x08);
        run(12, 6, 0x90, 0x04);
        run(24, 7, 0xC0, 0x02);
        run(16, 8, 0xF0, 0x01);
    }
};
const PositionCodes kPositionCodes;

class Encoder {
public:
    explicit Encoder(std::vector<std::uint8_t>& out) : out_(out) {}

    void Encode(std::span<const std::uint8_t> text) {
        std::size_t inPos = 0;
        auto getc = [&]() -> int { return inPos < text.size() ? text[inPos++] : -1; };
        StartHuff();
        InitTree();
        int s = 0, r = N - F;
        for (int i = s; i < r; i++) text_buf[i] = ' ';
        int len, c;
        for (len = 0; len < F && (c = getc()) != -1; len++)
            text_buf[r + len] = static_cast<std::uint8_t>(c);
        for (int i = 1; i <= F; i++) InsertNode(r - i);
        InsertNode(r);
        while (len > 0) {
            if (match_length > len) match_length = len;
            if (match_length <= THRESHOLD) {
                match_length = 1;
                EncodeChar(text_buf[r]);
            } else {
                EncodeChar(255 - THRESHOLD + match_length);
                EncodePosition(match_position);
            }
            int last_match_length = match_length;
            int i;
            for (i = 0; i < last_match_length && (c = getc()) != -1; i++) {
                DeleteNode(s);
                text_buf[s] = static_cast<std::uint8_t>(c);
                if (s < F - 1) text_buf[s + N] = static_cast<std::uint8_t>(c);
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                InsertNode(r);
            }
            while (i++ < last_match_length) {
                DeleteNode(s);
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                if (--len) InsertNode(r);
            }
        }
        if (putlen > 0) out_.push_back(static_cast<std::uint8_t>(putbuf >> 24));
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint8_t text_buf[N + F - 1] = {};
    int match_position = 0, match_length = 0;
    int lson[N + 1] = {}, rson[N + 257] = {}, dad[N + 1] = {};
    std::uint16_t freq[T + 1] = {};
    int prnt[T + N_CHAR] = {};
    int son[T] = {};
    std::uint32_t putbuf = 0; // pending bits, left-aligned in 32 bits
    int putlen = 0;

    // ---- LZSS binary trees (one per first byte) ----
    void InitTree() {
        for (int i = N + 1; i <= N + 256; i++) rson[i] = NIL;
        for (int i = 0; i < N; i++) dad[i] = NIL;
    }
    void InsertNode(int r) {
        int cmp = 1;
        const std::uint8_t* key = &text_buf[r];
        int p = N + 1 + key[0];
        rson[r] = lson[r] = NIL;
        match_length = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson[p] != NIL) p = rson[p];
                else { rson[p] = r; dad[r] = p; return; }
            } else {
                if (lson[p] != NIL) p = lson[p];
                else { lson[p] = r; dad[r] = p; return; }
            }
            int i;
            for (i = 1; i < F; i++)
                if ((cmp = key[i] - text_buf[p + i]) != 0) break;
            if (i > THRESHOLD) {
                if (i > match_length) {
                    match_position = ((r - p) & (N - 1)) - 1;
                    if ((match_length = i) >= F) break;
                }
                if (i == match_length) {
                    int c = ((r - p) & (N - 1)) - 1;
                    if (c < match_position) match_position = c;
                }
            }
        }
        dad[r] = dad[p];
        lson[r] = lson[p];
        rson[r] = rson[p];
        dad[lson[p]] = r;
        dad[rson[p]] = r;
        if (rson[dad[p]] == p) rson[dad[p]] = r;
        else lson[dad[p]] = r;
        dad[p] = NIL; // remove p
    }
    void DeleteNode(int p) {
        int q;
        if (dad[p] == NIL) return; // not in the tree
        if (rson[p] == NIL) q = lson[p];
        else if (lson[p] == NIL) q = rson[p];
        else {
            q = lson[p];
            if (rson[q] != NIL) {
                do { q = rson[q]; } while (rson[q] != NIL);
                rson[dad[q]] = lson[q];
                dad[lson[q]] = dad[q];
                lson[q] = lson[p];
                dad[lson[p]] = q;
            }
            rson[q] = rson[p];
            dad[rson[p]] = q;
        }
        dad[q] = dad[p];
        if (rson[dad[p]] == p) rson[dad[p]] = q;
        else lson[dad[p]] = q;
        dad[p] = NIL;
    }

    // ---- bit output ----
    // Appends the top `len` bits of `code` (len <= 32).
    void PutBits(int len, std::uint32_t code) {
        for (int k = 0; k < len; ++k) {
            std::uint32_t bit = (code >> (31 - k)) & 1u;
            putbuf |= bit << (31 - putlen);
            if (++putlen == 8) {
                out_.push_back(static_cast<std::uint8_t>(putbuf >> 24));
                putbuf = 0;
                putlen = 0;
            }
        }
    }

    // ---- adaptive Huffman tree (the same as the decoder's) ----
    void StartHuff() {
        for (int i = 0; i < N_CHAR; i++) {
            freq[i] = 1;
            son[i] = i + T;
            prnt[i + T] = i;
        }
        for (int i = 0, j = N_CHAR; j <= R; i += 2, j++) {
            freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
            son[j] = i;
            prnt[i] = prnt[i + 1] = j;
        }
        freq[T] = 0xFFFF;
        prnt[R] = 0;
    }
    void Reconst() {
        int j = 0;
        for (int i = 0; i < T; i++) {
            if (son[i] >= T) {
                freq[j] = static_cast<std::uint16_t>((freq[i] + 1) / 2);
                son[j] = son[i];
                j++;
            }
        }
        for (int i = 0, jj = N_CHAR; jj < T; i += 2, jj++) {
            unsigned f = freq[jj] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
            int k;
            for (k = jj - 1; f < freq[k]; k--) {}
            k++;
            std::memmove(&freq[k + 1], &freq[k], sizeof(freq[0]) * (jj - k));
            freq[k] = static_cast<std::uint16_t>(f);
            std::memmove(&son[k + 1], &son[k], sizeof(son[0]) * (jj - k));
            son[k] = i;
        }
        for (int i = 0; i < T; i++) {
            int k = son[i];
            if (k >= T) prnt[k] = i;
            else prnt[k] = prnt[k + 1] = i;
        }
    }
    void Update(int c) {
        if (freq[R] == MAX_FREQ) Reconst();
        c = prnt[c + T];
        do {
            unsigned k = ++freq[c];
            int l = c + 1;
            if (k > freq[l]) {
                while (k > freq[++l]) {}
                l--;
                freq[c] = freq[l];
                freq[l] = static_cast<std::uint16_t>(k);
                int i = son[c];
                prnt[i] = l;
                if (i < T) prnt[i + 1] = l;
                int j = son[l];
                son[l] = i;
                prnt[j] = c;
                if (j < T) prnt[j + 1] = c;
                son[c] = j;
                c = l;
            }
        } while ((c = prnt[c]) != 0);
    }
    void EncodeChar(int c) {
        // Walk from the leaf to the root; an odd node is the second child (bit 1). The
        // published code keeps the path in 16 bits; it is kept whole here, however deep.
        std::uint8_t path[T];
        int depth = 0;
        int k = prnt[c + T];
        do {
            path[depth++] = static_cast<std::uint8_t>(k & 1);
        } while ((k = prnt[k]) != R);
        for (int i = depth - 1; i >= 0; --i) PutBits(1, std::uint32_t(path[i]) << 31);
        Update(c);
    }
    void EncodePosition(int c) {
        int i = c >> 6;
        PutBits(kPositionCodes.len[i], std::uint32_t(kPositionCodes.code[i]) << 24);
        PutBits(6, std::uint32_t(c & 0x3F) << 26);
    }
};

} // namespace

std::vector<std::uint8_t> LzhEncode(std::span<const std::uint8_t> text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 2 + 16);
    auto encoder = std::make_unique<Encoder>(out);
    encoder->Encode(text);
    return out;
}

} // namespace skinpack
