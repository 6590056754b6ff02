#include "analysis/exact_text.h"

#include <gtest/gtest.h>

#include <random>

using analysis::ExactCodec;

namespace {

const ExactCodec& Gbk() {
    static const ExactCodec codec(analysis::TestGbkUnit);
    return codec;
}

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

} // namespace

TEST(ExactText, ValidTextDecodesCharacterByCharacter) {
    std::u16string wide = Gbk().Decode(Bytes({'a', 0xB1, 0xB3, '(', 0x81, 0x40, ')'}));
    ASSERT_EQ(wide.size(), 5u);
    EXPECT_EQ(wide[0], u'a');
    EXPECT_EQ(wide[1], analysis::TestGbkUnit(Bytes({0xB1, 0xB3})));
    EXPECT_EQ(wide[2], u'(');
    EXPECT_EQ(wide[3], analysis::TestGbkUnit(Bytes({0x81, 0x40})));
    EXPECT_EQ(wide[4], u')');
}

TEST(ExactText, InvalidBytesBecomeTheirOwnCharacters) {
    // A lone lead byte before ASCII, a lead byte at the end, 0x80 and 0xFF.
    const std::string bytes = Bytes({0x81, ')', 'x', 0x80, 0xFF, 0xFE});
    std::u16string wide = Gbk().Decode(bytes);
    ASSERT_EQ(wide.size(), 6u);
    EXPECT_EQ(wide[0], 0xDC81);
    EXPECT_EQ(wide[1], u')');
    EXPECT_EQ(wide[3], 0xDC80);
    EXPECT_EQ(wide[4], 0xDCFF);
    EXPECT_EQ(wide[5], 0xDCFE);
    EXPECT_EQ(Gbk().Encode(wide), bytes);
}

TEST(ExactText, EverySliceComesBackAsItsBytes) {
    std::mt19937 rng(3);
    for (int round = 0; round < 500; ++round) {
        std::string bytes(std::uniform_int_distribution<size_t>(0, 40)(rng), '\0');
        // Many high bytes, so valid pairs, invalid pairs and lone bytes all occur.
        for (char& c : bytes) c = static_cast<char>(rng() % 3 ? 0x7F + rng() % 0x81 : rng() % 0x80);
        std::u16string wide = Gbk().Decode(bytes);
        ASSERT_EQ(Gbk().Encode(wide), bytes);
        // Map each character back to its byte offset, then compare every slice.
        std::vector<size_t> offsets{0};
        for (char16_t c : wide) offsets.push_back(offsets.back() + Gbk().Encode({&c, 1}).size());
        ASSERT_EQ(offsets.back(), bytes.size());
        for (size_t i = 0; i < wide.size(); ++i)
            for (size_t j = i; j <= wide.size(); ++j)
                ASSERT_EQ(Gbk().Encode(std::u16string_view(wide).substr(i, j - i)),
                          bytes.substr(offsets[i], offsets[j] - offsets[i]));
    }
}

TEST(ExactText, ACharacterNamedTwiceKeepsTheFirstUnit) {
    // A code page where 0x80 and the pair A2 E3 both name the euro sign.
    ExactCodec codec([](std::string_view unit) -> char16_t {
        if (unit == "\x80") return 0x20AC;
        if (unit == "\xA2\xE3") return 0x20AC;
        if (unit.size() == 2 && static_cast<unsigned char>(unit[0]) == 0xA2 &&
            static_cast<unsigned char>(unit[1]) >= 0xA1)
            return static_cast<char16_t>(0x3000 + static_cast<unsigned char>(unit[1]));
        return 0;
    });
    const std::string bytes = "\x80\xA2\xE3\xA2\xA1";
    std::u16string wide = codec.Decode(bytes);
    ASSERT_EQ(wide.size(), 4u);
    EXPECT_EQ(wide[0], 0x20AC);
    EXPECT_EQ(wide[1], 0xDCA2); // the pair lost the euro sign: its bytes stand alone
    EXPECT_EQ(wide[2], 0xDCE3);
    EXPECT_EQ(wide[3], 0x30A1);
    EXPECT_EQ(codec.Encode(wide), bytes);
    EXPECT_EQ(codec.Encode(u"\u4E00"), "?"); // never made by Decode
}
