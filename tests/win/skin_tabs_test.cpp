// Tab controls, page controls, tab sets and tab sheets drawn from the skin, read back from the
// windows under Wine: the current tab's frame, tabs at each edge flipped or turned with their
// pane, the scroll arrows left to their own skinned up-down, close boxes, sheets on the face
// colour with their graphic controls; page switching, page events and focus as without the
// skin; no GDI or USER objects left behind by page switches.
#include "message_log.h"
#include "skinned_form.h"

#include "skin/controls/skin_tabs.h"
#include "skin/controls/skin_updown.h"
#include "skin/form/skin_messages.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/handles.h"
#include "toolkit/stdctrls.h"
#include "toolkit/subclass.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace testskins;
using namespace skintest;

namespace {

RECT TabRect(HWND tabs, int i) {
    RECT r{};
    SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
}

// The display rectangle the pane is drawn over.
RECT PaneRect(HWND tabs, TSkinTabPosition position) {
    RECT r;
    GetClientRect(tabs, &r);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    InflateRect(&r, 4, 4);
    if (position == kTabsTop) r.top += 1;
    if (position == kTabsBottom) r.bottom -= 1;
    if (position == kTabsLeft) r.left += 1;
    if (position == kTabsRight) r.right -= 1;
    return r;
}

void Click(HWND wnd, POINT p) {
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    PumpFor(10);
}

POINT Centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

struct TabForm : SkinnedForm {
    explicit TabForm(const std::vector<std::uint8_t>& store = SmallControlsSkinStore())
        : SkinnedForm(store, 560, 420, 80, 80) {}
    TPageControl* Pages(int x, int y, int w, int h, TTabStyle style, int count = 3) {
        auto* pc = new TPageControl(form.get());
        pc->SetParent(form.get());
        pc->SetBounds(x, y, w, h);
        pc->SetStyle(style);
        for (int i = 0; i < count; ++i) {
            auto* sheet = new TTabSheet(form.get());
            sheet->SetCaption(std::string("Page ") + char('A' + i));
            sheet->SetParent(pc);
        }
        return pc;
    }
    TTabControl* Tabs(int x, int y, int w, int h, TTabPosition position, int count = 3) {
        auto* tc = new TTabControl(form.get());
        tc->SetParent(form.get());
        tc->SetBounds(x, y, w, h);
        tc->SetTabPosition(position);
        for (int i = 0; i < count; ++i) tc->Tabs().Add(std::string("Tab ") + char('A' + i));
        tc->SetTabIndex(1);
        return tc;
    }
};

// Rows (or columns when `across`) of the line through `at` inside r that have the colour.
std::vector<int> Where(HWND wnd, const RECT& r, int at, bool across, TColor colour) {
    std::vector<int> out;
    for (int v = across ? r.left : r.top; v < (across ? r.right : r.bottom); ++v)
        if (PixelAt(wnd, across ? v : at, across ? at : v) == colour) out.push_back(v);
    return out;
}

} // namespace

TEST(SkinTabs, FrameRules) {
    EXPECT_EQ(TabFrame(true, 5), 2);
    EXPECT_EQ(TabFrame(true, 2), 2);
    EXPECT_EQ(TabFrame(false, 2), 1);
    EXPECT_EQ(TabFrame(true, 1), 1); // a one-frame strip
    EXPECT_EQ(TabButtonFrame(true), 2);
    EXPECT_EQ(TabButtonFrame(false), 1);
}

TEST(SkinTabs, RowGeometryOfEachPosition) {
    const RECT tab = {10, 2, 50, 22};
    EXPECT_EQ(TabPositionOfStyle(0), kTabsTop);
    EXPECT_EQ(TabPositionOfStyle(TCS_BOTTOM), kTabsBottom);
    EXPECT_EQ(TabPositionOfStyle(TCS_VERTICAL), kTabsLeft);
    EXPECT_EQ(TabPositionOfStyle(TCS_VERTICAL | TCS_BOTTOM), kTabsRight);
    RECT top = TabRectInRow(kTabsTop, tab, 0, 0, 0);
    EXPECT_EQ(top.top, 3);
    EXPECT_EQ(top.bottom, 23);
    RECT bottom = TabRectInRow(kTabsBottom, {10, 102, 50, 122}, 0, 0, 100);
    EXPECT_EQ(bottom.top, 1);
    RECT left = TabRectInRow(kTabsLeft, {2, 10, 22, 50}, 200, 0, 0);
    EXPECT_EQ(left.left, 150);
    EXPECT_EQ(left.right, 190);
    EXPECT_EQ(left.top, 2);
    EXPECT_EQ(left.bottom, 22);
    RECT right = TabRectInRow(kTabsRight, {178, 10, 198, 50}, 0, 200, 0);
    EXPECT_EQ(right.left, 9);
    EXPECT_EQ(right.top, 2);
    EXPECT_EQ(right.bottom, 22);
    RECT box = CloseBoxOf(tab);
    EXPECT_EQ(box.left, 42);
    EXPECT_EQ(box.top, 4);
    EXPECT_EQ(box.right, 48);
    EXPECT_EQ(box.bottom, 10);
}

TEST(SkinTabs, FlatButtonRowShowsTheCurrentTabPressedAndFollowsTheMouse) {
    TabForm t;
    auto* pc = t.Pages(10, 10, 400, 200, tsFlatButtons);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinTabBtn>(pc), nullptr);
    for (int i = 0; i < pc->PageCount(); ++i)
        EXPECT_NE(t.ObjectOf<TSkinTabSheet>(pc->Pages(i)), nullptr);
    HWND wnd = pc->WindowHandle();
    auto frameAt = [&](int i) {
        RECT r = TabRect(wnd, i);
        return PixelAt(wnd, r.left + 2, r.top + 3);
    };
    RefreshClient(wnd);
    EXPECT_EQ(frameAt(0), kPushFrames[1]);
    EXPECT_EQ(frameAt(1), kPushFrames[0]);
    EXPECT_EQ(frameAt(2), kPushFrames[0]);
    Click(wnd, Centre(TabRect(wnd, 2)));
    EXPECT_EQ(pc->ActivePage(), pc->Pages(2));
    EXPECT_TRUE(IsWindowVisible(pc->Pages(2)->WindowHandle()));
    EXPECT_FALSE(IsWindowVisible(pc->Pages(0)->WindowHandle()));
    RefreshClient(wnd);
    EXPECT_EQ(frameAt(0), kPushFrames[0]);
    EXPECT_EQ(frameAt(2), kPushFrames[1]);
    // Under the mouse and with the control disabled the other tabs keep the normal frame.
    SendMessageW(wnd, WM_MOUSEMOVE, 0,
                 MAKELPARAM(Centre(TabRect(wnd, 1)).x, Centre(TabRect(wnd, 1)).y));
    EXPECT_EQ(frameAt(1), kPushFrames[0]);
    EXPECT_EQ(frameAt(0), kPushFrames[0]);
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(frameAt(1), kPushFrames[0]);
    pc->SetEnabled(false);
    RefreshClient(wnd);
    EXPECT_EQ(frameAt(1), kPushFrames[0]);
    EXPECT_EQ(frameAt(2), kPushFrames[1]);
    pc->SetEnabled(true);
    RefreshClient(wnd);
    // Between the row and the page: the face colour.
    const RECT page = pc->DisplayRect();
    EXPECT_EQ(PixelAt(wnd, page.left + 20, page.top - 1), kFace);
}

TEST(SkinTabs, TopTabsCurrentFrameCaptionsAndPane) {
    TabForm t;
    auto* tc = t.Tabs(10, 10, 300, 150, tpTop);
    auto* edit = new TEdit(t.form.get());
    edit->SetParent(t.form.get());
    edit->SetBounds(10, 200, 100, 22);
    t.Apply();
    auto* s = t.ObjectOf<TSkinTab>(tc);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Kind(), 2); // a tab control, not a page control
    HWND wnd = tc->WindowHandle();
    edit->SetFocus();
    PumpFor(5);
    RefreshClient(wnd);
    for (int i = 0; i < 3; ++i) {
        RECT r = TabRect(wnd, i);
        const TColor frame = i == 1 ? kTabFrames[1] : kTabFrames[0];
        EXPECT_EQ(PixelAt(wnd, r.left + 4, r.top + 1 + kTabOuterRows + 1), frame) << i;
        // The outer edge is on top.
        std::vector<int> outer =
            Where(wnd, {0, r.top - 2, 0, r.bottom + 2}, r.left + 4, false, kTabOuter);
        ASSERT_FALSE(outer.empty()) << i;
        EXPECT_LT(outer.back(), (r.top + r.bottom) / 2) << i;
        // Captions in the normal and the current colour.
        EXPECT_GT(Count(wnd, r, i == 1 ? kTabCurrentText : kTabText), 5) << i;
        EXPECT_EQ(Count(wnd, r, i == 1 ? kTabText : kTabCurrentText), 0) << i;
    }
    const RECT pane = PaneRect(wnd, kTabsTop);
    EXPECT_EQ(PixelAt(wnd, pane.left + 20, pane.top), kPaneTop);
    EXPECT_EQ(PixelAt(wnd, pane.left + 20, pane.top + 2), kPaneTop);
    EXPECT_EQ(PixelAt(wnd, pane.left, pane.top + 30), kPaneEdge);
    EXPECT_EQ(PixelAt(wnd, pane.right - 1, pane.top + 30), kPaneEdge);
    EXPECT_EQ(PixelAt(wnd, pane.left + 20, pane.bottom - 1), kPaneEdge);
    EXPECT_EQ(PixelAt(wnd, pane.left + 40, pane.top + 40), kPaneFill);
    // Under the current tab the pane's edge gives way: the tab opens into the pane.
    const RECT current = TabRect(wnd, 1);
    EXPECT_EQ(PixelAt(wnd, current.left + 5, pane.top), kTabFrames[1]);
    EXPECT_EQ(PixelAt(wnd, current.left + 5, pane.top + 4), kTabFrames[1]);
    EXPECT_EQ(PixelAt(wnd, current.left + 5, pane.top + 5), kPaneFill);
    EXPECT_EQ(PixelAt(wnd, TabRect(wnd, 0).left + 5, pane.top), kPaneTop);
    auto frameAt = [&](int i) {
        RECT r = TabRect(wnd, i);
        return PixelAt(wnd, r.left + 4, r.top + 1 + kTabOuterRows + 1);
    };
    // The current tab of the focused control, and a tab under the real mouse: the strip's
    // other frames are never shown.
    tc->SetFocus();
    PumpFor(5);
    EXPECT_EQ(frameAt(1), kTabFrames[1]);
    const POINT over = tc->ClientToScreen(Centre(TabRect(wnd, 0)));
    SetCursorPos(over.x, over.y);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(Centre(TabRect(wnd, 0)).x, 10));
    EXPECT_EQ(s->HotTab(), 0);
    EXPECT_EQ(frameAt(0), kTabFrames[0]);
    EXPECT_EQ(frameAt(2), kTabFrames[0]);
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    SetCursorPos(2, 2);
    EXPECT_EQ(s->HotTab(), -1);
    EXPECT_EQ(frameAt(0), kTabFrames[0]);
    edit->SetFocus();
    PumpFor(5);
    EXPECT_EQ(frameAt(1), kTabFrames[1]);
    // Disabled: the tabs keep their frames.
    tc->SetEnabled(false);
    RefreshClient(wnd);
    EXPECT_EQ(frameAt(0), kTabFrames[0]);
    EXPECT_EQ(frameAt(1), kTabFrames[1]);
    tc->SetEnabled(true);
    RefreshClient(wnd);
    // Another tab chosen by the mouse, then by the keyboard, becomes the current frame and
    // the pane opens under it and closes under the old one, with nothing forcing a repaint.
    auto openUnder = [&](int i) { return PixelAt(wnd, TabRect(wnd, i).left + 5, pane.top); };
    Click(wnd, Centre(TabRect(wnd, 2)));
    EXPECT_EQ(tc->TabIndex(), 2);
    EXPECT_EQ(frameAt(2), kTabFrames[1]);
    EXPECT_EQ(openUnder(2), kTabFrames[1]);
    EXPECT_EQ(openUnder(1), kPaneTop);
    EXPECT_EQ(frameAt(1), kTabFrames[0]);
    SendMessageW(wnd, WM_KEYDOWN, VK_LEFT, 0x014B0001);
    SendMessageW(wnd, WM_KEYUP, VK_LEFT, 0xC14B0001);
    PumpFor(10);
    EXPECT_EQ(tc->TabIndex(), 1);
    EXPECT_EQ(openUnder(1), kTabFrames[1]);
    EXPECT_EQ(openUnder(2), kPaneTop);
    edit->SetFocus();
    PumpFor(5);
    EXPECT_EQ(frameAt(1), kTabFrames[1]);
    EXPECT_EQ(frameAt(2), kTabFrames[0]);
}

TEST(SkinTabs, AStripOfTwoFramesShowsNormalAndCurrent) {
    TabForm t(SmallControlsSkinStoreWith(2));
    auto* tc = t.Tabs(10, 10, 300, 150, tpTop);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinTab>(tc), nullptr);
    HWND wnd = tc->WindowHandle();
    auto frameAt = [&](int i) {
        RECT r = TabRect(wnd, i);
        return PixelAt(wnd, r.left + 4, r.top + 1 + kTabOuterRows + 1);
    };
    auto check = [&](const char* when) {
        for (int i = 0; i < 3; ++i) {
            RECT r = TabRect(wnd, i);
            EXPECT_EQ(frameAt(i), i == 1 ? kTabFrames[1] : kTabFrames[0]) << when << " " << i;
            // Each tab shows one whole frame: its outer edge runs across the tab.
            EXPECT_EQ(PixelAt(wnd, r.right - 4, r.top + 2), kTabOuter) << when << " " << i;
            EXPECT_EQ(PixelAt(wnd, r.right - 4, r.top + 1 + kTabOuterRows + 1), frameAt(i))
                << when << " " << i;
        }
    };
    RefreshClient(wnd);
    check("unfocused");
    tc->SetFocus();
    PumpFor(5);
    check("focused");
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(Centre(TabRect(wnd, 0)).x, 10));
    check("hot");
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    tc->SetEnabled(false);
    RefreshClient(wnd);
    check("disabled");
}

TEST(SkinTabs, WithoutAPaneImageThePaneIsTheFace) {
    TabForm t;
    t.data->Tab->Bitmap2 = std::make_unique<TBitmap>();
    t.data->TabPane.reset();
    auto* tc = t.Tabs(10, 10, 300, 150, tpTop);
    // Something else on screen first, so an unpainted pane would show it.
    t.Show();
    HWND wnd = tc->WindowHandle();
    HDC dc = GetDC(wnd);
    RECT all;
    GetClientRect(wnd, &all);
    UniqueBrush red(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(dc, &all, red.get());
    ReleaseDC(wnd, dc);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinTab>(tc), nullptr);
    RefreshClient(wnd);
    const RECT pane = PaneRect(wnd, kTabsTop);
    EXPECT_EQ(Count(wnd, pane, TColor(0x0000FF)), 0);
    EXPECT_EQ(PixelAt(wnd, (pane.left + pane.right) / 2, (pane.top + pane.bottom) / 2), kFace);
}

TEST(SkinTabs, BottomTabsAreFlippedAndSideTabsTurnedWithTheirPanes) {
    TabForm t;
    auto* bottom = t.Tabs(10, 10, 250, 150, tpBottom);
    auto* left = t.Tabs(270, 10, 120, 250, tpLeft);
    auto* right = t.Tabs(400, 10, 120, 250, tpRight);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinTab>(bottom), nullptr);
    EXPECT_EQ(t.ObjectOf<TSkinTab>(bottom)->Position(), kTabsBottom);
    EXPECT_EQ(t.ObjectOf<TSkinTab>(left)->Position(), kTabsLeft);
    EXPECT_EQ(t.ObjectOf<TSkinTab>(right)->Position(), kTabsRight);
    HWND b = bottom->WindowHandle();
    RefreshClient(b);
    for (int i = 0; i < 3; ++i) {
        RECT r = TabRect(b, i);
        std::vector<int> outer =
            Where(b, {0, r.top - 2, 0, r.bottom + 2}, r.left + 4, false, kTabOuter);
        ASSERT_FALSE(outer.empty()) << i;
        EXPECT_GT(outer.front(), (r.top + r.bottom) / 2) << i;
    }
    RECT pane = PaneRect(b, kTabsBottom);
    EXPECT_EQ(PixelAt(b, pane.left + 20, pane.bottom - 1), kPaneTop);
    EXPECT_EQ(PixelAt(b, pane.left + 20, pane.top), kPaneEdge);

    for (TTabControl* side : {left, right}) {
        const bool isLeft = side == left;
        HWND wnd = side->WindowHandle();
        RefreshClient(wnd);
        for (int i = 0; i < 3; ++i) {
            RECT r = TabRect(wnd, i);
            ASSERT_GT(r.bottom - r.top, r.right - r.left) << "tabs stand upright";
            std::vector<int> outer =
                Where(wnd, {r.left - 2, 0, r.right + 2, 0}, r.top + 4, true, kTabOuter);
            ASSERT_FALSE(outer.empty()) << isLeft << i;
            const int mid = (r.left + r.right) / 2;
            if (isLeft)
                EXPECT_LT(outer.back(), mid) << i;
            else
                EXPECT_GT(outer.front(), mid) << i;
            // The caption runs along the tab: its pixels spread further down than across.
            const TColor text = i == 1 ? kTabCurrentText : kTabText;
            int minY = 10000, maxY = -1, minX = 10000, maxX = -1;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    if (PixelAt(wnd, x, y) == text) {
                        minY = std::min(minY, y), maxY = std::max(maxY, y);
                        minX = std::min(minX, x), maxX = std::max(maxX, x);
                    }
            ASSERT_GE(maxY, 0) << i;
            EXPECT_GT(maxY - minY, maxX - minX) << i;
        }
        RECT p = PaneRect(wnd, isLeft ? kTabsLeft : kTabsRight);
        const int y = (p.top + p.bottom) / 2;
        EXPECT_EQ(PixelAt(wnd, isLeft ? p.left : p.right - 1, y), kPaneTop) << isLeft;
        EXPECT_EQ(PixelAt(wnd, isLeft ? p.right - 1 : p.left, y), kPaneEdge) << isLeft;
    }
}

TEST(SkinTabs, ScrollArrowsGetTheirOwnSkinAndAreNotPaintedOver) {
    TabForm t;
    auto* tc = t.Tabs(10, 10, 140, 120, tpTop, 9);
    t.Apply();
    HWND wnd = tc->WindowHandle();
    HWND arrows = FindWindowExW(wnd, nullptr, UPDOWN_CLASSW, nullptr);
    ASSERT_TRUE(arrows) << "nine tabs do not fit in 140 pixels";
    auto* s = t.ObjectOf<TSkinTab>(tc);
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->UpDown(), nullptr);
    EXPECT_TRUE(s->UpDown()->ForceHorizontal());
    EXPECT_EQ(s->UpDown()->Handle(), arrows);
    // Without the clipping of children only the skin object keeps its drawing off the arrows,
    // and only the tab control repaints.
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~WS_CLIPCHILDREN);
    SetCursorPos(2, 2);
    RefreshClient(arrows);
    RefreshClient(wnd);
    RECT a;
    GetClientRect(arrows, &a);
    EXPECT_EQ(PixelAt(arrows, a.right / 4, a.bottom / 2), kSpinFrames[0]);
    EXPECT_EQ(PixelAt(arrows, a.right * 3 / 4, a.bottom / 2), kSpinFrames[4]);
    for (TColor c : kTabFrames) EXPECT_EQ(Count(arrows, a, c), 0);
    // Scrolling through the arrows keeps the tabs drawn.
    SendMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.right * 3 / 4, a.bottom / 2));
    SendMessageW(arrows, WM_LBUTTONUP, 0, MAKELPARAM(a.right * 3 / 4, a.bottom / 2));
    PumpFor(10);
    RefreshClient(wnd);
    EXPECT_GT(Count(wnd, {0, 0, 60, 20}, kTabFrames[0]) + Count(wnd, {0, 0, 60, 20}, kTabFrames[1]),
              20);
}

TEST(SkinTabs, CloseBoxesAskTheFormAndCloseThePage) {
    TabForm t;
    auto* pc = t.Pages(10, 10, 400, 200, tsTabs);
    pc->SetTag(kCloseBoxTag);
    t.Apply();
    auto* s = t.ObjectOf<TSkinTab>(pc);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(s->CloseBoxes());
    HWND wnd = pc->WindowHandle();
    RefreshClient(wnd);
    ASSERT_EQ(s->ItemRects().size(), 3u);
    const RECT box = s->ItemRects()[1];
    EXPECT_FALSE(IsRectEmpty(&box));
    EXPECT_GT(Count(wnd, {box.left, box.top, box.right + 1, box.bottom + 1}, kTabText), 8);
    // The form's window is asked first; a non-zero answer keeps the page.
    LRESULT answer = 1;
    std::vector<std::pair<WPARAM, LPARAM>> asked;
    TWindowSubclass formHook;
    formHook.Attach(t.form->WindowHandle(), [&](TMessage& m) {
        if (m.Msg == WM_SKIN_CLOSETAB) {
            asked.emplace_back(m.WParam, m.LParam);
            m.Result = answer;
            return;
        }
        formHook.CallPrevious(m);
    });
    Click(wnd, Centre(box));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, reinterpret_cast<WPARAM>(wnd));
    EXPECT_EQ(asked[0].second, 1);
    EXPECT_EQ(pc->PageCount(), 3);
    EXPECT_EQ(pc->ActivePageIndex(), 0); // the click went no further
    answer = 0;
    Click(wnd, Centre(box));
    EXPECT_EQ(asked.size(), 2u);
    ASSERT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(pc->Pages(0)->Caption(), "Page A");
    EXPECT_EQ(pc->Pages(1)->Caption(), "Page C");
    // Elsewhere on a tab the click switches pages as usual.
    RefreshClient(wnd);
    Click(wnd, {TabRect(wnd, 1).left + 4, Centre(TabRect(wnd, 1)).y});
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(pc->ActivePageIndex(), 1);
    formHook.Detach();
    // Without the tag: no boxes.
    TabForm plain;
    auto* other = plain.Pages(10, 10, 400, 200, tsTabs);
    plain.Apply();
    EXPECT_FALSE(plain.ObjectOf<TSkinTab>(other)->CloseBoxes());
}

TEST(SkinTabs, SheetsShowTheFaceColourWithTheirLabelsAndShapes) {
    TabForm t;
    auto* pc = t.Pages(10, 10, 400, 250, tsTabs, 2);
    TTabSheet* sheet = pc->Pages(0);
    auto* shape = new TShape(t.form.get());
    shape->SetParent(sheet);
    shape->SetBounds(10, 10, 40, 40);
    shape->Brush().SetColor(0x3050F0);
    auto* label = new TLabel(t.form.get());
    label->SetParent(sheet);
    label->SetBounds(70, 10, 100, 20);
    label->SetCaption("Label text");
    label->Font().SetColor(0x00AA00);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinTabSheet>(sheet), nullptr);
    HWND wnd = sheet->WindowHandle();
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 30, 30), 0x3050F0);
    EXPECT_GT(Count(wnd, {70, 10, 170, 30}, 0x00AA00), 5);
    EXPECT_EQ(PixelAt(wnd, 300, 150), kFace);
    EXPECT_EQ(PixelAt(wnd, 5, 150), kFace);
    // Printed (as a parent's background is), the same.
    TBitmap print(400, 250);
    SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(print.Canvas().Handle()),
                 PRF_CLIENT);
    EXPECT_EQ(print.Pixel(300, 150), kFace);
    EXPECT_EQ(print.Pixel(30, 30), 0x3050F0);
}

TEST(SkinTabs, SwitchingPagesBehavesAsWithoutTheSkin) {
    std::vector<UINT> seen[2];
    int shows[2] = {0, 0};
    HWND focus[2] = {};
    int afterKey[2] = {-1, -1};
    for (int skinned = 0; skinned < 2; ++skinned) {
        TabForm t;
        auto* pc = t.Pages(10, 10, 400, 200, tsFlatButtons);
        auto* edit = new TEdit(t.form.get());
        edit->SetParent(pc->Pages(1));
        edit->SetBounds(10, 10, 100, 22);
        pc->Pages(1)->OnShow = [&](TObject*) { ++shows[skinned]; };
        t.form->Show();
        PumpFor(10);
        std::vector<UINT> ignore = MessageLog::DefaultIgnored();
        for (UINT m : {UINT(WM_PAINT), UINT(WM_ERASEBKGND), UINT(WM_NCPAINT), UINT(WM_PRINTCLIENT),
                       UINT(WM_CTLCOLORSTATIC), CN_CTLCOLORSTATIC, WM_SKIN_QUERY, UINT(WM_GETFONT),
                       UINT(TCM_GETITEMCOUNT), UINT(TCM_GETCURFOCUS), UINT(TCM_GETCURSEL),
                       UINT(TCM_GETIMAGELIST), UINT(TCM_GETITEMW), UINT(TCM_GETITEMA),
                       UINT(TCM_GETITEMRECT), UINT(TCM_ADJUSTRECT)})
            ignore.push_back(m);
        MessageLog log(ignore);
        TWndProcHook recorder;
        recorder.Install(*pc, [&](TMessage& m) {
            log.Record(m.Msg);
            recorder.CallPrevious(m);
        });
        if (skinned) {
            t.Apply();
            ASSERT_EQ(pc->Perform(WM_SKIN_QUERY), 1);
        }
        log.Clear();
        HWND wnd = pc->WindowHandle();
        Click(wnd, Centre(TabRect(wnd, 1)));
        EXPECT_EQ(pc->ActivePageIndex(), 1);
        focus[skinned] = GetFocus();
        SetFocus(edit->WindowHandle());
        PumpFor(5);
        seen[skinned] = log.Messages();
        // Ctrl+Tab through the message loop, as the keyboard sends it.
        SetForegroundWindow(t.form->WindowHandle());
        SetFocus(wnd);
        PumpFor(5);
        keybd_event(VK_CONTROL, 0, 0, 0);
        keybd_event(VK_TAB, 0, 0, 0);
        keybd_event(VK_TAB, 0, KEYEVENTF_KEYUP, 0);
        keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
        PumpFor(30);
        afterKey[skinned] = pc->ActivePageIndex();
        recorder.Remove();
    }
    EXPECT_FALSE(seen[0].empty());
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(shows[0], 1);
    EXPECT_EQ(shows[1], shows[0]);
    EXPECT_NE(focus[0], nullptr);
    EXPECT_EQ(afterKey[0], 2); // Ctrl+Tab turned to the next page
    EXPECT_EQ(afterKey[1], afterKey[0]);
}

TEST(SkinTabs, AThousandPageSwitchesLeaveNoObjectsBehind) {
    TabForm t(ProductSkinStore());
    auto* pc = t.Pages(10, 10, 400, 250, tsFlatButtons, 5);
    auto* tabs = t.Tabs(10, 270, 300, 100, tpTop, 4);
    t.Apply();
    ASSERT_EQ(pc->Perform(WM_SKIN_QUERY), 1);
    ASSERT_EQ(tabs->Perform(WM_SKIN_QUERY), 1);
    auto cycle = [&](int n) {
        for (int i = 0; i < n; ++i) {
            pc->SetActivePageIndex(i % 5);
            tabs->SetTabIndex(i % 4);
            UpdateWindow(pc->WindowHandle());
            UpdateWindow(pc->ActivePage()->WindowHandle());
            UpdateWindow(tabs->WindowHandle());
        }
        PumpFor(5);
    };
    cycle(20);
    const GuiCounts before = CurrentGuiCounts();
    cycle(1000);
    const GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, before.gdi + 2);
    EXPECT_EQ(after.user, before.user);
}

TEST(SkinTabs, TabSetDrawsFlippedTabsWhereTheSetPlacesThem) {
    TabForm t;
    auto* set = new TTabSet(t.form.get());
    set->SetParent(t.form.get());
    set->SetBounds(10, 10, 300, 22);
    for (const char* s : {"One", "Two", "Three"}) set->Tabs().Add(s);
    set->SetTabIndex(1);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinTab31>(set), nullptr);
    HWND wnd = set->WindowHandle();
    RefreshClient(wnd);
    for (int i = 0; i < 3; ++i) {
        RECT r = set->TabRect(i);
        ASSERT_FALSE(IsRectEmpty(&r));
        EXPECT_EQ(PixelAt(wnd, r.left + 1, 5), i == 1 ? kTabFrames[1] : kTabFrames[0]) << i;
        // Hanging from the top: the outer edge at the bottom.
        EXPECT_EQ(PixelAt(wnd, r.left + 4, r.bottom - 1), kTabOuter) << i;
        EXPECT_NE(PixelAt(wnd, r.left + 4, r.top), kTabOuter) << i;
    }
    // Past the last tab: the face colour.
    EXPECT_EQ(PixelAt(wnd, 295, 10), kFace);
}

TEST(SkinTabs, TabSetLeavesRoomForItsScroller) {
    TabForm t;
    auto* set = new TTabSet(t.form.get());
    set->SetParent(t.form.get());
    set->SetBounds(10, 10, 300, 22);
    for (const char* s : {"One", "i"}) set->Tabs().Add(s);
    set->SetTabIndex(0);
    // The scroller is the set's first owned control.
    auto* scroller = new TUpDown(set);
    scroller->SetParent(t.form.get());
    scroller->SetBounds(320, 10, 30, 22);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinTab31>(set), nullptr);
    HWND wnd = set->WindowHandle();
    const RECT first = set->TabRect(0), narrow = set->TabRect(1);
    const int width = narrow.right - narrow.left;
    ASSERT_LT(width, 20); // a tab narrower than the room the scroller asks for
    auto drawnWithRoom = [&](int room, bool scrolling) {
        set->SetEndMargin(300 - first.right - room);
        scroller->SetVisible(scrolling);
        RefreshClient(wnd);
        return PixelAt(wnd, first.right + 1, 5) == kTabFrames[0];
    };
    EXPECT_TRUE(drawnWithRoom(width, false));
    EXPECT_FALSE(drawnWithRoom(width - 1, false));
    EXPECT_TRUE(drawnWithRoom(21, true));
    EXPECT_FALSE(drawnWithRoom(20, true));
    EXPECT_TRUE(drawnWithRoom(20, false));
    EXPECT_EQ(PixelAt(wnd, first.left + 1, 5), kTabFrames[1]);
}

TEST(SkinTabs, ADamagedSkinLeavesTabsUnskinnedAndWorking) {
    TabForm t(DamagedStore());
    auto* pc = t.Pages(10, 10, 400, 200, tsFlatButtons);
    auto* tc = t.Tabs(10, 220, 300, 100, tpTop);
    t.Apply();
    EXPECT_EQ(pc->Perform(WM_SKIN_QUERY), 0);
    EXPECT_EQ(tc->Perform(WM_SKIN_QUERY), 0);
    EXPECT_EQ(pc->Pages(0)->Perform(WM_SKIN_QUERY), 0);
    Click(pc->WindowHandle(), Centre(TabRect(pc->WindowHandle(), 2)));
    EXPECT_EQ(pc->ActivePageIndex(), 2);
    Click(tc->WindowHandle(), Centre(TabRect(tc->WindowHandle(), 0)));
    EXPECT_EQ(tc->TabIndex(), 0);
}

TEST(SkinTabs, TheWizardsPageRowAndPagesAreSkinnedAndSwitchAsBefore) {
    auto form = MakeMainForm();
    PumpFor(20);
    TPageControl* pgc = form->pgc1;
    ASSERT_EQ(pgc->Perform(WM_SKIN_QUERY), 1);
    for (int i = 0; i < pgc->PageCount(); ++i) EXPECT_EQ(pgc->Pages(i)->Perform(WM_SKIN_QUERY), 1);
    HWND wnd = pgc->WindowHandle();
    RefreshClient(wnd);
    // The current tab's frame differs from the others', which are alike.
    auto at = [&](int i) {
        RECT r = TabRect(wnd, i);
        return PixelAt(wnd, r.left + 3, (r.top + r.bottom) / 2);
    };
    EXPECT_NE(at(0), at(1));
    EXPECT_EQ(at(1), at(2));
    int shows = 0;
    TNotifyEvent original = form->ts5->OnShow;
    ASSERT_TRUE(static_cast<bool>(original));
    form->ts5->OnShow = [&](TObject* sender) {
        ++shows;
        original(sender);
    };
    Click(wnd, Centre(TabRect(wnd, 4)));
    EXPECT_EQ(pgc->ActivePage(), form->ts5);
    EXPECT_EQ(shows, 1);
    RefreshClient(wnd);
    EXPECT_NE(at(4), at(1));
    Click(wnd, Centre(TabRect(wnd, 0)));
    EXPECT_EQ(pgc->ActivePage(), form->ts1);
    EXPECT_TRUE(IsWindowVisible(form->ts1->WindowHandle()));
    EXPECT_FALSE(IsWindowVisible(form->ts5->WindowHandle()));
}
