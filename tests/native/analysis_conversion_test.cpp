#include "analysis/conversion.h"
#include "analysis/memo_text.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>

using analysis::ConvertReferences;
using analysis::FullAddress;

namespace {

// Empty when the text has no form in the target code page.
std::optional<std::string> Convert(const char* from, const char* to, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "no converter from " << from << " to " << to;
        return std::nullopt;
    }
    std::string input(in), out(in.size() * 4 + 16, '\0');
    char* src = input.data();
    char* dst = out.data();
    size_t src_left = input.size(), dst_left = out.size();
    size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return std::nullopt;
    out.resize(out.size() - dst_left);
    return out;
}

const std::string kHeaderUtf8 =
    "<body style=\"background-color:#B5D7D2;\">"
    "以下是测试代码，如果图片能正常显示则说明路径正确，可以下载，否则请返回修改路径！<br><br>";

} // namespace

TEST(AddressRule, PicksThePrefixByTheReference) {
    const char* abs = "http://www.example.com";
    const char* rel = "http://www.example.com/css/";
    EXPECT_EQ(FullAddress("/image/top.gif", abs, rel), "http://www.example.com/image/top.gif");
    EXPECT_EQ(FullAddress("image/top.gif", abs, rel), "http://www.example.com/css/image/top.gif");
    EXPECT_EQ(FullAddress("", abs, rel), rel);
    // "http://" or "https://" anywhere, in any letter case, keeps the reference.
    EXPECT_EQ(FullAddress("http://cdn.example.org/a.gif", abs, rel),
              "http://cdn.example.org/a.gif");
    EXPECT_EQ(FullAddress("/p.php?u=http://x/y.gif", abs, rel), "/p.php?u=http://x/y.gif");
    EXPECT_EQ(FullAddress("https://cdn/a.gif", abs, rel), "https://cdn/a.gif");
    EXPECT_EQ(FullAddress("HTTP://cdn/a.gif", abs, rel), "HTTP://cdn/a.gif");
    EXPECT_EQ(FullAddress("HtTpS://cdn/a.gif", abs, rel), "HtTpS://cdn/a.gif");
    EXPECT_EQ(FullAddress("ftp://cdn/a.gif", abs, rel), std::string(rel) + "ftp://cdn/a.gif");
    EXPECT_EQ(FullAddress("https:/cdn/a.gif", abs, rel), std::string(rel) + "https:/cdn/a.gif");
    // Protocol-relative: the absolute prefix's scheme, https when it has none.
    EXPECT_EQ(FullAddress("//cdn/a.gif", abs, rel), "http://cdn/a.gif");
    EXPECT_EQ(FullAddress("//cdn/a.gif", "HTTPS://www.example.com", rel), "HTTPS://cdn/a.gif");
    EXPECT_EQ(FullAddress("//cdn/a.gif", "", rel), "https://cdn/a.gif");
    EXPECT_EQ(FullAddress("//cdn/a.gif", "www.example.com:8080", rel), "https://cdn/a.gif");
    EXPECT_EQ(FullAddress("//cdn/p?u=http://x", abs, rel), "http://cdn/p?u=http://x");
    EXPECT_EQ(FullAddress("/a.gif", "", ""), "/a.gif");
    EXPECT_EQ(FullAddress("../img/a.gif", abs, rel), "http://www.example.com/css/../img/a.gif");
    EXPECT_EQ(FullAddress("/a.gif", "", ""), "/a.gif");
}

TEST(Conversion, OneAddressAndOnePageLinePerReferenceLine) {
    auto c = ConvertReferences("/a.gif\r\n\r\nb.png\r\n", "http://h", "http://h/css/");
    EXPECT_EQ(c.addresses,
              (std::vector<std::string>{"http://h/a.gif", "http://h/css/", "http://h/css/b.png"}));
    EXPECT_EQ(c.addresses_text, "http://h/a.gif\r\nhttp://h/css/\r\nhttp://h/css/b.png\r\n");
    EXPECT_EQ(c.page, std::string(analysis::kTestPageHeader) + "\r\n" +
                          "0 <img src=\"http://h/a.gif\" alt=\"http://h/a.gif\"><br><br><hr>\r\n"
                          "1 <img src=\"http://h/css/\" alt=\"http://h/css/\"><br><br><hr>\r\n"
                          "2 <img src=\"http://h/css/b.png\" alt=\"http://h/css/b.png\">"
                          "<br><br><hr>\r\n");
}

TEST(Conversion, EmptyReferencesGiveAHeaderOnlyPage) {
    auto c = ConvertReferences("", "http://h", "http://h/");
    EXPECT_TRUE(c.addresses.empty());
    EXPECT_EQ(c.addresses_text, "");
    EXPECT_EQ(c.page, std::string(analysis::kTestPageHeader) + "\r\n");
    // An empty line is still a line, and both prefixes empty copy the references as they are.
    auto blank = ConvertReferences("\r\n", "", "");
    EXPECT_EQ(blank.addresses, (std::vector<std::string>{""}));
    EXPECT_EQ(blank.addresses_text, "\r\n");
    EXPECT_NE(blank.page.find("0 <img src=\"\" alt=\"\">"), std::string::npos);
    const char* refs = "/a.gif\r\n\r\nhttp://x/b.gif\r\nc d.png\r\n";
    EXPECT_EQ(ConvertReferences(refs, "", "").addresses_text, refs);
}

TEST(Conversion, HeaderIsTheCodePage936Text) {
    std::string_view header = analysis::kTestPageHeader;
    EXPECT_EQ(Convert("CP936", "UTF-8", header), std::optional<std::string>(kHeaderUtf8));
    EXPECT_EQ(header.find('\r'), std::string_view::npos);
}

TEST(TestPage, HostileAddressesStayInsideTheirAttributes) {
    std::string line =
        analysis::TestPageLine(7, "x\" onerror=\"alert(1)\"><script>alert('&')</script>");
    EXPECT_EQ(line, "7 <img src=\"x&quot; onerror=&quot;alert(1)&quot;&gt;&lt;script&gt;"
                    "alert(&#39;&amp;&#39;)&lt;/script&gt;\" alt=\"x&quot; onerror=&quot;"
                    "alert(1)&quot;&gt;&lt;script&gt;alert(&#39;&amp;&#39;)&lt;/script&gt;\">"
                    "<br><br><hr>");
    // An entity already in the address is escaped once more, so the browser shows it as typed.
    EXPECT_EQ(analysis::EscapeHtml("a&amp;b"), "a&amp;amp;b");
    // GBK bytes, including trail bytes in the ASCII range, pass through.
    std::string gbk = "\xcd\xbc\xc6\xac\x81\x5c\x95\x7c.gif";
    EXPECT_EQ(analysis::EscapeHtml(gbk), gbk);
}
