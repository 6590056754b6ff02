#include "app_fixture.h"

#include "app/shell_open.h"
#include "toolkit/text_util.h"
#include "toolkit/win_text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::string A(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

void Press(TButton* b) {
    SendMessageW(b->WindowHandle(), BM_CLICK, 0, 0);
}

// Runs step two over a stylesheet text with a pattern.
void Extract(TForm1& form, const std::string& css,
             const std::string& pattern = "background(.*?)url\\((.*?)\\)") {
    form.Memo1->SetText(css);
    form.edt1->SetText(pattern);
    Press(form.btn2);
}

std::vector<std::string> Lines(TMemo* m) {
    return m->Lines().ToVector();
}

// Records what step three would open instead of launching a browser.
struct ShellRecorder {
    std::vector<std::string> opened;
    ShellRecorder() {
        SetShellOpenFunction([this](HWND, const std::string& target) { opened.push_back(target); });
    }
    ~ShellRecorder() { SetShellOpenFunction(nullptr); }
};

} // namespace

TEST(StepTwo, NothingFoundBeforeAnyStylesheet) {
    auto form = MakeMainForm();
    Press(form->btn2);
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(form->mmo1->GetText(), "");
    EXPECT_EQ(form->lbl3->Caption(), A("共 0 个图片"));
    EXPECT_TRUE(form->RegExp1->Connected());
}

TEST(StepTwo, ReferencesInOrderQuotesRemoved) {
    auto form = MakeMainForm();
    Extract(*form, "a{background-image: url('images/top.gif');}\r\n"
                   "b{BACKGROUND:URL(x.png)}\r\n"
                   "c{background:url(\"images/top.gif\")}\r\n"
                   "d{background:url()}\r\n"
                   "e{background: red url( sp ace.gif ) no-repeat}\r\n"
                   "f{background:\r\nurl(next-line.gif)}\r\n");
    EXPECT_TRUE(ShownErrors().empty());
    // The single and the double quoted form are one reference; the empty candidate is always
    // added; spaces inside the parentheses are kept.
    EXPECT_EQ(Lines(form->mmo1),
              (std::vector<std::string>{"images/top.gif", "x.png", "", " sp ace.gif "}));
    EXPECT_EQ(form->lbl3->Caption(), A("共 4 个图片"));
}

TEST(StepTwo, OnlyTheSameReferenceIsDropped) {
    auto form = MakeMainForm();
    // A reference inside another names another image, in either order.
    Extract(*form, "background:url(images/a.gif) background:url(a.gif)");
    EXPECT_EQ(Lines(form->mmo1), (std::vector<std::string>{"images/a.gif", "a.gif"}));
    Extract(*form, "background:url(a.gif) background:url(images/a.gif) background:url(a.gif)");
    EXPECT_EQ(Lines(form->mmo1), (std::vector<std::string>{"a.gif", "images/a.gif"}));
    // Quotes make no other reference.
    Extract(*form, "background:url('a.gif') background:url(\"a.gif\") background:url(a.gif)");
    EXPECT_EQ(Lines(form->mmo1), (std::vector<std::string>{"a.gif"}));
    // Nothing is compared across the line breaks of the references text.
    Extract(*form, "url(ab) url(cd) url(b\r\nc)", "(u)rl\\(([\\s\\S]*?)\\)");
    EXPECT_EQ(Lines(form->mmo1), (std::vector<std::string>{"ab", "cd", "b", "c"}));
    // The test is case-sensitive.
    Extract(*form, "background:url(images/A.gif) background:url(a.gif) background:url(A.gif)");
    EXPECT_EQ(Lines(form->mmo1), (std::vector<std::string>{"images/A.gif", "a.gif", "A.gif"}));
    // A pattern with one group contributes nothing.
    Extract(*form, "background:url(x.gif)", "url\\((.*?)\\)");
    EXPECT_EQ(form->mmo1->GetText(), "");
}

TEST(StepTwo, RejectedPatternShowsTheServiceMessage) {
    auto form = MakeMainForm();
    form->mmo1->SetText("old");
    Extract(*form, "background:url(x.gif)", "background(.*?url\\((.*?)\\)");
    ASSERT_EQ(ShownErrors().size(), 1u);
    // It says the pattern is not valid and quotes it, whatever the service adds.
    const std::string expected = A("正则表达式无效：\"") + "background(.*?url\\((.*?)\\)" + "\"";
    EXPECT_EQ(ShownErrors()[0].rfind(expected, 0), 0u) << ShownErrors()[0];
    EXPECT_EQ(form->mmo1->GetText(), "");
    EXPECT_EQ(form->lbl3->Caption(), A("共 0 个图片"));
}

TEST(StepTwo, TypingUpdatesTheCount) {
    auto form = MakeMainForm();
    form->pgc1->SetActivePage(form->ts2);
    HWND edit = form->mmo1->WindowHandle();
    SetFocus(edit);
    for (char c : std::string("a.gif\rb.gif"))
        SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(c), 0);
    EXPECT_EQ(form->lbl3->Caption(), A("共 2 个图片"));
    SendMessageW(edit, WM_CHAR, '\r', 0);
    EXPECT_EQ(form->lbl3->Caption(), A("共 2 个图片")); // a final empty line is not counted
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(form->lbl3->Caption(), A("共 0 个图片"));
    EXPECT_EQ(form->mmo1->GetText(), "");
}

TEST(StepThree, AddressRulesOneLinePerReference) {
    TempDir dir;
    ShellRecorder shell;
    auto form = MakeMainForm();
    form->TestPageFolder = dir.Path();
    form->mmo1->SetText(
        "/img/a.gif\r\nimages/b.gif\r\n\r\nhttp://cdn.example.com/c.gif\r\n"
        "x.php?u=http://h/d.gif\r\nhttps://e.example.com/e.gif\r\nHTTP://F/f.gif\r\n"
        "//g.example.com/g.gif\r\n../h.gif\r\n");
    form->lbledt1->SetText("http://www.example.com");
    form->lbledt2->SetText("http://www.example.com/css/");
    Press(form->btn3);
    EXPECT_TRUE(ShownErrors().empty());
    std::vector<std::string> expected{"http://www.example.com/img/a.gif",
                                      "http://www.example.com/css/images/b.gif",
                                      "http://www.example.com/css/",
                                      "http://cdn.example.com/c.gif",
                                      "x.php?u=http://h/d.gif",
                                      "https://e.example.com/e.gif",
                                      "HTTP://F/f.gif",
                                      "http://g.example.com/g.gif",
                                      "http://www.example.com/css/../h.gif"};
    EXPECT_EQ(Lines(form->mmo2), expected);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], dir.Path() + "testimg.htm");
    std::string page = ReadAll(dir.Path() + "testimg.htm");
    EXPECT_EQ(page, form->mmo3->GetText());
    EXPECT_NE(page.find("2 <img src=\"http://www.example.com/css/\" "
                        "alt=\"http://www.example.com/css/\"><br><br><hr>\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("\r\n8 <img src="), std::string::npos);
    EXPECT_EQ(page.find("9 <img"), std::string::npos);
}

TEST(StepThree, PageBytesAndHostileAddresses) {
    TempDir dir;
    ShellRecorder shell;
    auto form = MakeMainForm();
    form->TestPageFolder = dir.Path();
    form->mmo1->SetText("a.gif onerror=alert(1)\r\nb.gif\"><script>x()</script>\r\n'&<>.gif");
    Press(form->btn3);
    std::string header = A(
        "<body "
        "style=\"background-color:#B5D7D2;\">"
        "以下是测试代码，如果图片能正常显示则说明路径正确，可以下载，否则请返回修改路径！<br><br>");
    std::string expected =
        header + "\r\n" +
        "0 <img src=\"a.gif onerror=alert(1)\" alt=\"a.gif onerror=alert(1)\"><br><br><hr>\r\n" +
        "1 <img src=\"b.gif&quot;&gt;&lt;script&gt;x()&lt;/script&gt;\" "
        "alt=\"b.gif&quot;&gt;&lt;script&gt;x()&lt;/script&gt;\"><br><br><hr>\r\n" +
        "2 <img src=\"&#39;&amp;&lt;&gt;.gif\" alt=\"&#39;&amp;&lt;&gt;.gif\"><br><br><hr>\r\n";
    EXPECT_EQ(ReadAll(dir.Path() + "testimg.htm"), expected);
    // The addresses themselves are not escaped.
    EXPECT_EQ(form->mmo2->Lines()[1], "b.gif\"><script>x()</script>");
}

TEST(StepThree, EmptyReferencesStillWriteAndOpenThePage) {
    TempDir dir;
    ShellRecorder shell;
    auto form = MakeMainForm();
    form->TestPageFolder = dir.Path();
    form->mmo2->SetText("stale");
    Press(form->btn3);
    EXPECT_EQ(form->mmo2->GetText(), "");
    std::string page = ReadAll(dir.Path() + "testimg.htm");
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 1);
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST(StepThree, EmptyPrefixesEqualTheCopyButton) {
    TempDir dir;
    ShellRecorder shell;
    auto form = MakeMainForm();
    form->TestPageFolder = dir.Path();
    form->mmo1->SetText("/a.gif\r\nb.gif\r\n\r\nhttp://c/d.gif\r\n");
    Press(form->btn3);
    std::string converted = form->mmo2->GetText();
    form->mmo2->SetText("");
    size_t opened = shell.opened.size();
    Press(form->btn4);
    EXPECT_EQ(form->mmo2->GetText(), converted);
    EXPECT_EQ(shell.opened.size(), opened); // the copy writes and opens nothing
}

TEST(StepThree, UnwritablePageKeepsTheAddresses) {
    ShellRecorder shell;
    auto form = MakeMainForm();
    form->TestPageFolder = "Z:\\no\\such\\folder\\";
    form->mmo1->SetText("a.gif");
    Press(form->btn3);
    ASSERT_EQ(ShownErrors().size(), 1u);
    EXPECT_EQ(
        ShownErrors()[0].rfind("Cannot create file \"Z:\\no\\such\\folder\\testimg.htm\". ", 0), 0u)
        << ShownErrors()[0];
    EXPECT_EQ(form->mmo2->Lines()[0], "a.gif");
    EXPECT_TRUE(shell.opened.empty());
}

TEST(StepThree, HelpBoxToggles) {
    auto form = MakeMainForm();
    TStringList lines;
    lines.SetText(form->lbl4->Caption());
    ASSERT_EQ(lines.Count(), 10);
    EXPECT_EQ(lines[0], A("什么是绝对路径和相对路径？"));
    EXPECT_EQ(lines[2], A("样式表中有如下语句  background:url('/image/top.gif')"));
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[7],
              A("image/top.gif    就是属于相对路径，相对路径是相对于CSS文件所在网络路径而言"));
    EXPECT_EQ(form->pnl1->Height(), 17);
    form->lbl4->Click();
    EXPECT_EQ(form->pnl1->Height(), 140);
    form->lbl4->Click();
    EXPECT_EQ(form->pnl1->Height(), 17);
    form->pnl1->SetHeight(60);
    form->lbl4->Click();
    EXPECT_EQ(form->pnl1->Height(), 140);
}

TEST(StepTwo, CandidatesAreTheExactBytesOfTheText) {
    auto form = MakeMainForm();
    // Bytes that are no GBK characters: 0xFF, a lead byte before ASCII, a lead byte before the
    // closing parenthesis, and 0x80; beside them a real GBK pair ("背景").
    const std::string odd = "a\xFF\x81.png";
    const std::string edge = "b\x80\x81";
    const std::string gbk = A("背景") + "\xFE.gif";
    Extract(*form, "x{background:url(" + odd + ")}\r\ny{background:url('" + edge + "')}\r\n" +
                       "z{background:url(" + gbk + ")}\r\nw{background:url(" + odd + ")}");
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(Lines(form->mmo1), (std::vector<std::string>{odd, edge, gbk}));
    EXPECT_EQ(form->lbl3->Caption(), A("共 3 个图片"));
    // The same bytes are found again by the rewrite: the memo is a slice of the text.
    EXPECT_NE(form->Memo1->GetText().find(form->mmo1->Lines()[1]), std::string::npos);
}

TEST(StepTwo, PatternsThatMatchEmptyTextAreRefusedAtOnce) {
    auto form = MakeMainForm();
    const std::string css(200000, 'a');
    // Empty text matches these before anything else does; the last only matches empty text
    // in front of a "u", so only the stylesheet shows it.
    const std::pair<std::string, std::string> cases[] = {
        {"()()", css}, {"x*", css}, {"(a*)(b*)", css}, {"(?=u)()()", "url(x)" + css}};
    for (const auto& [pattern, text] : cases) {
        ShownErrors().clear();
        form->mmo1->SetText("old");
        Extract(*form, text, pattern);
        ASSERT_EQ(ShownErrors().size(), 1u) << pattern;
        EXPECT_EQ(ShownErrors()[0], EmptyMatchMessage(pattern));
        EXPECT_NE(ShownErrors()[0].find(pattern), std::string::npos);
        EXPECT_EQ(form->mmo1->GetText(), "") << pattern;
        EXPECT_EQ(form->lbl3->Caption(), A("共 0 个图片"));
    }
    // Matching empty text only after a first real match: the search would never end.
    for (const char* pattern : {"(b)(a)|\\bz*", "url\\((.*?)\\)|$"}) {
        ShownErrors().clear();
        Extract(*form, "ba ba url(q.gif)", pattern);
        ASSERT_EQ(ShownErrors().size(), 1u) << pattern;
        EXPECT_EQ(ShownErrors()[0], EmptyMatchMessage(pattern));
        EXPECT_FALSE(form->StepTwoRunning());
    }
    // A pattern that needs at least one character still runs over the same text.
    ShownErrors().clear();
    Extract(*form, css + "background:url(z.gif)");
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(Lines(form->mmo1), (std::vector<std::string>{"z.gif"}));
}

TEST(StepThree, TestPageGoesNextToTheProgramByDefault) {
    ShellRecorder shell;
    auto form = MakeMainForm();
    ASSERT_TRUE(form->TestPageFolder.empty());
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string path = text::ExtractFilePath(std::string(exe, n)) + "testimg.htm";
    DeleteFileA(path.c_str());
    form->mmo1->SetText("a.gif\r\n");
    form->lbledt2->SetText("http://site.example/");
    Press(form->btn3);
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(shell.opened, std::vector<std::string>{path});
    EXPECT_EQ(ReadAll(path), form->mmo3->GetText());
    EXPECT_NE(ReadAll(path).find("http://site.example/a.gif"), std::string::npos);
    DeleteFileA(path.c_str());
}

TEST(StepTwo, TheWindowAnswersWhileALargeStylesheetIsSearched) {
    auto form = MakeMainForm();
    std::string css;
    for (int i = 0; i < 60000; ++i) css += NumberedName("a{background:url(i", i, ".gif)}\r\n");
    // A window of the test's own on this thread answers whether step two is running; another
    // thread keeps asking it while step two runs.
    const UINT kAsk = WM_APP + 7;
    TUtilityWindow probe([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        return msg == kAsk && form->StepTwoRunning() ? 1 : 0;
    });
    std::atomic<bool> stop{false};
    std::atomic<int> answeredWhileRunning{0};
    HWND target = probe.Handle();
    std::thread asker([&] {
        while (!stop) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutW(target, kAsk, 0, 0, SMTO_NORMAL, 2000, &result) && result == 1)
                ++answeredWhileRunning;
            Sleep(5);
        }
    });
    // A second press while it runs is ignored, from inside the running search.
    int pressesWhileRunning = 0;
    TUtilityWindow presser([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == kAsk && form->StepTwoRunning()) {
            ++pressesWhileRunning;
            Press(form->btn2);
        }
        return 0;
    });
    PostMessageW(presser.Handle(), kAsk, 0, 0);
    Extract(*form, css);
    stop = true;
    asker.join();
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_FALSE(form->StepTwoRunning());
    EXPECT_GT(answeredWhileRunning.load(), 0);
    EXPECT_EQ(pressesWhileRunning, 1);
    ASSERT_EQ(form->mmo1->Lines().Count(), 60000);
    EXPECT_EQ(form->mmo1->Lines()[59999], "i59999.gif");
    EXPECT_EQ(form->lbl3->Caption(), A("共 60000 个图片"));
}

TEST(StepTwo, TypingKeepsTheBytesOfTheOtherLines) {
    auto form = MakeMainForm();
    form->pgc1->SetActivePage(form->ts2);
    // A lead byte before a byte that cannot follow it, and 0xFF: no characters of the code page.
    const std::string odd = "img/x\xB0.png\r\nimg/\x81\x7Fy\xFF.png\r\n";
    form->mmo1->SetText(odd + "b.png");
    form->mmo2->SetText("http://h/x\xB0.png\r\n");
    HWND edit = form->mmo1->WindowHandle();
    SetFocus(edit);
    const int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, end, end);
    SendMessageW(edit, WM_CHAR, 'x', 0);
    EXPECT_EQ(form->mmo1->GetText(), odd + "b.pngx");
    EXPECT_EQ(form->lbl3->Caption(), A("共 3 个图片"));
    // The addresses too.
    HWND addresses = form->mmo2->WindowHandle();
    SetFocus(addresses);
    const int last = GetWindowTextLengthW(addresses);
    SendMessageW(addresses, EM_SETSEL, last, last);
    for (char c : std::string("http://h/z.png")) SendMessageW(addresses, WM_CHAR, c, 0);
    EXPECT_EQ(form->mmo2->GetText(), "http://h/x\xB0.png\r\nhttp://h/z.png");
}
