// A review picture of a skin: a mock window assembled from the pieces the way the
// engine cuts and stretches them, then every bitmap enlarged with its name.
#include "skin/art/product_skin.h"
#include "skin/art/skin_parts.h"

#include <algorithm>
#include <string>

namespace skin::art {

namespace {

const Image& Find(const ProductSkin& skin, const std::string& name) {
    for (const SkinBitmap& b : skin.bitmaps)
        if (b.name == name) return b.image;
    static const Image empty;
    return empty;
}

// Frame k (from 1) of n, side by side or stacked.
Image Frame(const Image& strip, int n, int k, bool stacked = false) {
    if (stacked) {
        int h = strip.Height() / n;
        return strip.Crop(0, (k - 1) * h, strip.Width(), h);
    }
    int w = strip.Width() / n;
    return strip.Crop((k - 1) * w, 0, w, strip.Height());
}

// Fixed margins, stretched middle; margins are dropped on an axis that is too small.
Image NineSlice(const Image& f, int l, int t, int r, int b, int w, int h) {
    if (w < l + r) l = r = 0;
    if (h < t + b) t = b = 0;
    auto map = [](int d, int dn, int sn, int lo, int hi) {
        if (d < lo) return d;
        if (d >= dn - hi) return sn - (dn - d);
        int mid = dn - lo - hi;
        return lo + (d - lo) * (sn - lo - hi) / std::max(mid, 1);
    };
    Image out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.Set(x, y, f.At(map(x, w, f.Width(), l, r), map(y, h, f.Height(), t, b)));
    return out;
}

void Put(Image& dst, const Image& src, int x, int y) {
    dst.BlitKeyed(src, x, y);
}

void Label(Image& dst, int x, int y, const std::string& text, Rgb c, int scale = 1) {
    DrawText(dst, x, y, text, c, scale);
}

void LabelCentred(Image& dst, int x, int y, int w, int h, const std::string& text, Rgb c) {
    DrawText(dst, x + (w - TextWidth(text, 1)) / 2, y + (h - 5) / 2, text, c, 1);
}

// The engine's joined combo picture: field, button and arrow in one 50 x 21 cell per state.
Image JoinedCombo(const ProductSkin& skin, int state, int w, int h) {
    const int aw = skin.theme.metric.kScroll + 2;
    Image cell = NineSlice(Frame(Find(skin, "sunkedge.bmp"), 4, state), 2, 2, 2, 2, 50, 21);
    Put(cell, NineSlice(Frame(Find(skin, "combo.bmp"), 4, state), 2, 2, 2, 2, aw, 21), 50 - aw, 0);
    Image arrow = Frame(Find(skin, "combo-arrows.bmp"), 5, state);
    Put(cell, arrow, 50 - aw + (aw - arrow.Width()) / 2, (21 - arrow.Height()) / 2);
    cell.FillRect(2, 2, 49 - aw - 2, 16, kKey);
    Image out = NineSlice(cell, 2, 2, aw + 2, 2, w, h);
    return out;
}

void MockWindow(Image& sheet, const ProductSkin& skin, int ox, int oy) {
    const Metrics& m = skin.theme.metric;
    const int kTitle = m.kTitle, kBorder = m.kBorder, kBottom = m.kBottom, kScroll = m.kScroll;
    const int kMenuBar = m.kMenuBar, kTitleButtonY = m.TitleButtonY();
    const int bs = m.kButtonSide, be = m.kButtonEnd, tbf = m.kTitleButtonFrames;
    Palette pal = skin.theme.pal;
    for (Rgb* c : {&pal.kFace, &pal.kText, &pal.kWhite, &pal.kShadow, &pal.kNavy, &pal.kYellow})
        *c = skin.theme.tint(*c);
    const int W = 560, H = 420;
    Image win(W, H, pal.kFace);
    // Frame pieces, cut and stretched as the frame painter does.
    const Image left =
        NineSlice(Frame(Find(skin, "frameleft.bmp"), 2, 1), 0, kTitle, 0, kBottom, kBorder, H);
    const Image right =
        NineSlice(Frame(Find(skin, "frameright.bmp"), 2, 1), 0, kTitle, 0, kBottom, kBorder, H);
    const Image top = NineSlice(Frame(Find(skin, "frametop.bmp"), 2, 1, true), m.kTitleCap, 0,
                                m.kTitleCap, 0, W - 2 * kBorder, kTitle);
    const Image bottom = NineSlice(Frame(Find(skin, "framebottom.bmp"), 2, 1, true), 0, 0, 0, 0,
                                   W - 2 * kBorder, kBottom);
    win.Blit(left, 0, 0);
    win.Blit(right, W - kBorder, 0);
    win.Blit(top, kBorder, 0);
    win.Blit(bottom, kBorder, H - kBottom);
    Put(win, Frame(Find(skin, "closebutton.bmp"), tbf, 3), W - m.kCloseX, kTitleButtonY);
    Put(win, Frame(Find(skin, "maxbutton.bmp"), tbf, 1), W - m.kSecondX, kTitleButtonY);
    Put(win, Frame(Find(skin, "minbutton.bmp"), tbf, 1), W - m.kThirdX, kTitleButtonY);
    {
        Layer icon(16, 16);
        icon.Fill(shape::RoundRect(0, 0, 16, 16, 4), pal.kYellow);
        icon.Fill(shape::Ring(shape::Circle(8, 8, 5), shape::Circle(8, 8, 3)), pal.kNavy);
        icon.Fill(shape::Rect(9, 6, 14, 10), pal.kYellow);
        Put(win, icon.Flatten(TitleRow(skin.theme, skin.theme.active, m.kIconY + 8)), m.kIconX,
            m.kIconY);
    }
    Label(win, m.kCaptionX, (kTitle - 10) / 2, "CORVANE 1.1", skin.theme.titleText, 2);

    // Menu bar band with a hot entry.
    const int mb = kTitle;
    win.Blit(
        NineSlice(Frame(Find(skin, "menu.bmp"), 2, 1, true), 1, 0, 1, 0, W - 2 * kBorder, kMenuBar),
        kBorder, mb);
    Label(win, 12, mb + 7, "FILE", pal.kText);
    Label(win, 44, mb + 7, "EDIT", pal.kText);
    for (int x = 38; x < 66; ++x)
        win.Set(x, mb, pal.kWhite), win.Set(x, mb + kMenuBar - 2, pal.kWhite);
    for (int y = mb; y < mb + kMenuBar - 1; ++y)
        win.Set(38, y, pal.kWhite), win.Set(65, y, pal.kWhite);
    Label(win, 76, mb + 7, "HELP", pal.kText);

    // Banner, as on the main window.
    const int cy = kTitle + kMenuBar, cl = kBorder;
    win.FillRect(cl, cy, W - 2 * kBorder, 60, pal.kNavy);
    Label(win, cl + 14, cy + 10, "CORVANE", Rgb{255, 255, 0}, 4);
    Label(win, cl + 140, cy + 22, "FREE BUILD", Rgb{0, 255, 0}, 2);
    Label(win, cl + 14, cy + 44, "CSS FILE:", Rgb{0, 255, 255}, 2);

    // Flat-button tabs: the current one pressed.
    const Image& buttons = Find(skin, "buttons.bmp");
    int y = cy + 68;
    const char* tabs[] = {"STEP 1", "STEP 2", "STEP 3", "STEP 4"};
    for (int i = 0; i < 4; ++i) {
        int state = i == 0 ? 2 : i == 2 ? 4 : 1;
        Put(win, NineSlice(Frame(buttons, 5, state), bs, be, bs, be, 62, 22), 12 + i * 66, y);
        LabelCentred(win, 12 + i * 66, y, 62, 22, tabs[i], state == 2 ? pal.kWhite : pal.kText);
    }

    // Push buttons in every state.
    y += 32;
    const char* names[] = {"NORMAL", "PRESSED", "DISABLED", "HOT", "FOCUSED"};
    for (int k = 1; k <= 5; ++k) {
        int x = 12 + (k - 1) * 108;
        Put(win, NineSlice(Frame(buttons, 5, k), bs, be, bs, be, 105, 25), x, y);
        LabelCentred(win, x, y, 105, 25, names[k - 1],
                     k == 2   ? pal.kWhite
                     : k == 3 ? pal.kShadow
                              : pal.kText);
    }

    // Check boxes and radio buttons.
    y += 36;
    const Image& check = Find(skin, "checkbox.bmp");
    const Image& radio = Find(skin, "radio.bmp");
    for (int k = 1; k <= 12; ++k) Put(win, Frame(check, 12, k), 12 + (k - 1) * 20, y);
    for (int k = 1; k <= 8; ++k) Put(win, Frame(radio, 8, k), 262 + (k - 1) * 20, y);

    // Edit with a spin button, combo boxes.
    y += 26;
    auto edit = [&win, &pal](int x, int yy, int w, int h) {
        win.FillRect(x, yy, w, h, pal.kShadow);
        win.FillRect(x + 1, yy + 1, w - 2, h - 2, pal.kWhite);
    };
    edit(12, y, 120, 21);
    Label(win, 18, y + 8, "BACKGROUND", pal.kText);
    {
        const Image& plates = Find(skin, "spin.bmp");
        const Image& arrows = Find(skin, "spinarrow.bmp");
        int sx = 12 + 120 - 3 - 16, sy = y + 3;
        for (int b = 0; b < 2; ++b) {
            int k = b * 4 + (b == 0 ? 4 : 1);
            Image plate = Frame(plates, 8, k).Scaled(16, 7);
            Put(win, plate, sx, sy + b * 8);
            Image a = Frame(arrows, 8, k);
            Put(win, a, sx + (16 - a.Width()) / 2, sy + b * 8 + (7 - a.Height()) / 2);
        }
    }
    for (int k = 1; k <= 4; ++k) {
        int x = 144 + (k - 1) * 104;
        win.FillRect(x, y, 100, 21, pal.kWhite);
        Put(win, JoinedCombo(skin, k, 100, 21), x, y);
        Label(win, x + 6, y + 8, k == 3 ? "OFF" : "AUTO", k == 3 ? pal.kShadow : pal.kText);
    }

    // A memo with both scroll bars.
    y += 32;
    const int mx = 12, mw = 260, mh = 130, s = kScroll;
    edit(mx, y, mw, mh);
    for (int i = 0; i < 7; ++i) Label(win, mx + 6, y + 6 + i * 10, "URL(IMAGES/BG.PNG)", pal.kText);
    const Image& strip = Find(skin, "arrows.bmp");
    {
        int bx = mx + mw - 2 - s, by = y + 2, len = mh - 4 - s;
        win.Blit(NineSlice(Frame(Find(skin, "vscroll_back.bmp"), 4, 1), 0, 0, 0, 0, s, len - 2 * s),
                 bx, by + s);
        win.FillRect(bx, by, s, s, pal.kFace);
        win.FillRect(bx, by + len - s, s, s, pal.kFace);
        Put(win, Frame(strip, 23, 9), bx, by);
        Put(win, Frame(strip, 23, 16), bx, by + len - s);
        Put(win, NineSlice(Frame(Find(skin, "vscroll_bar.bmp"), 3, 3), 0, 5, 0, 5, s, 44), bx,
            by + s + 12);
        Put(win, Frame(strip, 23, 22), bx, by + s + 12 + (44 - s) / 2);
    }
    {
        int bx = mx + 2, by = y + mh - 2 - s, len = mw - 4 - s;
        win.Blit(NineSlice(Frame(Find(skin, "hscroll_back.bmp"), 4, 1), 0, 0, 0, 0, len - 2 * s, s),
                 bx + s, by);
        win.FillRect(bx, by, s, s, pal.kFace);
        win.FillRect(bx + len - s, by, s, s, pal.kFace);
        Put(win, Frame(strip, 23, 2), bx, by);
        Put(win, Frame(strip, 23, 5), bx + len - s, by);
        Put(win, NineSlice(Frame(Find(skin, "hscroll_bar.bmp"), 3, 1), 5, 0, 5, 0, 90, s),
            bx + s + 30, by);
        Put(win, Frame(strip, 23, 17), bx + s + 30 + (90 - s) / 2, by);
        win.Blit(Frame(strip, 23, 23), bx + len, by);
    }

    // A report list header and a progress bar.
    {
        int hx = 290, hy = y, hh = 19;
        const Image& header = Find(skin, "mxskin24__header.bmp");
        const int widths[] = {45, 90, 120};
        const char* caps[] = {"NO.", "PROGRESS", "FILE"};
        edit(hx - 1, hy - 1, 258, 100);
        int x = hx;
        for (int i = 0; i < 3; ++i) {
            win.Blit(NineSlice(Frame(header, 3, i == 1 ? 2 : 1), 1, 5, 1, 5, widths[i], hh), x, hy);
            Label(win, x + 5, hy + 7, caps[i], pal.kText);
            x += widths[i];
        }
        const Image& prog = Find(skin, "progress.bmp");
        for (int row = 0; row < 3; ++row) {
            int py = hy + hh + 6 + row * 22, pw = 200;
            Put(win, NineSlice(Frame(prog, 2, 1), 3, 3, 3, 3, pw, 16), hx + 6, py);
            int bar = pw * (row + 1) * 3 / 10;
            Put(win, NineSlice(Frame(prog, 2, 2), 3, 3, 3, 3, bar, 16), hx + 6, py);
        }
        // Track bar.
        int ty = hy + 106;
        win.Blit(NineSlice(Find(skin, "trackbot.bmp"), 3, 0, 3, 0, 200, 4), hx + 10, ty + 8);
        Put(win, Frame(Find(skin, "trackthumbh.bmp"), 5, 2), hx + 70, ty);
    }

    // A popup menu over the client: border, normal, selected, separator.
    {
        int px = 300, py = cy + 2, pw = 150;
        const int ih = 20, sh = 9;
        int ph = 3 * ih + sh + 6;
        win.Blit(NineSlice(Find(skin, "menuborder.bmp"), 3, 3, 3, 3, pw, ph), px, py);
        const Image& items = Find(skin, "buttons-menu.bmp");
        int iy = py + 3;
        const char* text[] = {"RESTORE", "MINIMIZE", "-", "CLOSE"};
        for (int i = 0; i < 4; ++i) {
            bool sep = text[i][0] == '-';
            int h = sep ? sh : ih;
            Image f = Frame(items, 5, sep ? 2 : i == 1 ? 4 : 1);
            if (sep) f = f.Crop(0, f.Height() - h, f.Width(), h);
            Put(win, NineSlice(f, 4, sep ? 0 : 3, 4, sep ? 0 : 3, pw - 6, h), px + 3, iy);
            if (!sep) Label(win, px + 30, iy + 7, text[i], i == 1 ? pal.kWhite : pal.kText);
            iy += h;
        }
    }

    // Status bar along the bottom with a size grip.
    {
        int sy = H - kBottom - 20, sw = W - 2 * kBorder;
        win.FillRect(kBorder, sy, sw, 20, pal.kFace);
        const Image& st = Find(skin, "status.bmp");
        win.Blit(NineSlice(Frame(st, 3, 1), 2, 2, 2, 2, 200, 18), kBorder + 2, sy + 1);
        win.Blit(NineSlice(Frame(st, 3, 2), 2, 2, 2, 2, 150, 18), kBorder + 204, sy + 1);
        Label(win, kBorder + 8, sy + 8, "READY", pal.kText);
        Image grip = Frame(Find(skin, "combo-arrows.bmp"), 5, 5);
        Put(win, grip, W - kBorder - 1 - grip.Width(), H - kBottom - 1 - grip.Height());
    }

    // The desktop shows through the window's transparent corners.
    for (int yy = 0; yy < H; ++yy)
        for (int xx = 0; xx < W; ++xx)
            if (win.At(xx, yy) == kKey) win.Set(xx, yy, Rgb{120, 132, 150});
    sheet.Blit(win, ox, oy);
}

} // namespace

Image ReviewSheet(const ProductSkin& skin) {
    const int width = 1180, pad = 10;
    // Gallery layout first, to know the height: each bitmap at 3x (2x when wide), named.
    struct Cell {
        const SkinBitmap* b;
        int scale, x, y;
    };
    std::vector<Cell> cells;
    int x = pad, y = 460, rowH = 0;
    for (const SkinBitmap& b : skin.bitmaps) {
        int scale = b.image.Width() > 200 ? 2 : 3;
        int w = std::max(b.image.Width() * scale, TextWidth(b.name, 1));
        int h = b.image.Height() * scale + 10;
        if (x + w > width - pad) {
            x = pad;
            y += rowH + 12;
            rowH = 0;
        }
        cells.push_back({&b, scale, x, y});
        x += w + 16;
        rowH = std::max(rowH, h);
    }
    Image sheet(width, y + rowH + pad, Rgb{206, 210, 218});
    MockWindow(sheet, skin, pad, pad);
    // The active and inactive title corner, enlarged.
    {
        const Image& left = Find(skin, "frameleft.bmp");
        const Image& top = Find(skin, "frametop.bmp");
        for (int k = 1; k <= 2; ++k) {
            const Metrics& m = skin.theme.metric;
            Image corner(left.Width() / 2 + top.Width(), m.kTitle + 6);
            corner.Blit(Frame(left, 2, k).Crop(0, 0, m.kBorder, m.kTitle + 6), 0, 0);
            corner.Blit(Frame(top, 2, k, true), m.kBorder, 0);
            int cy = pad + (k - 1) * 232;
            // Tall titles are enlarged less, so both corners fit above the bitmaps.
            const int scale = m.kTitle > 30 ? 5 : 6;
            DrawText(sheet, 600, cy,
                     std::string(k == 1 ? "ACTIVE" : "INACTIVE") + " TITLE CORNER X" +
                         std::to_string(scale),
                     Rgb{20, 24, 40}, 1);
            sheet.Blit(corner.Scaled(corner.Width() * scale, corner.Height() * scale), 600, cy + 8);
        }
    }
    for (const Cell& c : cells) {
        DrawText(sheet, c.x, c.y, c.b->name, Rgb{20, 24, 40}, 1);
        sheet.Blit(c.b->image.Scaled(c.b->image.Width() * c.scale, c.b->image.Height() * c.scale),
                   c.x, c.y + 8);
    }
    return sheet;
}

} // namespace skin::art
