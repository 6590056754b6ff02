// TQuickIni and the value syntaxes of the skin description.
#include "skin/data/quick_ini.h"
#include "skin/data/skin_values.h"

#include "sample_skin.h"
#include "skin_archive.h"

#include <gtest/gtest.h>

#include <string>

using skin::TQuickIni;
using Bytes = std::vector<std::uint8_t>;

namespace {
TQuickIni Ini(const std::string& text) {
    TQuickIni ini;
    ini.Load(text);
    return ini;
}
} // namespace

TEST(QuickIni, LinesAreTrimmedCommentsAndEmptyLinesDropped) {
    TQuickIni ini = Ini("  ; comment\r\n\r\n \t[Colours]  \r\n  Key = Value  \r\n;x=1\r\n\r\n");
    EXPECT_EQ(ini.Lines, (std::vector<std::string>{"[Colours]", "Key = Value"}));
    ASSERT_EQ(ini.Sections.size(), 1u);
    EXPECT_EQ(ini.Sections[0].first, "[Colours]");
    EXPECT_EQ(ini.Sections[0].second, 0);
}

TEST(QuickIni, LineEnds) {
    // CR, LF, CR LF and LF CR; after a line one CR then one LF are skipped.
    TQuickIni ini = Ini("a=1\rb=2\nc=3\r\nd=4\n\re=5");
    EXPECT_EQ(ini.Lines, (std::vector<std::string>{"a=1", "b=2", "c=3", "d=4", "e=5"}));
    // A NUL ends the text.
    ini.Load(std::string("[s]\r\nk=v\0\r\nlost=1", 17));
    EXPECT_EQ(ini.Lines, (std::vector<std::string>{"[s]", "k=v"}));
    // No line end at all: one line.
    ini.Load(std::string("[s]"));
    EXPECT_EQ(ini.Lines, (std::vector<std::string>{"[s]"}));
    // NUL first: nothing.
    ini.Load(std::string("\0[s]", 4));
    EXPECT_TRUE(ini.Lines.empty());
}

TEST(QuickIni, LoadReplacesAndNullLeavesUnchanged) {
    TQuickIni ini = Ini("[a]\r\nk=1");
    ini.Load(static_cast<const std::vector<std::uint8_t>*>(nullptr));
    EXPECT_EQ(ini.Lines.size(), 2u);
    Bytes b{'[', 'b', ']'};
    ini.Load(&b);
    EXPECT_EQ(ini.Lines, (std::vector<std::string>{"[b]"}));
    EXPECT_EQ(ini.SectionIndex("a"), -1);
    EXPECT_EQ(ini.SectionIndex("B"), 0);
}

TEST(QuickIni, SectionIndexIgnoresCaseFirstHeaderWins) {
    TQuickIni ini = Ini("[One]\r\nx=1\r\n[Two]\r\n[one]\r\nx=2");
    EXPECT_EQ(ini.SectionIndex("one"), 0);
    EXPECT_EQ(ini.SectionIndex("ONE"), 0);
    EXPECT_EQ(ini.SectionIndex("two"), 2);
    EXPECT_EQ(ini.SectionIndex("three"), -1);
    EXPECT_EQ(ini.SectionIndex(""), -1);
}

TEST(QuickIni, ReadStringFindsKeysInAnyCaseWithBlanks) {
    TQuickIni ini = Ini("[Personality]\r\n  TopFrame  =   2  \r\nleft=a.bmp\r\n");
    EXPECT_EQ(ini.ReadString("Personality", "topframe", "d"), "2");
    EXPECT_EQ(ini.ReadString("PERSONALITY", "TOPFRAME", "d"), "2");
    EXPECT_EQ(ini.ReadString("personality", "Left", "d"), "a.bmp");
    EXPECT_EQ(ini.ReadString("personality", "Right", "d"), "d");
    EXPECT_EQ(ini.ReadString("Nowhere", "Left", "d"), "d");
}

TEST(QuickIni, EmptyValueGivesTheDefaultAndStopsTheScan) {
    TQuickIni ini = Ini("[s]\r\nk=\r\nk=second\r\nj=   \r\n");
    EXPECT_EQ(ini.ReadString("s", "k", "def"), "def");
    EXPECT_EQ(ini.ReadString("s", "j", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("s", "k", 7), 7);
}

TEST(QuickIni, FirstOfTwoKeysCounts) {
    TQuickIni ini = Ini("[s]\r\nk=first\r\nK=second");
    EXPECT_EQ(ini.ReadString("s", "k", ""), "first");
}

TEST(QuickIni, ScanStopsAtTheNextHeader) {
    TQuickIni ini = Ini("[a]\r\nx=1\r\n[b]\r\ny=2\r\n[]\r\nz=3");
    EXPECT_EQ(ini.ReadString("a", "y", "-"), "-");
    EXPECT_EQ(ini.ReadString("b", "y", "-"), "2");
    EXPECT_EQ(ini.ReadString("b", "z", "-"), "-"); // "[]" is a header too
    EXPECT_EQ(ini.ReadString("", "z", "-"), "3");
}

TEST(QuickIni, DuplicateSectionOnlyTheFirstIsRead) {
    TQuickIni ini = Ini("[Fonts]\r\nFontHeight=11\r\n[Fonts]\r\nFontHeight=22\r\nOther=1");
    EXPECT_EQ(ini.ReadInteger("Fonts", "FontHeight", 14), 11);
    EXPECT_EQ(ini.ReadString("Fonts", "Other", "none"), "none");
}

TEST(QuickIni, HeaderWithBlanksAroundIsAHeader) {
    TQuickIni ini = Ini("   [Buttons]   \r\nTile=1");
    EXPECT_EQ(ini.SectionIndex("Buttons"), 0);
    EXPECT_EQ(ini.ReadInteger("Buttons", "Tile", 0), 1);
}

TEST(QuickIni, LineWithoutEqualsHasAnEmptyKey) {
    TQuickIni ini = Ini("[s]\r\njustaword\r\n=v\r\nk=v");
    EXPECT_EQ(ini.ReadString("s", "", "d"), "d");
    EXPECT_EQ(ini.ReadString("s", "justaword", "d"), "d");
    EXPECT_EQ(ini.ReadString("s", "k", "d"), "v");
    EXPECT_EQ(skin::IniKeyOfLine("justaword"), "");
    EXPECT_EQ(skin::IniKeyOfLine(" A b =c=d"), "a b");
    EXPECT_EQ(skin::IniValueOfLine(" A b =c=d", "a b"), "c=d");
}

TEST(QuickIni, ReadIntegerConversions) {
    TQuickIni ini = Ini("[n]\r\na=0x1F\r\nb=0X1F\r\nc=0X\r\nd=$1f\r\ne=-12\r\nf=+7\r\ng=12abc\r\n"
                        "h=2147483647\r\ni=2147483648\r\nj=-2147483648\r\nk=$FFFFFFFF\r\nl=$100000000\r\n"
                        "m=0x\r\no=x1F\r\np=-0x10\r\nq= 1 2\r\nr=$\r\ns=-\r\nt=007\r\nu=0x-1");
    EXPECT_EQ(ini.ReadInteger("n", "a", -5), 31);
    EXPECT_EQ(ini.ReadInteger("n", "b", -5), 31);
    EXPECT_EQ(ini.ReadInteger("n", "c", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "d", -5), 31);
    EXPECT_EQ(ini.ReadInteger("n", "e", -5), -12);
    EXPECT_EQ(ini.ReadInteger("n", "f", -5), 7);
    EXPECT_EQ(ini.ReadInteger("n", "g", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "h", -5), 2147483647);
    EXPECT_EQ(ini.ReadInteger("n", "i", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "j", -5), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("n", "k", -5), -1);
    EXPECT_EQ(ini.ReadInteger("n", "l", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "m", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "o", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "p", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "q", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "r", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "s", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "t", -5), 7);
    EXPECT_EQ(ini.ReadInteger("n", "u", -5), -5);
    EXPECT_EQ(ini.ReadInteger("n", "missing", -5), -5);
}

TEST(QuickIni, ReadSectionsDropsBrackets) {
    TQuickIni ini = Ini("[ A ]\r\n[Colour0]\r\n[]\r\nx=1\r\n[Button.Radio]");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "Colour0", "", "Button.Radio"}));
    std::vector<std::string> list{"old"};
    ini.ReadSections(list);
    EXPECT_EQ(list.size(), 4u);
}

TEST(QuickIni, EmptyReaderGivesDefaults) {
    TQuickIni ini;
    EXPECT_EQ(ini.ReadString("a", "b", "c"), "c");
    EXPECT_EQ(ini.ReadInteger("a", "b", 3), 3);
    EXPECT_EQ(ini.SectionIndex("a"), -1);
    EXPECT_TRUE(ini.ReadSections().empty());
}

TEST(QuickIni, HighBytesAreText) {
    // Code page 936 bytes (and bytes above 0x7F in general) are not blanks.
    std::string gbk = "\xc6\xa4\xb7\xf4"; // 皮肤
    TQuickIni ini = Ini("[TitlebarSkin]\r\nSkinName=" + gbk + "\xa0");
    EXPECT_EQ(ini.ReadString("TitlebarSkin", "SkinName", ""), gbk + "\xa0");
}

// ---- value syntaxes ----

TEST(SkinValues, ColourTriples) {
    using skin::ParseColourTriple;
    using skin::RGBColor;
    EXPECT_EQ(ParseColourTriple("59 97 131"), RGBColor(59, 97, 131));
    EXPECT_EQ(ParseColourTriple("59,97,131"), RGBColor(59, 97, 131));
    EXPECT_EQ(ParseColourTriple("  59 ,  97 ;131  "), RGBColor(59, 97, 131));
    EXPECT_EQ(ParseColourTriple("59"), 0);            // a single number alone: black
    EXPECT_EQ(ParseColourTriple("59 97"), RGBColor(59, 0, 0)); // green never completed
    EXPECT_EQ(ParseColourTriple("1 2 3 4"), RGBColor(1, 2, 3));
    EXPECT_EQ(ParseColourTriple("1 2 3 "), RGBColor(1, 2, 3)); // trimmed first
    EXPECT_EQ(ParseColourTriple("1 2 3x"), RGBColor(1, 2, 3));
    EXPECT_EQ(ParseColourTriple("256 257 511"), RGBColor(0, 1, 255)); // low 8 bits
    EXPECT_EQ(ParseColourTriple("99999999999 0 0"), RGBColor(static_cast<int>(99999999999ull % 4294967296ull % 256), 0, 0));
    EXPECT_EQ(ParseColourTriple("red"), 0);
    EXPECT_EQ(ParseColourTriple("-1 -2 -3"), RGBColor(1, 2, 3)); // signs are separators
}

TEST(SkinValues, ColourTripleDefaults) {
    TQuickIni ini = Ini("[Colours]\r\nButtonFace=\r\nHilight=1 2 3\r\n");
    EXPECT_EQ(skin::ReadColourTriple(ini, "Colours", "ButtonFace", skin::SysColor(15)), skin::SysColor(15));
    EXPECT_EQ(skin::ReadColourTriple(ini, "Colours", "Menu", 77), 77);
    EXPECT_EQ(skin::ReadColourTriple(ini, "Colours", "Hilight", 77), skin::RGBColor(1, 2, 3));
    EXPECT_EQ(static_cast<std::uint32_t>(skin::SysColor(15)), 0xFF00000Fu);
    EXPECT_LT(skin::SysColor(8), 0);
}

TEST(SkinValues, SplitColours) {
    TQuickIni ini = Ini("[Personality]\r\nActiveTextR=255\r\nActiveTextG=0x80\r\nActiveTextB=300\r\n"
                        "InActiveTextR=1\r\nInActiveTextG=2\r\n");
    EXPECT_EQ(skin::ReadSplitColour(ini, "Personality", "ActiveText", 0x1FFFFFFF), skin::RGBColor(255, 128, 44));
    EXPECT_EQ(skin::ReadSplitColour(ini, "Personality", "InActiveText", 0x1FFFFFFF), 0x1FFFFFFF);
    EXPECT_EQ(skin::ReadSplitColour(ini, "Personality", "None", 5), 5);
}

TEST(SkinValues, ImageReferenceNames) {
    using skin::ImageReferenceName;
    EXPECT_EQ(ImageReferenceName("menuborder.bmp"), "menuborder.bmp");
    EXPECT_EQ(ImageReferenceName("C:\\skins\\blue\\menuborder.bmp"), "menuborder.bmp");
    EXPECT_EQ(ImageReferenceName("C:menuborder.bmp"), "menuborder.bmp");
    EXPECT_EQ(ImageReferenceName("MenuBorder.bmp"), "MenuBorder.bmp");
    EXPECT_EQ(ImageReferenceName("menuborder.BMP"), "");
    EXPECT_EQ(ImageReferenceName("menuborder.tga"), "");
    EXPECT_EQ(ImageReferenceName("menuborder"), "");
    EXPECT_EQ(ImageReferenceName("dir\\"), "");
    EXPECT_EQ(ImageReferenceName(""), "");
    EXPECT_EQ(ImageReferenceName("a.bmp.tga"), "");
    EXPECT_EQ(ImageReferenceName("dir.x\\a.bmp"), "a.bmp");
    EXPECT_EQ(ImageReferenceName("dir/a.bmp"), "dir/a.bmp"); // '/' is not a folder separator
}

// ---- the whole vocabulary, through a store built by the tools ----

namespace {
struct SampleSkin {
    skin::TSkinReader reader;
    TQuickIni ini;
    std::string iniName;
    SampleSkin() {
        Bytes store = skinpack::PackStore(skinpack::BuildArchive(skinpack::SampleSkinEntries()));
        EXPECT_TRUE(reader.Open(store));
        Bytes text;
        EXPECT_TRUE(reader.FindEntryContaining(".ini", text, iniName));
        ini.Load(&text);
    }
};
const SampleSkin& Sample() {
    static SampleSkin s;
    return s;
}
} // namespace

TEST(SkinVocabulary, DescriptionIsFoundAndRead) {
    const SampleSkin& s = Sample();
    EXPECT_EQ(s.iniName, "corvane.ini");
    EXPECT_EQ(s.ini.ReadString("TitlebarSkin", "SkinName", ""), "Corvane Sample");
    EXPECT_EQ(s.ini.ReadInteger("Fonts", "FontHeight", 14), 14);
    EXPECT_EQ(s.ini.ReadString("Personality", "Author", "ignored"), "ignored");
}

TEST(SkinVocabulary, PersonalityKeys) {
    const TQuickIni& ini = Sample().ini;
    for (std::string b : {"Left", "Right", "Top", "Bottom"}) {
        EXPECT_FALSE(skin::ReadImage(ini, Sample().reader, "Personality", b).Empty()) << b;
        EXPECT_GT(ini.ReadInteger("Personality", b + "TopHeight", 0), 0) << b;
        EXPECT_GT(ini.ReadInteger("Personality", b + "BotHeight", 0), 0) << b;
        EXPECT_EQ(ini.ReadInteger("Personality", b + "Frame", 1), 2) << b;
        EXPECT_GE(ini.ReadInteger("Personality", b + "Stretch", 1), 0) << b;
        EXPECT_GE(ini.ReadInteger("Personality", b + "Trans", 1), 0) << b;
    }
    EXPECT_EQ(ini.ReadInteger("Personality", "TextShiftVert", 0), 2); // written 0x2
    EXPECT_EQ(ini.ReadInteger("Personality", "BottomStretch", 1), 2); // the element loader clamps it to 1
    EXPECT_EQ(skin::ReadSplitColour(ini, "Personality", "ActiveText", 0x1FFFFFFF), skin::RGBColor(255, 255, 255));
    EXPECT_EQ(skin::ReadSplitColour(ini, "Personality", "InActiveText", 0x1FFFFFFF), skin::RGBColor(200, 210, 220));
    EXPECT_FALSE(skin::ReadImage(ini, Sample().reader, "Personality", "menuBar").Empty());
    EXPECT_FALSE(skin::ReadImage(ini, Sample().reader, "Personality", "TextBack").Empty());
    EXPECT_EQ(ini.ReadInteger("Personality", "TileLeftMenu", 1), 4);
}

TEST(SkinVocabulary, ImageReferencesWithFolderParts) {
    const SampleSkin& s = Sample();
    EXPECT_EQ(s.ini.ReadString("Personality", "Right", ""), "skin\\frameright.bmp");
    EXPECT_EQ(s.ini.ReadString("Personality", "Bottom", ""), "C:framebottom.bmp");
    EXPECT_FALSE(skin::ReadImage(s.ini, s.reader, "Personality", "Right").Empty());
    EXPECT_FALSE(skin::ReadImage(s.ini, s.reader, "Personality", "Bottom").Empty());
    EXPECT_FALSE(skin::LoadImageReference(s.reader, "x:\\y\\MENUBORDER.bmp").Empty()); // entry case ignored
    EXPECT_TRUE(skin::LoadImageReference(s.reader, "menuborder.BMP").Empty());
    EXPECT_TRUE(skin::LoadImageReference(s.reader, "menuborder.tga").Empty());
    EXPECT_TRUE(skin::LoadImageReference(s.reader, "nosuch.bmp").Empty());
    EXPECT_TRUE(skin::LoadImageReference(s.reader, "corvane.ini").Empty());
}

TEST(SkinVocabulary, ColoursSectionAndDefaults) {
    skin::TSkinColours c = skin::ReadSkinColours(Sample().ini);
    EXPECT_EQ(c.ButtonFace, skin::RGBColor(214, 222, 232));
    EXPECT_EQ(c.Scrollbar, skin::RGBColor(230, 234, 240)); // written with commas
    EXPECT_EQ(c.Hilight, skin::RGBColor(59, 97, 131));
    EXPECT_EQ(c.ButtonText, skin::RGBColor(10, 20, 30));
    EXPECT_EQ(c.TitleTextNoActive, skin::RGBColor(200, 210, 220));

    skin::TSkinColours d = skin::ReadSkinColours(Ini("[Colours]\r\nButtonFace=1 2 3"));
    EXPECT_EQ(d.WindowText, skin::SysColor(8));
    EXPECT_EQ(d.ButtonFace, skin::RGBColor(1, 2, 3));
    EXPECT_EQ(d.Menubar, skin::RGBColor(1, 2, 3)); // defaults to ButtonFace as read
    EXPECT_EQ(d.Scrollbar, skin::SysColor(0));
    EXPECT_EQ(d.HilightText, skin::SysColor(14));
    EXPECT_EQ(d.Hilight, skin::SysColor(13));
    EXPECT_EQ(d.Menu, skin::SysColor(4));
    EXPECT_EQ(d.MenuText, skin::SysColor(7));
    EXPECT_EQ(d.ButtonText, skin::SysColor(18));
    EXPECT_EQ(d.ButtonHilight, skin::SysColor(20));
    EXPECT_EQ(d.ButtonLight, skin::SysColor(20));
    EXPECT_EQ(d.ButtonShadow, skin::SysColor(16));
    EXPECT_EQ(d.ButtonDkShadow, skin::SysColor(21));
    EXPECT_EQ(d.MenuBarText, skin::SysColor(7));
    EXPECT_EQ(d.TitleTextActive, skin::SysColor(9));
    EXPECT_EQ(d.TitleTextNoActive, skin::SysColor(19));
    skin::TSkinColours e = skin::ReadSkinColours(TQuickIni());
    EXPECT_EQ(e.Menubar, skin::SysColor(15));
}

TEST(SkinVocabulary, IndexedAndCustomColours) {
    EXPECT_EQ(skin::IndexedColourSections(Sample().ini),
              (std::vector<std::string>{"Colour0", "Colour1", "Colour2", "Colour3", "Colour4", "Colour5"}));
    auto indexed = skin::ReadIndexedColours(Sample().ini);
    ASSERT_EQ(indexed.size(), 6u);
    EXPECT_EQ(indexed[1], skin::RGBColor(59, 97, 131));
    auto custom = skin::ReadCustomColours(Sample().ini);
    EXPECT_EQ(custom[9], skin::RGBColor(80, 80, 80));

    TQuickIni ini = Ini("[Colours]\r\n[colourX]\r\n[COLOUR]\r\ncolor=\r\n[Colour9]\r\ncolor=1 1 1\r\n[xColour]");
    EXPECT_EQ(skin::IndexedColourSections(ini), (std::vector<std::string>{"colourX", "COLOUR", "Colour9"}));
    EXPECT_EQ(skin::ReadIndexedColours(ini), (std::vector<skin::TColor>{skin::SysColor(8), skin::SysColor(8),
                                                                        skin::RGBColor(1, 1, 1)}));
    auto none = skin::ReadCustomColours(ini);
    for (auto c : none) EXPECT_EQ(c, 0xFFFFFF);
}

TEST(SkinVocabulary, ButtonsSection) {
    const SampleSkin& s = Sample();
    const TQuickIni& ini = s.ini;
    for (const char* key : {"Bitmap", "CheckButton", "RadioButton"})
        EXPECT_FALSE(skin::ReadImage(ini, s.reader, "Buttons", key).Empty()) << key;
    for (const char* key : {"LeftWidth", "RightWidth", "TopHeight", "BottomHeight"})
        EXPECT_EQ(ini.ReadInteger("Buttons", key, 0), 4) << key;
    EXPECT_EQ(ini.ReadInteger("Buttons", "MouseOverColour", -1), 1);
    EXPECT_EQ(ini.ReadInteger("Buttons", "RadioButtonFrame", 0), 8);
    EXPECT_TRUE(skin::HasValue(ini, "Buttons", "NormalColour2"));
    EXPECT_FALSE(skin::HasValue(ini, "Buttons", "PressedColour2")); // empty value
    skin::TColor buttonText = skin::ReadSkinColours(ini).ButtonText;
    EXPECT_EQ(skin::ReadColourTriple(ini, "Buttons", "PressedColour2", buttonText), buttonText);
    EXPECT_EQ(skin::ReadColourTriple(ini, "Buttons", "MouseOverColour2", buttonText), skin::RGBColor(0, 0, 128));
}

TEST(SkinVocabulary, TitleBarButtonSections) {
    const SampleSkin& s = Sample();
    auto names = skin::TitleButtonSections(s.ini);
    EXPECT_EQ(names, (std::vector<std::string>{"ButtonClose", "ButtonMax", "ButtonRestore", "ButtonMin",
                                               "ButtonHidden"}));
    EXPECT_EQ(s.ini.ReadInteger("ButtonHidden", "Action", 0), -1);
    EXPECT_EQ(s.ini.ReadInteger("ButtonHidden", "Visibility", -1), 1);
    EXPECT_EQ(s.ini.ReadInteger("ButtonRestore", "CombineOp", -1), 1);
    EXPECT_EQ(s.ini.ReadInteger("ButtonMax", "CombineOp", -1), -1);
    EXPECT_EQ(s.ini.ReadInteger("ButtonClose", "frame", 0), 3);
    EXPECT_FALSE(skin::ReadImage(s.ini, s.reader, "ButtonClose", "ButtonImage").Empty());
    auto mdi = skin::ReadImage(s.ini, s.reader, "MDICONTROLS", "Image");
    ASSERT_FALSE(mdi.Empty());
    EXPECT_EQ(mdi.Width() % 12, 0);

    TQuickIni ini = Ini("[Button]\r\n[BUTTONS]\r\n[button.radio]\r\n[Button.CheckBox]\r\n[ButtonX]\r\n[xButton]\r\n[buttonhelp]");
    EXPECT_EQ(skin::TitleButtonSections(ini), (std::vector<std::string>{"ButtonX", "buttonhelp"}));
}

TEST(SkinVocabulary, ElementSections) {
    const SampleSkin& s = Sample();
    // Kind A sections, with "Image".
    for (const char* section :
         {"Progress.Chunk", "GroupBoxEdge", "StatusBarEdges", "Tab.Pane", "ToolBars", "SunkEdge", "ExtraImages",
          "Headerbar", "MenuItem", "MenuBackground", "Scrollbar", "HorzScroll", "VertScroll", "HorzScrollThumb",
          "VertScrollThumb", "Trackbar.ThumbHorz", "Trackbar.ThumbVert", "Trackbar.ThumbLeft",
          "Trackbar.ThumbRight", "Trackbar.ThumbUp", "Trackbar.ThumbDown", "Track"})
        EXPECT_FALSE(skin::ReadImage(s.ini, s.reader, section, "Image").Empty()) << section;
    // The sample leaves TRACKVERT out: the engine falls back to its built-in bitmap.
    EXPECT_TRUE(skin::ReadImage(s.ini, s.reader, "TRACKVERT", "Image").Empty());
    // Kind B second images.
    EXPECT_FALSE(skin::ReadImage(s.ini, s.reader, "Tabs", "Border").Empty());
    EXPECT_FALSE(skin::ReadImage(s.ini, s.reader, "UpDown.Horz", "GlyphImage").Empty());
    EXPECT_FALSE(skin::ReadImage(s.ini, s.reader, "UpDown.Vert", "GlyphImage").Empty());
    EXPECT_TRUE(skin::ReadImage(s.ini, s.reader, "ComboButton", "****").Empty());
    // Kind C and D.
    EXPECT_FALSE(skin::ReadImage(s.ini, s.reader, "Progress", "Bitmap").Empty());
    EXPECT_EQ(s.ini.ReadInteger("Progress", "Tile", 0), 2);
    EXPECT_EQ(s.ini.ReadInteger("GroupBox", "BackgroundLeftShift", 0), 8);
    EXPECT_EQ(s.ini.ReadInteger("HorzScrollThumb", "FrameCount", 3), 3);
    EXPECT_EQ(s.ini.ReadInteger("VertScrollThumb", "FrameCount", 3), 3);
    EXPECT_EQ(s.ini.ReadInteger("Headerbar", "Frame", 0), 0);
    // Frame counts of the images agree with the element table.
    EXPECT_EQ(skin::ReadImage(s.ini, s.reader, "Scrollbar", "Image").Width() % 23, 0);
    EXPECT_EQ(skin::ReadImage(s.ini, s.reader, "Buttons", "Bitmap").Width() % 5, 0);
}
