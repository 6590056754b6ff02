#include "skin/controls/skin_scrollbars.h"

#include "skin/controls/skin_listview.h"
#include "skin/data/skin_shared.h"
#include "skin/form/control_discovery.h"
#include "skin/form/skin_messages.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/comctrls.h"
#include "toolkit/handles.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace {

// The covers go at restore; when the window itself is gone they only hide, so nothing shows
// its bars until a new window is skinned.
void ReleaseCovers(std::unique_ptr<TWScrollbar>& horz, std::unique_ptr<TWScrollbar>& vert,
                   bool windowGone) {
    if (!windowGone) {
        horz.reset();
        vert.reset();
        return;
    }
    if (horz) horz->HideBar();
    if (vert) vert->HideBar();
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int FramesOf(const TDataSkinObject* e, int fallback) {
    return e && e->FrameCount > 0 ? e->FrameCount : fallback;
}

bool HasImage(const TDataSkinObject* e) {
    return e && e->Bitmap && !e->Bitmap->Empty();
}

// A scroll request code as the part it acts on; codes that name no part (the end of a scroll,
// a final thumb position) leave no part active.
int PartOfRequest(WPARAM code) {
    switch (LOWORD(code)) {
    case SB_LINEUP:
    case SB_LINEDOWN:
    case SB_PAGEUP:
    case SB_PAGEDOWN:
    case SB_THUMBTRACK:
        return LOWORD(code);
    default:
        return kPartNone;
    }
}

// The DC of the whole window, frame included.
class FrameDc {
public:
    explicit FrameDc(HWND wnd) : wnd_(wnd), dc_(GetWindowDC(wnd)) {}
    FrameDc(const FrameDc&) = delete;
    FrameDc& operator=(const FrameDc&) = delete;
    ~FrameDc() {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// The host scrolled: the matching cover shows the part being scrolled (none once scrolling
// ends); the wheel moves the thumbs of both.
void FollowScrolling(const TMessage& m, TWScrollbar* horz, TWScrollbar* vert) {
    if (m.Msg == WM_MOUSEWHEEL) {
        for (TWScrollbar* bar : {horz, vert})
            if (bar && bar->Shown()) bar->Redraw();
        return;
    }
    // A scroll-bar control inside the host reports with its own handle: not the host's bars.
    if (m.LParam) return;
    TWScrollbar* bar = m.Msg == WM_HSCROLL ? horz : vert;
    if (bar) bar->SetActivePart(PartOfRequest(m.WParam));
}

// The square between two shown covers of `wnd`, in its window coordinates.
bool CornerOf(HWND wnd, const TWScrollbar* horz, const TWScrollbar* vert, RECT& corner) {
    if (!horz || !vert || !horz->Shown() || !vert->Shown()) return false;
    RECT w;
    POINT origin{0, 0};
    if (!wnd || !GetWindowRect(wnd, &w) || !ClientToScreen(wnd, &origin)) return false;
    const int dx = origin.x - w.left, dy = origin.y - w.top;
    const RECT& v = vert->BarRect();
    const RECT& h = horz->BarRect();
    corner = {v.left + dx, h.top + dy, v.right + dx, h.bottom + dy};
    return corner.right > corner.left && corner.bottom > corner.top;
}

bool IsCoverOf(HWND wnd, HWND host) {
    auto* cover = dynamic_cast<TWScrollbar*>(TWinControl::FromHandle(wnd));
    return cover && cover->Host() == host;
}

// Hides the covers whose bars the host's style no longer has.
void HideGoneBars(HWND host, TWScrollbar* horz, TWScrollbar* vert) {
    if (!host) return;
    const LONG_PTR style = GetWindowLongPtrW(host, GWL_STYLE);
    if (horz && horz->Shown() && !(style & WS_HSCROLL)) horz->HideBar();
    if (vert && vert->Shown() && !(style & WS_VSCROLL)) vert->HideBar();
}

} // namespace

// ---------------------------------------------------------------- the cover

const TClassInfo& TWScrollbar::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TWScrollbar>("TWScrollbar", TCustomPanel::StaticClass()).Build();
    return info;
}

TWScrollbar::TWScrollbar(TSkinControl* skin, HWND host, TWinControl* hostControl, int barKind,
                         bool vertical)
    : TCustomPanel(nullptr), vertical_(vertical), hostHandle_(host), hostControl_(hostControl),
      skinObject_(skin), barKind_(barKind) {
    arrowSize_ = GetSystemMetrics(SM_CXHSCROLL);
    SetBevelOuter(bvNone);
    SetTabStop(false);
}

TWScrollbar::~TWScrollbar() {
    *alive_ = false;
}

HWND TWScrollbar::Host() const {
    if (hostControl_) return hostControl_->WindowHandle();
    return IsWindow(hostHandle_) ? hostHandle_ : nullptr;
}

TSkinData* TWScrollbar::Data() const {
    return skinObject_ ? skinObject_->SkinData() : nullptr;
}

void TWScrollbar::CreateParams(TCreateParams& p) {
    TCustomPanel::CreateParams(p);
    HWND host = Host();
    p.Style &= ~(WS_VISIBLE | WS_TABSTOP);
    p.ExStyle &= ~WS_EX_CONTROLPARENT;
    p.ExStyle |= WS_EX_TOOLWINDOW;
    if (host && !(GetWindowLongPtrW(host, GWL_STYLE) & WS_CHILD)) {
        // A pop-up host (a dropped-down list) gets a pop-up cover that it owns.
        p.Style = (p.Style & ~WS_CHILD) | WS_POPUP;
        p.ExStyle |= WS_EX_NOACTIVATE;
        p.WndParent = host;
    } else {
        p.WndParent = host ? GetParent(host) : nullptr;
    }
    p.X = p.Y = 0;
    p.Width = std::max<int>(barRect_.right - barRect_.left, 1);
    p.Height = std::max<int>(barRect_.bottom - barRect_.top, 1);
}

bool TWScrollbar::GetBarInfo(SCROLLBARINFO& info) {
    HWND host = Host();
    if (!host) return false;
    if (barKind_ != kBarControl)
        return skin::SkinScrollBarInfo(host, vertical_ ? OBJID_VSCROLL : OBJID_HSCROLL, info);
    // The system's own thumb, so a press lands where the drawn thumb is; the formula below
    // only where the system cannot tell.
    if (skin::SkinScrollBarInfo(host, OBJID_CLIENT, info)) {
        const RECT& r = info.rcScrollBar;
        length_ = vertical_ ? r.bottom - r.top : r.right - r.left;
        if (GetWindowLongPtrW(host, GWL_STYLE) & WS_DISABLED)
            info.rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
        return true;
    }
    info = SCROLLBARINFO{};
    info.cbSize = sizeof(info);
    if (!GetWindowRect(host, &info.rcScrollBar)) return false;
    const RECT& r = info.rcScrollBar;
    length_ = vertical_ ? r.bottom - r.top : r.right - r.left;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    if (!GetScrollInfo(host, SB_CTL, &si)) return false;
    const int range = si.nMax - si.nMin;
    const int track = length_ - 2 * arrowSize_;
    int start = arrowSize_, size = arrowSize_;
    if (range <= 0) {
        size = std::max(track, 0);
    } else if (si.nPage != 0) {
        size = MulDiv(track, static_cast<int>(si.nPage) - 1, range);
        if (si.nPos != si.nMin) start = MulDiv(track, si.nPos - si.nMin, range) + arrowSize_;
    } else if (si.nPos != si.nMin) {
        start = MulDiv(length_ - 3 * arrowSize_, si.nPos - si.nMin, range) + arrowSize_;
    }
    info.dxyLineButton = arrowSize_;
    info.xyThumbTop = start;
    info.xyThumbBottom = start + size;
    if (GetWindowLongPtrW(host, GWL_STYLE) & WS_DISABLED)
        info.rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
    return true;
}

void TWScrollbar::HideBar() {
    shown_ = false;
    if (handle_ && IsWindowVisible(handle_))
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWScrollbar::UpdateBar() {
    HWND host = Host();
    SCROLLBARINFO info;
    // Without the skin's arrows there is nothing to cover the native bar with.
    TSkinData* data = Data();
    if (!host || !data || !HasImage(data->Scrollbar.get()) || !GetBarInfo(info)) {
        HideBar();
        return;
    }
    if (!(GetWindowLongPtrW(host, GWL_STYLE) & WS_VISIBLE) ||
        (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) {
        HideBar();
        return;
    }
    const RECT r = info.rcScrollBar;
    POINT topLeft{r.left, r.top}, bottomRight{r.right, r.bottom};
    ::ScreenToClient(host, &topLeft);
    ::ScreenToClient(host, &bottomRight);
    barRect_ = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    length_ = vertical_ ? r.bottom - r.top : r.right - r.left;
    barOrigin_ = {r.left, r.top};
    const bool popup = !(GetWindowLongPtrW(host, GWL_STYLE) & WS_CHILD);
    HWND parent = popup ? nullptr : GetParent(host);
    if (!popup && !parent) {
        HideBar();
        return;
    }
    if (!handle_) {
        try {
            HandleNeeded();
        } catch (...) {
            shown_ = false;
            return;
        }
        if (!handle_) return;
    }
    if (!popup && GetParent(handle_) != parent) ::SetParent(handle_, parent);
    POINT at{r.left, r.top};
    if (!popup) ::ScreenToClient(parent, &at);
    const int w = r.right - r.left, h = r.bottom - r.top;
    // Over a topmost host (a dropped list, a child of the desktop) the cover must be topmost
    // too, or the host's next raise puts it back under.
    const bool topmost = (GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    HWND after = topmost ? HWND_TOPMOST : popup ? HWND_TOP : GetWindow(host, GW_HWNDPREV);
    UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    // Already above the host, maybe with its other cover between: the two stay as they are.
    bool above = false;
    if (!topmost && !popup)
        for (HWND w2 = after; w2; w2 = GetWindow(w2, GW_HWNDPREV)) {
            if (w2 == handle_) {
                above = true;
                break;
            }
            if (!IsCoverOf(w2, host)) break;
        }
    if (above)
        flags |= SWP_NOZORDER;
    else if (!after)
        after = HWND_TOP;
    RECT now{};
    GetWindowRect(handle_, &now);
    POINT nowAt{now.left, now.top};
    if (!popup) ::ScreenToClient(parent, &nowAt);
    const bool placed = nowAt.x == at.x && nowAt.y == at.y && now.right - now.left == w &&
                        now.bottom - now.top == h && IsWindowVisible(handle_);
    if (!(placed && above)) SetWindowPos(handle_, after, at.x, at.y, w, h, flags);
    shown_ = true;
}

int TWScrollbar::PartAt(int x, int y) const {
    const int v = vertical_ ? y : x;
    if (v < arrowSize_) return kPartFirstArrow;
    if (v < thumbStart_) return kPartTrackBefore;
    if (v < thumbEnd_) return kPartThumb;
    if (v < length_ - arrowSize_) return kPartTrackAfter;
    return kPartSecondArrow;
}

void TWScrollbar::SetActivePart(int part) {
    activePart_ = part;
    Redraw();
}

void TWScrollbar::Redraw() {
    if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

bool TWScrollbar::PaintBar(HDC dc) {
    TSkinData* data = Data();
    if (!data || !HasImage(data->Scrollbar.get()) || !handle_) return false;
    SCROLLBARINFO info;
    if (!GetBarInfo(info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return false;
    const bool enabled = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) && HostEnabled();
    if (!enabled) activePart_ = kPartNone;
    RECT rect = info.rcScrollBar;
    OffsetRect(&rect, -rect.left, -rect.top);
    RECT client;
    GetClientRect(handle_, &client);
    if (rect.right <= 0 || rect.bottom <= 0 || rect.right > client.right ||
        rect.bottom > client.bottom)
        return false;
    length_ = vertical_ ? rect.bottom : rect.right;

    TBitmap* strip = data->Scrollbar->Bitmap.get();
    int breadth = strip->Height();
    if (std::abs(breadth - arrowSize_) > 2) breadth = arrowSize_;
    auto span = [&](int from, int to) {
        return vertical_ ? RECT{0, from, breadth, to} : RECT{from, 0, to, breadth};
    };

    OffscreenBuffer buffer(dc, rect.right, rect.bottom);
    HDC b = buffer.dc();
    if (!b) return false;
    SetStretchBltMode(b, COLORONCOLOR);
    TSkinControl::FillColour(b, rect, data->ButtonFaceColor);

    // The track between the arrows.
    const TDataSkinObject* track = vertical_ ? data->VertScroll.get() : data->HorzScroll.get();
    TSkinControl::DrawElement(b, span(arrowSize_, length_ - arrowSize_), FramesOf(track, 4),
                              enabled ? 1 : 3, track);

    // The arrows, half as long each when the bar is shorter than two.
    const int arrow = length_ < 2 * arrowSize_ ? length_ / 2 : arrowSize_;
    auto arrowFrame = [&](int base, int part) {
        if (activePart_ != part) return base;
        return tracking_ ? base + 1 : base + 3;
    };
    TSkinControl::DrawGlyphFrame(b, span(0, arrow), kScrollStripFrames,
                                 arrowFrame(vertical_ ? 9 : 1, kPartFirstArrow), strip);
    TSkinControl::DrawGlyphFrame(b, span(length_ - arrow, length_), kScrollStripFrames,
                                 arrowFrame(vertical_ ? 13 : 5, kPartSecondArrow), strip);

    // The thumb: where the cursor drags it while the native loop tracks it, else where the
    // system has it.
    const bool draggingThumb = tracking_ && activePart_ == kPartThumb;
    if (draggingThumb && barKind_ != kBarControl) {
        const int size = thumbEnd_ - thumbStart_;
        POINT cursor;
        GetCursorPos(&cursor);
        int start =
            pressThumbStart_ + (vertical_ ? cursor.y - pressPos_.y : cursor.x - pressPos_.x);
        // Strayed far from the bar: the system puts the thumb back where the drag began.
        RECT reach = info.rcScrollBar;
        const int breadth = vertical_ ? reach.right - reach.left : reach.bottom - reach.top;
        InflateRect(&reach, breadth * (vertical_ ? 8 : 2), breadth * (vertical_ ? 2 : 8));
        if (!PtInRect(&reach, cursor)) start = pressThumbStart_;
        start = std::min(start, length_ - arrowSize_ - size);
        start = std::max(start, arrowSize_);
        thumbStart_ = start;
        thumbEnd_ = start + size;
    } else {
        thumbStart_ = info.xyThumbTop;
        thumbEnd_ = info.xyThumbBottom;
    }
    if (enabled && thumbEnd_ > thumbStart_ && thumbStart_ <= length_ && thumbEnd_ <= length_) {
        const TDataSkinObject* thumb =
            vertical_ ? data->VertScrollThumb.get() : data->HorzScrollThumb.get();
        const int frames = FramesOf(thumb, 3);
        const int frame = draggingThumb ? 2 : activePart_ == kPartThumb ? 3 : 1;
        TSkinControl::DrawElement(b, span(thumbStart_, thumbEnd_), frames, std::min(frame, frames),
                                  thumb);
        const int grip = strip->Height(), size = thumbEnd_ - thumbStart_;
        if (grip < size + 2) {
            const int from = thumbStart_ + (size - grip) / 2;
            const int gripFrame = (vertical_ ? 20 : 17) + (frame == 2 ? 1 : frame == 3 ? 2 : 0);
            if (from >= 0 && from + grip <= length_)
                TSkinControl::DrawGlyphFrame(b, span(from, from + grip), kScrollStripFrames,
                                             gripFrame, strip);
        }
    }
    BitBlt(dc, 0, 0, rect.right, rect.bottom, b, 0, 0, SRCCOPY);
    return true;
}

void TWScrollbar::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(handle_, &ps)) {
            PaintBar(dc);
            EndPaint(handle_, &ps);
        }
        m.Result = 0;
        return;
    }
    case WM_PRINTCLIENT:
        PaintBar(reinterpret_cast<HDC>(m.WParam));
        m.Result = 0;
        return;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // The wheel over the bar scrolls what the bar scrolls, not the form under the cover;
        // over a disabled host it goes on as it would past the host.
        if (HWND host = Host(); host && HostEnabled()) {
            m.Result = SendMessageW(host, m.Msg, m.WParam, m.LParam);
            return;
        }
        break;
    case WM_MOUSEACTIVATE:
        // A click on the bar asks the host, as a click on its own bar would; its answer (eat
        // the click or not) holds for the cover.
        if (HWND host = Host(); host && HostEnabled()) {
            const WORD hit = barKind_ == kBarControl ? LOWORD(m.LParam)
                             : vertical_             ? WORD(HTVSCROLL)
                                                     : WORD(HTHSCROLL);
            m.Result = SendMessageW(host, m.Msg, m.WParam, MAKELPARAM(hit, HIWORD(m.LParam)));
            return;
        }
        break;
    case WM_MOUSEMOVE: {
        TCustomPanel::WndProc(m);
        if (!HostEnabled()) return;
        const int part = PartAt(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        if (part != activePart_) SetActivePart(part);
        skin::SkinTrackMouseLeave(handle_);
        return;
    }
    case WM_MOUSELEAVE:
        TCustomPanel::WndProc(m);
        if (!tracking_) SetActivePart(kPartNone);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        TCustomPanel::WndProc(m);
        if (HostEnabled()) Press(m);
        return;
    case WM_LBUTTONUP:
        TCustomPanel::WndProc(m);
        if (HostEnabled()) Release(m);
        return;
    default:
        break;
    }
    TCustomPanel::WndProc(m);
}

bool TWScrollbar::HostEnabled() const {
    HWND host = Host();
    return host && IsWindowEnabled(host);
}

void TWScrollbar::Press(TMessage& m) {
    std::shared_ptr<bool> alive = alive_;
    HWND host = Host();
    if (!host) return;
    GetCursorPos(&pressPos_);
    SCROLLBARINFO info;
    const bool known = GetBarInfo(info);
    if (known) pressThumbStart_ = info.xyThumbTop;
    POINT at{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    activePart_ = PartAt(at.x, at.y);
    if (barKind_ != kBarControl) {
        if (known) barOrigin_ = {info.rcScrollBar.left, info.rcScrollBar.top};
        ::ClientToScreen(handle_, &at);
    }
    tracking_ = true;
    Redraw();
    ReleaseCapture();
    // The system's loop takes every mouse-leave of the thread for its own bar's: the cover's
    // leave, posted as the bar takes the mouse, would stop a held arrow from repeating.
    if (skin::SkinPlatform().TrackMouseEvent) {
        TRACKMOUSEEVENT cancel{};
        cancel.cbSize = sizeof(cancel);
        cancel.dwFlags = TME_CANCEL | TME_LEAVE;
        cancel.hwndTrack = handle_;
        skin::SkinPlatform().TrackMouseEvent(&cancel);
    }
    // The system's own tracking loop runs inside this call, scrolling the host as the mouse
    // moves and repeating while a button is held.
    if (barKind_ == kBarControl)
        SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    else
        SendMessageW(host, WM_NCLBUTTONDOWN, vertical_ ? HTVSCROLL : HTHSCROLL,
                     MAKELPARAM(at.x, at.y));
    if (!*alive) return;
    tracking_ = false;
    ReleaseCapture();
    if (barKind_ == kBarControl) Redraw();
    m.Result = 0;
}

void TWScrollbar::Release(TMessage& m) {
    HWND host = Host();
    POINT at{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    if (barKind_ != kBarControl) ::ClientToScreen(handle_, &at);
    tracking_ = false;
    ReleaseCapture();
    if (host) {
        if (barKind_ == kBarControl)
            PostMessageW(host, WM_LBUTTONUP, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        else
            PostMessageW(host, WM_NCLBUTTONUP, vertical_ ? HTVSCROLL : HTHSCROLL,
                         MAKELPARAM(at.x, at.y));
    }
    if (barKind_ == kBarControl) Redraw();
    m.Result = 0;
}

// ---------------------------------------------------------------- controls with window bars

TSkinScrollbar::~TSkinScrollbar() = default;

void TSkinScrollbar::AttachControl(TWinSkinForm* form, TSkinData* data, bool /*ownColor*/,
                                   TCanvas* canvas) {
    AttachScrollHost(dynamic_cast<TControl*>(Owner()), data, form, canvas);
}

void TSkinScrollbar::AttachScrollHost(TControl* control, TSkinData* data, TWinSkinForm* form,
                                      TCanvas* canvas) {
    if (attached_ || !control || control != Owner()) return;
    // The control keeps its own colours: only the bars and the border are the skin's.
    TSkinControl::AttachControl(form, data, false, canvas);
}

void TSkinScrollbar::SetupSkin() {
    TSkinControl::SetupSkin();
    recreatedFrom_ = nullptr;
    TControl* control = control_;
    if (!control) return;
    const std::string cls = control->ClassName();
    drawBorder_ =
        Lower(EnumProp("BorderStyle")) != "bsnone" && cls != "TImageScrollBox" && kind_ != 1;
    if (const TPropInfo* p = GetPropInfo(*control, "FixedColor");
        p && p->Kind == TPropKind::Integer && data_) {
        if (!fixedColourTaken_)
            savedFixed_ = static_cast<TColor>(GetOrdProp(*control, "FixedColor"));
        SetOrdProp(*control, "FixedColor", static_cast<int64_t>(data_->ButtonFaceColor));
        fixedColourTaken_ = true;
    }
    auto* windowed = dynamic_cast<TWinControl*>(control);
    const TColor colour = control->Parent() ? control->Parent()->Color()
                          : data_           ? data_->ButtonFaceColor
                                            : clBtnFace;
    // Covers survive a new window (they ask the control for it) and follow it from here.
    if (!horz_)
        horz_ = std::make_unique<TWScrollbar>(this, handle_, windowed, kBarHorizontal, false);
    if (!vert_) vert_ = std::make_unique<TWScrollbar>(this, handle_, windowed, kBarVertical, true);
    horz_->SetColor(colour);
    vert_->SetColor(colour);
    PlaceBars();
    if (!control->Visible()) {
        horz_->HideBar();
        vert_->HideBar();
    }
    // The border is drawn only with a non-client paint: one that came before this set-up (a
    // window shown before it was skinned, or in the previous skin) would otherwise stay.
    if (HWND wnd = Handle(); wnd && drawBorder_)
        RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TSkinScrollbar::PlaceBars() {
    if (horz_) horz_->UpdateBar();
    if (vert_) vert_->UpdateBar();
}

void TSkinScrollbar::RestoreFixedColour() {
    if (!fixedColourTaken_ || !control_) return;
    SetOrdProp(*control_, "FixedColor", static_cast<int64_t>(savedFixed_));
    fixedColourTaken_ = false;
}

void TSkinScrollbar::RestoreControl() {
    RestoreFixedColour();
    TSkinControl::RestoreControl();
    ReleaseCovers(horz_, vert_, stage_ == 6);
}

bool TSkinScrollbar::BeforeMessage(TMessage& m) {
    if (!TSkinControl::BeforeMessage(m)) return false;
    if (m.Msg != WM_NCPAINT || !drawBorder_) return true;
    std::shared_ptr<bool> alive = alive_;
    CallPrevious(m);
    if (!*alive) return false;
    if (HWND wnd = Handle()) {
        FrameDc dc(wnd);
        if (dc.get()) DrawBorder(dc.get());
    }
    return false;
}

void TSkinScrollbar::DrawBorder(HDC dc) {
    HWND wnd = Handle();
    RECT r;
    if (!wnd || !data_ || !GetWindowRect(wnd, &r)) return;
    OffsetRect(&r, -r.left, -r.top);
    UniqueBrush shadow(CreateSolidBrush(ColorToRGB(data_->ButtonShadowColor)));
    UniqueBrush face(CreateSolidBrush(ColorToRGB(data_->ButtonFaceColor)));
    FrameRect(dc, &r, shadow.get());
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, face.get());
    // The native frame painting filled the corner between the bars in the system colour.
    RECT corner;
    if (CornerRect(corner)) FillFace(dc, corner);
}

bool TSkinScrollbar::CornerRect(RECT& corner) const {
    return CornerOf(Handle(), horz_.get(), vert_.get(), corner);
}

void TSkinScrollbar::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        PlaceBars();
        break;
    case WM_NCCALCSIZE:
    case WM_STYLECHANGED:
        // A bar can go with a frame change that moves nothing.
        HideGoneBars(Handle(), horz_.get(), vert_.get());
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        FollowScrolling(m, horz_.get(), vert_.get());
        break;
    case CM_VISIBLECHANGED:
        if (m.WParam) {
            PlaceBars();
        } else {
            if (horz_) horz_->HideBar();
            if (vert_) vert_->HideBar();
        }
        break;
    case CM_RECREATEWND:
        // The new window is set up when it is created.
        recreatedFrom_ = Handle();
        break;
    case CN_SKIN_NCPAINT:
        if (m.LParam == kSkinMagic) {
            if (m.WParam) DrawBorder(reinterpret_cast<HDC>(m.WParam));
            m.Result = kSkinMagic;
        }
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

void TSkinScrollbar::DrawControl(HDC dc, const RECT& /*r*/) {
    HWND wnd = Handle();
    if (!wnd) return;
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    // A bar that appeared since the last placement (text typed until it scrolls) is placed now.
    if (horz_) {
        if (horz_->Shown())
            horz_->Redraw();
        else if (style & WS_HSCROLL)
            horz_->UpdateBar();
    }
    if (vert_) {
        if (vert_->Shown())
            vert_->Redraw();
        else if (style & WS_VSCROLL)
            vert_->UpdateBar();
    }
    RECT corner;
    if (CornerRect(corner)) FillFace(dc, corner);
}

// ---------------------------------------------------------------- bare windows

TSkinScrollbarH::~TSkinScrollbarH() = default;

void TSkinScrollbarH::AttachWindow(HWND wnd, TSkinData* data, TWinSkinForm* form, TCanvas* canvas) {
    TSkinControl::AttachWindow(wnd, data, form, canvas);
}

void TSkinScrollbarH::SetupSkin() {
    TSkinControl::SetupSkin();
    HWND wnd = Handle();
    if (!horz_) horz_ = std::make_unique<TWScrollbar>(this, wnd, nullptr, kBarHorizontal, false);
    if (!vert_) vert_ = std::make_unique<TWScrollbar>(this, wnd, nullptr, kBarVertical, true);
    horz_->UpdateBar();
    vert_->UpdateBar();
}

void TSkinScrollbarH::RestoreControl() {
    TSkinControl::RestoreControl();
    ReleaseCovers(horz_, vert_, stage_ == 6);
}

void TSkinScrollbarH::AfterMessage(TMessage& m) {
    HWND wnd = Handle();
    if (wnd && !(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE)) {
        if (horz_) horz_->HideBar();
        if (vert_) vert_->HideBar();
    }
    switch (m.Msg) {
    case WM_SIZE:
    case WM_NCPAINT:
    case WM_WINDOWPOSCHANGED:
        if (horz_) horz_->UpdateBar();
        if (vert_) vert_->UpdateBar();
        break;
    case WM_NCCALCSIZE:
    case WM_STYLECHANGED:
        HideGoneBars(wnd, horz_.get(), vert_.get());
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        FollowScrolling(m, horz_.get(), vert_.get());
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

void TSkinScrollbarH::DrawControl(HDC dc, const RECT& /*r*/) {
    if (horz_ && horz_->Shown()) horz_->Redraw();
    if (vert_ && vert_->Shown()) vert_->Redraw();
    // No border of ours around a bare window: the corner is where the bars say.
    RECT corner;
    if (CornerOf(Handle(), horz_.get(), vert_.get(), corner)) FillFace(dc, corner);
}

// ---------------------------------------------------------------- scroll-bar controls

TSkinScControl::~TSkinScControl() = default;

bool TSkinScControl::KindVertical() const {
    return Lower(EnumProp("Kind")) != "sbhorizontal";
}

void TSkinScControl::AttachControl(TWinSkinForm* form, TSkinData* data, bool /*ownColor*/,
                                   TCanvas* canvas) {
    TSkinControl::AttachControl(form, data, false, canvas);
}

void TSkinScControl::SetupSkin() {
    TSkinControl::SetupSkin();
    if (!control_) return;
    auto* windowed = dynamic_cast<TWinControl*>(control_);
    if (!bar_)
        bar_ = std::make_unique<TWScrollbar>(this, handle_, windowed, kBarControl, KindVertical());
    // A new window may have turned (a new Kind).
    bar_->SetVertical(KindVertical());
    bar_->SetShowHint(control_->ShowHint());
    bar_->SetHint(control_->Hint());
    bar_->UpdateBar();
    if (!control_->Visible()) bar_->HideBar();
}

void TSkinScControl::RestoreControl() {
    TSkinControl::RestoreControl();
    if (stage_ != 6)
        bar_.reset();
    else if (bar_)
        bar_->HideBar();
}

void TSkinScControl::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_WINDOWPOSCHANGED:
        if (bar_) bar_->UpdateBar();
        break;
    case WM_NCPAINT:
        // A recreated control (a new Kind) may have turned.
        handle_ = Handle();
        if (bar_) {
            bar_->SetVertical(KindVertical());
            bar_->UpdateBar();
        }
        break;
    case SBM_SETSCROLLINFO:
    case SBM_SETPOS:
    case SBM_SETRANGE:
    case CN_HSCROLL:
    case CN_VSCROLL:
        if (bar_) bar_->Redraw();
        break;
    case CM_VISIBLECHANGED:
        if (bar_) {
            if (m.WParam)
                bar_->UpdateBar();
            else
                bar_->HideBar();
        }
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

void TSkinScControl::DrawControl(HDC /*dc*/, const RECT& /*r*/) {
    if (bar_) bar_->Redraw();
}

// ---------------------------------------------------------------- recreation

bool ReskinScrollControl(TWinSkinForm& form, HWND window) {
    if (!window || !form.SkinData()) return false;
    for (TComponent* c : form.SkinnedControls()) {
        auto* object = dynamic_cast<TSkinControl*>(c);
        if (!object || !object->Control() || object->Handle() != window) continue;
        TControlDiscovery discovery(form, *form.SkinData(), form.ControlCanvas());
        return discovery.ReskinRecreated(*object);
    }
    return false;
}
