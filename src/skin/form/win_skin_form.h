#pragma once
// TWinSkinForm: takes over the non-client area of one top-level window (a toolkit form or a
// foreign window such as a standard dialog) and draws it from the skin: borders, the title bar
// with its caption and buttons, the menu band. It sizes the client area from the skin, cuts
// the window to a region where the skin is transparent, tracks activation and window state,
// and keeps the list of the window's skinned controls.
//
// The skin manager creates one per window, sets Handle, attaches it and posts WM_SKIN_APPLY;
// everything visible happens from that message on. Its life, in three steps:
//  1. Attach: classify the window and put the frame's procedure in front of it.
//  2. Set up from the current skin: frame metrics and title buttons (ComputeFrameMetrics),
//     then colours, popup menus, menu bar, frame size, region and controls (Recolor). Run at
//     apply and again on every skin change (ReloadSkin); nothing taken from the skin is used
//     once the skin data's Generation has moved on.
//  3. Detach (or the window's WM_NCDESTROY): the window as it was: procedure, style, menu,
//     colour, region, client size.
#include "skin/data/skin_data.h"
#include "skin/form/nc_objects.h"
#include "skin/form/skin_messages.h"
#include "toolkit/forms.h"
#include "toolkit/subclass.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TPopupMenu;
class TMenu;
class TMenuItem;
class TMenuBtn;
class TWinSkinMenu;

enum TSkinFormState {
    ssNotApplied = 0,
    ssApplied = 1,
    ssReapplying = 3,
    ssDestroying = 4,
    ssResizing = 5,
    ssFinished = 6
};
enum TSkinWindowState { wsNormal = 0, wsMaximized = 1, wsMinimized = 2 };
enum TSkinFormKind { fkOrdinary = 0, fkMdiParent = 1, fkMdiChild = 2 };
enum TSkinBorderKind { bkSizeable = 0, bkSingle = 1, bkNone = 2, bkDialog = 3 };
// Border icon bits.
constexpr int kBiMaximize = 1, kBiMinimize = 2, kBiSystemMenu = 8, kBiNoCaption = 16;

class TWinSkinForm : public TComponent {
public:
    explicit TWinSkinForm(TComponent* owner);
    ~TWinSkinForm() override;

    // Set by the manager before attaching.
    HWND Handle = nullptr;

    void Attach(TSkinData* data);                    // a foreign window
    void Attach(TSkinData* data, TCustomForm* form); // a toolkit form
    void Detach();
    bool Attached() const { return subclass_.Attached(); }
    // The window went away without this object seeing it (someone in front cut it off):
    // forget it without touching the window handle, which may belong to another window now.
    void Abandon();

    // The whole non-client paint; with no DC the window DC is taken and released.
    void PaintFrame(HDC dc = nullptr);
    void UpdateRegion();
    // Takes the skin data's elements again (after a skin change) and repaints.
    void ReloadSkin();
    void Repaint();
    // Whether the window is being moved or sized or one of its menus is up: its skin is not
    // taken off then.
    bool InModalLoop() const;
    // Whether one of this object's message handlers is running: it is freed only after.
    bool InUse() const { return depth_ > 0; }
    // Taken off by the manager while a handler of it runs: freed once the last one returns.
    void Retire() { skinState_ = ssFinished; }
    // The title buttons and pieces were taken from the skin data's present elements.
    bool SkinCurrent() const { return data_ && data_->Generation == generation_; }
    // The whole window was set up from the skin data's present load and painted with it.
    bool SetUpFromCurrentSkin() const { return data_ && data_->Generation == setUpGeneration_; }

    // Skinned child controls (the control skinning registers them).
    bool RegisterControl(TComponent* control); // true when it was already listed
    void UnregisterControl(TComponent* control);
    bool IsSkinned(HWND window) const;
    // A size grip created on this window after it was skinned.
    void TakeOverGrip(HWND grip);
    // A foreign window's skinned control under the mouse: it is sent CM_MOUSELEAVE once the
    // mouse has left it or the window is deactivated.
    void MarkUnderMouse(TComponent* control);
    TComponent* MarkedControl() const { return marked_; }
    const std::vector<TComponent*>& SkinnedControls() const { return controls_; }
    // The canvas the skinned controls draw through (bound to a DC only while one draws).
    TCanvas* ControlCanvas() { return &controlCanvas_; }

    // Frame metrics and state that the title buttons and the menu bar read.
    int LeftWidth() const { return left_; }
    int TitleHeight() const { return title_; }
    int RightWidth() const { return right_; }
    int BottomHeight() const { return bottom_; }
    int MenuBarHeight() const { return menuBarHeight_; }
    int WindowWidth() const { return windowWidth_; }
    bool Active() const { return active_; }
    TSkinWindowState WindowState() const { return windowState_; }
    bool RightToLeft() const { return rightToLeft_; }
    int BorderIcons() const { return borderIcons_; }
    TSkinBorderKind BorderKind() const { return borderKind_; }
    TSkinFormKind FormKind() const { return formKind_; }
    TSkinFormState SkinState() const { return skinState_; }
    bool SkinsFrame() const { return skinFrame_; }
    bool DialogClass() const { return dialogClass_; }
    TSkinData* SkinData() const { return data_; }
    TCustomForm* Form() const { return form_; }
    bool Finished() const { return skinState_ == ssFinished; }
    HMENU SystemMenu() const { return systemMenu_; }
    HWND MdiClient() const { return mdiClient_; }

    // Non-client objects.
    TNCObject* HotObject = nullptr;
    // Forgets the hot object and gives it its resting state (a full frame paint follows).
    void ClearHot();
    const std::vector<std::unique_ptr<TWinSysButton>>& TitleButtons() const { return buttons_; }
    TWinSysButton* FindTitleButton(POINT framePoint) const;
    void PerformButton(TWinSysButton& button);
    // The window's small icon drawn at the bounds (or the captured icon bitmap).
    void DrawWindowIcon(HDC dc, const RECT& bounds);
    // Screen point to frame (window) coordinates.
    POINT ToFrame(POINT screen) const;

    // Window commands of the title buttons.
    void ToggleMaximize();
    void ToggleMinimize();
    void Restore();
    void CloseWindow();
    bool CloseAllowed() const;
    // From the mouse, a second request within the double-click time closes instead.
    void ShowSystemMenu(POINT screen, bool byMouse = true);

    // The popup shown for the system menu (rebuilt each time); null when none is up.
    TPopupMenu* SystemMenuPopup() const { return systemPopup_.get(); }

    // The skinned menu bar, or null.
    TWinSkinMenu* MenuBar() const { return menuBar_.get(); }
    TMenuBtn* FindMenuButton(POINT framePoint) const;
    // Opens the entry's popup and returns when it closes.
    void OpenMenu(TMenuBtn* button);
    bool MenuTracking() const;
    // Item painters: the measure and draw handlers of the skinned menus' items.
    void MeasureItem(TMenuItem& item, TCanvas& canvas, int& width, int& height);
    void MeasureSystemItem(TMenuItem& item, TCanvas& canvas, int& width, int& height);
    void DrawItem(TMenuItem& item, TCanvas& canvas, const RECT& rect, bool selected);
    void DrawForeignItem(HMENU menu, UINT command, bool selected, const RECT& rect, HDC dc);
    void DrawPlainItem(TMenuItem& item, TCanvas& canvas, bool selected, const RECT& rect);
    // The form's popup and main menus switched to the painters above, or back.
    void SkinFormMenus(bool on);
    // Gives a switched popup's newer items the painters; false when the popup is not one.
    bool SkinPopupItems(TPopupMenu& popup);
    // Owner-draw on and recorded; false when the menu was owner-drawn already.
    bool SwitchToPainters(TMenu& menu);
    void LeaveMarked();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    class THandlerDepth;
    void AttachCommon(TSkinData* data);
    void Classify();
    void ComputeFrameMetrics();
    void CaptureIcon();
    void ApplySkin();
    // Colours, menus, frame size and region from the skin again (WM_SKIN_RECOLOR).
    void Recolor();
    // Title buttons of an older skin are dropped before anything can reach their elements.
    void DropStaleButtons();
    // Control discovery: a skin object for each child control the skin's rules select.
    void SkinChildControls();
    // Every skinned control takes the skin's colours and elements again.
    void ReskinControls();
    void FreeSkinnedControls();
    void ResizeFrame(bool firstApply);
    // Flags that keep a geometry change from painting when a full repaint follows it (top-level
    // windows only: a child's parent would miss the part it uncovers).
    UINT QuietFlags() const;
    // What a quiet change of a top-level window from `before` left uncovered is painted by the
    // windows behind it, as a change that paints would have had them do.
    void ExposeUncovered(const RECT& before);
    void ShiftChildren(int dx);
    void Dispatch(TMessage& m);
    bool Stage2(TMessage& m);
    void Stage3(TMessage& m);
    void FormHook(TMessage& m);
    void MdiClientProc(TMessage& m);
    void Default(TMessage& m) { subclass_.CallPrevious(m); }
    void CalcSize(TMessage& m);
    void HitTest(TMessage& m);
    void Activate(TMessage& m);
    void SysCommand(TMessage& m);
    void SetText(TMessage& m);
    void NcMouse(TMessage& m);
    void NcDoubleClick(TMessage& m);
    void NcRightDown(TMessage& m);
    void TrackHot();
    void UpdateWindowState();
    void CaptionStyle(bool on);
    void DrawPiece(HDC dc, int index, const RECT& target);
    TBitmap* Piece(int index, int width, int height);
    void DrawTitleBar(HDC windowDc, int w, int h);
    void DrawCaption(HDC dc, const RECT& titleRect, int buttonsLeft);
    // The caption's font: CaptionFont at the skin's FontHeight.
    HFONT TitleFont();
    void DetachForDestroy();
    // Menu parts (win_skin_form_menus.cpp).
    void CreateMenuBar();
    void FreeMenuBar(bool giveBack);
    bool MenuMessage(TMessage& m);
    bool MenuKey(TMessage& m);
    bool MenuDialogChar(TMessage& m);
    void MenuChanged();
    void PaintMenuBand(HDC dc, const RECT& band);
    void SkinMenuItems(TMenuItem& item, bool measureToo, bool systemMeasure);
    void RestoreWindow(bool destroying);
    std::wstring WindowText() const;

    TSkinData* data_ = nullptr;
    TCustomForm* form_ = nullptr;
    TWindowSubclass subclass_;
    TWndProcHook formHook_;
    // An MDI parent's client window, subclassed while the parent is skinned.
    HWND mdiClient_ = nullptr;
    TWindowSubclass mdiSubclass_;
    bool savedMenuUpdate_ = true;

    // Classification.
    TSkinFormKind formKind_ = fkOrdinary;
    TSkinBorderKind borderKind_ = bkSingle;
    int borderIcons_ = 0;
    bool rightToLeft_ = false, sizeable_ = false, childWindow_ = false, dialogClass_ = false;
    bool skinFrame_ = false;
    DWORD style_ = 0, exStyle_ = 0;
    HWND ownerWindow_ = nullptr;
    std::wstring className_;
    TColor savedColor_ = clBtnFace;
    bool savedAutoScroll_ = false;
    HMENU nativeMenu_ = nullptr, systemMenu_ = nullptr;

    // Geometry.
    int left_ = 0, title_ = 0, right_ = 0, bottom_ = 0, menuBarHeight_ = 0;
    RECT windowRect_{};
    int windowWidth_ = 0, windowHeight_ = 0;
    RECT attachClient_{};
    SIZE nativeFrame_{}; // window size minus client size under the native frame
    SIZE regionSize_{};
    int dialogShift_ = 0, dialogWidened_ = 0; // a dialog widened to show its caption
    bool regionSet_ = false;
    bool quietGeometry_ = false; // a full repaint follows the frame's changes of size and region
    std::uint32_t regionGeneration_ = 0; // the skin data's Generation the region was cut from
    std::uint32_t setUpGeneration_ = 0;  // and the one the last whole set-up and repaint read

    // Live state.
    std::uint32_t generation_ = 0; // the skin data's Generation the set-up read
    int depth_ = 0;                // message handlers of this object on the stack
    bool inSizeMove_ = false, inMenuLoop_ = false, systemPopupTracking_ = false;
    TSkinFormState skinState_ = ssNotApplied;
    TSkinWindowState windowState_ = wsNormal;
    bool active_ = true;
    std::vector<std::unique_ptr<TWinSysButton>> buttons_;
    // The title button the left button went down on, until it comes up: a press dragged off
    // and back still clicks, as on a native caption button.
    TWinSysButton* pressed_ = nullptr;
    std::unique_ptr<TPopupMenu> systemPopup_;
    std::unique_ptr<TWinSkinMenu> menuBar_;
    // What SkinFormMenus changed, to be put back.
    struct SkinnedItem {
        TMenuItem* item;
        UINT command;
        bool measure;
    };
    std::vector<SkinnedItem> skinnedItems_;
    std::vector<TMenu*> ownerDrawMenus_;
    bool formMenusOn_ = false;
    HICON icon_ = nullptr;
    TBitmap iconBitmap_;
    TBitmap titleBuffer_;
    struct CachedPiece {
        std::unique_ptr<TBitmap> bitmap;
        int width = 0, height = 0, frame = 0;
        const void* source = nullptr;
        std::uint32_t generation = 0;
    };
    CachedPiece pieces_[4];
    UniqueFont captionFont_;
    UniqueFont sizedFont_; // the caption font at the skin's FontHeight
    HFONT sizedFrom_ = nullptr;
    int sizedHeight_ = 0;
    UINT doubleClickTime_ = 500;
    DWORD lastRightClick_ = 0;
    std::vector<TComponent*> controls_;
    TCanvas controlCanvas_;
    TTimer* timer_ = nullptr;
    TComponent* marked_ = nullptr;
};
