#pragma once
// Push-type buttons drawn from the skin's Buttons element: plain push buttons (toolkit
// buttons and bare "button" windows of dialogs), buttons with a glyph, buttons with a
// drop-down arrow, and window-less speed buttons. Each button is composed in an off-screen
// bitmap of its size and reaches the screen in one block transfer, so it never flickers.
//
// Frames of the 5-frame Buttons image: 1 normal, 2 pressed, 3 disabled, 4 hot, 5 focused.
#include "skin/controls/skin_control.h"

#include <string>

enum TSkinButtonFrame {
    kFrameNormal = 1,
    kFramePressed = 2,
    kFrameDisabled = 3,
    kFrameHot = 4,
    kFrameFocused = 5
};

class TSkinButton : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    // Without a Buttons image the button stays the system's.
    bool CanSkin() override { return HasButtonImage(); }

    // The state's frame by the rules of push and bit buttons.
    int FrameFor() const;
    bool Transparent() const { return transparent_; }
    // The caption with its first "||" turned into a line break.
    static std::wstring SplitCaption(std::wstring caption);

protected:
    void SetupSkin() override;
    bool HasButtonImage() const;
    // Background, then the frame of the Buttons element, into the buffer.
    void DrawBackground(HDC dc, const RECT& r, int frame);
    // Font and text colour of the state selected into dc (the old font returned).
    HGDIOBJ SelectCaptionFont(HDC dc, int frame);
    void Click();

    TBitmap buffer_;
    bool transparent_ = false;
    bool styleHidden_ = false;
};

class TSkinBitButton : public TSkinButton {
public:
    using TSkinButton::TSkinButton;
    void DrawControl(HDC dc, const RECT& r) override;
    // A published property holding the glyph as a graphic ("PngImage"), or empty.
    std::string GlyphProperty;

protected:
    // The frame (-1: none) and glyph image number of the current state.
    virtual void StateFor(int& frame, int& glyphImage);
    virtual bool SpeedRules() const { return false; }
    void DrawGlyphAndCaption(HDC dc, const RECT& r, int frame, int glyphImage);
};

class TSkinMenuButton : public TSkinButton {
public:
    using TSkinButton::TSkinButton;
    void DrawControl(HDC dc, const RECT& r) override;
};

// A speed button has no window: the skin object hooks its WindowProc, draws into the DC its
// parent paints it with, and asks the button itself to repaint.
class TSkinSpeedButton : public TSkinBitButton {
public:
    using TSkinBitButton::TSkinBitButton;
    void AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                       TCanvas* canvas) override;
    bool BeforeMessage(TMessage& m) override;
    void AfterMessage(TMessage& m) override;
    void PaintWindow(HDC dc) override;
    void DrawControl(HDC dc, const RECT& r) override;

protected:
    void StateFor(int& frame, int& glyphImage) override;
    bool SpeedRules() const override { return true; }

private:
    bool painting_ = false;
};
