#pragma once
// The LZHUF encoder (the published algorithm's encoder: LZSS with a binary-tree match finder
// and the adaptive Huffman code of skin::TLZH). Developer tool: the program only decodes.
#include <cstdint>
#include <span>
#include <vector>

namespace skinpack {

// Compresses `text` into the LZH bit stream that skin::TLZH decodes back to `text` when
// given text.size() as the text size. The stream ends with the last code's bits, padded with
// zero bits to a whole byte.
std::vector<std::uint8_t> LzhEncode(std::span<const std::uint8_t> text);

} // namespace skinpack
