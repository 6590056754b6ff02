#include "download/rewrite.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using download::Replacement;
using download::Rewrite;
using download::RowOutcome;

namespace {

bool Lead(unsigned char c) {
    return c >= 0x81 && c <= 0xfe;
}
bool Trail(unsigned char c) {
    return c >= 0x40 && c <= 0xfe;
}

// Character by character from the start: an occurrence is tried only where a character starts,
// and the text after a replaced occurrence starts afresh.
std::string NaiveReplace(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
        } else if (Lead(text[i]) && i + 1 < text.size() && Trail(text[i + 1])) {
            out.append(text, i, 2);
            i += 2;
        } else {
            out += text[i++];
        }
    }
    return out;
}

} // namespace

TEST(Rewrite, ReferencesBecomeTheirFileNames) {
    std::string css = "body{background:url('images/a.gif')}\r\n"
                      "#b{background-image:url(/img/b.png) no-repeat}\r\n";
    std::vector<Replacement> pairs{{"images/a.gif", "a.gif"}, {"/img/b.png", "b.png"}};
    EXPECT_EQ(Rewrite(css, pairs), "body{background:url('a.gif')}\r\n"
                                   "#b{background-image:url(b.png) no-repeat}\r\n");
    // Everywhere, not only inside url(...), and a collision prefix goes in as written.
    EXPECT_EQ(Rewrite("/* a.gif */ url(x/a.gif) url(a.gif.bak)",
                      std::vector<Replacement>{{"a.gif", "313_a.gif"}}),
              "/* 313_a.gif */ url(x/313_a.gif) url(313_a.gif.bak)");
    // No final line break is added.
    EXPECT_EQ(Rewrite("url(a)", std::vector<Replacement>{{"a", "b"}}), "url(b)");
}

TEST(Rewrite, PairsWorkOnTheResultOfEarlierPairs) {
    std::string css = "url(images/a.gif) url(/images/a.gif)";
    std::vector<Replacement> pairs{{"images/a.gif", "a.gif"}, {"/images/a.gif", "a.gif"}};
    EXPECT_EQ(Rewrite(css, pairs), "url(a.gif) url(/a.gif)");
    std::vector<Replacement> chain{{"a", "b"}, {"b", "c"}};
    EXPECT_EQ(Rewrite("ab", chain), "cc");
    // Left to right, without overlaps, never rescanning what was put in.
    EXPECT_EQ(Rewrite("aaaa", std::vector<Replacement>{{"aa", "a"}}), "aa");
    EXPECT_EQ(Rewrite("ababa", std::vector<Replacement>{{"aba", "X"}}), "Xba");
    EXPECT_EQ(Rewrite("abc", std::vector<Replacement>{{"b", "bb"}}), "abbc");
    EXPECT_EQ(Rewrite("a.gif", std::vector<Replacement>{{"A.GIF", "x"}}), "a.gif");
}

TEST(Rewrite, EmptySkippedAndMissingPairsChangeNothing) {
    std::string css = "url(a.gif) url(b.gif)";
    std::vector<Replacement> pairs{{"", "x"}, {"a.gif", "z.gif", true}, {"c.gif", "q"}};
    EXPECT_EQ(Rewrite(css, pairs), css);

    std::string text = css;
    text.reserve(100);
    const char* data = text.data();
    size_t capacity = text.capacity();
    EXPECT_FALSE(download::ReplaceEvery(text, "missing.gif", "m.gif"));
    EXPECT_FALSE(download::ReplaceEvery(text, "a.gif", "a.gif"));
    EXPECT_FALSE(download::ReplaceEvery(text, "", "a.gif"));
    EXPECT_EQ(text, css);
    // Nothing matched, or the text kept or shrank its size: the same buffer throughout.
    EXPECT_TRUE(download::ReplaceEvery(text, "a.gif", "c.gif"));
    EXPECT_TRUE(download::ReplaceEvery(text, "b.gif", "b.png"));
    EXPECT_TRUE(download::ReplaceEvery(text, "url(", "("));
    EXPECT_EQ(text, "(c.gif) (b.png)");
    EXPECT_EQ(text.data(), data);
    EXPECT_EQ(text.capacity(), capacity);
}

TEST(Rewrite, GrowthPastTheLimitFailsAndKeepsTheText) {
    std::string text(1000, 'a');
    EXPECT_THROW(download::ReplaceEvery(text, "a", std::string(51, 'b'), 50000), std::length_error);
    EXPECT_EQ(text, std::string(1000, 'a'));
    EXPECT_TRUE(download::ReplaceEvery(text, "a", std::string(50, 'b'), 50000)); // exactly fits
    EXPECT_EQ(text, std::string(50000, 'b'));
}

TEST(Rewrite, OccurrencesStartOnCharacters) {
    // 0x81 'b' is one double-byte character whose trail byte is the letter b.
    std::vector<Replacement> pairs{{"b.gif", "x.gif"}};
    EXPECT_EQ(Rewrite("url(\x81"
                      "b.gif) url(b.gif)",
                      pairs),
              "url(\x81"
              "b.gif) url(x.gif)");
    // Two lead-range bytes make one character, so the next byte starts a new one.
    EXPECT_EQ(Rewrite("\xb0\xb4"
                      "b.gif",
                      pairs),
              "\xb0\xb4x.gif");
    // A lead byte before a byte that cannot be a trail is a character on its own.
    EXPECT_EQ(Rewrite("\x81/b.gif", pairs), "\x81/x.gif");
    std::vector<Replacement> chinese{{"\xb0\xb4\xc5\xa5.gif", "btn.gif"}};
    EXPECT_EQ(Rewrite("url(\xb0\xb4\xc5\xa5.gif) url(\xcd\xbc\xb0\xb4\xc5\xa5.gif)", chinese),
              "url(btn.gif) url(\xcd\xbc"
              "btn.gif)");
    // Shifted by one byte, the same bytes straddle two characters.
    EXPECT_EQ(Rewrite("\xcd\xb0\xb4\xc5\xa5.gif", chinese), "\xcd\xb0\xb4\xc5\xa5.gif");
}

TEST(Rewrite, MatchesCharacterScanOnRandomInput) {
    std::mt19937 rng(4242);
    const std::string alphabet("ab/.\x81\xb0\x5c\x40", 8);
    auto random = [&](size_t max_len) {
        std::string s(std::uniform_int_distribution<size_t>(0, max_len)(rng), ' ');
        for (char& c : s)
            c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
        return s;
    };
    int changed = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = random(300);
        std::vector<Replacement> pairs;
        std::string expected = text;
        for (int i = 0; i < 6; ++i) {
            // Needles both shorter and longer than where the search switches method.
            Replacement pair{random(i % 2 ? 3 : 7), random(6), i == 5};
            if (i % 3 == 0 && expected.size() > 3) { // a long needle that occurs
                size_t at = std::uniform_int_distribution<size_t>(0, expected.size() - 3)(rng);
                pair.old_text = expected.substr(at, 3 + at % 40);
            }
            if (!pair.skip) expected = NaiveReplace(expected, pair.old_text, pair.new_text);
            pairs.push_back(pair);
        }
        ASSERT_EQ(Rewrite(text, pairs), expected) << "round " << round;
        changed += expected != text;
    }
    EXPECT_GT(changed, 1000);
}

TEST(RewritePairs, OnlyLinesThatHaveARow) {
    std::vector<RowOutcome> rows{{"a.gif"}, {"b.gif", true}, {""}};
    auto pairs = download::PairByPosition("x/a.gif\r\ny/b.gif\r\nz/\r\nw/d.gif\r\n", rows);
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[0].old_text, "x/a.gif");
    EXPECT_EQ(pairs[0].new_text, "a.gif");
    EXPECT_FALSE(pairs[0].skip);
    EXPECT_TRUE(pairs[1].skip); // failed download
    EXPECT_TRUE(pairs[2].skip); // nothing was written for an address ending with "/"
    // More rows than lines: one pair per line.
    EXPECT_EQ(download::PairByPosition("x/a.gif", rows).size(), 1u);
    EXPECT_TRUE(download::PairByPosition("", rows).empty());
}
