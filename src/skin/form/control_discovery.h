#pragma once
// Control discovery: when a skin is applied to a window, decides control by control which
// skinned-control object takes it over, makes it and lists it with the window's form object.
// The decision looks, in this order, at the control's Tag, the application's OnSkinControl
// event, the Skin3rd class map, a few excluded class names, then the control's toolkit class
// and the kinds enabled in SkinControls. Foreign windows (no toolkit form) are walked by
// window handle and decided by window class and style.
//
// Each decision names a family; the objects are made through the family table, so a family
// built later plugs in with SetSkinFamilyFactory and the walk stays as it is. A family that
// has no factory yet leaves its controls unskinned.
#include "toolkit/controls.h"

#include <windows.h>

#include <functional>
#include <string>

class TSkinControl;
class TSkinData;
class TWinSkinForm;
class TCustomForm;
class TCanvas;

enum class TSkinFamily {
    Button,
    BitButton,
    PngBitButton, // a bit button drawing the published "PngImage"
    MenuButton,
    SpeedButton,
    CheckBox,
    RadioButton,
    ObjImageCheck, // third-party image check boxes and radio buttons
    ObjImageRadio,
    ObjImageThird,
    Combo,
    Edit,
    ScrollBar,
    ListView,
    Tab,
    TabControl, // a tab control that is not a page control
    TabButtons,
    Tab31,
    TabSheet,
    AdvPage,
    UpDown,
    Progress,
    TrackBar,
    Box, // panels and inner forms
    BoxH,
    GroupBox,
    DateTime,
    MediaPlayer,
    Sizer,
    StatusBar,
    Count
};

// Makes the (unattached) object of a family, owned by `owner` (the control, or null for a
// bare window). Null: the family does not take this control.
using TSkinFamilyFactory = std::function<TSkinControl*(TComponent* owner)>;
void SetSkinFamilyFactory(TSkinFamily family, TSkinFamilyFactory factory);
bool HasSkinFamily(TSkinFamily family);

class TControlDiscovery {
public:
    TControlDiscovery(TWinSkinForm& form, TSkinData& data, TCanvas* canvas);

    // The whole walk for a toolkit form.
    void SkinFormControls(TCustomForm& form);
    // The walk over a foreign window's child windows (recursive for nested dialogs, panels).
    void SkinChildWindows(HWND window);
    // A size-grip scroll bar made while the window is skinned: treated as the walk treats one.
    void SkinSizeGrip(HWND grip);
    // The decision for one toolkit control.
    void SkinControl(TControl* control, TWinControl* parent);

    // The family the class rules choose for a control, before any object is made (tests and
    // the walk share it). Returns false when no rule names one.
    bool FamilyFor(TControl& control, TSkinFamily& family);
    // A control that made itself a new window (its object has set that one up): when the class
    // rules now choose another family (a picker turned to spin arrows), the object is ended and
    // the control skinned afresh. True when the object was replaced.
    bool ReskinRecreated(TSkinControl& object);

private:
    bool SkinThirdParty(TControl& control);
    // The kind the Skin3rd map gives the control's class; false when no line names it.
    bool ThirdPartyKind(TControl& control, std::string& kind);
    bool InThirdPartyMap(TControl& control);
    void WalkChildren(TWinControl& control);
    void WalkComponents(TComponent& owner);
    // Makes, lists and attaches the object of a family; null when the family is not built.
    TSkinControl* Make(TSkinFamily family, TControl& control);
    TSkinControl* MakeForWindow(TSkinFamily family, HWND window);
    bool AlreadySkinned(TControl& control) const;
    bool Has(int kind) const;

    TWinSkinForm& form_;
    TSkinData& data_;
    TCanvas* canvas_;
};
