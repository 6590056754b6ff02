#include "toolkit/subclass.h"

#include "toolkit/exceptions.h"
#include "toolkit/forms.h"

#include <cstring>
#include <new>

namespace toolkit_detail {

// One subclass of one window. It starts with the machine code that the window's procedure
// slot points at: the code replaces the window handle argument with the link and jumps to
// Proc, so one static procedure serves every link.
struct SubclassLink {
#if defined(__x86_64__) || defined(_M_X64)
    // mov rcx, imm64 ; mov rax, imm64 ; jmp rax
    unsigned char code[24];
#elif defined(__i386__) || defined(_M_IX86)
    // mov dword [esp+4], imm32 ; jmp rel32
    unsigned char code[16];
#else
#error "no window procedure thunk for this processor"
#endif
    HWND wnd = nullptr;
    WNDPROC previous = nullptr;
    bool unicode = false;
    bool inChain = false;             // the thunk is somewhere in the window's procedure chain
    TWindowSubclass* owner = nullptr; // null once detached: the thunk only passes on
    TWindowSubclass* runningOwner = nullptr; // whose handler runs now
    int depth = 0;                           // calls of Proc running on this link

    static LRESULT CALLBACK Proc(HWND linkAsWnd, UINT msg, WPARAM w, LPARAM l);
    WNDPROC Thunk() {
        return reinterpret_cast<WNDPROC>(static_cast<void*>(code));
    }
    WNDPROC Front() const {
        return reinterpret_cast<WNDPROC>(unicode ? GetWindowLongPtrW(wnd, GWLP_WNDPROC)
                                                 : GetWindowLongPtrA(wnd, GWLP_WNDPROC));
    }
    LRESULT CallPrevious(UINT msg, WPARAM w, LPARAM l) const {
        if (!previous) return 0;
        return unicode ? CallWindowProcW(previous, wnd, msg, w, l)
                       : CallWindowProcA(previous, wnd, msg, w, l);
    }
    // Leaves the chain if the thunk is in front; true when it did.
    bool Unhook();
    static SubclassLink* Create(HWND wnd, bool unicode);
    static void Free(SubclassLink* link);
    void FreeWhenIdle() {
        if (depth == 0 && !owner && !inChain) Free(this);
    }
};

namespace {
HANDLE ExecutableHeap() {
    static HANDLE heap = HeapCreate(HEAP_CREATE_ENABLE_EXECUTE, 0, 0);
    return heap;
}
int gLiveLinks = 0;
} // namespace

SubclassLink* SubclassLink::Create(HWND wnd, bool unicode) {
    void* memory = HeapAlloc(ExecutableHeap(), HEAP_ZERO_MEMORY, sizeof(SubclassLink));
    if (!memory) return nullptr;
    auto* link = new (memory) SubclassLink;
    link->wnd = wnd;
    link->unicode = unicode;
    unsigned char* c = link->code;
#if defined(__x86_64__) || defined(_M_X64)
    uint64_t self = reinterpret_cast<uint64_t>(link);
    uint64_t proc = reinterpret_cast<uint64_t>(&SubclassLink::Proc);
    c[0] = 0x48, c[1] = 0xB9;
    std::memcpy(c + 2, &self, 8);
    c[10] = 0x48, c[11] = 0xB8;
    std::memcpy(c + 12, &proc, 8);
    c[20] = 0xFF, c[21] = 0xE0;
    c[22] = c[23] = 0xCC;
#else
    uint32_t self = reinterpret_cast<uint32_t>(link);
    uint32_t target = reinterpret_cast<uint32_t>(&SubclassLink::Proc);
    uint32_t rel = target - (reinterpret_cast<uint32_t>(c) + 13);
    c[0] = 0xC7, c[1] = 0x44, c[2] = 0x24, c[3] = 0x04;
    std::memcpy(c + 4, &self, 4);
    c[8] = 0xE9;
    std::memcpy(c + 9, &rel, 4);
    c[13] = c[14] = c[15] = 0xCC;
#endif
    FlushInstructionCache(GetCurrentProcess(), link->code, sizeof(link->code));
    ++gLiveLinks;
    return link;
}

void SubclassLink::Free(SubclassLink* link) {
    link->~SubclassLink();
    HeapFree(ExecutableHeap(), 0, link);
    --gLiveLinks;
}

bool SubclassLink::Unhook() {
    if (!inChain) return true;
    if (!IsWindow(wnd)) {
        inChain = false;
        return true;
    }
    if (Front() != Thunk()) return false;
    if (unicode)
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    else
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    inChain = false;
    return true;
}

LRESULT CALLBACK SubclassLink::Proc(HWND linkAsWnd, UINT msg, WPARAM w, LPARAM l) {
    auto* link = reinterpret_cast<SubclassLink*>(linkAsWnd);
    ++link->depth;
    TMessage m{msg, w, l, 0};
    TWindowSubclass* owner = link->owner;
    if (owner && owner->handler_) {
        // Lets the handler pass the message on even after it detached itself. The owner may
        // be destroyed inside its handler: its destructor clears runningOwner then.
        SubclassLink* outer = owner->running_;
        TWindowSubclass* outerOwner = link->runningOwner;
        owner->running_ = link;
        link->runningOwner = owner;
        struct Restore {
            SubclassLink* link;
            TWindowSubclass* owner;
            SubclassLink* outer;
            TWindowSubclass* outerOwner;
            ~Restore() {
                if (link->runningOwner == owner) owner->running_ = outer;
                link->runningOwner = outerOwner;
            }
        } restore{link, owner, outer, outerOwner};
        try {
            owner->handler_(m);
        } catch (const std::exception& e) {
            if (Application) Application->HandleException(nullptr, e);
        } catch (...) {
            if (Application) Application->HandleException(nullptr, Exception("Unknown error"));
        }
    } else {
        m.Result = link->CallPrevious(msg, w, l);
    }
    if (msg == WM_NCDESTROY) {
        link->Unhook();
        link->inChain = false; // the window is gone: nothing calls this thunk any more
        if (TWindowSubclass* o = link->owner) {
            link->owner = nullptr;
            o->link_ = nullptr;
            if (o->OnDetached) o->OnDetached();
        }
    } else if (!link->owner && link->depth == 1) {
        // A detached thunk that is in front again leaves the chain now.
        link->Unhook();
    }
    --link->depth;
    link->FreeWhenIdle();
    return m.Result;
}

} // namespace toolkit_detail

using toolkit_detail::SubclassLink;

bool TWindowSubclass::Attach(HWND wnd, Handler handler) {
    Detach();
    DWORD pid = 0;
    if (!wnd || !IsWindow(wnd) ||
        (GetWindowThreadProcessId(wnd, &pid), pid) != GetCurrentProcessId())
        return false;
    bool unicode = IsWindowUnicode(wnd) != FALSE;
    SubclassLink* link = SubclassLink::Create(wnd, unicode);
    if (!link) return false;
    handler_ = std::move(handler);
    link->owner = this;
    link_ = link;
    SetLastError(0);
    LONG_PTR old =
        unicode ? SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->Thunk()))
                : SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->Thunk()));
    if (!old && GetLastError() != 0) {
        link->owner = nullptr;
        link_ = nullptr;
        SubclassLink::Free(link);
        return false;
    }
    link->previous = reinterpret_cast<WNDPROC>(old);
    link->inChain = true;
    return true;
}

void TWindowSubclass::Detach() {
    SubclassLink* link = link_;
    if (!link) return;
    link_ = nullptr;
    link->owner = nullptr;
    // Out of order (someone subclassed after us): stay in the chain as a pass-through.
    if (link->depth == 0) link->Unhook();
    link->FreeWhenIdle();
}

void TWindowSubclass::Abandon() {
    SubclassLink* link = link_;
    if (!link) return;
    link_ = nullptr;
    link->owner = nullptr;
    // Nothing can call a thunk whose window is gone; one still in a live chain stays.
    if (!IsWindow(link->wnd)) link->inChain = false;
    link->FreeWhenIdle();
}

HWND TWindowSubclass::Handle() const {
    return link_ ? link_->wnd : nullptr;
}

bool TWindowSubclass::Unicode() const {
    return link_ && link_->unicode;
}

WNDPROC TWindowSubclass::PreviousProc() const {
    return link_ ? link_->previous : nullptr;
}

void TWindowSubclass::CallPrevious(TMessage& m) const {
    m.Result = CallPrevious(m.Msg, m.WParam, m.LParam);
}

LRESULT TWindowSubclass::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const {
    if (SubclassLink* link = link_ ? link_ : running_)
        return link->CallPrevious(msg, wParam, lParam);
    return 0;
}

TWindowSubclass::~TWindowSubclass() {
    Detach();
    if (running_) running_->runningOwner = nullptr; // destroyed inside its own handler
}

int LiveSubclassThunks() {
    return toolkit_detail::gLiveLinks;
}
