#pragma once
// Status bars: each panel framed by the skin's StatusBarEdges (lowered, raised or no bevel),
// its text in the element's text colour, the size grip from ExtraImages; the whole bar is
// composed off screen and copied in one transfer.
#include "skin/controls/skin_control.h"

// StatusBarEdges frame of a panel bevel: 1 lowered, 2 raised, 3 none.
int StatusBevelFrame(bool raised, bool none);

class TSkinStatusBar : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;

private:
    struct PanelInfo {
        RECT rect;
        std::wstring text;
        int alignment; // 0 left, 1 right, 2 centre
        int frame;
        bool ownerDrawn;
        bool rtl;
    };
    bool Simple() const;
    std::vector<PanelInfo> Panels(const RECT& r) const;
    void DrawPanel(HDC dc, const PanelInfo& p) const;
};
