// Edges of the skinned controls' input and drawing paths that the system handles quietly and
// a skin object must too: values out of range, a handler that frees the control under a click,
// timers of the control's own, foreign button types, bars that go without a move, buffers that
// cannot be made.
#include "message_log.h"
#include "skinned_form.h"

#include "skin/controls/skin_buttons.h"
#include "skin/controls/skin_checks.h"
#include "skin/controls/skin_edits.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/controls/skin_tabs.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/buttons.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/handles.h"
#include "toolkit/stdctrls.h"
#include "toolkit/subclass.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace testskins;
using namespace skintest;

namespace {

// A data-aware check box as an add-on library publishes it.
class TDBCheckBox : public TCheckBox {
    TOOLKIT_CLASS(TDBCheckBox)
public:
    using TCheckBox::TCheckBox;
    std::string field = "Done";
};

// A bit button that publishes its glyph as a graphic too, as an add-on library does.
class TPngBitBtn : public TBitBtn {
    TOOLKIT_CLASS(TPngBitBtn)
public:
    using TBitBtn::TBitBtn;
    TBitmap png;
};

std::string Lines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "line line line line line line line " + std::to_string(i) + "\r\n";
    return text;
}

} // namespace

const TClassInfo& TDBCheckBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TDBCheckBox>("TDBCheckBox", TCheckBox::StaticClass())
            .Str(
                "DataField", [](TDBCheckBox& c) { return c.field; },
                [](TDBCheckBox& c, const std::string& v) { c.field = v; })
            .Build();
    return info;
}

const TClassInfo& TPngBitBtn::StaticClass() {
    static const TClassInfo info = TClassBuilder<TPngBitBtn>("TPngBitBtn", TBitBtn::StaticClass())
                                       .Obj("PngImage", [](TPngBitBtn& b) { return &b.png; })
                                       .Build();
    return info;
}

TEST(SkinControlEdges, ADataAwareCheckBoxTakesAnyCheckValueAsTheSystemDoes) {
    SkinnedForm t(ControlsSkinStore(12, 8));
    auto* two = t.Add<TDBCheckBox>(10, 10, 140, 21);
    two->SetCaption("Two states");
    auto* three = t.Add<TDBCheckBox>(10, 40, 140, 21);
    three->SetCaption("Three states");
    three->SetAllowGrayed(true);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinCheckBox>(two), nullptr);
    const int gx = kGlyph / 2, gy = 10;
    // The system takes a value past its highest state, a negative one too, as that state:
    // checked for a two-state box, grayed for a three-state one.
    for (WPARAM value : {WPARAM(7), static_cast<WPARAM>(-5), WPARAM(0x7FFFFFFF)}) {
        SCOPED_TRACE(static_cast<long long>(value));
        SendMessageW(two->Handle(), BM_SETCHECK, value, 0);
        SendMessageW(three->Handle(), BM_SETCHECK, value, 0);
        RefreshClient(two->Handle());
        RefreshClient(three->Handle());
        EXPECT_EQ(SendMessageW(two->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(PixelAt(two->Handle(), gx, gy), kGlyphFrames[4]);
        EXPECT_EQ(SendMessageW(three->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
        EXPECT_EQ(PixelAt(three->Handle(), gx, gy), kGlyphFrames[8]);
    }
    // In range, as it always was.
    SendMessageW(two->Handle(), BM_SETCHECK, BST_UNCHECKED, 0);
    RefreshClient(two->Handle());
    EXPECT_EQ(PixelAt(two->Handle(), gx, gy), kGlyphFrames[0]);
    // The frame tables never leave their range.
    for (int base : {-3, 0, 9})
        for (int frames : {4, 12}) {
            const int f = CheckGlyphFrame(base, frames, false, false);
            EXPECT_GE(f, 1);
            EXPECT_LE(f, frames);
        }
}

TEST(SkinControlEdges, ACloseBoxWhoseFormFreesThePageControlTouchesNothingAfter) {
    SkinnedForm t(SmallControlsSkinStore(), 560, 420, 80, 80);
    auto* pc = new TPageControl(t.form.get());
    pc->SetParent(t.form.get());
    pc->SetBounds(10, 10, 400, 200);
    pc->SetTag(kCloseBoxTag);
    for (int i = 0; i < 3; ++i) {
        auto* sheet = new TTabSheet(t.form.get());
        sheet->SetCaption(std::string("Page ") + char('A' + i));
        sheet->SetParent(pc);
    }
    t.Apply();
    auto* s = t.ObjectOf<TSkinTab>(pc);
    ASSERT_NE(s, nullptr);
    HWND wnd = pc->WindowHandle();
    RefreshClient(wnd);
    ASSERT_EQ(s->ItemRects().size(), 3u);
    const RECT box = s->ItemRects()[1];
    // The form answers "not done" after freeing the whole page control.
    int asked = 0;
    TWindowSubclass formHook;
    formHook.Attach(t.form->WindowHandle(), [&](TMessage& m) {
        if (m.Msg == WM_SKIN_CLOSETAB) {
            ++asked;
            delete pc;
            m.Result = 0;
            return;
        }
        formHook.CallPrevious(m);
    });
    const POINT at = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PumpFor(10);
    formHook.Detach();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(t.ObjectOf<TSkinTab>(pc), nullptr);
    // The form lives on and works.
    EXPECT_EQ(t.form->ControlCount(), 0);
    EXPECT_EQ(SendMessageW(t.form->WindowHandle(), WM_SKIN_QUERY, 0, 0), 1);
}

TEST(SkinControlEdges, AButtonsOwnTimersReachItAndLeaveItsStyleAlone) {
    SkinnedForm t(ControlsSkinStore());
    auto* button = t.Add<TButton>(10, 10, 100, 30);
    button->SetCaption("Go");
    std::vector<WPARAM> ticks;
    TWndProcHook recorder;
    recorder.Install(*button, [&](TMessage& m) {
        if (m.Msg == WM_TIMER) ticks.push_back(m.WParam);
        recorder.CallPrevious(m);
    });
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinButton>(button), nullptr);
    HWND wnd = button->Handle();
    ASSERT_TRUE(SetTimer(wnd, 1, 60000, nullptr));
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    SendMessageW(wnd, WM_TIMER, 1, 0);
    SendMessageW(wnd, WM_TIMER, 7, 0);
    EXPECT_EQ(ticks, (std::vector<WPARAM>{1, 7}));
    EXPECT_EQ(GetWindowLongPtrW(wnd, GWL_STYLE), style);
    EXPECT_TRUE(KillTimer(wnd, 1)); // still set: nobody killed it
    recorder.Remove();
}

TEST(SkinControlEdges, ForeignButtonsAreTakenByTheirTypeNotByItsBits) {
    TestApplication();
    HWND dlg = CreateWindowExW(0, L"#32770", L"Foreign", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150,
                               150, 300, 360, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(dlg);
    int y = 10;
    auto child = [&](DWORD style) {
        HWND c = CreateWindowExW(0, L"Button", L"B", WS_CHILD | WS_VISIBLE | style, 10, y, 120, 24,
                                 dlg, nullptr, nullptr, nullptr);
        y += 28;
        return c;
    };
    struct Case {
        DWORD style;
        int family; // 0 none, 1 push, 2 check, 3 radio
    };
    const Case cases[] = {{BS_PUSHBUTTON, 1},
                          {BS_DEFPUSHBUTTON, 1},
                          {BS_CHECKBOX, 2},
                          {BS_AUTOCHECKBOX, 2},
                          {BS_3STATE, 2},
                          {BS_AUTO3STATE, 2},
                          {BS_RADIOBUTTON, 3},
                          {BS_AUTORADIOBUTTON, 3},
                          {BS_SPLITBUTTON, 0},
                          {BS_DEFSPLITBUTTON, 0},
                          {BS_COMMANDLINK, 0},
                          {BS_PUSHBOX, 0},
                          {BS_AUTOCHECKBOX | BS_PUSHLIKE, 0}};
    std::vector<HWND> windows;
    for (const Case& c : cases) windows.push_back(child(c.style));
    std::unique_ptr<TSkinData> data(MakeSkinData(ControlsSkinStore()));
    auto* skin = new TWinSkinForm(nullptr);
    skin->Handle = dlg;
    skin->Attach(data.get());
    SendMessageW(dlg, WM_SKIN_APPLY, 0, kSkinApplyTag);
    PumpFor(20);
    auto familyOf = [&](HWND w) {
        for (TComponent* c : skin->SkinnedControls()) {
            auto* s = dynamic_cast<TSkinControl*>(c);
            if (!s || s->Handle() != w) continue;
            if (dynamic_cast<TSkinRadioButton*>(c)) return 3;
            if (dynamic_cast<TSkinCheckBox*>(c)) return 2;
            if (dynamic_cast<TSkinButton*>(c)) return 1;
            return -1;
        }
        return 0;
    };
    for (size_t i = 0; i < windows.size(); ++i)
        EXPECT_EQ(familyOf(windows[i]), cases[i].family) << "style " << std::hex << cases[i].style;
    DestroyWindow(dlg);
    PumpFor(10);
    delete skin;
}

TEST(SkinControlEdges, APickersArrowSitsOverItsOwnButtonWhicheverSideTheBarsAre) {
    SkinnedForm t(EditsSkinStore());
    auto* picker = t.Add<TDateTimePicker>(20, 20, 160, 24);
    t.Show();
    HWND wnd = picker->WindowHandle();
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    t.Apply();
    auto* object = t.ObjectOf<TSkinDateTime>(picker);
    ASSERT_NE(object, nullptr);
    TArrowButton* arrow = object->Arrow();
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->Left(), picker->Width() - GetSystemMetrics(SM_CXHSCROLL) - 4);
    SendMessageW(arrow->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PumpFor(20);
    HWND calendar = reinterpret_cast<HWND>(SendMessageW(wnd, DTM_GETMONTHCAL, 0, 0));
    EXPECT_TRUE(calendar && IsWindowVisible(calendar));
    SendMessageW(arrow->WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    SendMessageW(wnd, DTM_CLOSEMONTHCAL, 0, 0);
    if (HWND still = reinterpret_cast<HWND>(SendMessageW(wnd, DTM_GETMONTHCAL, 0, 0)))
        ShowWindow(still, SW_HIDE);
    PumpFor(10);
}

// ---------------------------------------------------------------- scroll-bar covers

namespace {

struct BarsForm : SkinnedForm {
    TMemo* memo = nullptr;
    TSkinScrollbar* object = nullptr;
    explicit BarsForm(TScrollStyle bars) : SkinnedForm(ScrollSkinStore(), 520, 380, 90, 90) {
        memo = Add<TMemo>(10, 10, 300, 200);
        memo->SetScrollBars(bars);
        memo->SetWordWrap(false);
        memo->Lines().SetText(Lines(200));
        Apply();
        object = ObjectOf<TSkinScrollbar>(memo);
        PumpFor(20);
    }
};

// The windows just above `host`, nearest first, while they are covers.
std::vector<HWND> CoversAbove(HWND host) {
    std::vector<HWND> out;
    for (HWND w = GetWindow(host, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (!dynamic_cast<TWScrollbar*>(TWinControl::FromHandle(w))) break;
        out.push_back(w);
    }
    return out;
}

} // namespace

TEST(SkinControlEdges, CoversKeepTheirOrderAboveTheHostAcrossPlacements) {
    BarsForm t(ssBoth);
    ASSERT_NE(t.object, nullptr);
    ASSERT_TRUE(t.object->HorzBar()->Shown());
    ASSERT_TRUE(t.object->VertBar()->Shown());
    HWND host = t.memo->Handle();
    const std::vector<HWND> first = CoversAbove(host);
    EXPECT_EQ(first.size(), 2u);
    // Placed where they already are, they are not moved at all, nor shuffled on the way.
    int moves = 0;
    TWndProcHook spies[2];
    TWScrollbar* covers[2] = {t.object->HorzBar(), t.object->VertBar()};
    for (int i = 0; i < 2; ++i)
        spies[i].Install(*covers[i], [&, i](TMessage& m) {
            if (m.Msg == WM_WINDOWPOSCHANGING) ++moves;
            spies[i].CallPrevious(m);
        });
    for (int i = 0; i < 3; ++i) {
        t.object->PlaceBars();
        EXPECT_EQ(CoversAbove(host), first) << i;
    }
    EXPECT_EQ(moves, 0);
    for (TWndProcHook& spy : spies) spy.Remove();
    // Moved with the host, they follow and keep their order.
    t.memo->SetBounds(20, 30, 280, 190);
    PumpFor(10);
    EXPECT_EQ(CoversAbove(host), first);
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    GetScrollBarInfo(host, OBJID_VSCROLL, &info);
    RECT cover;
    GetWindowRect(t.object->VertBar()->Cover(), &cover);
    EXPECT_TRUE(EqualRect(&cover, &info.rcScrollBar));
}

TEST(SkinControlEdges, ABarThatGoesWithoutAMoveTakesItsCoverWithIt) {
    BarsForm t(ssVertical);
    ASSERT_NE(t.object, nullptr);
    TWScrollbar* bar = t.object->VertBar();
    ASSERT_TRUE(bar->Shown());
    HWND host = t.memo->Handle();
    SetWindowLongPtrW(host, GWL_STYLE, GetWindowLongPtrW(host, GWL_STYLE) & ~WS_VSCROLL);
    PumpFor(10);
    EXPECT_FALSE(bar->Shown());
    EXPECT_FALSE(IsWindowVisible(bar->Cover()));
}

TEST(SkinControlEdges, AChildScrollBarsScrollingLightsNoneOfTheHostsArrows) {
    BarsForm t(ssVertical);
    ASSERT_NE(t.object, nullptr);
    HWND host = t.memo->Handle();
    HWND child = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | SBS_VERT, 0, 0, 17, 60, host,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(child);
    SendMessageW(host, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(child));
    EXPECT_EQ(t.object->VertBar()->ActivePart(), kPartNone);
    // The host's own bar still does.
    SendMessageW(host, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(t.object->VertBar()->ActivePart(), kPartSecondArrow);
    SendMessageW(host, WM_VSCROLL, SB_ENDSCROLL, 0);
    DestroyWindow(child);
}

TEST(SkinControlEdges, TheCornerOfABareWindowsBarsIsFilledWhereItIs) {
    SkinnedForm t(ScrollSkinStore(), 520, 380, 90, 90);
    t.Show();
    HWND list =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"ListBox", L"",
                        WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | LBS_DISABLENOSCROLL |
                            LBS_NOINTEGRALHEIGHT,
                        10, 10, 200, 150, t.form->WindowHandle(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(list);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, 600, 0);
    for (int i = 0; i < 40; ++i)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
    auto* object = new TSkinScrollbarH(nullptr);
    object->AttachWindow(list, t.data, nullptr, nullptr);
    ASSERT_TRUE(object->HorzBar() && object->VertBar());
    Refresh(list);
    PumpFor(20);
    ASSERT_TRUE(object->HorzBar()->Shown() && object->VertBar()->Shown());
    // The corner square in window coordinates: right of the horizontal bar, below the vertical.
    SCROLLBARINFO h{}, v{};
    h.cbSize = v.cbSize = sizeof(SCROLLBARINFO);
    GetScrollBarInfo(list, OBJID_HSCROLL, &h);
    GetScrollBarInfo(list, OBJID_VSCROLL, &v);
    RECT w;
    GetWindowRect(list, &w);
    // Each bar reaches one pixel into the square; the rest is the corner's own.
    const RECT corner = {std::max(v.rcScrollBar.left, h.rcScrollBar.right) - w.left,
                         std::max(h.rcScrollBar.top, v.rcScrollBar.bottom) - w.top,
                         v.rcScrollBar.right - w.left, h.rcScrollBar.bottom - w.top};
    ASSERT_GT(corner.right, corner.left);
    RECT hc, vc;
    GetWindowRect(object->HorzBar()->Cover(), &hc);
    GetWindowRect(object->VertBar()->Cover(), &vc);
    SCOPED_TRACE(testing::Message()
                 << "window " << w.left << "," << w.top << " h " << h.rcScrollBar.left << ","
                 << h.rcScrollBar.top << "-" << h.rcScrollBar.right << "," << h.rcScrollBar.bottom
                 << " cover " << hc.left << "," << hc.top << "-" << hc.right << "," << hc.bottom
                 << " v " << v.rcScrollBar.left << "," << v.rcScrollBar.top << "-"
                 << v.rcScrollBar.right << "," << v.rcScrollBar.bottom << " cover " << vc.left
                 << "," << vc.top << "-" << vc.right << "," << vc.bottom);
    int wrong = 0;
    for (int y = corner.top; y < corner.bottom; ++y)
        for (int x = corner.left; x < corner.right; ++x) wrong += WindowPixel(list, x, y) != kFace;
    EXPECT_EQ(wrong, 0);
    delete object;
    DestroyWindow(list);
}

TEST(SkinControlEdges, AnOffscreenBufferWithoutItsBitmapHasNoDc) {
    HDC screen = GetDC(nullptr);
    {
        OffscreenBuffer fine(screen, 40, 20);
        EXPECT_NE(fine.dc(), nullptr);
        OffscreenBuffer huge(screen, 200000, 200000);
        EXPECT_EQ(huge.dc(), nullptr);
    }
    ReleaseDC(nullptr, screen);
}

TEST(SkinControlEdges, AMenuButtonBreaksItsCaptionAndShowsItsFocus) {
    SkinnedForm t(ControlsSkinStore());
    auto* button = t.Add<TButton>(10, 10, 120, 50);
    button->SetCaption("Top");
    auto* edit = t.Add<TEdit>(10, 80, 100, 22);
    t.data->Skin3rd().Add("TButton=menubtn");
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinMenuButton>(button), nullptr);
    HWND wnd = button->Handle();
    // Rows of the caption area (left of the arrow) that carry anything but the frame.
    auto rows = [&](TColor frame) {
        int n = 0;
        for (int y = 0; y < 50; ++y) n += CountOther(wnd, {3, y, 120 - 17, y + 1}, frame) > 0;
        return n;
    };
    edit->SetFocus();
    PumpFor(5);
    RefreshClient(wnd);
    const int one = rows(kPushFrames[0]);
    ASSERT_GT(one, 4);
    button->SetCaption("Top||Bottom");
    RefreshClient(wnd);
    EXPECT_GT(rows(kPushFrames[0]), one + 6); // two lines
    // Hot without the focus, then focused without the mouse: the same frame, and only the
    // focus rectangle between them.
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    RefreshClient(wnd);
    Pixels hot(wnd);
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    button->SetFocus();
    PumpFor(5);
    RefreshClient(wnd);
    Pixels focused(wnd);
    int differ = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 120; ++x) differ += hot.At(x, y) != focused.At(x, y);
    EXPECT_GT(differ, 20);
    EXPECT_EQ(focused.At(2, 2), kPushFrames[3]);
    EXPECT_EQ(hot.At(2, 2), kPushFrames[3]);
}

TEST(SkinControlEdges, AComboRepaintsOnlyItsFrameWhenTheMouseComesAndGoes) {
    for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
        SCOPED_TRACE(style);
        SkinnedForm t(EditsSkinStore());
        auto* combo = t.Add<TComboBox>(20, 20, 160, 24);
        combo->SetStyle(style);
        combo->Items().Add("one");
        combo->SetItemIndex(0);
        auto* edit = t.Add<TEdit>(20, 80, 100, 22);
        int erased = 0;
        TWndProcHook recorder;
        recorder.Install(*combo, [&](TMessage& m) {
            erased += m.Msg == WM_ERASEBKGND;
            recorder.CallPrevious(m);
        });
        t.Apply();
        edit->SetFocus();
        HWND wnd = combo->WindowHandle();
        Refresh(wnd);
        PumpFor(10);
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetComboBoxInfo(wnd, &info));
        const RECT& b = info.rcButton;
        const POINT in = {(b.left + b.right) / 2, (b.top + b.bottom) / 2};
        auto* object = t.ObjectOf<TSkinControl>(combo);
        ASSERT_NE(object, nullptr);
        erased = 0;
        SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(in.x, in.y));
        EXPECT_NE(object->State() & kSkinHot, 0);
        SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(4, in.y));
        EXPECT_EQ(object->State() & kSkinHot, 0);
        // Nothing erased: the text and the edit are never wiped for a hot change.
        EXPECT_EQ(erased, 0);
        recorder.Remove();
    }
}

TEST(SkinControlEdges, ACheckBoxShowsWhatItsParentPaintsBehindIt) {
    SkinnedForm t(ControlsSkinStore());
    // A shape of the form under the check box, as the hatching under the main window's.
    auto* shape = new TShape(t.form.get());
    shape->SetParent(t.form.get());
    shape->SetBounds(0, 0, 300, 100);
    shape->Brush().SetColor(0x3050F0);
    shape->Pen().SetColor(0x3050F0);
    auto* check = t.Add<TCheckBox>(20, 20, 160, 21);
    check->SetCaption("Check");
    auto* radio = t.Add<TRadioButton>(20, 50, 160, 21);
    radio->SetCaption("Radio");
    t.Apply();
    for (TWinControl* c : std::initializer_list<TWinControl*>{check, radio}) {
        HWND wnd = c->Handle();
        RefreshClient(wnd);
        EXPECT_EQ(PixelAt(wnd, 155, 1), TColor(0x3050F0));
        EXPECT_EQ(PixelAt(wnd, 155, 19), TColor(0x3050F0));
        EXPECT_EQ(PixelAt(wnd, kGlyph / 2, 10), c == check ? kGlyphFrames[0] : kRadioFrames[0]);
        EXPECT_GT(CountOther(wnd, {kGlyph + 2, 0, 80, 21}, TColor(0x3050F0)), 10); // caption
    }
}

TEST(SkinControlEdges, AnEmptyGraphicLeavesTheGlyphShowing) {
    SkinnedForm t(ControlsSkinStore());
    constexpr TColor glyphColour = 0x0090C0, graphicColour = 0xC000C0;
    auto make = [&](int y, bool graphic) {
        auto* bit = t.Add<TPngBitBtn>(10, y, 120, 40);
        bit->SetCaption("");
        auto fill = [](TBitmap& b, int size, TColor c) {
            b.SetSize(size, size);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) b.SetPixel(x, y, c);
        };
        fill(bit->Glyph(), 10, glyphColour);
        bit->Glyph().SetTransparentColor(0x00FF00);
        if (graphic) fill(bit->png, 12, graphicColour);
        return bit;
    };
    TPngBitBtn* bare = make(10, false);
    TPngBitBtn* full = make(60, true);
    t.Apply();
    auto* skin = t.ObjectOf<TSkinBitButton>(bare);
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->GlyphProperty, "PngImage");
    const RECT all = {0, 0, 120, 40};
    RefreshClient(bare->Handle());
    EXPECT_EQ(Count(bare->Handle(), all, glyphColour), 100);
    RefreshClient(full->Handle());
    EXPECT_EQ(Count(full->Handle(), all, graphicColour), 144);
    EXPECT_EQ(Count(full->Handle(), all, glyphColour), 0);
}

TEST(SkinControlEdges, ADisabledBitButtonGreysItsGlyphAroundItsKeyColour) {
    SkinnedForm t(ControlsSkinStore());
    // Images of 10 x 10 with a ring of the glyph's set transparent colour, green (not its
    // bottom-left pixel, which is black): `two` has a red disabled image of its own, `one`
    // only its light first image.
    auto make = [&](int y, int images) {
        auto* bit = t.Add<TBitBtn>(10, y, 120, 40);
        bit->SetCaption("");
        TBitmap& g = bit->Glyph();
        g.SetSize(10 * images, 10);
        for (int py = 0; py < 10; ++py)
            for (int px = 0; px < 10 * images; ++px) {
                const int lx = px % 10;
                const bool ring = lx == 0 || lx == 9 || py == 0 || py == 9;
                g.SetPixel(px, py,
                           ring      ? TColor(0x00FF00)
                           : px < 10 ? TColor(0x0090C0)
                                     : TColor(0x0000C0));
            }
        g.SetPixel(0, 9, clBlack);
        g.SetTransparentColor(0x00FF00);
        bit->SetNumGlyphs(images);
        bit->SetEnabled(false);
        return bit;
    };
    TBitBtn* two = make(10, 2);
    TBitBtn* one = make(60, 1);
    t.Apply();
    const RECT all = {0, 0, 120, 40};
    // Greyed: the mean of red 192 is 64; of 0xC0, 0x90 and 0 it is 0x70; green's is 0x55.
    HWND w2 = two->Handle();
    RefreshClient(w2);
    EXPECT_GT(Count(w2, all, TColor(0x404040)), 30);
    EXPECT_EQ(Count(w2, all, TColor(0x0000C0)), 0);
    HWND w1 = one->Handle();
    RefreshClient(w1);
    EXPECT_GT(Count(w1, all, TColor(0x707070)), 30);
    for (HWND w : {w1, w2}) {
        // The ring is the key, greyed or not: it never shows.
        EXPECT_EQ(Count(w, all, TColor(0x00FF00)), 0);
        EXPECT_EQ(Count(w, all, TColor(0x555555)), 0);
    }
}
