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
