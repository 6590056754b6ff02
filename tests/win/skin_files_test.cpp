// The skins shipped as skin files beside the program, and the product skin written to a file:
// each loads through SkinFile as the carried skin loads through its stream, and each one's
// pixels show on the main window and the control gallery (frame, region, title buttons, one
// control of every family).
#include "app_fixture.h"
#include "gallery_form.h"
#include "skin_archive.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "skin/art/product_skin.h"
#include "skin/data/skin_manage.h"
#include "skin/form/win_skin_form.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

std::string ShippedPath(const std::string& name) {
    return std::string(CORVANE_BINARY_DIR) + "/bin/skins/" + name + ".skin";
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

skin::art::Theme ThemeOf(const std::string& name) {
    skin::art::Theme t;
    EXPECT_TRUE(skin::art::FindTheme(name, t)) << name;
    return t;
}

TColor ToColor(skin::art::Rgb c) {
    return static_cast<TColor>(c.r | c.g << 8 | c.b << 16);
}

// A frame's pixel, at fractions of the frame.
TColor FramePixel(const TDataSkinObject& e, int k, double fx = 0.5, double fy = 0.5) {
    TBitmap& b = *e.Bitmap;
    const int n = std::max(1, e.FrameCount), fw = b.Width() / n;
    return b.Canvas().Pixel((k - 1) * fw + static_cast<int>(fx * (fw - 1)),
                            static_cast<int>(fy * (b.Height() - 1)));
}

// Every element the product skin fills is filled, from the file alone.
void ExpectComplete(const TSkinData& d) {
    const TDataSkinObject* elements[] = {d.FrameLeft.get(),
                                         d.FrameRight.get(),
                                         d.FrameTop.get(),
                                         d.FrameBottom.get(),
                                         d.Button.get(),
                                         d.MenuBar.get(),
                                         d.Progress.get(),
                                         d.ProgressChunk.get(),
                                         d.GroupBoxEdge.get(),
                                         d.GroupBox.get(),
                                         d.Tab.get(),
                                         d.StatusBarEdges.get(),
                                         d.TabPane.get(),
                                         d.ToolBars.get(),
                                         d.ComboButton.get(),
                                         d.SunkEdge.get(),
                                         d.ExtraImages.get(),
                                         d.Headerbar.get(),
                                         d.MenuItem.get(),
                                         d.MenuBackground.get(),
                                         d.Scrollbar.get(),
                                         d.HorzScroll.get(),
                                         d.VertScroll.get(),
                                         d.HorzScrollThumb.get(),
                                         d.VertScrollThumb.get(),
                                         d.TrackbarThumbHorz.get(),
                                         d.TrackbarThumbVert.get(),
                                         d.UpDownHorz.get(),
                                         d.UpDownVert.get(),
                                         d.Track.get()};
    int i = 0;
    for (const TDataSkinObject* e : elements) {
        EXPECT_TRUE(e && e->Bitmap && e->Bitmap->Width() > 0) << "element " << i;
        ++i;
    }
    ASSERT_TRUE(d.Button);
    EXPECT_TRUE(d.Button->CheckBitmap && d.Button->CheckBitmap->Width() > 0);
    EXPECT_TRUE(d.Button->RadioBitmap && d.Button->RadioBitmap->Width() > 0);
    // Five title sections with images, the icon, and the three buttons of a maximised child.
    EXPECT_EQ(d.SysButtons.size(), 9u);
}

TEST(SkinFiles, EachShippedFileLoadsThroughSkinFileWithItsOwnGeometry) {
    for (const std::string& name : skin::art::ShippedSkinNames()) {
        SCOPED_TRACE(name);
        const std::string path = ShippedPath(name);
        const auto bytes = FileBytes(path);
        ASSERT_FALSE(bytes.empty()) << path << " is missing from the build";
        // The build's file is what the art code draws today.
        EXPECT_TRUE(bytes == skinpack::DrawnSkinStore(name)) << "stale " << path;

        const skin::art::Theme theme = ThemeOf(name);
        TSkinData d(nullptr);
        d.SkinFormtype = sfOnlyThisForm; // loads without asking a manager to refresh
        d.SetSkinFile(path);
        ASSERT_FALSE(d.SkinNotLoaded);
        EXPECT_EQ(d.SkinName, theme.name);
        ExpectComplete(d);
        EXPECT_EQ(d.FrameTop->Bitmap->Height(), 2 * theme.metric.kTitle);
        EXPECT_EQ(d.FrameLeft->Bitmap->Width(), 2 * theme.metric.kBorder);
        EXPECT_EQ(d.FrameBottom->Bitmap->Height(), 2 * theme.metric.kBottom);
        EXPECT_EQ(d.TitleColor,
                  ToColor(skin::art::TitleRow(theme, theme.active, theme.metric.kTitle / 3)));
        EXPECT_EQ(d.ButtonFaceColor, ToColor(theme.tint(theme.pal.kFace)));
        EXPECT_EQ(d.TitleTextActiveColor, ToColor(theme.titleText));
    }
}

TEST(SkinFiles, TheProductSkinWrittenToAFileLoadsLikeTheCarriedOne) {
    TempDir dir;
    const auto store = skinpack::DrawnSkinStore("product");
    // The packer's file route gives the very store the build embeds in the main window.
    EXPECT_TRUE(store == testskins::ProductSkinStore());
    const std::string path = dir.Write("Corvane.skin", std::string(store.begin(), store.end()));

    TSkinData fromFile(nullptr);
    fromFile.SkinFormtype = sfOnlyThisForm;
    fromFile.SetSkinFile(path);
    ASSERT_FALSE(fromFile.SkinNotLoaded);
    ExpectComplete(fromFile);
    std::unique_ptr<TSkinData> carried(testskins::MakeSkinData(testskins::ProductSkinStore()));
    ASSERT_FALSE(carried->SkinNotLoaded);
    EXPECT_EQ(fromFile.SkinName, carried->SkinName);
    EXPECT_EQ(fromFile.TitleColor, carried->TitleColor);
    EXPECT_EQ(fromFile.ButtonFaceColor, carried->ButtonFaceColor);
    EXPECT_EQ(fromFile.MenuTextColor, carried->MenuTextColor);
    EXPECT_EQ(fromFile.FrameTop->Bitmap->Height(), carried->FrameTop->Bitmap->Height());
    EXPECT_EQ(FramePixel(*fromFile.Button, 2), FramePixel(*carried->Button, 2));
    EXPECT_EQ(fromFile.SysButtons.size(), carried->SysButtons.size());
}

bool Skinned(HWND w) {
    return SendMessageW(w, WM_SKIN_QUERY, 0, 0) == 1 && TSkinManage::Instance() &&
           TSkinManage::Instance()->FindSkinnedForm(w);
}

// How many of the control's pixels (frame included) have the colour.
int CountIn(HWND control, TColor c) {
    Capture p(control);
    int n = 0;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) n += p.At(x, y) == c;
    return n;
}

// The frame, region and title buttons of a skinned top-level window against the skin.
void ExpectFrame(HWND w, const TSkinData& d, const skin::art::Theme& theme, const char* what) {
    SCOPED_TRACE(what);
    const skin::art::Metrics& m = theme.metric;
    Capture p(w);
    // The title's own gradient row, away from caption and buttons.
    EXPECT_EQ(p.At(p.w / 2, m.kTitle / 3), d.TitleColor);
    // The side borders are the side pieces' middle rows, column by column.
    for (int x = 0; x < m.kBorder; ++x) {
        EXPECT_EQ(p.At(x, p.h / 2), d.FrameLeft->Bitmap->Canvas().Pixel(x, m.kTitle + 1)) << x;
        EXPECT_EQ(p.At(p.w - m.kBorder + x, p.h / 2),
                  d.FrameRight->Bitmap->Canvas().Pixel(x, m.kTitle + 1))
            << x;
    }
    // The close button's normal frame, drawn keyed over the title.
    TBitmap& close = *d.SysButtons.front()->Bitmap; // the first section: ButtonClose
    const int bw = close.Width() / m.kTitleButtonFrames, bx = p.w - m.kCloseX,
              by = m.TitleButtonY();
    int same = 0, opaque = 0;
    for (int y = 0; y < close.Height(); ++y)
        for (int x = 0; x < bw; ++x) {
            TColor c = close.Canvas().Pixel(x, y);
            if (c == static_cast<TColor>(0xFF00FF)) continue;
            ++opaque;
            same += p.At(bx + x, by + y) == c;
        }
    EXPECT_GT(opaque, 10);
    EXPECT_GE(same * 10, opaque * 9) << "close button: " << same << " of " << opaque;
    // The region: rounded top corners always, bottom corners when the skin rounds them.
    UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(w, rgn.get()), ERROR);
    EXPECT_FALSE(PtInRegion(rgn.get(), 0, 0));
    EXPECT_FALSE(PtInRegion(rgn.get(), p.w - 1, 0));
    EXPECT_TRUE(PtInRegion(rgn.get(), p.w / 2, 0));
    EXPECT_EQ(PtInRegion(rgn.get(), 0, p.h - 1) != 0, m.kLowCorner == 0);
    EXPECT_EQ(PtInRegion(rgn.get(), p.w - 1, p.h - 1) != 0, m.kLowCorner == 0);
    EXPECT_TRUE(PtInRegion(rgn.get(), 0, p.h / 2));
}

TEST(SkinFiles, MainWindowAndGalleryShowEachSkinLoadedAtStart) {
    for (const std::string& name : skin::art::ShippedSkinNames()) {
        SCOPED_TRACE(name);
        const skin::art::Theme theme = ThemeOf(name);
        TApplication& app = TestApplication();
        // The manager as a fresh process has it: tests of the manager leave their own counts.
        if (TSkinManage* m = TSkinManage::Instance()) {
            m->SetActiveCount(0);
            m->SetEnabled(false);
        }
        auto form = std::make_unique<TForm1>(&app);
        // Before the first skinning pass, which the window's creation queued: the file's skin
        // is the one the window starts with. Loaded as a non-main component would load it, so
        // no refresh is asked of the manager for windows that are not skinned yet.
        form->SkinData1->SkinFormtype = sfOnlyThisForm;
        form->SkinData1->SetSkinFile(ShippedPath(name));
        form->SkinData1->SkinFormtype = sfMainform;
        ASSERT_FALSE(form->SkinData1->SkinNotLoaded);
        form->Show();
        HWND main = form->WindowHandle();
        ASSERT_TRUE(PumpUntil([&] { return Skinned(main); }, 4000));
        PumpFor(300);
        const TSkinData& d = *form->SkinData1;
        ASSERT_EQ(d.SkinName, theme.name);
        ExpectFrame(main, d, theme, "main window");
        // The page control's tabs are flat buttons: the current one is the pressed button.
        EXPECT_GT(CountIn(form->pgc1->WindowHandle(), FramePixel(*d.Button, 2)), 20);

        auto gallery = std::make_unique<TGalleryForm>(&app);
        gallery->Show();
        HWND g = gallery->WindowHandle();
        EXPECT_TRUE(PumpUntil([&] { return Skinned(g); }, 4000));
        PumpFor(500);
        ExpectFrame(g, d, theme, "gallery");
        {
            // The menu bar band under the title.
            TWinSkinForm* s = TSkinManage::Instance()->FindSkinnedForm(g);
            ASSERT_TRUE(s);
            Capture p(g);
            EXPECT_EQ(p.At(p.w - s->LeftWidth() - 40, s->TitleHeight() + s->MenuBarHeight() / 2),
                      FramePixel(*d.MenuBar, 1, 0.5, 0.25))
                << "menu bar";
        }
        struct Family {
            const char* control;
            TColor colour;
            int least;
        };
        const Family families[] = {
            {"CancelButton", FramePixel(*d.Button, 1), 30},
            // The drop-down chevron's ink, at its tip.
            {"DropDownList", d.ExtraImages->Bitmap->Canvas().Pixel(6, 7), 2},
            {"HorzBar", FramePixel(*d.HorzScroll, 1), 30},
            {"ListView1", FramePixel(*d.Headerbar, 1), 30},
            {"TabsTop", FramePixel(*d.Tab, 1), 20},
            {"Progress40", FramePixel(*d.Progress, 2), 20},
            {"Spin", FramePixel(*d.UpDownVert, 1), 10},
            {"TrackHorz", d.Track->Bitmap->Canvas().Pixel(6, 2), 20},
            {"Buttons", FramePixel(*d.GroupBoxEdge, 1, 0.5, 0.0), 20},
        };
        for (const Family& f : families) {
            auto* c = gallery->Find<TWinControl>(f.control);
            ASSERT_TRUE(c) << f.control;
            EXPECT_GE(CountIn(c->WindowHandle(), f.colour), f.least) << f.control;
        }
        // The check box's glyph: the checked, normal frame's border colour.
        {
            TBitmap& strip = *d.Button->CheckBitmap;
            const int fw = strip.Width() / 12;
            const TColor border = strip.Canvas().Pixel(4 * fw + fw / 2, 0);
            auto* c = gallery->Find<TWinControl>("Checked1");
            ASSERT_TRUE(c);
            EXPECT_GE(CountIn(c->WindowHandle(), border), 4) << "check box";
        }
        gallery.reset();
        form.reset();
        PumpFor(50);
    }
}

} // namespace
