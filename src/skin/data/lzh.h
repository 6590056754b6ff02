#pragma once
// TLZH: the LZHUF decompressor of skin stores, decoding only.
//
// LZSS over a 4,096-byte ring with an adaptive Huffman code for literals and match lengths
// and a fixed-prefix code for match positions: the published LZHUF algorithm with the
// constants of the skin store format. Portable C++; no <windows.h>.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace skin {

// The decompressor's error.
class ElzhException : public std::runtime_error {
public:
    explicit ElzhException(const std::string& message) : std::runtime_error(message) {}
};

inline constexpr const char* kLzhNoMemoryMessage = "LZH : Cannot get memory for dictionary tables";
inline constexpr const char* kLzhFreeErrorMessage =
    "LZH : Error freeing memory for dictionary tables";

namespace lzh {
inline constexpr int kRingSize = 4096;      // N: sliding window, 12-bit positions
inline constexpr int kMaxMatch = 60;        // F: longest match
inline constexpr int kThreshold = 2;        // matches of 2 or fewer bytes are literals
inline constexpr int kSymbols = 256 - kThreshold + kMaxMatch; // 314 = 256 literals + 58 lengths
inline constexpr int kTableSize = kSymbols * 2 - 1;          // T: 627 tree nodes
inline constexpr int kRoot = kTableSize - 1;                 // R: 626
inline constexpr unsigned kMaxFreq = 0x8000;                 // root frequency that rebuilds
inline constexpr int kRingStart = kRingSize - kMaxMatch;     // 4,036: first write position
inline constexpr int kRingBufferSize = kRingSize + kMaxMatch - 1; // 4,155 bytes

// The position tables of the published algorithm: the upper 6 bits of a match position and
// the total code length, both from the first byte b of the code.
inline constexpr int PositionHigh(int b) {
    return b < 32 ? 0 : b < 80 ? 1 + (b - 32) / 16 : b < 144 ? 4 + (b - 80) / 8
           : b < 192 ? 12 + (b - 144) / 4 : b < 240 ? 24 + (b - 192) / 2 : 48 + (b - 240);
}
inline constexpr int PositionLength(int b) {
    return b < 32 ? 3 : b < 80 ? 4 : b < 144 ? 5 : b < 192 ? 6 : b < 240 ? 7 : 8;
}
} // namespace lzh

// One unpacking run per object at a time; an object may be reused for further runs.
class TLZH {
public:
    // Decodes until textSize bytes have been produced, reading compressed bits from `input`
    // (bytes past its end read as 0: a stream that ends early decodes on zero bits) and
    // appending each decoded byte to `output`. A text size of 0 or less produces nothing.
    // A match is always copied whole, so up to 59 bytes beyond textSize may be appended.
    // Returns the number of input bytes whose bits the decoder used (never more than
    // input.size()). Throws ElzhException when the tables cannot be allocated; the output
    // may then hold part of the text.
    std::size_t Unpack(std::int32_t textSize, std::span<const std::uint8_t> input,
                       std::vector<std::uint8_t>& output);

    // Figures of the last run, for tests and benchmarks.
    std::uint64_t Symbols = 0;  // symbols decoded
    std::uint32_t Rebuilds = 0; // tree rebuilds (root frequency reached 0x8000)
};

} // namespace skin
