#include "skin/form/win_skin_popmenu.h"

#include "skin/data/skin_manage.h"
#include "skin/form/primitives.h"
#include "skin/form/skin_messages.h"
#include "toolkit/imglist.h"
#include "toolkit/menus.h"
#include "toolkit/win_text.h"

#include <algorithm>

namespace {

constexpr UINT kGetMenuOfWindow = 0x01E1; // MN_GETHMENU
constexpr WORD kCheckMarkBitmap = 32760;  // OBM_CHECK, an OEM resource
constexpr DWORD kDcUseStyle = 0x00010000; // kDcUseStyle

bool Present(const TDataSkinObject* e) {
    return e && e->Bitmap && !e->Bitmap->Empty();
}

skin::SliceMargins MarginsOf(const TDataSkinObject& e) {
    return {e.Margins.Left, e.Margins.Top, e.Margins.Right, e.Margins.Bottom};
}

UniqueFont MenuFont(bool bold) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    LOGFONTW lf{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
        lf = ncm.lfMenuFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    if (bold) lf.lfWeight = FW_BOLD;
    return UniqueFont(CreateFontIndirectW(&lf));
}

int SkinItemMargin(const TSkinData& d) {
    return d.MenuItem ? d.MenuItem->Margins.Left : 0;
}

// Clear of what the standard measurement gives: room for the skin's left part and the glyph.
int ExtraWidth(const TSkinData& d, const TMenuItem& item, int withImages) {
    const TMenu* menu = item.GetParentMenu();
    return SkinItemMargin(d) + (menu && menu->Images() ? withImages : 35);
}

HBRUSH CheckedBoxBrush(UniqueBrush& keep, UniqueBitmap& pattern) {
    // The pattern of a pressed check box: face and highlight alternating.
    const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    TBitmap bits(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            SetPixel(bits.Canvas().Handle(), x, y, (x + y) % 2 ? face : light);
    pattern.reset(CreateCompatibleBitmap(bits.Canvas().Handle(), 8, 8));
    {
        UniqueMemDc mem(CreateCompatibleDC(bits.Canvas().Handle()));
        SelectObjectGuard sel(mem.get(), pattern.get());
        BitBlt(mem.get(), 0, 0, 8, 8, bits.Canvas().Handle(), 0, 0, SRCCOPY);
    }
    keep.reset(CreatePatternBrush(pattern.get()));
    return keep.get();
}

void DrawCheckMark(HDC dc, const RECT& box, const RECT& item) {
    UniqueBitmap check(static_cast<HBITMAP>(LoadImageW(nullptr, MAKEINTRESOURCEW(kCheckMarkBitmap),
                                                       IMAGE_BITMAP, 0, 0, LR_DEFAULTSIZE)));
    if (!check) return;
    BITMAP bm{};
    GetObjectW(check.get(), sizeof(bm), &bm);
    const int x = box.left + (box.right - box.left - bm.bmWidth) / 2 + 1;
    const int y = item.top + (item.bottom - item.top - bm.bmHeight) / 2;
    UniqueMemDc mem(CreateCompatibleDC(dc));
    SelectObjectGuard sel(mem.get(), check.get());
    UniqueBrush ink(CreateSolidBrush(GetSysColor(COLOR_BTNTEXT)));
    SelectObjectGuard brush(dc, ink.get());
    const COLORREF text = SetTextColor(dc, RGB(0, 0, 0)), back = SetBkColor(dc, RGB(255, 255, 255));
    // Black pixels of the mark take the brush, white ones leave the item as it is.
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem.get(), 0, 0, 0x00B8074A);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
}

RECT Mirror(const RECT& r, const RECT& in) {
    return {in.left + in.right - r.right, r.top, in.left + in.right - r.left, r.bottom};
}

// The item's background: its part of the popup's picture, else the menu colour.
void FillItemBackground(TSkinData& d, HMENU menu, HDC dc, const RECT& item, int w, int h) {
    TSkinManage* mgr = TSkinManage::Instance();
    TWinSkinPopMenu* popup = mgr ? mgr->PopupOfMenu(menu) : nullptr;
    TBitmap* bg = popup ? popup->Background() : nullptr;
    if (bg) {
        POINT off = popup->ClientOffset();
        BitBlt(dc, 0, 0, w, h, bg->Canvas().Handle(), item.left + off.x, item.top + off.y, SRCCOPY);
        return;
    }
    UniqueBrush b(CreateSolidBrush(::ColorToRGB(d.MenuColor)));
    RECT r{0, 0, w, h};
    FillRect(dc, &r, b.get());
}

void DrawSeparatorImage(TSkinData& d, HDC dc, int w, int h) {
    TDataSkinObject& e = *d.MenuItem;
    const int fw = e.Bitmap->Width() / 5, fh = e.Bitmap->Height();
    if (fw <= 0 || fh <= 0) return;
    const int rows = std::min(h, fh);
    const int sy = fh - rows; // the bottom rows of the frame when the item is lower
    const int sx = fw;        // frame 2
    const int l = std::min(e.Margins.Left, fw), r = std::min(e.Margins.Right, fw - l);
    TBitmap piece(w, rows);
    HDC p = piece.Canvas().Handle();
    HDC s = e.Bitmap->Canvas().Handle();
    SetStretchBltMode(p, COLORONCOLOR);
    BitBlt(p, 0, 0, l, rows, s, sx, sy, SRCCOPY);
    BitBlt(p, w - r, 0, r, rows, s, sx + fw - r, sy, SRCCOPY);
    if (w - l - r > 0 && fw - l - r > 0)
        StretchBlt(p, l, 0, w - l - r, rows, s, sx + l, sy, fw - l - r, rows, SRCCOPY);
    GdiFlush();
    skin::DrawKeyed(dc, {0, 0, w, rows}, piece);
}

} // namespace

// ---------------------------------------------------------------- the popup window

TWinSkinPopMenu::~TWinSkinPopMenu() {
    Detach();
}

bool TWinSkinPopMenu::Attach(HWND window, TSkinData* data, int level) {
    if (subclass_.Attached() || !window) return false;
    window_ = window;
    data_ = data;
    level_ = level;
    return subclass_.Attach(window, [this](TMessage& m) { WndProc(m); });
}

void TWinSkinPopMenu::Detach() {
    if (subclass_.Attached()) subclass_.Detach();
    background_.reset();
}

HMENU TWinSkinPopMenu::Menu() const {
    if (AttachedMenu) return AttachedMenu;
    if (!window_ || !IsWindow(window_)) return nullptr;
    return reinterpret_cast<HMENU>(SendMessageW(window_, kGetMenuOfWindow, 0, 0));
}

bool TWinSkinPopMenu::CanPaint() const {
    return data_ && !data_->SkinNotLoaded && Present(data_->MenuBackground.get());
}

bool TWinSkinPopMenu::BuildBackground() {
    if (!CanPaint() || !window_) return false;
    RECT w;
    GetWindowRect(window_, &w);
    RECT size{0, 0, w.right - w.left, w.bottom - w.top};
    if (size.right <= 0 || size.bottom <= 0) return false;
    TDataSkinObject& e = *data_->MenuBackground;
    background_ = skin::NineSlice(size, *e.Bitmap, MarginsOf(e), false, e.Tile != 0, 1, 1);
    return background_ != nullptr;
}

TBitmap* TWinSkinPopMenu::Background() {
    if (!background_) BuildBackground();
    return background_.get();
}

POINT TWinSkinPopMenu::ClientOffset() const {
    if (!window_) return {0, 0};
    RECT w;
    GetWindowRect(window_, &w);
    POINT c{0, 0};
    ClientToScreen(window_, &c);
    return {c.x - w.left, c.y - w.top};
}

void TWinSkinPopMenu::PaintBorder(HRGN update) {
    if (!BuildBackground()) return;
    const DWORD flags =
        DCX_WINDOW | kDcUseStyle | (update && update != HRGN(1) ? DCX_INTERSECTRGN : 0);
    // The DC takes the region over.
    HRGN copy = nullptr;
    if (flags & DCX_INTERSECTRGN) {
        copy = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(copy, update, nullptr, RGN_COPY);
    }
    HDC dc = GetDCEx(window_, copy, flags);
    if (!dc) {
        if (copy) DeleteObject(copy);
        return;
    }
    BitBlt(dc, 0, 0, background_->Width(), background_->Height(), background_->Canvas().Handle(), 0,
           0, SRCCOPY);
    ReleaseDC(window_, dc);
}

// Where the system paints the border and margins inside the window (no items there), the
// skin's background goes over them.
void TWinSkinPopMenu::PaintAround(HDC dc) {
    if (!background_) return;
    SavedDc saved(dc);
    HMENU menu = Menu();
    const int count = menu ? GetMenuItemCount(menu) : 0;
    RECT w, client;
    GetWindowRect(window_, &w);
    GetClientRect(window_, &client);
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (int i = 0; i < count; ++i) {
        RECT r;
        if (!GetMenuItemRect(window_, menu, static_cast<UINT>(i), &r)) continue;
        // A menu longer than its window scrolls: the system's arrows are in the margins.
        if (r.top < client.top || r.bottom > client.bottom) return;
        OffsetRect(&r, -w.left, -w.top);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    BitBlt(dc, 0, 0, background_->Width(), background_->Height(), background_->Canvas().Handle(), 0,
           0, SRCCOPY);
}

void TWinSkinPopMenu::WndProc(TMessage& m) {
    if (m.Msg == WM_SKIN_QUERY) {
        m.Result = 1;
        return;
    }
    TSkinManage* mgr = TSkinManage::Instance();
    if (mgr && !mgr->Enabled()) {
        subclass_.CallPrevious(m);
        return;
    }
    switch (m.Msg) {
    case WM_DESTROY:
        Detach();
        subclass_.CallPrevious(m);
        return;
    case WM_ERASEBKGND:
        if (!data_ || !InSet(data_->Options, xoMenuBG)) subclass_.CallPrevious(m);
        m.Result = 1;
        return;
    case WM_NCPAINT:
        if (!CanPaint()) break;
        PaintBorder(reinterpret_cast<HRGN>(m.WParam));
        // Whatever of the frame the system draws by itself is covered again.
        m.Result = 0;
        return;
    case WM_PAINT:
        if (!CanPaint()) break;
        if (!background_) BuildBackground();
        subclass_.CallPrevious(m);
        if (background_) {
            WindowFrameDc dc(window_);
            PaintAround(dc.get());
        }
        return;
    case 0x0317: { // WM_PRINT
        if (!CanPaint() || !BuildBackground()) break;
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        BitBlt(dc, 0, 0, background_->Width(), background_->Height(),
               background_->Canvas().Handle(), 0, 0, SRCCOPY);
        const int mode = SetBkMode(dc, TRANSPARENT);
        RECT w;
        GetWindowRect(window_, &w);
        UniqueRegion clip(CreateRectRgn(3, 3, w.right - w.left - 3, w.bottom - w.top - 3));
        SelectClipRgn(dc, clip.get());
        subclass_.CallPrevious(m);
        SelectClipRgn(dc, nullptr);
        SetBkMode(dc, mode);
        return;
    }
    default:
        break;
    }
    subclass_.CallPrevious(m);
}

// ---------------------------------------------------------------- item painters

namespace skinmenu {

TItemView ViewOf(TMenuItem& item, bool rightToLeft) {
    TItemView v;
    v.Caption = GetStrProp(item, "Caption");
    // A caption that carries its keys after a tab (as system menu texts do) shows them as the
    // shortcut.
    if (const size_t tab = v.Caption.find('\t'); tab != std::string::npos) {
        v.ShortCut = v.Caption.substr(tab + 1);
        v.Caption.resize(tab);
    }
    v.Enabled = item.Enabled();
    v.Checked = item.Checked();
    v.Default = item.Default();
    v.ImageIndex = item.ImageIndex();
    TMenu* menu = item.GetParentMenu();
    v.Images = menu ? menu->Images() : nullptr;
    if (item.ShortCut()) v.ShortCut = ShortCutToText(item.ShortCut());
    v.RightToLeft = rightToLeft;
    return v;
}

TItemView ViewOfNative(HMENU menu, UINT command, bool rightToLeft) {
    TItemView v;
    char text[81] = {};
    GetMenuStringA(menu, command, text, 80, MF_BYCOMMAND);
    std::string s = text;
    const size_t tab = s.find('\t');
    if (tab != std::string::npos) {
        v.ShortCut = s.substr(tab + 1);
        s.resize(tab);
    }
    v.Caption = s.empty() ? "-" : s;
    const UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
    if (state != static_cast<UINT>(-1)) {
        v.Enabled = !(state & (MF_GRAYED | MF_DISABLED));
        v.Checked = (state & MF_CHECKED) != 0;
        v.Default = (state & MFS_DEFAULT) != 0;
    }
    v.RightToLeft = rightToLeft;
    return v;
}

void DrawContents(TSkinData& d, const TItemView& v, HDC dc, const RECT& r, bool selected) {
    const int glyph = std::max(v.Images ? v.Images->Width() : 16, v.Checked ? 16 : 0);
    RECT box{r.left + 1 + (d.MenuItem ? d.MenuItem->Margins.Left : 0), r.top + 1, 0, 0};
    box.right = box.left + (v.IsLine() ? 0 : glyph);
    box.bottom = box.top + glyph;
    const RECT shown = v.RightToLeft ? Mirror(box, r) : box;
    const bool image = v.Images && v.ImageIndex >= 0 && v.ImageIndex < v.Images->Count();
    if (image) {
        if (v.Checked) {
            UniqueBrush brush;
            UniqueBitmap pattern;
            RECT b = shown;
            FillRect(dc, &b, CheckedBoxBrush(brush, pattern));
            DrawEdge(dc, &b, BDR_SUNKENOUTER, BF_RECT);
        }
        v.Images->Draw(dc, shown.left, shown.top, v.ImageIndex, v.Enabled);
    } else if (v.Checked) {
        DrawCheckMark(dc, shown, r);
    }
    RECT text{box.right + 3, r.top, r.right - 1, r.bottom};
    UniqueFont font = MenuFont(v.Default);
    SelectObjectGuard sel(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    COLORREF ink;
    if (!v.Enabled)
        ink = d.ButtonShadowColor == d.MenuTextColor ? GetSysColor(COLOR_BTNSHADOW)
                                                     : ::ColorToRGB(d.ButtonShadowColor);
    else
        ink = ::ColorToRGB(selected ? d.HilightTextColor : d.MenuTextColor);
    SetTextColor(dc, ink);
    if (v.IsLine()) {
        RECT line = text;
        line.top += 4;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    std::wstring caption = Widen(v.Caption);
    std::wstring measured = caption.empty() || caption == L"&" ? caption + L" " : caption;
    RECT calc = text;
    DrawTextW(dc, measured.c_str(), static_cast<int>(measured.size()), &calc,
              DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
    const int th = calc.bottom - calc.top;
    RECT place = text;
    place.top = r.top + (r.bottom - r.top - th) / 2;
    place.bottom = place.top + th;
    UINT format = DT_EXPANDTABS | DT_SINGLELINE;
    if (v.RightToLeft) {
        place = Mirror(place, r);
        format |= DT_RIGHT | DT_RTLREADING;
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &place, format);
    if (!v.ShortCut.empty()) {
        std::wstring keys = Widen(v.ShortCut);
        RECT sc{calc.right, place.top, r.right - 11, place.bottom};
        UINT f = DT_SINGLELINE | DT_NOPREFIX | DT_RIGHT;
        if (v.RightToLeft) {
            sc = {r.left + 10, place.top, r.right - (calc.right - r.left), place.bottom};
            f = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT;
        }
        DrawTextW(dc, keys.c_str(), static_cast<int>(keys.size()), &sc, f);
    }
}

void MeasureItem(TSkinData& d, TMenuItem& item, TCanvas& canvas, int& width, int& height) {
    // The item's own handler is this painter: the standard measurement runs under it.
    TMenuMeasureItemEvent own = std::move(item.OnMeasureItem);
    item.OnMeasureItem = nullptr;
    item.DefaultMeasureItem(canvas, width, height);
    item.OnMeasureItem = std::move(own);
    width += ExtraWidth(d, item, 10);
}

void MeasureSystemItem(TSkinData& d, TMenuItem& item, TCanvas& canvas, int& width, int& height) {
    item.DefaultMeasureItem(canvas, width, height);
    width += ExtraWidth(d, item, 12);
}

void MeasureText(TSkinData& d, const std::string& text, HDC dc, int& width, int& height) {
    UniqueFont font = MenuFont(false);
    SelectObjectGuard sel(dc, font.get());
    std::wstring w = Widen(text);
    SIZE s{};
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &s);
    width = s.cx + 26 + SkinItemMargin(d);
    height = text.empty() ? 8 : s.cy + 4;
    if (!TSkinManage::IsNT()) height += 4;
}

void DrawPlainItem(TSkinData& d, const TItemView& v, HDC dc, bool selected, const RECT& r) {
    UniqueBrush b(CreateSolidBrush(::ColorToRGB(selected ? d.HilightColor : d.MenuColor)));
    RECT all = r;
    FillRect(dc, &all, b.get());
    DrawContents(d, v, dc, r, selected);
}

void DrawItem(TSkinData& d, TMenuItem& item, TCanvas& canvas, const RECT& rect, bool selected,
              bool rightToLeft) {
    const TItemView view = ViewOf(item, rightToLeft);
    HDC target = canvas.Handle();
    if (!Present(d.MenuItem.get())) {
        DrawPlainItem(d, view, target, selected, rect);
        return;
    }
    HMENU parent = item.Parent() ? item.Parent()->Handle() : nullptr;
    if (TSkinManage* mgr = TSkinManage::Instance()) mgr->AttachMenu(parent);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    TBitmap buffer(w, h);
    HDC dc = buffer.Canvas().Handle();
    FillItemBackground(d, parent, dc, rect, w, h);
    TDataSkinObject& e = *d.MenuItem;
    if (view.IsLine()) {
        GdiFlush();
        BitBlt(target, rect.left, rect.top, w, h, dc, 0, 0, SRCCOPY);
        DrawSeparatorImage(d, dc, w, h);
    } else {
        skin::DrawNineSlice(dc, {0, 0, w, h}, *e.Bitmap, false, e.Tile != 0, e.Trans != 0, 5,
                            selected ? 4 : 1, MarginsOf(e));
        DrawContents(d, view, dc, {0, 0, w, h}, selected);
    }
    GdiFlush();
    BitBlt(target, rect.left, rect.top, w, h, dc, 0, 0, SRCCOPY);
}

void DrawForeignItem(TSkinData& d, HMENU menu, const TItemView& view, bool selected,
                     const RECT& rect, HDC target) {
    if (!Present(d.MenuItem.get())) {
        DrawPlainItem(d, view, target, selected, rect);
        return;
    }
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    if (TSkinManage* mgr = TSkinManage::Instance()) mgr->AttachMenu(menu);
    TBitmap buffer(w, h);
    HDC dc = buffer.Canvas().Handle();
    FillItemBackground(d, menu, dc, rect, w, h);
    TDataSkinObject& e = *d.MenuItem;
    skin::DrawNineSlice(dc, {0, 0, w, h}, *e.Bitmap, false, e.Tile != 0, e.Trans != 0, 5,
                        selected && !view.IsLine() ? 4 : 1, MarginsOf(e));
    DrawContents(d, view, dc, {0, 0, w, h}, selected);
    GdiFlush();
    BitBlt(target, rect.left, rect.top, w, h, dc, 0, 0, SRCCOPY);
}

} // namespace skinmenu
