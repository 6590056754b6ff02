#pragma once
// Drives a menu from inside its own modal loop, for tests: a thread timer runs the steps one per
// tick; after the last step, and at the latest after a few seconds, it ends the menu, and
// leftovers of a switch are taken out of the queue so no menu opens later.
#include <windows.h>

#include <functional>
#include <vector>

class MenuScript {
public:
    using Step = std::function<void()>;
    explicit MenuScript(std::vector<Step> steps, UINT interval = 80) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, interval, Tick);
    }
    ~MenuScript() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
        End();
        Drain();
    }
    MenuScript(const MenuScript&) = delete;
    MenuScript& operator=(const MenuScript&) = delete;
    bool Finished() const { return next_ >= steps_.size(); }
    bool TimedOut() const { return timedOut_; }
    // Switches posted at the very end must not open a menu after the test.
    static void Drain() {
        MSG m;
        while (PeekMessageW(&m, nullptr, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE)) {
        }
        while (PeekMessageW(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        }
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        MenuScript* s = current_;
        if (!s) return;
        if (++s->ticks_ > 80) { // the hard stop
            s->timedOut_ = true;
            End();
            return;
        }
        if (s->next_ < s->steps_.size()) {
            Step step = s->steps_[s->next_++];
            step();
        } else {
            End();
        }
    }
    // A menu bar with no popup open holds the capture for its menu mode: that ends too.
    static void End() {
        EndMenu();
        if (HWND c = GetCapture()) SendMessageW(c, WM_CANCELMODE, 0, 0);
    }
    static inline MenuScript* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    bool timedOut_ = false;
    UINT_PTR timer_ = 0;
};

// The visible top-level windows of this thread of a class: "#32768" menus, "#32770" dialogs.
inline std::vector<HWND> ThreadWindowsOfClass(const wchar_t* cls) {
    struct Find {
        const wchar_t* cls;
        std::vector<HWND> found;
    } f{cls, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM l) -> BOOL {
            auto* f = reinterpret_cast<Find*>(l);
            wchar_t name[16] = {};
            GetClassNameW(w, name, 16);
            if (lstrcmpW(name, f->cls) == 0 && IsWindowVisible(w)) f->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// The visible menu windows of this thread.
inline std::vector<HWND> OpenPopups() {
    return ThreadWindowsOfClass(L"#32768");
}

// The position of the highlighted item of a menu, or -1.
inline int Hilited(HMENU m) {
    for (int i = 0; i < GetMenuItemCount(m); ++i)
        if (GetMenuState(m, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
    return -1;
}
