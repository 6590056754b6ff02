#include "skin/controls/skin_listview.h"

#include "skin/data/skin_shared.h"
#include "toolkit/handles.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

namespace {

// Format bits under which a column's image index counts: an image column or an owner-drawn one.
constexpr int kImageFormats = 0x8800;

constexpr UINT kFilterHits = HHT_ONFILTER | HHT_ONFILTERBUTTON;

UINT HitAt(HWND wnd, int x, int y) {
    HDHITTESTINFO hit{};
    hit.pt = {x, y};
    SendMessageW(wnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.flags;
}

// The top of the filter row, where the header's own hit test puts it; -1 when it has none
// (no filter bar, or a system whose header has none).
int FilterTop(HWND wnd, const RECT& column) {
    if (!(GetWindowLongPtrW(wnd, GWL_STYLE) & HDS_FILTERBAR)) return -1;
    const int x = (column.left + column.right) / 2;
    if (!(HitAt(wnd, x, column.bottom - 1) & kFilterHits)) return -1;
    int top = column.bottom - 1;
    while (top > column.top && (HitAt(wnd, x, top - 1) & kFilterHits)) --top;
    return top;
}

// The filter button at the right of a filter cell, as the header's hit test finds it.
bool FilterButton(HWND wnd, const RECT& cell, RECT& button) {
    const int y = (cell.top + cell.bottom) / 2;
    int left = cell.right;
    while (left > cell.left && (HitAt(wnd, left - 1, y) & HHT_ONFILTERBUTTON)) --left;
    if (left == cell.right) return false;
    button = {left, cell.top, cell.right, cell.bottom};
    return true;
}

// A column's filter as shown: the text, the number, or the date in the user's short form;
// empty without a value.
std::wstring FilterText(HWND wnd, int index) {
    wchar_t text[201] = {};
    union {
        HD_TEXTFILTERW text;
        INT number;
        SYSTEMTIME date;
    } value{};
    value.text = {text, 201};
    HDITEMW item{};
    item.mask = HDI_FILTER;
    item.type = HDFT_ISSTRING;
    item.pvFilter = &value;
    if (!SendMessageW(wnd, HDM_GETITEMW, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&item)) ||
        (item.type & HDFT_HASNOVALUE))
        return {};
    switch (item.type & 0x0F) {
    case HDFT_ISSTRING:
        text[200] = 0;
        return text;
    case HDFT_ISNUMBER:
        return std::to_wstring(value.number);
    case HDFT_ISDATE: {
        wchar_t date[64] = {};
        if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &value.date, nullptr, date, 64))
            return date;
        return {};
    }
    default:
        return {};
    }
}

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
    heldItem_ = -1;
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
        // Only a header of buttons goes down under the mouse.
        const bool buttons = (GetWindowLongPtrW(Handle(), GWL_STYLE) & HDS_BUTTONS) != 0;
        pressedItem_ = buttons && (hit.flags & HHT_ONHEADER) ? hit.iItem : -1;
        heldItem_ = pressedItem_;
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
        if (heldItem_ >= 0) {
            // As the system's header: the held column goes up while the mouse is off it and
            // down again when it comes back.
            HDHITTESTINFO hit{};
            hit.pt = p;
            SendMessageW(Handle(), HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            const int pressed =
                (hit.flags & HHT_ONHEADER) && hit.iItem == heldItem_ ? heldItem_ : -1;
            if (pressed != pressedItem_) {
                pressedItem_ = pressed;
                Repaint();
            }
        }
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
        heldItem_ = -1;
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
    // One filter row runs under every column.
    int filterTop = -1;
    for (int i = 0; i < n && filterTop < 0; ++i) {
        RECT column;
        if (Header_GetItemRect(wnd, i, &column) && column.right > column.left)
            filterTop = FilterTop(wnd, column);
    }
    for (int i = 0; i < n; ++i) {
        RECT column;
        if (!Header_GetItemRect(wnd, i, &column)) continue;
        DrawColumn(b, i, column, images, filterTop);
        itemRects_[static_cast<size_t>(i)] = {column.left + 3, column.top, column.right - 3,
                                              column.bottom};
        right = std::max<int>(right, column.right);
    }
    // The band right of the last column, as an empty normal column.
    const TDataSkinObject* bar = data_->Headerbar.get();
    if (right < w) DrawElement(b, RECT{right, 0, w, h}, std::max(bar->FrameCount, 1), 1, bar);
    // The filter's edit (and any other child) keeps its own pixels: the header may lack
    // WS_CLIPCHILDREN.
    const int saved = SaveDC(dc);
    for (HWND child = GetWindow(wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT c;
        if (!IsWindowVisible(child) || !GetWindowRect(child, &c)) continue;
        MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&c), 2);
        ExcludeClipRect(dc, c.left, c.top, c.right, c.bottom);
    }
    BitBlt(dc, r.left, r.top, w, h, b, 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

void TSkinHeader::DrawColumn(HDC dc, int index, const RECT& column, HIMAGELIST images,
                             int filterTop) {
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
    // With a filter row the caption keeps the part above it.
    const bool filtered = filterTop > column.top && filterTop < column.bottom;
    const RECT local{0, 0, w, filtered ? filterTop - column.top : h};
    const TDataSkinObject* bar = data_->Headerbar.get();
    DrawElement(b, local, std::max(bar->FrameCount, 1), FrameFor(index), bar);
    if (filtered) {
        const RECT cell{column.left, filterTop, column.right, column.bottom};
        DrawFilterCell(b, index, cell, {0, local.bottom, w, h}, GetCurrentObject(dc, OBJ_FONT));
    }
    if (item.fmt & HDF_OWNERDRAW) {
        // The owner draws the column over the skin's frame, as it would over the system's.
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_HEADER;
        draw.CtlID = static_cast<UINT>(GetDlgCtrlID(Handle()));
        draw.itemID = static_cast<UINT>(index);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = index == pressedItem_ ? ODS_SELECTED : 0;
        draw.hwndItem = Handle();
        draw.hDC = b;
        draw.rcItem = local;
        SendMessageW(GetParent(Handle()), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
        BitBlt(dc, column.left, column.top, w, h, b, 0, 0, SRCCOPY);
        return;
    }
    RECT textArea = local;
    if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
        // The sort arrow at the right end, the caption left of it.
        constexpr int kArrow = 8;
        const int cx = w - 6 - kArrow / 2, cy = local.bottom / 2;
        const bool up = (item.fmt & HDF_SORTUP) != 0;
        UniquePen pen(CreatePen(PS_SOLID, 1, ColorToRGB(data_->ButtonTextColor)));
        SelectObjectGuard p(b, pen.get());
        for (int i = 0; i < kArrow / 2; ++i) {
            const int y = up ? cy - 2 + i : cy + 1 - i;
            MoveToEx(b, cx - i, y, nullptr);
            LineTo(b, cx + i + 1, y);
        }
        textArea.right = std::max<LONG>(textArea.left, w - 6 - kArrow - 2);
    }
    if (text[0]) {
        const int justify = item.fmt & HDF_JUSTIFYMASK;
        const int alignment = justify == HDF_RIGHT ? 2 : justify == HDF_CENTER ? 1 : 0;
        const int image = (item.fmt & kImageFormats) ? item.iImage : -1;
        SelectObjectGuard font(b, GetCurrentObject(dc, OBJ_FONT));
        SetTextColor(b, ColorToRGB(data_->ButtonTextColor));
        DrawCaptionWithImage(b, textArea, alignment, text, image, images);
    }
    BitBlt(dc, column.left, column.top, w, h, b, 0, 0, SRCCOPY);
}

void TSkinHeader::DrawFilterCell(HDC dc, int index, const RECT& cell, const RECT& at,
                                 HGDIOBJ font) {
    const TDataSkinObject* bar = data_->Headerbar.get();
    const int frames = std::max(bar->FrameCount, 1);
    DrawElement(dc, at, frames, 1, bar);
    RECT box = at;
    RECT button;
    if (FilterButton(Handle(), cell, button)) {
        OffsetRect(&button, at.left - cell.left, at.top - cell.top);
        box.right = button.left;
        DrawElement(dc, button, frames, 1, bar);
        // A funnel in the text colour, centred on the button.
        UniquePen pen(CreatePen(PS_SOLID, 1, ColorToRGB(data_->ButtonTextColor)));
        SelectObjectGuard p(dc, pen.get());
        const int cx = (button.left + button.right) / 2, top = (button.top + button.bottom) / 2 - 3;
        for (int i = 0; i < 4; ++i) {
            MoveToEx(dc, cx - 3 + i, top + i, nullptr);
            LineTo(dc, cx + 4 - i, top + i);
        }
        MoveToEx(dc, cx, top + 4, nullptr);
        LineTo(dc, cx, top + 7);
    }
    // The value sits in a box of the skin's face and shadow, as an edit would.
    InflateRect(&box, -2, -2);
    if (box.right - box.left < 3 || box.bottom - box.top < 3) return;
    FillColour(dc, box, data_->ButtonFaceColor);
    UniqueBrush shadow(CreateSolidBrush(ColorToRGB(data_->ButtonShadowColor)));
    FrameRect(dc, &box, shadow.get());
    const std::wstring text = FilterText(Handle(), index);
    if (text.empty()) return;
    InflateRect(&box, -2, -1);
    SelectObjectGuard f(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(data_->ButtonTextColor));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX | RtlFlags());
}
