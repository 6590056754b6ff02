#include "app_fixture.h"

#include "toolkit/win_text.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

std::string A(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

} // namespace

TEST(MainWindow, WindowItself) {
    auto form = MakeMainForm();
    EXPECT_EQ(form->Name(), "Form1");
    EXPECT_EQ(form->ClassName(), "TForm1");
    EXPECT_EQ(form->Caption(), A("Corvane 1.1 正式免费版"));
    RECT client;
    GetClientRect(form->WindowHandle(), &client);
    EXPECT_EQ(client.right, 918);
    EXPECT_EQ(client.bottom, 644);
    LONG style = GetWindowLongW(form->WindowHandle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    wchar_t cls[64];
    GetClassNameW(form->WindowHandle(), cls, 64);
    EXPECT_STREQ(cls, L"TForm1");
    // The description says clBtnFace; while skinned the form takes the skin's face colour.
    EXPECT_EQ(form->Color(), form->SkinData1->ButtonFaceColor);
    EXPECT_EQ(form->Font().Name(), A("宋体"));
    EXPECT_EQ(form->Font().Height(), -12);
    EXPECT_EQ(form->Font().Charset(), GB2312_CHARSET);
    // Centred on the desktop: the skin's frame then grows or shrinks it in place, by no more
    // than the difference between the two frames.
    RECT w;
    GetWindowRect(form->WindowHandle(), &w);
    EXPECT_NEAR((w.left + w.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 8);
    EXPECT_NEAR((w.top + w.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 16);
    EXPECT_EQ(form->Hint(), "");
    EXPECT_EQ(form->Tag(), 0);
    // The window is one of the screen's forms.
    bool listed = false;
    for (int i = 0; i < Screen->FormCount(); ++i) listed |= Screen->Forms(i) == form.get();
    EXPECT_TRUE(listed);
}

TEST(MainWindow, BannerAndLabels) {
    auto form = MakeMainForm();
    EXPECT_EQ(form->pnl4->Align(), alTop);
    EXPECT_EQ(form->pnl4->Height(), 74);
    EXPECT_EQ(form->pnl4->Width(), 918);
    EXPECT_EQ(form->pnl4->Color(), 0x400000);
    EXPECT_EQ(form->pnl4->BevelOuter(), bvNone);
    struct Expect {
        TLabel* label;
        int l, t;
        const char* caption;
        const char* font;
        int height;
        TColor color;
        bool bold, visible;
    } labels[] = {
        {form->lbl1, 18, 49, "CSS样式文件：", "Tahoma", -12, clAqua, false, true},
        {form->lbl2, 808, 11, "CSS文件路径：", "Tahoma", -11, clWindowText, true, false},
        {form->lbl8, 16, 10, "Corvane", "Tahoma", -24, clYellow, true, true},
        {form->lbl7, 282, 23, "Free Build:110326", "Tahoma", -12, clLime, false, true},
    };
    for (const Expect& e : labels) {
        SCOPED_TRACE(e.label->Name());
        EXPECT_EQ(e.label->Parent(), form->pnl4);
        EXPECT_EQ(e.label->Left(), e.l);
        EXPECT_EQ(e.label->Top(), e.t);
        EXPECT_EQ(e.label->Caption(), A(e.caption));
        EXPECT_EQ(e.label->Font().Name(), e.font);
        EXPECT_EQ(e.label->Font().Height(), e.height);
        EXPECT_EQ(e.label->Font().Color(), e.color);
        EXPECT_EQ((e.label->Font().Style() & fsBold) != 0, e.bold);
        EXPECT_EQ(e.label->Visible(), e.visible);
    }
    EXPECT_EQ(form->lbl1->Hint(), A("CSS样式文件："));
    EXPECT_EQ(form->lbl2->Hint(), A("CSS文件路径："));
    EXPECT_TRUE(form->lbl8->Transparent());
    EXPECT_EQ(form->lbl1->Width(), 81);
    EXPECT_EQ(form->lbl8->Width(), 248);
}

TEST(MainWindow, PagesInOrderFirstActive) {
    auto form = MakeMainForm();
    TPageControl* pgc = form->pgc1;
    EXPECT_EQ(pgc->Left(), 8);
    EXPECT_EQ(pgc->Top(), 81);
    EXPECT_EQ(pgc->Width(), 903);
    EXPECT_EQ(pgc->Height(), 552);
    EXPECT_EQ(pgc->Style(), tsFlatButtons);
    EXPECT_TRUE(GetWindowLongW(pgc->WindowHandle(), GWL_STYLE) & TCS_FLATBUTTONS);
    const char* captions[] = {"第一步", "第二步", "第三步", "第四步", "用户留言"};
    ASSERT_EQ(pgc->PageCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pgc->Pages(i)->Caption(), A(captions[i]));
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(pgc->WindowHandle(), TCM_GETITEMW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(Narrow(text), A(captions[i]));
    }
    EXPECT_EQ(pgc->ActivePage(), form->ts1);
    EXPECT_TRUE(IsWindowVisible(form->ts1->WindowHandle()));
    EXPECT_FALSE(IsWindowVisible(form->ts2->WindowHandle()));
    // Clicking a tab shows exactly that page.
    RECT tab;
    SendMessageW(pgc->WindowHandle(), TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&tab));
    LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageW(pgc->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(pgc->WindowHandle(), WM_LBUTTONUP, 0, at);
    PumpFor(20);
    EXPECT_EQ(pgc->ActivePage(), form->ts3);
    EXPECT_TRUE(IsWindowVisible(form->ts3->WindowHandle()));
    EXPECT_FALSE(IsWindowVisible(form->ts1->WindowHandle()));
}

TEST(MainWindow, HatchShapesBehindEverything) {
    auto form = MakeMainForm();
    struct {
        TShape* shape;
        TTabSheet* page;
        int l, t;
    } shapes[] = {{form->shp2, form->ts1, -18, -8},
                  {form->shp3, form->ts2, -40, -61},
                  {form->shp4, form->ts3, -40, -61},
                  {form->shp5, form->ts4, -40, -61}};
    for (auto& s : shapes) {
        SCOPED_TRACE(s.shape->Name());
        EXPECT_EQ(s.shape->Parent(), s.page);
        EXPECT_EQ(s.page->Controls(0), s.shape);
        EXPECT_EQ(s.shape->Left(), s.l);
        EXPECT_EQ(s.shape->Top(), s.t);
        EXPECT_EQ(s.shape->Width(), 935);
        EXPECT_EQ(s.shape->Height(), 583);
        EXPECT_EQ(s.shape->Brush().Style(), bsDiagCross);
        EXPECT_EQ(s.shape->Pen().Style(), psClear);
    }
    EXPECT_EQ(form->shp1->Shape(), stCircle);
    EXPECT_EQ(form->shp1->Brush().Color(), 0x00FF80);
}

TEST(MainWindow, StepControls) {
    auto form = MakeMainForm();
    struct {
        TControl* c;
        TWinControl* parent;
        int l, t, w, h;
        const char* caption; // null: not checked
    } places[] = {
        {form->btn1, form->ts1, 16, 12, 105, 25, "打开CSS文件"},
        {form->pnl2, form->ts1, 200, 104, 497, 26, nullptr},
        {form->mmo4, form->ts1, 200, 152, 497, 185, nullptr},
        {form->btn2, form->ts2, 16, 12, 105, 25, "分析图片网址"},
        {form->edt1, form->ts2, 131, 15, 185, 20, "background(.*?)url\\((.*?)\\)"},
        {form->lbl3, form->ts2, 16, 48, 65, 13, "共 0 个图片"},
        {form->mmo1, form->ts2, 16, 72, 863, 430, nullptr},
        {form->shp1, form->ts3, 17, 19, 13, 13, nullptr},
        {form->pnl1, form->ts3, 36, 16, 441, 17, nullptr},
        {form->lbl4, form->pnl1, 6, 3, 419, 130, nullptr},
        {form->lbledt1, form->ts3, 141, 42, 734, 20, ""},
        {form->lbledt2, form->ts3, 141, 69, 734, 20, ""},
        {form->btn3, form->ts3, 141, 97, 105, 25, "转换图片地址"},
        {form->btn4, form->ts3, 256, 97, 385, 25,
         "如果上一步中得到的图片地址都是以 http:// 开头的，则点击这里！"},
        {form->mmo2, form->ts3, 19, 128, 856, 371, ""},
        {form->chk1, form->ts4, 16, 16, 329, 17,
         "自动更改CSS文件中的图片路径，并备份原来的CSS文件！"},
        {form->btn5, form->ts4, 16, 40, 105, 25, "开始下载图片"},
        {form->btn6, form->ts4, 136, 44, 97, 25, "保存新的CSS"},
        {form->ListView1, form->ts4, 16, 78, 863, 415, nullptr},
        {form->pnl3, form->ts4, 577, 128, 270, 329, nullptr},
        {form->pnl5, form->ts5, 321, 13, 352, 35, nullptr},
        {form->lbl6, form->pnl5, 14, 5, 339, 24, "建议交流及BUG反馈请点这里！"},
    };
    for (auto& p : places) {
        SCOPED_TRACE(p.c->Name());
        EXPECT_EQ(p.c->Parent(), p.parent);
        EXPECT_EQ(p.c->Left(), p.l);
        EXPECT_EQ(p.c->Top(), p.t);
        EXPECT_EQ(p.c->Width(), p.w);
        EXPECT_EQ(p.c->Height(), p.h);
        if (p.caption) {
            EXPECT_EQ(p.c->Caption(), A(p.caption));
        }
        if (auto* w = dynamic_cast<TWinControl*>(p.c)) {
            // Windows sit where the objects say.
            RECT r;
            GetWindowRect(w->WindowHandle(), &r);
            MapWindowPoints(nullptr, p.parent->WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
            EXPECT_EQ(r.left, p.l);
            EXPECT_EQ(r.top, p.t);
        }
    }
    for (TButton* b : {form->btn1, form->btn2, form->btn3, form->btn5})
        EXPECT_TRUE(b->Font().Style() & fsBold) << b->Name();
    EXPECT_FALSE(form->btn4->Font().Style() & fsBold);
    EXPECT_FALSE(form->btn6->Visible());
    EXPECT_FALSE(form->pnl3->Visible());
    EXPECT_TRUE(form->chk1->Checked());
    EXPECT_TRUE(form->mmo4->ReadOnly());
    EXPECT_FALSE(form->mmo1->ReadOnly());
    EXPECT_EQ(form->mmo1->Anchors(), akLeft | akTop | akRight | akBottom);
    EXPECT_EQ(form->mmo1->ScrollBars(), ssBoth);
    EXPECT_EQ(form->mmo2->ScrollBars(), ssBoth);
    EXPECT_EQ(form->edt1->Caption().size(), 27u);
    EXPECT_EQ(form->lbl3->Font().Height(), -11);
    EXPECT_EQ(form->pnl1->Color(), 0xCEFFFF);
    EXPECT_EQ(form->pnl2->BevelOuter(), bvLowered);
    EXPECT_EQ(form->pnl2->Color(), clWhite);
    EXPECT_EQ(form->lbl4->Cursor(), crHelp);
    EXPECT_EQ(form->lbl4->Font().Color(), clGreen);
    EXPECT_EQ(form->lbledt1->EditLabel().Caption(), A("绝对路径加网址前缀："));
    EXPECT_EQ(form->lbledt2->EditLabel().Caption(), A("相对路径加网址前缀："));
    EXPECT_EQ(form->lbledt1->LabelPosition(), lpLeft);
    EXPECT_LT(form->lbledt1->EditLabel().Left() + form->lbledt1->EditLabel().Width(), 141);
    EXPECT_EQ(form->pnl5->Color(), clYellow);
    EXPECT_EQ(form->lbl6->Hint(), A("点击访问"));
    EXPECT_TRUE(form->lbl6->ShowHint());
    EXPECT_EQ(form->lbl6->Cursor(), crHandPoint);
    EXPECT_EQ(form->lbl6->Font().Name(), A("黑体"));
    EXPECT_EQ(form->lbl6->Font().Height(), -24);
    EXPECT_FALSE(form->lbl1->ShowHint()); // the path labels' hints are prefixes, not tooltips
}

TEST(MainWindow, ListColumnsAndHiddenBuffers) {
    auto form = MakeMainForm();
    TListView* lv = form->ListView1;
    EXPECT_EQ(lv->ViewStyle(), vsReport);
    EXPECT_TRUE(lv->ReadOnly());
    EXPECT_TRUE(lv->RowSelect());
    const char* headers[] = {"编号", "进度", "文件名", "CSS中文件地址"};
    int widths[] = {45, 90, 139, 334};
    ASSERT_EQ(lv->ColumnCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lv->Column(i)->Caption(), A(headers[i]));
        EXPECT_EQ(lv->Column(i)->Width(), widths[i]);
        wchar_t text[64] = {};
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        col.pszText = text;
        col.cchTextMax = 64;
        SendMessageW(lv->WindowHandle(), LVM_GETCOLUMNW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&col));
        EXPECT_EQ(Narrow(text), A(headers[i]));
    }
    EXPECT_TRUE(SendMessageW(lv->WindowHandle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                LVS_EX_FULLROWSELECT);

    EXPECT_FALSE(form->Memo1->Visible());
    EXPECT_FALSE(form->mmo3->Visible());
    EXPECT_EQ(form->Memo1->Lines().Count(), 1);
    EXPECT_EQ(form->Memo1->Lines()[0], "Memo1");
    ASSERT_EQ(form->mmo3->Lines().Count(), 2);
    EXPECT_EQ(form->mmo3->Lines()[1], A("用来存放图片地址，测试转换效果的临时存储！"));
    EXPECT_EQ(form->dlgOpen1->Filter(), "*.css|*.css");
    EXPECT_FALSE(form->tmr1->Enabled());
    EXPECT_EQ(form->tmr1->Interval(), 100u);

    ASSERT_EQ(form->mmo4->Lines().Count(), 14);
    EXPECT_EQ(form->mmo4->Lines()[0], A("功能简介："));
    EXPECT_EQ(form->mmo4->Lines()[1], "");
    EXPECT_EQ(form->mmo4->Lines()[2], A("    本程序主要用于仿站！"));
    EXPECT_EQ(form->mmo4->Lines()[8], A("    使用中有任何问题请到论坛交流，感谢您的建议，谢谢。"));
    // The window shows the same lines.
    EXPECT_EQ(SendMessageW(form->mmo4->WindowHandle(), EM_GETLINECOUNT, 0, 0), 15);
}

TEST(MainWindow, FocusOnShowIsTheOpenButton) {
    auto form = MakeMainForm();
    PumpFor(50);
    EXPECT_EQ(GetFocus(), form->btn1->WindowHandle());
}

TEST(MainWindow, ControlsReachableByWindow) {
    auto form = MakeMainForm();
    for (TWinControl* w : std::initializer_list<TWinControl*>{
             form->btn1, form->mmo1, form->ListView1, form->pgc1, form->ts1}) {
        EXPECT_EQ(TWinControl::FromHandle(w->WindowHandle()), w);
        wchar_t cls[64];
        GetClassNameW(w->WindowHandle(), cls, 64);
        EXPECT_EQ(Narrow(cls), w->ClassName());
    }
}

TEST(MainWindow, TooltipShowsTheLabelHint) {
    auto form = MakeMainForm();
    form->pgc1->SetActivePage(form->ts5);
    PumpFor(20);
    // Move the real mouse over lbl6.
    POINT p{form->lbl6->Left() + 5, form->lbl6->Top() + 5};
    POINT screen = form->lbl6->ClientToScreen(POINT{5, 5});
    SetCursorPos(screen.x, screen.y);
    ASSERT_TRUE(PumpUntil([&] { return Application->MouseControl() == form->lbl6; }, 2000));
    HWND tip = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            tip = FindWindowW(TOOLTIPS_CLASSW, nullptr);
            return tip && IsWindowVisible(tip);
        },
        3000));
    wchar_t text[64] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.lpszText = text;
    ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti)));
    ti.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&ti));
    EXPECT_EQ(Narrow(text), A("点击访问"));
    // The hand cursor belongs to the label.
    EXPECT_EQ(form->pnl5->ControlAtPos(p), form->lbl6);
    // Leaving the label hides the tip.
    screen = form->pnl5->ClientToScreen(POINT{2, 2});
    SetCursorPos(screen.x, screen.y);
    EXPECT_TRUE(PumpUntil([&] { return Application->MouseControl() == form->pnl5; }, 2000));
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST(MainWindow, HelpLabelClickReachesTheLabel) {
    auto form = MakeMainForm();
    form->pgc1->SetActivePage(form->ts3);
    int clicks = 0;
    form->lbl4->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, form->lbl4);
        ++clicks;
    };
    HWND panel = form->pnl1->WindowHandle();
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
    EXPECT_EQ(clicks, 1);
    // Released outside the label: no click.
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(3000, 8));
    EXPECT_EQ(clicks, 1);
}

TEST(MainWindow, CarriesAndLoadsTheProductSkin) {
    auto form = MakeMainForm();
    TSkinData* skin = form->SkinData1;
    EXPECT_TRUE(skin->Active());
    EXPECT_FALSE(skin->SkinNotLoaded);
    ASSERT_TRUE(skin->FrameTop);
    ASSERT_TRUE(skin->FrameLeft);
    EXPECT_FALSE(skin->SysButtons.empty());
    EXPECT_EQ(GetOrdProp(*skin, "DisableTag"), 99);
    EXPECT_EQ(GetEnumProp(*skin, "SkinFormtype"), "sfMainform");
}
