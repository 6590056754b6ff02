// The skin generator, for the product skin and the skins shipped as files: the files it
// writes, their format, and the rules the skin engine imposes on them (frame counts,
// stretchable middles, transparent corners, title button placement).
#include "skin/art/product_skin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using skin::art::Rgb;

const std::set<std::string> kBitmapNames = {"arrows.bmp",
                                            "button-mdi.bmp",
                                            "buttons-menu.bmp",
                                            "buttons-tabs.bmp",
                                            "buttons-toolbar.bmp",
                                            "buttons.bmp",
                                            "checkbox.bmp",
                                            "closebutton.bmp",
                                            "combo-arrows.bmp",
                                            "combo.bmp",
                                            "dialog.bmp",
                                            "framebottom.bmp",
                                            "frameleft.bmp",
                                            "frameright.bmp",
                                            "frametop.bmp",
                                            "groupboxedge.bmp",
                                            "groupboxlabel.bmp",
                                            "hscroll_back.bmp",
                                            "hscroll_bar.bmp",
                                            "maxbutton.bmp",
                                            "menu.bmp",
                                            "menuborder.bmp",
                                            "menutool.bmp",
                                            "minbutton.bmp",
                                            "mxskin24__header.bmp",
                                            "progress.bmp",
                                            "radio.bmp",
                                            "restrorebutton.bmp",
                                            "spin.bmp",
                                            "spinarrow.bmp",
                                            "spinh.bmp",
                                            "spinharrow.bmp",
                                            "status.bmp",
                                            "sunkedge.bmp",
                                            "tabborder.bmp",
                                            "toolbarbg.bmp",
                                            "trackbot.bmp",
                                            "trackthumbh.bmp",
                                            "vscroll_back.bmp",
                                            "vscroll_bar.bmp"};

struct Pixels {
    int w = 0, h = 0;
    std::vector<Rgb> px; // top-down
    Rgb At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

std::uint32_t Le(const std::vector<std::uint8_t>& b, size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
    return v;
}

// Reads a file the way a Windows bitmap reader would, insisting on the one layout we write.
std::optional<Pixels> ReadBmp(const std::vector<std::uint8_t>& b, std::string& why) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return why = "no BM header", std::nullopt;
    Pixels p;
    p.w = static_cast<int>(Le(b, 18, 4));
    p.h = static_cast<int>(Le(b, 22, 4));
    const std::uint32_t stride = (static_cast<std::uint32_t>(p.w) * 3 + 3) & ~3u;
    if (Le(b, 2, 4) != b.size()) return why = "file size field", std::nullopt;
    if (Le(b, 10, 4) != 54 || Le(b, 14, 4) != 40) return why = "header sizes", std::nullopt;
    if (p.w <= 0 || p.h <= 0) return why = "not a bottom-up image", std::nullopt;
    if (Le(b, 26, 2) != 1 || Le(b, 28, 2) != 24 || Le(b, 30, 4) != 0)
        return why = "not 24-bit BI_RGB", std::nullopt;
    if (Le(b, 34, 4) != stride * p.h || b.size() != 54 + stride * p.h)
        return why = "pixel data size", std::nullopt;
    p.px.resize(static_cast<size_t>(p.w) * p.h);
    for (int y = 0; y < p.h; ++y) {
        size_t row = 54 + static_cast<size_t>(p.h - 1 - y) * stride;
        for (int x = 0; x < p.w; ++x)
            p.px[static_cast<size_t>(y) * p.w + x] = {b[row + 3 * x + 2], b[row + 3 * x + 1],
                                                      b[row + 3 * x]};
        for (size_t pad = row + 3 * p.w; pad < row + stride; ++pad)
            if (b[pad] != 0) return why = "padding not zero", std::nullopt;
    }
    return p;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// section (lower case) -> key (lower case) -> value; first occurrence wins.
using Ini = std::map<std::string, std::map<std::string, std::string>>;

Ini ParseIni(const std::string& text) {
    Ini ini;
    std::string section;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        std::string line = text.substr(pos, end - pos);
        pos = end == std::string::npos ? text.size() : end + 2;
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = Lower(line.substr(1, line.size() - 2));
            ini[section];
        } else if (size_t eq = line.find('='); eq != std::string::npos) {
            ini[section].emplace(Lower(line.substr(0, eq)), line.substr(eq + 1));
        }
    }
    return ini;
}

int Int(const Ini& ini, const std::string& section, const std::string& key, int def) {
    auto s = ini.find(Lower(section));
    if (s == ini.end()) return def;
    auto k = s->second.find(Lower(key));
    return k == s->second.end() ? def : std::stoi(k->second);
}

std::string Str(const Ini& ini, const std::string& section, const std::string& key) {
    auto s = ini.find(Lower(section));
    if (s == ini.end()) return "";
    auto k = s->second.find(Lower(key));
    return k == s->second.end() ? "" : k->second;
}

skin::art::Theme ThemeNamed(const std::string& name) {
    skin::art::Theme theme;
    EXPECT_TRUE(skin::art::FindTheme(name, theme)) << name;
    return theme;
}

// Parameter: the skin's name for FindTheme.
class GeneratedSkin : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        theme_ = ThemeNamed(GetParam());
        files_ = skin::art::EncodeSkinFiles(skin::art::BuildSkin(theme_));
    }

    const std::vector<std::uint8_t>& Bytes(const std::string& name) const {
        for (const auto& f : files_)
            if (f.name == name) return f.bytes;
        static const std::vector<std::uint8_t> none;
        return none;
    }
    Pixels Bitmap(const std::string& name) const {
        std::string why;
        auto p = ReadBmp(Bytes(name), why);
        EXPECT_TRUE(p) << name << ": " << why;
        return p.value_or(Pixels{});
    }
    Ini Description() const {
        const auto& b = Bytes(skin::art::kDescriptionName);
        return ParseIni(std::string(b.begin(), b.end()));
    }

    skin::art::Theme theme_;
    std::vector<skin::art::SkinFile> files_;
};

TEST_P(GeneratedSkin, WritesTheFortyBitmapsAndOneDescription) {
    auto dir =
        std::filesystem::temp_directory_path() / ("skingen_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::string error;
    ASSERT_TRUE(skin::art::WriteSkinFiles(files_, dir.string(), error)) << error;
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        written.insert(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<std::uint8_t> onDisk((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(onDisk, Bytes(entry.path().filename().string())) << entry.path();
    }
    std::filesystem::remove_all(dir);

    std::set<std::string> expected = kBitmapNames;
    expected.insert(skin::art::kDescriptionName);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(files_.size(), 41u);
}

TEST_P(GeneratedSkin, EveryBitmapIsAPlain24BitBmp) {
    for (const std::string& name : kBitmapNames) {
        std::string why;
        EXPECT_TRUE(ReadBmp(Bytes(name), why)) << name << ": " << why;
    }
}

TEST_P(GeneratedSkin, TwoRunsGiveTheSameBytes) {
    auto again = skin::art::EncodeSkinFiles(skin::art::BuildSkin(ThemeNamed(GetParam())));
    ASSERT_EQ(again.size(), files_.size());
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(again[i].name, (files_)[i].name);
        EXPECT_TRUE(again[i].bytes == (files_)[i].bytes) << again[i].name;
    }
}

TEST_P(GeneratedSkin, DescriptionIsCleanIniWithCrLfLines) {
    const auto& b = Bytes(skin::art::kDescriptionName);
    std::string text(b.begin(), b.end());
    std::set<std::string> sections;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "last line lacks CR LF";
        std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            ASSERT_EQ(line.back(), ']') << line;
            // A repeated section would be silently ignored by the reader.
            EXPECT_TRUE(sections.insert(Lower(line)).second) << "repeated " << line;
        } else {
            EXPECT_NE(line.find('='), std::string::npos) << line;
        }
    }
}

// Every image key of the description, with the frame count the engine will use for it.
struct Use {
    std::string section, file;
    int frames;
    bool stacked; // frames top to bottom instead of side by side
};

std::vector<Use> ImageUses(const Ini& ini) {
    std::vector<Use> uses;
    for (const char* b : {"Left", "Right", "Top", "Bottom"}) {
        std::string s = b;
        uses.push_back({"Personality." + s, Str(ini, "Personality", s),
                        Int(ini, "Personality", s + "Frame", 1), s == "Top" || s == "Bottom"});
    }
    uses.push_back({"Personality.menuBar", Str(ini, "Personality", "menuBar"), 2, true});
    uses.push_back({"Personality.TextBack", Str(ini, "Personality", "TextBack"), 1, false});
    uses.push_back({"Buttons", Str(ini, "Buttons", "Bitmap"), 5, false});
    uses.push_back({"Buttons.Check", Str(ini, "Buttons", "CheckButton"),
                    Int(ini, "Buttons", "CheckButtonFrame", 0), false});
    uses.push_back({"Buttons.Radio", Str(ini, "Buttons", "RadioButton"),
                    Int(ini, "Buttons", "RadioButtonFrame", 0), false});
    uses.push_back({"MDICONTROLS", Str(ini, "MDICONTROLS", "Image"), 12, false});
    int progressFrames = Int(ini, "Progress", "Style", 0) != 0 ? 1 : 2;
    uses.push_back({"Progress", Str(ini, "Progress", "Bitmap"), progressFrames, false});
    // Counts the engine fixes whatever the description says; -1: the description decides.
    const std::pair<const char*, int> kindA[] = {{"Progress.Chunk", -1},
                                                 {"GroupBoxEdge", 2},
                                                 {"GroupBox", 1},
                                                 {"Tabs", 5},
                                                 {"StatusBarEdges", 3},
                                                 {"Tab.Pane", 1},
                                                 {"ToolBars", 5},
                                                 {"ComboButton", 4},
                                                 {"SunkEdge", 4},
                                                 {"ExtraImages", 5},
                                                 {"Headerbar", -1},
                                                 {"MenuItem", 5},
                                                 {"MenuBackground", 1},
                                                 {"Scrollbar", 23},
                                                 {"HorzScroll", 4},
                                                 {"VertScroll", 4},
                                                 {"HorzScrollThumb", -1},
                                                 {"VertScrollThumb", -1},
                                                 {"Trackbar.ThumbHorz", 5},
                                                 {"Trackbar.ThumbVert", 5},
                                                 {"UpDown.Horz", 8},
                                                 {"UpDown.Vert", 8},
                                                 {"Track", -1}};
    for (auto [section, fixed] : kindA) {
        int declared = Int(ini, section, "Frame", 0);
        if (std::string(section).find("ScrollThumb") != std::string::npos) {
            EXPECT_EQ(Int(ini, section, "FrameCount", 3), declared) << section;
        }
        if (fixed > 0) {
            EXPECT_EQ(declared, fixed) << section << " declares another frame count";
        }
        uses.push_back({section, Str(ini, section, "Image"), fixed > 0 ? fixed : declared, false});
    }
    uses.push_back({"Tabs.Border", Str(ini, "Tabs", "Border"), 1, false});
    uses.push_back({"UpDown.Horz.Glyph", Str(ini, "UpDown.Horz", "GlyphImage"), 8, false});
    uses.push_back({"UpDown.Vert.Glyph", Str(ini, "UpDown.Vert", "GlyphImage"), 8, false});
    for (const auto& [section, keys] : ini)
        if (section.rfind("button", 0) == 0 && keys.count("buttonimage"))
            uses.push_back({section, keys.at("buttonimage"), std::stoi(keys.at("frame")), false});
    return uses;
}

TEST_P(GeneratedSkin, FrameCountsDivideEveryBitmap) {
    Ini ini = Description();
    std::set<std::string> referenced;
    for (const Use& u : ImageUses(ini)) {
        SCOPED_TRACE(u.section + " -> " + u.file);
        ASSERT_TRUE(kBitmapNames.count(u.file)) << "names no bitmap of the skin";
        referenced.insert(u.file);
        Pixels p = Bitmap(u.file);
        ASSERT_GT(u.frames, 0);
        EXPECT_EQ((u.stacked ? p.h : p.w) % u.frames, 0);
    }
    // Only these counts keep hot and pressed frames apart from the checked ones.
    EXPECT_EQ(Int(ini, "Buttons", "CheckButtonFrame", 0), 12);
    EXPECT_EQ(Int(ini, "Buttons", "RadioButtonFrame", 0), 8);
    std::vector<std::string> unused;
    std::set_difference(kBitmapNames.begin(), kBitmapNames.end(), referenced.begin(),
                        referenced.end(), std::back_inserter(unused));
    EXPECT_TRUE(unused.empty()) << "bitmap nobody reads: " << unused.front();
}

bool Same(const Pixels& p, int x0, int y0, int x1, int y1) {
    return p.At(x0, y0) == p.At(x1, y1);
}

// The engine stretches the part between the margins with a nearest-neighbour copy: anything
// that varies along a stretched axis would smear. Each stretched band must be uniform.
TEST_P(GeneratedSkin, StretchedPartsAreUniform) {
    Ini ini = Description();
    struct Slice {
        std::string section, imageKey;
        int frames;
        bool alongX, alongY, stacked;
        int l, t, r, b;
    };
    auto m = [&](const std::string& s, const char* key) { return Int(ini, s, key, 0); };
    std::vector<Slice> slices;
    for (const char* s :
         {"Buttons", "Tabs", "SunkEdge", "MenuBackground", "Headerbar", "StatusBarEdges",
          "GroupBoxEdge", "ToolBars", "Progress", "ComboButton"}) {
        std::string key =
            std::string(s) == "Buttons" || std::string(s) == "Progress" ? "Bitmap" : "Image";
        int frames = std::string(s) == "Progress" ? 2 : Int(ini, s, "Frame", 1);
        slices.push_back({s, key, frames, true, true, false, m(s, "LeftWidth"), m(s, "TopHeight"),
                          m(s, "RightWidth"), m(s, "BottomHeight")});
    }
    slices.push_back({"HorzScrollThumb", "Image", 3, true, false, false,
                      m("HorzScrollThumb", "LeftWidth"), 0, m("HorzScrollThumb", "RightWidth"), 0});
    slices.push_back({"VertScrollThumb", "Image", 3, false, true, false, 0,
                      m("VertScrollThumb", "TopHeight"), 0, m("VertScrollThumb", "BottomHeight")});
    slices.push_back({"Track", "Image", 1, true, false, false, m("Track", "LeftWidth"), 0,
                      m("Track", "RightWidth"), 0});
    for (const char* s : {"Left", "Right"})
        slices.push_back({"Personality", s, 2, false, true, false, 0,
                          Int(ini, "Personality", std::string(s) + "TopHeight", 0), 0,
                          Int(ini, "Personality", std::string(s) + "BotHeight", 0)});
    for (const char* s : {"Top", "Bottom"})
        slices.push_back({"Personality", s, 2, true, false, true,
                          Int(ini, "Personality", std::string(s) + "TopHeight", 0), 0,
                          Int(ini, "Personality", std::string(s) + "BotHeight", 0), 0});
    // The menu bar is stretched to the band's height: it has no vertical margins at all.
    slices.push_back({"Personality", "menuBar", 2, true, true, true, 1, 0, 1, 0});
    slices.push_back({"HorzScroll", "Image", 4, true, false, false, 0, 0, 0, 0});
    slices.push_back({"VertScroll", "Image", 4, false, true, false, 0, 0, 0, 0});

    for (const Slice& s : slices) {
        Pixels p = Bitmap(Str(ini, s.section, s.imageKey));
        int fw = s.stacked ? p.w : p.w / s.frames, fh = s.stacked ? p.h / s.frames : p.h;
        SCOPED_TRACE(s.section + "." + s.imageKey);
        ASSERT_LT(s.l + s.r, fw) << "no middle columns";
        ASSERT_LT(s.t + s.b, fh) << "no middle rows";
        for (int k = 0; k < s.frames; ++k) {
            int ox = s.stacked ? 0 : k * fw, oy = s.stacked ? k * fh : 0;
            for (int y = 0; y < fh; ++y)
                for (int x = 0; x < fw; ++x) {
                    bool midX = x >= s.l && x < fw - s.r, midY = y >= s.t && y < fh - s.b;
                    if (s.alongX && midX) {
                        ASSERT_TRUE(Same(p, ox + s.l, oy + y, ox + x, oy + y))
                            << "frame " << k + 1 << " x " << x << " y " << y;
                    }
                    if (s.alongY && midY) {
                        ASSERT_TRUE(Same(p, ox + x, oy + s.t, ox + x, oy + y))
                            << "frame " << k + 1 << " x " << x << " y " << y;
                    }
                }
        }
    }
}

bool IsKey(Rgb c) {
    return c == skin::art::kKey;
}

TEST_P(GeneratedSkin, TransparencyIsExactKeyWithoutMagentaFringes) {
    // Window corners: the first and last columns of the side pieces start transparent.
    Pixels left = Bitmap("frameleft.bmp"), right = Bitmap("frameright.bmp"),
           top = Bitmap("frametop.bmp");
    for (int k = 0; k < 2; ++k) {
        EXPECT_TRUE(IsKey(left.At(k * left.w / 2, 0)));
        EXPECT_TRUE(IsKey(right.At((k + 1) * right.w / 2 - 1, 0)));
        EXPECT_TRUE(IsKey(top.At(0, k * top.h / 2)));
        EXPECT_TRUE(IsKey(top.At(top.w - 1, k * top.h / 2)));
        // Below the title the border is solid; the bottom corner is a hole only when the
        // skin rounds it.
        const int title = top.h / 2;
        EXPECT_FALSE(IsKey(left.At(k * left.w / 2, title)));
        EXPECT_FALSE(IsKey(right.At((k + 1) * right.w / 2 - 1, title)));
        const bool low = theme_.metric.kLowCorner > 0;
        EXPECT_EQ(IsKey(left.At(k * left.w / 2, left.h - 1)), low);
        EXPECT_EQ(IsKey(right.At((k + 1) * right.w / 2 - 1, right.h - 1)), low);
    }
    // Rounded controls: every frame's corner pixel is a hole.
    for (auto [name, frames] : {std::pair{"buttons.bmp", 5},
                                {"checkbox.bmp", 12},
                                {"radio.bmp", 8},
                                {"buttons-tabs.bmp", 5},
                                {"progress.bmp", 2},
                                {"trackthumbh.bmp", 5}}) {
        Pixels p = Bitmap(name);
        int fw = p.w / frames;
        for (int k = 0; k < frames; ++k) {
            EXPECT_TRUE(IsKey(p.At(k * fw, 0))) << name << " frame " << k + 1;
            EXPECT_TRUE(IsKey(p.At(k * fw + fw - 1, 0))) << name << " frame " << k + 1;
        }
    }
    // Soft edges are blended toward what lies behind them, never toward the key: no pixel
    // other than the key itself has a magenta tint.
    for (const std::string& name : kBitmapNames) {
        Pixels p = Bitmap(name);
        auto tinted = std::find_if(p.px.begin(), p.px.end(), [](Rgb c) {
            return !IsKey(c) && c.r > c.g + 48 && c.b > c.g + 48;
        });
        if (tinted != p.px.end())
            ADD_FAILURE() << name << " has a magenta-tinted pixel " << int(tinted->r) << ","
                          << int(tinted->g) << "," << int(tinted->b);
    }
}

TEST_P(GeneratedSkin, FrameMetricsAgree) {
    Ini ini = Description();
    Pixels top = Bitmap("frametop.bmp"), left = Bitmap("frameleft.bmp"),
           right = Bitmap("frameright.bmp");
    Pixels bottom = Bitmap("framebottom.bmp");
    const int title = top.h / Int(ini, "Personality", "TopFrame", 1);
    // The side pieces carry the title's height fixed at their top, and both sides match.
    EXPECT_EQ(Int(ini, "Personality", "LeftTopHeight", 0), title);
    EXPECT_EQ(Int(ini, "Personality", "RightTopHeight", 0), title);
    EXPECT_EQ(left.w, right.w);
    EXPECT_EQ(bottom.h / Int(ini, "Personality", "BottomFrame", 1),
              Int(ini, "Personality", "LeftBotHeight", 0));
    // The engine samples the title colour at a third of the piece: it must land on the
    // title's own gradient (not the outline, highlight or a hole), dark navy in the product.
    Rgb c = top.At(top.w / 3, title / 3);
    EXPECT_EQ(c, skin::art::TitleRow(theme_, theme_.active, title / 3));
    if (GetParam() == "product") {
        EXPECT_LT(c.r, 64);
        EXPECT_LT(c.g, 64);
        EXPECT_GT(c.b, c.r + 40);
    }
}

// Which title buttons a window shows, under the engine's rules for the codes the skin uses.
// The windows here all have a system menu and a minimise box, so rules A and B agree.
bool Holds(int code, bool maximised, bool maxBox) {
    switch (code) {
    case 0:
        return true;
    case 1:
        return maximised;
    case 2:
        return !maximised;
    case 6:
        return maxBox;
    case 7:
        return !maxBox;
    case 8:
        return true;
    default:
        return false;
    }
}

TEST_P(GeneratedSkin, TitleButtonsFitAndNeverOverlap) {
    Ini ini = Description();
    const int title = Bitmap("frametop.bmp").h / Int(ini, "Personality", "TopFrame", 1);
    const int border = Bitmap("frameright.bmp").w / Int(ini, "Personality", "RightFrame", 1);
    const int width = 918 + 2 * border; // the main window
    struct Case {
        bool maximised, maxBox;
    };
    for (Case w : {Case{false, false}, Case{false, true}, Case{true, true}}) {
        SCOPED_TRACE(std::string(w.maxBox ? "maximise box" : "no maximise box") +
                     (w.maximised ? ", maximised" : ""));
        std::vector<std::array<int, 4>> shown; // x0, y0, x1, y1
        std::map<int, int> byAction;
        for (const auto& [section, keys] : ini) {
            if (section.rfind("button", 0) != 0 || section == "buttons") continue;
            int action = Int(ini, section, "Action", 0), vis = Int(ini, section, "Visibility", 0);
            int vis1 = Int(ini, section, "Visibility1", action == -1 ? -1 : 0);
            bool typeOk = action != 1 || w.maxBox;
            if (!typeOk || !Holds(vis, w.maximised, w.maxBox) ||
                !Holds(vis1, w.maximised, w.maxBox))
                continue;
            ++byAction[action];
            std::string file = Str(ini, section, "ButtonImage");
            int bw = 16, bh = 16; // the window icon
            if (!file.empty()) {
                Pixels p = Bitmap(file);
                bw = p.w / Int(ini, section, "frame", 0);
                bh = p.h;
            }
            int align = Int(ini, section, "Align", 0), xc = Int(ini, section, "Xcoord", 0);
            int x = align == 1 ? width - xc : xc, y = Int(ini, section, "Ycoord", 0);
            EXPECT_GE(y, 2) << section;
            EXPECT_LE(y + bh, title - 1) << section << " leaves the title";
            EXPECT_GE(x, border) << section;
            EXPECT_LE(x + bw, width - border) << section;
            for (const auto& r : shown)
                EXPECT_TRUE(x >= r[2] || x + bw <= r[0] || y >= r[3] || y + bh <= r[1])
                    << section << " overlaps another button";
            shown.push_back({x, y, x + bw, y + bh});
        }
        EXPECT_EQ(byAction[0], 1) << "close";
        EXPECT_EQ(byAction[2], 1) << "minimise";
        EXPECT_EQ(byAction[3], 1) << "icon";
        EXPECT_EQ(byAction[1], w.maxBox ? 1 : 0) << "maximise or restore";
    }
}

INSTANTIATE_TEST_SUITE_P(Skins, GeneratedSkin, ::testing::Values("product", "Daylight", "Graphite"),
                         [](const auto& info) { return std::string(info.param); });

// The shipped skins are more than recoloured copies: each has a frame, title and buttons of
// its own size, so the engine is seen with other geometry.
TEST(ShippedSkins, HaveGeometryOfTheirOwn) {
    auto facts = [](const std::string& name) {
        auto files = skin::art::EncodeSkinFiles(skin::art::BuildSkin(ThemeNamed(name)));
        std::map<std::string, std::vector<std::uint8_t>> byName;
        for (auto& f : files) byName[f.name] = f.bytes;
        const auto& d = byName[skin::art::kDescriptionName];
        Ini ini = ParseIni(std::string(d.begin(), d.end()));
        std::string why;
        Pixels top = ReadBmp(byName["frametop.bmp"], why).value_or(Pixels{});
        Pixels left = ReadBmp(byName["frameleft.bmp"], why).value_or(Pixels{});
        Pixels bottom = ReadBmp(byName["framebottom.bmp"], why).value_or(Pixels{});
        Pixels close = ReadBmp(byName["closebutton.bmp"], why).value_or(Pixels{});
        const int frames = Int(ini, "ButtonClose", "frame", 0);
        return std::map<std::string, int>{
            {"title", top.h / 2},
            {"border", left.w / 2},
            {"bottom", bottom.h / 2},
            {"button margin", Int(ini, "Buttons", "TopHeight", 0)},
            {"title button width", frames ? close.w / frames : 0},
            {"title button height", close.h},
            {"skin name",
             static_cast<int>(std::hash<std::string>{}(Str(ini, "TitlebarSkin", "SkinName")))},
        };
    };
    const auto product = facts("product");
    const auto daylight = facts("Daylight"), graphite = facts("Graphite");
    for (const char* what : {"title", "border", "bottom", "button margin", "title button width",
                             "title button height", "skin name"}) {
        EXPECT_NE(daylight.at(what), product.at(what)) << "Daylight: " << what;
        EXPECT_NE(graphite.at(what), product.at(what)) << "Graphite: " << what;
        EXPECT_NE(graphite.at(what), daylight.at(what)) << what;
    }
    // Daylight is the low, thin one; Graphite the tall, wide one.
    EXPECT_LT(daylight.at("title"), product.at("title"));
    EXPECT_LT(daylight.at("border"), product.at("border"));
    EXPECT_GT(graphite.at("title"), product.at("title"));
    EXPECT_GT(graphite.at("border"), product.at("border"));
}

} // namespace
