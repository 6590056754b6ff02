#include "analysis/regexp_service.h"

#include "toolkit/exceptions.h"
#include "toolkit/win_text.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

const char* const kDefaultPattern = "background(.*?)url\\((.*?)\\)";

std::vector<RegExpMatch> Find(const std::string& pattern, const std::string& text,
                              bool ignoreCase = true, bool global = true) {
    VBScriptRegExp re;
    re.SetGlobal(global);
    re.SetPattern(pattern);
    re.SetIgnoreCase(ignoreCase);
    return re.Execute(text);
}

TEST(RegExpService, DefaultPatternYieldsBothGroupsOfEveryMatchInOrder) {
    auto m = Find(kDefaultPattern, "a{BACKGROUND:URL(x.png)}\r\n"
                                   "b{background-image: url('images/top.gif');}\r\n"
                                   "c{background:url(\"y.gif\") no-repeat}");
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].value, "BACKGROUND:URL(x.png)");
    EXPECT_EQ(m[0].subMatches, (std::vector<std::string>{":", "x.png"}));
    EXPECT_EQ(m[1].subMatches, (std::vector<std::string>{"-image: ", "'images/top.gif'"}));
    EXPECT_EQ(m[2].subMatches, (std::vector<std::string>{":", "\"y.gif\""}));
}

TEST(RegExpService, SettingsReachTheService) {
    const std::string text = "BACKGROUND:URL(a.gif) background:url(b.gif)";
    EXPECT_EQ(Find(kDefaultPattern, text, /*ignoreCase=*/false).size(), 1u);
    auto first = Find(kDefaultPattern, text, true, /*global=*/false);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].subMatches[1], "a.gif");
    EXPECT_EQ(Find(kDefaultPattern, text).size(), 2u);

    // One object, new settings: nothing of the earlier pattern may linger.
    VBScriptRegExp re;
    re.SetGlobal(true);
    re.SetIgnoreCase(true);
    re.SetPattern("a(.)");
    EXPECT_EQ(re.Execute("ab ac").size(), 2u);
    re.SetPattern("url\\((.*?)\\)");
    auto m = re.Execute(text);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].subMatches, (std::vector<std::string>{"b.gif"}));
}

TEST(RegExpService, PatternLanguageOfTheService) {
    // Non-greedy: the reference ends at the first closing parenthesis.
    auto lazy = Find(kDefaultPattern, "background:url(a.gif) url(b.gif)");
    ASSERT_EQ(lazy.size(), 1u);
    EXPECT_EQ(lazy[0].subMatches[1], "a.gif");
    // "." stops at a line feed, so a background and its url on different lines are not found.
    EXPECT_TRUE(Find(kDefaultPattern, "background:\r\nurl(a.gif)").empty());
    EXPECT_TRUE(Find(kDefaultPattern, "background:\nurl(a.gif)").empty());
    // Empty groups: present and empty.
    auto empty = Find(kDefaultPattern, "backgroundurl()");
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].subMatches, (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(Find(kDefaultPattern, "Memo1").empty());
    EXPECT_TRUE(Find(kDefaultPattern, "").empty());
}

TEST(RegExpService, GroupThatTookNoPartReadsAsEmptyText) {
    auto m = Find("(a)|(b)", "b a");
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].subMatches, (std::vector<std::string>{"", "b"}));
    EXPECT_EQ(m[1].subMatches, (std::vector<std::string>{"a", ""}));
    auto optional = Find("x(y)?z", "xz");
    ASSERT_EQ(optional.size(), 1u);
    EXPECT_EQ(optional[0].subMatches, (std::vector<std::string>{""}));
}

TEST(RegExpService, RejectedPatternRaisesTheServiceMessage) {
    VBScriptRegExp re;
    re.SetGlobal(true);
    re.SetPattern("background(.*?url\\(");
    re.SetIgnoreCase(true);
    try {
        re.Execute("background:url(a.gif)");
        FAIL() << "an unbalanced group was accepted";
    } catch (const EOleException& e) {
        EXPECT_STRNE(e.what(), "");
    }
    // The object stays usable once the pattern is mended.
    re.SetPattern(kDefaultPattern);
    EXPECT_EQ(re.Execute("background:url(a.gif)").size(), 1u);
}

TEST(RegExpService, CodePage936TextComesBackByteForByte) {
    ASSERT_EQ(GetACP(), 936u);
    // 0x815C has the byte of "\" as its trail: a byte-wise engine would see an escape there.
    const std::string name = Utf8ToAnsi("图片/背景_") + "\x81\x5C" + Utf8ToAnsi("顶部.gif");
    const std::string text = Utf8ToAnsi("/* 页面背景 */ body{background:url(") + name + ");}";
    auto m = Find(kDefaultPattern, text);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].subMatches[1], name);
    // A pattern with Chinese text matches Chinese text.
    auto chinese = Find(Utf8ToAnsi("背景_(.*?)顶部"), text);
    ASSERT_EQ(chinese.size(), 1u);
    EXPECT_EQ(chinese[0].subMatches[0], "\x81\x5C");
}

TEST(RegExpService, ManyMatchesKeepTheirOrder) {
    std::string text;
    const int n = 3000;
    for (int i = 0; i < n; ++i)
        text += "#i" + std::to_string(i) + "{background:url(img/" + std::to_string(i) + ".gif)}\n";
    auto m = Find(kDefaultPattern, text);
    ASSERT_EQ(m.size(), static_cast<size_t>(n));
    for (int i : {0, 1, n / 2, n - 1})
        EXPECT_EQ(m[static_cast<size_t>(i)].subMatches[1], "img/" + std::to_string(i) + ".gif");
}

} // namespace
