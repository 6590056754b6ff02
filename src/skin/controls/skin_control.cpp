#include "skin/controls/skin_control.h"

#include "skin/form/primitives.h"
#include "skin/form/skin_messages.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/handles.h"
#include "skin/data/skin_shared.h"
#include "toolkit/win_text.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

namespace {

skin::SliceMargins MarginsOf(const TDataSkinObject& e) {
    return {e.Margins.Left, e.Margins.Top, e.Margins.Right, e.Margins.Bottom};
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

TSkinControl::TSkinControl(TComponent* owner) : TComponent(owner) {}

TSkinControl::~TSkinControl() {
    *alive_ = false;
    *freed_ = true;
    // Restoring is the ender's (EndSkinObject): a virtual call from here reaches only the base.
    Detach();
    if (form_) form_->UnregisterControl(this);
}

void EndSkinObject(TComponent* object) {
    if (!object) return;
    if (auto* s = dynamic_cast<TSkinControl*>(object)) {
        TControl* c = s->Control();
        if (s->Attached() && !(c && c->IsDestroying())) s->RestoreControl();
        if (s->InUse()) {
            s->Retire();
            return;
        }
    }
    delete object;
}

void TSkinControl::Retire() {
    *alive_ = false; // what runs on after a nested call sees the object as gone
    retired_ = true;
    active_ = false;
    // Still hooked, so a handler under way can hand its message on; the delete unhooks.
    if (form_) form_->UnregisterControl(this);
    form_ = nullptr;
}

void TSkinControl::Detach() {
    hook_.Remove();
    if (subclass_.Attached()) subclass_.Detach();
}

HWND TSkinControl::Handle() const {
    if (control_) {
        if (auto* w = dynamic_cast<TWinControl*>(control_)) return w->WindowHandle();
        if (control_->Parent()) return control_->Parent()->WindowHandle();
        return nullptr;
    }
    return handle_;
}

// ---------------------------------------------------------------- attaching

void TSkinControl::AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                                 TCanvas* canvas) {
    if (attached_) return;
    auto* control = dynamic_cast<TControl*>(Owner());
    if (!control) return;
    ownColor_ = ownColor;
    data_ = data;
    form_ = form;
    canvas_ = canvas;
    control_ = control;
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        handle_ = w->Handle();
        unicode_ = IsWindowUnicode(handle_) != FALSE;
    }
    hook_.Install(*control, [this](TMessage& m) { WindowProc(m); });
    if (form_) form_->RegisterControl(this);
    attached_ = true;
    stage_ = 1;
    SetupSkin();
    control->Invalidate();
}

void TSkinControl::SetupSkin() {
    skinning_ = data_ && CanSkin();
    if (skinning_)
        OwnColours();
    else
        GiveColoursBack();
}

void TSkinControl::OwnColours() {
    if (!ownColor_ || !control_ || !data_) return;
    AdjustParentBackground();
    if (!colourTaken_) savedColor_ = control_->Color();
    colourTaken_ = true;
    control_->SetColor(data_->ButtonFaceColor);
    if (parentBgChanged_) kind_ = 1;
}

void TSkinControl::AttachWindow(HWND wnd, TSkinData* data, TWinSkinForm* form, TCanvas* canvas) {
    if (attached_ || !IsWindow(wnd)) return;
    data_ = data;
    canvas_ = canvas;
    form_ = form;
    handle_ = wnd;
    enabled_ = true;
    kind_ = 0;
    if (form_) form_->RegisterControl(this);
    unicode_ = IsWindowUnicode(wnd) != FALSE;
    text_ = ReadCaption();
    subclass_.Attach(wnd, [this](TMessage& m) { WindowProc(m); });
    attached_ = true;
    stage_ = 1;
    SetupSkin();
    InvalidateRect(wnd, nullptr, TRUE);
}

void TSkinControl::AdjustParentBackground() {
    if (!control_ || !data_ || (data_->Options & SetBit(xoParentBackGround))) return;
    if (!HasProp("ParentBackground")) return;
    if (Lower(EnumProp("ParentBackground")) == "true") {
        parentBgChanged_ = true;
        SetProp("ParentBackground", "False");
    }
}

void TSkinControl::GiveColoursBack() {
    if (!ownColor_ || !control_) return;
    if (parentBgChanged_) {
        SetProp("ParentBackground", "True");
        parentBgChanged_ = false;
        if (kind_ == 1) kind_ = 0;
    }
    if (colourTaken_) control_->SetColor(savedColor_);
    colourTaken_ = false;
}

void TSkinControl::RestoreControl() {
    GiveColoursBack();
}

void TSkinControl::SkinChanged() {
    if (!attached_) return;
    SetupSkin();
    // Painted with its window once every control is set up, not one control at a time.
    if (paintTarget_)
        paintTarget_->Invalidate();
    else if (HWND wnd = Handle())
        InvalidateRect(wnd, nullptr, TRUE);
}

// ---------------------------------------------------------------- messages

void TSkinControl::CallPrevious(TMessage& m) {
    if (control_ || hook_.Installed())
        hook_.CallPrevious(m);
    else if (subclass_.Attached())
        subclass_.CallPrevious(m);
}

void TSkinControl::WindowProc(TMessage& m) {
    struct Depth {
        TSkinControl& s;
        std::shared_ptr<bool> freed; // the control going frees its objects, in use or not
        explicit Depth(TSkinControl& o) : s(o), freed(o.freed_) { ++s.depth_; }
        ~Depth() {
            if (!*freed && --s.depth_ == 0 && s.retired_) delete &s;
        }
    } depth(*this);
    if (retired_) {
        CallPrevious(m);
        return;
    }
    if (m.Msg == WM_SKIN_ACTIVE) {
        active_ = m.WParam > 0;
        m.Result = 0;
        if (active_) Repaint();
        return;
    }
    if (m.Msg == WM_CREATE && stage_ == 6 && control_ && !control_->IsDestroying()) {
        std::shared_ptr<bool> alive = alive_;
        CallPrevious(m);
        if (*alive) Reborn();
        return;
    }
    if (!active_) {
        CallPrevious(m);
        return;
    }
    // Nothing in this skin for the control: native, but still listed and still ended with it.
    if (!skinning_) {
        if (TSkinControl::BeforeMessage(m)) CallPrevious(m);
        return;
    }
    if (!BeforeMessage(m)) return;
    std::shared_ptr<bool> alive = alive_;
    CallPrevious(m);
    if (*alive) AfterMessage(m);
    // A foreign window has no toolkit to tell its controls that the mouse left them.
    if (*alive && m.Msg == WM_MOUSEMOVE && form_ && !form_->Form()) form_->MarkUnderMouse(this);
}

void TSkinControl::Reborn() {
    handle_ = Handle();
    if (handle_) unicode_ = IsWindowUnicode(handle_) != FALSE;
    stage_ = 1;
    active_ = true;
    SetupSkin();
    // The form checks whether the new window wants another family (a picker of another kind).
    if (form_ && form_->Handle && handle_)
        PostMessageW(form_->Handle, WM_SKIN_RESKIN_SCROLL, reinterpret_cast<WPARAM>(handle_), 0);
}

bool TSkinControl::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_NCDESTROY: {
        std::shared_ptr<bool> alive = alive_;
        CallPrevious(m);
        if (!*alive) return false;
        active_ = false;
        stage_ = 6;
        RestoreControl();
        return false;
    }
    case WM_SKIN_QUERY:
        m.Result = 1;
        return false;
    default:
        return true;
    }
}

void TSkinControl::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case CM_ENABLEDCHANGED:
        Repaint();
        break;
    case WM_PAINT:
        PaintWindow(reinterpret_cast<HDC>(m.WParam));
        break;
    default:
        break;
    }
}

void TSkinControl::TrackSpaceKey(const TMessage& m) {
    if (m.WParam != VK_SPACE) return;
    if (m.Msg == WM_KEYDOWN)
        state_ |= kSkinPressed;
    else
        state_ &= ~kSkinPressed;
    Repaint();
}

void TSkinControl::Repaint() {
    if (paintTarget_) {
        paintTarget_->Invalidate();
        return;
    }
    HWND wnd = Handle();
    if (!wnd) return;
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
}

void TSkinControl::PaintWindow(HDC dc) {
    HWND wnd = Handle();
    if (!wnd || !GetWindowRect(wnd, &windowRect_)) return;
    RECT r = {0, 0, windowRect_.right - windowRect_.left, windowRect_.bottom - windowRect_.top};
    try {
        if (dc) {
            DrawControl(dc, r);
        } else {
            HDC windowDc = GetWindowDC(wnd);
            if (!windowDc) return;
            try {
                DrawControl(windowDc, r);
            } catch (...) {
                ReleaseDC(wnd, windowDc);
                throw;
            }
            ReleaseDC(wnd, windowDc);
        }
    } catch (...) {
        // A drawing fault never reaches the control's message loop.
    }
}

void TSkinControl::PaintHandler(TMessage& m) {
    HWND wnd = Handle();
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    PAINTSTRUCT ps{};
    const bool own = dc == nullptr;
    if (own) dc = BeginPaint(wnd, &ps);
    m.Result = 0;
    if (!dc) return;
    try {
        GetWindowRect(wnd, &windowRect_);
        RECT r = {0, 0, windowRect_.right - windowRect_.left, windowRect_.bottom - windowRect_.top};
        DrawControl(dc, r);
    } catch (...) {
        if (own) EndPaint(wnd, &ps);
        throw;
    }
    if (own) EndPaint(wnd, &ps);
}

void TSkinControl::EraseHandler(TMessage& m) {
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (control_) {
        skin::PaintParentBackground(control_, dc);
    } else if (HWND wnd = Handle()) {
        RECT r;
        GetClientRect(wnd, &r);
        FillFace(dc, r);
    }
    m.Result = 1;
}

void TSkinControl::ForwardMouseDown(TMessage& m) {
    if (!control_) return;
    int x = static_cast<short>(LOWORD(m.LParam)), y = static_cast<short>(HIWORD(m.LParam));
    if (control_->Width() > 32768 || control_->Height() > 32768) {
        POINT p;
        GetCursorPos(&p);
        p = control_->ScreenToClient(p);
        x = p.x;
        y = p.y;
    }
    control_->MouseDown(mbLeft, KeysToShiftState(m.WParam), x, y);
}

// ---------------------------------------------------------------- properties

int TSkinControl::IntProp(std::string_view name) const {
    if (!control_) return -1;
    const TPropInfo* p = GetPropInfo(*control_, name);
    if (!p || p->Kind != TPropKind::Integer) return -1;
    return static_cast<int>(GetOrdProp(*control_, name));
}

std::string TSkinControl::EnumProp(std::string_view name) const {
    if (!control_) return {};
    const TPropInfo* p = GetPropInfo(*control_, name);
    if (!p || p->Kind != TPropKind::Enum) return {};
    return GetEnumProp(*control_, name);
}

std::wstring TSkinControl::WideProp(std::string_view name) const {
    if (!control_ || !GetPropInfo(*control_, name)) return {};
    return Widen(GetStrProp(*control_, name));
}

TPersistent* TSkinControl::ObjectProp(std::string_view name) const {
    return control_ ? GetObjectProp(*control_, name) : nullptr;
}

void TSkinControl::SetProp(std::string_view name, const std::string& value) {
    if (control_) SetStrProp(*control_, name, value);
}

bool TSkinControl::HasProp(std::string_view name) const {
    return control_ && IsPublishedProp(*control_, name);
}

std::wstring TSkinControl::ReadCaption() {
    if (control_ && HasProp("Caption")) return WideProp("Caption");
    HWND wnd = Handle();
    if (!wnd) return {};
    return skin::SkinWindowTextW(wnd);
}

HFONT TSkinControl::CaptionFont() const {
    if (control_) return control_->Font().Handle();
    return reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
}

TColor TSkinControl::FontColour() const {
    if (control_) return control_->Font().Color();
    return data_ ? data_->ButtonTextColor : clBtnText;
}

bool TSkinControl::Rtl() const {
    TControl* c = paintTarget_ ? paintTarget_ : control_;
    if (c) return c->UseRightToLeftReading();
    return (GetWindowLongPtrW(Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
}

UINT TSkinControl::RtlFlags() const {
    return Rtl() ? DT_RTLREADING : 0;
}

bool TSkinControl::WindowEnabled() const {
    if (paintTarget_) return paintTarget_->Enabled();
    return (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_DISABLED) == 0;
}

bool TSkinControl::IsTopLevel(HWND wnd) {
    return (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_POPUP) || GetParent(wnd) == GetDesktopWindow();
}

// ---------------------------------------------------------------- drawing

void TSkinControl::FillColour(HDC dc, const RECT& r, TColor colour) {
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(colour)));
    FillRect(dc, &r, brush.get());
}

void TSkinControl::FillFace(HDC dc, const RECT& r) const {
    FillColour(dc, r, data_ ? data_->ButtonFaceColor : clBtnFace);
}

void TSkinControl::FillParentColour(HDC dc, const RECT& r) const {
    if (control_ && control_->Parent())
        FillColour(dc, r, control_->Parent()->Color());
    else
        FillFace(dc, r);
}

void TSkinControl::DrawElement(HDC dc, const RECT& r, int count, int index,
                               const TDataSkinObject* element) {
    if (!element || !element->Bitmap || element->Bitmap->Empty()) return;
    if (r.right < r.left || r.bottom < r.top) return;
    skin::DrawNineSlice(dc, r, *element->Bitmap, false, element->Tile == 1, element->Trans == 1,
                        count, index, MarginsOf(*element));
}

void TSkinControl::DrawGlyphFrame(HDC dc, const RECT& r, int count, int index, TBitmap* strip) {
    if (!strip || strip->Empty() || r.right < r.left || r.bottom < r.top) return;
    skin::DrawFrame(dc, r, *strip, true, count, index);
}

void TSkinControl::DrawCaptionFocus(HDC dc, UINT flags, const RECT& r) const {
    RECT t = r;
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &t,
              flags | DT_CALCRECT | DT_NOCLIP);
    const int w = t.right - t.left, h = t.bottom - t.top;
    if (flags & DT_CENTER) {
        t.left = r.left + (r.right - r.left - w) / 2;
        t.top = r.top + (r.bottom - r.top - h) / 2;
    } else if (flags & DT_RIGHT) {
        t.left = r.right - w;
    }
    t.right = t.left + w;
    t.bottom = t.top + h;
    InflateRect(&t, 2, 1);
    RECT clipped;
    IntersectRect(&clipped, &t, &r);
    DrawFocusRect(dc, &clipped);
}

void TSkinControl::DrawCaption(HDC dc, const RECT& r, int alignment, bool enabled,
                               const std::wstring& text) const {
    const UINT align = alignment == 1 ? DT_CENTER : alignment == 2 ? DT_RIGHT : DT_LEFT;
    RECT m = r;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &m,
              align | DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | RtlFlags());
    const int h = m.bottom - m.top, w = m.right - m.left;
    RECT t = r;
    t.top = r.top + (r.bottom - r.top - h) / 2;
    t.bottom = t.top + h;
    if (alignment == 1) {
        t.left = r.left + (r.right - r.left - w) / 2;
        t.right = t.left + w;
    }
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour =
        enabled ? GetTextColor(dc) : SetTextColor(dc, ColorToRGB(clBtnShadow));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
              align | DT_EXPANDTABS | RtlFlags());
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

void TSkinControl::DrawCaptionCentred(HDC dc, const RECT& r, const std::wstring& text,
                                      int alignment, bool enabled) const {
    const UINT align = alignment == 1 ? DT_RIGHT : alignment == 2 ? DT_CENTER : DT_LEFT;
    RECT m = r;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &m,
              align | DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE | RtlFlags());
    const int w = m.right - m.left, h = m.bottom - m.top;
    RECT t;
    t.left = r.left + (r.right - r.left - w) / 2;
    t.top = r.top + (r.bottom - r.top - h) / 2;
    t.right = t.left + w;
    t.bottom = t.top + h;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour =
        enabled ? GetTextColor(dc) : SetTextColor(dc, ColorToRGB(clBtnShadow));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
              align | DT_EXPANDTABS | DT_SINGLELINE | RtlFlags());
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

void TSkinControl::DrawCaptionWithImage(HDC dc, const RECT& r, int alignment,
                                        const std::wstring& text, int imageIndex,
                                        HIMAGELIST images) const {
    int iw = 0, ih = 0;
    const bool icon = imageIndex != -1 && images && ImageList_GetIconSize(images, &iw, &ih) &&
                      iw < r.right - r.left;
    if (!icon) iw = ih = 0;
    RECT m = r;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &m,
              DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS | RtlFlags());
    const int tw = std::min<int>(m.right - m.left, r.right - r.left - iw);
    const int th = m.bottom - m.top;
    const int total = iw + tw;
    int x = alignment == 1   ? r.left + (r.right - r.left - total) / 2
            : alignment == 2 ? r.right - total - 2
                             : r.left + 3;
    x = std::max<int>(x, 1);
    if (icon) {
        ImageList_Draw(images, imageIndex, dc, x, r.top + (r.bottom - r.top - ih) / 2,
                       ILD_TRANSPARENT);
        x += iw;
    }
    RECT t = {x, r.top + (r.bottom - r.top - th) / 2, 0, 0};
    t.right = std::min<LONG>(x + tw, r.right);
    t.bottom = t.top + th;
    IntersectRect(&t, &t, &r);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour =
        WindowEnabled() ? GetTextColor(dc) : SetTextColor(dc, ColorToRGB(clBtnShadow));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
              DT_SINGLELINE | DT_EXPANDTABS | DT_END_ELLIPSIS | RtlFlags());
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}
