// The life of every control family's skin object under Wine, one table row per family: a skin
// switched at run time looks like the same skin attached fresh, a skin taken off leaves the
// control as one that never had a skin (pixels, colours, styles, ParentBackground and what its
// previous procedure sees), and a control that makes itself a new window is skinned again.
// The first skin is the product skin; the second one of other geometry.
#include "message_log.h"
#include "skinned_form.h"

#include "skin/controls/skin_buttons.h"
#include "skin/controls/skin_checks.h"
#include "skin/controls/skin_combo.h"
#include "skin/controls/skin_edits.h"
#include "skin/controls/skin_listview.h"
#include "skin/controls/skin_panels.h"
#include "skin/controls/skin_progress.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/controls/skin_tabs.h"
#include "skin/form/control_discovery.h"
#include "toolkit/buttons.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace testskins;
using namespace skintest;

namespace {

using Store = std::vector<std::uint8_t>;

struct Family {
    const char* name;
    Store (*second)();
    // Adds the control, configured, to the form.
    std::function<TControl*(SkinnedForm&)> make;
    // Makes the control build a new window (and end as it was); null for window-less ones.
    std::function<void(TControl*)> recreate;
    // A skin without the family's part, which leaves the control native; or null.
    Store (*sparse)() = nullptr;
    // Checks that what the object keeps of the control's children is of its window of now.
    std::function<void(SkinnedForm&, TControl*)> children = nullptr;
};

void ComboChildren(SkinnedForm& t, TControl* c) {
    auto* object = t.ObjectOf<TSkinComBox>(c);
    ASSERT_NE(object, nullptr);
    COMBOBOXINFO info{sizeof info};
    ASSERT_TRUE(GetComboBoxInfo(static_cast<TWinControl*>(c)->WindowHandle(), &info));
    EXPECT_EQ(object->EditHandle(), info.hwndItem);
    ASSERT_NE(object->ListBars(), nullptr);
    EXPECT_EQ(object->ListBars()->Handle(), info.hwndList);
}

// The arrow's click reaches the picker's window of now, which opens its calendar.
void PickerChildren(SkinnedForm& t, TControl* c) {
    auto* object = t.ObjectOf<TSkinDateTime>(c);
    ASSERT_NE(object, nullptr);
    ASSERT_NE(object->Arrow(), nullptr);
    HWND picker = static_cast<TWinControl*>(c)->WindowHandle();
    HWND arrow = object->Arrow()->WindowHandle();
    EXPECT_EQ(GetParent(arrow), picker);
    SendMessageW(arrow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PumpFor(20);
    HWND calendar = reinterpret_cast<HWND>(SendMessageW(picker, DTM_GETMONTHCAL, 0, 0));
    EXPECT_TRUE(calendar && IsWindowVisible(calendar));
    SendMessageW(arrow, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    SendMessageW(picker, DTM_CLOSEMONTHCAL, 0, 0);
    if (HWND still = reinterpret_cast<HWND>(SendMessageW(picker, DTM_GETMONTHCAL, 0, 0)))
        ShowWindow(still, SW_HIDE);
    PumpFor(10);
}

void ListViewChildren(SkinnedForm& t, TControl* c) {
    auto* object = t.ObjectOf<TSkinListView>(c);
    ASSERT_NE(object, nullptr);
    ASSERT_NE(object->Header(), nullptr);
    EXPECT_EQ(object->Header()->Handle(),
              ListView_GetHeader(static_cast<TWinControl*>(c)->WindowHandle()));
}

void Recreate(TControl* c) {
    static_cast<TWinControl*>(c)->RecreateWnd();
}

template <typename T> TControl* Captioned(SkinnedForm& t, int w, int h, const char* caption) {
    auto* c = t.Add<T>(20, 20, w, h);
    c->SetCaption(caption);
    return c;
}

TControl* Memo(SkinnedForm& t) {
    auto* memo = t.Add<TMemo>(20, 20, 200, 120);
    memo->SetScrollBars(ssBoth);
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "line " + std::to_string(i) + " of the memo, long enough\r\n";
    memo->SetText(text);
    return memo;
}

TControl* Pages(SkinnedForm& t, TTabStyle style) {
    auto* pages = t.Add<TPageControl>(20, 20, 260, 160);
    pages->SetStyle(style);
    for (const char* caption : {"One", "Two", "Three"}) {
        auto* sheet = new TTabSheet(t.form.get());
        sheet->SetCaption(caption);
        sheet->SetParent(pages);
    }
    pages->SetActivePageIndex(1);
    return pages;
}

const std::vector<Family>& Families() {
    static const std::vector<Family> families = {
        {"push button", [] { return ControlsSkinStore(); },
         [](SkinnedForm& t) { return Captioned<TButton>(t, 100, 30, "Go"); }, Recreate,
         GeometrySkinStore},
        {"bit button", [] { return ControlsSkinStore(); },
         [](SkinnedForm& t) { return Captioned<TBitBtn>(t, 100, 30, "Bit"); }, Recreate,
         GeometrySkinStore},
        {"menu button", [] { return ControlsSkinStore(); },
         [](SkinnedForm& t) {
             t.data->Skin3rd().Add("TButton=menubtn");
             return Captioned<TButton>(t, 100, 30, "Menu");
         },
         Recreate, GeometrySkinStore},
        {"speed button", [] { return ControlsSkinStore(); },
         [](SkinnedForm& t) { return Captioned<TSpeedButton>(t, 80, 26, "Speed"); }, nullptr,
         GeometrySkinStore},
        {"check box", [] { return ControlsSkinStore(); },
         [](SkinnedForm& t) { return Captioned<TCheckBox>(t, 120, 20, "Check"); }, Recreate,
         [] { return ControlsSkinStore(0, 0); }},
        {"radio button", [] { return ControlsSkinStore(); },
         [](SkinnedForm& t) { return Captioned<TRadioButton>(t, 120, 20, "Radio"); }, Recreate,
         [] { return ControlsSkinStore(0, 0); }},
        {"edit", [] { return EditsSkinStore(); },
         [](SkinnedForm& t) {
             auto* e = t.Add<TEdit>(20, 20, 140, 24);
             e->SetText("text");
             return e;
         },
         Recreate},
        {"combo box", [] { return EditsSkinStore(); },
         [](SkinnedForm& t) {
             auto* c = t.Add<TComboBox>(20, 20, 160, 24);
             for (int i = 0; i < 30; ++i) c->Items().Add("item " + std::to_string(i));
             c->SetItemIndex(3);
             return c;
         },
         [](TControl* c) {
             auto* combo = static_cast<TComboBox*>(c);
             combo->SetStyle(csDropDownList);
             combo->SetStyle(csDropDown);
         },
         [] { return ControlsSkinStore(); }, ComboChildren},
        {"date-time picker", [] { return EditsSkinStore(); },
         [](SkinnedForm& t) { return t.Add<TDateTimePicker>(20, 20, 160, 24); },
         [](TControl* c) {
             auto* picker = static_cast<TDateTimePicker*>(c);
             picker->SetDateFormat(dfLong);
             picker->SetDateFormat(dfShort);
         },
         nullptr, PickerChildren},
        {"memo", [] { return ScrollSkinStore(); }, Memo,
         [](TControl* c) {
             auto* memo = static_cast<TMemo*>(c);
             memo->SetScrollBars(ssVertical);
             memo->SetScrollBars(ssBoth);
         }},
        {"list view", [] { return ScrollSkinStore(); },
         [](SkinnedForm& t) {
             auto* v = t.Add<TListView>(20, 20, 220, 140);
             v->SetViewStyle(vsReport);
             v->AddColumn()->SetCaption("Name");
             for (int i = 0; i < 30; ++i) v->Items().Add()->SetCaption("row " + std::to_string(i));
             return v;
         },
         [](TControl* c) {
             auto* v = static_cast<TListView*>(c);
             v->SetViewStyle(vsList);
             v->SetViewStyle(vsReport);
         },
         nullptr, ListViewChildren},
        {"scroll bar", [] { return ScrollSkinStore(); },
         [](SkinnedForm& t) { return t.Add<TScrollBar>(20, 20, 200, 17); }, Recreate},
        {"up-down", [] { return SmallControlsSkinStore(); },
         [](SkinnedForm& t) { return t.Add<TUpDown>(20, 20, 20, 40); }, Recreate},
        {"progress bar", [] { return SmallControlsSkinStore(); },
         [](SkinnedForm& t) {
             auto* p = t.Add<TProgressBar>(20, 20, 200, 20);
             p->SetPosition(40);
             return p;
         },
         Recreate},
        {"track bar", [] { return SmallControlsSkinStore(); },
         [](SkinnedForm& t) { return t.Add<TTrackBar>(20, 20, 200, 40); }, Recreate},
        {"tabs", [] { return SmallControlsSkinStore(); },
         [](SkinnedForm& t) { return Pages(t, tsTabs); }, Recreate, GeometrySkinStore},
        {"button tabs", [] { return SmallControlsSkinStore(); },
         [](SkinnedForm& t) { return Pages(t, tsButtons); }, Recreate, GeometrySkinStore},
        {"tab set", [] { return SmallControlsSkinStore(); },
         [](SkinnedForm& t) {
             auto* set = new TTabSet(t.form.get());
             set->SetParent(t.form.get());
             set->SetBounds(20, 20, 260, 22);
             for (const char* s : {"One", "Two", "Three"}) set->Tabs().Add(s);
             set->SetTabIndex(1);
             return set;
         },
         Recreate},
        {"group box", [] { return EditsSkinStore(); },
         [](SkinnedForm& t) { return Captioned<TGroupBox>(t, 200, 100, "Group"); }, Recreate},
        {"panel", [] { return EditsSkinStore(); },
         [](SkinnedForm& t) {
             t.data->SkinControls |= SetBit(xcPanel);
             auto* p = Captioned<TPanel>(t, 200, 80, "");
             static_cast<TPanel*>(p)->SetParentBackground(true);
             return p;
         },
         Recreate},
        {"status bar", [] { return EditsSkinStore(); },
         [](SkinnedForm& t) {
             auto* s = t.Add<TStatusBar>(0, 0, 300, 22);
             s->SetSimplePanel(true);
             s->SetSimpleText("Ready");
             return s;
         },
         Recreate},
    };
    return families;
}

// Where the control is on the screen (its parent's client coordinates: window-less controls
// too).
RECT ScreenBounds(TControl* c) {
    POINT p{c->Left(), c->Top()};
    ClientToScreen(c->Parent()->WindowHandle(), &p);
    return {p.x, p.y, p.x + c->Width(), p.y + c->Height()};
}

// Every window drawn again, nothing hot, no caret: the state two forms are compared in.
void Settle(SkinnedForm& t) {
    SetCursorPos(2, 2);
    SetFocus(t.form->WindowHandle());
    PumpFor(10);
    Refresh(t.form->WindowHandle());
    PumpFor(30);
}

Pixels Shot(SkinnedForm& t, TControl* c) {
    Settle(t);
    return Pixels(ScreenBounds(c));
}

int Differences(const Pixels& a, const Pixels& b) {
    if (a.w != b.w || a.h != b.h) return -1;
    int n = 0;
    for (size_t i = 0; i < a.px.size(); ++i) n += a.px[i] != b.px[i];
    return n;
}

// A skin loaded into the form's skin data at run time, as the data component and the form
// object do it: load, then recolour and set every object up again.
void Switch(SkinnedForm& t, const Store& store) {
    t.data->Store = store;
    ASSERT_TRUE(t.data->LoadSkin());
    SendMessageW(t.form->WindowHandle(), WM_SKIN_RECOLOR, 0, 0);
    PumpFor(20);
}

// The same control skinned freshly with `store`.
Pixels FreshShot(const Family& f, const Store& store) {
    SkinnedForm t(store);
    TControl* c = f.make(t);
    t.Apply();
    return Shot(t, c);
}

struct NativeState {
    TColor colour;
    LONG_PTR style = 0, exStyle = 0;
    std::string parentBackground;
    bool operator==(const NativeState&) const = default;
};

NativeState StateOf(TControl* c) {
    NativeState s{c->Color()};
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) {
        s.style = GetWindowLongPtrW(w->WindowHandle(), GWL_STYLE);
        s.exStyle = GetWindowLongPtrW(w->WindowHandle(), GWL_EXSTYLE);
    }
    if (IsPublishedProp(*c, "ParentBackground"))
        s.parentBackground = GetEnumProp(*c, "ParentBackground");
    return s;
}

// What the previous procedure of a control sees over a repaint, the mouse and the keyboard.
std::vector<UINT> Exercise(SkinnedForm& t, TControl* c, MessageLog& log) {
    Settle(t);
    log.Clear();
    Refresh(t.form->WindowHandle());
    c->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    c->Perform(WM_KEYDOWN, VK_RIGHT, 0);
    c->Perform(WM_KEYUP, VK_RIGHT, 0);
    c->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    PumpFor(10);
    return log.Messages();
}

class SkinLifecycle : public testing::TestWithParam<Family> {};

std::string FamilyName(const testing::TestParamInfo<Family>& info) {
    std::string out;
    for (const char* p = info.param.name; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) out += *p;
    return out;
}

} // namespace

TEST_P(SkinLifecycle, ASwitchedSkinLooksLikeThatSkinAttachedFresh) {
    const Family& f = GetParam();
    std::vector<Store> skins = {f.second()};
    if (f.sparse) skins.push_back(f.sparse());
    for (size_t k = 0; k < skins.size(); ++k) {
        const char* which = k == 0 ? "second skin" : "skin without the family's part";
        const Pixels fresh = FreshShot(f, skins[k]);
        Pixels switched(RECT{0, 0, 1, 1});
        Pixels first(RECT{0, 0, 1, 1});
        {
            SkinnedForm t(ProductSkinStore());
            TControl* c = f.make(t);
            t.Apply();
            first = Shot(t, c);
            Switch(t, skins[k]);
            switched = Shot(t, c);
            if (f.children && k == 0) f.children(t, c);
            // And back: the first skin's look again.
            Switch(t, ProductSkinStore());
            EXPECT_EQ(Differences(Shot(t, c), first), 0) << f.name << " back from the " << which;
        }
        EXPECT_NE(Differences(first, fresh), 0) << f.name << ": the skins must look different";
        EXPECT_EQ(Differences(switched, fresh), 0) << f.name << " on the " << which;
        if (k == 0) continue;
        // Without its part the control is the system's, on the skin's face colour.
        SkinnedForm twin(skins[k]);
        TControl* c = f.make(twin);
        twin.form->SetColor(twin.data->ButtonFaceColor);
        twin.Show();
        EXPECT_EQ(Differences(Shot(twin, c), fresh), 0) << f.name << " left native";
    }
}

TEST_P(SkinLifecycle, TakenOffItIsTheControlThatNeverHadASkin) {
    const Family& f = GetParam();
    Pixels native(RECT{0, 0, 1, 1});
    NativeState nativeState;
    std::vector<UINT> nativeSeen;
    {
        SkinnedForm t(f.second());
        TControl* c = f.make(t);
        MessageLog log;
        TWndProcHook recorder(*c, [&](TMessage& m) {
            log.Record(m.Msg, m.WParam, m.LParam);
            recorder.CallPrevious(m);
        });
        t.Show();
        native = Shot(t, c);
        nativeState = StateOf(c);
        nativeSeen = Exercise(t, c, log);
    }
    SkinnedForm t(f.second());
    TControl* c = f.make(t);
    MessageLog log;
    TWndProcHook recorder(*c, [&](TMessage& m) {
        log.Record(m.Msg, m.WParam, m.LParam);
        recorder.CallPrevious(m);
    });
    t.Apply();
    ASSERT_NE(t.ObjectOf(c), nullptr) << f.name;
    const Pixels skinned = Shot(t, c);
    EXPECT_NE(Differences(skinned, native), 0) << f.name << ": the skin must show";
    t.skin->Detach();
    PumpFor(20);
    EXPECT_EQ(Query(c), 0) << f.name;
    EXPECT_TRUE(t.skin->SkinnedControls().empty());
    EXPECT_EQ(Differences(Shot(t, c), native), 0) << f.name;
    EXPECT_TRUE(StateOf(c) == nativeState) << f.name;
    EXPECT_EQ(Exercise(t, c, log), nativeSeen) << f.name;
}

TEST_P(SkinLifecycle, ANewWindowIsSkinnedAgain) {
    const Family& f = GetParam();
    if (!f.recreate) GTEST_SKIP() << f.name << " has no window of its own";
    SkinnedForm t(f.second());
    TControl* c = f.make(t);
    t.Apply();
    const Pixels before = Shot(t, c);
    const size_t objects = t.skin->SkinnedControls().size();
    auto* w = static_cast<TWinControl*>(c);
    const HWND old = w->Handle();
    f.recreate(c);
    PumpFor(20);
    ASSERT_NE(w->Handle(), old) << f.name << ": no new window was made";
    ASSERT_NE(t.ObjectOf(c), nullptr) << f.name;
    // Panels' objects only colour them; every other one is in front of the new window.
    const bool inFront = dynamic_cast<TSkinBox*>(t.ObjectOf(c)) == nullptr;
    EXPECT_EQ(Query(c), inFront ? 1 : 0) << f.name;
    EXPECT_EQ(t.skin->SkinnedControls().size(), objects) << f.name;
    EXPECT_EQ(Differences(Shot(t, c), before), 0) << f.name;
    if (f.children) f.children(t, c);
}

// A picker that turns to spin arrows is an edit; turned back it drops down again, and each
// looks like the same kind skinned fresh.
TEST(SkinLifecycleKinds, APickerChangingKindGetsTheFamilyOfItsNewKind) {
    auto freshOf = [](TDateTimeKind kind) {
        SkinnedForm t(EditsSkinStore());
        auto* picker = t.Add<TDateTimePicker>(20, 20, 160, 24);
        picker->SetTime("10:20:30"); // not the clock's, which moves between the shots
        picker->SetKind(kind);
        t.Apply();
        return Shot(t, picker);
    };
    const Pixels freshTime = freshOf(dtkTime);
    const Pixels freshDate = freshOf(dtkDate);
    SkinnedForm t(EditsSkinStore());
    auto* picker = t.Add<TDateTimePicker>(20, 20, 160, 24);
    picker->SetTime("10:20:30");
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinDateTime>(picker), nullptr);
    picker->SetKind(dtkTime);
    PumpFor(20);
    EXPECT_EQ(t.ObjectOf<TSkinDateTime>(picker), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinEdit>(picker), nullptr);
    EXPECT_EQ(picker->ControlCount(), 0); // no arrow over the spin arrows
    EXPECT_EQ(Differences(Shot(t, picker), freshTime), 0);
    picker->SetKind(dtkDate);
    PumpFor(20);
    EXPECT_NE(t.ObjectOf<TSkinDateTime>(picker), nullptr);
    EXPECT_EQ(Differences(Shot(t, picker), freshDate), 0);
    PickerChildren(t, picker);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, SkinLifecycle, testing::ValuesIn(Families()), FamilyName);

// ---------------------------------------------------------------- ending, attaching, focus

namespace {

// A push button object that notes the restore of its own family running.
struct TCountingButton : TSkinButton {
    using TSkinButton::TSkinButton;
    static inline int restores = 0;
    void RestoreControl() override {
        ++restores;
        TSkinButton::RestoreControl();
    }
};

} // namespace

TEST(SkinLifecycleEnd, TheFormRestoresEachObjectThroughItsOwnFamilyBeforeFreeingIt) {
    SetSkinFamilyFactory(TSkinFamily::Button, [](TComponent* o) { return new TCountingButton(o); });
    TCountingButton::restores = 0;
    {
        SkinnedForm t(ControlsSkinStore());
        auto* button = Captioned<TButton>(t, 100, 30, "Go");
        auto* picker = t.Add<TDateTimePicker>(20, 80, 160, 24);
        t.Show();
        const LONG_PTR pickerStyle = GetWindowLongPtrW(picker->Handle(), GWL_STYLE);
        t.Apply();
        ASSERT_NE(t.ObjectOf<TCountingButton>(button), nullptr);
        t.skin->Detach();
        EXPECT_EQ(TCountingButton::restores, 1);
        // The picker's own restore: its arrow gone and its style as it was.
        EXPECT_EQ(picker->ControlCount(), 0);
        EXPECT_EQ(GetWindowLongPtrW(picker->Handle(), GWL_STYLE), pickerStyle);
        // A control freed with its object restores nothing: there is nothing left to give back.
        t.Apply();
        TCountingButton::restores = 0;
        delete button;
        EXPECT_EQ(TCountingButton::restores, 0);
    }
    SetSkinFamilyFactory(TSkinFamily::Button, [](TComponent* o) { return new TSkinButton(o); });
}

TEST(SkinLifecycleAttach, ASecondAttachChangesNothing) {
    SkinnedForm t(ControlsSkinStore());
    auto* button = Captioned<TButton>(t, 100, 30, "Go");
    auto* check = t.Add<TCheckBox>(20, 60, 120, 20);
    t.Apply();
    std::unique_ptr<TSkinData> other(MakeSkinData(ControlsSkinStore()));
    other->Options |= SetBit(xoTransparent);
    const size_t listed = t.skin->SkinnedControls().size();
    auto* b = t.ObjectOf<TSkinButton>(button);
    auto* c = t.ObjectOf<TSkinCheckBox>(check);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(c, nullptr);
    const Pixels before = Shot(t, button);
    b->AttachControl(t.skin, other.get(), true, nullptr);
    c->AttachControl(t.skin, other.get(), true, nullptr);
    EXPECT_EQ(b->SkinData(), t.data);
    EXPECT_FALSE(b->Transparent());
    EXPECT_FALSE(c->Transparent());
    EXPECT_EQ(t.skin->SkinnedControls().size(), listed);
    EXPECT_EQ(Differences(Shot(t, button), before), 0);
}

TEST(SkinLifecycleFocus, ASkinChangeLeavesTheFocusWhereItWas) {
    SkinnedForm t(SmallControlsSkinStore());
    auto* edit = t.Add<TEdit>(20, 100, 140, 24);
    auto* track = t.Add<TTrackBar>(20, 20, 200, 40);
    MessageLog log;
    TWndProcHook recorder(*track, [&](TMessage& m) {
        log.Record(m.Msg, m.WParam, m.LParam);
        recorder.CallPrevious(m);
    });
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinTrackBar>(track), nullptr);
    edit->SetFocus();
    PumpFor(10);
    ASSERT_EQ(GetFocus(), edit->Handle());
    log.Clear();
    Switch(t, ProductSkinStore());
    EXPECT_EQ(GetFocus(), edit->Handle());
    EXPECT_FALSE(log.Contains(WM_SETFOCUS)) << log.Dump();
    EXPECT_FALSE(log.Contains(WM_KILLFOCUS)) << log.Dump();
}

TEST(SkinLifecycleSoak, NoHandleGrowthOverAttachSwitchAndDetachCycles) {
    SkinnedForm t(ProductSkinStore(), 640, 480, 60, 60);
    for (const Family& f : Families()) f.make(t);
    t.Apply();
    const Store product = ProductSkinStore(), edits = EditsSkinStore(),
                small = SmallControlsSkinStore(), scroll = ScrollSkinStore();
    auto cycle = [&] {
        t.Apply();
        Switch(t, edits);
        Switch(t, small);
        Switch(t, scroll);
        Switch(t, product);
        t.skin->Detach();
        PumpFor(10);
    };
    cycle(); // caches of first use
    const int thunks = LiveSubclassThunks();
    const GuiCounts before = CurrentGuiCounts();
    for (int i = 0; i < 8; ++i) cycle();
    const GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    EXPECT_EQ(LiveSubclassThunks(), thunks);
}

// ---------------------------------------------------------------- add-on controls

namespace {

// A check box as an add-on library publishes it: glyphs of its own, switched on by a flag.
class TRzCheckBox : public TCustomControl {
    TOOLKIT_CLASS(TRzCheckBox)
public:
    using TCustomControl::TCustomControl;
    TBitmap glyphs;
    bool useCustom = false;
    int transparent = 0;
};

const TClassInfo& TRzCheckBox::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TRzCheckBox>("TRzCheckBox", TCustomControl::StaticClass())
            .Obj("CustomGlyphs", [](TRzCheckBox& c) { return &c.glyphs; })
            .Bool(
                "UseCustomGlyphs", [](TRzCheckBox& c) { return c.useCustom; },
                [](TRzCheckBox& c, bool v) { c.useCustom = v; })
            .Int(
                "TransparentColor", [](TRzCheckBox& c) { return c.transparent; },
                [](TRzCheckBox& c, int v) { c.transparent = v; })
            .Build();
    return info;
}

// A page control of an add-on library with tab backgrounds of its own.
class TAdvPages : public TCustomControl {
    TOOLKIT_CLASS(TAdvPages)
public:
    using TCustomControl::TCustomControl;
    TBitmap normal, active;
};

const TClassInfo& TAdvPages::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TAdvPages>("TAdvPages", TCustomControl::StaticClass())
            .Obj("TabBackGround", [](TAdvPages& c) { return &c.normal; })
            .Obj("TabBackGroundActive", [](TAdvPages& c) { return &c.active; })
            .Build();
    return info;
}

} // namespace

// Add-on controls take the skin's glyphs and tab frames as their own pictures: a skin without
// them gives the controls' own back, another skin hands its own, and taking the skin off gives
// everything back.
TEST(SkinLifecycleAddOns, GlyphsAndTabBackgroundsFollowTheSkinAndGoWithIt) {
    SkinnedForm t(SmallControlsSkinStore());
    t.data->Skin3rd().Add("TAdvPages=advpagecontrol");
    auto* check = t.Add<TRzCheckBox>(20, 20, 120, 20);
    auto* pages = t.Add<TAdvPages>(20, 60, 200, 100);
    t.Apply();
    ASSERT_NE(t.ObjectOf(check), nullptr);
    ASSERT_NE(t.ObjectOf(pages), nullptr);
    // The small-controls skin has tabs but no check strip.
    EXPECT_FALSE(check->useCustom);
    EXPECT_EQ(pages->normal.Width(), 100);
    EXPECT_EQ(pages->active.Height(), 21);

    Switch(t, ControlsSkinStore()); // a check strip, no tabs
    EXPECT_TRUE(check->useCustom);
    EXPECT_EQ(check->glyphs.Height(), kGlyph);
    EXPECT_EQ(pages->normal.Width(), 0);
    EXPECT_EQ(pages->active.Width(), 0);

    Switch(t, SmallControlsSkinStore());
    EXPECT_FALSE(check->useCustom);
    EXPECT_EQ(pages->normal.Width(), 100);

    Switch(t, ControlsSkinStore());
    t.skin->Detach();
    EXPECT_FALSE(check->useCustom);
    EXPECT_EQ(pages->normal.Width(), 0);
}
