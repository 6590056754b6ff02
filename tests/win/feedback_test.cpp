#include "app_fixture.h"

#include "app/shell_open.h"
#include "app/web_addresses.h"
#include "toolkit/win_text.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

void ShowPage(TForm1& form, TTabSheet* page) {
    // The way a user does it: a click on the page's tab.
    HWND tabs = form.pgc1->WindowHandle();
    RECT r;
    SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(page->PageIndex()),
                 reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(tabs, WM_LBUTTONUP, 0, at);
    PumpFor(20);
}

} // namespace

TEST(FeedbackPage, EveryShowingNavigatesAgain) {
    auto form = MakeMainForm();
    EXPECT_EQ(form->wb2->NavigationCount(), 0);
    ShowPage(*form, form->ts5);
    EXPECT_EQ(form->pgc1->ActivePage(), form->ts5);
    EXPECT_EQ(form->wb2->NavigationCount(), 1);
    EXPECT_EQ(form->wb2->LastUrl(), Widen(kGuestBookUrl));
    ShowPage(*form, form->ts1);
    ShowPage(*form, form->ts5);
    EXPECT_EQ(form->wb2->NavigationCount(), 2);
    ASSERT_NE(form->wb2->Host(), nullptr);
    EXPECT_EQ(form->wb2->Host()->NavigationCount(), 2);
    // The browser fills the page, under the yellow panel.
    RECT page, browser;
    GetClientRect(form->ts5->WindowHandle(), &page);
    GetClientRect(form->wb2->WindowHandle(), &browser);
    EXPECT_EQ(browser.right, page.right);
    EXPECT_EQ(browser.bottom, page.bottom);
    POINT inPanel = form->pnl5->ClientToScreen(POINT{20, 10});
    HWND hit = WindowFromPoint(inPanel);
    EXPECT_TRUE(hit == form->pnl5->WindowHandle() || IsChild(form->pnl5->WindowHandle(), hit));
}

TEST(FeedbackPage, LabelOpensTheBoardAndLeavesThePage) {
    auto form = MakeMainForm();
    ShowPage(*form, form->ts5);
    std::vector<std::pair<HWND, std::string>> opened;
    SetShellOpenFunction(
        [&](HWND owner, const std::string& target) { opened.emplace_back(owner, target); });
    HWND panel = form->pnl5->WindowHandle();
    POINT p{form->lbl6->Left() + 10, form->lbl6->Top() + 10};
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    SetShellOpenFunction(nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, form->WindowHandle());
    EXPECT_EQ(opened[0].second, kDiscussionBoardUrl);
    EXPECT_EQ(form->wb2->NavigationCount(), 1);
    EXPECT_EQ(form->wb2->LastUrl(), Widen(kGuestBookUrl));
}

TEST(FeedbackPage, HonestNoticeWithoutAnHtmlEngine) {
    auto form = MakeMainForm();
    ShowPage(*form, form->ts5);
    WebBrowserHost* host = form->wb2->Host();
    ASSERT_NE(host, nullptr);
    if (host->EngineLive()) GTEST_SKIP() << "an HTML engine is installed here";
    std::wstring notice = host->NoticeText();
    EXPECT_NE(notice.find(Widen(kGuestBookUrl)), std::wstring::npos);
    EXPECT_TRUE(IsWindowVisible(host->Handle()));
}
