#include "analysis/exact_text.h"

namespace analysis {

namespace {
constexpr char16_t kEscapeBase = 0xDC00; // + byte, for 0x80..0xFF
constexpr unsigned kLeadFirst = 0x80;

bool IsSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}
} // namespace

bool ExactCodec::Claim(char16_t c, unsigned bytes, unsigned length) {
    // A character named by two units would make the way back ambiguous: the first keeps it.
    if (c == 0 || IsSurrogate(c) || encode_[c] != 0) return false;
    encode_[c] = bytes | (length << 16);
    return true;
}

ExactCodec::ExactCodec(const UnitDecoder& decode)
    : double_(size_t{256 - kLeadFirst} * 256, 0), encode_(0x10000, 0) {
    for (unsigned b = 0; b < 0x80; ++b) {
        single_[b] = static_cast<char16_t>(b);
        encode_[b] = b | (1u << 16);
    }
    for (unsigned b = 0x80; b < 0x100; ++b) {
        const char unit[1] = {static_cast<char>(b)};
        char16_t c = decode(std::string_view(unit, 1));
        single_[b] = Claim(c, b, 1) ? c : 0;
    }
    for (unsigned lead = kLeadFirst; lead < 0x100; ++lead) {
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const char unit[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char16_t c = decode(std::string_view(unit, 2));
            if (Claim(c, lead | (trail << 8), 2)) double_[(lead - kLeadFirst) * 256 + trail] = c;
        }
    }
    for (unsigned b = 0x80; b < 0x100; ++b) {
        if (single_[b]) continue;
        single_[b] = static_cast<char16_t>(kEscapeBase + b);
        encode_[single_[b]] = b | (1u << 16);
    }
}

std::u16string ExactCodec::Decode(std::string_view bytes) const {
    std::u16string out;
    out.reserve(bytes.size());
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= kLeadFirst && i + 1 < n) {
            char16_t c = double_[(b - kLeadFirst) * 256 + static_cast<unsigned char>(bytes[i + 1])];
            if (c) {
                out.push_back(c);
                i += 2;
                continue;
            }
        }
        out.push_back(single_[b]);
        ++i;
    }
    return out;
}

std::string ExactCodec::Encode(std::u16string_view text) const {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        uint32_t e = encode_[c];
        if (e == 0) {
            out.push_back('?');
        } else {
            out.push_back(static_cast<char>(e & 0xFF));
            if ((e >> 16) == 2) out.push_back(static_cast<char>((e >> 8) & 0xFF));
        }
    }
    return out;
}

char16_t TestGbkUnit(std::string_view unit) {
    if (unit.size() != 2) return 0;
    const auto lead = static_cast<unsigned char>(unit[0]);
    const auto trail = static_cast<unsigned char>(unit[1]);
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F) return 0;
    // Spread over the private-use area and beyond it, one character per unit.
    return static_cast<char16_t>(0x4000 + (lead - 0x81) * 191 + (trail - 0x40));
}

} // namespace analysis
