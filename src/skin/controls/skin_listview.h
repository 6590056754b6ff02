#pragma once
// Skinned list views: the scroll bars covered like any scrolling control's, and the column
// header, when there is one, drawn from the skin's Headerbar element: each column with its
// text and icon, the hot column (under the mouse), the pressed column, the empty band right of
// the last column, and the filter row with its values and buttons where the header has one.
// The header's own mouse handling stays: dragging a divider still resizes the column.
#include "skin/controls/skin_scrollbars.h"

#include <memory>
#include <vector>

class TSkinHeader : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    void AttachWindow(HWND wnd, TSkinData* data, TWinSkinForm* form, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& m) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;

    int HotItem() const { return hotItem_; }
    int PressedItem() const { return pressedItem_; }
    // Column rectangles of the last drawing, narrowed by 3 pixels on each side.
    const std::vector<RECT>& ItemRects() const { return itemRects_; }
    bool HasSkin() const;

private:
    // filterTop: the top of the header's filter row, -1 without one.
    void DrawColumn(HDC dc, int index, const RECT& column, HIMAGELIST images, int filterTop);
    // A column's filter cell (header coordinates) drawn at `at` of dc: its value in a box and
    // its filter button, where the header has them.
    void DrawFilterCell(HDC dc, int index, const RECT& cell, const RECT& at, HGDIOBJ font);
    int FrameFor(int index) const;

    std::vector<RECT> itemRects_;
    int hotItem_ = -1;
    int pressedItem_ = -1; // drawn pressed
    int heldItem_ = -1;    // the column the button went down on, while it is held
};

class TSkinListView : public TSkinScrollbar {
public:
    using TSkinScrollbar::TSkinScrollbar;
    TSkinHeader* Header() const { return header_; }

protected:
    // The header of the list's window of now gets an object (a new view style or window
    // brings a new header).
    void SetupSkin() override;
    void RestoreControl() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // Owned (freed with this object); the form's walk may free it first once its window went.
    TSkinHeader* header_ = nullptr;
};
