#include "skin/controls/skin_buttons.h"

#include "skin/data/image_utils_win.h"
#include "skin/data/skin_shared.h"
#include "skin/form/primitives.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/handles.h"
#include "toolkit/imglist.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool TransparentFor(TSkinControl& object, TSkinData* data) {
    return (object.Control() && object.Control()->Tag() == 5555) ||
           (data && (data->Options & SetBit(xoTransparent)));
}

// Division that rounds down for negative values too.
int FloorDiv(int a, int b) {
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

} // namespace

// ---------------------------------------------------------------- push button

void TSkinButton::SetupSkin() {
    TSkinControl::SetupSkin();
    kind_ = 0;
    if (control_) {
        const std::string cls = Lower(control_->ClassName());
        if (cls.rfind("trz", 0) == 0 || cls.rfind("tel", 0) == 0) kind_ = 1;
    }
    transparent_ = TransparentFor(*this, data_);
}

bool TSkinButton::HasButtonImage() const {
    return data_ && data_->Button && data_->Button->Bitmap && !data_->Button->Bitmap->Empty();
}

void TSkinButton::Click() {
    if (control_) {
        control_->Click();
        return;
    }
    HWND wnd = Handle();
    wchar_t cls[64] = {};
    GetClassNameW(wnd, cls, 64);
    const bool toolkitButton = _wcsicmp(cls, L"tbutton") == 0;
    PostMessageW(GetParent(wnd), WM_COMMAND, toolkitButton ? 0 : GetDlgCtrlID(wnd),
                 reinterpret_cast<LPARAM>(wnd));
}

bool TSkinButton::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
        PaintHandler(m);
        return false;
    case WM_ERASEBKGND:
        m.Result = 1;
        return false;
    case WM_TIMER: {
        // Only the engine's own timer; the control's timers are its own business.
        if (m.WParam != 1 || !styleHidden_) return TSkinControl::BeforeMessage(m);
        HWND wnd = Handle();
        KillTimer(wnd, 1);
        LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
        if (styleHidden_) {
            styleHidden_ = false;
            style |= WS_VISIBLE;
        }
        SetWindowLongPtrW(wnd, GWL_STYLE, style);
        m.Result = 0;
        return false;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        HWND wnd = Handle();
        if (GetFocus() != wnd) SetFocus(wnd);
        // The system button captures the mouse, so a drag off and back still clicks and a
        // release over another window does not.
        if (wnd && !paintTarget_) {
            SetCapture(wnd);
            tracking_ = GetCapture() == wnd;
        }
        state_ |= kSkinPressed;
        PaintWindow(nullptr);
        m.Result = 0;
        if (kind_ == 0 && control_) ForwardMouseDown(m);
        return false;
    }
    default:
        return TSkinControl::BeforeMessage(m);
    }
}

void TSkinButton::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_SETTEXT:
        PaintWindow(nullptr);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        TrackSpaceKey(m);
        break;
    case WM_MOUSEMOVE:
        if (tracking_) {
            // Pressed while over the button, as the system button shows it.
            const int over = PointInClient(m.LParam) ? kSkinPressed | kSkinHot : 0;
            if ((state_ & (kSkinPressed | kSkinHot)) != over) {
                state_ = (state_ & ~(kSkinPressed | kSkinHot)) | over;
                Repaint();
            }
        } else if (WindowEnabled() && !(state_ & kSkinHot)) {
            state_ |= kSkinHot;
            Repaint();
        }
        skin::SkinTrackMouseLeave(Handle());
        break;
    case WM_LBUTTONUP: {
        const bool click = (state_ & kSkinPressed) && (!tracking_ || PointInClient(m.LParam));
        EndTracking();
        if (state_ & kSkinPressed) {
            state_ &= ~kSkinPressed;
            Repaint();
        }
        if (click) Click(); // last: the click may free this object
        break;
    }
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
        // While the button holds the mouse it stays pressed for a return.
        state_ &= tracking_ ? ~kSkinHot : ~(kSkinHot | kSkinPressed);
        Repaint();
        break;
    case WM_CAPTURECHANGED:
        if (tracking_ && reinterpret_cast<HWND>(m.LParam) != Handle()) {
            tracking_ = false;
            state_ &= ~kSkinPressed;
            Repaint();
        }
        break;
    case WM_KILLFOCUS:
        // A press by mouse or space bar ends with the focus.
        EndTracking();
        state_ &= ~kSkinPressed;
        TSkinControl::AfterMessage(m);
        break;
    // The system button paints these states straight onto the window.
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case WM_UPDATEUISTATE:
    case CM_DIALOGKEY:
    case CM_FOCUSCHANGED:
        Repaint();
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

bool TSkinButton::PointInClient(LPARAM lParam) const {
    RECT client{};
    GetClientRect(Handle(), &client);
    const POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return PtInRect(&client, p) != FALSE;
}

void TSkinButton::EndTracking() {
    if (!tracking_) return;
    tracking_ = false; // before the release, whose WM_CAPTURECHANGED then finds nothing to do
    if (GetCapture() == Handle()) ReleaseCapture();
}

void TSkinButton::DrawFocusAround(HDC dc, const RECT& text) const {
    if (!focused_ || (data_->Options & SetBit(xoNoFocusRect))) return;
    RECT f = text;
    InflateRect(&f, 2, 2);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &f);
}

int TSkinButton::FrameFor() const {
    int frame = kFrameNormal;
    if (focused_) frame = kFrameFocused;
    if (state_ & kSkinPressed)
        frame = kFramePressed;
    else if (state_ & kSkinHot)
        frame = kFrameHot;
    if (!enabled_) frame = kFrameDisabled;
    return frame;
}

std::wstring TSkinButton::SplitCaption(std::wstring caption) {
    const size_t at = caption.find(L"||");
    if (at != std::wstring::npos) caption.replace(at, 2, L"\r\n");
    return caption;
}

void TSkinButton::DrawBackground(HDC dc, const RECT& r, int frame) {
    if (transparent_) {
        if (control_)
            skin::PaintParentBackground(control_, dc);
        else
            skin::PaintParentBackground(Handle(), dc);
    } else {
        FillFace(dc, r);
    }
    if (frame > 0) DrawElement(dc, r, data_->Button->FrameCount, frame, data_->Button.get());
}

HGDIOBJ TSkinButton::SelectCaptionFont(HDC dc, int frame) {
    HGDIOBJ old = SelectObject(dc, CaptionFont());
    TColor colour = control_ ? control_->Font().Color() : data_->ButtonTextColor;
    const TDataSkinButton& b = *data_->Button;
    if (frame == kFrameNormal && b.HasNormalColour2) colour = b.NormalColour2;
    if (frame == kFrameHot && b.HasMouseOverColour2) colour = b.MouseOverColour2;
    if (frame == kFramePressed && b.HasPressedColour2) colour = b.PressedColour2;
    if (frame == kFrameDisabled) colour = clBtnShadow;
    SetTextColor(dc, ColorToRGB(colour));
    SetBkMode(dc, TRANSPARENT);
    return old;
}

void TSkinButton::DrawControl(HDC dc, const RECT& r) {
    if (!HasButtonImage()) return;
    focused_ = HasFocus();
    enabled_ = WindowEnabled();
    text_ = ReadCaption();
    const int frame = FrameFor();
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    if (buffer_.Width() != w || buffer_.Height() != h) buffer_.SetSize(w, h);
    HDC b = buffer_.Canvas().Handle();
    const RECT all = {0, 0, w, h};
    DrawBackground(b, all, frame);
    HGDIOBJ oldFont = SelectCaptionFont(b, frame);
    const std::wstring caption = SplitCaption(text_);
    const UINT rtl = RtlFlags();
    RECT t = {2, 2, w - 2, h - 2};
    DrawTextW(b, caption.c_str(), static_cast<int>(caption.size()), &t,
              DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER | rtl);
    const int tw = t.right - t.left, th = t.bottom - t.top;
    t.left = (w - tw) / 2;
    t.top = (h - th) / 2;
    t.right = t.left + tw;
    t.bottom = t.top + th;
    DrawTextW(b, caption.c_str(), static_cast<int>(caption.size()), &t,
              DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER | rtl);
    DrawFocusAround(b, t);
    SelectObject(b, oldFont);
    BitBlt(dc, r.left, r.top, w, h, b, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------- bit button

void TSkinBitButton::StateFor(int& frame, int& glyphImage) {
    focused_ = HasFocus();
    enabled_ = WindowEnabled();
    frame = FrameFor();
    glyphImage = !enabled_ ? 2 : (state_ & kSkinPressed) ? 3 : 1;
}

void TSkinBitButton::DrawControl(HDC dc, const RECT& r) {
    if (!HasButtonImage()) return;
    text_ = ReadCaption();
    int frame = kFrameNormal, glyphImage = 1;
    StateFor(frame, glyphImage);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    if (buffer_.Width() != w || buffer_.Height() != h) buffer_.SetSize(w, h);
    HDC b = buffer_.Canvas().Handle();
    const RECT all = {0, 0, w, h};
    DrawBackground(b, all, frame);
    HGDIOBJ oldFont = SelectCaptionFont(b, frame > 0 ? frame : kFrameNormal);
    if (!enabled_) SetTextColor(b, ColorToRGB(clBtnShadow));
    DrawGlyphAndCaption(b, all, frame, glyphImage);
    SelectObject(b, oldFont);
    BitBlt(dc, r.left, r.top, w, h, b, 0, 0, SRCCOPY);
}

void TSkinBitButton::DrawGlyphAndCaption(HDC b, const RECT& all, int frame, int glyphImage) {
    const int w = all.right, h = all.bottom;
    const std::string layoutName = Lower(EnumProp("Layout"));
    enum { left, right, top, bottom } layout = left;
    if (layoutName == "blglyphright") layout = right;
    if (layoutName == "blglyphtop") layout = top;
    if (layoutName == "blglyphbottom") layout = bottom;
    const bool horizontal = layout == left || layout == right;

    auto* glyph = dynamic_cast<TBitmap*>(ObjectProp("Glyph"));
    auto* images = dynamic_cast<TImageList*>(ObjectProp("Images"));
    TPersistent* graphic = GlyphProperty.empty() ? nullptr : ObjectProp(GlyphProperty);
    auto* graphicBitmap = dynamic_cast<TBitmap*>(graphic);
    int numGlyphs = std::max(1, IntProp("NumGlyphs"));
    const int imageIndex = IntProp("ImageIndex");
    SIZE gs = {0, 0};
    if (graphicBitmap && !graphicBitmap->Empty())
        gs = {graphicBitmap->Width(), graphicBitmap->Height()};
    else if (glyph && !glyph->Empty())
        gs = {glyph->Width() / numGlyphs, glyph->Height()};
    else if (images && imageIndex != -1)
        gs = {images->Width(), images->Height()};

    // A speed button without a glyph draws its caption as a push button does.
    if (SpeedRules() && gs.cx == 0) {
        const std::wstring caption = SplitCaption(text_);
        RECT t = {2, 2, w - 2, h - 2};
        DrawTextW(b, caption.c_str(), static_cast<int>(caption.size()), &t,
                  DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER | RtlFlags());
        const int tw = t.right - t.left, th = t.bottom - t.top;
        t = {(w - tw) / 2, (h - th) / 2, (w - tw) / 2 + tw, (h - th) / 2 + th};
        DrawTextW(b, caption.c_str(), static_cast<int>(caption.size()), &t,
                  DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER | RtlFlags());
        return;
    }

    SIZE ts = {0, 0};
    if (!text_.empty()) {
        RECT t = {2, 2, w - 2, h - 2};
        if (horizontal)
            t.right -= gs.cx + 2;
        else
            t.bottom -= gs.cy + 2;
        DrawTextW(b, text_.c_str(), static_cast<int>(text_.size()), &t,
                  DT_CALCRECT | DT_WORDBREAK | RtlFlags());
        ts = {t.right - t.left, t.bottom - t.top};
    }
    const int extent = horizontal ? w : h;
    const int cross = horizontal ? h : w;
    const int glyphMain = horizontal ? gs.cx : gs.cy, textMain = horizontal ? ts.cx : ts.cy;
    const int glyphCross = FloorDiv(cross - (horizontal ? gs.cy : gs.cx) + 1, 2);
    const int textCross = FloorDiv(cross - (horizontal ? ts.cy : ts.cx) + 1, 2);
    int margin = IntProp("Margin"), spacing = IntProp("Spacing");
    if (gs.cx == 0 || ts.cx == 0) spacing = 0;
    if (margin == -1 || Lower(EnumProp("Alignment")) == "tacenter") {
        if (spacing == -1) {
            margin = (extent - glyphMain - textMain) / 3;
            spacing = margin;
        } else {
            margin = (extent - glyphMain - spacing - textMain) / 2 + (SpeedRules() ? 1 : 0);
        }
    } else if (spacing == -1) {
        spacing = (extent - margin - glyphMain - textMain) / 2;
    }
    int glyphAt = margin, textAt = margin + glyphMain + spacing;
    UINT format = DT_WORDBREAK;
    if (layout == right || layout == bottom) {
        glyphAt = extent - margin - glyphMain;
        textAt = glyphAt - spacing - textMain;
    }
    if (layout == right) format |= DT_RIGHT;
    if (layout == top || layout == bottom) format |= DT_CENTER;
    const POINT gp = horizontal ? POINT{glyphAt, glyphCross} : POINT{glyphCross, glyphAt};
    const POINT tp = horizontal ? POINT{textAt, textCross} : POINT{textCross, textAt};

    if (gs.cx > 0 && gs.cy > 0) {
        // An empty graphic leaves the Glyph to show.
        if (graphicBitmap && !graphicBitmap->Empty()) {
            TCanvas c(b);
            c.Draw(gp.x, gp.y, *graphicBitmap);
        } else if (glyph && !glyph->Empty()) {
            const int image = glyphImage > numGlyphs ? 1 : glyphImage;
            TBitmap piece(gs.cx, gs.cy);
            BitBlt(piece.Canvas().Handle(), 0, 0, gs.cx, gs.cy, glyph->Canvas().Handle(),
                   (image - 1) * gs.cx, 0, SRCCOPY);
            TColor key = glyph->TransparentColor();
            // Disabled is grey, the glyph's own disabled image as much as the first; the key
            // colour goes through the same mean, so it stays the key.
            if (glyphImage == 2) {
                skin::GreyScale(piece);
                TBitmap one(1, 1);
                one.SetPixel(0, 0, key);
                skin::GreyScale(one);
                key = one.Pixel(0, 0);
            }
            skin::DrawKeyed(b, {gp.x, gp.y, gp.x + gs.cx, gp.y + gs.cy}, piece, key);
        } else if (images) {
            const int disabledIndex = IntProp("DisabledIndex");
            const int index =
                enabled_ ? imageIndex : (disabledIndex != -1 ? disabledIndex : imageIndex);
            ImageList_Draw(images->Handle(), index, b, gp.x, gp.y, ILD_TRANSPARENT);
        }
    }
    if (ts.cx > 0) {
        RECT t = {tp.x, tp.y, tp.x + ts.cx, tp.y + ts.cy};
        DrawTextW(b, text_.c_str(), static_cast<int>(text_.size()), &t, format | RtlFlags());
    }
    if (!SpeedRules() && focused_ && !(data_->Options & SetBit(xoNoFocusRect))) {
        RECT f = {2, 2, w - 2, h - 2};
        if (ts.cx > 0) {
            f = {tp.x, tp.y, tp.x + ts.cx, tp.y + ts.cy};
            InflateRect(&f, 2, 2);
        }
        SetTextColor(b, RGB(0, 0, 0));
        SetBkColor(b, RGB(255, 255, 255));
        DrawFocusRect(b, &f);
    }
    (void)frame;
}

// ---------------------------------------------------------------- menu button

void TSkinMenuButton::DrawControl(HDC dc, const RECT& r) {
    if (!HasButtonImage()) return;
    focused_ = HasFocus();
    enabled_ = WindowEnabled();
    text_ = ReadCaption();
    int frame = kFrameNormal;
    if (state_ & kSkinPressed)
        frame = kFramePressed;
    else if (focused_ || (state_ & kSkinHot))
        frame = kFrameHot;
    if (!enabled_) frame = kFrameDisabled;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    if (buffer_.Width() != w || buffer_.Height() != h) buffer_.SetSize(w, h);
    HDC b = buffer_.Canvas().Handle();
    const RECT all = {0, 0, w, h};
    DrawBackground(b, all, frame);
    const POINT arrow[3] = {{w - 12, h / 2 + 2}, {w - 15, h / 2 - 1}, {w - 9, h / 2 - 1}};
    {
        const COLORREF c = ColorToRGB(enabled_ ? clWindowText : clBtnShadow);
        UniqueBrush brush(CreateSolidBrush(c));
        UniquePen pen(CreatePen(PS_SOLID, 1, c));
        SelectObjectGuard sb(b, brush.get()), sp(b, pen.get());
        Polygon(b, arrow, 3);
    }
    HGDIOBJ oldFont = SelectCaptionFont(b, frame);
    // A line break at the first "||" and the focus rectangle, as on a push button.
    const std::wstring caption = SplitCaption(text_);
    RECT t = {2, 2, w - 17 - 2, h - 2};
    DrawTextW(b, caption.c_str(), static_cast<int>(caption.size()), &t,
              DT_CALCRECT | DT_WORDBREAK | RtlFlags());
    const int tw = t.right - t.left, th = t.bottom - t.top;
    t.left = (w - 17 - tw) / 2 + 2;
    t.top = (h - th + 1) / 2;
    t.right = t.left + tw;
    t.bottom = t.top + th;
    DrawTextW(b, caption.c_str(), static_cast<int>(caption.size()), &t, DT_WORDBREAK | RtlFlags());
    DrawFocusAround(b, t);
    SelectObject(b, oldFont);
    BitBlt(dc, r.left, r.top, w, h, b, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------- speed button

void TSkinSpeedButton::AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                                     TCanvas* canvas) {
    if (attached_) return;
    paintTarget_ = dynamic_cast<TControl*>(Owner());
    TSkinControl::AttachControl(form, data, false, canvas);
}

void TSkinSpeedButton::StateFor(int& frame, int& glyphImage) {
    focused_ = false;
    enabled_ = Lower(EnumProp("Enabled")) == "true";
    const bool down = Lower(EnumProp("Down")) == "true";
    frame = (state_ & kSkinPressed) ? kFramePressed
            : (state_ & kSkinHot)   ? kFrameHot
                                    : kFrameNormal;
    glyphImage = (state_ & kSkinPressed) ? 3 : 1;
    if (!enabled_) {
        frame = kFrameDisabled;
        glyphImage = 2;
    }
    if (down) {
        frame = kFramePressed;
        glyphImage = 4;
    }
    // A flat button at rest shows only its background.
    if (frame != kFramePressed && frame != kFrameHot && Lower(EnumProp("Flat")) == "true")
        frame = -1;
}

bool TSkinSpeedButton::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
        if (m.WParam) PaintWindow(reinterpret_cast<HDC>(m.WParam));
        m.Result = 1;
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        std::shared_ptr<bool> alive = alive_;
        CallPrevious(m);
        if (!*alive) return false;
        // The parent holds the mouse for the button until the release.
        tracking_ = control_ && control_->Enabled();
        state_ |= kSkinPressed;
        Repaint();
        return false;
    }
    case WM_LBUTTONUP:
        tracking_ = false;
        return true;
    default:
        return TSkinButton::BeforeMessage(m);
    }
}

void TSkinSpeedButton::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_ENABLE:
    case CM_FOCUSCHANGED:
    case CM_ENABLEDCHANGED:
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        TrackSpaceKey(m);
        break;
    case WM_LBUTTONUP:
        state_ &= ~kSkinPressed;
        Repaint();
        break;
    case WM_MOUSEMOVE:
        // Pressed while the mouse that pressed it is over it, as the button itself shows it.
        if (tracking_ && control_) {
            const RECT r = control_->ClientRect();
            const POINT p = {static_cast<short>(LOWORD(m.LParam)),
                             static_cast<short>(HIWORD(m.LParam))};
            const int pressed = PtInRect(&r, p) ? kSkinPressed : 0;
            if ((state_ & kSkinPressed) != pressed) {
                state_ = (state_ & ~kSkinPressed) | pressed;
                Repaint();
            }
        }
        break;
    case CM_MOUSEENTER:
        state_ |= kSkinHot;
        Repaint();
        break;
    case CM_MOUSELEAVE:
        state_ &= tracking_ ? ~kSkinHot : ~(kSkinHot | kSkinPressed);
        if (control_ && control_->Visible()) Repaint();
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

void TSkinSpeedButton::PaintWindow(HDC dc) {
    if (!dc || !control_ || painting_) return;
    painting_ = true;
    try {
        RECT r = control_->ClientRect();
        if (r.right - r.left >= 1 && r.bottom - r.top >= 1) DrawControl(dc, r);
    } catch (...) {
    }
    painting_ = false;
}

void TSkinSpeedButton::DrawControl(HDC dc, const RECT& r) {
    TSkinBitButton::DrawControl(dc, r);
}
