#pragma once
// Check boxes and radio buttons: a state glyph cut from the strip of the skin's Buttons
// element (CheckButton, RadioButton) and the caption beside it, drawn straight onto the
// control. Without the strip the control paints itself as the system does.
#include "skin/controls/skin_control.h"

// Glyph frame of a base state number (1 unchecked, 2 checked, 3 unchecked disabled, 4 checked
// disabled) for a strip of `frames` frames; `indeterminate` for a grayed check box.
int CheckGlyphFrame(int base, int frames, bool indeterminate, bool disabled);
int RadioGlyphFrame(int base, int frames);

class TSkinCheckBox : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    // The frame of the strip the current state shows.
    virtual int GlyphFrame();
    bool Transparent() const { return transparent_; }
    // Without the strip the control paints itself as the system does.
    bool CanSkin() override;

protected:
    void SetupSkin() override;
    virtual TBitmap* Strip() const;
    virtual int StripFrames() const;
    virtual bool IsRadio() const { return false; }

    bool transparent_ = false;
    int lastCheck_ = 0;
};

class TSkinRadioButton : public TSkinCheckBox {
public:
    using TSkinCheckBox::TSkinCheckBox;
    int GlyphFrame() override;

protected:
    TBitmap* Strip() const override;
    int StripFrames() const override;
    bool IsRadio() const override { return true; }
};
