#include "test_skins.h"

#include "skin/data/pixel_image.h"
#include "skin_archive.h"

#include <fstream>
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

} // namespace

std::vector<std::uint8_t> GeometrySkinStore() {
    return ControlsSkinStore(-1, -1);
}

std::vector<std::uint8_t> ControlsSkinStore(int checkFrames, int radioFrames) {
    const TColor left[] = {kLeftActive, kLeftInactive}, right[] = {kRightActive, kRightInactive},
                 top[] = {kTopActive, kTopInactive}, bottom[] = {kBottomActive, kBottomInactive};
    std::vector<skinpack::Entry> entries;
    entries.push_back({"left.bmp", Bmp(kLeft, 40, 2, false, left)});
    entries.push_back({"right.bmp", Bmp(kRight, 40, 2, false, right)});
    entries.push_back({"top.bmp", Bmp(60, kTitle, 2, true, top)});
    entries.push_back({"bottom.bmp", Bmp(60, kBottom, 2, true, bottom)});
    entries.push_back({"button.bmp", Bmp(kButtonW, kButtonH, 4, false, kButtonFrames)});
    std::string ini = "[TitlebarSkin]\r\nSkinName=Geometry\r\n[Personality]\r\n";
    for (const char* piece : {"Left", "Right", "Top", "Bottom"}) {
        std::string p = piece;
        std::string file = p == "Left"    ? "left.bmp"
                           : p == "Right" ? "right.bmp"
                           : p == "Top"   ? "top.bmp"
                                          : "bottom.bmp";
        ini += p + "=" + file + "\r\n" + p + "Frame=2\r\n" + p + "Trans=0\r\n" + p +
               "Stretch=1\r\n" + p + "TopHeight=0\r\n" + p + "BotHeight=0\r\n";
    }
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
    entries.push_back({"geometry.ini", Text(ini)});
    return skinpack::PackStore(skinpack::BuildArchive(entries));
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

} // namespace testskins
