#include "skin/controls/skin_edits.h"

#include "skin/controls/skin_updown.h"
#include "skin/data/skin_data.h"
#include "skin/form/primitives.h"
#include "skin/form/skin_messages.h"
#include "toolkit/handles.h"

namespace {

void FrameColour(HDC dc, const RECT& r, COLORREF colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    FrameRect(dc, &r, brush.get());
}

// The client area is smaller than the window: the control has a border to draw over.
bool HasBorder(HWND wnd, const RECT& r, int slack = 0) {
    RECT c;
    if (!GetClientRect(wnd, &c)) return false;
    return c.right + slack < r.right - r.left && c.bottom + slack < r.bottom - r.top;
}

} // namespace

// ---------------------------------------------------------------- edits

TSkinEdit::~TSkinEdit() = default;

void TSkinEdit::AttachControl(TWinSkinForm* form, TSkinData* data, bool, TCanvas* canvas) {
    TSkinControl::AttachControl(form, data, false, canvas);
}

void TSkinEdit::AttachSpin() {
    if (!data_ || !(data_->SkinControls & (std::uint32_t{1} << xcSpin))) return;
    if (upDown_ && upDown_->Stage() != 6) return;
    HWND spin = FindSpinChild(Handle(), true);
    if (!spin) return;
    // Listed with no form: the edit's object owns it and passes skin changes on.
    upDown_.reset(new TSkinUpDown(nullptr));
    upDown_->SetEditSpin(true);
    upDown_->AttachWindow(spin, data_, nullptr, canvas_);
    if (!upDown_->Attached()) upDown_.reset();
}

void TSkinEdit::SetupSkin() {
    TSkinControl::SetupSkin();
    if (upDown_ && upDown_->Stage() != 6)
        upDown_->SkinChanged();
    else
        upDown_.reset(); // the next paint finds the new window's spin
}

void TSkinEdit::RestoreControl() {
    upDown_.reset();
    TSkinControl::RestoreControl();
}

void TSkinEdit::DrawControl(HDC dc, const RECT& r) {
    if (!data_) return;
    AttachSpin();
    HWND wnd = Handle();
    if (!HasBorder(wnd, r)) return;
    RECT f = r;
    FrameColour(dc, f, ColorToRGB(data_->ButtonShadowColor));
    InflateRect(&f, -1, -1);
    FrameColour(dc, f, RGB(255, 255, 255));
    InflateRect(&f, -1, -1);
    FrameColour(dc, f, RGB(255, 255, 255));
}

void TSkinEdit::PrintClientFrame(HDC dc) {
    HWND wnd = Handle();
    RECT w;
    if (!data_ || !GetWindowRect(wnd, &w)) return;
    const RECT r = {0, 0, w.right - w.left, w.bottom - w.top};
    if (!HasBorder(wnd, r, 2)) return;
    const bool own = dc == nullptr;
    if (own) dc = GetWindowDC(wnd);
    if (!dc) return;
    {
        // Where the caller put the origin and within the caller's clip: the edit's own
        // printing has had its changes to the DC undone by now.
        SavedDc saved(dc);
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        FrameRect(dc, &inner, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
        FrameColour(dc, r, ColorToRGB(data_->ButtonShadowColor));
    }
    if (own) ReleaseDC(wnd, dc);
}

bool TSkinEdit::BeforeMessage(TMessage& m) {
    if (m.Msg != WM_PRINTCLIENT || !m.WParam) return TSkinControl::BeforeMessage(m);
    // The edit's printing may leave its clip and origin in the DC: they go with it.
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    const int state = SaveDC(dc);
    std::shared_ptr<bool> alive = alive_;
    CallPrevious(m);
    if (state) RestoreDC(dc, state);
    if (*alive) PrintClientFrame(dc);
    return false;
}

void TSkinEdit::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
        PaintWindow(reinterpret_cast<HDC>(m.WParam));
        break;
    // The system's border comes back with every non-client paint.
    case WM_NCPAINT:
        PaintWindow(nullptr);
        break;
    case WM_PRINTCLIENT:
        PrintClientFrame(reinterpret_cast<HDC>(m.WParam));
        break;
    case CN_SKIN_PAINTCLIENT:
        if (m.LParam != kSkinMagic) break;
        if (m.WParam) {
            TMessage paint{WM_PAINT, m.WParam, 0, 0};
            CallPrevious(paint);
        }
        m.Result = kSkinMagic;
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

// ---------------------------------------------------------------- date-time pickers

const TClassInfo& TArrowButton::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TArrowButton>("TArrowButton", TCustomControl::StaticClass()).Build();
    return info;
}

TArrowButton::TArrowButton(TSkinDateTime& skin, TWinControl& picker)
    : TCustomControl(nullptr), size_(GetSystemMetrics(SM_CXHSCROLL)), picker_(picker), skin_(skin) {
    SetTabStop(false);
    SetParent(&picker);
    Place();
}

void TArrowButton::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    // The picker hears of the click as of one on its own button, not of a child's.
    p.ExStyle |= WS_EX_NOPARENTNOTIFY;
}

void TArrowButton::Place() {
    // Over the picker's own button, which sits at the right edge whatever the scroll-bar side.
    SetBounds(picker_.Width() - size_ - 4, 0, size_, size_ + 1);
}

void TArrowButton::Paint() {
    HDC dc = Canvas().Handle();
    const RECT r = {0, 0, Width(), Height()};
    TSkinData* data = skin_.SkinData();
    TSkinControl::FillColour(dc, r, data ? data->ButtonFaceColor : clBtnFace);
    // The arrow strip is cut from the combo button; a skin without one keeps the strip of an
    // earlier skin, which is not this skin's look.
    if (!data || !data->ComboButton || !data->ComboxArrow || !data->ComboxArrow->Bitmap ||
        data->ComboxArrow->Bitmap->Empty())
        return;
    const TDataSkinObject& arrow = *data->ComboxArrow;
    const int frames = arrow.FrameCount > 0 ? arrow.FrameCount : 1;
    skin::DrawFrame(dc, r, *arrow.Bitmap, true, frames, Hot() && frames >= 4 ? 4 : 1);
}

void TArrowButton::WndProc(TMessage& m) {
    switch (m.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (IsWindowEnabled(picker_.WindowHandle())) {
            state_ = m.Msg == CM_MOUSEENTER ? (state_ | 1) : (state_ & ~1);
            Invalidate();
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
        TCustomControl::WndProc(m);
        // The picker hears the press and the release when they happen, at the middle of its
        // own button wherever they fell on ours: it opens its calendar as if its own button
        // had been clicked.
        RECT client{};
        GetClientRect(picker_.WindowHandle(), &client);
        const int x = client.right - size_ / 2 - 1;
        const int y = (client.top + client.bottom) / 2;
        PostMessageW(picker_.WindowHandle(), m.Msg, m.WParam, MAKELPARAM(x, y));
        if (m.Msg == WM_LBUTTONDOWN) {
            Invalidate();
            return;
        }
        // The picker took the focus with the press and its calendar may have it now: only a
        // focus left on this button goes back to the picker.
        if (GetFocus() == WindowHandle()) picker_.SetFocus();
        return;
    }
    default:
        break;
    }
    TCustomControl::WndProc(m);
}

TSkinDateTime::~TSkinDateTime() {
    arrow_.reset();
}

void TSkinDateTime::AttachControl(TWinSkinForm* form, TSkinData* data, bool, TCanvas* canvas) {
    TSkinControl::AttachControl(form, data, false, canvas);
}

void TSkinDateTime::SetupSkin() {
    TSkinControl::SetupSkin();
    auto* picker = dynamic_cast<TWinControl*>(control_);
    HWND wnd = picker ? picker->WindowHandle() : nullptr;
    if (!wnd) return;
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    const bool upDown = (style & DTS_UPDOWN) != 0;
    if (!skinning_ || upDown) {
        arrow_.reset();
        if (clipChildrenAdded_ && (style & WS_CLIPCHILDREN))
            SetWindowLongPtrW(wnd, GWL_STYLE, style & ~WS_CLIPCHILDREN);
        clipChildrenAdded_ = false;
    } else {
        if (!(style & WS_CLIPCHILDREN)) {
            SetWindowLongPtrW(wnd, GWL_STYLE, style | WS_CLIPCHILDREN);
            clipChildrenAdded_ = true;
        }
        if (!arrow_) {
            arrow_ = std::make_unique<TArrowButton>(*this, *picker);
            arrow_->Show();
        }
        arrow_->Place();
    }
    HWND spin = skinning_ && upDown ? FindSpinChild(wnd, false) : nullptr;
    if (upDown_ && (upDown_->Handle() != spin || upDown_->Stage() == 6)) upDown_.reset();
    if (upDown_) {
        upDown_->SkinChanged();
    } else if (spin) {
        // Listed with no form: this object owns it.
        upDown_.reset(new TSkinUpDown(nullptr));
        upDown_->AttachWindow(spin, data_, nullptr, canvas_);
        if (!upDown_->Attached()) upDown_.reset();
    }
}

void TSkinDateTime::RestoreControl() {
    arrow_.reset();
    upDown_.reset();
    if (auto* picker = dynamic_cast<TWinControl*>(control_); picker && clipChildrenAdded_) {
        HWND wnd = picker->WindowHandle();
        if (wnd && IsWindow(wnd))
            SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~WS_CLIPCHILDREN);
    }
    clipChildrenAdded_ = false;
    TSkinControl::RestoreControl();
}

void TSkinDateTime::DrawControl(HDC dc, const RECT& r) {
    if (!data_ || !HasBorder(Handle(), r)) return;
    RECT f = r;
    FrameColour(dc, f, ColorToRGB(data_->ButtonShadowColor));
    InflateRect(&f, -1, -1);
    FrameColour(dc, f, RGB(255, 255, 255));
}

void TSkinDateTime::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_NCPAINT:
        PaintWindow(nullptr);
        break;
    case WM_SIZE:
        if (arrow_) arrow_->Place();
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}
