// Text in every skin drawn from code must be readable on the faces it is drawn on: the
// colours are read from each skin's description and bitmaps through the engine's own readers,
// and compared by the contrast ratio of their relative luminances (4.5:1 for text).
#include "skin/art/product_skin.h"
#include "skin/data/pixel_image.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using skin::TColor;

double Channel(int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// TColor: red in the low byte.
double Luminance(TColor c) {
    return 0.2126 * Channel(c & 0xFF) + 0.7152 * Channel((c >> 8) & 0xFF) +
           0.0722 * Channel((c >> 16) & 0xFF);
}

double Contrast(TColor a, TColor b) {
    double la = Luminance(a), lb = Luminance(b);
    if (la < lb) std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

TEST(ContrastRatio, MatchesTheKnownExtremes) {
    EXPECT_NEAR(Contrast(0x000000, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(Contrast(0x777777, 0x777777), 1.0, 1e-9);
    // Mid grey 119 on white is the classic borderline pair, just under 4.5.
    EXPECT_NEAR(Contrast(0x777777, 0xFFFFFF), 4.48, 0.01);
    // Green weighs most: pure green on black is far brighter than pure blue on black.
    EXPECT_GT(Contrast(0x00FF00, 0), Contrast(0xFF0000, 0));
}

class SkinText : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        skin::art::Theme theme;
        ASSERT_TRUE(skin::art::FindTheme(GetParam(), theme));
        for (auto& f : skin::art::EncodeSkinFiles(skin::art::BuildSkin(theme))) {
            if (f.name == skin::art::kDescriptionName)
                ini_.Load(std::span<const std::uint8_t>(f.bytes));
            else
                bitmaps_[f.name] = skin::ReadBitmapFile(f.bytes);
        }
    }

    // The bitmap an element's key names, frame k (from 1) of n, at a point given in
    // fractions of the frame.
    TColor Face(const std::string& section, const std::string& key, int n, int k, double fx = 0.5,
                double fy = 0.5, bool stacked = false) {
        const skin::TPixelImage& img = bitmaps_[ini_.ReadString(section, key, "")];
        EXPECT_GT(img.Width(), 0) << section << "." << key;
        if (img.Width() == 0) return 0;
        const int fw = stacked ? img.Width() : img.Width() / n;
        const int fh = stacked ? img.Height() / n : img.Height();
        const int x = (stacked ? 0 : (k - 1) * fw) + static_cast<int>(fx * (fw - 1));
        const int y = (stacked ? (k - 1) * fh : 0) + static_cast<int>(fy * (fh - 1));
        return img.Pixel(x, y);
    }
    TColor Colour(const std::string& section, const std::string& key) {
        return skin::ReadColourTriple(ini_, section, key, 0x01020304);
    }

    // Records the figure, and checks it.
    void Expect(const std::string& what, TColor text, TColor face, double least) {
        const double ratio = Contrast(text, face);
        std::printf("[contrast] %-9s %-34s %5.2f:1\n", GetParam().c_str(), what.c_str(), ratio);
        EXPECT_GE(ratio, least) << what;
    }

    skin::TQuickIni ini_;
    std::map<std::string, skin::TPixelImage> bitmaps_;
};

TEST_P(SkinText, CaptionsReadOnEveryRowOfTheTitle) {
    const skin::TSkinColours c = skin::ReadSkinColours(ini_);
    const skin::TPixelImage& top = bitmaps_[ini_.ReadString("Personality", "Top", "")];
    ASSERT_GT(top.Height(), 0);
    const int title = top.Height() / 2;
    // The caption's glyphs span the middle of the title; every row there counts.
    double activeWorst = 99, inactiveWorst = 99;
    for (int y = title / 4; y < title - title / 4; ++y) {
        activeWorst =
            std::min(activeWorst, Contrast(c.TitleTextActive, top.Pixel(top.Width() / 2, y)));
        inactiveWorst = std::min(
            inactiveWorst, Contrast(c.TitleTextNoActive, top.Pixel(top.Width() / 2, title + y)));
    }
    std::printf("[contrast] %-9s %-34s %5.2f:1\n", GetParam().c_str(), "caption, active title",
                activeWorst);
    std::printf("[contrast] %-9s %-34s %5.2f:1\n", GetParam().c_str(), "caption, inactive title",
                inactiveWorst);
    EXPECT_GE(activeWorst, 4.5);
    EXPECT_GE(inactiveWorst, 4.5);
    // The title colour the engine samples is what the painters put behind the caption text.
    const TColor sampled = top.Pixel(top.Width() / 3, title / 3);
    Expect("caption on the sampled title colour", c.TitleTextActive, sampled, 4.5);
}

TEST_P(SkinText, MenuItemsReadWhetherPlainOrSelected) {
    const skin::TSkinColours c = skin::ReadSkinColours(ini_);
    Expect("menu item on the popup", c.MenuText, c.Menu, 4.5);
    Expect("menu item on the popup bitmap", c.MenuText, Face("MenuBackground", "Image", 1, 1), 4.5);
    Expect("selected menu item", c.HilightText, Face("MenuItem", "Image", 5, 4), 4.5);
    Expect("selected text on the highlight", c.HilightText, c.Hilight, 4.5);
    Expect("menu bar entry", c.MenuBarText, Face("Personality", "menuBar", 2, 1, 0.5, 0.5, true),
           4.5);
    Expect("menu bar entry on its colour", c.MenuBarText, c.Menubar, 4.5);
}

TEST_P(SkinText, ButtonAndControlTextReadInEveryLiveState) {
    const skin::TSkinColours c = skin::ReadSkinColours(ini_);
    Expect("button text, normal", Colour("Buttons", "NormalColour2"),
           Face("Buttons", "Bitmap", 5, 1), 4.5);
    Expect("button text, pressed", Colour("Buttons", "PressedColour2"),
           Face("Buttons", "Bitmap", 5, 2), 4.5);
    Expect("button text, hot", Colour("Buttons", "MouseOverColour2"),
           Face("Buttons", "Bitmap", 5, 4), 4.5);
    Expect("button text, focused", Colour("Buttons", "NormalColour2"),
           Face("Buttons", "Bitmap", 5, 5), 4.5);
    Expect("button text on the face colour", c.ButtonText, c.ButtonFace, 4.5);
    Expect("window text on the face", c.WindowText, c.ButtonFace, 4.5);
    Expect("tab, normal", Colour("Tabs", "NormalColour2"), Face("Tabs", "Image", 5, 1), 4.5);
    Expect("tab, current", Colour("Tabs", "NormalColour2"), Face("Tabs", "Image", 5, 2), 4.5);
    Expect("tab, hot", Colour("Tabs", "MouseOverColour2"), Face("Tabs", "Image", 5, 3), 4.5);
    Expect("list header", Colour("Headerbar", "NormalColour2"), Face("Headerbar", "Image", 3, 1),
           4.5);
    Expect("status bar", Colour("StatusBarEdges", "NormalColour2"),
           Face("StatusBarEdges", "Image", 3, 1), 4.5);
}

INSTANTIATE_TEST_SUITE_P(Skins, SkinText, ::testing::Values("product", "Daylight", "Graphite"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
