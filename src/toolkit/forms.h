#pragma once
// Forms, the screen's list of forms, the application object with its message loop and its
// default error display, timers, and the utility windows they run on.
#include "toolkit/controls.h"
#include "toolkit/exceptions.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <vector>

// A hidden message-only window with a callback, for timers and cross-thread posts.
class TUtilityWindow {
public:
    using Handler = std::function<LRESULT(UINT, WPARAM, LPARAM)>;
    explicit TUtilityWindow(Handler handler);
    HWND Handle() const { return wnd_.get(); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    Handler handler_;
    UniqueWindow wnd_;
};

class TMainMenu;

class TTimer : public TComponent {
    TOOLKIT_CLASS(TTimer)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    UINT Interval() const { return interval_; }
    void SetInterval(UINT v);
    TNotifyEvent OnTimer;
    void Loaded() override { UpdateTimer(); }

private:
    void UpdateTimer();
    bool enabled_ = true;
    UINT interval_ = 1000;
    TUtilityWindow window_;
};

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = int;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};

class TCustomForm : public TWinControl {
    TOOLKIT_CLASS(TCustomForm)
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    void Show();
    void Close();
    RECT ClientRect() const override;
    void SetClientSize(int width, int height) override;
    void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v) { borderStyle_ = v; }
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons v) { borderIcons_ = v; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* c);

    // The menu bar: the window shows the menu's handle and follows its changes (CM_MENUCHANGED).
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);
    void Loaded() override;

    // Scroll bars appear when controls lie beyond the client area.
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v);
    POINT ScrollPosition() const { return scrollPos_; }
    void ScrollTo(int x, int y);
    void AlignControls() override;

    TNotifyEvent OnShow;
    // Asked before the window closes; setting canClose to false keeps it open.
    std::function<void(TObject* sender, bool& canClose)> OnCloseQuery;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    bool Showing() const override;

    // Moves the focus to the next (or previous) control in tab order that can take it, as Tab
    // and Shift+Tab do; wraps around.
    void SelectNext(TWinControl* current, bool forward);

protected:
    void BeforeDestruction() override;
    void CreateParams(TCreateParams& p) override;
    void InitializeWnd() override;
    void DestroyWnd() override;
    void WndProc(TMessage& m) override;
    virtual void DoShow();
    void ApplyPosition();
    // Loads the form's own description (the resource named after its class).
    void LoadFromResource();

private:
    friend class TWinControl;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = poDesigned;
    int clientWidth_ = -1, clientHeight_ = -1;
    TWinControl* activeControl_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool shownOnce_ = false;
    TMainMenu* menu_ = nullptr;
    std::string pendingMenu_;
    // Finds the menu named by the description (Menu = MainMenu1).
    void ResolveMenu();
    // Gives the window the menu's handle (again) and redraws the bar.
    void UpdateMenu();
    // The window must never destroy a toolkit menu with itself.
    void ReleaseMenuHandle();

    void UpdateScrollRange();
    void Scrolled(int bar, int code);
    bool autoScroll_ = false, updatingScroll_ = false;
    POINT scrollPos_{0, 0};
};

class TForm : public TCustomForm {
    TOOLKIT_CLASS(TForm)
public:
    using TCustomForm::TCustomForm;
};

// The form a control sits on, or null.
TCustomForm* GetParentForm(TControl* control);

class TScreen {
public:
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int i) const { return forms_[static_cast<size_t>(i)]; }
    TCustomForm* ActiveForm() const;

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> forms_;
};
extern TScreen* Screen;

class TApplication : public TComponent {
    TOOLKIT_CLASS(TApplication)
public:
    explicit TApplication(TComponent* owner = nullptr);
    ~TApplication() override;

    void Initialize();
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    TCustomForm* MainForm() const { return mainForm_; }
    template <typename T> T* CreateForm() {
        T* form = new T(this);
        if (!mainForm_) mainForm_ = form;
        return form;
    }
    void Run();
    void ProcessMessages();
    bool HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The default error display: a message box with the error's text, unless a handler is set.
    std::function<void(TObject* sender, const std::exception& e)> OnException;
    void HandleException(TObject* sender, const std::exception& e);
    void ShowException(const std::exception& e);

    // The control under the mouse (graphic or windowed), tracked for CM_MOUSEENTER/LEAVE.
    TControl* MouseControl() const { return mouseControl_; }
    void CancelHint();

    // Process-wide objects that hook windows (the skin manager) hand their teardown here. It
    // runs once, newest first, before the last window goes: when Run returns, or when the
    // application is destroyed. The id removes a handler that is no longer wanted.
    int AddShutdownHandler(std::function<void()> handler);
    void RemoveShutdownHandler(int id);
    void Shutdown();

    // Called by the toolkit.
    void BeforeMessage(TWinControl* control, TMessage& m);
    void ControlDestroyed(TControl* control);

protected:
    void BeforeDestruction() override;

private:
    bool ProcessMessage(MSG& msg);
    // CM_DIALOGKEY / CM_DIALOGCHAR for keys the focused control does not want; true when a
    // control took the key.
    bool IsDialogKey(HWND root, const MSG& msg);
    void SetMouseControl(TControl* c);
    void ShowHintFor(TControl* c);

    std::string title_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    TControl* mouseControl_ = nullptr;
    TControl* hintControl_ = nullptr;
    TUtilityWindow hintTimer_;
    UniqueWindow tooltip_;
    std::wstring tooltipText_;
    std::vector<std::pair<int, std::function<void()>>> shutdown_;
    int nextShutdownId_ = 1;
};
extern TApplication* Application;
