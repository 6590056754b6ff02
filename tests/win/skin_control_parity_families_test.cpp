// Parity of the other control families: tabs, edits, combo boxes and pickers, track bars,
// progress bars, panels, group boxes, status bars and list views. Each family is a table of
// gestures made with real input (press, drag off and back, release; a press whose focus is
// taken; a click on the disabled control; the wheel; the keys), run on the system's control and
// on the skinned one, on the product skin and on a test skin of the family's own geometry; the
// state each ends in and the messages the control's previous procedure saw must be the same.
#include "control_parity.h"

#include "skin/controls/skin_combo.h"
#include "skin/controls/skin_edits.h"
#include "skin/controls/skin_listview.h"
#include "skin/controls/skin_panels.h"
#include "skin/controls/skin_progress.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/controls/skin_statusbar.h"
#include "skin/controls/skin_tabs.h"
#include "skin/controls/skin_updown.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

using namespace testskins;
using namespace parity;

namespace {

std::vector<std::uint8_t> SmallControls() {
    return SmallControlsSkinStore();
}
std::vector<std::uint8_t> Edits() {
    return EditsSkinStore();
}
std::vector<std::uint8_t> Scrolls() {
    return ScrollSkinStore();
}
const Skin kSmall{"small controls", &SmallControls};
const Skin kEdits{"edits", &Edits};
const Skin kScrolls{"scroll", &Scrolls};

TEdit* Neighbour(ParityForm& t) {
    auto* e = t.Add<TEdit>(290, 220, 100, 24);
    e->SetName("other");
    return e;
}

void Chord(WORD modifier, WORD vk) {
    Send({Key(modifier, false), Key(vk, false), Key(vk, true), Key(modifier, true)});
}

void PressFocusTaken(POINT on, Subject& s, const Step& step) {
    Press(on);
    s.other->SetFocus();
    PumpFor(10);
    step();
    Release(on);
}

void Focus(TWinControl* c) {
    c->SetFocus();
    PumpFor(10);
}

// The text as numbers, so it sits in a state vector.
void AppendText(std::vector<int>& out, const std::string& text) {
    out.push_back(static_cast<int>(text.size()));
    for (char c : text) out.push_back(static_cast<unsigned char>(c));
}

POINT RectCentre(HWND wnd, const RECT& r) {
    return OnScreen(wnd, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

POINT Below(POINT p, int dx, int dy) {
    return {p.x + dx, p.y + dy};
}

} // namespace

// ---------------------------------------------------------------- tabs

namespace {

POINT TabAt(HWND tabs, int i) {
    RECT r{};
    SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return RectCentre(tabs, r);
}

using States = std::vector<std::vector<int>>;

// The mouse and key gestures of any row of tabs; `tab(s, i)` is the middle of tab i, `keysDid`
// guards what the keys did to the twin (its states after a click on the first tab, Right,
// Ctrl+Tab, Left and Tab).
std::vector<Gesture> TabGestures(std::function<POINT(Subject&, int)> tab,
                                 std::function<void(const States&)> keysDid) {
    auto changedTo = [](int index) {
        return [index](const std::vector<std::vector<int>>& states) {
            EXPECT_EQ(states.back()[0], index);
        };
    };
    return {
        {"press on a tab, drag off and back, release", false,
         [tab](Subject& s, const Step& step) {
             DragOffAndBack(tab(s, 2), Centre(s.other->Handle()), step);
         },
         changedTo(2)},
        {"press on a tab, then the focus is taken", false,
         [tab](Subject& s, const Step& step) { PressFocusTaken(tab(s, 1), s, step); }, nullptr},
        {"disabled, then clicked", true, [tab](Subject& s, const Step&) { Click(tab(s, 2)); },
         changedTo(0)},
        {"the wheel over the tabs", false,
         [tab](Subject& s, const Step& step) {
             Click(tab(s, 1));
             step();
             Wheel(tab(s, 1), -WHEEL_DELTA);
             step();
             Wheel(tab(s, 1), WHEEL_DELTA);
         },
         nullptr},
        {"arrows, Ctrl+Tab and Tab", false,
         [tab](Subject& s, const Step& step) {
             Click(tab(s, 0));
             step();
             Tap(VK_RIGHT);
             step();
             Chord(VK_CONTROL, VK_TAB);
             step();
             Tap(VK_LEFT);
             step();
             Tap(VK_TAB);
         },
         keysDid},
    };
}

const std::vector<UINT> kTabQueries = {
    TCM_GETITEMCOUNT, TCM_GETITEMRECT, TCM_GETCURSEL,  TCM_GETCURFOCUS, TCM_GETIMAGELIST,
    TCM_GETITEMA,     TCM_GETITEMW,    TCM_ADJUSTRECT, TCM_HITTEST,     TCM_GETROWCOUNT};

template <typename Object> std::function<bool(ParityForm&)> HasObject(TControl* c) {
    return [c](ParityForm& t) { return t.ObjectOf<Object>(c) != nullptr; };
}

// The skinned button tab drawn pressed: the one whose corner has a colour the others' have not;
// -1 when none stands out. (The system draws the selected button sunken; its focus rectangle,
// drawn with XOR over the edges, makes a pixel read of the twin unreliable.)
int TabDrawnPressed(HWND tabs) {
    std::vector<TColor> edge;
    for (int i = 0, n = TabCtrl_GetItemCount(tabs); i < n; ++i) {
        RECT r{};
        TabCtrl_GetItemRect(tabs, i, &r);
        edge.push_back(PixelAt(tabs, r.right - 1, r.bottom - 1));
    }
    for (size_t i = 0; i < edge.size(); ++i)
        if (std::count(edge.begin(), edge.end(), edge[i]) == 1 && edge.size() > 2)
            return static_cast<int>(i);
    return -1;
}

Subject PageControl(ParityForm& t, TTabStyle style) {
    auto* pc = new TPageControl(t.form.get());
    pc->SetParent(t.form.get());
    pc->SetBounds(10, 10, 260, 160);
    pc->SetStyle(style);
    pc->SetName("pages");
    for (int i = 0; i < 3; ++i) {
        auto* sheet = new TTabSheet(t.form.get());
        sheet->SetCaption(std::string("Page ") + char('A' + i));
        sheet->SetParent(pc);
    }
    auto changes = std::make_shared<int>(0);
    pc->OnChange = [changes](TObject*) { ++*changes; };
    Subject s;
    s.queries = kTabQueries;
    s.control = pc;
    s.other = Neighbour(t);
    s.read = [&t, pc, changes, style] {
        HWND wnd = pc->WindowHandle();
        std::vector<int> out = {pc->ActivePageIndex(),
                                static_cast<int>(SendMessageW(wnd, TCM_GETCURFOCUS, 0, 0)),
                                *changes};
        if (style != tsTabs) {
            UpdateWindow(wnd);
            out.push_back(t.skin ? TabDrawnPressed(wnd)
                                 : static_cast<int>(SendMessageW(wnd, TCM_GETCURSEL, 0, 0)));
        }
        return out;
    };
    if (style == tsTabs)
        s.skinned = HasObject<TSkinTab>(pc);
    else
        s.skinned = HasObject<TSkinTabBtn>(pc);
    return s;
}

Subject TabControl(ParityForm& t) {
    auto* tc = new TTabControl(t.form.get());
    tc->SetParent(t.form.get());
    tc->SetBounds(10, 10, 260, 160);
    tc->SetName("tabs");
    for (int i = 0; i < 3; ++i) tc->Tabs().Add(std::string("Tab ") + char('A' + i));
    tc->SetTabIndex(0);
    auto changes = std::make_shared<int>(0);
    tc->OnChange = [changes](TObject*) { ++*changes; };
    Subject s;
    s.queries = kTabQueries;
    s.control = tc;
    s.other = Neighbour(t);
    s.read = [tc, changes] {
        return std::vector<int>{
            tc->TabIndex(),
            static_cast<int>(SendMessageW(tc->WindowHandle(), TCM_GETCURFOCUS, 0, 0)), *changes};
    };
    s.skinned = HasObject<TSkinTab>(tc);
    return s;
}

Subject TabSet(ParityForm& t) {
    auto* set = new TTabSet(t.form.get());
    set->SetParent(t.form.get());
    set->SetBounds(10, 10, 260, 24);
    set->SetName("set");
    for (int i = 0; i < 3; ++i) set->Tabs().Add(std::string("Set ") + char('A' + i));
    set->SetTabIndex(0);
    auto changes = std::make_shared<int>(0);
    set->OnChange = [changes](TObject*) { ++*changes; };
    Subject s;
    s.control = set;
    s.other = Neighbour(t);
    s.read = [set, changes] {
        return std::vector<int>{set->TabIndex(), *changes, GetFocus() == set->Handle()};
    };
    s.skinned = HasObject<TSkinTab31>(set);
    return s;
}

POINT SystemTab(Subject& s, int i) {
    return TabAt(s.control->Handle(), i);
}

POINT SetTab(Subject& s, int i) {
    auto* set = static_cast<TTabSet*>(s.control);
    return RectCentre(set->WindowHandle(), set->TabRect(i));
}

// Right and Left move along the tabs; Ctrl+Tab turns the page.
void PagesTurned(const States& states) {
    EXPECT_EQ(states[1][0], 1);
    EXPECT_EQ(states[2][0], 2);
    EXPECT_EQ(states[3][0], 1);
}

// Right and Left move the focus along the buttons without choosing; Ctrl+Tab turns the page.
void ButtonFocusMoved(const States& states) {
    EXPECT_EQ(states[1][0], 0);
    EXPECT_EQ(states[1][1], 1);
    EXPECT_EQ(states[2][0], 1);
    EXPECT_EQ(states[3][1], 0);
}

// Right chooses the next tab; Ctrl+Tab takes the focus on, as Tab does.
void TabChosen(const States& states) {
    EXPECT_EQ(states[0][0], 0);
    EXPECT_EQ(states[1][0], 1);
}

// The tab set takes no arrow keys: the click focused it, Ctrl+Tab takes the focus on as Tab
// does, and Tab brings it back.
void SetLeftByTab(const States& states) {
    EXPECT_EQ(states[0][2], 1);
    EXPECT_EQ(states[1], states[0]);
    EXPECT_EQ(states[2][2], 0);
    EXPECT_EQ(states.back()[2], 1);
}

} // namespace

TEST(SkinParityTabs, PageControlTabsAsTheSystemsOwn) {
    for (const Skin& skin : {kProduct, kSmall})
        ExpectParity(
            skin, [](ParityForm& t) { return PageControl(t, tsTabs); },
            TabGestures(SystemTab, PagesTurned));
}

TEST(SkinParityTabs, ButtonTabsAsTheSystemsOwn) {
    for (const Skin& skin : {kProduct, kSmall})
        ExpectParity(
            skin, [](ParityForm& t) { return PageControl(t, tsButtons); },
            TabGestures(SystemTab, ButtonFocusMoved));
}

TEST(SkinParityTabs, ArrowsAlongButtonTabsMoveTheFocusNotThePressedTab) {
    ParityForm t(SmallControlsSkinStore());
    Subject s = PageControl(t, tsButtons);
    t.Start(true);
    ASSERT_TRUE(s.skinned(t));
    HWND wnd = s.control->Handle();
    Focus(s.control);
    Tap(VK_RIGHT);
    UpdateWindow(wnd);
    auto tab = [&](int i) {
        RECT r{};
        TabCtrl_GetItemRect(wnd, i, &r);
        return r;
    };
    // Pixels of the column just inside the tab's left edge, where a focus rectangle runs, that
    // are not the tab's own frame beside them.
    auto marked = [&](int i) {
        const RECT r = tab(i);
        const TColor frame = PixelAt(wnd, r.left + 2, (r.top + r.bottom) / 2);
        return CountOther(wnd, {r.left + 3, r.top + 5, r.left + 4, r.bottom - 5}, frame);
    };
    EXPECT_EQ(PixelAt(wnd, tab(0).left + 2, tab(0).top + 3), kPushFrames[1]); // still chosen
    EXPECT_EQ(PixelAt(wnd, tab(1).left + 2, tab(1).top + 3), kPushFrames[0]);
    EXPECT_GT(marked(1), 0); // the focus went on
    EXPECT_EQ(marked(2), 0);
    s.other->SetFocus();
    PumpFor(10);
    EXPECT_EQ(marked(1), 0); // no focus, no rectangle
}

TEST(SkinParityTabs, TabControlOnTheProductSkin) {
    ExpectParity(kProduct, TabControl, TabGestures(SystemTab, TabChosen));
}

TEST(SkinParityTabs, TabControlOnTheSmallControlsSkin) {
    ExpectParity(kSmall, TabControl, TabGestures(SystemTab, TabChosen));
}

namespace {

// A row of more tabs than fit: the system adds its scroll arrows, which the skin draws.
Subject CrowdedTabs(ParityForm& t) {
    auto* tc = new TTabControl(t.form.get());
    tc->SetParent(t.form.get());
    tc->SetBounds(10, 10, 200, 120);
    tc->SetName("crowded");
    for (int i = 0; i < 12; ++i) tc->Tabs().Add("Tab number " + std::to_string(i));
    tc->SetTabIndex(0);
    Subject s;
    s.queries = kTabQueries;
    s.control = tc;
    s.other = Neighbour(t);
    s.read = [tc] {
        HWND wnd = tc->WindowHandle();
        RECT first{};
        TabCtrl_GetItemRect(wnd, 0, &first);
        // The tab at the left end of the row.
        TCHITTESTINFO hit{{8, (first.top + first.bottom) / 2}, 0};
        return std::vector<int>{tc->TabIndex(), TabCtrl_HitTest(wnd, &hit)};
    };
    s.skinned = [tc](ParityForm& f) {
        auto* object = f.ObjectOf<TSkinTab>(tc);
        return object && object->UpDown();
    };
    return s;
}

// The middle of the arrows' right (forward) half.
POINT Forward(Subject& s) {
    HWND arrows = FindWindowExW(s.control->Handle(), nullptr, UPDOWN_CLASSW, nullptr);
    RECT r{};
    GetClientRect(arrows, &r);
    return OnScreen(arrows, {r.right * 3 / 4, r.bottom / 2});
}

std::vector<Gesture> ArrowGestures() {
    // The first tab has gone off the left end of the row.
    auto scrolled = [](const std::vector<std::vector<int>>& states) {
        EXPECT_GT(states.back()[1], 0);
    };
    return {
        {"the forward arrow clicked twice", false,
         [](Subject& s, const Step&) {
             Click(Forward(s));
             Click(Forward(s));
         },
         scrolled},
        {"the forward arrow pressed, dragged off and back, released", false,
         [](Subject& s, const Step& step) {
             DragOffAndBack(Forward(s), Centre(s.other->Handle()), step);
         },
         scrolled},
        {"disabled, then the arrow clicked", true,
         [](Subject& s, const Step&) { Click(Forward(s)); }, nullptr},
    };
}

} // namespace

TEST(SkinParityTabs, TheScrollArrowsOfACrowdedRowAsWithoutTheSkin) {
    for (const Skin& skin : {kProduct, kSmall}) ExpectParity(skin, CrowdedTabs, ArrowGestures());
}

TEST(SkinParityTabs, TabSetAsWithoutTheSkin) {
    for (const Skin& skin : {kProduct, kSmall})
        ExpectParity(skin, TabSet, TabGestures(SetTab, SetLeftByTab));
}

// ---------------------------------------------------------------- edits

namespace {

std::vector<int> EditState(HWND wnd, const std::string& text) {
    DWORD from = 0, to = 0;
    SendMessageW(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    std::vector<int> out = {static_cast<int>(from), static_cast<int>(to),
                            static_cast<int>(SendMessageW(wnd, EM_GETFIRSTVISIBLELINE, 0, 0))};
    AppendText(out, text);
    return out;
}

Subject Edit(ParityForm& t) {
    auto* edit = t.Add<TEdit>(10, 10, 200, 24);
    edit->SetName("edit");
    edit->SetText("hello world");
    Subject s;
    s.control = edit;
    s.other = Neighbour(t);
    s.read = [edit] { return EditState(edit->WindowHandle(), edit->GetText()); };
    s.skinned = HasObject<TSkinEdit>(edit);
    return s;
}

std::string Lines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

Subject Memo(ParityForm& t) {
    auto* memo = t.Add<TMemo>(10, 10, 200, 150);
    memo->SetName("memo");
    memo->SetScrollBars(ssVertical);
    memo->Lines().SetText(Lines(60));
    Subject s;
    s.control = memo;
    s.other = Neighbour(t);
    s.read = [memo] { return EditState(memo->WindowHandle(), memo->GetText().substr(0, 40)); };
    s.skinned = HasObject<TSkinScrollbar>(memo);
    return s;
}

// A point in the text near its left end, and one right of the control on the same line.
POINT TextStart(Subject& s) {
    return OnScreen(s.control->Handle(), {6, 8});
}
POINT RightOf(Subject& s, POINT p) {
    RECT r;
    GetWindowRect(s.control->Handle(), &r);
    return {r.right + 40, p.y};
}

std::vector<Gesture> TextGestures() {
    return {
        {"typing", false,
         [](Subject& s, const Step& step) {
             Click(TextStart(s));
             Tap(VK_END);
             Tap('A');
             Tap('B');
             step();
             Tap(VK_BACK);
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_NE(states[0], states.back()); // typed, then one taken back
         }},
        {"a selection by a drag off and back", false,
         [](Subject& s, const Step& step) {
             const POINT from = TextStart(s);
             Press(from);
             step();
             MoveTo(RightOf(s, from));
             step();
             MoveTo(Below(from, 30, 0));
             step();
             Release(Below(from, 30, 0));
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_LT(states.back()[0], states.back()[1]); // something is selected
         }},
        {"a press, then the focus is taken", false,
         [](Subject& s, const Step& step) {
             PressFocusTaken(Centre(s.control->Handle()), s, step);
         },
         nullptr},
        {"disabled, then clicked and typed at", true,
         [](Subject& s, const Step&) {
             Click(Centre(s.control->Handle()));
             Tap('X');
         },
         nullptr},
        {"the wheel", false,
         [](Subject& s, const Step& step) {
             Click(Centre(s.control->Handle()));
             Wheel(Centre(s.control->Handle()), -WHEEL_DELTA);
             step();
             Wheel(Centre(s.control->Handle()), -WHEEL_DELTA);
         },
         nullptr},
        {"Home, Shift+End and Tab", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Tap(VK_HOME);
             Chord(VK_SHIFT, VK_END);
             step();
             Tap(VK_TAB);
         },
         nullptr},
    };
}

// The memo's own bar: the native bar's track, which a cover hides on the skinned memo.
POINT OnTheBar(Subject& s) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    GetScrollBarInfo(s.control->Handle(), OBJID_VSCROLL, &info);
    const RECT& r = info.rcScrollBar;
    return {(r.left + r.right) / 2, r.top + (r.bottom - r.top) * 3 / 4};
}

std::vector<Gesture> MemoBarGestures() {
    return {
        {"the wheel over the bar", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Wheel(OnTheBar(s), -WHEEL_DELTA);
             step();
             Wheel(OnTheBar(s), -WHEEL_DELTA);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_GT(states.back()[2], 0); }},
        {"a click on the bar's track", false, [](Subject& s, const Step&) { Click(OnTheBar(s)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_GT(states.back()[2], 0); }},
        {"disabled, then the bar clicked", true,
         [](Subject& s, const Step&) { Click(OnTheBar(s)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[2], 0); }},
    };
}

// An edit with a spin button inside it that writes its position into the edit.
struct SpinEdit {
    TEdit* edit;
    HWND spin;
};

Subject SpinEditOf(ParityForm& t) {
    const INITCOMMONCONTROLSEX classes = {sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    auto* edit = t.Add<TEdit>(10, 10, 90, 24);
    edit->SetName("spinEdit");
    Subject s;
    s.other = Neighbour(t);
    // The spin button is a child of the edit: the edit needs its window, which needs the form's.
    t.Show();
    HWND wnd = edit->WindowHandle();
    RECT c;
    GetClientRect(wnd, &c);
    HWND spin = CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS,
                                c.right - 16, 0, 16, c.bottom, wnd, nullptr, nullptr, nullptr);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(wnd), 0);
    SendMessageW(spin, UDM_SETRANGE32, 0, 100);
    SendMessageW(spin, UDM_SETPOS32, 0, 50);
    s.control = edit;
    s.child = spin;
    s.read = [&t, edit, spin] {
        const bool skinned = t.skin != nullptr;
        TSkinEdit* object = skinned ? t.ObjectOf<TSkinEdit>(edit) : nullptr;
        const bool pressed = object && object->UpDown()
                                 ? (object->UpDown()->State() & kSkinPressed) != 0
                                 : GetCapture() == spin;
        std::vector<int> out = {static_cast<int>(SendMessageW(spin, UDM_GETPOS32, 0, 0)), pressed};
        AppendText(out, edit->GetText());
        return out;
    };
    s.skinned = [edit](ParityForm& f) {
        auto* object = f.ObjectOf<TSkinEdit>(edit);
        if (object) Refresh(edit->WindowHandle()); // the spin button is taken at the first paint
        return object && object->UpDown();
    };
    return s;
}

POINT SpinHalf(Subject& s, bool up) {
    RECT r;
    GetClientRect(s.child, &r);
    return OnScreen(s.child, {r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4});
}

std::vector<Gesture> SpinGestures() {
    return {
        {"press up, drag off and back, release", false,
         [](Subject& s, const Step& step) {
             DragOffAndBack(SpinHalf(s, true), Centre(s.other->Handle()), step);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], 51); }},
        {"press down, then the focus is taken", false,
         [](Subject& s, const Step& step) { PressFocusTaken(SpinHalf(s, false), s, step); },
         nullptr},
        {"disabled, then clicked", true, [](Subject& s, const Step&) { Click(SpinHalf(s, true)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], 50); }},
        {"arrow keys in the edit", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Tap(VK_UP);
             step();
             Tap(VK_DOWN);
             Tap(VK_DOWN);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states[0][0], 51); }},
        {"the wheel over the spin button", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Wheel(SpinHalf(s, true), WHEEL_DELTA);
             step();
         },
         nullptr},
    };
}

// An edit with an up-down of its own beside it, the up-down writing its position into it.
Subject BuddyUpDown(ParityForm& t) {
    auto* edit = t.Add<TEdit>(10, 10, 80, 24);
    edit->SetName("buddy");
    auto* spin = t.Add<TUpDown>(90, 10, 18, 24);
    spin->SetName("spin");
    spin->SetMin(0);
    spin->SetMax(100);
    spin->SetPosition(50);
    spin->SetAssociate(edit);
    Subject s;
    s.control = spin;
    s.other = Neighbour(t);
    s.read = [&t, edit, spin] {
        TSkinUpDown* object = t.skin ? t.ObjectOf<TSkinUpDown>(spin) : nullptr;
        const bool pressed =
            object ? (object->State() & kSkinPressed) != 0 : GetCapture() == spin->WindowHandle();
        std::vector<int> out = {spin->Position(), pressed};
        AppendText(out, edit->GetText());
        return out;
    };
    s.skinned = HasObject<TSkinUpDown>(spin);
    return s;
}

POINT BuddyHalf(Subject& s, bool up) {
    HWND wnd = s.control->Handle();
    RECT r{};
    GetClientRect(wnd, &r);
    return OnScreen(wnd, {r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4});
}

std::vector<Gesture> BuddyGestures() {
    return {
        {"up pressed, dragged off and back, released", false,
         [](Subject& s, const Step& step) {
             DragOffAndBack(BuddyHalf(s, true), Centre(s.other->Handle()), step);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], 51); }},
        {"down pressed, then the focus is taken", false,
         [](Subject& s, const Step& step) { PressFocusTaken(BuddyHalf(s, false), s, step); },
         nullptr},
        {"disabled, then clicked", true, [](Subject& s, const Step&) { Click(BuddyHalf(s, true)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], 50); }},
        {"the arrow keys in the edit and the wheel over the arrows", false,
         [](Subject& s, const Step& step) {
             Click(Below(BuddyHalf(s, true), -40, 0));
             Tap(VK_UP);
             step();
             Tap(VK_DOWN);
             Tap(VK_DOWN);
             step();
             Wheel(BuddyHalf(s, true), WHEEL_DELTA);
         },
         nullptr},
    };
}

} // namespace

TEST(SkinParityEdits, AnUpDownBesideItsEditAsWithoutTheSkin) {
    for (const Skin& skin : {kProduct, kSmall}) ExpectParity(skin, BuddyUpDown, BuddyGestures());
}

TEST(SkinParityEdits, AnEditOnTheProductSkin) {
    ExpectParity(kProduct, Edit, TextGestures());
}

TEST(SkinParityEdits, AnEditOnTheEditsSkin) {
    ExpectParity(kEdits, Edit, TextGestures());
}

TEST(SkinParityEdits, AMemoOnTheProductSkin) {
    ExpectParity(kProduct, Memo, TextGestures());
}

TEST(SkinParityEdits, AMemoOnTheScrollSkin) {
    ExpectParity(kScrolls, Memo, TextGestures());
}

TEST(SkinParityEdits, AMemosBarTakesTheWheelAndClicksAsWithoutTheSkin) {
    for (const Skin& skin : {kProduct, kScrolls}) ExpectParity(skin, Memo, MemoBarGestures());
}

TEST(SkinParityEdits, AnEditsSpinButtonAsWithoutTheSkin) {
    for (const Skin& skin : {kProduct, kSmall}) ExpectParity(skin, SpinEditOf, SpinGestures());
}

// ---------------------------------------------------------------- combo boxes and pickers

namespace {

COMBOBOXINFO ComboInfo(HWND wnd) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(wnd, &info);
    return info;
}

Subject Combo(ParityForm& t, TComboBoxStyle style) {
    auto* combo = t.Add<TComboBox>(10, 10, 160, 24);
    combo->SetName("combo");
    combo->SetStyle(style);
    for (const char* item : {"one", "two", "three", "four", "five"}) combo->Items().Add(item);
    Subject s;
    s.queries = {CB_GETCOMBOBOXINFO};
    s.control = combo;
    s.other = Neighbour(t);
    s.read = [&t, combo] {
        HWND wnd = combo->WindowHandle();
        TSkinComBox* object = t.skin ? t.ObjectOf<TSkinComBox>(combo) : nullptr;
        // Drawn pressed (skinned) or held pressed (the system's).
        const bool pressed = object ? (object->State() & kSkinPressed) != 0
                                    : (ComboInfo(wnd).stateButton & STATE_SYSTEM_PRESSED) != 0;
        std::vector<int> out = {combo->ItemIndex(),
                                static_cast<int>(SendMessageW(wnd, CB_GETDROPPEDSTATE, 0, 0)),
                                pressed};
        AppendText(out, combo->GetText());
        return out;
    };
    s.close = [combo] {
        SendMessageW(combo->WindowHandle(), CB_SHOWDROPDOWN, FALSE, 0);
        PumpFor(5);
    };
    s.skinned = HasObject<TSkinComBox>(combo);
    return s;
}

POINT ComboArrow(Subject& s) {
    HWND wnd = s.control->Handle();
    return RectCentre(wnd, ComboInfo(wnd).rcButton);
}

POINT ListItem(Subject& s, int i) {
    HWND list = ComboInfo(s.control->Handle()).hwndList;
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return RectCentre(list, r);
}

void ExpectDropped(const std::vector<std::vector<int>>& states) {
    EXPECT_EQ(states[0][1], 1);
}

std::vector<Gesture> ComboGestures() {
    return {
        {"a click on the arrow, and another", false,
         [](Subject& s, const Step& step) {
             Click(ComboArrow(s));
             step();
             Click(ComboArrow(s));
         },
         ExpectDropped},
        {"press on the arrow, drag off and back, release", false,
         [](Subject& s, const Step& step) {
             DragOffAndBack(ComboArrow(s), Centre(s.other->Handle()), step);
         },
         ExpectDropped},
        {"dropped by the mouse, picked with the keys", false,
         [](Subject& s, const Step& step) {
             Click(ComboArrow(s));
             step();
             Tap(VK_DOWN);
             Tap(VK_DOWN);
             Tap(VK_RETURN);
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_EQ(states.back()[0], 1);
             EXPECT_EQ(states.back()[1], 0);
         }},
        {"dropped by the mouse, picked with the mouse", false,
         [](Subject& s, const Step& step) {
             Click(ComboArrow(s));
             step();
             MoveTo(ListItem(s, 2));
             Click(ListItem(s, 2));
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_EQ(states.back()[0], 2);
             EXPECT_EQ(states.back()[1], 0);
         }},
        {"press on the arrow, drag into the list, release on an item", false,
         [](Subject& s, const Step& step) {
             Press(ComboArrow(s));
             step();
             MoveTo(ListItem(s, 1));
             MoveTo(ListItem(s, 3));
             step();
             Release(ListItem(s, 3));
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_EQ(states.back()[0], 3);
             EXPECT_EQ(states.back()[1], 0);
         }},
        {"a press on the arrow, then the focus is taken", false,
         [](Subject& s, const Step& step) { PressFocusTaken(ComboArrow(s), s, step); }, nullptr},
        {"disabled, then clicked", true, [](Subject& s, const Step&) { Click(ComboArrow(s)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[1], 0); }},
        {"Alt+Down, Down and Enter", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Chord(VK_MENU, VK_DOWN);
             step();
             Tap(VK_DOWN);
             Tap(VK_RETURN);
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_EQ(states[0][1], 1);
             EXPECT_EQ(states.back()[1], 0);
         }},
        {"the wheel, F4, Escape and the arrows", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Wheel(Centre(s.control->Handle()), -WHEEL_DELTA);
             step();
             Tap(VK_F4);
             step();
             Tap(VK_ESCAPE);
             Tap(VK_DOWN);
             step();
             Tap(VK_TAB);
         },
         nullptr},
    };
}

// A date picker: its date, whether its calendar shows, and the calendar closed at the end.
Subject Picker(ParityForm& t, bool leftBar) {
    auto* picker = t.Add<TDateTimePicker>(10, 10, 160, 24);
    picker->SetName("picker");
    picker->SetDate("2020-05-15");
    Subject s;
    s.control = picker;
    s.other = Neighbour(t);
    if (leftBar) {
        t.Show();
        HWND wnd = picker->WindowHandle();
        SetWindowLongPtrW(wnd, GWL_EXSTYLE,
                          GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    }
    s.read = [picker] {
        HWND wnd = picker->WindowHandle();
        SYSTEMTIME st{};
        SendMessageW(wnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        HWND calendar = reinterpret_cast<HWND>(SendMessageW(wnd, DTM_GETMONTHCAL, 0, 0));
        return std::vector<int>{st.wYear, st.wMonth, st.wDay,
                                calendar && IsWindowVisible(calendar)};
    };
    s.close = [picker] {
        HWND wnd = picker->WindowHandle();
        SendMessageW(wnd, DTM_CLOSEMONTHCAL, 0, 0);
        if (HWND calendar = reinterpret_cast<HWND>(SendMessageW(wnd, DTM_GETMONTHCAL, 0, 0)))
            ShowWindow(calendar, SW_HIDE);
        PumpFor(5);
    };
    s.skinned = [picker](ParityForm& f) {
        auto* object = f.ObjectOf<TSkinDateTime>(picker);
        return object && object->Arrow();
    };
    return s;
}

// The middle of the picker's own drop-down button, at its right edge whatever the bar side.
POINT PickerButton(Subject& s) {
    HWND wnd = s.control->Handle();
    RECT c;
    GetClientRect(wnd, &c);
    return OnScreen(wnd, {c.right - GetSystemMetrics(SM_CXVSCROLL) / 2 - 1, c.bottom / 2});
}

std::vector<Gesture> PickerGestures() {
    return {
        {"a click on the button, then Escape", false,
         [](Subject& s, const Step& step) {
             Click(PickerButton(s));
             step();
             Tap(VK_ESCAPE);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states[0][3], 1); }},
        {"a press on the button, then the focus is taken", false,
         [](Subject& s, const Step& step) { PressFocusTaken(PickerButton(s), s, step); }, nullptr},
        {"disabled, then clicked", true, [](Subject& s, const Step&) { Click(PickerButton(s)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[3], 0); }},
        {"the wheel over the picker", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Wheel(Centre(s.control->Handle()), WHEEL_DELTA);
             step();
             Wheel(Centre(s.control->Handle()), -WHEEL_DELTA);
         },
         nullptr},
        {"the keys: up, right, up, Tab", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Tap(VK_UP);
             step();
             Tap(VK_RIGHT);
             Tap(VK_UP);
             step();
             Tap(VK_TAB);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_NE(states[0], states[1]); }},
    };
}

// A time picker: spin arrows in place of the calendar's button, skinned as an edit's.
Subject TimePicker(ParityForm& t) {
    auto* picker = t.Add<TDateTimePicker>(10, 10, 160, 24);
    picker->SetName("time");
    picker->SetKind(dtkTime);
    picker->SetTime("10:20:30");
    Subject s;
    s.control = picker;
    s.other = Neighbour(t);
    s.read = [picker] {
        SYSTEMTIME st{};
        SendMessageW(picker->WindowHandle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        return std::vector<int>{st.wHour, st.wMinute, st.wSecond};
    };
    s.skinned = [picker](ParityForm& f) {
        auto* object = f.ObjectOf<TSkinEdit>(picker);
        if (object) Refresh(picker->WindowHandle()); // the spin is taken at the first paint
        return object && object->UpDown();
    };
    return s;
}

POINT TimeSpin(Subject& s, bool up) {
    HWND spin = FindSpinChild(s.control->Handle(), false);
    RECT r{};
    GetClientRect(spin, &r);
    return OnScreen(spin, {r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4});
}

std::vector<Gesture> TimeGestures() {
    return {
        {"up pressed, dragged off and back, released", false,
         [](Subject& s, const Step& step) {
             Click(OnScreen(s.control->Handle(), {8, 10})); // the hours chosen
             DragOffAndBack(TimeSpin(s, true), Centre(s.other->Handle()), step);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], 11); }},
        {"down pressed, then the focus is taken", false,
         [](Subject& s, const Step& step) { PressFocusTaken(TimeSpin(s, false), s, step); },
         nullptr},
        {"disabled, then up clicked", true,
         [](Subject& s, const Step&) { Click(TimeSpin(s, true)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], 10); }},
        {"the keys and the wheel", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Tap(VK_UP);
             step();
             Wheel(Centre(s.control->Handle()), -WHEEL_DELTA);
         },
         nullptr},
    };
}

} // namespace

TEST(SkinParityCombo, ATimePickersSpinArrowsAsWithoutTheSkin) {
    for (const Skin& skin : {kProduct, kSmall}) ExpectParity(skin, TimePicker, TimeGestures());
}

TEST(SkinParityCombo, ADropDownOnTheProductSkin) {
    ExpectParity(
        kProduct, [](ParityForm& t) { return Combo(t, csDropDown); }, ComboGestures());
}

TEST(SkinParityCombo, ADropDownOnTheEditsSkin) {
    ExpectParity(
        kEdits, [](ParityForm& t) { return Combo(t, csDropDown); }, ComboGestures());
}

TEST(SkinParityCombo, ADropDownListOnTheProductSkin) {
    ExpectParity(
        kProduct, [](ParityForm& t) { return Combo(t, csDropDownList); }, ComboGestures());
}

TEST(SkinParityCombo, ADropDownListOnTheEditsSkin) {
    ExpectParity(
        kEdits, [](ParityForm& t) { return Combo(t, csDropDownList); }, ComboGestures());
}

TEST(SkinParityCombo, ADatePickerAsWithoutTheSkinWhicheverSideItsBarIs) {
    for (const Skin& skin : {kProduct, kEdits}) {
        ExpectParity(
            skin, [](ParityForm& t) { return Picker(t, false); }, PickerGestures());
        std::vector<Gesture> click = PickerGestures();
        click.resize(1);
        ExpectParity(
            skin, [](ParityForm& t) { return Picker(t, true); }, click);
    }
}

// ---------------------------------------------------------------- track bars

namespace {

Subject TrackBar(ParityForm& t) {
    auto* bar = t.Add<TTrackBar>(10, 10, 240, 40);
    bar->SetName("track");
    bar->SetMin(0);
    bar->SetMax(20);
    bar->SetPosition(5);
    auto changes = std::make_shared<int>(0);
    bar->OnChange = [changes](TObject*) { ++*changes; };
    Subject s;
    s.queries = {TBM_GETTHUMBRECT, TBM_GETCHANNELRECT};
    s.control = bar;
    s.other = Neighbour(t);
    s.read = [bar, changes] {
        return std::vector<int>{bar->Position(), *changes, GetCapture() == bar->WindowHandle()};
    };
    s.skinned = HasObject<TSkinTrackBar>(bar);
    return s;
}

POINT Thumb(Subject& s) {
    HWND wnd = s.control->Handle();
    RECT r{};
    SendMessageW(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
    return RectCentre(wnd, r);
}

// On the channel, well right of the thumb.
POINT Channel(Subject& s) {
    HWND wnd = s.control->Handle();
    RECT r{};
    SendMessageW(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&r));
    return OnScreen(wnd, {r.left + (r.right - r.left) * 4 / 5, (r.top + r.bottom) / 2});
}

std::vector<Gesture> TrackGestures() {
    return {
        {"the thumb dragged right, off the bar and back", false,
         [](Subject& s, const Step& step) {
             const POINT from = Thumb(s);
             Press(from);
             step();
             MoveTo(Below(from, 50, 120));
             step();
             MoveTo(Below(from, 50, 0));
             step();
             Release(Below(from, 50, 0));
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_GT(states.back()[0], 5); }},
        {"a click on the channel", false, [](Subject& s, const Step&) { Click(Channel(s)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_GT(states.back()[0], 5); }},
        {"a press on the thumb, then the focus is taken", false,
         [](Subject& s, const Step& step) { PressFocusTaken(Thumb(s), s, step); }, nullptr},
        {"disabled, then clicked", true, [](Subject& s, const Step&) { Click(Channel(s)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], 5); }},
        {"arrows, Page Up, Home and End", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Tap(VK_RIGHT);
             step();
             Tap(VK_PRIOR);
             step();
             Tap(VK_HOME);
             step();
             Tap(VK_END);
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_EQ(states[0][0], 6);
             EXPECT_EQ(states[2][0], 0);
             EXPECT_EQ(states.back()[0], 20);
         }},
        {"the wheel", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Wheel(Thumb(s), -WHEEL_DELTA);
             step();
             Wheel(Thumb(s), WHEEL_DELTA);
             Wheel(Thumb(s), WHEEL_DELTA);
         },
         nullptr},
    };
}

} // namespace

TEST(SkinParityTrackBar, ThumbChannelKeysAndWheelAsWithoutTheSkin) {
    for (const Skin& skin : {kProduct, kSmall}) ExpectParity(skin, TrackBar, TrackGestures());
}

// ---------------------------------------------------------------- progress, panels, status

namespace {

// Controls that take no part in the input themselves: the messages and the focus are the
// check, with the position of a progress bar.
std::vector<Gesture> PassiveGestures() {
    return {
        {"press, drag off and back, release", false,
         [](Subject& s, const Step& step) {
             DragOffAndBack(Centre(s.control->Handle()), Centre(s.other->Handle()), step);
         },
         nullptr},
        {"a press, then the focus is taken", false,
         [](Subject& s, const Step& step) {
             PressFocusTaken(Centre(s.control->Handle()), s, step);
         },
         nullptr},
        {"disabled, then clicked", true,
         [](Subject& s, const Step&) { Click(Centre(s.control->Handle())); }, nullptr},
        {"the wheel", false,
         [](Subject& s, const Step&) {
             Focus(s.other);
             Wheel(Centre(s.control->Handle()), -WHEEL_DELTA);
         },
         nullptr},
        {"the caption's accelerator", false,
         [](Subject& s, const Step& step) {
             Focus(s.other);
             // The system looks for the accelerator from the focused window down the z-order:
             // the control comes next, then the check box that takes it.
             SetWindowPos(s.other->Handle(), HWND_TOP, 0, 0, 0, 0,
                          SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
             step();
             AltTap('G');
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_EQ(states.front()[3], 1);
             EXPECT_EQ(states.back()[3], 0); // the accelerator took the focus on
         }},
    };
}

template <typename Object> Subject Passive(ParityForm& t, TWinControl* c) {
    Subject s;
    s.control = c;
    s.other = Neighbour(t);
    auto* go = t.Add<TCheckBox>(290, 260, 100, 20);
    go->SetName("go");
    go->SetCaption("&Go");
    s.read = [c, other = s.other] {
        HWND wnd = c->WindowHandle();
        return std::vector<int>{IsWindowEnabled(wnd) != FALSE, GetCapture() == wnd,
                                static_cast<int>(SendMessageW(wnd, PBM_GETPOS, 0, 0)),
                                GetFocus() == other->Handle()};
    };
    s.skinned = HasObject<Object>(c);
    return s;
}

Subject Progress(ParityForm& t) {
    auto* bar = t.Add<TProgressBar>(10, 10, 200, 20);
    bar->SetName("progress");
    bar->SetPosition(40);
    return Passive<TSkinProgress>(t, bar);
}

Subject Panel(ParityForm& t) {
    auto* panel = t.Add<TPanel>(10, 10, 200, 80);
    panel->SetName("panel");
    panel->SetCaption("&Group panel");
    return Passive<TSkinBox>(t, panel);
}

Subject GroupBox(ParityForm& t) {
    auto* box = t.Add<TGroupBox>(10, 10, 200, 80);
    box->SetName("group");
    box->SetCaption("&Group");
    return Passive<TSkinGroupBox>(t, box);
}

Subject StatusBar(ParityForm& t) {
    auto* bar = t.Add<TStatusBar>(10, 10, 300, 22);
    bar->SetName("status");
    bar->SetSizeGrip(false); // a press on the grip would start the system's sizing loop
    bar->AddPanel();
    bar->AddPanel();
    return Passive<TSkinStatusBar>(t, bar);
}

} // namespace

TEST(SkinParityPassive, ProgressBarsLetClicksPassAsBefore) {
    for (const Skin& skin : {kProduct, kSmall}) ExpectParity(skin, Progress, PassiveGestures());
}

TEST(SkinParityPassive, PanelsLetClicksPassAsBefore) {
    for (const Skin& skin : {kProduct, kEdits}) ExpectParity(skin, Panel, PassiveGestures());
}

TEST(SkinParityPassive, GroupBoxesLetClicksPassAsBefore) {
    for (const Skin& skin : {kProduct, kEdits}) ExpectParity(skin, GroupBox, PassiveGestures());
}

TEST(SkinParityPassive, StatusBarsLetClicksPassAsBefore) {
    for (const Skin& skin : {kProduct, kEdits}) ExpectParity(skin, StatusBar, PassiveGestures());
}

// ---------------------------------------------------------------- list view and header

namespace {

// A header column's pixels on the screen, once what is pending is painted.
std::vector<std::uint32_t> ColumnPixels(HWND header, int i) {
    PumpFor(20);
    RECT r{};
    Header_GetItemRect(header, i, &r);
    MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return Pixels(r).px;
}

// While a gesture sets it, the list's state also says whether the column looks other than it
// did before the press: the system exposes no pressed state of a header item.
struct ColumnLook {
    HWND header = nullptr;
    int column = -1;
    std::vector<std::uint32_t> unpressed;
} gColumnLook;

Subject ListView(ParityForm& t) {
    auto* list = t.Add<TListView>(10, 10, 260, 160);
    list->SetName("list");
    list->SetViewStyle(vsReport);
    for (int i = 0; i < 3; ++i) {
        TListColumn* column = list->AddColumn();
        column->SetCaption(std::string("Col ") + char('A' + i));
        column->SetWidth(80);
    }
    list->Items().BeginUpdate();
    for (int i = 0; i < 40; ++i) list->Items().Add()->SetCaption("item " + std::to_string(i));
    list->Items().EndUpdate();
    t.Show();
    Subject s;
    s.queries = {HDM_GETITEMCOUNT, HDM_GETITEMA,     HDM_GETITEMW,    HDM_GETITEMRECT,
                 HDM_HITTEST,      HDM_GETIMAGELIST, HDM_ORDERTOINDEX};
    s.control = list;
    s.other = Neighbour(t);
    s.child = ListView_GetHeader(list->WindowHandle());
    gColumnLook = {};
    s.read = [list] {
        HWND wnd = list->WindowHandle();
        std::vector<int> out{ListView_GetNextItem(wnd, -1, LVNI_SELECTED),
                             ListView_GetNextItem(wnd, -1, LVNI_FOCUSED), ListView_GetTopIndex(wnd),
                             ListView_GetColumnWidth(wnd, 0), ListView_GetColumnWidth(wnd, 1)};
        if (gColumnLook.header)
            out.push_back(ColumnPixels(gColumnLook.header, gColumnLook.column) !=
                          gColumnLook.unpressed);
        return out;
    };
    s.skinned = [list](ParityForm& f) {
        auto* object = f.ObjectOf<TSkinListView>(list);
        return object && object->Header();
    };
    return s;
}

POINT Item(Subject& s, int i) {
    HWND wnd = s.control->Handle();
    RECT r{};
    ListView_GetItemRect(wnd, i, &r, LVIR_LABEL);
    return RectCentre(wnd, r);
}

POINT HeaderItem(Subject& s, int i) {
    RECT r{};
    Header_GetItemRect(s.child, i, &r);
    return RectCentre(s.child, r);
}

// On the divider right of the first column.
POINT Divider(Subject& s) {
    RECT r{};
    Header_GetItemRect(s.child, 0, &r);
    return OnScreen(s.child, {r.right, (r.top + r.bottom) / 2});
}

std::vector<Gesture> ListGestures() {
    return {
        {"an item pressed, dragged off and back, released", false,
         [](Subject& s, const Step& step) {
             const POINT on = Item(s, 2);
             Press(on);
             step();
             MoveTo(Below(on, 0, 200));
             step();
             MoveTo(on);
             step();
             Release(on);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[1], 2); }},
        {"a click on a column's header", false,
         [](Subject& s, const Step&) { Click(HeaderItem(s, 1)); }, nullptr},
        {"a column pressed, dragged off the header and back", false,
         [](Subject& s, const Step& step) {
             const POINT on = HeaderItem(s, 1);
             const POINT off = Below(on, 0, 120);
             MoveTo(off);
             gColumnLook = {s.child, 1, ColumnPixels(s.child, 1)};
             int steps = 0;
             // The look is read up to the release: a released column may be drawn hot.
             DragOffAndBack(on, off, [&] {
                 step();
                 if (++steps == 3) gColumnLook = {};
             });
         },
         [](const std::vector<std::vector<int>>& states) {
             // Drawn pressed, up while the mouse is off, pressed again when it is back.
             ASSERT_EQ(states.size(), 4u);
             EXPECT_EQ(states[0].back(), 1);
             EXPECT_EQ(states[1].back(), 0);
             EXPECT_EQ(states[2].back(), 1);
         }},
        {"a divider dragged wider", false,
         [](Subject& s, const Step& step) {
             const POINT from = Divider(s);
             Press(from);
             MoveTo(Below(from, 15, 0));
             step();
             MoveTo(Below(from, 30, 0));
             Release(Below(from, 30, 0));
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_GT(states.back()[3], 80); }},
        {"a divider dragged off the header and back", false,
         [](Subject& s, const Step& step) {
             const POINT from = Divider(s);
             Press(from);
             MoveTo(Below(from, 40, 150));
             step();
             MoveTo(Below(from, 20, 0));
             Release(Below(from, 20, 0));
         },
         nullptr},
        {"a press on an item, then the focus is taken", false,
         [](Subject& s, const Step& step) { PressFocusTaken(Item(s, 1), s, step); }, nullptr},
        {"disabled, then an item and a header clicked", true,
         [](Subject& s, const Step&) {
             Click(Item(s, 3));
             Click(HeaderItem(s, 0));
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[1], -1); }},
        {"Down, End, Home and Tab", false,
         [](Subject& s, const Step& step) {
             Click(Item(s, 0));
             Tap(VK_DOWN);
             Tap(VK_DOWN);
             step();
             Tap(VK_END);
             step();
             Tap(VK_HOME);
             step();
             Tap(VK_TAB);
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_EQ(states[0][1], 2);
             EXPECT_EQ(states[1][1], 39);
             EXPECT_EQ(states[2][1], 0);
         }},
        {"the wheel over the list", false,
         [](Subject& s, const Step& step) {
             Click(Item(s, 0));
             Wheel(Item(s, 3), -WHEEL_DELTA);
             step();
             Wheel(Item(s, 3), -WHEEL_DELTA);
         },
         [](const std::vector<std::vector<int>>& states) { EXPECT_GT(states.back()[2], 0); }},
        {"the wheel sent to the window under the cursor on the bar, and a click there", false,
         [](Subject& s, const Step& step) {
             // Where the wheel goes to the window under the cursor (Windows 10 and later): the
             // cover on the skinned list, the list itself on the twin.
             const POINT at = OnTheBar(s);
             MoveTo(at);
             SendMessageW(WindowFromPoint(at), WM_MOUSEWHEEL,
                          MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(at.x, at.y));
             PumpFor(10);
             step();
             Click(at);
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_GT(states[0][2], 0);
             EXPECT_GT(states.back()[2], states[0][2]);
         }},
    };
}

} // namespace

std::vector<Gesture> ListMouseGestures() {
    std::vector<Gesture> mouse = ListGestures();
    mouse.resize(6);
    return mouse;
}

TEST(SkinParityListView, ItemsAndTheHeaderUnderTheMouseOnTheProductSkin) {
    ExpectParity(kProduct, ListView, ListMouseGestures());
}

TEST(SkinParityListView, ItemsAndTheHeaderUnderTheMouseOnTheScrollSkin) {
    ExpectParity(kScrolls, ListView, ListMouseGestures());
}

TEST(SkinParityListView, DisabledKeysAndTheWheelAsWithoutTheSkin) {
    std::vector<Gesture> rest = ListGestures();
    rest.erase(rest.begin(), rest.begin() + 6);
    for (const Skin& skin : {kProduct, kScrolls}) ExpectParity(skin, ListView, rest);
}
