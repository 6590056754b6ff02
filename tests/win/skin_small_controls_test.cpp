// Up-downs, progress bars and track bars drawn from the skin, read back pixel by pixel on real
// windows under Wine: each up-down half in each state, an edit's spin button kept inside the
// edit's border, progress bars empty, part-way and full both ways, the marquee left to the
// system, track bar channels and thumbs with and without the skin's images.
#include "skinned_form.h"

#include "skin/controls/skin_progress.h"
#include "skin/controls/skin_updown.h"
#include "skin/form/win_skin_form.h"
#include "skin/form/skin_messages.h"
#include "toolkit/comctrls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace testskins;
using namespace skintest;

namespace {

RECT Client(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    return r;
}

struct SmallForm : SkinnedForm {
    explicit SmallForm(const std::vector<std::uint8_t>& store = SmallControlsSkinStore())
        : SkinnedForm(store) {}
};

// The mouse well away from every test window.
void MouseAway() {
    SetCursorPos(2, 2);
    PumpFor(5);
}

} // namespace

// ---------------------------------------------------------------- up-down

TEST(SkinUpDown, FrameRulesOfTheTwoHalves) {
    EXPECT_EQ(UpDownFrames(true, false, false, true).first, 1);
    EXPECT_EQ(UpDownFrames(true, false, false, true).second, 5);
    EXPECT_EQ(UpDownFrames(true, true, true, true).first, 2); // pressed wins over hot
    EXPECT_EQ(UpDownFrames(true, true, true, true).second, 5);
    EXPECT_EQ(UpDownFrames(false, false, true, true).first, 1);
    EXPECT_EQ(UpDownFrames(false, false, true, true).second, 8);
    EXPECT_EQ(UpDownFrames(false, true, false, true).second, 6);
    EXPECT_EQ(UpDownFrames(false, true, true, false).first, 3);
    EXPECT_EQ(UpDownFrames(false, true, true, false).second, 7);
}

TEST(SkinUpDown, EachHalfShowsItsStateUnderTheRealMouse) {
    SmallForm t;
    auto* spin = t.Add<TUpDown>(20, 20, 20, 40);
    auto* flat = t.Add<TUpDown>(80, 20, 40, 20);
    flat->SetOrientation(udHorizontal);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinUpDown>(spin), nullptr);
    ASSERT_NE(t.ObjectOf<TSkinUpDown>(flat), nullptr);
    HWND wnd = spin->WindowHandle();
    MouseAway();
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinFrames[0]);
    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinFrames[4]);
    // Over the lower half: only that half is hot, then only that half pressed.
    POINT lower = spin->ClientToScreen(POINT{10, 30});
    SetCursorPos(lower.x, lower.y);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 30));
    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinFrames[0]);
    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinFrames[7]);
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 30));
    // The system's own handling ran first: it holds the mouse while the button is down.
    EXPECT_EQ(GetCapture(), wnd);
    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinFrames[0]);
    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinFrames[5]);
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 30));
    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinFrames[7]);
    EXPECT_NE(GetCapture(), wnd);
    // Upper half pressed.
    POINT upper = spin->ClientToScreen(POINT{10, 8});
    SetCursorPos(upper.x, upper.y);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 8));
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinFrames[1]);
    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinFrames[4]);
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    MouseAway();
    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinFrames[0]);
    // Disabled: both halves show their disabled frames.
    spin->SetEnabled(false);
    RefreshClient(wnd);
    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinFrames[2]);
    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinFrames[6]);
    // Horizontal: left and right halves from the horizontal strip.
    HWND h = flat->WindowHandle();
    RefreshClient(h);
    EXPECT_EQ(PixelAt(h, 8, 10), kSpinFrames[0]);
    EXPECT_EQ(PixelAt(h, 30, 10), kSpinFrames[4]);
    POINT right = flat->ClientToScreen(POINT{30, 10});
    SetCursorPos(right.x, right.y);
    SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
    EXPECT_EQ(PixelAt(h, 8, 10), kSpinFrames[0]);
    EXPECT_EQ(PixelAt(h, 30, 10), kSpinFrames[7]);
    MouseAway();
}

TEST(SkinUpDown, GlyphsSitCentredOnEachHalfInItsState) {
    SmallForm t(SmallControlsSkinStoreWith(5, true));
    auto* spin = t.Add<TUpDown>(20, 20, 20, 40);
    auto* flat = t.Add<TUpDown>(80, 20, 40, 20);
    flat->SetOrientation(udHorizontal);
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinUpDown>(spin), nullptr);
    HWND wnd = spin->WindowHandle();
    MouseAway();
    RefreshClient(wnd);
    // A 6 x 6 glyph in the middle of each 20 x 20 half, the button frame around it.
    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinGlyphs[0]);
    EXPECT_EQ(PixelAt(wnd, 7, 7), kSpinGlyphs[0]);
    EXPECT_EQ(PixelAt(wnd, 6, 6), kSpinFrames[0]);
    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinGlyphs[4]);
    EXPECT_EQ(PixelAt(wnd, 10, 36), kSpinFrames[4]);
    // Pressing the lower half changes its glyph with its frame; without a repaint forced.
    POINT lower = spin->ClientToScreen(POINT{10, 30});
    SetCursorPos(lower.x, lower.y);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 30));
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 30));
    EXPECT_EQ(PixelAt(wnd, 10, 30), kSpinGlyphs[5]);
    EXPECT_EQ(PixelAt(wnd, 10, 10), kSpinGlyphs[0]);
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 30));
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    MouseAway();
    HWND h = flat->WindowHandle();
    RefreshClient(h);
    EXPECT_EQ(PixelAt(h, 10, 10), kSpinGlyphs[0]);
    EXPECT_EQ(PixelAt(h, 30, 10), kSpinGlyphs[4]);
    EXPECT_EQ(PixelAt(h, 2, 10), kSpinFrames[0]);
    // Inside an edit too.
    HWND edit = CreateWindowExW(0, L"Edit", L"5", WS_CHILD | WS_VISIBLE, 200, 20, 80, 40,
                                t.form->WindowHandle(), nullptr, nullptr, nullptr);
    ASSERT_TRUE(edit);
    HWND ud = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, 60, 0, 20, 40, edit,
                              nullptr, nullptr, nullptr);
    ASSERT_TRUE(ud);
    auto inEdit = std::make_unique<TSkinUpDown>(nullptr);
    inEdit->SetEditSpin(true);
    inEdit->AttachWindow(ud, t.data, nullptr, nullptr);
    RefreshClient(ud);
    RECT b;
    GetClientRect(ud, &b);
    EXPECT_EQ(PixelAt(ud, b.right / 2, b.bottom / 4), kSpinGlyphs[0]);
    EXPECT_EQ(PixelAt(ud, b.right / 2, b.bottom * 3 / 4), kSpinGlyphs[4]);
    inEdit.reset();
    DestroyWindow(edit);
}

TEST(SkinUpDown, WithoutAStripThePlainButtonsHaveArrowsAndKeepTheStates) {
    SmallForm t;
    auto* spin = t.Add<TUpDown>(20, 20, 20, 40);
    t.data->UpDownVert.reset();
    t.Apply();
    HWND wnd = spin->WindowHandle();
    MouseAway();
    RefreshClient(wnd);
    // Outline in the dark shadow colour, face inside, a glyph in the text colour.
    EXPECT_EQ(PixelAt(wnd, 0, 5), ColorToRGB(t.data->ButtonDkShadowColor));
    EXPECT_EQ(PixelAt(wnd, 3, 3), ColorToRGB(t.data->ButtonFaceColor));
    EXPECT_GT(Count(wnd, {0, 0, 20, 20}, ColorToRGB(t.data->ButtonTextColor)), 3);
    EXPECT_GT(Count(wnd, {0, 20, 20, 40}, ColorToRGB(t.data->ButtonTextColor)), 3);
    EXPECT_EQ(Count(wnd, Client(wnd), kSpinFrames[0]), 0);
    POINT lower = spin->ClientToScreen(POINT{10, 30});
    SetCursorPos(lower.x, lower.y);
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 30));
    EXPECT_EQ(PixelAt(wnd, 3, 23), ColorToRGB(t.data->ButtonShadowColor));
    EXPECT_EQ(PixelAt(wnd, 3, 3), ColorToRGB(t.data->ButtonFaceColor));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 30));
    MouseAway();
}

TEST(SkinUpDown, AnEditsSpinButtonStaysInsideTheEditsBorder) {
    SmallForm t;
    t.Apply();
    // A borderless edit with the spin window flush with its top, right and bottom edges, and
    // one with a client edge, where the gaps are the 2-pixel edge.
    for (DWORD ex : {DWORD(0), DWORD(WS_EX_CLIENTEDGE)}) {
        HWND edit = CreateWindowExW(ex, L"Edit", L"5", WS_CHILD | WS_VISIBLE, 200, 20, 80, 24,
                                    t.form->WindowHandle(), nullptr, nullptr, nullptr);
        ASSERT_TRUE(edit);
        RECT c = Client(edit);
        HWND ud = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, c.right - 16, 0, 16,
                                  c.bottom, edit, nullptr, nullptr, nullptr);
        ASSERT_TRUE(ud);
        auto spin = std::make_unique<TSkinUpDown>(nullptr);
        spin->SetEditSpin(true);
        spin->AttachWindow(ud, t.data, nullptr, nullptr);
        EXPECT_TRUE(spin->EditSpin());
        MouseAway();
        RefreshClient(ud);
        RECT own, outer;
        GetWindowRect(ud, &own);
        GetWindowRect(edit, &outer);
        const int top = std::max<int>(0, 3 - (own.top - outer.top));
        const int right = std::max<int>(0, 3 - (outer.right - own.right));
        const int bottom = std::max<int>(0, 3 - (outer.bottom - own.bottom));
        EXPECT_GT(top + right + bottom, 0);
        const int w = own.right - own.left, h = own.bottom - own.top;
        for (int y = 0; y < top; ++y) EXPECT_EQ(PixelAt(ud, 5, y), 0xFFFFFF) << "row " << y;
        for (int x = w - right; x < w; ++x) EXPECT_EQ(PixelAt(ud, x, 4), 0xFFFFFF) << x;
        for (int y = h - bottom; y < h; ++y) EXPECT_EQ(PixelAt(ud, 5, y), 0xFFFFFF) << y;
        // The buttons start right inside.
        EXPECT_EQ(PixelAt(ud, 5, top), kSpinFrames[0]);
        EXPECT_EQ(PixelAt(ud, w - right - 1, h - bottom - 1), kSpinFrames[4]);
        spin.reset();
        DestroyWindow(edit);
    }
}

// ---------------------------------------------------------------- progress

TEST(SkinProgress, BarWidthRule) {
    EXPECT_EQ(ProgressBarWidth(200, 0, 100), 0);
    EXPECT_EQ(ProgressBarWidth(200, 50, 0), 0);
    EXPECT_EQ(ProgressBarWidth(200, -5, 100), 0);
    EXPECT_EQ(ProgressBarWidth(200, 50, 100), 100);
    EXPECT_EQ(ProgressBarWidth(200, 100, 100), 200);
    EXPECT_EQ(ProgressBarWidth(201, 1, 2), 101); // rounded
}

TEST(SkinProgress, EmptyPartWayAndFullBothWaysAndTheMarqueeLeftAlone) {
    SmallForm t;
    auto* empty = t.Add<TProgressBar>(10, 10, 200, 16);
    auto* half = t.Add<TProgressBar>(10, 40, 200, 16);
    half->SetPosition(50);
    auto* full = t.Add<TProgressBar>(10, 70, 200, 16);
    full->SetPosition(100);
    auto* noRange = t.Add<TProgressBar>(10, 100, 200, 16);
    noRange->SetMax(0);
    auto* up = t.Add<TProgressBar>(240, 10, 16, 200);
    up->SetOrientation(pbVertical);
    up->SetPosition(25);
    auto* marquee = t.Add<TProgressBar>(10, 130, 200, 16);
    marquee->SetStyle(pbstMarquee);
    t.Apply();
    for (TProgressBar* p : {empty, half, full, noRange, up})
        ASSERT_NE(t.ObjectOf<TSkinProgress>(p), nullptr);
    for (TProgressBar* p : {empty, half, full, noRange, up, marquee})
        RefreshClient(p->WindowHandle());
    for (TProgressBar* p : {empty, noRange}) {
        HWND wnd = p->WindowHandle();
        EXPECT_EQ(Count(wnd, Client(wnd), kProgressBar), 0);
        EXPECT_EQ(Count(wnd, Client(wnd), kProgressBack), 200 * 16);
    }
    HWND h = half->WindowHandle();
    EXPECT_EQ(PixelAt(h, 0, 8), kProgressBar);
    EXPECT_EQ(PixelAt(h, 99, 8), kProgressBar);
    EXPECT_EQ(PixelAt(h, 100, 8), kProgressBack);
    EXPECT_EQ(Count(h, Client(h), kProgressBar), 100 * 16);
    EXPECT_EQ(Count(full->WindowHandle(), Client(full->WindowHandle()), kProgressBar), 200 * 16);
    // Vertical: filled from the bottom, a quarter of the height.
    HWND v = up->WindowHandle();
    EXPECT_EQ(PixelAt(v, 8, 199), kProgressBar);
    EXPECT_EQ(PixelAt(v, 8, 150), kProgressBar);
    EXPECT_EQ(PixelAt(v, 8, 149), kProgressBack);
    EXPECT_EQ(PixelAt(v, 8, 0), kProgressBack);
    // Position changes repaint.
    half->SetPosition(75);
    PumpFor(5);
    EXPECT_EQ(PixelAt(h, 149, 8), kProgressBar);
    EXPECT_EQ(PixelAt(h, 150, 8), kProgressBack);
    // The marquee keeps the system's drawing.
    HWND m = marquee->WindowHandle();
    EXPECT_EQ(Count(m, Client(m), kProgressBar) + Count(m, Client(m), kProgressBack), 0);
}

TEST(SkinProgress, ChunksStayInsideTheTroughFromEmptyToFull) {
    constexpr TColor kChunk = 0x2080E0;
    for (int tile : {0, 1}) {
        SCOPED_TRACE(tile);
        SmallForm t;
        // A trough with chunks: the skin's bar image as the trough, a chunk image of its own.
        t.data->Progress->Style = 1;
        t.data->ProgressChunk = std::make_unique<TDataSkinObject>("ProgressChunk");
        t.data->ProgressChunk->Bitmap->SetSize(6, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 6; ++x) t.data->ProgressChunk->Bitmap->SetPixel(x, y, kChunk);
        t.data->ProgressChunk->Tile = tile;
        auto* full = t.Add<TProgressBar>(10, 10, 200, 16);
        full->SetPosition(100);
        auto* half = t.Add<TProgressBar>(10, 40, 200, 16);
        half->SetPosition(50);
        t.Apply();
        HWND f = full->WindowHandle(), h = half->WindowHandle();
        RefreshClient(f);
        RefreshClient(h);
        // Full: from the left border to the right one, neither border covered.
        EXPECT_EQ(PixelAt(f, 2, 8), kChunk);
        EXPECT_EQ(PixelAt(f, 197, 8), kChunk);
        for (int x : {0, 1, 198, 199}) EXPECT_NE(PixelAt(f, x, 8), kChunk) << x;
        EXPECT_EQ(Count(f, {198, 0, 200, 16}, kChunk), 0);
        // Half: half the trough.
        EXPECT_EQ(PixelAt(h, 2 + 97, 8), kChunk);
        EXPECT_NE(PixelAt(h, 2 + 99, 8), kChunk);
    }
}

// ---------------------------------------------------------------- track bar

TEST(SkinTrackBar, CustomDrawAnswers) {
    SmallForm t;
    auto* track = t.Add<TTrackBar>(10, 10, 200, 40);
    t.Apply();
    auto* s = t.ObjectOf<TSkinTrackBar>(track);
    ASSERT_NE(s, nullptr);
    HDC dc = GetDC(track->WindowHandle());
    NMCUSTOMDRAW cd{};
    cd.hdr.hwndFrom = track->WindowHandle();
    cd.hdr.code = NM_CUSTOMDRAW;
    cd.hdc = dc;
    cd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(s->CustomDraw(cd), CDRF_NOTIFYITEMDRAW);
    cd.dwDrawStage = CDDS_ITEMPREPAINT;
    cd.dwItemSpec = TBCD_TICS;
    EXPECT_EQ(s->CustomDraw(cd), CDRF_DODEFAULT);
    cd.dwItemSpec = TBCD_THUMB;
    EXPECT_EQ(s->CustomDraw(cd), CDRF_SKIPDEFAULT);
    cd.dwItemSpec = TBCD_CHANNEL;
    EXPECT_EQ(s->CustomDraw(cd), CDRF_SKIPDEFAULT);
    cd.dwDrawStage = CDDS_POSTPAINT;
    EXPECT_EQ(s->CustomDraw(cd), CDRF_DODEFAULT);
    ReleaseDC(track->WindowHandle(), dc);
    // Through the control's notification, as its parent reflects it.
    cd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(track->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&cd)), CDRF_NOTIFYITEMDRAW);
}

TEST(SkinTrackBar, ChannelThumbAndTicksWithAndWithoutTheSkinsImages) {
    for (int images = 1; images >= 0; --images) {
        SmallForm t;
        auto* horz = t.Add<TTrackBar>(10, 10, 200, 40);
        auto* vert = t.Add<TTrackBar>(240, 10, 40, 200);
        vert->SetOrientation(trVertical);
        if (!images) {
            for (auto* e : {&t.data->Track, &t.data->TrackVert, &t.data->TrackbarThumbHorz,
                            &t.data->TrackbarThumbVert})
                e->reset();
        }
        t.Apply();
        ASSERT_NE(t.ObjectOf<TSkinTrackBar>(horz), nullptr);
        for (TTrackBar* bar : {horz, vert}) {
            HWND wnd = bar->WindowHandle();
            RefreshClient(wnd);
            RECT thumb{}, channel{};
            SendMessageW(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            SendMessageW(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
            const TColor channelColour = bar == horz ? kTrackHorz : kTrackVert;
            const int channelPixels = Count(wnd, Client(wnd), channelColour);
            const int thumbPixels = Count(wnd, thumb, kThumbFrames[1]);
            if (images) {
                EXPECT_GT(channelPixels, 20) << (bar == horz);
                // Frame 2 of the thumb strip fills the thumb.
                EXPECT_EQ(thumbPixels, (thumb.right - thumb.left) * (thumb.bottom - thumb.top));
            } else {
                EXPECT_EQ(channelPixels, 0);
                EXPECT_EQ(thumbPixels, 0);
                EXPECT_EQ(PixelAt(wnd, thumb.left, (thumb.top + thumb.bottom) / 2),
                          ColorToRGB(t.data->ButtonShadowColor));
                EXPECT_EQ(
                    PixelAt(wnd, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2),
                    ColorToRGB(t.data->ButtonFaceColor));
            }
        }
        // The ticks stay the system's: a mark below the channel at each tick, and none half
        // way between two.
        HWND h = horz->WindowHandle();
        RECT below = Client(h);
        RECT thumb{};
        SendMessageW(h, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        below.top = thumb.bottom;
        const TColor face = ColorToRGB(horz->Color());
        const int ticks = static_cast<int>(SendMessageW(h, TBM_GETNUMTICS, 0, 0)) - 2;
        ASSERT_GT(ticks, 2);
        for (int i = 0; i < ticks; ++i) {
            const int x = static_cast<int>(SendMessageW(h, TBM_GETTICPOS, i, 0));
            EXPECT_GT(CountOther(h, {x - 1, below.top, x + 2, below.bottom}, face), 0) << i;
            if (i + 1 < ticks) {
                const int next = static_cast<int>(SendMessageW(h, TBM_GETTICPOS, i + 1, 0));
                const int mid = (x + next) / 2;
                if (next - x > 4) {
                    EXPECT_EQ(CountOther(h, {mid, below.top, mid + 1, below.bottom}, face), 0) << i;
                }
            }
        }
    }
}

TEST(SkinSmallControls, KindsOffOrADamagedSkinLeaveThemWorking) {
    {
        SmallForm t;
        t.data->SkinControls &= ~(SetBit(xcProgress) | SetBit(xcSpin) | SetBit(xcTrackBar));
        auto* p = t.Add<TProgressBar>(10, 10, 200, 16);
        auto* u = t.Add<TUpDown>(10, 40, 20, 40);
        auto* k = t.Add<TTrackBar>(10, 90, 200, 40);
        t.Apply();
        for (TControl* c : std::initializer_list<TControl*>{p, u, k})
            EXPECT_EQ(c->Perform(WM_SKIN_QUERY), 0);
    }
    SmallForm t(DamagedStore());
    auto* p = t.Add<TProgressBar>(10, 10, 200, 16);
    auto* u = t.Add<TUpDown>(10, 40, 20, 40);
    t.Apply();
    p->SetPosition(60);
    HWND wnd = p->WindowHandle();
    RefreshClient(wnd);
    EXPECT_EQ(p->Position(), 60);
    EXPECT_EQ(Count(wnd, Client(wnd), kProgressBar), 0);
    EXPECT_EQ(u->Perform(WM_SKIN_QUERY), 0);
    SendMessageW(u->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    EXPECT_EQ(GetCapture(), u->WindowHandle());
    SendMessageW(u->WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
}
