#include "download/file_names.h"

#include <gtest/gtest.h>

#include <random>

using download::SafeFileName;
using download::UrlFileName;

TEST(UrlFileName, LastSegmentBeforeTheQuery) {
    EXPECT_EQ(UrlFileName("site/b/c.gif?x=1"), "c.gif");
    EXPECT_EQ(UrlFileName("c.gif"), "c.gif");
    EXPECT_EQ(UrlFileName("site/b/"), "");
    EXPECT_EQ(UrlFileName("site/p.php?u=x/y.gif"), "y.gif"); // a "/" in the query separates too
    EXPECT_EQ(UrlFileName("http://www.example.com/img/c.gif?x=1"), "c.gif");
    EXPECT_EQ(UrlFileName("http://www.example.com"), "www.example.com");
    EXPECT_EQ(UrlFileName("a\\b.gif"), "a\\b.gif"); // only "/" separates
    // The fragment is no part of the name, even when it holds a "/" or a "?".
    EXPECT_EQ(UrlFileName("img/a.gif#top"), "a.gif");
    EXPECT_EQ(UrlFileName("img/icons.svg#a/b?c"), "icons.svg");
    EXPECT_EQ(UrlFileName("img/a.gif?x#y"), "a.gif");
    EXPECT_EQ(UrlFileName("#only"), "");
    EXPECT_EQ(UrlFileName("img/?a.gif"), "");
    EXPECT_EQ(UrlFileName("img/a.gif??b"), "a.gif");
    EXPECT_EQ(UrlFileName(""), "");
}

TEST(SafeFileName, OrdinaryNamesAreKept) {
    for (const char* name : {"top.gif", "a b.png", "#x.gif", "icon.gif", "COM10.gif", "CONSOLE.gif",
                             "xNUL", "LPT.gif", ".htaccess", "a..b", "$.gif"})
        EXPECT_EQ(SafeFileName(name), name);
    EXPECT_EQ(SafeFileName(""), "");
    std::string chinese = "\xb0\xb4\xc5\xa5.gif"; // 按钮.gif
    EXPECT_EQ(SafeFileName(chinese), chinese);
}

TEST(SafeFileName, SeparatorsWildcardsAndControlBytesBecomeUnderscores) {
    EXPECT_EQ(SafeFileName("a:b*c?d\"e<f>g|h\\i/j.gif"), "a_b_c_d_e_f_g_h_i_j.gif");
    EXPECT_EQ(SafeFileName(std::string("a\0b\x1f\x7f.gif", 9)), "a_b_\x7f.gif");
    EXPECT_EQ(SafeFileName("..\\..\\windows\\win.ini"), ".._.._windows_win.ini");
    EXPECT_EQ(SafeFileName("x.gif:stream"), "x.gif_stream");
}

TEST(SafeFileName, DeviceNamesAndDotNamesArePrefixedOrReplaced) {
    EXPECT_EQ(SafeFileName("CON"), "_CON");
    EXPECT_EQ(SafeFileName("con.gif"), "_con.gif");
    EXPECT_EQ(SafeFileName("Nul.tar.gz"), "_Nul.tar.gz");
    EXPECT_EQ(SafeFileName("aux"), "_aux");
    EXPECT_EQ(SafeFileName("PRN.png"), "_PRN.png");
    EXPECT_EQ(SafeFileName("com1"), "_com1");
    EXPECT_EQ(SafeFileName("COM9.gif"), "_COM9.gif");
    EXPECT_EQ(SafeFileName("lpt1.jpg"), "_lpt1.jpg");
    EXPECT_EQ(SafeFileName("LPT9"), "_LPT9");
    EXPECT_EQ(SafeFileName("CON .gif"), "_CON .gif"); // spaces before the dot are ignored
    EXPECT_EQ(SafeFileName("conout$.gif"), "_conout$.gif");
    EXPECT_EQ(SafeFileName("NUL:"), "NUL_"); // no longer a device once the colon goes
    // Windows strips trailing dots and spaces, which would write a different name.
    EXPECT_EQ(SafeFileName("."), "_");
    EXPECT_EQ(SafeFileName(".."), "__");
    EXPECT_EQ(SafeFileName("a.gif."), "a.gif_");
    EXPECT_EQ(SafeFileName("a.gif. ."), "a.gif___");
    EXPECT_EQ(SafeFileName("CON."), "CON_");
}

TEST(SafeFileName, DoubleByteCharactersKeepTheirTrailBytes) {
    // 0x81 0x5C and 0x95 0x7C are single characters whose trail bytes are "\" and "|".
    EXPECT_EQ(SafeFileName("\x81\x5c.gif"), "\x81\x5c.gif");
    EXPECT_EQ(SafeFileName("a\x95\x7c\\b.gif"), "a\x95\x7c_b.gif");
    // A lead byte before a lead byte takes it as its trail; the pair after is then separate.
    EXPECT_EQ(SafeFileName("\x81\x81\x5c"), "\x81\x81_");
    // A lead byte without a valid trail is not a character.
    EXPECT_EQ(SafeFileName("a\x81"), "a_");
    EXPECT_EQ(SafeFileName("\x81/b"), "__b");
    EXPECT_EQ(SafeFileName("\x81\x3a"), "__");
    // The dot after a double-byte character is still trailing.
    EXPECT_EQ(SafeFileName("\xb0\xb4."), "\xb0\xb4_");
}

TEST(SafeFileName, AnyInputGivesAStableSafeName) {
    std::mt19937 rng(99);
    const std::string alphabet("\x81\x5c\x7c\x40\xfe\xff:.?/ aConLpt1\x01", 18);
    for (int round = 0; round < 20000; ++round) {
        std::string name(std::uniform_int_distribution<int>(0, 8)(rng), ' ');
        for (char& c : name)
            c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
        std::string safe = SafeFileName(name);
        ASSERT_EQ(SafeFileName(safe), safe) << name;
        ASSERT_LE(safe.size(), name.size() + 1);
        if (!safe.empty()) {
            ASSERT_TRUE(safe.back() != '.' && safe.back() != ' ') << name;
        }
        for (size_t i = 0; i < safe.size(); ++i) {
            auto c = static_cast<unsigned char>(safe[i]);
            if (c >= 0x81 && c <= 0xfe) {
                ASSERT_LT(i + 1, safe.size()) << "lone lead byte from " << name;
                auto t = static_cast<unsigned char>(safe[++i]);
                ASSERT_TRUE(t >= 0x40 && t <= 0xfe) << name;
                continue;
            }
            ASSERT_TRUE(c >= 0x20 && std::string_view(":*?\"<>|\\/").find(c) == std::string::npos)
                << name;
        }
    }
}

TEST(Addresses, FragmentsAndDataReferences) {
    EXPECT_EQ(download::FragmentOf("icons.svg#home"), "#home");
    EXPECT_EQ(download::FragmentOf("a.svg?x#y#z"), "#y#z");
    EXPECT_EQ(download::FragmentOf("a.svg"), "");
    EXPECT_TRUE(download::IsDataAddress("data:image/png;base64,AAAA"));
    EXPECT_TRUE(download::IsDataAddress("  DaTa:,x"));
    EXPECT_FALSE(download::IsDataAddress("http://h/data:x"));
    EXPECT_FALSE(download::IsDataAddress("dat"));
    EXPECT_FALSE(download::IsDataAddress("images/data.png"));
}

TEST(Addresses, RequestFormEncodesWhatABrowserEncodes) {
    using download::RequestForm;
    EXPECT_EQ(RequestForm("http://h/img/a.gif?x=1"), "http://h/img/a.gif?x=1");
    EXPECT_EQ(RequestForm("http://h/icons.svg#home"), "http://h/icons.svg");
    // UTF-8 bytes of "背景.png", a space and the characters a browser never sends bare.
    EXPECT_EQ(RequestForm("http://h/\xE8\x83\x8C\xE6\x99\xAF.png"),
              "http://h/%E8%83%8C%E6%99%AF.png");
    EXPECT_EQ(RequestForm("http://h/a b\"<>`{}.png"), "http://h/a%20b%22%3C%3E%60%7B%7D.png");
    EXPECT_EQ(RequestForm(std::string("http://h/\x01\x7f", 11)), "http://h/%01%7F");
    // Escapes already there are sent as written.
    EXPECT_EQ(RequestForm("http://h/my%20icon.png"), "http://h/my%20icon.png");
}

TEST(Addresses, PercentDecodingAndReferencesBackToNames) {
    using download::PercentDecode;
    using download::ReferenceForName;
    EXPECT_EQ(PercentDecode("my%20icon.png"), "my icon.png");
    EXPECT_EQ(PercentDecode("%e8%83%8C"), "\xE8\x83\x8C");
    EXPECT_EQ(PercentDecode("100%"), "100%");
    EXPECT_EQ(PercentDecode("a%2"), "a%2");
    EXPECT_EQ(PercentDecode("a%zz%41"), "a%zzA");
    EXPECT_EQ(PercentDecode("%2541"), "%41"); // decoded once only
    EXPECT_EQ(ReferenceForName("my icon.png", false), "my%20icon.png");
    EXPECT_EQ(ReferenceForName("50%#1?(a)'b\".png", false), "50%25%231%3F%28a%29%27b%22.png");
    EXPECT_EQ(ReferenceForName("\xE8\x83\x8C.png", false), "\xE8\x83\x8C.png");
    // A code-page-936 character whose trail byte is a backslash stays whole.
    EXPECT_EQ(ReferenceForName("\x95\x5c.png", true), "\x95\x5c.png");
    EXPECT_EQ(ReferenceForName("\x95\x5c.png", false), "\x95%5C.png");
    // The round trip a browser makes: the reference decodes to the name again.
    for (const char* name : {"a b.png", "50%.png", "x#y.png", "q?.png", "(1).png", "%41.png"})
        EXPECT_EQ(PercentDecode(ReferenceForName(name, false)), name);
}

TEST(ReservedTargets, TheStylesheetItsBackupsAndTheLogAreNeverTaken) {
    using download::IsReservedTarget;
    for (const char* name :
         {"style.css", "STYLE.CSS", "style.css.bak", "Style.Css.BAK", "style.css.bak.1",
          "style.css.bak.12", "corvane-download.log", "Corvane-Download.LOG"})
        EXPECT_TRUE(IsReservedTarget(name, "style.css")) << name;
    for (const char* name :
         {"style.cs", "style.css.b", "style.css.bak.", "style.css.bak.1a", "style.css.bak1",
          "xstyle.css", "style.css.png", "style.css.bak.-1", "corvane-download.log.1", ""})
        EXPECT_FALSE(IsReservedTarget(name, "style.css")) << name;
    // Without a stylesheet only the log is reserved.
    EXPECT_TRUE(IsReservedTarget("corvane-download.log", ""));
    EXPECT_FALSE(IsReservedTarget(".bak", ""));
    EXPECT_FALSE(IsReservedTarget("a.gif", ""));
    EXPECT_EQ(download::BackupPath("C:\\d\\style.css", 0), "C:\\d\\style.css.bak");
    EXPECT_EQ(download::BackupPath("C:\\d\\style.css", 3), "C:\\d\\style.css.bak.3");
}
