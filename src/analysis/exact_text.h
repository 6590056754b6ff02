#pragma once
// The stylesheet's 8-bit text as UTF-16 for the regular-expression service, and back, such that
// every slice of the UTF-16 text comes back as exactly the bytes it was made from. Bytes that
// are not a character of the code page (or that name a character another unit already names)
// become lone low surrogates, U+DC80 to U+DCFF, which no code page decodes to; so the mapping is
// one-to-one, and a match the service reports is the very byte slice of the text.
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace analysis {

class ExactCodec {
public:
    // The character that a one- or two-byte unit of the code page stands for; 0 when none.
    using UnitDecoder = std::function<char16_t(std::string_view unit)>;
    explicit ExactCodec(const UnitDecoder& decode);

    std::u16string Decode(std::string_view bytes) const;
    // Exact inverse of Decode on whatever Decode produced; a character Decode never makes
    // becomes "?".
    std::string Encode(std::u16string_view text) const;

private:
    bool Claim(char16_t c, unsigned bytes, unsigned length);

    std::array<char16_t, 256> single_{};
    // Two-byte units by lead byte 0x80..0xFF and trail byte; 0 when not a character.
    std::vector<char16_t> double_;
    // By character: the unit's bytes (first byte in bits 0..7, second in 8..15) and its length
    // in bits 16..17; 0 when no unit decodes to it.
    std::vector<uint32_t> encode_;
};

// Code page 936 as a native decoder would see it, for tests: ASCII, and two-byte units with a
// lead byte 0x81..0xFE and a trail byte 0x40..0xFE other than 0x7F, each naming a private-use
// character. Enough to tell valid from invalid bytes.
char16_t TestGbkUnit(std::string_view unit);

} // namespace analysis
