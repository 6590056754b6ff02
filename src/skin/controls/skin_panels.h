#pragma once
// Container controls given the skin's colours: group boxes (a rounded line and the caption on
// the face colour), panels and inner forms (their Color switched to the face colour), windows
// without a toolkit object that act as panels, size grips, the glyph bitmaps of add-on check
// boxes and the tab backgrounds of add-on page controls.
#include "skin/controls/skin_control.h"

#include <memory>

class TSkinUpDown;

class TSkinGroupBox : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    // Where the rounded line runs: half the height of a "0" in the caption font, less one.
    int LineOffset(HDC dc) const;

protected:
    void SetupSkin() override;
};

// Never in front of the control's window procedure: only its colour changes.
class TSkinBox : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    void AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                       TCanvas* canvas) override;
    void RestoreControl() override;
};

class TSkinBoxH : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
};

class TSkinSizer : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
};

// Kinds of add-on glyph control.
constexpr int kGlyphCheck = 1, kGlyphRadio = 2, kGlyphThird = 3;

// The skin's check or radio strip rearranged into the frame layout an add-on control wants:
// `kind` picks the table; the result has 9, 6 or 6 frames of the skin strip's frame size.
// Null when the skin has no such strip.
std::unique_ptr<TBitmap> RearrangedGlyphs(const TSkinData& data, int kind);

class TSkinObjImage : public TSkinControl {
public:
    explicit TSkinObjImage(TComponent* owner, int kind = kGlyphCheck)
        : TSkinControl(owner), glyphKind_(kind) {}
    void RestoreControl() override;
    int GlyphKind() const { return glyphKind_; }

protected:
    // The current skin's strip handed to the control, or its own glyphs given back.
    void SetupSkin() override;

private:
    bool HandGlyphs();
    void TakeGlyphsBack();
    int glyphKind_;
};

// Add-on page controls with tab background bitmaps get the skin's tab frames as them.
class TSkinAdvPage : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinAdvPage() override;
    void RestoreControl() override;
    int PageKind() const { return pageKind_; }
    // The child spin window the up-down skinning is to take (null when there is none).
    HWND SpinWindow() const;

    TSkinUpDown* UpDown() const { return upDown_.get(); }

protected:
    void SetupSkin() override;

private:
    bool HandTabs();
    void ClearTabs();
    int pageKind_ = 0;
    TSkinObjectPtr<TSkinUpDown> upDown_;
};
