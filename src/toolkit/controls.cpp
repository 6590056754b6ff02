#include "toolkit/controls.h"

#include "toolkit/forms.h"
#include "toolkit/win_text.h"

#include <algorithm>
#include <map>

namespace {
constexpr wchar_t kControlProp[] = L"Corvane.Control";
thread_local TWinControl* gCreating = nullptr;

struct CursorName {
    const char* name;
    int value;
};
const CursorName kCursors[] = {
    {"crDefault", crDefault},   {"crNone", crNone},           {"crArrow", crArrow},
    {"crCross", crCross},       {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW},
    {"crSizeNS", crSizeNS},     {"crSizeNWSE", crSizeNWSE},   {"crSizeWE", crSizeWE},
    {"crUpArrow", crUpArrow},   {"crHourGlass", crHourGlass}, {"crNo", crNo},
    {"crAppStart", crAppStart}, {"crHelp", crHelp},           {"crHandPoint", crHandPoint},
    {"crSizeAll", crSizeAll},
};

// The original window procedure of each system class we superclass, by our class name.
std::map<std::wstring, WNDPROC>& ClassProcs() {
    static std::map<std::wstring, WNDPROC> procs;
    return procs;
}

WNDPROC RegisterWindowClass(const TCreateParams& p,
                            LRESULT(CALLBACK* initProc)(HWND, UINT, WPARAM, LPARAM)) {
    auto it = ClassProcs().find(p.WinClassName);
    if (it != ClassProcs().end()) return it->second;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    WNDPROC original = DefWindowProcW;
    if (!p.SysClassName.empty()) {
        if (!GetClassInfoExW(nullptr, p.SysClassName.c_str(), &wc))
            throw Exception("Cannot find window class " + Narrow(p.SysClassName));
        original = wc.lpfnWndProc;
        wc.cbSize = sizeof(wc);
    } else {
        wc.style = p.ClassStyle;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.hbrBackground = nullptr;
        wc.hIcon = ApplicationIcon(false);
        wc.hIconSm = ApplicationIcon(true);
    }
    wc.lpfnWndProc = initProc;
    wc.hInstance = inst;
    wc.lpszClassName = p.WinClassName.c_str();
    wc.lpszMenuName = nullptr;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Exception("Cannot register window class " + Narrow(p.WinClassName));
    ClassProcs()[p.WinClassName] = original;
    return original;
}
} // namespace

bool IdentToCursor(std::string_view ident, int& cursor) {
    for (const CursorName& c : kCursors)
        if (SameText(ident, c.name)) {
            cursor = c.value;
            return true;
        }
    return false;
}

HCURSOR CursorHandle(int cursor) {
    LPCWSTR id = nullptr;
    switch (cursor) {
    case crArrow:
        id = MAKEINTRESOURCEW(32512);
        break;
    case crIBeam:
        id = MAKEINTRESOURCEW(32513);
        break;
    case crHourGlass:
        id = MAKEINTRESOURCEW(32514);
        break;
    case crCross:
        id = MAKEINTRESOURCEW(32515);
        break;
    case crUpArrow:
        id = MAKEINTRESOURCEW(32516);
        break;
    case crSizeNWSE:
        id = MAKEINTRESOURCEW(32642);
        break;
    case crSizeNESW:
        id = MAKEINTRESOURCEW(32643);
        break;
    case crSizeWE:
        id = MAKEINTRESOURCEW(32644);
        break;
    case crSizeNS:
        id = MAKEINTRESOURCEW(32645);
        break;
    case crSizeAll:
        id = MAKEINTRESOURCEW(32646);
        break;
    case crNo:
        id = MAKEINTRESOURCEW(32648);
        break;
    case crHandPoint:
        id = MAKEINTRESOURCEW(32649);
        break;
    case crAppStart:
        id = MAKEINTRESOURCEW(32650);
        break;
    case crHelp:
        id = MAKEINTRESOURCEW(32651);
        break;
    default:
        return nullptr;
    }
    return LoadCursorW(nullptr, id);
}

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (keyData & (1 << 29)) s |= ssAlt;
    return s;
}

// ---------------------------------------------------------------- TWndProcHook

namespace toolkit_detail {
struct WndProcHookNode {
    TControl* control = nullptr; // null once removed or once the control is gone
    TWndMethod handler;          // empty: the node only passes messages on
    TWndMethod previous;
};

// What a hook puts into WindowProc; recognisable, so a removal can tell whether it is in front.
struct HookedWindowProc {
    std::shared_ptr<WndProcHookNode> node;
    void operator()(TMessage& m) const {
        // The node outlives this callable should the handler remove the hook while it runs.
        std::shared_ptr<WndProcHookNode> n = node;
        if (n->handler)
            n->handler(m);
        else if (n->previous)
            n->previous(m);
    }
};

// Takes pass-through nodes off the front of the control's chain.
void CollapseFront(TControl& control) {
    while (auto* front = control.WindowProc.target<HookedWindowProc>()) {
        if (front->node->handler) break;
        std::shared_ptr<WndProcHookNode> n = front->node;
        control.WindowProc = n->previous;
    }
}
} // namespace toolkit_detail

using toolkit_detail::HookedWindowProc;
using toolkit_detail::WndProcHookNode;

TWndProcHook::TWndProcHook(TWndProcHook&& other) noexcept : node_(std::move(other.node_)) {}

TWndProcHook& TWndProcHook::operator=(TWndProcHook&& other) noexcept {
    if (this != &other) {
        Remove();
        node_ = std::move(other.node_);
    }
    return *this;
}

void TWndProcHook::Install(TControl& control, TWndMethod handler) {
    Remove();
    node_ = std::make_shared<WndProcHookNode>();
    node_->control = &control;
    node_->handler = std::move(handler);
    node_->previous = control.WindowProc;
    control.WindowProc = HookedWindowProc{node_};
    control.hooks_.push_back(node_.get());
}

void TWndProcHook::Remove() {
    if (!node_) return;
    std::shared_ptr<WndProcHookNode> n = std::move(node_);
    TControl* control = n->control;
    n->control = nullptr;
    n->handler = nullptr; // stays in the chain as a pass-through if something is in front
    if (!control) return;
    auto& list = control->hooks_;
    list.erase(std::remove(list.begin(), list.end(), n.get()), list.end());
    toolkit_detail::CollapseFront(*control);
}

bool TWndProcHook::Installed() const {
    return node_ && node_->control;
}

TControl* TWndProcHook::Control() const {
    return node_ ? node_->control : nullptr;
}

void TWndProcHook::CallPrevious(TMessage& m) const {
    if (node_ && node_->previous) node_->previous(m);
}

// ---------------------------------------------------------------- TControl

const TClassInfo& TControl::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TControl>("TControl", TComponent::StaticClass())
            .Int(
                "Left", [](TControl& c) { return c.Left(); },
                [](TControl& c, int64_t v) { c.SetLeft(static_cast<int>(v)); })
            .Int(
                "Top", [](TControl& c) { return c.Top(); },
                [](TControl& c, int64_t v) { c.SetTop(static_cast<int>(v)); })
            .Int(
                "Width", [](TControl& c) { return c.Width(); },
                [](TControl& c, int64_t v) { c.SetWidth(static_cast<int>(v)); })
            .Int(
                "Height", [](TControl& c) { return c.Height(); },
                [](TControl& c, int64_t v) { c.SetHeight(static_cast<int>(v)); })
            .Enum(
                "Align",
                {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"},
                [](TControl& c) { return c.Align(); },
                [](TControl& c, int64_t v) { c.SetAlign(static_cast<TAlign>(v)); })
            .Set(
                "Anchors", {"akLeft", "akTop", "akRight", "akBottom"},
                [](TControl& c) { return c.Anchors(); },
                [](TControl& c, int64_t v) { c.SetAnchors(static_cast<TAnchors>(v)); })
            .Bool(
                "Visible", [](TControl& c) { return c.Visible(); },
                [](TControl& c, bool v) { c.SetVisible(v); })
            .Bool(
                "Enabled", [](TControl& c) { return c.Enabled(); },
                [](TControl& c, bool v) { c.SetEnabled(v); })
            .Str(
                "Caption", [](TControl& c) { return c.Caption(); },
                [](TControl& c, const std::string& v) { c.SetCaption(v); })
            .Str(
                "Hint", [](TControl& c) { return c.Hint(); },
                [](TControl& c, const std::string& v) { c.SetHint(v); })
            .Bool(
                "ShowHint", [](TControl& c) { return c.ShowHint(); },
                [](TControl& c, bool v) { c.SetShowHint(v); })
            .Bool(
                "ParentShowHint", [](TControl& c) { return c.ParentShowHint(); },
                [](TControl& c, bool v) { c.SetParentShowHint(v); })
            .Int(
                "Cursor", [](TControl& c) { return c.Cursor(); },
                [](TControl& c, int64_t v) { c.SetCursor(static_cast<int>(v)); })
            .Int(
                "Color", [](TControl& c) { return c.Color(); },
                [](TControl& c, int64_t v) { c.SetColor(static_cast<TColor>(v)); })
            .Bool(
                "ParentColor", [](TControl& c) { return c.ParentColor(); },
                [](TControl& c, bool v) { c.SetParentColor(v); })
            .Obj("Font", [](TControl& c) { return &c.Font(); })
            .Bool(
                "ParentFont", [](TControl& c) { return c.ParentFont(); },
                [](TControl& c, bool v) { c.SetParentFont(v); })
            .Event("OnClick", [](TControl& c, TNotifyEvent e) { c.OnClick = std::move(e); })
            .Enum(
                "BiDiMode",
                {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                 "bdRightToLeftReadingOnly"},
                [](TControl& c) { return c.BiDiMode(); },
                [](TControl& c, int64_t v) { c.SetBiDiMode(static_cast<TBiDiMode>(v)); })
            .Build();
    return info;
}

namespace {
thread_local int gParentFontUpdate = 0;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_.OnChange = [this] {
        if (gParentFontUpdate == 0) parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    // Hooks still installed stay as pass-throughs of a chain that dies with the control.
    for (WndProcHookNode* n : hooks_) {
        n->control = nullptr;
        n->handler = nullptr;
    }
    hooks_.clear();
    if (TApplication* app = Application) app->ControlDestroyed(this);
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent == this) throw Exception("A control cannot be its own parent");
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    if (IsGraphic() && parent_ && visible_) parent_->Invalidate(); // old place
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    anchorRight_ = anchorBottom_ = -1;
    if (IsGraphic()) Invalidate();
    BoundsChanged();
    RequestAlign();
}

void TControl::SetClientSize(int width, int height) {
    SetBounds(left_, top_, width, height);
}

void TControl::SetAlign(TAlign v) {
    if (v == align_) return;
    align_ = v;
    RequestAlign();
}

void TControl::SetAnchors(TAnchors v) {
    anchors_ = v;
    anchorRight_ = anchorBottom_ = -1;
    RequestAlign(); // takes the gaps to the parent's edges now
}

void TControl::RequestAlign() {
    if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    VisibleChanged();
    Perform(CM_VISIBLECHANGED, v ? 1 : 0, 0);
    RequestAlign();
}

bool TControl::Showing() const {
    return visible_ && parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    EnabledChanged();
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const std::string& v) {
    if (v == text_) return;
    text_ = v;
    Invalidate();
    Perform(CM_TEXTCHANGED, 0, 0);
}

bool TControl::ShowHint() const {
    if (parentShowHint_ && parent_) return parent_->ShowHint();
    return showHint_;
}

void TControl::SetShowHint(bool v) {
    showHint_ = v;
    parentShowHint_ = false;
}

void TControl::SetColor(TColor v) {
    parentColor_ = false;
    if (v == color_) return;
    color_ = v;
    ColorChanged();
}

void TControl::SetParentColor(bool v) {
    parentColor_ = v;
    if (v && parent_) ParentColorChanged();
}

void TControl::SetParentFont(bool v) {
    parentFont_ = v;
    if (v && parent_) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    ++gParentFontUpdate;
    font_.Assign(parent_->Font());
    --gParentFontUpdate;
}

void TControl::ParentColorChanged() {
    if (!parentColor_ || !parent_ || parent_->Color() == color_) return;
    color_ = parent_->Color();
    ColorChanged();
}

void TControl::FontChanged() {
    Invalidate();
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::ColorChanged() {
    Invalidate();
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::VisibleChanged() {
    if (parent_) parent_->Invalidate();
}

void TControl::EnabledChanged() {
    Invalidate();
}

void TControl::SetBiDiMode(TBiDiMode v) {
    if (v == biDiMode_) return;
    biDiMode_ = v;
    BiDiModeChanged();
}

void TControl::BiDiModeChanged() {
    Invalidate();
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    // A copy: a handler may replace WindowProc (detach) while the message is on its way.
    if (TWndMethod proc = WindowProc) proc(m);
    return m.Result;
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

namespace {
// The button and shift state of a mouse press or release; false for other messages.
bool MouseButtonOf(const TMessage& m, bool& down, TMouseButton& button, TShiftState& shift) {
    shift = KeysToShiftState(m.WParam);
    switch (m.Msg) {
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        shift |= ssDouble;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        down = true;
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        down = false;
        break;
    default:
        return false;
    }
    switch (m.Msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        button = mbRight;
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        button = mbMiddle;
        break;
    default:
        button = mbLeft;
        break;
    }
    return true;
}

void NotifyMouseButton(TControl& c, const TMessage& m) {
    bool down;
    TMouseButton button;
    TShiftState shift;
    if (!MouseButtonOf(m, down, button, shift)) return;
    int x = static_cast<short>(LOWORD(m.LParam)), y = static_cast<short>(HIWORD(m.LParam));
    if (down)
        c.MouseDown(button, shift, x, y);
    else
        c.MouseUp(button, shift, x, y);
}
} // namespace

void TControl::WndProc(TMessage& m) {
    NotifyMouseButton(*this, m);
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        clicking_ = true;
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        break;
    case WM_LBUTTONUP: {
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        RECT r = ClientRect();
        bool inside = PtInRect(&r, p) != FALSE;
        if (clicking_ && inside && enabled_) {
            clicking_ = false;
            Click();
        }
        clicking_ = false;
        break;
    }
    default:
        DefaultHandler(m);
        break;
    }
}

void TControl::Invalidate() {
    if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
    RECT r = BoundsRect();
    InvalidateRect(parent_->WindowHandle(), &r, FALSE);
}

POINT TControl::ClientOrigin() const {
    POINT p{left_, top_};
    if (parent_ && !IsGraphic()) return p;
    return p;
}

POINT TControl::ClientToScreen(POINT p) const {
    if (!IsGraphic()) {
        HWND wnd = static_cast<const TWinControl*>(this)->WindowHandle();
        if (wnd) ::ClientToScreen(wnd, &p);
        return p;
    }
    p.x += left_;
    p.y += top_;
    return parent_ ? parent_->ClientToScreen(p) : p;
}

POINT TControl::ScreenToClient(POINT p) const {
    if (!IsGraphic()) {
        HWND wnd = static_cast<const TWinControl*>(this)->WindowHandle();
        if (wnd) ::ScreenToClient(wnd, &p);
        return p;
    }
    if (parent_) p = parent_->ScreenToClient(p);
    p.x -= left_;
    p.y -= top_;
    return p;
}

void TControl::BringToFront() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    if (!IsGraphic()) {
        auto* w = static_cast<TWinControl*>(this);
        if (w->HandleAllocated())
            SetWindowPos(w->WindowHandle(), HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    Invalidate();
}

void TControl::SendToBack() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
    if (!IsGraphic()) {
        auto* w = static_cast<TWinControl*>(this);
        if (w->HandleAllocated())
            SetWindowPos(w->WindowHandle(), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    Invalidate();
}

void TControl::Loaded() {
    if (parentFont_) ParentFontChanged();
    if (parentColor_) ParentColorChanged();
}

// ---------------------------------------------------------------- TGraphicControl

const TClassInfo& TGraphicControl::StaticClass() {
    static const TClassInfo info{"TGraphicControl", &TControl::StaticClass(), {}, {}};
    return info;
}

void TGraphicControl::WndProc(TMessage& m) {
    if (m.Msg == WM_PAINT && m.WParam) {
        TCanvas canvas(reinterpret_cast<HDC>(m.WParam));
        canvas.Font().Assign(Font());
        Paint(canvas);
        return;
    }
    TControl::WndProc(m);
}

// ---------------------------------------------------------------- TWinControl

const TClassInfo& TWinControl::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TWinControl>("TWinControl", TControl::StaticClass())
            .Bool(
                "TabStop", [](TWinControl& c) { return c.TabStop(); },
                [](TWinControl& c, bool v) { c.SetTabStop(v); })
            .Int(
                "TabOrder", [](TWinControl& c) { return c.TabOrder(); },
                [](TWinControl& c, int64_t v) { c.SetTabOrder(static_cast<int>(v)); })
            .Build();
    return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Only a control that was not deleted (one on the stack) still has its window here; its
    // hooks see the window go, its own message handling is TWinControl's by now.
    if (handle_) {
        windowGoing_ = true;
        DestroyWindow(handle_);
    }
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
}

void TWinControl::BeforeDestruction() {
    Destroying();
    if (handle_) {
        windowGoing_ = true;
        DestroyWindow(handle_);
    }
    TControl::BeforeDestruction();
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
    // Another copy of the program marks its windows the same way, with its own addresses; under
    // a shared mouse the window found at a point may well be one of those.
    DWORD process = 0;
    if (!wnd || !GetWindowThreadProcessId(wnd, &process) || process != GetCurrentProcessId())
        return nullptr;
    return static_cast<TWinControl*>(GetPropW(wnd, kControlProp));
}

TControl* TWinControl::FindDragTarget(POINT screenPoint) {
    HWND wnd = WindowFromPoint(screenPoint);
    TWinControl* w = nullptr;
    while (wnd && !(w = FromHandle(wnd))) wnd = GetParent(wnd);
    if (!w) return nullptr;
    POINT p = screenPoint;
    ::ScreenToClient(w->WindowHandle(), &p);
    TControl* g = w->ControlAtPos(p, true);
    return g ? g : w;
}

void TWinControl::InsertControl(TControl* c) {
    controls_.push_back(c);
    c->parent_ = this;
    c->anchorRight_ = c->anchorBottom_ = -1;
    if (!IsLoading() && !c->IsLoading()) {
        c->ParentFontChanged();
        c->ParentColorChanged();
    }
    if (c->IsGraphic()) {
        c->Invalidate();
    } else if (HandleAllocated()) {
        static_cast<TWinControl*>(c)->HandleNeeded();
    }
    AlignControls();
}

void TWinControl::RemoveControl(TControl* c) {
    if (captureControl_ == c) captureControl_ = nullptr;
    if (c->IsGraphic()) c->Invalidate();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    c->parent_ = nullptr;
    if (!c->IsGraphic()) {
        auto* w = static_cast<TWinControl*>(c);
        if (w->HandleAllocated() && !windowGoing_) w->DestroyWnd();
    }
    AlignControls();
}

HWND TWinControl::Handle() {
    if (!handle_) {
        // Making the parent's window makes its children's too, this one among them: a second
        // window would be left orphaned, its paints answered by the other, so never validated.
        if (parent_) parent_->HandleNeeded();
        if (!handle_) CreateWnd();
    }
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.WinClassName = Widen(ClassName());
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible()) p.Style |= WS_VISIBLE;
    if (!Enabled()) p.Style |= WS_DISABLED;
    if (tabStop_) p.Style |= WS_TABSTOP;
    p.X = left_;
    p.Y = top_;
    p.Width = width_;
    p.Height = height_;
    p.WndParent = parent_ ? parent_->Handle() : nullptr;
    p.Caption = Widen(text_);
    if (UseRightToLeftReading()) p.ExStyle |= WS_EX_RTLREADING;
    if (UseRightToLeftAlignment()) p.ExStyle |= WS_EX_RIGHT;
    if (BiDiMode() == bdRightToLeft || BiDiMode() == bdRightToLeftNoAlign)
        p.ExStyle |= WS_EX_LEFTSCROLLBAR;
}

void TWinControl::BiDiModeChanged() {
    // The reading order lives in the window's extended style.
    RecreateWnd();
    TControl::BiDiModeChanged();
}

void TWinControl::SetParentBackground(bool v) {
    if (v == parentBackground_) return;
    parentBackground_ = v;
    Invalidate();
}

void TWinControl::PaintParentBackground(HDC dc) {
    HWND parentWnd = parent_ ? parent_->WindowHandle() : nullptr;
    if (!parentWnd || !handle_) {
        RECT r{0, 0, width_, height_};
        FillRect(dc, &r, ColorBrush());
        return;
    }
    SavedDc saved(dc);
    POINT origin{0, 0};
    MapWindowPoints(handle_, parentWnd, &origin, 1);
    POINT old;
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageW(parentWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(parentWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if (p.WndParent == nullptr && (p.Style & WS_CHILD))
        throw Exception("Control '" + Name() + "' has no parent window");
    defProc_ = RegisterWindowClass(p, InitWndProc);
    CreateWindowHandle(p);
    if (!handle_)
        throw Exception("Cannot create window for '" + Name() + "' (system error " +
                        std::to_string(GetLastError()) + ")");
    InitializeWnd();
    // Children are placed before their windows exist, so each is born at its final size and
    // records its anchors against its parent's real client area.
    AlignControls();
    CreateChildHandles();
    AlignControls();
}

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
    TWinControl* previous = gCreating;
    gCreating = this;
    HWND wnd = CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X,
                               p.Y, p.Width, p.Height, p.WndParent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    gCreating = previous;
    if (wnd && !handle_) {
        handle_ = wnd;
        SetPropW(wnd, kControlProp, this);
    }
}

void TWinControl::InitializeWnd() {
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
}

void TWinControl::CreateChildHandles() {
    std::vector<TControl*> children = controls_;
    for (TControl* c : children)
        if (!c->IsGraphic()) static_cast<TWinControl*>(c)->HandleNeeded();
    // Later controls lie above earlier ones, as the description orders them.
    for (TControl* c : children)
        if (!c->IsGraphic())
            if (HWND h = static_cast<TWinControl*>(c)->WindowHandle())
                SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::DestroyWnd() {
    if (handle_) DestroyWindow(handle_);
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    Perform(CM_RECREATEWND, 0, 0);
    DestroyWnd();
    HandleNeeded();
}

LRESULT CALLBACK TWinControl::InitWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TWinControl* c = gCreating;
    if (!c) return DefWindowProcW(wnd, msg, w, l);
    gCreating = nullptr;
    c->handle_ = wnd;
    SetPropW(wnd, kControlProp, c);
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc));
    return StdWndProc(wnd, msg, w, l);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TWinControl* c = FromHandle(wnd);
    if (!c) return DefWindowProcW(wnd, msg, w, l);
    TMessage m{msg, w, l, 0};
    try {
        c->MainWndProc(m);
    } catch (const std::exception& e) {
        if (Application) Application->HandleException(c, e);
    } catch (...) {
        if (Application) Application->HandleException(c, Exception("Unknown error"));
    }
    if (msg == WM_NCDESTROY) {
        RemovePropW(wnd, kControlProp);
        if (c->handle_ == wnd) c->handle_ = nullptr;
        c->captureControl_ = nullptr;
    }
    return m.Result;
}

void TWinControl::MainWndProc(TMessage& m) {
    if (Application && !IsDestroying()) Application->BeforeMessage(this, m);
    // A copy: a hook may take itself out (or the chain be replaced) while the message runs.
    if (TWndMethod proc = WindowProc)
        proc(m);
    else
        DefaultHandler(m);
}

LRESULT TWinControl::DefWndProc(UINT msg, WPARAM w, LPARAM l) {
    if (!handle_) return 0;
    return CallWindowProcW(defProc_ ? defProc_ : DefWindowProcW, handle_, msg, w, l);
}

void TWinControl::DefaultHandler(TMessage& m) {
    m.Result = DefWndProc(m.Msg, m.WParam, m.LParam);
}

bool TWinControl::PaintsOwnWindow() const {
    return defProc_ == DefWindowProcW || defProc_ == nullptr;
}

HBRUSH TWinControl::ColorBrush() {
    if (!colorBrush_ || colorBrushColor_ != Color()) {
        colorBrush_.reset(CreateSolidBrush(ColorToRGB(Color())));
        colorBrushColor_ = Color();
    }
    return colorBrush_.get();
}

void TWinControl::RouteMouse(TMessage& m) {
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    TControl* target = captureControl_ ? captureControl_ : ControlAtPos(p);
    if (!target) {
        if (PaintsOwnWindow()) {
            TControl::WndProc(m);
        } else {
            DefaultHandler(m);
            NotifyMouseButton(*this, m);
        }
        return;
    }
    TMessage tm = m;
    tm.LParam =
        MAKELPARAM(static_cast<WORD>(p.x - target->Left()), static_cast<WORD>(p.y - target->Top()));
    bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_MBUTTONDOWN ||
                m.Msg == WM_LBUTTONDBLCLK;
    bool up = m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP;
    if (down && !captureControl_) {
        captureControl_ = target;
        SetCapture(handle_);
    }
    target->Perform(tm.Msg, tm.WParam, tm.LParam);
    if (up && captureControl_) {
        captureControl_ = nullptr;
        ReleaseCapture();
    }
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_COMMAND:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam));
            child && child != this) {
            m.Result = child->Perform(CN_COMMAND, m.WParam, m.LParam);
            return;
        }
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (TWinControl* child = FromHandle(hdr ? hdr->hwndFrom : nullptr);
            child && child != this) {
            m.Result = child->Perform(CN_NOTIFY, m.WParam, m.LParam);
            return;
        }
        break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam));
            child && child != this) {
            m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
            return;
        }
        break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORLISTBOX: {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        SetTextColor(dc, ColorToRGB(Font().Color()));
        SetBkColor(dc, ColorToRGB(Color()));
        m.Result = reinterpret_cast<LRESULT>(ColorBrush());
        return;
    }
    case WM_ERASEBKGND:
        if (PaintsOwnWindow()) {
            m.Result = 1;
            return;
        }
        break;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (PaintsOwnWindow()) {
            PaintHandler(m);
            return;
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == handle_) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(handle_, &p);
            TControl* c = ControlAtPos(p);
            int cursor = c ? c->Cursor() : Cursor();
            if (cursor != crDefault) {
                ::SetCursor(CursorHandle(cursor));
                m.Result = 1;
                return;
            }
        }
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        RouteMouse(m);
        return;
    case WM_CAPTURECHANGED:
        captureControl_ = nullptr;
        break;
    case WM_SETFOCUS:
        DefaultHandler(m);
        Perform(CM_ENTER, 0, 0);
        if (TCustomForm* form = GetParentForm(this); form && !form->IsDestroying())
            form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
        return;
    case WM_KILLFOCUS:
        DefaultHandler(m);
        if (!IsDestroying()) Perform(CM_EXIT, 0, 0);
        return;
    case CM_FOCUSCHANGED:
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        m.Result = Broadcast(m.Msg, m.WParam, m.LParam);
        return;
    case WM_WINDOWPOSCHANGED: {
        DefaultHandler(m);
        auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
        if (!(wp->flags & SWP_NOSIZE) || !(wp->flags & SWP_NOMOVE)) {
            RECT r;
            GetWindowRect(handle_, &r);
            if (HWND parentWnd = GetParent(handle_);
                parentWnd && (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD))
                MapWindowPoints(nullptr, parentWnd, reinterpret_cast<POINT*>(&r), 2);
            bool resized = (r.right - r.left) != width_ || (r.bottom - r.top) != height_;
            left_ = r.left;
            top_ = r.top;
            width_ = r.right - r.left;
            height_ = r.bottom - r.top;
            if (resized) AlignControls();
        }
        return;
    }
    default:
        break;
    }
    TControl::WndProc(m);
}

void TWinControl::PaintHandler(TMessage& m) {
    if (m.Msg == WM_PRINTCLIENT || m.WParam) {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        PaintWindow(dc);
        PaintControls(dc);
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(handle_, &ps);
    RECT client;
    GetClientRect(handle_, &client);
    {
        OffscreenBuffer buffer(dc, client.right, client.bottom);
        IntersectClipRect(buffer.dc(), ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right,
                          ps.rcPaint.bottom);
        PaintWindow(buffer.dc());
        PaintControls(buffer.dc());
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, buffer.dc(), ps.rcPaint.left, ps.rcPaint.top,
               SRCCOPY);
    }
    EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC dc) {
    if (parentBackground_) {
        PaintParentBackground(dc);
        return;
    }
    RECT r;
    GetClientRect(handle_, &r);
    FillRect(dc, &r, ColorBrush());
}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* c : controls_) {
        if (!c->IsGraphic() || !c->Visible()) continue;
        RECT r = c->BoundsRect();
        if (!RectVisible(dc, &r)) continue;
        SavedDc saved(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        POINT old;
        OffsetViewportOrgEx(dc, r.left, r.top, &old);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    std::vector<TWinControl*> windowed;
    for (TControl* c : controls_)
        if (!c->IsGraphic()) windowed.push_back(static_cast<TWinControl*>(c));
    // TabOrder is the position among the windowed siblings (the form walks Tab by it).
    for (TWinControl* w : windowed) {
        list.push_back(w);
        w->GetTabOrderList(list);
    }
}

LRESULT TWinControl::Broadcast(UINT msg, WPARAM wParam, LPARAM lParam) {
    std::vector<TControl*> children = controls_; // a handler may add or remove controls
    for (TControl* c : children) {
        if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
        if (LRESULT r = c->Perform(msg, wParam, lParam)) return r;
    }
    return 0;
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!c->IsGraphic() || !c->Visible() || (!allowDisabled && !c->Enabled())) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::SetFocus() {
    // A form that is not on screen yet remembers the control and focuses it when shown.
    TCustomForm* form = GetParentForm(this);
    if (form && form != this) {
        if (!form->Showing()) {
            form->SetActiveControl(this);
            return;
        }
        form->SetActiveControl(this);
        return;
    }
    if (HWND wnd = Handle()) ::SetFocus(wnd);
}

bool TWinControl::Focused() const {
    return handle_ && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetTabStop(bool v) {
    tabStop_ = v;
    if (handle_) UpdateWindowStyle(v ? WS_TABSTOP : 0, v ? 0 : WS_TABSTOP);
}

int TWinControl::TabOrder() const {
    if (!parent_) return -1;
    int i = 0;
    for (TControl* c : parent_->controls_) {
        if (c == this) return i;
        if (!c->IsGraphic()) ++i;
    }
    return -1;
}

void TWinControl::SetTabOrder(int v) {
    // Windowed siblings keep description order; the window z-order is the tab order.
    if (!parent_ || v < 0) return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    int windowed = 0;
    auto it = list.begin();
    for (; it != list.end(); ++it)
        if (!(*it)->IsGraphic() && windowed++ == v) break;
    list.insert(it, this);
}

void TWinControl::UpdateWindowStyle(DWORD add, DWORD remove) {
    LONG style = GetWindowLongW(handle_, GWL_STYLE);
    SetWindowLongW(handle_, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    anchorRight_ = anchorBottom_ = -1;
    if (handle_)
        SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
    if (resized) AlignControls();
    BoundsChanged();
    RequestAlign();
}

RECT TWinControl::ClientRect() const {
    RECT r{0, 0, width_, height_};
    if (handle_) GetClientRect(handle_, &r);
    return r;
}

bool TWinControl::Showing() const {
    if (handle_) return IsWindowVisible(handle_) != FALSE;
    return TControl::Showing();
}

std::string TWinControl::GetText() const {
    if (!handle_) return text_;
    int n = GetWindowTextLengthW(handle_);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(handle_, w.data(), n + 1);
    w.resize(static_cast<size_t>(std::max(n, 0)));
    return Narrow(w);
}

void TWinControl::SetText(const std::string& v) {
    text_ = v;
    if (handle_) {
        SetWindowTextW(handle_, Widen(v).c_str());
        if (PaintsOwnWindow()) ::InvalidateRect(handle_, nullptr, FALSE);
    }
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::FontChanged() {
    if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    for (TControl* c : controls_) c->ParentFontChanged();
    TControl::FontChanged();
}

void TWinControl::ColorChanged() {
    for (TControl* c : controls_) c->ParentColorChanged();
    TControl::ColorChanged();
}

void TWinControl::VisibleChanged() {
    if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::EnabledChanged() {
    if (handle_) EnableWindow(handle_, Enabled());
}

void TWinControl::EnableAlign() {
    if (alignLock_ > 0 && --alignLock_ == 0 && alignPending_) AlignControls();
}

void TWinControl::AlignOne(TControl* c, RECT& rest) {
    int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
    switch (c->align_) {
    case alTop:
        l = rest.left;
        t = rest.top;
        w = rest.right - rest.left;
        rest.top += h;
        break;
    case alBottom:
        l = rest.left;
        w = rest.right - rest.left;
        t = rest.bottom - h;
        rest.bottom -= h;
        break;
    case alLeft:
        l = rest.left;
        t = rest.top;
        h = rest.bottom - rest.top;
        rest.left += w;
        break;
    case alRight:
        t = rest.top;
        h = rest.bottom - rest.top;
        l = rest.right - w;
        rest.right -= w;
        break;
    case alClient:
        l = rest.left;
        t = rest.top;
        w = rest.right - rest.left;
        h = rest.bottom - rest.top;
        break;
    default:
        return;
    }
    int keepRight = c->anchorRight_, keepBottom = c->anchorBottom_;
    c->SetBounds(l, t, w, h);
    c->anchorRight_ = keepRight;
    c->anchorBottom_ = keepBottom;
}

void TWinControl::AlignControls() {
    if (alignLock_ > 0 || IsLoading()) {
        alignPending_ = true;
        return;
    }
    alignPending_ = false;
    RECT client = ClientRect();
    if (client.right <= 0 && client.bottom <= 0 && !handle_) return;
    ++alignLock_;
    RECT rest = client;
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient})
        for (TControl* c : controls_)
            if (c->align_ == pass && c->Visible()) AlignOne(c, rest);
    for (TControl* c : controls_) {
        if (c->align_ != alNone) continue;
        TAnchors a = c->anchors_;
        if (!(a & (akRight | akBottom))) continue;
        if (c->anchorRight_ < 0 || c->anchorBottom_ < 0) {
            if (!handle_) continue; // no real client area yet
            c->anchorRight_ = client.right - (c->left_ + c->width_);
            c->anchorBottom_ = client.bottom - (c->top_ + c->height_);
            continue;
        }
        int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
        if (a & akRight) {
            if (a & akLeft)
                w = client.right - c->anchorRight_ - l;
            else
                l = client.right - c->anchorRight_ - w;
        }
        if (a & akBottom) {
            if (a & akTop)
                h = client.bottom - c->anchorBottom_ - t;
            else
                t = client.bottom - c->anchorBottom_ - h;
        }
        int keepRight = c->anchorRight_, keepBottom = c->anchorBottom_;
        c->SetBounds(l, t, w, h);
        c->anchorRight_ = keepRight;
        c->anchorBottom_ = keepBottom;
    }
    --alignLock_;
}

// ---------------------------------------------------------------- TCustomControl

const TClassInfo& TCustomControl::StaticClass() {
    static const TClassInfo info{"TCustomControl", &TWinControl::StaticClass(), {}, {}};
    return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindow(HDC dc) {
    TWinControl::PaintWindow(dc);
    canvas_.SetHandle(dc);
    canvas_.Font().Assign(Font());
    try {
        Paint();
    } catch (...) {
        canvas_.SetHandle(nullptr);
        throw;
    }
    canvas_.SetHandle(nullptr);
}
