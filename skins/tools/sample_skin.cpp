#include "sample_skin.h"

#include "skin/data/image_utils.h"
#include "skin/data/pixel_image.h"

#include <algorithm>

namespace skinpack {

using skin::IntRect;
using skin::RGBColor;
using skin::TColor;
using skin::TPixelImage;

namespace {

constexpr TColor kFace = RGBColor(214, 222, 232);
constexpr TColor kDark = RGBColor(59, 97, 131);
constexpr TColor kLight = RGBColor(250, 252, 255);
constexpr TColor kShadow = RGBColor(120, 140, 160);
constexpr TColor kKey = skin::kMagenta;

void Bevel(TPixelImage& im, int x, int y, int w, int h, TColor hi, TColor lo) {
    im.FillRect(x, y, x + w, y + 1, hi);
    im.FillRect(x, y, x + 1, y + h, hi);
    im.FillRect(x, y + h - 1, x + w, y + h, lo);
    im.FillRect(x + w - 1, y, x + w, y + h, lo);
}

// `frames` state frames side by side: a gradient face with a bevel, corners in the key colour.
TPixelImage Frames(int frameW, int h, int frames, bool vertical = true, bool keyCorners = true) {
    TPixelImage im(frameW * frames, h);
    for (int f = 0; f < frames; ++f) {
        int x = f * frameW;
        TColor top = skin::MixColors(kLight, kFace, 30 + 15 * f);
        TColor bottom = skin::MixColors(kDark, kFace, 10 + 12 * f);
        skin::GradientFill(im, IntRect{x, 0, x + frameW, h}, top, vertical, bottom);
        Bevel(im, x, 0, frameW, h, kLight, kShadow);
        if (keyCorners && frameW > 4 && h > 4) {
            im.SetPixel(x, 0, kKey);
            im.SetPixel(x + frameW - 1, 0, kKey);
            im.SetPixel(x, h - 1, kKey);
            im.SetPixel(x + frameW - 1, h - 1, kKey);
        }
    }
    return im;
}

// A small glyph (cross, arrow, box) in the middle of each frame.
void Glyphs(TPixelImage& im, int frameW, int frames, int kind) {
    const int h = im.Height();
    for (int f = 0; f < frames; ++f) {
        int cx = f * frameW + frameW / 2, cy = h / 2;
        TColor c = f % 4 == 3 ? RGBColor(160, 160, 160) : RGBColor(20, 30, 40);
        for (int d = -3; d <= 3; ++d) {
            switch (kind % 3) {
            case 0: im.SetPixel(cx + d, cy + d, c); im.SetPixel(cx + d, cy - d, c); break;
            case 1: im.FillRect(cx - std::abs(d), cy + d, cx + std::abs(d) + 1, cy + d + 1, c); break;
            default: im.FillRect(cx - 3, cy + d, cx + 4, cy + d + 1, d == -3 || d == 3 ? c : kFace); break;
            }
        }
    }
}

// A speckled pattern over the face (the title background and the large dialog image): one
// pixel in `every` is a shade of the dark colour, like dithered artwork.
void Texture(TPixelImage& im, unsigned seed, unsigned every = 32) {
    unsigned s = seed * 2654435761u + 1;
    for (int y = 0; y < im.Height(); ++y)
        for (int x = 0; x < im.Width(); ++x) {
            s = s * 1103515245u + 12345u;
            if ((s >> 16) % every == 0) im.SetPixel(x, y, skin::MixColors(kDark, kFace, 20 + (s >> 25) % 40));
        }
}

skin::TPixelImage Make(const std::string& name, int dialogHeight) {
    if (name == "arrows.bmp") { auto im = Frames(16, 16, 23); Glyphs(im, 16, 23, 1); return im; }
    if (name == "button-mdi.bmp") { auto im = Frames(16, 14, 12); Glyphs(im, 16, 12, 0); return im; }
    if (name == "buttons-menu.bmp") return Frames(24, 20, 5, true, false);
    if (name == "buttons-tabs.bmp") return Frames(40, 22, 5);
    if (name == "buttons-toolbar.bmp") return Frames(24, 24, 5);
    if (name == "buttons.bmp") return Frames(48, 24, 5);
    if (name == "checkbox.bmp") { auto im = Frames(13, 13, 8, true, false); Glyphs(im, 13, 8, 2); return im; }
    if (name == "closebutton.bmp") { auto im = Frames(21, 21, 3); Glyphs(im, 21, 3, 0); return im; }
    if (name == "combo-arrows.bmp") { auto im = Frames(16, 18, 5, true, false); Glyphs(im, 16, 5, 1); return im; }
    if (name == "combo.bmp") return Frames(18, 21, 4);
    if (name == "dialog.bmp") { auto im = Frames(400, dialogHeight, 1); Texture(im, 7, 12); return im; }
    if (name == "framebottom.bmp") return Frames(200, 8, 2, true, false);
    if (name == "frameleft.bmp") return Frames(8, 200, 2, false, false);
    if (name == "frameright.bmp") return Frames(8, 200, 2, false, false);
    if (name == "frametop.bmp") {
        // Two frames stacked (active above inactive), key-coloured rounded corners.
        TPixelImage im(300, 60);
        skin::GradientFill(im, IntRect{0, 0, 300, 30}, RGBColor(90, 140, 200), true, kDark);
        skin::GradientFill(im, IntRect{0, 30, 300, 60}, RGBColor(170, 185, 200), true, kShadow);
        for (int y : {0, 30}) {
            im.FillRect(0, y, 3, y + 1, kKey);
            im.FillRect(297, y, 300, y + 1, kKey);
            im.SetPixel(0, y + 1, kKey);
            im.SetPixel(299, y + 1, kKey);
        }
        return im;
    }
    if (name == "groupboxedge.bmp") return Frames(20, 20, 2, true, false);
    if (name == "groupboxlabel.bmp") return Frames(30, 18, 1);
    if (name == "hscroll_back.bmp") return Frames(32, 17, 4);
    if (name == "hscroll_bar.bmp") return Frames(32, 17, 3);
    if (name == "maxbutton.bmp") { auto im = Frames(21, 21, 3); Glyphs(im, 21, 3, 2); return im; }
    if (name == "menu.bmp") return Frames(120, 22, 2, true, false);
    if (name == "menuborder.bmp") return Frames(40, 40, 1, true, false);
    if (name == "menutool.bmp") { auto im = Frames(160, 24, 1, true, false); Texture(im, 3); return im; }
    if (name == "minbutton.bmp") { auto im = Frames(21, 21, 3); Glyphs(im, 21, 3, 1); return im; }
    if (name == "mxskin24__header.bmp") return Frames(40, 20, 5);
    if (name == "progress.bmp") return Frames(60, 16, 2, true, false);
    if (name == "radio.bmp") { auto im = Frames(13, 13, 8); Glyphs(im, 13, 8, 2); return im; }
    if (name == "restrorebutton.bmp") { auto im = Frames(21, 21, 3); Glyphs(im, 21, 3, 2); return im; }
    if (name == "spin.bmp") return Frames(16, 10, 8);
    if (name == "spinarrow.bmp") { auto im = Frames(8, 6, 8, true, false); Glyphs(im, 8, 8, 1); return im; }
    if (name == "spinh.bmp") return Frames(10, 16, 8);
    if (name == "spinharrow.bmp") { auto im = Frames(6, 8, 8, true, false); Glyphs(im, 6, 8, 1); return im; }
    if (name == "status.bmp") return Frames(30, 20, 3, true, false);
    if (name == "sunkedge.bmp") return Frames(50, 21, 4);
    if (name == "tabborder.bmp") return Frames(60, 60, 1, true, false);
    if (name == "toolbarbg.bmp") return Frames(10, 40, 1, true, false);
    if (name == "trackbot.bmp") return Frames(16, 4, 1, false, false);
    if (name == "trackthumbh.bmp") return Frames(11, 20, 5);
    if (name == "vscroll_back.bmp") return Frames(17, 32, 4, false);
    if (name == "vscroll_bar.bmp") return Frames(17, 32, 3, false);
    return {};
}

const char* const kBitmapNames[40] = {
    "arrows.bmp", "button-mdi.bmp", "buttons-menu.bmp", "buttons-tabs.bmp", "buttons-toolbar.bmp",
    "buttons.bmp", "checkbox.bmp", "closebutton.bmp", "combo-arrows.bmp", "combo.bmp", "dialog.bmp",
    "framebottom.bmp", "frameleft.bmp", "frameright.bmp", "frametop.bmp", "groupboxedge.bmp",
    "groupboxlabel.bmp", "hscroll_back.bmp", "hscroll_bar.bmp", "maxbutton.bmp", "menu.bmp",
    "menuborder.bmp", "menutool.bmp", "minbutton.bmp", "mxskin24__header.bmp", "progress.bmp",
    "radio.bmp", "restrorebutton.bmp", "spin.bmp", "spinarrow.bmp", "spinh.bmp", "spinharrow.bmp",
    "status.bmp", "sunkedge.bmp", "tabborder.bmp", "toolbarbg.bmp", "trackbot.bmp",
    "trackthumbh.bmp", "vscroll_back.bmp", "vscroll_bar.bmp"};

std::vector<Entry> Build(int dialogHeight) {
    std::vector<Entry> entries;
    for (const char* name : kBitmapNames)
        entries.push_back(Entry{name, skin::WriteBitmapFile(Make(name, dialogHeight))});
    std::string ini = SampleSkinIni();
    entries.push_back(Entry{kSampleSkinIniName, std::vector<std::uint8_t>(ini.begin(), ini.end())});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

std::size_t ArchiveSize(const std::vector<Entry>& entries) {
    std::size_t n = 16;
    for (const Entry& e : entries) n += e.name.size() + 2 + 4 + e.bytes.size();
    return n;
}

} // namespace

std::string SampleSkinIni() {
    const char* lines[] = {
        "; Corvane sample skin: every section and key that the skin engine reads.",
        "[TitlebarSkin]",
        "SkinName=Corvane Sample",
        "Author=Corvane",
        "",
        "[Personality]",
        "Left=frameleft.bmp",
        "LeftTopHeight=30",
        "LeftBotHeight=30",
        "LeftFrame=2",
        "LeftStretch=0",
        "LeftTrans=0",
        "Right=skin\\frameright.bmp",
        "RightTopHeight=30",
        "RightBotHeight=30",
        "RightFrame=2",
        "RightStretch=0",
        "RightTrans=0",
        "Top = frametop.bmp",
        "TopTopHeight=40",
        "TopBotHeight=40",
        "TopFrame=2",
        "TopStretch=1",
        "TopTrans=1",
        "Bottom=C:framebottom.bmp",
        "BottomTopHeight=8",
        "BottomBotHeight=8",
        "BottomFrame=2",
        "BottomStretch=2",
        "BottomTrans=0",
        "TextBack=menutool.bmp",
        "TextShift=26",
        "TextShiftVert=0x2",
        "TextRightClip=90",
        "TextAlignment=0",
        "Textbackground=1",
        "TXTBackleft=4",
        "TXTBackRight=4",
        "ActiveTextR=255",
        "ActiveTextG=255",
        "ActiveTextB=255",
        "InActiveTextR=200",
        "InActiveTextG=210",
        "InActiveTextB=220",
        "menuBar=menu.bmp",
        "TileMenu=1",
        "TileLeftMenu=4",
        "TileRightMenu=4",
        "",
        "[Fonts]",
        "FontHeight=14",
        "",
        "[Colours]",
        "WindowText=0 0 0",
        "ButtonFace=214 222 232",
        "Scrollbar=230,234,240",
        "HilightText=255 255 255",
        "Hilight=59 97 131",
        "Menubar=214 222 232",
        "Menu=248 250 252",
        "MenuText=0 0 0",
        "ButtonText=10 20 30",
        "ButtonHilight=255 255 255",
        "Buttonlight=240 244 248",
        "ButtonShadow=120 140 160",
        "ButtonDkShadow=40 50 60",
        "MenuBarText=0 0 0",
        "TitleTextActive=255 255 255",
        "TitleTextNoActive=200 210 220",
        "",
        "[Colour0]",
        "color=0 0 0",
        "[Colour1]",
        "color=59 97 131",
        "[Colour2]",
        "color=255 255 255",
        "[Colour3]",
        "color=128 128 128",
        "[Colour4]",
        "color=200 40 40",
        "[Colour5]",
        "color=40 160 40",
        "",
        "[Customcolors]",
        "Color0=255 255 255",
        "Color1=240 240 240",
        "Color2=220 220 220",
        "Color3=200 200 200",
        "Color4=180 180 180",
        "Color5=160 160 160",
        "Color6=140 140 140",
        "Color7=120 120 120",
        "Color8=100 100 100",
        "Color9=80 80 80",
        "",
        "[Buttons]",
        "Bitmap=buttons.bmp",
        "CheckButton=checkbox.bmp",
        "RadioButton=radio.bmp",
        "LeftWidth=4",
        "RightWidth=4",
        "TopHeight=4",
        "BottomHeight=4",
        "Trans=1",
        "Tile=0",
        "NormalColour=0",
        "MouseOverColour=1",
        "PressedColour=2",
        "RadioButtonFrame=8",
        "CheckButtonFrame=0",
        "NormalColour2=10 20 30",
        "MouseOverColour2=0 0 128",
        "PressedColour2=",
        "",
        "[ButtonClose]",
        "Action=0",
        "Align=1",
        "Xcoord=25",
        "Ycoord=5",
        "ButtonImage=closebutton.bmp",
        "frame=3",
        "Visibility=0",
        "[ButtonMax]",
        "Action=1",
        "Align=1",
        "Xcoord=48",
        "Ycoord=5",
        "ButtonImage=maxbutton.bmp",
        "[ButtonRestore]",
        "Action=2",
        "Align=1",
        "Xcoord=48",
        "Ycoord=5",
        "ButtonImage=restrorebutton.bmp",
        "CombineOp=1",
        "[ButtonMin]",
        "Action=3",
        "Align=1",
        "Xcoord=71",
        "Ycoord=5",
        "ButtonImage=minbutton.bmp",
        "[ButtonHidden]",
        "Action=-1",
        "Visibility=1",
        "[MDICONTROLS]",
        "Image=button-mdi.bmp",
        "",
        "[Progress]",
        "Bitmap=progress.bmp",
        "Style=0",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "Trans=0",
        "Tile=2",
        "[Progress.Chunk]",
        "Image=progress.bmp",
        "Frame=2",
        "Tile=1",
        "[GroupBoxEdge]",
        "Image=groupboxedge.bmp",
        "LeftWidth=6",
        "RightWidth=6",
        "TopHeight=6",
        "BottomHeight=6",
        "Trans=1",
        "[GroupBox]",
        "Image=groupboxlabel.bmp",
        "LeftWidth=5",
        "RightWidth=5",
        "BackgroundAlignment=0",
        "BackgroundLeftShift=8",
        "BackgroundRightShift=8",
        "NormalColour=1",
        "[Tabs]",
        "Image=buttons-tabs.bmp",
        "Border=tabborder.bmp",
        "LeftWidth=6",
        "RightWidth=6",
        "TopHeight=6",
        "BottomHeight=3",
        "Trans=1",
        "NormalColour=0",
        "MouseOverColour=1",
        "PressedColour=0",
        "[StatusBarEdges]",
        "Image=status.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "[Tab.Pane]",
        "Image=tabborder.bmp",
        "LeftWidth=6",
        "RightWidth=6",
        "TopHeight=6",
        "BottomHeight=6",
        "[ToolBars]",
        "Image=buttons-toolbar.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "Trans=1",
        "[ComboButton]",
        "Image=combo.bmp",
        "LeftWidth=2",
        "RightWidth=2",
        "TopHeight=2",
        "BottomHeight=2",
        "Trans=1",
        "[SunkEdge]",
        "Image=sunkedge.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "Trans=1",
        "[ExtraImages]",
        "Image=combo-arrows.bmp",
        "Trans=1",
        "[Headerbar]",
        "Image=mxskin24__header.bmp",
        "Frame=0",
        "LeftWidth=3",
        "RightWidth=3",
        "[MenuItem]",
        "Image=buttons-menu.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "NormalColour2=0 0 0",
        "MouseOverColour2=255 255 255",
        "[MenuBackground]",
        "Image=menuborder.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "Tile=1",
        "[Scrollbar]",
        "Image=arrows.bmp",
        "Trans=1",
        "[HorzScroll]",
        "Image=hscroll_back.bmp",
        "LeftWidth=2",
        "RightWidth=2",
        "[VertScroll]",
        "Image=vscroll_back.bmp",
        "TopHeight=2",
        "BottomHeight=2",
        "[HorzScrollThumb]",
        "Image=hscroll_bar.bmp",
        "LeftWidth=4",
        "RightWidth=4",
        "FrameCount=3",
        "[VertScrollThumb]",
        "Image=vscroll_bar.bmp",
        "TopHeight=4",
        "BottomHeight=4",
        "[Trackbar.ThumbHorz]",
        "Image=trackthumbh.bmp",
        "Trans=1",
        "[Trackbar.ThumbVert]",
        "Image=trackthumbh.bmp",
        "Trans=1",
        "[Trackbar.ThumbLeft]",
        "Image=trackthumbh.bmp",
        "[Trackbar.ThumbRight]",
        "Image=trackthumbh.bmp",
        "[Trackbar.ThumbUp]",
        "Image=trackthumbh.bmp",
        "[Trackbar.ThumbDown]",
        "Image=trackthumbh.bmp",
        "[UpDown.Horz]",
        "Image=spinh.bmp",
        "GlyphImage=spinharrow.bmp",
        "Trans=1",
        "[UpDown.Vert]",
        "Image=spin.bmp",
        "GlyphImage=spinarrow.bmp",
        "Trans=1",
        "[Track]",
        "Image=trackbot.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=1",
        "BottomHeight=1",
        "Frame=1",
        "",
        "; Carried along and ignored by the engine:",
        "[Dialog]",
        "Image=dialog.bmp",
        "Background=toolbarbg.bmp",
    };
    std::string text;
    for (const char* l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

std::vector<Entry> SampleSkinEntries(std::size_t targetArchiveBytes) {
    int dialogHeight = 40;
    std::vector<Entry> entries = Build(dialogHeight);
    std::size_t size = ArchiveSize(entries);
    if (targetArchiveBytes > size) {
        const std::size_t rowBytes = TPixelImage::StrideFor(400, 24);
        dialogHeight += static_cast<int>((targetArchiveBytes - size + rowBytes - 1) / rowBytes);
        entries = Build(dialogHeight);
    }
    return entries;
}

} // namespace skinpack
