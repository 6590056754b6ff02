#include "skin/form/control_discovery.h"

#include "skin/controls/skin_buttons.h"
#include "skin/controls/skin_checks.h"
#include "skin/controls/skin_combo.h"
#include "skin/controls/skin_edits.h"
#include "skin/controls/skin_media.h"
#include "skin/controls/skin_panels.h"
#include "skin/controls/skin_statusbar.h"
#include "skin/controls/skin_control.h"
#include "skin/controls/skin_progress.h"
#include "skin/controls/skin_tabs.h"
#include "skin/controls/skin_updown.h"

#include "skin/controls/skin_listview.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/data/skin_data.h"
#include "skin/form/skin_messages.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/buttons.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

#include <commctrl.h>

#include <array>
#include <cstdint>
#include <cctype>
#include <cwctype>
#include <memory>
#include <string>
#include <typeinfo>

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::array<TSkinFamilyFactory, static_cast<size_t>(TSkinFamily::Count)>& Factories() {
    static std::array<TSkinFamilyFactory, static_cast<size_t>(TSkinFamily::Count)> table = [] {
        std::array<TSkinFamilyFactory, static_cast<size_t>(TSkinFamily::Count)> t;
        auto set = [&](TSkinFamily f, TSkinFamilyFactory make) {
            t[static_cast<size_t>(f)] = std::move(make);
        };
        set(TSkinFamily::Button, [](TComponent* o) { return new TSkinButton(o); });
        set(TSkinFamily::BitButton, [](TComponent* o) { return new TSkinBitButton(o); });
        set(TSkinFamily::PngBitButton, [](TComponent* o) {
            auto* b = new TSkinBitButton(o);
            b->GlyphProperty = "PngImage";
            return b;
        });
        set(TSkinFamily::MenuButton, [](TComponent* o) { return new TSkinMenuButton(o); });
        // A speed button has no window: it cannot be skinned by handle.
        set(TSkinFamily::SpeedButton,
            [](TComponent* o) -> TSkinControl* { return o ? new TSkinSpeedButton(o) : nullptr; });
        set(TSkinFamily::CheckBox, [](TComponent* o) { return new TSkinCheckBox(o); });
        set(TSkinFamily::RadioButton, [](TComponent* o) { return new TSkinRadioButton(o); });
        set(TSkinFamily::Tab, [](TComponent* o) { return new TSkinTab(o); });
        set(TSkinFamily::TabControl, [](TComponent* o) { return new TSkinTab(o); });
        set(TSkinFamily::TabButtons, [](TComponent* o) { return new TSkinTabBtn(o); });
        // A tab set paints itself: there is no window class to skin by handle.
        set(TSkinFamily::Tab31,
            [](TComponent* o) -> TSkinControl* { return o ? new TSkinTab31(o) : nullptr; });
        set(TSkinFamily::TabSheet, [](TComponent* o) { return new TSkinTabSheet(o); });
        set(TSkinFamily::UpDown, [](TComponent* o) { return new TSkinUpDown(o); });
        set(TSkinFamily::Progress, [](TComponent* o) { return new TSkinProgress(o); });
        set(TSkinFamily::TrackBar, [](TComponent* o) { return new TSkinTrackBar(o); });

        set(TSkinFamily::Edit, [](TComponent* o) { return new TSkinEdit(o); });
        set(TSkinFamily::Combo, [](TComponent* o) { return new TSkinComBox(o); });
        // The arrow button is a toolkit control on the picker: a picker without one stays.
        set(TSkinFamily::DateTime,
            [](TComponent* o) -> TSkinControl* { return o ? new TSkinDateTime(o) : nullptr; });
        set(TSkinFamily::GroupBox, [](TComponent* o) { return new TSkinGroupBox(o); });
        set(TSkinFamily::Box,
            [](TComponent* o) -> TSkinControl* { return o ? new TSkinBox(o) : nullptr; });
        set(TSkinFamily::BoxH, [](TComponent* o) { return new TSkinBoxH(o); });
        set(TSkinFamily::StatusBar, [](TComponent* o) { return new TSkinStatusBar(o); });
        set(TSkinFamily::Sizer, [](TComponent* o) { return new TSkinSizer(o); });
        set(TSkinFamily::ObjImageCheck,
            [](TComponent* o) { return new TSkinObjImage(o, kGlyphCheck); });
        set(TSkinFamily::ObjImageRadio,
            [](TComponent* o) { return new TSkinObjImage(o, kGlyphRadio); });
        set(TSkinFamily::ObjImageThird,
            [](TComponent* o) { return new TSkinObjImage(o, kGlyphThird); });
        set(TSkinFamily::AdvPage, [](TComponent* o) { return new TSkinAdvPage(o); });
        // The bar is a toolkit control beside the player: a player without an object stays.
        set(TSkinFamily::MediaPlayer,
            [](TComponent* o) -> TSkinControl* { return o ? new TSkinMP(o) : nullptr; });

        // Scrolling controls; a scroll-bar control is one bar, covered whole; a bare window
        // (a combo box's list) has its window bars covered.
        set(TSkinFamily::ScrollBar, [](TComponent* o) -> TSkinControl* {
            if (!o) return new TSkinScrollbarH(nullptr);
            if (dynamic_cast<TScrollBar*>(o)) return new TSkinScControl(o);
            return new TSkinScrollbar(o);
        });
        set(TSkinFamily::ListView,
            [](TComponent* o) -> TSkinControl* { return o ? new TSkinListView(o) : nullptr; });
        return t;
    }();
    return table;
}

std::wstring WindowClass(HWND wnd) {
    wchar_t buf[256] = {};
    GetClassNameW(wnd, buf, 256);
    std::wstring s = buf;
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

} // namespace

void SetSkinFamilyFactory(TSkinFamily family, TSkinFamilyFactory factory) {
    Factories()[static_cast<size_t>(family)] = std::move(factory);
}

bool HasSkinFamily(TSkinFamily family) {
    return static_cast<bool>(Factories()[static_cast<size_t>(family)]);
}

TControlDiscovery::TControlDiscovery(TWinSkinForm& form, TSkinData& data, TCanvas* canvas)
    : form_(form), data_(data), canvas_(canvas) {}

bool TControlDiscovery::Has(int kind) const {
    return (data_.SkinControls & (std::uint32_t{1} << kind)) != 0;
}

bool TControlDiscovery::AlreadySkinned(TControl& control) const {
    for (TComponent* c : form_.SkinnedControls())
        if (auto* s = dynamic_cast<TSkinControl*>(c); s && s->Control() == &control) return true;
    // Through WindowProc, so window-less controls answer too.
    return control.Perform(WM_SKIN_QUERY) == 1;
}

TSkinControl* TControlDiscovery::Make(TSkinFamily family, TControl& control) {
    const TSkinFamilyFactory& make = Factories()[static_cast<size_t>(family)];
    if (!make) return nullptr;
    TSkinControl* object = make(&control);
    if (!object) return nullptr;
    object->AttachControl(&form_, &data_, true, canvas_);
    return object;
}

TSkinControl* TControlDiscovery::MakeForWindow(TSkinFamily family, HWND window) {
    const TSkinFamilyFactory& make = Factories()[static_cast<size_t>(family)];
    if (!make) return nullptr;
    TSkinControl* object = make(nullptr);
    if (!object) return nullptr;
    object->AttachWindow(window, &data_, &form_, canvas_);
    if (!object->Attached()) {
        delete object;
        return nullptr;
    }
    return object;
}

void TControlDiscovery::SkinSizeGrip(HWND grip) {
    if (!form_.IsSkinned(grip)) MakeForWindow(TSkinFamily::Sizer, grip);
}

// ---------------------------------------------------------------- toolkit forms

void TControlDiscovery::SkinFormControls(TCustomForm& form) {
    // Objects whose window went for good.
    std::vector<TComponent*> finished;
    for (TComponent* c : form_.SkinnedControls())
        if (auto* s = dynamic_cast<TSkinControl*>(c); s && s->Finished()) finished.push_back(c);
    for (TComponent* c : finished) EndSkinObject(c);

    WalkComponents(form);
    // Popup menus switch to skinned items with the popup-menu skinning (xcPopupMenu).
    std::vector<TWinControl*> order;
    form.GetTabOrderList(order);
    for (TWinControl* c : order) {
        if (!c->HandleAllocated() || c->Tag() == data_.DisableTag) continue;
        if (c->Perform(WM_SKIN_QUERY) == 1) continue;
        SkinControl(c, &form);
    }
}

void TControlDiscovery::WalkComponents(TComponent& owner) {
    for (int i = 0; i < owner.ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TControl*>(owner.Components(i)))
            SkinControl(c, dynamic_cast<TWinControl*>(&owner));
}

void TControlDiscovery::WalkChildren(TWinControl& control) {
    for (int i = 0; i < control.ControlCount(); ++i) SkinControl(control.Controls(i), &control);
}

void TControlDiscovery::SkinControl(TControl* control, TWinControl* parent) {
    if (!control || control->IsDestroying()) return;
    const std::string cls = Upper(control->ClassName());
    // 1. The disabling tag; a disabled group takes its buttons with it.
    if (control->Tag() == data_.DisableTag) {
        if (cls.find("RADIOGROUP") != std::string::npos ||
            cls.find("CHECKGROUP") != std::string::npos)
            if (auto* w = dynamic_cast<TWinControl*>(control))
                for (int i = 0; i < w->ControlCount(); ++i)
                    w->Controls(i)->SetTag(data_.DisableTag);
        return;
    }
    // 2. Not placed, or skinned already.
    if (!control->Parent() || AlreadySkinned(*control)) return;
    // 3. A window now.
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed && !windowed->HandleAllocated()) {
        try {
            windowed->HandleNeeded();
        } catch (...) {
            return;
        }
        if (!windowed->HandleAllocated()) return;
    }
    // 4. The application's own choice.
    if (data_.OnSkinControl) {
        TComponent* chosen = data_.AskSkinControl(&form_, form_.Form(), control, cls);
        if (chosen) {
            const bool listed = form_.RegisterControl(chosen);
            if (!listed)
                if (auto* s = dynamic_cast<TSkinControl*>(chosen))
                    s->AttachControl(&form_, &data_, true, canvas_);
            if (auto* panel = dynamic_cast<TCustomPanel*>(control)) WalkChildren(*panel);
            return;
        }
    }
    // 5. The class map.
    if (SkinThirdParty(*control)) return;
    // 6. Classes that must keep their own painting.
    if (cls == "TDBCOMBOBOXEH" || cls == "TFRDESIGNERPAGE" || cls == "TFRPBOX") return;
    // 7. The class rules.
    TSkinFamily family;
    if (!FamilyFor(*control, family)) {
        // Containers without an object of their own still have their children walked.
        if (cls == "TMVCPANEL" && windowed) WalkChildren(*windowed);
        return;
    }
    if (family == TSkinFamily::Box && windowed) {
        if (auto* inner = dynamic_cast<TCustomForm*>(control)) {
            Make(family, *control);
            WalkComponents(*inner);
            return;
        }
        if (cls == "TDBNAVIGATOR") {
            Make(family, *control);
            WalkChildren(*windowed);
            return;
        }
        // A panel's children come before the panel.
        WalkChildren(*windowed);
        Make(family, *control);
        return;
    }
    Make(family, *control);
}

bool TControlDiscovery::ReskinRecreated(TSkinControl& object) {
    TControl* control = object.Control();
    TSkinFamily family;
    if (!control || control->IsDestroying() || !control->Parent()) return false;
    // The class rules decide only what nothing before them decided.
    if (data_.OnSkinControl || InThirdPartyMap(*control) || !FamilyFor(*control, family))
        return false;
    const TSkinFamilyFactory& make = Factories()[static_cast<size_t>(family)];
    if (!make) return false;
    // Made unattached, only to learn its class.
    std::unique_ptr<TSkinControl> probe(make(control));
    if (!probe || typeid(*probe) == typeid(object)) return false;
    probe.reset();
    EndSkinObject(&object);
    SkinControl(control, control->Parent());
    return true;
}

bool TControlDiscovery::FamilyFor(TControl& control, TSkinFamily& family) {
    const std::string cls = Upper(control.ClassName());
    auto* windowed = dynamic_cast<TWinControl*>(&control);
    const bool tabs = Has(xcTab) && SkinHasTabs(&data_);
    auto pick = [&](TSkinFamily f) {
        family = f;
        return true;
    };
    if (auto* tc = dynamic_cast<TCustomTabControl*>(&control); tc && tabs) {
        if (dynamic_cast<TPageControl*>(tc))
            return pick(Lower(GetEnumProp(*tc, "Style")) != "tstabs" ? TSkinFamily::TabButtons
                                                                     : TSkinFamily::Tab);
        return pick(TSkinFamily::TabControl);
    }
    if (cls == "TTABSET" && tabs) return pick(TSkinFamily::Tab31);
    if (dynamic_cast<TTabSheet*>(&control) && tabs) return pick(TSkinFamily::TabSheet);
    if (cls == "TTABBEDNOTEBOOK" && tabs) return pick(TSkinFamily::Tab);
    if (cls == "TMVCPANEL") return false; // children only
    if (dynamic_cast<TCustomCheckBox*>(&control) && Has(xcCheckBox))
        return pick(TSkinFamily::CheckBox);
    // Radio buttons, also those of radio groups.
    if (dynamic_cast<TRadioButton*>(&control) && Has(xcRadioButton))
        return pick(TSkinFamily::RadioButton);
    if ((cls == "TUPDOWN" || cls == "TSPINBUTTON") && Has(xcSpin)) return pick(TSkinFamily::UpDown);
    if (dynamic_cast<TProgressBar*>(&control) && Has(xcProgress))
        return pick(TSkinFamily::Progress);
    if (dynamic_cast<TTrackBar*>(&control) && Has(xcTrackBar)) return pick(TSkinFamily::TrackBar);
    if (cls == "TMEDIAPLAYER" && Has(xcButton)) return pick(TSkinFamily::MediaPlayer);
    if (cls == "TDBNAVIGATOR" && Has(xcPanel)) return pick(TSkinFamily::Box);
    if ((cls == "TRZDBCHECKBOX" || cls == "TRZCHECKBOX") && Has(xcCheckBox))
        return pick(TSkinFamily::ObjImageCheck);
    if ((cls == "TRZRADIOBUTTON" || cls == "TRZDBRADIOBUTTON") && Has(xcRadioButton))
        return pick(TSkinFamily::ObjImageRadio);
    if ((cls == "TCXDBCHECKBOX" || cls == "TCXCHECKBOX") && Has(xcCheckBox))
        return pick(TSkinFamily::ObjImageThird);
    if (cls == "TTNTCOMBOBOX" && Has(xcCombo)) return pick(TSkinFamily::Combo);
    // Before the scroll-bar rule: combo boxes carry WS_VSCROLL for their lists.
    if (dynamic_cast<TCustomComboBox*>(&control) && Has(xcCombo)) return pick(TSkinFamily::Combo);
    if (auto* picker = dynamic_cast<TDateTimePicker*>(&control)) {
        // A picker with spin arrows is an edit; one with a calendar drops down like a combo.
        const bool spin = picker->HandleAllocated() &&
                          (GetWindowLongPtrW(picker->WindowHandle(), GWL_STYLE) & DTS_UPDOWN);
        if (spin) return Has(xcEdit) && pick(TSkinFamily::Edit);
        return Has(xcCombo) && pick(TSkinFamily::DateTime);
    }
    if (dynamic_cast<TCustomGroupBox*>(&control) && Has(xcGroupBox))
        return pick(TSkinFamily::GroupBox);
    if (dynamic_cast<TStatusBar*>(&control) && Has(xcStatusBar))
        return pick(TSkinFamily::StatusBar);
    if (cls == "TRICHEDIT" && Has(xcScrollbar)) return pick(TSkinFamily::ScrollBar);
    if ((cls == "TWWDBRICHEDIT" || cls == "TDXDBMEMO") && Has(xcScrollbar))
        return pick(TSkinFamily::ScrollBar);
    if (dynamic_cast<TCustomPanel*>(&control) && Has(xcPanel)) return pick(TSkinFamily::Box);
    if ((cls == "TDXTREELIST" || cls == "TDXDBTREELIST" || cls == "TDXDBGRID") && Has(xcScrollbar))
        return pick(TSkinFamily::ScrollBar);
    if (dynamic_cast<TCustomListView*>(&control) && Has(xcScrollbar))
        return pick(TSkinFamily::ListView);
    if (dynamic_cast<TCustomMemo*>(&control) && Has(xcScrollbar))
        return pick(TSkinFamily::ScrollBar);
    if (dynamic_cast<TScrollBar*>(&control) && Has(xcScrollbar))
        return pick(TSkinFamily::ScrollBar);
    // A list box is made with its bar; the system hides it (and its style bit) while the
    // items fit.
    if (dynamic_cast<TCustomListBox*>(&control) && Has(xcScrollbar))
        return pick(TSkinFamily::ScrollBar);
    if (windowed && Has(xcScrollbar) && windowed->HandleAllocated() &&
        (GetWindowLongPtrW(windowed->WindowHandle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)))
        return pick(TSkinFamily::ScrollBar);
    // Buttons with a glyph keep it: they are drawn by the glyph-aware button.
    if (dynamic_cast<TBitBtn*>(&control) && Has(xcBitBtn)) return pick(TSkinFamily::BitButton);
    if (dynamic_cast<TButton*>(&control) && Has(xcButton)) return pick(TSkinFamily::Button);
    if (dynamic_cast<TSpeedButton*>(&control) && Has(xcSpeedButton))
        return pick(TSkinFamily::SpeedButton);
    // Memos are the scroll-bar skinning's.
    if (dynamic_cast<TCustomEdit*>(&control) && !dynamic_cast<TCustomMemo*>(&control) &&
        Has(xcEdit))
        return pick(TSkinFamily::Edit);
    if (cls == "TDCEDIT" || cls == "TDCDBEDIT") {
        const int64_t buttons = GetOrdProp(control, "NumButtons");
        if (buttons == 1 && Has(xcCombo)) return pick(TSkinFamily::Combo);
        if (buttons == 0 && Has(xcEdit)) return pick(TSkinFamily::Edit);
        return false;
    }
    if (dynamic_cast<TCustomForm*>(&control)) return pick(TSkinFamily::Box);
    return false;
}

bool TControlDiscovery::ThirdPartyKind(TControl& control, std::string& kind) {
    const std::string prefix = Upper(control.ClassName()) + "=";
    TStringList& map = data_.Skin3rd();
    for (int i = 0; i < map.Count(); ++i) {
        const std::string line = map.Get(i);
        if (line.size() >= prefix.size() && Upper(line.substr(0, prefix.size())) == prefix) {
            kind = Lower(line.substr(prefix.size()));
            return true;
        }
    }
    return false;
}

bool TControlDiscovery::InThirdPartyMap(TControl& control) {
    std::string kind;
    return ThirdPartyKind(control, kind);
}

bool TControlDiscovery::SkinThirdParty(TControl& control) {
    std::string kind;
    if (!ThirdPartyKind(control, kind)) return false;
    if (kind == "nil") return true;
    auto* windowed = dynamic_cast<TWinControl*>(&control);
    auto make = [&](bool condition, TSkinFamily family) {
        if (condition) Make(family, control);
        return true;
    };
    if (kind == "combobox") return make(Has(xcCombo), TSkinFamily::Combo);
    if (kind == "edit") return make(Has(xcEdit), TSkinFamily::Edit);
    if (kind == "radiobutton") return make(Has(xcRadioButton), TSkinFamily::RadioButton);
    if (kind == "panel") {
        if (Has(xcPanel)) {
            SetStrProp(control, "Transparent", "True");
            Make(TSkinFamily::Box, control);
        }
        return true;
    }
    if (kind == "trackbar") {
        if (Has(xcButton)) {
            SetStrProp(control, "Transparent", "True");
            Make(TSkinFamily::TrackBar, control);
        }
        return true;
    }
    if (kind == "button") return make(Has(xcButton), TSkinFamily::Button);
    if (kind == "datetimepicker") return make(Has(xcCombo), TSkinFamily::DateTime);
    if (kind == "mediaplayer") return make(Has(xcButton), TSkinFamily::MediaPlayer);
    if (kind == "bitbtn") {
        const bool dropDown = Upper(control.ClassName()) == "TCXBUTTON" &&
                              Lower(GetEnumProp(control, "Kind")) == "cxbkdropdownbutton";
        return make(Has(xcButton), dropDown ? TSkinFamily::MenuButton : TSkinFamily::BitButton);
    }
    if (kind == "pngbitbtn") return make(Has(xcButton), TSkinFamily::PngBitButton);
    if (kind == "menubtn") return make(Has(xcButton), TSkinFamily::MenuButton);
    if (kind == "speedbutton") return make(Has(xcSpeedButton), TSkinFamily::SpeedButton);
    if (kind == "tab")
        return make(Has(xcTab) && data_.Tab && data_.Tab->Bitmap && !data_.Tab->Bitmap->Empty(),
                    TSkinFamily::Tab);
    if (kind == "progress") return make(Has(xcProgress), TSkinFamily::Progress);
    if (kind == "scrollbar" || kind == "singlescrollbar")
        return make(Has(xcScrollbar), TSkinFamily::ScrollBar);
    if (kind == "embedscrollbar") {
        if (Has(xcScrollbar) && windowed)
            for (int i = 0; i < windowed->ControlCount(); ++i)
                Make(TSkinFamily::ScrollBar, *windowed->Controls(i));
        return true;
    }
    if (kind == "container") {
        if (windowed) WalkChildren(*windowed);
        return true;
    }
    if (kind == "groupbox") return make(Has(xcGroupBox), TSkinFamily::GroupBox);
    if (kind == "advpagecontrol") return make(Has(xcTab), TSkinFamily::AdvPage);
    if (kind == "radiogroup" || kind == "checkgroup") {
        const bool radio = kind == "radiogroup";
        if (Has(xcGroupBox)) {
            if (windowed && Has(radio ? xcRadioButton : xcCheckBox))
                for (int i = 0; i < windowed->ControlCount(); ++i) {
                    TControl* child = windowed->Controls(i);
                    if (AlreadySkinned(*child)) continue;
                    const bool rz = Upper(child->ClassName()).find("TRZ") != std::string::npos;
                    Make(rz ? (radio ? TSkinFamily::ObjImageRadio : TSkinFamily::ObjImageCheck)
                            : (radio ? TSkinFamily::RadioButton : TSkinFamily::CheckBox),
                         *child);
                }
            Make(TSkinFamily::GroupBox, control);
        }
        return true;
    }
    if (kind == "checkbox") return make(Has(xcCheckBox), TSkinFamily::CheckBox);
    return false;
}

// ---------------------------------------------------------------- foreign windows

void TControlDiscovery::SkinChildWindows(HWND window) {
    for (HWND c = GetTopWindow(window); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
        if (!(style & WS_CHILD) || form_.IsSkinned(c)) continue;
        const std::wstring cls = WindowClass(c);
        if (cls == L"button") {
            // Image buttons and push-like checks keep the system's look: a skinned push button
            // has no checked state and a glyph would be wrong on them.
            if (style & (BS_BITMAP | BS_ICON | BS_PUSHLIKE)) continue;
            switch (style & BS_TYPEMASK) {
            case BS_PUSHBUTTON:
            case BS_DEFPUSHBUTTON:
                MakeForWindow(TSkinFamily::Button, c);
                break;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_3STATE:
            case BS_AUTO3STATE:
                MakeForWindow(TSkinFamily::CheckBox, c);
                break;
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                MakeForWindow(TSkinFamily::RadioButton, c);
                break;
            default: // group boxes, owner-drawn, split, command-link and push-box buttons
                break;
            }
        } else if (cls == L"combobox") {
            if ((style & 3) != CBS_SIMPLE) MakeForWindow(TSkinFamily::Combo, c);
        } else if (cls == L"comboboxex32") {
            if (HWND inner = reinterpret_cast<HWND>(SendMessageW(c, CBEM_GETCOMBOCONTROL, 0, 0)))
                MakeForWindow(TSkinFamily::Combo, inner);
        } else if (cls == L"scrollbar") {
            if (!(style & 0x10000)) MakeForWindow(TSkinFamily::Sizer, c);
        } else if (cls == L"#32770") {
            if (!(style & 0x10000)) {
                SkinChildWindows(c);
                MakeForWindow(TSkinFamily::BoxH, c);
            }
        } else if (cls == L"tpanel" || cls == L"ttntpanel.unicodeclass" ||
                   cls == L"ttntsilentpaintpanel.unicodeclass") {
            SkinChildWindows(c);
            if (TWinControl* w = TWinControl::FromHandle(c)) w->SetColor(data_.ButtonFaceColor);
        } else if (cls == L"tcheckbox") {
            MakeForWindow(TSkinFamily::CheckBox, c);
        } else if (cls == L"tcombobox") {
            MakeForWindow(TSkinFamily::Combo, c);
        } else if (cls == L"tbutton") {
            MakeForWindow(TSkinFamily::Button, c);
        } else if (cls == L"tprogressbar") {
            MakeForWindow(TSkinFamily::Progress, c);
        } else if (cls == L"tsilentpaintpanel") {
            if (TWinControl* w = TWinControl::FromHandle(c)) w->SetColor(data_.ButtonFaceColor);
        } else if (cls == L"systabcontrol32") {
            if (!(style & 0x2000)) MakeForWindow(TSkinFamily::Tab, c);
        } else if (cls == L"edit") {
            MakeForWindow(TSkinFamily::Edit, c);
        }
    }
}
