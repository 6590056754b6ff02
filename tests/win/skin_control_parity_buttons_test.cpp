// Parity of the button-like families under the mouse and the keys: radio buttons, bit
// buttons, menu buttons, speed buttons, the media player's bar and scroll-bar controls. The same
// real input goes to the system's control and to the skinned one, on the product skin and on a
// test skin of other geometry; the state each ends in and what the control's previous
// procedure saw (paint-only messages left out) must be the same.
#include "button_parity.h"
#include "control_parity.h"

#include "skin/controls/skin_buttons.h"
#include "skin/controls/skin_checks.h"
#include "skin/controls/skin_media.h"
#include "skin/controls/skin_scrollbars.h"
#include "toolkit/buttons.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

using namespace testskins;
using namespace parity;

namespace {

std::vector<std::uint8_t> Scrolls() {
    return ScrollSkinStore();
}

TEdit* Neighbour(ParityForm& t) {
    auto* e = t.Add<TEdit>(290, 220, 100, 24);
    e->SetName("other");
    return e;
}

void Focus(TWinControl* c) {
    c->SetFocus();
    PumpFor(10);
}

template <typename Object> std::function<bool(ParityForm&)> HasObject(TControl* c) {
    return [c](ParityForm& t) { return t.ObjectOf<Object>(c) != nullptr; };
}

// The mouse gestures every button-like control gets; `at` is where it is pressed.
std::vector<Gesture> MouseGestures(std::function<POINT(Subject&)> at) {
    return {
        {"press, drag off and back, release", false,
         [at](Subject& s, const Step& step) {
             DragOffAndBack(at(s), Centre(s.other->Handle()), step);
         },
         nullptr},
        {"press, drag off, release outside", false,
         [at](Subject& s, const Step& step) {
             const POINT off = Centre(s.other->Handle());
             Press(at(s));
             MoveTo(off);
             step();
             Release(off);
         },
         nullptr},
        {"press, then the focus is taken", false,
         [at](Subject& s, const Step& step) {
             const POINT on = at(s);
             Press(on);
             Focus(s.other);
             step();
             Release(on);
         },
         nullptr},
        {"disabled, then clicked", true, [at](Subject& s, const Step&) { Click(at(s)); }, nullptr},
    };
}

// Space held while the focus goes, then Space and Enter.
Gesture SpaceAndEnter() {
    return {"Space held while the focus goes, then Space and Enter", false,
            [](Subject& s, const Step& step) {
                Focus(s.control);
                KeyDown(VK_SPACE);
                step();
                Focus(s.other);
                step();
                KeyUp(VK_SPACE);
                step();
                Focus(s.control);
                Tap(VK_SPACE);
                step();
                Tap(VK_RETURN);
            },
            nullptr};
}

std::vector<Gesture> Plus(std::vector<Gesture> gestures, std::vector<Gesture> more) {
    gestures.insert(gestures.end(), more.begin(), more.end());
    return gestures;
}

void ExpectParityOnBothSkins(const Build& build, const std::vector<Gesture>& gestures) {
    for (const Skin& skin : {kProduct, kGeometry}) ExpectParity(skin, build, gestures);
}

// ---------------------------------------------------------------- push-type buttons

// Drawn pressed (skinned) or pushed (the system's), read the same way for both.
bool Pushed(ParityForm& t, TButton* b) {
    if (auto* o = t.ObjectOf<TSkinButton>(b)) return (o->State() & kSkinPressed) != 0;
    return (SendMessageW(b->Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

template <typename Button, typename Object>
Subject PushType(ParityForm& t, const char* map = nullptr) {
    if (map) t.data->Skin3rd().Add(map);
    auto* b = t.Add<Button>(20, 20, 120, 32);
    b->SetCaption("Go");
    b->SetName("button");
    auto clicks = std::make_shared<int>(0);
    b->OnClick = [clicks](TObject*) { ++*clicks; };
    Subject s;
    s.control = b;
    s.other = Neighbour(t);
    s.queries = ThePressPath();
    s.read = [&t, b, clicks] { return std::vector<int>{*clicks, Pushed(t, b)}; };
    s.skinned = HasObject<Object>(b);
    return s;
}

std::vector<Gesture> PushGestures() {
    std::vector<Gesture> g = Plus(
        MouseGestures([](Subject& s) { return Centre(s.control->Handle()); }), {SpaceAndEnter()});
    g[0].plainDid = [](const std::vector<std::vector<int>>& states) {
        // Pushed over the button, up off it, clicked at the release, as the system does.
        EXPECT_EQ(states, (std::vector<std::vector<int>>{{0, 1}, {0, 0}, {0, 1}, {1, 0}}));
    };
    return g;
}

} // namespace

TEST(SkinParityButtons, BitButtonsUnderTheMouseAndTheKeys) {
    ExpectParityOnBothSkins([](ParityForm& t) { return PushType<TBitBtn, TSkinBitButton>(t); },
                            PushGestures());
}

TEST(SkinParityButtons, MenuButtonsUnderTheMouseAndTheKeys) {
    ExpectParityOnBothSkins(
        [](ParityForm& t) { return PushType<TButton, TSkinMenuButton>(t, "TButton=menubtn"); },
        PushGestures());
}

// ---------------------------------------------------------------- radio buttons

namespace {

Subject Radios(ParityForm& t) {
    auto* one = t.Add<TRadioButton>(20, 20, 140, 22);
    one->SetCaption("One");
    one->SetName("one");
    auto* two = t.Add<TRadioButton>(20, 60, 140, 22);
    two->SetCaption("Two");
    two->SetName("two");
    auto clicks = std::make_shared<int>(0);
    two->OnClick = [clicks](TObject*) { ++*clicks; };
    one->SetChecked(true);
    Subject s;
    s.control = two;
    s.other = Neighbour(t);
    s.read = [one, two, clicks] {
        return std::vector<int>{*clicks, one->Checked(), two->Checked(),
                                (SendMessageW(two->Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0,
                                FocusName() == "one"};
    };
    s.skinned = HasObject<TSkinCheckBox>(two);
    return s;
}

} // namespace

TEST(SkinParityButtons, RadioButtonsUnderTheMouseAndTheKeys) {
    std::vector<Gesture> g = MouseGestures([](Subject& s) { return Centre(s.control->Handle()); });
    g[0].plainDid = [](const std::vector<std::vector<int>>& states) {
        EXPECT_EQ(states.back()[2], 1); // checked by the click
        EXPECT_EQ(states.back()[1], 0);
    };
    g.push_back(SpaceAndEnter());
    g.push_back({"arrows between the two", false,
                 [](Subject& s, const Step& step) {
                     Focus(s.control);
                     Tap(VK_UP);
                     step();
                     Tap(VK_DOWN);
                     step();
                     Tap(VK_UP);
                 },
                 [](const std::vector<std::vector<int>>& states) {
                     EXPECT_EQ(states.back()[1], 1) << ::testing::PrintToString(states);
                 }});
    ExpectParityOnBothSkins(Radios, g);
}

// ---------------------------------------------------------------- speed buttons

// A speed button has no window: its toolkit procedure is recorded, on a form of its own for
// each run, and the parent holds the mouse for it.
namespace {

struct SpeedOutcome {
    std::vector<std::vector<int>> states;
    std::vector<UINT> seen;
};

enum SpeedGesture { kSpeedDragOffAndBack, kSpeedReleaseOutside, kSpeedFocusTaken, kSpeedDisabled };

SpeedOutcome RunSpeed(const Skin& skin, bool skinned, SpeedGesture g, bool grouped) {
    SpeedOutcome o;
    ParityForm t(skin.store());
    auto* b = new TSpeedButton(t.form.get());
    b->SetParent(t.form.get());
    b->SetBounds(20, 20, 80, 30);
    b->SetCaption("Go");
    if (grouped) b->SetGroupIndex(1);
    auto* other = Neighbour(t);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    if (g == kSpeedDisabled) b->SetEnabled(false);
    MessageLog log(IgnoredByTheLog());
    TWndProcHook recorder;
    recorder.Install(*b, [&](TMessage& m) {
        log.Record(m.Msg);
        recorder.CallPrevious(m);
    });
    t.Start(skinned);
    TSkinSpeedButton* object = skinned ? t.ObjectOf<TSkinSpeedButton>(b) : nullptr;
    if (skinned) {
        EXPECT_NE(object, nullptr) << "the speed button's object is missing";
    }
    log.Clear();
    // Clicks, latched down, and drawn pressed (the object's state; -1 on the plain button).
    auto step = [&] {
        o.states.push_back(
            {clicks, b->Down(), object ? int((object->State() & kSkinPressed) != 0) : -1});
    };
    const POINT on = OnScreen(t.form->WindowHandle(), {60, 35}), off = Centre(other->Handle());
    switch (g) {
    case kSpeedDragOffAndBack:
        DragOffAndBack(on, off, step);
        break;
    case kSpeedReleaseOutside:
        Press(on);
        MoveTo(off);
        step();
        Release(off);
        break;
    case kSpeedFocusTaken:
        Press(on);
        Focus(other);
        step();
        Release(on);
        break;
    case kSpeedDisabled:
        Click(on);
        break;
    }
    step();
    MoveTo({5, 5});
    o.seen = log.Messages();
    recorder.Remove();
    LetEverythingGo();
    return o;
}

// Only the click count and the latched state are the system's to compare; what is drawn
// pressed has no reading on the plain button, so the skinned one is held to the system's rule:
// pressed while the mouse that pressed it is over it.
std::vector<std::vector<int>> Comparable(std::vector<std::vector<int>> states) {
    for (auto& s : states) s.pop_back();
    return states;
}

} // namespace

TEST(SkinParityButtons, SpeedButtonsUnderTheMouse) {
    for (const Skin& skin : {kProduct, kGeometry})
        for (bool grouped : {false, true})
            for (SpeedGesture g :
                 {kSpeedDragOffAndBack, kSpeedReleaseOutside, kSpeedFocusTaken, kSpeedDisabled}) {
                SCOPED_TRACE(std::string(skin.name) + (grouped ? " grouped" : "") + " gesture " +
                             std::to_string(g));
                const SpeedOutcome plain = RunSpeed(skin, false, g, grouped);
                const SpeedOutcome skinned = RunSpeed(skin, true, g, grouped);
                EXPECT_EQ(Comparable(plain.states), Comparable(skinned.states));
                EXPECT_EQ(plain.seen, skinned.seen)
                    << "plain   " << Hex(plain.seen) << "\nskinned " << Hex(skinned.seen);
                std::vector<int> drawn;
                for (const auto& s : skinned.states) drawn.push_back(s.back());
                if (g == kSpeedDragOffAndBack) {
                    EXPECT_EQ(plain.states.back()[0], 1);
                    EXPECT_EQ(plain.states.back()[1], grouped ? 1 : 0);
                    EXPECT_EQ(drawn, (std::vector<int>{1, 0, 1, 0}));
                }
                if (g == kSpeedReleaseOutside) {
                    EXPECT_EQ(plain.states.back()[0], 0);
                    EXPECT_EQ(drawn, (std::vector<int>{0, 0}));
                }
                if (g == kSpeedDisabled) {
                    EXPECT_EQ(drawn, (std::vector<int>{0}));
                }
            }
}

// ---------------------------------------------------------------- the media player's bar

namespace {

// A player as an add-on library publishes it: two buttons side by side; like a system button
// each takes the mouse at its press and acts at a release over the button it pressed.
class TMediaPlayer : public TCustomControl {
    TOOLKIT_CLASS(TMediaPlayer)
public:
    using TCustomControl::TCustomControl;
    std::string visible = "[btPlay,btStop]", enabled = "[btPlay,btStop]", coloured = "[]";
    std::array<int, 2> clicks{};
    int down = -1; // the button pressed and not yet released

protected:
    void WndProc(TMessage& m) override {
        const POINT p = {static_cast<short>(LOWORD(m.LParam)),
                         static_cast<short>(HIWORD(m.LParam))};
        switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            down = ButtonAt(p);
            SetCapture(WindowHandle());
            break;
        case WM_LBUTTONUP:
            if (down >= 0 && ButtonAt(p) == down) ++clicks[static_cast<size_t>(down)];
            down = -1;
            if (GetCapture() == WindowHandle()) ReleaseCapture();
            break;
        default:
            break;
        }
        TCustomControl::WndProc(m);
    }

private:
    int ButtonAt(POINT p) const {
        if (p.x < 0 || p.y < 0 || p.x >= Width() || p.y >= Height()) return -1;
        return p.x * 2 / Width();
    }
};

const TClassInfo& TMediaPlayer::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TMediaPlayer>("TMediaPlayer", TCustomControl::StaticClass())
            .Str(
                "VisibleButtons", [](TMediaPlayer& p) { return p.visible; },
                [](TMediaPlayer& p, const std::string& v) { p.visible = v; })
            .Str(
                "EnabledButtons", [](TMediaPlayer& p) { return p.enabled; },
                [](TMediaPlayer& p, const std::string& v) { p.enabled = v; })
            .Str(
                "ColoredButtons", [](TMediaPlayer& p) { return p.coloured; },
                [](TMediaPlayer& p, const std::string& v) { p.coloured = v; })
            .Build();
    return info;
}

Subject Player(ParityForm& t) {
    auto* player = t.Add<TMediaPlayer>(20, 20, 160, 30);
    player->SetName("player");
    Subject s;
    s.control = player;
    s.other = Neighbour(t);
    s.read = [player] {
        return std::vector<int>{player->clicks[0], player->clicks[1], player->down};
    };
    s.skinned = [player](ParityForm& f) {
        auto* o = f.ObjectOf<TSkinMP>(player);
        return o && o->Bar() && o->Bar()->Visible();
    };
    return s;
}

// The middle of the play button.
POINT Play(Subject& s) {
    return OnScreen(s.control->Handle(), {40, 15});
}

} // namespace

TEST(SkinParityButtons, TheMediaPlayersButtonsUnderTheMouse) {
    std::vector<Gesture> g = MouseGestures(Play);
    g[0].plainDid = [](const std::vector<std::vector<int>>& states) {
        EXPECT_EQ(states.back(), (std::vector<int>{1, 0, -1}));
    };
    g[1].plainDid = [](const std::vector<std::vector<int>>& states) {
        EXPECT_EQ(states.back(), (std::vector<int>{0, 0, -1}));
    };
    g.push_back({"pressed on play, released on stop", false,
                 [](Subject& s, const Step& step) {
                     const POINT stop = OnScreen(s.control->Handle(), {120, 15});
                     Press(Play(s));
                     MoveTo(stop);
                     step();
                     Release(stop);
                 },
                 [](const std::vector<std::vector<int>>& states) {
                     EXPECT_EQ(states.back(), (std::vector<int>{0, 0, -1}));
                 }});
    ExpectParityOnBothSkins(Player, g);
}

// ---------------------------------------------------------------- scroll-bar controls

// A press on a scroll bar runs the system's tracking loop until the release, inside the press;
// the rest of a gesture is played from a thread timer inside that loop (input queued only:
// pumping there would steal the loop's messages). After the last step, and at the latest after
// two seconds, the button is let go, so the loop always ends.
namespace {

class LoopScript {
public:
    explicit LoopScript(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 40, Tick);
    }
    ~LoopScript() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    LoopScript(const LoopScript&) = delete;
    LoopScript& operator=(const LoopScript&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        LoopScript* s = current_;
        if (!s) return;
        if (s->next_ < s->steps_.size()) {
            s->steps_[s->next_++]();
        } else if (++s->after_ > 50 && (GetAsyncKeyState(VK_LBUTTON) & 0x8000)) {
            POINT p;
            GetCursorPos(&p);
            INPUT up = MouseAt(p, MOUSEEVENTF_LEFTUP);
            SendInput(1, &up, sizeof(up));
        }
    }
    static inline LoopScript* current_ = nullptr;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    int after_ = 0;
    UINT_PTR timer_ = 0;
};

void Queue(POINT p, DWORD flags) {
    INPUT in = MouseAt(p, flags);
    SendInput(1, &in, sizeof(in));
}

// Pressed at `at`, then each step one tick apart inside the loop, the last one releasing.
void PressAndPlay(POINT at, std::vector<std::function<void()>> steps) {
    LoopScript script(std::move(steps));
    Press(at);
    PumpFor(60);
}

struct BarParts {
    POINT firstArrow, secondArrow, trackAfter;
};

BarParts PartsOf(HWND bar) {
    RECT r;
    GetWindowRect(bar, &r);
    const int x = (r.left + r.right) / 2, arrow = GetSystemMetrics(SM_CYVSCROLL);
    return {{x, r.top + arrow / 2}, {x, r.bottom - arrow / 2 - 1}, {x, r.bottom - arrow - 8}};
}

Subject Bar(ParityForm& t) {
    auto* bar = t.Add<TScrollBar>(20, 20, 20, 180);
    bar->SetKind(sbVertical); // turns the bounds too
    bar->SetBounds(20, 20, 20, 180);
    bar->SetName("bar");
    bar->SetParams(50, 0, 100);
    bar->SetSmallChange(1);
    bar->SetLargeChange(20);
    bar->SetTabStop(true);
    auto changes = std::make_shared<int>(0);
    bar->OnChange = [changes](TObject*) { ++*changes; };
    Subject s;
    s.control = bar;
    s.other = Neighbour(t);
    // The cover asks where the native bar's parts are to draw them.
    s.queries = {UINT(SBM_GETSCROLLBARINFO), UINT(SBM_GETSCROLLINFO), UINT(SBM_GETRANGE)};
    s.read = [bar] {
        return std::vector<int>{bar->Position(),
                                static_cast<int>(GetScrollPos(bar->Handle(), SB_CTL)) ==
                                    bar->Position(),
                                FocusName() == "bar"};
    };
    s.skinned = [bar](ParityForm& f) {
        auto* o = f.ObjectOf<TSkinScControl>(bar);
        return o && o->Bar() && o->Bar()->Shown();
    };
    return s;
}

std::vector<Gesture> BarGestures() {
    auto moved = [](int to) {
        return
            [to](const std::vector<std::vector<int>>& states) { EXPECT_EQ(states.back()[0], to); };
    };
    return {
        {"arrow pressed, dragged off and back, released", false,
         [](Subject& s, const Step& step) {
             const BarParts p = PartsOf(s.control->Handle());
             const POINT off = Centre(s.other->Handle());
             // Back and released in one tick: queued input goes before the repeat the return
             // arms.
             PressAndPlay(p.secondArrow, {[=] {
                                              step();
                                              Queue(off, 0);
                                          },
                                          [=] {
                                              step();
                                              Queue(p.secondArrow, 0);
                                              Queue(p.secondArrow, MOUSEEVENTF_LEFTUP);
                                          }});
         },
         moved(51)},
        {"arrow held", false,
         [](Subject& s, const Step&) {
             // Let go once it has repeated down to 44: the release is queued input, which the
             // loop takes before the next repeat's timer, so both end at the same step.
             auto* bar = static_cast<TScrollBar*>(s.control);
             const BarParts p = PartsOf(bar->Handle());
             auto released = std::make_shared<bool>(false);
             std::vector<std::function<void()>> steps(40, [=] {
                 if (*released || bar->Position() > 44) return;
                 *released = true;
                 Queue(p.firstArrow, MOUSEEVENTF_LEFTUP);
             });
             PressAndPlay(p.firstArrow, steps);
         },
         [](const std::vector<std::vector<int>>& states) {
             EXPECT_EQ(states.back()[0], 44) << "the held arrow did not repeat";
         }},
        {"a click on the track", false,
         [](Subject& s, const Step&) {
             const BarParts p = PartsOf(s.control->Handle());
             PressAndPlay(p.trackAfter, {[=] { Queue(p.trackAfter, MOUSEEVENTF_LEFTUP); }});
         },
         moved(70)},
        {"arrow pressed, then the focus is taken", false,
         [](Subject& s, const Step& step) {
             const BarParts p = PartsOf(s.control->Handle());
             TWinControl* other = s.other;
             PressAndPlay(p.firstArrow, {[=] {
                              other->SetFocus();
                              step();
                              Queue(p.firstArrow, MOUSEEVENTF_LEFTUP);
                          }});
         },
         nullptr},
        {"disabled, then an arrow clicked", true,
         [](Subject& s, const Step&) { Click(PartsOf(s.control->Handle()).secondArrow); },
         moved(50)},
        {"the wheel over the bar", false,
         [](Subject& s, const Step& step) {
             const POINT at = Centre(s.control->Handle());
             Wheel(at, -WHEEL_DELTA);
             step();
             Wheel(at, WHEEL_DELTA);
         },
         nullptr},
        {"keys", false,
         [](Subject& s, const Step& step) {
             Focus(s.control);
             Tap(VK_DOWN);
             step();
             Tap(VK_NEXT);
             step();
             Tap(VK_UP);
             step();
             Tap(VK_HOME);
         },
         nullptr},
    };
}

} // namespace

TEST(SkinParityScrollBarControl, ArrowsTrackWheelKeysAndADisabledBarOnTheProductSkin) {
    ExpectParity(kProduct, Bar, BarGestures());
}

TEST(SkinParityScrollBarControl, ArrowsTrackWheelKeysAndADisabledBarOnAnotherGeometry) {
    ExpectParity(Skin{"scroll", &Scrolls}, Bar, BarGestures());
}
