#include "test_skins.h"

#include "skin/data/pixel_image.h"
#include "skin_archive.h"

#include <fstream>
#include <tuple>
#include <functional>
#include <iterator>
#include <string>

namespace testskins {
namespace {

std::vector<std::uint8_t> Bmp(int w, int h, int frames, bool vertical, const TColor* colours) {
    skin::TPixelImage im(vertical ? w : w * frames, vertical ? h * frames : h);
    for (int f = 0; f < frames; ++f) {
        if (vertical)
            im.FillRect(0, f * h, w, (f + 1) * h, colours[f]);
        else
            im.FillRect(f * w, 0, (f + 1) * w, h, colours[f]);
    }
    return skin::WriteBitmapFile(im);
}

std::string Triple(TColor c) {
    return std::to_string(c & 0xFF) + " " + std::to_string((c >> 8) & 0xFF) + " " +
           std::to_string((c >> 16) & 0xFF);
}

std::vector<std::uint8_t> Text(const std::string& s) {
    return {s.begin(), s.end()};
}

// The four frame pieces (2 frames each, stretched) every test skin starts with: their bitmaps
// and the skin's first INI lines. `zeroHeights` gives each piece empty end heights.
std::string FramePieces(std::vector<skinpack::Entry>& entries, const char* skinName,
                        bool zeroHeights = true) {
    const TColor left[] = {kLeftActive, kLeftInactive}, right[] = {kRightActive, kRightInactive},
                 top[] = {kTopActive, kTopInactive}, bottom[] = {kBottomActive, kBottomInactive};
    entries.push_back({"left.bmp", Bmp(kLeft, 40, 2, false, left)});
    entries.push_back({"right.bmp", Bmp(kRight, 40, 2, false, right)});
    entries.push_back({"top.bmp", Bmp(60, kTitle, 2, true, top)});
    entries.push_back({"bottom.bmp", Bmp(60, kBottom, 2, true, bottom)});
    std::string ini =
        std::string("[TitlebarSkin]\r\nSkinName=") + skinName + "\r\n[Personality]\r\n";
    for (const char* piece : {"Left", "Right", "Top", "Bottom"}) {
        const std::string p = piece;
        std::string file = p == "Left"    ? "left.bmp"
                           : p == "Right" ? "right.bmp"
                           : p == "Top"   ? "top.bmp"
                                          : "bottom.bmp";
        ini +=
            p + "=" + file + "\r\n" + p + "Frame=2\r\n" + p + "Trans=0\r\n" + p + "Stretch=1\r\n";
        if (zeroHeights) ini += p + "TopHeight=0\r\n" + p + "BotHeight=0\r\n";
    }
    return ini;
}

using ExtraParts = std::function<void(std::vector<skinpack::Entry>&, std::string&)>;
std::vector<std::uint8_t> GeometryStore(bool menus, int checkFrames, int radioFrames,
                                        const ExtraParts& extra = {}) {
    std::vector<skinpack::Entry> entries;
    std::string ini = FramePieces(entries, "Geometry");
    entries.push_back({"button.bmp", Bmp(kButtonW, kButtonH, 4, false, kButtonFrames)});
    ini += "[Colours]\r\nButtonFace=" + Triple(kFace) +
           "\r\nTitleTextActive=255 255 255\r\nTitleTextNoActive=128 128 128\r\n";
    auto button = [&](const char* section, int action, int x, int visibility) {
        ini += std::string("[") + section +
               "]\r\nButtonImage=button.bmp\r\nframe=4\r\nAction=" + std::to_string(action) +
               "\r\nAlign=1\r\nXcoord=" + std::to_string(x) +
               "\r\nYcoord=" + std::to_string(kButtonY) +
               "\r\nVisibility=" + std::to_string(visibility) + "\r\nVisibility1=0\r\n";
    };
    button("ButtonClose", 0, kCloseX, 0);
    button("ButtonCustom", 40, kCustomX, 0);
    button("ButtonAsk", 41, kAskX, 1000);
    if (menus) {
        const TColor bar[] = {kBarActive, kBarInactive};
        entries.push_back({"menubar.bmp", Bmp(40, 10, 2, true, bar)});
        skin::TPixelImage item(kItemFrameW * 5, kItemFrameH);
        const TColor frames[] = {kItemNormal, kSeparatorTop, kItemFrame3, kItemSelected,
                                 kItemFrame5};
        for (int f = 0; f < 5; ++f)
            item.FillRect(f * kItemFrameW, 0, (f + 1) * kItemFrameW, kItemFrameH, frames[f]);
        // The separator frame: its bottom rows differ from the top, one of them a hole.
        item.FillRect(kItemFrameW, kSeparatorSplit, 2 * kItemFrameW, kItemFrameH, kSeparatorBottom);
        item.FillRect(kItemFrameW, kSeparatorHole, 2 * kItemFrameW, kSeparatorHole + 1,
                      skin::kMagenta);
        entries.push_back({"menuitem.bmp", skin::WriteBitmapFile(item)});
        skin::TPixelImage bg(30, 30);
        bg.FillRect(0, 0, 30, 30, kPopupBorder);
        bg.FillRect(3, 3, 27, 27, kPopupFill);
        entries.push_back({"menubg.bmp", skin::WriteBitmapFile(bg)});
        auto insertAfter = [&](const std::string& section, const std::string& keys) {
            ini.insert(ini.find(section) + section.size(), keys);
        };
        insertAfter("[Personality]\r\n", "menuBar=menubar.bmp\r\nTileMenu=1\r\nTileLeftMenu=" +
                                             std::to_string(kBarMargin) + "\r\nTileRightMenu=" +
                                             std::to_string(kBarMargin) + "\r\n");
        ini += "[MenuItem]\r\nImage=menuitem.bmp\r\nFrame=5\r\nLeftWidth=2\r\nRightWidth=2\r\n"
               "TopHeight=1\r\nBottomHeight=1\r\nTrans=1\r\nTile=0\r\n";
        ini += "[MenuBackground]\r\nImage=menubg.bmp\r\nFrame=1\r\nLeftWidth=3\r\n"
               "RightWidth=3\r\nTopHeight=3\r\nBottomHeight=3\r\nTile=0\r\n";
        insertAfter(
            "[Colours]\r\n",
            "Menu=" + Triple(kMenuFill) + "\r\nMenuText=" + Triple(kMenuText) +
                "\r\nHilight=" + Triple(kHilight) + "\r\nHilightText=" + Triple(kHilightText) +
                "\r\nButtonShadow=" + Triple(kDisabledText) +
                "\r\nMenuBarText=" + Triple(kBarText) + "\r\nButtonHilight=" + Triple(kHotFrame) +
                "\r\nMenubar=" + Triple(kBarActive) + "\r\n");
    }
    if (checkFrames >= 0) {
        entries.push_back({"push.bmp", Bmp(20, 12, 5, false, kPushFrames)});
        ini += "[Buttons]\r\nBitmap=push.bmp\r\nLeftWidth=0\r\nTopHeight=0\r\nRightWidth=0"
               "\r\nBottomHeight=0\r\nTrans=0\r\nTile=0\r\n";
        if (checkFrames > 0) {
            entries.push_back({"check.bmp", Bmp(kGlyph, kGlyph, checkFrames, false, kGlyphFrames)});
            ini +=
                "CheckButton=check.bmp\r\nCheckButtonFrame=" + std::to_string(checkFrames) + "\r\n";
        }
        if (radioFrames > 0) {
            entries.push_back({"radio.bmp", Bmp(kGlyph, kGlyph, radioFrames, false, kRadioFrames)});
            ini +=
                "RadioButton=radio.bmp\r\nRadioButtonFrame=" + std::to_string(radioFrames) + "\r\n";
        }
    }
    if (extra) extra(entries, ini);
    entries.push_back({"geometry.ini", Text(ini)});
    return skinpack::PackStore(skinpack::BuildArchive(entries));
}
} // namespace

std::vector<std::uint8_t> GeometrySkinStore() {
    return GeometryStore(false, -1, -1);
}

std::vector<std::uint8_t> MenuSkinStore() {
    return GeometryStore(true, -1, -1);
}

std::vector<std::uint8_t> TitleButtonsSkinStore() {
    return GeometryStore(true, -1, -1, [](std::vector<skinpack::Entry>&, std::string& ini) {
        for (auto [section, action, x] :
             {std::tuple{"ButtonMax", 1, kMaxX}, {"ButtonMin", 2, kMinX}})
            ini += std::string("[") + section +
                   "]\r\nButtonImage=button.bmp\r\nframe=4\r\nAction=" + std::to_string(action) +
                   "\r\nAlign=1\r\nXcoord=" + std::to_string(x) +
                   "\r\nYcoord=" + std::to_string(kButtonY) +
                   "\r\nVisibility=0\r\nVisibility1=0\r\n";
    });
}

std::vector<std::uint8_t> IconTitleSkinStore() {
    return GeometryStore(false, -1, -1, [](std::vector<skinpack::Entry>&, std::string& ini) {
        ini += "[ButtonIcon]\r\nAction=3\r\nAlign=0\r\nXcoord=" + std::to_string(kIconX) +
               "\r\nYcoord=1\r\nVisibility=0\r\nVisibility1=0\r\n";
    });
}

std::vector<std::uint8_t> KeyedBottomSkinStore() {
    return GeometryStore(false, -1, -1,
                         [](std::vector<skinpack::Entry>& entries, std::string& ini) {
                             const TColor keyed[] = {skin::kMagenta, skin::kMagenta};
                             for (auto& e : entries)
                                 if (e.name == "bottom.bmp")
                                     e.bytes = Bmp(60, kBottom, 2, true, keyed);
                             for (const char* key : {"LeftTrans=0", "BottomTrans=0"}) {
                                 const size_t at = ini.find(key);
                                 ini[at + std::string(key).size() - 1] = '1';
                             }
                         });
}

std::vector<std::uint8_t> ControlsSkinStore(int checkFrames, int radioFrames) {
    return GeometryStore(false, checkFrames, radioFrames);
}

std::vector<std::uint8_t> ProductSkinStore() {
    std::ifstream in(std::string(CORVANE_BINARY_DIR) + "/generated/skin.store", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> DamagedStore() {
    std::vector<std::uint8_t> store = GeometrySkinStore();
    store[0] = 8; // an unpacked length no archive can have
    store[1] = store[2] = store[3] = 0;
    return store;
}

TSkinData* MakeSkinData(const std::vector<std::uint8_t>& store, TComponent* owner) {
    auto* data = new TSkinData(owner);
    data->Store = store;
    data->LoadSkin();
    return data;
}

std::vector<std::uint8_t> SmallControlsSkinStore() {
    return SmallControlsSkinStoreWith(5);
}

std::vector<std::uint8_t> SmallControlsSkinStoreWith(int tabFrames, bool spinGlyphs) {
    std::vector<skinpack::Entry> entries;
    std::string ini = FramePieces(entries, "SmallControls", false);
    ini += "[Colours]\r\nButtonFace=" + Triple(kFace) + "\r\n";
    entries.push_back({"push.bmp", Bmp(20, 12, 5, false, kPushFrames)});
    ini += "[Buttons]\r\nBitmap=push.bmp\r\nLeftWidth=0\r\nTopHeight=0\r\nRightWidth=0"
           "\r\nBottomHeight=0\r\nTrans=0\r\nTile=0\r\n";
    skin::TPixelImage tabs(kTabFrameW * tabFrames, kTabFrameH);
    for (int f = 0; f < tabFrames; ++f) {
        tabs.FillRect(f * kTabFrameW, 0, (f + 1) * kTabFrameW, kTabFrameH, kTabFrames[f]);
        tabs.FillRect(f * kTabFrameW, 0, (f + 1) * kTabFrameW, kTabOuterRows, kTabOuter);
    }
    entries.push_back({"tabs.bmp", skin::WriteBitmapFile(tabs)});
    skin::TPixelImage pane(kPaneSize, kPaneSize);
    pane.FillRect(0, 0, kPaneSize, kPaneSize, kPaneEdge);
    pane.FillRect(2, 2, kPaneSize - 2, kPaneSize - 2, kPaneFill);
    pane.FillRect(0, 0, kPaneSize, 3, kPaneTop);
    entries.push_back({"pane.bmp", skin::WriteBitmapFile(pane)});
    ini += "[Tabs]\r\nImage=tabs.bmp\r\nFrame=" + std::to_string(tabFrames) +
           "\r\nBorder=pane.bmp\r\nStyle=0\r\n"
           "LeftWidth=3\r\nTopHeight=3\r\nRightWidth=3\r\nBottomHeight=3\r\nTrans=0\r\n"
           "Tile=0\r\nNormalColour2=" +
           Triple(kTabText) + "\r\nMouseOverColour2=" + Triple(kTabCurrentText) + "\r\n";
    entries.push_back({"spinv.bmp", Bmp(12, 10, 8, false, kSpinFrames)});
    entries.push_back({"spinh.bmp", Bmp(10, 12, 8, false, kSpinFrames)});
    const std::string glyphs = spinGlyphs ? "GlyphImage=glyphs.bmp\r\n" : "";
    if (spinGlyphs) entries.push_back({"glyphs.bmp", Bmp(6, 6, 8, false, kSpinGlyphs)});
    ini += "[UpDown.Vert]\r\nImage=spinv.bmp\r\nFrame=8\r\nTrans=1\r\n" + glyphs;
    ini += "[UpDown.Horz]\r\nImage=spinh.bmp\r\nFrame=8\r\nTrans=1\r\n" + glyphs;
    const TColor progress[] = {kProgressBack, kProgressBar};
    entries.push_back({"progress.bmp", Bmp(10, 10, 2, false, progress)});
    ini += "[Progress]\r\nBitmap=progress.bmp\r\nStyle=0\r\nTrans=1\r\nTile=0\r\n";
    entries.push_back({"track.bmp", Bmp(20, 4, 1, false, &kTrackHorz)});
    entries.push_back({"trackv.bmp", Bmp(4, 20, 1, false, &kTrackVert)});
    ini += "[Track]\r\nImage=track.bmp\r\nFrame=1\r\nLeftWidth=2\r\nRightWidth=2\r\n";
    ini += "[TRACKVERT]\r\nImage=trackv.bmp\r\nFrame=1\r\nTopHeight=2\r\nBottomHeight=2\r\n";
    entries.push_back({"thumbh.bmp", Bmp(10, 18, 5, false, kThumbFrames)});
    entries.push_back({"thumbv.bmp", Bmp(18, 10, 5, false, kThumbFrames)});
    ini += "[Trackbar.ThumbHorz]\r\nImage=thumbh.bmp\r\nFrame=5\r\nTrans=1\r\n";
    ini += "[Trackbar.ThumbVert]\r\nImage=thumbv.bmp\r\nFrame=5\r\nTrans=1\r\n";
    entries.push_back({"small.ini", Text(ini)});
    return skinpack::PackStore(skinpack::BuildArchive(entries));
}

std::vector<std::uint8_t> EditsSkinStore(int comboStyle, bool sunkEdge) {
    return GeometryStore(
        false, 4, 4,
        [comboStyle, sunkEdge](std::vector<skinpack::Entry>& entries, std::string& ini) {
            entries.push_back({"combo.bmp", Bmp(kComboW, kComboH, 4, false, kComboFrames)});
            if (sunkEdge) entries.push_back({"sunk.bmp", Bmp(12, 12, 4, false, kSunkFrames)});
            entries.push_back({"extra.bmp", Bmp(kExtraW, kExtraW, 5, false, kExtraFrames)});
            entries.push_back({"edges.bmp", Bmp(12, 12, 3, false, kEdgeFrames)});
            ini += "[ComboButton]\r\nImage=combo.bmp\r\nStyle=" + std::to_string(comboStyle) +
                   "\r\nTrans=1\r\n";
            if (sunkEdge)
                ini += "[SunkEdge]\r\nImage=sunk.bmp\r\nLeftWidth=3\r\nRightWidth=3\r\nTopHeight=3"
                       "\r\nBottomHeight=3\r\n";
            ini += "[ExtraImages]\r\nImage=extra.bmp\r\n";
            ini += "[StatusBarEdges]\r\nImage=edges.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\n"
                   "TopHeight=2\r\nBottomHeight=2\r\nNormalColour2=" +
                   Triple(kStatusText) + "\r\n";
            const std::string colours = "[Colours]\r\n";
            ini.insert(ini.find(colours) + colours.size(),
                       "ButtonShadow=" + Triple(kEditShadow) + "\r\n");
        });
}

TColor StripFrame(int frame) {
    return static_cast<TColor>(0x000040 + frame * 0x000100 + frame * 0x070000);
}

std::vector<std::uint8_t> ScrollSkinStore(bool header) {
    std::vector<skinpack::Entry> entries;
    std::string ini = FramePieces(entries, "Scroll");
    TColor strip[23];
    for (int f = 0; f < 23; ++f) strip[f] = StripFrame(f + 1);
    entries.push_back({"arrows.bmp", Bmp(kStripW, kStripH, 23, false, strip)});
    entries.push_back({"htrack.bmp", Bmp(8, 8, 4, false, kHorzTrack)});
    entries.push_back({"vtrack.bmp", Bmp(8, 8, 4, false, kVertTrack)});
    entries.push_back({"hthumb.bmp", Bmp(8, 8, 3, false, kHorzThumb)});
    entries.push_back({"vthumb.bmp", Bmp(8, 8, 3, false, kVertThumb)});
    entries.push_back({"header.bmp", Bmp(10, 10, 3, false, kHeaderFrames)});
    ini += "[Colours]\r\nButtonFace=" + Triple(kFace) +
           "\r\nButtonShadow=" + Triple(kScrollShadow) + "\r\nButtonText=0 0 0\r\n";
    auto element = [&](const char* section, const char* file, const char* extra) {
        ini += std::string("[") + section + "]\r\nImage=" + file +
               "\r\nLeftWidth=0\r\nRightWidth=0\r\nTopHeight=0\r\nBottomHeight=0"
               "\r\nTrans=0\r\nTile=0\r\n" +
               extra;
    };
    element("Scrollbar", "arrows.bmp", "");
    element("HorzScroll", "htrack.bmp", "");
    element("VertScroll", "vtrack.bmp", "");
    element("HorzScrollThumb", "hthumb.bmp", "Frame=3\r\nFrameCount=3\r\n");
    element("VertScrollThumb", "vthumb.bmp", "Frame=3\r\nFrameCount=3\r\n");
    if (header) element("Headerbar", "header.bmp", "Frame=3\r\n");
    entries.push_back({"scroll.ini", Text(ini)});
    return skinpack::PackStore(skinpack::BuildArchive(entries));
}

} // namespace testskins
