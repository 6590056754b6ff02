// Fuzz target: the LZH decoder against the straightforward decoder of bench/ (differential).
// Input: two bytes of text size (little-endian, the low 12 bits: up to 4,095), then the bit
// stream.
#include "skin/data/lzh.h"

#include "../bench/lzh_reference.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The native tests include this file with CORVANE_FUZZ_ENTRY set to another name and run the
// seed corpus through it (tests/native/skin_fuzz_corpus_test.cpp).
#ifndef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int CORVANE_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::int32_t n = (data[0] | data[1] << 8) & 0x0FFF;
    std::vector<std::uint8_t> fast;
    skin::TLZH lzh;
    std::size_t used = lzh.Unpack(n, std::span<const std::uint8_t>(data + 2, size - 2), fast);
    if (used > size - 2) std::abort();
    std::vector<std::uint8_t> slow = lzh_reference::Unpack(n, data + 2, size - 2);
    if (fast != slow) std::abort();
    if (n > 0 && (fast.size() < std::size_t(n) || fast.size() > std::size_t(n) + 59)) std::abort();
    return 0;
}
