#pragma once
// The skinned menu bar. A skinned window with a menu loses its native bar: TWinSkinMenu keeps
// the menu handle, draws the top-level entries (one TMenuBtn each) in the band between title
// and client, and opens an entry's submenu with TrackPopupMenu under it. While a popup is open
// a message-filter hook lets the user slide to the neighbouring entries with the mouse or the
// arrow keys, as in a native bar. Only one menu is tracked at a time in the program.
#include "skin/data/skin_data.h"
#include "skin/form/nc_objects.h"
#include "toolkit/classes.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class TWinSkinForm;
class TMenu;
class TMenuItem;

class TMenuBtn : public TNCObject {
public:
    TMenuBtn(TWinSkinForm& owner, TSkinData* data, int index)
        : TNCObject(owner), Data(data), Index(index) {}
    // Repaints this entry alone from the bar's saved background.
    void Paint() override;

    TMenuItem* Item = nullptr;
    TSkinData* Data = nullptr;
    int Index = 0;
    std::wstring Caption;
    bool Enabled = true;
    HMENU SubMenu = nullptr;
    UINT Command = 0;
};

class TWinSkinMenu : public TComponent {
public:
    explicit TWinSkinMenu(TWinSkinForm* form);
    ~TWinSkinMenu() override;

    TMenu* Menu = nullptr; // the toolkit menu of the form, none for a foreign window
    // Follows the menu (and the items of the entries) to their end: nothing freed is touched.
    void SetMenu(TMenu* menu);
    // Rebuilds the entries from the window's menu (or the one kept); removes the native bar.
    void Rebuild();
    // Draws the whole bar into the window DC at the band (window coordinates).
    void Paint(HDC windowDc, const RECT& band);
    void PaintNow(); // the band as the frame last placed it
    TMenuBtn* FindMenuButton(POINT framePoint) const;
    TMenuBtn* FindByAccelerator(wchar_t ch) const;
    int StartOffset(int bandWidth) const;
    // Opens the entry's submenu and returns when it closes (and when the user slid on to other
    // entries, when the last of them closes).
    void Open(TMenuBtn* button);
    // The entry's menu is opened through the window's own click path (posted).
    void PostOpen(TMenuBtn* button);
    const std::vector<std::unique_ptr<TMenuBtn>>& Buttons() const { return buttons_; }
    HMENU NativeMenu() const { return native_; }
    void SetNativeMenu(HMENU menu) { native_ = menu; }
    const RECT& Band() const { return band_; }
    TBitmap& Background() { return background_; }
    bool Painting() const { return painting_; }
    TWinSkinForm& Form() const { return *form_; }
    // The window's menus that were made owner-drawn for the skin get their own look back, and
    // the separators hidden before an entry opened are shown as they were.
    void RestoreOwnerDraw();
    // Whether the skin made this item owner-drawn (a window's own owner-drawn items are its
    // own to measure and draw); with no menu, any menu.
    bool SkinOwnerDrawn(UINT command, HMENU menu) const;

    // The process-wide tracking state.
    static TWinSkinMenu* Tracked();
    static int OpenIndex();
    bool Tracking() const { return tracking_; }
    HMENU TrackedMenu() const { return trackedMenu_; }
    // From the window's WM_MENUSELECT while a popup of this bar is open.
    void MenuSelected(UINT item, UINT flags, HMENU menu);
    // The window's click on an entry while one of its popups is tracked: switch to it.
    void SwitchTo(TMenuBtn* button);

    // Hides leading, doubled and trailing separators among the visible children.
    struct Tidied {
        TMenuItem* item;
        UINT command;
        bool visible;
    };
    static void TidySeparators(TMenuItem& parent, std::vector<Tidied>* changed = nullptr);
    // An entry that has a popup to show: the arrow keys and the mouse slide only onto these.
    static bool CanOpen(const TMenuBtn& button);
    // The first entry that can open, for Alt alone.
    TMenuBtn* FirstOpenable() const;
    // One message of the open menu's loop (from the hooks); true when it is to be eaten.
    static bool FilterMessage(MSG& msg);
    // A walk of the bar is one menu loop for the window, as a native bar's is: the loop
    // messages of the popups it opens one after the other are not passed on.
    bool InWalk() const { return walking_ && !relaying_; }
    // The entry highlighted in the bar while no popup is open (after Escape), or -1.
    int Highlighted() const { return highlighted_; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend struct TMenuTracking;
    void Build();
    void MakeOwnerDraw(HMENU menu);
    bool Filter(MSG& msg);
    TMenuBtn* Neighbour(int from, int step, bool openable) const;
    // Menu mode with no popup open: the entry lit, keys move along the bar. Returns the entry
    // to open next, or -1 when menu mode ends.
    int WalkBar(int index, bool tell, const bool& alive);
    void Light(int index, bool tell = true);
    void Relay(UINT msg, WPARAM wParam, LPARAM lParam);
    void RelaySelect(const TMenuBtn& b);

    TWinSkinForm* form_;
    std::vector<std::unique_ptr<TMenuBtn>> buttons_;
    RECT band_{};
    TBitmap background_;
    bool painting_ = false;
    HMENU native_ = nullptr;
    bool tracking_ = false;
    HMENU trackedMenu_ = nullptr;
    // An action's update during a rebuild changes the menu, which asks for a rebuild again.
    bool rebuilding_ = false, rebuildAgain_ = false;
    bool opening_ = false;
    bool walking_ = false, relaying_ = false;
    int highlighted_ = -1;
    bool* alive_ = nullptr; // set while Open runs: cleared when the bar goes meanwhile
    struct OwnerDrawn {
        HMENU menu;
        UINT position;
    };
    std::vector<OwnerDrawn> ownerDrawn_;
    std::vector<Tidied> tidied_;
};
