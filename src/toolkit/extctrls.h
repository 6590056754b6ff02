#pragma once
// Panels, shapes, labelled edits.
#include "toolkit/stdctrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TWinControl {
    TOOLKIT_CLASS(TCustomPanel)
public:
    explicit TCustomPanel(TComponent* owner);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);

protected:
    void CreateParams(TCreateParams& p) override;
    void PaintWindow(HDC dc) override;

private:
    TBevelCut bevelOuter_ = bvRaised, bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    TAlignment alignment_ = taCenter;
};

class TPanel : public TCustomPanel {
    TOOLKIT_CLASS(TPanel)
public:
    using TCustomPanel::TCustomPanel;
};

// A group box of radio buttons made from its Items, laid out in Columns.
class TCustomRadioGroup : public TCustomGroupBox {
    TOOLKIT_CLASS(TCustomRadioGroup)
public:
    explicit TCustomRadioGroup(TComponent* owner);
    ~TCustomRadioGroup() override;
    TStrings& Items() { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);
    int Columns() const { return columns_; }
    void SetColumns(int v);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TRadioButton* Buttons(int i) const { return buttons_.at(static_cast<size_t>(i)); }
    void Loaded() override;

protected:
    void BoundsChanged() override;
    void FontChanged() override;
    void EnabledChanged() override;

private:
    void UpdateButtons();
    void ArrangeButtons();
    TStringList items_;
    std::vector<TRadioButton*> buttons_; // owned as components
    int itemIndex_ = -1, columns_ = 1;
    bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
    TOOLKIT_CLASS(TRadioGroup)
public:
    using TCustomRadioGroup::TCustomRadioGroup;
};

// A row of tabs drawn by the control itself, hanging from its top edge (the edge that meets
// the page above).
class TTabSet : public TCustomControl {
    TOOLKIT_CLASS(TTabSet)
public:
    explicit TTabSet(TComponent* owner);
    TStrings& Tabs() { return tabs_; }
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int v);
    int FirstIndex() const { return firstIndex_; }
    void SetFirstIndex(int v);
    int StartMargin() const { return startMargin_; }
    void SetStartMargin(int v);
    int EndMargin() const { return endMargin_; }
    void SetEndMargin(int v);
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor v);
    // Where tab i is drawn; empty when it is scrolled away or does not fit.
    RECT TabRect(int index);
    // The user chose another tab.
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void WndProc(TMessage& m) override;

private:
    int TabWidth(HDC dc, int index);
    TStringList tabs_;
    int tabIndex_ = -1, firstIndex_ = 0, startMargin_ = 5, endMargin_ = 5;
    TColor selectedColor_ = clWindow;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
    TOOLKIT_CLASS(TShape)
public:
    explicit TShape(TComponent* owner);
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType v);
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }
    void Paint(TCanvas& canvas) override;

private:
    TShapeType shape_ = stRectangle;
    TBrush brush_;
    TPen pen_;
};

class TCustomLabeledEdit;

// The caption of a labelled edit: a label on the edit's parent that follows the edit.
class TBoundLabel : public TCustomLabel {
    TOOLKIT_CLASS(TBoundLabel)
public:
    explicit TBoundLabel(TCustomLabeledEdit& edit);

private:
    void BoundsChanged() override;
    TCustomLabeledEdit& edit_;
};

enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

class TCustomLabeledEdit : public TCustomEdit {
    TOOLKIT_CLASS(TCustomLabeledEdit)
public:
    explicit TCustomLabeledEdit(TComponent* owner);
    ~TCustomLabeledEdit() override;
    TBoundLabel& EditLabel() { return *label_; }
    TLabelPosition LabelPosition() const { return labelPosition_; }
    void SetLabelPosition(TLabelPosition v);
    int LabelSpacing() const { return labelSpacing_; }
    void SetLabelSpacing(int v);
    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void PlaceLabel();

protected:
    void VisibleChanged() override;
    void EnabledChanged() override;

private:
    TBoundLabel* label_;
    TLabelPosition labelPosition_ = lpAbove;
    int labelSpacing_ = 3;
};

class TLabeledEdit : public TCustomLabeledEdit {
    TOOLKIT_CLASS(TLabeledEdit)
public:
    using TCustomLabeledEdit::TCustomLabeledEdit;
};
