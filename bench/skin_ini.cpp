// Skin description figures: TQuickIni load of a full description and the lookups
// that applying a skin makes (every key of the vocabulary, about 400 reads), and image
// reference loading from an opened store (every bitmap of the sample skin), and the open of
// the 600 KB store itself.
//
//   build/native/bench/bench_skin_ini [repeats]
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"
#include "skin/data/skin_values.h"

#include "sample_skin.h"
#include "skin_archive.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

template <typename F> double Best(int repeats, int inner, F f) {
    double best = 1e9;
    for (int r = 0; r < repeats; ++r) {
        auto t0 = Clock::now();
        for (int i = 0; i < inner; ++i) f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count() / inner);
    }
    return best;
}

// The lookups made when a description is applied, in their order.
int ApplyLookups(const skin::TQuickIni& ini) {
    int reads = 0;
    auto s = [&](const std::string& section, const std::string& key) {
        ++reads;
        return ini.ReadString(section, key, "");
    };
    auto n = [&](const std::string& section, const std::string& key, int def) {
        ++reads;
        return ini.ReadInteger(section, key, def);
    };
    auto sections = ini.ReadSections();
    s("TitlebarSkin", "SkinName");
    for (std::string b : {"Left", "Right", "Top", "Bottom"}) {
        n("Personality", b + "TopHeight", 0);
        n("Personality", b + "BotHeight", 0);
        n("Personality", b + "Frame", 1);
        n("Personality", b + "Stretch", 1);
        n("Personality", b + "Trans", 1);
        s("Personality", b);
    }
    skin::ReadSkinColours(ini);
    reads += 16;
    reads += static_cast<int>(skin::ReadIndexedColours(ini).size());
    skin::ReadCustomColours(ini);
    reads += 10;
    for (const std::string& b : skin::TitleButtonSections(ini))
        for (const char* key : {"Action", "Align", "Xcoord", "Ycoord", "Visibility", "Visibility1", "CombineOp", "frame"})
            n(b, key, 0);
    for (const char* key : {"Bitmap", "CheckButton", "RadioButton", "NormalColour2", "MouseOverColour2", "PressedColour2"})
        s("Buttons", key);
    for (const char* key : {"LeftWidth", "RightWidth", "TopHeight", "BottomHeight", "Trans", "Tile", "NormalColour",
                            "MouseOverColour", "PressedColour", "RadioButtonFrame", "CheckButtonFrame"})
        n("Buttons", key, 0);
    for (const char* key : {"TextShift", "TextShiftVert", "TextRightClip", "TextAlignment", "Textbackground",
                            "TXTBackleft", "TXTBackRight", "ActiveTextR", "ActiveTextG", "ActiveTextB",
                            "InActiveTextR", "InActiveTextG", "InActiveTextB", "TileMenu", "TileLeftMenu", "TileRightMenu"})
        n("Personality", key, 0);
    s("Personality", "TextBack");
    s("Personality", "menuBar");
    n("Fonts", "FontHeight", 14);
    for (const char* section :
         {"Progress", "Progress.Chunk", "GroupBoxEdge", "GroupBox", "Tabs", "StatusBarEdges", "Tab.Pane", "ToolBars",
          "ComboButton", "SunkEdge", "ExtraImages", "Headerbar", "MenuItem", "MenuBackground", "Scrollbar",
          "HorzScroll", "VertScroll", "HorzScrollThumb", "VertScrollThumb", "Trackbar.ThumbHorz", "Trackbar.ThumbVert",
          "Trackbar.ThumbLeft", "Trackbar.ThumbRight", "Trackbar.ThumbUp", "Trackbar.ThumbDown", "UpDown.Horz",
          "UpDown.Vert", "Track", "TRACKVERT"}) {
        s(section, "Image");
        for (const char* key : {"Style", "LeftWidth", "RightWidth", "TopHeight", "BottomHeight", "Frame", "Trans",
                                "Tile", "NormalColour", "MouseOverColour", "PressedColour"})
            n(section, key, 0);
        for (const char* key : {"NormalColour2", "MouseOverColour2", "PressedColour2"}) s(section, key);
    }
    return reads;
}

} // namespace

int main(int argc, char** argv) {
    int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::string text = skinpack::SampleSkinIni();
    skin::TQuickIni ini;
    ini.Load(text);
    int reads = ApplyLookups(ini);

    double load = Best(repeats, 200, [&] {
        skin::TQuickIni fresh;
        fresh.Load(text);
    });
    double lookups = Best(repeats, 200, [&] { ApplyLookups(ini); });

    const std::vector<std::uint8_t> store =
        skinpack::PackStore(skinpack::BuildArchive(skinpack::SampleSkinEntries(600 * 1024)));
    skin::TSkinReader reader;
    if (!reader.Open(store)) {
        std::printf("the sample store does not open\n");
        return 1;
    }
    double open = Best(repeats, 3, [&] {
        skin::TSkinReader r;
        r.Open(store);
    });
    int images = 0;
    std::size_t pixels = 0;
    double load_images = Best(repeats, 5, [&] {
        images = 0;
        pixels = 0;
        for (const std::string& name : reader.EntryNames) {
            skin::TPixelImage im = skin::LoadImageReference(reader, name);
            if (!im.Empty()) {
                ++images;
                pixels += im.SizeBytes();
            }
        }
    });

    std::printf("skin store: %zu bytes, unpacks to %d; open (unpack and split): %8.1f us\n", store.size(),
                reader.UnpackedSize, open * 1e6);
    std::printf("skin description: %zu bytes, %zu lines, %zu sections\n", text.size(), ini.Lines.size(),
                ini.Sections.size());
    std::printf("  load:                       %8.1f us\n", load * 1e6);
    std::printf("  apply lookups (%3d reads):  %8.1f us  (%.2f us per read)\n", reads, lookups * 1e6,
                lookups * 1e6 / reads);
    std::printf("  %d bitmaps (%.0f KB of pixels) looked up and read: %8.1f us\n", images, pixels / 1024.0,
                load_images * 1e6);
    return 0;
}
