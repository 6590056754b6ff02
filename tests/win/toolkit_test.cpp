#include "app_fixture.h"

#include "toolkit/form_description.h"
#include "toolkit/form_reader.h"
#include "toolkit/win_text.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

struct TestForm {
    std::unique_ptr<TForm> form;
    TestForm() {
        TestApplication();
        form = std::make_unique<TForm>(&TestApplication());
        form->SetClientSize(400, 300);
        form->Show();
    }
};

} // namespace

TEST(Toolkit, AnchorsAndAlignmentFollowTheParent) {
    TestForm t;
    auto* top = new TPanel(t.form.get());
    top->SetParent(t.form.get());
    top->SetHeight(40);
    top->SetAlign(alTop);
    auto* memo = new TMemo(t.form.get());
    memo->SetParent(t.form.get());
    memo->SetBounds(10, 50, 300, 200);
    memo->SetAnchors(akLeft | akTop | akRight | akBottom);
    auto* corner = new TButton(t.form.get());
    corner->SetParent(t.form.get());
    corner->SetBounds(320, 260, 70, 30);
    corner->SetAnchors(akRight | akBottom);
    t.form->SetClientSize(500, 350);
    EXPECT_EQ(top->Width(), 500);
    EXPECT_EQ(top->Height(), 40);
    EXPECT_EQ(memo->Width(), 400);
    EXPECT_EQ(memo->Height(), 250);
    EXPECT_EQ(corner->Left(), 420);
    EXPECT_EQ(corner->Top(), 310);
    EXPECT_EQ(corner->Width(), 70);
    RECT r;
    GetWindowRect(memo->WindowHandle(), &r);
    EXPECT_EQ(r.right - r.left, 400);
}

TEST(Toolkit, ReplaceableWindowProcSeesTheControlsMessages) {
    TestForm t;
    auto* button = new TButton(t.form.get());
    button->SetParent(t.form.get());
    int clicks = 0, reflected = 0, enabled = 0, visible = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    TWndMethod saved = button->WindowProc;
    button->WindowProc = [&](TMessage& m) {
        if (m.Msg == CN_COMMAND) ++reflected;
        if (m.Msg == CM_ENABLEDCHANGED) ++enabled;
        if (m.Msg == CM_VISIBLECHANGED) ++visible;
        saved(m);
    };
    SendMessageW(button->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(reflected, 1);
    EXPECT_EQ(clicks, 1);
    button->SetEnabled(false);
    EXPECT_EQ(enabled, 1);
    EXPECT_FALSE(IsWindowEnabled(button->WindowHandle()));
    button->SetVisible(false);
    EXPECT_EQ(visible, 1);
    button->WindowProc = saved;
    button->SetEnabled(true);
    EXPECT_EQ(enabled, 1);
}

TEST(Toolkit, PublishedPropertiesOfRealControls) {
    TestForm t;
    auto* check = new TCheckBox(t.form.get());
    check->SetParent(t.form.get());
    SetStrProp(*check, "Caption", "box");
    EXPECT_EQ(check->Caption(), "box");
    SetOrdProp(*check, "Checked", 1);
    EXPECT_EQ(SendMessageW(check->WindowHandle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetOrdProp(*check, "Checked"), 1);
    EXPECT_EQ(GetObjectProp(*check, "Font"), &check->Font());
    SetStrProp(*check, "Font.Name", "Arial");
    EXPECT_EQ(check->Font().Name(), "Arial");
    EXPECT_FALSE(check->ParentFont());
    EXPECT_EQ(GetObjectProp(*check, "Glyph"), nullptr);
    EXPECT_EQ(GetOrdProp(*check, "Glyph"), -1);
    EXPECT_EQ(GetEnumProp(*check, "Align"), "alNone");
}

TEST(Toolkit, MemoKeepsBytesTheCodePageCannotShow) {
    TestForm t;
    auto* memo = new TMemo(t.form.get());
    memo->SetParent(t.form.get());
    // UTF-8 text and a stray lead byte are not valid code-page-936 text.
    std::string bytes = "a{content:\"\xe2\x80\x9c\"}\r\n\x81\r\n\xff\xfe end";
    memo->SetText(bytes);
    EXPECT_EQ(memo->GetText(), bytes);
    EXPECT_EQ(memo->Lines().Count(), 3);
    EXPECT_EQ(memo->Lines()[2], "\xff\xfe end");
    memo->Lines().Add("x");
    EXPECT_EQ(memo->GetText(), bytes + "\r\nx");
    // Typing makes the window's text the memo's text.
    SendMessageW(memo->WindowHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    EXPECT_EQ(memo->GetText(), "typed");
}

TEST(Toolkit, MemoLinesFollowTheAddRule) {
    TestForm t;
    auto* memo = new TMemo(t.form.get());
    memo->SetParent(t.form.get());
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->Lines().Add("a");
    EXPECT_EQ(memo->GetText(), "a\r\n");
    memo->Lines().Add("");
    EXPECT_EQ(memo->GetText(), "a\r\n\r\n");
    EXPECT_EQ(memo->Lines().Count(), 2);
    memo->SetText("no break");
    memo->Lines().Add("b");
    EXPECT_EQ(memo->GetText(), "no break\r\nb");
    memo->Lines().Delete(0);
    EXPECT_EQ(memo->GetText(), "b");
    memo->Lines().Insert(0, "z");
    EXPECT_EQ(memo->GetText(), "z\r\nb");
    memo->Lines().Clear();
    EXPECT_EQ(memo->Lines().Count(), 0);
    EXPECT_EQ(changes, 7);
    EXPECT_THROW(memo->Lines().Delete(0), Exception);
}

TEST(Toolkit, ListViewRowsAndColumns) {
    TestForm t;
    auto* lv = new TListView(t.form.get());
    lv->SetViewStyle(vsReport);
    lv->SetParent(t.form.get());
    lv->AddColumn()->SetCaption("A");
    lv->AddColumn()->SetCaption("B");
    TListItem* row = lv->Items().Add();
    row->SetCaption("0");
    row->SubItems().Add("sub");
    wchar_t text[32] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(lv->WindowHandle(), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"sub");
    lv->Items().Add()->SetCaption("1");
    lv->Items().Delete(0);
    EXPECT_EQ(lv->Items()[0]->Index(), 0);
    EXPECT_EQ(SendMessageW(lv->WindowHandle(), LVM_GETITEMCOUNT, 0, 0), 1);
    lv->Items().Clear();
    EXPECT_EQ(SendMessageW(lv->WindowHandle(), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST(Toolkit, ExceptionsReachTheDefaultErrorDisplay) {
    TestForm t;
    auto* button = new TButton(t.form.get());
    button->SetParent(t.form.get());
    button->OnClick = [](TObject*) { throw EFCreateError("C:\\x.css", "denied"); };
    ShownErrors().clear();
    SendMessageW(button->WindowHandle(), BM_CLICK, 0, 0);
    ASSERT_EQ(ShownErrors().size(), 1u);
    EXPECT_EQ(ShownErrors()[0], "Cannot create file \"C:\\x.css\". denied");
}

TEST(Toolkit, NoHandleLeaksAcrossFormsAndControls) {
    auto build = [] {
        TestForm t;
        for (int i = 0; i < 20; ++i) {
            auto* p = new TPanel(t.form.get());
            p->SetParent(t.form.get());
            auto* l = new TLabel(t.form.get());
            l->SetParent(p);
            l->SetCaption("label");
            auto* e = new TLabeledEdit(t.form.get());
            e->SetParent(p);
            e->Font().SetStyle(fsBold);
        }
        t.form->Show();
        PumpFor(10);
    };
    build();
    GuiCounts before = CurrentGuiCounts();
    for (int i = 0; i < 5; ++i) build();
    GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
}

TEST(Toolkit, LeakCountersSeeObjectsComeAndGo) {
    // The leak checks of these tests rest on these counters: they must be able to fail.
    GuiCounts base = CurrentGuiCounts();
    ASSERT_GT(base.gdi, 0);
    {
        UniqueBrush a(CreateSolidBrush(RGB(1, 2, 3))), b(CreateSolidBrush(RGB(4, 5, 6)));
        TestForm t;
        EXPECT_GE(CurrentGuiCounts().gdi, base.gdi + 2);
        EXPECT_GE(CurrentGuiCounts().user, base.user + 1);
    }
    PumpFor(20);
    EXPECT_EQ(CurrentGuiCounts().user, base.user);
}

namespace {

void ExpectOneWindowEach(TForm& form, std::initializer_list<TWinControl*> controls) {
    for (TWinControl* c : controls) {
        HWND found = nullptr;
        EXPECT_EQ(WindowsOf(form.WindowHandle(), c, &found), 1) << c->ClassName();
        EXPECT_EQ(found, c->WindowHandle()) << c->ClassName();
    }
}

} // namespace

TEST(Toolkit, ChildWindowAskedForBeforeTheFormIsShownIsMadeOnce) {
    { // built in code; the deepest child asks first, so every window up the chain is made for it
        auto form = std::make_unique<TForm>(&TestApplication());
        form->SetClientSize(300, 200);
        auto* panel = new TPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBounds(0, 0, 300, 100);
        auto* inner = new TEdit(form.get());
        inner->SetParent(panel);
        inner->SetBounds(10, 10, 100, 24);
        auto* button = new TButton(form.get());
        button->SetParent(form.get());
        button->SetBounds(10, 120, 80, 26);
        inner->HandleNeeded();
        (void)button->Handle();
        ExpectOneWindowEach(*form, {panel, inner, button});
        form->Show();
        // Bounded: a window that never validates would keep ProcessMessages busy for ever.
        EXPECT_TRUE(QueueSettles());
        EXPECT_TRUE(IsWindowVisible(inner->WindowHandle()));
    }
    { // read from a description
        auto form = std::make_unique<TForm>(&TestApplication());
        ReadForm(*form, ParseFormDescription("object Described: TForm\n"
                                             "  ClientWidth = 300\n"
                                             "  ClientHeight = 200\n"
                                             "  object Panel1: TPanel\n"
                                             "    Width = 300\n"
                                             "    Height = 100\n"
                                             "    object Edit1: TEdit\n"
                                             "      Left = 10\n"
                                             "      Top = 10\n"
                                             "    end\n"
                                             "  end\n"
                                             "end\n"));
        auto* panel = dynamic_cast<TPanel*>(form->FindComponent("Panel1"));
        auto* edit = dynamic_cast<TEdit*>(form->FindComponent("Edit1"));
        ASSERT_TRUE(panel && edit);
        edit->HandleNeeded();
        ExpectOneWindowEach(*form, {panel, edit});
        form->Show();
        EXPECT_TRUE(QueueSettles());
    }
}
