#pragma once
// Menus: items with captions, states, shortcuts and images; the main menu of a form and popup
// menus, each kept in step with a real HMENU; and actions that items follow.
//
// Every item has a command id of its own (unique in the process, 0x100 to 0xEFFF, clear of
// dialog ids and system commands) and every item with children a submenu handle; both find the
// item again (FindItem, FindMenuItem). Handles live as long as their items and never change,
// so a skin engine can keep them. Owner-drawn menus (OwnerDraw) draw each item through its
// replaceable OnMeasureItem/OnDrawItem, or the standard drawing without them.
#include "toolkit/classes.h"
#include "toolkit/graphics.h"
#include "toolkit/handles.h"
#include "toolkit/messages.h"
#include "toolkit/shortcut.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCustomForm;
class TImageList;
class TMenu;
class TMenuItem;

// Something that follows an action (menu items do).
class TActionClient {
public:
    virtual void ActionChanged() = 0;
    virtual void ActionFreed() = 0;

protected:
    ~TActionClient() = default;
};

class TBasicAction : public TComponent {
    TOOLKIT_CLASS(TBasicAction)
public:
    explicit TBasicAction(TComponent* owner);
    ~TBasicAction() override;
    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;
    // Run the handler; false when there is none.
    virtual bool Execute();
    virtual bool Update();

    void AddClient(TActionClient* c);
    void RemoveClient(TActionClient* c);

protected:
    void Changed();

private:
    std::vector<TActionClient*> clients_;
};

// An action with the state its clients show.
class TAction : public TBasicAction {
    TOOLKIT_CLASS(TAction)
public:
    using TBasicAction::TBasicAction;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& v);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);

private:
    std::string caption_, hint_;
    bool enabled_ = true, checked_ = false, visible_ = true;
    TShortCut shortCut_ = 0;
    int imageIndex_ = -1;
};

using TMenuMeasureItemEvent =
    std::function<void(TObject* sender, TCanvas& canvas, int& width, int& height)>;
using TMenuDrawItemEvent =
    std::function<void(TObject* sender, TCanvas& canvas, const RECT& rect, bool selected)>;

enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenuItem : public TComponent, public TActionClient {
    TOOLKIT_CLASS(TMenuItem)
public:
    explicit TMenuItem(TComponent* owner);
    // Frees the children and leaves the parent.
    ~TMenuItem() override;

    // "&File": the character after '&' is the accelerator; "-" is a separator.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    bool IsLine() const { return caption_ == "-"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    // Invisible items have no entry in the menu handle.
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    // Checking a radio item unchecks the radio items of its group among its siblings.
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool v);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    // One default item per submenu: setting it clears the others.
    bool Default() const { return default_; }
    void SetDefault(bool v);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& v) { hint_ = v; }
    // The item takes the action's caption and states, and clicking it executes the action.
    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* action);

    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const { return items_[static_cast<size_t>(i)]; }
    void Add(TMenuItem* item) { Insert(Count(), item); }
    void Insert(int index, TMenuItem* item);
    // Takes the item out without freeing it (its owner still frees it).
    void Delete(int index);
    void Remove(TMenuItem* item);
    // Frees every child.
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    void SetMenuIndex(int index);
    // The first child whose caption, without its '&', is this text (any letter case).
    TMenuItem* Find(std::string_view caption) const;
    // The menu the item belongs to, or null.
    TMenu* GetParentMenu() const;

    UINT Command() const { return command_; }
    // The submenu of the item's children; made on first use and kept for the item's life.
    HMENU Handle();
    bool HandleAllocated() const { return static_cast<bool>(handle_); }

    TNotifyEvent OnClick;
    // Replaceable: a skin engine installs its painters here and takes them out again.
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;

    // Executes the action when there is one with a handler, else OnClick.
    virtual void Click();
    // Runs the action's Update (an item follows what the action says).
    void InitiateAction();
    // The handler when set, else the standard measurement or drawing.
    void MeasureItem(TCanvas& canvas, int& width, int& height);
    void DrawItem(TCanvas& canvas, const RECT& rect, bool selected);
    void DefaultMeasureItem(TCanvas& canvas, int& width, int& height);
    void DefaultDrawItem(TCanvas& canvas, const RECT& rect, bool selected);
    // The item's text as the menu handle shows it: caption, then a tab and the shortcut.
    std::string MenuText() const;

    void SetParentComponent(TComponent* parent) override;
    void Loaded() override;

private:
    friend class TMenu;
    void ActionChanged() override;
    void ActionFreed() override;
    // This item's entry in the parent's handle changed; a structural change rebuilds them all.
    void Changed(bool rebuild);
    void RebuildHandle();
    void FillInfo(MENUITEMINFOW& mii, std::wstring& text);
    int EntryIndex() const; // position among the parent's visible children
    bool IsTopLevelOfBar() const;

    std::string caption_, hint_;
    bool enabled_ = true, visible_ = true, checked_ = false, radioItem_ = false, default_ = false;
    int groupIndex_ = 0, imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    TBasicAction* action_ = nullptr;
    std::string pendingAction_;
    UINT command_ = 0;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr; // set on the root item of a menu
    std::vector<TMenuItem*> items_;
    UniqueMenu handle_;
};

class TMenu : public TComponent {
    TOOLKIT_CLASS(TMenu)
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The invisible root whose children are the menu's entries.
    TMenuItem* Items() const { return items_.get(); }
    HMENU Handle() { return items_->Handle(); }
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool v);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);

    // By command id, by submenu handle (the root answers the menu's own), or by shortcut.
    TMenuItem* FindItem(UINT_PTR value, TFindItemKind kind) const;
    // Clicks the item of that command; false when it is not in this menu.
    bool DispatchCommand(UINT command);

    void Loaded() override;

protected:
    virtual HMENU CreateMenuHandle() const { return CreatePopupMenu(); }
    // An item was added, removed or shown differently.
    virtual void MenuChanged(TMenuItem* source) {}

private:
    friend class TMenuItem;
    std::unique_ptr<TMenuItem> items_;
    bool ownerDraw_ = false;
    TImageList* images_ = nullptr;
    std::string pendingImages_;
};

class TMainMenu : public TMenu {
    TOOLKIT_CLASS(TMainMenu)
public:
    using TMenu::TMenu;
    ~TMainMenu() override;
    // The form showing this menu, or null.
    TCustomForm* Form() const { return form_; }

protected:
    HMENU CreateMenuHandle() const override { return CreateMenu(); }
    // Sends CM_MENUCHANGED to the form.
    void MenuChanged(TMenuItem* source) override;

private:
    friend class TCustomForm;
    TCustomForm* form_ = nullptr;
    HWND window_ = nullptr; // the window the handle was last given to
};

class TPopupMenu : public TMenu {
    TOOLKIT_CLASS(TPopupMenu)
public:
    using TMenu::TMenu;
    // Shows the menu at a screen point and returns when it closes; a chosen item's Click runs
    // before it returns. OnPopup and the items' action updates run first.
    void Popup(int x, int y);
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
    TNotifyEvent OnPopup;

private:
    TComponent* popupComponent_ = nullptr;
};

// Any live toolkit item, by command id or by submenu handle; null for foreign ones.
TMenuItem* FindMenuItem(UINT command);
TMenuItem* FindMenuItemByHandle(HMENU menu);
// What a window does for toolkit menus: WM_MEASUREITEM/WM_DRAWITEM of menu items to the items'
// painters, WM_INITMENUPOPUP to action updates, WM_MENUCHAR to owner-drawn accelerators.
// True when the message was one of them and concerned a toolkit item.
bool DispatchMenuMessage(TMessage& m);
// The system menu font, for measuring and drawing menu items.
void AssignMenuFont(TFont& font);
