// The menu side of a skinned window: its skinned bar, the keyboard ways into it, the item
// painters of its menus and the owner-draw switching of the form's menus.
#include "skin/data/skin_manage.h"
#include "skin/form/win_skin_form.h"
#include "skin/form/win_skin_menu.h"
#include "skin/form/win_skin_popmenu.h"
#include "toolkit/imglist.h"
#include "toolkit/menus.h"

#include <algorithm>

void TWinSkinForm::CreateMenuBar() {
    menuBar_ = std::make_unique<TWinSkinMenu>(this);
    menuBar_->SetNativeMenu(nativeMenu_);
    if (form_) menuBar_->SetMenu(form_->Menu());
    menuBar_->Rebuild();
    // A toolkit form without its own menu object still loses the native bar.
    if (GetMenu(Handle)) SetMenu(Handle, nullptr);
}

void TWinSkinForm::FreeMenuBar(bool giveBack) {
    if (!menuBar_) return;
    menuBar_->RestoreOwnerDraw();
    if (HotObject)
        for (const auto& b : menuBar_->Buttons())
            if (HotObject == b.get()) HotObject = nullptr;
    if (giveBack && nativeMenu_ && IsMenu(nativeMenu_) && IsWindow(Handle))
        SetMenu(Handle, nativeMenu_);
    menuBar_.reset();
}

TMenuBtn* TWinSkinForm::FindMenuButton(POINT p) const {
    return menuBar_ ? menuBar_->FindMenuButton(p) : nullptr;
}

void TWinSkinForm::OpenMenu(TMenuBtn* button) {
    if (menuBar_ && button) menuBar_->Open(button);
}

bool TWinSkinForm::MenuTracking() const {
    return menuBar_ && menuBar_->Tracking();
}

void TWinSkinForm::PaintMenuBand(HDC dc, const RECT& band) {
    if (menuBar_) {
        menuBar_->Paint(dc, band);
        return;
    }
    RECT r = band;
    FillRect(dc, &r,
             data_ && data_->FaceBrush ? data_->FaceBrush.get()
                                       : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

void TWinSkinForm::MenuChanged() {
    if (menuBar_ && form_ &&
        (menuBar_->Menu != form_->Menu() || (!form_->Menu() && !menuBar_->Buttons().empty()))) {
        // The form was given another main menu, or none: the bar shows that one.
        nativeMenu_ = GetMenu(Handle);
        menuBar_->SetNativeMenu(nativeMenu_);
        menuBar_->SetMenu(form_->Menu());
        menuBar_->Rebuild();
        if (GetMenu(Handle)) SetMenu(Handle, nullptr);
        SkinFormMenus(false);
        SkinFormMenus(true);
        menuBar_->PaintNow();
        return;
    }
    if (!GetMenu(Handle)) return;
    nativeMenu_ = GetMenu(Handle);
    if (menuBar_ && data_ && data_->MenuUpdate) {
        menuBar_->SetNativeMenu(nativeMenu_);
        if (form_) menuBar_->SetMenu(form_->Menu());
        menuBar_->Rebuild();
    }
    SetMenu(Handle, nullptr);
    // Items added since the form's menus were switched to the painters get them too.
    for (TMenu* menu : ownerDrawMenus_) {
        if (auto* main = dynamic_cast<TMainMenu*>(menu)) {
            for (int k = 0; k < main->Items()->Count(); ++k)
                SkinMenuItems(*main->Items()->Items(k), true, false);
        } else {
            SkinMenuItems(*menu->Items(), false, true);
        }
    }
    if (menuBar_) menuBar_->PaintNow();
}

// ---------------------------------------------------------------- keyboard

bool TWinSkinForm::MenuKey(TMessage& m) {
    // SC_KEYMENU with a character: Alt+letter, or Alt alone (0) for the first entry.
    if (!menuBar_ || menuBar_->Tracking() || GetCapture()) return false;
    const wchar_t ch = static_cast<wchar_t>(m.LParam);
    if (ch == L' ' || ch == L'-') return false;
    TMenuBtn* b = nullptr;
    if (ch == 0)
        b = menuBar_->FirstOpenable();
    else
        b = menuBar_->FindByAccelerator(ch);
    if (!b && ch != 0) return false;
    menuBar_->PostOpen(b);
    m.Result = 1;
    return true;
}

bool TWinSkinForm::MenuDialogChar(TMessage& m) {
    if (!menuBar_) return false;
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const bool alt = keys[VK_MENU] & 0x80, shift = keys[VK_SHIFT] & 0x80,
               ctrl = keys[VK_CONTROL] & 0x80;
    if (!alt || shift || ctrl) return false;
    TMenuBtn* b = menuBar_->FindByAccelerator(static_cast<wchar_t>(m.WParam));
    if (!b) return false;
    menuBar_->PostOpen(b);
    m.Result = 1;
    return true;
}

// ---------------------------------------------------------------- window menu messages

bool TWinSkinForm::MenuMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_MENUSELECT:
        if (!menuBar_) return false;
        menuBar_->MenuSelected(LOWORD(m.WParam), HIWORD(m.WParam),
                               reinterpret_cast<HMENU>(m.LParam));
        // One popup of a walk of the bar closing is not the end of the window's menu loop.
        if (menuBar_->InWalk() && HIWORD(m.WParam) == 0xFFFF && !m.LParam) {
            m.Result = 0;
            return true;
        }
        return false;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_INITMENU:
        if (!menuBar_ || !menuBar_->InWalk()) return false;
        m.Result = 0;
        return true;
    case WM_INITMENUPOPUP:
        // The bar's popup is told the entry it hangs from, as a native bar's is.
        if (menuBar_ && menuBar_->InWalk() &&
            reinterpret_cast<HMENU>(m.WParam) == menuBar_->TrackedMenu() && HIWORD(m.LParam) == 0)
            m.LParam = MAKELPARAM(TWinSkinMenu::OpenIndex(), 0);
        return false;
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
        if (!mis || mis->CtlType != ODT_MENU || !nativeMenu_ || !data_) return false;
        TMenuItem* item = form_ ? FindMenuItem(mis->itemID) : nullptr;
        WindowDc dc(Handle);
        if (item) {
            TCanvas canvas(dc.get());
            AssignMenuFont(canvas.Font());
            int w = static_cast<int>(mis->itemWidth), h = static_cast<int>(mis->itemHeight);
            MeasureItem(*item, canvas, w, h);
            mis->itemWidth = static_cast<UINT>(std::max(w, 0));
            mis->itemHeight = static_cast<UINT>(std::max(h, 0));
            m.Result = TRUE;
            return true;
        }
        if (form_ && mis->itemID >= 1 && mis->itemID <= 0xFFF) return false;
        // A foreign window's own owner-drawn items are its own.
        if (!form_ && !(menuBar_ && menuBar_->SkinOwnerDrawn(mis->itemID, nullptr))) return false;
        HMENU menu = menuBar_ && menuBar_->TrackedMenu() ? menuBar_->TrackedMenu() : nativeMenu_;
        char text[81] = {};
        GetMenuStringA(menu, mis->itemID, text, 80, MF_BYCOMMAND);
        int w = 0, h = 0;
        skinmenu::MeasureText(*data_, text, dc.get(), w, h);
        mis->itemWidth = static_cast<UINT>(w);
        mis->itemHeight = static_cast<UINT>(h);
        m.Result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        if (!dis || dis->CtlType != ODT_MENU || !nativeMenu_ || !data_) return false;
        const bool selected = (dis->itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
        TMenuItem* item = form_ ? FindMenuItem(dis->itemID) : nullptr;
        if (!item && !(menuBar_ && menuBar_->SkinOwnerDrawn(
                                       dis->itemID, reinterpret_cast<HMENU>(dis->hwndItem))))
            return false;
        SavedDc saved(dis->hDC);
        if (item) {
            TCanvas canvas(dis->hDC);
            AssignMenuFont(canvas.Font());
            DrawItem(*item, canvas, dis->rcItem, selected);
        } else {
            DrawForeignItem(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, selected,
                            dis->rcItem, dis->hDC);
        }
        m.Result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------- item painters

void TWinSkinForm::MeasureItem(TMenuItem& item, TCanvas& canvas, int& width, int& height) {
    if (data_)
        skinmenu::MeasureItem(*data_, item, canvas, width, height);
    else
        item.DefaultMeasureItem(canvas, width, height);
}

void TWinSkinForm::MeasureSystemItem(TMenuItem& item, TCanvas& canvas, int& width, int& height) {
    if (data_)
        skinmenu::MeasureSystemItem(*data_, item, canvas, width, height);
    else
        item.DefaultMeasureItem(canvas, width, height);
}

void TWinSkinForm::DrawItem(TMenuItem& item, TCanvas& canvas, const RECT& rect, bool selected) {
    if (data_)
        skinmenu::DrawItem(*data_, item, canvas, rect, selected, rightToLeft_);
    else
        item.DefaultDrawItem(canvas, rect, selected);
}

void TWinSkinForm::DrawForeignItem(HMENU menu, UINT command, bool selected, const RECT& rect,
                                   HDC dc) {
    if (!data_) return;
    skinmenu::DrawForeignItem(*data_, menu, skinmenu::ViewOfNative(menu, command, rightToLeft_),
                              selected, rect, dc);
}

void TWinSkinForm::DrawPlainItem(TMenuItem& item, TCanvas& canvas, bool selected,
                                 const RECT& rect) {
    if (!data_) return;
    skinmenu::DrawPlainItem(*data_, skinmenu::ViewOf(item, rightToLeft_), canvas.Handle(), selected,
                            rect);
}

// ---------------------------------------------------------------- owner-draw switching

void TWinSkinForm::SkinMenuItems(TMenuItem& parent, bool measureToo, bool systemMeasure) {
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (!item->OnDrawItem) {
            item->OnDrawItem = [this](TObject* s, TCanvas& c, const RECT& r, bool sel) {
                DrawItem(*static_cast<TMenuItem*>(s), c, r, sel);
            };
            bool measure = false;
            if (!item->OnMeasureItem && (measureToo || systemMeasure)) {
                if (systemMeasure)
                    item->OnMeasureItem = [this](TObject* s, TCanvas& c, int& w, int& h) {
                        MeasureSystemItem(*static_cast<TMenuItem*>(s), c, w, h);
                    };
                else
                    item->OnMeasureItem = [this](TObject* s, TCanvas& c, int& w, int& h) {
                        MeasureItem(*static_cast<TMenuItem*>(s), c, w, h);
                    };
                measure = true;
            }
            skinnedItems_.push_back({item, item->Command(), measure});
        }
        SkinMenuItems(*item, measureToo, systemMeasure);
    }
}

bool TWinSkinForm::SkinPopupItems(TPopupMenu& popup) {
    if (!data_ || !InSet(data_->SkinControls, xcPopupMenu) || popup.Tag() == data_->DisableTag)
        return false;
    if (std::find(ownerDrawMenus_.begin(), ownerDrawMenus_.end(), &popup) ==
        ownerDrawMenus_.end()) {
        // Made, or first filled, after the skin went on: switched now and put back at detach
        // like the others. One the application draws itself stays its own.
        if (!formMenusOn_ || !SwitchToPainters(popup)) return false;
    }
    SkinMenuItems(*popup.Items(), false, true);
    return true;
}

bool TWinSkinForm::SwitchToPainters(TMenu& menu) {
    if (menu.OwnerDraw()) return false;
    menu.SetOwnerDraw(true);
    menu.FreeNotification(this);
    ownerDrawMenus_.push_back(&menu);
    return true;
}

void TWinSkinForm::SkinFormMenus(bool on) {
    if (!on) {
        formMenusOn_ = false;
        for (const SkinnedItem& s : skinnedItems_) {
            if (FindMenuItem(s.command) != s.item) continue; // freed meanwhile
            s.item->OnDrawItem = nullptr;
            if (s.measure) s.item->OnMeasureItem = nullptr;
        }
        skinnedItems_.clear();
        std::vector<TMenu*> menus = std::move(ownerDrawMenus_);
        ownerDrawMenus_.clear();
        for (TMenu* menu : menus) {
            menu->RemoveFreeNotification(this);
            menu->SetOwnerDraw(false);
        }
        return;
    }
    if (!form_ || !data_) return;
    formMenusOn_ = true;
    if (!skinnedItems_.empty() || !ownerDrawMenus_.empty()) return;
    const bool popups = InSet(data_->SkinControls, xcPopupMenu);
    const bool mainItems = InSet(data_->SkinControls, xcMenuItem);
    if (!popups && !mainItems) return;
    // The form's own menus and those of the forms and frames it owns.
    std::vector<TComponent*> owners{form_};
    for (int i = 0; i < form_->ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TWinControl*>(form_->Components(i)))
            if (dynamic_cast<TCustomForm*>(f) && f->ClassName() != "TwwRichEditForm")
                owners.push_back(f);
    for (TComponent* owner : owners) {
        for (int i = 0; i < owner->ComponentCount(); ++i) {
            TComponent* c = owner->Components(i);
            if (auto* popup = dynamic_cast<TPopupMenu*>(c); popup && popups) {
                // A popup the application draws itself stays its own.
                if (popup->Tag() == data_->DisableTag || !SwitchToPainters(*popup)) continue;
                SkinMenuItems(*popup->Items(), false, true);
            } else if (auto* main = dynamic_cast<TMainMenu*>(c); main && mainItems) {
                SwitchToPainters(*main);
                for (int k = 0; k < main->Items()->Count(); ++k)
                    SkinMenuItems(*main->Items()->Items(k), true, false);
            }
        }
    }
}
