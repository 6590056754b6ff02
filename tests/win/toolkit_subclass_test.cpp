// Raw-window subclassing and WindowProc hooks: chains installed and removed in any order,
// A and W windows, the window going away under a subclass.
#include "app_fixture.h"
#include "message_log.h"

#include "toolkit/subclass.h"

#include <gtest/gtest.h>

namespace {

// A plain window of a class of its own, W or A, whose procedure counts what reaches it.
struct PlainWindow {
    static int& Reached() {
        static int n = 0;
        return n;
    }
    static LRESULT CALLBACK ProcW(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_USER + 1) return ++Reached(), 111;
        return DefWindowProcW(w, m, wp, lp);
    }
    static LRESULT CALLBACK ProcA(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_USER + 1) return ++Reached(), 111;
        return DefWindowProcA(w, m, wp, lp);
    }
    explicit PlainWindow(bool unicode = true) {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"CorvaneTestPlainW";
            RegisterClassW(&wc);
            WNDCLASSA wa{};
            wa.lpfnWndProc = ProcA;
            wa.hInstance = GetModuleHandleW(nullptr);
            wa.lpszClassName = "CorvaneTestPlainA";
            RegisterClassA(&wa);
            return true;
        }();
        (void)registered;
        wnd = unicode ? CreateWindowW(L"CorvaneTestPlainW", L"", WS_OVERLAPPED, 0, 0, 50, 50,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)
                      : CreateWindowA("CorvaneTestPlainA", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        original = Front();
    }
    ~PlainWindow() {
        if (IsWindow(wnd)) DestroyWindow(wnd);
    }
    WNDPROC Front() const {
        return reinterpret_cast<WNDPROC>(IsWindowUnicode(wnd)
                                             ? GetWindowLongPtrW(wnd, GWLP_WNDPROC)
                                             : GetWindowLongPtrA(wnd, GWLP_WNDPROC));
    }
    LRESULT Ping() const { return SendMessageW(wnd, WM_USER + 1, 0, 0); }
    HWND wnd;
    WNDPROC original;
};

// A subclass that counts the pings it sees and passes everything on.
struct Counting {
    TWindowSubclass sub;
    int seen = 0;
    bool Attach(HWND wnd) {
        return sub.Attach(wnd, [this](TMessage& m) {
            if (m.Msg == WM_USER + 1) ++seen;
            sub.CallPrevious(m);
        });
    }
};

// Someone else's subclass, the classic way: SetWindowLongPtr and CallWindowProc.
struct Foreign {
    static WNDPROC& Previous() {
        static WNDPROC p = nullptr;
        return p;
    }
    static int& Seen() {
        static int n = 0;
        return n;
    }
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_USER + 1) ++Seen();
        return CallWindowProcW(Previous(), w, m, wp, lp);
    }
};

} // namespace

TEST(Subclass, PutsAHandlerInFrontAndTheOriginalBackOnDetach) {
    PlainWindow w;
    int base = LiveSubclassThunks();
    Counting a;
    ASSERT_TRUE(a.Attach(w.wnd));
    EXPECT_NE(w.Front(), w.original);
    EXPECT_EQ(a.sub.PreviousProc(), w.original);
    PlainWindow::Reached() = 0;
    EXPECT_EQ(w.Ping(), 111); // the answer of the original comes back through
    EXPECT_EQ(a.seen, 1);
    EXPECT_EQ(PlainWindow::Reached(), 1);
    a.sub.Detach();
    EXPECT_EQ(w.Front(), w.original);
    w.Ping();
    EXPECT_EQ(a.seen, 1);
    EXPECT_EQ(LiveSubclassThunks(), base);
    EXPECT_FALSE(a.sub.Attach(nullptr, nullptr));
}

TEST(Subclass, DetachOutOfOrderNeitherCutsTheLaterOneOffNorRevivesTheRemovedOne) {
    PlainWindow w;
    int base = LiveSubclassThunks();
    Counting a, b;
    ASSERT_TRUE(a.Attach(w.wnd));
    ASSERT_TRUE(b.Attach(w.wnd));
    a.sub.Detach(); // b was installed after a
    PlainWindow::Reached() = 0;
    w.Ping();
    EXPECT_EQ(b.seen, 1);
    EXPECT_EQ(a.seen, 0);
    EXPECT_EQ(PlainWindow::Reached(), 1);
    b.sub.Detach(); // puts a's pass-through back in front; the next message takes it out
    w.Ping();
    EXPECT_EQ(a.seen, 0);
    EXPECT_EQ(b.seen, 1);
    EXPECT_EQ(PlainWindow::Reached(), 2);
    EXPECT_EQ(w.Front(), w.original);
    EXPECT_EQ(LiveSubclassThunks(), base);
}

TEST(Subclass, ForeignSubclasserAfterUsKeepsWorkingWhenWeLeave) {
    PlainWindow w;
    int base = LiveSubclassThunks();
    Counting a;
    ASSERT_TRUE(a.Attach(w.wnd));
    Foreign::Previous() = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(w.wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Foreign::Proc)));
    Foreign::Seen() = 0;
    a.sub.Detach();
    EXPECT_EQ(w.Front(), Foreign::Proc);
    PlainWindow::Reached() = 0;
    EXPECT_EQ(w.Ping(), 111);
    EXPECT_EQ(Foreign::Seen(), 1);
    EXPECT_EQ(PlainWindow::Reached(), 1);
    EXPECT_EQ(a.seen, 0);
    // The foreign one leaves the way it came: our thunk is in front again, then gone.
    SetWindowLongPtrW(w.wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Foreign::Previous()));
    w.Ping();
    EXPECT_EQ(w.Front(), w.original);
    EXPECT_EQ(LiveSubclassThunks(), base);
    // And reattaching works on the clean window.
    ASSERT_TRUE(a.Attach(w.wnd));
    w.Ping();
    EXPECT_EQ(a.seen, 1);
}

TEST(Subclass, SeesTheWindowGoAndDetachesByItself) {
    int base = LiveSubclassThunks();
    MessageLog log;
    bool detached = false;
    auto w = std::make_unique<PlainWindow>();
    Counting outer;
    TWindowSubclass sub;
    ASSERT_TRUE(sub.Attach(w->wnd, [&](TMessage& m) {
        log.Record(m.Msg);
        sub.CallPrevious(m);
    }));
    ASSERT_TRUE(outer.Attach(w->wnd)); // a later one, still in front when the window dies
    sub.OnDetached = [&] { detached = true; };
    DestroyWindow(w->wnd);
    EXPECT_TRUE(log.Contains(WM_DESTROY));
    EXPECT_EQ(log.Messages().back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_TRUE(detached);
    EXPECT_FALSE(sub.Attached());
    EXPECT_FALSE(outer.sub.Attached());
    EXPECT_EQ(LiveSubclassThunks(), base);
}

TEST(Subclass, FollowsTheWindowsCharacterSet) {
    for (bool unicode : {true, false}) {
        PlainWindow w(unicode);
        TWindowSubclass sub;
        std::string seenA;
        std::wstring seenW;
        ASSERT_TRUE(sub.Attach(w.wnd, [&](TMessage& m) {
            if (m.Msg == WM_SETTEXT) {
                if (sub.Unicode())
                    seenW = reinterpret_cast<const wchar_t*>(m.LParam);
                else
                    seenA = reinterpret_cast<const char*>(m.LParam);
            }
            sub.CallPrevious(m);
        }));
        EXPECT_EQ(sub.Unicode(), unicode);
        SetWindowTextW(w.wnd, L"abc");
        if (unicode)
            EXPECT_EQ(seenW, L"abc");
        else
            EXPECT_EQ(seenA, "abc");
        wchar_t back[8] = {};
        GetWindowTextW(w.wnd, back, 8);
        EXPECT_STREQ(back, L"abc");
    }
}

TEST(Subclass, HandlerMayDetachOrDestroyItsOwnerAndStillPassTheMessageOn) {
    PlainWindow w;
    int base = LiveSubclassThunks();
    {
        TWindowSubclass sub;
        ASSERT_TRUE(sub.Attach(w.wnd, [&](TMessage& m) {
            if (m.Msg == WM_USER + 1) sub.Detach();
            sub.CallPrevious(m);
        }));
        EXPECT_EQ(w.Ping(), 111);
        EXPECT_FALSE(sub.Attached());
        EXPECT_EQ(w.Front(), w.original);
    }
    {
        auto* sub = new TWindowSubclass;
        ASSERT_TRUE(sub->Attach(w.wnd, [&](TMessage& m) {
            if (m.Msg == WM_USER + 1) {
                sub->CallPrevious(m);
                delete sub;
                return;
            }
            sub->CallPrevious(m);
        }));
        EXPECT_EQ(w.Ping(), 111);
        EXPECT_EQ(w.Front(), w.original);
    }
    EXPECT_EQ(LiveSubclassThunks(), base);
}

TEST(Subclass, ForeignDialogWindowsCanBeSubclassedAndLeftIntact) {
    // A dialog box of the system class, as message boxes and common dialogs are.
    HWND dlg = CreateWindowExW(0, L"#32770", L"x", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(dlg);
    WNDPROC before = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(dlg, GWLP_WNDPROC));
    TWindowSubclass sub;
    int paints = 0;
    ASSERT_TRUE(sub.Attach(dlg, [&](TMessage& m) {
        if (m.Msg == WM_NCPAINT) ++paints;
        sub.CallPrevious(m);
    }));
    ShowWindow(dlg, SW_SHOWNA);
    RedrawWindow(dlg, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GT(paints, 0);
    sub.Detach();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(dlg, GWLP_WNDPROC)), before);
    DestroyWindow(dlg);
}

// ---------------------------------------------------------------- WindowProc hooks

namespace {
struct HookForm {
    std::unique_ptr<TForm> form;
    TButton* button;
    HookForm() {
        form = std::make_unique<TForm>(&TestApplication());
        form->SetClientSize(200, 100);
        button = new TButton(form.get());
        button->SetParent(form.get());
        button->SetBounds(10, 10, 80, 24);
        form->Show();
    }
};

// A hook that counts one message and passes everything on.
struct CountingHook {
    TWndProcHook hook;
    int seen = 0;
    UINT watch;
    CountingHook(TControl& c, UINT msg) : watch(msg) {
        hook.Install(c, [this](TMessage& m) {
            if (m.Msg == watch) ++seen;
            hook.CallPrevious(m);
        });
    }
};
} // namespace

TEST(WndProcHook, RemovingOneHookTakesOutExactlyThatOneInAnyOrder) {
    HookForm t;
    int clicks = 0;
    t.button->OnClick = [&](TObject*) { ++clicks; };
    auto a = std::make_unique<CountingHook>(*t.button, CN_COMMAND);
    auto b = std::make_unique<CountingHook>(*t.button, CN_COMMAND);
    auto c = std::make_unique<CountingHook>(*t.button, CN_COMMAND);
    SendMessageW(t.button->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(a->seen + b->seen + c->seen, 3);
    b.reset(); // the middle one
    SendMessageW(t.button->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(a->seen, 2);
    EXPECT_EQ(c->seen, 2);
    a.reset(); // the innermost, under c
    SendMessageW(t.button->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(c->seen, 3);
    EXPECT_EQ(clicks, 3); // the control's own handling ran every time
    c.reset();
    SendMessageW(t.button->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 4);
}

TEST(WndProcHook, LivesAlongsideTheSaveAndRestoreModel) {
    HookForm t;
    int saw = 0;
    CountingHook hook(*t.button, CM_ENABLEDCHANGED);
    TWndMethod saved = t.button->WindowProc; // a second object, the everyday way
    t.button->WindowProc = [&](TMessage& m) {
        if (m.Msg == CM_ENABLEDCHANGED) ++saw;
        saved(m);
    };
    t.button->SetEnabled(false);
    EXPECT_EQ(saw, 1);
    EXPECT_EQ(hook.seen, 1);
    hook.hook.Remove(); // under the other object: becomes a pass-through
    t.button->SetEnabled(true);
    EXPECT_EQ(saw, 2);
    EXPECT_EQ(hook.seen, 1);
    EXPECT_TRUE(IsWindowEnabled(t.button->WindowHandle()));
    t.button->WindowProc = saved;
    t.button->SetEnabled(false);
    EXPECT_EQ(saw, 2);
    EXPECT_FALSE(IsWindowEnabled(t.button->WindowHandle()));
}

TEST(WndProcHook, FormHookAndAHookOnAnInnerFormsControlBothWork) {
    HookForm outer;
    auto* inner = new TForm(outer.form.get());
    inner->SetBorderStyle(bsNone);
    auto* edit = new TEdit(inner);
    edit->SetParent(inner);
    inner->Show();
    CountingHook formHook(*outer.form, WM_COMMAND);
    CountingHook innerHook(*inner, WM_COMMAND);
    CountingHook editHook(*edit, CN_COMMAND);
    edit->SetText("typed");
    SendMessageW(edit->WindowHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    EXPECT_GT(innerHook.seen, 0);
    EXPECT_GT(editHook.seen, 0);
    SendMessageW(outer.button->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(formHook.seen, 1);
}

TEST(WndProcHook, SurvivesRecreateWndAndSeesTheOldWindowGo) {
    HookForm t;
    MessageLog log;
    TWndProcHook hook;
    hook.Install(*t.button, [&](TMessage& m) {
        log.Record(m.Msg);
        hook.CallPrevious(m);
    });
    HWND old = t.button->WindowHandle();
    t.button->RecreateWnd();
    EXPECT_FALSE(IsWindow(old));
    EXPECT_TRUE(log.Contains(CM_RECREATEWND));
    EXPECT_TRUE(log.Contains(WM_NCDESTROY));
    EXPECT_TRUE(log.Contains(WM_CREATE)); // the new window's messages come through the same hook
    EXPECT_LT(log.IndexOf(WM_NCDESTROY), static_cast<int>(log.Entries().size()) - 1);
    log.Clear();
    SendMessageW(t.button->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(log.Contains(CN_COMMAND));
}
