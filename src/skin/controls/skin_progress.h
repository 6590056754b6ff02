#pragma once
// Progress bars drawn from the skin's Progress and Progress.Chunk elements, and track bars
// whose channel and thumb the skin draws in answer to the control's custom-draw questions
// (the tick marks stay the system's). Vertical progress bars are composed lying down and
// turned, so one horizontal picture serves both. A marquee bar keeps its own animation.
#include "skin/controls/skin_control.h"

// Width of the filled part of a bar `width` long: 0 unless position and top are positive.
int ProgressBarWidth(int width, int position, int top);

class TSkinProgress : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;

private:
    bool Skinned() const;
};

class TSkinTrackBar : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;

    // The answer to one custom-draw notification (drawing into its DC where the skin draws).
    LRESULT CustomDraw(NMCUSTOMDRAW& cd);
    void DrawChannel(HDC dc);
    void DrawThumb(HDC dc);
};
