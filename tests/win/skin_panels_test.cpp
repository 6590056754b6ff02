// Skinned containers and display controls under Wine: group boxes, status bars, panels,
// panel-like foreign windows and size grips, with their pixels read back, the colours and
// properties they take given back, and no handle growth over skin cycles.
#include "real_input.h"
#include "skinned_form.h"

#include "gallery_form.h"

#include "skin/controls/skin_checks.h"
#include "skin/controls/skin_combo.h"
#include "skin/controls/skin_edits.h"
#include "skin/controls/skin_media.h"
#include "skin/controls/skin_panels.h"
#include "skin/controls/skin_statusbar.h"
#include "skin/data/skin_manage.h"
#include "skin/form/control_discovery.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

using namespace testskins;
using namespace skintest;

namespace {

// The first row from the top, in column x, that shows the colour; -1 for none.
int FirstRowOf(const Pixels& p, int x, TColor colour) {
    for (int y = 0; y < p.h; ++y)
        if (p.At(x, y) == colour) return y;
    return -1;
}

int CountInRow(const Pixels& p, int y, int from, int to, TColor colour) {
    int n = 0;
    for (int x = from; x < to; ++x) n += p.At(x, y) == colour;
    return n;
}

} // namespace

// ---------------------------------------------------------------- group boxes

TEST(SkinGroupBox, CaptionCutsTheRoundedLineAtEitherSide) {
    SkinnedForm t(EditsSkinStore());
    auto* group = t.Add<TGroupBox>(10, 10, 220, 110);
    group->SetCaption("Caption");
    t.Apply();
    auto* object = t.ObjectOf<TSkinGroupBox>(group);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->Kind(), 1);
    HWND wnd = group->WindowHandle();
    Refresh(wnd);
    Pixels p(wnd);
    const int a = FirstRowOf(p, 180, kEditShadow);
    ASSERT_GT(a, 0) << "no line at the right of the caption";
    EXPECT_LT(a, 12);
    // The caption starts 8 pixels in and is drawn on the face colour over the line.
    EXPECT_EQ(CountInRow(p, a, 9, 30, kEditShadow), 0);
    EXPECT_GT(CountInRow(p, a, 9, 30, kFace), 0);
    // Corners are rounded; the sides and bottom are straight lines one pixel in.
    EXPECT_NE(p.At(1, a), kEditShadow);
    EXPECT_EQ(p.At(1, a + 20), kEditShadow);
    EXPECT_EQ(p.At(218, a + 20), kEditShadow);
    EXPECT_EQ(p.At(100, 108), kEditShadow);
    EXPECT_EQ(p.At(100, 60), kFace);
    EXPECT_EQ(group->Color(), kFace);

    // Right-aligned: the caption ends 8 pixels from the right and the line runs at the left.
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_RIGHT);
    Refresh(wnd);
    Pixels q(wnd);
    EXPECT_EQ(q.At(30, a), kEditShadow);
    EXPECT_EQ(CountInRow(q, a, 190, 211, kEditShadow), 0);
    EXPECT_EQ(q.At(215, a), kEditShadow);

    // Without a caption the line runs through.
    group->SetCaption("");
    Refresh(wnd);
    Pixels e(wnd);
    EXPECT_EQ(CountInRow(e, a, 9, 30, kEditShadow), 21);
}

TEST(SkinGroupBox, ChecksAndRadiosInsideShowTheGroupBackgroundBehindTheirText) {
    for (const auto& store : {EditsSkinStore(), ProductSkinStore()}) {
        SkinnedForm t(store);
        auto* group = t.Add<TGroupBox>(10, 10, 240, 120);
        group->SetCaption("Marks");
        auto* check = t.Add<TCheckBox>(10, 24, 150, 20, group);
        check->SetCaption("Check");
        auto* radio = t.Add<TRadioButton>(10, 54, 150, 20, group);
        radio->SetCaption("Radio");
        t.Apply();
        ASSERT_NE(t.ObjectOf<TSkinGroupBox>(group), nullptr);
        Refresh(t.form->WindowHandle());
        const TColor ground = WindowPixel(group->WindowHandle(), 200, 34);
        EXPECT_EQ(ground, t.data->ButtonFaceColor);
        for (TWinControl* c :
             {static_cast<TWinControl*>(check), static_cast<TWinControl*>(radio)}) {
            HWND wnd = c->WindowHandle();
            // Past the text, and between the glyph and the text.
            EXPECT_EQ(WindowPixel(wnd, 140, 10), ground) << c->Caption();
            EXPECT_EQ(WindowPixel(wnd, 140, 1), ground) << c->Caption();
        }
    }
}

TEST(SkinGroupBox, ChecksInsideAGroupLeftToTheSystemMatchItToo) {
    SkinnedForm t(EditsSkinStore());
    t.data->SkinControls &= ~SetBit(xcGroupBox);
    auto* group = t.Add<TGroupBox>(10, 10, 240, 120);
    group->SetCaption("Native");
    auto* check = t.Add<TCheckBox>(10, 24, 150, 20, group);
    check->SetCaption("Check");
    auto* loose = t.Add<TRadioButton>(260, 24, 150, 20);
    loose->SetCaption("On the form");
    t.Apply();
    EXPECT_EQ(t.ObjectOf(group), nullptr);
    ASSERT_NE(t.ObjectOf<TSkinCheckBox>(check), nullptr);
    Refresh(t.form->WindowHandle());
    const TColor ground = WindowPixel(group->WindowHandle(), 200, 34);
    EXPECT_NE(ground, kFace);
    EXPECT_EQ(WindowPixel(check->WindowHandle(), 140, 10), ground);
    EXPECT_EQ(WindowPixel(loose->WindowHandle(), 140, 10), t.form->Color());
}

// ---------------------------------------------------------------- status bars

TEST(SkinStatusBar, SimpleModeIsOneLoweredPanelWithTheTextAndTheGrip) {
    SkinnedForm t(EditsSkinStore());
    auto* bar = t.Add<TStatusBar>(0, 0, 300, 22);
    bar->SetSimplePanel(true);
    bar->SetSimpleText("Ready");
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinStatusBar>(bar), nullptr);
    HWND wnd = bar->WindowHandle();
    Refresh(wnd);
    Pixels p(wnd);
    ASSERT_GT(p.w, 100);
    EXPECT_EQ(p.At(p.w / 2, 1), kEdgeFrames[0]);
    EXPECT_EQ(p.At(1, p.h - 2), kEdgeFrames[0]);
    EXPECT_TRUE(p.Has({2, 0, 60, p.h}, kStatusText));
    EXPECT_FALSE(p.Has({80, 0, p.w - 20, p.h}, kStatusText));
    // The grip: frame 5 of the extra images, one pixel in from the bottom-right corner.
    EXPECT_EQ(p.At(p.w - 4, p.h - 4), kExtraFrames[4]);
    EXPECT_NE(p.At(p.w - 1, p.h - 1), kExtraFrames[4]);

    // Empty simple text: the panel is drawn all the same.
    bar->SetSimpleText("");
    Refresh(wnd);
    Pixels e(wnd);
    EXPECT_FALSE(e.Has({2, 0, 60, e.h}, kStatusText));
    EXPECT_EQ(e.At(30, e.h / 2), kEdgeFrames[0]);
}

TEST(SkinStatusBar, SimpleTextReadsFromTheRightInRightToLeftModeAndIsPlain) {
    SkinnedForm t(EditsSkinStore());
    auto* bar = t.Add<TStatusBar>(0, 0, 300, 22);
    bar->SetSimplePanel(true);
    bar->SetSimpleText("Ready");
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinStatusBar>(bar), nullptr);
    HWND wnd = bar->WindowHandle();
    Refresh(wnd);
    int plain = 0;
    {
        Pixels p(wnd);
        ASSERT_TRUE(p.Has({2, 0, 60, p.h}, kStatusText));
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) plain += p.At(x, y) == kStatusText;
    }
    bar->Font().SetStyle(fsBold | fsItalic | fsUnderline);
    Refresh(wnd);
    int styled = 0;
    {
        Pixels p(wnd);
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) styled += p.At(x, y) == kStatusText;
    }
    EXPECT_EQ(styled, plain); // drawn plain all the same
    bar->SetBiDiMode(bdRightToLeft);
    wnd = bar->WindowHandle(); // it may have made a new window for the new reading order
    PumpFor(10);
    Refresh(wnd);
    Pixels r(wnd);
    EXPECT_FALSE(r.Has({2, 0, 100, r.h}, kStatusText));
    EXPECT_TRUE(r.Has({r.w - 80, 0, r.w - 2, r.h}, kStatusText));
}

TEST(SkinStatusBar, PanelsShowTheirBevelFramesAndTheLastReachesTheEnd) {
    SkinnedForm t(EditsSkinStore());
    auto* bar = t.Add<TStatusBar>(0, 0, 400, 22);
    const TStatusPanelBevel bevels[] = {pbLowered, pbRaised, pbNone};
    const char* texts[] = {"one", "", "three"};
    for (int i = 0; i < 3; ++i) {
        TStatusPanel* panel = bar->AddPanel();
        panel->SetWidth(80);
        panel->SetBevel(bevels[i]);
        panel->SetText(texts[i]);
    }
    bar->Panel(2)->SetAlignment(taRightJustify);
    t.Apply();
    HWND wnd = bar->WindowHandle();
    Refresh(wnd);
    Pixels p(wnd);
    EXPECT_EQ(p.At(70, p.h / 2), kEdgeFrames[0]);
    EXPECT_EQ(p.At(120, p.h / 2), kEdgeFrames[1]); // an empty text, the frame still there
    EXPECT_FALSE(p.Has({84, 0, 158, p.h}, kStatusText));
    EXPECT_EQ(p.At(200, 2), kEdgeFrames[2]);
    EXPECT_EQ(p.At(p.w - 12, 2), kEdgeFrames[2]);
    EXPECT_TRUE(p.Has({2, 0, 60, p.h}, kStatusText));
    // Right-aligned in the last panel: near the grip, not at the panel's start.
    EXPECT_TRUE(p.Has({p.w - 60, 0, p.w - 8, p.h}, kStatusText));
    EXPECT_FALSE(p.Has({164, 0, 250, p.h}, kStatusText));
    EXPECT_EQ(p.At(p.w - 4, p.h - 4), kExtraFrames[4]);

    // Without the grip style nothing of frame 5 shows; the object survives the new window.
    bar->SetSizeGrip(false);
    PumpFor(10);
    Refresh(bar->WindowHandle());
    Pixels q(bar->WindowHandle());
    EXPECT_FALSE(q.Has({0, 0, q.w, q.h}, kExtraFrames[4]));
    EXPECT_EQ(q.At(200, 2), kEdgeFrames[2]);
}

TEST(SkinStatusBar, BevelFrames) {
    EXPECT_EQ(StatusBevelFrame(false, false), 1);
    EXPECT_EQ(StatusBevelFrame(true, false), 2);
    EXPECT_EQ(StatusBevelFrame(false, true), 3);
}

// ---------------------------------------------------------------- panels

TEST(SkinBox, PanelsTakeTheFaceColourAndGetColourAndParentBackgroundBack) {
    SkinnedForm t(EditsSkinStore());
    t.data->SkinControls |= SetBit(xcPanel);
    auto* through = t.Add<TPanel>(10, 10, 100, 60);
    through->SetColor(clInfoBk);
    through->SetParentBackground(true);
    auto* plain = t.Add<TPanel>(120, 10, 100, 60);
    plain->SetColor(clAqua);
    plain->SetParentBackground(false);
    auto* inside = t.Add<TButton>(5, 5, 60, 24, through);
    t.Apply();
    auto* box = t.ObjectOf<TSkinBox>(through);
    ASSERT_NE(box, nullptr);
    ASSERT_NE(t.ObjectOf<TSkinBox>(plain), nullptr);
    EXPECT_EQ(Query(inside), 1);  // the panel's children are skinned
    EXPECT_EQ(Query(through), 0); // the panel itself is not subclassed
    EXPECT_EQ(through->Color(), kFace);
    EXPECT_FALSE(through->ParentBackground());
    EXPECT_EQ(box->Kind(), 1);
    EXPECT_EQ(plain->Color(), kFace);
    Refresh(through->WindowHandle());
    EXPECT_EQ(WindowPixel(through->WindowHandle(), 80, 50), kFace);
    const size_t listed = t.skin->SkinnedControls().size();
    t.Apply();
    EXPECT_EQ(t.skin->SkinnedControls().size(), listed);

    EndSkinObject(box);
    EXPECT_EQ(through->Color(), clInfoBk);
    EXPECT_TRUE(through->ParentBackground());
    EndSkinObject(t.ObjectOf<TSkinBox>(plain));
    EXPECT_EQ(plain->Color(), clAqua);
    EXPECT_FALSE(plain->ParentBackground());
}

TEST(SkinBox, TheParentBackgroundOptionLeavesThePropertyAlone) {
    SkinnedForm t(EditsSkinStore());
    t.data->SkinControls |= SetBit(xcPanel);
    t.data->Options |= SetBit(xoParentBackGround);
    auto* panel = t.Add<TPanel>(10, 10, 100, 60);
    panel->SetParentBackground(true);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinBox>(panel), nullptr);
    EXPECT_TRUE(panel->ParentBackground());
    EXPECT_EQ(t.ObjectOf<TSkinBox>(panel)->Kind(), 0);
}

TEST(SkinBox, WithoutThePanelKindPanelsKeepTheirColour) {
    SkinnedForm t(EditsSkinStore());
    t.data->SkinControls &= ~SetBit(xcPanel);
    auto* panel = t.Add<TPanel>(10, 10, 100, 60);
    panel->SetColor(clInfoBk);
    t.Apply();
    EXPECT_EQ(t.ObjectOf(panel), nullptr);
    EXPECT_EQ(panel->Color(), clInfoBk);
}

// ---------------------------------------------------------------- foreign windows

TEST(SkinBoxH, NestedDialogsAndSizeGripsOfAForeignWindowTakeTheFace) {
    TestApplication();
    HWND dlg = CreateWindowExW(0, L"#32770", L"Foreign", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150,
                               150, 320, 220, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(dlg);
    HWND nested = CreateWindowExW(0, L"#32770", L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, dlg,
                                  nullptr, nullptr, nullptr);
    HWND label = CreateWindowExW(0, L"Static", L"Label", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20,
                                 nested, nullptr, nullptr, nullptr);
    HWND grip = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, 280,
                                180, 18, 18, dlg, nullptr, nullptr, nullptr);
    ASSERT_TRUE(nested && label && grip);
    std::unique_ptr<TSkinData> data(MakeSkinData(EditsSkinStore()));
    auto* skin = new TWinSkinForm(nullptr);
    skin->Handle = dlg;
    skin->Attach(data.get());
    SendMessageW(dlg, WM_SKIN_APPLY, 0, kSkinApplyTag);
    PumpFor(20);
    EXPECT_EQ(SendMessageW(nested, WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageW(grip, WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageW(label, WM_SKIN_QUERY, 0, 0), 0);
    // The static's background: the skin's face brush and the face colour behind its text.
    HDC dc = GetDC(label);
    const LRESULT brush = SendMessageW(nested, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(data->FaceBrush.get()));
    EXPECT_EQ(static_cast<TColor>(GetBkColor(dc)), kFace);
    ReleaseDC(label, dc);
    Refresh(dlg);
    EXPECT_EQ(WindowPixel(nested, 150, 80), kFace);
    EXPECT_EQ(WindowPixel(grip, 14, 14), kFace);
    EXPECT_EQ(WindowPixel(grip, 3, 3), kFace);
    const int thunks = LiveSubclassThunks();
    DestroyWindow(dlg);
    PumpFor(10);
    delete skin;
    EXPECT_LT(LiveSubclassThunks(), thunks);
}

TEST(SkinSizer, AGripMadeAfterSkinningIsTakenOverByTheWindowsSkin) {
    TestApplication();
    ScopedSkinManager scope;
    TSkinManage* m = scope.get();
    std::unique_ptr<TComponent> holder = std::make_unique<TComponent>(nullptr);
    TSkinData* data = MakeSkinData(EditsSkinStore(), holder.get());
    m->Register(*data);
    m->SetEnabled(true);
    m->InstallHook();
    auto dialog = [] {
        // Hidden, then shown without activation: only the test decides which one is skinned.
        return CreateWindowExW(0, L"#32770", L"Grips", WS_POPUP | WS_CAPTION, 150, 150, 320, 220,
                               nullptr, nullptr, nullptr, nullptr);
    };
    auto child = [](HWND parent, DWORD style) {
        return CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | style, 280, 180, 18,
                               18, parent, nullptr, nullptr, nullptr);
    };
    HWND skinned = dialog(), plain = dialog();
    ASSERT_TRUE(skinned && plain);
    ASSERT_TRUE(m->SkinWindow(skinned));
    ShowWindow(skinned, SW_SHOWNOACTIVATE);
    ShowWindow(plain, SW_SHOWNOACTIVATE);
    PumpFor(20);
    HWND grip = child(skinned, SBS_SIZEGRIP);
    HWND bar = child(skinned, SBS_VERT); // only grips are taken at creation
    HWND nativeGrip = child(plain, SBS_SIZEGRIP);
    ASSERT_TRUE(grip && bar && nativeGrip);
    PumpFor(10);
    EXPECT_EQ(SendMessageW(grip, WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageW(bar, WM_SKIN_QUERY, 0, 0), 0);
    EXPECT_EQ(SendMessageW(nativeGrip, WM_SKIN_QUERY, 0, 0), 0);
    Refresh(grip);
    Refresh(nativeGrip);
    EXPECT_EQ(WindowPixel(grip, 14, 14), kFace);
    EXPECT_EQ(WindowPixel(grip, 3, 3), kFace);
    EXPECT_NE(WindowPixel(nativeGrip, 14, 14), kFace); // the system draws its dots there
    DestroyWindow(skinned);
    DestroyWindow(plain);
    PumpFor(10);
    holder.reset();
}

// ---------------------------------------------------------------- add-on glyphs

TEST(SkinObjImage, StripsAreRearrangedFrameByFrame) {
    std::unique_ptr<TSkinData> five(MakeSkinData(ControlsSkinStore(5, 4)));
    std::unique_ptr<TSkinData> four(MakeSkinData(ControlsSkinStore(4, 4)));
    auto frameColour = [](const TBitmap& b, int frame) {
        return b.Pixel(frame * kGlyph + kGlyph / 2, kGlyph / 2);
    };
    struct Case {
        TSkinData* data;
        int kind;
        std::vector<int> from; // skin frame of each new frame, -1 for an empty one
        const TColor* colours;
    };
    const Case cases[] = {
        {five.get(), kGlyphCheck, {0, 1, 4, 0, 1, 4, 2, 3, 4}, kGlyphFrames},
        {four.get(), kGlyphCheck, {0, 1, -1, 0, 1, -1, 2, 3, -1}, kGlyphFrames},
        {four.get(), kGlyphRadio, {0, 1, 0, 1, 2, 3}, kRadioFrames},
        {five.get(), kGlyphThird, {0, 1, 4, 0, 1, 4}, kGlyphFrames},
        {four.get(), kGlyphThird, {0, 1, -1, 0, 1, -1}, kGlyphFrames},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TBitmap> strip = RearrangedGlyphs(*c.data, c.kind);
        ASSERT_NE(strip, nullptr);
        ASSERT_EQ(strip->Width(), kGlyph * static_cast<int>(c.from.size())) << c.kind;
        EXPECT_EQ(strip->Height(), kGlyph);
        for (size_t i = 0; i < c.from.size(); ++i)
            EXPECT_EQ(frameColour(*strip, static_cast<int>(i)),
                      c.from[i] < 0 ? TColor(0) : c.colours[c.from[i]])
                << "kind " << c.kind << " frame " << i;
    }
    std::unique_ptr<TSkinData> none(MakeSkinData(ControlsSkinStore(0, 0)));
    EXPECT_EQ(RearrangedGlyphs(*none, kGlyphCheck), nullptr);
    EXPECT_EQ(RearrangedGlyphs(*none, kGlyphRadio), nullptr);
}

// ---------------------------------------------------------------- damage and leaks

TEST(SkinPanels, ADamagedSkinLeavesThemUnskinnedAndWorking) {
    SkinnedForm t(DamagedStore());
    auto* group = t.Add<TGroupBox>(10, 10, 200, 100);
    auto* bar = t.Add<TStatusBar>(0, 0, 300, 22);
    bar->SetSimplePanel(true);
    t.Apply();
    EXPECT_EQ(Query(group), 0);
    EXPECT_EQ(Query(bar), 0);
    bar->SetSimplePanel(false);
    bar->AddPanel()->SetText("still here");
    wchar_t text[32] = {};
    SendMessageW(bar->WindowHandle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"still here");
}

TEST(SkinPanels, NoHandleGrowthOverRepaintsAndSkinCycles) {
    auto cycle = [] {
        SkinnedForm t(EditsSkinStore());
        t.data->SkinControls |= SetBit(xcPanel);
        auto* group = t.Add<TGroupBox>(10, 10, 200, 100);
        group->SetCaption("Group");
        t.Add<TCheckBox>(10, 20, 100, 20, group)->SetCaption("Check");
        auto* bar = t.Add<TStatusBar>(0, 0, 300, 22);
        bar->AddPanel()->SetText("one");
        bar->AddPanel()->SetText("two");
        t.Add<TPanel>(220, 10, 100, 60);
        t.Apply();
        for (int i = 0; i < 5; ++i) Refresh(t.form->WindowHandle());
        PumpFor(5);
    };
    cycle();
    PumpFor(50);
    const GuiCounts before = CurrentGuiCounts();
    for (int i = 0; i < 4; ++i) cycle();
    PumpFor(50);
    const GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
}

// ---------------------------------------------------------------- media players

namespace {

// A player as an add-on library publishes it: its button sets as text, and the presses it
// gets recorded.
class TMediaPlayer : public TCustomControl {
    TOOLKIT_CLASS(TMediaPlayer)
public:
    using TCustomControl::TCustomControl;
    std::string visible = "[btPlay,btPause,btStop,btEject]", enabled = "[btPlay,btStop,btEject]",
                coloured = "[btPlay]";
    std::vector<UINT> presses;

protected:
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONUP) presses.push_back(m.Msg);
        TCustomControl::WndProc(m);
    }
};

const TClassInfo& TMediaPlayer::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TMediaPlayer>("TMediaPlayer", TCustomControl::StaticClass())
            .Str(
                "VisibleButtons", [](TMediaPlayer& p) { return p.visible; },
                [](TMediaPlayer& p, const std::string& v) { p.visible = v; })
            .Str(
                "EnabledButtons", [](TMediaPlayer& p) { return p.enabled; },
                [](TMediaPlayer& p, const std::string& v) { p.enabled = v; })
            .Str(
                "ColoredButtons", [](TMediaPlayer& p) { return p.coloured; },
                [](TMediaPlayer& p, const std::string& v) { p.coloured = v; })
            .Build();
    return info;
}

constexpr TColor kNavy = 0x5C2C18, kPlayGreen = 0x3C9622, kGreyGlyph = 0xAC9E96;

} // namespace

TEST(SkinMediaPlayer, ABarOfSkinnedButtonsCoversThePlayerAndPassesPressesOn) {
    SkinnedForm t(EditsSkinStore());
    auto* player = t.Add<TMediaPlayer>(20, 20, 240, 30);
    t.Apply();
    auto* object = t.ObjectOf<TSkinMP>(player);
    ASSERT_NE(object, nullptr);
    TWMediaPlayer* bar = object->Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Parent(), t.form.get());
    EXPECT_EQ(bar->Tag(), t.data->DisableTag);
    EXPECT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Left(), 20);
    EXPECT_EQ(bar->Width(), 240);
    for (int b = 0; b < kMediaButtons; ++b)
        for (TMPGlyph g : {mgEnabled, mgDisabled, mgColoured})
            EXPECT_NE(bar->Glyph(b, g), nullptr) << MediaButtonName(b) << " " << g;

    // Four visible buttons of 60 pixels in enumeration order; both ends of a span hit it.
    EXPECT_EQ(bar->ButtonWidth(), 60);
    EXPECT_EQ(bar->HitButton(0), btPlay);
    EXPECT_EQ(bar->HitButton(60), btPlay);
    EXPECT_EQ(bar->HitButton(61), btPause);
    EXPECT_EQ(bar->HitButton(150), btStop);
    EXPECT_EQ(bar->HitButton(239), btEject);
    EXPECT_EQ(bar->ButtonLeft(btEject), 180);

    HWND wnd = bar->WindowHandle();
    Refresh(wnd);
    Pixels p(wnd);
    EXPECT_EQ(p.At(2, 2), kPushFrames[0]);  // play: enabled
    EXPECT_EQ(p.At(62, 2), kPushFrames[2]); // pause: disabled
    EXPECT_TRUE(p.Has({0, 0, 60, 30}, kPlayGreen));
    EXPECT_TRUE(p.Has({60, 0, 120, 30}, kGreyGlyph));
    EXPECT_TRUE(p.Has({120, 0, 180, 30}, kNavy));
    EXPECT_FALSE(p.Has({0, 0, 240, 30}, 0x008080)); // the olive ground left out

    // A press and release on one button reach the player; one that ends elsewhere does not.
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
    EXPECT_TRUE(bar->Pressed());
    EXPECT_EQ(bar->PressedButton(), btStop);
    Refresh(wnd);
    EXPECT_EQ(WindowPixel(wnd, 122, 2), kPushFrames[1]);
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(150, 10));
    EXPECT_FALSE(bar->Pressed());
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    const std::vector<UINT> expected = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN};
    EXPECT_EQ(player->presses, expected);

    // The bar follows the player's place and visibility, and no visible button leaves it face.
    player->SetBounds(40, 60, 180, 30);
    PumpFor(5);
    EXPECT_EQ(bar->Left(), 40);
    EXPECT_EQ(bar->Top(), 60);
    EXPECT_EQ(bar->Width(), 180);
    player->visible = "[]";
    Refresh(wnd);
    EXPECT_EQ(WindowPixel(wnd, 90, 15), kFace);
    EXPECT_EQ(bar->HitButton(10), kMediaButtons);
    player->Hide();
    EXPECT_FALSE(bar->Visible());
    const int controls = t.form->ControlCount();
    delete object;
    EXPECT_EQ(t.form->ControlCount(), controls - 1);
}

TEST(SkinMediaPlayer, AReleaseOffTheBarOrALostMouseEndsThePress) {
    SkinnedForm t(EditsSkinStore());
    auto* player = t.Add<TMediaPlayer>(20, 20, 240, 30);
    t.Apply();
    auto* object = t.ObjectOf<TSkinMP>(player);
    ASSERT_NE(object, nullptr);
    TWMediaPlayer* bar = object->Bar();
    ASSERT_NE(bar, nullptr);
    HWND wnd = bar->WindowHandle();
    SetForegroundWindow(t.form->WindowHandle());
    POINT on{150, 10}, off{150, 200};
    ClientToScreen(wnd, &on);
    ClientToScreen(wnd, &off);
    auto mouse = [](POINT p, DWORD flags) { realinput::Send({realinput::MouseAt(p, flags)}); };
    mouse(on, 0);
    ASSERT_EQ(WindowFromPoint(on), wnd); // the bar is over the player
    // Pressed on a button, released below the bar: the real mouse, so the release goes where
    // the capture says.
    mouse(on, MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(bar->Pressed());
    mouse(off, 0);
    mouse(off, MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(bar->Pressed());
    // The player saw the press but no release on its button.
    EXPECT_EQ(player->presses, (std::vector<UINT>{WM_LBUTTONDOWN}));
    // Pressed again at once (a double click), then another window takes the mouse.
    mouse(on, MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(bar->Pressed());
    SetCapture(t.form->WindowHandle());
    PumpFor(10);
    EXPECT_FALSE(bar->Pressed());
    ReleaseCapture();
    mouse(on, MOUSEEVENTF_LEFTUP);
    mouse({5, 5}, 0);
    Refresh(wnd);
    EXPECT_EQ(WindowPixel(wnd, 122, 2), kPushFrames[0]); // drawn up again
}

// ---------------------------------------------------------------- the gallery

TEST(SkinGallery, EveryControlOfTheseFamiliesIsSkinned) {
    auto gallery = std::make_unique<TGalleryForm>(&TestApplication());
    gallery->SetTag(99);
    TSkinData* data = MakeSkinData(ProductSkinStore(), gallery.get());
    data->SkinControls = kDefaultSkinControls & ~SetBit(xcPanel); // as the main window's
    gallery->Show();
    PumpFor(20);
    auto* skin = new TWinSkinForm(gallery.get());
    skin->Handle = gallery->WindowHandle();
    skin->Attach(data, gallery.get());
    SendMessageW(gallery->WindowHandle(), WM_SKIN_APPLY, 0, kSkinApplyTag);
    PumpFor(20);
    auto objectOf = [&](TControl* c) -> TSkinControl* {
        for (TComponent* o : skin->SkinnedControls())
            if (auto* s = dynamic_cast<TSkinControl*>(o); s && s->Control() == c) return s;
        return nullptr;
    };
    int groups = 0, edits = 0, combos = 0, pickers = 0, bars = 0;
    for (int i = 0; i < gallery->ComponentCount(); ++i) {
        auto* c = dynamic_cast<TControl*>(gallery->Components(i));
        if (!c) continue;
        TSkinControl* o = objectOf(c);
        const std::string name = c->Name();
        if (dynamic_cast<TCustomGroupBox*>(c)) {
            EXPECT_NE(dynamic_cast<TSkinGroupBox*>(o), nullptr) << name;
            ++groups;
        } else if (dynamic_cast<TCustomComboBox*>(c)) {
            EXPECT_NE(dynamic_cast<TSkinComBox*>(o), nullptr) << name;
            ++combos;
        } else if (auto* p = dynamic_cast<TDateTimePicker*>(c)) {
            if (p->Kind() == dtkTime)
                EXPECT_NE(dynamic_cast<TSkinEdit*>(o), nullptr) << name;
            else
                EXPECT_NE(dynamic_cast<TSkinDateTime*>(o), nullptr) << name;
            ++pickers;
        } else if (dynamic_cast<TStatusBar*>(c)) {
            EXPECT_NE(dynamic_cast<TSkinStatusBar*>(o), nullptr) << name;
            ++bars;
        } else if (dynamic_cast<TCustomEdit*>(c) && !dynamic_cast<TCustomMemo*>(c)) {
            EXPECT_NE(dynamic_cast<TSkinEdit*>(o), nullptr) << name;
            ++edits;
        } else if (dynamic_cast<TCustomPanel*>(c)) {
            EXPECT_EQ(o, nullptr) << name; // no panels in this set
        }
    }
    EXPECT_GE(groups, 4);
    EXPECT_GE(edits, 5);
    EXPECT_EQ(combos, 3);
    EXPECT_EQ(pickers, 2);
    EXPECT_EQ(bars, 2);
    gallery->Hide();
    PumpFor(10);
}
