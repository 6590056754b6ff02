#pragma once
// Up-down (spin) buttons drawn from the skin's UpDown.Horz and UpDown.Vert strips: stand-alone
// up-downs, the spin button inside an edit (attached by window handle and marked with
// SetEditSpin), the scroll arrows of a tab control and the scroller of a tab set (forced
// horizontal). Without a strip the two buttons are plain rectangles with small arrows.
//
// Frames of an UpDown strip: first button (up, or left) 1 normal, 2 pressed, 3 disabled,
// 4 hot; the second button (down, or right) 5 to 8 in the same order.
#include "skin/controls/skin_control.h"

// The frames the two buttons show: the half under the cursor is the active one.
struct TUpDownFrames {
    int first = 1, second = 5;
};
TUpDownFrames UpDownFrames(bool firstActive, bool pressed, bool hot, bool enabled);

// The first child window of `parent` that is a spin button: the common up-down class, or with
// `loose`, any class whose name has "spin" or "updown" in it. Null when there is none.
HWND FindSpinChild(HWND parent, bool loose);

class TSkinUpDown : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;

    // The up-down sits inside an edit: its buttons keep clear of the edit's 3-pixel border.
    void SetEditSpin(bool v) { editSpin_ = v; }
    bool EditSpin() const { return editSpin_; }
    // Drawn as left and right buttons whatever its style.
    void SetForceHorizontal(bool v) { forceHorizontal_ = v; }
    bool ForceHorizontal() const { return forceHorizontal_; }
    bool Horizontal() const;
    // Where the buttons go inside r: pulled in for an edit's spin button.
    RECT ButtonArea(const RECT& r) const;

private:
    void DrawButton(HDC dc, const RECT& r, int frame, int arrow, const TDataSkinBorder* strip);
    bool CursorInFirstHalf(const RECT& r) const;

    bool editSpin_ = false;
    bool forceHorizontal_ = false;
    int lastHalf_ = -1;         // the half the cursor was over at the last mouse move
    bool pressedFirst_ = false; // the half a press went to
};
