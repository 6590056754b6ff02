// Skinned controls on real windows under Wine: which controls the skin takes over, pixels of
// every button and check state read back from the window, what the control's previous window
// procedure and its click handler see with and without the skin object, and the control left
// exactly as it was whichever of the pair goes first.
#include "message_log.h"
#include "skinned_form.h"

#include "skin/controls/skin_buttons.h"
#include "skin/controls/skin_checks.h"
#include "skin/controls/skin_edits.h"
#include "skin/controls/skin_panels.h"
#include "skin/form/control_discovery.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/buttons.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

using namespace testskins;
using namespace skintest;

namespace {

// A shown form with captioned controls.
struct ControlForm : SkinnedForm {
    explicit ControlForm(const std::vector<std::uint8_t>& store)
        : SkinnedForm(store, 420, 320, 120, 120) {
        form->SetCaption("Controls");
    }
    template <typename T> T* Add(int x, int y, int w, int h, const char* caption = "Go") {
        T* c = SkinnedForm::Add<T>(x, y, w, h);
        c->SetCaption(caption);
        return c;
    }
};

// Left out when comparing what a control's previous procedure sees: painting and the
// custom-draw notifications of the system's own painting (the skin object paints instead),
// and the reads the skin object makes to draw (text, check state), which change nothing.
std::vector<UINT> SeenByThePrevious() {
    std::vector<UINT> ignore = MessageLog::DefaultIgnored();
    for (UINT m : {UINT(WM_PAINT), UINT(WM_ERASEBKGND), UINT(WM_NCPAINT), UINT(WM_PRINTCLIENT),
                   UINT(WM_CTLCOLORBTN), CN_CTLCOLORBTN, CN_CTLCOLORSTATIC, CN_NOTIFY,
                   WM_SKIN_QUERY, UINT(WM_GETTEXT), UINT(WM_GETTEXTLENGTH), UINT(BM_GETCHECK),
                   UINT(BM_GETSTATE), UINT(WM_GETFONT)})
        ignore.push_back(m);
    return ignore;
}

} // namespace

// ---------------------------------------------------------------- discovery

TEST(SkinControlDiscovery, EachKindGetsItsFamilyAndUnbuiltFamiliesStayNative) {
    ControlForm t(ControlsSkinStore());
    auto* button = t.Add<TButton>(10, 10, 90, 28);
    auto* bit = t.Add<TBitBtn>(110, 10, 90, 28);
    auto* check = t.Add<TCheckBox>(10, 50, 120, 20, "Check");
    auto* radio = t.Add<TRadioButton>(10, 80, 120, 20, "Radio");
    auto* speed = t.Add<TSpeedButton>(210, 10, 60, 28);
    auto* edit = t.Add<TEdit>(10, 110, 120, 22, "");
    t.Apply();
    EXPECT_NE(t.ObjectOf<TSkinButton>(button), nullptr);
    EXPECT_EQ(t.ObjectOf<TSkinBitButton>(button), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinBitButton>(bit), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinSpeedButton>(speed), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinCheckBox>(check), nullptr);
    EXPECT_EQ(t.ObjectOf<TSkinRadioButton>(check), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinRadioButton>(radio), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinEdit>(edit), nullptr);
    EXPECT_EQ(Query(edit), 1);
    EXPECT_EQ(Query(button), 1);
    EXPECT_EQ(Query(speed), 1);
    // Applying again makes nothing twice.
    const size_t n = t.skin->SkinnedControls().size();
    EXPECT_EQ(n, 6u);
    t.Apply();
    EXPECT_EQ(t.skin->SkinnedControls().size(), n);
}

TEST(SkinControlDiscovery, TagSkin3rdAndKindSetDecideBeforeTheClassRules) {
    ControlForm t(ControlsSkinStore());
    auto* tagged = t.Add<TButton>(10, 10, 90, 28);
    tagged->SetTag(t.data->DisableTag);
    auto* group = t.Add<TRadioGroup>(10, 50, 150, 90, "Group");
    group->Items().Add("one");
    group->Items().Add("two");
    group->SetTag(t.data->DisableTag);
    auto* loose = t.Add<TRadioButton>(200, 50, 100, 20, "Loose");
    auto* check = t.Add<TCheckBox>(200, 80, 100, 20, "Check");
    t.data->Skin3rd().Add("TCheckBox=nil");
    t.data->SkinControls &= ~SetBit(xcButton);
    auto* other = t.Add<TButton>(110, 10, 90, 28);
    t.Apply();
    EXPECT_EQ(Query(tagged), 0);
    EXPECT_EQ(Query(other), 0); // xcButton is off
    ASSERT_EQ(group->ButtonCount(), 2);
    for (int i = 0; i < group->ButtonCount(); ++i) {
        EXPECT_EQ(group->Buttons(i)->Tag(), t.data->DisableTag);
        EXPECT_EQ(Query(group->Buttons(i)), 0);
    }
    EXPECT_EQ(Query(loose), 1);
    EXPECT_EQ(Query(check), 0); // "nil" wins over the check-box rule
}

TEST(SkinControlDiscovery, TheApplicationEventAndTheFamilyTableDecideAndOrderTheObjects) {
    ControlForm t(ControlsSkinStore());
    auto* panel = t.Add<TPanel>(10, 10, 200, 100, "");
    auto* inside = new TButton(t.form.get());
    inside->SetParent(panel);
    inside->SetBounds(10, 10, 80, 26);
    auto* chosen = t.Add<TCheckBox>(220, 10, 100, 20, "Mine");
    std::vector<TControl*> made;
    SetSkinFamilyFactory(TSkinFamily::Box, [&](TComponent* owner) -> TSkinControl* {
        made.push_back(dynamic_cast<TControl*>(owner));
        return new TSkinControl(owner);
    });
    auto original = TSkinFamily::Button;
    SetSkinFamilyFactory(original, [&](TComponent* owner) -> TSkinControl* {
        made.push_back(dynamic_cast<TControl*>(owner));
        return new TSkinButton(owner);
    });
    std::string askedClass;
    t.data->OnSkinControl = [&](TComponent*, TSkinData*, TControl*, TControl* control,
                                const std::string& cls, TComponent*& skinned) {
        if (control == chosen) {
            askedClass = cls;
            skinned = new TSkinButton(control);
        }
    };
    t.Apply();
    // Both factories back as they were: later tests skin panels and buttons.
    SetSkinFamilyFactory(TSkinFamily::Box, [](TComponent* o) -> TSkinControl* {
        return o ? new TSkinBox(o) : nullptr;
    });
    SetSkinFamilyFactory(original, [](TComponent* o) { return new TSkinButton(o); });
    EXPECT_EQ(askedClass, "TCHECKBOX");
    EXPECT_NE(t.ObjectOf<TSkinButton>(chosen), nullptr);
    EXPECT_EQ(t.ObjectOf<TSkinCheckBox>(chosen), nullptr);
    // The panel's children first, then the panel, each once.
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0], inside);
    EXPECT_EQ(made[1], panel);
}

TEST(SkinControlDiscovery, ForeignDialogButtonsAreSkinnedByClassAndStyle) {
    TestApplication();
    HWND dlg = CreateWindowExW(0, L"#32770", L"Foreign", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150,
                               150, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(dlg);
    auto child = [&](DWORD style, const wchar_t* text, int y, int id) {
        return CreateWindowExW(0, L"Button", text, WS_CHILD | WS_VISIBLE | style, 10, y, 120, 24,
                               dlg, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                               nullptr);
    };
    HWND push = child(BS_PUSHBUTTON, L"OK", 10, IDOK);
    HWND check = child(BS_AUTOCHECKBOX, L"Check", 40, 11);
    HWND radio = child(BS_AUTORADIOBUTTON, L"Radio", 70, 12);
    HWND group = child(BS_GROUPBOX, L"Group", 100, 13);
    HWND owner = child(BS_OWNERDRAW, L"Owner", 130, 14);
    std::unique_ptr<TSkinData> data(MakeSkinData(ControlsSkinStore()));
    auto* skin = new TWinSkinForm(nullptr);
    skin->Handle = dlg;
    skin->Attach(data.get());
    SendMessageW(dlg, WM_SKIN_APPLY, 0, kSkinApplyTag);
    PumpFor(20);
    EXPECT_EQ(SendMessageW(push, WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageW(check, WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageW(radio, WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageW(group, WM_SKIN_QUERY, 0, 0), 0);
    EXPECT_EQ(SendMessageW(owner, WM_SKIN_QUERY, 0, 0), 0);
    int buttons = 0, checks = 0, radios = 0;
    for (TComponent* c : skin->SkinnedControls()) {
        if (dynamic_cast<TSkinRadioButton*>(c))
            ++radios;
        else if (dynamic_cast<TSkinCheckBox*>(c))
            ++checks;
        else if (dynamic_cast<TSkinButton*>(c))
            ++buttons;
    }
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(radios, 1);
    // The bare push button is drawn from the skin and clicks its parent through WM_COMMAND.
    RefreshClient(push);
    EXPECT_EQ(PixelAt(push, 1, 1), kPushFrames[0]);
    SendMessageW(push, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(push, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, dlg, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(IDOK));
    EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(push));
    const int thunks = LiveSubclassThunks();
    DestroyWindow(dlg);
    PumpFor(10);
    delete skin;
    EXPECT_LT(LiveSubclassThunks(), thunks);
}

namespace {
// A foreign dialog with two push buttons, skinned by hand.
struct ForeignButtons {
    HWND dlg = nullptr, first = nullptr, second = nullptr;
    std::unique_ptr<TSkinData> data;
    TWinSkinForm* skin = nullptr;
    explicit ForeignButtons(bool frame = true) {
        TestApplication();
        dlg = CreateWindowExW(0, L"#32770", L"Foreign", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150,
                              150, 300, 200, nullptr, nullptr, nullptr, nullptr);
        auto child = [&](int y) {
            return CreateWindowExW(0, L"Button", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10,
                                   y, 120, 24, dlg, nullptr, nullptr, nullptr);
        };
        first = child(10);
        second = child(50);
        data.reset(MakeSkinData(ControlsSkinStore()));
        if (!frame) data->SkinControls &= ~SetBit(xcMainMenu);
        skin = new TWinSkinForm(nullptr);
        skin->Handle = dlg;
        skin->Attach(data.get());
        SendMessageW(dlg, WM_SKIN_APPLY, 0, kSkinApplyTag);
        PumpFor(20);
    }
    ~ForeignButtons() {
        DestroyWindow(dlg);
        PumpFor(10);
        delete skin;
    }
    TSkinControl* ObjectOf(HWND w) const {
        for (TComponent* c : skin->SkinnedControls())
            if (auto* s = dynamic_cast<TSkinControl*>(c); s && s->Handle() == w) return s;
        return nullptr;
    }
    void MoveOnto(HWND w) const {
        RECT r;
        GetWindowRect(w, &r);
        SetCursorPos(r.left + 5, r.top + 5);
        SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    }
};
} // namespace

TEST(SkinControlDiscovery, AForeignWindowsControlUnderTheMouseIsToldWhenTheMouseLeavesIt) {
    ForeignButtons t;
    ASSERT_TRUE(t.first && t.second);
    TSkinControl* first = t.ObjectOf(t.first);
    TSkinControl* second = t.ObjectOf(t.second);
    ASSERT_TRUE(first && second);
    SendMessageW(t.dlg, WM_NCACTIVATE, TRUE, 0);
    int leaves = 0;
    TWindowSubclass spy;
    spy.Attach(t.first, [&](TMessage& m) {
        if (m.Msg == CM_MOUSELEAVE) ++leaves;
        spy.CallPrevious(m);
    });
    t.MoveOnto(t.first);
    EXPECT_EQ(t.skin->MarkedControl(), first);
    PumpFor(300); // the timer looks while the mouse rests on it
    EXPECT_EQ(leaves, 0);
    SetCursorPos(5, 5);
    PumpUntil([&] { return leaves > 0; }, 1000);
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(t.skin->MarkedControl(), nullptr);
    // Deactivated with the mouse on it: told at once, and the hover look goes.
    t.MoveOnto(t.first);
    EXPECT_TRUE(first->State() & kSkinHot);
    SendMessageW(t.dlg, WM_NCACTIVATE, FALSE, 0);
    EXPECT_EQ(leaves, 2);
    EXPECT_FALSE(first->State() & kSkinHot);
    EXPECT_EQ(t.skin->MarkedControl(), nullptr);
    // Straight onto the next control: one mark at a time.
    SendMessageW(t.dlg, WM_NCACTIVATE, TRUE, 0);
    t.MoveOnto(t.first);
    t.MoveOnto(t.second);
    EXPECT_EQ(leaves, 3);
    EXPECT_EQ(t.skin->MarkedControl(), second);
    spy.Detach();
    SetCursorPos(5, 5);
}

TEST(SkinControlDiscovery, AWindowSkinnedWithoutItsFrameIsRepaintedWhenTheSkinGoes) {
    ForeignButtons t(false);
    ASSERT_TRUE(t.first);
    RefreshClient(t.first);
    ASSERT_EQ(PixelAt(t.first, 1, 1), kPushFrames[0]);
    RedrawWindow(t.dlg, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    t.skin->Detach();
    EXPECT_TRUE(GetUpdateRect(t.first, nullptr, FALSE));
    PumpFor(20);
    EXPECT_NE(PixelAt(t.first, 1, 1), kPushFrames[0]); // the system's own button again
}

// ---------------------------------------------------------------- the base object

TEST(SkinControlBase, QuerySuspendResumeAndASecondAttach) {
    ControlForm t(ControlsSkinStore());
    auto* button = t.Add<TButton>(10, 10, 100, 30);
    MessageLog previous;
    TWndProcHook recorder;
    recorder.Install(*button, [&](TMessage& m) {
        previous.Record(m.Msg, m.WParam, m.LParam);
        recorder.CallPrevious(m);
    });
    t.Apply();
    auto* object = t.ObjectOf<TSkinButton>(button);
    ASSERT_NE(object, nullptr);
    HWND wnd = button->Handle();
    previous.Clear();
    EXPECT_EQ(SendMessageW(wnd, WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_FALSE(previous.Contains(WM_SKIN_QUERY));

    object->AttachControl(t.skin, t.data, true, nullptr); // ignored
    EXPECT_EQ(t.skin->SkinnedControls().size(), 1u);

    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[0]);
    SendMessageW(wnd, WM_SKIN_ACTIVE, 0, 0);
    EXPECT_FALSE(object->Active());
    RefreshClient(wnd);
    // The system's own button: drawn (an edge and a caption on its face), with no frame of
    // the skin anywhere.
    EXPECT_GT(CountOther(wnd, {0, 0, 100, 30}, PixelAt(wnd, 6, 15)), 20);
    for (TColor frame : kPushFrames) EXPECT_EQ(Count(wnd, {0, 0, 100, 30}, frame), 0);
    previous.Clear();
    SendMessageW(wnd, WM_SKIN_QUERY, 0, 0);
    EXPECT_TRUE(previous.Contains(WM_SKIN_QUERY)); // suspended: straight through
    SendMessageW(wnd, WM_SKIN_ACTIVE, 1, 0);
    EXPECT_TRUE(object->Active());
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[0]); // repainted at once
}

TEST(SkinControlBase, ParentBackgroundAndColourComeBackAtRestore) {
    ControlForm t(ControlsSkinStore());
    auto* on = t.Add<TPanel>(10, 10, 100, 50, "");
    auto* off = t.Add<TPanel>(120, 10, 100, 50, "");
    on->SetParentBackground(true);
    off->SetParentBackground(false);
    on->SetColor(clRed);
    t.data->SkinControls &= ~SetBit(xcPanel); // the objects below are the panels' only ones
    t.Apply();
    auto* a = new TSkinControl(on);
    auto* b = new TSkinControl(off);
    a->AttachControl(t.skin, t.data, true, nullptr);
    b->AttachControl(t.skin, t.data, true, nullptr);
    EXPECT_FALSE(on->ParentBackground());
    EXPECT_EQ(a->Kind(), 1);
    EXPECT_EQ(b->Kind(), 0);
    EXPECT_EQ(on->Color(), t.data->ButtonFaceColor);
    EndSkinObject(a);
    EXPECT_EQ(Query(on), 0);
    EXPECT_TRUE(on->ParentBackground());
    EXPECT_EQ(on->Color(), clRed);
    auto* c = new TSkinControl(on);
    c->AttachControl(t.skin, t.data, true, nullptr);
    c->RestoreControl();
    EXPECT_TRUE(on->ParentBackground());
    EXPECT_EQ(on->Color(), clRed);
    b->RestoreControl();
    EXPECT_FALSE(off->ParentBackground());
    t.data->Options |= SetBit(xoParentBackGround);
    auto* d = new TSkinControl(on);
    d->AttachControl(t.skin, t.data, true, nullptr);
    EXPECT_TRUE(on->ParentBackground()); // the option keeps it
}

TEST(SkinControlBase, RestoreInEveryOrderLeavesTheControlAsItWas) {
    ControlForm t(ControlsSkinStore());
    auto* first = t.Add<TButton>(10, 10, 100, 30);
    auto* second = t.Add<TButton>(10, 50, 100, 30);
    auto* third = t.Add<TCheckBox>(10, 90, 100, 20, "c");
    int clicks = 0;
    first->OnClick = [&](TObject*) { ++clicks; };
    t.Apply();
    ASSERT_EQ(t.skin->SkinnedControls().size(), 3u);
    // The object first: the control answers as an unskinned one and still clicks once.
    delete t.ObjectOf(first);
    EXPECT_EQ(Query(first), 0);
    EXPECT_EQ(t.skin->SkinnedControls().size(), 2u);
    SendMessageW(first->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    // The control first: its object goes with it and leaves the list.
    delete second;
    EXPECT_EQ(t.skin->SkinnedControls().size(), 1u);
    // A new window for the control keeps it skinned.
    third->RecreateWnd();
    third->HandleNeeded();
    EXPECT_EQ(SendMessageW(third->Handle(), WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(t.ObjectOf(third)->Stage(), 1);
    // The form closed with its objects alive.
    t.form.reset();
    PumpFor(10);
}

TEST(SkinControlBase, NoHandleGrowthOverRepaintsAndSkinCycles) {
    ControlForm t(ProductSkinStore());
    auto* button = t.Add<TButton>(10, 10, 100, 30);
    auto* check = t.Add<TCheckBox>(10, 50, 100, 20, "c");
    t.Apply();
    PumpFor(20);
    GuiCounts before = CurrentGuiCounts();
    for (int i = 0; i < 1000; ++i) {
        RefreshClient(button->Handle());
        RefreshClient(check->Handle());
    }
    GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    const int thunks = LiveSubclassThunks();
    for (int i = 0; i < 50; ++i) {
        t.skin->Detach();
        delete t.skin;
        t.skin = nullptr;
        t.Apply();
    }
    PumpFor(20);
    EXPECT_LE(CurrentGuiCounts().gdi, before.gdi);
    EXPECT_EQ(LiveSubclassThunks(), thunks);
}

// ---------------------------------------------------------------- buttons

TEST(SkinControlButton, EachStateShowsItsFrame) {
    ControlForm t(ControlsSkinStore());
    auto* button = t.Add<TButton>(10, 10, 100, 30);
    auto* def = t.Add<TButton>(10, 50, 100, 30);
    def->SetDefault(true);
    auto* other = t.Add<TEdit>(10, 90, 100, 22, "");
    t.Apply();
    HWND wnd = button->Handle();
    other->SetFocus();
    RefreshClient(wnd);
    RefreshClient(def->Handle());
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[0]);
    EXPECT_EQ(PixelAt(def->Handle(), 2, 2), kPushFrames[0]); // default but not focused
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[3]);
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[1]);
    EXPECT_EQ(GetFocus(), wnd); // pressing focuses
    // Dragged off while held: no longer pressed nor hot, so the focused frame.
    SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-20, 5));
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[4]); // focused
    SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[1]); // back on it: pressed again
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(-20, 5));
    button->SetEnabled(false);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[2]);
}

TEST(SkinControlButton, FocusRectangleUnlessTheOptionSaysNo) {
    ControlForm t(ControlsSkinStore());
    auto* button = t.Add<TButton>(10, 10, 120, 40, "");
    t.Apply();
    HWND wnd = button->Handle();
    button->SetFocus();
    RefreshClient(wnd);
    const RECT all = {0, 0, 120, 40};
    const int with = CountOther(wnd, all, kPushFrames[4]);
    t.data->Options |= SetBit(xoNoFocusRect);
    RefreshClient(wnd);
    const int without = CountOther(wnd, all, kPushFrames[4]);
    EXPECT_EQ(without, 0); // no caption, no focus rectangle
    EXPECT_GT(with, 0);
}

TEST(SkinControlButton, CaptionBreaksAtTheFirstDoubleBarOnly) {
    EXPECT_EQ(TSkinButton::SplitCaption(L"a||b||c"), L"a\r\nb||c");
    EXPECT_EQ(TSkinButton::SplitCaption(L"ab"), L"ab");
    ControlForm t(ControlsSkinStore());
    auto* one = t.Add<TButton>(10, 10, 120, 60, "Wide");
    auto* two = t.Add<TButton>(140, 10, 120, 60, "Wide||Wide");
    t.Apply();
    RefreshClient(one->Handle());
    RefreshClient(two->Handle());
    // The broken caption takes two lines: more rows carry text.
    auto rows = [](HWND w) {
        HDC dc = GetDC(w);
        int n = 0;
        for (int y = 0; y < 60; ++y) {
            bool text = false;
            for (int x = 0; x < 120 && !text; ++x)
                text = static_cast<TColor>(GetPixel(dc, x, y)) != kPushFrames[0];
            n += text;
        }
        ReleaseDC(w, dc);
        return n;
    };
    EXPECT_GT(rows(two->Handle()), rows(one->Handle()) + 4);
}

TEST(SkinControlButton, ClicksReachTheHandlerOnceAndKeysWorkAsBefore) {
    for (bool skinned : {false, true}) {
        SCOPED_TRACE(skinned ? "skinned" : "plain");
        ControlForm t(ControlsSkinStore());
        auto* button = t.Add<TButton>(10, 10, 100, 30);
        int clicks = 0;
        button->OnClick = [&](TObject*) { ++clicks; };
        if (skinned)
            t.Apply();
        else {
            t.form->Show();
            PumpFor(10);
        }
        HWND wnd = button->Handle();
        SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        PumpFor(5);
        EXPECT_EQ(clicks, 1);
        button->SetFocus();
        SendMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
        SendMessageW(wnd, WM_KEYUP, VK_SPACE, 0xC0390001);
        PumpFor(5);
        EXPECT_EQ(clicks, 2);
        if (skinned) {
            // Pressed, then the mouse left: releasing outside gives no click.
            SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
            SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
            SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
            PumpFor(5);
            EXPECT_EQ(clicks, 2);
        }
    }
}

TEST(SkinControlButton, ThePreviousProcedureSeesKeysFocusAndTextAsWithoutTheSkin) {
    std::vector<UINT> seen[2];
    for (int skinned = 0; skinned < 2; ++skinned) {
        ControlForm t(ControlsSkinStore());
        auto* button = t.Add<TButton>(10, 10, 100, 30);
        auto* edit = t.Add<TEdit>(10, 50, 100, 22, "");
        t.form->Show();
        PumpFor(10);
        MessageLog log(SeenByThePrevious());
        TWndProcHook recorder;
        recorder.Install(*button, [&](TMessage& m) {
            log.Record(m.Msg);
            recorder.CallPrevious(m);
        });
        if (skinned) t.Apply();
        edit->SetFocus();
        PumpFor(5);
        log.Clear();
        HWND wnd = button->Handle();
        button->SetFocus();
        SendMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
        SendMessageW(wnd, WM_KEYUP, VK_SPACE, 0xC0390001);
        SetWindowTextW(wnd, L"New");
        edit->SetFocus();
        PumpFor(5);
        seen[skinned] = log.Messages();
        EXPECT_FALSE(seen[skinned].empty());
    }
    EXPECT_EQ(seen[0], seen[1]);
}

TEST(SkinControlButton, BitButtonGlyphFollowsTheLayout) {
    ControlForm t(ControlsSkinStore());
    auto* bit = t.Add<TBitBtn>(10, 10, 120, 60, "");
    TBitmap& g = bit->Glyph();
    g.SetSize(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) g.SetPixel(x, y, (x == 0 && y == 9) ? clFuchsia : 0x00C0FF);
    bit->SetMargin(4);
    t.Apply();
    HWND wnd = bit->Handle();
    struct Case {
        TButtonLayout layout;
        POINT inside;
    } cases[] = {{blGlyphLeft, {4 + 5, 30}},
                 {blGlyphRight, {120 - 4 - 5, 30}},
                 {blGlyphTop, {60, 4 + 5}},
                 {blGlyphBottom, {60, 60 - 4 - 5}}};
    for (const Case& c : cases) {
        bit->SetLayout(c.layout);
        RefreshClient(wnd);
        EXPECT_EQ(PixelAt(wnd, c.inside.x, c.inside.y), 0x00C0FF) << c.layout;
        EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[0]);
    }
}

TEST(SkinControlButton, SpeedButtonFlatDownAndHot) {
    ControlForm t(ControlsSkinStore());
    auto* speed = t.Add<TSpeedButton>(10, 10, 60, 30, "");
    speed->SetFlat(true);
    t.Apply();
    HWND wnd = t.form->WindowHandle();
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 12, 12), kFace); // flat at rest: no frame, the background
    speed->Perform(CM_MOUSEENTER, 0, 0);
    PumpFor(5);
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 12, 12), kPushFrames[3]);
    speed->Perform(CM_MOUSELEAVE, 0, 0);
    speed->SetGroupIndex(1);
    speed->SetDown(true);
    speed->SetEnabled(false);
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 12, 12), kPushFrames[1]); // down wins over disabled
}

// ---------------------------------------------------------------- check boxes and radios

TEST(SkinControlCheck, GlyphFrameTables) {
    // 4 frames: the base numbers; grayed shows 4.
    EXPECT_EQ(CheckGlyphFrame(1, 4, false, false), 1);
    EXPECT_EQ(CheckGlyphFrame(4, 4, false, true), 4);
    EXPECT_EQ(CheckGlyphFrame(4, 4, true, false), 4);
    // 12 frames remap; grayed 9, or 12 disabled.
    EXPECT_EQ(CheckGlyphFrame(2, 12, false, false), 5);
    EXPECT_EQ(CheckGlyphFrame(3, 12, false, true), 4);
    EXPECT_EQ(CheckGlyphFrame(4, 12, false, true), 8);
    EXPECT_EQ(CheckGlyphFrame(4, 12, true, false), 9);
    EXPECT_EQ(CheckGlyphFrame(4, 12, true, true), 12);
    EXPECT_EQ(RadioGlyphFrame(2, 8), 5);
    EXPECT_EQ(RadioGlyphFrame(4, 8), 8);
    EXPECT_EQ(RadioGlyphFrame(2, 4), 2);
}

TEST(SkinControlCheck, StatesShowTheirFramesOnTheWindow) {
    for (int frames : {4, 12}) {
        SCOPED_TRACE(frames);
        ControlForm t(ControlsSkinStore(frames, 8));
        auto* check = t.Add<TCheckBox>(10, 10, 140, 21, "Check");
        check->SetAllowGrayed(true);
        auto* radio = t.Add<TRadioButton>(10, 40, 140, 21, "Radio");
        t.Apply();
        HWND wnd = check->Handle();
        const int gx = kGlyph / 2, gy = 10;
        auto glyph = [&](int frame) { return kGlyphFrames[frame - 1]; };
        RefreshClient(wnd);
        EXPECT_EQ(PixelAt(wnd, gx, gy), glyph(1));
        EXPECT_EQ(PixelAt(wnd, 139, 1), kFace); // background filled with the face colour
        check->SetChecked(true);
        PumpFor(5);
        EXPECT_EQ(PixelAt(wnd, gx, gy), glyph(frames == 12 ? 5 : 2));
        check->SetState(cbGrayed);
        PumpFor(5);
        EXPECT_EQ(PixelAt(wnd, gx, gy), glyph(frames == 12 ? 9 : 4));
        check->SetEnabled(false);
        RefreshClient(wnd);
        EXPECT_EQ(PixelAt(wnd, gx, gy), glyph(frames == 12 ? 12 : 4));
        check->SetState(cbChecked);
        RefreshClient(wnd);
        EXPECT_EQ(PixelAt(wnd, gx, gy), glyph(frames == 12 ? 8 : 4));
        // Clicking repaints at once.
        HWND r = radio->Handle();
        RefreshClient(r);
        EXPECT_EQ(PixelAt(r, gx, gy), kRadioFrames[0]);
        SendMessageW(r, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(r, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        PumpFor(5);
        EXPECT_TRUE(radio->Checked());
        EXPECT_EQ(PixelAt(r, gx, gy), kRadioFrames[4]);
    }
}

TEST(SkinControlCheck, LeftTextPutsTheGlyphAtTheRightEdge) {
    ControlForm t(ControlsSkinStore(4, 4));
    auto* check = t.Add<TCheckBox>(10, 10, 140, 21, "Check");
    check->SetAlignment(taLeftJustify);
    t.Apply();
    HWND wnd = check->Handle();
    ASSERT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & BS_LEFTTEXT);
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 140 - kGlyph / 2 - 1, 10), kGlyphFrames[0]);
    EXPECT_NE(PixelAt(wnd, kGlyph / 2, 10), kGlyphFrames[0]);
}

TEST(SkinControlCheck, WithoutAStripTheControlPaintsItself) {
    ControlForm t(ControlsSkinStore(0, 0));
    auto* check = t.Add<TCheckBox>(10, 10, 140, 21, "Check");
    t.Apply();
    auto* object = t.ObjectOf<TSkinCheckBox>(check);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->Kind(), 0);
    HWND wnd = check->Handle();
    RefreshClient(wnd);
    // The system's glyph, not a face-coloured fill over it.
    EXPECT_NE(CountOther(wnd, {0, 0, 20, 21}, kFace), 0);
}

TEST(SkinControlCheck, ThePreviousProcedureSeesChecksAndClicksAsWithoutTheSkin) {
    std::vector<UINT> seen[2];
    int changes[2] = {0, 0};
    for (int skinned = 0; skinned < 2; ++skinned) {
        ControlForm t(ControlsSkinStore());
        auto* check = t.Add<TCheckBox>(10, 10, 140, 21, "Check");
        check->OnClick = [&](TObject*) { ++changes[skinned]; };
        t.form->Show();
        PumpFor(10);
        MessageLog log(SeenByThePrevious());
        TWndProcHook recorder;
        recorder.Install(*check, [&](TMessage& m) {
            log.Record(m.Msg, m.Msg == BM_SETCHECK ? m.WParam : 0, 0);
            recorder.CallPrevious(m);
        });
        if (skinned) t.Apply();
        log.Clear();
        HWND wnd = check->Handle();
        SendMessageW(wnd, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        SendMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
        SendMessageW(wnd, WM_KEYUP, VK_SPACE, 0xC0390001);
        PumpFor(5);
        seen[skinned] = log.Messages();
        EXPECT_TRUE(check->Checked()); // set, clicked off, toggled on by Space
    }
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(changes[0], changes[1]);
    EXPECT_GT(changes[1], 0);
}

TEST(SkinControlButton, MenuButtonFromTheClassMapDrawsItsArrow) {
    ControlForm t(ControlsSkinStore());
    auto* button = t.Add<TButton>(10, 10, 100, 30, "Menu");
    t.data->Skin3rd().Add("TButton=menubtn");
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinMenuButton>(button), nullptr);
    HWND wnd = button->Handle();
    RefreshClient(wnd);
    // The triangle's middle, in window text; the frame around it.
    EXPECT_EQ(PixelAt(wnd, 100 - 12, 15), static_cast<TColor>(ColorToRGB(clWindowText)));
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[0]);
    button->SetFocus();
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[3]); // focused shows hot
    button->SetEnabled(false);
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 100 - 12, 15), static_cast<TColor>(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(PixelAt(wnd, 2, 2), kPushFrames[2]);
}

// What the keyboard does on a form of buttons, a check box and a radio group, with and without
// the skin: Tab order, Space, Enter on the default button, arrows in the group, accelerators.
TEST(SkinControlKeyboard, KeysDoWhatTheyDidWithoutTheSkin) {
    struct Outcome {
        std::vector<std::string> focus;
        int okClicks = 0, goClicks = 0;
        bool checked = false;
        int radio = -1;
        bool operator==(const Outcome&) const = default;
    } seen[2];
    for (int skinned = 0; skinned < 2; ++skinned) {
        SCOPED_TRACE(skinned ? "skinned" : "plain");
        ControlForm t(ControlsSkinStore());
        auto* edit = t.Add<TEdit>(10, 10, 100, 22, "");
        edit->SetName("edit");
        auto* ok = t.Add<TButton>(10, 40, 90, 26, "OK");
        ok->SetName("ok");
        ok->SetDefault(true);
        auto* go = t.Add<TButton>(110, 40, 90, 26, "&Go");
        go->SetName("go");
        auto* check = t.Add<TCheckBox>(10, 80, 120, 20, "Check");
        check->SetName("check");
        auto* r1 = t.Add<TRadioButton>(10, 110, 120, 20, "One");
        r1->SetName("r1");
        auto* r2 = t.Add<TRadioButton>(10, 135, 120, 20, "Two");
        r2->SetName("r2");
        Outcome& o = seen[skinned];
        ok->OnClick = [&](TObject*) { ++o.okClicks; };
        go->OnClick = [&](TObject*) { ++o.goClicks; };
        if (skinned) {
            t.Apply();
            ASSERT_EQ(t.skin->SkinnedControls().size(), 6u); // the edit too
        } else {
            t.form->Show();
            PumpFor(10);
        }
        auto key = [](UINT vk) {
            HWND focus = GetFocus();
            PostMessageW(focus, WM_KEYDOWN, vk, 1);
            PostMessageW(focus, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
            PumpFor(20);
        };
        auto focused = [&] {
            TWinControl* c = TWinControl::FromHandle(GetFocus());
            o.focus.push_back(c ? c->Name() : "?");
        };
        edit->SetFocus();
        PumpFor(10);
        key(VK_RETURN); // the default button
        for (int i = 0; i < 4; ++i) {
            key(VK_TAB);
            focused();
        }
        check->SetFocus();
        PumpFor(10);
        key(VK_SPACE);
        o.checked = check->Checked();
        r1->SetFocus();
        r1->SetChecked(true);
        PumpFor(10);
        key(VK_DOWN);
        focused();
        o.radio = r2->Checked() ? 2 : r1->Checked() ? 1 : 0;
        PostMessageW(GetFocus(), WM_SYSCHAR, L'g', 1u << 29);
        PumpFor(20);
    }
    EXPECT_EQ(seen[0].focus, seen[1].focus);
    EXPECT_EQ(seen[0].okClicks, seen[1].okClicks);
    EXPECT_EQ(seen[0].goClicks, seen[1].goClicks);
    EXPECT_EQ(seen[0].checked, seen[1].checked);
    EXPECT_EQ(seen[0].radio, seen[1].radio);
    // And the keys did something: Tab moved on, Space checked, the accelerator pressed "&Go".
    EXPECT_EQ(seen[1].focus.front(), "ok");
    EXPECT_TRUE(seen[1].checked);
    EXPECT_EQ(seen[1].goClicks, 1);
}
