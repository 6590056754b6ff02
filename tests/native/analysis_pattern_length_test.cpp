#include "analysis/pattern_length.h"

#include <gtest/gtest.h>

using analysis::MinimumMatchLength;

TEST(PatternLength, PatternsThatCanMatchEmptyTextSomewhere) {
    // Each of these can match empty text, some only after a first real match.
    for (const char* p : {"",         "()()",      "x*",
                          "(a*)(b*)", "(?=u)()()", "(b)(a)|\\bz*",
                          "a|",       "|a",        "url\\((.*?)\\)|$",
                          "(?:)",     "a?",        "a{0}",
                          "a{0,3}",   "[ab]*?",    "^",
                          "\\b",      "(a?)\\1",   "(?!x)",
                          "(x|)",     "(?:a|b*)",  "\\1",
                          "a{0,}?"})
        EXPECT_EQ(MinimumMatchLength(p), 0u) << p;
}

TEST(PatternLength, PatternsThatNeedCharacters) {
    EXPECT_EQ(MinimumMatchLength("background(.*?)url\\((.*?)\\)"), 15u);
    EXPECT_EQ(MinimumMatchLength("a"), 1u);
    EXPECT_EQ(MinimumMatchLength("a+"), 1u);
    EXPECT_EQ(MinimumMatchLength("(ab)+?"), 2u);
    EXPECT_EQ(MinimumMatchLength("a{3}"), 3u);
    EXPECT_EQ(MinimumMatchLength("(ab){2,5}"), 4u);
    EXPECT_EQ(MinimumMatchLength("a|bc"), 1u);
    EXPECT_EQ(MinimumMatchLength("[)|(]"), 1u);  // specials in a class are characters
    EXPECT_EQ(MinimumMatchLength("[\\]]x"), 2u); // an escaped bracket stays in the class
    EXPECT_EQ(MinimumMatchLength("\\(\\)"), 2u);
    EXPECT_EQ(MinimumMatchLength("\\d\\w\\s."), 4u);
    EXPECT_EQ(MinimumMatchLength("a{x}"), 4u); // a brace that is no quantifier is a character
    EXPECT_EQ(MinimumMatchLength("(?=ab)c"), 1u);
    EXPECT_EQ(MinimumMatchLength("\xb1\xb3\xbe\xb0"), 2u); // two GBK characters
    EXPECT_EQ(MinimumMatchLength("a{99999}"), 65536u);
}

TEST(PatternLength, UnreadablePatternsAreNotGuessed) {
    for (const char* p : {"(", ")", "a)", "*a", "a**", "[ab", "\\", "(?<a)", "a|*"})
        EXPECT_EQ(MinimumMatchLength(p), std::nullopt) << p;
}
