#include "skin/data/skin_data.h"

#include "skin/data/skin_elements_impl.h"
#include "skin/form/primitives.h"
#include "toolkit/exceptions.h"
#include "toolkit/forms.h"
#include "toolkit/win_text.h"

#include <cstddef>

template class skin::TSkinElementsT<TBitmap>;

namespace {

std::function<std::unique_ptr<TSkinManagerLink>()>& ManagerFactory() {
    static std::function<std::unique_ptr<TSkinManagerLink>()> factory;
    return factory;
}

std::unique_ptr<TSkinManagerLink>& ManagerInstance() {
    static std::unique_ptr<TSkinManagerLink> manager;
    return manager;
}

const std::vector<std::string> kSkinControlNames = {
    "xcMainMenu", "xcPopupMenu",   "xcMenuItem",   "xcToolbar",   "xcControlbar", "xcCombo",
    "xcCheckBox", "xcRadioButton", "xcProgress",   "xcScrollbar", "xcEdit",       "xcButton",
    "xcBitBtn",   "xcSpeedButton", "xcSpin",       "xcPanel",     "xcGroupBox",   "xcStatusBar",
    "xcTab",      "xcTrackBar",    "xcSystemMenu", "xcFastReport"};
const std::vector<std::string> kSkinOptionNames = {
    "xoMDIScrollbar", "xoMenuMerge", "xoTransparent",    "xoPreview", "xoParentBackGround",
    "xoNoFocusRect",  "xoToolbarBK", "xoMDIChildBorder", "xoMenuBG"};
const std::vector<std::string> kSkinFormTypeNames = {"sfMainform", "sfOnlyThisForm", "sfDialog",
                                                     "sfDLL"};

// Component classes of other libraries, by the kind of skinning each gets.
struct ClassRun {
    const char* kind;
    std::vector<const char*> classes;
};
std::vector<std::string> BuildDefaultSkin3rd() {
    const ClassRun runs[] = {
        {"scrollbar", {"TCategoryButtons"}},
        {"pngbitbtn", {"TPngBitBtn"}},
        {"scrollbar", {"TVirtualStringTree", "TVirtualDrawTree"}},
        {"Panel", {"TTBXDockablePanel"}},
        {"scrollbar", {"TAdvPanelGroup"}},
        {"combobox", {"TComboboxex"}},
        {"speedbutton", {"TRxSpeedButton"}},
        {"scrollbar", {"THTMLViewer", "TDBCtrlGrid"}},
        {"speedbutton", {"TfrSpeedButton", "TfrTBButton"}},
        {"Panel", {"TControlBar", "TTBDock", "TTBToolbar"}},
        {"scrollbar", {"TImageEnMView", "TImageEnView", "TAdvMemo", "TDBAdvMemo"}},
        {"combobox",
         {"TcxDBLookupComboBox", "TcxDBComboBox", "TcxDBDateEdit", "TcxDBImageComboBox",
          "TcxDBCalcEdit", "TcxDBBlobEdit", "TcxDBPopupEdit", "TcxDBFontNameComboBox",
          "TcxDBShellComboBox", "TRxLookupEdit", "TRxDBLookupCombo"}},
        {"panel", {"TRzGroup"}},
        {"button", {"TRzButton"}},
        {"bitbtn", {"TRzBitbtn"}},
        {"menubtn", {"TRzMenuButton"}},
        {"CheckGroup", {"TRzCheckGroup"}},
        {"Radiogroup", {"TRzRadioGroup"}},
        {"Edit", {"TRzButtonEdit"}},
        {"Radiogroup", {"TRzDBRadioGroup"}},
        {"Radiobutton", {"TRzDBRadioButton"}},
        {"combobox",
         {"TRzDateTimeEdit", "TRzColorEdit", "TRzDateTimePicker", "TRzDBDateTimeEdit",
          "TRzDbColorEdit", "TRzDBDateTimePicker"}},
        {"bitbtn", {"TLMDButton"}},
        {"Groupbox", {"TLMDGroupBox"}},
        {"Checkbox", {"TDBCheckboxEh", "TDBCheckboxEh", "TLMDCHECKBOX", "TLMDDBCHECKBOX"}},
        {"Radiobutton", {"TLMDRadiobutton"}},
        {"panel", {"TLMDCalculator"}},
        {"Panel",
         {"TLMDGROUPBOX", "TLMDSIMPLEPANEL", "TLMDDBCalendar", "TLMDButtonPanel",
          "TLMDLMDCalculator", "TLMDHeaderPanel", "TLMDTechnicalLine", "TLMDLMDClock"}},
        {"panel", {"TLMDTrackbar"}},
        {"combobox",
         {"TLMDListCombobox", "TLMDCheckListCombobox", "TLMDHeaderListCombobox",
          "TLMDImageCombobox", "TLMDColorCombobox", "TLMDFontCombobox", "TLMDFontSizeCombobox",
          "TLMDFontSizeCombobox", "TLMDPrinterCombobox", "TLMDDriveCombobox",
          "TLMDCalculatorComboBox", "TLMDTrackBarComboBox", "TLMDCalendarComboBox",
          "TLMDTreeComboBox"}},
        {"radiogroup", {"TLMDRADIOGROUP"}},
        {"CheckGroup", {"TLMDCheckGroup"}},
        {"radiogroup", {"TLMDDBRADIOGROUP"}},
        {"CheckGroup", {"TLMDDBCheckGroup"}},
        {"edit", {"TLMDCalculatorEdit"}},
        {"Edit",
         {"TLMDEDIT", "TLMDMASKEDIT", "TLMDBROWSEEDIT", "TLMDEXTSPINEDIT", "TLMDCALENDAREDIT",
          "TLMDFILEOPENEDIT", "TLMDFILESAVEEDIT", "TLMDCOLOREDIT", "TLMDDBEDIT", "TLMDDBMASKEDIT",
          "TLMDDBEXTSPINEDIT", "TLMDDBSPINEDIT", "TLMDDBEDITDBLookup", "TLMDEDITDBLookup"}},
        {"Combobox",
         {"TDBLookupCombobox", "TWWDBCombobox", "TWWDBLookupCombo", "TWWDBCombobox", "TWWKeyCombo",
          "TWWTempKeyCombo", "TWWDBDateTimePicker"}},
        {"radiogroup", {"TWWRADIOGROUP"}},
        {"Edit", {"TWWDBEDIT"}},
        {"bitbtn", {"TcxButton"}},
        {"radiogroup", {"TcxDBRadioGroup", "TcxRadioGroup"}},
        {"groupbox", {"TcxGroupbox"}},
        {"Edit",
         {"TOVCPICTUREFIELD", "TOVCDBPICTUREFIELD", "TOVCSLIDEREDIT", "TOVCDBSLIDEREDIT",
          "TOVCSIMPLEFIELD", "TOVCDBSIMPLEFIELD", "TO32DBFLEXEDIT", "TOVCNUMERICFIELD",
          "TOVCDBNUMERICFIELD"}},
    };
    std::vector<std::string> lines;
    for (const ClassRun& run : runs)
        for (const char* c : run.classes) lines.push_back(std::string(c) + "=" + run.kind);
    return lines;
}

std::int32_t ReadLength(std::string_view value) {
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= std::uint32_t(static_cast<unsigned char>(value[static_cast<size_t>(i)])) << (8 * i);
    return static_cast<std::int32_t>(n);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    UniqueKernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (1ll << 30)) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

// The window whose icon stands for the application: the main form, else the owning form.
HWND ApplicationWindow(TComponent* owner) {
    if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
        return Application->MainForm()->Handle();
    if (auto* control = dynamic_cast<TWinControl*>(owner); control && control->HandleAllocated())
        return control->Handle();
    return nullptr;
}

} // namespace

TSkinManagerLink* SkinManager() {
    return ManagerInstance().get();
}

TSkinManagerLink* EnsureSkinManager() {
    if (!ManagerInstance() && ManagerFactory()) ManagerInstance() = ManagerFactory()();
    return ManagerInstance().get();
}

void SetSkinManagerFactory(std::function<std::unique_ptr<TSkinManagerLink>()> factory) {
    ManagerFactory() = std::move(factory);
}

void DestroySkinManager() {
    ManagerInstance().reset();
}

const std::vector<std::string>& DefaultSkin3rd() {
    static const std::vector<std::string> lines = BuildDefaultSkin3rd();
    return lines;
}

const TClassInfo& TSkinData::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TSkinData>("TSkinData", TComponent::StaticClass())
            .Bool(
                "Active", [](TSkinData& o) { return o.Active(); },
                [](TSkinData& o, bool v) { o.SetActive(v); })
            .Int(
                "DisableTag", [](TSkinData& o) { return o.DisableTag; },
                [](TSkinData& o, int64_t v) { o.DisableTag = static_cast<std::int32_t>(v); })
            .Set(
                "SkinControls", kSkinControlNames, [](TSkinData& o) { return o.SkinControls; },
                [](TSkinData& o, int64_t v) { o.SkinControls = static_cast<TSkinControlTypes>(v); })
            .Set(
                "Options", kSkinOptionNames, [](TSkinData& o) { return o.Options; },
                [](TSkinData& o, int64_t v) { o.Options = static_cast<TSkinOptions>(v); })
            .Strings(
                "Skin3rd", [](TSkinData& o) { return o.Skin3rd().ToVector(); },
                [](TSkinData& o, const std::vector<std::string>& v) { o.SetSkin3rd(v); })
            .Str(
                "SkinFile", [](TSkinData& o) { return o.SkinFile(); },
                [](TSkinData& o, const std::string& v) { o.SetSkinFile(v); })
            .Str(
                "SkinStore", [](TSkinData& o) { return o.SkinStore(); },
                [](TSkinData&, const std::string&) {})
            .Enum(
                "SkinFormtype", kSkinFormTypeNames, [](TSkinData& o) { return o.SkinFormtype; },
                [](TSkinData& o, int64_t v) {
                    if (v >= sfMainform && v <= sfDLL)
                        o.SkinFormtype = static_cast<TSkinFormType>(v);
                })
            .Str(
                "Version", [](TSkinData& o) { return o.Version(); },
                [](TSkinData&, const std::string&) {})
            .Bool(
                "MenuUpdate", [](TSkinData& o) { return o.MenuUpdate; },
                [](TSkinData& o, bool v) { o.MenuUpdate = v; })
            .Bool(
                "MenuMerge", [](TSkinData& o) { return o.MenuMerge; },
                [](TSkinData& o, bool v) { o.MenuMerge = v; })
            .Event("OnSkinChanged",
                   [](TSkinData& o, TNotifyEvent e) { o.OnSkinChanged = std::move(e); })
            .Event("OnFormSkin",
                   [](TSkinData& o, TNotifyEvent e) {
                       if (!e) {
                           o.OnFormSkin = nullptr;
                           return;
                       }
                       o.OnFormSkin = [&o, e](TObject* sender, const std::string& name,
                                              bool& doSkin) {
                           o.FormSkinQuestion = {name, doSkin};
                           e(sender);
                           doSkin = o.FormSkinQuestion.DoSkin;
                       };
                   })
            .Event("OnSkinControl",
                   [](TSkinData& o, TNotifyEvent e) {
                       if (!e) {
                           o.OnSkinControl = nullptr;
                           return;
                       }
                       o.OnSkinControl = [&o, e](TComponent* sender, TSkinData*, TControl* form,
                                                 TControl* control, const std::string& cls,
                                                 TComponent*& skinned) {
                           o.SkinControlQuestion = {sender, form, control, cls, skinned};
                           e(sender);
                           skinned = o.SkinControlQuestion.SkinnedControl;
                       };
                   })
            .Binary(
                "SkinStream", [](TSkinData& o) { return o.WriteSkinStream(); },
                [](TSkinData& o, const std::string& v) { o.ReadSkinStream(v); })
            .Creatable()
            .Build();
    return info;
}

void RegisterSkinDataClass() {
    RegisterComponentClass(TSkinData::StaticClass());
}

namespace {
// Linking this unit in is enough for descriptions to name the class.
const bool kSkinDataRegistered = (RegisterSkinDataClass(), true);
} // namespace

TSkinData::TSkinData(TComponent* owner) : TComponent(owner) {
    skin::InstallSkinPlatformHooks();
    AppIcon = std::make_unique<TBitmap>();
    skin3rd_.Assign(DefaultSkin3rd());
    LoadMenuGlyphs();
    MaximizedWidth = GetSystemMetrics(SM_CXMAXIMIZED);
    MaximizedHeight = GetSystemMetrics(SM_CYMAXIMIZED);
}

TSkinData::~TSkinData() {
    if (TSkinManagerLink* m = SkinManager()) m->Unregister(*this);
}

void TSkinData::BeforeDestruction() {
    if (TSkinManagerLink* m = SkinManager()) m->Unregister(*this);
    TComponent::BeforeDestruction();
}

void TSkinData::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (designing_ || IsLoading()) return;
    TSkinManagerLink* m = SkinManager();
    switch (SkinFormtype) {
    case sfMainform:
        if (value) {
            // Nothing to skin with yet: the property reads True but nothing changes.
            if (SkinNotLoaded) return;
            if (m) {
                m->SetChanging(*this);
                m->PostCommand(skin::kSkinAllCommand, skin::kSkinCommandDelayMs);
                m->SetActiveCount(1);
            }
        } else if (m) {
            m->SetChanging(*this);
            m->PostCommand(skin::kUnskinAllCommand, skin::kSkinCommandDelayMs);
        }
        break;
    case sfOnlyThisForm:
        if (m) m->SetChanging(*this);
        if (value && SkinNotLoaded) return;
        if (m)
            m->PostCommand(value ? skin::kSkinAllCommand : skin::kUnskinAllCommand,
                           skin::kSkinCommandDelayMs);
        break;
    case sfDialog:
    case sfDLL:
        break;
    }
}

void TSkinData::SetSkin3rd(const std::vector<std::string>& lines) {
    skin3rd_.Assign(lines);
}

void TSkinData::SetSkinFile(const std::string& value) {
    SkinNotLoaded = true;
    skinFile_ = value;
    if (designing_) {
        if (!value.empty() && !Store.empty()) Store.clear();
        return;
    }
    if (value.empty()) return;
    const DWORD attributes = GetFileAttributesW(Widen(value).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(value, bytes)) return;
    SetSkinFile(value, std::move(bytes));
}

void TSkinData::SetSkinFile(const std::string& value, std::vector<std::uint8_t> bytes) {
    SkinNotLoaded = true;
    skinFile_ = value;
    if (designing_) {
        if (!value.empty() && !Store.empty()) Store.clear();
        return;
    }
    Store = std::move(bytes);
    LoadSkin();
    if (SkinFormtype == sfMainform) Refresh();
}

std::string TSkinData::SkinStore() const {
    return designing_ && !Store.empty() ? "(Good)" : "(none)";
}

void TSkinData::ReadSkinStream(std::string_view value) {
    if (value.size() < 4) throw Exception("SkinStream: the value has no length");
    const std::int32_t n = ReadLength(value);
    if (n > 0) {
        if (value.size() - 4 < static_cast<size_t>(n))
            throw Exception("SkinStream: the value is shorter than its length");
        Store.assign(value.begin() + 4, value.begin() + 4 + n);
    }
    if (!designing_) LoadSkin();
}

std::string TSkinData::WriteSkinStream() const {
    const auto n = static_cast<std::uint32_t>(Store.size());
    std::string value;
    value.reserve(4 + Store.size());
    for (int i = 0; i < 4; ++i) value.push_back(static_cast<char>(n >> (8 * i)));
    value.append(Store.begin(), Store.end());
    return value;
}

bool TSkinData::LoadSkin() {
    SkinNotLoaded = true;
    if (designing_) return false;
    return LoadSkinStore(Store);
}

void TSkinData::Refresh() {
    if (designing_ || IsLoading()) return;
    if (!SkinManager()) AfterLoading();
    if (TSkinManagerLink* m = SkinManager()) {
        m->SetChanging(*this);
        m->ReloadSkin();
        if (m->ActiveCount() == 1) m->PostCommand(skin::kRefreshCommand, skin::kSkinCommandDelayMs);
    }
}

void TSkinData::AskFormSkin(HWND window, const std::string& className, bool& doSkin) {
    FormSkinWindow = window;
    if (OnFormSkin) {
        OnFormSkin(this, className, doSkin);
        return;
    }
    if (SameText(className, "SysMonthCal32") ||
        (InSet(SkinControls, xcFastReport) && className.rfind("Tfr", 0) == 0))
        doSkin = false;
}

void TSkinData::SkinChanged() {
    if (OnSkinChanged) OnSkinChanged(this);
}

TComponent* TSkinData::AskSkinControl(TComponent* sender, TControl* form, TControl* control,
                                      const std::string& controlClass) {
    TComponent* skinned = nullptr;
    if (OnSkinControl) OnSkinControl(sender, this, form, control, controlClass, skinned);
    return skinned;
}

void TSkinData::Loaded() {
    TComponent::Loaded();
    AfterLoading();
}

void TSkinData::AfterLoading() {
    if (designing_) return;
    if (!skin::SkinPlatform().GetScrollBarInfo) SkinControls &= ~SetBit(xcScrollbar);
    TSkinManagerLink* m = EnsureSkinManager();
    if (m) m->Register(*this);
    ReadCaptionFont();
    if (SkinFormtype != sfMainform) {
        if (m) {
            m->SetEnabled(true);
            m->SetActiveCount(m->ActiveCount() + 1);
            if (auto* form = dynamic_cast<TCustomForm*>(Owner()); form && active_)
                m->SkinForm(*form);
        }
        return;
    }
    if (m) m->InstallHook();
    if (active_) {
        if (SkinNotLoaded)
            active_ = false;
        else if (m)
            m->PostCommand(skin::kSkinAllCommand, skin::kSkinCommandDelayMs);
    }
    // The system menu is skinned with the main menu; single menu items without it.
    if (InSet(SkinControls, xcMainMenu))
        SkinControls &= ~SetBit(xcMenuItem);
    else
        SkinControls &= ~SetBit(xcSystemMenu);
    CaptureAppIcon();
}

void TSkinData::ReadCaptionFont() {
    CaptionFont = std::make_unique<TFont>();
    // The structure as it was before the padded border width: every platform accepts it.
    constexpr UINT kMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    static_assert(kMetricsSize == 340);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kMetricsSize;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kMetricsSize, &metrics, 0)) return;
    // The whole record: the handle is made from the caption font's own weight, width,
    // quality and pitch, not just its name and size.
    CaptionFont->SetLogFont(metrics.lfCaptionFont);
}

void TSkinData::CaptureAppIcon() {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    HICON icon = nullptr;
    if (HWND window = ApplicationWindow(Owner())) {
        icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
        if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
        // Our forms have no hidden application window to set an icon on; their class may.
        if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
        if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    }
    // Loading runs while the main window's description is read, before its window exists:
    // then the icon that window will carry is the program's own.
    if (!icon) icon = ApplicationIcon(true);
    if (!icon) return;
    auto bitmap = std::make_unique<TBitmap>(cx, cy);
    HDC dc = bitmap->Canvas().Handle();
    UniqueBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
    RECT all{0, 0, cx, cy};
    FillRect(dc, &all, magenta.get());
    UniqueIcon copy(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, 0)));
    DrawIconEx(dc, 0, 0, copy ? copy.get() : icon, cx, cy, 0, nullptr, DI_NORMAL);
    GdiFlush();
    AppIcon = std::move(bitmap);
    AppIconTransparentColor = clFuchsia;
    AppIconTransparent = true;
}

skin::TPixelImage TSkinData::ComposeCombo(const skin::TComboPart& sunkEdge,
                                          const skin::TComboPart& comboButton,
                                          const skin::TComboPart& extraImages, int arrowWidth) {
    constexpr int kCellWidth = 50, kCellHeight = 21;
    const int n = sunkEdge.FrameCount;
    if (n <= 0 || !sunkEdge.Image || !comboButton.Image) return {};
    auto bitmapOf = [](const skin::TPixelImage* image) {
        auto b = std::make_unique<TBitmap>();
        if (image) skin::AssignPixels(*b, *image);
        return b;
    };
    auto margins = [](const skin::TSkinMargins& m) {
        return skin::SliceMargins{m.Left, m.Top, m.Right, m.Bottom};
    };
    const auto sunk = bitmapOf(sunkEdge.Image), button = bitmapOf(comboButton.Image),
               extra = bitmapOf(extraImages.Image);
    TBitmap strip(kCellWidth * n, kCellHeight), cell(kCellWidth, kCellHeight);
    if (!strip.Handle() || !cell.Handle()) return {};
    HDC dc = cell.Canvas().Handle();
    UniqueBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
    const RECT whole{0, 0, kCellWidth, kCellHeight};
    const RECT arrow{kCellWidth - arrowWidth, 0, kCellWidth, kCellHeight};
    const RECT edit{2, 2, 49 - arrowWidth, 18};
    for (int k = 1; k <= n; ++k) {
        ::FillRect(dc, &whole, magenta.get());
        skin::DrawNineSlice(dc, whole, *sunk, false, false, sunkEdge.Keyed, n, k,
                            margins(sunkEdge.Margins));
        skin::DrawNineSlice(dc, arrow, *button, false, false, true, comboButton.FrameCount, k,
                            margins(comboButton.Margins));
        if (extraImages.Image)
            skin::DrawFrameCentred(dc, arrow, *extra, true, extraImages.FrameCount, k);
        // The edit area shows through.
        ::FillRect(dc, &edit, magenta.get());
        BitBlt(strip.Canvas().Handle(), kCellWidth * (k - 1), 0, kCellWidth, kCellHeight, dc, 0, 0,
               SRCCOPY);
    }
    return skin::PixelsOf(strip, 24);
}

void TSkinData::LoadMenuGlyphs() {
    UniqueBitmap strip(static_cast<HBITMAP>(
        LoadImageW(skin::SkinModule(), L"ORVIXMENU", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip) return;
    // A 24-bit copy: image lists mask colour bitmaps the same way everywhere.
    UniqueBitmap glyphs = skin::CreateDibSection(skin::PixelsOf(strip.get(), 24));
    if (!glyphs) return;
    MenuGlyphs.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0));
    if (MenuGlyphs) ImageList_AddMasked(MenuGlyphs.get(), glyphs.get(), RGB(255, 255, 255));
}

bool TSkinData::LoadBuiltInImage(std::string_view name, TBitmap& image) {
    UniqueBitmap bitmap(static_cast<HBITMAP>(LoadImageW(skin::SkinModule(), Widen(name).c_str(),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) return false;
    skin::AssignPixels(image, skin::PixelsOf(bitmap.get(), 24));
    return !image.Empty();
}

int TSkinData::ScrollArrowWidth() const {
    return GetSystemMetrics(SM_CXHSCROLL);
}

void TSkinData::SkinColoursApplied() {
    FaceBrush.reset(CreateSolidBrush(::ColorToRGB(ButtonFaceColor)));
}
