// TSkinData under Wine: defaults and published properties, the "SkinStream" property through
// the form reader, the after-loading step and Active with a recording skin manager, SkinFile,
// the form-skin question, the program's bitmap resources, the shared routines, and GDI leaks.
#include "app_fixture.h"
#include "skin/art/product_skin.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_shared.h"
#include "toolkit/form_description.h"
#include "toolkit/form_reader.h"
#include "toolkit/forms.h"
#include "toolkit/win_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

// The skin tools are developer tools, not part of the program; the tests pack their skins
// with them. GCC 12 misreads the byte appends of the archive builder at -O2 (a known false
// positive of its string-operation checks), so those two checks are off for these files.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#pragma GCC diagnostic ignored "-Wstringop-overread"
#include "../../skins/tools/lzh_encoder.cpp"
#include "../../skins/tools/skin_archive.cpp"
#pragma GCC diagnostic pop

namespace {

using skin::RGBColor;
using skin::TPixelImage;

TPixelImage Solid(int w, int h, skin::TColor c) {
    TPixelImage image(w, h, 24);
    image.Fill(c);
    return image;
}

struct SkinBuilder {
    std::string ini;
    std::vector<skinpack::Entry> bitmaps;

    SkinBuilder& Ini(const std::string& text) {
        ini += text;
        return *this;
    }
    SkinBuilder& Bitmap(const std::string& name, const TPixelImage& image) {
        bitmaps.push_back({name, skin::WriteBitmapFile(image)});
        return *this;
    }
    std::vector<std::uint8_t> Store(std::int32_t version = skin::kSkinArchiveVersion) const {
        std::vector<skinpack::Entry> entries = bitmaps;
        entries.push_back({"test.ini", {ini.begin(), ini.end()}});
        skinpack::ArchiveOptions options;
        options.version = version;
        return skinpack::PackStore(skinpack::BuildArchive(entries, options));
    }
    std::string StreamValue(std::int32_t version = skin::kSkinArchiveVersion) const {
        auto v = skinpack::StreamValue(Store(version));
        return {v.begin(), v.end()};
    }
};

// A small skin with a colour, a menu item, a sunk edge and a combo button.
SkinBuilder SmallSkin(const std::string& name = "Small") {
    SkinBuilder s;
    s.Bitmap("menu.bmp", Solid(50, 20, RGBColor(200, 0, 0)))
        .Bitmap("sunk.bmp", Solid(40, 21, RGBColor(0, 0, 200)))
        .Bitmap("combo.bmp", Solid(68, 21, RGBColor(0, 200, 0)))
        .Bitmap("frametop.bmp", Solid(30, 30, RGBColor(10, 20, 30)))
        .Ini("[TitlebarSkin]\r\nSkinName=" + name +
             "\r\n[Colours]\r\nButtonFace=1 2 3\r\n[Personality]\r\nTop=frametop.bmp\r\n"
             "[MenuItem]\r\nImage=menu.bmp\r\n[SunkEdge]\r\nImage=sunk.bmp\r\n"
             "[ComboButton]\r\nImage=combo.bmp\r\n");
    return s;
}

SkinBuilder ProductSkin() {
    SkinBuilder s;
    const auto product = skin::art::BuildProductSkin();
    for (auto& f : skin::art::EncodeSkinFiles(product))
        if (f.name != skin::art::kDescriptionName) s.bitmaps.push_back({f.name, f.bytes});
    s.ini = product.description;
    return s;
}

// Records what the skin data component asks of the skin manager.
class RecordingManager : public TSkinManagerLink {
public:
    std::vector<std::string> calls;
    int activeCount = 0;
    void Register(TSkinData& d) override { calls.push_back("Register " + d.Name()); }
    void Unregister(TSkinData& d) override { calls.push_back("Unregister " + d.Name()); }
    void SetChanging(TSkinData& d) override { calls.push_back("Changing " + d.Name()); }
    void ReloadSkin() override { calls.push_back("Reload"); }
    void PostCommand(unsigned command, unsigned delayMs) override {
        calls.push_back("Post " + std::to_string(command) + " " + std::to_string(delayMs));
    }
    int ActiveCount() const override { return activeCount; }
    void SetActiveCount(int count) override {
        activeCount = count;
        calls.push_back("ActiveCount " + std::to_string(count));
    }
    void SetEnabled(bool enabled) override { calls.push_back(enabled ? "Enabled" : "Disabled"); }
    void InstallHook() override { calls.push_back("Hook"); }
    bool SkinForm(TCustomForm& form) override {
        calls.push_back("SkinForm " + form.Name());
        return true;
    }
};

// Each test gets a recording manager (created when a component first asks for one) and
// sees the version-check message instead of a message box.
class SkinDataTest : public testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        SetSkinManagerFactory([this] {
            auto m = std::make_unique<RecordingManager>();
            manager = m.get();
            return m;
        });
        skin::SetSkinMessageBoxInterceptor(
            [this](const std::string& text) { messages.push_back(text); });
        savedPlatform = skin::SkinPlatform();
    }
    void TearDown() override {
        skin::SkinPlatform() = savedPlatform;
        DestroySkinManager();
        SetSkinManagerFactory({});
        skin::SetSkinMessageBoxInterceptor({});
    }
    std::vector<std::string> Calls() const {
        return manager ? manager->calls : std::vector<std::string>{};
    }

    RecordingManager* manager = nullptr;
    std::vector<std::string> messages;
    skin::TSkinPlatform savedPlatform;
};

// ---------------------------------------------------------------------------------------------

TEST_F(SkinDataTest, NewComponentHasItsDefaults) {
    TSkinData d(nullptr);
    EXPECT_EQ(GetOrdProp(d, "Options"), SetBit(xoPreview) | SetBit(xoToolbarBK));
    EXPECT_EQ(GetOrdProp(d, "DisableTag"), 99);
    const auto controls = static_cast<std::uint32_t>(GetOrdProp(d, "SkinControls"));
    EXPECT_EQ(controls, 0x1FFFFBu) << "bits 0 to 21 but xcMenuItem (2) and xcFastReport (21)";
    EXPECT_FALSE(InSet(controls, xcMenuItem));
    EXPECT_FALSE(InSet(controls, xcFastReport));
    EXPECT_TRUE(InSet(controls, xcPanel));
    EXPECT_TRUE(InSet(controls, xcSystemMenu));
    EXPECT_EQ(GetOrdProp(d, "MenuUpdate"), 1);
    EXPECT_EQ(GetOrdProp(d, "MenuMerge"), 0);
    EXPECT_EQ(GetOrdProp(d, "Active"), 0);
    EXPECT_EQ(GetEnumProp(d, "SkinFormtype"), "sfMainform");
    EXPECT_EQ(GetStrProp(d, "SkinFile"), "");
    EXPECT_TRUE(d.SkinNotLoaded);
    EXPECT_TRUE(d.Button && d.FrameLeft && d.FrameRight && d.FrameTop && d.FrameBottom && d.Title);
    EXPECT_FALSE(d.MenuItem);
    EXPECT_EQ(d.MaximizedWidth, GetSystemMetrics(SM_CXMAXIMIZED));
    EXPECT_EQ(d.MaximizedHeight, GetSystemMetrics(SM_CYMAXIMIZED));

    const std::vector<std::string> lines = d.Skin3rd().ToVector();
    ASSERT_EQ(lines.size(), 117u);
    EXPECT_EQ(lines.front(), "TCategoryButtons=scrollbar");
    EXPECT_EQ(lines[1], "TPngBitBtn=pngbitbtn");
    EXPECT_EQ(lines[30], "TRzGroup=panel");
    EXPECT_EQ(lines[46], "TLMDGroupBox=Groupbox");
    EXPECT_EQ(lines[104], "TcxButton=bitbtn");
    EXPECT_EQ(lines.back(), "TOVCDBNUMERICFIELD=Edit");
    for (const char* twice :
         {"TDBCheckboxEh=Checkbox", "TLMDFontSizeCombobox=combobox", "TWWDBCombobox=Combobox"})
        EXPECT_EQ(std::count(lines.begin(), lines.end(), twice), 2) << twice;

    // Fixed and status properties ignore writes.
    SetStrProp(d, "Version", "1.0");
    EXPECT_EQ(GetStrProp(d, "Version"), "4.04.04.11");
    SetStrProp(d, "SkinStore", "(Good)");
    EXPECT_EQ(GetStrProp(d, "SkinStore"), "(none)");
    d.ReadSkinStream(SmallSkin().StreamValue());
    EXPECT_FALSE(d.SkinNotLoaded);
    EXPECT_EQ(GetStrProp(d, "SkinStore"), "(none)") << "at run time even with a skin held";
    d.SetDesigning(true);
    EXPECT_EQ(GetStrProp(d, "SkinStore"), "(Good)");
    d.Store.clear();
    EXPECT_EQ(GetStrProp(d, "SkinStore"), "(none)");
}

TEST_F(SkinDataTest, DescriptionCreatesTheComponentAndLoadsItsSkinStream) {
    const std::string value = SmallSkin("From the description").StreamValue();
    const std::string text =
        "object Holder: TComponent\n"
        "  object SkinData1: TSkinData\n"
        "    Active = True\n"
        "    DisableTag = 99\n"
        "    SkinControls = [xcMainMenu, xcPopupMenu, xcToolbar, xcControlbar, xcCombo, "
        "xcCheckBox, xcRadioButton, xcProgress, xcScrollbar, xcEdit, xcButton, xcBitBtn, "
        "xcSpeedButton, xcSpin, xcGroupBox, xcStatusBar, xcTab, xcTrackBar, xcSystemMenu]\n"
        "    Options = [xoPreview, xoToolbarBK]\n"
        "    SkinFormtype = sfMainform\n"
        "    MenuUpdate = True\n"
        "    MenuMerge = False\n"
        "    SkinStream = " +
        FormatBinaryValue(value, 6) +
        "\n"
        "  end\n"
        "end\n";
    TComponent holder(nullptr);
    ReadForm(holder, ParseFormDescription(text));
    auto* d = dynamic_cast<TSkinData*>(holder.FindComponent("SkinData1"));
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->SkinNotLoaded);
    EXPECT_EQ(d->SkinName, "From the description");
    ASSERT_TRUE(d->MenuItem);
    EXPECT_TRUE(d->Active());
    // The main window's control set is kept as stored.
    EXPECT_EQ(d->SkinControls, 0x1F7FFBu);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Register SkinData1", "Hook", "Post 1 250"}));
    // Writing the property gives back the value it was read from.
    const TPropInfo* p = GetPropInfo(*d, "SkinStream");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Kind, TPropKind::Binary);
    EXPECT_EQ(p->GetBinary(*d), value);
}

TEST_F(SkinDataTest, SkinStreamValuesThatEndEarlyAreErrors) {
    TSkinData d(nullptr);
    EXPECT_THROW(d.ReadSkinStream(std::string("\x05\x00\x00", 3)), std::exception);
    std::string value = SmallSkin().StreamValue();
    EXPECT_THROW(d.ReadSkinStream(value.substr(0, value.size() - 1)), std::exception);
    EXPECT_TRUE(d.Store.empty());
    d.ReadSkinStream(value + "trailing bytes are not part of the store");
    EXPECT_EQ(d.WriteSkinStream(), value);
    // A length of 0 keeps the store and loads it again.
    d.SkinNotLoaded = true;
    d.ReadSkinStream(std::string(4, '\0'));
    EXPECT_FALSE(d.SkinNotLoaded);
    EXPECT_EQ(d.WriteSkinStream(), value);
}

TEST_F(SkinDataTest, AfterLoadingAdjustsTheControlSet) {
    const std::uint32_t mainWindow = kDefaultSkinControls & ~SetBit(xcPanel);
    {
        TSkinData d(nullptr);
        d.SkinControls = mainWindow;
        d.AfterLoading();
        EXPECT_EQ(d.SkinControls, mainWindow) << "unchanged where scroll bar information exists";
    }
    {
        TSkinData d(nullptr);
        d.SkinControls = SetBit(xcMenuItem) | SetBit(xcSystemMenu) | SetBit(xcEdit);
        d.AfterLoading();
        EXPECT_EQ(d.SkinControls, SetBit(xcMenuItem) | SetBit(xcEdit))
            << "without the main menu the system menu goes";
    }
    {
        TSkinData d(nullptr);
        d.SkinControls = SetBit(xcMainMenu) | SetBit(xcMenuItem) | SetBit(xcSystemMenu);
        d.AfterLoading();
        EXPECT_EQ(d.SkinControls, SetBit(xcMainMenu) | SetBit(xcSystemMenu));
    }
    {
        skin::SkinPlatform().GetScrollBarInfo = nullptr;
        TSkinData d(nullptr);
        d.AfterLoading();
        EXPECT_FALSE(InSet(d.SkinControls, xcScrollbar));
        SCROLLBARINFO info{};
        EXPECT_FALSE(skin::SkinScrollBarInfo(GetDesktopWindow(), OBJID_VSCROLL, info));
    }
    {
        // A component for one form only registers, enables and counts itself, and stops.
        skin::SkinPlatform() = savedPlatform;
        TSkinData d(nullptr);
        d.SetName("Only");
        d.SkinFormtype = sfOnlyThisForm;
        d.SkinControls = SetBit(xcMenuItem) | SetBit(xcSystemMenu);
        d.SetActive(true);
        manager->calls.clear();
        d.AfterLoading();
        EXPECT_EQ(d.SkinControls, SetBit(xcMenuItem) | SetBit(xcSystemMenu));
        EXPECT_EQ(Calls(), (std::vector<std::string>{"Register Only", "Enabled", "ActiveCount 1"}));
    }
}

TEST_F(SkinDataTest, OlderSkinTurnsActiveOffForGood) {
    TComponent holder(nullptr);
    auto* d = new TSkinData(&holder);
    d->SetName("SkinData1");
    d->SetLoading(true); // as while the form reader sets the properties
    d->SetActive(true);
    d->ReadSkinStream(SmallSkin().StreamValue(skin::kSkinArchiveVersion - 1));
    d->SetLoading(false);
    EXPECT_EQ(messages, std::vector<std::string>{skin::kOlderSkinMessage});
    EXPECT_TRUE(d->SkinNotLoaded);
    EXPECT_FALSE(d->MenuItem) << "nothing of the refused store is used";
    EXPECT_TRUE(d->Active());
    d->Loaded();
    EXPECT_FALSE(d->Active());
    d->SetActive(true);
    EXPECT_TRUE(d->Active());
    for (const std::string& call : Calls()) EXPECT_EQ(call.rfind("Post", 0), std::string::npos);
}

TEST_F(SkinDataTest, ActiveSwitchesSkinningThroughTheManager) {
    TSkinData d(nullptr);
    d.SetName("Main");
    d.ReadSkinStream(SmallSkin().StreamValue());
    d.AfterLoading(); // creates the manager
    ASSERT_TRUE(manager);
    manager->calls.clear();
    d.SetActive(true);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Changing Main", "Post 1 250", "ActiveCount 1"}));
    manager->calls.clear();
    d.SetActive(true);
    EXPECT_TRUE(Calls().empty()) << "the same value does nothing";
    d.SetActive(false);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Changing Main", "Post 2 250"}));

    manager->calls.clear();
    d.SetLoading(true);
    d.SetActive(true);
    d.SetLoading(false);
    EXPECT_TRUE(Calls().empty()) << "stored only while the description is read";

    d.SetActive(false);
    d.SkinFormtype = sfOnlyThisForm;
    manager->calls.clear();
    d.SetActive(true);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Changing Main", "Post 1 250"}));
    d.SkinNotLoaded = true;
    d.SetActive(false);
    manager->calls.clear();
    d.SetActive(true);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Changing Main"}));

    d.SkinFormtype = sfDialog;
    manager->calls.clear();
    d.SetActive(false);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(SkinDataTest, SkinFileLoadsAFileAndRefreshes) {
    TempDir dir;
    const auto store = SmallSkin("From a file").Store();
    const std::string path = dir.Write("small.skn", std::string(store.begin(), store.end()));
    TSkinData d(nullptr);
    d.SetName("Main");
    d.SetSkinFile(path);
    EXPECT_FALSE(d.SkinNotLoaded);
    EXPECT_EQ(d.SkinName, "From a file");
    EXPECT_EQ(d.Store, store);
    // No manager yet: refresh runs the after-loading step, which creates it.
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"Register Main", "Hook", "Changing Main", "Reload"}));
    manager->activeCount = 1;
    manager->calls.clear();
    d.Refresh();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Changing Main", "Reload", "Post 3 250"}));

    // A missing file keeps the elements but leaves nothing loaded to switch on.
    manager->calls.clear();
    d.SetSkinFile(dir.Path() + "missing.skn");
    EXPECT_EQ(d.SkinFile(), dir.Path() + "missing.skn");
    EXPECT_TRUE(d.SkinNotLoaded);
    EXPECT_TRUE(d.MenuItem);
    EXPECT_EQ(d.SkinName, "From a file");
    d.SetActive(true);
    EXPECT_TRUE(Calls().empty());

    // At design time a file name empties the store instead.
    d.SetDesigning(true);
    d.SetSkinFile(path);
    EXPECT_TRUE(d.Store.empty());
}

TEST_F(SkinDataTest, FormSkinQuestion) {
    TSkinData d(nullptr);
    HWND w = reinterpret_cast<HWND>(0x1234);
    bool doSkin = true;
    d.AskFormSkin(w, "SysMonthCal32", doSkin);
    EXPECT_FALSE(doSkin);
    EXPECT_EQ(d.FormSkinWindow, w);
    doSkin = true;
    d.AskFormSkin(w, "TfrPreviewForm", doSkin);
    EXPECT_TRUE(doSkin) << "report windows are skinned unless xcFastReport is set";
    d.SkinControls |= SetBit(xcFastReport);
    d.AskFormSkin(w, "TfrPreviewForm", doSkin);
    EXPECT_FALSE(doSkin);
    doSkin = false;
    d.AskFormSkin(w, "TForm2", doSkin);
    EXPECT_FALSE(doSkin) << "the answer so far stands";

    std::vector<std::string> asked;
    d.OnFormSkin = [&](TObject* sender, const std::string& name, bool& skin) {
        EXPECT_EQ(sender, &d);
        asked.push_back(name);
        skin = true;
    };
    doSkin = false;
    d.AskFormSkin(nullptr, "SysMonthCal32", doSkin);
    EXPECT_TRUE(doSkin) << "a handler alone decides";
    EXPECT_EQ(asked, std::vector<std::string>{"SysMonthCal32"});
    EXPECT_EQ(d.FormSkinWindow, nullptr);
}

void ExpectRows(TBitmap& bitmap, const std::vector<std::string>& rows,
                const std::map<char, skin::TColor>& colours) {
    ASSERT_EQ(bitmap.Height(), static_cast<int>(rows.size()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        ASSERT_EQ(bitmap.Width(), static_cast<int>(rows[y].size()));
        std::string got;
        for (int x = 0; x < bitmap.Width(); ++x) {
            char c = '?';
            for (const auto& [ch, colour] : colours)
                if (skin::TSkinImageOps<TBitmap>::Pixel(bitmap, x, y) == colour) c = ch;
            got += c;
        }
        EXPECT_EQ(got, rows[y]) << "row " << y;
    }
}

TEST_F(SkinDataTest, BuiltInTracksAndMenuGlyphsComeFromTheProgramsBitmaps) {
    TSkinData d(nullptr);
    d.ReadSkinStream(SmallSkin().StreamValue());
    ASSERT_TRUE(d.Track && d.TrackVert);
    EXPECT_EQ(d.Track->Name, "TRACK");
    EXPECT_EQ(d.Track->Margins, (skin::TSkinMargins{3, 3, 3, 3}));
    EXPECT_EQ(d.Track->FrameCount, 1);
    const std::map<char, skin::TColor> track = {{'S', RGBColor(192, 192, 192)},
                                                {'G', RGBColor(128, 128, 128)},
                                                {'L', RGBColor(255, 255, 255)}};
    ExpectRows(*d.Track->Bitmap,
               {"SSGGGGGGGGGGGGLL", "SSLLLLLLLLLLLLLL", "GSLLLLLLLLLLLLLL", "SSLLLLLLLLLLLLLL"},
               track);
    std::vector<std::string> vertical = {"SSGS", "SSSS"};
    for (int i = 0; i < 12; ++i) vertical.push_back("GLLL");
    vertical.insert(vertical.end(), {"LLLL", "LLLL"});
    ExpectRows(*d.TrackVert->Bitmap, vertical, track);

    // Each glyph drawn from the image list over green: black stays, white is masked out.
    ASSERT_TRUE(d.MenuGlyphs);
    EXPECT_EQ(ImageList_GetImageCount(d.MenuGlyphs.get()), 4);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(d.MenuGlyphs.get(), &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    TBitmap canvas(64, 16);
    UniqueBrush green(CreateSolidBrush(RGB(0, 255, 0)));
    RECT all{0, 0, 64, 16};
    FillRect(canvas.Canvas().Handle(), &all, green.get());
    for (int i = 0; i < 4; ++i)
        ImageList_Draw(d.MenuGlyphs.get(), i, canvas.Canvas().Handle(), 16 * i, 0, ILD_NORMAL);
    const std::string blank = "................";
    const std::vector<std::string> rows = {
        blank + blank + blank + blank,
        blank + blank + blank + blank,
        blank + blank + blank + blank,
        blank + "...##########..." + blank + blank,
        ".....########......##########..." + blank + "...##.....##....",
        ".....########......#........#..." + blank + "...###...###....",
        ".....#......#......#........#..." + blank + "....###.###.....",
        "...########.#......#........#........#######.........#####......",
        "...########.#......#........#........#######..........###.......",
        "...#......###......#........#..." + blank + ".....#####......",
        "...#......#........#........#..." + blank + "....###.###.....",
        "...#......#........#........#..." + blank + "...###...###....",
        "...########........##########..." + blank + "...##.....##....",
        blank + blank + blank + blank,
        blank + blank + blank + blank,
        blank + blank + blank + blank};
    ExpectRows(canvas, rows, {{'#', RGBColor(0, 0, 0)}, {'.', RGBColor(0, 255, 0)}});
}

TEST_F(SkinDataTest, ElementBitmapsMatchThePortableLoader) {
    const SkinBuilder product = ProductSkin();
    const auto store = product.Store();
    TSkinData d(nullptr);
    d.Store = store;
    ASSERT_TRUE(d.LoadSkin());
    skin::TSkinElements portable;
    ASSERT_TRUE(portable.LoadSkinStore(store));
    auto same = [](const TBitmap* b, const TPixelImage* p) {
        return skin::PixelsOf(*b) == skin::TSkinImageOps<TPixelImage>::Pixels(*p);
    };
    EXPECT_TRUE(same(d.FrameTop->Bitmap.get(), portable.FrameTop->Bitmap.get()));
    EXPECT_TRUE(same(d.Button->Bitmap.get(), portable.Button->Bitmap.get()));
    EXPECT_TRUE(same(d.Toolbar->Bitmap.get(), portable.Toolbar->Bitmap.get()));
    ASSERT_TRUE(d.ComboxArrow && portable.ComboxArrow);
    EXPECT_TRUE(same(d.ComboxArrow->Bitmap.get(), portable.ComboxArrow->Bitmap.get()));
    if (portable.ComboButton) {
        ASSERT_TRUE(d.ComboButton);
        EXPECT_TRUE(same(d.ComboButton->Bitmap.get(), portable.ComboButton->Bitmap.get()));
        EXPECT_TRUE(same(d.ComboButton->Bitmap2.get(), portable.ComboButton->Bitmap2.get()));
    }
    EXPECT_EQ(d.TitleColor, portable.TitleColor);
    ASSERT_EQ(d.SysButtons.size(), portable.SysButtons.size());
    for (size_t i = 0; i < d.SysButtons.size(); ++i)
        EXPECT_EQ(d.SysButtons[i]->FrameCount, portable.SysButtons[i]->FrameCount);
    // The face brush follows the skin's button face colour.
    ASSERT_TRUE(d.FaceBrush);
    LOGBRUSH lb{};
    GetObjectW(d.FaceBrush.get(), sizeof(lb), &lb);
    EXPECT_EQ(lb.lbColor, ::ColorToRGB(d.ButtonFaceColor));
}

TEST_F(SkinDataTest, CaptionFontAndApplicationIcon) {
    TForm form(nullptr);
    form.HandleNeeded();
    HICON icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    SendMessageW(form.Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    auto* d = new TSkinData(&form);
    d->ReadCaptionFont();
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = 340;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
    ASSERT_TRUE(d->CaptionFont);
    EXPECT_EQ(d->CaptionFont->Name(), metrics.lfCaptionFont.lfFaceName);
    EXPECT_EQ(d->CaptionFont->Height(), metrics.lfCaptionFont.lfHeight);

    EXPECT_TRUE(d->AppIcon->Empty());
    d->CaptureAppIcon();
    ASSERT_EQ(d->AppIcon->Width(), GetSystemMetrics(SM_CXSMICON));
    ASSERT_EQ(d->AppIcon->Height(), GetSystemMetrics(SM_CYSMICON));
    EXPECT_TRUE(d->AppIconTransparent);
    EXPECT_EQ(d->AppIconTransparentColor, clFuchsia);
    const TPixelImage pixels = skin::PixelsOf(*d->AppIcon);
    int magenta = 0;
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x) magenta += pixels.Pixel(x, y) == skin::kMagenta;
    EXPECT_GT(magenta, 0) << "the icon's transparent parts show the key colour";
    EXPECT_LT(magenta, pixels.Width() * pixels.Height()) << "the icon is drawn";
}

TEST_F(SkinDataTest, SharedTextRoutinesOnBothPlatformFamilies) {
    const std::wstring chinese = L"\u7B2C\u4E00\u6B65"; // 第一步
    UniqueWindow w(CreateWindowExW(0, L"STATIC", chinese.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, nullptr, nullptr));
    ASSERT_TRUE(w);
    EXPECT_EQ(skin::SkinWindowTextW(w.get()), chinese);
    EXPECT_EQ(skin::SkinWindowTextA(w.get()), Narrow(chinese));
    EXPECT_EQ(skin::SkinWiden(Narrow(chinese)), Widen(Narrow(chinese)));
    if (GetACP() == 936) {
        EXPECT_EQ(skin::SkinWindowTextA(w.get()), "\xB5\xDA\xD2\xBB\xB2\xBD");
        EXPECT_EQ(skin::SkinWiden("\xB5\xDA\xD2\xBB\xB2\xBD"), chinese);
    }

    // Long texts: the NT family reads all of it, the 8-bit message at most 999 characters.
    const std::wstring longText(1500, L'x');
    SetWindowTextW(w.get(), longText.c_str());
    EXPECT_EQ(skin::SkinWindowTextW(w.get()).size(), 1500u);
    EXPECT_EQ(skin::SkinWindowTextA(w.get()).size(), 999u);

    WindowDc screen(nullptr);
    UniqueMemDc dc(CreateCompatibleDC(screen.get()));
    RECT nt{0, 0, 0, 0};
    const int ntHeight = skin::SkinDrawText(dc.get(), chinese, nt, DT_CALCRECT | DT_SINGLELINE);

    skin::SkinPlatform().IsNT = false;
    EXPECT_EQ(skin::SkinWindowTextW(w.get()).size(), 999u);
    SetWindowTextW(w.get(), chinese.c_str());
    EXPECT_EQ(skin::SkinWindowTextW(w.get()), chinese);
    RECT older{0, 0, 0, 0};
    EXPECT_EQ(skin::SkinDrawText(dc.get(), chinese, older, DT_CALCRECT | DT_SINGLELINE), ntHeight);
    EXPECT_GT(ntHeight, 0);
    EXPECT_EQ(older.right, nt.right) << "the same text measured through the 8-bit path";
}

TEST_F(SkinDataTest, RunTimeEntriesAreUsedWhenPresentAndSkippedWhenMissing) {
    UniqueWindow list(CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | WS_VSCROLL | WS_VISIBLE, 0, 0,
                                      100, 100, nullptr, nullptr, nullptr, nullptr));
    UniqueWindow combo(CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWN, 0, 0, 100, 100,
                                       nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(list && combo);
    SCROLLBARINFO sbi{};
    EXPECT_TRUE(skin::SkinScrollBarInfo(list.get(), OBJID_VSCROLL, sbi));
    EXPECT_EQ(sbi.cbSize, sizeof(sbi));
    COMBOBOXINFO cbi{};
    EXPECT_TRUE(skin::SkinComboBoxInfo(combo.get(), cbi));
    EXPECT_TRUE(cbi.hwndList);

    skin::SkinPlatform().GetScrollBarInfo = nullptr;
    skin::SkinPlatform().GetComboBoxInfo = nullptr;
    EXPECT_FALSE(skin::SkinScrollBarInfo(list.get(), OBJID_VSCROLL, sbi));
    EXPECT_FALSE(skin::SkinComboBoxInfo(combo.get(), cbi));

    skin::SkinPlatform() = savedPlatform;
}

int gMouseLeaves = 0;
LRESULT CALLBACK CountMouseLeaves(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MOUSELEAVE) ++gMouseLeaves;
    return DefWindowProcW(w, msg, wp, lp);
}

TEST_F(SkinDataTest, MouseLeaveTrackingOnlyWithTheRunTimeEntry) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountMouseLeaves;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SkinDataMouseLeave";
    RegisterClassW(&wc);
    UniqueWindow w(CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0,
                                   0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(w);
    auto leaveAfterTracking = [&] {
        SetCursorPos(50, 50);
        PumpFor(100);
        gMouseLeaves = 0;
        skin::SkinTrackMouseLeave(w.get());
        SetCursorPos(700, 700);
        return PumpUntil([] { return gMouseLeaves > 0; }, 1500);
    };
    skin::SkinPlatform().TrackMouseEvent = nullptr;
    EXPECT_FALSE(leaveAfterTracking());
    skin::SkinPlatform() = savedPlatform;
    EXPECT_TRUE(leaveAfterTracking());
    EXPECT_EQ(gMouseLeaves, 1);
    w.reset();
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

TEST_F(SkinDataTest, NoGdiOrUserObjectsLeakAcrossLoads) {
    const std::string product = ProductSkin().StreamValue();
    const std::string small = SmallSkin().StreamValue();
    {
        // The first load creates what lives as long as the component and the process.
        TSkinData d(nullptr);
        d.ReadSkinStream(product);
        d.AfterLoading();
    }
    const GuiCounts before = CurrentGuiCounts();
    {
        TSkinData d(nullptr);
        for (int i = 0; i < 100; ++i) d.ReadSkinStream(i % 2 ? small : product);
        EXPECT_FALSE(d.SkinNotLoaded);
        d.AfterLoading();
    }
    for (int i = 0; i < 10; ++i) {
        TSkinData d(nullptr);
        d.ReadSkinStream(product);
        d.AfterLoading();
        d.CaptureAppIcon();
    }
    const GuiCounts after = CurrentGuiCounts();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
}

} // namespace
