#pragma once
// Tab controls and the pages inside them, drawn from the skin:
// - TSkinTabBtn: page controls with button or flat-button tabs (the wizard's page row), each
//   tab a frame of the Buttons element: pressed for the current tab, normal for the others.
// - TSkinTab: ordinary tabs at any edge and the pane around the pages, from the Tabs element
//   and its border (or Tab.Pane) image. The row is composed lying down as if the tabs were on
//   top and turned for side tabs, so captions read along the tabs; bottom tabs use the images
//   flipped. The control's scroll arrows get a TSkinUpDown and are never painted over. A page
//   control tagged 7777 gets a close box on each tab (WM_SKIN_CLOSETAB asks the form first).
// - TSkinTab31: tab sets (tabs hanging from the top edge of a strip), the Tabs image flipped.
// - TSkinTabSheet: the pages, on the skin's face colour with their graphic controls on top.
#include "skin/controls/skin_control.h"

#include <memory>
#include <vector>

class TSkinUpDown;

// Page controls with this Tag show close boxes on their tabs.
constexpr int kCloseBoxTag = 7777;

enum TSkinTabPosition { kTabsTop, kTabsBottom, kTabsLeft, kTabsRight };
TSkinTabPosition TabPositionOfStyle(LONG_PTR style);

// A tab's rectangle from the control (client coordinates) moved into the row bitmap that lies
// as if the tabs were on top: `rowLength` is the row's length along the tabs, `rightEdge` the
// control's right edge, `displayBottom` the display rectangle's bottom.
RECT TabRectInRow(TSkinTabPosition position, const RECT& tab, int rowLength, int rightEdge,
                  int displayBottom);
// The close box of a tab at `tab`.
RECT CloseBoxOf(const RECT& tab);

// Frame of the Tabs strip for a tab: 2 for the current one, else 1 (hot and disabled tabs
// look normal); a one-frame strip draws every tab with it.
int TabFrame(bool current, int frames);
// Frame of the Buttons element for a button-style tab: 2 (pressed) for the current tab, else 1.
int TabButtonFrame(bool current);
// Every tab family needs the skin's Tabs image: without it the discovery makes no object and
// an object set up again leaves its control native.
bool SkinHasTabs(const TSkinData* data);

// The tab under the mouse, kept up to date from the control's mouse messages.
class TTabHotTracker {
public:
    // True when the hot tab changed.
    bool Update(HWND tabs, const TMessage& m);
    int Index() const { return index_; }

private:
    int index_ = -1;
};

// One tab's text, image and state as the control holds them.
struct TSkinTabItem {
    std::wstring Text;
    int Image = -1;
    DWORD State = 0;
};
bool ReadTabItem(HWND tabs, int index, bool unicode, TSkinTabItem& item);

class TSkinTabBtn : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& m) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    bool CanSkin() override { return SkinHasTabs(data_) && HasImage(); }

private:
    bool HasImage() const;
};

class TSkinTab : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinTab() override;
    bool BeforeMessage(TMessage& m) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    void RestoreControl() override;
    // Without a Tabs image the control is the system's.
    bool CanSkin() override { return SkinHasTabs(data_); }

    bool CloseBoxes() const { return closeBoxes_; }
    TSkinTabPosition Position() const { return position_; }
    // The close boxes of the last drawing, in client coordinates, one per tab.
    const std::vector<RECT>& ItemRects() const { return itemRects_; }
    // The up-down that skins the control's scroll arrows, or null.
    TSkinUpDown* UpDown() const { return upDown_.get(); }
    int HotTab() const { return hot_.Index(); }

protected:
    void SetupSkin() override;

private:
    void LoadImages();
    void SkinArrows();
    bool HasImage() const;
    // True when a close box took the click.
    bool CloseBoxClick(POINT p);
    skin::TSkinMargins PaneMargins() const;
    void DrawPane(HDC dc, const RECT& display);
    void OpenCurrentTab(HDC dc, const RECT& display, const RECT& row, TBitmap& strip, int current);

    std::vector<RECT> itemRects_;
    std::unique_ptr<TBitmap> tabImage_, paneImage_;
    TSkinTabPosition position_ = kTabsTop;
    bool unicode2_ = true;
    TSkinObjectPtr<TSkinUpDown> upDown_;
    bool closeBoxes_ = false;
    int lastSelection_ = -1; // the selection the last drawing showed
    TTabHotTracker hot_;
};

class TSkinTab31 : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinTab31() override;
    bool CanSkin() override { return SkinHasTabs(data_); }
    bool BeforeMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    void RestoreControl() override;

protected:
    void SetupSkin() override;

private:
    void LoadImage();
    std::unique_ptr<TBitmap> tabImage_;
    TSkinObjectPtr<TSkinUpDown> scroller_;
};

class TSkinTabSheet : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    bool CanSkin() override { return SkinHasTabs(data_); }
    bool BeforeMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
};
