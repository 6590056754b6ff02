#include "toolkit/extctrls.h"

#include "toolkit/win_text.h"

#include <algorithm>

// ---------------------------------------------------------------- TCustomPanel

static const std::vector<std::string> kBevelNames{"bvNone", "bvLowered", "bvRaised", "bvSpace"};

const TClassInfo& TCustomPanel::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomPanel>("TCustomPanel", TWinControl::StaticClass())
            .Enum(
                "BevelOuter", kBevelNames, [](TCustomPanel& p) { return p.BevelOuter(); },
                [](TCustomPanel& p, int64_t v) { p.SetBevelOuter(static_cast<TBevelCut>(v)); })
            .Enum(
                "BevelInner", kBevelNames, [](TCustomPanel& p) { return p.BevelInner(); },
                [](TCustomPanel& p, int64_t v) { p.SetBevelInner(static_cast<TBevelCut>(v)); })
            .Int(
                "BevelWidth", [](TCustomPanel& p) { return p.BevelWidth(); },
                [](TCustomPanel& p, int64_t v) { p.SetBevelWidth(static_cast<int>(v)); })
            .Enum(
                "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                [](TCustomPanel& p) { return p.Alignment(); },
                [](TCustomPanel& p, int64_t v) { p.SetAlignment(static_cast<TAlignment>(v)); })
            .Build();
    return info;
}

const TClassInfo& TPanel::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TPanel>("TPanel", TCustomPanel::StaticClass()).Creatable().Build();
    return info;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelOuter(TBevelCut v) {
    bevelOuter_ = v;
    Invalidate();
}
void TCustomPanel::SetBevelInner(TBevelCut v) {
    bevelInner_ = v;
    Invalidate();
}
void TCustomPanel::SetBevelWidth(int v) {
    bevelWidth_ = std::max(v, 1);
    Invalidate();
}
void TCustomPanel::SetAlignment(TAlignment v) {
    alignment_ = v;
    Invalidate();
}

void TCustomPanel::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT;
}

static void DrawBevel(HDC dc, RECT& r, TBevelCut cut, int width) {
    if (cut == bvNone) return;
    for (int i = 0; i < width; ++i) {
        if (cut == bvLowered)
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        else if (cut == bvRaised)
            DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        else
            InflateRect(&r, -1, -1);
    }
}

void TCustomPanel::PaintWindow(HDC dc) {
    TWinControl::PaintWindow(dc);
    RECT r;
    GetClientRect(handle_, &r);
    DrawBevel(dc, r, bevelOuter_, bevelWidth_);
    DrawBevel(dc, r, bevelInner_, bevelWidth_);
    std::string caption = Caption();
    if (caption.empty()) return;
    TCanvas canvas(dc);
    canvas.Font().Assign(Font());
    UINT align = alignment_ == taLeftJustify    ? DT_LEFT
                 : alignment_ == taRightJustify ? DT_RIGHT
                                                : DT_CENTER;
    canvas.TextRect(r, caption, align | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
}

// ---------------------------------------------------------------- TShape

const TClassInfo& TShape::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TShape>("TShape", TGraphicControl::StaticClass())
            .Enum(
                "Shape",
                {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse",
                 "stCircle"},
                [](TShape& s) { return s.Shape(); },
                [](TShape& s, int64_t v) { s.SetShape(static_cast<TShapeType>(v)); })
            .Obj("Brush", [](TShape& s) { return &s.Brush(); })
            .Obj("Pen", [](TShape& s) { return &s.Pen(); })
            .Creatable()
            .Build();
    return info;
}

TShape::TShape(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 65);
    brush_.OnChange = [this] { Invalidate(); };
    pen_.OnChange = [this] { Invalidate(); };
}

void TShape::SetShape(TShapeType v) {
    shape_ = v;
    Invalidate();
}

void TShape::Paint(TCanvas& canvas) {
    canvas.Brush().SetColor(brush_.Color());
    canvas.Brush().SetStyle(brush_.Style());
    canvas.Pen().SetColor(pen_.Color());
    canvas.Pen().SetStyle(pen_.Style());
    canvas.Pen().SetWidth(pen_.Width());
    int pw = pen_.Style() == psClear ? 0 : pen_.Width();
    int x = pw / 2, y = pw / 2;
    int w = width_ - pw + 1, h = height_ - pw + 1;
    if (pw == 0) {
        w = width_;
        h = height_;
    } else if (pw == 1) {
        w = width_;
        h = height_;
    }
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        int side = std::min(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    RECT r{x, y, x + w, y + h};
    switch (shape_) {
    case stEllipse:
    case stCircle:
        canvas.Ellipse(r);
        break;
    case stRoundRect:
    case stRoundSquare: {
        SavedDc saved(canvas.Handle());
        SetBkMode(canvas.Handle(), TRANSPARENT);
        SelectObjectGuard b(canvas.Handle(), canvas.Brush().Handle()),
            p(canvas.Handle(), canvas.Pen().Handle());
        int radius = std::min(w, h) / 4;
        RoundRect(canvas.Handle(), r.left, r.top, r.right, r.bottom, radius, radius);
        break;
    }
    default:
        canvas.Rectangle(r);
        break;
    }
}

// ---------------------------------------------------------------- labelled edits

const TClassInfo& TBoundLabel::StaticClass() {
    static const TClassInfo info{"TBoundLabel", &TCustomLabel::StaticClass(), {}, {}};
    return info;
}

TBoundLabel::TBoundLabel(TCustomLabeledEdit& edit) : TCustomLabel(nullptr), edit_(edit) {}

void TBoundLabel::BoundsChanged() {
    // A new caption size moves the label, never the edit.
    edit_.PlaceLabel();
}

const TClassInfo& TCustomLabeledEdit::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomLabeledEdit>("TCustomLabeledEdit", TCustomEdit::StaticClass())
            .Obj("EditLabel", [](TCustomLabeledEdit& e) { return &e.EditLabel(); })
            .Enum(
                "LabelPosition", {"lpAbove", "lpBelow", "lpLeft", "lpRight"},
                [](TCustomLabeledEdit& e) { return e.LabelPosition(); },
                [](TCustomLabeledEdit& e, int64_t v) {
                    e.SetLabelPosition(static_cast<TLabelPosition>(v));
                })
            .Int(
                "LabelSpacing", [](TCustomLabeledEdit& e) { return e.LabelSpacing(); },
                [](TCustomLabeledEdit& e, int64_t v) { e.SetLabelSpacing(static_cast<int>(v)); })
            .Build();
    return info;
}

const TClassInfo& TLabeledEdit::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TLabeledEdit>("TLabeledEdit", TCustomLabeledEdit::StaticClass())
            .Creatable()
            .Build();
    return info;
}

TCustomLabeledEdit::TCustomLabeledEdit(TComponent* owner)
    : TCustomEdit(owner), label_(new TBoundLabel(*this)) {
    label_->SetName("SubLabel");
}

TCustomLabeledEdit::~TCustomLabeledEdit() {
    delete label_;
}

void TCustomLabeledEdit::SetParent(TWinControl* parent) {
    TCustomEdit::SetParent(parent);
    label_->SetParent(parent);
    PlaceLabel();
}

void TCustomLabeledEdit::SetBounds(int left, int top, int width, int height) {
    TCustomEdit::SetBounds(left, top, width, height);
    PlaceLabel();
}

void TCustomLabeledEdit::SetLabelPosition(TLabelPosition v) {
    labelPosition_ = v;
    PlaceLabel();
}

void TCustomLabeledEdit::SetLabelSpacing(int v) {
    labelSpacing_ = v;
    PlaceLabel();
}

void TCustomLabeledEdit::PlaceLabel() {
    if (!label_) return;
    static thread_local bool placing = false;
    if (placing) return;
    placing = true;
    int lw = label_->Width(), lh = label_->Height();
    int x = left_, y = top_;
    switch (labelPosition_) {
    case lpAbove:
        y = top_ - lh - labelSpacing_;
        break;
    case lpBelow:
        y = top_ + height_ + labelSpacing_;
        break;
    case lpLeft:
        x = left_ - lw - labelSpacing_;
        y = top_ + (height_ - lh) / 2;
        break;
    case lpRight:
        x = left_ + width_ + labelSpacing_;
        y = top_ + (height_ - lh) / 2;
        break;
    }
    label_->SetBounds(x, y, lw, lh);
    placing = false;
}

void TCustomLabeledEdit::VisibleChanged() {
    TCustomEdit::VisibleChanged();
    label_->SetVisible(Visible());
}

void TCustomLabeledEdit::EnabledChanged() {
    TCustomEdit::EnabledChanged();
    label_->SetEnabled(Enabled());
}
