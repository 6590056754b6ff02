#pragma once
// Definitions of TSkinElementsT. Included only by the files that instantiate it for an image
// type (skin_elements.cpp for TPixelImage, skin_data.cpp for TBitmap).
#include "skin/data/skin_elements.h"
#include "skin/data/skin_values.h"

#include <algorithm>

namespace skin {

namespace elements_detail {

inline constexpr const char* kPersonality = "Personality";
inline constexpr const char* kButtons = "Buttons";

} // namespace elements_detail

template <class Image> TSkinElementsT<Image>::TSkinElementsT() {
    FrameLeft = std::make_unique<Border>("Left");
    FrameRight = std::make_unique<Border>("Right");
    FrameTop = std::make_unique<Border>("Top");
    FrameBottom = std::make_unique<Border>("Bottom");
    Title = std::make_unique<TitleElement>("Title");
    Button = std::make_unique<ButtonElement>("Buttons");
    // Until a skin says otherwise the colours are the system's.
    LoadColours(TQuickIni{});
    TitleColor = ButtonFaceColor;
}

template <class Image> TSkinElementsT<Image>::~TSkinElementsT() = default;

template <class Image>
bool TSkinElementsT<Image>::LoadSkinStore(std::span<const std::uint8_t> store) {
    SkinNotLoaded = true;
    TSkinReader reader;
    if (!reader.Open(store)) return false;
    std::vector<std::uint8_t> text;
    std::string name;
    reader.FindEntryContaining(".ini", text, name);
    TQuickIni ini;
    ini.Load(std::span<const std::uint8_t>(text));
    ApplyDescription(ini, reader);
    return true;
}

template <class Image>
void TSkinElementsT<Image>::ApplyDescription(const TQuickIni& ini, const TSkinReader& reader) {
    SkinNotLoaded = true;
    ++Generation;
    const TSkinSource s{ini, reader};
    SkinName = ini.ReadString("TitlebarSkin", "SkinName", "");
    LoadFrameBorders(s);
    // Colours come before the elements: their second colours default to the button text.
    LoadColours(ini);
    LoadSysButtons(s);
    LoadButtons(s);
    LoadTitle(s);

    LoadProgress(s, Progress);
    LoadImageElement(s, ProgressChunk, "Progress.Chunk");
    LoadMenuBar(s, MenuBar);
    LoadImageElement(s, GroupBoxEdge, "GroupBoxEdge");
    LoadBoxLabel(s, GroupBox, "GroupBox");
    LoadTwoImageElement(s, Tab, "Tabs", "Border");
    LoadImageElement(s, StatusBarEdges, "StatusBarEdges");
    LoadImageElement(s, TabPane, "Tab.Pane");
    ClampTabPane();
    LoadImageElement(s, ToolBars, "ToolBars");
    // Descriptions carry no "****": the combo button's second image is its mirror image.
    LoadTwoImageElement(s, ComboButton, "ComboButton", "****");
    LoadImageElement(s, SunkEdge, "SunkEdge");
    MirrorComboButton();
    LoadImageElement(s, ExtraImages, "ExtraImages");
    LoadImageElement(s, Headerbar, "Headerbar");
    LoadImageElement(s, MenuItem, "MenuItem");
    LoadImageElement(s, MenuBackground, "MenuBackground");
    LoadImageElement(s, Scrollbar, "Scrollbar");
    LoadImageElement(s, HorzScroll, "HorzScroll");
    LoadImageElement(s, VertScroll, "VertScroll");
    LoadImageElement(s, HorzScrollThumb, "HorzScrollThumb");
    LoadImageElement(s, VertScrollThumb, "VertScrollThumb");
    LoadImageElement(s, TrackbarThumbHorz, "Trackbar.ThumbHorz");
    LoadImageElement(s, TrackbarThumbVert, "Trackbar.ThumbVert");
    LoadImageElement(s, TrackbarThumbLeft, "Trackbar.ThumbLeft");
    LoadImageElement(s, TrackbarThumbRight, "Trackbar.ThumbRight");
    LoadImageElement(s, TrackbarThumbUp, "Trackbar.ThumbUp");
    LoadImageElement(s, TrackbarThumbDown, "Trackbar.ThumbDown");
    LoadTwoImageElement(s, UpDownHorz, "UpDown.Horz", "GlyphImage");
    LoadTwoImageElement(s, UpDownVert, "UpDown.Vert", "GlyphImage");
    LoadImageElement(s, Track, "Track");
    LoadImageElement(s, TrackVert, "TRACKVERT");
    UseBuiltInTracks();

    FixFrameCounts(ini);
    BuildComboImages();
    BuildComboxArrow();
    BuildToolbar();
    TitleColor = SampleTitleColour();
    SkinColoursApplied();
    ++Generation;
    SkinNotLoaded = false;
}

template <class Image>
void TSkinElementsT<Image>::ReadImageInto(Image& target, const TSkinSource& s,
                                          std::string_view section, std::string_view key) {
    Ops::Assign(target, ReadImage(s.Ini, s.Reader, section, key));
}

template <class Image>
void TSkinElementsT<Image>::ReadImageKeys(const TSkinSource& s, Object& e, std::string_view section,
                                          bool frame) {
    const TQuickIni& ini = s.Ini;
    e.Style = ini.ReadInteger(section, "Style", 0);
    e.Margins.Left = ini.ReadInteger(section, "LeftWidth", 0);
    e.Margins.Right = ini.ReadInteger(section, "RightWidth", 0);
    e.Margins.Top = ini.ReadInteger(section, "TopHeight", 0);
    e.Margins.Bottom = ini.ReadInteger(section, "BottomHeight", 0);
    if (frame) e.FrameCount = ini.ReadInteger(section, "Frame", 0);
    e.Trans = ini.ReadInteger(section, "Trans", 0);
    e.Tile = ini.ReadInteger(section, "Tile", 0);
    e.NormalColour = ini.ReadInteger(section, "NormalColour", -1);
    e.MouseOverColour = ini.ReadInteger(section, "MouseOverColour", -1);
    e.PressedColour = ini.ReadInteger(section, "PressedColour", -1);
    e.NormalColour2 = ReadColourTriple(ini, section, "NormalColour2", ButtonTextColor);
    e.MouseOverColour2 = ReadColourTriple(ini, section, "MouseOverColour2", ButtonTextColor);
    e.PressedColour2 = ReadColourTriple(ini, section, "PressedColour2", ButtonTextColor);
    if (e.Tile > 1) e.Tile = 0;
}

template <class Image>
void TSkinElementsT<Image>::LoadImageElement(const TSkinSource& s, std::unique_ptr<Object>& field,
                                             std::string_view section) {
    field.reset();
    std::string image = s.Ini.ReadString(section, "Image", "");
    if (image.empty()) return;
    auto e = std::make_unique<Object>(std::string(section));
    Ops::Assign(*e->Bitmap, LoadImageReference(s.Reader, image));
    ReadImageKeys(s, *e, section, true);
    field = std::move(e);
}

template <class Image>
void TSkinElementsT<Image>::LoadTwoImageElement(const TSkinSource& s,
                                                std::unique_ptr<Border>& field,
                                                std::string_view section,
                                                std::string_view secondKey) {
    field.reset();
    std::string image = s.Ini.ReadString(section, "Image", "");
    if (image.empty()) return;
    auto e = std::make_unique<Border>(std::string(section));
    Ops::Assign(*e->Bitmap, LoadImageReference(s.Reader, image));
    std::string second = s.Ini.ReadString(section, secondKey, "");
    if (!second.empty()) Ops::Assign(*e->Bitmap2, LoadImageReference(s.Reader, second));
    ReadImageKeys(s, *e, section, false);
    field = std::move(e);
}

template <class Image>
void TSkinElementsT<Image>::LoadProgress(const TSkinSource& s, std::unique_ptr<Border>& field) {
    field.reset();
    const char* section = "Progress";
    std::string image = s.Ini.ReadString(section, "Bitmap", "");
    if (image.empty()) return;
    auto e = std::make_unique<Border>(section);
    Ops::Assign(*e->Bitmap, LoadImageReference(s.Reader, image));
    const TQuickIni& ini = s.Ini;
    e->Style = ini.ReadInteger(section, "Style", 0);
    e->Margins.Left = ini.ReadInteger(section, "LeftWidth", 0);
    e->Margins.Right = ini.ReadInteger(section, "RightWidth", 0);
    e->Margins.Top = ini.ReadInteger(section, "TopHeight", 0);
    e->Margins.Bottom = ini.ReadInteger(section, "BottomHeight", 0);
    e->Trans = ini.ReadInteger(section, "Trans", 0);
    e->Tile = ini.ReadInteger(section, "Tile", 0);
    // Unlike the image sections, an out-of-range tiling mode tiles here.
    if (e->Tile > 1) e->Tile = 1;
    field = std::move(e);
}

template <class Image>
void TSkinElementsT<Image>::LoadBoxLabel(const TSkinSource& s, std::unique_ptr<BoxLabel>& field,
                                         std::string_view section) {
    field.reset();
    std::string image = s.Ini.ReadString(section, "Image", "");
    if (image.empty()) return;
    auto e = std::make_unique<BoxLabel>(std::string(section));
    Ops::Assign(*e->Bitmap, LoadImageReference(s.Reader, image));
    ReadImageKeys(s, *e, section, false);
    e->BackgroundAlignment = s.Ini.ReadInteger(section, "BackgroundAlignment", 0);
    e->BackgroundLeftShift = s.Ini.ReadInteger(section, "BackgroundLeftShift", 0);
    e->BackgroundRightShift = s.Ini.ReadInteger(section, "BackgroundRightShift", 0);
    field = std::move(e);
}

template <class Image>
void TSkinElementsT<Image>::LoadMenuBar(const TSkinSource& s, std::unique_ptr<Object>& field) {
    using elements_detail::kPersonality;
    field.reset();
    std::string image = s.Ini.ReadString(kPersonality, "menuBar", "");
    if (image.empty()) return;
    auto e = std::make_unique<Object>(kPersonality);
    Ops::Assign(*e->Bitmap, LoadImageReference(s.Reader, image));
    e->Margins.Top = e->Margins.Bottom = 0;
    e->Tile = s.Ini.ReadInteger(kPersonality, "TileMenu", 1);
    e->Margins.Left = s.Ini.ReadInteger(kPersonality, "TileLeftMenu", 1);
    e->Margins.Right = s.Ini.ReadInteger(kPersonality, "TileRightMenu", 1);
    if (e->Tile > 1) e->Tile = 1;
    field = std::move(e);
}

template <class Image> void TSkinElementsT<Image>::LoadFrameBorders(const TSkinSource& s) {
    using elements_detail::kPersonality;
    Border* borders[] = {FrameLeft.get(), FrameRight.get(), FrameTop.get(), FrameBottom.get()};
    for (int i = 0; i < 4; ++i) {
        Border& e = *borders[i];
        const std::string& b = e.Name;
        const std::int32_t start = s.Ini.ReadInteger(kPersonality, b + "TopHeight", 0);
        const std::int32_t end = s.Ini.ReadInteger(kPersonality, b + "BotHeight", 0);
        if (i < 2) // the side borders run down, the top and bottom ones across
            e.Margins = {0, start, 0, end};
        else
            e.Margins = {start, 0, end, 0};
        e.FrameCount = s.Ini.ReadInteger(kPersonality, b + "Frame", 1);
        e.Tile = s.Ini.ReadInteger(kPersonality, b + "Stretch", 1);
        e.Trans = s.Ini.ReadInteger(kPersonality, b + "Trans", 1);
        ReadImageInto(*e.Bitmap, s, kPersonality, b);
        if (e.Tile > 1) e.Tile = 1;
    }
}

template <class Image> void TSkinElementsT<Image>::LoadColours(const TQuickIni& ini) {
    const TSkinColours c = ReadSkinColours(ini);
    WindowTextColor = c.WindowText;
    TitleTextActiveColor = c.TitleTextActive;
    TitleTextNoActiveColor = c.TitleTextNoActive;
    ButtonFaceColor = c.ButtonFace;
    ButtonTextColor = c.ButtonText;
    ButtonHilightColor = c.ButtonHilight;
    ButtonLightColor = c.ButtonLight;
    ButtonShadowColor = c.ButtonShadow;
    ButtonDkShadowColor = c.ButtonDkShadow;
    HilightTextColor = c.HilightText;
    HilightColor = c.Hilight;
    MenubarColor = c.Menubar;
    MenuBarTextColor = c.MenuBarText;
    MenuTextColor = c.MenuText;
    MenuColor = c.Menu;
    ScrollbarColor = c.Scrollbar;
    IndexedColors = ReadIndexedColours(ini);
    CustomColors = ReadCustomColours(ini);
}

template <class Image> void TSkinElementsT<Image>::LoadSysButtons(const TSkinSource& s) {
    const TQuickIni& ini = s.Ini;
    SysButtons.clear();
    std::vector<std::string> kept;
    for (const std::string& name : TitleButtonSections(ini)) {
        // A hidden button without an action draws nothing and is left out.
        if (ini.ReadInteger(name, "Action", 0) == -1 &&
            ini.ReadInteger(name, "Visibility", -1) != 0)
            continue;
        kept.push_back(name);
    }
    SysButtons.reserve(kept.size() + 3);
    for (const std::string& name : kept) {
        auto b = std::make_unique<SysButton>(UpperAscii(name));
        b->Action = ini.ReadInteger(name, "Action", 0);
        b->Align = ini.ReadInteger(name, "Align", 0);
        b->XCoord = ini.ReadInteger(name, "Xcoord", 0);
        b->YCoord = ini.ReadInteger(name, "Ycoord", 0);
        b->Visibility = ini.ReadInteger(name, "Visibility", 0);
        b->Visibility1 = ini.ReadInteger(name, "Visibility1", b->Action == -1 ? -1 : 0);
        b->CombineOp = ini.ReadInteger(name, "CombineOp", -1);
        b->FrameCount = ini.ReadInteger(name, "frame", 0);
        ReadImageInto(*b->Bitmap, s, name, "ButtonImage");
        if (b->FrameCount == 0) {
            b->FrameCount = 6;
            const int w = Ops::Width(*b->Bitmap), h = Ops::Height(*b->Bitmap);
            if (w > 0 && h > 0) b->FrameCount = DefaultSysButtonFrames(w, h);
            if (b->Action < 0) b->FrameCount = 6;
            // Actions 3 and 11 are drawn by the title bar itself unless frames are given.
            if (b->Action == 3 || b->Action == 11) Ops::Assign(*b->Bitmap, TPixelImage{});
        }
        SysButtons.push_back(std::move(b));
    }
    // The minimise, restore and close buttons of a maximised child window, on the menu bar.
    const std::size_t c = SysButtons.size();
    for (int action : {7, 8, 9}) {
        auto b = std::make_unique<SysButton>("MDICONTROLS");
        b->Action = action;
        b->Align = b->Visibility = b->Visibility1 = 100;
        b->FrameCount = 4;
        SysButtons.push_back(std::move(b));
    }
    const TPixelImage strip = ReadImage(ini, s.Reader, "MDICONTROLS", "Image");
    if (!strip.Empty()) {
        const int a = strip.Width() / 12, h = strip.Height();
        for (int i = 0; i < 3; ++i) {
            SysButton& b = *SysButtons[c + i];
            Ops::Assign(*b.Bitmap, strip.Copy(4 * a * i, 0, 4 * a, h));
            b.XCoord = (a + 4) * (3 - i);
        }
    }
}

template <class Image> void TSkinElementsT<Image>::LoadButtons(const TSkinSource& s) {
    using elements_detail::kButtons;
    const TQuickIni& ini = s.Ini;
    ButtonElement& e = *Button;
    e.Margins.Left = ini.ReadInteger(kButtons, "LeftWidth", 0);
    e.Margins.Top = ini.ReadInteger(kButtons, "TopHeight", 0);
    e.Margins.Right = ini.ReadInteger(kButtons, "RightWidth", 0);
    e.Margins.Bottom = ini.ReadInteger(kButtons, "BottomHeight", 0);
    e.Trans = ini.ReadInteger(kButtons, "Trans", 0);
    e.Tile = ini.ReadInteger(kButtons, "Tile", 0);
    ReadImageInto(*e.Bitmap, s, kButtons, "Bitmap");
    ReadImageInto(*e.CheckBitmap, s, kButtons, "CheckButton");
    ReadImageInto(*e.RadioBitmap, s, kButtons, "RadioButton");
    e.NormalColour = ini.ReadInteger(kButtons, "NormalColour", -1);
    e.MouseOverColour = ini.ReadInteger(kButtons, "MouseOverColour", -1);
    e.PressedColour = ini.ReadInteger(kButtons, "PressedColour", -1);
    e.RadioFrameCount = ini.ReadInteger(kButtons, "RadioButtonFrame", 0);
    e.CheckFrameCount = ini.ReadInteger(kButtons, "CheckButtonFrame", 0);
    if (e.Tile > 1) e.Tile = 0;
    e.HasNormalColour2 = HasValue(ini, kButtons, "NormalColour2");
    e.HasMouseOverColour2 = HasValue(ini, kButtons, "MouseOverColour2");
    e.HasPressedColour2 = HasValue(ini, kButtons, "PressedColour2");
    e.NormalColour2 = ReadColourTriple(ini, kButtons, "NormalColour2", ButtonTextColor);
    e.MouseOverColour2 = ReadColourTriple(ini, kButtons, "MouseOverColour2", ButtonTextColor);
    e.PressedColour2 = ReadColourTriple(ini, kButtons, "PressedColour2", ButtonTextColor);
}

template <class Image> void TSkinElementsT<Image>::LoadTitle(const TSkinSource& s) {
    using elements_detail::kPersonality;
    const TQuickIni& ini = s.Ini;
    TitleElement& e = *Title;
    ReadImageInto(*e.Bitmap, s, kPersonality, "TextBack");
    e.Margins = {ini.ReadInteger(kPersonality, "TextShift", 0),
                 ini.ReadInteger(kPersonality, "TextShiftVert", 0),
                 ini.ReadInteger(kPersonality, "TextRightClip", 0), 0};
    e.TextAlignment = ini.ReadInteger(kPersonality, "TextAlignment", 0);
    e.TextBackground = ini.ReadInteger(kPersonality, "Textbackground", 0);
    e.TextBackLeft = ini.ReadInteger(kPersonality, "TXTBackleft", 0);
    e.TextBackRight = ini.ReadInteger(kPersonality, "TXTBackRight", 0);
    e.FontHeight = ini.ReadInteger("Fonts", "FontHeight", 14);
    e.ActiveTextColour = ReadSplitColour(ini, kPersonality, "ActiveText", kNoTextColour);
    e.InactiveTextColour = ReadSplitColour(ini, kPersonality, "InActiveText", kNoTextColour);
}

template <class Image> void TSkinElementsT<Image>::ClampTabPane() {
    if (!TabPane) return;
    for (std::int32_t* m : {&TabPane->Margins.Left, &TabPane->Margins.Top, &TabPane->Margins.Right,
                            &TabPane->Margins.Bottom})
        if (*m > 4) *m = 4;
}

template <class Image> void TSkinElementsT<Image>::MirrorComboButton() {
    if (!ComboButton || Ops::Width(*ComboButton->Bitmap) <= 0 ||
        Ops::Height(*ComboButton->Bitmap) <= 0)
        return;
    TPixelImage mirrored = Ops::Pixels(*ComboButton->Bitmap);
    Mirror(mirrored);
    Ops::Assign(*ComboButton->Bitmap2, std::move(mirrored));
}

template <class Image> void TSkinElementsT<Image>::UseBuiltInTracks() {
    const std::pair<std::unique_ptr<Object>*, const char*> tracks[] = {{&Track, "TRACK"},
                                                                       {&TrackVert, "TRACKVERT"}};
    for (const auto& [field, name] : tracks) {
        if (*field) continue;
        auto e = std::make_unique<Object>(name);
        LoadBuiltInImage(name, *e->Bitmap);
        e->Margins = {3, 3, 3, 3};
        e->Tile = 0;
        e->FrameCount = 1;
        *field = std::move(e);
    }
}

template <class Image> void TSkinElementsT<Image>::FixFrameCounts(const TQuickIni& ini) {
    auto set = [](auto& field, std::int32_t frames) {
        if (field) field->FrameCount = frames;
    };
    Title->FrameCount = 2;
    ButtonElement& b = *Button;
    b.FrameCount = 5;
    if (b.RadioFrameCount == 0)
        b.RadioFrameCount =
            DefaultCheckFrames(Ops::Width(*b.RadioBitmap), Ops::Height(*b.RadioBitmap));
    if (b.CheckFrameCount == 0)
        b.CheckFrameCount =
            DefaultCheckFrames(Ops::Width(*b.CheckBitmap), Ops::Height(*b.CheckBitmap));
    set(MenuBar, 2);
    if (Progress) Progress->FrameCount = Progress->Style != 0 ? 1 : 2;
    set(GroupBoxEdge, 2);
    set(GroupBox, 1);
    // A tab strip is cut by the frames it says it has; most skins draw five.
    const std::int32_t tabFrames = ini.ReadInteger("Tabs", "Frame", 0);
    set(Tab, tabFrames > 0 ? tabFrames : 5);
    set(StatusBarEdges, 3);
    set(TabPane, 1);
    set(ToolBars, 5);
    set(ComboButton, 4);
    set(SunkEdge, 4);
    set(ExtraImages, 5);
    if (Headerbar && Headerbar->FrameCount == 0) Headerbar->FrameCount = 5;
    set(MenuItem, 5);
    set(MenuBackground, 1);
    set(Scrollbar, 23);
    set(HorzScroll, 4);
    set(VertScroll, 4);
    if (HorzScrollThumb)
        HorzScrollThumb->FrameCount = ini.ReadInteger("HorzScrollThumb", "FrameCount", 3);
    if (VertScrollThumb)
        VertScrollThumb->FrameCount = ini.ReadInteger("VertScrollThumb", "FrameCount", 3);
    for (auto* thumb : {&TrackbarThumbHorz, &TrackbarThumbVert, &TrackbarThumbLeft,
                        &TrackbarThumbRight, &TrackbarThumbUp, &TrackbarThumbDown})
        set(*thumb, 5);
    set(UpDownHorz, 8);
    set(UpDownVert, 8);
}

template <class Image> void TSkinElementsT<Image>::BuildComboImages() {
    if (!SunkEdge || !ComboButton) return;
    const int aw = ScrollArrowWidth() + 2;
    const TPixelImage sunk = Ops::Pixels(*SunkEdge->Bitmap);
    const TPixelImage button = Ops::Pixels(*ComboButton->Bitmap);
    TPixelImage extra;
    if (ExtraImages) extra = Ops::Pixels(*ExtraImages->Bitmap);
    TPixelImage strip =
        ComposeCombo({&sunk, SunkEdge->Margins, SunkEdge->FrameCount, SunkEdge->Trans != 0},
                     {&button, ComboButton->Margins, ComboButton->FrameCount, true},
                     {ExtraImages ? &extra : nullptr, TSkinMargins{},
                      ExtraImages ? ExtraImages->FrameCount : 1, true},
                     aw);
    ComboButton->Style = 2;
    ComboButton->Margins = SunkEdge->Margins;
    ComboButton->Margins.Left = 2;
    ComboButton->Margins.Right = aw + 2;
    Ops::Assign(*ComboButton->Bitmap, strip);
    Mirror(strip);
    Ops::Assign(*SunkEdge->Bitmap, std::move(strip));
    SunkEdge->Margins.Left = aw + 2;
    SunkEdge->Margins.Right = 2;
}

template <class Image>
TPixelImage TSkinElementsT<Image>::ComposeCombo(const TComboPart& sunkEdge,
                                                const TComboPart& comboButton,
                                                const TComboPart& extraImages, int arrowWidth) {
    return ComposeComboStrip(sunkEdge, comboButton, extraImages, arrowWidth);
}

template <class Image> void TSkinElementsT<Image>::BuildComboxArrow() {
    if (!ComboxArrow) ComboxArrow = std::make_unique<Object>("ComboxArrow");
    if (!ComboButton) return; // with only a sunk edge the arrow of an earlier skin stays
    if (!SunkEdge) {
        TPixelImage arrow = Ops::Pixels(*ComboButton->Bitmap);
        ReplaceMagenta(arrow, ButtonFaceColor);
        Ops::Assign(*ComboxArrow->Bitmap, std::move(arrow));
        ComboxArrow->FrameCount = ComboButton->FrameCount;
    } else if (ComboButton->Style == 2) {
        const int n = SunkEdge->FrameCount;
        Ops::Assign(*ComboxArrow->Bitmap, CutComboArrows(Ops::Pixels(*ComboButton->Bitmap), n));
        ComboxArrow->FrameCount = n;
    }
}

template <class Image> void TSkinElementsT<Image>::BuildToolbar() {
    if (!Toolbar) Toolbar = std::make_unique<Object>("Toolbar");
    Ops::Assign(*Toolbar->Bitmap, ToolbarGradient(ButtonFaceColor, SampleTitleColour()));
    Toolbar->FrameCount = 1;
}

template <class Image> TColor TSkinElementsT<Image>::SampleTitleColour() const {
    const int w = Ops::Width(*FrameTop->Bitmap), h = Ops::Height(*FrameTop->Bitmap);
    if (w <= 0 || h <= 0) return ButtonFaceColor;
    // A description may give 0 frames; the sample then comes from the whole image.
    const int frames = FrameTop->FrameCount > 0 ? FrameTop->FrameCount : 1;
    return Ops::Pixel(*FrameTop->Bitmap, w / 3, h / frames / 3);
}

} // namespace skin
