#include "skin/controls/skin_tabs.h"

#include "skin/controls/skin_updown.h"
#include "skin/data/image_utils_win.h"
#include "skin/data/skin_shared.h"
#include "skin/form/primitives.h"
#include "skin/form/skin_messages.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/handles.h"
#include "toolkit/win_text.h"

#include <commctrl.h>

#include <algorithm>

namespace {

bool HasBitmap(const TBitmap* b) {
    return b && !b->Empty();
}

skin::SliceMargins MarginsOf(const skin::TSkinMargins& m) {
    return {m.Left, m.Top, m.Right, m.Bottom};
}

// Margins of an image that was turned or flipped the way the tab position turns it.
skin::TSkinMargins TurnedMargins(skin::TSkinMargins m, TSkinTabPosition position) {
    switch (position) {
    case kTabsBottom:
        return {m.Left, m.Bottom, m.Right, m.Top};
    case kTabsLeft: // a counter-clockwise turn: the top edge goes to the left
        return {m.Top, m.Right, m.Bottom, m.Left};
    case kTabsRight: // clockwise: the top edge goes to the right
        return {m.Bottom, m.Left, m.Top, m.Right};
    default:
        return m;
    }
}

std::unique_ptr<TBitmap> Copy24(const TBitmap* source) {
    if (!HasBitmap(source)) return nullptr;
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*source);
    copy->SetPixelFormat(pf24bit);
    return copy;
}

// Fills r with the colour except where the rectangles are.
void FillAround(HDC dc, const RECT& r, TColor colour, std::initializer_list<RECT> keep) {
    SavedDc saved(dc);
    for (const RECT& k : keep) ExcludeClipRect(dc, k.left, k.top, k.right, k.bottom);
    TSkinControl::FillColour(dc, r, colour);
}

HWND ArrowsOf(HWND tabs) {
    return FindWindowExW(tabs, nullptr, UPDOWN_CLASSW, nullptr);
}

} // namespace

TSkinTabPosition TabPositionOfStyle(LONG_PTR style) {
    if (style & TCS_VERTICAL) return (style & TCS_BOTTOM) ? kTabsRight : kTabsLeft;
    return (style & TCS_BOTTOM) ? kTabsBottom : kTabsTop;
}

RECT TabRectInRow(TSkinTabPosition position, const RECT& t, int rowLength, int rightEdge,
                  int displayBottom) {
    switch (position) {
    case kTabsBottom:
        return {t.left, t.top - displayBottom - 1, t.right, t.bottom - displayBottom - 1};
    case kTabsLeft:
        return {rowLength - t.bottom, t.left, rowLength - t.top, t.right};
    case kTabsRight:
        return {t.top - 1, rightEdge - t.right, t.bottom - 1, rightEdge - t.left};
    default:
        return {t.left, t.top + 1, t.right, t.bottom + 1};
    }
}

RECT CloseBoxOf(const RECT& tab) {
    return {tab.right - 8, tab.top + 2, tab.right - 2, tab.top + 8};
}

int TabFrame(bool current, int frames) {
    return current && frames >= 2 ? 2 : 1;
}

int TabButtonFrame(bool current) {
    return current ? 2 : 1;
}

bool TTabHotTracker::Update(HWND tabs, const TMessage& m) {
    int index = index_;
    if (m.Msg == WM_MOUSEMOVE) {
        TCHITTESTINFO hit{};
        hit.pt = {static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        index =
            static_cast<int>(SendMessageW(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        skin::SkinTrackMouseLeave(tabs);
    } else if (m.Msg == WM_MOUSELEAVE) {
        index = -1;
    } else {
        return false;
    }
    if (index == index_) return false;
    index_ = index;
    return true;
}

bool ReadTabItem(HWND tabs, int index, bool unicode, TSkinTabItem& item) {
    constexpr int kTextMax = 80;
    const UINT mask = TCIF_TEXT | TCIF_IMAGE | TCIF_STATE;
    if (unicode) {
        wchar_t text[kTextMax + 1] = {};
        TCITEMW t{};
        t.mask = mask;
        t.dwStateMask = ~DWORD{0};
        t.pszText = text;
        t.cchTextMax = kTextMax;
        if (!SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(&t)))
            return false;
        item.Text = t.pszText ? t.pszText : L"";
        item.Image = t.iImage;
        item.State = t.dwState;
        return true;
    }
    char text[kTextMax + 1] = {};
    TCITEMA t{};
    t.mask = mask;
    t.dwStateMask = ~DWORD{0};
    t.pszText = text;
    t.cchTextMax = kTextMax;
    if (!SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&t)))
        return false;
    item.Text = Widen(t.pszText ? t.pszText : "");
    item.Image = t.iImage;
    item.State = t.dwState;
    return true;
}

// ---------------------------------------------------------------- flat-button row

bool TSkinTabBtn::HasImage() const {
    return data_ && data_->Button && HasBitmap(data_->Button->Bitmap.get());
}

bool TSkinTabBtn::BeforeMessage(TMessage& m) {
    if (m.Msg == WM_PAINT && HasImage()) {
        PaintHandler(m);
        return false;
    }
    return TSkinControl::BeforeMessage(m);
}

void TSkinTabBtn::AfterMessage(TMessage& m) {
    // The system tab control draws the focus and selection changes itself.
    if (m.Msg == TCM_SETCURSEL || m.Msg == TCM_SETCURFOCUS || m.Msg == WM_LBUTTONDOWN ||
        m.Msg == WM_KEYDOWN)
        Repaint();
    else
        TSkinControl::AfterMessage(m);
}

void TSkinTabBtn::DrawControl(HDC dc, const RECT& r) {
    if (!HasImage()) return;
    HWND wnd = Handle();
    enabled_ = control_ ? control_->Enabled() : WindowEnabled();
    RECT display = r;
    SendMessageW(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    InflateRect(&display, 4, 4);
    const RECT row = {r.left, r.top, r.right, std::min<LONG>(display.top + 1, r.bottom)};
    const int w = row.right - row.left, h = row.bottom - row.top;
    FillAround(dc, r, data_->ButtonFaceColor, {row});
    if (auto* wc = dynamic_cast<TWinControl*>(control_)) wc->PaintControls(dc);
    if (w <= 0 || h <= 0) return;

    const int count = static_cast<int>(SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0));
    // The arrow keys move the focus along a row of buttons without choosing: the chosen tab
    // stays pressed and the focused one gets the focus rectangle, as the system draws them.
    const int current = static_cast<int>(SendMessageW(wnd, TCM_GETCURSEL, 0, 0));
    const int focused = HasFocus() && !(GetWindowLongPtrW(wnd, GWL_STYLE) & TCS_FOCUSNEVER)
                            ? static_cast<int>(SendMessageW(wnd, TCM_GETCURFOCUS, 0, 0))
                            : -1;
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(wnd, TCM_GETIMAGELIST, 0, 0));
    TBitmap strip(w, h, pf24bit);
    HDC mem = strip.Canvas().Handle();
    FillFace(mem, {0, 0, w, h});
    SelectObjectGuard font(mem, CaptionFont());
    const TDataSkinButton& button = *data_->Button;
    const bool unicode = IsWindowUnicode(wnd) != FALSE;
    for (int i = 0; i < count; ++i) {
        TSkinTabItem item;
        ReadTabItem(wnd, i, unicode, item);
        RECT t;
        if (!SendMessageW(wnd, TCM_GETITEMRECT, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(&t)))
            continue;
        OffsetRect(&t, -row.left, 1 - row.top);
        const int frame = TabButtonFrame(i == current);
        DrawElement(mem, t, button.FrameCount > 0 ? button.FrameCount : 5, frame, &button);
        TColor colour = clBlack;
        if (frame != 2 && button.HasNormalColour2) colour = button.NormalColour2;
        if (frame == 2 && button.HasPressedColour2) colour = button.PressedColour2;
        SetTextColor(mem, ColorToRGB(colour));
        DrawCaptionWithImage(mem, t, 1, item.Text, item.Image, images);
        if (i == focused) {
            RECT f = t;
            InflateRect(&f, -3, -3);
            SetTextColor(mem, RGB(0, 0, 0));
            DrawFocusRect(mem, &f);
        }
    }
    BitBlt(dc, row.left, row.top, w, h, mem, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------- ordinary tabs

TSkinTab::~TSkinTab() = default;

void TSkinTab::SetupSkin() {
    TSkinControl::SetupSkin();
    HWND wnd = Handle();
    if (control_ && !dynamic_cast<TPageControl*>(control_)) kind_ = 2;
    enabled_ = WindowEnabled();
    auto* pages = dynamic_cast<TPageControl*>(control_);
    closeBoxes_ = pages && pages->Tag() == kCloseBoxTag && pages->TabPosition() == tpTop;
    LoadImages();
    // A new window has new arrows; a skin without tabs leaves the system's.
    if (upDown_ && (upDown_->Stage() == 6 || !skinning_))
        upDown_.reset();
    else if (upDown_)
        upDown_->SkinChanged();
    if (skinning_) SkinArrows();
    unicode2_ = wnd && IsWindowUnicode(wnd);
}

void TSkinTab::RestoreControl() {
    upDown_.reset();
    TSkinControl::RestoreControl();
}

bool SkinHasTabs(const TSkinData* data) {
    return data && data->Tab && HasBitmap(data->Tab->Bitmap.get());
}

bool TSkinTab::HasImage() const {
    return SkinHasTabs(data_);
}

void TSkinTab::LoadImages() {
    tabImage_.reset();
    paneImage_.reset();
    position_ = TabPositionOfStyle(GetWindowLongPtrW(Handle(), GWL_STYLE));
    if (!HasImage()) return;
    tabImage_ = Copy24(data_->Tab->Bitmap.get());
    paneImage_ =
        Copy24(data_->Tab->Style == 0 ? data_->Tab->Bitmap2.get()
                                      : (data_->TabPane ? data_->TabPane->Bitmap.get() : nullptr));
    switch (position_) {
    case kTabsBottom:
        skin::Flip(*tabImage_);
        if (paneImage_) skin::Flip(*paneImage_);
        break;
    case kTabsLeft:
        if (paneImage_) skin::RotateCounterClockwise(*paneImage_);
        break;
    case kTabsRight:
        if (paneImage_) skin::RotateClockwise(*paneImage_);
        break;
    default:
        break;
    }
}

void TSkinTab::SkinArrows() {
    HWND arrows = ArrowsOf(Handle());
    if (!arrows) return;
    if (upDown_ && upDown_->Handle() == arrows && upDown_->Stage() != 6) return;
    // Listed with no form: this object owns it and passes skin changes on.
    upDown_.reset(new TSkinUpDown(nullptr));
    upDown_->SetForceHorizontal(true);
    upDown_->AttachWindow(arrows, data_, nullptr, canvas_);
}

bool TSkinTab::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
        if (!HasImage()) break;
        PaintHandler(m);
        return false;
    case WM_ERASEBKGND:
        if (!HasImage()) break;
        m.Result = 1;
        return false;
    case WM_LBUTTONDOWN:
        if (closeBoxes_ && CloseBoxClick({static_cast<short>(LOWORD(m.LParam)),
                                          static_cast<short>(HIWORD(m.LParam))})) {
            m.Result = 0;
            return false;
        }
        break;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(m);
}

void TSkinTab::AfterMessage(TMessage& m) {
    if (hot_.Update(Handle(), m)) {
        Repaint();
        return;
    }
    switch (m.Msg) {
    case CN_NOTIFY:
        // A tab chosen by mouse or keyboard: the system repaints only the row, but the
        // opening under the current tab lies in the pane below it.
        if (auto* hdr = reinterpret_cast<NMHDR*>(m.LParam); hdr && hdr->code == TCN_SELCHANGE)
            Repaint();
        break;
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
        // A window without a toolkit object gets no notification back: look after the fact.
        if (!control_ && SendMessageW(Handle(), TCM_GETCURFOCUS, 0, 0) != lastSelection_) Repaint();
        TSkinControl::AfterMessage(m);
        break;
    case TCM_SETCURSEL:
    case TCM_SETCURFOCUS:
    case TCM_INSERTITEMA:
    case TCM_INSERTITEMW:
    case TCM_DELETEITEM:
    case WM_SIZE:
        // The system made or dropped its scroll arrows, or moved the tabs.
        SkinArrows();
        Repaint();
        break;
    case WM_STYLECHANGED:
        LoadImages();
        Repaint();
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

bool TSkinTab::CloseBoxClick(POINT p) {
    auto* pages = dynamic_cast<TPageControl*>(control_);
    for (size_t i = 0; i < itemRects_.size(); ++i) {
        if (!PtInRect(&itemRects_[i], p)) continue;
        // The form's answer may free the page control, and this object with it.
        std::shared_ptr<bool> alive = alive_;
        const LRESULT answer =
            form_ && form_->Handle
                ? SendMessageW(form_->Handle, WM_SKIN_CLOSETAB, reinterpret_cast<WPARAM>(Handle()),
                               static_cast<LPARAM>(i))
                : 0;
        if (!*alive) return true;
        if (answer == 0 && pages && static_cast<int>(i) < pages->PageCount()) {
            delete pages->Pages(static_cast<int>(i));
            if (!*alive) return true;
            Repaint();
        }
        return true;
    }
    return false;
}

void TSkinTab::DrawControl(HDC dc, const RECT& r) {
    if (!HasImage()) return;
    HWND wnd = Handle();
    if (TabPositionOfStyle(GetWindowLongPtrW(wnd, GWL_STYLE)) != position_ || !tabImage_)
        LoadImages();
    if (!tabImage_) return;
    SkinArrows();
    enabled_ = WindowEnabled();
    RECT display = r;
    SendMessageW(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    InflateRect(&display, 4, 4);
    RECT row = r;
    switch (position_) {
    case kTabsTop:
        display.top += 1;
        row.bottom = display.top;
        break;
    case kTabsBottom:
        display.bottom -= 1;
        row.top = display.bottom;
        break;
    case kTabsLeft:
        display.left += 1;
        row.right = display.left;
        break;
    case kTabsRight:
        display.right -= 1;
        row.left = display.right;
        break;
    }
    IntersectRect(&row, &row, &r);
    const bool lying = position_ == kTabsLeft || position_ == kTabsRight;
    const int rowW = row.right - row.left, rowH = row.bottom - row.top;
    const int length = lying ? rowH : rowW, thickness = lying ? rowW : rowH;
    FillAround(dc, r, data_->ButtonFaceColor, {row, display});

    const TDataSkinBorder& tabs = *data_->Tab;
    bool paneDrawn = false;
    const int count = static_cast<int>(SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0));
    itemRects_.assign(static_cast<size_t>(std::max(count, 0)), RECT{});
    if (length > 0 && thickness > 0) {
        const int current = static_cast<int>(SendMessageW(wnd, TCM_GETCURFOCUS, 0, 0));
        lastSelection_ = current;
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(wnd, TCM_GETIMAGELIST, 0, 0));
        TBitmap strip(length, thickness, pf24bit);
        HDC mem = strip.Canvas().Handle();
        FillFace(mem, {0, 0, length, thickness});
        const skin::SliceMargins tabMargins = MarginsOf(
            position_ == kTabsBottom ? TurnedMargins(tabs.Margins, kTabsBottom) : tabs.Margins);
        const int frames = tabs.FrameCount > 0 ? tabs.FrameCount : 1;
        UniquePen pen(CreatePen(PS_SOLID, 1, ColorToRGB(tabs.NormalColour2)));
        for (int i = 0; i < count; ++i) {
            TSkinTabItem item;
            ReadTabItem(wnd, i, unicode2_, item);
            RECT t;
            if (!SendMessageW(wnd, TCM_GETITEMRECT, static_cast<WPARAM>(i),
                              reinterpret_cast<LPARAM>(&t)))
                continue;
            RECT in = TabRectInRow(position_, t, length, r.right, display.bottom);
            if (position_ == kTabsTop || position_ == kTabsBottom) OffsetRect(&in, -row.left, 0);
            const int frame = TabFrame(i == current, frames);
            skin::DrawNineSlice(mem, in, *tabImage_, false, tabs.Tile == 1, tabs.Trans == 1, frames,
                                frame, tabMargins);
            if (closeBoxes_) {
                const RECT box = CloseBoxOf(in);
                SelectObjectGuard p(mem, pen.get());
                SelectObjectGuard b(mem, GetStockObject(NULL_BRUSH));
                Rectangle(mem, box.left, box.top, box.right, box.bottom);
                MoveToEx(mem, box.left, box.top, nullptr);
                LineTo(mem, box.right, box.bottom);
                MoveToEx(mem, box.right - 1, box.top, nullptr);
                LineTo(mem, box.left - 1, box.bottom);
                itemRects_[static_cast<size_t>(i)] = CloseBoxOf(t);
                OffsetRect(&itemRects_[static_cast<size_t>(i)], 0, 1);
            }
            SelectObjectGuard font(mem, CaptionFont());
            const bool currentFrame = frame == 2;
            SetTextColor(mem,
                         ColorToRGB(currentFrame ? tabs.MouseOverColour2 : tabs.NormalColour2));
            DrawCaptionWithImage(mem, in, 1, item.Text, item.Image, images);
        }
        if (position_ == kTabsLeft) skin::RotateCounterClockwise(strip);
        if (position_ == kTabsRight) skin::RotateClockwise(strip);
        SavedDc saved(dc);
        HWND arrows = ArrowsOf(wnd);
        if (arrows && IsWindowVisible(arrows)) {
            RECT a;
            GetWindowRect(arrows, &a);
            MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&a), 2);
            ExcludeClipRect(dc, a.left, a.top, a.right, a.bottom);
        }
        BitBlt(dc, row.left, row.top, rowW, rowH, strip.Canvas().Handle(), 0, 0, SRCCOPY);
        DrawPane(dc, display);
        paneDrawn = true;
        OpenCurrentTab(dc, display, row, strip, current);
    }
    if (!paneDrawn) DrawPane(dc, display);
    if (auto* wc = dynamic_cast<TWinControl*>(control_)) wc->PaintControls(dc);
}

skin::TSkinMargins TSkinTab::PaneMargins() const {
    const skin::TSkinMargins margins = data_->Tab->Style != 0 && data_->TabPane
                                           ? data_->TabPane->Margins
                                           : skin::TSkinMargins{4, 5, 4, 4};
    return TurnedMargins(margins, position_);
}

void TSkinTab::DrawPane(HDC dc, const RECT& display) {
    // Without a pane image the pane is the face, not what was on screen before.
    if (!paneImage_) {
        FillFace(dc, display);
        return;
    }
    skin::DrawNineSlice(dc, display, *paneImage_, false, false, false, 1, 1,
                        MarginsOf(PaneMargins()));
}

void TSkinTab::OpenCurrentTab(HDC dc, const RECT& display, const RECT& row, TBitmap& strip,
                              int current) {
    // The pane's edge under the current tab takes the tab's own colour, so the tab opens
    // into the pane; the tab's side borders stay where they end.
    RECT t;
    if (!paneImage_ || current < 0 ||
        !SendMessageW(Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(current),
                      reinterpret_cast<LPARAM>(&t)))
        return;
    const skin::TSkinMargins pane = PaneMargins();
    const skin::TSkinMargins& own = data_->Tab->Margins;
    const bool lying = position_ == kTabsLeft || position_ == kTabsRight;
    int from = (lying ? t.top : t.left) + own.Left, to = (lying ? t.bottom : t.right) - own.Right;
    from = std::max<int>(from, lying ? display.top + pane.Top : display.left + pane.Left);
    to = std::min<int>(to, lying ? display.bottom - pane.Bottom : display.right - pane.Right);
    if (to <= from) return;
    HDC src = strip.Canvas().Handle();
    const int n = to - from, rowW = row.right - row.left, rowH = row.bottom - row.top;
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    switch (position_) {
    case kTabsTop:
        StretchBlt(dc, from, display.top, n, pane.Top, src, from - row.left, rowH - 1, n, 1,
                   SRCCOPY);
        break;
    case kTabsBottom:
        StretchBlt(dc, from, display.bottom - pane.Bottom, n, pane.Bottom, src, from - row.left, 0,
                   n, 1, SRCCOPY);
        break;
    case kTabsLeft:
        StretchBlt(dc, display.left, from, pane.Left, n, src, rowW - 1, from - row.top, 1, n,
                   SRCCOPY);
        break;
    case kTabsRight:
        StretchBlt(dc, display.right - pane.Right, from, pane.Right, n, src, 0, from - row.top, 1,
                   n, SRCCOPY);
        break;
    }
    SetStretchBltMode(dc, oldMode);
}

// ---------------------------------------------------------------- tab set

TSkinTab31::~TSkinTab31() = default;

void TSkinTab31::SetupSkin() {
    TSkinControl::SetupSkin();
    LoadImage();
    if (scroller_ && scroller_->Stage() != 6) {
        scroller_->SkinChanged();
        return;
    }
    scroller_.reset();
    // The set's scroller, when it has one: its first owned component.
    if (control_ && control_->ComponentCount() > 0)
        if (auto* scroller = dynamic_cast<TWinControl*>(control_->Components(0));
            scroller && scroller->HandleAllocated()) {
            scroller_.reset(new TSkinUpDown(nullptr));
            scroller_->SetForceHorizontal(true);
            scroller_->AttachWindow(scroller->WindowHandle(), data_, nullptr, canvas_);
        }
}

void TSkinTab31::LoadImage() {
    tabImage_.reset();
    if (!data_ || !data_->Tab) return;
    tabImage_ = Copy24(data_->Tab->Bitmap.get());
    if (tabImage_) skin::Flip(*tabImage_);
}

void TSkinTab31::RestoreControl() {
    scroller_.reset();
    tabImage_.reset();
    TSkinControl::RestoreControl();
}

bool TSkinTab31::BeforeMessage(TMessage& m) {
    if (!tabImage_) return TSkinControl::BeforeMessage(m);
    switch (m.Msg) {
    case WM_PAINT:
        PaintHandler(m);
        return false;
    case WM_ERASEBKGND:
        m.Result = 1;
        return false;
    default:
        return TSkinControl::BeforeMessage(m);
    }
}

void TSkinTab31::DrawControl(HDC dc, const RECT& r) {
    auto* set = dynamic_cast<TTabSet*>(control_);
    if (!tabImage_ || !set) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    TBitmap bitmap(w, h, pf24bit);
    HDC mem = bitmap.Canvas().Handle();
    FillFace(mem, {0, 0, w, h});
    SelectObjectGuard font(mem, CaptionFont());
    const TDataSkinBorder& tabs = *data_->Tab;
    const int frames = tabs.FrameCount > 0 ? tabs.FrameCount : 1;
    const skin::TSkinMargins m = TurnedMargins(tabs.Margins, kTabsBottom);
    enabled_ = set->Enabled();
    // One pass along the row, as the set lays it out: each tab its caption's width and 9,
    // drawn while it fits before the end margin with 9 pixels of room, 21 beside the scroller.
    const int end = w - set->EndMargin();
    const int room = scroller_ && IsWindowVisible(scroller_->Handle()) ? 21 : 9;
    int x = set->StartMargin();
    for (int i = set->FirstIndex(); i < set->Tabs().Count(); ++i) {
        const std::wstring caption = Widen(set->Tabs()[i]);
        SIZE size{};
        {
            SelectObjectGuard setFont(mem, set->Font().Handle());
            GetTextExtentPoint32W(mem, caption.c_str(), static_cast<int>(caption.size()), &size);
        }
        const int tw = size.cx + 9;
        if (x + tw > end || end - x < room) break; // no room for it, nor for the ones after it
        const RECT t = {x, 0, x + tw, h};
        x += tw;
        const int frame = i == set->TabIndex() ? 2 : 1;
        skin::DrawNineSlice(mem, t, *tabImage_, false, tabs.Tile == 1, tabs.Trans == 1, frames,
                            std::min(frame, frames), MarginsOf(m));
        SetTextColor(mem, ColorToRGB(frame == 1 ? tabs.NormalColour2 : tabs.MouseOverColour2));
        DrawCaption(mem, t, 1, enabled_, caption);
    }
    BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------- tab sheet

bool TSkinTabSheet::BeforeMessage(TMessage& m) {
    if (!TSkinControl::BeforeMessage(m)) return false;
    if (kind_ != 0) return true;
    switch (m.Msg) {
    case WM_PAINT:
        PaintHandler(m);
        return false;
    case WM_PRINTCLIENT: {
        TMessage p{WM_PAINT, m.WParam, 0, 0};
        PaintHandler(p);
        m.Result = 0;
        return false;
    }
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(Handle(), &r);
        FillFace(reinterpret_cast<HDC>(m.WParam), r);
        m.Result = 1;
        return false;
    }
    default:
        return true;
    }
}

void TSkinTabSheet::DrawControl(HDC dc, const RECT& r) {
    FillFace(dc, r);
    if (auto* wc = dynamic_cast<TWinControl*>(control_)) wc->PaintControls(dc);
}
