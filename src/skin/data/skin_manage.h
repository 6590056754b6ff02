#pragma once
// TSkinManage: the one process-wide object that finds the windows to skin. A window-creation
// (CBT) hook on the user-interface thread sees windows created, activated and destroyed; the
// manager decides for each top-level window whether and with which skin data component it is
// skinned, makes its TWinSkinForm, and carries out the skin all / unskin all / refresh commands
// that the skin data components post, from a timer, one pending command at a time.
#include "skin/data/skin_data.h"

#include <windows.h>

#include <memory>
#include <vector>

class TWinSkinForm;
class TWinSkinPopMenu;
class TTimer;
class TUtilityWindow;

class TSkinManage : public TSkinManagerLink {
public:
    TSkinManage();
    ~TSkinManage() override;
    TSkinManage(const TSkinManage&) = delete;
    TSkinManage& operator=(const TSkinManage&) = delete;

    // The manager, or null while none exists.
    static TSkinManage* Instance();

    // TSkinManagerLink
    void Register(TSkinData& data) override;
    void Unregister(TSkinData& data) override;
    void SetChanging(TSkinData& data) override { changing_ = &data; }
    void ReloadSkin() override;
    void PostCommand(unsigned command, unsigned delayMs) override;
    // Carries out the pending command now rather than when its delay runs out, as the delay's
    // end would (it still waits for a menu or a move or size loop). Nothing when none is pending.
    void RunPendingCommand();
    int ActiveCount() const override { return activeCount_; }
    void SetActiveCount(int count) override { activeCount_ = count; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    void InstallHook() override;
    bool SkinForm(TCustomForm& form) override;

    bool SkinWindow(HWND window);
    TWinSkinForm* FindSkinnedForm(HWND window) const;
    // A skinned window went away: its object leaves the list (it is not freed here).
    void ForgetWindow(HWND window, TWinSkinForm* object);
    // A skinned window was destroyed: objects of foreign windows are freed soon after, once
    // the window's last message has returned.
    void WindowFinished();
    void SetMaximizedChild(bool state);
    // The toolkit form of a window, else the control object the toolkit keeps for it.
    static TControl* FormOfWindow(HWND window);

    // Popup menu windows ("#32768"): each one the skin's control set covers gets its object.
    bool SkinPopupMenu(HWND window);
    void PopupMenuGone(HWND window);
    bool IsPopupMenu(HWND window) const;
    // The popup showing that menu, or null.
    TWinSkinPopMenu* PopupOfMenu(HMENU menu) const;
    // The menu being drawn belongs to the newest popup that has none named yet.
    void AttachMenu(HMENU menu);
    void MarkAllPopups();
    size_t PopupMenuCount() const { return popups_.size(); }

    bool Enabled() const { return enabled_; }
    bool HookInstalled() const { return hook_ != nullptr; }
    unsigned PendingCommand() const { return pending_; }
    const std::vector<TWinSkinForm*>& SkinnedForms() const { return forms_; }
    // Objects taken off while a handler of theirs ran, not freed yet.
    size_t RetiredCount() const { return retired_.size(); }
    TSkinData* MainComponent() const { return main_; }

    // Set by the form skinning before a menu opens: 0 popup, 1 menu-bar drop-down, 2 system.
    int MenuSource = 0;
    bool MenuBarOpen = false;
    bool ChildMaximized = false;
    HWND MdiClient = nullptr;
    HWND WindowToReskin = nullptr;

    // The platform version as GetVersion gives it, and whether it is of the NT family.
    static DWORD PlatformVersion();
    static bool IsNT();

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void Tick();
    void Purge();
    // Takes the skin off and frees the object, or frees it later when one of its handlers is
    // running (a dialog or message box opened from it, for one).
    void Unskin(TWinSkinForm* form);
    // Taking a skin off, and reloading forms with a new one, waits while a menu is up or a
    // window it concerns (those of `only`, or `window`, or all when both are null) is moved or
    // sized.
    bool ChangeMustWait(const TSkinData* only, HWND window) const;
    // Asks the timer again after a short wait, unless a command's delay is already running.
    void RetrySoon();
    void ReloadForms(TSkinData* data);
    // The dialogs and message boxes on screen, which are no toolkit forms.
    void SkinOpenDialogs();
    TSkinData* ChooseComponent(HWND window, const std::wstring& className) const;

    std::unique_ptr<TTimer> timer_;
    std::unique_ptr<TUtilityWindow> purger_;
    bool purgePosted_ = false;
    HHOOK hook_ = nullptr;
    std::vector<TWinSkinForm*> forms_;
    std::vector<TWinSkinForm*> retired_; // unskinned, freed once their handlers returned
    std::vector<std::unique_ptr<TWinSkinPopMenu>> popups_;
    std::vector<TSkinData*> components_;
    bool enabled_ = false, forced_ = false;
    int activeCount_ = 0;
    unsigned pending_ = 0;
    TSkinData* changing_ = nullptr;
    TSkinData* reloadWaiting_ = nullptr; // loaded while a loop or menu ran: its forms reload after
    TSkinData* main_ = nullptr;
    int shutdownId_ = 0;
};

// Makes the skin data components create this manager (start-up; the main window's
// description registers it with the skin data class).
void InstallSkinManager();
