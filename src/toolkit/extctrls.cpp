#include "toolkit/extctrls.h"

#include "toolkit/win_text.h"

#include <algorithm>
#include <commctrl.h>

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
            .Bool(
                "ParentBackground", [](TCustomPanel& p) { return p.ParentBackground(); },
                [](TCustomPanel& p, bool v) { p.SetParentBackground(v); })
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

// ---------------------------------------------------------------- TCustomRadioGroup

const TClassInfo& TCustomRadioGroup::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TCustomRadioGroup>("TCustomRadioGroup", TCustomGroupBox::StaticClass())
            .Strings(
                "Items", [](TCustomRadioGroup& g) { return g.Items().ToVector(); },
                [](TCustomRadioGroup& g, const std::vector<std::string>& v) {
                    g.Items().Assign(v);
                })
            .Int(
                "ItemIndex", [](TCustomRadioGroup& g) { return g.ItemIndex(); },
                [](TCustomRadioGroup& g, int64_t v) { g.SetItemIndex(static_cast<int>(v)); })
            .Int(
                "Columns", [](TCustomRadioGroup& g) { return g.Columns(); },
                [](TCustomRadioGroup& g, int64_t v) { g.SetColumns(static_cast<int>(v)); })
            .Build();
    return info;
}

const TClassInfo& TRadioGroup::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TRadioGroup>("TRadioGroup", TCustomRadioGroup::StaticClass())
            .Creatable()
            .Build();
    return info;
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner) : TCustomGroupBox(owner) {
    items_.OnChange = [this] { UpdateButtons(); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    // The buttons call back into the group; they go while it is still whole.
    items_.OnChange = nullptr;
    DestroyComponents();
    buttons_.clear();
}

void TCustomRadioGroup::SetItemIndex(int v) {
    if (v < -1 || v >= items_.Count()) v = -1;
    itemIndex_ = v;
    if (IsLoading()) return;
    updating_ = true;
    for (int i = 0; i < ButtonCount(); ++i) buttons_[static_cast<size_t>(i)]->SetChecked(i == v);
    updating_ = false;
}

void TCustomRadioGroup::SetColumns(int v) {
    columns_ = std::clamp(v, 1, 16);
    ArrangeButtons();
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    if (IsLoading()) return;
    while (ButtonCount() > items_.Count()) {
        delete buttons_.back();
        buttons_.pop_back();
    }
    while (ButtonCount() < items_.Count()) {
        auto* b = new TRadioButton(this);
        b->SetTabStop(false);
        b->OnClick = [this, b](TObject*) {
            if (updating_) return;
            auto it = std::find(buttons_.begin(), buttons_.end(), b);
            if (it == buttons_.end() || !b->Checked()) return;
            itemIndex_ = static_cast<int>(it - buttons_.begin());
            Click();
        };
        b->SetEnabled(Enabled());
        b->SetParent(this);
        buttons_.push_back(b);
    }
    for (int i = 0; i < ButtonCount(); ++i) buttons_[static_cast<size_t>(i)]->SetCaption(items_[i]);
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    SetItemIndex(itemIndex_);
    ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (buttons_.empty()) return;
    HDC screen = GetDC(nullptr);
    TEXTMETRICW tm{};
    {
        SelectObjectGuard f(screen, Font().Handle());
        GetTextMetricsW(screen, &tm);
    }
    ReleaseDC(nullptr, screen);
    int count = ButtonCount();
    int perColumn = (count + columns_ - 1) / columns_;
    int buttonWidth = (width_ - 10) / columns_;
    int free = height_ - tm.tmHeight - 5;
    int buttonHeight = free / perColumn;
    int topMargin = tm.tmHeight + 1 + (free % perColumn) / 2;
    for (int i = 0; i < count; ++i) {
        int col = i / perColumn, row = i % perColumn;
        int left = col * buttonWidth + 8;
        if (UseRightToLeftAlignment()) left = width_ - left - (buttonWidth - 10);
        buttons_[static_cast<size_t>(i)]->SetBounds(left, row * buttonHeight + topMargin,
                                                    buttonWidth - 10, buttonHeight);
    }
}

void TCustomRadioGroup::BoundsChanged() {
    TCustomGroupBox::BoundsChanged();
    ArrangeButtons();
}

void TCustomRadioGroup::FontChanged() {
    TCustomGroupBox::FontChanged();
    ArrangeButtons();
}

void TCustomRadioGroup::EnabledChanged() {
    TCustomGroupBox::EnabledChanged();
    for (TRadioButton* b : buttons_) b->SetEnabled(Enabled());
}

// ---------------------------------------------------------------- TTabSet

const TClassInfo& TTabSet::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TTabSet>("TTabSet", TCustomControl::StaticClass())
            .Strings(
                "Tabs", [](TTabSet& t) { return t.Tabs().ToVector(); },
                [](TTabSet& t, const std::vector<std::string>& v) { t.Tabs().Assign(v); })
            .Int(
                "TabIndex", [](TTabSet& t) { return t.TabIndex(); },
                [](TTabSet& t, int64_t v) { t.SetTabIndex(static_cast<int>(v)); })
            .Int(
                "FirstIndex", [](TTabSet& t) { return t.FirstIndex(); },
                [](TTabSet& t, int64_t v) { t.SetFirstIndex(static_cast<int>(v)); })
            .Int(
                "StartMargin", [](TTabSet& t) { return t.StartMargin(); },
                [](TTabSet& t, int64_t v) { t.SetStartMargin(static_cast<int>(v)); })
            .Int(
                "EndMargin", [](TTabSet& t) { return t.EndMargin(); },
                [](TTabSet& t, int64_t v) { t.SetEndMargin(static_cast<int>(v)); })
            .Int(
                "SelectedColor", [](TTabSet& t) { return t.SelectedColor(); },
                [](TTabSet& t, int64_t v) { t.SetSelectedColor(static_cast<TColor>(v)); })
            .Event("OnChange", [](TTabSet& t, TNotifyEvent e) { t.OnChange = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 185, 21);
    tabs_.OnChange = [this] {
        if (tabIndex_ >= tabs_.Count()) tabIndex_ = tabs_.Count() - 1;
        if (tabIndex_ < 0 && tabs_.Count() > 0) tabIndex_ = 0;
        Invalidate();
    };
}

void TTabSet::SetTabIndex(int v) {
    if (v < -1 || v >= tabs_.Count()) return;
    tabIndex_ = v;
    Invalidate();
}

void TTabSet::SetFirstIndex(int v) {
    firstIndex_ = std::max(v, 0);
    Invalidate();
}

void TTabSet::SetStartMargin(int v) {
    startMargin_ = v;
    Invalidate();
}

void TTabSet::SetEndMargin(int v) {
    endMargin_ = v;
    Invalidate();
}

void TTabSet::SetSelectedColor(TColor v) {
    selectedColor_ = v;
    Invalidate();
}

int TTabSet::TabWidth(HDC dc, int index) {
    SelectObjectGuard f(dc, Font().Handle());
    std::wstring w = Widen(tabs_[index]);
    SIZE sz{};
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &sz);
    return sz.cx + 9;
}

RECT TTabSet::TabRect(int index) {
    RECT none{0, 0, 0, 0};
    if (index < firstIndex_ || index >= tabs_.Count()) return none;
    HDC screen = GetDC(nullptr);
    int x = startMargin_;
    RECT r = none;
    for (int i = firstIndex_; i <= index; ++i) {
        int w = TabWidth(screen, i);
        if (x + w > width_ - endMargin_) break;
        if (i == index) r = {x, 0, x + w, height_};
        x += w;
    }
    ReleaseDC(nullptr, screen);
    return r;
}

void TTabSet::Paint() {
    TCanvas& c = Canvas();
    HDC dc = c.Handle();
    int x = startMargin_;
    // The line the tabs hang from; the selected tab breaks it.
    RECT top{0, 0, width_, 1};
    FillRect(dc, &top, GetSysColorBrush(COLOR_3DDKSHADOW));
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    if (UseRightToLeftReading()) format |= DT_RTLREADING;
    for (int i = firstIndex_; i < tabs_.Count(); ++i) {
        int w = TabWidth(dc, i);
        if (x + w > width_ - endMargin_) break;
        bool selected = i == tabIndex_;
        int bottom = height_ - (selected ? 1 : 3);
        POINT shape[] = {
            {x, selected ? 0 : 1}, {x + 4, bottom}, {x + w - 4, bottom}, {x + w, selected ? 0 : 1}};
        c.Brush().SetColor(selected ? selectedColor_ : Color());
        c.Pen().SetColor(clBtnShadow);
        {
            SelectObjectGuard b(dc, c.Brush().Handle()), p(dc, c.Pen().Handle());
            Polygon(dc, shape, 4);
        }
        if (selected) {
            c.Pen().SetColor(selectedColor_);
            SelectObjectGuard p(dc, c.Pen().Handle());
            MoveToEx(dc, x + 1, 0, nullptr);
            LineTo(dc, x + w, 0);
        }
        c.Font().SetColor(Enabled() ? Font().Color() : clGrayText);
        RECT text{x, 0, x + w, bottom};
        SetBkMode(dc, TRANSPARENT);
        c.TextRect(text, tabs_[i], format);
        x += w;
    }
}

void TTabSet::WndProc(TMessage& m) {
    if (m.Msg == WM_LBUTTONDOWN) {
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        for (int i = firstIndex_; i < tabs_.Count(); ++i) {
            RECT r = TabRect(i);
            if (PtInRect(&r, p) && i != tabIndex_) {
                SetTabIndex(i);
                if (OnChange) OnChange(this);
                break;
            }
        }
        if (CanFocus()) ::SetFocus(handle_);
    }
    TCustomControl::WndProc(m);
}
