#include "skin/form/win_skin_menu.h"

#include "skin/data/skin_manage.h"
#include "skin/form/primitives.h"
#include "skin/form/win_skin_form.h"
#include "skin/form/win_skin_popmenu.h"
#include "toolkit/menus.h"
#include "toolkit/win_text.h"

#include <algorithm>
#include <cwctype>

// One menu is tracked at a time in the program: this is its state.
struct TMenuTracking {
    HHOOK filterHook = nullptr;
    HHOOK messageHook = nullptr;
    TWinSkinMenu* menu = nullptr;
    int openIndex = -1;
    TMenuItem* selected = nullptr;
    bool hasSelection = false, selectedHasChildren = false;
    HMENU selectedMenu = nullptr;
    POINT lastMouse{-100000, -100000};
    bool firstKeySent = false, switching = false;
    int pending = -1; // the entry to open when the current popup has closed
    // The popup closed on Escape in the top popup: menu mode goes on in the bar.
    bool escaped = false;
    // The last message handled: the system may show one message to the hooks several times.
    MSG last{};
    bool filterSeen = false;

    void Reset() {
        menu = nullptr;
        openIndex = -1;
        selected = nullptr;
        hasSelection = selectedHasChildren = false;
        selectedMenu = nullptr;
        lastMouse = {-100000, -100000};
        firstKeySent = switching = false;
        escaped = false;
        last = {};
        filterSeen = false;
    }
};

namespace {

TMenuTracking gTrack;

bool Present(const TDataSkinObject* e) {
    return e && e->Bitmap && !e->Bitmap->Empty();
}

skin::SliceMargins MarginsOf(const TDataSkinObject& e) {
    return {e.Margins.Left, e.Margins.Top, e.Margins.Right, e.Margins.Bottom};
}

UniqueFont BarFont() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    LOGFONTW lf{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
        lf = ncm.lfMenuFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    return UniqueFont(CreateFontIndirectW(&lf));
}

// The character after a single '&' of an 8-bit caption, or 0.
wchar_t AcceleratorOf(const std::wstring& caption) {
    std::string narrow = Narrow(caption);
    std::wstring w = Widen(narrow);
    for (size_t i = 0; i + 1 < w.size(); ++i) {
        if (w[i] != L'&') continue;
        if (w[i + 1] != L'&') return w[i + 1];
        ++i;
    }
    return 0;
}

bool SameMessage(const MSG& a, const MSG& b) {
    return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam &&
           a.lParam == b.lParam && a.time == b.time && a.pt.x == b.pt.x && a.pt.y == b.pt.y;
}

void SwapArrows(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return;
    if (msg.wParam == VK_LEFT)
        msg.wParam = VK_RIGHT;
    else if (msg.wParam == VK_RIGHT)
        msg.wParam = VK_LEFT;
}

} // namespace

// ---------------------------------------------------------------- hooks

namespace {

// The newest visible popup menu window of this thread, or null.
HWND OpenPopupWindow() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM l) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(w, name, 16);
            if (lstrcmpW(name, L"#32768") != 0 || !IsWindowVisible(w)) return TRUE;
            *reinterpret_cast<HWND*>(l) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Both hooks see the messages of the menu loop: the filter hook where the system offers it,
// the message hook as well, so the bar switches on systems whose menu loop has no filter call.
LRESULT CALLBACK FilterProc(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    TWinSkinMenu* menu = gTrack.menu;
    if (msg && menu && menu->Form().RightToLeft()) SwapArrows(*msg);
    LRESULT next = CallNextHookEx(gTrack.filterHook, code, wParam, lParam);
    if (next || code != MSGF_MENU || !msg || !menu) return next;
    gTrack.filterSeen = true;
    return TWinSkinMenu::FilterMessage(*msg) ? 1 : 0;
}

LRESULT CALLBACK MessageProc(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    TWinSkinMenu* menu = gTrack.menu;
    if (code == HC_ACTION && msg && menu && !gTrack.filterSeen) {
        MSG original = *msg;
        if (menu->Form().RightToLeft()) SwapArrows(*msg);
        if (!SameMessage(original, gTrack.last)) {
            gTrack.last = original;
            if (TWinSkinMenu::FilterMessage(*msg)) msg->message = WM_NULL;
        } else if (gTrack.switching && (msg->message == WM_KEYDOWN) &&
                   (msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT)) {
            msg->message = WM_NULL; // the same key, already turned into a switch
        }
    }
    return CallNextHookEx(gTrack.messageHook, code, wParam, lParam);
}

} // namespace

// ---------------------------------------------------------------- TMenuBtn

void TMenuBtn::Paint() {
    TWinSkinMenu* bar = owner_.MenuBar();
    if (!bar || bar->Painting() || !Data) return;
    const RECT band = bar->Band();
    if (band.right <= band.left || Bounds.right <= Bounds.left) return;
    TBitmap& bg = bar->Background();
    if (bg.Width() <= 0) return;
    WindowFrameDc dc(owner_.Handle);
    if (!dc.get()) return;
    BitBlt(dc.get(), Bounds.left, band.top, Bounds.right - Bounds.left, band.bottom - band.top,
           bg.Canvas().Handle(), Bounds.left - band.left, 0, SRCCOPY);
    if (State == ncsHot || State == ncsPressed) {
        UniqueBrush frame(CreateSolidBrush(::ColorToRGB(Data->ButtonHilightColor)));
        FrameRect(dc.get(), &Bounds, frame.get());
    }
    UniqueFont font = BarFont();
    SelectObjectGuard sel(dc.get(), font.get());
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(),
                 Enabled ? ::ColorToRGB(Data->MenuBarTextColor) : GetSysColor(COLOR_BTNSHADOW));
    RECT r = Bounds;
    DrawTextW(dc.get(), Caption.c_str(), static_cast<int>(Caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// ---------------------------------------------------------------- TWinSkinMenu

TWinSkinMenu::TWinSkinMenu(TWinSkinForm* form) : TComponent(nullptr), form_(form) {}

TWinSkinMenu::~TWinSkinMenu() {
    if (alive_) *alive_ = false;
    if (gTrack.menu == this) {
        // Whatever is still open goes; the tracking loop must not come back to this object.
        gTrack.menu = nullptr;
        gTrack.pending = -1;
        EndMenu();
    }
    if (form_ && form_->HotObject)
        for (auto& b : buttons_)
            if (form_->HotObject == b.get()) form_->HotObject = nullptr;
}

TWinSkinMenu* TWinSkinMenu::Tracked() {
    return gTrack.menu;
}

int TWinSkinMenu::OpenIndex() {
    return gTrack.openIndex;
}

void TWinSkinMenu::SetMenu(TMenu* menu) {
    if (Menu == menu) return;
    if (Menu) Menu->RemoveFreeNotification(this);
    Menu = menu;
    if (Menu) Menu->FreeNotification(this);
}

void TWinSkinMenu::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component) {
        if (component == Menu) {
            // The items and their submenus go with the menu.
            Menu = nullptr;
            for (auto& b : buttons_) {
                b->Item = nullptr;
                b->SubMenu = nullptr;
            }
        }
        for (auto& b : buttons_)
            if (b->Item == component) {
                b->Item = nullptr;
                b->SubMenu = nullptr;
            }
    }
    TComponent::Notification(component, operation);
}

void TWinSkinMenu::Rebuild() {
    if (rebuilding_) {
        rebuildAgain_ = true;
        return;
    }
    rebuilding_ = true;
    Build();
    // Once more when an action's update changed the menu while it was read.
    if (rebuildAgain_) {
        rebuildAgain_ = false;
        Build();
    }
    rebuildAgain_ = false;
    rebuilding_ = false;
}

void TWinSkinMenu::Build() {
    HWND wnd = form_->Handle;
    HMENU m = GetMenu(wnd);
    if (!m) m = native_;
    if (form_->HotObject)
        for (auto& b : buttons_)
            if (form_->HotObject == b.get()) form_->HotObject = nullptr;
    for (auto& b : buttons_)
        if (b->Item) b->Item->RemoveFreeNotification(this);
    buttons_.clear();
    // A form without a menu (any more) has an empty bar.
    if (!m || (form_->Form() && !Menu)) return;
    native_ = m;
    const int count = GetMenuItemCount(m);
    for (int i = 0; i < count; ++i) {
        char text[80] = {};
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
        mii.dwTypeData = text;
        mii.cch = sizeof(text) - 1;
        if (!GetMenuItemInfoA(m, static_cast<UINT>(i), TRUE, &mii)) continue;
        auto b = std::make_unique<TMenuBtn>(*form_, form_->SkinData(), i);
        b->SubMenu = mii.hSubMenu;
        b->Enabled = !(mii.fState & (MFS_GRAYED | MFS_DISABLED));
        b->Visible = true;
        b->State = ncsNormal;
        b->Command = mii.wID;
        b->Caption = (mii.fType & (MFT_OWNERDRAW | MFT_BITMAP)) ? std::wstring() : Widen(text);
        TMenuItem* item = Menu ? Menu->FindItem(mii.wID, fkCommand) : nullptr;
        if (item) item->InitiateAction();
        // The update may have changed the menu and freed the item: look it up again.
        if (item && Menu && Menu->FindItem(mii.wID, fkCommand) == item) {
            b->Caption = Widen(GetStrProp(*item, "Caption"));
            b->Enabled = item->Enabled();
            b->Item = item;
            b->SubMenu = item->Count() > 0 ? item->Handle() : nullptr;
            item->FreeNotification(this);
        }
        buttons_.push_back(std::move(b));
    }
    // Taking away a menu that is already gone would still change and repaint the whole frame.
    if (GetMenu(wnd)) ::SetMenu(wnd, nullptr);
}

int TWinSkinMenu::StartOffset(int bandWidth) const {
    TSkinData* d = form_->SkinData();
    if (!d || !Present(d->MenuBar.get())) return 6;
    int offset =
        form_->RightToLeft() ? d->MenuBar->Margins.Right + 8 : d->MenuBar->Margins.Left + 4;
    return bandWidth < offset ? 12 : offset;
}

void TWinSkinMenu::Paint(HDC windowDc, const RECT& band) {
    TSkinData* d = form_->SkinData();
    const int w = band.right - band.left, h = band.bottom - band.top;
    if (!d || w <= 0 || h <= 0) return;
    band_ = band;
    TBitmap& scratch = skin::SharedScratchBitmap();
    if (scratch.Width() != w || scratch.Height() != h) scratch.SetSize(w, h);
    HDC dc = scratch.Canvas().Handle();
    RECT all{0, 0, w, h};
    if (Present(d->MenuBar.get())) {
        TDataSkinObject& e = *d->MenuBar;
        const int frame = form_->Active() ? 1 : 2;
        if (e.Tile == 1)
            skin::DrawNineSlice(dc, all, *e.Bitmap, true, false, false, 2, frame, MarginsOf(e));
        else
            skin::DrawThreeSlice(dc, all, *e.Bitmap, true, false, 2, frame, MarginsOf(e));
    } else {
        UniqueBrush b(CreateSolidBrush(::ColorToRGB(d->MenubarColor)));
        FillRect(dc, &all, b.get());
    }
    GdiFlush();
    if (background_.Width() != w || background_.Height() != h) background_.SetSize(w, h);
    BitBlt(background_.Canvas().Handle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
    UniqueFont font = BarFont();
    SelectObjectGuard sel(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    painting_ = true;
    const bool rtl = form_->RightToLeft();
    const int start = StartOffset(w);
    int x = rtl ? w - start : start;
    for (auto& b : buttons_) {
        if (!b->Visible) {
            b->Bounds = {0, 0, 0, 0};
            continue;
        }
        RECT calc{0, 0, 0, 0};
        DrawTextW(dc, b->Caption.c_str(), static_cast<int>(b->Caption.size()), &calc,
                  DT_CALCRECT | DT_NOCLIP);
        const int measured = calc.right - calc.left;
        const int width = measured > 0 ? measured + 10 : measured;
        RECT slot = rtl ? RECT{x - width, 0, x, h - 1} : RECT{x, 0, x + width, h - 1};
        SetTextColor(dc,
                     b->Enabled ? ::ColorToRGB(d->MenuBarTextColor) : GetSysColor(COLOR_BTNSHADOW));
        if (width > 0)
            DrawTextW(dc, b->Caption.c_str(), static_cast<int>(b->Caption.size()), &slot,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        b->Bounds = {band.left + slot.left, band.top, band.left + slot.right, band.bottom - 1};
        x += rtl ? -width : width;
    }
    painting_ = false;
    // The entry whose popup is open, or that is lit in menu mode, keeps its frame through any
    // repaint of the bar.
    const int lit = gTrack.menu == this && gTrack.openIndex >= 0 ? gTrack.openIndex : highlighted_;
    if (lit >= 0 && lit < static_cast<int>(buttons_.size())) {
        TMenuBtn& open = *buttons_[static_cast<size_t>(lit)];
        RECT r = open.Bounds;
        OffsetRect(&r, -band.left, -band.top);
        if (r.right > r.left) {
            UniqueBrush frame(CreateSolidBrush(::ColorToRGB(d->ButtonHilightColor)));
            FrameRect(dc, &r, frame.get());
        }
    }
    GdiFlush();
    BitBlt(windowDc, band.left, band.top, w, h, dc, 0, 0, SRCCOPY);
}

void TWinSkinMenu::PaintNow() {
    if (band_.right <= band_.left) return;
    WindowFrameDc dc(form_->Handle);
    if (dc.get()) Paint(dc.get(), band_);
}

TMenuBtn* TWinSkinMenu::FindMenuButton(POINT p) const {
    for (auto& b : buttons_)
        if (!b->Caption.empty() && PtInRect(&b->Bounds, p)) return b.get();
    return nullptr;
}

TMenuBtn* TWinSkinMenu::FindByAccelerator(wchar_t ch) const {
    const wint_t key = std::towupper(ch);
    for (auto& b : buttons_) {
        if (!b->Enabled || !b->Visible) continue;
        const wchar_t a = AcceleratorOf(b->Caption);
        if (a && std::towupper(a) == key) return b.get();
    }
    return nullptr;
}

void TWinSkinMenu::TidySeparators(TMenuItem& parent, std::vector<Tidied>* changed) {
    auto setVisible = [changed](TMenuItem* c, bool v) {
        if (changed && std::none_of(changed->begin(), changed->end(),
                                    [c](const Tidied& t) { return t.item == c; }))
            changed->push_back({c, c->Command(), c->Visible()});
        c->SetVisible(v);
    };
    const int n = parent.Count();
    int firstReal = -1, lastReal = -1;
    for (int i = 0; i < n; ++i) {
        TMenuItem* c = parent.Items(i);
        if (c->Visible() && !c->IsLine()) {
            if (firstReal < 0) firstReal = i;
            lastReal = i;
        }
    }
    for (int i = 0; i < n; ++i) {
        TMenuItem* c = parent.Items(i);
        if (c->IsLine() && c->Visible() && (firstReal < 0 || i < firstReal || i > lastReal))
            setVisible(c, false);
    }
    if (firstReal < 0) return;
    std::vector<TMenuItem*> run;
    for (int i = firstReal + 1; i <= lastReal; ++i) {
        TMenuItem* c = parent.Items(i);
        if (c->IsLine()) {
            run.push_back(c);
            continue;
        }
        if (!c->Visible()) continue;
        if (!run.empty()) {
            for (size_t k = 0; k + 1 < run.size(); ++k)
                if (run[k]->Visible()) setVisible(run[k], false);
            if (!run.back()->Visible()) setVisible(run.back(), true);
        }
        run.clear();
    }
}

void TWinSkinMenu::MakeOwnerDraw(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
        if (!(mii.fType & MFT_OWNERDRAW)) {
            MENUITEMINFOW set{};
            set.cbSize = sizeof(set);
            set.fMask = MIIM_FTYPE;
            set.fType = mii.fType | MFT_OWNERDRAW;
            if (SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &set))
                ownerDrawn_.push_back({menu, static_cast<UINT>(i)});
        }
        if (mii.hSubMenu) MakeOwnerDraw(mii.hSubMenu);
    }
}

bool TWinSkinMenu::SkinOwnerDrawn(UINT command, HMENU menu) const {
    for (const OwnerDrawn& o : ownerDrawn_)
        if ((!menu || o.menu == menu) && IsMenu(o.menu) &&
            GetMenuItemID(o.menu, static_cast<int>(o.position)) == command)
            return true;
    return false;
}

void TWinSkinMenu::RestoreOwnerDraw() {
    std::vector<Tidied> tidied = std::move(tidied_);
    tidied_.clear();
    for (auto it = tidied.rbegin(); it != tidied.rend(); ++it)
        if (FindMenuItem(it->command) == it->item) it->item->SetVisible(it->visible);
    std::vector<OwnerDrawn> list = std::move(ownerDrawn_);
    ownerDrawn_.clear();
    for (const OwnerDrawn& o : list) {
        if (!IsMenu(o.menu)) continue;
        // A toolkit menu that is owner-drawn by its own choice stays so.
        TMenuItem* owner = FindMenuItemByHandle(o.menu);
        TMenu* tk = owner ? owner->GetParentMenu() : nullptr;
        if (tk && tk->OwnerDraw()) continue;
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE;
        if (!GetMenuItemInfoW(o.menu, o.position, TRUE, &mii) || !(mii.fType & MFT_OWNERDRAW))
            continue;
        mii.fType &= ~static_cast<UINT>(MFT_OWNERDRAW);
        SetMenuItemInfoW(o.menu, o.position, TRUE, &mii);
    }
}

void TWinSkinMenu::PostOpen(TMenuBtn* b) {
    if (!b) return;
    RECT w;
    GetWindowRect(form_->Handle, &w);
    PostMessageW(form_->Handle, WM_NCLBUTTONDOWN, HTMENU,
                 MAKELPARAM(w.left + b->Bounds.left + 1, w.top + b->Bounds.top + 1));
}

void TWinSkinMenu::SwitchTo(TMenuBtn* b) {
    if (!b || gTrack.menu != this) return;
    gTrack.pending = b->Index;
    EndMenu();
}

bool TWinSkinMenu::CanOpen(const TMenuBtn& b) {
    return b.Visible && b.Enabled && b.SubMenu && !b.Caption.empty();
}

TMenuBtn* TWinSkinMenu::FirstOpenable() const {
    for (auto& b : buttons_)
        if (CanOpen(*b)) return b.get();
    return nullptr;
}

void TWinSkinMenu::Relay(UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool was = relaying_;
    relaying_ = true;
    SendMessageW(form_->Handle, msg, wParam, lParam);
    relaying_ = was;
}

void TWinSkinMenu::RelaySelect(const TMenuBtn& b) {
    // What a native bar tells its window when the entry is selected.
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_ID;
    UINT flags = b.SubMenu ? MF_POPUP : 0;
    if (!b.Enabled) flags |= MF_GRAYED | MF_DISABLED;
    UINT item = b.SubMenu ? static_cast<UINT>(b.Index) : b.Command;
    if (native_ && GetMenuItemInfoW(native_, static_cast<UINT>(b.Index), TRUE, &mii)) {
        flags = mii.fType | mii.fState | (mii.hSubMenu ? MF_POPUP : 0);
        item = mii.hSubMenu ? static_cast<UINT>(b.Index) : mii.wID;
    }
    Relay(WM_MENUSELECT, MAKEWPARAM(item, (flags | MF_HILITE) & 0xFFFF),
          reinterpret_cast<LPARAM>(native_));
}

void TWinSkinMenu::Light(int index, bool tell) {
    const int n = static_cast<int>(buttons_.size());
    const int old = highlighted_;
    highlighted_ = index;
    if (old >= 0 && old < n && old != index) {
        TMenuBtn& o = *buttons_[static_cast<size_t>(old)];
        o.State = ncsNormal;
        if (form_->HotObject == &o) form_->HotObject = nullptr;
        o.Paint();
    }
    if (index < 0 || index >= n || old == index) return;
    TMenuBtn& b = *buttons_[static_cast<size_t>(index)];
    if (form_->HotObject && form_->HotObject != &b) form_->HotObject->MouseLeave();
    form_->HotObject = &b;
    b.State = ncsHot;
    b.Paint();
    if (tell) RelaySelect(b);
}

int TWinSkinMenu::WalkBar(int index, bool tell, const bool& alive) {
    const HWND wnd = form_->Handle;
    const bool rtl = form_->RightToLeft();
    tracking_ = true;
    SetCapture(wnd);
    Light(index, tell);
    POINT last;
    GetCursorPos(&last);
    int open = -1;
    bool done = false;
    // Enter, a click or an accelerator on an entry: its popup, its command, or nothing.
    auto choose = [&](int i) {
        TMenuBtn& b = *buttons_[static_cast<size_t>(i)];
        if (CanOpen(b)) {
            open = i;
            done = true;
        } else if (!b.SubMenu) {
            if (b.Enabled) PostMessageW(wnd, WM_COMMAND, b.Command, 0);
            done = true;
        }
    };
    while (!done && alive) {
        // Menu mode ends when the window loses the capture (WM_CANCELMODE) or the activation.
        if (GetCapture() != wnd || GetActiveWindow() != wnd) break;
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) break;
        const UINT m = msg.message;
        const bool key = m >= WM_KEYFIRST && m <= WM_KEYLAST;
        const bool mouse = (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
                           (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK);
        const bool press = m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN ||
                           m == WM_LBUTTONDBLCLK || m == WM_RBUTTONDBLCLK ||
                           m == WM_NCLBUTTONDOWN || m == WM_NCRBUTTONDOWN ||
                           m == WM_NCLBUTTONDBLCLK || m == WM_NCRBUTTONDBLCLK;
        const int n = static_cast<int>(buttons_.size());
        if (index >= n) break;
        TMenuBtn* over = mouse ? FindMenuButton(form_->ToFrame(msg.pt)) : nullptr;
        // A press away from the bar ends menu mode and is left for the window under it.
        if (press && !over) break;
        PeekMessageW(&msg, nullptr, m, m, PM_REMOVE);
        if (CallMsgFilterW(&msg, MSGF_MENU)) continue;
        if (!key && !mouse) {
            DispatchMessageW(&msg);
            continue;
        }
        if (press) {
            choose(over->Index);
            continue;
        }
        if (m == WM_MOUSEMOVE || m == WM_NCMOUSEMOVE) {
            if (msg.pt.x == last.x && msg.pt.y == last.y) continue;
            last = msg.pt;
            // The mouse moves the highlight; a popup opens on a click or a key.
            if (!over || over->Index == index) continue;
            index = over->Index;
            Light(index);
            continue;
        }
        if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
            WPARAM vk = msg.wParam;
            if (rtl && (vk == VK_LEFT || vk == VK_RIGHT)) vk = vk == VK_LEFT ? VK_RIGHT : VK_LEFT;
            switch (vk) {
            case VK_ESCAPE:
            case VK_MENU:
            case VK_F10:
                done = true;
                break;
            case VK_LEFT:
            case VK_RIGHT:
                if (TMenuBtn* next = Neighbour(index, vk == VK_LEFT ? -1 : 1, false)) {
                    index = next->Index;
                    Light(index);
                }
                break;
            case VK_UP:
            case VK_DOWN:
                if (CanOpen(*buttons_[static_cast<size_t>(index)])) {
                    open = index;
                    done = true;
                }
                break;
            default:
                TranslateMessage(&msg);
                break;
            }
        } else if (m == WM_CHAR || m == WM_SYSCHAR) {
            if (msg.wParam == L'\r' || msg.wParam == L' ') {
                choose(index);
            } else if (msg.wParam >= 32) {
                const wint_t want = std::towupper(static_cast<wchar_t>(msg.wParam));
                for (auto& b : buttons_) {
                    const wchar_t a = b->Visible ? AcceleratorOf(b->Caption) : 0;
                    if (!a || std::towupper(a) != want) continue;
                    index = b->Index;
                    Light(index);
                    choose(index);
                    break;
                }
            }
        }
    }
    if (!alive) {
        if (GetCapture() == wnd) ReleaseCapture();
        return -1;
    }
    // The entry to open stays lit: the window has been told it is selected.
    if (open < 0) Light(-1);
    if (GetCapture() == wnd) ReleaseCapture();
    tracking_ = false;
    return open;
}

void TWinSkinMenu::Open(TMenuBtn* first) {
    if (!first) return;
    // One menu at a time: asked again while one of this bar's popups is up, it moves on to
    // that entry; while any other menu is up, it waits for the user to close that one.
    if (gTrack.menu || opening_) {
        if (gTrack.menu == this) SwitchTo(first);
        return;
    }
    opening_ = true;
    bool alive = true;
    alive_ = &alive;
    HWND wnd = form_->Handle;
    // The window sees one menu loop for the whole walk, begun and ended as a native bar's.
    auto finish = [wnd, &alive, this] {
        if (alive) {
            Relay(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
            Relay(WM_EXITMENULOOP, FALSE, 0);
            walking_ = false;
            opening_ = false;
            alive_ = nullptr;
        } else if (IsWindow(wnd)) {
            SendMessageW(wnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
            SendMessageW(wnd, WM_EXITMENULOOP, FALSE, 0);
        }
    };
    walking_ = true;
    Relay(WM_ENTERMENULOOP, FALSE, 0);
    if (alive) Relay(WM_INITMENU, reinterpret_cast<WPARAM>(native_), 0);
    int index = first->Index;
    while (alive && index >= 0 && index < static_cast<int>(buttons_.size())) {
        gTrack.pending = -1;
        if (highlighted_ != index) RelaySelect(*buttons_[static_cast<size_t>(index)]);
        Light(-1);
        if (!alive || index >= static_cast<int>(buttons_.size())) break;
        TMenuBtn* b = buttons_[static_cast<size_t>(index)].get();
        if (!b->SubMenu || !b->Enabled) {
            // An entry of its own is a command, as on a native bar; a disabled one does
            // nothing. Only the press shows.
            if (b->Enabled && !b->Caption.empty()) PostMessageW(wnd, WM_COMMAND, b->Command, 0);
            if (b->State != ncsNormal) {
                b->State = ncsNormal;
                if (form_->HotObject == b) form_->HotObject = nullptr;
                b->Paint();
            }
            break;
        }
        HMENU sub = b->SubMenu;
        if (TMenuItem* item = b->Item) {
            // Hiding separators and action updates change the menu, and a changed menu
            // rebuilds the entries: the button is looked up again afterwards.
            TidySeparators(*item, &tidied_);
            for (int i = 0; i < item->Count(); ++i) item->Items(i)->InitiateAction();
            if (index >= static_cast<int>(buttons_.size())) break;
            b = buttons_[static_cast<size_t>(index)].get();
            if (!b->Item || !b->SubMenu) break;
            sub = b->Item->Handle();
        }
        gTrack.Reset();
        gTrack.menu = this;
        gTrack.openIndex = index;
        // Only a move of the mouse slides to another entry, not where it happens to rest.
        GetCursorPos(&gTrack.lastMouse);
        if (TSkinManage::IsNT()) MakeOwnerDraw(sub);
        tracking_ = true;
        trackedMenu_ = sub;
        RECT wr;
        GetWindowRect(wnd, &wr);
        const bool rtl = form_->RightToLeft();
        const int x = wr.left + (rtl ? b->Bounds.right : b->Bounds.left);
        const int y = wr.top + b->Bounds.bottom;
        TSkinManage* mgr = TSkinManage::Instance();
        if (mgr) {
            mgr->MenuSource = 1;
            mgr->MenuBarOpen = true;
            mgr->MarkAllPopups();
        }
        if (b->State != ncsPressed) {
            if (form_->HotObject && form_->HotObject != b) form_->HotObject->MouseLeave();
            form_->HotObject = b;
            b->State = ncsPressed;
            b->Paint();
        }
        const DWORD thread = GetCurrentThreadId();
        if (!gTrack.filterHook)
            gTrack.filterHook = SetWindowsHookExW(WH_MSGFILTER, FilterProc, nullptr, thread);
        if (!gTrack.messageHook)
            gTrack.messageHook = SetWindowsHookExW(WH_GETMESSAGE, MessageProc, nullptr, thread);
        TrackPopupMenu(sub, TPM_VERTICAL | TPM_RIGHTBUTTON | (rtl ? TPM_RIGHTALIGN : 0), x, y, 0,
                       wnd, nullptr);
        if (gTrack.filterHook) UnhookWindowsHookEx(gTrack.filterHook);
        if (gTrack.messageHook) UnhookWindowsHookEx(gTrack.messageHook);
        gTrack.filterHook = gTrack.messageHook = nullptr;
        const int next = gTrack.pending;
        const bool escaped = gTrack.escaped;
        gTrack.Reset();
        gTrack.pending = -1;
        // The next popup of the program is judged afresh.
        if (mgr && mgr->PopupMenuCount() == 0) {
            mgr->MenuBarOpen = false;
            mgr->MenuSource = 0;
        }
        if (!alive) break; // the bar went while its popup was open
        alive_ = &alive;
        tracking_ = false;
        trackedMenu_ = nullptr;
        if (index < static_cast<int>(buttons_.size())) {
            // Also when a repaint took the state away: the frame drawn for the open entry goes.
            TMenuBtn* open = buttons_[static_cast<size_t>(index)].get();
            open->State = ncsNormal;
            if (form_->HotObject == open) form_->HotObject = nullptr;
            open->Paint();
        }
        if (next < 0 && escaped) {
            // As on a native bar the entry stays lit and the keys walk the bar until a second
            // Escape, Alt, a click elsewhere or the loss of the activation. The window was told
            // of the entry when its popup opened.
            index = WalkBar(index, false, alive);
            continue;
        }
        index = next;
        if (index >= 0 && index < static_cast<int>(buttons_.size())) {
            TMenuBtn* n = buttons_[static_cast<size_t>(index)].get();
            n->MouseDown();
        }
    }
    finish();
}

void TWinSkinMenu::MenuSelected(UINT item, UINT flags, HMENU menu) {
    if (gTrack.menu != this) return;
    if (flags == 0xFFFF && !menu) {
        if (!gTrack.switching) tracking_ = false;
        gTrack.hasSelection = false;
        return;
    }
    gTrack.switching = false;
    gTrack.hasSelection = menu != nullptr;
    gTrack.selectedMenu = menu;
    gTrack.selectedHasChildren = (flags & MF_POPUP) != 0;
    gTrack.selected = nullptr;
    if (!Menu || !menu) return;
    if (flags & MF_POPUP) {
        if (HMENU sub = GetSubMenu(menu, static_cast<int>(item)))
            gTrack.selected = Menu->FindItem(reinterpret_cast<UINT_PTR>(sub), fkHandle);
    } else {
        gTrack.selected = Menu->FindItem(item, fkCommand);
    }
}

TMenuBtn* TWinSkinMenu::Neighbour(int from, int step, bool openable) const {
    // With a popup open the walk passes over entries that have nothing to show; with none open
    // every entry is lit in turn, as on a native bar.
    const int n = static_cast<int>(buttons_.size());
    if (n == 0 || from < 0) return nullptr;
    for (int k = 1; k < n; ++k) {
        TMenuBtn* b = buttons_[static_cast<size_t>(((from + step * k) % n + n) % n)].get();
        if (openable ? CanOpen(*b) : b->Visible) return b;
    }
    return nullptr;
}

bool TWinSkinMenu::FilterMessage(MSG& msg) {
    TWinSkinMenu* self = gTrack.menu;
    return self ? self->Filter(msg) : false;
}

bool TWinSkinMenu::Filter(MSG& msg) {
    if (!gTrack.firstKeySent) {
        gTrack.firstKeySent = true;
        // The popup opens with its first item selected, as a native bar's does.
        HWND popup = OpenPopupWindow();
        PostMessageW(popup ? popup : form_->Handle, WM_KEYDOWN, VK_DOWN, 0);
    }
    const bool escape = msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE;
    if (!escape) gTrack.escaped = false;
    // The system closes the open submenu; the selection is back on the item that opened it,
    // which the system need not announce again.
    auto backFromSubmenu = [this] {
        TMenuItem* owner = FindMenuItemByHandle(gTrack.selectedMenu);
        gTrack.selectedMenu = owner && owner->Parent() && owner->Parent()->Parent()
                                  ? owner->Parent()->Handle()
                                  : trackedMenu_;
        gTrack.selectedHasChildren = true;
        gTrack.selected = owner;
    };
    const bool inTop = !gTrack.hasSelection || gTrack.selectedMenu == trackedMenu_;
    TMenuBtn* target = nullptr;
    bool eat = false;
    switch (msg.message) {
    case WM_KEYDOWN:
        if (msg.wParam == VK_RETURN) {
            gTrack.switching = false;
        } else if (escape) {
            gTrack.switching = false;
            if (inTop)
                gTrack.escaped = true; // the popup closes, the bar stays in menu mode
            else
                backFromSubmenu();
        } else if (msg.wParam == VK_LEFT) {
            if (inTop) {
                target = Neighbour(gTrack.openIndex, -1, true);
                eat = true;
            } else {
                backFromSubmenu();
            }
        } else if (msg.wParam == VK_RIGHT) {
            if (!gTrack.hasSelection || !gTrack.selectedHasChildren) {
                target = Neighbour(gTrack.openIndex, 1, true);
                eat = true;
            }
        }
        break;
    case WM_SYSKEYDOWN:
        if (msg.wParam == VK_MENU) tracking_ = false;
        return false;
    case WM_MENUSELECT:
        MenuSelected(LOWORD(msg.wParam), HIWORD(msg.wParam), reinterpret_cast<HMENU>(msg.lParam));
        return false;
    case WM_MOUSEMOVE:
        if (msg.pt.x != gTrack.lastMouse.x || msg.pt.y != gTrack.lastMouse.y) {
            target = FindMenuButton(form_->ToFrame(msg.pt));
            if (target && !CanOpen(*target)) target = nullptr; // the open popup stays
            gTrack.lastMouse = msg.pt;
        }
        break;
    default:
        break;
    }
    if (target && target->Index != gTrack.openIndex) {
        gTrack.switching = true;
        PostOpen(target);
        return eat;
    }
    return false;
}
