// The skin data component's frame-painting switch, its two question events (typed and bound by
// name), the caption font taken from the whole system record, the application icon captured
// at start-up, and the combined combo image drawn with the painters' primitives.
#include "app_fixture.h"

#include "skin/data/skin_data.h"
#include "skin/form/primitives.h"
#include "toolkit/forms.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using skin::TPixelImage;

class ExposedSkinData : public TSkinData {
public:
    using TSkinData::ComposeCombo;
    using TSkinData::TSkinData;
};

TPixelImage Coded(int w, int h, int salt, bool holes) {
    TPixelImage image(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixel(x, y,
                           holes && (x * 7 + y * 3 + salt) % 5 == 0
                               ? skin::kMagenta
                               : skin::RGBColor((x * 11 + salt) & 0xFF, (y * 12 + 3) & 0xFF,
                                                (x * y + salt * 9) & 0xFF));
    return image;
}

} // namespace

TEST(SkinDataFields, FramePaintingIsOnFromCreationAndPausesNest) {
    TSkinData d(nullptr);
    EXPECT_TRUE(d.FramePainting);
    {
        TFramePaintingPause outer(d);
        EXPECT_FALSE(d.FramePainting);
        {
            TFramePaintingPause inner(d);
            EXPECT_FALSE(d.FramePainting);
        }
        EXPECT_FALSE(d.FramePainting) << "the inner pause puts back what it found";
    }
    EXPECT_TRUE(d.FramePainting);
}

TEST(SkinDataFields, QuestionEventsTypedAndByName) {
    TSkinData d(nullptr);
    // Typed handlers get the question's arguments and answer in them.
    std::string asked;
    d.OnFormSkin = [&](TObject* sender, const std::string& name, bool& doSkin) {
        EXPECT_EQ(sender, &d);
        asked = name;
        doSkin = name != "TNoSkin";
    };
    bool doSkin = true;
    d.AskFormSkin(nullptr, "TNoSkin", doSkin);
    EXPECT_FALSE(doSkin);
    EXPECT_EQ(asked, "TNoSkin");
    doSkin = false;
    d.AskFormSkin(nullptr, "SysMonthCal32", doSkin); // the handler alone decides
    EXPECT_TRUE(doSkin);

    TForm form(nullptr);
    TComponent replacement(nullptr);
    d.OnSkinControl = [&](TComponent* sender, TSkinData* data, TControl* f, TControl* c,
                          const std::string& cls, TComponent*& skinned) {
        EXPECT_EQ(sender, &replacement);
        EXPECT_EQ(data, &d);
        EXPECT_EQ(f, &form);
        EXPECT_EQ(c, &form);
        if (cls == "TForm") skinned = &replacement;
    };
    EXPECT_EQ(d.AskSkinControl(&replacement, &form, &form, "TForm"), &replacement);
    EXPECT_EQ(d.AskSkinControl(&replacement, &form, &form, "TEdit"), nullptr);
    d.OnSkinControl = nullptr;
    EXPECT_EQ(d.AskSkinControl(&replacement, &form, &form, "TForm"), nullptr);

    // Bound by name, as a description binds them: notify handlers reading the question fields.
    ASSERT_TRUE(IsPublishedProp(d, "OnFormSkin"));
    ASSERT_TRUE(IsPublishedProp(d, "OnSkinControl"));
    int calls = 0;
    GetPropInfo(d, "OnFormSkin")->SetEvent(d, [&](TObject*) {
        ++calls;
        d.FormSkinQuestion.DoSkin = d.FormSkinQuestion.Name == "TYes";
    });
    doSkin = true;
    d.AskFormSkin(nullptr, "TNo", doSkin);
    EXPECT_FALSE(doSkin);
    d.AskFormSkin(nullptr, "TYes", doSkin);
    EXPECT_TRUE(doSkin);
    EXPECT_EQ(calls, 2);
    GetPropInfo(d, "OnSkinControl")->SetEvent(d, [&](TObject*) {
        if (d.SkinControlQuestion.ControlClass == "TMemo" && d.SkinControlQuestion.Form == &form)
            d.SkinControlQuestion.SkinnedControl = &replacement;
    });
    EXPECT_EQ(d.AskSkinControl(nullptr, &form, &form, "TMemo"), &replacement);
    EXPECT_EQ(d.AskSkinControl(nullptr, &form, &form, "TEdit"), nullptr);
    GetPropInfo(d, "OnFormSkin")->SetEvent(d, nullptr);
    EXPECT_FALSE(d.OnFormSkin);
}

TEST(SkinDataFields, CaptionFontCarriesTheWholeRecord) {
    TSkinData d(nullptr);
    d.ReadCaptionFont();
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = 340;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
    const LOGFONTA& want = metrics.lfCaptionFont;
    LOGFONTW made{};
    ASSERT_TRUE(d.CaptionFont);
    ASSERT_EQ(GetObjectW(d.CaptionFont->Handle(), sizeof(made), &made),
              static_cast<int>(sizeof(made)));
    EXPECT_EQ(made.lfHeight, want.lfHeight);
    EXPECT_EQ(made.lfWidth, want.lfWidth);
    EXPECT_EQ(made.lfWeight, want.lfWeight);
    EXPECT_EQ(made.lfQuality, want.lfQuality);
    EXPECT_EQ(made.lfPitchAndFamily, want.lfPitchAndFamily);
    EXPECT_EQ(made.lfCharSet, want.lfCharSet);
    EXPECT_EQ(made.lfItalic, want.lfItalic);
}

TEST(SkinDataFields, ApplicationIconIsThereAfterStartUp) {
    auto form = MakeMainForm();
    TSkinData* d = form->SkinData1;
    ASSERT_TRUE(d);
    const int n = GetSystemMetrics(SM_CXSMICON);
    ASSERT_FALSE(d->AppIcon->Empty());
    EXPECT_EQ(d->AppIcon->Width(), n);
    EXPECT_TRUE(d->AppIconTransparent);
    // The program's own icon on magenta.
    TBitmap want(n, n);
    UniqueBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
    RECT all{0, 0, n, n};
    FillRect(want.Canvas().Handle(), &all, magenta.get());
    DrawIconEx(want.Canvas().Handle(), 0, 0, ApplicationIcon(true), n, n, 0, nullptr, DI_NORMAL);
    GdiFlush();
    EXPECT_EQ(skin::PixelsOf(*d->AppIcon), skin::PixelsOf(want));
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(form->Handle(), WM_GETICON, ICON_SMALL, 0)),
              ApplicationIcon(true));
}

TEST(SkinDataFields, ComboImageIsDrawnWithTheNineSlicePrimitive) {
    ExposedSkinData d(nullptr);
    const int aw = GetSystemMetrics(SM_CXHSCROLL) + 2;
    // Frames whose middles differ column by column, so that how they stretch shows.
    const TPixelImage sunk = Coded(40, 21, 1, false), button = Coded(68, 21, 2, true),
                      extra = Coded(60, 12, 3, true);
    const skin::TComboPart sunkPart{&sunk, {2, 3, 2, 3}, 4, false};
    const skin::TComboPart buttonPart{&button, {3, 2, 3, 2}, 4, true};
    const skin::TComboPart extraPart{&extra, {}, 5, true};
    const TPixelImage strip = d.ComposeCombo(sunkPart, buttonPart, extraPart, aw);
    ASSERT_EQ(strip.Width(), 200);
    ASSERT_EQ(strip.Height(), 21);

    TBitmap sunkB, buttonB, extraB;
    skin::AssignPixels(sunkB, sunk);
    skin::AssignPixels(buttonB, button);
    skin::AssignPixels(extraB, extra);
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        TBitmap cell(50, 21);
        HDC dc = cell.Canvas().Handle();
        UniqueBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
        const RECT whole{0, 0, 50, 21}, arrow{50 - aw, 0, 50, 21};
        FillRect(dc, &whole, magenta.get());
        skin::DrawNineSlice(dc, whole, sunkB, false, false, false, 4, k, {2, 3, 2, 3});
        skin::DrawNineSlice(dc, arrow, buttonB, false, false, true, 4, k, {3, 2, 3, 2});
        skin::DrawFrameCentred(dc, arrow, extraB, true, 5, k);
        GdiFlush();
        const TPixelImage drawn = skin::PixelsOf(cell);
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 50; ++x) {
                const bool edit = x >= 2 && x < 49 - aw && y >= 2 && y < 18;
                const skin::TColor want = edit ? skin::kMagenta : drawn.Pixel(x, y);
                ASSERT_EQ(strip.Pixel(50 * (k - 1) + x, y), want) << x << "," << y;
            }
    }
    // Without a sunk edge or a combo button there is no strip.
    EXPECT_TRUE(d.ComposeCombo({}, buttonPart, extraPart, aw).Empty());
    EXPECT_TRUE(d.ComposeCombo(sunkPart, {}, extraPart, aw).Empty());
}
