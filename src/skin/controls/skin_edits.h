#pragma once
// Single-line edits and date-time pickers: a flat frame of the skin's shadow colour in place
// of the sunken border, the text area left to the system. A drop-down picker also gets an
// arrow button of the skin's combo arrow over its own.
#include "skin/controls/skin_control.h"

#include <memory>

class TSkinUpDown;

// The text area keeps its own colour: neither edits nor pickers take the face colour.
class TSkinEdit : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinEdit() override;
    void AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                       TCanvas* canvas) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    void RestoreControl() override;
    bool BeforeMessage(TMessage& m) override;
    // The skinned spin button inside the edit, once its first paint found one.
    TSkinUpDown* UpDown() const { return upDown_.get(); }

protected:
    void SetupSkin() override;

private:
    // Takes the edit's spin button, when the skin wants spin buttons and it has one.
    void AttachSpin();

    TSkinObjectPtr<TSkinUpDown> upDown_;
    // The frame WM_PRINTCLIENT asks for: the DC's brush one pixel in, the shadow at the edge.
    void PrintClientFrame(HDC dc);
};

class TSkinDateTime;

// Laid over the picker's own drop-down button; clicks go on to the picker as if they had
// hit that button.
class TArrowButton : public TCustomControl {
    TOOLKIT_CLASS(TArrowButton)
public:
    TArrowButton(TSkinDateTime& skin, TWinControl& picker);
    bool Hot() const { return (state_ & 1) != 0; }
    int ButtonSize() const { return size_; }
    // Where the button goes on the picker (left for a left scroll bar, else right).
    void Place();

protected:
    void CreateParams(TCreateParams& p) override;
    void Paint() override;
    void WndProc(TMessage& m) override;

private:
    int size_;
    TWinControl& picker_;
    TSkinDateTime& skin_;
    int state_ = 0;
};

class TSkinDateTime : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinDateTime() override;
    void AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                       TCanvas* canvas) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    void RestoreControl() override;
    // The arrow over a drop-down picker, or null (an up-down picker has none).
    TArrowButton* Arrow() const { return arrow_.get(); }
    // The skinned spin button of an up-down picker (time kind), or null.
    TSkinUpDown* UpDown() const { return upDown_.get(); }

protected:
    // The picker's kind decides: an arrow over a drop-down, the spin skinned on an up-down.
    void SetupSkin() override;

private:
    std::unique_ptr<TArrowButton> arrow_;
    TSkinObjectPtr<TSkinUpDown> upDown_;
    bool clipChildrenAdded_ = false;
};
