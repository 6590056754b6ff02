#include "analysis/encoding.h"

#include <gtest/gtest.h>

using analysis::DetectEncoding;
using analysis::IsValidUtf8;
using analysis::TextEncoding;

TEST(Encoding, Utf8Validity) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("a{}"));
    EXPECT_TRUE(IsValidUtf8("\xE8\x83\x8C\xE6\x99\xAF")); // 背景
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));         // an emoji
    EXPECT_FALSE(IsValidUtf8("\xB1\xB3\xBE\xB0"));        // 背景 in code page 936
    EXPECT_FALSE(IsValidUtf8("\xE8\x83"));                // cut short
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));            // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));            // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));        // past U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\x80"));
}

TEST(Encoding, MarkThenRuleThenBytes) {
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF"
                             "a{background:url(\xB1\xB3.png)}"),
              TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("@charset \"UTF-8\";\na{}"), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("@charset \"gbk\";\na{background:url(\xE8\x83\x8C.png)}"),
              TextEncoding::Ansi);
    EXPECT_EQ(DetectEncoding("a{background:url(\xE8\x83\x8C\xE6\x99\xAF.png)}"),
              TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("a{background:url(\xB1\xB3\xBE\xB0.png)}"), TextEncoding::Ansi);
    // Only the exact rule at the very start counts.
    EXPECT_EQ(DetectEncoding(" @charset \"gbk\"; a{}"), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("a{}"), TextEncoding::Utf8);
}

TEST(Encoding, Utf16ByEitherMarkOnly) {
    EXPECT_TRUE(analysis::HasUtf16Bom(std::string_view("\xFF\xFE"
                                                       "a\0",
                                                       4)));
    EXPECT_TRUE(analysis::HasUtf16Bom(std::string_view("\xFE\xFF\0a", 4)));
    EXPECT_TRUE(analysis::HasUtf16Bom("\xFF\xFE"));
    EXPECT_FALSE(analysis::HasUtf16Bom("\xEF\xBB\xBF"
                                       "a{}"));
    EXPECT_FALSE(analysis::HasUtf16Bom("\xFF"));
    EXPECT_FALSE(analysis::HasUtf16Bom(""));
    EXPECT_FALSE(analysis::HasUtf16Bom("a\xFF\xFE"));
}
