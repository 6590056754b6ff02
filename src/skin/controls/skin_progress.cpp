#include "skin/controls/skin_progress.h"

#include "skin/data/image_utils_win.h"
#include "skin/form/primitives.h"
#include "toolkit/handles.h"

#include <commctrl.h>

#include <algorithm>

namespace {

bool HasImage(const TDataSkinObject* e) {
    return e && e->Bitmap && !e->Bitmap->Empty();
}

skin::SliceMargins MarginsOf(const TDataSkinObject& e) {
    return {e.Margins.Left, e.Margins.Top, e.Margins.Right, e.Margins.Bottom};
}

// Part `src` of the bitmap stretched into `dst`, opaque.
void StretchPart(HDC dc, const RECT& dst, TBitmap& bitmap, const RECT& src) {
    const int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
    const int sw = src.right - src.left, sh = src.bottom - src.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dst.left, dst.top, dw, dh, bitmap.Canvas().Handle(), src.left, src.top, sw, sh,
               SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

// Caps of `first` and `last` pixels at their own size, the middle stretched between them,
// along x (or along y when `vertical`); across, the image keeps its own size.
void DrawThreePieces(HDC dc, const RECT& target, TBitmap& image, int first, int last,
                     bool vertical) {
    const int iw = image.Width(), ih = image.Height();
    const int along = vertical ? ih : iw;
    first = std::clamp(first, 0, along);
    last = std::clamp(last, 0, along - first);
    if (vertical) {
        const int bottom = std::max<int>(target.top + first, target.bottom - last);
        StretchPart(dc, {target.left, target.top, target.right, target.top + first}, image,
                    {0, 0, iw, first});
        StretchPart(dc, {target.left, target.top + first, target.right, bottom}, image,
                    {0, first, iw, ih - last});
        StretchPart(dc, {target.left, bottom, target.right, bottom + last}, image,
                    {0, ih - last, iw, ih});
    } else {
        const int right = std::max<int>(target.left + first, target.right - last);
        StretchPart(dc, {target.left, target.top, target.left + first, target.bottom}, image,
                    {0, 0, first, ih});
        StretchPart(dc, {target.left + first, target.top, right, target.bottom}, image,
                    {first, 0, iw - last, ih});
        StretchPart(dc, {right, target.top, right + last, target.bottom}, image,
                    {iw - last, 0, iw, ih});
    }
}

} // namespace

int ProgressBarWidth(int width, int position, int top) {
    if (position <= 0 || top <= 0) return 0;
    return MulDiv(width, std::min(position, top), top);
}

// ---------------------------------------------------------------- progress

bool TSkinProgress::Skinned() const {
    if (!data_ || !HasImage(data_->Progress.get())) return false;
    // The marquee animates on its own timer: left to the system.
    return (GetWindowLongPtrW(Handle(), GWL_STYLE) & PBS_MARQUEE) == 0;
}

bool TSkinProgress::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
        if (!Skinned()) break;
        PaintHandler(m);
        return false;
    case WM_ERASEBKGND:
        if (!Skinned()) break;
        m.Result = 1;
        return false;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(m);
}

void TSkinProgress::DrawControl(HDC dc, const RECT& r) {
    if (!Skinned()) return;
    HWND wnd = Handle();
    const bool vertical = (GetWindowLongPtrW(wnd, GWL_STYLE) & PBS_VERTICAL) != 0;
    const int rw = r.right - r.left, rh = r.bottom - r.top;
    const int w = vertical ? rh : rw, h = vertical ? rw : rh;
    if (w <= 0 || h <= 0) return;
    TBitmap bitmap(w, h, pf24bit);
    HDC mem = bitmap.Canvas().Handle();
    const RECT whole = {0, 0, w, h};
    FillFace(mem, whole);
    TDataSkinBorder& bar = *data_->Progress;
    const int position = static_cast<int>(SendMessageW(wnd, PBM_GETPOS, 0, 0));
    const int top = static_cast<int>(SendMessageW(wnd, PBM_GETRANGE, FALSE, 0));
    const int filled = ProgressBarWidth(w, position, top);
    if (bar.Style == 1) {
        skin::DrawNineSlice(mem, whole, *bar.Bitmap, false, bar.Tile == 1, true, 1, 1,
                            MarginsOf(bar));
        const TDataSkinObject* chunk = data_->ProgressChunk.get();
        if (filled > 0 && HasImage(chunk)) {
            TBitmap& image = *chunk->Bitmap;
            const int offset = (h - image.Height()) / 2;
            if (chunk->Tile == 1) {
                TBitmap row(filled, image.Height(), pf24bit);
                for (int i = 0, n = filled / std::max(1, image.Width()) + 1; i < n; ++i)
                    BitBlt(row.Canvas().Handle(), i * image.Width(), 0, image.Width(),
                           image.Height(), image.Canvas().Handle(), 0, 0, SRCCOPY);
                BitBlt(mem, chunk->Margins.Left + 2, offset, filled, image.Height(),
                       row.Canvas().Handle(), 0, 0, SRCCOPY);
            } else {
                skin::DrawNineSlice(mem, {2, 2, 2 + filled, h - 2}, image, false, false,
                                    chunk->Trans == 1, 1, 1, MarginsOf(*chunk));
            }
        }
    } else {
        skin::DrawNineSlice(mem, whole, *bar.Bitmap, false, bar.Tile == 1, true, 2, 1,
                            MarginsOf(bar));
        if (filled > 0)
            skin::DrawNineSlice(mem, {0, 0, filled, h}, *bar.Bitmap, false, bar.Tile == 1, true, 2,
                                2, MarginsOf(bar));
    }
    // Lying down, the bar filled from the left: turned, it fills from the bottom.
    if (vertical) skin::RotateCounterClockwise(bitmap);
    BitBlt(dc, r.left, r.top, rw, rh, bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------- track bar

bool TSkinTrackBar::BeforeMessage(TMessage& m) {
    if ((m.Msg == WM_NOTIFY || m.Msg == CN_NOTIFY) && m.LParam) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == static_cast<UINT>(NM_CUSTOMDRAW) && hdr->hwndFrom == Handle()) {
            m.Result = CustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(m.LParam));
            return false;
        }
    }
    return TSkinControl::BeforeMessage(m);
}

LRESULT TSkinTrackBar::CustomDraw(NMCUSTOMDRAW& cd) {
    if (cd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    switch (cd.dwItemSpec) {
    case TBCD_THUMB:
        DrawThumb(cd.hdc);
        return CDRF_SKIPDEFAULT;
    case TBCD_CHANNEL:
        DrawChannel(cd.hdc);
        return CDRF_SKIPDEFAULT;
    default: // the ticks
        return CDRF_DODEFAULT;
    }
}

void TSkinTrackBar::DrawChannel(HDC dc) {
    if (!data_) return;
    HWND wnd = Handle();
    RECT c{};
    SendMessageW(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
    const bool vertical = (GetWindowLongPtrW(wnd, GWL_STYLE) & TBS_VERT) != 0;
    if (vertical) {
        // Some systems report the channel of a vertical bar lying down.
        if (c.right - c.left > c.bottom - c.top) c = {c.top, c.left, c.bottom, c.right};
        // Without a vertical image the horizontal one serves, turned.
        TBitmap turned;
        TBitmap* image = nullptr;
        int first = 0, last = 0;
        if (HasImage(data_->TrackVert.get())) {
            image = data_->TrackVert->Bitmap.get();
            first = data_->TrackVert->Margins.Top;
            last = data_->TrackVert->Margins.Bottom;
        } else if (HasImage(data_->Track.get())) {
            turned.Assign(*data_->Track->Bitmap);
            skin::RotateClockwise(turned);
            image = &turned;
            first = data_->Track->Margins.Left;
            last = data_->Track->Margins.Right;
        }
        if (!image) return;
        const int iw = image->Width();
        const int x = c.left + (iw < c.right - c.left ? (c.right - c.left - iw) / 2 : 0);
        const RECT target = {x, c.top, x + std::min<int>(iw, c.right - c.left), c.bottom};
        DrawThreePieces(dc, target, *image, first, last, true);
        return;
    }
    if (!HasImage(data_->Track.get())) return;
    const TDataSkinObject& e = *data_->Track;
    const int ih = e.Bitmap->Height();
    const int y = c.top + (ih < c.bottom - c.top ? (c.bottom - c.top - ih) / 2 : 0);
    const RECT target = {c.left, y, c.right, y + std::min<int>(ih, c.bottom - c.top)};
    DrawThreePieces(dc, target, *e.Bitmap, e.Margins.Left, e.Margins.Right, false);
}

void TSkinTrackBar::DrawThumb(HDC dc) {
    if (!data_) return;
    HWND wnd = Handle();
    if (!IsWindow(wnd)) return;
    RECT t{};
    SendMessageW(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
    const bool vertical = (GetWindowLongPtrW(wnd, GWL_STYLE) & TBS_VERT) != 0;
    const TDataSkinObject* strip =
        vertical && HasImage(data_->TrackbarThumbVert.get()) ? data_->TrackbarThumbVert.get()
        : HasImage(data_->TrackbarThumbHorz.get())           ? data_->TrackbarThumbHorz.get()
                                                             : nullptr;
    if (strip) {
        skin::DrawFrame(dc, t, *strip->Bitmap, true, 5, 2);
        return;
    }
    UniquePen pen(CreatePen(PS_SOLID, 1, ColorToRGB(data_->ButtonShadowColor)));
    UniqueBrush brush(CreateSolidBrush(ColorToRGB(data_->ButtonFaceColor)));
    SelectObjectGuard p(dc, pen.get());
    SelectObjectGuard b(dc, brush.get());
    Rectangle(dc, t.left, t.top, t.right, t.bottom);
}
