// Pixels of the skin drawing primitives, drawn into memory DCs and compared with what simple
// per-pixel code says. Which source column a stretched pixel shows is read off a one-line
// StretchBlt probe, so the comparisons hold whatever rounding the platform's stretch uses.
#include "app_fixture.h"

#include "skin/form/primitives.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"

#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

using namespace skin;

namespace {

using Px = std::uint32_t; // 0x00RRGGBB, as TBitmap rows hold them
constexpr Px kKeyPx = 0xFF00FF;

// A pixel that tells where it was read from; no destination pixel has a blue of 7.
Px Coded(int x, int y) {
    return Px((3 + x * 5) << 16 | (3 + y * 5) << 8 | 7);
}
Px Back(int x, int y) {
    return Px((x & 0xFF) << 16 | (y & 0xFF) << 8 | 200);
}

std::unique_ptr<TBitmap> Make(int w, int h, const std::function<Px(int, int)>& f) {
    auto b = std::make_unique<TBitmap>(w, h);
    GdiFlush();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b->ScanLine(y)[x] = f(x, y);
    return b;
}
Px At(TBitmap& b, int x, int y) {
    GdiFlush();
    return b.ScanLine(y)[x] & 0xFFFFFF;
}

// The source index that pixel i of an s -> d stretch shows (rows when vertical).
int Stretched(int i, int s, int d, bool vertical) {
    static std::map<std::tuple<int, int, bool>, std::vector<int>> cache;
    std::vector<int>& map = cache[{s, d, vertical}];
    if (map.empty()) {
        auto src = Make(vertical ? 1 : s, vertical ? s : 1, [](int x, int y) { return Px(x + y); });
        TBitmap dst(vertical ? 1 : d, vertical ? d : 1);
        SetStretchBltMode(dst.Canvas().Handle(), COLORONCOLOR);
        StretchBlt(dst.Canvas().Handle(), 0, 0, dst.Width(), dst.Height(), src->Canvas().Handle(),
                   0, 0, src->Width(), src->Height(), SRCCOPY);
        for (int j = 0; j < d; ++j) map.push_back(int(At(dst, vertical ? 0 : j, vertical ? j : 0)));
    }
    return map[size_t(i)];
}

struct From {
    bool drawn = false;
    int x = 0, y = 0;
};
using Reference = std::function<From(int x, int y)>;
From Nothing(int, int) {
    return {};
}
// The w x h image at the target's corner, unscaled, read from (fx, fy).
Reference Copy(int w, int h, int fx = 0, int fy = 0) {
    return [=](int x, int y) { return From{x >= 0 && y >= 0 && x < w && y < h, fx + x, fy + y}; };
}

// Every pixel of `dst` against the reference (coordinates relative to (left, top)): the
// source pixel where one is drawn, unless keyed and magenta; the background elsewhere.
::testing::AssertionResult Matches(TBitmap& dst, TBitmap& src, int left, int top,
                                   const Reference& ref, bool keyed) {
    int bad = 0, bx = 0, by = 0;
    for (int y = 0; y < dst.Height(); ++y)
        for (int x = 0; x < dst.Width(); ++x) {
            Px want = Back(x, y);
            const From f = ref(x - left, y - top);
            if (f.drawn && (!keyed || At(src, f.x, f.y) != kKeyPx)) want = At(src, f.x, f.y);
            if (At(dst, x, y) != want && bad++ == 0) bx = x, by = y;
        }
    if (!bad) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " pixels differ, first at " << bx << "," << by;
}

struct NineRef {
    IntRect frame;
    SliceMargins m;
    int w, h;
    bool tile;
    From operator()(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return {};
        int l = m.left, r = m.right, t = m.top, b = m.bottom;
        if (w < l + r) l = r = 0;
        if (h < t + b) t = b = 0;
        const int zx = x < l ? 0 : x >= w - r ? 2 : 1, zy = y < t ? 0 : y >= h - b ? 2 : 1;
        const bool tiled = tile && zx == 1 && zy == 1;
        auto axis = [&](int v, int zone, int a, int e, int size, int fsize, bool vertical) {
            if (zone != 1) return zone == 0 ? v : fsize - (size - v);
            const int ms = fsize - a - e;
            return a + (tiled ? (v - a) % ms : Stretched(v - a, ms, size - a - e, vertical));
        };
        return {true, frame.left + axis(x, zx, l, r, w, frame.Width(), false),
                frame.top + axis(y, zy, t, b, h, frame.Height(), true)};
    }
};

// Three-slice (middle repeated) or three-part (middle stretched; the whole frame when the
// target is narrower than it), heights stretched.
Reference ThreeRef(IntRect f, int l, int r, int w, int h, bool repeat) {
    return [=](int x, int y) -> From {
        if (x < 0 || y < 0 || x >= w || y >= h) return {};
        const int fw = f.Width(), sy = f.top + Stretched(y, f.Height(), h, true);
        if (!repeat && w < fw) return {true, f.left + Stretched(x, fw, w, false), sy};
        if (x >= w - r) return {true, f.right - (w - x), sy};
        if (x < l) return {true, f.left + x, sy};
        const int mid = fw - l - r;
        return {true,
                f.left + l + (repeat ? (x - l) % mid : Stretched(x - l, mid, w - l - r, false)),
                sy};
    };
}

long GdiObjects() {
    return GdiObjectCount();
}

} // namespace

TEST(SkinPrimitives, NineSliceMatchesReference) {
    const SliceMargins m{3, 2, 4, 3};
    for (bool vertical : {false, true}) {
        auto src = Make(vertical ? 12 : 36, vertical ? 30 : 10, Coded); // three 12 x 10 frames
        for (int k = 1; k <= 3; ++k) {
            const IntRect f = vertical ? IntRect{0, (k - 1) * 10, 12, k * 10}
                                       : IntRect{(k - 1) * 12, 0, k * 12, 10};
            // Sizes below, at and above the margins (3 + 4 wide, 2 + 3 high) and the frame.
            for (int w : {1, 6, 7, 12, 13, 37, 90})
                for (int h : {1, 4, 5, 10, 23, 41})
                    for (bool tile : {false, true}) {
                        auto dst = Make(100, 50, Back);
                        DrawNineSlice(dst->Canvas().Handle(), {5, 4, 5 + w, 4 + h}, *src, vertical,
                                      tile, false, 3, k, m);
                        EXPECT_TRUE(Matches(*dst, *src, 5, 4, NineRef{f, m, w, h, tile}, false))
                            << k << (vertical ? " stacked " : " ") << w << "x" << h << " " << tile;
                    }
        }
        auto work = NineSlice({10, 10, 47, 33}, *src, m, vertical, true, 3, 2);
        ASSERT_TRUE(work);
        EXPECT_EQ(work->Width(), 37);
        EXPECT_EQ(work->Height(), 23);
    }
}

TEST(SkinPrimitives, KeyedDrawingLeavesMagentaOut) {
    // Transparent corners and a hole per frame, and three near-magenta pixels that are drawn.
    auto src = Make(36, 10, [](int x, int y) -> Px {
        const int fx = x % 12;
        if (((fx == 0 || fx == 11) && (y == 0 || y == 9)) || (fx == 6 && y == 5)) return kKeyPx;
        static constexpr Px kNear[] = {0xFE00FF, 0xFF01FF, 0xFF00FE};
        if (y == 0 && fx >= 1 && fx <= 3) return kNear[fx - 1];
        return Coded(x, y);
    });
    const SliceMargins m{3, 2, 4, 3};
    for (bool tile : {false, true}) {
        auto dst = Make(80, 40, Back);
        DrawNineSlice(dst->Canvas().Handle(), {4, 5, 64, 33}, *src, false, tile, true, 3, 2, m);
        EXPECT_TRUE(Matches(*dst, *src, 4, 5, NineRef{{12, 0, 24, 10}, m, 60, 28, tile}, true));
        EXPECT_EQ(At(*dst, 5, 5), 0xFE00FFu);
    }
    auto dst = Make(60, 30, Back);
    DrawThreeSlice(dst->Canvas().Handle(), {3, 2, 50, 22}, *src, false, true, 3, 3, m);
    EXPECT_TRUE(Matches(*dst, *src, 3, 2, ThreeRef({24, 0, 36, 10}, 3, 4, 47, 20, true), true));
    dst = Make(60, 30, Back);
    DrawFrameCentred(dst->Canvas().Handle(), {0, 0, 40, 30}, *src, true, 3, 2);
    EXPECT_TRUE(Matches(*dst, *src, 14, 10, Copy(12, 10, 12), true));
    // DrawKeyed copies the bitmap's part of the target's size: here all of it.
    dst = Make(60, 30, Back);
    DrawKeyed(dst->Canvas().Handle(), {7, 3, 57, 25}, *src);
    EXPECT_TRUE(Matches(*dst, *src, 7, 3, Copy(36, 10), true));
    auto holes = Make(9, 7, [](int, int) { return kKeyPx; });
    dst = Make(60, 30, Back);
    DrawKeyed(dst->Canvas().Handle(), {2, 2, 11, 9}, *holes);
    DrawFrame(dst->Canvas().Handle(), {2, 2, 30, 20}, *holes, true, 1, 1);
    EXPECT_TRUE(Matches(*dst, *src, 0, 0, Nothing, true));
}

TEST(SkinPrimitives, KeyedDrawingKeepsTheDcsOriginAndClip) {
    auto src = Make(12, 10, [](int x, int y) { return (x * 3 + y) % 4 ? Coded(x, y) : kKeyPx; });
    // Origin moved by (5, 4) and a clip that keeps device columns 10 and on.
    auto dst = Make(40, 30, Back);
    HDC dc = dst->Canvas().Handle();
    SetViewportOrgEx(dc, 5, 4, nullptr);
    UniqueRegion clip(CreateRectRgn(10, 0, 40, 30)), after(CreateRectRgn(0, 0, 0, 0));
    SelectClipRgn(dc, clip.get());
    DrawKeyed(dc, {2, 3, 14, 13}, *src);
    ASSERT_EQ(GetClipRgn(dc, after.get()), 1);
    EXPECT_TRUE(EqualRgn(after.get(), clip.get()));
    SelectClipRgn(dc, nullptr);
    EXPECT_TRUE(Matches(
        *dst, *src, 7, 7, [](int x, int y) { return x + 7 < 10 ? From{} : Copy(12, 10)(x, y); },
        true));
    // A scaling mapping mode takes the masked transfer; at 1:1 the pixels are the same.
    dst = Make(40, 30, Back);
    dc = dst->Canvas().Handle();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetViewportOrgEx(dc, 5, 4, nullptr);
    DrawKeyed(dc, {2, 3, 14, 13}, *src);
    SetMapMode(dc, MM_TEXT);
    EXPECT_TRUE(Matches(*dst, *src, 7, 7, Copy(12, 10), true));
}

TEST(SkinPrimitives, ThreeSliceThreePartAndFrames) {
    auto src = Make(14, 16, Coded); // two stacked frames of 14 x 8
    for (int w : {1, 5, 8, 14, 15, 33, 70})
        for (int h : {3, 8, 17}) {
            auto dst = Make(80, 24, Back);
            DrawThreeSlice(dst->Canvas().Handle(), {4, 2, 4 + w, 2 + h}, *src, true, false, 2, 2,
                           {3, 0, 5, 0});
            EXPECT_TRUE(
                Matches(*dst, *src, 4, 2, ThreeRef({0, 8, 14, 16}, 3, 5, w, h, true), false))
                << "three-slice " << w << "x" << h;
            dst = Make(80, 24, Back);
            DrawThreePart(dst->Canvas().Handle(), {4, 2, 4 + w, 2 + h}, *src, true, 2, 1, 4, 3);
            EXPECT_TRUE(
                Matches(*dst, *src, 4, 2, ThreeRef({0, 0, 14, 8}, 4, 3, w, h, false), false))
                << "three-part " << w << "x" << h;
        }
    auto strip = Make(36, 10, Coded);
    auto dst = Make(50, 40, Back);
    DrawFrame(dst->Canvas().Handle(), {3, 4, 40, 11}, *strip, false, 3, 3);
    EXPECT_TRUE(Matches(
        *dst, *strip, 3, 4,
        [](int x, int y) -> From {
            if (x < 0 || y < 0 || x >= 37 || y >= 7) return {};
            return {true, 24 + Stretched(x, 12, 37, false), Stretched(y, 10, 7, true)};
        },
        false));
    // One frame, or no count: the whole bitmap.
    dst = Make(50, 40, Back);
    DrawFrame(dst->Canvas().Handle(), {2, 3, 38, 13}, *strip, false, 0, 1);
    EXPECT_TRUE(Matches(*dst, *strip, 2, 3, Copy(36, 10), false));
    // A frame larger than the target overhangs it: (7 - 12) / 2 = -2 and (5 - 10) / 2 = -2.
    dst = Make(50, 40, Back);
    DrawFrameCentred(dst->Canvas().Handle(), {20, 20, 27, 25}, *strip, false, 3, 2);
    EXPECT_TRUE(Matches(*dst, *strip, 18, 18, Copy(12, 10, 12), false));
}

TEST(SkinPrimitives, TileRepeatsWithOverhang) {
    auto src = Make(12, 9, Coded);
    // Over 23 x 17 from (5, 3): the last column and row overhang the target.
    for (const RECT& part : {RECT{2, 1, 9, 6}, RECT{0, 0, 1, 1}, RECT{8, 5, 30, 30}}) {
        auto dst = Make(60, 40, Back);
        Tile(dst->Canvas().Handle(), {5, 3, 28, 20}, *src, part);
        const int tw = std::min<int>(part.right, 12) - part.left,
                  th = std::min<int>(part.bottom, 9) - part.top; // cut to the bitmap
        const int cw = (23 + tw - 1) / tw * tw, ch = (17 + th - 1) / th * th;
        EXPECT_TRUE(Matches(
            *dst, *src, 5, 3,
            [&](int x, int y) {
                return From{x >= 0 && y >= 0 && x < cw && y < ch, part.left + x % tw,
                            part.top + y % th};
            },
            false))
            << tw << "x" << th;
    }
}

TEST(SkinPrimitives, OutOfRangeFramesAndEmptyTargetsDrawNothing) {
    auto src = Make(36, 10, Coded);
    TBitmap empty;
    auto dst = Make(40, 30, Back);
    HDC dc = dst->Canvas().Handle();
    const RECT r{2, 2, 30, 25};
    for (int k : {0, -1, 4, 1 << 30}) {
        DrawNineSlice(dc, r, *src, false, true, true, 3, k, {3, 2, 4, 3});
        DrawThreeSlice(dc, r, *src, true, false, 3, k, {3, 0, 3, 0});
        DrawFrame(dc, r, *src, false, 3, k);
        DrawFrameCentred(dc, r, *src, true, 3, k);
        DrawThreePart(dc, r, *src, false, 3, k, 2, 2);
    }
    DrawFrame(dc, r, *src, false, 37, 1); // more frames than columns
    for (const RECT& t : {RECT{5, 5, 5, 20}, RECT{5, 5, 20, 5}, RECT{20, 5, 5, 20}}) {
        DrawNineSlice(dc, t, *src, false, true, false, 3, 1, {3, 2, 4, 3});
        DrawThreeSlice(dc, t, *src, false, false, 3, 1, {3, 0, 3, 0});
        DrawFrame(dc, t, *src, false, 3, 1);
        DrawThreePart(dc, t, *src, false, 3, 1, 2, 2);
        DrawKeyed(dc, t, *src);
        Tile(dc, t, *src, {0, 0, 3, 3});
    }
    DrawFrameCentred(dc, {20, 5, 5, 20}, *src, false, 3, 1);
    Tile(dc, r, *src, {5, 5, 2, 8});
    DrawNineSlice(dc, r, empty, false, false, false, 1, 1, {});
    DrawKeyed(dc, r, empty);
    EXPECT_TRUE(Matches(*dst, *src, 0, 0, Nothing, false));
    EXPECT_FALSE(NineSlice({0, 0, 0, 20}, *src, {}, false, false, 3, 1));
    EXPECT_FALSE(NineSlice({0, 0, 20, 20}, *src, {}, false, false, 3, 4));
    // Only an inverted target stops a centred frame: an empty one is overhung on all sides.
    DrawFrameCentred(dc, {20, 15, 20, 15}, *src, false, 3, 3);
    EXPECT_TRUE(Matches(*dst, *src, 14, 10, Copy(12, 10, 24), false));
}

TEST(SkinPrimitives, RegionsFromBitmaps) {
    // Rounded transparent corners, a hole, a pixel that is key within a tolerance of 1 and
    // one that never is (the tolerance goes upward from the key).
    auto img = Make(40, 30, [](int x, int y) -> Px {
        if (std::min(x, 39 - x) + std::min(y, 29 - y) < 4) return kKeyPx;
        if (x >= 15 && x < 20 && y >= 10 && y < 13) return kKeyPx;
        return y == 20 && x == 30 ? 0xFF01FF : y == 20 && x == 31 ? 0xFE00FF : Coded(x, y);
    });
    for (int tol : {0, 1}) {
        UniqueRegion rgn = RegionFromBitmap(*img, 7, -3, tol, tol, tol);
        ASSERT_TRUE(rgn);
        int bad = 0;
        for (int y = -5; y < 35; ++y)
            for (int x = -5; x < 45; ++x) {
                const bool inside = x >= 0 && y >= 0 && x < 40 && y < 30;
                const Px p = inside ? At(*img, x, y) : kKeyPx;
                bad +=
                    !PtInRegion(rgn.get(), x + 7, y - 3) != (p == kKeyPx || (tol && p == 0xFF01FF));
            }
        EXPECT_EQ(bad, 0) << "tolerance " << tol;
    }
    // Read through GDI when the bitmap's pixels cannot be reached: the same region.
    HDC screen = GetDC(nullptr);
    UniqueBitmap ddb(CreateCompatibleBitmap(screen, 40, 30));
    ReleaseDC(nullptr, screen);
    SelectedBitmap sel(ddb.get());
    BitBlt(sel.Source().dc, 0, 0, 40, 30, img->Canvas().Handle(), 0, 0, SRCCOPY);
    UniqueRegion viaGdi = RegionFromBitmap(sel.Source(), 0, 0, 1, 1, 1);
    UniqueRegion direct = RegionFromBitmap(*img, 0, 0, 1, 1, 1);
    EXPECT_TRUE(EqualRgn(viaGdi.get(), direct.get()));

    RECT box;
    auto allKey = Make(31, 17, [](int, int) { return kKeyPx; });
    UniqueRegion none = RegionFromBitmap(*allKey, 0, 0, 1, 1, 1);
    ASSERT_TRUE(none);
    EXPECT_EQ(GetRgnBox(none.get(), &box), NULLREGION);

    // 4,800 runs (the pattern shifts every row, so no rows merge): three batches.
    auto checker =
        Make(120, 80, [](int x, int y) { return (x + y) % 2 ? kKeyPx : Coded(x % 40, y % 40); });
    UniqueRegion many = RegionFromBitmap(*checker, 0, 0, 0, 0, 0);
    int bad = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) bad += !PtInRegion(many.get(), x, y) != ((x + y) % 2 == 1);
    EXPECT_EQ(bad, 0);
}

TEST(SkinPrimitives, NoGdiObjectsLeak) {
    // The counter must see objects come and go, or the check below could not fail.
    const long base = GdiObjects();
    ASSERT_GT(base, 0);
    std::vector<UniqueBrush> brushes;
    for (int i = 0; i < 5; ++i) brushes.emplace_back(CreateSolidBrush(RGB(i, 2, 3)));
    ASSERT_EQ(GdiObjects(), base + 5);
    brushes.clear();

    auto src = Make(36, 10, [](int x, int y) { return (x % 12 + y) % 7 ? Coded(x, y) : kKeyPx; });
    auto dst = Make(120, 60, Back);
    HDC screen = GetDC(nullptr);
    UniqueBitmap ddb(CreateCompatibleBitmap(screen, 36, 10));
    ReleaseDC(nullptr, screen);
    auto drawAll = [&] {
        HDC dc = dst->Canvas().Handle();
        const SliceMargins m{3, 2, 4, 3};
        DrawNineSlice(dc, {0, 0, 100, 40}, *src, false, true, true, 3, 2, m);
        DrawThreeSlice(dc, {0, 0, 90, 30}, *src, false, true, 3, 3, m);
        DrawFrame(dc, {0, 0, 50, 20}, *src, true, 3, 1);
        DrawFrameCentred(dc, {0, 0, 50, 20}, *src, true, 3, 2);
        DrawThreePart(dc, {0, 0, 70, 15}, *src, false, 3, 3, 3, 3);
        Tile(dc, {0, 0, 110, 50}, *src, {1, 1, 4, 3});
        auto work = NineSlice({0, 0, 30, 30}, *src, m, false, false, 3, 1);
        UniqueRegion rgn = RegionFromBitmap(*src, 0, 0, 1, 1, 1);
        SelectedBitmap sel(ddb.get());
        DrawKeyed(dc, {0, 0, 36, 10}, sel.Source());
        UniqueRegion rgn2 = RegionFromBitmap(sel.Source(), 0, 0, 1, 1, 1);
    };
    drawAll(); // the buffers kept between draws are made now
    const long before = GdiObjects();
    for (int i = 0; i < 1000; ++i) drawAll();
    EXPECT_EQ(GdiObjects(), before);
}

namespace {

std::vector<UINT> g_parentLog;

// A parent that is not a toolkit window: erasing fills its client area, client painting
// draws a block at (20, 10) - (50, 30).
LRESULT CALLBACK ForeignParentProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_ERASEBKGND && msg != WM_PRINTCLIENT && msg != WM_PAINT)
        return DefWindowProcW(wnd, msg, wp, lp);
    g_parentLog.push_back(msg);
    if (!wp) return DefWindowProcW(wnd, msg, wp, lp);
    RECT r{20, 10, 50, 30};
    if (msg == WM_ERASEBKGND) GetClientRect(wnd, &r);
    UniqueBrush b(
        CreateSolidBrush(msg == WM_ERASEBKGND ? RGB(0x10, 0x20, 0x30) : RGB(0xA0, 0xB0, 0xC0)));
    FillRect(reinterpret_cast<HDC>(wp), &r, b.get());
    return 1;
}

// The parent's pixels behind a 40 x 25 (or 50 x 40) child, the DC beyond them untouched.
int BadPixels(TBitmap& dst, int cw, int ch, const std::function<Px(int, int)>& parent) {
    int bad = 0;
    for (int y = 0; y < dst.Height(); ++y)
        for (int x = 0; x < dst.Width(); ++x)
            bad += At(dst, x, y) != (x < cw && y < ch ? parent(x, y) : Back(x, y));
    return bad;
}

} // namespace

TEST(SkinPrimitives, ParentBackgroundOfAForeignWindow) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ForeignParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CorvanePrimitivesTestParent";
    RegisterClassW(&wc);
    UniqueWindow parent(CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 120, 80, nullptr,
                                        nullptr, wc.hInstance, nullptr));
    UniqueWindow child(CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 30, 20, 40, 25, parent.get(),
                                       nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(parent && child);
    auto dst = Make(60, 40, Back);
    HDC dc = dst->Canvas().Handle();
    g_parentLog.clear();
    PaintParentBackground(child.get(), dc);
    EXPECT_EQ(g_parentLog, (std::vector<UINT>{WM_ERASEBKGND, WM_PRINTCLIENT}));
    EXPECT_EQ(BadPixels(*dst, 40, 25,
                        [](int x, int y) -> Px {
                            return x + 30 < 50 && y + 20 < 30 ? 0xA0B0C0 : 0x102030;
                        }),
              0);
    // The DC is given back as it was.
    POINT org;
    RECT clip;
    GetViewportOrgEx(dc, &org);
    EXPECT_TRUE(org.x == 0 && org.y == 0);
    EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION);
    EXPECT_TRUE(clip.right == 60 && clip.bottom == 40);
    // A window without a parent asks nobody.
    g_parentLog.clear();
    PaintParentBackground(parent.get(), dc);
    EXPECT_TRUE(g_parentLog.empty());
}

TEST(SkinPrimitives, ParentBackgroundOfAToolkitControl) {
    TestApplication();
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 150);
    form.SetColor(0x00336699);
    TShape shape(nullptr); // painted by the form, so it is part of the background
    shape.SetParent(&form);
    shape.SetBounds(35, 25, 10, 10);
    shape.Brush().SetColor(0x00112233);
    shape.Pen().SetColor(0x00112233);
    TPanel panel(nullptr);
    panel.SetParent(&form);
    panel.SetBounds(30, 20, 50, 40);
    form.HandleNeeded();
    auto dst = Make(60, 50, Back);
    PaintParentBackground(&panel, dst->Canvas().Handle());
    EXPECT_EQ(BadPixels(*dst, 50, 40,
                        [](int x, int y) -> Px {
                            return x >= 5 && x < 15 && y >= 5 && y < 15 ? 0x332211 : 0x996633;
                        }),
              0);
    TPanel orphan(nullptr);
    auto untouched = Make(10, 10, Back);
    PaintParentBackground(&orphan, untouched->Canvas().Handle());
    EXPECT_EQ(BadPixels(*untouched, 0, 0, nullptr), 0);
}
