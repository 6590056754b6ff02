#include "skin/controls/skin_statusbar.h"

#include "skin/data/skin_shared.h"
#include "skin/form/primitives.h"
#include "toolkit/comctrls.h"
#include "toolkit/handles.h"
#include "toolkit/win_text.h"

#include <commctrl.h>

#include <vector>

int StatusBevelFrame(bool raised, bool none) {
    return none ? 3 : raised ? 2 : 1;
}

bool TSkinStatusBar::BeforeMessage(TMessage& m) {
    if (!TSkinControl::BeforeMessage(m)) return false;
    switch (m.Msg) {
    case WM_PAINT:
        PaintHandler(m);
        return false;
    case WM_ERASEBKGND:
        m.Result = 1;
        return false;
    default:
        return true;
    }
}

bool TSkinStatusBar::Simple() const {
    if (auto* bar = dynamic_cast<TStatusBar*>(control_))
        return bar->SimplePanel() || bar->PanelCount() == 0;
    HWND wnd = Handle();
    return SendMessageW(wnd, SB_ISSIMPLE, 0, 0) != 0 || SendMessageW(wnd, SB_GETPARTS, 0, 0) <= 0;
}

std::vector<TSkinStatusBar::PanelInfo> TSkinStatusBar::Panels(const RECT& r) const {
    std::vector<PanelInfo> out;
    HWND wnd = Handle();
    auto* bar = dynamic_cast<TStatusBar*>(control_);
    const int count =
        bar ? bar->PanelCount() : static_cast<int>(SendMessageW(wnd, SB_GETPARTS, 0, 0));
    for (int i = 0; i < count; ++i) {
        PanelInfo p{};
        if (!SendMessageW(wnd, SB_GETRECT, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(&p.rect)))
            continue;
        p.rect.right += 2;
        if (i == count - 1) p.rect.right = r.right;
        if (bar) {
            const TStatusPanel& panel = *bar->Panel(i);
            p.text = Widen(panel.Text());
            p.alignment = panel.Alignment() == taRightJustify ? 1
                          : panel.Alignment() == taCenter     ? 2
                                                              : 0;
            p.frame = StatusBevelFrame(panel.Bevel() == pbRaised, panel.Bevel() == pbNone);
            p.rtl = bar->UseRightToLeftReading();
        } else {
            const LRESULT info = SendMessageW(wnd, SB_GETTEXTLENGTHW, static_cast<WPARAM>(i), 0);
            const UINT type = HIWORD(info);
            p.ownerDrawn = (type & SBT_OWNERDRAW) != 0;
            std::wstring text(LOWORD(info) + 1, L'\0');
            SendMessageW(wnd, SB_GETTEXTW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(text.data()));
            text.resize(LOWORD(info));
            // The bar's own way of aligning: text after one tab is centred, after two right.
            p.alignment = 0;
            size_t tabs = 0;
            while (tabs < text.size() && tabs < 2 && text[tabs] == L'\t') ++tabs;
            p.alignment = tabs == 2 ? 1 : tabs == 1 ? 2 : 0;
            p.text = text.substr(tabs);
            p.frame = StatusBevelFrame((type & SBT_POPOUT) != 0, (type & SBT_NOBORDERS) != 0);
            p.rtl = (type & SBT_RTLREADING) != 0;
        }
        out.push_back(std::move(p));
    }
    return out;
}

void TSkinStatusBar::DrawPanel(HDC dc, const PanelInfo& p) const {
    const TDataSkinObject* edges = data_->StatusBarEdges.get();
    if (edges && edges->Bitmap && !edges->Bitmap->Empty()) {
        DrawElement(dc, p.rect, edges->FrameCount > 0 ? edges->FrameCount : 3, p.frame, edges);
    } else if (p.frame != 3) {
        RECT e = p.rect;
        DrawEdge(dc, &e, p.frame == 2 ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    }
    if (p.ownerDrawn) return;
    // A single space when empty, so the bar measures and draws text either way.
    const std::wstring text = p.text.empty() ? std::wstring(L" ") : p.text;
    RECT t = p.rect;
    InflateRect(&t, -2, 0);
    int alignment = p.alignment;
    if (p.rtl && alignment != 2) alignment = alignment == 0 ? 1 : 0;
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    flags |= alignment == 1 ? DT_RIGHT : alignment == 2 ? DT_CENTER : DT_LEFT;
    if (p.rtl) flags |= DT_RTLREADING;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, flags);
}

void TSkinStatusBar::DrawControl(HDC dc, const RECT& r) {
    if (!data_) return;
    HWND wnd = Handle();
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    OffscreenBuffer buffer(dc, w, h);
    HDC mem = buffer.dc();
    if (!mem) return;
    const RECT all = {0, 0, w, h};
    FillFace(mem, all);
    // The control's font in plain style, whatever style it has.
    LOGFONTW lf{};
    GetObjectW(CaptionFont(), sizeof(lf), &lf);
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = lf.lfUnderline = lf.lfStrikeOut = FALSE;
    UniqueFont plain(CreateFontIndirectW(&lf));
    SavedDc saved(mem);
    SelectObject(mem, plain.get());
    SetBkMode(mem, TRANSPARENT);
    const TDataSkinObject* edges = data_->StatusBarEdges.get();
    SetTextColor(mem, ColorToRGB(edges ? edges->NormalColour2 : FontColour()));

    if (Simple()) {
        PanelInfo p{};
        p.rect = all;
        p.frame = 1;
        if (auto* bar = dynamic_cast<TStatusBar*>(control_)) {
            p.text = Widen(bar->SimpleText());
            p.rtl = bar->UseRightToLeftReading();
        } else {
            const LRESULT info = SendMessageW(wnd, SB_GETTEXTLENGTHW, SB_SIMPLEID, 0);
            std::wstring text(LOWORD(info) + 1, L'\0');
            SendMessageW(wnd, SB_GETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.data()));
            text.resize(LOWORD(info));
            p.text = text;
            p.rtl = Rtl();
        }
        p.alignment = 0; // the panel drawing turns it right for right-to-left text
        DrawPanel(mem, p);
    } else {
        for (const PanelInfo& p : Panels(all)) DrawPanel(mem, p);
    }

    const TDataSkinObject* extra = data_->ExtraImages.get();
    if ((GetWindowLongPtrW(wnd, GWL_STYLE) & SBARS_SIZEGRIP) && extra && extra->Bitmap &&
        !extra->Bitmap->Empty()) {
        const int frames = extra->FrameCount > 0 ? extra->FrameCount : 5;
        const int gw = extra->Bitmap->Width() / frames, gh = extra->Bitmap->Height();
        RECT grip = {w - 1 - gw, h - 1 - gh, w - 1, h - 1};
        skin::DrawFrame(mem, grip, *extra->Bitmap, true, frames, 5);
    }
    BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
    if (auto* c = dynamic_cast<TWinControl*>(control_)) c->PaintControls(dc);
}
