// Control pieces. Whatever the engine stretches (the middle of a
// nine-slice) is kept uniform along the stretch, so every size stays pixel-crisp; shading
// lives in the fixed margins.
#include "skin/art/skin_parts.h"

#include <algorithm>

namespace skin::art {

using namespace shape;

namespace {

struct MarkLook {
    Rgb border, fill, ink;
};

// Pieces that some painters copy without a key: the key colour becomes the face colour.
Image Opaque(Image img, Rgb fill) {
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (img.At(x, y) == kKey) img.Set(x, y, fill);
    return img;
}

std::vector<Image> Transposed(const std::vector<Image>& frames) {
    std::vector<Image> out;
    for (const Image& f : frames) out.push_back(f.Transposed());
    return out;
}

constexpr Rgb kTabLine{160, 170, 188};
constexpr Rgb kThumb[] = {{176, 186, 204}, {44, 64, 140}, {136, 150, 180}}; // normal, pressed, hot
constexpr Rgb kGrip[] = {{232, 236, 243}, {120, 142, 206}, {222, 228, 238}};
constexpr Rgb kTroughLine{176, 184, 200}, kTroughFill{226, 230, 237};
// The painters see the theme's metrics as their own names.
struct ControlArt : Metrics {
    explicit ControlArt(const Theme& theme) : Metrics(theme.metric), t(theme), pal(theme.pal) {}
    const Theme& t;
    const Palette& pal;

    // Per state (normal, hot, pressed, disabled): an empty box, then a marked one.
    const MarkLook kEmpty[4] = {
        {{132, 142, 164}, pal.kWhite, {}},
        {pal.kAqua, {240, 249, 253}, {}},
        {pal.kSelect, {214, 224, 240}, {}},
        {pal.kDisabled, pal.kDisabledFill, {}},
    };
    const MarkLook kMarked[4] = {
        {pal.kSelectDeep, pal.kSelect, pal.kWhite},
        {pal.kAqua, {40, 70, 160}, pal.kWhite},
        {pal.kSelectDeep, pal.kSelectDeep, pal.kAquaLight},
        {pal.kDisabled, {184, 191, 205}, pal.kDisabledFill},
    };
    // State order of the combo pieces: normal, pressed, disabled, hot.
    const Rgb kComboBorder[4] = {pal.kShadow, pal.kSelect, pal.kDisabled, pal.kAqua};
    const Rgb kComboField[4] = {pal.kWhite, pal.kWhite, pal.kDisabledFill, pal.kWhite};
    const Rgb kComboPlate[4] = {pal.kWhite, {208, 220, 240}, pal.kDisabledFill, {226, 240, 249}};
    const Rgb kComboArrow[4] = {{70, 80, 104}, pal.kSelect, pal.kDisabled, {0, 118, 168}};
    // Up-down plates and arrows: normal, pressed, disabled, hot.
    const Rgb kSpinPlate[4] = {{224, 229, 238}, pal.kSelect, pal.kDisabledFill, {210, 230, 244}};
    const Rgb kSpinInk[4] = {{70, 80, 104}, pal.kWhite, pal.kDisabled, {0, 104, 156}};

    // Nearly every control piece is drawn over the button face.
    Image OnFace(const Layer& l) const { return l.Flatten(pal.kFace); }

    // ---- Push buttons ----------------------------------------------------------------------

    // Frames: normal, pressed, disabled, hot, focused. Margins 4 (sides) and 9 (top, bottom):
    // the soft vertical shading lives in the top and bottom margins, the middle rows are flat.
    Image PushButtons() const {
        const int w = 16, h = 22;
        struct Look {
            Rgb border, top, mid, bottom;
            bool highlight, focusRing;
        };
        const Look looks[] = {
            {{146, 156, 178}, {253, 253, 254}, {242, 244, 248}, {226, 230, 237}, true, false},
            {{10, 22, 88}, {40, 60, 142}, pal.kSelect, {20, 38, 114}, false, false},
            {{200, 205, 214},
             pal.kDisabledFill,
             pal.kDisabledFill,
             pal.kDisabledFill,
             false,
             false},
            {pal.kAqua, {250, 253, 255}, {234, 245, 251}, {216, 234, 245}, true, false},
            {pal.kSelect, {253, 253, 254}, {242, 244, 248}, {226, 230, 237}, true, true},
        };
        const float r = t.buttonRadius;
        Shape outer = RoundRect(0, 0, w, h, r), inner = RoundRect(1, 1, w - 1, h - 1, r - 1);
        std::vector<Image> frames;
        for (const Look& k : looks) {
            Layer l(w, h);
            l.Fill(outer, k.border);
            if (t.flatButtons)
                l.Fill(inner, k.mid);
            else
                l.Fill(inner,
                       VerticalRamp({{1, k.top}, {8, k.mid}, {13, k.mid}, {h - 2, k.bottom}}));
            if (k.highlight && !t.flatButtons)
                l.Fill(Intersect(inner, Rect(0, 1, w, 2)), pal.kWhite, 0.85f);
            if (k.focusRing)
                l.Fill(Ring(inner, RoundRect(2, 2, w - 2, h - 2, std::max(r - 2, 0.5f))),
                       pal.kAquaLight);
            frames.push_back(OnFace(l));
        }
        return Image::Row(frames);
    }

    // ---- Check boxes and radio buttons -----------------------------------------------------

    // Twelve frames: unchecked, checked and indeterminate, each normal, hot, pressed, disabled.
    Image CheckBoxes() const {
        const int s = 14;
        Shape outer = RoundRect(0, 0, s, s, 3), inner = RoundRect(1, 1, s - 1, s - 1, 2);
        Shape tick = Polyline({3.6f, 7.3f, 6.1f, 9.8f, 10.6f, 4.6f}, 0.9f);
        Shape dash = Rect(4, 6, 10, 8);
        std::vector<Image> frames;
        for (int group = 0; group < 3; ++group)
            for (int state = 0; state < 4; ++state) {
                const MarkLook& k = group == 0 ? kEmpty[state] : kMarked[state];
                Layer l(s, s);
                l.Fill(outer, k.border);
                l.Fill(inner, k.fill);
                if (group == 1) l.Fill(tick, k.ink);
                if (group == 2) l.Fill(dash, k.ink);
                frames.push_back(OnFace(l));
            }
        return Image::Row(frames);
    }

    // Eight frames: unchecked then checked, each normal, hot, pressed, disabled.
    Image RadioButtons() const {
        const int s = 14;
        const float c = s / 2.0f;
        std::vector<Image> frames;
        for (int group = 0; group < 2; ++group)
            for (int state = 0; state < 4; ++state) {
                const MarkLook& k = group == 0 ? kEmpty[state] : kMarked[state];
                Layer l(s, s);
                l.Fill(Circle(c, c, 6.6f), k.border);
                l.Fill(Circle(c, c, 5.6f), k.fill);
                if (group == 1) l.Fill(Circle(c, c, 2.6f), k.ink);
                frames.push_back(OnFace(l));
            }
        return Image::Row(frames);
    }

    // ---- Tabs, tool bar --------------------------------------------------------------------

    // Frames: normal, current, hot, disabled, current (focused). The current tab has no bottom
    // line, so it opens into the pane, and carries an aqua cap.
    Image Tabs() const {
        const int w = 16, h = 20;
        Shape outer = TopRoundRect(0, 0, w, h, 3), inner = TopRoundRect(1, 1, w - 1, h, 2);
        std::vector<Image> frames;
        for (int state = 1; state <= 5; ++state) {
            bool current = state == 2 || state == 5;
            Layer l(w, h);
            l.Fill(outer, state == 4 ? pal.kDisabled : kTabLine);
            Rgb fill = current      ? pal.kFace
                       : state == 3 ? Rgb{242, 247, 252}
                       : state == 4 ? pal.kDisabledFill
                                    : Rgb{224, 229, 237};
            l.Fill(inner, fill);
            if (current)
                l.Fill(Intersect(inner, Rect(0, 1, w, 3)), pal.kAqua);
            else
                l.Fill(Rect(0, h - 1, w, h), state == 4 ? pal.kDisabled : kTabLine);
            frames.push_back(OnFace(l));
        }
        return Image::Row(frames);
    }

    Image TabPane() const {
        Image img(16, 16, pal.kFace);
        for (int i = 0; i < 16; ++i) {
            img.Set(i, 0, kTabLine);
            img.Set(i, 15, kTabLine);
            img.Set(0, i, kTabLine);
            img.Set(15, i, kTabLine);
        }
        return img;
    }

    // Frames: normal (flat, nothing drawn), pressed, disabled (flat), hot, checked.
    Image ToolButtons() const {
        const int s = 16;
        std::vector<Image> frames;
        for (int state = 1; state <= 5; ++state) {
            Layer l(s, s);
            if (state == 2 || state == 4 || state == 5) {
                Rgb border = state == 4 ? Rgb{150, 180, 214} : Rgb{120, 140, 180};
                Rgb fill = state == 2   ? Rgb{206, 216, 234}
                           : state == 4 ? Rgb{232, 241, 251}
                                        : Rgb{220, 228, 240};
                l.Fill(RoundRect(0, 0, s, s, 3), border);
                l.Fill(RoundRect(1, 1, s - 1, s - 1, 2), fill);
            }
            frames.push_back(OnFace(l));
        }
        return Image::Row(frames);
    }

    // ---- Combo box -------------------------------------------------------------------------

    // The edit-like field: a one-pixel outline around white, as edits are framed.
    Image SunkEdge() const {
        const int s = 12;
        std::vector<Image> frames;
        for (int k = 0; k < 4; ++k) {
            Image f(s, s, kComboField[k]);
            for (int i = 0; i < s; ++i) {
                f.Set(i, 0, kComboBorder[k]);
                f.Set(i, s - 1, kComboBorder[k]);
                f.Set(0, i, kComboBorder[k]);
                f.Set(s - 1, i, kComboBorder[k]);
            }
            frames.push_back(f);
        }
        return Image::Row(frames);
    }

    // The drop-down button, drawn inside the field's outline: a separator and a state plate.
    // The key colour lets the field's outline and fill show around it.
    Image ComboButton() const {
        const int w = 17, h = 21;
        std::vector<Image> frames;
        for (int k = 0; k < 4; ++k) {
            Image f(w, h);
            f.FillRect(0, 1, 1, h - 2, Rgb{212, 218, 228});
            if (kComboPlate[k] != kComboField[k]) f.FillRect(1, 1, w - 2, h - 2, kComboPlate[k]);
            frames.push_back(f);
        }
        return Image::Row(frames);
    }

    // Frames 1-4: the drop-down chevron per combo state; frame 5: the status bar's size grip.
    Image ExtraImages() const {
        const int s = 12;
        std::vector<Image> frames;
        Shape chevron = Polyline({3.0f, 4.8f, 6.0f, 7.8f, 9.0f, 4.8f}, 0.85f);
        for (int k = 0; k < 4; ++k) {
            Layer l(s, s);
            l.Fill(chevron, kComboArrow[k]);
            frames.push_back(l.Flatten(kComboPlate[k]));
        }
        Layer grip(s, s);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j <= i; ++j) {
                float x = 9 - 3 * (i - j), y = 9 - 3 * j;
                grip.Fill(Rect(x + 1, y + 1, x + 3, y + 3), pal.kWhite);
                grip.Fill(Rect(x, y, x + 2, y + 2), pal.kShadow);
            }
        frames.push_back(OnFace(grip));
        return Image::Row(frames);
    }

    // ---- Scroll bars -----------------------------------------------------------------------

    // 23 frames of 17 x 17: left, right, up, down arrows (normal, pressed, disabled, hot each),
    // horizontal and vertical thumb grips (normal, pressed, hot each), and a corner square.
    Image ScrollStrip() const {
        const int s = kScroll;
        const float a = 5.0f, b = 12.0f, m = s / 2.0f; // a 7-pixel-wide arrow centred on m
        const Shape arrows[] = {
            Triangle(10.0f, a, 10.0f, b, 6.5f, m), // left
            Triangle(7.0f, a, 7.0f, b, 10.5f, m),  // right
            Triangle(a, 10.0f, b, 10.0f, m, 6.5f), // up
            Triangle(a, 7.0f, b, 7.0f, m, 10.5f),  // down
        };
        Shape plate = RoundRect(1, 1, s - 1, s - 1, 3);
        std::vector<Image> frames;
        for (const Shape& arrow : arrows)
            for (int state = 1; state <= 4; ++state) {
                Layer l(s, s);
                Rgb ink{108, 118, 140};
                if (state == 2) {
                    l.Fill(plate, pal.kSelect);
                    ink = pal.kWhite;
                } else if (state == 3) {
                    ink = pal.kDisabled;
                } else if (state == 4) {
                    l.Fill(plate, Rgb{212, 220, 233});
                    ink = Rgb{36, 48, 88};
                }
                l.Fill(arrow, ink);
                frames.push_back(OnFace(l));
            }
        std::vector<Image> grips;
        for (int k = 0; k < 3; ++k) {
            Layer l(s, s);
            for (int x : {6, 8, 10}) l.Fill(Rect(x, 6, x + 1, 11), kGrip[k]);
            grips.push_back(l.Flatten(kThumb[k]));
        }
        frames.insert(frames.end(), grips.begin(), grips.end());
        for (const Image& g : grips) frames.push_back(g.Transposed());
        frames.push_back(Image(s, s, pal.kFace));
        return Image::Row(frames);
    }

    // Tracks: enabled, pressed, disabled, hot; flat, so they stretch cleanly along the bar.
    std::vector<Image> TrackFrames(int w, int h) const {
        return {Image(w, h, pal.kTrack), Image(w, h, Rgb{218, 223, 232}),
                Image(w, h, Rgb{240, 241, 244}), Image(w, h, Rgb{222, 227, 235})};
    }

    // Thumbs: normal, pressed, hot. A slim pill across the breadth; margins 5 hold the ends.
    std::vector<Image> HorzThumbFrames() const {
        const int w = 16, h = kScroll;
        std::vector<Image> frames;
        for (Rgb c : kThumb) {
            Layer l(w, h);
            l.Fill(RoundRect(1, 4, w - 1, h - 4, 4.5f), c);
            frames.push_back(l.Flatten(pal.kTrack));
        }
        return frames;
    }

    // ---- Header, status bar, group box -----------------------------------------------------

    // Frames: normal, hot, pressed. Margins 1, 5, 1, 5; a separator on the right edge.
    Image HeaderBar() const {
        const int w = 16, h = 18;
        std::vector<Image> frames;
        for (int state = 1; state <= 3; ++state) {
            Layer l(w, h);
            Paint fill = state == 1   ? VerticalRamp({{0, {253, 253, 255}},
                                                      {4, {244, 246, 250}},
                                                      {12, {244, 246, 250}},
                                                      {16, {234, 237, 243}}})
                         : state == 2 ? VerticalRamp({{0, {250, 253, 255}},
                                                      {4, {236, 246, 251}},
                                                      {12, {236, 246, 251}},
                                                      {16, {226, 240, 248}}})
                                      : Solid(Rgb{222, 229, 239});
            l.Fill(Rect(0, 0, w, h), fill);
            l.Fill(Rect(w - 1, 4, w, h - 4), Rgb{204, 210, 222});
            l.Fill(Rect(0, h - 1, w, h), Rgb{188, 196, 210});
            if (state == 2) l.Fill(Rect(0, h - 2, w, h), pal.kAqua);
            frames.push_back(OnFace(l));
        }
        return Image::Row(frames);
    }

    // Frames: lowered, raised, no bevel.
    Image StatusEdges() const {
        const int s = 8;
        const Rgb line{190, 198, 212};
        std::vector<Image> frames;
        for (int k = 0; k < 3; ++k) {
            Image f(s, s, pal.kFace);
            for (int i = 0; i < s; ++i) {
                if (k == 0) {
                    f.Set(i, 0, line);
                    f.Set(i, s - 1, line);
                    f.Set(0, i, line);
                    f.Set(s - 1, i, line);
                } else if (k == 1) {
                    f.Set(i, 0, pal.kWhite);
                    f.Set(0, i, pal.kWhite);
                    f.Set(i, s - 1, line);
                    f.Set(s - 1, i, line);
                }
            }
            frames.push_back(f);
        }
        return Image::Row(frames);
    }

    // Frames: normal, disabled. Only the rounded outline; the inside is a hole.
    Image GroupBoxEdge() const {
        const int s = 16;
        std::vector<Image> frames;
        for (Rgb c : {pal.kShadow, pal.kDisabled}) {
            Layer l(s, s);
            l.Fill(Ring(RoundRect(0, 0, s, s, 4), RoundRect(1, 1, s - 1, s - 1, 3)), c);
            frames.push_back(OnFace(l));
        }
        return Image::Row(frames);
    }

    Image GroupBoxLabel() const {
        Layer l(16, 16);
        l.Fill(RoundRect(0, 0, 16, 16, 4), pal.kFace);
        return OnFace(l);
    }

    // ---- Progress, track bar, up-down ------------------------------------------------------

    // Frames: the trough, and the bar drawn over it from the left edge.
    Image Progress() const {
        const int s = 16;
        Layer trough(s, s);
        trough.Fill(RoundRect(0, 0, s, s, 3), kTroughLine);
        trough.Fill(RoundRect(1, 1, s - 1, s - 1, 2), kTroughFill);
        Image troughImg = OnFace(trough);
        Layer bar(s, s);
        Shape inner = RoundRect(1, 1, s - 1, s - 1, 2);
        bar.Fill(RoundRect(0, 0, s, s, 3), Rgb{0, 118, 162});
        bar.Fill(inner, pal.kAqua);
        bar.Fill(Intersect(inner, Rect(0, 1, s, 2)), Rgb{96, 204, 232});
        Image barImg = bar.Flatten([&troughImg, this](int x, int y) {
            Rgb under = troughImg.At(x, y);
            return under == kKey ? pal.kFace : under;
        });
        return Image::Row({troughImg, barImg});
    }

    // One block of the segmented bar: six pixels of accent and a two-pixel gap of trough.
    Image ProgressChunk() const {
        Image img(8, 12, kTroughFill);
        img.FillRect(0, 0, 6, 12, pal.kAqua);
        img.FillRect(0, 0, 6, 1, Rgb{96, 204, 232});
        return img;
    }

    Image TrackChannel() const {
        Layer l(12, 4);
        l.Fill(RoundRect(0, 0, 12, 4, 1.5f), Rgb{170, 180, 198});
        l.Fill(Rect(1, 1, 11, 3), Rgb{214, 220, 230});
        return Opaque(OnFace(l), pal.kFace);
    }

    // Frames: normal, normal (the one painters use), hot, pressed, disabled. Upright for
    // horizontal track bars, lying (shaded left to right) for vertical ones.
    std::vector<Image> TrackThumbFrames(bool lying) const {
        const int w = lying ? 20 : 11, h = lying ? 11 : 20;
        struct Look {
            Rgb border, top, bottom;
        };
        const Look looks[] = {
            {{96, 110, 146}, pal.kWhite, {228, 233, 241}},
            {{96, 110, 146}, pal.kWhite, {228, 233, 241}},
            {pal.kAqua, pal.kWhite, {222, 240, 249}},
            {pal.kSelect, {214, 224, 240}, {198, 210, 232}},
            {pal.kDisabled, pal.kDisabledFill, pal.kDisabledFill},
        };
        std::vector<Image> frames;
        for (const Look& k : looks) {
            Layer l(w, h);
            l.Fill(RoundRect(0, 0, w, h, 3), k.border);
            l.Fill(RoundRect(1, 1, w - 1, h - 1, 2),
                   lying ? HorizontalRamp({{1, k.top}, {w - 2, k.bottom}})
                         : VerticalRamp({{1, k.top}, {h - 2, k.bottom}}));
            frames.push_back(OnFace(l));
        }
        return frames;
    }

    // Up-down buttons (first button 1-4, second 5-8: normal, pressed, disabled, hot): flat plates
    // with a one-pixel gap, because they are stretched over buttons of any size.
    std::vector<Image> SpinPlates() const {
        std::vector<Image> frames;
        for (int button = 0; button < 2; ++button)
            for (Rgb c : kSpinPlate) {
                Image f(15, 10);
                f.FillRect(1, 1, 13, 8, c);
                frames.push_back(f);
            }
        return frames;
    }

    std::vector<Image> SpinArrows() const {
        const Shape up = Triangle(1.0f, 4.6f, 8.0f, 4.6f, 4.5f, 1.1f);
        const Shape down = Triangle(1.0f, 1.4f, 8.0f, 1.4f, 4.5f, 4.9f);
        std::vector<Image> frames;
        for (const Shape* s : {&up, &down})
            for (int k = 0; k < 4; ++k) {
                Layer l(9, 6);
                l.Fill(*s, kSpinInk[k]);
                frames.push_back(l.Flatten(kSpinPlate[k]));
            }
        return frames;
    }

    std::vector<Piece> Pieces() const;
};

std::vector<Piece> ControlArt::Pieces() const {
    const int s = kScroll;
    std::vector<Piece> out;
    out.push_back({"buttons.bmp", PushButtons()});
    out.push_back({"checkbox.bmp", CheckBoxes()});
    out.push_back({"radio.bmp", RadioButtons()});
    out.push_back({"buttons-tabs.bmp", Tabs()});
    out.push_back({"tabborder.bmp", TabPane()});
    out.push_back({"buttons-toolbar.bmp", ToolButtons()});
    out.push_back({"sunkedge.bmp", SunkEdge()});
    out.push_back({"combo.bmp", ComboButton()});
    out.push_back({"combo-arrows.bmp", ExtraImages()});
    out.push_back({"arrows.bmp", ScrollStrip()});
    out.push_back({"hscroll_back.bmp", Image::Row(TrackFrames(8, s))});
    out.push_back({"vscroll_back.bmp", Image::Row(TrackFrames(s, 8))});
    out.push_back({"hscroll_bar.bmp", Image::Row(HorzThumbFrames())});
    out.push_back({"vscroll_bar.bmp", Image::Row(Transposed(HorzThumbFrames()))});
    out.push_back({"mxskin24__header.bmp", HeaderBar()});
    out.push_back({"status.bmp", StatusEdges()});
    out.push_back({"groupboxedge.bmp", GroupBoxEdge()});
    out.push_back({"groupboxlabel.bmp", GroupBoxLabel()});
    out.push_back({"progress.bmp", Progress()});
    out.push_back({"toolbarbg.bmp", ProgressChunk()});
    out.push_back({"trackbot.bmp", TrackChannel()});
    out.push_back({"trackthumbh.bmp", Image::Row(TrackThumbFrames(false))});
    out.push_back({"menutool.bmp", Image::Row(TrackThumbFrames(true))});
    out.push_back({"spin.bmp", Image::Row(SpinPlates())});
    out.push_back({"spinarrow.bmp", Image::Row(SpinArrows())});
    out.push_back({"spinh.bmp", Image::Row(Transposed(SpinPlates()))});
    out.push_back({"spinharrow.bmp", Image::Row(Transposed(SpinArrows()))});
    if (!t.tint.Identity())
        for (Piece& p : out)
            for (int y = 0; y < p.image.Height(); ++y)
                for (int x = 0; x < p.image.Width(); ++x)
                    if (p.image.At(x, y) != kKey) p.image.Set(x, y, t.tint(p.image.At(x, y)));
    return out;
}

} // namespace

std::vector<Piece> ControlPieces(const Theme& t) {
    return ControlArt(t).Pieces();
}

} // namespace skin::art
