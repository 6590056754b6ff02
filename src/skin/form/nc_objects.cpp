#include "skin/form/nc_objects.h"

#include "skin/form/primitives.h"
#include "skin/form/win_skin_form.h"

// ---------------------------------------------------------------- TNCObject

void TNCObject::MouseDown() {
    if (owner_.HotObject && owner_.HotObject != this) owner_.HotObject->MouseLeave();
    if (!Visible) return;
    owner_.HotObject = this;
    State = ncsPressed;
    Paint();
}

void TNCObject::MouseUp() {
    if (!Visible) return;
    // A frame repaint between press and release clears the hot object: this one is hot again,
    // so the timer can take its hover look away.
    if (owner_.HotObject && owner_.HotObject != this) owner_.HotObject->MouseLeave();
    owner_.HotObject = this;
    State = ncsHot;
    Paint();
}

void TNCObject::MouseMove() {
    if (owner_.HotObject == this) return;
    if (owner_.HotObject) owner_.HotObject->MouseLeave();
    if (!Visible) return;
    owner_.HotObject = this;
    State = ncsHot;
    Paint();
}

void TNCObject::MouseLeave() {
    if (!Visible) return;
    if (owner_.HotObject == this) owner_.HotObject = nullptr;
    State = ncsNormal;
    Paint();
}

// ---------------------------------------------------------------- TWinSysButton

bool TWinSysButton::IsIcon() const {
    return Element.Action == sbaIcon || Element.Action == sbaIcon2;
}

int TWinSysButton::FrameWidth() const {
    int frames = Element.FrameCount > 0 ? Element.FrameCount : 1;
    return Element.Bitmap ? Element.Bitmap->Width() / frames : 0;
}

bool TWinSysButton::RuleHolds(int code, bool ruleB) const {
    const TWinSkinForm& f = owner_;
    const bool maximized = f.WindowState() == wsMaximized;
    const bool maxBox = (f.BorderIcons() & kBiMaximize) != 0;
    const bool minBox = (f.BorderIcons() & kBiMinimize) != 0;
    const bool sysMenu = (f.BorderIcons() & kBiSystemMenu) != 0;
    switch (code) {
    case 0:
        return true;
    case 1:
        return maximized;
    case 2:
        return !maximized;
    case 3:
        return f.Active();
    case 4:
        return !f.Active();
    case 6:
        return ruleB ? maxBox : maxBox && sysMenu;
    case 7:
        return !maxBox;
    case 8:
        return ruleB ? minBox : minBox && sysMenu;
    case 9:
        return !minBox;
    case 100:
        // An MDI parent with a maximised child shows the child's buttons in its menu bar; the
        // program has no MDI windows, so this never holds here.
        return false;
    case 200:
        return f.BorderKind() == bkDialog && !f.DialogClass();
    default:
        break;
    }
    if (code >= 201 && code <= 999) return true;
    if (code >= 1000 && code <= 2000) {
        if (ruleB) return true;
        return SendMessageW(f.Handle, WM_SKIN_BUTTON_VISIBLE, static_cast<WPARAM>(code),
                            static_cast<LPARAM>(Element.Action)) > 0;
    }
    return false; // 5, 10..99, 101..199, other codes, and rule B's -1
}

bool TWinSysButton::ShouldShow() const {
    if (!RuleHolds(Element.Visibility, false) || !RuleHolds(Element.Visibility1, true))
        return false;
    const int icons = owner_.BorderIcons();
    switch (Element.Action) {
    case sbaClose:
        return (icons & kBiSystemMenu) != 0;
    case sbaMaximize:
        return (icons & kBiMaximize) != 0;
    case sbaMinimize:
        return (icons & kBiMinimize) != 0;
    case sbaIcon:
    case sbaIcon2:
    case sbaIcon3:
        return owner_.BorderKind() != bkDialog;
    default:
        return true;
    }
}

bool TWinSysButton::Layout() {
    Visible = ShouldShow();
    if (!Visible || !Element.Bitmap || Element.Bitmap->Empty()) return false;
    const int w = FrameWidth(), h = Element.Bitmap->Height();
    int x, y;
    switch (Element.Align) {
    case 0:
    case 3:
    case 9:
        x = Element.XCoord;
        y = Element.YCoord;
        break;
    case 1:
        x = owner_.WindowWidth() - Element.XCoord;
        y = Element.YCoord;
        break;
    case 100: {
        int margin = 0;
        if (TSkinData* d = owner_.SkinData(); d && d->MenuBar) margin = d->MenuBar->Margins.Left;
        x = owner_.RightToLeft()
                ? Element.XCoord + owner_.LeftWidth() + margin
                : owner_.WindowWidth() - Element.XCoord - owner_.RightWidth() - margin;
        y = owner_.TitleHeight() + (owner_.MenuBarHeight() - h) / 2;
        break;
    }
    default:
        return true; // keeps its bounds
    }
    Bounds = {x, y, x + w, y + h};
    return true;
}

void TWinSysButton::DrawFrameAt(HDC dc, int frame) {
    if (!Element.Bitmap || Element.Bitmap->Empty()) return;
    int frames = Element.FrameCount > 0 ? Element.FrameCount : 1;
    if (frame > frames) frame = 1;
    skin::DrawFrame(dc, Bounds, *Element.Bitmap, true, frames, frame);
}

void TWinSysButton::DrawInTitle(HDC dc) {
    if (IsIcon()) {
        owner_.DrawWindowIcon(dc, Bounds);
        return;
    }
    int frames = Element.FrameCount > 0 ? Element.FrameCount : 1;
    // A whole title repaint shows the resting look; hover and press come back with the mouse.
    DrawFrameAt(dc, owner_.Active() || frames < 4 ? 1 : 4);
}

void TWinSysButton::Paint() {
    if (!Visible || !owner_.Handle) return;
    WindowFrameDc dc(owner_.Handle);
    if (!dc.get()) return;
    if (IsIcon()) {
        owner_.DrawWindowIcon(dc.get(), Bounds);
        return;
    }
    int frame = State <= ncsNone ? ncsNormal : State;
    if (Element.Visibility == 100 && State == ncsHot) frame = 4;
    if (!owner_.Active() && frame == ncsNormal && Element.FrameCount >= 4) frame = 4;
    DrawFrameAt(dc.get(), frame);
}
