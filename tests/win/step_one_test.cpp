#include "app_fixture.h"

#include "toolkit/win_text.h"

#include <gtest/gtest.h>

namespace {

std::string A(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

// Presses the button the way a user does, so errors reach the default error display.
void Press(TButton* b) {
    SendMessageW(b->WindowHandle(), BM_CLICK, 0, 0);
}

void OpenThroughDialog(TForm1& form, const std::string& path) {
    DialogDriver driver(Widen(path));
    Press(form.btn1);
    PumpFor(20);
}

} // namespace

TEST(StepOne, LoadsTheChosenFileWithCrLfBreaks) {
    TempDir dir;
    const std::string bytes =
        "body{background:url(a.gif)}\n.x{color:red}\r.y{}\r\n\n\xb1\xb3\xbe\xb0";
    std::string path = dir.Write("style.css", bytes);
    auto form = MakeMainForm();
    OpenThroughDialog(*form, path);
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(form->Memo1->GetText(),
              "body{background:url(a.gif)}\r\n.x{color:red}\r\n.y{}\r\n\r\n\xb1\xb3\xbe\xb0");
    EXPECT_EQ(form->lbl1->Caption(), A("CSS样式文件：") + path);
    EXPECT_EQ(form->Hint(), dir.Path());
    EXPECT_EQ(form->Hint().back(), '\\');
    EXPECT_EQ(form->lbl2->Caption(), A("CSS文件路径：") + dir.Path());
    EXPECT_EQ(form->dlgOpen1->FileName(), path);
    // The label grew to show the whole path.
    EXPECT_GT(form->lbl1->Width(), 81);
}

TEST(StepOne, LineEndsOfEveryKind) {
    TempDir dir;
    auto form = MakeMainForm();
    struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n"}, {"a\rb\r", "a\r\nb\r\n"}, {"a\n\rb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"},     {"no break", "no break"}, {"", ""},
    };
    int n = 0;
    for (auto& c : cases) {
        std::string path = dir.Write(NumberedName("s", n++, ".css"), c.in);
        OpenThroughDialog(*form, path);
        EXPECT_EQ(form->Memo1->GetText(), c.out) << c.in;
    }
}

TEST(StepOne, CancelChangesNothing) {
    auto form = MakeMainForm();
    std::string caption1 = form->lbl1->Caption(), caption2 = form->lbl2->Caption();
    OpenThroughDialog(*form, "");
    EXPECT_EQ(form->lbl1->Caption(), caption1);
    EXPECT_EQ(form->lbl2->Caption(), caption2);
    EXPECT_EQ(form->Hint(), "");
    EXPECT_EQ(form->Memo1->GetText(), "Memo1\r\n");
}

TEST(StepOne, SecondStylesheetLeavesLaterStepsAlone) {
    TempDir one, two;
    auto form = MakeMainForm();
    OpenThroughDialog(*form, one.Write("first.css", "first"));
    form->mmo1->Lines().Add("images/a.gif");
    form->mmo2->Lines().Add("http://example.com/images/a.gif");
    form->ListView1->Items().Add()->SetCaption("0");
    form->SetTag(3);
    OpenThroughDialog(*form, two.Write("second.css", "second"));
    EXPECT_EQ(form->Memo1->GetText(), "second");
    EXPECT_EQ(form->Hint(), two.Path());
    EXPECT_EQ(form->mmo1->Lines()[0], "images/a.gif");
    EXPECT_EQ(form->mmo2->Lines()[0], "http://example.com/images/a.gif");
    EXPECT_EQ(form->ListView1->Items().Count(), 1);
    EXPECT_EQ(form->Tag(), 3);
}

TEST(StepOne, UnreadableFileChangesNothing) {
    TempDir dir, other;
    auto form = MakeMainForm();
    std::string good = dir.Write("good.css", "good");
    OpenThroughDialog(*form, good);
    std::string missing = other.Path() + "missing.css";
    OpenThroughDialog(*form, missing);
    ASSERT_EQ(ShownErrors().size(), 1u);
    EXPECT_EQ(ShownErrors()[0].rfind("Cannot open file \"" + missing + "\". ", 0), 0u)
        << ShownErrors()[0];
    EXPECT_GT(ShownErrors()[0].size(), ("Cannot open file \"" + missing + "\". ").size());
    EXPECT_EQ(form->Memo1->GetText(), "good");
    // Everything still points at the file that was read, so a later rewrite cannot write
    // its text over another file.
    EXPECT_EQ(form->lbl1->Caption(), A("CSS样式文件：") + good);
    EXPECT_EQ(form->lbl2->Caption(), A("CSS文件路径：") + dir.Path());
    EXPECT_EQ(form->Hint(), dir.Path());
    EXPECT_EQ(form->dlgOpen1->FileName(), good);
}

TEST(StepOne, NoHandleLeaks) {
    TempDir dir;
    std::string path = dir.Write("style.css", "a{background:url(x.png)}\n");
    {
        // The first form and dialog register classes and fill the system's caches once.
        auto form = MakeMainForm();
        OpenThroughDialog(*form, path);
        form->pgc1->SetActivePage(form->ts4);
        PumpFor(20);
    }
    PumpFor(100);
    GuiCounts before = CurrentGuiCounts();
    for (int i = 0; i < 3; ++i) {
        auto form = MakeMainForm();
        OpenThroughDialog(*form, path);
        form->pgc1->SetActivePage(form->ts4);
        PumpFor(20);
    }
    PumpFor(100);
    GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
}

TEST(StepOne, Utf16StylesheetsAreRefusedAndNothingChanges) {
    TempDir dir;
    auto form = MakeMainForm();
    const std::string good = dir.Write("good.css", "\xEF\xBB\xBF"
                                                   "a{background:url(x.gif)}\n");
    OpenThroughDialog(*form, good);
    ASSERT_TRUE(ShownErrors().empty());
    const std::string held = form->Memo1->GetText();
    EXPECT_EQ(held, "\xEF\xBB\xBF"
                    "a{background:url(x.gif)}\r\n"); // UTF-8 as it was
    // "a{}" CR LF in UTF-16, both byte orders.
    const std::string little("\xFF\xFE"
                             "a\0{\0}\0\r\0\n\0",
                             12);
    const std::string big("\xFE\xFF\0a\0{\0}\0\r\0\n", 12);
    for (const std::string& bytes : {little, big}) {
        ShownErrors().clear();
        const std::string path = dir.Write(bytes == little ? "le.css" : "be.css", bytes);
        OpenThroughDialog(*form, path);
        ASSERT_EQ(ShownErrors().size(), 1u);
        EXPECT_NE(ShownErrors()[0].find("UTF-16"), std::string::npos) << ShownErrors()[0];
        EXPECT_NE(ShownErrors()[0].find(path), std::string::npos) << ShownErrors()[0];
        EXPECT_EQ(form->Memo1->GetText(), held);
        EXPECT_EQ(form->Hint(), dir.Path());
        EXPECT_EQ(form->lbl1->Caption(), A("CSS样式文件：") + good);
        EXPECT_EQ(form->dlgOpen1->FileName(), good);
        EXPECT_EQ(ReadAll(path), bytes);
    }
}
