// Window frame, title bar and menu pieces.
#include "skin/art/skin_parts.h"

#include <algorithm>

namespace skin::art {

using namespace shape;

Rgb TitleRow(const Theme& theme, const FramePalette& p, int y) {
    const int kTitle = theme.metric.kTitle;
    if (y >= kTitle - 1) return p.separator;
    float t = static_cast<float>(std::clamp(y, 2, kTitle - 2) - 2) / static_cast<float>(kTitle - 4);
    return Mix(p.titleTop, p.titleBottom, t);
}

namespace {

enum class Glyph { Close, Maximise, Restore, Minimise };

// The painters see the theme's metrics as their own names.
struct FrameArt : Metrics {
    explicit FrameArt(const Theme& theme)
        : Metrics(theme.metric), t(theme), pal(theme.pal),
          kMockW(2 * kBorder + 2 * kTitleCap + kTitleMiddle),
          kMockH(kTitle + kSideMiddle + kBottom), kTitleButtonY(TitleButtonY()) {}
    const Theme& t;
    const Palette& pal;
    const int kMockW, kMockH, kTitleButtonY;
    Rgb TitleRow(const FramePalette& p, int y) const { return art::TitleRow(t, p, y); }

    // A tiny whole window frame; the four border pieces are cut from it so that outline,
    // highlight and corner arcs run on without a seam where the pieces meet.
    // The window's outline inset by d: top corners of radius kCorner, bottom ones of kLowCorner.
    Shape Outline(float d) const {
        Shape top = TopRoundRect(d, d, kMockW - d, kMockH - d, kCorner - d);
        if (kLowCorner <= 0) return top;
        return Intersect(
            top, RoundRect(d, -kMockH, kMockW - d, kMockH - d, std::max(kLowCorner - d, 0.5f)));
    }

    Image FrameMock(const FramePalette& p) const {
        Layer l(kMockW, kMockH);
        l.Fill(Outline(0), p.outline);
        l.Fill(Outline(1), p.highlight);
        Paint body = [&p, this](int x, int y) {
            if (y < kTitle) return TitleRow(p, y);
            int ring = std::min({x, kMockW - 1 - x, kMockH - 1 - y});
            return ring <= 2 ? p.side : p.sideInner;
        };
        l.Fill(Outline(2), body);
        // Nothing shows through a window corner but the desktop, which is unknown: keep the
        // silhouette hard and let the region cut it.
        return l.FlattenHard();
    }

    // Glyphs sit in a square box of the given size at (x, y); outlines are one pixel wide.
    static Shape GlyphShape(Glyph g, float x, float y, float size) {
        float e = x + size, b = y + size;
        switch (g) {
        case Glyph::Close:
            return Union(Segment(x + 0.5f, y + 0.5f, e - 0.5f, b - 0.5f, 0.72f),
                         Segment(e - 0.5f, y + 0.5f, x + 0.5f, b - 0.5f, 0.72f));
        case Glyph::Maximise:
            return Ring(Rect(x, y, e, b), Rect(x + 1, y + 1, e - 1, b - 1));
        case Glyph::Restore: {
            float s = size - 2;
            Shape back =
                Ring(Rect(x + 2, y, x + 2 + s, y + s), Rect(x + 3, y + 1, x + 1 + s, y + s - 1));
            Shape frontBox = Rect(x, y + 2, x + s, y + 2 + s);
            Shape front = Ring(frontBox, Rect(x + 1, y + 3, x + s - 1, y + 1 + s));
            return Union(Subtract(back, frontBox), front);
        }
        case Glyph::Minimise:
            return Rect(x, b - 2, e, b - 1);
        }
        return Rect(0, 0, 0, 0);
    }

    // Title buttons: frames normal, pressed, hot, inactive. They are drawn over the title piece,
    // so their soft edges are blended with the title row they will sit on.
    Image TitleButton(Glyph g) const {
        const FramePalette &active = t.active, &inactive = t.inactive;
        const TitleButtonLook& look = t.titleButton;
        const float gx = (kTitleButtonW - 10) / 2.0f, gy = (kTitleButtonH - 10) / 2.0f;
        Shape glyph = GlyphShape(g, gx, gy, 10);
        Shape plate = RoundRect(1, 1, kTitleButtonW - 1, kTitleButtonH - 1, 4);
        std::vector<Image> frames;
        for (int state = 1; state <= kTitleButtonFrames; ++state) {
            const FramePalette& p = state == 4 ? inactive : active;
            Layer l(kTitleButtonW, kTitleButtonH);
            Rgb ink = look.ink;
            if (state == 2) {
                l.Fill(plate, look.pressedPlate);
                ink = look.pressedInk;
            } else if (state == 3) {
                l.Fill(plate, g == Glyph::Close ? look.closeHotPlate : look.hotPlate);
                ink = g == Glyph::Close ? look.closeHotInk : look.hotInk;
            } else if (state == 4) {
                ink = look.inactiveInk;
            }
            l.Fill(glyph, ink);
            frames.push_back(
                l.Flatten([&p, this](int, int y) { return TitleRow(p, y + kTitleButtonY); }));
        }
        return Image::Row(frames);
    }

    // Buttons of a maximised child window, drawn into the menu bar: minimise, restore, close,
    // four frames each (normal, pressed, hot, hot).
    Image MdiButtons() const {
        const int s = kMdiButton;
        std::vector<Image> frames;
        for (Glyph g : {Glyph::Minimise, Glyph::Restore, Glyph::Close}) {
            Shape glyph = GlyphShape(g, 4, 4, 8);
            for (int state = 1; state <= 4; ++state) {
                Layer l(s, s);
                Rgb ink = pal.kText;
                if (state == 2) {
                    l.Fill(RoundRect(0, 0, s, s, 3), pal.kSelect);
                    ink = pal.kWhite;
                } else if (state >= 3) {
                    l.Fill(RoundRect(0, 0, s, s, 3), Rgb{170, 184, 208});
                    l.Fill(RoundRect(1, 1, s - 1, s - 1, 2), pal.kWhite);
                }
                l.Fill(glyph, ink);
                frames.push_back(l.Flatten(pal.kMenuBar));
            }
        }
        return Image::Row(frames);
    }

    // A soft plate behind the caption, opaque and as tall as the title so that it blends in
    // wherever a painter puts it across the title: left cap, middle, right cap of 10 pixels each.
    Image CaptionPlate() const {
        const FramePalette& p = t.active;
        const int w = 30;
        Layer l(w, kTitle);
        Paint title = [&p, this](int, int y) { return TitleRow(p, y); };
        l.Fill(Rect(0, 0, w, kTitle), title);
        Paint lifted = [&p, this](int, int y) { return Mix(TitleRow(p, y), p.highlight, 0.22f); };
        l.Fill(RoundRect(0.5f, 5, w - 0.5f, kTitle - 5, 9.5f), lifted);
        return l.Flatten(title);
    }

    // Menu items: normal (nothing), separator, spare, selected, hot-but-inactive.
    Image MenuItems() const {
        const int w = 16, h = 20;
        std::vector<Image> frames;
        for (int state = 1; state <= 5; ++state) {
            Layer l(w, h);
            if (state == 2) {
                // Separator items are cut from the bottom of the frame, so the etched line sits
                // a few rows above the bottom.
                l.Fill(Rect(2, h - 6, w - 2, h - 5), Rgb{200, 207, 220});
                l.Fill(Rect(2, h - 5, w - 2, h - 4), pal.kWhite);
            } else if (state == 4) {
                l.Fill(RoundRect(2, 1, w - 2, h - 1, 3), pal.kSelect);
            } else if (state == 5) {
                l.Fill(RoundRect(2, 1, w - 2, h - 1, 3), Rgb{222, 229, 240});
            }
            frames.push_back(l.Flatten(pal.kMenu));
        }
        return Image::Row(frames);
    }

    Image MenuBackground() const {
        Image img(16, 16, pal.kMenu);
        Layer l(16, 16);
        l.Fill(Ring(Rect(0, 0, 16, 16), Rect(1, 1, 15, 15)), Rgb{124, 134, 160});
        img.BlitKeyed(l.Flatten(pal.kMenu), 0, 0);
        return img;
    }

    // Menu pieces sit on the body, so the theme's tint recolours them with the controls.
    Image Tinted(Image img) const {
        if (t.tint.Identity()) return img;
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x)
                if (img.At(x, y) != kKey) img.Set(x, y, t.tint(img.At(x, y)));
        return img;
    }

    std::vector<Piece> Pieces() const;
};

std::vector<Piece> FrameArt::Pieces() const {
    Image a = FrameMock(t.active), i = FrameMock(t.inactive);
    const int sideW = kBorder, pieceW = kMockW - 2 * kBorder;
    std::vector<Piece> out;
    out.push_back(
        {"frameleft.bmp", Image::Row({a.Crop(0, 0, sideW, kMockH), i.Crop(0, 0, sideW, kMockH)})});
    out.push_back({"frameright.bmp", Image::Row({a.Crop(kMockW - sideW, 0, sideW, kMockH),
                                                 i.Crop(kMockW - sideW, 0, sideW, kMockH)})});
    out.push_back({"frametop.bmp", Image::Column({a.Crop(sideW, 0, pieceW, kTitle),
                                                  i.Crop(sideW, 0, pieceW, kTitle)})});
    out.push_back(
        {"framebottom.bmp", Image::Column({a.Crop(sideW, kMockH - kBottom, pieceW, kBottom),
                                           i.Crop(sideW, kMockH - kBottom, pieceW, kBottom)})});
    out.push_back({"closebutton.bmp", TitleButton(Glyph::Close)});
    out.push_back({"maxbutton.bmp", TitleButton(Glyph::Maximise)});
    out.push_back({"restrorebutton.bmp", TitleButton(Glyph::Restore)});
    out.push_back({"minbutton.bmp", TitleButton(Glyph::Minimise)});
    out.push_back({"button-mdi.bmp", Tinted(MdiButtons())});
    out.push_back({"dialog.bmp", CaptionPlate()});
    out.push_back({"menu.bmp", Tinted(Image::Column({Image(16, kMenuBar, pal.kMenuBar),
                                                     Image(16, kMenuBar, pal.kMenuBarInactive)}))});
    out.push_back({"menuborder.bmp", Tinted(MenuBackground())});
    out.push_back({"buttons-menu.bmp", Tinted(MenuItems())});
    return out;
}

} // namespace

std::vector<Piece> FramePieces(const Theme& t) {
    return FrameArt(t).Pieces();
}

} // namespace skin::art
