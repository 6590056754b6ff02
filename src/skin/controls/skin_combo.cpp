#include "skin/controls/skin_combo.h"

#include "skin/controls/skin_scrollbars.h"
#include "skin/data/skin_shared.h"
#include "skin/form/primitives.h"
#include "toolkit/handles.h"

#include <algorithm>

namespace {

skin::SliceMargins MarginsOf(const TDataSkinObject& e) {
    return {e.Margins.Left, e.Margins.Top, e.Margins.Right, e.Margins.Bottom};
}

bool HasImage(const TDataSkinObject* e) {
    return e && e->Bitmap && !e->Bitmap->Empty();
}

int Frames(const TDataSkinObject& e, int fallback) {
    return e.FrameCount > 0 ? e.FrameCount : fallback;
}

} // namespace

TSkinComBox::~TSkinComBox() {
    listBars_.reset();
    if (editSubclass_.Attached()) editSubclass_.Detach();
}

int TSkinComBox::StateFrame(bool pressed, bool focusedOrHot, bool enabled) {
    if (!enabled) return 3;
    if (pressed) return 2;
    return focusedOrHot ? 4 : 1;
}

void TSkinComBox::AttachControl(TWinSkinForm* form, TSkinData* data, bool, TCanvas* canvas) {
    // The text area keeps its own colour.
    TSkinControl::AttachControl(form, data, false, canvas);
}

void TSkinComBox::ReleaseChildren() {
    listBars_.reset();
    if (editSubclass_.Attached()) editSubclass_.Detach();
    editHandle_ = nullptr;
    listHandle_ = nullptr;
}

void TSkinComBox::SetupSkin() {
    TSkinControl::SetupSkin();
    // A new style or a new window brings a new edit and list: the old ones' hooks go first.
    ReleaseChildren();
    if (!skinning_) return;
    HWND wnd = Handle();
    style_ = GetWindowLongPtrW(wnd, GWL_STYLE);
    exStyle_ = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    const bool simple = (style_ & 3) == CBS_SIMPLE;
    COMBOBOXINFO info{};
    const bool haveInfo = skin::SkinComboBoxInfo(wnd, info);
    // The edit part repaints over the button's neighbourhood and takes the clicks that press
    // it; both must reach the frame.
    HWND edit = simple ? nullptr : haveInfo ? info.hwndItem : GetTopWindow(wnd);
    if (edit && edit != wnd && GetParent(edit) == wnd) {
        editHandle_ = edit;
        editSubclass_.Attach(edit, [this](TMessage& m) { EditMessage(m); });
    }
    if (!haveInfo || !info.hwndList) return;
    // A simple combo's list is a child window beside the edit; a drop-down's is a pop-up shown
    // while it is dropped. Both get their bars covered.
    if (simple) {
        if (!(GetWindowLongPtrW(info.hwndList, GWL_STYLE) & WS_CHILD)) return;
        listHandle_ = info.hwndList;
    }
    // Owned here, not listed with the form: it goes with the combo's object.
    listBars_.reset(new TSkinScrollbarH(nullptr));
    listBars_->AttachWindow(info.hwndList, data_, nullptr, canvas_);
    if (!listBars_->Attached()) listBars_.reset();
}

void TSkinComBox::EditMessage(TMessage& m) {
    std::shared_ptr<bool> alive = alive_;
    editSubclass_.CallPrevious(m);
    if (!*alive || !active_) return;
    switch (m.Msg) {
    case WM_PAINT:
        PaintWindow(nullptr);
        break;
    default:
        TrackPress(m.Msg);
        break;
    }
}

bool TSkinComBox::TrackPress(UINT msg) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)
        state_ |= kSkinPressed;
    else if (msg == WM_LBUTTONUP)
        state_ &= ~kSkinPressed;
    else
        return false;
    RepaintFrame();
    return true;
}

void TSkinComBox::RepaintFrame() {
    // Only the button changes with hot and pressed: nothing erased and only the button's
    // part painted again by the control, the frame then drawn over as after any paint.
    HWND wnd = Handle();
    if (!wnd) return;
    RECT button = buttonRect_;
    if (IsRectEmpty(&button))
        InvalidateRect(wnd, nullptr, FALSE);
    else
        InvalidateRect(wnd, &button, FALSE);
    UpdateWindow(wnd);
}

void TSkinComBox::RestoreControl() {
    ReleaseChildren();
    TSkinControl::RestoreControl();
}

bool TSkinComBox::SystemButtonPressed() const {
    COMBOBOXINFO info{};
    return skin::SkinComboBoxInfo(Handle(), info) && (info.stateButton & STATE_SYSTEM_PRESSED);
}

bool TSkinComBox::Focused() const {
    HWND focus = GetFocus();
    return focus && (focus == Handle() || (editHandle_ && focus == editHandle_));
}

void TSkinComBox::DrawControl(HDC dc, const RECT& r) {
    if (!data_ || !HasImage(data_->ComboButton.get())) return;
    const TDataSkinBorder& button = *data_->ComboButton;
    HWND wnd = Handle();
    style_ = GetWindowLongPtrW(wnd, GWL_STYLE);
    exStyle_ = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    COMBOBOXINFO info{};
    if (skin::SkinComboBoxInfo(wnd, info)) {
        info_ = info;
        buttonRect_ = info.rcButton;
        if (info.stateButton & STATE_SYSTEM_INVISIBLE) return;
    }
    const RECT rc = {0, 0, r.right - r.left, r.bottom - r.top};
    const bool enabled = (style_ & WS_DISABLED) == 0;
    const int state =
        StateFrame((state_ & kSkinPressed) != 0, Focused() || (state_ & kSkinHot), enabled);
    const bool left = (exStyle_ & WS_EX_LEFTSCROLLBAR) != 0;
    if (button.Style == 1) {
        DrawSimple(dc, rc, state, left);
        return;
    }
    const TDataSkinObject* sunk = HasImage(data_->SunkEdge.get()) ? data_->SunkEdge.get() : nullptr;
    if (button.Style == 2) {
        // With a left scroll bar the sunk edge holds the mirror of the whole strip: its
        // frames run backwards and its button sits at the left.
        const bool mirrored = left && sunk;
        const TDataSkinObject& whole = mirrored ? *sunk : button;
        const int frames = Frames(whole, 4);
        skin::DrawNineSlice(dc, rc, *whole.Bitmap, false, whole.Tile == 1, true, frames,
                            mirrored ? frames + 1 - state : state, MarginsOf(whole));
        if (mirrored && buttonRect_.left > rc.right / 2) {
            const RECT b = buttonRect_;
            buttonRect_ = {rc.right - b.right, b.top, rc.right - b.left, b.bottom};
        }
        return;
    }
    const int a = GetSystemMetrics(SM_CXHSCROLL);
    SavedDc saved(dc);
    RECT box, glyph;
    TBitmap* image;
    int frame = state;
    if (!left) {
        ExcludeClipRect(dc, 2, 2, rc.right - a - 4, rc.bottom - 2);
        box = {rc.right - a - 2, 0, rc.right, rc.bottom};
        glyph = box;
        glyph.right = rc.right - 2;
        image = button.Bitmap.get();
    } else {
        ExcludeClipRect(dc, a + 4, 2, rc.right - 2, rc.bottom - 2);
        box = {0, 0, a + 2, rc.bottom};
        glyph = {2, 0, a + 2, rc.bottom};
        // The mirrored strip holds the frames in reverse order.
        image =
            button.Bitmap2 && !button.Bitmap2->Empty() ? button.Bitmap2.get() : button.Bitmap.get();
        if (image == button.Bitmap2.get()) frame = Frames(button, 4) + 1 - state;
    }
    if (sunk) DrawElement(dc, rc, Frames(*sunk, 4), state, sunk);
    skin::DrawFrame(dc, box, *image, true, Frames(button, 4), frame);
    buttonRect_ = box;
    const TDataSkinObject* extra = data_->ExtraImages.get();
    if (HasImage(extra))
        skin::DrawFrameCentred(dc, glyph, *extra->Bitmap, true, Frames(*extra, 5), state);
}

void TSkinComBox::DrawSimple(HDC dc, const RECT& rc, int state, bool left) {
    const TDataSkinBorder& button = *data_->ComboButton;
    HBRUSH brush = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH));
    RECT inner = rc;
    InflateRect(&inner, -1, -1);
    FrameRect(dc, &inner, brush);
    InflateRect(&inner, -1, -1);
    const int column = GetSystemMetrics(SM_CYVTHUMB);
    RECT col = inner;
    if (left)
        col.right = col.left + column;
    else
        col.left = col.right - column;
    FillRect(dc, &col, brush);
    {
        UniqueBrush shadow(CreateSolidBrush(ColorToRGB(data_->ButtonShadowColor)));
        FrameRect(dc, &rc, shadow.get());
    }
    const int frames = Frames(button, 4);
    const int gw = button.Bitmap->Width() / frames, gh = button.Bitmap->Height();
    RECT glyph = col;
    if (left)
        glyph.right = glyph.left + gw;
    else
        glyph.left = glyph.right - gw;
    if (gh < column) {
        glyph.top = col.top + (col.bottom - col.top - gh) / 2;
        glyph.bottom = glyph.top + gh;
    }
    buttonRect_ = glyph;
    TBitmap* image = left && button.Bitmap2 && !button.Bitmap2->Empty() ? button.Bitmap2.get()
                                                                        : button.Bitmap.get();
    const int frame = image == button.Bitmap2.get() ? frames + 1 - state : state;
    skin::DrawFrame(dc, glyph, *image, true, frames, frame);
}

void TSkinComBox::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        break;
    case WM_CAPTURECHANGED:
        // The list took the mouse, or the press ended elsewhere: the press is over.
        if (state_ & kSkinPressed) {
            state_ &= ~kSkinPressed;
            RepaintFrame();
        }
        break;
    case WM_MOUSEMOVE: {
        // A press on the button pops up as the system's does when the mouse leaves it, and
        // does not come back when the mouse returns while the list shows.
        if ((state_ & kSkinPressed) && !SystemButtonPressed()) {
            state_ &= ~kSkinPressed;
            RepaintFrame();
        }
        const POINT p = {static_cast<short>(LOWORD(m.LParam)),
                         static_cast<short>(HIWORD(m.LParam))};
        const bool inside = PtInRect(&buttonRect_, p) != FALSE;
        const bool enabled = (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_DISABLED) == 0;
        if ((state_ & kSkinHot) && (!inside || !enabled)) {
            state_ &= ~kSkinHot;
            RepaintFrame();
        } else if (!(state_ & kSkinHot) && inside && enabled) {
            state_ |= kSkinHot;
            skin::SkinTrackMouseLeave(Handle());
            RepaintFrame();
        }
        break;
    }
    case WM_DRAWITEM:
    case WM_NCPAINT:
        Repaint();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        TrackPress(m.Msg);
        break;
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
        if (state_ & kSkinHot) {
            state_ &= ~kSkinHot;
            RepaintFrame();
        }
        break;
    case CN_COMMAND:
        if (HIWORD(m.WParam) == CBN_DROPDOWN) {
            droppedDown_ = true;
            if (data_) data_->NotifyEvent(control_, "CBN_DROPDOWN");
        } else if (HIWORD(m.WParam) == CBN_CLOSEUP) {
            droppedDown_ = false;
            if (data_) data_->NotifyEvent(control_, "CBN_DROPUP");
        }
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}
