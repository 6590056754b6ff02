#include "skin/form/win_skin_form.h"

#include "skin/controls/skin_control.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/data/skin_manage.h"
#include "skin/form/control_discovery.h"
#include "skin/form/primitives.h"
#include "skin/form/win_skin_menu.h"
#include "skin/form/win_skin_popmenu.h"
#include "toolkit/imglist.h"
#include "toolkit/menus.h"
#include "toolkit/win_text.h"

#include <algorithm>
#include <utility>

namespace {

bool HasChildOfClass(HWND wnd, const wchar_t* cls, HWND* found) {
    for (HWND c = GetTopWindow(wnd); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(c, name, 64);
        if (lstrcmpiW(name, cls) == 0) {
            if (found) *found = c;
            return true;
        }
    }
    return false;
}

std::wstring ClassNameOf(HWND wnd) {
    wchar_t name[256] = {};
    GetClassNameW(wnd, name, 256);
    return name;
}

int Frames(const TDataSkinObject* e) {
    return e && e->FrameCount > 0 ? e->FrameCount : 1;
}

bool Present(const TDataSkinObject* e) {
    return e && e->Bitmap && !e->Bitmap->Empty();
}

skin::SliceMargins MarginsOf(const TDataSkinObject& e) {
    return {e.Margins.Left, e.Margins.Top, e.Margins.Right, e.Margins.Bottom};
}

POINT PointOf(LPARAM l) {
    return {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
}

} // namespace

// Counts this object's handlers on the stack; a retired object asks to be freed once the last
// one has returned.
class TWinSkinForm::THandlerDepth {
public:
    explicit THandlerDepth(TWinSkinForm& form) : form_(form) { ++form.depth_; }
    ~THandlerDepth() {
        if (--form_.depth_ == 0 && form_.Finished())
            if (TSkinManage* m = TSkinManage::Instance()) m->WindowFinished();
    }
    THandlerDepth(const THandlerDepth&) = delete;
    THandlerDepth& operator=(const THandlerDepth&) = delete;

private:
    TWinSkinForm& form_;
};

TWinSkinForm::TWinSkinForm(TComponent* owner) : TComponent(owner) {
    doubleClickTime_ = GetDoubleClickTime();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        captionFont_.reset(CreateFontIndirectW(&metrics.lfCaptionFont));
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(250);
    timer_->OnTimer = [this](TObject*) { TrackHot(); };
}

TWinSkinForm::~TWinSkinForm() {
    if (subclass_.Attached() && skinState_ != ssFinished) Detach();
    FreeSkinnedControls();
    if (TSkinManage* m = TSkinManage::Instance()) m->ForgetWindow(Handle, this);
}

// ---------------------------------------------------------------- attaching

void TWinSkinForm::Attach(TSkinData* data, TCustomForm* form) {
    if (subclass_.Attached() || !form) return;
    form_ = form;
    savedAutoScroll_ = form->AutoScroll();
    SetStrProp(*form, "AutoScroll", "False");
    AttachCommon(data);
}

void TWinSkinForm::Attach(TSkinData* data) {
    if (subclass_.Attached()) return;
    AttachCommon(data);
}

void TWinSkinForm::Classify() {
    style_ = static_cast<DWORD>(GetWindowLongW(Handle, GWL_STYLE));
    exStyle_ = static_cast<DWORD>(GetWindowLongW(Handle, GWL_EXSTYLE));
    rightToLeft_ = (exStyle_ & WS_EX_LEFTSCROLLBAR) != 0;
    sizeable_ = (style_ & WS_THICKFRAME) != 0;
    childWindow_ = (style_ & WS_CHILD) != 0;
    className_ = ClassNameOf(Handle);
    ownerWindow_ = GetWindow(Handle, GW_OWNER);
    systemMenu_ = GetSystemMenu(Handle, FALSE);
    borderIcons_ = 0;
    if ((style_ & WS_SYSMENU) || systemMenu_) borderIcons_ |= kBiSystemMenu;
    if (style_ & WS_MINIMIZEBOX) borderIcons_ |= kBiMinimize;
    if (style_ & WS_MAXIMIZEBOX) borderIcons_ |= kBiMaximize;
    UpdateWindowState();
    formKind_ = fkOrdinary;
    mdiClient_ = nullptr;
    if (HasChildOfClass(Handle, L"MDIClient", &mdiClient_)) formKind_ = fkMdiParent;
    if (exStyle_ & WS_EX_MDICHILD) {
        formKind_ = fkMdiChild;
        if (data_ && InSet(data_->Options, xoMDIChildBorder)) skinFrame_ = false;
    }
    borderKind_ = bkSingle;
    if ((style_ & WS_CAPTION) != WS_CAPTION)
        borderKind_ = bkNone;
    else if (style_ & WS_THICKFRAME)
        borderKind_ = bkSizeable;
    else if (style_ & DS_MODALFRAME)
        borderKind_ = bkDialog;
    if (exStyle_ & WS_EX_DLGMODALFRAME) borderKind_ = bkDialog;
    dialogClass_ = className_ == L"#32770" || lstrcmpiW(className_.c_str(), L"TMessageForm") == 0;
    if (dialogClass_) borderKind_ = bkDialog;
}

void TWinSkinForm::AttachCommon(TSkinData* data) {
    // Without a loaded skin the window keeps its own look.
    if (!Handle || !IsWindow(Handle) || !data || data->SkinNotLoaded) return;
    data_ = data;
    data_->FreeNotification(this);
    skinFrame_ = InSet(data_->SkinControls, xcMainMenu);
    Classify();
    if (!subclass_.Attach(Handle, [this](TMessage& m) {
            THandlerDepth depth(*this);
            Dispatch(m);
        }))
        return;
    if (formKind_ == fkMdiParent && mdiClient_) {
        savedMenuUpdate_ = data_->MenuUpdate;
        mdiSubclass_.Attach(mdiClient_, [this](TMessage& m) { MdiClientProc(m); });
        if (TSkinManage* mgr = TSkinManage::Instance()) mgr->MdiClient = mdiClient_;
    }
    if (skinFrame_) {
        nativeMenu_ = GetMenu(Handle);
        menuBarHeight_ = 0;
        if (nativeMenu_ && formKind_ != fkMdiChild && !childWindow_) {
            // The menu band is the skin's; the native bar comes back at detach.
            menuBarHeight_ = GetSystemMetrics(SM_CYMENU);
            CreateMenuBar();
        }
        ComputeFrameMetrics();
        if (formKind_ == fkMdiChild) {
            int native = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CXFRAME);
            if (title_ < native) menuBarHeight_ = native - title_;
        }
    } else {
        skinState_ = ssApplied;
    }
    if (form_ && skinFrame_) {
        formHook_.Install(*form_, [this](TMessage& m) {
            THandlerDepth depth(*this);
            FormHook(m);
        });
        savedColor_ = form_->Color();
        form_->SetColor(data_->ButtonFaceColor);
        SkinFormMenus(true);
    }
}

void TWinSkinForm::UpdateWindowState() {
    WINDOWPLACEMENT wp{sizeof(wp)};
    if (!GetWindowPlacement(Handle, &wp)) return;
    if (wp.showCmd == SW_SHOWMINIMIZED || wp.showCmd == SW_MINIMIZE ||
        wp.showCmd == SW_SHOWMINNOACTIVE || IsIconic(Handle))
        windowState_ = wsMinimized;
    else if (wp.showCmd == SW_SHOWMAXIMIZED || IsZoomed(Handle))
        windowState_ = wsMaximized;
    else
        windowState_ = wsNormal;
}

void TWinSkinForm::CaptureIcon() {
    HICON icon = reinterpret_cast<HICON>(SendMessageW(Handle, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(Handle, WM_GETICON, ICON_BIG, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(Handle, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(Handle, GCLP_HICON));
    icon_ = icon;
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    iconBitmap_.SetSize(cx, cy);
    HDC dc = iconBitmap_.Canvas().Handle();
    UniqueBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
    RECT all{0, 0, cx, cy};
    FillRect(dc, &all, magenta.get());
    if (icon) {
        UniqueIcon copy(
            static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE)));
        DrawIconEx(dc, 0, 0, copy ? copy.get() : icon, cx, cy, 0, nullptr, DI_NORMAL);
    }
    GdiFlush();
}

void TWinSkinForm::ComputeFrameMetrics() {
    if (!data_ || data_->SkinNotLoaded) return;
    buttons_.clear();
    HotObject = nullptr;
    // Pieces cut from the elements are cut again: a reload fills the same elements anew.
    for (CachedPiece& p : pieces_) p = {};
    sizedFont_.reset();
    generation_ = data_->Generation;
    pressed_ = nullptr;
    if (borderKind_ == bkNone) {
        left_ = title_ = right_ = bottom_ = menuBarHeight_ = 0;
        return;
    }
    TSkinData& d = *data_;
    title_ =
        Present(d.FrameTop.get()) ? d.FrameTop->Bitmap->Height() / Frames(d.FrameTop.get()) : 0;
    left_ =
        Present(d.FrameLeft.get()) ? d.FrameLeft->Bitmap->Width() / Frames(d.FrameLeft.get()) : 0;
    right_ = Present(d.FrameRight.get())
                 ? d.FrameRight->Bitmap->Width() / Frames(d.FrameRight.get())
                 : 0;
    bottom_ = Present(d.FrameBottom.get())
                  ? d.FrameBottom->Bitmap->Height() / Frames(d.FrameBottom.get())
                  : 0;
    bool iconCaptured = false;
    for (auto& e : d.SysButtons) {
        if (!e) continue;
        if (e->Action == sbaIcon || e->Action == sbaIcon2) {
            if (!iconCaptured) CaptureIcon();
            iconCaptured = true;
            if (!e->Bitmap || e->Bitmap->Empty()) {
                e->Bitmap = std::make_unique<TBitmap>();
                e->Bitmap->Assign(iconBitmap_);
                e->FrameCount = 1;
            }
            if (!d.AppIcon || d.AppIcon->Empty()) {
                d.AppIcon = std::make_unique<TBitmap>();
                d.AppIcon->Assign(iconBitmap_);
            }
        }
        buttons_.push_back(std::make_unique<TWinSysButton>(*this, *e));
    }
}

// ---------------------------------------------------------------- applying

void TWinSkinForm::ApplySkin() {
    if (!subclass_.Attached()) return;
    // The skin changed between attaching and now: set up from the one there is.
    if (skinFrame_ && !SkinCurrent()) ComputeFrameMetrics();
    systemMenu_ = GetSystemMenu(Handle, FALSE);
    CaptureIcon();
    SkinChildControls();
    if (skinState_ == ssNotApplied) {
        GetClientRect(Handle, &attachClient_);
        RECT w;
        GetWindowRect(Handle, &w);
        nativeFrame_ = {(w.right - w.left) - attachClient_.right,
                        (w.bottom - w.top) - attachClient_.bottom};
        if (skinFrame_) {
            UpdateWindowState();
            if (formKind_ == fkMdiChild) {
                if (windowState_ == wsNormal) {
                    skinState_ = ssResizing;
                    ResizeFrame(true);
                    skinState_ = ssApplied;
                    UpdateRegion();
                }
            } else if (!childWindow_ && borderKind_ != bkNone && windowState_ != wsMinimized) {
                skinState_ = ssResizing;
                // The new size and region paint nothing on their way; the window is
                // invalidated once they are set.
                quietGeometry_ = windowState_ == wsNormal;
                ResizeFrame(true);
                skinState_ = ssApplied;
                if (windowState_ == wsMaximized)
                    SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                                     SWP_FRAMECHANGED);
                else
                    UpdateRegion();
                if (std::exchange(quietGeometry_, false))
                    RedrawWindow(Handle, nullptr, nullptr,
                                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            } else {
                skinState_ = ssApplied;
                SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                                 SWP_FRAMECHANGED);
            }
        }
    }
    SendMessageW(Handle, CN_SKIN_APPLIED, 0, kSkinMagic);
    skinState_ = ssApplied;
    active_ = GetActiveWindow() == Handle || formKind_ == fkMdiChild;
    timer_->SetEnabled(active_);
    PaintFrame();
}

void TWinSkinForm::ResizeFrame(bool firstApply) {
    if (windowState_ == wsMaximized) {
        SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return;
    }
    int cw, ch;
    if (skinState_ == ssReapplying) {
        // The client as it was before the new skin's metrics came into play.
        cw = attachClient_.right;
        ch = attachClient_.bottom;
    } else if (form_) {
        // The native menu has just gone: its band is still in the client.
        RECT c;
        GetClientRect(Handle, &c);
        cw = c.right;
        ch = c.bottom - (formKind_ == fkMdiChild ? 0 : menuBarHeight_);
    } else {
        cw = attachClient_.right;
        ch = attachClient_.bottom - (formKind_ == fkMdiChild ? 0 : menuBarHeight_);
    }
    int width = cw + left_ + right_;
    int height = ch + title_ + bottom_ + menuBarHeight_;
    if (dialogClass_ && (firstApply || skinState_ == ssReapplying) && data_ && data_->Title) {
        // Each skin decides afresh from the dialog's own width, as on a first application.
        if (dialogWidened_) {
            ShiftChildren(-dialogShift_);
            width -= dialogWidened_;
            dialogShift_ = dialogWidened_ = 0;
        }
        std::wstring text = WindowText();
        SIZE s{};
        {
            // Measured in the font the caption is drawn with.
            WindowDc dc(Handle);
            SelectObjectGuard font(dc.get(), TitleFont());
            GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &s);
        }
        // The caption runs between the title's margins, after a shown icon and up to a few
        // pixels before the buttons anchored on the right.
        int leftRoom = left_ + data_->Title->Margins.Left,
            rightRoom = right_ + data_->Title->Margins.Right;
        for (const auto& b : buttons_) {
            if (!b->ShouldShow()) continue;
            if (b->IsIcon())
                leftRoom = std::max(leftRoom, b->Element.XCoord + b->FrameWidth() + 4);
            else if (b->Element.Align == 1)
                rightRoom = std::max(rightRoom, b->Element.XCoord + 4);
        }
        int needed = leftRoom + s.cx + rightRoom;
        if (width < needed) {
            // A dialog shows its whole caption: widen it and keep its contents centred.
            dialogShift_ = (needed - width) / 2;
            dialogWidened_ = needed - width;
            ShiftChildren(dialogShift_);
            width = needed;
        }
    }
    RECT before{};
    GetWindowRect(Handle, &before);
    SetWindowPos(Handle, nullptr, 0, 0, width, height,
                 SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | QuietFlags());
    if (QuietFlags()) ExposeUncovered(before);
}

UINT TWinSkinForm::QuietFlags() const {
    return quietGeometry_ && !childWindow_ && formKind_ == fkOrdinary
               ? SWP_NOREDRAW | SWP_NOCOPYBITS
               : 0;
}

void TWinSkinForm::ExposeUncovered(const RECT& before) {
    RECT after{};
    GetWindowRect(Handle, &after);
    UniqueRegion uncovered(CreateRectRgnIndirect(&before));
    UniqueRegion now(CreateRectRgnIndirect(&after));
    if (CombineRgn(uncovered.get(), uncovered.get(), now.get(), RGN_DIFF) > NULLREGION)
        RedrawWindow(GetDesktopWindow(), nullptr, uncovered.get(),
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TWinSkinForm::ShiftChildren(int dx) {
    for (HWND c = GetWindow(Handle, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, Handle, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(c, nullptr, r.left + dx, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING |
                         SWP_NOOWNERZORDER);
    }
}

void TWinSkinForm::ReloadSkin() {
    // A skin that failed to load leaves the window with the one it has.
    if (!subclass_.Attached() || !data_ || data_->SkinNotLoaded || Finished()) return;
    if (!skinFrame_) {
        ReskinControls();
        Repaint();
        if (data_) setUpGeneration_ = data_->Generation;
        return;
    }
    const bool applied = skinState_ != ssNotApplied;
    if (applied) skinState_ = ssReapplying;
    GetClientRect(Handle, &attachClient_);
    ComputeFrameMetrics();
    // The colours and the rest arrive as the form's own message, as any form hook sees them.
    if (form_ && formHook_.Installed())
        form_->Perform(WM_SKIN_RECOLOR, 0, 0);
    else
        Recolor();
    if (!applied) skinState_ = ssNotApplied; // WM_SKIN_APPLY is still on its way
    Repaint();
    if (data_) setUpGeneration_ = data_->Generation;
}

void TWinSkinForm::Recolor() {
    if (!data_) return;
    // Only the form's own colour: forms it owns are skinned, and given back, by their own
    // objects.
    if (form_ && skinFrame_) form_->SetColor(data_->ButtonFaceColor);
    ReskinControls();
    if (skinState_ == ssReapplying && skinFrame_) {
        SkinFormMenus(false);
        SkinFormMenus(true);
        if (menuBar_) menuBar_->Rebuild();
        // The window is repainted in full once it is set up: the new size and region paint
        // nothing on their way (each would paint the frame and erase every control).
        quietGeometry_ = true;
        ResizeFrame(false);
        UpdateRegion();
        quietGeometry_ = false;
        SendMessageW(Handle, CN_SKIN_APPLIED, 0, kSkinMagic);
    }
    if (skinState_ != ssNotApplied) skinState_ = ssApplied;
}

void TWinSkinForm::Repaint() {
    if (!subclass_.Attached()) return;
    RedrawWindow(Handle, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool TWinSkinForm::InModalLoop() const {
    return inSizeMove_ || inMenuLoop_ || systemPopupTracking_ || MenuTracking();
}

void TWinSkinForm::DropStaleButtons() {
    if (SkinCurrent() || buttons_.empty()) return;
    for (const auto& b : buttons_)
        if (HotObject == b.get()) HotObject = nullptr;
    buttons_.clear();
}

// ---------------------------------------------------------------- detaching

void TWinSkinForm::RestoreWindow(bool destroying) {
    // A system menu still tracking is freed when its tracking returns.
    if (!systemPopupTracking_) systemPopup_.reset();
    timer_->SetEnabled(false);
    if (!subclass_.Attached()) return;
    if (form_) {
        formHook_.Remove();
        if (!destroying && skinFrame_) form_->SetColor(savedColor_);
        if (!destroying) form_->SetAutoScroll(savedAutoScroll_);
    }
    // Resize before the procedure goes, so the client keeps its size under the native frame.
    const bool resize = !destroying && skinFrame_ && skinState_ != ssNotApplied &&
                        (formKind_ == fkMdiChild || !childWindow_) && borderKind_ != bkNone &&
                        windowState_ == wsNormal;
    RECT w{};
    GetWindowRect(Handle, &w);
    subclass_.Detach();
    mdiSubclass_.Detach();
    FreeSkinnedControls();
    SkinFormMenus(false);
    if (skinFrame_) {
        FreeMenuBar(false);
        // The window is invalidated in full below: with its redrawing off, putting the menu
        // back, dropping the region and resizing paint nothing on their way.
        quietGeometry_ = !destroying;
        const bool redrawOff = QuietFlags() && IsWindowVisible(Handle);
        if (redrawOff) SendMessageW(Handle, WM_SETREDRAW, FALSE, 0);
        if (nativeMenu_ && !destroying && IsMenu(nativeMenu_)) SetMenu(Handle, nativeMenu_);
        if (regionSet_) SetWindowRgn(Handle, nullptr, !destroying && !QuietFlags());
        regionSet_ = false;
        regionSize_ = {};
        if (!destroying) {
            // A dialog widened for its caption gets its own width and layout back.
            const int widened = dialogWidened_;
            if (dialogShift_) ShiftChildren(-dialogShift_);
            dialogShift_ = dialogWidened_ = 0;
            if (resize) {
                int width = (w.right - w.left) + nativeFrame_.cx - left_ - right_ - widened;
                int height =
                    (w.bottom - w.top) + nativeFrame_.cy - title_ - bottom_ - menuBarHeight_;
                if (nativeMenu_) height += GetSystemMetrics(SM_CYMENU);
                RECT before{};
                GetWindowRect(Handle, &before);
                SetWindowPos(Handle, nullptr, 0, 0, width, height,
                             SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE |
                                 QuietFlags());
                if (QuietFlags()) ExposeUncovered(before);
            } else {
                SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                                 SWP_FRAMECHANGED);
            }
            if (redrawOff) SendMessageW(Handle, WM_SETREDRAW, TRUE, 0);
            RedrawWindow(Handle, nullptr, nullptr,
                         RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
        quietGeometry_ = false;
    } else if (!destroying) {
        // The controls drew themselves from the skin: they are drawn again as they are now.
        RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void TWinSkinForm::Detach() {
    RestoreWindow(false);
    skinState_ = ssNotApplied;
    HotObject = nullptr;
}

void TWinSkinForm::Abandon() {
    timer_->SetEnabled(false);
    if (!systemPopupTracking_) systemPopup_.reset();
    SkinFormMenus(false);
    menuBar_.reset();
    formHook_.Remove();
    subclass_.Abandon();
    skinState_ = ssFinished;
    HotObject = nullptr;
}

void TWinSkinForm::DetachForDestroy() {
    skinState_ = ssDestroying;
    RestoreWindow(true);
}

void TWinSkinForm::Notification(TComponent* component, TOperation operation) {
    // The skin data going first leaves the window as it was.
    if (operation == opRemove && component == data_) {
        if (subclass_.Attached() && !Finished()) Detach();
        data_ = nullptr;
    }
    if (operation == opRemove)
        ownerDrawMenus_.erase(
            std::remove(ownerDrawMenus_.begin(), ownerDrawMenus_.end(), component),
            ownerDrawMenus_.end());
    TComponent::Notification(component, operation);
}

// ---------------------------------------------------------------- controls

bool TWinSkinForm::RegisterControl(TComponent* control) {
    if (std::find(controls_.begin(), controls_.end(), control) != controls_.end()) return true;
    controls_.push_back(control);
    return false;
}

void TWinSkinForm::FreeSkinnedControls() {
    // One at a time: an object may free others it owns, which leave the list as they go.
    // Each is restored first, so every family gives back what it took.
    while (!controls_.empty()) {
        TComponent* c = controls_.front();
        controls_.erase(controls_.begin());
        EndSkinObject(c);
    }
}

void TWinSkinForm::UnregisterControl(TComponent* control) {
    if (control == marked_) marked_ = nullptr;
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TWinSkinForm::SkinChildControls() {
    if (!data_) return;
    TControlDiscovery discovery(*this, *data_, &controlCanvas_);
    if (form_)
        discovery.SkinFormControls(*form_);
    else
        discovery.SkinChildWindows(Handle);
}

void TWinSkinForm::TakeOverGrip(HWND grip) {
    if (!data_) return;
    TControlDiscovery(*this, *data_, &controlCanvas_).SkinSizeGrip(grip);
}

void TWinSkinForm::MarkUnderMouse(TComponent* control) {
    if (control == marked_) return;
    LeaveMarked();
    marked_ = control;
}

void TWinSkinForm::LeaveMarked() {
    auto* s = dynamic_cast<TSkinControl*>(marked_);
    marked_ = nullptr;
    if (s && s->Handle()) SendMessageW(s->Handle(), CM_MOUSELEAVE, 0, 0);
}

void TWinSkinForm::ReskinControls() {
    // An object may end others while it sets up again (a list view's header): only those
    // still listed are asked.
    std::vector<TComponent*> controls = controls_;
    for (TComponent* c : controls)
        if (std::find(controls_.begin(), controls_.end(), c) != controls_.end())
            if (auto* s = dynamic_cast<TSkinControl*>(c)) s->SkinChanged();
    // Controls the previous skin left out may have a family in this one.
    SkinChildControls();
}

bool TWinSkinForm::IsSkinned(HWND window) const {
    return SendMessageW(window, WM_SKIN_QUERY, 0, 0) == 1;
}

// ---------------------------------------------------------------- geometry

POINT TWinSkinForm::ToFrame(POINT screen) const {
    POINT p = screen;
    ScreenToClient(Handle, &p);
    if (formKind_ == fkMdiChild && windowState_ == wsMinimized) return p;
    p.x += left_;
    p.y += title_ + menuBarHeight_;
    return p;
}

void TWinSkinForm::CalcSize(TMessage& m) {
    Default(m);
    if (m.WParam == 0) {
        // The window rectangle asked about becomes the skin's client rectangle.
        auto* r = reinterpret_cast<RECT*>(m.LParam);
        if (borderKind_ != bkNone && !(formKind_ == fkMdiChild && windowState_ != wsNormal)) {
            RECT full;
            GetWindowRect(Handle, &full);
            if (formKind_ == fkMdiChild || childWindow_)
                MapWindowPoints(nullptr, GetParent(Handle), reinterpret_cast<POINT*>(&full), 2);
            *r = {full.left + left_, full.top + title_ + menuBarHeight_, full.right - right_,
                  full.bottom - bottom_};
            if (r->right < r->left) r->right = r->left;
            if (r->bottom < r->top) r->bottom = r->top;
        }
        m.Result = 0;
        return;
    }
    auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
    if ((formKind_ == fkMdiChild && windowState_ != wsNormal) || borderKind_ == bkNone) {
        p->rgrc[1] = p->rgrc[0];
        m.Result = WVR_VALIDRECTS;
        return;
    }
    const WINDOWPOS* wp = p->lppos;
    RECT client{wp->x + left_, wp->y + title_ + menuBarHeight_, wp->x + wp->cx - right_,
                wp->y + wp->cy - bottom_};
    if (client.right < client.left) client.right = client.left;
    if (client.bottom < client.top) client.bottom = client.top;
    p->rgrc[0] = client;
    p->rgrc[1] = client;
    m.Result = WVR_VALIDRECTS;
}

void TWinSkinForm::HitTest(TMessage& m) {
    Default(m);
    switch (m.Result) {
    case HTNOWHERE:
    case HTCAPTION:
    // The native buttons and menu sit where the system would draw them, not where the skin
    // does: over the skinned frame they are caption.
    case HTSYSMENU:
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE:
    case HTHELP:
    case HTMENU:
    case HTBORDER: {
        POINT p = ToFrame(PointOf(m.LParam));
        if (p.y > 3) m.Result = HTCAPTION;
        if (p.y > title_ && menuBarHeight_ > 0 && p.y <= title_ + menuBarHeight_) m.Result = HTMENU;
        break;
    }
    default:
        break;
    }
}

void TWinSkinForm::UpdateRegion() {
    if (skinState_ == ssFinished || !skinFrame_ || !data_ || data_->SkinNotLoaded) return;
    RECT wr;
    GetWindowRect(Handle, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    if (w * h == 0 || (formKind_ == fkMdiChild && windowState_ != wsNormal)) return;
    // A skin change resizes the frame (which asks here) and then asks again: one build a load.
    if (regionSet_ && w == regionSize_.cx && h == regionSize_.cy && formKind_ != fkMdiChild &&
        regionGeneration_ == data_->Generation)
        return;
    TSkinData& d = *data_;
    auto trans = [](const TDataSkinObject* e) { return e && e->Trans ? 1 : 0; };
    UniqueRegion region;
    if (trans(d.FrameLeft.get()) * 2 + trans(d.FrameRight.get()) + trans(d.FrameTop.get()) == 0) {
        region.reset(CreateRectRgn(0, 0, w, h));
    } else {
        region.reset(CreateRectRgn(left_, title_, w - right_, h - bottom_));
        if (borderKind_ != bkNone) {
            auto add = [&](UniqueRegion part) {
                if (part) CombineRgn(region.get(), region.get(), part.get(), RGN_OR);
            };
            auto pieceRegion = [&](int index, int pw, int ph, int x, int y) {
                TBitmap piece(pw, ph);
                RECT r{0, 0, pw, ph};
                UniqueBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
                FillRect(piece.Canvas().Handle(), &r, magenta.get());
                DrawPiece(piece.Canvas().Handle(), index, r);
                GdiFlush();
                return skin::RegionFromBitmap(piece, x, y, 0, 0, 0);
            };
            if (d.FrameLeft && d.FrameLeft->Trans == 1 && h > 1 && left_ > 0)
                add(pieceRegion(1, left_, h, 0, 0));
            else
                add(UniqueRegion(CreateRectRgn(0, 0, left_, h)));
            if (d.FrameRight && d.FrameRight->Trans == 1 && h > 1 && right_ > 0)
                add(pieceRegion(2, right_, h, w - right_, 0));
            else
                add(UniqueRegion(CreateRectRgn(w - right_, 0, w, h)));
            const int midW = w - left_ - right_;
            if (d.FrameBottom && d.FrameBottom->Trans == 1 && bottom_ >= 2 && midW > 0)
                add(pieceRegion(4, midW, bottom_, left_, h - bottom_));
            else
                add(UniqueRegion(CreateRectRgn(left_, h - bottom_, w - right_, h)));
            if (d.FrameTop && d.FrameTop->Trans == 1 && title_ > 1 && midW > 0)
                add(pieceRegion(3, midW, title_, left_, 0));
            else
                add(UniqueRegion(CreateRectRgn(left_, 0, w - right_, title_)));
        }
    }
    // The window owns the region from here on; a region the window refused is not set.
    if (!SetWindowRgn(Handle, region.get(), QuietFlags() ? FALSE : TRUE)) return;
    region.release();
    regionSet_ = true;
    regionSize_ = {w, h};
    regionGeneration_ = data_->Generation;
}

// ---------------------------------------------------------------- painting

TBitmap* TWinSkinForm::Piece(int index, int tw, int th) {
    if (!data_ || tw <= 0 || th <= 0) return nullptr;
    TDataSkinBorder* e = index == 1   ? data_->FrameLeft.get()
                         : index == 2 ? data_->FrameRight.get()
                         : index == 3 ? data_->FrameTop.get()
                                      : data_->FrameBottom.get();
    if (!Present(e)) return nullptr;
    const int frames = Frames(e);
    const int frame = active_ || frames == 1 ? 1 : 2;
    // Pieces are cut and scaled once per size and look; repaints reuse them.
    CachedPiece& c = pieces_[index - 1];
    if (c.bitmap && c.width == tw && c.height == th && c.frame == frame && c.source == e &&
        c.generation == data_->Generation)
        return c.bitmap.get();
    RECT size{0, 0, tw, th};
    c.bitmap =
        skin::NineSlice(size, *e->Bitmap, MarginsOf(*e), index >= 3, e->Tile != 1, frames, frame);
    c.width = tw;
    c.height = th;
    c.frame = frame;
    c.source = e;
    c.generation = data_->Generation;
    return c.bitmap.get();
}

void TWinSkinForm::DrawPiece(HDC dc, int index, const RECT& target) {
    const int tw = target.right - target.left, th = target.bottom - target.top;
    if (TBitmap* piece = Piece(index, tw, th))
        BitBlt(dc, target.left, target.top, tw, th, piece->Canvas().Handle(), 0, 0, SRCCOPY);
}

std::wstring TWinSkinForm::WindowText() const {
    if (IsWindowUnicode(Handle)) {
        int n = GetWindowTextLengthW(Handle);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        n = GetWindowTextW(Handle, text.data(), n + 1);
        text.resize(static_cast<size_t>(std::max(n, 0)));
        return text;
    }
    char buffer[1000] = {};
    SendMessageA(Handle, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
    return Widen(buffer);
}

HFONT TWinSkinForm::TitleFont() {
    HFONT font = data_ && data_->CaptionFont ? data_->CaptionFont->Handle() : captionFont_.get();
    const TDataSkinTitle* t = data_ ? data_->Title.get() : nullptr;
    if (t && t->FontHeight > 0) {
        // Made once per caption font and height, not on every paint.
        if (!sizedFont_ || sizedFrom_ != font || sizedHeight_ != t->FontHeight) {
            LOGFONTW lf{};
            GetObjectW(font, sizeof(lf), &lf);
            lf.lfHeight = -t->FontHeight;
            sizedFont_.reset(CreateFontIndirectW(&lf));
            sizedFrom_ = font;
            sizedHeight_ = t->FontHeight;
        }
        if (sizedFont_) font = sizedFont_.get();
    }
    return font;
}

void TWinSkinForm::DrawCaption(HDC dc, const RECT& titleRect, int buttonsLeft) {
    if (!data_) return;
    std::wstring text = WindowText();
    if (text.empty()) return;
    const TDataSkinTitle* t = data_->Title.get();
    TColor colour = active_ ? data_->TitleTextActiveColor : data_->TitleTextNoActiveColor;
    if (t) {
        TColor own = active_ ? t->ActiveTextColour : t->InactiveTextColour;
        if (own != skin::kNoTextColour) colour = own;
    }
    RECT r = titleRect;
    if (t) {
        r.left += t->Margins.Left;
        r.top += t->Margins.Top;
        r.right -= t->Margins.Right;
        r.bottom -= t->Margins.Bottom;
    }
    // The caption ends a few pixels before the first button on its right: never under one.
    if (buttonsLeft > 0 && r.right > buttonsLeft - 4) r.right = buttonsLeft - 4;
    // The icon on the left takes its place too.
    for (const auto& b : buttons_)
        if (b->Visible && b->IsIcon() && b->Bounds.right > r.left &&
            b->Bounds.left < (r.left + r.right) / 2)
            r.left = b->Bounds.right + 4;
    if (r.right <= r.left || r.bottom <= r.top) return;
    SelectObjectGuard select(dc, TitleFont());
    SetBkMode(dc, TRANSPARENT);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    const int align = t ? t->TextAlignment : 0;
    format |= align == 1 ? DT_CENTER : align == 2 ? DT_RIGHT : DT_LEFT;
    if (rightToLeft_) format |= DT_RTLREADING;
    // A soft one-pixel shadow, between the title's colour and the opposite of the text's,
    // lifts the caption off the title art without looking drawn twice.
    const COLORREF ink = ::ColorToRGB(colour);
    if (active_) {
        const COLORREF back = ::ColorToRGB(data_->TitleColor);
        const bool lightInk = GetRValue(ink) + GetGValue(ink) + GetBValue(ink) > 384;
        const int base = lightInk ? 0 : 255;
        SetTextColor(dc, RGB((base + 2 * GetRValue(back)) / 3, (base + 2 * GetGValue(back)) / 3,
                             (base + 2 * GetBValue(back)) / 3));
        RECT s = r;
        OffsetRect(&s, 1, 1);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &s, format);
    }
    SetTextColor(dc, ink);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

void TWinSkinForm::DrawTitleBar(HDC windowDc, int w, int h) {
    const bool minimized = windowState_ == wsMinimized;
    const int bh = minimized ? h : title_;
    if (w <= 0 || bh <= 0) return;
    if (titleBuffer_.Width() < w || titleBuffer_.Height() < bh)
        titleBuffer_.SetSize(std::max(w, titleBuffer_.Width()),
                             std::max(bh, titleBuffer_.Height()));
    HDC dc = titleBuffer_.Canvas().Handle();
    RECT piece;
    if (minimized) {
        RECT all{0, 0, w, h};
        UniqueBrush face(CreateSolidBrush(::ColorToRGB(data_->ButtonFaceColor)));
        FillRect(dc, &all, face.get());
        piece = {0, 0, w, title_};
    } else {
        // The corners above the client belong to the side pieces: their top parts go into
        // the buffer too, so nothing is read back from the screen.
        if (TBitmap* l = Piece(1, left_, h))
            BitBlt(dc, 0, 0, left_, bh, l->Canvas().Handle(), 0, 0, SRCCOPY);
        if (TBitmap* r = Piece(2, right_, h))
            BitBlt(dc, w - right_, 0, right_, bh, r->Canvas().Handle(), 0, 0, SRCCOPY);
        piece = {left_, 0, w - right_, title_};
    }
    DrawPiece(dc, 3, piece);
    int buttonsLeft = 0;
    for (const auto& b : buttons_) {
        if (!b->Layout()) continue;
        if (b->Element.Visibility == 100) continue;
        if (!b->IsIcon() && b->Bounds.left > w / 2 &&
            (buttonsLeft == 0 || b->Bounds.left < buttonsLeft))
            buttonsLeft = b->Bounds.left;
    }
    DrawCaption(dc, piece, buttonsLeft);
    for (const auto& b : buttons_)
        if (b->Visible && b->Element.Visibility != 100 && b->Element.Bitmap &&
            !b->Element.Bitmap->Empty())
            b->DrawInTitle(dc);
    BitBlt(windowDc, 0, 0, w, bh, dc, 0, 0, SRCCOPY);
    SetBkMode(windowDc, OPAQUE);
}

void TWinSkinForm::PaintFrame(HDC given) {
    // A load that failed before touching the elements leaves them, and the frame, as they were.
    if (!subclass_.Attached() || !data_ || (data_->SkinNotLoaded && !SkinCurrent())) return;
    DropStaleButtons();
    if ((skinState_ != ssApplied && skinState_ != ssReapplying) || borderKind_ == bkNone) return;
    if (formKind_ == fkMdiChild && windowState_ == wsMaximized) return;
    std::unique_ptr<WindowFrameDc> own;
    HDC dc = given;
    if (!dc) {
        own = std::make_unique<WindowFrameDc>(Handle);
        dc = own->get();
    }
    if (!dc) return;
    try {
        GetWindowRect(Handle, &windowRect_);
        const int w = windowRect_.right - windowRect_.left,
                  h = windowRect_.bottom - windowRect_.top;
        windowWidth_ = w;
        windowHeight_ = h;
        if (windowState_ != wsMinimized) {
            // Below the title bar; the title buffer carries the top of each side piece.
            if (TBitmap* l = Piece(1, left_, h))
                BitBlt(dc, 0, title_, left_, h - title_, l->Canvas().Handle(), 0, title_, SRCCOPY);
            if (TBitmap* r = Piece(2, right_, h))
                BitBlt(dc, w - right_, title_, right_, h - title_, r->Canvas().Handle(), 0, title_,
                       SRCCOPY);
            DrawPiece(dc, 4, {left_, h - bottom_, w - right_, h});
        }
        DrawTitleBar(dc, w, h);
        if (windowState_ != wsMinimized && menuBarHeight_ > 0) {
            RECT band{left_, title_, w - right_, title_ + menuBarHeight_};
            PaintMenuBand(dc, band);
        }
    } catch (...) {
        // A drawing fault must never reach the window's message loop.
    }
    ClearHot();
}

void TWinSkinForm::ClearHot() {
    if (HotObject && (HotObject->State == ncsHot || HotObject->State == ncsPressed))
        HotObject->State = ncsNormal;
    HotObject = nullptr;
}

void TWinSkinForm::DrawWindowIcon(HDC dc, const RECT& bounds) {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    if (icon_) {
        UniqueIcon copy(
            static_cast<HICON>(CopyImage(icon_, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE)));
        DrawIconEx(dc, bounds.left, bounds.top, copy ? copy.get() : icon_, cx, cy, 0, nullptr,
                   DI_NORMAL);
        return;
    }
    if (!iconBitmap_.Empty()) skin::DrawFrame(dc, bounds, iconBitmap_, true, 1, 1);
}

// ---------------------------------------------------------------- title buttons

TWinSysButton* TWinSkinForm::FindTitleButton(POINT p) const {
    if (!SkinCurrent()) return nullptr;
    for (const auto& b : buttons_)
        if (b->Visible && b->Element.Action >= 0 && PtInRect(&b->Bounds, p)) return b.get();
    return nullptr;
}

bool TWinSkinForm::CloseAllowed() const {
    HMENU menu = GetSystemMenu(Handle, FALSE);
    if (!menu) return false;
    MENUITEMINFOW mii{sizeof(mii)};
    mii.fMask = MIIM_STATE;
    return GetMenuItemInfoW(menu, SC_CLOSE, FALSE, &mii) != FALSE;
}

void TWinSkinForm::CloseWindow() {
    if (!CloseAllowed()) return;
    timer_->SetEnabled(false);
    PostMessageW(Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void TWinSkinForm::ToggleMaximize() {
    if (windowState_ == wsMaximized) {
        Restore();
        return;
    }
    windowState_ = wsMaximized;
    ClearHot();
    PostMessageW(Handle, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
}

void TWinSkinForm::ToggleMinimize() {
    if (windowState_ == wsMinimized) {
        Restore();
        return;
    }
    windowState_ = wsMinimized;
    PostMessageW(Handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TWinSkinForm::Restore() {
    windowState_ = wsNormal;
    PostMessageW(Handle, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void TWinSkinForm::PerformButton(TWinSysButton& button) {
    switch (button.Element.Action) {
    case sbaClose:
        CloseWindow();
        break;
    case sbaMaximize:
    case sbaMaximize2:
        ToggleMaximize();
        break;
    case sbaMinimize:
    case sbaMinimize2:
        ToggleMinimize();
        break;
    case sbaIcon:
    case sbaIcon2:
    case sbaIcon3: {
        POINT p;
        GetCursorPos(&p);
        ShowSystemMenu({p.x + 1, p.y + 1});
        break;
    }
    case sbaMdiMinimize:
    case sbaMdiMinimize2:
    case sbaMdiRestore:
    case sbaMdiRestore2:
    case sbaMdiClose:
    case sbaMdiClose2: {
        if (formKind_ != fkMdiParent) break;
        HWND child = mdiClient_
                         ? reinterpret_cast<HWND>(SendMessageW(mdiClient_, WM_MDIGETACTIVE, 0, 0))
                         : nullptr;
        if (!child) break;
        const int a = button.Element.Action;
        WPARAM cmd = (a == sbaMdiMinimize || a == sbaMdiMinimize2) ? SC_MINIMIZE
                     : (a == sbaMdiRestore || a == sbaMdiRestore2) ? SC_RESTORE
                                                                   : SC_CLOSE;
        SendMessageW(child, WM_SYSCOMMAND, cmd, 0);
        break;
    }
    default:
        PostMessageW(Handle, WM_SKIN_BUTTON, static_cast<WPARAM>(button.Element.Action), 0);
        break;
    }
}

void TWinSkinForm::TrackHot() {
    DropStaleButtons();
    POINT p;
    GetCursorPos(&p);
    if (auto* s = dynamic_cast<TSkinControl*>(marked_)) {
        RECT r{};
        GetWindowRect(s->Handle(), &r);
        if (!PtInRect(&r, p)) LeaveMarked();
    }
    if (!HotObject || MenuTracking()) return;
    POINT f = ToFrame(p);
    if (!PtInRect(&HotObject->Bounds, f)) HotObject->MouseLeave();
}

// ---------------------------------------------------------------- system menu

void TWinSkinForm::ShowSystemMenu(POINT screen, bool byMouse) {
    const DWORD now = GetTickCount();
    if (byMouse && systemPopup_ && now - lastRightClick_ < doubleClickTime_) {
        if (HotObject) {
            timer_->SetEnabled(false);
            PostMessageW(Handle, WM_CLOSE, 0, 0);
        }
        return;
    }
    // The one up stays until its tracking returns: it is never replaced under itself.
    if (systemPopupTracking_) return;
    if (byMouse) lastRightClick_ = now;
    HMENU sys = GetSystemMenu(Handle, FALSE);
    if (!sys) return;
    if (TSkinManage* m = TSkinManage::Instance()) m->MenuSource = 2;
    auto popup = std::make_unique<TPopupMenu>(nullptr);
    popup->SetTag(33333);
    popup->SetOwnerDraw(true);
    if (data_ && data_->MenuGlyphs) {
        auto* glyphs = new TImageList(popup.get());
        if (glyphs->AssignHandle(data_->MenuGlyphs.get())) popup->SetImages(glyphs);
    }
    const DWORD style = static_cast<DWORD>(GetWindowLongW(Handle, GWL_STYLE));
    const bool maximized = style & WS_MAXIMIZE, minimized = style & WS_MINIMIZE;
    // Submenus of the system menu (the program adds one) come through with their items.
    std::function<void(HMENU, TMenuItem*)> addItems = [&](HMENU menu, TMenuItem* parent) {
        const int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            MENUITEMINFOW mii{sizeof(mii)};
            mii.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
            mii.dwTypeData = text;
            mii.cch = 255;
            if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
            auto* item = new TMenuItem(popup.get());
            std::string caption = Narrow(text);
            item->SetCaption(caption.empty() || (mii.fType & MFT_SEPARATOR) ? "-" : caption);
            item->SetTag(static_cast<intptr_t>(mii.wID));
            // The system greys these by the window's style each time it shows the menu; the
            // others keep the state they were given.
            bool enabled = !(mii.fState & (MFS_DISABLED | MFS_GRAYED));
            int glyph = -1;
            switch (mii.wID & 0xFFF0) {
            case SC_SIZE:
                enabled = (style & WS_THICKFRAME) && !maximized && !minimized;
                break;
            case SC_MOVE:
                enabled = !maximized;
                break;
            case SC_MINIMIZE:
                glyph = 2;
                enabled = (style & WS_MINIMIZEBOX) && !minimized;
                break;
            case SC_MAXIMIZE:
                glyph = 1;
                enabled = (style & WS_MAXIMIZEBOX) && !maximized;
                break;
            case SC_CLOSE:
                glyph = 3;
                if (GetClassLongW(Handle, GCL_STYLE) & CS_NOCLOSE) enabled = false;
                break;
            case SC_RESTORE:
                glyph = 0;
                enabled = maximized || minimized;
                break;
            default:
                break;
            }
            item->SetImageIndex(glyph);
            item->SetEnabled(enabled);
            if (mii.fState & MFS_CHECKED) item->SetChecked(true);
            HWND wnd = Handle;
            UINT id = mii.wID;
            item->OnClick = [wnd, id](TObject*) { PostMessageW(wnd, WM_SYSCOMMAND, id, 0); };
            item->OnDrawItem = [this](TObject* s, TCanvas& c, const RECT& r, bool selected) {
                DrawItem(*static_cast<TMenuItem*>(s), c, r, selected);
            };
            item->OnMeasureItem = [this](TObject* s, TCanvas& c, int& w, int& h) {
                MeasureSystemItem(*static_cast<TMenuItem*>(s), c, w, h);
            };
            parent->Add(item);
            if (mii.hSubMenu) {
                item->OnClick = nullptr;
                addItems(mii.hSubMenu, item);
            }
        }
    };
    addItems(sys, popup->Items());
    systemPopup_ = std::move(popup);
    THandlerDepth depth(*this); // the object outlives the popup's tracking
    systemPopupTracking_ = true;
    systemPopup_->Popup(screen.x, screen.y);
    systemPopupTracking_ = false;
    if (!subclass_.Attached()) systemPopup_.reset(); // detached while it was up
    if (TSkinManage* m = TSkinManage::Instance(); m && m->PopupMenuCount() == 0) m->MenuSource = 0;
}

// ---------------------------------------------------------------- messages

void TWinSkinForm::Dispatch(TMessage& m) {
    // Stage 1: always.
    switch (m.Msg) {
    case WM_NCPAINT:
        if (skinState_ == ssNotApplied && skinFrame_) {
            m.Result = 0; // the native frame never shows before the skin is applied
            return;
        }
        break;
    case WM_ERASEBKGND:
        Default(m);
        if (!form_ && data_ && data_->FaceBrush) {
            RECT r;
            GetClientRect(Handle, &r);
            FillRect(reinterpret_cast<HDC>(m.WParam), &r, data_->FaceBrush.get());
            m.Result = 1;
        }
        return;
    case WM_NCDESTROY:
        DetachForDestroy();
        subclass_.CallPrevious(m);
        skinState_ = ssFinished;
        if (TSkinManage* mgr = TSkinManage::Instance()) mgr->WindowFinished();
        return;
    case WM_NCACTIVATE:
        if (skinState_ == ssNotApplied && formKind_ != fkMdiChild && skinFrame_) {
            m.Result = 0;
            active_ = m.WParam != 0;
            // Nothing of the system's is drawn; the activation itself goes ahead.
            m.Result = 1;
            return;
        }
        if (!skinFrame_) {
            Default(m);
            return;
        }
        break;
    case 0xAE: // the undocumented caption redraw of the themed frame
        m.Result = 0;
        return;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        inSizeMove_ = m.Msg == WM_ENTERSIZEMOVE;
        break;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        inMenuLoop_ = m.Msg == WM_ENTERMENULOOP;
        break;
    case WM_INITMENUPOPUP:
        if (TSkinManage* mgr = TSkinManage::Instance())
            mgr->MenuSource = reinterpret_cast<HMENU>(m.WParam) == systemMenu_ ? 2 : 1;
        if (!MenuMessage(m)) Default(m);
        return;
    case WM_CTLCOLORBTN:
        Default(m);
        if (!form_) SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
        return;
    case WM_CTLCOLORSTATIC:
        Default(m);
        if (!form_ && data_ && data_->FaceBrush) {
            SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
            m.Result = reinterpret_cast<LRESULT>(data_->FaceBrush.get());
        }
        return;
    case WM_SKIN_APPLY:
        ApplySkin();
        m.Result = 0;
        return;
    case WM_SKIN_RESKIN_SCROLL:
        ReskinScrollControl(*this, reinterpret_cast<HWND>(m.WParam));
        m.Result = 0;
        return;
    case WM_SKIN_QUERY:
        m.Result = 1;
        return;
    default:
        break;
    }
    if (!skinFrame_) {
        Default(m);
        return;
    }
    if (!Stage2(m)) return;
    Stage3(m);
}

bool TWinSkinForm::Stage2(TMessage& m) {
    if (formKind_ != fkMdiChild && childWindow_) {
        Default(m);
        return false;
    }
    switch (m.Msg) {
    case WM_COMMAND:
        switch (LOWORD(m.WParam)) {
        case SC_SIZE:
        case SC_MOVE:
        case SC_MINIMIZE:
        case SC_MAXIMIZE:
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
        case SC_CLOSE:
        case SC_RESTORE:
            if (m.LParam == 0 && HIWORD(m.WParam) == 0) {
                PostMessageW(Handle, WM_SYSCOMMAND, LOWORD(m.WParam), 0);
                m.Result = 0;
                return false;
            }
            break;
        default:
            break;
        }
        Default(m);
        return false;
    case WM_GETMINMAXINFO:
        Default(m);
        UpdateWindowState();
        return false;
    case WM_SIZE:
        Default(m);
        if (m.WParam == SIZE_RESTORED)
            windowState_ = wsNormal;
        else if (m.WParam == SIZE_MINIMIZED)
            windowState_ = wsMinimized;
        else if (m.WParam == SIZE_MAXIMIZED)
            windowState_ = wsMaximized;
        if (windowState_ != wsMinimized && !(formKind_ == fkMdiChild && windowState_ != wsNormal) &&
            (skinState_ == ssApplied || skinState_ == ssReapplying))
            UpdateRegion();
        return false;
    case WM_ACTIVATE:
        active_ = LOWORD(m.WParam) != WA_INACTIVE;
        break;
    case WM_NCACTIVATE:
        active_ = (m.WParam & 0xFF) != 0;
        break;
    case WM_WINDOWPOSCHANGED:
        Default(m);
        UpdateWindowState();
        return false;
    case WM_SYSCOMMAND:
        SysCommand(m);
        return false;
    case WM_SETTEXT:
    case WM_SETICON:
        SetText(m);
        return false;
    case WM_CONTEXTMENU: {
        // The system would show its own system menu over the caption.
        TMessage hit{WM_NCHITTEST, 0, m.LParam, 0};
        HitTest(hit);
        if (m.LParam != -1 && (hit.Result == HTCAPTION || hit.Result == HTSYSMENU)) {
            m.Result = 0;
            return false;
        }
        Default(m);
        return false;
    }
    case WM_SKIN_MENU_AT: {
        POINT p = ToFrame(PointOf(m.LParam));
        m.Result = 0;
        if (!FindTitleButton(p)) OpenMenu(FindMenuButton(p));
        return false;
    }
    case CM_MENUSET:
        Default(m);
        MenuChanged();
        return false;
    case CM_POPUPSHOWING:
        // Items added since the skin went on get its painters too.
        if (SkinPopupItems(*reinterpret_cast<TPopupMenu*>(m.LParam))) {
            m.Result = 1;
            return false;
        }
        Default(m);
        return false;
    case CM_MENUCHANGED: {
        {
            TFramePaintingPause pause(*data_);
            Default(m);
        }
        MenuChanged();
        return false;
    }
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_MENUSELECT:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_INITMENU:
        if (!MenuMessage(m)) Default(m);
        return false;
    default:
        break;
    }
    return true;
}

void TWinSkinForm::Stage3(TMessage& m) {
    if (skinState_ == ssNotApplied || (formKind_ == fkMdiChild && windowState_ == wsMaximized)) {
        Default(m);
        return;
    }
    switch (m.Msg) {
    case WM_NCACTIVATE:
        Activate(m);
        return;
    case WM_NCCALCSIZE:
        CalcSize(m);
        return;
    case WM_NCHITTEST:
        HitTest(m);
        return;
    case WM_NCPAINT:
        if (data_->FramePainting) {
            if ((formKind_ == fkMdiChild && windowState_ == wsMaximized) || borderKind_ == bkNone)
                Default(m);
            else
                PaintFrame();
        }
        m.Result = 0;
        return;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
        NcMouse(m);
        return;
    case WM_NCLBUTTONDBLCLK:
        NcDoubleClick(m);
        return;
    case WM_NCRBUTTONDOWN:
        NcRightDown(m);
        return;
    case WM_NCRBUTTONUP:
        if (m.WParam == HTCAPTION && formKind_ != fkMdiChild) {
            m.Result = 0; // the system menu was shown on the press
            return;
        }
        Default(m);
        return;
    case WM_SKIN_NCPAINT:
        PaintFrame();
        m.Result = 0;
        return;
    default:
        Default(m);
        return;
    }
}

void TWinSkinForm::Activate(TMessage& m) {
    active_ = m.WParam != 0;
    timer_->SetEnabled(active_);
    if (!active_ && HotObject) HotObject->MouseLeave();
    if (!active_) LeaveMarked();
    if (formKind_ == fkMdiChild) Default(m);
    if (formKind_ == fkMdiParent && mdiClient_)
        SendMessageW(mdiClient_, WM_NCACTIVATE, m.WParam, 0);
    if (!(formKind_ == fkMdiChild && windowState_ == wsMaximized)) PaintFrame();
    m.Result = 1;
}

void TWinSkinForm::SetText(TMessage& m) {
    // The system draws its own caption while it sets the text; with redrawing off for that
    // moment it has nothing to draw on, and the skin paints the caption afterwards.
    if (!IsWindowVisible(Handle) || skinState_ == ssNotApplied) {
        Default(m);
        return;
    }
    // Turning redrawing off validates the window and its children: what was waiting to be
    // painted is asked for again afterwards.
    struct Pending {
        HWND window;
        UniqueRegion region;
    };
    std::vector<Pending> pending;
    auto keep = [&pending](HWND w) {
        UniqueRegion r(CreateRectRgn(0, 0, 0, 0));
        if (GetUpdateRgn(w, r.get(), FALSE) > NULLREGION) pending.push_back({w, std::move(r)});
    };
    keep(Handle);
    EnumChildWindows(
        Handle,
        [](HWND c, LPARAM l) -> BOOL {
            (*reinterpret_cast<decltype(keep)*>(l))(c);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&keep));
    SendMessageW(Handle, WM_SETREDRAW, FALSE, 0);
    Default(m);
    SendMessageW(Handle, WM_SETREDRAW, TRUE, 0);
    for (const Pending& p : pending)
        if (IsWindow(p.window)) InvalidateRgn(p.window, p.region.get(), TRUE);
    if (m.Msg == WM_SETICON) CaptureIcon();
    PaintFrame();
}

void TWinSkinForm::SysCommand(TMessage& m) {
    const UINT cmd = static_cast<UINT>(m.WParam & 0xFFF0);
    if (cmd == SC_KEYMENU) {
        if (m.LParam == L' ') {
            POINT origin{0, 0};
            ClientToScreen(Handle, &origin);
            ShowSystemMenu(origin, false);
            m.Result = 0;
            return;
        }
        if (MenuKey(m)) return;
        Default(m);
        return;
    }
    if (cmd == SC_MINIMIZE)
        windowState_ = wsMinimized;
    else if (cmd == SC_MAXIMIZE)
        windowState_ = wsMaximized;
    else if (cmd == SC_RESTORE)
        windowState_ = wsNormal;
    Default(m);
    UpdateWindowState();
}

void TWinSkinForm::NcMouse(TMessage& m) {
    POINT p = ToFrame(PointOf(m.LParam));
    TWinSysButton* b = FindTitleButton(p);
    TMenuBtn* entry = b ? nullptr : FindMenuButton(p);
    switch (m.Msg) {
    case WM_NCMOUSEMOVE:
        if (!active_) {
            m.Result = 0;
            return;
        }
        if (pressed_ && GetKeyState(VK_LBUTTON) >= 0) pressed_ = nullptr; // let go elsewhere
        if (b || entry) {
            if (b && b == pressed_)
                b->MouseDown(); // back over the button still held down
            else if (b)
                b->MouseMove();
            else
                entry->MouseMove();
            m.Result = 0;
            return;
        }
        if (HotObject) HotObject->MouseLeave();
        Default(m);
        return;
    case WM_NCLBUTTONDOWN:
        pressed_ = b;
        if (entry) {
            m.Result = 0;
            // A click on another entry while a popup of this bar is open moves on to it.
            if (TWinSkinMenu::Tracked() == menuBar_.get()) {
                menuBar_->SwitchTo(entry);
                return;
            }
            if (!active_) SetForegroundWindow(Handle);
            entry->MouseDown();
            OpenMenu(entry);
            return;
        }
        if (b) {
            if (!active_) SetForegroundWindow(Handle);
            b->MouseDown();
            m.Result = 0;
            return;
        }
        // A maximised window is not dragged by its caption.
        if (m.WParam == HTCAPTION && windowState_ == wsMaximized && active_) m.WParam = HTMENU;
        Default(m);
        return;
    case WM_NCLBUTTONUP:
        if (entry) {
            m.Result = 0;
            return;
        }
        if (b) {
            const bool click = pressed_ == b;
            pressed_ = nullptr;
            if (click) {
                b->MouseUp();
                PerformButton(*b);
            }
            m.Result = 0;
            return;
        }
        pressed_ = nullptr;
        Default(m);
        return;
    default:
        Default(m);
        return;
    }
}

void TWinSkinForm::NcDoubleClick(TMessage& m) {
    POINT p = ToFrame(PointOf(m.LParam));
    if (TWinSysButton* b = FindTitleButton(p)) {
        if (b->IsIcon()) {
            timer_->SetEnabled(false);
            PostMessageW(Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        m.Result = 0;
        return;
    }
    if (m.WParam == HTCAPTION) {
        if (windowState_ == wsMaximized || windowState_ == wsMinimized) {
            Restore();
            m.Result = 0;
            return;
        }
        if (borderIcons_ & kBiMaximize) {
            windowState_ = wsMaximized;
            ClearHot();
            PostMessageW(Handle, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
            m.Result = 0;
            return;
        }
    }
    Default(m);
}

void TWinSkinForm::NcRightDown(TMessage& m) {
    if (m.WParam == HTCAPTION && formKind_ != fkMdiChild) {
        POINT p;
        GetCursorPos(&p);
        ShowSystemMenu(p);
        m.Result = 0;
        return;
    }
    Default(m);
}

void TWinSkinForm::MdiClientProc(TMessage& m) {
    if (!skinFrame_ || !data_) {
        mdiSubclass_.CallPrevious(m);
        return;
    }
    TSkinManage* mgr = TSkinManage::Instance();
    switch (m.Msg) {
    case WM_NCCALCSIZE:
        // The skinned parent shows no scroll bars of the client unless the skin asks for them.
        if (!InSet(data_->Options, xoMDIScrollbar)) {
            LONG style = GetWindowLongW(mdiClient_, GWL_STYLE);
            if (style & (WS_HSCROLL | WS_VSCROLL))
                SetWindowLongW(mdiClient_, GWL_STYLE, style & ~(WS_HSCROLL | WS_VSCROLL));
        }
        break;
    case WM_MDICREATE: {
        const bool was = data_->MenuUpdate;
        data_->MenuUpdate = false;
        mdiSubclass_.CallPrevious(m);
        data_->MenuUpdate = was;
        return;
    }
    case WM_MDIDESTROY: {
        mdiSubclass_.CallPrevious(m);
        BOOL maximized = FALSE;
        HWND active = reinterpret_cast<HWND>(
            SendMessageW(mdiClient_, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
        if (mgr) mgr->SetMaximizedChild(active && maximized);
        if (!active) data_->MenuUpdate = savedMenuUpdate_;
        return;
    }
    case WM_MDITILE:
    case WM_MDICASCADE:
        if (mgr) mgr->ChildMaximized = false;
        break;
    case WM_MDISETMENU:
        mdiSubclass_.CallPrevious(m);
        if (m.WParam && GetMenu(Handle)) {
            nativeMenu_ = GetMenu(Handle);
            SetMenu(Handle, nullptr);
        }
        return;
    case WM_SKIN_MDI_REDRAW:
        RedrawWindow(Handle, nullptr, nullptr, 0x585);
        m.Result = 0;
        return;
    default:
        break;
    }
    mdiSubclass_.CallPrevious(m);
}

void TWinSkinForm::FormHook(TMessage& m) {
    switch (m.Msg) {
    case WM_SKIN_RECOLOR:
        Recolor();
        m.Result = 0;
        return;
    case CN_SKIN_NCPAINT:
        if (m.LParam == kSkinMagic) {
            PaintFrame(reinterpret_cast<HDC>(m.WParam));
            m.Result = kSkinMagic;
            return;
        }
        break;
    case CN_SKIN_PING:
        m.Result = m.LParam == kSkinMagic ? kSkinMagic : 1;
        return;
    case CM_DIALOGCHAR:
        formHook_.CallPrevious(m);
        if (m.Result) return;
        if (MenuDialogChar(m)) return;
        // Other forms ask the main form.
        if (Application && Application->MainForm() && Application->MainForm() != form_ &&
            formKind_ != fkMdiChild) {
            if (Application->MainForm()->Perform(CM_DIALOGCHAR, m.WParam, m.LParam)) {
                m.Result = 1;
                return;
            }
        }
        return;
    default:
        break;
    }
    formHook_.CallPrevious(m);
}
