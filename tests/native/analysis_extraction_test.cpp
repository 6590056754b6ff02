#include "analysis/extraction.h"
#include "analysis/memo_text.h"
#include "analysis/substring_index.h"
#include "toolkit/text_util.h"

#include <gtest/gtest.h>

#include <random>

using analysis::CollectReferences;
using analysis::ReferenceCollector;

namespace {

std::vector<std::string> Candidates(std::initializer_list<const char*> list) {
    return std::vector<std::string>(list.begin(), list.end());
}

// The de-duplication by its rule, comparing each candidate with every line listed so far.
struct NaiveCollector {
    std::string text;
    std::vector<std::string> listed;
    bool Offer(const std::string& candidate) {
        auto unquoted = [](std::string s) {
            return text::ReplaceAll(text::ReplaceAll(s, "'", ""), "\"", "");
        };
        if (!candidate.empty())
            for (const std::string& l : listed)
                if (l == unquoted(candidate)) return false;
        if (!candidate.empty()) listed.push_back(unquoted(candidate));
        analysis::AddLine(text, candidate);
        return true;
    }
};

std::string RandomBytes(std::mt19937& rng, std::string_view alphabet, size_t max_len) {
    std::string s(std::uniform_int_distribution<size_t>(0, max_len)(rng), ' ');
    for (char& c : s)
        c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
    return s;
}

} // namespace

TEST(ReferenceDedup, OnlyTheSameReferenceIsDropped) {
    // A part of an earlier line is another reference, possibly of another image: both stay.
    EXPECT_EQ(CollectReferences(Candidates({"images/a.gif", "a.gif"})).text,
              "images/a.gif\r\na.gif\r\n");
    EXPECT_EQ(CollectReferences(Candidates({"a.gif", "images/a.gif", "a.gif"})).text,
              "a.gif\r\nimages/a.gif\r\n");
    // Nothing is matched across lines or against the line breaks.
    EXPECT_EQ(CollectReferences(Candidates({"ab", "cd", "b\r\nc", "\r\n", "ab"})).text,
              "ab\r\ncd\r\nb\r\nc\r\n\r\n\r\n");
    // Case-sensitive.
    EXPECT_EQ(CollectReferences(Candidates({"a.gif", "A.GIF", "a.gif"})).text,
              "a.gif\r\nA.GIF\r\n");
}

TEST(ReferenceDedup, EmptyCandidateIsAlwaysAdded) {
    auto r = CollectReferences(Candidates({"", "x.png", "", ""}));
    EXPECT_EQ(r.text, "\r\nx.png\r\n\r\n\r\n");
    EXPECT_EQ(r.line_count, 4);
}

TEST(ReferenceDedup, QuotesDoNotMakeAnotherReference) {
    // The same image in single and in double quotes, or bare: one line.
    auto r =
        CollectReferences(Candidates({"'images/top.gif'", "\"images/top.gif\"", "images/top.gif"}));
    EXPECT_EQ(r.text, "images/top.gif\r\n");
    EXPECT_EQ(r.line_count, 1);
    // Quotes go wherever they are; spaces stay and tell references apart.
    EXPECT_EQ(CollectReferences(Candidates({" 'a b'\"c'\" ", "a bc", " a bc "})).text,
              " a bc \r\na bc\r\n");
}

TEST(ReferenceDedup, CountsFollowEveryChange) {
    auto r = CollectReferences(Candidates({"a", "b", "a", "c"}));
    EXPECT_EQ(r.counts, (std::vector<int>{0, 1, 2, 3, 3, 3}));
    EXPECT_EQ(r.line_count, 3);

    auto none = CollectReferences({});
    EXPECT_EQ(none.text, "");
    EXPECT_EQ(none.counts, (std::vector<int>{0, 0, 0}));

    EXPECT_EQ(analysis::ImageCountCaption(12), "共 12 个图片");
    EXPECT_EQ(analysis::ImageCountCaption(0), "共 0 个图片");
}

TEST(ReferenceDedup, QuoteBetweenCrAndLfJoinsABreak) {
    // Only a hand-written pattern can yield this, but the count must still match the text.
    auto r = CollectReferences(Candidates({"x\r'\ny"}));
    EXPECT_EQ(r.text, "x\r\ny\r\n");
    EXPECT_EQ(r.counts, (std::vector<int>{0, 1, 2, 2}));
}

TEST(ReferenceDedup, MatchesNaiveSearchOnRandomInput) {
    std::mt19937 rng(20240611);
    // Few symbols, so that containment, breaks inside candidates and quotes are all frequent.
    const std::string alphabet("ab/\r\n'\"\x81\0", 9);
    int added_total = 0, dropped_total = 0;
    for (int round = 0; round < 300; ++round) {
        NaiveCollector naive;
        ReferenceCollector fast;
        std::vector<std::string> candidates;
        std::vector<int> counts{0};
        for (int i = 0; i < 60; ++i) {
            std::string c = RandomBytes(rng, alphabet, 6);
            // Pieces of the text so far give the positive answers their share.
            if (!naive.text.empty() && i % 3 == 0) {
                size_t at = std::uniform_int_distribution<size_t>(0, naive.text.size() - 1)(rng);
                c = naive.text.substr(at, std::uniform_int_distribution<size_t>(1, 8)(rng));
            }
            candidates.push_back(c);
            bool added = naive.Offer(c);
            (added ? added_total : dropped_total)++;
            ASSERT_EQ(fast.Offer(c), added) << "round " << round << " candidate " << i;
            ASSERT_EQ(fast.text(), naive.text);
            ASSERT_EQ(fast.line_count(), text::CountLines(naive.text));
            if (added) counts.push_back(text::CountLines(naive.text));
        }
        std::string unquoted = text::ReplaceAll(naive.text, "'", "");
        counts.push_back(text::CountLines(unquoted));
        unquoted = text::ReplaceAll(unquoted, "\"", "");
        counts.push_back(text::CountLines(unquoted));
        auto r = CollectReferences(candidates);
        ASSERT_EQ(r.text, unquoted);
        ASSERT_EQ(r.counts, counts);
        ASSERT_EQ(r.line_count, text::CountLines(unquoted));
    }
    // Both answers must be well represented for the comparison to mean anything.
    EXPECT_GT(added_total, 3000);
    EXPECT_GT(dropped_total, 1000);
}

TEST(SubstringIndexTest, AgreesWithFindOverGrowingText) {
    std::mt19937 rng(7);
    for (std::string_view alphabet :
         {std::string_view("ab"), std::string_view("abcdefgh\xff\x00", 10)}) {
        analysis::SubstringIndex index;
        std::string text;
        EXPECT_TRUE(index.Contains(""));
        EXPECT_FALSE(index.Contains("a"));
        for (int step = 0; step < 400; ++step) {
            std::string piece = RandomBytes(rng, alphabet, 12);
            text += piece;
            index.Append(piece);
            ASSERT_EQ(index.size(), text.size());
            for (int q = 0; q < 10; ++q) {
                std::string needle = RandomBytes(rng, alphabet, 10);
                ASSERT_EQ(index.Contains(needle), text.find(needle) != std::string::npos)
                    << "needle of " << needle.size() << " bytes after " << text.size();
            }
            // Every suffix is a substring.
            size_t at = std::uniform_int_distribution<size_t>(0, text.size())(rng);
            ASSERT_TRUE(index.Contains(std::string_view(text).substr(at)));
        }
    }
}

TEST(SubstringIndexTest, AgreesWithFindWhenManyStatesBranchWidely) {
    // Random bytes over the whole alphabet give tens of thousands of states with many
    // transitions, so states with one transition and blocks of every size are all checked.
    std::mt19937 rng(11);
    std::string text(300000, '\0');
    for (char& c : text) c = static_cast<char>(rng());
    analysis::SubstringIndex index;
    for (size_t at = 0; at < text.size(); at += 1000)
        index.Append(std::string_view(text).substr(at, 1000));
    for (int q = 0; q < 3000; ++q) {
        size_t at = std::uniform_int_distribution<size_t>(0, text.size() - 1)(rng);
        std::string needle = text.substr(at, 1 + q % 5);
        ASSERT_TRUE(index.Contains(needle));
        needle.back() = static_cast<char>(rng()); // now often absent
        ASSERT_EQ(index.Contains(needle), text.find(needle) != std::string::npos);
    }
}

TEST(MemoText, LinesAndAddingFollowTheMemo) {
    using analysis::SplitLines;
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("a"), (std::vector<std::string_view>{"a"}));
    EXPECT_EQ(SplitLines("a\r\n"), (std::vector<std::string_view>{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string_view>{"a", ""}));
    EXPECT_EQ(SplitLines("\r\n"), (std::vector<std::string_view>{""}));
    EXPECT_EQ(SplitLines("a\nb\r\n"), (std::vector<std::string_view>{"a\nb"}));

    std::string text;
    analysis::AddLine(text, "");
    EXPECT_EQ(text, "\r\n");
    analysis::AddLine(text, "b");
    EXPECT_EQ(text, "\r\nb\r\n");
    std::string typed = "x"; // typed by hand, no final break
    analysis::AddLine(typed, "y");
    EXPECT_EQ(typed, "x\r\ny");
}

TEST(ReferenceDedup, RepeatsOfLongAndQuotedCandidatesAgreeWithNaiveRule) {
    // Candidates drawn again from earlier ones, with quotes added or taken away, so that the
    // exact comparison meets near misses (a byte longer, a byte shorter, quotes elsewhere).
    const std::string alphabet("ab'\"\x81", 5);
    std::mt19937 rng(31);
    int dropped = 0;
    for (int round = 0; round < 200; ++round) {
        NaiveCollector naive;
        ReferenceCollector fast;
        std::vector<std::string> offered;
        for (int i = 0; i < 80; ++i) {
            std::string c = RandomBytes(rng, alphabet, 7);
            if (!offered.empty() && i % 2 == 0) {
                c = offered[std::uniform_int_distribution<size_t>(0, offered.size() - 1)(rng)];
                const int edit = i % 8;
                if (edit == 2) c = "'" + c + "'";
                if (edit == 4 && !c.empty()) c.pop_back();
                if (edit == 6) c += alphabet[static_cast<size_t>(i) % 5];
            }
            offered.push_back(c);
            const bool added = naive.Offer(c);
            dropped += added ? 0 : 1;
            ASSERT_EQ(fast.Offer(c), added) << "round " << round << " candidate " << i;
        }
        ASSERT_EQ(fast.text(), naive.text);
    }
    EXPECT_GT(dropped, 2000);
}

TEST(ReferenceDedup, LongDataUriThenShortCandidates) {
    // A data: URI of a megabyte, then names inside it and the URI again.
    std::mt19937 rng(5);
    const char* b64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string uri = "data:image/png;base64,";
    for (int i = 0; i < (1 << 20); ++i) uri += b64[rng() % 64];
    ReferenceCollector c;
    EXPECT_TRUE(c.Offer(uri));
    EXPECT_TRUE(c.Offer(uri.substr(500000, 40)));
    EXPECT_TRUE(c.Offer("a.png"));
    EXPECT_FALSE(c.Offer("'" + uri + "'"));
    EXPECT_TRUE(c.Offer(uri + "x"));
    EXPECT_EQ(c.line_count(), 4);
    EXPECT_EQ(c.text(), uri + "\r\n" + uri.substr(500000, 40) + "\r\na.png\r\n" + uri + "x\r\n");
}

TEST(ReferenceDedup, DirectSearchIsExactOnRepetitiveBytes) {
    // Near misses that make a plain search back up, and needles made of their own borders.
    EXPECT_TRUE(analysis::OccursIn("aaaaaaaaab", "aaab"));
    EXPECT_FALSE(analysis::OccursIn("aaaaaaaaaa", "aaab"));
    EXPECT_TRUE(analysis::OccursIn("abababac", "ababac"));
    EXPECT_FALSE(analysis::OccursIn("abababab", "ababac"));
    EXPECT_TRUE(analysis::OccursIn("x", ""));
    EXPECT_FALSE(analysis::OccursIn("ab", "abc"));
    EXPECT_TRUE(analysis::OccursIn(std::string_view("\0\x81\0", 3), std::string_view("\x81\0", 2)));
    std::mt19937 rng(9);
    for (int i = 0; i < 2000; ++i) {
        std::string hay = RandomBytes(rng, "aab", 40), needle = RandomBytes(rng, "ab", 6);
        ASSERT_EQ(analysis::OccursIn(hay, needle), hay.find(needle) != std::string::npos)
            << hay << " / " << needle;
    }
}
