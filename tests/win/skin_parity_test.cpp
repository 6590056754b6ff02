// A skinned window and its unskinned twin under the same real input (SendInput, through the
// system's queue): title buttons, the caption, the system menu and the menu bar. What the
// window's own procedure (the one in front of which the skin sits) receives as commands, and
// the state the window ends in, must be the same with and without the skin.
//
// Every menu opened here is closed from a thread timer that runs inside the menu's loop, also
// when an assertion fails; mouse buttons pressed are always released in the same queued run.
#include "app_fixture.h"
#include "menu_script.h"
#include "message_log.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "gallery_form.h"
#include "skin/data/skin_manage.h"
#include "skin/form/win_skin_form.h"
#include "skin/form/win_skin_menu.h"
#include "toolkit/menus.h"
#include "toolkit/win_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace testskins;

namespace {

// ---------------------------------------------------------------- real input

void Send(INPUT in) {
    SendInput(1, &in, sizeof(in));
}

void MouseAt(POINT screen, DWORD buttons = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    Send(in);
}

void Key(WORD vk, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    Send(in);
}

void Tap(WORD vk) {
    Key(vk, true);
    Key(vk, false);
}

void AltTap(WORD vk) {
    Key(VK_MENU, true);
    Tap(vk);
    Key(VK_MENU, false);
}

// Two presses in a row land 6 pixels apart, so that they never make a double click.
POINT Apart(POINT p) {
    static int side = 1;
    side = -side;
    return {p.x + 3 * side, p.y};
}

void Click(POINT p, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
    MouseAt(p);
    MouseAt(p, down);
    MouseAt(p, up);
}

POINT Screen(HWND w, POINT framePoint) {
    RECT r;
    GetWindowRect(w, &r);
    return {r.left + framePoint.x, r.top + framePoint.y};
}

// Ends whatever menu (or keyboard move or size loop) is up after `ms`, from inside its loop;
// also on a failed assertion.
struct MenuGuard {
    UINT_PTR timer;
    explicit MenuGuard(UINT ms = 3000)
        : timer(SetTimer(nullptr, 0, ms, [](HWND, UINT, UINT_PTR, DWORD) { EndModes(true); })) {}
    ~MenuGuard() {
        KillTimer(nullptr, timer);
        EndModes(false);
    }
    static void EndModes(bool stuck) {
        EndMenu();
        if (HWND c = GetCapture()) SendMessageW(c, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
        (void)stuck;
    }
};

bool MenuWindowShown() {
    return !OpenMenuWindows().empty();
}

// Lets the queued input run through whatever loops it starts.
void Settle(int ms = 300) {
    MenuGuard guard(static_cast<UINT>(ms + 200));
    PumpFor(ms);
}

// ---------------------------------------------------------------- twins

// The commands a window's own procedure got: what a user's input did, apart from the
// mechanics of getting there (menu keys, the move loop).
std::vector<std::string> Commands(const MessageLog& log) {
    std::vector<std::string> out;
    char buf[48];
    for (const LoggedMessage& e : log.Entries()) {
        if (e.msg == WM_SYSCOMMAND) {
            const UINT cmd = static_cast<UINT>(e.wParam & 0xFFF0);
            if (cmd == SC_KEYMENU || cmd == SC_MOUSEMENU || cmd == SC_MOVE || cmd == SC_SIZE)
                continue;
            wsprintfA(buf, "syscommand %04X", cmd);
        } else if (e.msg == WM_COMMAND && e.lParam == 0) {
            wsprintfA(buf, "command %u", static_cast<unsigned>(LOWORD(e.wParam)));
        } else if (e.msg == WM_CLOSE) {
            wsprintfA(buf, "close");
        } else {
            continue;
        }
        out.push_back(buf);
    }
    return out;
}

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& e : v) s += e + "; ";
    return s;
}

// A form with a recorder in front of its own procedure; skinned by hand or left native. The
// recorder keeps SC_CLOSE and WM_CLOSE from closing it, so both twins stay to be compared.
struct Twin {
    std::unique_ptr<TForm> owned;
    TForm* form = nullptr;
    TSkinData* data = nullptr;
    TWinSkinForm* skin = nullptr;
    TWindowSubclass recorder;
    MessageLog seen;

    Twin(const std::vector<std::uint8_t>* store, TFormBorderStyle border = bsSizeable,
         TBorderIcons icons = biSystemMenu | biMinimize | biMaximize, TForm* existing = nullptr) {
        if (existing) {
            form = existing;
        } else {
            owned = std::make_unique<TForm>(&TestApplication());
            form = owned.get();
            form->SetBorderStyle(border);
            form->SetBorderIcons(icons);
            form->SetCaption("Twin");
            form->SetBounds(120, 90, 360, 260);
        }
        form->SetTag(99); // a manager about leaves it to the test
        MouseAt({5, 5});
        form->Show();
        SetForegroundWindow(Wnd());
        PumpFor(20);
        recorder.Attach(Wnd(), [this](TMessage& m) {
            seen.Record(m.Msg, m.WParam, m.LParam);
            if ((m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_CLOSE) || m.Msg == WM_CLOSE) {
                m.Result = 0;
                return;
            }
            recorder.CallPrevious(m);
        });
        if (store) {
            data = MakeSkinData(*store, form);
            skin = new TWinSkinForm(form);
            skin->Handle = Wnd();
            skin->Attach(data, form);
            SendMessageW(Wnd(), WM_SKIN_APPLY, 0, kSkinApplyTag);
            PumpFor(20);
        }
        seen.Clear();
    }
    ~Twin() {
        MouseAt({5, 5});
        PumpFor(10);
        recorder.Detach();
    }
    HWND Wnd() const { return form->WindowHandle(); }
    // The centre of the title button of `action`: the skin's, or the system's by hit testing.
    POINT Button(int action) const {
        if (skin) {
            for (const auto& b : skin->TitleButtons())
                if (b->Visible && b->Element.Action == action)
                    return Screen(Wnd(), {(b->Bounds.left + b->Bounds.right) / 2,
                                          (b->Bounds.top + b->Bounds.bottom) / 2});
            return {-1, -1};
        }
        const LRESULT want = action == 0 ? HTCLOSE : action == 1 ? HTMAXBUTTON : HTMINBUTTON;
        RECT r;
        GetWindowRect(Wnd(), &r);
        const int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
        for (int x = r.right - 1; x > r.left; --x)
            if (SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(x, y)) == want) {
                int right = x, left = x;
                while (SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(left - 1, y)) == want)
                    --left;
                return {(left + right) / 2, y};
            }
        return {-1, -1};
    }
    // A point of the caption clear of every button: a quarter of the way across.
    POINT Caption() const {
        RECT r;
        GetWindowRect(Wnd(), &r);
        const int title = skin ? skin->TitleHeight() : GetSystemMetrics(SM_CYCAPTION);
        const int top = skin ? 0 : GetSystemMetrics(SM_CYFRAME);
        return {r.left + (r.right - r.left) / 4, r.top + top + title / 2 + 1};
    }
    POINT Inside() const {
        RECT r;
        GetWindowRect(Wnd(), &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2 + 20};
    }
    std::vector<std::string> Done() const { return Commands(seen); }
};

std::vector<std::vector<std::uint8_t>> Skins() {
    return {TitleButtonsSkinStore(), ProductSkinStore()};
}

} // namespace

TEST(SkinParity, TitleButtonClicksAndPressesDraggedOffAndBack) {
    for (const auto& store : Skins()) {
        for (bool skin : {false, true}) {
            // One at a time: the input goes to the window under the mouse or in front.
            Twin twin(skin ? &store : nullptr);
            Twin* t = &twin;
            SCOPED_TRACE(skin ? "skinned" : "native");
            const POINT close = t->Button(0), max = t->Button(1);
            ASSERT_GE(close.x, 0);
            ASSERT_GE(max.x, 0);
            // A press dragged off the button and released elsewhere does nothing.
            const POINT at = Apart(close);
            MouseAt(at);
            MouseAt(at, MOUSEEVENTF_LEFTDOWN);
            MouseAt(t->Inside());
            MouseAt(t->Inside(), MOUSEEVENTF_LEFTUP);
            Settle();
            EXPECT_EQ(t->Done(), std::vector<std::string>{}) << Join(t->Done());
            // Dragged off and back before the release, it clicks.
            const POINT again = Apart(close);
            MouseAt(again);
            MouseAt(again, MOUSEEVENTF_LEFTDOWN);
            MouseAt(t->Inside());
            MouseAt(close);
            MouseAt(close, MOUSEEVENTF_LEFTUP);
            Settle();
            EXPECT_EQ(t->Done(), std::vector<std::string>{"syscommand F060"}) << Join(t->Done());
            t->seen.Clear();
            // Maximise, and restore from the same place.
            Click(Apart(max));
            Settle();
            EXPECT_TRUE(IsZoomed(t->Wnd()));
            Click(Apart(t->Button(1)));
            Settle();
            EXPECT_FALSE(IsZoomed(t->Wnd()));
            EXPECT_EQ(t->Done(), (std::vector<std::string>{"syscommand F030", "syscommand F120"}))
                << Join(t->Done());
            t->seen.Clear();
            if (!skin) continue;
            // Away from the buttons, every skinned button is back to its resting look.
            MouseAt(t->Inside());
            PumpFor(600);
            for (const auto& b : t->skin->TitleButtons())
                EXPECT_NE(b->State, ncsHot) << "action " << b->Element.Action;
            EXPECT_EQ(t->skin->HotObject, nullptr);
        }
    }
}

TEST(SkinParity, CaptionDoubleClicksMaximiseAndRestore) {
    for (const auto& store : Skins()) {
        for (bool skin : {false, true}) {
            // One at a time: the input goes to the window under the mouse or in front.
            Twin twin(skin ? &store : nullptr);
            Twin* t = &twin;
            SCOPED_TRACE(skin ? "skinned" : "native");
            Click(t->Caption());
            Click(t->Caption());
            Settle();
            EXPECT_TRUE(IsZoomed(t->Wnd()));
            Click(t->Caption());
            Click(t->Caption());
            Settle();
            EXPECT_FALSE(IsZoomed(t->Wnd()));
            EXPECT_EQ(t->Done(), (std::vector<std::string>{"syscommand F030", "syscommand F120"}))
                << Join(t->Done());
        }
    }
}

TEST(SkinParity, AltSpaceArrowsAndEscapeLeaveNothingBehind) {
    for (const auto& store : Skins()) {
        std::vector<std::string> done[2];
        for (bool skin : {false, true}) {
            Twin twin(skin ? &store : nullptr);
            SCOPED_TRACE(skin ? "skinned" : "native");
            AltTap(VK_SPACE);
            Tap(VK_DOWN);
            Tap(VK_DOWN);
            Tap(VK_ESCAPE);
            Settle();
            EXPECT_FALSE(MenuWindowShown());
            EXPECT_EQ(twin.Done(), std::vector<std::string>{}) << Join(twin.Done());
            // Shown again at once, the menu takes its items' accelerators: C closes.
            AltTap(VK_SPACE);
            Tap('C');
            Settle();
            EXPECT_FALSE(MenuWindowShown());
            done[skin] = twin.Done();
        }
        EXPECT_EQ(done[0], std::vector<std::string>{"syscommand F060"}) << Join(done[0]);
        EXPECT_EQ(done[1], done[0]) << Join(done[1]);
    }
}

TEST(SkinParity, ARightClickOnTheCaptionShowsTheSystemMenuOnly) {
    for (const auto& store : Skins()) {
        for (bool skin : {false, true}) {
            // One at a time: the input goes to the window under the mouse or in front.
            Twin twin(skin ? &store : nullptr);
            Twin* t = &twin;
            SCOPED_TRACE(skin ? "skinned" : "native");
            static bool shown;
            shown = false;
            // From inside the menu's loop: note it, and close it with the key.
            UINT_PTR look = SetTimer(nullptr, 0, 250, [](HWND, UINT, UINT_PTR id, DWORD) {
                if (MenuWindowShown()) {
                    shown = true;
                    Tap(VK_ESCAPE);
                }
                KillTimer(nullptr, id);
            });
            Click(Apart(t->Caption()), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
            Settle(600);
            KillTimer(nullptr, look);
            EXPECT_TRUE(shown);
            EXPECT_FALSE(MenuWindowShown());
            EXPECT_EQ(t->Done(), std::vector<std::string>{}) << Join(t->Done());
        }
    }
}

// What the system menu lets the user choose, by command, while it is shown.
namespace {
struct SystemMenuStates {
    std::vector<std::pair<UINT, bool>> items;
    bool operator==(const SystemMenuStates& o) const { return items == o.items; }
};

std::string Describe(const SystemMenuStates& s) {
    std::string out;
    char buf[24];
    for (auto [cmd, on] : s.items) {
        wsprintfA(buf, "%04X:%s ", cmd, on ? "on" : "grey");
        out += buf;
    }
    return out;
}

SystemMenuStates ShownSystemMenu(Twin& t) {
    SystemMenuStates s;
    {
        MenuGuard guard(100);
        SendMessageW(t.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    }
    if (t.skin) {
        TPopupMenu* popup = t.skin->SystemMenuPopup();
        if (!popup) return s;
        for (int i = 0; i < popup->Items()->Count(); ++i) {
            TMenuItem* item = popup->Items()->Items(i);
            if (!item->IsLine())
                s.items.push_back({static_cast<UINT>(item->Tag()) & 0xFFF0, item->Enabled()});
        }
        return s;
    }
    // The system greys its menu as it shows it; the states stay after it closes.
    HMENU sys = GetSystemMenu(t.Wnd(), FALSE);
    for (int i = 0; i < GetMenuItemCount(sys); ++i) {
        const UINT state = GetMenuState(sys, static_cast<UINT>(i), MF_BYPOSITION);
        if (state & MF_SEPARATOR) continue;
        s.items.push_back({GetMenuItemID(sys, i) & 0xFFF0, !(state & (MF_GRAYED | MF_DISABLED))});
    }
    return s;
}
} // namespace

TEST(SkinParity, TheSystemMenuGreysItsItemsAsTheSystemsDoes) {
    for (const auto& store : Skins()) {
        for (TFormBorderStyle border : {bsSizeable, bsSingle, bsDialog, bsToolWindow}) {
            for (int show : {SW_SHOWNORMAL, SW_MAXIMIZE, SW_MINIMIZE}) {
                SCOPED_TRACE("skin of " + std::to_string(store.size()) + " bytes, border " +
                             std::to_string(border) + " show " + std::to_string(show));
                // The main window's kind has no maximise box.
                const TBorderIcons icons = border == bsSingle
                                               ? biSystemMenu | biMinimize
                                               : biSystemMenu | biMinimize | biMaximize;
                SystemMenuStates states[2];
                for (bool skin : {false, true}) {
                    Twin t(skin ? &store : nullptr, border, icons);
                    ShowWindow(t.Wnd(), show);
                    PumpFor(10);
                    states[skin] = ShownSystemMenu(t);
                }
                const SystemMenuStates &a = states[0], &b = states[1];
                ASSERT_FALSE(a.items.empty());
                EXPECT_EQ(a, b) << "native:  " << Describe(a) << "\nskinned: " << Describe(b);
            }
        }
    }
}

// ---------------------------------------------------------------- the menu bar

namespace {

// A form with a bar of every kind of entry: File, an entry without a caption, a disabled one,
// View and Help. Clicked items are written down by name.
struct MenuBarForm {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(&TestApplication());
    std::vector<std::string> clicks;
    TMenuItem* Add(TMenuItem* parent, const std::string& caption, const std::string& name = "") {
        auto* it = new TMenuItem(form.get());
        it->SetCaption(caption);
        if (!name.empty()) it->OnClick = [this, name](TObject*) { clicks.push_back(name); };
        parent->Add(it);
        return it;
    }
    MenuBarForm() {
        form->SetCaption("Menus");
        form->SetBounds(120, 90, 420, 280);
        auto* menu = new TMainMenu(form.get());
        TMenuItem* root = menu->Items();
        TMenuItem* file = Add(root, "&File");
        Add(file, "&New", "new");
        Add(file, "-");
        TMenuItem* recent = Add(file, "&Recent");
        Add(recent, "&One", "one");
        Add(root, "", "blank");
        TMenuItem* gone = Add(root, "&Gone");
        Add(gone, "Never", "never");
        gone->SetEnabled(false);
        TMenuItem* view = Add(root, "&View");
        Add(view, "&Small", "small");
        TMenuItem* help = Add(root, "&Help");
        Add(help, "&About", "about");
        form->SetMenu(menu);
    }
};

} // namespace

TEST(SkinParity, AltLetterArrowsAcrossDisabledAndEmptyEntriesAndEscapes) {
    for (const auto& store : Skins()) {
        std::vector<std::string> clicks[2], done[2];
        for (bool skin : {false, true}) {
            SCOPED_TRACE(skin ? "skinned" : "native");
            MenuBarForm f;
            Twin twin(skin ? &store : nullptr, bsSizeable, biSystemMenu | biMinimize | biMaximize,
                      f.form.get());
            // Across the entries with nothing to show, round to File again, and out.
            AltTap('F');
            for (int i = 0; i < 5; ++i) Tap(VK_RIGHT);
            Tap(VK_ESCAPE);
            Settle();
            EXPECT_FALSE(MenuWindowShown());
            // Escape from a nested popup closes that one only: the next key still walks File.
            AltTap('F');
            Tap(VK_DOWN);
            Tap(VK_RIGHT);
            Tap(VK_ESCAPE);
            Tap(VK_UP);
            Tap(VK_RETURN);
            Settle();
            EXPECT_FALSE(MenuWindowShown());
            // Alt and a letter opens View straight away.
            AltTap('V');
            Tap(VK_RETURN);
            Settle();
            EXPECT_FALSE(MenuWindowShown());
            if (skin) {
                EXPECT_EQ(TWinSkinMenu::Tracked(), nullptr);
            }
            clicks[skin] = f.clicks;
            done[skin] = twin.Done();
        }
        EXPECT_EQ(clicks[0], (std::vector<std::string>{"new", "small"}));
        EXPECT_EQ(clicks[1], clicks[0]);
        // The same number of commands (the two forms' items have ids of their own).
        EXPECT_EQ(done[1].size(), done[0].size())
            << "native: " << Join(done[0]) << "\nskinned: " << Join(done[1]);
    }
}

namespace {

// What a walk of the bar opened and selected, as the window's own procedure saw it: each popup
// initialised and each item selected inside one, by the item's name, repeats folded. The bar's
// own entries and the end-of-menu notices are left out: a native bar reports its entries and
// ends one loop, the skinned bar draws its entries itself and tracks one popup at a time.
std::vector<std::string> MenuTrail(const MessageLog& log, TMenu& menu) {
    std::vector<std::string> out;
    auto name = [&](UINT_PTR value, TFindItemKind kind) {
        TMenuItem* item = menu.FindItem(value, kind);
        return item ? item->Name() : std::string("?");
    };
    for (const LoggedMessage& e : log.Entries()) {
        std::string step;
        if (e.msg == WM_INITMENUPOPUP) {
            step = HIWORD(e.lParam) ? "open system menu" : "open " + name(e.wParam, fkHandle);
        } else if (e.msg == WM_MENUSELECT) {
            const UINT flags = HIWORD(e.wParam);
            const auto owner = reinterpret_cast<HMENU>(e.lParam);
            if ((flags == 0xFFFF && !owner) || owner == menu.Handle()) continue;
            const UINT item = LOWORD(e.wParam);
            step =
                "select " +
                (flags & MF_POPUP
                     ? name(reinterpret_cast<UINT_PTR>(GetSubMenu(owner, static_cast<int>(item))),
                            fkHandle)
                     : name(item, fkCommand));
        } else {
            continue;
        }
        if (out.empty() || out.back() != step) out.push_back(step);
    }
    return out;
}

// Runs one step of input per tick of a thread timer, from inside whatever menu loop is up, so
// each step is handled before the next arrives (a native bar holds back a popup while more
// arrow keys wait), and notes where each step's messages begin in the log.
class StepDriver {
public:
    using Step = std::function<void()>;
    StepDriver(std::vector<Step> steps, const MessageLog& log)
        : steps_(std::move(steps)), log_(log) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 80, Tick);
    }
    ~StepDriver() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    StepDriver(const StepDriver&) = delete;
    StepDriver& operator=(const StepDriver&) = delete;
    // Lets every step run, and the last one settle.
    void Run() {
        MenuGuard guard(static_cast<UINT>(steps_.size() * 80 + 1500));
        for (int i = 0; i < 100 && next_ < steps_.size(); ++i) PumpFor(30);
        PumpFor(250);
    }
    // The messages each step brought, from its start to the next one's.
    std::vector<MessageLog> Slices() const {
        std::vector<MessageLog> out(marks_.size());
        for (size_t i = 0; i < marks_.size(); ++i) {
            const size_t to = i + 1 < marks_.size() ? marks_[i + 1] : log_.Entries().size();
            for (size_t k = marks_[i]; k < to; ++k) {
                const LoggedMessage& e = log_.Entries()[k];
                out[i].Record(e.msg, e.wParam, e.lParam);
            }
        }
        return out;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        StepDriver* d = current_;
        if (!d || d->next_ >= d->steps_.size()) return;
        d->marks_.push_back(d->log_.Entries().size());
        d->steps_[d->next_++]();
    }
    static inline StepDriver* current_ = nullptr;
    std::vector<Step> steps_;
    const MessageLog& log_;
    std::vector<size_t> marks_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

} // namespace

TEST(SkinParity, KeyboardAndMouseWalksOfTheGallerysMenuBar) {
    for (const auto& store : {ProductSkinStore(), MenuSkinStore()}) {
        std::vector<std::string> done[2], steps[2];
        for (bool skin : {false, true}) {
            SCOPED_TRACE(skin ? "skinned" : "native");
            auto gallery = std::make_unique<TGalleryForm>(&TestApplication());
            Twin twin(skin ? &store : nullptr, bsSizeable, biSystemMenu | biMinimize | biMaximize,
                      gallery.get());
            TMenu& menu = *gallery->Menu();
            // The centre of the bar's entry `i` on the screen.
            auto entry = [&](int i) -> POINT {
                if (skin) {
                    const RECT b = twin.skin->MenuBar()->Buttons()[static_cast<size_t>(i)]->Bounds;
                    RECT w;
                    GetWindowRect(twin.Wnd(), &w);
                    return {w.left + (b.left + b.right) / 2, w.top + (b.top + b.bottom) / 2};
                }
                RECT r{};
                GetMenuItemRect(twin.Wnd(), GetMenu(twin.Wnd()), static_cast<UINT>(i), &r);
                return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            };
            const POINT file = entry(0), view = entry(1), inside = twin.Inside();
            // The keyboard: into File's submenu and out, over to View and back, out. The
            // mouse: File, slide to View and back, and a click on the client area closes.
            // Entries with nothing to show and the wrap past the ends are left to the outcome
            // test above: the skinned bar passes over them and wraps to the other end.
            StepDriver driver({[] { AltTap('F'); }, [] { Tap(VK_DOWN); }, [] { Tap(VK_DOWN); },
                               [] { Tap(VK_RIGHT); }, [] { Tap(VK_LEFT); }, [] { Tap(VK_UP); },
                               [] { Tap(VK_RIGHT); }, [] { Tap(VK_LEFT); }, [] { EndMenu(); },
                               [=] { Click(file); }, [=] { MouseAt(view); }, [=] { MouseAt(file); },
                               [=] { Click(inside); }},
                              twin.seen);
            driver.Run();
            EXPECT_FALSE(MenuWindowShown());
            if (skin) {
                EXPECT_EQ(TWinSkinMenu::Tracked(), nullptr);
            }
            const std::vector<MessageLog> slices = driver.Slices();
            ASSERT_EQ(slices.size(), 13u);
            for (size_t i = 0; i < slices.size(); ++i) {
                std::vector<std::string> trail = MenuTrail(slices[i], menu);
                // Opened by the mouse, a skinned popup selects its first item as it opens:
                // only what opened counts there.
                if (i >= 9)
                    trail.erase(std::remove_if(
                                    trail.begin(), trail.end(),
                                    [](const std::string& t) { return t.rfind("open ", 0) != 0; }),
                                trail.end());
                steps[skin].push_back(std::to_string(i) + ": " + Join(trail));
            }
            done[skin] = twin.Done();
        }
        EXPECT_EQ(done[0], std::vector<std::string>{}) << Join(done[0]);
        EXPECT_EQ(done[1], done[0]) << Join(done[1]);
        // Each step opened the same popup and selected the same items as on the native bar.
        EXPECT_EQ(steps[1], steps[0]) << "native:\n"
                                      << Join(steps[0]) << "\nskinned:\n"
                                      << Join(steps[1]);
    }
}

// ---------------------------------------------------------------- menu mode in the bar

namespace {

// Whether the thread is in menu mode (some window holds the capture for it), whether a popup
// is shown, and the bar entry drawn selected.
std::string MenuState(const Twin& t) {
    std::string s = GetCapture() ? "menu mode" : "idle";
    s += MenuWindowShown() ? ", popup" : "";
    if (t.skin) {
        if (TWinSkinMenu* bar = t.skin->MenuBar())
            for (const auto& b : bar->Buttons())
                if (b->State != ncsNormal) s += ", lit " + Narrow(b->Caption);
        return s;
    }
    HMENU bar = GetMenu(t.Wnd());
    for (int i = 0; i < GetMenuItemCount(bar); ++i)
        if (GetMenuState(bar, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) {
            char text[64] = {};
            GetMenuStringA(bar, static_cast<UINT>(i), text, 63, MF_BYPOSITION);
            s += std::string(", lit ") + text;
        }
    return s;
}

// The menu messages the window's own procedure saw, by the items' text (the twins' menus are
// different objects): the loop, the popups and where they hang, the selections in the bar and
// in its popups, the commands. The owner-draw and mouse flags are the skin's and the input's.
std::string MenuStory(const MessageLog& log, TMenu& menu, bool items = true) {
    const HMENU bar = menu.Handle();
    auto text = [](HMENU m, UINT item, UINT by) {
        char buf[48] = {};
        if (m) GetMenuStringA(m, item, buf, 47, by);
        return std::string(buf);
    };
    std::string out;
    for (const LoggedMessage& e : log.Entries()) {
        const UINT lo = LOWORD(e.wParam), hi = HIWORD(e.wParam);
        switch (e.msg) {
        case WM_ENTERMENULOOP:
            out += "enter(" + std::to_string(e.wParam) + ") ";
            break;
        case WM_EXITMENULOOP:
            out += "exit(" + std::to_string(e.wParam) + ") ";
            break;
        case WM_INITMENU:
            out += reinterpret_cast<HMENU>(e.wParam) == bar ? "init(bar) " : "init(other) ";
            break;
        case WM_INITMENUPOPUP:
            out += "popup(" + text(reinterpret_cast<HMENU>(e.wParam), 0, MF_BYPOSITION) + " at " +
                   std::to_string(LOWORD(e.lParam)) + ") ";
            break;
        case WM_UNINITMENUPOPUP:
            out += "unpopup ";
            break;
        case WM_MENUSELECT: {
            const auto m = reinterpret_cast<HMENU>(e.lParam);
            if (hi == 0xFFFF && !m) {
                out += "select(none) ";
                break;
            }
            if (m != bar && !items) break;
            char flags[8];
            wsprintfA(flags, "%x", hi & ~(MF_OWNERDRAW | MF_MOUSESELECT));
            out += std::string(m == bar ? "bar(" : "item(") +
                   text(m, lo, (hi & MF_POPUP) ? MF_BYPOSITION : MF_BYCOMMAND) + " " + flags + ") ";
            break;
        }
        case WM_COMMAND:
            if (e.lParam) break;
            if (TMenuItem* item = menu.FindItem(lo, fkCommand))
                out += "command(" + item->Caption() + ") ";
            else
                out += "command(" + std::to_string(lo) + ") ";
            break;
        default:
            break;
        }
    }
    return out;
}

// The centre of bar entry `index` on the screen: the skin's entry, or the system's.
POINT EntryCentre(const Twin& t, int index) {
    RECT r{};
    if (t.skin) {
        r = t.skin->MenuBar()->Buttons()[static_cast<size_t>(index)]->Bounds;
        POINT tl = Screen(t.Wnd(), {r.left, r.top});
        OffsetRect(&r, tl.x - r.left, tl.y - r.top);
    } else {
        GetMenuItemRect(t.Wnd(), GetMenu(t.Wnd()), static_cast<UINT>(index), &r);
    }
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

struct MenuWalk {
    std::vector<std::string> states, clicks;
    std::string story;
};

// A walk of the bar of MenuBarForm (File, a blank entry, disabled Gone, View, Help) on a
// native twin or on one skinned with `store`. `steps` gets a recorder of the state to call
// before each input.
// Input for a walk: a key, Alt with a key, a click on a bar entry or into the window.
MenuScript::Step Press(WORD vk) {
    return [vk] { Tap(vk); };
}
MenuScript::Step AltPress(WORD vk) {
    return [vk] { AltTap(vk); };
}

// A walk of the bar of MenuBarForm (File, a blank entry, disabled Gone, View, Help) on a
// native twin or on one skinned with `store`: each input of `inputs(twin)` in turn, and after
// each the state it left, seen from inside whatever loop it started (a popup's, the bar's).
template <typename Inputs>
MenuWalk WalkTheBar(const std::vector<std::uint8_t>* store, Inputs inputs, bool items = true) {
    MenuBarForm f;
    Twin twin(store, bsSizeable, biSystemMenu | biMinimize | biMaximize, f.form.get());
    MenuWalk walk;
    auto look = [&] { walk.states.push_back(MenuState(twin)); };
    std::vector<MenuScript::Step> steps;
    for (MenuScript::Step& input : inputs(twin))
        steps.push_back(steps.empty() ? std::move(input) : [look, input] {
            look();
            input();
        });
    steps.push_back(look);
    {
        MenuScript script(steps, 70);
        PumpUntil([&] { return script.Finished(); }, 4000);
        PumpFor(70);
    }
    walk.clicks = f.clicks;
    walk.story = MenuStory(twin.seen, *f.form->Menu(), items);
    if (twin.skin) {
        // Nothing of the walk is left behind in the skin.
        EXPECT_EQ(TWinSkinMenu::Tracked(), nullptr);
        EXPECT_FALSE(twin.skin->MenuTracking());
        EXPECT_EQ(twin.skin->MenuBar()->Highlighted(), -1);
    }
    return walk;
}

} // namespace

TEST(SkinParity, EscapeFromABarPopupKeepsTheEntryLitUntilASecondEscape) {
    auto inputs = [](Twin&) {
        return std::vector<MenuScript::Step>{
            AltPress('F'),
            Press(VK_ESCAPE), // the popup closes, File stays lit
            Press(VK_RIGHT),  // the blank entry, lit without a popup
            Press(VK_RIGHT),  // Gone
            Press(VK_DOWN),   // disabled: nothing opens
            Press(VK_RIGHT),  // View, no popup
            Press(VK_DOWN),   // View's popup
            Press(VK_ESCAPE),
            Press(VK_LEFT),   // back to Gone
            Press(VK_RETURN), // disabled: nothing
            Press(VK_RIGHT),
            Press(VK_RETURN), // View's popup again
            Press(VK_RETURN), // Small
            // Escape from a nested popup closes that one only.
            [] {
                AltTap('F');
                Tap(VK_UP);
                Tap(VK_RIGHT);
            },
            Press(VK_ESCAPE),
            Press(VK_ESCAPE),
            Press(VK_ESCAPE),
            // Alt ends menu mode as well.
            AltPress('H'),
            Press(VK_ESCAPE),
            Press(VK_MENU),
            // And the bar opens again.
            AltPress('V'),
            Press(VK_RETURN),
        };
    };
    const MenuWalk native = WalkTheBar(nullptr, inputs);
    const std::vector<std::string> expected = {"menu mode, popup, lit &File",
                                               "menu mode, lit &File",
                                               "menu mode, lit ",
                                               "menu mode, lit &Gone",
                                               "menu mode, lit &Gone",
                                               "menu mode, lit &View",
                                               "menu mode, popup, lit &View",
                                               "menu mode, lit &View",
                                               "menu mode, lit &Gone",
                                               "menu mode, lit &Gone",
                                               "menu mode, lit &View",
                                               "menu mode, popup, lit &View",
                                               "idle",
                                               "menu mode, popup, lit &File",
                                               "menu mode, popup, lit &File",
                                               "menu mode, lit &File",
                                               "idle",
                                               "menu mode, popup, lit &Help",
                                               "menu mode, lit &Help",
                                               "idle",
                                               "menu mode, popup, lit &View",
                                               "idle"};
    EXPECT_EQ(native.states, expected);
    EXPECT_EQ(native.clicks, (std::vector<std::string>{"small", "small"}));
    for (const auto& store : Skins()) {
        const MenuWalk skinned = WalkTheBar(&store, inputs);
        EXPECT_EQ(skinned.states, native.states);
        EXPECT_EQ(skinned.clicks, native.clicks);
        EXPECT_EQ(skinned.story, native.story);
    }
}

TEST(SkinParity, EscapeFromAMouseOpenedPopupAndClicksInAndOutOfMenuMode) {
    auto inputs = [](Twin& t) {
        Twin* twin = &t;
        return std::vector<MenuScript::Step>{
            [=] { Click(EntryCentre(*twin, 0)); },
            Press(VK_ESCAPE),               // File stays lit
            [=] { Click(twin->Inside()); }, // a click elsewhere ends menu mode
            [=] { Click(Apart(EntryCentre(*twin, 0))); },
            Press(VK_ESCAPE),
            Press(VK_ESCAPE),
            // In menu mode a click on another entry opens it.
            AltPress('F'),
            Press(VK_ESCAPE),
            [=] { Click(EntryCentre(*twin, 3)); },
            Press(VK_ESCAPE),
            Press(VK_ESCAPE),
            AltPress('V'),
            Press(VK_RETURN),
        };
    };
    // A popup opened by the mouse here has its first item selected, which a native one has not:
    // the selections inside the popups are left out.
    const MenuWalk native = WalkTheBar(nullptr, inputs, false);
    const std::vector<std::string> expected = {"menu mode, popup, lit &File",
                                               "menu mode, lit &File",
                                               "idle",
                                               "menu mode, popup, lit &File",
                                               "menu mode, lit &File",
                                               "idle",
                                               "menu mode, popup, lit &File",
                                               "menu mode, lit &File",
                                               "menu mode, popup, lit &View",
                                               "menu mode, lit &View",
                                               "idle",
                                               "menu mode, popup, lit &View",
                                               "idle"};
    EXPECT_EQ(native.states, expected);
    EXPECT_EQ(native.clicks, std::vector<std::string>{"small"});
    for (const auto& store : Skins()) {
        const MenuWalk skinned = WalkTheBar(&store, inputs, false);
        EXPECT_EQ(skinned.states, native.states);
        EXPECT_EQ(skinned.clicks, native.clicks);
        EXPECT_EQ(skinned.story, native.story);
    }
}

TEST(SkinMenuBar, MenuModeEndsWhenAnotherWindowIsActivated) {
    // A bar left in menu mode in a window that is no longer active would take that window's keys
    // when it comes back. (Wine's own bar stays in menu mode here, so there is no twin.)
    static HWND other;
    auto inputs = [](Twin& t) {
        Twin* twin = &t;
        return std::vector<MenuScript::Step>{
            AltPress('F'),
            Press(VK_ESCAPE),
            [] {
                other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP | WS_VISIBLE,
                                        0, 0, 60, 40, nullptr, nullptr, nullptr, nullptr);
                SetForegroundWindow(other);
            },
            [=] {
                DestroyWindow(other);
                SetForegroundWindow(twin->Wnd());
            },
            AltPress('V'),
            Press(VK_RETURN),
        };
    };
    for (const auto& store : Skins()) {
        const MenuWalk walk = WalkTheBar(&store, inputs);
        EXPECT_EQ(walk.states, (std::vector<std::string>{"menu mode, popup, lit &File",
                                                         "menu mode, lit &File", "idle", "idle",
                                                         "menu mode, popup, lit &View", "idle"}));
        EXPECT_EQ(walk.clicks, std::vector<std::string>{"small"});
    }
}

// ---------------------------------------------------------------- dragging the caption

namespace {

// What the window's own procedure saw of a drag of its frame: the move loop and the moves.
std::vector<std::string> MoveStory(const MessageLog& log) {
    static const std::pair<UINT, const char*> kept[] = {{WM_NCLBUTTONDOWN, "press"},
                                                        {WM_SYSCOMMAND, "syscommand"},
                                                        {WM_ENTERSIZEMOVE, "enter"},
                                                        {WM_EXITSIZEMOVE, "exit"},
                                                        {WM_MOVING, "moving"},
                                                        {WM_WINDOWPOSCHANGING, "changing"},
                                                        {WM_WINDOWPOSCHANGED, "changed"},
                                                        {WM_MOVE, "move"},
                                                        {WM_SIZE, "size"},
                                                        {WM_CAPTURECHANGED, "capture"}};
    std::vector<std::string> out;
    for (const LoggedMessage& e : log.Entries())
        for (const auto& [msg, name] : kept) {
            if (e.msg != msg) continue;
            std::string entry = name;
            // Where the press was and which command it made; not the mouse position.
            if (msg == WM_NCLBUTTONDOWN || msg == WM_SYSCOMMAND) {
                entry += ' ';
                entry += std::to_string(e.wParam);
            }
            out.push_back(entry);
        }
    return out;
}

// Presses at `from`, moves half way, moves on to `to` and lets go there. In steps, the rest
// comes from inside the loop the press started (the move loop runs timers), so that each move
// is seen on its own; should it not come, the button is let go and the loop ended with Escape.
// Otherwise everything is queued at once: a caption button's tracking loop runs no timers.
void Drag(POINT from, POINT to, bool steps) {
    static POINT end;
    end = to;
    MouseAt(from);
    MouseAt(from, MOUSEEVENTF_LEFTDOWN);
    MouseAt({(from.x + to.x) / 2, (from.y + to.y) / 2});
    if (!steps) {
        MouseAt(to);
        MouseAt(to, MOUSEEVENTF_LEFTUP);
        Settle(400);
        return;
    }
    const UINT_PTR rest = SetTimer(nullptr, 0, 80, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        MouseAt(end);
        MouseAt(end, MOUSEEVENTF_LEFTUP);
    });
    const UINT_PTR stop = SetTimer(nullptr, 0, 1500, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (GetKeyState(VK_LBUTTON) < 0) MouseAt(end, MOUSEEVENTF_LEFTUP);
        PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    Settle(400);
    KillTimer(nullptr, rest);
    KillTimer(nullptr, stop);
}

} // namespace

TEST(SkinParity, ACaptionDragMovesTheWindowByTheDragAsWithoutTheSkin) {
    for (const auto& store : Skins()) {
        std::vector<std::string> story[2];
        for (bool skin : {false, true}) {
            SCOPED_TRACE(skin ? "skinned" : "native");
            Twin twin(skin ? &store : nullptr);
            PumpFor(50);
            RECT before, after;
            GetWindowRect(twin.Wnd(), &before);
            const Pixels frameBefore(twin.Wnd());
            const POINT from = twin.Caption();
            Drag(from, {from.x + 37, from.y + 23}, true);
            GetWindowRect(twin.Wnd(), &after);
            EXPECT_EQ(after.left - before.left, 37);
            EXPECT_EQ(after.top - before.top, 23);
            EXPECT_EQ(after.right - after.left, before.right - before.left);
            EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
            EXPECT_EQ(GetCapture(), nullptr);
            EXPECT_EQ(twin.Done(), std::vector<std::string>{}) << Join(twin.Done());
            story[skin] = MoveStory(twin.seen);
            if (!skin) continue;
            // Still the skin's frame, drawn as before the move, every title button at rest.
            PumpFor(100);
            const Pixels frameAfter(twin.Wnd());
            ASSERT_EQ(frameAfter.w, frameBefore.w);
            int differ = 0;
            for (int y = 0; y < twin.skin->TitleHeight(); ++y)
                for (int x = 0; x < frameAfter.w; ++x)
                    differ += frameAfter.At(x, y) != frameBefore.At(x, y);
            EXPECT_EQ(differ, 0);
            for (const auto& b : twin.skin->TitleButtons()) {
                EXPECT_NE(b->State, ncsHot) << "action " << b->Element.Action;
                EXPECT_NE(b->State, ncsPressed) << "action " << b->Element.Action;
            }
        }
        EXPECT_FALSE(story[0].empty());
        EXPECT_EQ(story[1], story[0])
            << "native: " << Join(story[0]) << "\nskinned: " << Join(story[1]);
    }
}

TEST(SkinParity, ADragFromATitleButtonOntoTheCaptionNeitherMovesNorClicks) {
    for (const auto& store : Skins()) {
        for (bool skin : {false, true}) {
            SCOPED_TRACE(skin ? "skinned" : "native");
            Twin twin(skin ? &store : nullptr);
            RECT before, after;
            GetWindowRect(twin.Wnd(), &before);
            for (int action : {0, 1}) {
                const POINT button = twin.Button(action);
                ASSERT_GE(button.x, 0);
                Drag(Apart(button), twin.Caption(), false);
            }
            GetWindowRect(twin.Wnd(), &after);
            EXPECT_TRUE(EqualRect(&before, &after));
            EXPECT_FALSE(IsZoomed(twin.Wnd()));
            EXPECT_EQ(twin.Done(), std::vector<std::string>{}) << Join(twin.Done());
            EXPECT_EQ(twin.seen.Count(WM_ENTERSIZEMOVE), 0);
            if (!skin) continue;
            for (const auto& b : twin.skin->TitleButtons()) {
                EXPECT_NE(b->State, ncsHot) << "action " << b->Element.Action;
                EXPECT_NE(b->State, ncsPressed) << "action " << b->Element.Action;
            }
        }
    }
}
