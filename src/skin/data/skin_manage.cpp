#include "skin/data/skin_manage.h"

#include "skin/form/win_skin_form.h"
#include "skin/form/win_skin_popmenu.h"
#include "toolkit/forms.h"
#include "toolkit/win_text.h"

#include <algorithm>
#include <utility>

namespace {

TSkinManage* gManager = nullptr;
constexpr unsigned kUnskinRetryMs = 100;
constexpr unsigned kReskinOneCommand = 7;

// The forms a component's change concerns: its own when it skins only its form, else all.
const TSkinData* WaitScope(const TSkinData* data) {
    return data && data->SkinFormtype == sfOnlyThisForm ? data : nullptr;
}

std::wstring ClassOf(HWND wnd) {
    wchar_t name[256] = {};
    GetClassNameW(wnd, name, 256);
    return name;
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return s;
}

} // namespace

DWORD TSkinManage::PlatformVersion() {
    static const DWORD version = [] {
    // GetVersion answers what the manifest allows; the top bit still tells the old family.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        return GetVersion();
#pragma GCC diagnostic pop
    }();
    return version;
}

bool TSkinManage::IsNT() {
    return (PlatformVersion() & 0x80000000u) == 0;
}

TSkinManage* TSkinManage::Instance() {
    return gManager;
}

TSkinManage::TSkinManage() {
    gManager = this;
    timer_ = std::make_unique<TTimer>(nullptr);
    timer_->SetEnabled(false);
    timer_->SetInterval(100);
    timer_->OnTimer = [this](TObject*) { Tick(); };
    purger_ = std::make_unique<TUtilityWindow>([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_APP) {
            purgePosted_ = false;
            Purge();
            return 0;
        }
        return DefWindowProcW(purger_ ? purger_->Handle() : nullptr, msg, w, l);
    });
    // Torn down before the windows go, not by a static destructor after them.
    if (Application) shutdownId_ = Application->AddShutdownHandler([] { DestroySkinManager(); });
}

TSkinManage::~TSkinManage() {
    activeCount_ = 4;
    enabled_ = false;
    timer_.reset();
    purger_.reset();
    if (shutdownId_ && Application) Application->RemoveShutdownHandler(shutdownId_);
    while (!forms_.empty()) {
        TWinSkinForm* f = forms_.front();
        forms_.erase(forms_.begin());
        Unskin(f);
    }
    for (TWinSkinForm* f : std::exchange(retired_, {})) delete f;
    popups_.clear();
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (gManager == this) gManager = nullptr;
}

void TSkinManage::Unskin(TWinSkinForm* f) {
    if (!f) return;
    if (!f->Finished() && IsWindow(f->Handle)) f->Detach();
    if (f->InUse() && activeCount_ != 4) {
        f->Retire();
        retired_.push_back(f);
        return;
    }
    delete f;
}

bool TSkinManage::ChangeMustWait(const TSkinData* only, HWND window) const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const bool known = GetGUIThreadInfo(GetCurrentThreadId(), &info) != FALSE;
    if (known && (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)))
        return true;
    if (!popups_.empty()) return true;
    for (TWinSkinForm* f : forms_) {
        if ((only && f->SkinData() != only) || (window && f->Handle != window) || f->Finished())
            continue;
        if (f->InModalLoop()) return true;
        if (known && (info.flags & GUI_INMOVESIZE) && info.hwndMoveSize == f->Handle) return true;
    }
    return false;
}

void TSkinManage::RetrySoon() {
    if (timer_->Enabled()) return; // a pending command's own delay comes first
    timer_->SetInterval(kUnskinRetryMs);
    timer_->SetEnabled(true);
}

void TSkinManage::InstallHook() {
    (void)PlatformVersion();
    if (!hook_) hook_ = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

void TSkinManage::Register(TSkinData& data) {
    if (std::find(components_.begin(), components_.end(), &data) == components_.end())
        components_.push_back(&data);
    if (!main_ && data.SkinFormtype == sfMainform) main_ = &data;
}

void TSkinManage::Unregister(TSkinData& data) {
    components_.erase(std::remove(components_.begin(), components_.end(), &data),
                      components_.end());
    if (main_ == &data) main_ = nullptr;
    if (reloadWaiting_ == &data) reloadWaiting_ = nullptr;
    if (changing_ == &data) {
        changing_ = nullptr;
        pending_ = 0;
        if (timer_) timer_->SetEnabled(false);
    }
    // Windows skinned with it go back to their own look.
    std::vector<TWinSkinForm*> gone;
    for (TWinSkinForm* f : forms_)
        if (f->SkinData() == &data || !f->SkinData()) gone.push_back(f);
    for (TWinSkinForm* f : gone) {
        forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
        Unskin(f);
    }
}

void TSkinManage::ReloadSkin() {
    TSkinData* data = changing_;
    // A frame that changes size under a move loop or a tracking menu would fight it.
    if (data && ChangeMustWait(WaitScope(data), nullptr)) {
        reloadWaiting_ = data;
        RetrySoon();
        return;
    }
    ReloadForms(data);
}

void TSkinManage::ReloadForms(TSkinData* data) {
    for (TWinSkinForm* f : forms_)
        if (f->SkinData() == data && !f->Finished()) f->ReloadSkin();
}

void TSkinManage::PostCommand(unsigned command, unsigned delayMs) {
    // Skinning every form with the component's skin also refreshes them: a refresh posted
    // behind it must not cancel it.
    if (command == skin::kRefreshCommand && pending_ == skin::kSkinAllCommand && timer_->Enabled())
        command = skin::kSkinAllCommand;
    pending_ = command;
    timer_->SetEnabled(false);
    timer_->SetInterval(delayMs);
    if (activeCount_ != 0) {
        timer_->SetEnabled(true);
        return;
    }
    if (command == skin::kSkinAllCommand) enabled_ = true;
    if (command == skin::kUnskinAllCommand) enabled_ = false;
}

void TSkinManage::RunPendingCommand() {
    if (timer_->Enabled()) Tick();
}

void TSkinManage::Purge() {
    std::vector<TWinSkinForm*> finished;
    for (TWinSkinForm* f : forms_) {
        if (!f->Finished() && !IsWindow(f->Handle)) f->Abandon();
        if (f->Finished()) finished.push_back(f);
    }
    for (TWinSkinForm* f : finished) {
        forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
        delete f;
    }
    std::vector<TWinSkinForm*> idle;
    for (TWinSkinForm* f : retired_)
        if (!f->InUse()) idle.push_back(f);
    for (TWinSkinForm* f : idle) {
        retired_.erase(std::remove(retired_.begin(), retired_.end(), f), retired_.end());
        delete f;
    }
}

TWinSkinForm* TSkinManage::FindSkinnedForm(HWND window) const {
    for (TWinSkinForm* f : forms_)
        if (f->Handle == window) return f;
    return nullptr;
}

void TSkinManage::ForgetWindow(HWND window, TWinSkinForm* object) {
    if (activeCount_ == 4) return;
    retired_.erase(std::remove(retired_.begin(), retired_.end(), object), retired_.end());
    forms_.erase(std::remove_if(forms_.begin(), forms_.end(),
                                [&](TWinSkinForm* f) {
                                    return f == object || (!object && f->Handle == window);
                                }),
                 forms_.end());
}

void TSkinManage::WindowFinished() {
    if (purgePosted_ || !purger_) return;
    purgePosted_ = PostMessageW(purger_->Handle(), WM_APP, 0, 0) != FALSE;
}

void TSkinManage::SetMaximizedChild(bool state) {
    if (state == ChildMaximized) return;
    ChildMaximized = state;
    // The program has no MDI children; their frames would follow the state here.
}

TControl* TSkinManage::FormOfWindow(HWND window) {
    if (Screen)
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->WindowHandle() == window) return Screen->Forms(i);
    return TWinControl::FromHandle(window);
}

bool TSkinManage::SkinForm(TCustomForm& form) {
    if (!form.HandleAllocated() || !IsWindowVisible(form.WindowHandle())) return true;
    if (GetWindowLongW(form.WindowHandle(), GWL_STYLE) & WS_CHILD) return true;
    return SkinWindow(form.WindowHandle());
}

TSkinData* TSkinManage::ChooseComponent(HWND w, const std::wstring& className) const {
    for (auto it = components_.rbegin(); it != components_.rend(); ++it)
        if ((*it)->SkinFormtype == sfOnlyThisForm) {
            auto* owner = dynamic_cast<TWinControl*>((*it)->Owner());
            if (owner && owner->WindowHandle() == w) return *it;
        }
    const std::wstring lower = Lower(className);
    if (lower == L"tmessageform" || lower == L"#32770")
        for (auto it = components_.rbegin(); it != components_.rend(); ++it)
            if ((*it)->SkinFormtype == sfDialog) return *it;
    for (auto it = components_.rbegin(); it != components_.rend(); ++it)
        if ((*it)->SkinFormtype == sfMainform) return *it;
    return components_.empty() ? nullptr : components_.front();
}

bool TSkinManage::SkinWindow(HWND w) {
    if (!enabled_ || !w || !IsWindow(w)) return false;
    Purge();
    if (SendMessageW(w, WM_SKIN_QUERY, 0, 0) == 1) return false;
    // An entry for a window that does not answer as skinned is left over from a window of
    // the same handle that went without telling us.
    if (TWinSkinForm* stale = FindSkinnedForm(w)) {
        forms_.erase(std::remove(forms_.begin(), forms_.end(), stale), forms_.end());
        stale->Abandon();
        delete stale;
    }
    TControl* f = FormOfWindow(w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(w, GWL_EXSTYLE);
    if (!forced_ && (style & WS_CHILD) && !(exStyle & WS_EX_MDICHILD)) {
        HWND parent = GetParent(w);
        if (!parent || Lower(ClassOf(parent)) != L"mdiclient") return false;
    }
    const std::wstring c = ClassOf(w);
    const bool ours = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(w, GWLP_HINSTANCE)) ==
                      GetModuleHandleW(nullptr);
    if (!f && !ours && c != L"#32770") return false;
    RECT r;
    GetWindowRect(w, &r);
    if ((r.right - r.left) * (r.bottom - r.top) == 0 && !(exStyle & WS_EX_MDICHILD)) return false;
    if (f && f->Tag() == 99) return false;
    if (c.find(L"TcxPopupEditPopupWindow") != std::wstring::npos || c == L"TApplication")
        return false;
    bool doSkin = true;
    if (main_) {
        if (!InSet(main_->Options, xoPreview) && Lower(c).find(L"preview") != std::wstring::npos)
            doSkin = false;
        main_->AskFormSkin(w, Narrow(c), doSkin);
    }
    if (!doSkin) return false;
    TSkinData* data = ChooseComponent(w, c);
    if (!data || data->SkinNotLoaded) return false;
    auto* form = dynamic_cast<TCustomForm*>(f);
    auto* object = new TWinSkinForm(form);
    object->Handle = w;
    if (form)
        object->Attach(data, form);
    else
        object->Attach(data);
    if (!object->Attached()) {
        delete object;
        return false;
    }
    forms_.push_back(object);
    PostMessageW(w, WM_SKIN_APPLY, 0, kSkinApplyTag);
    return true;
}

LRESULT CALLBACK TSkinManage::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    TSkinManage* m = gManager;
    HHOOK hook = m ? m->hook_ : nullptr;
    if (m && code >= 0 && m->activeCount_ != 4) {
        HWND w = reinterpret_cast<HWND>(wParam);
        try {
            if (code == HCBT_CREATEWND) {
                auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
                // An MDI child is skinned while it is created.
                if (cbt && cbt->lpcs && (cbt->lpcs->style & SBS_SIZEGRIP) &&
                    Lower(ClassOf(w)) == L"scrollbar") {
                    if (TWinSkinForm* f = m->FindSkinnedForm(cbt->lpcs->hwndParent))
                        f->TakeOverGrip(w);
                } else if (cbt && cbt->lpcs && !(cbt->lpcs->style & WS_CHILD) &&
                           ClassOf(w) == L"#32768")
                    m->SkinPopupMenu(w);
                else if (cbt && cbt->lpcs && (cbt->lpcs->dwExStyle & WS_EX_MDICHILD))
                    m->SkinWindow(w);
            } else if (code == HCBT_ACTIVATE) {
                if (m->activeCount_ == 0) m->activeCount_ = 1;
                m->SkinWindow(w);
            } else if (code == HCBT_DESTROYWND) {
                m->PopupMenuGone(w);
            }
        } catch (...) {
            // A hook must never throw into the system's window creation.
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

bool TSkinManage::SkinPopupMenu(HWND w) {
    if (!enabled_ || !w) return false;
    if (IsPopupMenu(w) || SendMessageW(w, WM_SKIN_QUERY, 0, 0) == 1) return false;
    TSkinData* data = ChooseComponent(w, L"#32768");
    if (!data || data->SkinNotLoaded) return false;
    const TSkinControlTypes kinds = data->SkinControls;
    const bool allowed = MenuSource == 1   ? InSet(kinds, xcMainMenu) || InSet(kinds, xcMenuItem)
                         : MenuSource == 2 ? InSet(kinds, xcSystemMenu)
                                           : InSet(kinds, xcPopupMenu);
    if (!allowed) return false;
    auto popup = std::make_unique<TWinSkinPopMenu>();
    if (!popup->Attach(w, data, 0)) return false;
    popup->MenuBarPopup = MenuBarOpen;
    popups_.push_back(std::move(popup));
    return true;
}

void TSkinManage::PopupMenuGone(HWND w) {
    auto it =
        std::find_if(popups_.begin(), popups_.end(),
                     [&](const std::unique_ptr<TWinSkinPopMenu>& p) { return p->Handle() == w; });
    if (it == popups_.end()) return;
    std::unique_ptr<TWinSkinPopMenu> gone = std::move(*it);
    popups_.erase(it);
    gone->Detach();
    gone.reset();
    if (popups_.empty()) {
        MenuBarOpen = false;
        MenuSource = 0;
    }
}

bool TSkinManage::IsPopupMenu(HWND w) const {
    for (const auto& p : popups_)
        if (p->Handle() == w) return true;
    return false;
}

TWinSkinPopMenu* TSkinManage::PopupOfMenu(HMENU menu) const {
    if (!menu) return nullptr;
    for (auto it = popups_.rbegin(); it != popups_.rend(); ++it)
        if ((*it)->Menu() == menu) return it->get();
    return nullptr;
}

void TSkinManage::AttachMenu(HMENU menu) {
    if (!menu || PopupOfMenu(menu)) return;
    for (auto it = popups_.rbegin(); it != popups_.rend(); ++it)
        if (!(*it)->Menu()) {
            (*it)->AttachedMenu = menu;
            return;
        }
}

void TSkinManage::MarkAllPopups() {
    for (auto& p : popups_) p->MenuBarPopup = true;
}

void TSkinManage::Tick() {
    timer_->SetEnabled(false);
    if (TSkinData* waiting = reloadWaiting_) {
        if (ChangeMustWait(WaitScope(waiting), nullptr)) {
            RetrySoon();
            return;
        }
        reloadWaiting_ = nullptr;
        ReloadForms(waiting);
        if (!pending_) return;
    }
    TSkinData* data = changing_;
    if (!data) return;
    const unsigned command = pending_;
    const bool waits = command == skin::kUnskinAllCommand || command == kReskinOneCommand ||
                       command == skin::kRefreshCommand;
    if (waits &&
        ChangeMustWait(WaitScope(data), command == kReskinOneCommand ? WindowToReskin : nullptr)) {
        // Asked again shortly: the command stays pending until the loop or menu is over.
        RetrySoon();
        return;
    }
    pending_ = 0;
    auto formsUsing = [&](TSkinData* d) {
        std::vector<TWinSkinForm*> out;
        for (TWinSkinForm* f : forms_)
            if (f->SkinData() == d) out.push_back(f);
        return out;
    };
    if (data->SkinFormtype == sfOnlyThisForm) {
        switch (command) {
        case skin::kSkinAllCommand:
            enabled_ = true;
            forced_ = true;
            if (Screen)
                for (int i = Screen->FormCount() - 1; i >= 0; --i)
                    if (Screen->Forms(i) == data->Owner()) {
                        SkinForm(*Screen->Forms(i));
                        break;
                    }
            forced_ = false;
            break;
        case skin::kUnskinAllCommand: {
            enabled_ = false;
            Purge();
            auto using_ = formsUsing(data);
            if (!using_.empty()) {
                TWinSkinForm* f = using_.back();
                forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
                Unskin(f);
            }
            break;
        }
        case skin::kRefreshCommand: {
            Purge();
            auto using_ = formsUsing(data);
            if (!using_.empty()) using_.front()->ReloadSkin();
            break;
        }
        case 6:
            Purge();
            break;
        default:
            break;
        }
    } else {
        switch (command) {
        case skin::kSkinAllCommand:
            enabled_ = true;
            ChildMaximized = false;
            forced_ = true;
            Purge();
            if (Screen)
                for (int i = Screen->FormCount() - 1; i >= 0; --i) SkinForm(*Screen->Forms(i));
            SkinOpenDialogs();
            forced_ = false;
            break;
        case skin::kUnskinAllCommand:
            enabled_ = false;
            Purge();
            while (!forms_.empty()) {
                TWinSkinForm* f = forms_.front();
                forms_.erase(forms_.begin());
                Unskin(f);
            }
            break;
        case skin::kRefreshCommand: {
            Purge();
            // Forms the data component's refresh already set up from this load and painted
            // are left alone: a switch sets every window up once.
            auto using_ = formsUsing(data);
            std::erase_if(using_, [](TWinSkinForm* f) { return f->SetUpFromCurrentSkin(); });
            for (TWinSkinForm* f : using_) f->ReloadSkin();
            for (TWinSkinForm* f : using_) f->Repaint();
            break;
        }
        case 6:
            Purge();
            break;
        case kReskinOneCommand:
            if (TWinSkinForm* f = FindSkinnedForm(WindowToReskin)) {
                forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
                Unskin(f); // retired, not freed, while one of its handlers runs
                SkinWindow(WindowToReskin);
            }
            changing_ = nullptr;
            return;
        default:
            break;
        }
    }
    data->SkinChanged();
    changing_ = nullptr;
}

void TSkinManage::SkinOpenDialogs() {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM l) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND w : windows) {
        if (!IsWindow(w) || !IsWindowVisible(w)) continue;
        const std::wstring c = Lower(ClassOf(w));
        if (c == L"#32770" || c == L"tmessageform") SkinWindow(w);
    }
}

void InstallSkinManager() {
    SetSkinManagerFactory([] { return std::make_unique<TSkinManage>(); });
}
