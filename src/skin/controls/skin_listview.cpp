#include "skin/controls/skin_listview.h"

#include "skin/data/skin_shared.h"
#include "toolkit/handles.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace {

// Format bits under which a column's image index counts: an image column or an owner-drawn one.
constexpr int kImageFormats = 0x8800;

} // namespace

// ---------------------------------------------------------------- list view

void TSkinListView::SetupSkin() {
    TSkinScrollbar::SetupSkin();
    HWND header = ListView_GetHeader(Handle());
    if (header_ && (header_->Stage() == 6 || header_->Handle() != header))
        EndSkinObject(header_); // Notification clears header_
    if (header_ || !header) return;
    // Owned: freed with this object; the owner hears when the form frees it first.
    header_ = new TSkinHeader(this);
    header_->AttachWindow(header, data_, form_, canvas_);
    if (!header_->Attached()) {
        delete header_;
        header_ = nullptr;
    }
}

void TSkinListView::RestoreControl() {
    if (header_) EndSkinObject(header_);
    TSkinScrollbar::RestoreControl();
}

void TSkinListView::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == header_) header_ = nullptr;
    TSkinScrollbar::Notification(component, operation);
}

// ---------------------------------------------------------------- header

void TSkinHeader::AttachWindow(HWND wnd, TSkinData* data, TWinSkinForm* form, TCanvas* canvas) {
    TSkinControl::AttachWindow(wnd, data, form, canvas);
    hotItem_ = -1;
    pressedItem_ = -1;
}

bool TSkinHeader::HasSkin() const {
    return data_ && data_->Headerbar && data_->Headerbar->Bitmap &&
           !data_->Headerbar->Bitmap->Empty();
}

int TSkinHeader::FrameFor(int index) const {
    const int frames = std::max(data_->Headerbar->FrameCount, 1);
    if (index == pressedItem_ && frames >= 3) return 3;
    if (index == hotItem_ || index == pressedItem_) return std::min(2, frames);
    return 1;
}

bool TSkinHeader::BeforeMessage(TMessage& m) {
    if (!TSkinControl::BeforeMessage(m)) return false;
    switch (m.Msg) {
    case WM_PAINT:
        if (!HasSkin()) return true;
        PaintHandler(m);
        return false;
    case WM_PRINTCLIENT:
        if (!HasSkin()) return true;
        {
            TMessage p{WM_PAINT, m.WParam, 0, 0};
            PaintHandler(p);
        }
        m.Result = 0;
        return false;
    case WM_ERASEBKGND:
        if (!HasSkin()) return true;
        m.Result = 1;
        return false;
    case WM_LBUTTONDOWN: {
        // A press on a column (not on a divider, which starts a resize) shows it pressed.
        HDHITTESTINFO hit{};
        hit.pt = {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        SendMessageW(Handle(), HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        pressedItem_ = (hit.flags & HHT_ONHEADER) ? hit.iItem : -1;
        return true;
    }
    default:
        return true;
    }
}

void TSkinHeader::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_MOUSEMOVE: {
        const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        for (size_t i = 0; i < itemRects_.size(); ++i)
            if (PtInRect(&itemRects_[i], p) && static_cast<int>(i) != hotItem_) {
                hotItem_ = static_cast<int>(i);
                Repaint();
                break;
            }
        skin::SkinTrackMouseLeave(Handle());
        break;
    }
    case WM_MOUSELEAVE:
        hotItem_ = -1;
        Repaint();
        break;
    case WM_LBUTTONDOWN:
        if (pressedItem_ >= 0) Repaint();
        break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (pressedItem_ >= 0) {
            pressedItem_ = -1;
            Repaint();
        }
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

void TSkinHeader::DrawControl(HDC dc, const RECT& r) {
    if (!HasSkin()) return;
    HWND wnd = Handle();
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    OffscreenBuffer buffer(dc, w, h);
    HDC b = buffer.dc();
    if (!b) return;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SelectObjectGuard selected(b, font);
    enabled_ = true;
    SetBkMode(b, TRANSPARENT);
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(wnd, HDM_GETIMAGELIST, 0, 0));
    const int n = std::max(Header_GetItemCount(wnd), 0);
    itemRects_.assign(static_cast<size_t>(n), RECT{});
    int right = 0;
    for (int i = 0; i < n; ++i) {
        RECT column;
        if (!Header_GetItemRect(wnd, i, &column)) continue;
        DrawColumn(b, i, column, images);
        itemRects_[static_cast<size_t>(i)] = {column.left + 3, column.top, column.right - 3,
                                              column.bottom};
        right = std::max<int>(right, column.right);
    }
    // The band right of the last column, as an empty normal column.
    const TDataSkinObject* bar = data_->Headerbar.get();
    if (right < w) DrawElement(b, RECT{right, 0, w, h}, std::max(bar->FrameCount, 1), 1, bar);
    BitBlt(dc, r.left, r.top, w, h, b, 0, 0, SRCCOPY);
}

void TSkinHeader::DrawColumn(HDC dc, int index, const RECT& column, HIMAGELIST images) {
    const int w = column.right - column.left, h = column.bottom - column.top;
    if (w <= 0 || h <= 0) return;
    wchar_t text[201] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.pszText = text;
    item.cchTextMax = 201;
    SendMessageW(Handle(), HDM_GETITEMW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    text[200] = 0;

    OffscreenBuffer buffer(dc, w, h);
    HDC b = buffer.dc();
    if (!b) return;
    const RECT local{0, 0, w, h};
    const TDataSkinObject* bar = data_->Headerbar.get();
    DrawElement(b, local, std::max(bar->FrameCount, 1), FrameFor(index), bar);
    if (text[0]) {
        const int justify = item.fmt & HDF_JUSTIFYMASK;
        const int alignment = justify == HDF_RIGHT ? 2 : justify == HDF_CENTER ? 1 : 0;
        const int image = (item.fmt & kImageFormats) ? item.iImage : -1;
        SelectObjectGuard font(b, GetCurrentObject(dc, OBJ_FONT));
        SetTextColor(b, ColorToRGB(data_->ButtonTextColor));
        DrawCaptionWithImage(b, local, alignment, text, image, images);
    }
    BitBlt(dc, column.left, column.top, w, h, b, 0, 0, SRCCOPY);
}
