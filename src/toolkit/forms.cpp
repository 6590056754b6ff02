#include "toolkit/forms.h"

#include "toolkit/form_reader.h"
#include "toolkit/stdctrls.h"

#include "toolkit/menus.h"
#include "toolkit/win_text.h"

#include <commctrl.h>

#include <algorithm>

TScreen* Screen = nullptr;
TApplication* Application = nullptr;

// ---------------------------------------------------------------- TUtilityWindow

TUtilityWindow::TUtilityWindow(Handler handler) : handler_(std::move(handler)) {
    static const wchar_t kClass[] = L"TPUtilWindow";
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    wnd_.reset(CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), this));
}

LRESULT CALLBACK TUtilityWindow::Proc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TUtilityWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (self && self->handler_ && msg != WM_NCCREATE && msg != WM_NCDESTROY) {
        try {
            return self->handler_(msg, w, l);
        } catch (const std::exception& e) {
            if (Application) Application->HandleException(nullptr, e);
            return 0;
        }
    }
    return DefWindowProcW(wnd, msg, w, l);
}

// ---------------------------------------------------------------- TTimer

const TClassInfo& TTimer::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TTimer>("TTimer", TComponent::StaticClass())
            .Bool(
                "Enabled", [](TTimer& t) { return t.Enabled(); },
                [](TTimer& t, bool v) { t.SetEnabled(v); })
            .Int(
                "Interval", [](TTimer& t) { return t.Interval(); },
                [](TTimer& t, int64_t v) { t.SetInterval(static_cast<UINT>(v)); })
            .Event("OnTimer", [](TTimer& t, TNotifyEvent e) { t.OnTimer = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TTimer::TTimer(TComponent* owner)
    : TComponent(owner), window_([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
          if (msg == WM_TIMER) {
              if (enabled_ && OnTimer) OnTimer(this);
              return 0;
          }
          return DefWindowProcW(window_.Handle(), msg, w, l);
      }) {}

TTimer::~TTimer() {
    KillTimer(window_.Handle(), 1);
}

void TTimer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    UpdateTimer();
}

void TTimer::SetInterval(UINT v) {
    if (v == interval_) return;
    interval_ = v;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    KillTimer(window_.Handle(), 1);
    if (IsLoading()) return;
    if (enabled_ && interval_ > 0) SetTimer(window_.Handle(), 1, interval_, nullptr);
}

// ---------------------------------------------------------------- TCustomForm

const TClassInfo& TCustomForm::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomForm>("TCustomForm", TWinControl::StaticClass())
            .Int(
                "ClientWidth", [](TCustomForm& f) { return f.ClientWidth(); },
                [](TCustomForm& f, int64_t v) { f.SetClientWidth(static_cast<int>(v)); })
            .Int(
                "ClientHeight", [](TCustomForm& f) { return f.ClientHeight(); },
                [](TCustomForm& f, int64_t v) { f.SetClientHeight(static_cast<int>(v)); })
            .Enum(
                "BorderStyle",
                {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
                [](TCustomForm& f) { return f.BorderStyle(); },
                [](TCustomForm& f, int64_t v) {
                    f.SetBorderStyle(static_cast<TFormBorderStyle>(v));
                })
            .Set(
                "BorderIcons", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"},
                [](TCustomForm& f) { return f.BorderIcons(); },
                [](TCustomForm& f, int64_t v) { f.SetBorderIcons(static_cast<TBorderIcons>(v)); })
            .Enum(
                "Position",
                {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                 "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"},
                [](TCustomForm& f) { return f.Position(); },
                [](TCustomForm& f, int64_t v) { f.SetPosition(static_cast<TPosition>(v)); })
            .Str(
                "Menu", [](TCustomForm& f) { return f.Menu() ? f.Menu()->Name() : std::string(); },
                [](TCustomForm& f, const std::string& v) {
                    // A name: the menu may be read after the form's own properties.
                    f.pendingMenu_ = v;
                    if (!f.IsLoading()) f.ResolveMenu();
                })

            .Bool(
                "AutoScroll", [](TCustomForm& f) { return f.AutoScroll(); },
                [](TCustomForm& f, bool v) { f.SetAutoScroll(v); })
            .Event("OnShow", [](TCustomForm& f, TNotifyEvent e) { f.OnShow = std::move(e); })
            .Event("OnCreate", [](TCustomForm& f, TNotifyEvent e) { f.OnCreate = std::move(e); })
            .Event("OnDestroy", [](TCustomForm& f, TNotifyEvent e) { f.OnDestroy = std::move(e); })
            .Build();
    return info;
}

const TClassInfo& TForm::StaticClass() {
    static const TClassInfo info{"TForm", &TCustomForm::StaticClass(), {}, {}};
    return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    if (Screen) Screen->forms_.push_back(this);
    Font().SetColor(clWindowText);
}

void TCustomForm::BeforeDestruction() {
    if (OnDestroy) {
        TNotifyEvent handler = std::move(OnDestroy);
        OnDestroy = nullptr;
        handler(this);
    }
    if (Screen) {
        auto& f = Screen->forms_;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
    }
    if (Application && Application->MainForm() == this) Application->Terminate();
    // The menu handles belong to the menu objects: the window must not take them with it.
    ReleaseMenuHandle();
    TWinControl::BeforeDestruction();
}

TCustomForm::~TCustomForm() {
    // A form that was not deleted (on the stack) gets here without BeforeDestruction.
    if (OnDestroy) OnDestroy(this);
    if (Screen) {
        auto& f = Screen->forms_;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
    }
    if (Application && Application->MainForm() == this) Application->Terminate();
    SetMenu(nullptr);
    // Controls are owned by the form: free them while the form is still a form.
    DestroyComponents();
    ReleaseMenuHandle();
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    if (!pendingMenu_.empty()) ResolveMenu();
}

void TCustomForm::ResolveMenu() {
    std::string name = std::move(pendingMenu_);
    pendingMenu_.clear();
    if (name.empty()) {
        SetMenu(nullptr);
        return;
    }
    TComponent* found = FindComponent(name);
    if (!found && Owner()) found = Owner()->FindComponent(name);
    auto* menu = dynamic_cast<TMainMenu*>(found);
    if (!menu) throw Exception("Menu " + name + " of " + Name() + " not found");
    SetMenu(menu);
}

void TCustomForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_) return;
    if (menu_) {
        menu_->form_ = nullptr;
        if (handle_ && menu_->Items()->HandleAllocated() && GetMenu(handle_) == menu_->Handle())
            ::SetMenu(handle_, nullptr);
    }
    if (menu && menu->form_) menu->form_->SetMenu(nullptr);
    menu_ = menu;
    if (menu_) menu_->form_ = this;
    UpdateMenu();
    // Whoever draws the window's menu in its place hears of the new one.
    if (handle_) SendMessageW(handle_, CM_MENUSET, 0, 0);
}

void TCustomForm::UpdateMenu() {
    if (!handle_) return;
    HMENU want = menu_ ? menu_->Handle() : nullptr;
    if (GetMenu(handle_) != want) ::SetMenu(handle_, want);
    if (menu_) menu_->window_ = handle_;
    DrawMenuBar(handle_);
}

void TCustomForm::ReleaseMenuHandle() {
    if (!handle_) return;
    HMENU current = GetMenu(handle_);
    if (current && FindMenuItemByHandle(current)) ::SetMenu(handle_, nullptr);
}

void TCustomForm::DestroyWnd() {
    ReleaseMenuHandle();
    TWinControl::DestroyWnd();
}

void TCustomForm::SelectNext(TWinControl* current, bool forward) {
    std::vector<TWinControl*> order;
    GetTabOrderList(order);
    auto takes = [](TWinControl* c) {
        return c->TabStop() && c->CanFocus() && c->HandleAllocated() &&
               IsWindowVisible(c->WindowHandle()) && IsWindowEnabled(c->WindowHandle());
    };
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), current);
    size_t n = order.size();
    size_t start = it == order.end() ? (forward ? n - 1 : 0) : size_t(it - order.begin());
    for (size_t step = 1; step <= n; ++step) {
        size_t i = forward ? (start + step) % n : (start + n - step % n) % n;
        if (takes(order[i])) {
            order[i]->SetFocus();
            if (auto* edit = dynamic_cast<TCustomEdit*>(order[i]))
                if (!dynamic_cast<TCustomMemo*>(edit)) edit->SelectAll();
            return;
        }
    }
}

void TCustomForm::LoadFromResource() {
    ReadFormFromResource(*this, Widen(ClassName()));
    if (OnCreate) OnCreate(this);
}

void TCustomForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    p.ExStyle = WS_EX_CONTROLPARENT;
    switch (borderStyle_) {
    case bsNone:
        p.Style |= WS_POPUP;
        break;
    case bsSingle:
        p.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsDialog:
        p.Style |= WS_CAPTION | WS_DLGFRAME;
        p.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        p.Style |= WS_CAPTION;
        p.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    default:
        p.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    }
    if (borderStyle_ != bsNone && (borderIcons_ & biSystemMenu)) {
        p.Style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow) {
            if (borderIcons_ & biMinimize) p.Style |= WS_MINIMIZEBOX;
            if (borderIcons_ & biMaximize) p.Style |= WS_MAXIMIZEBOX;
        }
    }
    if (Application && Application->MainForm() != this && Application->MainForm())
        p.WndParent = Application->MainForm()->Handle();
    else
        p.WndParent = nullptr;
    if (clientWidth_ >= 0 || clientHeight_ >= 0) {
        RECT r{0, 0, clientWidth_ >= 0 ? clientWidth_ : width_,
               clientHeight_ >= 0 ? clientHeight_ : height_};
        AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
        p.Width = r.right - r.left;
        p.Height = r.bottom - r.top;
        width_ = p.Width;
        height_ = p.Height;
    }
}

void TCustomForm::InitializeWnd() {
    TWinControl::InitializeWnd();
    // WM_GETICON answers only what WM_SETICON set; the title bar and the skin ask that way.
    if (HICON big = ApplicationIcon(false))
        SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON little = ApplicationIcon(true))
        SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));

    if (menu_) UpdateMenu();
    if (clientWidth_ >= 0 || clientHeight_ >= 0) {
        // The frame's real size is known only now (menu bars, themes): fit the client area exactly.
        RECT c;
        GetClientRect(handle_, &c);
        int dw = (clientWidth_ >= 0 ? clientWidth_ : c.right) - c.right;
        int dh = (clientHeight_ >= 0 ? clientHeight_ : c.bottom) - c.bottom;
        if (dw || dh) SetBounds(left_, top_, width_ + dw, height_ + dh);
    }
}

RECT TCustomForm::ClientRect() const {
    if (handle_) return TWinControl::ClientRect();
    return {0, 0, clientWidth_ >= 0 ? clientWidth_ : width_,
            clientHeight_ >= 0 ? clientHeight_ : height_};
}

void TCustomForm::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    if (!handle_) {
        AlignControls();
        return;
    }
    RECT c;
    GetClientRect(handle_, &c);
    SetBounds(left_, top_, width_ + width - c.right, height_ + height - c.bottom);
}

bool TCustomForm::Showing() const {
    return Visible() && handle_ && IsWindowVisible(handle_);
}

void TCustomForm::ApplyPosition() {
    if (position_ != poScreenCenter && position_ != poDesktopCenter &&
        position_ != poMainFormCenter && position_ != poOwnerFormCenter)
        return;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (position_ == poScreenCenter) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    SetBounds(area.left + (area.right - area.left - width_) / 2,
              area.top + (area.bottom - area.top - height_) / 2, width_, height_);
}

void TCustomForm::SetActiveControl(TWinControl* c) {
    activeControl_ = c;
    if (c && handle_ && IsWindowVisible(handle_) && c->CanFocus()) ::SetFocus(c->Handle());
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::Show() {
    HandleNeeded();
    if (!shownOnce_) {
        shownOnce_ = true;
        ApplyPosition();
    }
    SetVisible(true);
    DoShow();
    ShowWindow(handle_, SW_SHOW);
    SetForegroundWindow(handle_);
    if (activeControl_ && activeControl_->CanFocus()) ::SetFocus(activeControl_->Handle());
    UpdateWindow(handle_);
}

void TCustomForm::Close() {
    if (handle_) SendMessageW(handle_, WM_CLOSE, 0, 0);
}

void TCustomForm::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_ACTIVATE:
        if (LOWORD(m.WParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(handle_, focus)) lastFocus_ = focus;
        } else {
            DefaultHandler(m);
            HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_
                          : activeControl_                   ? activeControl_->WindowHandle()
                                                             : nullptr;
            if (target && IsWindowVisible(target) && IsWindowEnabled(target)) ::SetFocus(target);
            return;
        }
        break;
    case WM_CLOSE: {
        bool canClose = true;
        if (OnCloseQuery) OnCloseQuery(this, canClose);
        if (!canClose) {
            m.Result = 0;
            return;
        }
        if (Application && Application->MainForm() == this) Application->Terminate();
        SetVisible(false);
        m.Result = 0;
        return;
    }
    case CM_DIALOGKEY:
        if (m.WParam == VK_TAB && !(KeyDataToShiftState(m.LParam) & (ssCtrl | ssAlt))) {
            TWinControl* focused = nullptr;
            for (HWND f = GetFocus(); f && !focused; f = GetParent(f)) focused = FromHandle(f);
            SelectNext(focused, !(KeyDataToShiftState(m.LParam) & ssShift));
            m.Result = 1;
            return;
        }
        break;

    case WM_COMMAND:
        // From a menu: no control, notification code 0.
        if (HIWORD(m.WParam) == 0 && m.LParam == 0) {
            UINT id = LOWORD(m.WParam);
            TMenuItem* item = menu_ ? menu_->FindItem(id, fkCommand) : nullptr;
            if (!item) item = FindMenuItem(id);
            if (item) {
                item->Click();
                m.Result = 0;
                return;
            }
        }
        break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        if (DispatchMenuMessage(m)) return;
        break;
    case CM_MENUCHANGED:
        UpdateMenu();
        m.Result = 0;
        return;
    case WM_DESTROY:
        // Also when someone else destroys the window.
        ReleaseMenuHandle();
        break;

    case WM_HSCROLL:
    case WM_VSCROLL:
        if (m.LParam == 0) { // the form's own scroll bars
            Scrolled(m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(m.WParam));
            m.Result = 0;
            return;
        }
        break;
    case WM_GETMINMAXINFO:
        if (borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin && handle_) {
            DefaultHandler(m);
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(m);
}

void TCustomForm::SetAutoScroll(bool v) {
    if (v == autoScroll_) return;
    autoScroll_ = v;
    if (!v) ScrollTo(0, 0);
    UpdateScrollRange();
}

void TCustomForm::AlignControls() {
    TWinControl::AlignControls();
    UpdateScrollRange();
}

void TCustomForm::UpdateScrollRange() {
    if (!handle_ || updatingScroll_ || IsLoading()) return;
    updatingScroll_ = true;
    if (!autoScroll_) {
        ShowScrollBar(handle_, SB_BOTH, FALSE);
    } else {
        // The extent is measured in unscrolled coordinates; aligned controls follow the client.
        int right = 0, bottom = 0;
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (!c->Visible() || c->Align() != alNone) continue;
            right = std::max(right, c->Left() + c->Width() + static_cast<int>(scrollPos_.x));
            bottom = std::max(bottom, c->Top() + c->Height() + static_cast<int>(scrollPos_.y));
        }
        for (int pass = 0; pass < 2; ++pass) { // a new bar narrows the other direction
            RECT client;
            GetClientRect(handle_, &client);
            for (int bar : {SB_HORZ, SB_VERT}) {
                SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
                si.nMax = (bar == SB_HORZ ? right : bottom) - 1;
                si.nPage = static_cast<UINT>(bar == SB_HORZ ? client.right : client.bottom);
                SetScrollInfo(handle_, bar, &si, TRUE);
            }
        }
        RECT client;
        GetClientRect(handle_, &client);
        int x = std::clamp(static_cast<int>(scrollPos_.x), 0,
                           std::max(0, right - static_cast<int>(client.right)));
        int y = std::clamp(static_cast<int>(scrollPos_.y), 0,
                           std::max(0, bottom - static_cast<int>(client.bottom)));
        updatingScroll_ = false;
        ScrollTo(x, y);
        return;
    }
    updatingScroll_ = false;
}

void TCustomForm::ScrollTo(int x, int y) {
    int dx = x - static_cast<int>(scrollPos_.x), dy = y - static_cast<int>(scrollPos_.y);
    if (handle_) {
        SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 0, 0};
        si.nPos = x;
        SetScrollInfo(handle_, SB_HORZ, &si, TRUE);
        si.nPos = y;
        SetScrollInfo(handle_, SB_VERT, &si, TRUE);
    }
    if (!dx && !dy) return;
    scrollPos_ = {x, y};
    updatingScroll_ = true;
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Align() == alNone)
            c->SetBounds(c->Left() - dx, c->Top() - dy, c->Width(), c->Height());
    }
    EnableAlign();
    updatingScroll_ = false;
    Invalidate();
}

void TCustomForm::Scrolled(int bar, int code) {
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(handle_, bar, &si);
    int pos = si.nPos, line = 16, page = std::max(1, static_cast<int>(si.nPage));
    switch (code) {
    case SB_LINEUP:
        pos -= line;
        break;
    case SB_LINEDOWN:
        pos += line;
        break;
    case SB_PAGEUP:
        pos -= page;
        break;
    case SB_PAGEDOWN:
        pos += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
    case SB_TOP:
        pos = si.nMin;
        break;
    case SB_BOTTOM:
        pos = si.nMax;
        break;
    default:
        return;
    }
    pos = std::clamp(pos, 0, std::max(0, si.nMax - page + 1));
    if (bar == SB_HORZ)
        ScrollTo(pos, static_cast<int>(scrollPos_.y));
    else
        ScrollTo(static_cast<int>(scrollPos_.x), pos);
}

TCustomForm* GetParentForm(TControl* control) {
    while (control && control->Parent()) control = control->Parent();
    return dynamic_cast<TCustomForm*>(control);
}

TCustomForm* TScreen::ActiveForm() const {
    HWND active = GetActiveWindow();
    for (TCustomForm* f : forms_)
        if (f->WindowHandle() == active) return f;
    return nullptr;
}

// ---------------------------------------------------------------- TApplication

const TClassInfo& TApplication::StaticClass() {
    static const TClassInfo info{"TApplication", &TComponent::StaticClass(), {}, {}};
    return info;
}

namespace {
constexpr UINT_PTR kHintShowTimer = 1, kHintHideTimer = 2, kMouseWatchTimer = 3;
constexpr UINT kHintPause = 500, kHintHidePause = 5000;
} // namespace

TApplication::TApplication(TComponent* owner)
    : TComponent(owner), hintTimer_([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
          if (msg != WM_TIMER) return DefWindowProcW(hintTimer_.Handle(), msg, w, l);
          if (w == kHintShowTimer) {
              KillTimer(hintTimer_.Handle(), kHintShowTimer);
              if (hintControl_ && hintControl_ == mouseControl_) ShowHintFor(hintControl_);
          } else if (w == kHintHideTimer) {
              CancelHint();
          } else if (w == kMouseWatchTimer) {
              // The mouse left every window of ours without a message saying so.
              POINT p;
              GetCursorPos(&p);
              TControl* c = TWinControl::FindDragTarget(p);
              if (c != mouseControl_) SetMouseControl(c);
              if (!mouseControl_) KillTimer(hintTimer_.Handle(), kMouseWatchTimer);
          }
          return 0;
      }) {
    if (!Application) Application = this;
    if (!Screen) Screen = new TScreen;
    RegisterToolkitClasses();
}

void TApplication::BeforeDestruction() {
    Shutdown();
    TComponent::BeforeDestruction();
}

TApplication::~TApplication() {
    Shutdown();
    DestroyComponents();
    if (Application == this) {
        Application = nullptr;
        delete Screen;
        Screen = nullptr;
    }
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc),
                             ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
}

void TApplication::Run() {
    if (mainForm_ && !mainForm_->Showing()) mainForm_->Show();
    while (!terminated_) HandleMessage();
    Shutdown();
}

int TApplication::AddShutdownHandler(std::function<void()> handler) {
    int id = nextShutdownId_++;
    shutdown_.emplace_back(id, std::move(handler));
    return id;
}

void TApplication::RemoveShutdownHandler(int id) {
    shutdown_.erase(std::remove_if(shutdown_.begin(), shutdown_.end(),
                                   [id](const auto& h) { return h.first == id; }),
                    shutdown_.end());
}

void TApplication::Shutdown() {
    // A handler may add or remove others while it runs.
    while (!shutdown_.empty()) {
        std::function<void()> handler = std::move(shutdown_.back().second);
        shutdown_.pop_back();
        if (handler) handler();
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    // Dialog keys and characters first, then Tab and arrow navigation between controls of the
    // active form.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && TWinControl::FromHandle(root) && msg.message >= WM_KEYFIRST &&
        msg.message <= WM_KEYLAST) {
        if (IsDialogKey(root, msg)) return true;
        bool controlWantsKey = false;
        if (msg.message == WM_KEYDOWN || msg.message == WM_CHAR) {
            // Multi-line edits keep Enter (and Tab only when they ask for it).
            UINT code = static_cast<UINT>(
                SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
            controlWantsKey =
                msg.wParam == VK_TAB ? (code & DLGC_WANTTAB) != 0 : (code & DLGC_WANTALLKEYS) != 0;
        }
        if (!controlWantsKey && IsDialogMessageW(root, &msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

bool TApplication::IsDialogKey(HWND root, const MSG& msg) {
    TWinControl* form = TWinControl::FromHandle(root);
    if (!form || !IsWindowEnabled(root)) return false;
    UINT code = static_cast<UINT>(SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam,
                                               reinterpret_cast<LPARAM>(const_cast<MSG*>(&msg))));
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        bool wanted = false;
        switch (msg.wParam) {
        case VK_TAB:
            wanted = (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) != 0;
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            wanted = (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) != 0;
            break;
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_CANCEL:
        case VK_EXECUTE:
            wanted = (code & DLGC_WANTALLKEYS) != 0;
            break;
        default:
            return false;
        }
        return !wanted && form->Perform(CM_DIALOGKEY, msg.wParam, msg.lParam) != 0;
    }
    // Alt+character always; a plain character only where the focused control takes none.
    if (msg.message == WM_SYSCHAR ||
        (msg.message == WM_CHAR && !(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) &&
         msg.wParam > L' '))
        return form->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
    return false;
}

bool TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) {
        if (terminated_) return false;
        WaitMessage();
    }
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Terminate() {
    if (!terminated_) PostQuitMessage(0);
    terminated_ = true;
}

void TApplication::HandleException(TObject* sender, const std::exception& e) {
    if (OnException)
        OnException(sender, e);
    else
        ShowException(e);
}

void TApplication::ShowException(const std::exception& e) {
    std::wstring text = Widen(e.what());
    std::wstring caption = Widen(title_);
    HWND owner = mainForm_ ? mainForm_->WindowHandle() : nullptr;
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void TApplication::BeforeMessage(TWinControl* control, TMessage& m) {
    if (m.Msg == WM_MOUSEMOVE) {
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        TControl* g = control->ControlAtPos(p, true);
        TControl* target = g ? g : control;
        if (target != mouseControl_) SetMouseControl(target);
    } else if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_KEYDOWN) {
        CancelHint();
    }
}

void TApplication::SetMouseControl(TControl* c) {
    TControl* old = mouseControl_;
    mouseControl_ = c;
    if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
    if (c) c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
    CancelHint();
    if (c) {
        SetTimer(hintTimer_.Handle(), kMouseWatchTimer, 100, nullptr);
        if (c->ShowHint() && !c->Hint().empty()) {
            hintControl_ = c;
            SetTimer(hintTimer_.Handle(), kHintShowTimer, kHintPause, nullptr);
        }
    }
}

void TApplication::ShowHintFor(TControl* c) {
    if (!tooltip_) {
        tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                       WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr));
        TOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        ti.hwnd = hintTimer_.Handle();
        ti.uId = 1;
        ti.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    tooltipText_ = Widen(c->Hint());
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hintTimer_.Handle();
    ti.uId = 1;
    ti.lpszText = tooltipText_.data();
    SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    POINT p;
    GetCursorPos(&p);
    SendMessageW(tooltip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(p.x, p.y + 20));
    SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    SetTimer(hintTimer_.Handle(), kHintHideTimer, kHintHidePause, nullptr);
}

void TApplication::CancelHint() {
    KillTimer(hintTimer_.Handle(), kHintShowTimer);
    KillTimer(hintTimer_.Handle(), kHintHideTimer);
    hintControl_ = nullptr;
    if (tooltip_) {
        TOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = hintTimer_.Handle();
        ti.uId = 1;
        SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    }
}

void TApplication::ControlDestroyed(TControl* c) {
    if (mouseControl_ == c) mouseControl_ = nullptr;
    if (hintControl_ == c) CancelHint();
}
