// Keyboard and mouse plumbing the skin engine listens to: dialog keys and characters, focus
// notifications, mouse-down with its shift state, the tab-order list, graphic children painted
// on request.
#include "app_fixture.h"
#include "message_log.h"

#include "toolkit/comctrls.h"

#include <gtest/gtest.h>

namespace {

struct InputForm {
    std::unique_ptr<TForm> form;
    TEdit *first, *second;
    TButton* button;
    TPanel* panel;
    TEdit* inPanel;
    InputForm() {
        form = std::make_unique<TForm>(&TestApplication());
        form->SetClientSize(300, 200);
        first = Add<TEdit>(form.get(), "first", 10, 10);
        panel = Add<TPanel>(form.get(), "panel", 10, 40);
        panel->SetBounds(10, 40, 200, 60);
        inPanel = Add<TEdit>(panel, "inPanel", 5, 5);
        second = Add<TEdit>(form.get(), "second", 10, 110);
        button = Add<TButton>(form.get(), "button", 10, 150);
        button->SetCaption("&Go");
        form->Show();
        first->SetFocus();
        PumpFor(20);
    }
    template <typename T> T* Add(TWinControl* parent, const char* name, int x, int y) {
        auto* c = new T(form.get());
        c->SetName(name);
        c->SetParent(parent);
        c->SetBounds(x, y, 100, 24);
        return c;
    }
    // Sends a key the way the keyboard does: posted to the focused window, through the loop.
    void Key(UINT vk, bool shift = false) {
        if (shift) SetShiftState(true);
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, vk, 1);
        PostMessageW(focus, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
        PumpFor(20);
        if (shift) SetShiftState(false);
    }
    static void SetShiftState(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
};

TWinControl* Focused() {
    for (HWND f = GetFocus(); f; f = GetParent(f))
        if (TWinControl* c = TWinControl::FromHandle(f)) return c;
    return nullptr;
}

// The name of the property that ties a window to its control, read off one of ours.
std::wstring ControlPropName(TWinControl& c) {
    struct Search {
        HANDLE value;
        std::wstring name;
    } search{reinterpret_cast<HANDLE>(&c), {}};
    EnumPropsExW(
        c.Handle(),
        [](HWND, LPWSTR name, HANDLE data, ULONG_PTR param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (data != s->value || IS_INTRESOURCE(name)) return TRUE;
            s->name = name;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.name;
}

// Another program with a window on the same desktop, ended with the test.
struct OtherProcess {
    PROCESS_INFORMATION pi{};
    HWND window = nullptr;
    OtherProcess() {
        wchar_t dir[MAX_PATH];
        GetWindowsDirectoryW(dir, MAX_PATH);
        std::wstring line = std::wstring(L"\"") + dir + L"\\notepad.exe\"";
        STARTUPINFOW si{sizeof si};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return;
        WaitForInputIdle(pi.hProcess, 5000);
        PumpUntil([&] {
            EnumWindows(
                [](HWND w, LPARAM self) -> BOOL {
                    auto* o = reinterpret_cast<OtherProcess*>(self);
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    if (pid != o->pi.dwProcessId || !IsWindowVisible(w)) return TRUE;
                    o->window = w;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(this));
            return window != nullptr;
        });
    }
    ~OtherProcess() {
        if (!pi.hProcess) return;
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

} // namespace

TEST(Input, TabOrderListFollowsTabOrderDepthFirst) {
    InputForm t;
    std::vector<TWinControl*> order;
    t.form->GetTabOrderList(order);
    std::vector<TWinControl*> expected{t.first, t.panel, t.inPanel, t.second, t.button};
    EXPECT_EQ(order, expected);
    t.button->SetTabOrder(0);
    order.clear();
    t.form->GetTabOrderList(order);
    expected = {t.button, t.first, t.panel, t.inPanel, t.second};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(t.first->TabOrder(), 1);
}

TEST(Input, TabIsADialogKeyAndWalksTheTabOrderBothWays) {
    InputForm t;
    MessageLog formLog, firstLog, secondLog;
    TWndProcHook formHook, firstHook, secondHook;
    auto record = [](TWndProcHook& h, MessageLog& log) {
        return [&h, &log](TMessage& m) {
            log.Record(m.Msg, m.WParam, m.LParam);
            h.CallPrevious(m);
        };
    };
    formHook.Install(*t.form, record(formHook, formLog));
    firstHook.Install(*t.first, record(firstHook, firstLog));
    secondHook.Install(*t.second, record(secondHook, secondLog));
    ASSERT_EQ(Focused(), t.first);
    t.Key(VK_TAB);
    EXPECT_EQ(Focused(), t.inPanel); // panels take no focus: the edit inside comes next
    EXPECT_EQ(formLog.Count(CM_DIALOGKEY), 1);
    EXPECT_EQ(firstLog.Count(CM_EXIT), 1);
    // The form hears of the new focus, and every control with it.
    ASSERT_TRUE(formLog.Contains(CM_FOCUSCHANGED));
    EXPECT_EQ(formLog.Entries()[formLog.IndexOf(CM_FOCUSCHANGED)].lParam,
              reinterpret_cast<LPARAM>(static_cast<TWinControl*>(t.inPanel)));
    EXPECT_TRUE(secondLog.Contains(CM_FOCUSCHANGED));
    t.Key(VK_TAB);
    EXPECT_EQ(Focused(), t.second);
    EXPECT_EQ(secondLog.Count(CM_ENTER), 1);
    t.Key(VK_TAB);
    t.Key(VK_TAB); // wraps
    EXPECT_EQ(Focused(), t.first);
    t.Key(VK_TAB, true);
    EXPECT_EQ(Focused(), t.button);
}

TEST(Input, AControlThatTakesTheDialogKeyEndsIt) {
    InputForm t;
    TWndProcHook take;
    take.Install(*t.first, [&](TMessage& m) {
        if (m.Msg == CM_DIALOGKEY && m.WParam == VK_ESCAPE) {
            m.Result = 1;
            return;
        }
        take.CallPrevious(m);
    });
    int escapes = 0;
    TWndProcHook seen;
    seen.Install(*t.second, [&](TMessage& m) {
        if (m.Msg == CM_DIALOGKEY) ++escapes;
        seen.CallPrevious(m);
    });
    t.Key(VK_ESCAPE);
    EXPECT_EQ(escapes, 0); // the broadcast stopped at the first control, in tab order
    t.Key(VK_RETURN);
    EXPECT_EQ(escapes, 1);
}

TEST(Input, AltCharacterIsADialogCharForTheForm) {
    InputForm t;
    MessageLog formLog;
    TWndProcHook hook;
    hook.Install(*t.form, [&](TMessage& m) {
        formLog.Record(m.Msg, m.WParam, m.LParam);
        hook.CallPrevious(m);
    });
    int clicks = 0;
    t.button->OnClick = [&](TObject*) { ++clicks; };
    PostMessageW(GetFocus(), WM_SYSCHAR, L'g', 1u << 29);
    PumpFor(20);
    ASSERT_TRUE(formLog.Contains(CM_DIALOGCHAR));
    EXPECT_EQ(formLog.Entries()[formLog.IndexOf(CM_DIALOGCHAR)].wParam, static_cast<WPARAM>(L'g'));
    EXPECT_EQ(clicks, 1); // nobody took it: the system's mnemonic handling pressed "&Go"
    // Typing into an edit is not a dialog character.
    t.first->SetFocus();
    PumpFor(10);
    formLog.Clear();
    PostMessageW(GetFocus(), WM_CHAR, L'x', 1);
    PumpFor(20);
    EXPECT_FALSE(formLog.Contains(CM_DIALOGCHAR));
    EXPECT_EQ(t.first->GetText(), "x");
}

TEST(Input, MouseDownCarriesButtonShiftAndPosition) {
    InputForm t;
    struct Press {
        TMouseButton button;
        TShiftState shift;
        int x, y;
    };
    std::vector<Press> presses;
    t.button->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        presses.push_back({b, s, x, y});
    };
    int ups = 0;
    t.button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
    HWND w = t.button->WindowHandle();
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(7, 9));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(7, 9));
    SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MAKELPARAM(3, 4));
    SendMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(3, 4));
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].button, mbLeft);
    EXPECT_EQ(presses[0].shift, ssShift | ssLeft);
    EXPECT_EQ(presses[0].x, 7);
    EXPECT_EQ(presses[0].y, 9);
    EXPECT_EQ(presses[1].button, mbRight);
    EXPECT_EQ(presses[1].shift, ssCtrl | ssRight);
    EXPECT_EQ(ups, 2);
    EXPECT_EQ(KeysToShiftState(MK_MBUTTON), ssMiddle);

    // A window-less control hears its press through its parent, in its own coordinates.
    auto* label = new TLabel(t.form.get());
    label->SetParent(t.form.get());
    label->SetBounds(150, 10, 60, 20);
    label->SetCaption("label");
    std::vector<Press> labelPresses;
    label->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        labelPresses.push_back({b, s, x, y});
    };
    SendMessageW(t.form->WindowHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(155, 12));
    SendMessageW(t.form->WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(155, 12));
    ASSERT_EQ(labelPresses.size(), 1u);
    EXPECT_EQ(labelPresses[0].shift, ssLeft | ssDouble);
    EXPECT_EQ(labelPresses[0].x, 5);
    EXPECT_EQ(labelPresses[0].y, 2);
}

// Two copies of the program share one desktop and one mouse: the window under the cursor may be
// the other's, carrying the same property with an address that means nothing here.
TEST(Input, AWindowOfAnotherProcessIsNoControlOfOurs) {
    InputForm t;
    const std::wstring prop = ControlPropName(*t.panel);
    ASSERT_FALSE(prop.empty());
    OtherProcess other;
    ASSERT_NE(other.window, nullptr);
    SetWindowPos(other.window, HWND_TOPMOST, 500, 300, 300, 200, SWP_NOACTIVATE);
    PumpFor(50);
    POINT centre{650, 400};
    HWND hit = WindowFromPoint(centre);
    ASSERT_NE(hit, nullptr);
    ASSERT_EQ(GetAncestor(hit, GA_ROOT), other.window);
    // Our own address in it, so a mistaken lookup shows as a wrong answer and not as a crash.
    HANDLE ours = reinterpret_cast<HANDLE>(static_cast<TWinControl*>(t.panel));
    for (HWND w : {hit, other.window}) {
        ASSERT_TRUE(SetPropW(w, prop.c_str(), ours));
        ASSERT_EQ(GetPropW(w, prop.c_str()), ours);
    }
    EXPECT_EQ(TWinControl::FromHandle(other.window), nullptr);
    EXPECT_EQ(TWinControl::FromHandle(hit), nullptr);
    EXPECT_EQ(TWinControl::FindDragTarget(centre), nullptr);
    // Our own windows are still found.
    EXPECT_EQ(TWinControl::FromHandle(t.panel->Handle()), t.panel);
    POINT inPanel = t.panel->ClientToScreen(POINT{150, 30});
    SetWindowPos(other.window, HWND_BOTTOM, 500, 300, 300, 200, SWP_NOACTIVATE);
    SetWindowPos(t.form->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PumpFor(20);
    EXPECT_EQ(TWinControl::FindDragTarget(inPanel), t.panel);
    SetWindowPos(t.form->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    for (HWND w : {hit, other.window}) RemovePropW(w, prop.c_str());
}

TEST(Input, PaintControlsDrawsTheGraphicChildrenIntoAnyDc) {
    InputForm t;
    auto* shape = new TShape(t.form.get());
    shape->SetParent(t.panel);
    shape->SetBounds(120, 10, 30, 30);
    shape->Brush().SetColor(clRed);
    shape->Pen().SetColor(clRed);
    UniqueMemDc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -60, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectObjectGuard sel(dc.get(), bmp.get());
    RECT all{0, 0, 200, 60};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    t.panel->PaintControls(dc.get());
    auto pixel = [&](int x, int y) { return static_cast<uint32_t*>(bits)[y * 200 + x] & 0xFFFFFF; };
    EXPECT_EQ(pixel(135, 25), 0xFF0000u); // red, as 0x00RRGGBB
    EXPECT_EQ(pixel(60, 25), 0xFFFFFFu);  // only the graphic child was drawn
}

TEST(Input, CtrlTabTurnsThePagesOfThePageControlNearestTheFocus) {
    InputForm t;
    auto* pages = new TPageControl(t.form.get());
    pages->SetParent(t.form.get());
    pages->SetBounds(120, 10, 170, 120);
    TEdit* edits[3];
    for (int i = 0; i < 3; ++i) {
        auto* sheet = new TTabSheet(t.form.get());
        sheet->SetCaption(NumberedName("P", i, ""));
        sheet->SetParent(pages);
        edits[i] = t.Add<TEdit>(sheet, NumberedName("e", i, "").c_str(), 5, 5);
    }
    // A page control inside the last page turns its own pages only.
    auto* inner = new TPageControl(t.form.get());
    inner->SetParent(pages->Pages(2));
    inner->SetBounds(5, 35, 150, 50);
    for (int i = 0; i < 2; ++i) {
        auto* sheet = new TTabSheet(t.form.get());
        sheet->SetCaption(NumberedName("Q", i, ""));
        sheet->SetParent(inner);
    }
    pages->SetActivePageIndex(0);
    inner->SetActivePageIndex(0);
    PumpFor(20);
    int changes = 0;
    pages->OnChange = [&](TObject*) { ++changes; };
    auto ctrlTab = [&](bool shift) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        t.Key(VK_TAB, shift);
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    };
    // Focus outside the page control: Ctrl+Tab turns nothing.
    t.first->SetFocus();
    PumpFor(5);
    ctrlTab(false);
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_EQ(changes, 0);
    // On a page: forward, the focused edit gone with its page leaves the focus on the tabs.
    edits[0]->SetFocus();
    PumpFor(5);
    ctrlTab(false);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Focused(), pages);
    ctrlTab(false);
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    // Focus inside the inner page control: its pages turn, the outer ones stay.
    inner->SetFocus();
    PumpFor(5);
    ctrlTab(false);
    EXPECT_EQ(inner->ActivePageIndex(), 1);
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    // Backwards from the first page wraps to the last; forward from the last to the first.
    pages->SetFocus();
    PumpFor(5);
    ctrlTab(false);
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    ctrlTab(true);
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    EXPECT_EQ(changes, 4);
    // Plain Tab still walks the tab order.
    t.Key(VK_TAB);
    EXPECT_EQ(pages->ActivePageIndex(), 2);
}
