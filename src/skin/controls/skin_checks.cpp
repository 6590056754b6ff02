#include "skin/controls/skin_checks.h"

#include "skin/form/primitives.h"
#include "toolkit/handles.h"

#include <cctype>
#include <string>

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Message the toolkit's check boxes repaint on besides the mouse and focus ones.
constexpr UINT kCheckRepaint = 0xB0D0;

} // namespace

int CheckGlyphFrame(int base, int frames, bool indeterminate, bool disabled) {
    if (frames == 12) {
        if (indeterminate) return disabled ? 12 : 9;
        static const int map[] = {1, 5, 4, 8};
        return map[base - 1];
    }
    return indeterminate ? 4 : base;
}

int RadioGlyphFrame(int base, int frames) {
    if (frames == 8) {
        static const int map[] = {1, 5, 4, 8};
        return map[base - 1];
    }
    return base;
}

bool TSkinCheckBox::CanSkin() {
    TBitmap* strip = Strip();
    return strip && !strip->Empty() && StripFrames() > 0;
}

void TSkinCheckBox::SetupSkin() {
    TSkinControl::SetupSkin();
    transparent_ = (control_ && control_->Tag() == 5555) ||
                   (data_ && (data_->Options & SetBit(xoTransparent)));
    kind_ = skinning_ ? 1 : 0;
}

TBitmap* TSkinCheckBox::Strip() const {
    return data_ && data_->Button ? data_->Button->CheckBitmap.get() : nullptr;
}

int TSkinCheckBox::StripFrames() const {
    return data_ && data_->Button ? data_->Button->CheckFrameCount : 0;
}

TBitmap* TSkinRadioButton::Strip() const {
    return data_ && data_->Button ? data_->Button->RadioBitmap.get() : nullptr;
}

int TSkinRadioButton::StripFrames() const {
    return data_ && data_->Button ? data_->Button->RadioFrameCount : 0;
}

int TSkinCheckBox::GlyphFrame() {
    HWND wnd = Handle();
    const LRESULT state = SendMessageW(wnd, BM_GETSTATE, 0, 0);
    int base = (state & BST_CHECKED) ? 2 : 1;
    if (HasProp("State")) {
        const std::string s = Lower(EnumProp("State"));
        if (s.find("uncheck") != std::string::npos)
            base = 1;
        else if (s.find("check") != std::string::npos)
            base = 2;
        else if (s.find("gray") != std::string::npos)
            base = 4;
    } else if (HasProp("Checked")) {
        base = Lower(EnumProp("Checked")) == "true" ? 2 : 1;
    }
    if (HasProp("DataField") && lastCheck_ != 0) base = lastCheck_ == 3 ? 4 : lastCheck_;
    if (HasProp("DataBinding")) base = 1;
    const bool disabled = (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_DISABLED) != 0;
    if (disabled) base += 2;
    bool indeterminate = false;
    if (state & BST_INDETERMINATE) {
        base = 4;
        indeterminate = true;
    }
    if (base > 4) base = 4;
    return CheckGlyphFrame(base, StripFrames(), indeterminate, disabled);
}

int TSkinRadioButton::GlyphFrame() {
    HWND wnd = Handle();
    int base = (SendMessageW(wnd, BM_GETCHECK, 0, 0) & BST_CHECKED) ? 2 : 1;
    if (HasProp("Checked")) base = Lower(EnumProp("Checked")) == "true" ? 2 : 1;
    if (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_DISABLED) base += 2;
    return RadioGlyphFrame(base, StripFrames());
}

void TSkinCheckBox::DrawControl(HDC dc, const RECT& r) {
    HWND wnd = Handle();
    TBitmap* strip = Strip();
    const int frames = StripFrames();
    if (!strip || strip->Empty() || frames <= 0) return;
    const int gw = strip->Width() / frames, gh = strip->Height();
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    RECT glyph, text = r;
    UINT format = 0;
    glyph.top = r.top + (r.bottom - r.top - gh) / 2;
    glyph.bottom = glyph.top + gh;
    if (style & BS_LEFTTEXT) {
        glyph.right = r.right - (IsRadio() ? 1 : 0);
        glyph.left = glyph.right - gw;
        text.right = glyph.left - 2;
        if (Rtl()) format = DT_RIGHT | DT_RTLREADING;
    } else {
        glyph.left = r.left;
        glyph.right = glyph.left + gw;
        text.left = glyph.right + 2;
    }
    // The parent's colour, not the face colour: a group box or panel left to the system
    // would show a band of a slightly other grey behind the caption.
    if (kind_ == 1 && !transparent_) FillParentColour(dc, r);
    DrawGlyphFrame(dc, glyph, frames, GlyphFrame(), strip);
    if (kind_ == 0) return;

    text_ = ReadCaption();
    const bool enabled = (style & WS_DISABLED) == 0;
    SavedDc saved(dc);
    SelectObject(dc, CaptionFont());
    SetTextColor(dc, ColorToRGB(enabled ? FontColour() : clBtnShadow));
    SetBkColor(dc, ColorToRGB(data_->ButtonFaceColor));
    SetBkMode(dc, TRANSPARENT);
    RECT m = text;
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &m,
              format | DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK);
    const int th = m.bottom - m.top;
    text.top = r.top + (r.bottom - r.top - th) / 2;
    text.bottom = text.top + th;
    if (HasFocus() && !text_.empty())
        DrawCaptionFocus(dc, format | DT_EXPANDTABS | DT_WORDBREAK, text);
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text,
              format | DT_EXPANDTABS | DT_WORDBREAK);
}

bool TSkinCheckBox::BeforeMessage(TMessage& m) {
    if (!TSkinControl::BeforeMessage(m)) return false;
    switch (m.Msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (kind_ != 1) return true;
        if (m.Msg == WM_PRINTCLIENT) {
            TMessage p{WM_PAINT, m.WParam, 0, 0};
            PaintHandler(p);
            m.Result = 0;
        } else {
            PaintHandler(m);
        }
        return false;
    case WM_ERASEBKGND:
        if (!transparent_) return true;
        EraseHandler(m);
        return false;
    default:
        return true;
    }
}

void TSkinCheckBox::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case BM_SETCHECK:
        if (!IsRadio()) lastCheck_ = static_cast<int>(m.WParam) + 1;
        Repaint();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case CM_EXIT:
    case kCheckRepaint:
    // The system button paints these straight onto the window.
    case BM_SETSTATE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_UPDATEUISTATE:
        if (kind_ == 1 || m.Msg == BM_SETCHECK) Repaint();
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}
