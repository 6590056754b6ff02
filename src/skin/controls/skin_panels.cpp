#include "skin/controls/skin_panels.h"

#include "skin/controls/skin_updown.h"
#include "skin/data/skin_shared.h"
#include "skin/form/primitives.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/handles.h"

#include <string>

// ---------------------------------------------------------------- group box

void TSkinGroupBox::SetupSkin() {
    TSkinControl::SetupSkin();
    if (control_) kind_ = 1;
}

bool TSkinGroupBox::BeforeMessage(TMessage& m) {
    if (!TSkinControl::BeforeMessage(m)) return false;
    if (m.Msg == WM_PAINT && kind_ == 1) {
        PaintHandler(m);
        return false;
    }
    return true;
}

int TSkinGroupBox::LineOffset(HDC dc) const {
    SIZE zero{};
    GetTextExtentPoint32W(dc, L"0", 1, &zero);
    return zero.cy / 2 - 1;
}

void TSkinGroupBox::DrawControl(HDC dc, const RECT& r) {
    if (!data_) return;
    HWND wnd = Handle();
    text_ = skin::SkinWindowTextW(wnd);
    if (text_.empty()) text_ = ReadCaption();
    if (control_) FillFace(dc, r);
    SavedDc saved(dc);
    SelectObject(dc, CaptionFont());
    const int a = LineOffset(dc);
    if (!control_) {
        // The system's own frame goes under two rings of the face colour.
        RECT ring = {r.left, r.top + a, r.right, r.bottom};
        FrameRect(dc, &ring, data_->FaceBrush.get());
        InflateRect(&ring, -1, -1);
        FrameRect(dc, &ring, data_->FaceBrush.get());
    }
    {
        UniquePen pen(CreatePen(PS_SOLID, 1, ColorToRGB(data_->ButtonShadowColor)));
        SelectObjectGuard p(dc, pen.get());
        SelectObjectGuard b(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, r.left + 1, r.top + a, r.right - 1, r.bottom - 1, 5, 5);
    }
    if (text_.empty()) {
        if (control_)
            if (auto* w = dynamic_cast<TWinControl*>(control_)) w->PaintControls(dc);
        return;
    }
    // Opaque, so the caption cuts the line.
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(data_->ButtonFaceColor));
    const bool enabled = WindowEnabled();
    SetTextColor(dc, ColorToRGB(enabled ? FontColour() : clBtnShadow));
    RECT t = r;
    if (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_RIGHT) {
        t.right -= 8;
        DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &t,
                  DT_RIGHT | DT_EXPANDTABS | RtlFlags());
    } else {
        t.left += 8;
        DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &t, DT_EXPANDTABS);
    }
    if (control_)
        if (auto* w = dynamic_cast<TWinControl*>(control_)) w->PaintControls(dc);
}

// ---------------------------------------------------------------- panels

void TSkinBox::AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor, TCanvas* canvas) {
    if (attached_) return;
    auto* control = dynamic_cast<TControl*>(Owner());
    if (!control) return;
    control_ = control;
    data_ = data;
    form_ = form;
    canvas_ = canvas;
    ownColor_ = ownColor;
    if (auto* w = dynamic_cast<TWinControl*>(control)) handle_ = w->WindowHandle();
    if (form_) form_->RegisterControl(this);
    attached_ = true;
    stage_ = 1;
    SetupSkin();
}

void TSkinBox::RestoreControl() {
    if (stage_ != 4) TSkinControl::RestoreControl();
    stage_ = 2;
}

bool TSkinBoxH::BeforeMessage(TMessage& m) {
    if (!TSkinControl::BeforeMessage(m)) return false;
    switch (m.Msg) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(Handle(), &r);
        FillFace(reinterpret_cast<HDC>(m.WParam), r);
        m.Result = 0;
        return false;
    }
    case WM_CTLCOLORSTATIC:
        CallPrevious(m);
        if (data_ && data_->FaceBrush) {
            // The text background too, or a band of the system's face colour shows behind it.
            SetBkColor(reinterpret_cast<HDC>(m.WParam), ColorToRGB(data_->ButtonFaceColor));
            m.Result = reinterpret_cast<LRESULT>(data_->FaceBrush.get());
        }
        return false;
    default:
        return true;
    }
}

bool TSkinSizer::BeforeMessage(TMessage& m) {
    if (!TSkinControl::BeforeMessage(m)) return false;
    if (m.Msg == WM_PAINT) {
        PaintHandler(m);
        return false;
    }
    return true;
}

void TSkinSizer::DrawControl(HDC dc, const RECT& r) {
    FillFace(dc, r);
}

// ---------------------------------------------------------------- add-on glyphs

std::unique_ptr<TBitmap> RearrangedGlyphs(const TSkinData& data, int kind) {
    if (!data.Button) return nullptr;
    TBitmap* strip =
        kind == kGlyphRadio ? data.Button->RadioBitmap.get() : data.Button->CheckBitmap.get();
    const int frames =
        kind == kGlyphRadio ? data.Button->RadioFrameCount : data.Button->CheckFrameCount;
    if (!strip || strip->Empty() || frames <= 0) return nullptr;
    const int w = strip->Width() / frames, h = strip->Height();
    if (w <= 0) return nullptr;
    struct Copy {
        int to, from;
    };
    std::vector<Copy> copies;
    int count = 6;
    if (kind == kGlyphCheck) {
        count = 9;
        copies = {{0, 0}, {3, 0}, {1, 1}, {4, 1}, {6, 2}, {7, 3}};
        if (frames == 5) copies.insert(copies.end(), {{2, 4}, {5, 4}, {8, 4}});
    } else if (kind == kGlyphRadio) {
        copies = {{0, 0}, {2, 0}, {1, 1}, {3, 1}, {4, 2}, {5, 3}};
    } else {
        copies = {{0, 0}, {3, 0}, {1, 1}, {4, 1}};
        if (frames == 5) copies.insert(copies.end(), {{2, 4}, {5, 4}});
    }
    auto out = std::make_unique<TBitmap>(w * count, h);
    for (const Copy& c : copies) {
        if (c.from >= frames) continue;
        BitBlt(out->Canvas().Handle(), c.to * w, 0, w, h, strip->Canvas().Handle(), c.from * w, 0,
               SRCCOPY);
    }
    GdiFlush();
    return out;
}

void TSkinObjImage::SetupSkin() {
    TSkinControl::SetupSkin();
    if (!HandGlyphs()) TakeGlyphsBack();
}

bool TSkinObjImage::HandGlyphs() {
    if (!control_ || !data_) return false;
    std::unique_ptr<TBitmap> glyphs = RearrangedGlyphs(*data_, glyphKind_);
    if (!glyphs) return false;
    if (glyphKind_ == kGlyphThird) {
        TPersistent* props = ObjectProp("Properties");
        auto* glyph = props ? dynamic_cast<TBitmap*>(GetObjectProp(*props, "Glyph")) : nullptr;
        if (!glyph) return false;
        glyph->Assign(*glyphs);
        glyph->SetTransparentColor(static_cast<TColor>(0xFF00FF));
        glyph->SetTransparent(false);
        return true;
    }
    auto* custom = dynamic_cast<TBitmap*>(ObjectProp("CustomGlyphs"));
    if (!custom) return false;
    custom->Assign(*glyphs);
    SetProp("transparentcolor", std::to_string(0xFF00FF));
    // Off and on again: the control reads its glyphs when the switch turns on.
    SetProp("UseCustomGlyphs", "false");
    SetProp("UseCustomGlyphs", "true");
    return true;
}

void TSkinObjImage::TakeGlyphsBack() {
    if (!control_) return;
    if (glyphKind_ == kGlyphThird) {
        TPersistent* props = ObjectProp("Properties");
        if (auto* glyph = props ? dynamic_cast<TBitmap*>(GetObjectProp(*props, "Glyph")) : nullptr)
            glyph->SetSize(0, 0);
    } else {
        SetProp("UseCustomGlyphs", "false");
    }
}

void TSkinObjImage::RestoreControl() {
    TSkinControl::RestoreControl();
    TakeGlyphsBack();
}

// ---------------------------------------------------------------- add-on page controls

void TSkinAdvPage::SetupSkin() {
    TSkinControl::SetupSkin();
    pageKind_ = HasProp("TabBackGround") && HasProp("TabBackGroundActive") ? 4 : 0;
    if (!HandTabs()) ClearTabs();
    if (upDown_ && upDown_->Stage() != 6) {
        upDown_->SkinChanged();
        return;
    }
    upDown_.reset();
    if (HWND spin = SpinWindow()) {
        upDown_.reset(new TSkinUpDown(nullptr));
        upDown_->AttachWindow(spin, data_, nullptr, canvas_);
        if (!upDown_->Attached()) upDown_.reset();
    }
}

TSkinAdvPage::~TSkinAdvPage() = default;

bool TSkinAdvPage::HandTabs() {
    if (pageKind_ != 4 || !data_ || !data_->Tab || !data_->Tab->Bitmap ||
        data_->Tab->Bitmap->Empty())
        return false;
    const TDataSkinObject& tab = *data_->Tab;
    const RECT size = {0, 0, 100, 21};
    const skin::SliceMargins margins = {tab.Margins.Left, tab.Margins.Top, tab.Margins.Right,
                                        tab.Margins.Bottom};
    const char* names[] = {"TabBackGround", "TabBackGroundActive"};
    for (int i = 0; i < 2; ++i) {
        auto* target = dynamic_cast<TBitmap*>(ObjectProp(names[i]));
        if (!target) continue;
        std::unique_ptr<TBitmap> frame = skin::NineSlice(size, *tab.Bitmap, margins, false,
                                                         tab.Tile == 1, tab.FrameCount, i + 1);
        if (frame) target->Assign(*frame);
    }
    return true;
}

void TSkinAdvPage::ClearTabs() {
    if (pageKind_ != 4) return;
    for (const char* name : {"TabBackGround", "TabBackGroundActive"})
        if (auto* target = dynamic_cast<TBitmap*>(ObjectProp(name))) target->SetSize(0, 0);
}

void TSkinAdvPage::RestoreControl() {
    upDown_.reset();
    TSkinControl::RestoreControl();
    ClearTabs();
}

HWND TSkinAdvPage::SpinWindow() const {
    return FindSpinChild(Handle(), false);
}
