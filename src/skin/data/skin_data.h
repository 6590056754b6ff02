#pragma once
// TSkinData: the non-visual component that a form carries to be skinned. It holds the skin
// store, the options that say what is skinned and, once a skin is applied, every skin element
// and colour; the form and control skinning read them while painting.
#include "skin/data/skin_bitmap.h"
#include "skin/data/skin_elements.h"
#include "skin/data/skin_shared.h"
#include "toolkit/classes.h"
#include "toolkit/graphics.h"
#include "toolkit/handles.h"
#include "toolkit/stdctrls.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TControl;
class TCustomForm;
class TSkinData;

// Kinds of control to skin; bit n of TSkinControlTypes is member n.
enum TSkinControlType {
    xcMainMenu,
    xcPopupMenu,
    xcMenuItem,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcSpin,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
    xcTrackBar,
    xcSystemMenu,
    xcFastReport
};
using TSkinControlTypes = std::uint32_t;

enum TSkinOption {
    xoMDIScrollbar,
    xoMenuMerge,
    xoTransparent,
    xoPreview,
    xoParentBackGround,
    xoNoFocusRect,
    xoToolbarBK,
    xoMDIChildBorder,
    xoMenuBG
};
using TSkinOptions = std::uint16_t;

enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

template <typename E> constexpr std::uint32_t SetBit(E member) {
    return std::uint32_t{1} << static_cast<int>(member);
}
constexpr bool InSet(std::uint32_t set, auto member) {
    return (set & SetBit(member)) != 0;
}

// Every kind except xcMenuItem and xcFastReport.
inline constexpr TSkinControlTypes kDefaultSkinControls =
    ((std::uint32_t{1} << (xcFastReport + 1)) - 1) & ~SetBit(xcMenuItem) & ~SetBit(xcFastReport);
inline constexpr TSkinOptions kDefaultSkinOptions =
    static_cast<TSkinOptions>(SetBit(xoPreview) | SetBit(xoToolbarBK));
inline constexpr const char* kSkinDataVersion = "4.04.04.11";

// The skin elements over toolkit bitmaps, as the painting code uses them.
using TDataSkinObject = skin::TDataSkinObjectT<TBitmap>;
using TDataSkinBorder = skin::TDataSkinBorderT<TBitmap>;
using TDataSkinTitle = skin::TDataSkinTitleT<TBitmap>;
using TDataSkinButton = skin::TDataSkinButtonT<TBitmap>;
using TDataSkinSysButton = skin::TDataSkinSysButtonT<TBitmap>;
using TDataSkinBoxLabel = skin::TDataSkinBoxLabelT<TBitmap>;
extern template class skin::TSkinElementsT<TBitmap>;

// The calls the skin data component makes to the process-wide skin manager. The manager's
// unit installs a factory; until then there is no manager and the component's calls to it do
// nothing, so a loaded skin simply waits unused.
class TSkinManagerLink {
public:
    virtual ~TSkinManagerLink() = default;
    virtual void Register(TSkinData& data) = 0;
    virtual void Unregister(TSkinData& data) = 0;
    // The component whose command is pending (its OnSkinChanged is raised after it).
    virtual void SetChanging(TSkinData& data) = 0;
    // Every skinned form using the changing component takes its elements again.
    virtual void ReloadSkin() = 0;
    virtual void PostCommand(unsigned command, unsigned delayMs) = 0;
    virtual int ActiveCount() const = 0;
    virtual void SetActiveCount(int count) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void InstallHook() = 0;
    virtual bool SkinForm(TCustomForm& form) = 0;
};
// The manager, or null while there is none.
TSkinManagerLink* SkinManager();
// The manager, created through the factory when there is none yet; null without a factory.
TSkinManagerLink* EnsureSkinManager();
void SetSkinManagerFactory(std::function<std::unique_ptr<TSkinManagerLink>()> factory);
// Frees the manager (program shutdown, tests).
void DestroySkinManager();

using UniqueImageList = UniqueHandle<HIMAGELIST, skin::ImageListTraits>;

class TSkinData : public TComponent, public skin::TSkinElementsT<TBitmap> {
    TOOLKIT_CLASS(TSkinData)
public:
    explicit TSkinData(TComponent* owner);
    ~TSkinData() override;

    // Published properties (see StaticClass for their names).
    bool Active() const { return active_; }
    void SetActive(bool value);
    std::int32_t DisableTag = 99; // controls and popup menus with this Tag stay unskinned
    TSkinControlTypes SkinControls = kDefaultSkinControls;
    TSkinOptions Options = kDefaultSkinOptions;
    TStringList& Skin3rd() { return skin3rd_; } // "class name=kind" lines
    void SetSkin3rd(const std::vector<std::string>& lines);
    const std::string& SkinFile() const { return skinFile_; }
    void SetSkinFile(const std::string& value);
    // As SetSkinFile, with the file's bytes already read by the caller (read once, not twice).
    void SetSkinFile(const std::string& value, std::vector<std::uint8_t> bytes);
    std::string SkinStore() const; // status text; writing it has no effect
    TSkinFormType SkinFormtype = sfMainform;
    std::string Version() const { return kSkinDataVersion; } // fixed
    bool MenuUpdate = true;
    bool MenuMerge = false;
    using TFormSkinEvent =
        std::function<void(TObject* sender, const std::string& name, bool& doSkin)>;
    using TSkinControlEvent =
        std::function<void(TComponent* sender, TSkinData* skinData, TControl* form,
                           TControl* control, const std::string& controlClass,
                           TComponent*& skinnedControl)>;
    TFormSkinEvent OnFormSkin;
    // Told of control events by name, such as "CBN_DROPDOWN" and "CBN_DROPUP" when a skinned
    // combo box's list opens and closes.
    using TSkinEventHook = std::function<void(TObject* sender, const std::string& event)>;
    TSkinEventHook EventHook;
    void NotifyEvent(TObject* sender, const std::string& event) {
        if (EventHook) EventHook(sender, event);
    }
    TNotifyEvent OnSkinChanged;
    TSkinControlEvent OnSkinControl;
    // A handler bound by name in a form description is a notify handler: it reads the question
    // from these fields while it runs and answers in them (DoSkin, SkinnedControl).
    struct TFormSkinQuestion {
        std::string Name;
        bool DoSkin = true;
    } FormSkinQuestion;
    struct TSkinControlQuestion {
        TComponent* Sender = nullptr;
        TControl* Form = nullptr;
        TControl* Control = nullptr;
        std::string ControlClass;
        TComponent* SkinnedControl = nullptr;
    } SkinControlQuestion;

    // The "SkinStream" property: a 32-bit store length, then the store. Reading loads the
    // skin; a value shorter than its length says is an error.
    void ReadSkinStream(std::string_view value);
    std::string WriteSkinStream() const;

    // Unpacks the store and applies its description; false when the store does not open.
    bool LoadSkin();
    // Re-applies the current skin to the forms that this component skins.
    void Refresh();
    // Whether the window `window` of class `className` is skinned; `doSkin` arrives with the
    // manager's answer so far.
    void AskFormSkin(HWND window, const std::string& className, bool& doSkin);
    void SkinChanged();
    // Raises OnSkinControl for a control the form skinning is about to skin: the skinned-control
    // object the handler returns (to be used instead of the built-in choice), or null.
    TComponent* AskSkinControl(TComponent* sender, TControl* form, TControl* control,
                               const std::string& controlClass);
    // The after-loading step: adjusts the control set, registers with the manager and, for a
    // main-form component, switches skinning on when a skin is loaded.
    void AfterLoading();
    void Loaded() override;
    void ReadCaptionFont();
    void CaptureAppIcon();

    // No design time exists in the program; tests switch it on to see that behaviour.
    bool Designing() const { return designing_; }
    void SetDesigning(bool value) { designing_ = value; }

    std::vector<std::uint8_t> Store; // the skin store: unpacked length, then the LZH bits
    std::unique_ptr<TFont> CaptionFont;
    std::unique_ptr<TBitmap> AppIcon; // the application's small icon on magenta
    bool AppIconTransparent = false;
    TColor AppIconTransparentColor = clFuchsia;
    UniqueImageList MenuGlyphs; // the four 16 x 16 menu glyphs, white masked
    UniqueBrush FaceBrush;      // solid brush of ButtonFaceColor
    int MaximizedWidth = 0, MaximizedHeight = 0;
    HWND FormSkinWindow = nullptr; // the window OnFormSkin is being asked about
    // The frame-painting switch: on from creation; the form skinning switches it off only
    // around the default handling of a menu change (TFramePaintingPause).
    bool FramePainting = true;

protected:
    // Leaves the manager before the forms it skins are told that it goes, so that the
    // manager still finds them by their component and unskins them.
    void BeforeDestruction() override;
    bool LoadBuiltInImage(std::string_view name, TBitmap& image) override;
    int ScrollArrowWidth() const override;
    void SkinColoursApplied() override;
    // Drawn with the nine-slice and centred-frame primitives the painters use.
    skin::TPixelImage ComposeCombo(const skin::TComboPart& sunkEdge,
                             const skin::TComboPart& comboButton,
                             const skin::TComboPart& extraImages, int arrowWidth) override;

private:
    void LoadMenuGlyphs();

    bool active_ = false;
    bool designing_ = false;
    std::string skinFile_;
    TStringList skin3rd_;
};

// Switches a skin data component's frame painting off while it lives and puts back what was.
class TFramePaintingPause {
public:
    explicit TFramePaintingPause(TSkinData& data) : data_(data), was_(data.FramePainting) {
        data.FramePainting = false;
    }
    TFramePaintingPause(const TFramePaintingPause&) = delete;
    TFramePaintingPause& operator=(const TFramePaintingPause&) = delete;
    ~TFramePaintingPause() { data_.FramePainting = was_; }

private:
    TSkinData& data_;
    bool was_;
};

// The 117 lines of Skin3rd that a new component holds.
const std::vector<std::string>& DefaultSkin3rd();
// Makes TSkinData known to the form reader; the main window calls it before reading its
// description (also done when this unit is linked in).
void RegisterSkinDataClass();
