#include "skin/controls/skin_updown.h"

#include "skin/data/skin_shared.h"
#include "skin/form/primitives.h"
#include "toolkit/handles.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <string>

namespace {

enum Arrow { kArrowUp, kArrowDown, kArrowLeft, kArrowRight };

bool HasStrip(const TDataSkinBorder* strip) {
    return strip && strip->Bitmap && !strip->Bitmap->Empty();
}

// A small solid triangle centred in r.
void DrawArrow(HDC dc, const RECT& r, int arrow, COLORREF colour) {
    const int cx = r.left + (r.right - r.left) / 2, cy = r.top + (r.bottom - r.top) / 2;
    UniquePen pen(CreatePen(PS_SOLID, 1, colour));
    SelectObjectGuard select(dc, pen.get());
    for (int i = 0; i < 3; ++i) {
        switch (arrow) {
        case kArrowUp: // apex at the top, base below
            MoveToEx(dc, cx - i, cy - 1 + i, nullptr);
            LineTo(dc, cx + i + 1, cy - 1 + i);
            break;
        case kArrowDown:
            MoveToEx(dc, cx - i, cy + 1 - i, nullptr);
            LineTo(dc, cx + i + 1, cy + 1 - i);
            break;
        case kArrowLeft:
            MoveToEx(dc, cx - 1 + i, cy - i, nullptr);
            LineTo(dc, cx - 1 + i, cy + i + 1);
            break;
        default:
            MoveToEx(dc, cx + 1 - i, cy - i, nullptr);
            LineTo(dc, cx + 1 - i, cy + i + 1);
            break;
        }
    }
}

} // namespace

HWND FindSpinChild(HWND parent, bool loose) {
    if (!parent) return nullptr;
    for (HWND c = GetTopWindow(parent); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[128] = {};
        GetClassNameW(c, cls, 128);
        std::wstring s = cls;
        for (wchar_t& ch : s) ch = static_cast<wchar_t>(std::towlower(ch));
        if (s == L"msctls_updown32") return c;
        if (loose &&
            (s.find(L"spin") != std::wstring::npos || s.find(L"updown") != std::wstring::npos))
            return c;
    }
    return nullptr;
}

TUpDownFrames UpDownFrames(bool firstActive, bool pressed, bool hot, bool enabled) {
    if (!enabled) return {3, 7};
    const int active = pressed ? 2 : hot ? 4 : 1;
    return firstActive ? TUpDownFrames{active, 5} : TUpDownFrames{1, active + 4};
}

bool TSkinUpDown::Horizontal() const {
    return forceHorizontal_ || (GetWindowLongPtrW(Handle(), GWL_STYLE) & UDS_HORZ);
}

RECT TSkinUpDown::ButtonArea(const RECT& r) const {
    RECT area = r;
    if (!editSpin_) return area;
    HWND wnd = Handle();
    HWND parent = GetParent(wnd);
    RECT own, outer;
    if (!parent || !GetWindowRect(wnd, &own) || !GetWindowRect(parent, &outer)) return area;
    constexpr int kBorder = 3;
    if (own.top - outer.top < kBorder) area.top += kBorder - (own.top - outer.top);
    if (outer.bottom - own.bottom < kBorder) area.bottom -= kBorder - (outer.bottom - own.bottom);
    if (outer.right - own.right < kBorder) area.right -= kBorder - (outer.right - own.right);
    return area;
}

bool TSkinUpDown::CursorInFirstHalf(const RECT& area) const {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(Handle(), &p);
    if (Horizontal()) return p.x - area.left < (area.right - area.left) / 2;
    return p.y - area.top < (area.bottom - area.top) / 2;
}

bool TSkinUpDown::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
        PaintHandler(m);
        return false;
    case WM_ERASEBKGND:
        if (!control_) {
            RECT r;
            GetClientRect(Handle(), &r);
            FillColour(reinterpret_cast<HDC>(m.WParam), r, TColor(0xFFFFFF));
        }
        m.Result = 1;
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        std::shared_ptr<bool> alive = alive_;
        CallPrevious(m);
        if (!*alive) return false;
        // The half that was pressed stays pressed wherever the cursor goes, as the system's.
        RECT r;
        GetClientRect(Handle(), &r);
        pressedFirst_ = CursorInFirstHalf(ButtonArea(r));
        state_ |= kSkinPressed;
        PaintWindow(nullptr);
        return false;
    }
    case WM_LBUTTONUP: {
        state_ &= ~kSkinPressed;
        std::shared_ptr<bool> alive = alive_;
        CallPrevious(m);
        if (*alive) PaintWindow(nullptr);
        return false;
    }
    default:
        return TSkinControl::BeforeMessage(m);
    }
}

void TSkinUpDown::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_MOUSEMOVE: {
        RECT r;
        GetClientRect(Handle(), &r);
        const int half = CursorInFirstHalf(ButtonArea(r)) ? 0 : 1;
        if (!(state_ & kSkinHot) || half != lastHalf_) {
            state_ |= kSkinHot;
            lastHalf_ = half;
            PaintWindow(nullptr);
        }
        skin::SkinTrackMouseLeave(Handle());
        break;
    }
    case WM_MOUSELEAVE:
        state_ &= ~kSkinHot;
        lastHalf_ = -1;
        PaintWindow(nullptr);
        break;
    case WM_CAPTURECHANGED:
        // The press ends with the capture, whoever took it.
        if (state_ & kSkinPressed) {
            state_ &= ~kSkinPressed;
            PaintWindow(nullptr);
        }
        break;
    case WM_ENABLE:
    case UDM_SETPOS:
    case UDM_SETPOS32:
        Repaint();
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

void TSkinUpDown::DrawButton(HDC dc, const RECT& r, int frame, int arrow,
                             const TDataSkinBorder* strip) {
    if (HasStrip(strip)) {
        const int frames = strip->FrameCount > 0 ? strip->FrameCount : 8;
        skin::DrawFrame(dc, r, *strip->Bitmap, true, frames, frame);
        if (strip->Bitmap2 && !strip->Bitmap2->Empty())
            skin::DrawFrameCentred(dc, r, *strip->Bitmap2, true, frames, frame);
        return;
    }
    const int state = (frame - 1) % 4 + 1;
    const bool sunk = state == 2 || state == 4;
    UniquePen pen(CreatePen(PS_SOLID, 1, ColorToRGB(data_->ButtonDkShadowColor)));
    UniqueBrush brush(
        CreateSolidBrush(ColorToRGB(sunk ? data_->ButtonShadowColor : data_->ButtonFaceColor)));
    {
        SelectObjectGuard p(dc, pen.get());
        SelectObjectGuard b(dc, brush.get());
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
    }
    const TColor glyph = state == 3 ? data_->ButtonShadowColor : data_->ButtonTextColor;
    DrawArrow(dc, r, arrow, ColorToRGB(glyph));
}

void TSkinUpDown::DrawControl(HDC dc, const RECT& rect) {
    if (!data_) return;
    HWND wnd = Handle();
    if (editSpin_) FillColour(dc, rect, TColor(0xFFFFFF));
    const RECT r = ButtonArea(rect);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    OffscreenBuffer buffer(dc, w, h);
    HDC mem = buffer.dc();
    if (!mem) return;
    const RECT local = {0, 0, w, h};
    FillFace(mem, local);
    enabled_ = (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_DISABLED) == 0;
    const bool horizontal = Horizontal();
    const bool firstActive = (state_ & kSkinPressed) ? pressedFirst_ : CursorInFirstHalf(r);
    const TUpDownFrames frames =
        UpDownFrames(firstActive, (state_ & kSkinPressed) != 0, (state_ & kSkinHot) != 0, enabled_);
    RECT first = local, second = local;
    if (horizontal) {
        first.right = second.left = w / 2;
    } else {
        first.bottom = second.top = h / 2;
    }
    const TDataSkinBorder* strip = horizontal ? data_->UpDownHorz.get() : data_->UpDownVert.get();
    DrawButton(mem, first, frames.first, horizontal ? kArrowLeft : kArrowUp, strip);
    DrawButton(mem, second, frames.second, horizontal ? kArrowRight : kArrowDown, strip);
    BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
}
