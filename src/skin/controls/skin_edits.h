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
    void SkinChanged() override;
    bool BeforeMessage(TMessage& m) override;
    // The skinned spin button inside the edit, once its first paint found one.
    TSkinUpDown* UpDown() const { return upDown_.get(); }

private:
    // Takes the edit's spin button, when the skin wants spin buttons and it has one.
    void AttachSpin();

    std::unique_ptr<TSkinUpDown> upDown_;
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
    void Paint() override;
    void WndProc(TMessage& m) override;

private:
    int size_;
    TWinControl& picker_;
    HWND pickerHandle_;
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
    TArrowButton* Arrow() const { return arrow_.get(); }

private:
    std::unique_ptr<TArrowButton> arrow_;
};
