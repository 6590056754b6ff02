// The three skins the program ships: the product skin the main window carries, and the two
// skins written as skin files. Each is a set of parameters for the shared painters.
#include "skin/art/skin_parts.h"

#include <algorithm>
#include <cmath>

namespace skin::art {

Rgb Tint::operator()(Rgb c) const {
    if (Identity()) return c;
    const float r = c.r / 255.0f, g = c.g / 255.0f, b = c.b / 255.0f;
    const float hi = std::max({r, g, b}), lo = std::min({r, g, b});
    const float l = (hi + lo) / 2, d = hi - lo;
    if (d <= 0) return c; // greys keep their level
    float s = d / (1 - std::fabs(2 * l - 1));
    float h = hi == r   ? std::fmod((g - b) / d + 6, 6.0f)
              : hi == g ? (b - r) / d + 2
                        : (r - g) / d + 4;
    h = std::fmod(h * 60 + hue + 360, 360.0f);
    s = std::clamp(s * saturation, 0.0f, 1.0f);
    const float chroma = (1 - std::fabs(2 * l - 1)) * s;
    const float x = chroma * (1 - std::fabs(std::fmod(h / 60, 2.0f) - 1));
    float rgb[3];
    const int sector = static_cast<int>(h / 60) % 6;
    const float table[6][3] = {{chroma, x, 0}, {x, chroma, 0}, {0, chroma, x},
                               {0, x, chroma}, {x, 0, chroma}, {chroma, 0, x}};
    for (int i = 0; i < 3; ++i) rgb[i] = table[sector][i] + l - chroma / 2;
    auto level = [](float v) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255), 0L, 255L));
    };
    return {level(rgb[0]), level(rgb[1]), level(rgb[2])};
}

// Navy frame around a light, cool body; aqua and yellow where something is hot or selected.
Theme ProductTheme() {
    Theme t;
    t.name = "Corvane Navy";
    t.active = {{6, 8, 40}, {64, 78, 160}, {32, 42, 120}, {6, 8, 74},
                {0, 0, 44}, {22, 28, 102}, {8, 10, 72}};
    t.inactive = {{44, 48, 68}, {130, 136, 164}, {102, 108, 138}, {76, 81, 108},
                  {56, 60, 82}, {92, 98, 126},   {78, 83, 110}};
    t.titleButton = {{212, 220, 244}, {4, 8, 50},      {120, 214, 236}, {60, 76, 162},
                     {196, 52, 62},   {255, 255, 255}, {255, 255, 255}, {166, 172, 196}};
    t.titleText = {240, 244, 255};
    t.titleTextInactive = {236, 238, 246};
    return t;
}

// Light and calm: a pale frame of thin borders, a low title bar, flat buttons, sea-green
// accents.
Theme DaylightTheme() {
    Theme t;
    t.name = "Daylight";
    Metrics& m = t.metric;
    m.kTitle = 22;
    m.kBorder = 2;
    m.kBottom = 2;
    m.kCorner = 6;
    m.kTitleCap = 5;
    m.kTitleButtonW = 24;
    m.kTitleButtonH = 16;
    m.kTitleButtonFrames = 3; // no inactive frame: inactive windows show the normal one
    m.kCloseX = 29;
    m.kSecondX = 55;
    m.kThirdX = 81;
    m.kIconX = 6;
    m.kIconY = 3;
    m.kCaptionX = 28;
    m.kMenuBar = 20;
    m.kButtonSide = 3;
    m.kButtonEnd = 4;
    t.tint = {-32, 0.55f};
    t.active = {{138, 150, 160}, {255, 255, 255}, {250, 251, 252}, {233, 238, 241},
                {206, 214, 220}, {233, 238, 241}, {226, 231, 235}};
    t.inactive = {{176, 182, 188}, {252, 252, 252}, {246, 246, 247}, {240, 241, 242},
                  {220, 223, 226}, {240, 241, 242}, {236, 237, 238}};
    t.titleButton = {{60, 72, 84},  {196, 208, 216}, {20, 30, 40},    {220, 228, 234},
                     {214, 64, 58}, {20, 30, 40},    {255, 255, 255}, {120, 126, 132}};
    t.titleText = {28, 40, 52};
    t.titleTextInactive = {92, 100, 108};
    t.flatButtons = true;
    t.buttonRadius = 3.0f;
    return t;
}

// A dark graphite frame with a tall title, wide borders and every corner rounded, around a
// light body with indigo selections and blue accents.
Theme GraphiteTheme() {
    Theme t;
    t.name = "Graphite";
    Metrics& m = t.metric;
    m.kTitle = 34;
    m.kBorder = 6;
    m.kBottom = 6;
    m.kCorner = 10;
    m.kLowCorner = 6;
    m.kTitleCap = 12;
    m.kTitleButtonW = 30;
    m.kTitleButtonH = 22;
    m.kCloseX = 40;
    m.kSecondX = 72;
    m.kThirdX = 104;
    m.kIconX = 12;
    m.kIconY = 9;
    m.kCaptionX = 36;
    m.kMenuBar = 22;
    m.kButtonSide = 5;
    m.kButtonEnd = 8;
    t.tint = {34, 0.9f};
    t.active = {{8, 8, 10},   {96, 98, 106}, {70, 72, 80}, {34, 35, 40},
                {16, 16, 18}, {52, 54, 60},  {40, 42, 47}};
    t.inactive = {{40, 40, 44}, {128, 130, 136}, {96, 98, 104}, {72, 74, 80},
                  {56, 57, 62}, {88, 90, 96},    {80, 82, 88}};
    t.titleButton = {{224, 226, 232}, {12, 12, 14},    {196, 170, 255}, {96, 98, 108},
                     {200, 56, 64},   {255, 255, 255}, {255, 255, 255}, {180, 182, 188}};
    t.titleText = {250, 250, 250};
    t.titleTextInactive = {232, 232, 236};
    t.buttonRadius = 4.5f;
    return t;
}

} // namespace skin::art
