// Skin elements built from small skins packed with the skin tools: every loader, the title-bar
// button rules, the fix-ups and derived images, load order and reloading, and the program's
// built-in bitmaps.
#include "skin/data/skin_elements.h"

#include "skin/art/product_skin.h"
#include "skin_archive.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace skin;

TPixelImage Solid(int w, int h, TColor c) {
    TPixelImage image(w, h, 24);
    image.Fill(c);
    return image;
}

// One frame per colour, side by side, each `frameWidth` wide.
TPixelImage FrameStrip(int frameWidth, int h, const std::vector<TColor>& colours) {
    TPixelImage image(frameWidth * static_cast<int>(colours.size()), h, 24);
    for (size_t k = 0; k < colours.size(); ++k)
        image.FillRect(frameWidth * static_cast<int>(k), 0, frameWidth * static_cast<int>(k + 1), h,
                       colours[k]);
    return image;
}

// A description and a few bitmaps, packed into a skin store by the archive tools.
struct SkinBuilder {
    std::string ini;
    std::vector<skinpack::Entry> bitmaps;

    SkinBuilder& Ini(const std::string& text) {
        ini += text;
        return *this;
    }
    SkinBuilder& Bitmap(const std::string& name, const TPixelImage& image) {
        bitmaps.push_back({name, WriteBitmapFile(image)});
        return *this;
    }
    std::vector<std::uint8_t> Store(std::int32_t version = kSkinArchiveVersion) const {
        std::vector<skinpack::Entry> entries = bitmaps;
        entries.push_back({"test.ini", {ini.begin(), ini.end()}});
        skinpack::ArchiveOptions options;
        options.version = version;
        return skinpack::PackStore(skinpack::BuildArchive(entries, options));
    }
};

class TestElements : public TSkinElements {
public:
    int arrowWidth = 17;
    std::map<std::string, TPixelImage, std::less<>> builtIn;
    int coloursApplied = 0;

protected:
    bool LoadBuiltInImage(std::string_view name, TPixelImage& image) override {
        auto it = builtIn.find(name);
        if (it == builtIn.end()) return false;
        image = it->second;
        return true;
    }
    int ScrollArrowWidth() const override { return arrowWidth; }
    void SkinColoursApplied() override { ++coloursApplied; }
};

std::unique_ptr<TestElements> Load(const SkinBuilder& skin) {
    auto e = std::make_unique<TestElements>();
    EXPECT_TRUE(e->LoadSkinStore(skin.Store()));
    return e;
}

constexpr TColor kRed = RGBColor(255, 0, 0), kGreen = RGBColor(0, 255, 0),
                 kBlue = RGBColor(0, 0, 255), kYellow = RGBColor(255, 255, 0),
                 kCyan = RGBColor(0, 255, 255), kGrey = RGBColor(128, 128, 128);

// ---------------------------------------------------------------------------------------------

TEST(SkinElementLoad, ImageSectionsReadEveryKeyWithDefaultsAndClampTile) {
    SkinBuilder skin;
    skin.Bitmap("menu.bmp", Solid(50, 20, kRed))
        .Bitmap("chunk.bmp", Solid(12, 6, kBlue))
        .Ini("[Colours]\r\nButtonText=10 20 30\r\n"
             "[MenuItem]\r\nImage=C:\\skins\\Menu.bmp\r\nStyle=3\r\nLeftWidth=1\r\n"
             "RightWidth=2\r\nTopHeight=3\r\nBottomHeight=4\r\nFrame=9\r\nTrans=1\r\nTile=2\r\n"
             "NormalColour=0\r\nPressedColour2=200 100 50\r\n"
             "[Progress.Chunk]\r\nImage=chunk.bmp\r\nFrame=7\r\nTile=1\r\n"
             "[Headerbar]\r\nImage=chunk.bmp\r\n"
             "[MenuBackground]\r\nImage=missing.bmp\r\n"
             "[ExtraImages]\r\nImage=chunk.tga\r\n"
             "[HorzScroll]\r\nTile=1\r\nFrame=2\r\n");
    auto e = Load(skin);

    ASSERT_TRUE(e->MenuItem);
    const TSkinElements::Object& m = *e->MenuItem;
    EXPECT_EQ(m.Name, "MenuItem");
    EXPECT_EQ(m.Bitmap->Width(), 50); // the folder part is ignored, the name matched in any case
    EXPECT_EQ(m.Bitmap->Pixel(0, 0), kRed);
    EXPECT_EQ(m.Style, 3);
    EXPECT_EQ(m.Margins, (TSkinMargins{1, 3, 2, 4}));
    EXPECT_EQ(m.Trans, 1);
    EXPECT_EQ(m.Tile, 0) << "a tiling mode above 1 stretches";
    EXPECT_EQ(m.FrameCount, 5) << "menu items always have five frames";
    EXPECT_EQ(m.NormalColour, 0);
    EXPECT_EQ(m.MouseOverColour, -1);
    EXPECT_EQ(m.PressedColour, -1);
    // The colours are read before the elements, so the default is this skin's button text.
    EXPECT_EQ(m.NormalColour2, RGBColor(10, 20, 30));
    EXPECT_EQ(m.MouseOverColour2, RGBColor(10, 20, 30));
    EXPECT_EQ(m.PressedColour2, RGBColor(200, 100, 50));

    ASSERT_TRUE(e->ProgressChunk);
    EXPECT_EQ(e->ProgressChunk->FrameCount, 7) << "frames from the description";
    EXPECT_EQ(e->ProgressChunk->Tile, 1);
    ASSERT_TRUE(e->Headerbar);
    EXPECT_EQ(e->Headerbar->FrameCount, 5) << "a header bar without frames gets five";

    // A name the archive lacks, or that is not ".bmp", gives an element with an empty image.
    ASSERT_TRUE(e->MenuBackground);
    EXPECT_TRUE(e->MenuBackground->Bitmap->Empty());
    ASSERT_TRUE(e->ExtraImages);
    EXPECT_TRUE(e->ExtraImages->Bitmap->Empty());
    // Without an "Image" key there is no element at all.
    EXPECT_FALSE(e->HorzScroll);
    EXPECT_FALSE(e->Scrollbar);
}

TEST(SkinElementLoad, TwoImageProgressAndLabelSections) {
    SkinBuilder skin;
    skin.Bitmap("tabs.bmp", Solid(40, 20, kRed))
        .Bitmap("border.bmp", Solid(8, 4, kBlue))
        .Bitmap("spin.bmp", Solid(64, 10, kGreen))
        .Bitmap("glyph.bmp", Solid(32, 5, kYellow))
        .Bitmap("progress.bmp", Solid(20, 10, kCyan))
        .Bitmap("label.bmp", Solid(9, 9, kGrey))
        .Ini("[Tabs]\r\nImage=tabs.bmp\r\nBorder=border.bmp\r\nLeftWidth=3\r\nFrame=2\r\n"
             "[UpDown.Horz]\r\nImage=spin.bmp\r\nGlyphImage=glyph.bmp\r\nTile=7\r\n"
             "[UpDown.Vert]\r\nImage=spin.bmp\r\n"
             "[Progress]\r\nBitmap=progress.bmp\r\nTile=2\r\nLeftWidth=4\r\nTrans=1\r\n"
             "NormalColour=3\r\n"
             "[GroupBox]\r\nImage=label.bmp\r\nBackgroundAlignment=2\r\nBackgroundLeftShift=-3\r\n"
             "BackgroundRightShift=5\r\nTile=3\r\nMouseOverColour=1\r\n");
    auto e = Load(skin);

    ASSERT_TRUE(e->Tab);
    EXPECT_EQ(e->Tab->Name, "Tabs");
    EXPECT_EQ(e->Tab->Bitmap->Width(), 40);
    EXPECT_EQ(e->Tab->Bitmap2->Width(), 8);
    EXPECT_EQ(e->Tab->Margins.Left, 3);
    EXPECT_EQ(e->Tab->FrameCount, 2) << "the strip's own frame count";

    ASSERT_TRUE(e->UpDownHorz && e->UpDownVert);
    EXPECT_EQ(e->UpDownHorz->Bitmap2->Pixel(0, 0), kYellow);
    EXPECT_EQ(e->UpDownHorz->Tile, 0);
    EXPECT_TRUE(e->UpDownVert->Bitmap2->Empty());
    EXPECT_EQ(e->UpDownVert->FrameCount, 8);

    // "Progress" is keyed on "Bitmap", tiles out-of-range modes, and reads no colour keys.
    ASSERT_TRUE(e->Progress);
    EXPECT_EQ(e->Progress->Name, "Progress");
    EXPECT_EQ(e->Progress->Tile, 1);
    EXPECT_EQ(e->Progress->Margins.Left, 4);
    EXPECT_EQ(e->Progress->Trans, 1);
    EXPECT_EQ(e->Progress->NormalColour, 0);
    EXPECT_EQ(e->Progress->FrameCount, 2) << "style 0: two frames";

    ASSERT_TRUE(e->GroupBox);
    EXPECT_EQ(e->GroupBox->BackgroundAlignment, 2);
    EXPECT_EQ(e->GroupBox->BackgroundLeftShift, -3);
    EXPECT_EQ(e->GroupBox->BackgroundRightShift, 5);
    EXPECT_EQ(e->GroupBox->Tile, 0);
    EXPECT_EQ(e->GroupBox->MouseOverColour, 1);
    EXPECT_EQ(e->GroupBox->NormalColour, -1);
    EXPECT_EQ(e->GroupBox->FrameCount, 1);

    SkinBuilder styled;
    styled.Bitmap("progress.bmp", Solid(20, 10, kCyan))
        .Ini("[Progress]\r\nBitmap=progress.bmp\r\nStyle=1\r\n"
             "[Tabs]\r\nBorder=border.bmp\r\n");
    auto s = Load(styled);
    ASSERT_TRUE(s->Progress);
    EXPECT_EQ(s->Progress->FrameCount, 1) << "a styled progress bar has one frame";
    EXPECT_FALSE(s->Tab) << "a second image alone makes no element";

    SkinBuilder wrongKey;
    wrongKey.Ini("[Progress]\r\nImage=progress.bmp\r\n");
    EXPECT_FALSE(Load(wrongKey)->Progress);
}

TEST(SkinElementLoad, FrameBordersTitleAndMenuBar) {
    SkinBuilder skin;
    skin.Bitmap("frameleft.bmp", Solid(4, 30, kRed))
        .Bitmap("frametop.bmp", Solid(60, 12, kBlue))
        .Bitmap("textback.bmp", Solid(20, 18, kGreen))
        .Bitmap("menubar.bmp", Solid(30, 19, kGrey))
        .Ini("[Personality]\r\nLeft=frameleft.bmp\r\nLeftTopHeight=5\r\nLeftBotHeight=6\r\n"
             "Top=frametop.bmp\r\nTopTopHeight=7\r\nTopBotHeight=8\r\nTopFrame=2\r\n"
             "TopStretch=0\r\nTopTrans=0\r\nRightStretch=3\r\nBottom=nothere.bmp\r\n"
             "TextBack=textback.bmp\r\nTextShift=3\r\nTextShiftVert=4\r\nTextRightClip=5\r\n"
             "TextAlignment=1\r\nTextbackground=1\r\nTXTBackleft=2\r\nTXTBackRight=6\r\n"
             "ActiveTextR=255\r\nActiveTextG=128\r\nActiveTextB=0\r\n"
             "InActiveTextR=1\r\nInActiveTextG=2\r\n"
             "menuBar=menubar.bmp\r\nTileMenu=4\r\nTileLeftMenu=6\r\n"
             "[Fonts]\r\nFontHeight=18\r\n");
    auto e = Load(skin);

    EXPECT_EQ(e->FrameLeft->Name, "Left");
    EXPECT_EQ(e->FrameLeft->Margins, (TSkinMargins{0, 5, 0, 6})) << "side borders run down";
    EXPECT_EQ(e->FrameLeft->FrameCount, 1);
    EXPECT_EQ(e->FrameLeft->Tile, 1);
    EXPECT_EQ(e->FrameLeft->Trans, 1);
    EXPECT_EQ(e->FrameLeft->Bitmap->Height(), 30);
    EXPECT_EQ(e->FrameTop->Margins, (TSkinMargins{7, 0, 8, 0})) << "top border runs across";
    EXPECT_EQ(e->FrameTop->FrameCount, 2);
    EXPECT_EQ(e->FrameTop->Tile, 0);
    EXPECT_EQ(e->FrameTop->Trans, 0);
    EXPECT_EQ(e->FrameRight->Tile, 1) << "stretch modes above 1 tile";
    EXPECT_TRUE(e->FrameRight->Bitmap->Empty());
    EXPECT_TRUE(e->FrameBottom->Bitmap->Empty()) << "borders exist even without an image";

    const auto& t = *e->Title;
    EXPECT_EQ(t.Bitmap->Width(), 20);
    EXPECT_EQ(t.Margins, (TSkinMargins{3, 4, 5, 0}));
    EXPECT_EQ(t.TextAlignment, 1);
    EXPECT_EQ(t.TextBackground, 1);
    EXPECT_EQ(t.TextBackLeft, 2);
    EXPECT_EQ(t.TextBackRight, 6);
    EXPECT_EQ(t.FontHeight, 18);
    EXPECT_EQ(t.ActiveTextColour, RGBColor(255, 128, 0));
    EXPECT_EQ(t.InactiveTextColour, kNoTextColour) << "two of three parts give no colour";
    EXPECT_EQ(t.FrameCount, 2);

    ASSERT_TRUE(e->MenuBar);
    EXPECT_EQ(e->MenuBar->Name, "Personality");
    EXPECT_EQ(e->MenuBar->Tile, 1);
    EXPECT_EQ(e->MenuBar->Margins, (TSkinMargins{6, 0, 1, 0}));
    EXPECT_EQ(e->MenuBar->FrameCount, 2);

    SkinBuilder bare;
    bare.Ini("[Personality]\r\nTextShift=1\r\n");
    auto b = Load(bare);
    EXPECT_FALSE(b->MenuBar);
    EXPECT_EQ(b->Title->FontHeight, 14);
    EXPECT_EQ(b->Title->ActiveTextColour, kNoTextColour);
    EXPECT_EQ(b->FrameTop->FrameCount, 1);
    EXPECT_EQ(b->FrameTop->Trans, 1);
}

TEST(SkinElementLoad, ButtonsAndTheirCheckAndRadioFrames) {
    SkinBuilder skin;
    skin.Bitmap("buttons.bmp", Solid(100, 21, kGrey))
        .Bitmap("radio.bmp", Solid(65, 13, kRed))
        .Bitmap("check.bmp", Solid(48, 16, kBlue))
        .Ini("[Colours]\r\nButtonText=1 2 3\r\n"
             "[Buttons]\r\nBitmap=buttons.bmp\r\nRadioButton=radio.bmp\r\nCheckButton=check.bmp\r\n"
             "LeftWidth=4\r\nTopHeight=5\r\nRightWidth=6\r\nBottomHeight=7\r\nTile=3\r\n"
             "Trans=1\r\nNormalColour=2\r\nNormalColour2=9 8 7\r\nPressedColour2=\r\n");
    auto e = Load(skin);
    const auto& b = *e->Button;
    EXPECT_EQ(b.Name, "Buttons");
    EXPECT_EQ(b.Margins, (TSkinMargins{4, 5, 6, 7}));
    EXPECT_EQ(b.Tile, 0);
    EXPECT_EQ(b.Trans, 1);
    EXPECT_EQ(b.FrameCount, 5);
    EXPECT_EQ(b.RadioFrameCount, 5) << "65 x 13: 65 div 13";
    EXPECT_EQ(b.CheckFrameCount, 4) << "48 x 16: 48 div 16 = 3, raised to 4";
    EXPECT_EQ(b.NormalColour, 2);
    EXPECT_EQ(b.MouseOverColour, -1);
    EXPECT_TRUE(b.HasNormalColour2);
    EXPECT_FALSE(b.HasMouseOverColour2);
    EXPECT_FALSE(b.HasPressedColour2) << "an empty value is no colour";
    EXPECT_EQ(b.NormalColour2, RGBColor(9, 8, 7));
    EXPECT_EQ(b.PressedColour2, RGBColor(1, 2, 3));

    // The divisor changes at a height of 16; given frame counts stand.
    SkinBuilder edge;
    edge.Bitmap("radio.bmp", Solid(78, 15, kRed))
        .Bitmap("check.bmp", Solid(78, 16, kBlue))
        .Ini("[Buttons]\r\nRadioButton=radio.bmp\r\nCheckButton=check.bmp\r\n");
    auto d = Load(edge);
    EXPECT_EQ(d->Button->RadioFrameCount, 6);
    EXPECT_EQ(d->Button->CheckFrameCount, 4);
    SkinBuilder given;
    given.Bitmap("radio.bmp", Solid(78, 15, kRed))
        .Ini("[Buttons]\r\nRadioButton=radio.bmp\r\nRadioButtonFrame=2\r\n");
    auto g = Load(given);
    EXPECT_EQ(g->Button->RadioFrameCount, 2);
    EXPECT_EQ(g->Button->CheckFrameCount, 4) << "no image: at least 4";
}

TEST(SkinElementLoad, TitleBarButtonSectionsAndTheirFrameRules) {
    SkinBuilder skin;
    TPixelImage mdi = FrameStrip(60, 15, {kRed, kGreen, kBlue});
    skin.Bitmap("closebutton.bmp", Solid(126, 21, kRed))
        .Bitmap("maxbutton.bmp", Solid(63, 21, kBlue))
        .Bitmap("ratio38.bmp", Solid(76, 20, kGreen))
        .Bitmap("ratio385.bmp", Solid(77, 20, kGreen))
        .Bitmap("button-mdi.bmp", mdi)
        .Ini("[Buttons]\r\nBitmap=closebutton.bmp\r\n"
             "[Button]\r\nAction=1\r\n[button.radio]\r\n[BUTTON.CHECKBOX]\r\n"
             "[Button0]\r\nAction=0\r\nButtonImage=closebutton.bmp\r\nAlign=1\r\nXcoord=30\r\n"
             "Ycoord=4\r\nVisibility=2\r\nCombineOp=1\r\n"
             "[button1]\r\nAction=1\r\nButtonImage=maxbutton.bmp\r\n"
             "[ButtonHidden]\r\nAction=-1\r\nVisibility=0\r\nButtonImage=maxbutton.bmp\r\n"
             "[ButtonGone]\r\nAction=-1\r\n"
             "[ButtonGone2]\r\nAction=-1\r\nVisibility=2\r\n"
             "[Button38]\r\nAction=2\r\nButtonImage=ratio38.bmp\r\n"
             "[Button385]\r\nAction=2\r\nButtonImage=ratio385.bmp\r\n"
             "[ButtonSys]\r\nAction=3\r\nButtonImage=maxbutton.bmp\r\n"
             "[ButtonHelp]\r\nAction=11\r\nframe=4\r\nButtonImage=maxbutton.bmp\r\n"
             "[ButtonBare]\r\nAction=5\r\n"
             "[XButton]\r\nAction=1\r\n"
             "[MDICONTROLS]\r\nImage=button-mdi.bmp\r\n");
    auto e = Load(skin);

    std::vector<std::string> names;
    for (const auto& b : e->SysButtons) names.push_back(b->Name);
    const std::vector<std::string> expected = {
        "BUTTON0",    "BUTTON1",    "BUTTONHIDDEN", "BUTTON38",    "BUTTON385",  "BUTTONSYS",
        "BUTTONHELP", "BUTTONBARE", "MDICONTROLS",  "MDICONTROLS", "MDICONTROLS"};
    ASSERT_EQ(names, expected);
    const auto& sb = e->SysButtons;

    EXPECT_EQ(sb[0]->FrameCount, 6) << "126 x 21: ratio 6";
    EXPECT_EQ(sb[0]->Align, 1);
    EXPECT_EQ(sb[0]->XCoord, 30);
    EXPECT_EQ(sb[0]->YCoord, 4);
    EXPECT_EQ(sb[0]->Visibility, 2);
    EXPECT_EQ(sb[0]->Visibility1, 0);
    EXPECT_EQ(sb[0]->CombineOp, 1);
    EXPECT_EQ(sb[1]->FrameCount, 3) << "63 x 21: ratio 3";
    EXPECT_EQ(sb[1]->CombineOp, -1);
    EXPECT_EQ(sb[1]->Visibility, 0);
    EXPECT_EQ(sb[2]->FrameCount, 6) << "a negative action always has six frames";
    EXPECT_EQ(sb[2]->Visibility1, -1);
    EXPECT_EQ(sb[3]->FrameCount, 3) << "ratio 3.8 exactly";
    EXPECT_EQ(sb[4]->FrameCount, 6) << "ratio 3.85";
    EXPECT_TRUE(sb[5]->Bitmap->Empty()) << "action 3 without frames drops its image";
    EXPECT_EQ(sb[5]->FrameCount, 3);
    EXPECT_EQ(sb[6]->FrameCount, 4);
    EXPECT_EQ(sb[6]->Bitmap->Width(), 63) << "given frames keep the image of action 11";
    EXPECT_EQ(sb[7]->FrameCount, 6);
    EXPECT_TRUE(sb[7]->Bitmap->Empty());

    // The buttons of a maximised child window: a = 180 div 12 = 15.
    for (int i = 0; i < 3; ++i) {
        const auto& b = *sb[8 + i];
        EXPECT_EQ(b.Action, 7 + i);
        EXPECT_EQ(b.Align, 100);
        EXPECT_EQ(b.Visibility, 100);
        EXPECT_EQ(b.Visibility1, 100);
        EXPECT_EQ(b.FrameCount, 4);
        EXPECT_EQ(b.Bitmap->Width(), 60);
        EXPECT_EQ(b.Bitmap->Height(), 15);
        EXPECT_EQ(b.Bitmap->Pixel(0, 0), mdi.Pixel(60 * i, 0));
        EXPECT_EQ(b.Bitmap->Pixel(59, 14), mdi.Pixel(60 * i + 59, 14));
        EXPECT_EQ(b.XCoord, 19 * (3 - i));
    }

    SkinBuilder none;
    none.Ini("[Buttons]\r\n");
    auto n = Load(none);
    ASSERT_EQ(n->SysButtons.size(), 3u);
    EXPECT_TRUE(n->SysButtons[0]->Bitmap->Empty());
    EXPECT_EQ(n->SysButtons[0]->XCoord, 0);
}

TEST(SkinElementFixups, TabPaneClampAndTheFrameCountTable) {
    SkinBuilder skin;
    skin.Bitmap("x.bmp", Solid(30, 10, kGrey))
        .Ini("[Tab.Pane]\r\nImage=x.bmp\r\nLeftWidth=7\r\nTopHeight=4\r\nRightWidth=5\r\n"
             "BottomHeight=-3\r\nFrame=6\r\n");
    for (const char* s :
         {"Scrollbar", "HorzScroll", "VertScroll", "HorzScrollThumb", "StatusBarEdges", "ToolBars",
          "GroupBoxEdge", "MenuBackground", "Trackbar.ThumbHorz", "Trackbar.ThumbDown", "SunkEdge"})
        skin.Ini(std::string("[") + s + "]\r\nImage=x.bmp\r\nFrame=9\r\n");
    skin.Ini("[VertScrollThumb]\r\nImage=x.bmp\r\nFrameCount=2\r\n"
             "[Track]\r\nImage=x.bmp\r\nFrame=3\r\n"
             "[Tabs]\r\nImage=x.bmp\r\nFrame=0\r\n");
    auto e = Load(skin);
    EXPECT_EQ(e->Tab->FrameCount, 5) << "a tab strip without a frame count has five";

    ASSERT_TRUE(e->TabPane);
    EXPECT_EQ(e->TabPane->Margins, (TSkinMargins{4, 4, 4, -3}));
    EXPECT_EQ(e->TabPane->FrameCount, 1);
    EXPECT_EQ(e->Scrollbar->FrameCount, 23);
    EXPECT_EQ(e->HorzScroll->FrameCount, 4);
    EXPECT_EQ(e->VertScroll->FrameCount, 4);
    EXPECT_EQ(e->HorzScrollThumb->FrameCount, 3) << "thumbs read \"FrameCount\", default 3";
    EXPECT_EQ(e->VertScrollThumb->FrameCount, 2);
    EXPECT_EQ(e->StatusBarEdges->FrameCount, 3);
    EXPECT_EQ(e->ToolBars->FrameCount, 5);
    EXPECT_EQ(e->GroupBoxEdge->FrameCount, 2);
    EXPECT_EQ(e->MenuBackground->FrameCount, 1);
    EXPECT_EQ(e->TrackbarThumbHorz->FrameCount, 5);
    EXPECT_EQ(e->TrackbarThumbDown->FrameCount, 5);
    EXPECT_FALSE(e->TrackbarThumbUp);
    EXPECT_EQ(e->SunkEdge->FrameCount, 4);
    ASSERT_TRUE(e->Track);
    EXPECT_EQ(e->Track->Name, "Track");
    EXPECT_EQ(e->Track->FrameCount, 3) << "a skin's own track keeps its frames";
}

TEST(SkinElementFixups, BuiltInTracksStandInForMissingTrackSections) {
    SkinBuilder skin;
    skin.Bitmap("track.bmp", Solid(8, 8, kRed))
        .Ini("[TRACKVERT]\r\nImage=track.bmp\r\nLeftWidth=1\r\n");
    TestElements e;
    e.builtIn["TRACK"] = Solid(16, 4, kGrey);
    ASSERT_TRUE(e.LoadSkinStore(skin.Store()));
    ASSERT_TRUE(e.Track);
    EXPECT_EQ(e.Track->Name, "TRACK");
    EXPECT_EQ(e.Track->Bitmap->Width(), 16);
    EXPECT_EQ(e.Track->Margins, (TSkinMargins{3, 3, 3, 3}));
    EXPECT_EQ(e.Track->Tile, 0);
    EXPECT_EQ(e.Track->FrameCount, 1);
    ASSERT_TRUE(e.TrackVert);
    EXPECT_EQ(e.TrackVert->Name, "TRACKVERT");
    EXPECT_EQ(e.TrackVert->Margins.Left, 1) << "the skin's own section is kept";

    // Without a built-in image the element still stands in, with an empty image.
    SkinBuilder bare;
    bare.Ini("[Colours]\r\n");
    auto b = Load(bare);
    ASSERT_TRUE(b->TrackVert);
    EXPECT_TRUE(b->TrackVert->Bitmap->Empty());
    EXPECT_EQ(b->TrackVert->FrameCount, 1);
}

// Sunk edge frames: a 2-pixel edge of one colour around a middle of another.
TPixelImage SunkFrames(const std::vector<std::pair<TColor, TColor>>& colours) {
    TPixelImage image(10 * static_cast<int>(colours.size()), 21, 24);
    for (size_t k = 0; k < colours.size(); ++k) {
        const int x = 10 * static_cast<int>(k);
        image.FillRect(x, 0, x + 10, 21, colours[k].first);
        image.FillRect(x + 2, 2, x + 8, 19, colours[k].second);
    }
    return image;
}

TEST(SkinElementFixups, ComboImagesCombineSunkEdgeButtonAndExtraImages) {
    const std::vector<std::pair<TColor, TColor>> sunkColours = {
        {RGBColor(10, 0, 0), RGBColor(11, 0, 0)},
        {RGBColor(20, 0, 0), RGBColor(21, 0, 0)},
        {RGBColor(30, 0, 0), RGBColor(31, 0, 0)},
        {RGBColor(40, 0, 0), RGBColor(41, 0, 0)}};
    const std::vector<TColor> buttonColours = {RGBColor(0, 10, 0), RGBColor(0, 20, 0),
                                               RGBColor(0, 30, 0), RGBColor(0, 40, 0)};
    const std::vector<TColor> extraColours = {RGBColor(0, 0, 10), RGBColor(0, 0, 20),
                                              RGBColor(0, 0, 30), RGBColor(0, 0, 40),
                                              RGBColor(0, 0, 50)};
    TPixelImage button = FrameStrip(17, 21, buttonColours);
    button.SetPixel(67, 0, kMagenta); // its mirror image starts with this pixel
    SkinBuilder skin;
    skin.Bitmap("sunkedge.bmp", SunkFrames(sunkColours))
        .Bitmap("combo.bmp", button)
        .Bitmap("extra.bmp", FrameStrip(5, 5, extraColours))
        .Ini("[SunkEdge]\r\nImage=sunkedge.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\n"
             "BottomHeight=2\r\nTrans=1\r\n"
             "[ComboButton]\r\nImage=combo.bmp\r\n"
             "[ExtraImages]\r\nImage=extra.bmp\r\n");
    auto e = Load(skin); // arrow width 17: aw = 19, the button part is x 31 to 50

    ASSERT_TRUE(e->ComboButton && e->SunkEdge);
    const TPixelImage& b = *e->ComboButton->Bitmap;
    ASSERT_EQ(b.Width(), 200);
    ASSERT_EQ(b.Height(), 21);
    for (int k = 0; k < 4; ++k) {
        const int x = 50 * k;
        EXPECT_EQ(b.Pixel(x, 0), sunkColours[k].first) << "frame " << k + 1;
        EXPECT_EQ(b.Pixel(x + 1, 20), sunkColours[k].first);
        EXPECT_EQ(b.Pixel(x + 20, 1), sunkColours[k].first) << "the top edge is stretched";
        EXPECT_EQ(b.Pixel(x + 30, 10), sunkColours[k].second) << "middle, right of the hole";
        EXPECT_EQ(b.Pixel(x + 2, 2), kMagenta) << "the edit area is a hole";
        EXPECT_EQ(b.Pixel(x + 29, 17), kMagenta);
        EXPECT_EQ(b.Pixel(x + 29, 18), sunkColours[k].second);
        EXPECT_EQ(b.Pixel(x + 31, 0), buttonColours[k]);
        EXPECT_EQ(b.Pixel(x + 49, 20), buttonColours[k]);
        // The extra image's frame, 5 x 5, centred in the 19 x 21 button part.
        EXPECT_EQ(b.Pixel(x + 38, 8), extraColours[k]);
        EXPECT_EQ(b.Pixel(x + 42, 12), extraColours[k]);
        EXPECT_EQ(b.Pixel(x + 37, 8), buttonColours[k]);
        EXPECT_EQ(b.Pixel(x + 38, 13), buttonColours[k]);
    }
    EXPECT_EQ(b.Pixel(50 * 3 + 49, 0), sunkColours[3].first)
        << "the button's magenta pixel shows the sunk edge beneath";
    EXPECT_EQ(e->ComboButton->Style, 2);
    EXPECT_EQ(e->ComboButton->Margins, (TSkinMargins{2, 2, 21, 2}));
    EXPECT_EQ(e->SunkEdge->Margins, (TSkinMargins{21, 2, 2, 2}));
    TPixelImage mirrored = b;
    Mirror(mirrored);
    EXPECT_EQ(*e->SunkEdge->Bitmap, mirrored);
    // The second image is the combo button as loaded, mirrored.
    ASSERT_EQ(e->ComboButton->Bitmap2->Width(), 68);
    EXPECT_EQ(e->ComboButton->Bitmap2->Pixel(0, 0), kMagenta);
    EXPECT_EQ(e->ComboButton->Bitmap2->Pixel(1, 0), buttonColours[3]);
    EXPECT_EQ(e->ComboButton->Bitmap2->Pixel(67, 0), buttonColours[0]);

    // The arrows: 17 x 17 squares from x = 31 + 50k, y = 2 of the combined button image.
    ASSERT_TRUE(e->ComboxArrow);
    const TPixelImage& a = *e->ComboxArrow->Bitmap;
    ASSERT_EQ(a.Width(), 68);
    ASSERT_EQ(a.Height(), 17);
    EXPECT_EQ(e->ComboxArrow->FrameCount, 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(a.Pixel(17 * k, 0), buttonColours[k]);
        EXPECT_EQ(a.Pixel(17 * k + 7, 6), extraColours[k]);
        EXPECT_EQ(a.Pixel(17 * k + 16, 16), b.Pixel(50 * k + 47, 18));
    }
}

TEST(SkinElementFixups, ComboxArrowWithoutSunkEdgeAndKeptWithoutComboButton) {
    TPixelImage button = FrameStrip(17, 21, {kRed, kGreen, kBlue, kYellow});
    button.SetPixel(3, 3, kMagenta);
    SkinBuilder skin;
    skin.Bitmap("combo.bmp", button)
        .Ini("[Colours]\r\nButtonFace=12 34 56\r\n[ComboButton]\r\nImage=combo.bmp\r\n");
    TestElements e;
    ASSERT_TRUE(e.LoadSkinStore(skin.Store()));
    ASSERT_TRUE(e.ComboxArrow);
    EXPECT_EQ(e.ComboButton->Style, 0) << "no combined images without a sunk edge";
    EXPECT_EQ(e.ComboxArrow->FrameCount, 4);
    EXPECT_EQ(e.ComboxArrow->Bitmap->Width(), 68);
    EXPECT_EQ(e.ComboxArrow->Bitmap->Pixel(3, 3), RGBColor(12, 34, 56)) << "magenta: face colour";
    EXPECT_EQ(e.ComboxArrow->Bitmap->Pixel(4, 3), kRed);
    TSkinElements::Object* arrow = e.ComboxArrow.get();

    SkinBuilder onlySunk;
    onlySunk.Bitmap("sunk.bmp", Solid(40, 21, kGrey)).Ini("[SunkEdge]\r\nImage=sunk.bmp\r\n");
    ASSERT_TRUE(e.LoadSkinStore(onlySunk.Store()));
    EXPECT_FALSE(e.ComboButton);
    EXPECT_EQ(e.ComboxArrow.get(), arrow) << "created once";
    EXPECT_EQ(e.ComboxArrow->Bitmap->Pixel(4, 3), kRed) << "the earlier arrow stays";
    EXPECT_EQ(e.SunkEdge->Bitmap->Width(), 40) << "no combined images without a combo button";
}

TEST(SkinElementFixups, TitleColourAndToolbarGradient) {
    // The title colour comes from (w div 3, (h div frames) div 3) of the top border.
    TPixelImage top = Solid(30, 12, kGrey);
    top.SetPixel(10, 2, kRed);
    SkinBuilder saturated;
    saturated.Bitmap("frametop.bmp", top)
        .Ini("[Personality]\r\nTop=frametop.bmp\r\nTopFrame=2\r\n"
             "[Colours]\r\nButtonFace=200 210 220\r\n");
    auto s = Load(saturated);
    EXPECT_EQ(s->TitleColor, kRed);
    ASSERT_TRUE(s->Toolbar);
    const TPixelImage& t = *s->Toolbar->Bitmap;
    ASSERT_EQ(t.Width(), 10);
    ASSERT_EQ(t.Height(), 40);
    EXPECT_EQ(s->Toolbar->FrameCount, 1);
    const TColor face = RGBColor(200, 210, 220);
    EXPECT_EQ(t.Pixel(0, 0), MixColors(face, kWhite, 150));
    EXPECT_EQ(t.Pixel(9, 0), MixColors(face, kWhite, 150));
    // Red measures 255: the bottom is red mixed into white at (5625 - 6375) div 140 + 50 = 45 %.
    auto near = [](TColor a, TColor b) {
        return std::abs(RedOf(a) - RedOf(b)) <= 1 && std::abs(GreenOf(a) - GreenOf(b)) <= 1 &&
               std::abs(BlueOf(a) - BlueOf(b)) <= 1;
    };
    EXPECT_PRED2(near, t.Pixel(0, 39), MixColors(kRed, kWhite, 45));

    // A pale title colour is greyed instead.
    TPixelImage pale = Solid(30, 12, RGBColor(200, 200, 200));
    SkinBuilder grey;
    grey.Bitmap("frametop.bmp", pale).Ini("[Personality]\r\nTop=frametop.bmp\r\n");
    auto g = Load(grey);
    EXPECT_EQ(g->TitleColor, RGBColor(200, 200, 200));
    EXPECT_PRED2(near, g->Toolbar->Bitmap->Pixel(0, 39),
                 MixColors(0x808080, RGBColor(200, 200, 200), 150));

    // Without a top border image the title colour is the button face colour.
    SkinBuilder bare;
    bare.Ini("[Colours]\r\nButtonFace=1 2 3\r\n");
    EXPECT_EQ(Load(bare)->TitleColor, RGBColor(1, 2, 3));
}

TEST(SkinElementLoad, ColoursNamesAndReloading) {
    SkinBuilder first;
    first.Bitmap("menu.bmp", Solid(10, 10, kRed))
        .Ini("[TitlebarSkin]\r\nSkinName=First\r\n"
             "[Colours]\r\nButtonFace=1 2 3\r\nMenubar=\r\nHilight=4,5,6\r\n"
             "[Colour0]\r\ncolor=7 8 9\r\n[Colours2]\r\n[colour5]\r\ncolor=10 11 12\r\n"
             "[Customcolors]\r\nColor0=0 0 1\r\nColor9=0 1 0\r\n"
             "[MenuItem]\r\nImage=menu.bmp\r\n");
    TestElements e;
    EXPECT_TRUE(e.SkinNotLoaded);
    ASSERT_TRUE(e.LoadSkinStore(first.Store()));
    EXPECT_FALSE(e.SkinNotLoaded);
    EXPECT_EQ(e.coloursApplied, 1);
    EXPECT_EQ(e.SkinName, "First");
    EXPECT_EQ(e.ButtonFaceColor, RGBColor(1, 2, 3));
    EXPECT_EQ(e.MenubarColor, RGBColor(1, 2, 3)) << "the menu bar defaults to the face colour";
    EXPECT_EQ(e.HilightColor, RGBColor(4, 5, 6));
    EXPECT_EQ(e.MenuColor, SysColor(syscolour::Menu));
    EXPECT_EQ(e.IndexedColors,
              (std::vector<TColor>{RGBColor(7, 8, 9), SysColor(syscolour::WindowText),
                                   RGBColor(10, 11, 12)}));
    EXPECT_EQ(e.CustomColors[0], RGBColor(0, 0, 1));
    EXPECT_EQ(e.CustomColors[5], kWhite);
    EXPECT_EQ(e.CustomColors[9], RGBColor(0, 1, 0));
    ASSERT_TRUE(e.MenuItem);

    // An archive of the wrong version is refused with the message; the skin stays as it was.
    std::vector<std::string> messages;
    SetSkinMessageHandler([&](const std::string& text) { messages.push_back(text); });
    EXPECT_FALSE(e.LoadSkinStore(first.Store(kSkinArchiveVersion + 1)));
    SetSkinMessageHandler({});
    EXPECT_EQ(messages, std::vector<std::string>{kOlderSkinMessage});
    EXPECT_TRUE(e.SkinNotLoaded);
    EXPECT_TRUE(e.MenuItem);
    EXPECT_EQ(e.ButtonFaceColor, RGBColor(1, 2, 3));

    // A skin without those sections frees the elements and brings the system colours back.
    SkinBuilder second;
    second.Ini("[TitlebarSkin]\r\nSkinName=Second\r\n");
    ASSERT_TRUE(e.LoadSkinStore(second.Store()));
    EXPECT_FALSE(e.SkinNotLoaded);
    EXPECT_EQ(e.SkinName, "Second");
    EXPECT_FALSE(e.MenuItem);
    EXPECT_EQ(e.ButtonFaceColor, SysColor(syscolour::ButtonFace));
    EXPECT_TRUE(e.IndexedColors.empty());
    EXPECT_EQ(e.coloursApplied, 2);

    // An archive without a description still applies: everything takes its default.
    skinpack::Entry only{"menu.bmp", WriteBitmapFile(Solid(2, 2, kRed))};
    TestElements none;
    ASSERT_TRUE(none.LoadSkinStore(skinpack::PackStore(skinpack::BuildArchive({only}))));
    EXPECT_FALSE(none.SkinNotLoaded);
    EXPECT_EQ(none.SysButtons.size(), 3u);
}

TEST(SkinElementLoad, ProductSkinLoadsEveryElementItNames) {
    const skin::art::ProductSkin product = skin::art::BuildProductSkin();
    std::vector<skinpack::Entry> entries;
    for (auto& f : skin::art::EncodeSkinFiles(product)) entries.push_back({f.name, f.bytes});
    TestElements e;
    ASSERT_TRUE(e.LoadSkinStore(skinpack::PackStore(skinpack::BuildArchive(entries))));
    TQuickIni ini;
    ini.Load(product.description);
    // Every image the description names resolves to a bitmap of the archive.
    for (const auto& [section, field] :
         std::vector<std::pair<std::string, const TSkinElements::Object*>>{
             {"MenuItem", e.MenuItem.get()},
             {"Scrollbar", e.Scrollbar.get()},
             {"SunkEdge", e.SunkEdge.get()},
             {"Tabs", e.Tab.get()},
             {"HorzScroll", e.HorzScroll.get()},
             {"Headerbar", e.Headerbar.get()},
             {"StatusBarEdges", e.StatusBarEdges.get()}}) {
        if (ini.SectionIndex(section) < 0) continue;
        ASSERT_TRUE(field) << section;
        EXPECT_FALSE(field->Bitmap->Empty()) << section;
    }
    EXPECT_FALSE(e.FrameTop->Bitmap->Empty());
    for (const auto& b : e.SysButtons)
        if (b->Action != 3 && b->Action != 11 && b->Action < 7) {
            EXPECT_FALSE(b->Bitmap->Empty()) << b->Name;
        }
}

// The bitmaps the program carries as resources, checked against their pixel rows.
std::vector<std::uint8_t> ReadResource(const std::string& name) {
    return skinpack::ReadFileBytes(std::string(CORVANE_SOURCE_DIR) + "/resources/skin/" + name);
}

void ExpectRows(const TPixelImage& image, const std::vector<std::string>& rows,
                const std::map<char, TColor>& colours) {
    ASSERT_EQ(image.Height(), static_cast<int>(rows.size()));
    for (int y = 0; y < image.Height(); ++y) {
        ASSERT_EQ(image.Width(), static_cast<int>(rows[y].size()));
        std::string got;
        for (int x = 0; x < image.Width(); ++x) {
            char c = '?';
            for (const auto& [ch, colour] : colours)
                if (image.Pixel(x, y) == colour) c = ch;
            got += c;
        }
        EXPECT_EQ(got, rows[y]) << "row " << y;
    }
}

int BitCount(const std::vector<std::uint8_t>& file) {
    return file.size() > 29 ? file[28] : 0;
}

TEST(SkinBuiltInBitmaps, TrackAndMenuGlyphResourcesHoldTheirPixels) {
    const std::map<char, TColor> track = {{'S', RGBColor(192, 192, 192)},
                                          {'G', RGBColor(128, 128, 128)},
                                          {'L', RGBColor(255, 255, 255)}};
    const auto h = ReadResource("track.bmp");
    EXPECT_EQ(BitCount(h), 4);
    ExpectRows(ReadBitmapFile(h),
               {"SSGGGGGGGGGGGGLL", "SSLLLLLLLLLLLLLL", "GSLLLLLLLLLLLLLL", "SSLLLLLLLLLLLLLL"},
               track);
    const auto v = ReadResource("trackvert.bmp");
    EXPECT_EQ(BitCount(v), 4);
    std::vector<std::string> vertical = {"SSGS", "SSSS"};
    for (int i = 0; i < 12; ++i) vertical.push_back("GLLL");
    vertical.insert(vertical.end(), {"LLLL", "LLLL"});
    ExpectRows(ReadBitmapFile(v), vertical, track);

    const auto m = ReadResource("orvixmenu.bmp");
    EXPECT_EQ(BitCount(m), 1);
    // Four 16 x 16 glyphs side by side: two windows, one window, a bar, a cross.
    const std::string blank = "................";
    const std::vector<std::string> g1 = {blank,
                                         blank,
                                         blank,
                                         blank,
                                         ".....########...",
                                         ".....########...",
                                         ".....#......#...",
                                         "...########.#...",
                                         "...########.#...",
                                         "...#......###...",
                                         "...#......#.....",
                                         "...#......#.....",
                                         "...########.....",
                                         blank,
                                         blank,
                                         blank};
    const std::vector<std::string> g2 = {blank,
                                         blank,
                                         blank,
                                         "...##########...",
                                         "...##########...",
                                         "...#........#...",
                                         "...#........#...",
                                         "...#........#...",
                                         "...#........#...",
                                         "...#........#...",
                                         "...#........#...",
                                         "...#........#...",
                                         "...##########...",
                                         blank,
                                         blank,
                                         blank};
    std::vector<std::string> g3(16, blank);
    g3[7] = g3[8] = ".....#######....";
    const std::vector<std::string> g4 = {blank,
                                         blank,
                                         blank,
                                         blank,
                                         "...##.....##....",
                                         "...###...###....",
                                         "....###.###.....",
                                         ".....#####......",
                                         "......###.......",
                                         ".....#####......",
                                         "....###.###.....",
                                         "...###...###....",
                                         "...##.....##....",
                                         blank,
                                         blank,
                                         blank};
    std::vector<std::string> glyphs;
    for (int y = 0; y < 16; ++y) glyphs.push_back(g1[y] + g2[y] + g3[y] + g4[y]);
    ExpectRows(ReadBitmapFile(m), glyphs, {{'#', RGBColor(0, 0, 0)}, {'.', kWhite}});
}

} // namespace
