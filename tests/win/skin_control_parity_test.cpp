// The same real input (SendInput through the system's queue) given to a skinned control and
// to its unskinned twin, on the product skin and on a test skin of other geometry: what the
// user ends with (clicks, checks, positions, focus, what is drawn pressed) and what the
// control's previous window procedure saw must be the same.
#include "button_parity.h"
#include "control_parity.h"

#include "skin/controls/skin_buttons.h"
#include "skin/controls/skin_checks.h"
#include "skin/controls/skin_media.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/controls/skin_updown.h"
#include "toolkit/buttons.h"
#include "toolkit/comctrls.h"
#include "toolkit/stdctrls.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace testskins;
using namespace skintest;
using namespace realinput;
using parity::Centre;
using parity::IgnoredByTheLog;
using parity::kGeometry;
using parity::kProduct;
using parity::ParityForm;
using parity::Skin;

namespace {

std::vector<std::uint8_t> Scrolls() {
    return ScrollSkinStore();
}

// Gestures of the mouse and the space bar.
enum Gesture { kDragOutAndBack, kReleaseOutside, kFocusTaken, kDisabled, kSpaceFocusTaken };

// The gestures on `target`, with `edit` beside it to take the focus; `step` looks at the state
// between the steps that matter.
void RunGesture(Gesture g, TWinControl* target, TWinControl* edit,
                const std::function<void()>& step) {
    const POINT on = Centre(target->Handle()), off = Centre(edit->Handle());
    switch (g) {
    case kDragOutAndBack:
        parity::DragOffAndBack(on, off, step);
        break;
    case kReleaseOutside:
        Press(on);
        MoveTo(off);
        Release(off);
        break;
    case kFocusTaken:
        Press(on);
        edit->SetFocus();
        PumpFor(10);
        step();
        Release(on);
        break;
    case kDisabled:
        Click(on);
        break;
    case kSpaceFocusTaken:
        target->SetFocus();
        KeyDown(VK_SPACE);
        step();
        edit->SetFocus();
        PumpFor(10);
        step();
        KeyUp(VK_SPACE);
        break;
    }
}

// What a button gesture leaves behind.
struct ButtonOutcome {
    int clicks = 0;
    std::vector<int> pressed; // drawn (skinned) or held (plain) pressed after each step
    std::string focus;
    std::vector<UINT> seen; // by the button's previous procedure, the press path left out
    bool operator==(const ButtonOutcome&) const = default;
};

bool ButtonPressed(TButton* b, TSkinButton* object) {
    if (object) return (object->State() & kSkinPressed) != 0;
    return (SendMessageW(b->Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

ButtonOutcome RunButton(const Skin& skin, bool skinned, Gesture g) {
    ParityForm t(skin.store());
    auto* button = t.Add<TButton>(20, 20, 110, 32);
    button->SetCaption("Go");
    button->SetName("button");
    auto* edit = t.Add<TEdit>(200, 20, 120, 24);
    edit->SetName("edit");
    ButtonOutcome o;
    button->OnClick = [&](TObject*) { ++o.clicks; };
    if (g == kDisabled) button->SetEnabled(false);
    parity::PreviousProcedure previous(parity::ThePressPath());
    previous.On(*button);
    t.Start(skinned);
    TSkinButton* object = skinned ? t.ObjectOf<TSkinButton>(button) : nullptr;
    if (skinned) {
        EXPECT_NE(object, nullptr);
    }
    previous.Clear();
    auto step = [&] { o.pressed.push_back(ButtonPressed(button, object)); };
    RunGesture(g, button, edit, step);
    step();
    MoveTo({5, 5});
    TWinControl* focus = TWinControl::FromHandle(GetFocus());
    o.focus = focus ? focus->Name() : "?";
    o.seen = previous.Seen();
    previous.Remove();
    return o;
}

} // namespace

TEST(SkinParityButton, MouseAndSpaceGesturesEndAsOnTheSystemButton) {
    for (const Skin& skin : {kProduct, kGeometry}) {
        for (Gesture g :
             {kDragOutAndBack, kReleaseOutside, kFocusTaken, kDisabled, kSpaceFocusTaken}) {
            SCOPED_TRACE(std::string(skin.name) + " gesture " + std::to_string(g));
            const ButtonOutcome plain = RunButton(skin, false, g);
            const ButtonOutcome skinned = RunButton(skin, true, g);
            EXPECT_EQ(plain.clicks, skinned.clicks);
            EXPECT_EQ(plain.pressed, skinned.pressed);
            EXPECT_EQ(plain.focus, skinned.focus);
            EXPECT_EQ(plain.seen, skinned.seen) << "plain   " << parity::Hex(plain.seen)
                                                << "\nskinned " << parity::Hex(skinned.seen);
            if (g == kDragOutAndBack) {
                // Guards the twin itself: the system button does click here.
                EXPECT_EQ(plain.clicks, 1);
                EXPECT_EQ(plain.pressed, (std::vector<int>{1, 0, 1, 0}));
            }
        }
    }
}

// ---------------------------------------------------------------- check boxes and radios

namespace {

struct CheckOutcome {
    int clicks = 0;
    bool checked = false, radioChecked = false;
    std::string focus;
    std::vector<UINT> seen; // by the check box's previous procedure
    bool operator==(const CheckOutcome&) const = default;
};

CheckOutcome RunCheck(const Skin& skin, bool skinned, Gesture g) {
    ParityForm t(skin.store());
    auto* check = t.Add<TCheckBox>(20, 20, 140, 22);
    check->SetCaption("Check");
    check->SetName("check");
    auto* radio = t.Add<TRadioButton>(20, 60, 140, 22);
    radio->SetCaption("Radio");
    radio->SetName("radio");
    auto* edit = t.Add<TEdit>(200, 20, 120, 24);
    edit->SetName("edit");
    CheckOutcome o;
    check->OnClick = [&](TObject*) { ++o.clicks; };
    if (g == kDisabled) check->SetEnabled(false);
    MessageLog log(IgnoredByTheLog());
    TWndProcHook recorder;
    recorder.Install(*check, [&](TMessage& m) {
        log.Record(m.Msg);
        recorder.CallPrevious(m);
    });
    t.Start(skinned);
    if (skinned) {
        EXPECT_NE(t.ObjectOf<TSkinCheckBox>(check), nullptr);
    }
    log.Clear();
    RunGesture(g, check, edit, [] {});
    if (g == kSpaceFocusTaken) {
        // Then the keyboard alone: an arrow from the radio button and Space on it.
        radio->SetFocus();
        PumpFor(10);
        Tap(VK_UP);
        Tap(VK_SPACE);
    }
    MoveTo({5, 5});
    o.checked = check->Checked();
    o.radioChecked = radio->Checked();
    TWinControl* focus = TWinControl::FromHandle(GetFocus());
    o.focus = focus ? focus->Name() : "?";
    o.seen = log.Messages();
    recorder.Remove();
    return o;
}

} // namespace

TEST(SkinParityCheck, MouseAndKeyGesturesEndAsOnTheSystemCheckBox) {
    for (const Skin& skin : {kProduct, kGeometry}) {
        for (Gesture g :
             {kDragOutAndBack, kReleaseOutside, kFocusTaken, kDisabled, kSpaceFocusTaken}) {
            SCOPED_TRACE(std::string(skin.name) + " gesture " + std::to_string(g));
            const CheckOutcome plain = RunCheck(skin, false, g);
            const CheckOutcome skinned = RunCheck(skin, true, g);
            EXPECT_EQ(plain.clicks, skinned.clicks);
            EXPECT_EQ(plain.checked, skinned.checked);
            EXPECT_EQ(plain.radioChecked, skinned.radioChecked);
            EXPECT_EQ(plain.focus, skinned.focus);
            EXPECT_EQ(plain.seen, skinned.seen);
            if (g == kDragOutAndBack) {
                EXPECT_TRUE(plain.checked);
            }
        }
    }
}

// ---------------------------------------------------------------- up-down

namespace {

struct SpinOutcome {
    int position = 0;
    bool pressed = false; // drawn pressed (skinned) or held (plain) after the capture went
    bool operator==(const SpinOutcome&) const = default;
};

} // namespace

TEST(SkinParityUpDown, APressStaysOnItsHalfAndEndsWithTheCapture) {
    for (const Skin& skin : {kProduct, Skin{"small", &SmallControlsSkinStore}}) {
        SpinOutcome seen[2];
        for (int skinned = 0; skinned < 2; ++skinned) {
            SCOPED_TRACE(std::string(skin.name) + (skinned ? " skinned" : " plain"));
            ParityForm t(skin.store());
            auto* spin = t.Add<TUpDown>(20, 20, 20, 40);
            spin->SetMin(0);
            spin->SetMax(1000);
            spin->SetPosition(500);
            t.Start(skinned);
            HWND wnd = spin->WindowHandle();
            TSkinUpDown* object = skinned ? t.ObjectOf<TSkinUpDown>(spin) : nullptr;
            if (skinned) {
                ASSERT_NE(object, nullptr) << "the up-down's object is missing";
            }
            const POINT up = OnScreen(wnd, {10, 8}), down = OnScreen(wnd, {10, 32});
            // Both halves at rest, the mouse away: the frames a press must change and keep.
            RefreshClient(wnd);
            const TColor upAtRest = PixelAt(wnd, 10, 10), downAtRest = PixelAt(wnd, 10, 30);
            MoveTo(up);
            ASSERT_EQ(WindowFromPoint(up), wnd);
            // Pressed on the upper half and dragged to the lower one: the upper half stays
            // the pressed one.
            Press(up);
            EXPECT_EQ(GetCapture(), wnd);
            MoveTo(down);
            if (object) {
                const bool strip = skin.store == &SmallControlsSkinStore;
                if (strip) {
                    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinFrames[1]);
                    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinFrames[4]);
                }
                // On any skin: the upper half drawn pressed, the lower one as it was.
                EXPECT_NE(PixelAt(wnd, 10, 10), upAtRest);
                EXPECT_EQ(PixelAt(wnd, 10, 30), downAtRest);
                EXPECT_NE(object->State() & kSkinPressed, 0);
            }
            // Something else takes the mouse: the press is over.
            HWND other = t.form->WindowHandle();
            SetCapture(other);
            PumpFor(10);
            ReleaseCapture();
            seen[skinned].pressed =
                object ? (object->State() & kSkinPressed) != 0 : GetCapture() == wnd;
            Release(down);
            MoveTo({5, 5});
            seen[skinned].position = spin->Position();
        }
        EXPECT_EQ(seen[0], seen[1]) << skin.name;
        EXPECT_FALSE(seen[1].pressed);
    }
}

namespace {

// A stand-alone up-down beside an edit; its state: the position, and whether a press holds it
// (drawn pressed with the skin, the mouse held by the system's).
parity::Subject UpDown(ParityForm& t) {
    auto* spin = t.Add<TUpDown>(20, 20, 20, 40);
    spin->SetName("spin");
    spin->SetMin(0);
    spin->SetMax(1000);
    spin->SetPosition(500);
    parity::Subject s;
    s.control = spin;
    s.other = t.Add<TEdit>(200, 20, 120, 24);
    s.other->SetName("edit");
    s.read = [&t, spin] {
        const TSkinUpDown* o = t.ObjectOf<TSkinUpDown>(spin);
        const bool held = o ? (o->State() & kSkinPressed) != 0 : GetCapture() == spin->Handle();
        return std::vector<int>{spin->Position(), held};
    };
    s.skinned = [spin](ParityForm& f) { return f.ObjectOf<TSkinUpDown>(spin) != nullptr; };
    return s;
}

POINT UpperHalf(parity::Subject& s) {
    return OnScreen(s.control->Handle(), {10, 8});
}

} // namespace

TEST(SkinParityUpDown, DisabledClickedFocusTakenAndArrowKeysAsWithoutTheSkin) {
    using parity::Gesture;
    using parity::Step;
    using parity::Subject;
    const std::vector<Gesture> gestures = {
        {"press on the upper half, drag off and back, release", false,
         [](Subject& s, const Step& step) {
             parity::DragOffAndBack(UpperHalf(s), Centre(s.other->Handle()), step);
         },
         [](const std::vector<std::vector<int>>& states) {
             // Held through the drag off and back, let go at the release.
             std::vector<int> held;
             for (const auto& state : states) held.push_back(state[1]);
             EXPECT_EQ(held, (std::vector<int>{1, 1, 1, 0}));
             EXPECT_GT(states.front()[0], 500) << "the press counts up at once";
         }},
        {"press, then the focus is taken", false,
         [](Subject& s, const Step& step) {
             Press(UpperHalf(s));
             s.other->SetFocus();
             PumpFor(10);
             step();
             Release(UpperHalf(s));
         },
         nullptr},
        {"disabled, then clicked", true, [](Subject& s, const Step&) { Click(UpperHalf(s)); },
         [](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], 500); }},
        {"arrow keys", false,
         [](Subject& s, const Step& step) {
             s.control->SetFocus();
             PumpFor(10);
             Tap(VK_UP);
             step();
             Tap(VK_UP);
             step();
             Tap(VK_DOWN);
         },
         // Without a buddy the arrows are the form's, to move the focus, as in a dialog.
         nullptr},
    };
    for (const Skin& skin : {kProduct, Skin{"small", &SmallControlsSkinStore}})
        parity::ExpectParity(skin, UpDown, gestures);
}

// ---------------------------------------------------------------- scroll bars

namespace {

std::string ManyLines() {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

struct MemoTwins : ParityForm {
    TMemo* memo[2]{};
    TSkinScrollbar* object = nullptr;
    explicit MemoTwins(const std::vector<std::uint8_t>& store) : ParityForm(store) {
        for (int i = 0; i < 2; ++i) {
            memo[i] = Add<TMemo>(10 + i * 200, 10, 180, 200);
            memo[i]->SetScrollBars(ssVertical);
            memo[i]->Lines().SetText(ManyLines());
        }
        // The twin keeps the system's bar.
        memo[1]->SetTag(data->DisableTag);
        Start(true);
        object = ObjectOf<TSkinScrollbar>(memo[0]);
        PumpFor(20);
    }
    int Top(int i) const {
        return static_cast<int>(SendMessageW(memo[i]->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    // The middle of the native bar's track, on screen.
    POINT OnTrack(int i) const {
        SCROLLBARINFO info{};
        info.cbSize = sizeof(info);
        GetScrollBarInfo(memo[i]->Handle(), OBJID_VSCROLL, &info);
        const RECT& r = info.rcScrollBar;
        return {(r.left + r.right) / 2, r.top + (r.bottom - r.top) * 3 / 4};
    }
};

} // namespace

TEST(SkinParityScrollbar, TheWheelOverTheBarScrollsItsMemo) {
    for (const Skin& skin : {kProduct, Skin{"scroll", &Scrolls}}) {
        SCOPED_TRACE(skin.name);
        MemoTwins t(skin.store());
        ASSERT_NE(t.object, nullptr);
        ASSERT_TRUE(t.object->VertBar()->Shown());
        ASSERT_EQ(t.memo[1]->Perform(WM_SKIN_QUERY), 0);
        auto* edit = t.Add<TEdit>(10, 230, 100, 24);
        edit->SetFocus();
        PumpFor(10);
        for (int i = 0; i < 2; ++i) {
            // Where the wheel goes to the window under the cursor (as it does from Windows 10
            // on): the cover on one, the memo with its native bar on the other.
            const POINT at = t.OnTrack(i);
            MoveTo(at);
            HWND under = WindowFromPoint(at);
            EXPECT_EQ(under, i == 0 ? t.object->VertBar()->Cover() : t.memo[1]->Handle());
            for (int n = 0; n < 2; ++n)
                SendMessageW(under, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                             MAKELPARAM(at.x, at.y));
        }
        MoveTo({5, 5});
        EXPECT_GT(t.Top(1), 0);
        EXPECT_EQ(t.Top(0), t.Top(1));
    }
}

TEST(SkinParityScrollbar, ADisabledMemoTakesNoInputThroughItsCover) {
    for (const Skin& skin : {kProduct, Skin{"scroll", &Scrolls}}) {
        SCOPED_TRACE(skin.name);
        MemoTwins t(skin.store());
        ASSERT_NE(t.object, nullptr);
        TWScrollbar* bar = t.object->VertBar();
        std::vector<UINT> seen[2];
        for (int i = 0; i < 2; ++i) {
            t.memo[i]->SetEnabled(false);
            MessageLog log(IgnoredByTheLog());
            TWndProcHook recorder;
            recorder.Install(*t.memo[i], [&](TMessage& m) {
                log.Record(m.Msg);
                recorder.CallPrevious(m);
            });
            const POINT at = t.OnTrack(i);
            MoveTo(at);
            if (i == 0) {
                EXPECT_EQ(bar->ActivePart(), kPartNone); // nothing hot over a disabled memo
            }
            Click(at);
            SendMessageW(WindowFromPoint(at), WM_MOUSEWHEEL,
                         MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(at.x, at.y));
            MoveTo({5, 5});
            seen[i] = log.Messages();
            recorder.Remove();
        }
        EXPECT_EQ(t.Top(0), 0);
        EXPECT_EQ(t.Top(0), t.Top(1));
        EXPECT_EQ(seen[0], seen[1]);
        EXPECT_FALSE(std::count(seen[0].begin(), seen[0].end(), UINT(WM_NCLBUTTONDOWN)));
        // Drawn without a thumb and with the disabled track.
        if (skin.store == &Scrolls) {
            RedrawWindow(bar->Cover(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            RECT c;
            GetClientRect(bar->Cover(), &c);
            EXPECT_EQ(Count(bar->Cover(), {0, 20, 16, c.bottom - 20}, kVertThumb[0]), 0);
            EXPECT_EQ(PixelAt(bar->Cover(), 4, c.bottom / 2), kVertTrack[2]);
        }
    }
}

// ---------------------------------------------------------------- the keyboard

TEST(SkinParityKeyboard, TabEnterSpaceArrowsAndAcceleratorsAsWithoutTheSkin) {
    for (const Skin& skin : {kProduct, kGeometry}) {
        struct Outcome {
            std::vector<std::string> focus;
            int okClicks = 0, goClicks = 0;
            bool checked = false;
            int radio = -1;
            bool operator==(const Outcome&) const = default;
        } seen[2];
        for (int skinned = 0; skinned < 2; ++skinned) {
            SCOPED_TRACE(std::string(skin.name) + (skinned ? " skinned" : " plain"));
            ParityForm t(skin.store());
            auto* edit = t.Add<TEdit>(10, 10, 100, 22);
            edit->SetName("edit");
            auto* ok = t.Add<TButton>(10, 40, 90, 26);
            ok->SetCaption("OK");
            ok->SetName("ok");
            ok->SetDefault(true);
            auto* go = t.Add<TButton>(110, 40, 90, 26);
            go->SetCaption("&Go");
            go->SetName("go");
            auto* check = t.Add<TCheckBox>(10, 80, 120, 20);
            check->SetCaption("Check");
            check->SetName("check");
            auto* r1 = t.Add<TRadioButton>(10, 110, 120, 20);
            r1->SetCaption("One");
            r1->SetName("r1");
            auto* r2 = t.Add<TRadioButton>(10, 135, 120, 20);
            r2->SetCaption("Two");
            r2->SetName("r2");
            Outcome& o = seen[skinned];
            ok->OnClick = [&](TObject*) { ++o.okClicks; };
            go->OnClick = [&](TObject*) { ++o.goClicks; };
            t.Start(skinned != 0);
            auto focused = [&] {
                TWinControl* c = TWinControl::FromHandle(GetFocus());
                o.focus.push_back(c ? c->Name() : "?");
            };
            edit->SetFocus();
            PumpFor(10);
            Tap(VK_RETURN); // the default button
            for (int i = 0; i < 4; ++i) {
                Tap(VK_TAB);
                focused();
            }
            check->SetFocus();
            PumpFor(10);
            Tap(VK_SPACE);
            o.checked = check->Checked();
            r1->SetFocus();
            r1->SetChecked(true);
            PumpFor(10);
            Tap(VK_DOWN);
            focused();
            o.radio = r2->Checked() ? 2 : r1->Checked() ? 1 : 0;
            AltTap('G');
            focused();
        }
        SCOPED_TRACE(skin.name);
        EXPECT_EQ(seen[0].focus, seen[1].focus);
        EXPECT_EQ(seen[0].okClicks, seen[1].okClicks);
        EXPECT_EQ(seen[0].goClicks, seen[1].goClicks);
        EXPECT_EQ(seen[0].checked, seen[1].checked);
        EXPECT_EQ(seen[0].radio, seen[1].radio);
        // The twin itself did what the keys say.
        EXPECT_EQ(seen[0].goClicks, 1);
        EXPECT_TRUE(seen[0].checked);
    }
}
