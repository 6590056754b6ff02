#pragma once
// Shared by the parity tests: the same real input (SendInput through the system's queue) given
// to a skinned control and to its unskinned twin, on a fresh form each time; what each ends
// with and what the control's previous window procedure saw, compared.
#include "message_log.h"
#include "real_input.h"
#include "skinned_form.h"

#include "skin/form/skin_messages.h"
#include "toolkit/subclass.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace parity {

using namespace skintest;
using namespace realinput;

struct Skin {
    const char* name;
    std::vector<std::uint8_t> (*store)();
};

inline std::vector<std::uint8_t> Controls() {
    return testskins::ControlsSkinStore();
}
inline const Skin kProduct{"product", &testskins::ProductSkinStore};
inline const Skin kGeometry{"geometry", &Controls};

// A form at a fixed place, in front, with the mouse parked off it.
struct ParityForm : SkinnedForm {
    explicit ParityForm(const std::vector<std::uint8_t>& store)
        : SkinnedForm(store, 420, 300, 160, 140) {}
    void Start(bool skinned) {
        MoveTo({5, 5});
        if (skinned)
            Apply();
        else
            Show();
        SetForegroundWindow(form->WindowHandle());
        PumpFor(20);
    }
};

// Paint-only messages (colour questions included), queries the skin engine itself sends, and
// the mouse's travel (its moves and leaves depend on where the pointer was parked, not on the
// control).
inline std::vector<UINT> IgnoredByTheLog() {
    std::vector<UINT> ignore = MessageLog::DefaultIgnored();
    for (UINT m : {UINT(WM_PAINT),          UINT(WM_ERASEBKGND),
                   UINT(WM_NCPAINT),        UINT(WM_PRINTCLIENT),
                   UINT(WM_CTLCOLORBTN),    CN_CTLCOLORBTN,
                   CN_CTLCOLORSTATIC,       CN_NOTIFY,
                   WM_SKIN_QUERY,           UINT(WM_GETTEXT),
                   UINT(WM_GETTEXTLENGTH),  UINT(BM_GETCHECK),
                   UINT(BM_GETSTATE),       UINT(WM_GETFONT),
                   UINT(WM_MOUSEMOVE),      UINT(WM_MOUSELEAVE),
                   UINT(WM_NCMOUSEMOVE),    UINT(WM_NCMOUSELEAVE),
                   UINT(WM_GETDLGCODE),     UINT(WM_SYNCPAINT),
                   CM_MOUSEENTER,           CM_MOUSELEAVE,
                   UINT(WM_CTLCOLOREDIT),   UINT(WM_CTLCOLORLISTBOX),
                   UINT(WM_CTLCOLORSTATIC), CN_CTLCOLOREDIT,
                   CN_CTLCOLORLISTBOX})
        ignore.push_back(m);
    return ignore;
}

inline POINT Centre(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    return OnScreen(wnd, {r.right / 2, r.bottom / 2});
}

inline std::string FocusName() {
    TWinControl* c = TWinControl::FromHandle(GetFocus());
    return c ? c->Name() : GetFocus() ? "(window)" : "(none)";
}

// "0201 0202 ..." for failure messages.
inline std::string Hex(const std::vector<UINT>& messages) {
    std::string out;
    char buf[16];
    for (UINT m : messages) {
        std::snprintf(buf, sizeof(buf), "%04X ", m);
        out += buf;
    }
    return out;
}

// A gesture that failed half-way leaves no button or key held for the next test.
inline void LetEverythingGo() {
    std::vector<INPUT> up;
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) {
        POINT p;
        GetCursorPos(&p);
        up.push_back(MouseAt(p, MOUSEEVENTF_LEFTUP));
    }
    for (WORD vk : {WORD(VK_CONTROL), WORD(VK_SHIFT), WORD(VK_MENU)})
        if (GetAsyncKeyState(vk) & 0x8000) up.push_back(Key(vk, true));
    if (!up.empty()) Send(up);
    if (GetCapture()) ReleaseCapture();
}

// Press, off to `off` and back, release; `step` looks at the state after each move.
inline void DragOffAndBack(POINT on, POINT off, const std::function<void()>& step) {
    Press(on);
    step();
    MoveTo(off);
    step();
    MoveTo(on);
    step();
    Release(on);
}

// Writes down what reaches a procedure: installed before the skin object, it is the one the
// object passes messages on to.
class PreviousProcedure {
public:
    explicit PreviousProcedure(const std::vector<UINT>& alsoIgnored = {})
        : log_(WithThese(alsoIgnored)) {}
    ~PreviousProcedure() { Remove(); }
    void On(TWinControl& control) {
        hook_.Install(control, [this](TMessage& m) {
            Record(m);
            hook_.CallPrevious(m);
        });
    }
    void On(HWND wnd) {
        subclass_.Attach(wnd, [this](TMessage& m) {
            Record(m);
            subclass_.CallPrevious(m);
        });
    }
    void Remove() {
        hook_.Remove();
        if (subclass_.Attached()) subclass_.Detach();
    }
    void Clear() { log_.Clear(); }
    std::vector<UINT> Seen() const { return log_.Messages(); }

private:
    // A notification is written down with its code (0x4E in the high word); custom-draw
    // questions are paint-only: a skinned child paints itself without asking them.
    void Record(const TMessage& m) {
        if (m.Msg == WM_NOTIFY && m.LParam) {
            const UINT code = reinterpret_cast<const NMHDR*>(m.LParam)->code;
            if (code == static_cast<UINT>(NM_CUSTOMDRAW)) return;
            log_.Record((UINT(WM_NOTIFY) << 16) | (code & 0xFFFF));
            return;
        }
        log_.Record(m.Msg);
    }
    static std::vector<UINT> WithThese(const std::vector<UINT>& more) {
        std::vector<UINT> ignore = IgnoredByTheLog();
        ignore.insert(ignore.end(), more.begin(), more.end());
        return ignore;
    }
    MessageLog log_;
    TWndProcHook hook_;
    TWindowSubclass subclass_;
};

// ---------------------------------------------------------------- families as tables

// One family's control on a fresh form, with a neighbour to take the focus and what the
// family reads as its state (the same reading for the skinned control and its twin).
struct Subject {
    TWinControl* control = nullptr;
    TWinControl* other = nullptr;
    HWND child = nullptr; // a child window whose procedure is recorded too (a header), or null
    // Questions that change nothing (item rectangles, counts, the current item): the skin asks
    // them to draw, so their number follows the paints, not the input.
    std::vector<UINT> queries;
    std::function<std::vector<int>()> read;
    // Closes what a gesture may have left open (a dropped list, a calendar).
    std::function<void()> close;
    // With the skin: the object the family is meant to get.
    std::function<bool(ParityForm&)> skinned;
};

using Step = std::function<void()>;

struct Gesture {
    const char* name;
    bool disabled;
    std::function<void(Subject&, const Step&)> run;
    // Guards the twin itself: the gesture did on the system's control what it is for.
    std::function<void(const std::vector<std::vector<int>>&)> plainDid;
};

struct Outcome {
    std::vector<std::vector<int>> states; // after each step and at the end
    std::string focus;
    std::vector<UINT> seen, childSeen;
};

using Build = std::function<Subject(ParityForm&)>;

// Each skin's store made once: a family's table builds many forms on it.
inline const std::vector<std::uint8_t>& StoreOf(const Skin& skin) {
    static std::map<std::vector<std::uint8_t> (*)(), std::vector<std::uint8_t>> stores;
    auto [at, made] = stores.try_emplace(skin.store);
    if (made) at->second = skin.store();
    return at->second;
}

inline Outcome RunTwin(const Skin& skin, bool skinned, const Build& build, const Gesture& g) {
    Outcome o;
    ParityForm t(StoreOf(skin));
    Subject s = build(t);
    if (g.disabled) s.control->SetEnabled(false);
    PreviousProcedure control(s.queries), child(s.queries);
    control.On(*s.control);
    t.Show();
    if (s.child) child.On(s.child);
    t.Start(skinned);
    if (skinned && s.skinned) {
        EXPECT_TRUE(s.skinned(t)) << "the family's object is missing";
    }
    control.Clear();
    child.Clear();
    const Step step = [&] { o.states.push_back(s.read()); };
    g.run(s, step);
    step();
    MoveTo({5, 5});
    o.focus = FocusName();
    o.seen = control.Seen();
    o.childSeen = child.Seen();
    if (s.close) s.close();
    LetEverythingGo();
    PumpFor(10);
    control.Remove();
    child.Remove();
    return o;
}

// Every gesture on the twin and on the skinned control, on one skin.
inline void ExpectParity(const Skin& skin, const Build& build,
                         const std::vector<Gesture>& gestures) {
    for (const Gesture& g : gestures) {
        SCOPED_TRACE(std::string(skin.name) + ": " + g.name);
        const Outcome plain = RunTwin(skin, false, build, g);
        const Outcome skinned = RunTwin(skin, true, build, g);
        if (g.plainDid) g.plainDid(plain.states);
        EXPECT_EQ(plain.states, skinned.states);
        EXPECT_EQ(plain.focus, skinned.focus);
        EXPECT_EQ(plain.seen, skinned.seen)
            << "plain   " << Hex(plain.seen) << "\nskinned " << Hex(skinned.seen);
        EXPECT_EQ(plain.childSeen, skinned.childSeen)
            << "plain   " << Hex(plain.childSeen) << "\nskinned " << Hex(skinned.childSeen);
    }
}

} // namespace parity
