#pragma once
// Combo boxes: the border and the drop-down button drawn from the skin's SunkEdge, ComboButton
// and ExtraImages elements around the text area the system keeps drawing. The ComboButton's
// Style picks the drawing: 1 a plain frame with the button glyph, 2 the whole control as one
// element, anything else the sunk edge with a button at the scroll-bar side.
#include "skin/controls/skin_control.h"

#include <memory>

class TSkinScrollbarH;

class TSkinComBox : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinComBox() override;
    void AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                       TCanvas* canvas) override;
    void RestoreControl() override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;

    // The state frame: 2 pressed, 4 focused or hot, 1 otherwise, 3 disabled.
    static int StateFrame(bool pressed, bool focusedOrHot, bool enabled);
    const RECT& ButtonRect() const { return buttonRect_; }
    bool DroppedDown() const { return droppedDown_; }
    HWND EditHandle() const { return editHandle_; }
    // The list of a simple combo box when it is a child window (its scroll bars are skinned
    // with it), else null.
    HWND ListHandle() const { return listHandle_; }
    // The skinned bars of the list (the simple combo's, or the drop-down's pop-up), or null.
    TSkinScrollbarH* ListBars() const { return listBars_.get(); }

protected:
    // The edit part and the list of the window the combo has now.
    void SetupSkin() override;

private:
    void ReleaseChildren();
    void EditMessage(TMessage& m);
    // A press or release on the combo or its edit: the pressed state and a repaint.
    bool TrackPress(UINT msg);
    // Hot or pressed changed: the button painted again, nothing erased.
    void RepaintFrame();
    void DrawSimple(HDC dc, const RECT& r, int state, bool left);
    bool Focused() const;
    // The system's own button is held down (the press has not left it).
    bool SystemButtonPressed() const;

    LONG_PTR style_ = 0, exStyle_ = 0;
    HWND listHandle_ = nullptr;
    TSkinObjectPtr<TSkinScrollbarH> listBars_;
    HWND editHandle_ = nullptr;
    TWindowSubclass editSubclass_;
    bool droppedDown_ = false;
    COMBOBOXINFO info_{};
    RECT buttonRect_{};
};
