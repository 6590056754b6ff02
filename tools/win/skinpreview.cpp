// Draws a contact sheet of a skin store with the program's own primitives, so a change to the
// skin art or to the drawing code can be seen at a glance:
//   skinpreview.exe <skin.store> <out.png>
#include "skin/data/skin_data.h"
#include "skin/form/primitives.h"
#include "toolkit/forms.h"
#include "toolkit/graphics.h"
#include "toolkit/png_writer.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kSheetWidth = 1100;
constexpr int kMaxHeight = 8000; // generous; the sheet is cropped to what was drawn
constexpr int kLabelWidth = 170;
constexpr int kGap = 8;
constexpr TColor kBackground = 0xF0F0F0;

std::string Narrow(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(std::max(n, 1)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<size_t>(std::max(n - 1, 0)));
    return s;
}

// One image of an element as the sheet shows it.
struct Piece {
    std::string label;
    TBitmap* bitmap = nullptr;
    int frames = 1;
    bool verticalFrames = false;
    skin::SliceMargins margins;
    bool tile = false, keyed = false;
};

Piece FromObject(const std::string& label, TDataSkinObject& e, bool verticalFrames = false) {
    Piece p;
    p.label = label;
    p.bitmap = e.Bitmap.get();
    p.frames = std::max(1, e.FrameCount);
    p.verticalFrames = verticalFrames;
    p.margins = {e.Margins.Left, e.Margins.Top, e.Margins.Right, e.Margins.Bottom};
    p.tile = e.Tile == 1;
    p.keyed = e.Trans != 0;
    return p;
}

class Sheet {
public:
    explicit Sheet(TSkinData& skin) : skin_(skin), canvas_(kSheetWidth, kMaxHeight) {
        Fill({0, 0, kSheetWidth, kMaxHeight}, kBackground);
        canvas_.Canvas().Font().SetName("Tahoma");
        canvas_.Canvas().Font().SetSize(8);
    }

    void Heading(const std::string& text) {
        y_ += kGap;
        Label({kGap, y_, kSheetWidth - kGap, y_ + 18}, text, true);
        y_ += 20;
    }

    // Every frame of the piece at its own size and at two larger sizes: bordered images are
    // nine-sliced (so the margins are exercised), the others stretched whole.
    void Element(const Piece& p) {
        if (!p.bitmap || p.bitmap->Empty()) return;
        const skin::IntRect f0 =
            skin::FrameRect(p.bitmap->Width(), p.bitmap->Height(), p.frames, 1, p.verticalFrames);
        const int fw = std::max(1, f0.right - f0.left), fh = std::max(1, f0.bottom - f0.top);
        const bool bordered =
            p.margins.left || p.margins.top || p.margins.right || p.margins.bottom;
        const SIZE sizes[] = {
            {fw, fh},
            {std::max(fw * 2, fw + 40), bordered ? fh : fh * 2},
            {std::max(fw * 3, fw + 90), bordered ? std::max(fh * 2, fh + 24) : fh * 3}};
        char info[160];
        std::snprintf(info, sizeof info, "%s\n%dx%d, %d frame%s%s%s", p.label.c_str(),
                      p.bitmap->Width(), p.bitmap->Height(), p.frames, p.frames == 1 ? "" : "s",
                      p.keyed ? ", keyed" : "", p.tile ? ", tiled" : "");
        const int top = y_;
        Label({kGap, y_, kLabelWidth, y_ + 30}, info, false);
        int x = kLabelWidth, rowHeight = 30;
        for (const SIZE& s : sizes) {
            for (int k = 1; k <= p.frames; ++k) {
                if (x + s.cx > kSheetWidth - kGap && x > kLabelWidth) { // wrap to a new line
                    y_ += rowHeight + kGap;
                    x = kLabelWidth;
                    rowHeight = 0;
                }
                const RECT r{x, y_, x + static_cast<int>(s.cx), y_ + static_cast<int>(s.cy)};
                Draw(p, r, k, bordered);
                x += s.cx + kGap;
                rowHeight = std::max(rowHeight, static_cast<int>(s.cy));
            }
            x += kGap; // a little more space between the sizes
        }
        y_ = std::max(y_ + rowHeight, top + 30) + kGap;
        Rule();
    }

    // A window's title bar, active then inactive, with its frame and the title-bar buttons.
    void TitleBar(bool active, int width) {
        if (!skin_.FrameTop || skin_.FrameTop->Bitmap->Empty()) return;
        TDataSkinBorder& top = *skin_.FrameTop;
        const int frame = active ? 1 : std::min(2, std::max(1, top.FrameCount));
        const Piece tp = FromObject("", top, true);
        const skin::IntRect tf =
            skin::FrameRect(top.Bitmap->Width(), top.Bitmap->Height(), tp.frames, 1, true);
        const int titleHeight = tf.bottom - tf.top, clientHeight = 50, x0 = kLabelWidth;
        int side = 0, bottomHeight = 0;
        if (skin_.FrameLeft && !skin_.FrameLeft->Bitmap->Empty())
            side = skin_.FrameLeft->Bitmap->Width() / std::max(1, skin_.FrameLeft->FrameCount);
        if (skin_.FrameBottom && !skin_.FrameBottom->Bitmap->Empty())
            bottomHeight =
                skin_.FrameBottom->Bitmap->Height() / std::max(1, skin_.FrameBottom->FrameCount);
        const int height = titleHeight + clientHeight + bottomHeight;
        Label({kGap, y_, kLabelWidth, y_ + 30},
              active ? "Title bar (active)" : "Title bar (inactive)", false);
        // Client area first so the keyed border pixels fall on the face colour.
        Fill({x0, y_ + titleHeight, x0 + width, y_ + height}, skin_.ButtonFaceColor);
        DrawBorder(*skin_.FrameLeft, false, {x0, y_, x0 + side, y_ + height}, frame);
        DrawBorder(*skin_.FrameRight, false, {x0 + width - side, y_, x0 + width, y_ + height},
                   frame);
        DrawBorder(top, true, {x0 + side, y_, x0 + width - side, y_ + titleHeight}, frame);
        DrawBorder(*skin_.FrameBottom, true,
                   {x0 + side, y_ + height - bottomHeight, x0 + width - side, y_ + height}, frame);
        const HDC dc = canvas_.Canvas().Handle();
        // Title-bar buttons carry no transparency flag in the description: magenta is always
        // their key, so the title bar shows through around rounded buttons.
        for (const auto& b : skin_.SysButtons) {
            // A sizable, restored window: the restore and lone-minimise variants are hidden and
            // the menu-bar buttons of a maximised child are not part of the title bar.
            if (b->Bitmap->Empty() || b->Name == "MDICONTROLS" || b->Name == "BUTTONRESTORE" ||
                b->Name == "BUTTONMINIMIZEALONE")
                continue;
            const int frames = std::max(1, b->FrameCount);
            const int bw = b->Bitmap->Width() / frames, bh = b->Bitmap->Height();
            const int bx = b->Align == 1 ? x0 + width - b->XCoord : x0 + b->XCoord;
            const RECT r{bx, y_ + b->YCoord, bx + bw, y_ + b->YCoord + bh};
            skin::DrawFrame(dc, r, *b->Bitmap, true, frames, 1);
        }
        if (skin_.Title) {
            const TColor colour =
                active ? skin_.TitleTextActiveColor : skin_.TitleTextNoActiveColor;
            TCanvas& c = canvas_.Canvas();
            c.Font().SetColor(colour);
            c.Font().SetStyle(fsBold);
            const RECT r{x0 + skin_.Title->Margins.Left, y_ + skin_.Title->Margins.Top,
                         x0 + width - skin_.Title->Margins.Right, y_ + titleHeight};
            c.TextRect(r, "Corvane - skin preview", DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
            c.Font().SetStyle(0);
            c.Font().SetColor(clBlack);
        }
        y_ += height + kGap;
    }

    void Rule() { Fill({kGap, y_ - kGap / 2, kSheetWidth - kGap, y_ - kGap / 2 + 1}, 0xD0D0D0); }

    // The drawn part of the sheet as PNG bytes.
    std::string Png() {
        const int h = std::min(y_ + kGap, kMaxHeight);
        std::vector<uint32_t> pixels;
        pixels.reserve(static_cast<size_t>(kSheetWidth) * h);
        GdiFlush(); // the DIB's bits are read directly
        for (int y = 0; y < h; ++y)
            pixels.insert(pixels.end(), canvas_.ScanLine(y), canvas_.ScanLine(y) + kSheetWidth);
        return EncodePng(pixels, kSheetWidth, h);
    }

private:
    void Draw(const Piece& p, const RECT& r, int frame, bool bordered) {
        const HDC dc = canvas_.Canvas().Handle();
        if (bordered)
            skin::DrawNineSlice(dc, r, *p.bitmap, p.verticalFrames, p.tile, p.keyed, p.frames,
                                frame, p.margins);
        else if (p.verticalFrames) // DrawFrame only cuts frames side by side
            skin::DrawNineSlice(dc, r, *p.bitmap, true, false, p.keyed, p.frames, frame, {});
        else
            skin::DrawFrame(dc, r, *p.bitmap, p.keyed, p.frames, frame);
    }

    void DrawBorder(TDataSkinBorder& e, bool verticalFrames, const RECT& r, int frame) {
        if (e.Bitmap->Empty()) return;
        const Piece p = FromObject("", e, verticalFrames);
        skin::DrawNineSlice(canvas_.Canvas().Handle(), r, *e.Bitmap, verticalFrames, p.tile,
                            p.keyed, p.frames, std::min(frame, p.frames), p.margins);
    }

    void Fill(const RECT& r, TColor colour) {
        TCanvas& c = canvas_.Canvas();
        c.Brush().SetColor(colour);
        c.FillRect(r);
    }

    void Label(const RECT& r, const std::string& text, bool bold) {
        TCanvas& c = canvas_.Canvas();
        c.Font().SetStyle(bold ? fsBold : 0);
        c.TextRect(r, text, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
        c.Font().SetStyle(0);
    }

    TSkinData& skin_;
    TBitmap canvas_;
    int y_ = 0;
};

void Compose(TSkinData& skin, Sheet& sheet) {
    sheet.Heading("Skin: " + skin.SkinName +
                  " - every element and state frame, drawn with the "
                  "program's primitives");
    sheet.Heading("Title bar");
    sheet.TitleBar(true, 600);
    sheet.TitleBar(false, 600);
    sheet.Rule();

    sheet.Heading("Window frame");
    // Top and bottom borders run across, so their state frames are stacked.
    for (auto* e : {skin.FrameTop.get(), skin.FrameBottom.get()})
        if (e) sheet.Element(FromObject("Frame" + e->Name, *e, true));
    for (auto* e : {skin.FrameLeft.get(), skin.FrameRight.get()})
        if (e) sheet.Element(FromObject("Frame" + e->Name, *e));
    if (skin.Title) sheet.Element(FromObject("Title text back", *skin.Title));

    sheet.Heading("Title-bar buttons");
    for (const auto& b : skin.SysButtons) {
        Piece p = FromObject(b->Name, *b);
        p.keyed = true; // as in the title bar
        sheet.Element(p);
    }

    sheet.Heading("Controls");
    if (skin.Button) {
        sheet.Element(FromObject("Button", *skin.Button));
        Piece check = FromObject("CheckBox", *skin.Button);
        check.bitmap = skin.Button->CheckBitmap.get();
        check.frames = std::max(1, skin.Button->CheckFrameCount);
        check.margins = {};
        sheet.Element(check);
        Piece radio = check;
        radio.label = "Radio";
        radio.bitmap = skin.Button->RadioBitmap.get();
        radio.frames = std::max(1, skin.Button->RadioFrameCount);
        sheet.Element(radio);
    }
    const std::pair<const char*, TDataSkinObject*> objects[] = {
        {"MenuBar", skin.MenuBar.get()},
        {"ProgressChunk", skin.ProgressChunk.get()},
        {"GroupBoxEdge", skin.GroupBoxEdge.get()},
        {"GroupBox label", skin.GroupBox.get()},
        {"StatusBarEdges", skin.StatusBarEdges.get()},
        {"TabPane", skin.TabPane.get()},
        {"ToolBars", skin.ToolBars.get()},
        {"SunkEdge", skin.SunkEdge.get()},
        {"ExtraImages", skin.ExtraImages.get()},
        {"Headerbar", skin.Headerbar.get()},
        {"MenuItem", skin.MenuItem.get()},
        {"MenuBackground", skin.MenuBackground.get()},
        {"Scrollbar", skin.Scrollbar.get()},
        {"HorzScroll", skin.HorzScroll.get()},
        {"VertScroll", skin.VertScroll.get()},
        {"HorzScrollThumb", skin.HorzScrollThumb.get()},
        {"VertScrollThumb", skin.VertScrollThumb.get()},
        {"TrackbarThumbHorz", skin.TrackbarThumbHorz.get()},
        {"TrackbarThumbVert", skin.TrackbarThumbVert.get()},
        {"TrackbarThumbLeft", skin.TrackbarThumbLeft.get()},
        {"TrackbarThumbRight", skin.TrackbarThumbRight.get()},
        {"TrackbarThumbUp", skin.TrackbarThumbUp.get()},
        {"TrackbarThumbDown", skin.TrackbarThumbDown.get()},
        {"Track", skin.Track.get()},
        {"TrackVert", skin.TrackVert.get()},
        {"ComboxArrow", skin.ComboxArrow.get()},
        {"Toolbar", skin.Toolbar.get()},
    };
    const std::pair<const char*, TDataSkinBorder*> borders[] = {
        {"Progress", skin.Progress.get()},       {"Tab", skin.Tab.get()},
        {"ComboButton", skin.ComboButton.get()}, {"UpDownHorz", skin.UpDownHorz.get()},
        {"UpDownVert", skin.UpDownVert.get()},
    };
    for (const auto& [name, e] : borders) {
        if (!e) continue;
        sheet.Element(FromObject(name, *e));
        // The second image carries no frame count of its own: shown whole.
        Piece second = FromObject(std::string(name) + " (second image)", *e);
        second.bitmap = e->Bitmap2.get();
        second.frames = 1;
        sheet.Element(second);
    }
    for (const auto& [name, e] : objects)
        if (e) sheet.Element(FromObject(name, *e));
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        std::fprintf(stderr, "usage: skinpreview.exe <skin.store> <out.png>\n");
        return 2;
    }
    TApplication app;
    app.Initialize();
    // No message boxes: a developer tool run under timeout must not wait for a click.
    app.OnException = [](TObject*, const std::exception& e) {
        std::fprintf(stderr, "skinpreview: %s\n", e.what());
        std::exit(1);
    };
    try {
        TSkinData skin(&app);
        skin.SkinFormtype = sfOnlyThisForm; // load only; no forms to skin here
        skin.SetSkinFile(Narrow(argv[1]));
        if (skin.SkinNotLoaded) throw std::runtime_error("the skin store did not load");
        Sheet sheet(skin);
        Compose(skin, sheet);
        const std::string png = sheet.Png();
        FILE* f = _wfopen(argv[2], L"wb");
        if (!f) throw std::runtime_error("cannot write the output file");
        const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
        if (std::fclose(f) != 0 || !ok) throw std::runtime_error("writing the output failed");
    } catch (const std::exception& e) {
        app.HandleException(nullptr, e);
        return 1;
    }
    LocalFree(argv);
    return 0;
}
