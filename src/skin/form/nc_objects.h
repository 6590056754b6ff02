#pragma once
// The interactive things in a skinned window's frame: title-bar buttons (and, with the menu
// bar, its entries). The window keeps them, finds the one under the mouse and drives their
// mouse operations; each keeps a visual state and repaints itself when it changes. At most one
// object of a window is hot or pressed at a time: the window's hot object.
#include "skin/data/skin_data.h"

#include <windows.h>

class TWinSkinForm;

enum TNCState { ncsNone = 0, ncsNormal = 1, ncsPressed = 2, ncsHot = 3 };

class TNCObject {
public:
    explicit TNCObject(TWinSkinForm& owner) : owner_(owner) {}
    virtual ~TNCObject() = default;
    TNCObject(const TNCObject&) = delete;
    TNCObject& operator=(const TNCObject&) = delete;

    virtual void MouseDown();
    virtual void MouseUp();
    virtual void MouseMove();
    virtual void MouseLeave();
    virtual void Paint() {}

    TWinSkinForm& Owner() const { return owner_; }
    RECT Bounds{}; // frame coordinates (window coordinates)
    bool Visible = false;
    int State = ncsNone;

protected:
    TWinSkinForm& owner_;
};

// Button types by the skin element's Action.
enum TSysButtonAction {
    sbaClose = 0,
    sbaMaximize = 1,
    sbaMinimize = 2,
    sbaIcon = 3,
    sbaMdiMinimize = 7,
    sbaMdiRestore = 8,
    sbaMdiClose = 9,
    sbaIcon2 = 11,
    sbaIcon3 = 12,
    sbaMaximize2 = 22,
    sbaMinimize2 = 23,
    sbaMdiMinimize2 = 60,
    sbaMdiRestore2 = 61,
    sbaMdiClose2 = 62
};

class TWinSysButton : public TNCObject {
public:
    TWinSysButton(TWinSkinForm& owner, TDataSkinSysButton& element)
        : TNCObject(owner), Element(element) {}
    void Paint() override;

    // Both show rules and the type requirement, for the window as it is now.
    bool ShouldShow() const;
    // Places the button by its anchor; false when its image is empty (it keeps its bounds).
    bool Layout();
    // Draws the button inside the title bar (active look or the inactive frame 4).
    void DrawInTitle(HDC dc);
    bool IsIcon() const;
    int FrameWidth() const;

    TDataSkinSysButton& Element;

private:
    bool RuleHolds(int code, bool ruleB) const;
    void DrawFrameAt(HDC dc, int frame);
};
