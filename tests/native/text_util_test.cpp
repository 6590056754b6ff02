#include "toolkit/text_util.h"

#include <gtest/gtest.h>

TEST(LineBreaks, EveryKindBecomesCrLf) {
    EXPECT_EQ(text::NormalizeLineBreaks("a\nb"), "a\r\nb");
    EXPECT_EQ(text::NormalizeLineBreaks("a\rb"), "a\r\nb");
    EXPECT_EQ(text::NormalizeLineBreaks("a\r\nb"), "a\r\nb");
    EXPECT_EQ(text::NormalizeLineBreaks("a\n\rb"), "a\r\nb");
    EXPECT_EQ(text::NormalizeLineBreaks("a\n\nb"), "a\r\n\r\nb");
    EXPECT_EQ(text::NormalizeLineBreaks("a\r\rb"), "a\r\n\r\nb");
    EXPECT_EQ(text::NormalizeLineBreaks("a\r\n\rb"), "a\r\n\r\nb");
}

TEST(LineBreaks, EndsAsTheFileEnds) {
    EXPECT_EQ(text::NormalizeLineBreaks("x"), "x");
    EXPECT_EQ(text::NormalizeLineBreaks("x\n"), "x\r\n");
    EXPECT_EQ(text::NormalizeLineBreaks(""), "");
    EXPECT_EQ(text::NormalizeLineBreaks("\r"), "\r\n");
    std::string bytes("\xb1\xb3\xbe\xb0\0z", 6); // GBK bytes and a NUL pass through
    EXPECT_EQ(text::NormalizeLineBreaks(bytes), bytes);
}

TEST(Paths, FolderKeepsItsSeparator) {
    EXPECT_EQ(text::ExtractFilePath("C:\\site\\css\\style.css"), "C:\\site\\css\\");
    EXPECT_EQ(text::ExtractFileName("C:\\site\\css\\style.css"), "style.css");
    EXPECT_EQ(text::ExtractFilePath("C:style.css"), "C:");
    EXPECT_EQ(text::ExtractFilePath("style.css"), "");
    EXPECT_EQ(text::ExtractFileName("C:\\dir\\"), "");
}

TEST(Lines, FinalEmptyLineIsNotCounted) {
    EXPECT_EQ(text::CountLines(""), 0);
    EXPECT_EQ(text::CountLines("a"), 1);
    EXPECT_EQ(text::CountLines("a\r\n"), 1);
    EXPECT_EQ(text::CountLines("a\r\n\r\n"), 2);
    EXPECT_EQ(text::CountLines("\r\n"), 1);
    EXPECT_EQ(text::CountLines("a\r\nb"), 2);
}

TEST(Replace, AllOccurrencesLeftToRight) {
    EXPECT_EQ(text::ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(text::ReplaceAll("x.gif y.gif", "x.gif", "1"), "1 y.gif");
    EXPECT_EQ(text::ReplaceAll("abc", "", "z"), "abc");
}
