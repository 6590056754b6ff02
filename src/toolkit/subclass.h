#pragma once
// Subclassing of windows that have no toolkit object (foreign dialogs, message boxes, the MDI
// client, popup menu windows, a list view's header, a combo box's edit and list).
//
// A TWindowSubclass puts a handler in front of a window's procedure through a small code thunk
// of its own, so any number of subclassers can stack on one window, ours and others'. The A or
// W procedure forms follow IsWindowUnicode. Detaching puts the previous procedure back when the
// thunk is still in front; when something subclassed the window after us, the thunk stays in
// the chain and only passes messages on (cutting the later one off, or putting a removed
// procedure back, would break it), and it is taken out the next time it is in front or when
// the window is destroyed. At WM_NCDESTROY the handler sees the message, then the subclass
// detaches by itself.
#include "toolkit/messages.h"

#include <windows.h>

#include <functional>

namespace toolkit_detail {
struct SubclassLink;
}

class TWindowSubclass {
public:
    using Handler = std::function<void(TMessage& m)>;

    TWindowSubclass() = default;
    ~TWindowSubclass();
    TWindowSubclass(const TWindowSubclass&) = delete;
    TWindowSubclass& operator=(const TWindowSubclass&) = delete;

    // Puts the handler in front of the window's procedure; false when the window does not
    // exist or belongs to another process. A subclass attached elsewhere detaches first.
    bool Attach(HWND wnd, Handler handler);
    void Detach();
    // For a window destroyed without this subclass seeing its WM_NCDESTROY (a subclasser in
    // front put an older procedure back): lets go without touching the window again.
    void Abandon();
    bool Attached() const { return link_ != nullptr; }
    HWND Handle() const;
    bool Unicode() const;
    // The procedure that was in front before this subclass.
    WNDPROC PreviousProc() const;

    // Hands the message to the previous procedure and stores its answer in m.Result.
    void CallPrevious(TMessage& m) const;
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const;

    // Called after the window's WM_NCDESTROY went through; the subclass is detached by then.
    std::function<void()> OnDetached;

private:
    friend struct toolkit_detail::SubclassLink;
    toolkit_detail::SubclassLink* link_ = nullptr;
    toolkit_detail::SubclassLink* running_ = nullptr; // the link whose message the handler has
    Handler handler_;
};

// Thunks alive (in the chain or running); for leak tests.
int LiveSubclassThunks();
