#pragma once
// Skinned scroll bars. Windows draws the scroll bars of memos, list boxes and list views in
// the non-client area and offers no way to paint them, so each visible native bar is covered
// by a small window of ours (TWScrollbar), placed exactly over it, that paints the bar from the
// skin and hands every press to the native bar underneath: Windows keeps doing the scrolling
// and the tracking, the cover only shows it.
//
// TSkinScrollbar keeps the two covers of a toolkit control in step, TSkinScrollbarH those of a
// window without a toolkit object (a combo box's list), TSkinScControl the one cover of a
// scroll-bar control.
#include "skin/controls/skin_control.h"
#include "toolkit/extctrls.h"

#include <windows.h>

#include <memory>

// Parts of a bar, coded as the scroll requests that act on them.
constexpr int kPartNone = -1, kPartFirstArrow = SB_LINEUP, kPartSecondArrow = SB_LINEDOWN,
              kPartTrackBefore = SB_PAGEUP, kPartTrackAfter = SB_PAGEDOWN,
              kPartThumb = SB_THUMBTRACK;
// Kinds of bar a cover serves.
constexpr int kBarHorizontal = 0, kBarVertical = 1, kBarControl = 2;
// Frames of the skin's Scrollbar strip.
constexpr int kScrollStripFrames = 23;

class TWScrollbar : public TCustomPanel {
    TOOLKIT_CLASS(TWScrollbar)
public:
    // host: the window whose bar is covered; hostControl: its toolkit object, when it has one
    // (then the host's current window is asked for each time, so a recreated window is found).
    TWScrollbar(TSkinControl* skin, HWND host, TWinControl* hostControl, int barKind,
                bool vertical);
    ~TWScrollbar() override;

    // Puts the cover over the native bar, or hides it when the bar or its window is not shown.
    void UpdateBar();
    void HideBar();
    // The bar's facts: window bars from the system, a scroll-bar control from its scroll
    // information. False when they cannot be had.
    bool GetBarInfo(SCROLLBARINFO& info);
    // The part at a point of the cover.
    int PartAt(int x, int y) const;
    // Draws the bar into dc at (0, 0) as the cover shows it; false when nothing was drawn.
    bool PaintBar(HDC dc);
    void SetActivePart(int part);
    void Redraw();

    HWND Host() const;
    HWND Cover() const { return WindowHandle(); }
    int BarKind() const { return barKind_; }
    bool Vertical() const { return vertical_; }
    void SetVertical(bool v) { vertical_ = v; }
    bool Shown() const { return shown_; }
    bool Tracking() const { return tracking_; }
    int ActivePart() const { return activePart_; }
    int Length() const { return length_; }
    int ThumbStart() const { return thumbStart_; }
    int ThumbEnd() const { return thumbEnd_; }
    int ArrowSize() const { return arrowSize_; }
    const RECT& BarRect() const { return barRect_; }

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;

private:
    void Press(TMessage& m);
    void Release(TMessage& m);
    TSkinData* Data() const;

    int length_ = 0;
    int thumbStart_ = 0, thumbEnd_ = 0;
    POINT barOrigin_{};
    POINT pressPos_{};
    int pressThumbStart_ = 0;
    bool vertical_ = false;
    bool tracking_ = false;
    int activePart_ = kPartNone;
    int arrowSize_ = 17;
    HWND hostHandle_ = nullptr;
    TWinControl* hostControl_ = nullptr;
    TSkinControl* skinObject_ = nullptr;
    int barKind_ = kBarHorizontal;
    RECT barRect_{};
    bool shown_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TSkinScrollbar : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinScrollbar() override;
    // The discovery's common attach leads here.
    void AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                       TCanvas* canvas) override;
    virtual void AttachScrollHost(TControl* control, TSkinData* data, TWinSkinForm* form,
                                  TCanvas* canvas);
    void RestoreControl() override;
    bool BeforeMessage(TMessage& m) override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;

    TWScrollbar* HorzBar() const { return horz_.get(); }
    TWScrollbar* VertBar() const { return vert_.get(); }
    bool DrawsBorder() const { return drawBorder_; }
    // The window the control had when it asked to be recreated (0 before).
    HWND RecreatedFrom() const { return recreatedFrom_; }
    void PlaceBars();

protected:
    // Border, fixed colour and covers from the current skin, over the control's window of now.
    void SetupSkin() override;
    void DrawBorder(HDC windowDc);
    // The square between two shown bars, in window coordinates; false when not both shown.
    bool CornerRect(RECT& corner) const;
    void RestoreFixedColour();

    std::unique_ptr<TWScrollbar> horz_, vert_;
    bool drawBorder_ = false;
    bool fixedColourTaken_ = false;
    TColor savedFixed_ = 0;
    HWND recreatedFrom_ = nullptr;
};

// The scroll bars of a window that has no toolkit object, attached by handle.
class TSkinScrollbarH : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinScrollbarH() override;
    void AttachWindow(HWND wnd, TSkinData* data, TWinSkinForm* form, TCanvas* canvas) override;
    void RestoreControl() override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    TWScrollbar* HorzBar() const { return horz_.get(); }
    TWScrollbar* VertBar() const { return vert_.get(); }

protected:
    void SetupSkin() override;

private:
    std::unique_ptr<TWScrollbar> horz_, vert_;
};

// A scroll-bar control: one cover over the whole control.
class TSkinScControl : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinScControl() override;
    void AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor,
                       TCanvas* canvas) override;
    void RestoreControl() override;
    void AfterMessage(TMessage& m) override;
    void DrawControl(HDC dc, const RECT& r) override;
    TWScrollbar* Bar() const { return bar_.get(); }

protected:
    void SetupSkin() override;

private:
    bool KindVertical() const;
    std::unique_ptr<TWScrollbar> bar_;
};

// The form object's answer to a control that made itself a new window `window` (its object
// has set that one up): the object is replaced when the class rules now choose another family.
// True when it was.
bool ReskinScrollControl(TWinSkinForm& form, HWND window);
