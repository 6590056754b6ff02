// The skin description: which bitmap feeds which element, with its frames,
// margins, tiling, transparency, and the skin's colours.
#include "skin/art/skin_parts.h"

#include <initializer_list>
#include <utility>

namespace skin::art {

namespace {

class IniWriter {
public:
    void Comment(const std::string& text) { Line("; " + text); }
    void Section(const std::string& name) {
        if (!text_.empty()) Line("");
        Line("[" + name + "]");
    }
    void Key(const std::string& key, const std::string& value) { Line(key + "=" + value); }
    void Key(const std::string& key, int value) { Key(key, std::to_string(value)); }
    void Colour(const std::string& key, Rgb c) {
        Key(key, std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b));
    }
    // The split form: three integer keys.
    void SplitColour(const std::string& prefix, Rgb c) {
        Key(prefix + "R", c.r);
        Key(prefix + "G", c.g);
        Key(prefix + "B", c.b);
    }
    void Margins(int left, int top, int right, int bottom) {
        Key("LeftWidth", left);
        Key("TopHeight", top);
        Key("RightWidth", right);
        Key("BottomHeight", bottom);
    }
    // An element read from "Image" with its frame count, transparency and tiling.
    void Element(const std::string& section, const std::string& image, int frames, int trans,
                 int tile = 0) {
        Section(section);
        Key("Image", image);
        Key("Frame", frames);
        Key("Trans", trans);
        Key("Tile", tile);
    }
    const std::string& Text() const { return text_; }

private:
    void Line(const std::string& s) { text_ += s + "\r\n"; }
    std::string text_;
};

// Frame border keys: the fixed start and end along the border, two frames (active,
// inactive), middle stretched.
void Border(IniWriter& w, const std::string& name, const std::string& image, int start, int end,
            int trans) {
    w.Key(name, image);
    w.Key(name + "TopHeight", start);
    w.Key(name + "BotHeight", end);
    w.Key(name + "Frame", 2);
    w.Key(name + "Stretch", 1);
    w.Key(name + "Trans", trans);
}

struct TitleButton {
    const char* section;
    int action, xcoord, visibility, visibility1;
    const char* image;
};

} // namespace

std::string Description(const Theme& t) {
    const Metrics& m = t.metric;
    const int kTitle = m.kTitle, kBottom = m.kBottom, kTitleCap = m.kTitleCap;
    const int kCloseX = m.kCloseX, kSecondX = m.kSecondX, kThirdX = m.kThirdX;
    const int kTitleButtonY = m.TitleButtonY();
    // Body colours are drawn untinted and recoloured like the pieces.
    Palette pal = t.pal;
    for (Rgb* c : {&pal.kFace, &pal.kText, &pal.kWhite, &pal.kShadow, &pal.kDkShadow, &pal.kLight,
                   &pal.kNavy, &pal.kSelect, &pal.kSelectDeep, &pal.kAqua, &pal.kAquaLight,
                   &pal.kYellow, &pal.kDisabled, &pal.kDisabledFill, &pal.kMenu, &pal.kMenuBar,
                   &pal.kMenuBarInactive, &pal.kTrack})
        *c = t.tint(*c);
    IniWriter w;
    w.Comment("Corvane skin \"" + t.name +
              "\". Written by skingen: change the generator, not this file.");

    w.Section("TitlebarSkin");
    w.Key("SkinName", t.name);
    w.Section("Fonts");
    w.Key("FontHeight", 14);

    w.Section("Personality");
    Border(w, "Left", "frameleft.bmp", kTitle, kBottom, 1);
    Border(w, "Right", "frameright.bmp", kTitle, kBottom, 1);
    Border(w, "Top", "frametop.bmp", kTitleCap, kTitleCap, 1);
    Border(w, "Bottom", "framebottom.bmp", 0, 0, 0);
    // The caption starts right of the icon and is clipped before the title buttons.
    w.Key("TextBack", "dialog.bmp");
    w.Key("TextShift", m.kCaptionX);
    w.Key("TextShiftVert", 0);
    w.Key("TextRightClip", kThirdX + 6);
    w.Key("TextAlignment", 0);
    w.Key("Textbackground", 0);
    w.Key("TXTBackleft", 10);
    w.Key("TXTBackRight", 10);
    w.SplitColour("ActiveText", t.titleText);
    w.SplitColour("InActiveText", t.titleTextInactive);
    w.Key("menuBar", "menu.bmp");
    w.Key("TileMenu", 1);
    w.Key("TileLeftMenu", 1);
    w.Key("TileRightMenu", 1);

    w.Section("Colours");
    const std::pair<const char*, Rgb> colours[] = {
        {"WindowText", pal.kText},
        {"ButtonFace", pal.kFace},
        {"Scrollbar", pal.kTrack},
        {"HilightText", pal.kWhite},
        {"Hilight", pal.kSelect},
        {"Menubar", pal.kMenuBar},
        {"Menu", pal.kMenu},
        {"MenuText", pal.kText},
        {"ButtonText", pal.kText},
        {"ButtonHilight", pal.kWhite},
        {"Buttonlight", pal.kLight},
        {"ButtonShadow", pal.kShadow},
        {"ButtonDkShadow", pal.kDkShadow},
        {"MenuBarText", pal.kText},
        {"TitleTextActive", t.titleText},
        {"TitleTextNoActive", t.titleTextInactive},
    };
    for (const auto& [key, c] : colours) w.Colour(key, c);

    // Indexed colours for elements that name a state colour by number.
    const Rgb indexed[] = {pal.kNavy, pal.kYellow, pal.kAqua, pal.kSelect, pal.kText};
    for (int i = 0; i < 5; ++i) {
        w.Section("Colour" + std::to_string(i));
        w.Colour("color", indexed[i]);
    }
    w.Section("Customcolors");
    const Rgb custom[] = {
        pal.kNavy,   pal.kYellow, pal.kAqua,      pal.kSelect,           pal.kFace,
        pal.kShadow, pal.kText,   pal.kAquaLight, t.tint({128, 255, 0}), t.tint({255, 255, 206})};
    for (int i = 0; i < 10; ++i) w.Colour("Color" + std::to_string(i), custom[i]);

    w.Section("Buttons");
    w.Key("Bitmap", "buttons.bmp");
    w.Key("Frame", 5);
    w.Margins(m.kButtonSide, m.kButtonEnd, m.kButtonSide, m.kButtonEnd);
    w.Key("Trans", 1);
    w.Key("Tile", 0);
    w.Key("CheckButton", "checkbox.bmp");
    w.Key("CheckButtonFrame", 12);
    w.Key("RadioButton", "radio.bmp");
    w.Key("RadioButtonFrame", 8);
    w.Colour("NormalColour2", pal.kText);
    w.Colour("MouseOverColour2", t.tint({0, 64, 104}));
    w.Colour("PressedColour2", pal.kWhite);

    // Title buttons are placed from the window's right edge. Maximise and restore share a
    // place and show by window state; minimise moves next to close when there is no
    // maximise box. The icon section has no image: the window's own icon is drawn.
    const TitleButton buttons[] = {
        {"ButtonClose", 0, kCloseX, 0, 0, "closebutton.bmp"},
        {"ButtonMaximize", 1, kSecondX, 2, 6, "maxbutton.bmp"},
        {"ButtonRestore", 1, kSecondX, 1, 6, "restrorebutton.bmp"},
        {"ButtonMinimize", 2, kThirdX, 8, 6, "minbutton.bmp"},
        {"ButtonMinimizeAlone", 2, kSecondX, 8, 7, "minbutton.bmp"},
    };
    for (const TitleButton& b : buttons) {
        w.Section(b.section);
        w.Key("Action", b.action);
        w.Key("Align", 1);
        w.Key("Xcoord", b.xcoord);
        w.Key("Ycoord", kTitleButtonY);
        w.Key("Visibility", b.visibility);
        w.Key("Visibility1", b.visibility1);
        w.Key("frame", m.kTitleButtonFrames);
        w.Key("ButtonImage", b.image);
    }
    w.Section("ButtonIcon");
    w.Key("Action", 3);
    w.Key("Align", 0);
    w.Key("Xcoord", m.kIconX);
    w.Key("Ycoord", m.kIconY);
    w.Key("Visibility", 0);
    w.Key("Visibility1", 0);

    w.Section("MDICONTROLS");
    w.Key("Image", "button-mdi.bmp");

    w.Section("Progress");
    w.Key("Bitmap", "progress.bmp");
    w.Key("Frame", 2);
    w.Key("Style", 0);
    w.Margins(3, 3, 3, 3);
    w.Key("Trans", 1);
    w.Key("Tile", 0);
    w.Element("Progress.Chunk", "toolbarbg.bmp", 1, 0, 1);

    w.Element("GroupBoxEdge", "groupboxedge.bmp", 2, 1);
    w.Margins(4, 4, 4, 4);
    w.Section("GroupBox");
    w.Key("Image", "groupboxlabel.bmp");
    w.Key("Frame", 1);
    w.Margins(4, 4, 4, 4);
    w.Key("Trans", 1);
    w.Key("Tile", 0);
    w.Key("BackgroundAlignment", 0);
    w.Key("BackgroundLeftShift", 4);
    w.Key("BackgroundRightShift", 4);

    w.Element("Tabs", "buttons-tabs.bmp", 5, 1);
    w.Key("Border", "tabborder.bmp");
    w.Key("Style", 0);
    w.Margins(4, 4, 4, 3);
    w.Colour("NormalColour2", t.tint({70, 80, 104}));
    w.Colour("MouseOverColour2", pal.kText);
    w.Element("Tab.Pane", "tabborder.bmp", 1, 0);
    w.Margins(4, 4, 4, 4);

    w.Element("StatusBarEdges", "status.bmp", 3, 0);
    w.Margins(2, 2, 2, 2);
    w.Colour("NormalColour2", pal.kText);
    w.Element("ToolBars", "buttons-toolbar.bmp", 5, 1);
    w.Margins(3, 3, 3, 3);

    // The combo box: the field, its drop-down button and the arrow glyphs; the engine joins
    // them into one picture.
    w.Element("ComboButton", "combo.bmp", 4, 1);
    w.Key("Style", 0);
    w.Margins(2, 2, 2, 2);
    w.Element("SunkEdge", "sunkedge.bmp", 4, 0);
    w.Margins(2, 2, 2, 2);
    w.Element("ExtraImages", "combo-arrows.bmp", 5, 1);

    w.Element("Headerbar", "mxskin24__header.bmp", 3, 0);
    w.Margins(1, 5, 1, 5);
    w.Colour("NormalColour2", pal.kText);

    w.Element("MenuItem", "buttons-menu.bmp", 5, 1);
    w.Margins(4, 3, 4, 3);
    w.Element("MenuBackground", "menuborder.bmp", 1, 0);
    w.Margins(3, 3, 3, 3);

    w.Element("Scrollbar", "arrows.bmp", 23, 1);
    w.Element("HorzScroll", "hscroll_back.bmp", 4, 0);
    w.Element("VertScroll", "vscroll_back.bmp", 4, 0);
    w.Element("HorzScrollThumb", "hscroll_bar.bmp", 3, 1);
    w.Key("FrameCount", 3);
    w.Margins(5, 0, 5, 0);
    w.Element("VertScrollThumb", "vscroll_bar.bmp", 3, 1);
    w.Key("FrameCount", 3);
    w.Margins(0, 5, 0, 5);

    w.Element("Trackbar.ThumbHorz", "trackthumbh.bmp", 5, 1);
    w.Element("Trackbar.ThumbVert", "menutool.bmp", 5, 1);
    w.Element("Track", "trackbot.bmp", 1, 0);
    w.Margins(3, 0, 3, 0);

    w.Element("UpDown.Horz", "spinh.bmp", 8, 1);
    w.Key("GlyphImage", "spinharrow.bmp");
    w.Element("UpDown.Vert", "spin.bmp", 8, 1);
    w.Key("GlyphImage", "spinarrow.bmp");
    return w.Text();
}

} // namespace skin::art
