#include "download/rewrite.h"

#include <gtest/gtest.h>

#include <algorithm>
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

bool Edge(char c) {
    return std::string_view(" \t\r\n\f'\"()").find(c) != std::string_view::npos;
}

// The rule spelled out: pairs by falling length (earlier first among equals), each placed
// character by character where it stands whole and touches nothing placed before; then the
// text is built once from the places.
std::string NaiveRewrite(const std::string& text, const std::vector<Replacement>& pairs) {
    std::vector<size_t> order;
    for (size_t i = 0; i < pairs.size(); ++i)
        if (!pairs[i].skip && !pairs[i].old_text.empty()) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return pairs[a].old_text.size() > pairs[b].old_text.size();
    });
    std::vector<int> owner(text.size(), -1);
    std::vector<bool> start(text.size(), false);
    for (size_t p : order) {
        const std::string& from = pairs[p].old_text;
        size_t i = 0;
        while (i < text.size()) {
            size_t end = i + from.size();
            bool whole = text.compare(i, from.size(), from) == 0 && (i == 0 || Edge(text[i - 1])) &&
                         (end == text.size() || Edge(text[end]));
            for (size_t k = i; whole && k < end; ++k) whole = owner[k] < 0;
            if (whole) {
                for (size_t k = i; k < end; ++k) owner[k] = static_cast<int>(p);
                start[i] = true;
                i = end;
            } else if (Lead(text[i]) && i + 1 < text.size() && Trail(text[i + 1])) {
                i += 2;
            } else {
                ++i;
            }
        }
    }
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (owner[i] < 0)
            out += text[i];
        else if (start[i])
            out += pairs[static_cast<size_t>(owner[i])].new_text;
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
    // Anywhere the reference stands whole, a comment too; a collision prefix goes in as
    // written. Inside a longer path or name it is another reference and stays.
    EXPECT_EQ(Rewrite("/* a.gif */ url(x/a.gif) url(a.gif.bak) url(\"a.gif\")",
                      std::vector<Replacement>{{"a.gif", "313_a.gif"}}),
              "/* 313_a.gif */ url(x/a.gif) url(a.gif.bak) url(\"313_a.gif\")");
    // At the text's ends; no final line break is added.
    EXPECT_EQ(Rewrite("a", std::vector<Replacement>{{"a", "b"}}), "b");
    EXPECT_EQ(Rewrite("url(a)", std::vector<Replacement>{{"a", "b"}}), "url(b)");
    EXPECT_EQ(Rewrite("url(\fa\t)", std::vector<Replacement>{{"a", "b"}}), "url(\fb\t)");
}

TEST(Rewrite, EveryReferenceKeepsItsOwnImage) {
    // The shorter reference must not turn the longer one into a reference to its file.
    std::string css = "url(images/a.gif) url(/images/a.gif)";
    std::vector<Replacement> pairs{{"images/a.gif", "a.gif"}, {"/images/a.gif", "1_a.gif"}};
    EXPECT_EQ(Rewrite(css, pairs), "url(a.gif) url(1_a.gif)");
    // What a pair put in is never replaced by a later pair.
    std::vector<Replacement> chain{{"a", "b"}, {"b", "c"}};
    EXPECT_EQ(Rewrite("url(a) url(b)", chain), "url(b) url(c)");
    // A longer reference holding an edge wins over the shorter one inside it.
    std::vector<Replacement> spaced{{"b.png", "B.png"}, {"my b.png", "m.png"}};
    EXPECT_EQ(Rewrite("url('my b.png') url(b.png)", spaced), "url('m.png') url(B.png)");
    // Equal lengths, the same old text twice: the earlier pair has it.
    std::vector<Replacement> twice{{"a.gif", "1.gif"}, {"a.gif", "2.gif"}};
    EXPECT_EQ(Rewrite("(a.gif)(a.gif)", twice), "(1.gif)(1.gif)");
    EXPECT_EQ(Rewrite("(a.gif)", std::vector<Replacement>{{"A.GIF", "x"}}), "(a.gif)");
    auto places = download::ReferencePlaces("(a) (bb) (a)",
                                            std::vector<Replacement>{{"a", "x"}, {"bb", "y"}});
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].from, 1u);
    EXPECT_EQ(places[1].pair, 1u);
    EXPECT_EQ(places[2].from, 10u);
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
    // 0x81 '(' is no character pair ('(' cannot be a trail byte), so "(" is an edge there.
    std::vector<Replacement> pairs{{"b.gif", "x.gif"}};
    EXPECT_EQ(Rewrite("url(\x81(b.gif) url(b.gif)", pairs), "url(\x81(x.gif) url(x.gif)");
    // A double-byte character before the reference is no edge, whatever its trail byte.
    EXPECT_EQ(Rewrite("(\xb0\xb4"
                      "b.gif)",
                      pairs),
              "(\xb0\xb4"
              "b.gif)");
    std::vector<Replacement> chinese{{"\xb0\xb4\xc5\xa5.gif", "btn.gif"}};
    EXPECT_EQ(Rewrite("url(\xb0\xb4\xc5\xa5.gif) url(\xcd\xbc\xb0\xb4\xc5\xa5.gif)", chinese),
              "url(btn.gif) url(\xcd\xbc\xb0\xb4\xc5\xa5.gif)");
    // Shifted by one byte, the same bytes straddle two characters.
    EXPECT_EQ(Rewrite("(\xcd\xb0\xb4\xc5\xa5.gif)", chinese), "(\xcd\xb0\xb4\xc5\xa5.gif)");
    // The trail byte of a character may be "(": the reference after it starts no character.
    std::vector<Replacement> trail{{"(b.gif", "x"}};
    EXPECT_EQ(Rewrite(" \x81(b.gif", trail), " \x81(b.gif");
}

TEST(Rewrite, MatchesTheRuleOnRandomInput) {
    std::mt19937 rng(4242);
    const std::string alphabet("ab/. ('\x81\xb0\x5c\x40", 11);
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
        for (int i = 0; i < 6; ++i) {
            // Needles both shorter and longer than where the search switches method.
            Replacement pair{random(i % 2 ? 3 : 7), random(6), i == 5};
            if (i % 3 == 0 && text.size() > 3) { // a needle that occurs, often whole
                size_t at = std::uniform_int_distribution<size_t>(0, text.size() - 3)(rng);
                size_t end = std::min(text.size(), at + 3 + at % 40);
                size_t a = text.find_last_of(" ('", at), b = text.find_first_of(" ('", end);
                if (i == 3 && a != std::string::npos && b != std::string::npos && b > a + 1)
                    pair.old_text = text.substr(a + 1, b - a - 1);
                else
                    pair.old_text = text.substr(at, end - at);
            }
            pairs.push_back(pair);
        }
        const std::string expected = NaiveRewrite(text, pairs);
        ASSERT_EQ(Rewrite(text, pairs), expected) << "round " << round;
        changed += expected != text;
    }
    EXPECT_GT(changed, 500);
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
