#pragma once
// The straightforward LZHUF decoder: the published algorithm written out literally, bit by bit, as the
// published C code does it (16-bit bit buffer refilled one byte at a time from a stream,
// table lookups for positions, a linear scan in the tree update, one byte at a time into
// the output stream). It is the baseline of bench/lzh_decode.cpp and the oracle of the
// differential tests and the LZH fuzz target; the program itself uses skin::TLZH.
#include <cstdint>
#include <cstring>
#include <vector>

namespace lzh_reference {

// A read-only memory stream: Read gives at most what is left from the position to the end.
struct InputStream {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
    std::size_t Read(void* buffer, std::size_t count) {
        std::size_t left = size - position;
        if (count > left) count = left;
        if (count) std::memcpy(buffer, data + position, count);
        position += count;
        return count;
    }
};

// A growing memory stream written one byte at a time.
struct OutputStream {
    std::vector<std::uint8_t>& bytes;
    void Write(const void* buffer, std::size_t count) {
        const auto* p = static_cast<const std::uint8_t*>(buffer);
        bytes.insert(bytes.end(), p, p + count);
    }
};

class Decoder {
public:
    enum { N = 4096, F = 60, THRESHOLD = 2, N_CHAR = 256 - THRESHOLD + F, T = N_CHAR * 2 - 1,
           R = T - 1, MAX_FREQ = 0x8000 };

    unsigned rebuilds = 0;

    void Unpack(std::int32_t textSize, InputStream& in, OutputStream& out) {
        freq.assign(T + 1, 0);
        prnt.assign(T + N_CHAR, 0);
        son.assign(T, 0);
        text_buf.assign(N + F - 1, 0);
        getbuf = 0;
        getlen = 0;
        rebuilds = 0;
        input = &in;
        if (textSize <= 0) return;
        StartHuff();
        for (int i = 0; i < N - F; i++) text_buf[i] = ' ';
        int r = N - F;
        std::int32_t count = 0;
        while (count < textSize) {
            int c = DecodeChar();
            if (c < 256) {
                std::uint8_t b = static_cast<std::uint8_t>(c);
                out.Write(&b, 1);
                text_buf[r++] = b;
                r &= (N - 1);
                count++;
            } else {
                int i = (r - DecodePosition() - 1) & (N - 1);
                int j = c - 255 + THRESHOLD;
                for (int k = 0; k < j; k++) {
                    std::uint8_t b = text_buf[(i + k) & (N - 1)];
                    out.Write(&b, 1);
                    text_buf[r++] = b;
                    r &= (N - 1);
                    count++;
                }
            }
        }
    }

private:
    std::vector<std::uint16_t> freq;
    std::vector<std::int16_t> prnt, son;
    std::vector<std::uint8_t> text_buf;
    std::uint16_t getbuf = 0;
    std::uint8_t getlen = 0;
    InputStream* input = nullptr;

    int GetByteFromInput() {
        std::uint8_t b = 0;
        if (input->Read(&b, 1) != 1) return 0;
        return b;
    }
    int GetBit() {
        while (getlen <= 8) {
            getbuf = static_cast<std::uint16_t>(getbuf | (GetByteFromInput() << (8 - getlen)));
            getlen = static_cast<std::uint8_t>(getlen + 8);
        }
        int i = getbuf;
        getbuf = static_cast<std::uint16_t>(getbuf << 1);
        getlen--;
        return (i >> 15) & 1;
    }
    int GetByte() {
        while (getlen <= 8) {
            getbuf = static_cast<std::uint16_t>(getbuf | (GetByteFromInput() << (8 - getlen)));
            getlen = static_cast<std::uint8_t>(getlen + 8);
        }
        int i = getbuf;
        getbuf = static_cast<std::uint16_t>(getbuf << 8);
        getlen = static_cast<std::uint8_t>(getlen - 8);
        return (i >> 8) & 0xFF;
    }
    static int DCode(int b) {
        return b < 32 ? 0 : b < 80 ? 1 + (b - 32) / 16 : b < 144 ? 4 + (b - 80) / 8
               : b < 192 ? 12 + (b - 144) / 4 : b < 240 ? 24 + (b - 192) / 2 : 48 + (b - 240);
    }
    static int DLen(int b) {
        return b < 32 ? 3 : b < 80 ? 4 : b < 144 ? 5 : b < 192 ? 6 : b < 240 ? 7 : 8;
    }
    void StartHuff() {
        for (int i = 0; i < N_CHAR; i++) {
            freq[i] = 1;
            son[i] = static_cast<std::int16_t>(i + T);
            prnt[i + T] = static_cast<std::int16_t>(i);
        }
        int i = 0, j = N_CHAR;
        while (j <= R) {
            freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
            son[j] = static_cast<std::int16_t>(i);
            prnt[i] = prnt[i + 1] = static_cast<std::int16_t>(j);
            i += 2;
            j++;
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
            int k = i + 1;
            unsigned f = freq[jj] = static_cast<std::uint16_t>(freq[i] + freq[k]);
            for (k = jj - 1; f < freq[k]; k--) {}
            k++;
            for (int m = jj; m > k; m--) {
                freq[m] = freq[m - 1];
                son[m] = son[m - 1];
            }
            freq[k] = static_cast<std::uint16_t>(f);
            son[k] = static_cast<std::int16_t>(i);
        }
        for (int i = 0; i < T; i++) {
            int k = son[i];
            if (k >= T) prnt[k] = static_cast<std::int16_t>(i);
            else prnt[k] = prnt[k + 1] = static_cast<std::int16_t>(i);
        }
        rebuilds++;
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
                prnt[i] = static_cast<std::int16_t>(l);
                if (i < T) prnt[i + 1] = static_cast<std::int16_t>(l);
                int j = son[l];
                son[l] = static_cast<std::int16_t>(i);
                prnt[j] = static_cast<std::int16_t>(c);
                if (j < T) prnt[j + 1] = static_cast<std::int16_t>(c);
                son[c] = static_cast<std::int16_t>(j);
                c = l;
            }
        } while ((c = prnt[c]) != 0);
    }
    int DecodeChar() {
        unsigned c = static_cast<unsigned>(son[R]);
        while (c < T) {
            c += static_cast<unsigned>(GetBit());
            c = static_cast<unsigned>(son[c]);
        }
        c -= T;
        Update(static_cast<int>(c));
        return static_cast<int>(c);
    }
    int DecodePosition() {
        int i = GetByte();
        int c = DCode(i) << 6;
        int j = DLen(i) - 2;
        while (j--) i = (i << 1) + GetBit();
        return c | (i & 0x3F);
    }
};

// Convenience: decode a whole buffer.
inline std::vector<std::uint8_t> Unpack(std::int32_t textSize, const std::uint8_t* data,
                                        std::size_t size, unsigned* rebuilds = nullptr) {
    std::vector<std::uint8_t> result;
    InputStream in{data, size};
    OutputStream out{result};
    Decoder d;
    d.Unpack(textSize, in, out);
    if (rebuilds) *rebuilds = d.rebuilds;
    return result;
}

} // namespace lzh_reference
