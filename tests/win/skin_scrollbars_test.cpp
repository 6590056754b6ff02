// Skinned scroll bars, list views and headers on real windows under Wine: where the covers sit
// and when they show, the pixels of every part and state, and scrolling through the covers
// compared with an unskinned twin that gets the same input. The system's tracking loop is
// driven with posted mouse messages and a message-filter hook, or with real input fed from a
// timer inside it, so it always ends.
#include "app_fixture.h"
#include "http_server.h"
#include "message_log.h"
#include "real_input.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "app/shell_open.h"
#include "skin/controls/skin_edits.h"
#include "skin/controls/skin_listview.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/data/skin_shared.h"
#include "skin/form/skin_messages.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/comctrls.h"
#include "toolkit/handles.h"
#include "toolkit/subclass.h"
#include "toolkit/stdctrls.h"
#include "toolkit/win_text.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace testskins;

namespace {

TColor PixelAt(HWND wnd, int x, int y) {
    HDC dc = GetDC(wnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(wnd, dc);
    return static_cast<TColor>(c);
}

TColor WindowPixel(HWND wnd, int x, int y) {
    HDC dc = GetWindowDC(wnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(wnd, dc);
    return static_cast<TColor>(c);
}

std::string Lines(int n, int width = 20) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += "line " + std::to_string(i) + " " + std::string(static_cast<size_t>(width), 'x');
        s += "\r\n";
    }
    return s;
}

// A shown form; the skin applied by hand. Controls tagged with the skin's disabling tag stay
// native: they are the twins.
struct ScrollForm {
    std::unique_ptr<TForm> form;
    TSkinData* data = nullptr;
    TWinSkinForm* skin = nullptr;

    explicit ScrollForm(const std::vector<std::uint8_t>& store, int w = 640, int h = 480) {
        form = std::make_unique<TForm>(&TestApplication());
        form->SetTag(99);
        form->SetCaption("Scroll");
        form->SetBounds(60, 40, w, h);
        data = MakeSkinData(store, form.get());
    }
    template <typename T> T* Add(int x, int y, int w, int h) {
        auto* c = new T(form.get());
        c->SetParent(form.get());
        c->SetBounds(x, y, w, h);
        return c;
    }
    TMemo* Memo(int x, int y, int w, int h, const std::string& text, bool twin = false) {
        auto* m = Add<TMemo>(x, y, w, h);
        m->SetScrollBars(ssBoth);
        m->SetWordWrap(false);
        m->Lines().SetText(text);
        if (twin) m->SetTag(data->DisableTag);
        return m;
    }
    void Apply() {
        form->Show();
        PumpFor(10);
        if (!skin) {
            skin = new TWinSkinForm(form.get());
            skin->Handle = form->WindowHandle();
            skin->Attach(data, form.get());
        }
        SendMessageW(form->WindowHandle(), WM_SKIN_APPLY, 0, kSkinApplyTag);
        PumpFor(50);
    }
    template <typename S = TSkinControl> S* ObjectOf(TControl* c) const {
        for (TComponent* o : skin->SkinnedControls())
            if (auto* s = dynamic_cast<S*>(o); s && s->Control() == c) return s;
        return nullptr;
    }
};

void Settle(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(30);
}

SCROLLBARINFO BarInfo(HWND wnd, LONG id) {
    SCROLLBARINFO info{};
    EXPECT_TRUE(skin::SkinScrollBarInfo(wnd, id, info));
    return info;
}

RECT ScreenRect(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return r;
}

// ---------------------------------------------------------------- driving the tracking loop

// While the system tracks a scroll bar, `onMessage` sees each message of the loop first.
HHOOK gFilter = nullptr;
std::function<void(const MSG&)> gOnLoopMessage;

LRESULT CALLBACK LoopFilter(int code, WPARAM w, LPARAM l) {
    if (code == MSGF_SCROLLBAR && gOnLoopMessage) gOnLoopMessage(*reinterpret_cast<MSG*>(l));
    return CallNextHookEx(gFilter, code, w, l);
}

// Ends a loop that did not end by itself: the button goes up after two seconds.
HWND gSafetyTarget = nullptr;
void CALLBACK SafetyRelease(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (gSafetyTarget) PostMessageW(gSafetyTarget, WM_LBUTTONUP, 0, 0);
}

class LoopDriver {
public:
    explicit LoopDriver(std::function<void(const MSG&)> onMessage) {
        gOnLoopMessage = std::move(onMessage);
        gFilter = SetWindowsHookExW(WH_MSGFILTER, LoopFilter, nullptr, GetCurrentThreadId());
    }
    ~LoopDriver() {
        if (gFilter) UnhookWindowsHookEx(gFilter);
        gFilter = nullptr;
        gOnLoopMessage = nullptr;
    }
};

// A press at `client` (host client coordinates) on the host's bar, the mouse moved by `moves`
// and released; `repeats` system timer ticks are let through before the release. Through the
// cover when one is given, else straight to the host's native bar.
struct Press {
    POINT client;
    std::vector<POINT> moves; // host client coordinates
    int repeats = 0;
};

void Drive(HWND host, TWScrollbar* cover, bool vertical, const Press& p) {
    POINT lastClient = p.moves.empty() ? p.client : p.moves.back();
    const LPARAM up = MAKELPARAM(lastClient.x, lastClient.y);
    for (const POINT& m : p.moves)
        PostMessageW(host, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(m.x, m.y));
    int ticks = 0;
    bool released = p.repeats == 0;
    if (released) PostMessageW(host, WM_LBUTTONUP, 0, up);
    LoopDriver driver([&](const MSG& msg) {
        if (msg.message == 0x0118 /* WM_SYSTIMER */ && !released && ++ticks >= p.repeats) {
            released = true;
            PostMessageW(host, WM_LBUTTONUP, 0, up);
        }
    });
    gSafetyTarget = host;
    const UINT_PTR safety = SetTimer(nullptr, 0, 2000, SafetyRelease);
    POINT screen = p.client;
    ClientToScreen(host, &screen);
    if (cover) {
        POINT at = screen;
        ScreenToClient(cover->Cover(), &at);
        SendMessageW(cover->Cover(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    } else {
        SendMessageW(host, WM_NCLBUTTONDOWN, vertical ? HTVSCROLL : HTHSCROLL,
                     MAKELPARAM(screen.x, screen.y));
    }
    KillTimer(nullptr, safety);
    gSafetyTarget = nullptr;
    PumpFor(20);
}

int ScrollPos(HWND wnd, int bar) {
    return GetScrollPos(wnd, bar);
}

// The client point of a spot of the host's bar: `along` pixels from the bar's start, in the
// middle of its breadth.
POINT OnBar(HWND host, LONG id, int along) {
    SCROLLBARINFO info = BarInfo(host, id);
    POINT p = id == OBJID_VSCROLL ? POINT{(info.rcScrollBar.left + info.rcScrollBar.right) / 2,
                                          info.rcScrollBar.top + along}
                                  : POINT{info.rcScrollBar.left + along,
                                          (info.rcScrollBar.top + info.rcScrollBar.bottom) / 2};
    ScreenToClient(host, &p);
    return p;
}

int ThumbMiddle(HWND host, LONG id) {
    SCROLLBARINFO info = BarInfo(host, id);
    return (info.xyThumbTop + info.xyThumbBottom) / 2;
}

int BarLength(HWND host, LONG id) {
    SCROLLBARINFO info = BarInfo(host, id);
    return id == OBJID_VSCROLL ? info.rcScrollBar.bottom - info.rcScrollBar.top
                               : info.rcScrollBar.right - info.rcScrollBar.left;
}

} // namespace

// ---------------------------------------------------------------- discovery and placement

TEST(SkinScrollbars, ScrollingControlsGetTheirFamiliesAndSingleLineEditsTheirOwn) {
    ScrollForm t(ScrollSkinStore());
    TMemo* memo = t.Memo(10, 10, 200, 120, Lines(100, 60));
    auto* list = t.Add<TListBox>(220, 10, 120, 80);
    for (int i = 0; i < 40; ++i) list->Items().Add("item " + std::to_string(i));
    auto* bar = t.Add<TScrollBar>(360, 10, 150, 17);
    bar->SetKind(sbVertical);
    auto* view = t.Add<TListView>(10, 150, 300, 150);
    view->SetViewStyle(vsReport);
    view->AddColumn()->SetCaption("One");
    auto* edit = t.Add<TEdit>(360, 200, 100, 22);
    t.Apply();
    auto* memoObject = t.ObjectOf<TSkinScrollbar>(memo);
    ASSERT_NE(memoObject, nullptr);
    EXPECT_EQ(dynamic_cast<TSkinListView*>(memoObject), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinScrollbar>(list), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinScControl>(bar), nullptr);
    auto* viewObject = t.ObjectOf<TSkinListView>(view);
    ASSERT_NE(viewObject, nullptr);
    ASSERT_NE(viewObject->Header(), nullptr);
    EXPECT_EQ(viewObject->Header()->Handle(), ListView_GetHeader(view->WindowHandle()));
    // A single-line edit is an edit, with no bars to cover.
    EXPECT_EQ(t.ObjectOf<TSkinScrollbar>(edit), nullptr);
    EXPECT_NE(t.ObjectOf<TSkinEdit>(edit), nullptr);
    EXPECT_EQ(memo->Perform(WM_SKIN_QUERY), 1);
    // A cover is never a tab stop and never a control of the form.
    ASSERT_NE(memoObject->VertBar()->Cover(), nullptr);
    EXPECT_FALSE(GetWindowLongPtrW(memoObject->VertBar()->Cover(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_TRUE(GetWindowLongPtrW(memoObject->VertBar()->Cover(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    for (int i = 0; i < t.form->ControlCount(); ++i)
        EXPECT_EQ(dynamic_cast<TWScrollbar*>(t.form->Controls(i)), nullptr);
}

TEST(SkinScrollbars, CoversLieExactlyOverTheNativeBarsJustAboveTheHost) {
    ScrollForm t(ScrollSkinStore());
    TMemo* memo = t.Memo(20, 20, 300, 200, Lines(200, 80));
    t.Apply();
    HWND host = memo->WindowHandle();
    auto* object = t.ObjectOf<TSkinScrollbar>(memo);
    ASSERT_NE(object, nullptr);
    for (auto [bar, id] : {std::pair{object->VertBar(), OBJID_VSCROLL},
                           std::pair{object->HorzBar(), OBJID_HSCROLL}}) {
        ASSERT_TRUE(bar->Shown());
        const RECT native = BarInfo(host, id).rcScrollBar;
        const RECT cover = ScreenRect(bar->Cover());
        EXPECT_TRUE(EqualRect(&native, &cover));
        EXPECT_TRUE(IsWindowVisible(bar->Cover()));
        EXPECT_EQ(GetParent(bar->Cover()), GetParent(host));
        EXPECT_EQ(bar->Length(),
                  id == OBJID_VSCROLL ? native.bottom - native.top : native.right - native.left);
    }
    // Both covers sit in front of the host.
    int hostIndex = -1, coverIndex = -1, i = 0;
    for (HWND w = GetTopWindow(GetParent(host)); w; w = GetWindow(w, GW_HWNDNEXT), ++i) {
        if (w == host) hostIndex = i;
        if (w == object->VertBar()->Cover()) coverIndex = i;
    }
    EXPECT_LT(coverIndex, hostIndex);
    EXPECT_GE(coverIndex, 0);
    // The corner between the bars takes the skin's face colour; the border is the skin's.
    Settle(t.form->WindowHandle());
    const RECT v = object->VertBar()->BarRect(), h = object->HorzBar()->BarRect();
    POINT origin{0, 0};
    ClientToScreen(host, &origin);
    const RECT wr = ScreenRect(host);
    const int dx = origin.x - wr.left, dy = origin.y - wr.top;
    EXPECT_EQ(WindowPixel(host, v.left + dx + 3, h.top + dy + 3), kFace);
    EXPECT_EQ(WindowPixel(host, 0, 40), kScrollShadow);
    EXPECT_EQ(WindowPixel(host, 1, 40), kFace);
    EXPECT_TRUE(object->DrawsBorder());
}

TEST(SkinScrollbars, CoversFollowSizeAndVisibilityOfHostAndBars) {
    ScrollForm t(ScrollSkinStore());
    TMemo* memo = t.Memo(20, 20, 300, 200, Lines(200, 80));
    auto* list = t.Add<TListBox>(340, 20, 150, 120);
    list->Items().Add("one");
    t.Apply();
    HWND host = memo->WindowHandle();
    auto* object = t.ObjectOf<TSkinScrollbar>(memo);
    ASSERT_NE(object, nullptr);
    memo->SetBounds(30, 40, 250, 260);
    PumpFor(30);
    RECT native = BarInfo(host, OBJID_VSCROLL).rcScrollBar,
         cover = ScreenRect(object->VertBar()->Cover());
    EXPECT_TRUE(EqualRect(&native, &cover));
    native = BarInfo(host, OBJID_HSCROLL).rcScrollBar;
    cover = ScreenRect(object->HorzBar()->Cover());
    EXPECT_TRUE(EqualRect(&native, &cover));
    memo->Hide();
    PumpFor(20);
    EXPECT_FALSE(object->VertBar()->Shown());
    EXPECT_FALSE(IsWindowVisible(object->VertBar()->Cover()));
    EXPECT_FALSE(IsWindowVisible(object->HorzBar()->Cover()));
    memo->Show();
    PumpFor(20);
    EXPECT_TRUE(object->VertBar()->Shown());
    EXPECT_TRUE(IsWindowVisible(object->HorzBar()->Cover()));
    // A list that fits shows no bar and so no cover; one that overflows gets it at its next
    // paint.
    auto* listObject = t.ObjectOf<TSkinScrollbar>(list);
    ASSERT_NE(listObject, nullptr);
    EXPECT_FALSE(listObject->VertBar()->Shown());
    for (int i = 0; i < 40; ++i) list->Items().Add("item " + std::to_string(i));
    Settle(list->WindowHandle());
    EXPECT_TRUE(listObject->VertBar()->Shown());
    native = BarInfo(list->WindowHandle(), OBJID_VSCROLL).rcScrollBar;
    cover = ScreenRect(listObject->VertBar()->Cover());
    EXPECT_TRUE(EqualRect(&native, &cover));
    // And loses it when the items go.
    list->Items().Clear();
    list->Items().Add("one");
    Settle(list->WindowHandle());
    EXPECT_FALSE(listObject->VertBar()->Shown());
    EXPECT_FALSE(IsWindowVisible(listObject->VertBar()->Cover()));
}

// ---------------------------------------------------------------- scrolling like the native bar

namespace {

// A long memo, skinned, and its unskinned twin of the same size and text.
struct Twins {
    ScrollForm t{ScrollSkinStore(), 900, 560};
    TMemo* skinned;
    TMemo* twin;
    TSkinScrollbar* object = nullptr;
    Twins() {
        const std::string text = Lines(3000, 150);
        skinned = t.Memo(10, 10, 420, 380, text);
        twin = t.Memo(450, 10, 420, 380, text, true);
        t.Apply();
        object = t.ObjectOf<TSkinScrollbar>(skinned);
        Settle(t.form->WindowHandle());
    }
    HWND S() const { return skinned->WindowHandle(); }
    HWND N() const { return twin->WindowHandle(); }
    void Both(bool vertical, const std::function<Press(HWND)>& make) {
        const Press p = make(S());
        Drive(S(), vertical ? object->VertBar() : object->HorzBar(), vertical, p);
        Drive(N(), nullptr, vertical, make(N()));
        Settle(t.form->WindowHandle());
    }
    ::testing::AssertionResult Same(int bar) const {
        const int a = ScrollPos(S(), bar), b = ScrollPos(N(), bar);
        const auto la = SendMessageW(S(), EM_GETFIRSTVISIBLELINE, 0, 0),
                   lb = SendMessageW(N(), EM_GETFIRSTVISIBLELINE, 0, 0);
        if (a == b && la == lb) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "skinned at " << a << " (line " << la
                                             << "), native at " << b << " (line " << lb << ")";
    }
};

} // namespace

TEST(SkinScrollbarScrolling, ThumbDragArrowsTrackAndHeldArrowScrollAsTheNativeBar) {
    Twins w;
    ASSERT_NE(w.object, nullptr);
    ASSERT_TRUE(w.object->VertBar()->Shown());
    // Drag the thumb down by 120 pixels in steps.
    w.Both(true, [](HWND h) {
        const POINT start = OnBar(h, OBJID_VSCROLL, ThumbMiddle(h, OBJID_VSCROLL));
        Press p{start, {}, 0};
        for (int dy = 20; dy <= 120; dy += 20) p.moves.push_back({start.x, start.y + dy});
        return p;
    });
    EXPECT_GT(ScrollPos(w.S(), SB_VERT), 100);
    EXPECT_TRUE(w.Same(SB_VERT));
    // The second arrow: one line.
    const int before = ScrollPos(w.S(), SB_VERT);
    w.Both(true,
           [](HWND h) { return Press{OnBar(h, OBJID_VSCROLL, BarLength(h, OBJID_VSCROLL) - 5)}; });
    EXPECT_EQ(ScrollPos(w.S(), SB_VERT), before + 1);
    EXPECT_TRUE(w.Same(SB_VERT));
    // The first arrow held down: the system repeats it.
    const int held = ScrollPos(w.S(), SB_VERT);
    w.Both(true, [](HWND h) {
        Press p{OnBar(h, OBJID_VSCROLL, 5)};
        p.repeats = 6;
        return p;
    });
    EXPECT_LT(ScrollPos(w.S(), SB_VERT), held - 2);
    EXPECT_TRUE(w.Same(SB_VERT));
    // The track below the thumb: a page.
    const int paged = ScrollPos(w.S(), SB_VERT);
    w.Both(true, [](HWND h) {
        SCROLLBARINFO info = BarInfo(h, OBJID_VSCROLL);
        return Press{OnBar(h, OBJID_VSCROLL, info.xyThumbBottom + 10)};
    });
    EXPECT_GT(ScrollPos(w.S(), SB_VERT), paged + 5);
    EXPECT_TRUE(w.Same(SB_VERT));
    // The right arrow held down on the horizontal bar.
    w.Both(false, [](HWND h) {
        Press p{OnBar(h, OBJID_HSCROLL, BarLength(h, OBJID_HSCROLL) - 5)};
        p.repeats = 4;
        return p;
    });
    EXPECT_GT(ScrollPos(w.S(), SB_HORZ), 0);
    EXPECT_TRUE(w.Same(SB_HORZ));
    // After each press the bar shows no active part and the cover its thumb where the system
    // has it.
    EXPECT_FALSE(w.object->VertBar()->Tracking());
    EXPECT_EQ(w.object->VertBar()->ActivePart(), kPartNone);
    const SCROLLBARINFO info = BarInfo(w.S(), OBJID_VSCROLL);
    EXPECT_EQ(w.object->VertBar()->ThumbStart(), info.xyThumbTop);
    EXPECT_EQ(w.object->VertBar()->ThumbEnd(), info.xyThumbBottom);
}

TEST(SkinScrollbarScrolling, WheelAndKeysMoveBothAlikeAndTheCoverFollows) {
    Twins w;
    ASSERT_NE(w.object, nullptr);
    for (HWND h : {w.S(), w.N()}) {
        for (int i = 0; i < 4; ++i)
            SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                         MAKELPARAM(100, 100));
    }
    Settle(w.t.form->WindowHandle());
    EXPECT_GT(ScrollPos(w.S(), SB_VERT), 0);
    EXPECT_TRUE(w.Same(SB_VERT));
    for (HWND h : {w.S(), w.N()}) {
        SetFocus(h);
        for (int i = 0; i < 3; ++i) {
            SendMessageW(h, WM_KEYDOWN, VK_NEXT, 0);
            SendMessageW(h, WM_KEYUP, VK_NEXT, 0xC0000001);
        }
    }
    Settle(w.t.form->WindowHandle());
    EXPECT_TRUE(w.Same(SB_VERT));
    EXPECT_GT(ScrollPos(w.S(), SB_VERT), 40);
    const SCROLLBARINFO info = BarInfo(w.S(), OBJID_VSCROLL);
    EXPECT_EQ(w.object->VertBar()->ThumbStart(), info.xyThumbTop);
}

TEST(SkinScrollbarScrolling, TheDraggedThumbFollowsTheCursorClampedBetweenTheArrows) {
    Twins w;
    ASSERT_NE(w.object, nullptr);
    TWScrollbar* bar = w.object->VertBar();
    HWND host = w.S();
    // From the middle, so putting the thumb back differs from pushing it to an end.
    SendMessageW(host, EM_LINESCROLL, 0, 1500);
    Settle(w.t.form->WindowHandle());
    const POINT start = OnBar(host, OBJID_VSCROLL, ThumbMiddle(host, OBJID_VSCROLL));
    POINT screen = start;
    ClientToScreen(host, &screen);
    SetCursorPos(screen.x, screen.y);
    PumpFor(20);
    const int size = bar->ThumbEnd() - bar->ThumbStart();
    ASSERT_GT(size, 0);
    const int startThumb = bar->ThumbStart();
    ASSERT_GT(startThumb, bar->ArrowSize() + 40);
    const RECT r = BarInfo(host, OBJID_VSCROLL).rcScrollBar;
    // Down 30; past each end but near the bar (clamped between the arrows); far off the bar
    // (the system puts the thumb back where it was).
    const int targets[] = {screen.y + 30, r.top - 20, r.bottom + 20, screen.y - 5000};
    const int expected[] = {startThumb + 30, bar->ArrowSize(),
                            bar->Length() - bar->ArrowSize() - size, startThumb};
    constexpr int kSteps = 4;
    std::vector<int> seen;
    std::vector<TColor> at, before;
    int step = -1;
    // A thread timer comes through the loop only once nothing else, painting included, is
    // waiting: the cover is read as it painted itself, never forced.
    LoopDriver driver([&](const MSG& msg) {
        if (msg.message != WM_TIMER || msg.hwnd) return;
        if (step >= 0 && step < kSteps) {
            seen.push_back(bar->ThumbStart());
            at.push_back(PixelAt(bar->Cover(), 4, expected[step] + 2));
            before.push_back(PixelAt(bar->Cover(), 4, expected[step] - 1));
            EXPECT_TRUE(bar->Tracking());
            EXPECT_EQ(bar->ActivePart(), kPartThumb);
        }
        if (++step < kSteps) {
            SetCursorPos(screen.x, targets[step]);
            POINT c{screen.x, targets[step]};
            ScreenToClient(host, &c);
            PostMessageW(host, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        } else if (step == kSteps) {
            PostMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(start.x, start.y));
        }
    });
    const UINT_PTR pace = SetTimer(nullptr, 0, 60, nullptr);
    gSafetyTarget = host;
    const UINT_PTR safety = SetTimer(nullptr, 0, 5000, SafetyRelease);
    POINT p = screen;
    ScreenToClient(bar->Cover(), &p);
    SendMessageW(bar->Cover(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    KillTimer(nullptr, pace);
    KillTimer(nullptr, safety);
    ASSERT_EQ(seen.size(), static_cast<size_t>(kSteps));
    for (int i = 0; i < kSteps; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i], expected[i]);
        // The pressed thumb frame drawn there, and not above it.
        EXPECT_EQ(at[i], kVertThumb[1]);
        EXPECT_NE(before[i], kVertThumb[1]);
    }
    EXPECT_FALSE(bar->Tracking());
}

// ---------------------------------------------------------------- pixels

namespace {

struct BarPixels {
    ScrollForm t{ScrollSkinStore()};
    TScrollBar* bar = nullptr;
    TSkinScControl* object = nullptr;
    TWScrollbar* cover = nullptr;
    BarPixels(TScrollBarKind kind, int length, int page) {
        bar = t.Add<TScrollBar>(20, 20, 17, 17);
        bar->SetKind(kind); // turns the bounds with it
        bar->SetBounds(20, 20, kind == sbVertical ? 17 : length, kind == sbVertical ? length : 17);
        bar->SetParams(0, 0, 100);
        bar->SetPageSize(page);
        t.Apply();
        object = t.ObjectOf<TSkinScControl>(bar);
        cover = object ? object->Bar() : nullptr;
        Settle(t.form->WindowHandle());
    }
    // Along the bar, in the middle of the drawn breadth.
    TColor At(int along, int across = 4) const {
        UpdateWindow(cover->Cover());
        return bar->Kind() == sbVertical ? PixelAt(cover->Cover(), across, along)
                                         : PixelAt(cover->Cover(), along, across);
    }
    void Mouse(UINT msg, int along) {
        const LPARAM at = bar->Kind() == sbVertical ? MAKELPARAM(4, along) : MAKELPARAM(along, 4);
        SendMessageW(cover->Cover(), msg, 0, at);
        UpdateWindow(cover->Cover());
    }
};

} // namespace

TEST(SkinScrollbarPixels, ArrowsTrackThumbAndGripOfAVerticalBarInEveryState) {
    BarPixels p(sbVertical, 200, 20);
    ASSERT_NE(p.cover, nullptr);
    ASSERT_TRUE(p.cover->Shown());
    // The thumb where the system has it, so a press on it lands on it; the grip (16 long)
    // centred on it.
    const SCROLLBARINFO system = BarInfo(p.bar->WindowHandle(), OBJID_CLIENT);
    EXPECT_EQ(p.cover->ThumbStart(), system.xyThumbTop);
    EXPECT_EQ(p.cover->ThumbEnd(), system.xyThumbBottom);
    EXPECT_EQ(p.cover->ThumbStart(), 17);
    EXPECT_GT(p.cover->ThumbEnd(), 40);
    EXPECT_EQ(p.At(5), StripFrame(9));
    EXPECT_EQ(p.At(195), StripFrame(13));
    EXPECT_EQ(p.At(18), kVertThumb[0]);
    EXPECT_EQ(p.At(30), StripFrame(20));
    EXPECT_EQ(p.At(100), kVertTrack[0]);
    // The strip is 16 high, the system arrow 17 wide: the bar is drawn 16 wide on the face.
    EXPECT_EQ(p.At(100, 16), kFace);
    // Hot parts under the mouse.
    p.Mouse(WM_MOUSEMOVE, 5);
    EXPECT_EQ(p.cover->ActivePart(), kPartFirstArrow);
    EXPECT_EQ(p.At(5), StripFrame(12));
    p.Mouse(WM_MOUSEMOVE, 195);
    EXPECT_EQ(p.At(5), StripFrame(9));
    EXPECT_EQ(p.At(195), StripFrame(16));
    p.Mouse(WM_MOUSEMOVE, 30);
    EXPECT_EQ(p.cover->ActivePart(), kPartThumb);
    EXPECT_EQ(p.At(18), kVertThumb[2]);
    EXPECT_EQ(p.At(30), StripFrame(22));
    p.Mouse(WM_MOUSEMOVE, 100);
    EXPECT_EQ(p.cover->ActivePart(), kPartTrackAfter);
    p.Mouse(WM_MOUSELEAVE, 0);
    EXPECT_EQ(p.cover->ActivePart(), kPartNone);
    EXPECT_EQ(p.At(18), kVertThumb[0]);
}

TEST(SkinScrollbarPixels, PressedArrowAndThumbWhileTheSystemTracks) {
    BarPixels p(sbVertical, 200, 20);
    ASSERT_NE(p.cover, nullptr);
    HWND host = p.bar->WindowHandle();
    for (int along : {5, 30}) {
        std::vector<TColor> seen;
        bool tracking = false;
        {
            LoopDriver driver([&](const MSG&) {
                if (!seen.empty()) return;
                tracking = p.cover->Tracking();
                seen = {p.At(5), p.At(18), p.At(30)};
            });
            PostMessageW(host, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(4, along));
            PostMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(4, along));
            gSafetyTarget = host;
            const UINT_PTR safety = SetTimer(nullptr, 0, 2000, SafetyRelease);
            SendMessageW(p.cover->Cover(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, along));
            KillTimer(nullptr, safety);
        }
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_TRUE(tracking);
        if (along == 5) {
            EXPECT_EQ(seen[0], StripFrame(10)); // pressed up arrow
        } else {
            EXPECT_EQ(seen[1], kVertThumb[1]); // pressed thumb
            EXPECT_EQ(seen[2], StripFrame(21));
        }
        EXPECT_FALSE(p.cover->Tracking());
        PumpFor(20);
    }
}

TEST(SkinScrollbarPixels, AHorizontalBarUsesItsOwnFramesAndADisabledOneHasNoThumb) {
    BarPixels p(sbHorizontal, 220, 20);
    ASSERT_NE(p.cover, nullptr);
    EXPECT_FALSE(p.cover->Vertical());
    EXPECT_EQ(p.At(5), StripFrame(1));
    EXPECT_EQ(p.At(215), StripFrame(5));
    EXPECT_EQ(p.At(18), kHorzThumb[0]);
    const int gripAt = p.cover->ThumbStart() + (p.cover->ThumbEnd() - p.cover->ThumbStart()) / 2;
    EXPECT_EQ(p.At(gripAt), StripFrame(17));
    EXPECT_EQ(p.At(150), kHorzTrack[0]);
    p.Mouse(WM_MOUSEMOVE, 5);
    EXPECT_EQ(p.At(5), StripFrame(4));
    p.Mouse(WM_MOUSEMOVE, 215);
    EXPECT_EQ(p.At(215), StripFrame(8));
    p.Mouse(WM_MOUSEMOVE, gripAt);
    EXPECT_EQ(p.At(gripAt), StripFrame(19));
    p.Mouse(WM_MOUSELEAVE, 0);
    p.bar->SetEnabled(false);
    Settle(p.t.form->WindowHandle());
    EXPECT_EQ(p.At(18), kHorzTrack[2]);
    EXPECT_EQ(p.At(gripAt), kHorzTrack[2]);
    EXPECT_EQ(p.At(150), kHorzTrack[2]);
    EXPECT_EQ(p.At(5), StripFrame(1));
}

TEST(SkinScrollbarPixels, ShorterBarsDownToHalfArrowsAndAMinimumThumb) {
    {
        // 40 long: a track of 6 is too short for the system's thumb, so none is drawn and a
        // press there is a press on the track.
        BarPixels p(sbVertical, 40, 20);
        ASSERT_NE(p.cover, nullptr);
        const SCROLLBARINFO system = BarInfo(p.bar->WindowHandle(), OBJID_CLIENT);
        EXPECT_EQ(p.cover->ThumbEnd() - p.cover->ThumbStart(),
                  system.xyThumbBottom - system.xyThumbTop);
        EXPECT_EQ(p.At(17), kVertTrack[0]);
        EXPECT_EQ(p.At(20), kVertTrack[0]);
        EXPECT_EQ(p.At(35), StripFrame(13));
    }
    {
        // No page: the thumb is one arrow long and carries the grip.
        BarPixels p(sbVertical, 120, 0);
        ASSERT_NE(p.cover, nullptr);
        EXPECT_EQ(p.cover->ThumbEnd() - p.cover->ThumbStart(), p.cover->ArrowSize());
        EXPECT_EQ(p.At(p.cover->ThumbStart() + 8), StripFrame(20));
        p.bar->SetPosition(100);
        Settle(p.t.form->WindowHandle());
        EXPECT_EQ(p.cover->ThumbStart(), 120 - 2 * p.cover->ArrowSize());
    }
    {
        // Shorter than two arrows: two half-length arrows and no track.
        BarPixels p(sbVertical, 20, 20);
        ASSERT_NE(p.cover, nullptr);
        for (int y = 0; y < 10; ++y) EXPECT_EQ(p.At(y), StripFrame(9)) << y;
        for (int y = 10; y < 20; ++y) EXPECT_EQ(p.At(y), StripFrame(13)) << y;
    }
    {
        // A window bar with thousands of lines: the system's smallest thumb, the grip only
        // where it fits.
        ScrollForm t(ScrollSkinStore());
        TMemo* memo = t.Memo(20, 20, 300, 200, Lines(5000, 10));
        t.Apply();
        auto* object = t.ObjectOf<TSkinScrollbar>(memo);
        ASSERT_NE(object, nullptr);
        Settle(t.form->WindowHandle());
        TWScrollbar* bar = object->VertBar();
        const SCROLLBARINFO info = BarInfo(memo->WindowHandle(), OBJID_VSCROLL);
        const int size = info.xyThumbBottom - info.xyThumbTop;
        ASSERT_GT(size, 0);
        EXPECT_EQ(bar->ThumbStart(), info.xyThumbTop);
        const TColor middle = PixelAt(bar->Cover(), 4, info.xyThumbTop + size / 2);
        EXPECT_EQ(middle, kStripH < size + 2 ? StripFrame(20) : kVertThumb[0]);
        EXPECT_EQ(PixelAt(bar->Cover(), 4, info.xyThumbTop),
                  kStripH < size + 2 && size <= kStripH ? StripFrame(20) : kVertThumb[0]);
        EXPECT_EQ(PixelAt(bar->Cover(), 4, 5), StripFrame(9));
    }
}

// ---------------------------------------------------------------- list view and header

namespace {

struct HeaderForm {
    ScrollForm t;
    TListView* view;
    TListView* twin;
    TSkinListView* object = nullptr;
    HWND header = nullptr;
    explicit HeaderForm(bool headerSkin = true) : t(ScrollSkinStore(headerSkin), 760, 400) {
        view = MakeView(10, false);
        twin = MakeView(380, true);
        t.Apply();
        object = t.ObjectOf<TSkinListView>(view);
        header = ListView_GetHeader(view->WindowHandle());
        Settle(t.form->WindowHandle());
    }
    TListView* MakeView(int x, bool native) {
        auto* v = t.Add<TListView>(x, 10, 340, 200);
        v->SetViewStyle(vsReport);
        const char* names[] = {"One", "Two", ""};
        const int widths[] = {60, 80, 50};
        for (int i = 0; i < 3; ++i) {
            TListColumn* c = v->AddColumn();
            c->SetCaption(names[i]);
            c->SetWidth(widths[i]);
        }
        if (native) v->SetTag(t.data->DisableTag);
        return v;
    }
    TColor At(int x, int y = 1) const {
        UpdateWindow(header);
        return PixelAt(header, x, y);
    }
};

} // namespace

TEST(SkinHeader, ColumnsTheBandRightOfThemAndTheHotColumn) {
    HeaderForm f;
    ASSERT_NE(f.object, nullptr);
    ASSERT_NE(f.object->Header(), nullptr);
    TSkinHeader* h = f.object->Header();
    EXPECT_EQ(h->HotItem(), -1);
    ASSERT_EQ(h->ItemRects().size(), 3u);
    EXPECT_EQ(h->ItemRects()[1].left, 63);
    EXPECT_EQ(h->ItemRects()[1].right, 137);
    EXPECT_EQ(f.At(10), kHeaderFrames[0]);
    EXPECT_EQ(f.At(150), kHeaderFrames[0]); // a column without text: only its background
    EXPECT_EQ(f.At(300), kHeaderFrames[0]); // right of the last column
    // The caption is drawn in the column.
    RECT column;
    Header_GetItemRect(f.header, 0, &column);
    int text = 0;
    for (int x = column.left; x < column.right; ++x)
        for (int y = column.top; y < column.bottom; ++y) text += PixelAt(f.header, x, y) == 0;
    EXPECT_GT(text, 5);
    SendMessageW(f.header, WM_MOUSEMOVE, 0, MAKELPARAM(90, 5));
    EXPECT_EQ(h->HotItem(), 1);
    EXPECT_EQ(f.At(70), kHeaderFrames[1]);
    EXPECT_EQ(f.At(10), kHeaderFrames[0]);
    // The 3-pixel borders at the divider between columns 0 and 1 change nothing.
    for (int x : {58, 60, 62}) {
        SendMessageW(f.header, WM_MOUSEMOVE, 0, MAKELPARAM(x, 5));
        EXPECT_EQ(h->HotItem(), 1) << x;
    }
    SendMessageW(f.header, WM_MOUSEMOVE, 0, MAKELPARAM(30, 5));
    EXPECT_EQ(h->HotItem(), 0);
    EXPECT_EQ(f.At(10), kHeaderFrames[1]);
    SendMessageW(f.header, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(h->HotItem(), -1);
    EXPECT_EQ(f.At(10), kHeaderFrames[0]);
}

TEST(SkinHeader, PressedColumnAndDividerDragStillResizesLikeTheNativeHeader) {
    HeaderForm f;
    ASSERT_NE(f.object, nullptr);
    TSkinHeader* h = f.object->Header();
    ASSERT_NE(h, nullptr);
    SendMessageW(f.header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 5));
    EXPECT_EQ(h->PressedItem(), 0);
    EXPECT_EQ(f.At(10), kHeaderFrames[2]);
    SendMessageW(f.header, WM_LBUTTONUP, 0, MAKELPARAM(30, 5));
    EXPECT_EQ(h->PressedItem(), -1);
    EXPECT_NE(f.At(10), kHeaderFrames[2]);
    // The divider of the first column dragged 40 pixels right, on both.
    for (TListView* v : {f.view, f.twin}) {
        HWND hd = ListView_GetHeader(v->WindowHandle());
        SendMessageW(hd, WM_MOUSEMOVE, 0, MAKELPARAM(60, 5));
        SendMessageW(hd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 5));
        SendMessageW(hd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(80, 5));
        SendMessageW(hd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 5));
        SendMessageW(hd, WM_LBUTTONUP, 0, MAKELPARAM(100, 5));
        PumpFor(20);
    }
    EXPECT_EQ(h->PressedItem(), -1);
    const int width = ListView_GetColumnWidth(f.view->WindowHandle(), 0);
    EXPECT_EQ(width, ListView_GetColumnWidth(f.twin->WindowHandle(), 0));
    EXPECT_EQ(width, 100);
    Settle(f.t.form->WindowHandle());
    // The columns are drawn where they are now.
    EXPECT_EQ(h->ItemRects()[1].left, 103);
    EXPECT_EQ(f.At(300), kHeaderFrames[0]);
}

TEST(SkinHeader, SortArrowsOwnerDrawnColumnsAndNoPressWithoutButtons) {
    HeaderForm f;
    ASSERT_NE(f.object, nullptr);
    TSkinHeader* h = f.object->Header();
    ASSERT_NE(h, nullptr);
    const TColor ink = static_cast<TColor>(ColorToRGB(f.t.data->ButtonTextColor));
    RECT c0;
    Header_GetItemRect(f.header, 0, &c0);
    const RECT arrowZone = {c0.right - 16, c0.top, c0.right - 2, c0.bottom};
    auto Count = [&](HWND wnd, const RECT& r, TColor colour) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += PixelAt(wnd, x, y) == colour;
        return n;
    };
    UpdateWindow(f.header);
    EXPECT_EQ(Count(f.header, arrowZone, ink), 0);
    // A sort arrow at the right end of a sorted column.
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(f.header, 0, &item);
    item.fmt |= HDF_SORTUP;
    Header_SetItem(f.header, 0, &item);
    Settle(f.t.form->WindowHandle());
    EXPECT_GT(Count(f.header, arrowZone, ink), 3);
    // An owner-drawn column is the owner's to draw.
    TWindowSubclass owner;
    int asked = 0;
    owner.Attach(f.view->WindowHandle(), [&](TMessage& m) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        if (m.Msg == WM_DRAWITEM && draw && draw->CtlType == ODT_HEADER && draw->itemID == 1) {
            ++asked;
            UniqueBrush green(CreateSolidBrush(RGB(0, 255, 0)));
            FillRect(draw->hDC, &draw->rcItem, green.get());
            m.Result = TRUE;
            return;
        }
        owner.CallPrevious(m);
    });
    item.mask = HDI_FORMAT;
    Header_GetItem(f.header, 1, &item);
    item.fmt |= HDF_OWNERDRAW;
    Header_SetItem(f.header, 1, &item);
    Settle(f.t.form->WindowHandle());
    EXPECT_GT(asked, 0);
    EXPECT_EQ(f.At(100, 8), TColor(0x00FF00));
    owner.Detach();
    // Without the buttons style a press leaves the column up, as the system's does.
    SetWindowLongPtrW(f.header, GWL_STYLE, GetWindowLongPtrW(f.header, GWL_STYLE) & ~HDS_BUTTONS);
    SendMessageW(f.header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 5));
    EXPECT_EQ(h->PressedItem(), -1);
    EXPECT_NE(f.At(10), kHeaderFrames[2]);
    EXPECT_EQ(f.At(10), kHeaderFrames[0]); // still the skin's column, up
    SendMessageW(f.header, WM_LBUTTONUP, 0, MAKELPARAM(30, 5));
}

TEST(SkinHeader, NoHeaderElementLeavesTheHeaderNativeAndNoHeaderMeansNoHeaderObject) {
    HeaderForm f(false);
    ASSERT_NE(f.object, nullptr);
    TSkinHeader* h = f.object->Header();
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(h->HasSkin());
    // The system draws it: nothing of the skin's header colours, and it erases itself.
    for (TColor c : kHeaderFrames) EXPECT_NE(f.At(10), c);
    // ... and draws all of it, captions included, as on the twin without a skin object.
    HWND twin = ListView_GetHeader(f.twin->WindowHandle());
    UpdateWindow(twin);
    Pixels mine(f.header), native(twin);
    ASSERT_EQ(mine.w, native.w);
    ASSERT_EQ(mine.h, native.h);
    EXPECT_EQ(mine.px, native.px);
    EXPECT_TRUE(mine.Has({0, 0, 60, mine.h}, static_cast<TColor>(GetSysColor(COLOR_BTNTEXT))));
    HDC dc = GetDC(f.header);
    EXPECT_EQ(h->SkinForm(), f.t.skin);
    ReleaseDC(f.header, dc);
    // A list view in list style has no header window: only the covers.
    ScrollForm t(ScrollSkinStore());
    auto* list = t.Add<TListView>(10, 10, 200, 150);
    list->SetViewStyle(vsList);
    t.Apply();
    auto* object = t.ObjectOf<TSkinListView>(list);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->Header() != nullptr, ListView_GetHeader(list->WindowHandle()) != nullptr);
    EXPECT_NE(object->VertBar(), nullptr);
}

// ---------------------------------------------------------------- lifetime

TEST(SkinScrollbarLifetime, ARecreatedControlIsSkinnedAgainWithoutLeaks) {
    ScrollForm t(ScrollSkinStore());
    TMemo* memo = t.Memo(20, 20, 300, 200, Lines(200, 80));
    auto* view = t.Add<TListView>(340, 20, 250, 200);
    view->SetViewStyle(vsReport);
    view->AddColumn()->SetCaption("One");
    t.Apply();
    const size_t objects = t.skin->SkinnedControls().size();
    auto recreate = [&](int i) {
        memo->SetScrollBars(i % 2 ? ssVertical : ssBoth);
        view->SetViewStyle(i % 2 ? vsList : vsReport);
        PumpFor(5);
    };
    recreate(1);
    recreate(2);
    {
        auto* object = t.ObjectOf<TSkinScrollbar>(memo);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->Handle(), memo->WindowHandle());
        EXPECT_EQ(object->RecreatedFrom(), nullptr); // a fresh object
        EXPECT_TRUE(object->VertBar()->Shown());
        EXPECT_TRUE(object->HorzBar()->Shown());
        const RECT native = BarInfo(memo->WindowHandle(), OBJID_VSCROLL).rcScrollBar;
        const RECT cover = ScreenRect(object->VertBar()->Cover());
        EXPECT_TRUE(EqualRect(&native, &cover));
        auto* viewObject = t.ObjectOf<TSkinListView>(view);
        ASSERT_NE(viewObject, nullptr);
        ASSERT_NE(viewObject->Header(), nullptr);
        EXPECT_EQ(viewObject->Header()->Handle(), ListView_GetHeader(view->WindowHandle()));
    }
    const GuiCounts before = CurrentGuiCounts();
    for (int i = 3; i <= 102; ++i) recreate(i); // ends as it was: both bars, report style
    PumpFor(50);
    const GuiCounts after = CurrentGuiCounts();
    EXPECT_EQ(after.user, before.user);
    EXPECT_LE(after.gdi, before.gdi + 2);
    EXPECT_EQ(t.skin->SkinnedControls().size(), objects);
    auto* object = t.ObjectOf<TSkinScrollbar>(memo);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->HorzBar()->Shown());
    EXPECT_TRUE(object->VertBar()->Shown());
    memo->SetScrollBars(ssVertical);
    PumpFor(20);
    object = t.ObjectOf<TSkinScrollbar>(memo);
    ASSERT_NE(object, nullptr);
    EXPECT_FALSE(object->HorzBar()->Shown()); // no horizontal bar any more
    EXPECT_TRUE(object->VertBar()->Shown());
}

TEST(SkinScrollbarLifetime, RowsAddedFromAWorkerDuringARunKeepTheCoverInStep) {
    ScrollForm t(ScrollSkinStore());
    auto* view = t.Add<TListView>(20, 20, 400, 380);
    view->SetViewStyle(vsReport);
    view->AddColumn()->SetCaption("No.");
    view->AddColumn()->SetCaption("File");
    t.Apply();
    auto* object = t.ObjectOf<TSkinListView>(view);
    ASSERT_NE(object, nullptr);
    EXPECT_FALSE(object->VertBar()->Shown());
    // The worker reports each file; the main thread adds its row.
    constexpr UINT kRow = WM_APP + 15;
    TWndProcHook hook(*t.form, [&](TMessage& m) {
        if (m.Msg == kRow) {
            TListItem* item = view->Items().Add();
            item->SetCaption(std::to_string(m.WParam));
            item->SubItems().Add("file" + std::to_string(m.WParam) + ".png");
            return;
        }
        hook.CallPrevious(m);
    });
    // The worker posts the next row only after the main thread has looked at the bars since the
    // last one, so a loaded machine cannot run all rows in before the first look.
    struct Feed {
        HWND target;
        HANDLE looked;
    } feed{t.form->WindowHandle(), CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    HWND target = feed.target;
    ASSERT_NE(feed.looked, nullptr);
    HANDLE worker = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* f = static_cast<Feed*>(p);
            for (int i = 0; i < 80; ++i) {
                PostMessageW(f->target, kRow, static_cast<WPARAM>(i), 0);
                WaitForSingleObject(f->looked, 2000);
                Sleep(8);
            }
            return 0;
        },
        &feed, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    std::vector<int> thumbSizes;
    int mismatches = 0, samples = 0;
    PumpUntil([&] {
        SCROLLBARINFO info{};
        skin::SkinScrollBarInfo(view->WindowHandle(), OBJID_VSCROLL, info);
        const bool visible = !(info.rgstate[0] & STATE_SYSTEM_INVISIBLE);
        if (visible) thumbSizes.push_back(info.xyThumbBottom - info.xyThumbTop);
        mismatches += visible != object->VertBar()->Shown();
        ++samples;
        SetEvent(feed.looked);
        return view->Items().Count() == 80;
    });
    WaitForSingleObject(worker, 5000);
    CloseHandle(worker);
    CloseHandle(feed.looked);
    Settle(target);
    EXPECT_EQ(view->Items().Count(), 80);
    ASSERT_TRUE(object->VertBar()->Shown());
    const SCROLLBARINFO info = BarInfo(view->WindowHandle(), OBJID_VSCROLL);
    const RECT cover = ScreenRect(object->VertBar()->Cover());
    EXPECT_TRUE(EqualRect(&info.rcScrollBar, &cover));
    EXPECT_EQ(object->VertBar()->ThumbStart(), info.xyThumbTop);
    EXPECT_EQ(object->VertBar()->ThumbEnd(), info.xyThumbBottom);
    // The cover came and stayed with the native bar; the thumb shrank as the list grew.
    EXPECT_GT(samples, 10);
    EXPECT_EQ(mismatches, 0);
    ASSERT_FALSE(thumbSizes.empty());
    EXPECT_GT(thumbSizes.front(), info.xyThumbBottom - info.xyThumbTop);
}

TEST(SkinScrollbarLifetime, FreeingTheFormObjectFreesEachSkinObjectOnceAndLeavesNativeBars) {
    ScrollForm t(ScrollSkinStore());
    TMemo* memo = t.Memo(20, 20, 300, 200, Lines(200, 80));
    auto* view = t.Add<TListView>(340, 20, 250, 200);
    view->SetViewStyle(vsReport);
    view->AddColumn()->SetCaption("One");
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinListView>(view), nullptr);
    HWND header = ListView_GetHeader(view->WindowHandle());
    ASSERT_EQ(SendMessageW(header, WM_SKIN_QUERY, 0, 0), 1);
    auto covers = [&] {
        int n = 0;
        EnumChildWindows(
            t.form->WindowHandle(),
            [](HWND w, LPARAM l) -> BOOL {
                wchar_t cls[32] = {};
                GetClassNameW(w, cls, 32);
                *reinterpret_cast<int*>(l) += lstrcmpW(cls, L"TWScrollbar") == 0;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&n));
        return n;
    };
    EXPECT_EQ(covers(), 2); // the memo's; the empty view shows no bar yet
    delete t.skin;          // the header's object is listed with the form and owned by the view's
    t.skin = nullptr;
    PumpFor(20);
    EXPECT_EQ(SendMessageW(header, WM_SKIN_QUERY, 0, 0), 0);
    EXPECT_EQ(memo->Perform(WM_SKIN_QUERY), 0);
    EXPECT_EQ(view->Perform(WM_SKIN_QUERY), 0);
    EXPECT_EQ(covers(), 0);
    // The memo scrolls on its own bar.
    SendMessageW(memo->WindowHandle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(GetScrollPos(memo->WindowHandle(), SB_VERT), 0);
    const RECT bar = BarInfo(memo->WindowHandle(), OBJID_VSCROLL).rcScrollBar;
    EXPECT_EQ(WindowFromPoint({(bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2}),
              memo->WindowHandle());
}

// ---------------------------------------------------------------- failures and messages

TEST(SkinScrollbarFailures, ADamagedSkinLeavesTheBarsNativeAndWorking) {
    ScrollForm t(DamagedStore());
    TMemo* memo = t.Memo(20, 20, 300, 200, Lines(300, 80));
    t.Apply();
    // Nothing to cover the bars with: the memo is left to the system altogether.
    EXPECT_EQ(t.ObjectOf<TSkinScrollbar>(memo), nullptr);
    EXPECT_EQ(memo->Perform(WM_SKIN_QUERY), 0);
    SendMessageW(memo->WindowHandle(), WM_MOUSEWHEEL,
                 MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(100, 100));
    PumpFor(20);
    EXPECT_GT(GetScrollPos(memo->WindowHandle(), SB_VERT), 0);
    // No window of ours lies over the memo's bar.
    const RECT bar = BarInfo(memo->WindowHandle(), OBJID_VSCROLL).rcScrollBar;
    const POINT middle{(bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2};
    EXPECT_EQ(WindowFromPoint(middle), memo->WindowHandle());
}

TEST(SkinScrollbarFailures, WithoutScrollBarInformationTheCoversStayHidden) {
    ScrollForm t(ScrollSkinStore());
    TMemo* memo = t.Memo(20, 20, 300, 200, Lines(300, 80));
    memo->SetTag(t.data->DisableTag);
    t.Apply();
    auto saved = skin::SkinPlatform().GetScrollBarInfo;
    skin::SkinPlatform().GetScrollBarInfo = nullptr;
    auto* object = new TSkinScrollbar(memo);
    object->AttachControl(t.skin, t.data, true, t.skin->ControlCanvas());
    Settle(t.form->WindowHandle());
    EXPECT_TRUE(object->Attached());
    EXPECT_FALSE(object->VertBar()->Shown());
    EXPECT_FALSE(object->HorzBar()->Shown());
    skin::SkinPlatform().GetScrollBarInfo = saved;
    // Back with the information, the next placement covers the bars.
    memo->SetBounds(20, 20, 310, 200);
    PumpFor(20);
    EXPECT_TRUE(object->VertBar()->Shown());
    delete object;
    PumpFor(10);
    EXPECT_EQ(memo->Perform(WM_SKIN_QUERY), 0);
}

TEST(SkinScrollbarFailures, BorderNotificationDrawsIntoTheGivenDcAndAnswersTheMark) {
    ScrollForm t(ScrollSkinStore());
    TMemo* memo = t.Memo(20, 20, 200, 120, Lines(10, 10));
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinScrollbar>(memo), nullptr);
    HWND wnd = memo->WindowHandle();
    const RECT r = ScreenRect(wnd);
    WindowDc screen(wnd);
    OffscreenBuffer buffer(screen.get(), r.right - r.left, r.bottom - r.top);
    TSkinControl::FillColour(buffer.dc(), RECT{0, 0, r.right - r.left, r.bottom - r.top}, 0x123456);
    EXPECT_EQ(SendMessageW(wnd, CN_SKIN_NCPAINT, reinterpret_cast<WPARAM>(buffer.dc()), kSkinMagic),
              kSkinMagic);
    EXPECT_EQ(static_cast<TColor>(GetPixel(buffer.dc(), 0, 30)), kScrollShadow);
    EXPECT_EQ(static_cast<TColor>(GetPixel(buffer.dc(), 1, 30)), kFace);
    EXPECT_EQ(static_cast<TColor>(GetPixel(buffer.dc(), 2, 30)), 0x123456);
    // Without a DC only the answer.
    EXPECT_EQ(SendMessageW(wnd, CN_SKIN_NCPAINT, 0, kSkinMagic), kSkinMagic);
}

// ---------------------------------------------------------------- the product skin

TEST(SkinScrollbarProduct, TheMainWindowsTextBoxesAndDownloadListAreSkinned) {
    auto form = MakeMainForm();
    ASSERT_TRUE(PumpUntil([&] { return form->mmo1->Perform(WM_SKIN_QUERY) == 1; }));
    for (TMemo* m : {form->mmo1, form->mmo2, form->mmo4})
        EXPECT_EQ(m->Perform(WM_SKIN_QUERY), 1) << m->Name();
    EXPECT_EQ(form->ListView1->Perform(WM_SKIN_QUERY), 1);
    HWND header = ListView_GetHeader(form->ListView1->WindowHandle());
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(SendMessageW(header, WM_SKIN_QUERY, 0, 0), 1);
    // A long reference list on step two: its bar is covered and drawn from the skin.
    std::string refs;
    for (int i = 0; i < 2000; ++i) refs += "url(images/a" + std::to_string(i) + ".png)\r\n";
    form->mmo1->Lines().SetText(refs);
    form->pgc1->SetActivePage(form->ts2);
    Settle(form->WindowHandle());
    HWND memo = form->mmo1->WindowHandle();
    HWND cover = nullptr;
    const RECT bar = BarInfo(memo, OBJID_VSCROLL).rcScrollBar;
    const POINT middle{(bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2};
    cover = WindowFromPoint(middle);
    ASSERT_NE(cover, memo);
    wchar_t cls[32] = {};
    GetClassNameW(cover, cls, 32);
    EXPECT_STREQ(cls, L"TWScrollbar");
    const RECT coverRect = ScreenRect(cover);
    EXPECT_TRUE(EqualRect(&coverRect, &bar));
    // The page-down key scrolls it and the cover goes with it.
    SetFocus(memo);
    SendMessageW(memo, WM_KEYDOWN, VK_NEXT, 0);
    Settle(form->WindowHandle());
    EXPECT_GT(GetScrollPos(memo, SB_VERT), 0);
    form->pgc1->SetActivePage(form->ts1);
    PumpFor(20);
    EXPECT_FALSE(IsWindowVisible(cover)); // its page is hidden with it
}

TEST(SkinScrollbarProduct, ThumbDragThroughAProductSkinCoverMatchesTheNativeBar) {
    ScrollForm t(ProductSkinStore(), 900, 560);
    const std::string text = Lines(3000, 40);
    TMemo* skinned = t.Memo(10, 10, 420, 380, text);
    TMemo* twin = t.Memo(450, 10, 420, 380, text, true);
    t.Apply();
    auto* object = t.ObjectOf<TSkinScrollbar>(skinned);
    ASSERT_NE(object, nullptr);
    Settle(t.form->WindowHandle());
    ASSERT_TRUE(object->VertBar()->Shown());
    // The product skin has the elements to draw the bar from.
    WindowDc screen(object->VertBar()->Cover());
    const RECT r = ScreenRect(object->VertBar()->Cover());
    OffscreenBuffer buffer(screen.get(), r.right - r.left, r.bottom - r.top);
    EXPECT_TRUE(object->VertBar()->PaintBar(buffer.dc()));
    auto make = [](HWND h) {
        const POINT start = OnBar(h, OBJID_VSCROLL, ThumbMiddle(h, OBJID_VSCROLL));
        return Press{start, {{start.x, start.y + 40}, {start.x, start.y + 90}}, 0};
    };
    Drive(skinned->WindowHandle(), object->VertBar(), true, make(skinned->WindowHandle()));
    Drive(twin->WindowHandle(), nullptr, true, make(twin->WindowHandle()));
    EXPECT_GT(GetScrollPos(skinned->WindowHandle(), SB_VERT), 0);
    EXPECT_EQ(GetScrollPos(skinned->WindowHandle(), SB_VERT),
              GetScrollPos(twin->WindowHandle(), SB_VERT));
}

TEST(SkinScrollbarProduct, ADownloadRunsRowsKeepTheListsCoverInStep) {
    HttpServer server;
    std::string css, refs, urls;
    constexpr int kImages = 60;
    for (int i = 0; i < kImages; ++i) {
        const std::string name = NumberedName("img/a", i, ".png");
        const std::string path = NumberedName("/img/a", i, ".png");
        server.AddFile(path, NumberedName("PNG-", i, ""));
        css += NumberedName("x", i, "{background:url(");
        css += name;
        css += ")}\n";
        refs += name;
        refs += "\r\n";
        urls += server.Url(path);
        urls += "\r\n";
    }
    TempDir pageDir;
    SetShellOpenFunction([](HWND, const std::string&) {});
    auto form = MakeMainForm();
    form->TestPageFolder = pageDir.Path();
    TempDir dir;
    const std::string cssPath = dir.Write("style.css", css);
    {
        DialogDriver driver(Widen(cssPath));
        SendMessageW(form->btn1->WindowHandle(), BM_CLICK, 0, 0);
        PumpFor(20);
    }
    form->mmo1->SetText(refs);
    form->mmo2->SetText(urls);
    form->pgc1->SetActivePage(form->ts4);
    ASSERT_TRUE(PumpUntil([&] { return form->ListView1->Perform(WM_SKIN_QUERY) == 1; }));
    HWND list = form->ListView1->WindowHandle();
    auto coverShown = [&] {
        SCROLLBARINFO info{};
        skin::SkinScrollBarInfo(list, OBJID_VSCROLL, info);
        const RECT& r = info.rcScrollBar;
        HWND at = WindowFromPoint({(r.left + r.right) / 2, r.top + 20});
        wchar_t cls[32] = {};
        GetClassNameW(at, cls, 32);
        return lstrcmpW(cls, L"TWScrollbar") == 0;
    };
    SendMessageW(form->btn5->WindowHandle(), BM_CLICK, 0, 0);
    int samples = 0, visible = 0, mismatches = 0;
    const bool ended = PumpUntil(
        [&] {
            SCROLLBARINFO info{};
            skin::SkinScrollBarInfo(list, OBJID_VSCROLL, info);
            const bool bar = !(info.rgstate[0] & STATE_SYSTEM_INVISIBLE) && IsWindowVisible(list);
            ++samples;
            visible += bar;
            mismatches += bar != coverShown();
            return form->RunEnded();
        },
        30000);
    SetShellOpenFunction(nullptr);
    ASSERT_TRUE(ended);
    Settle(form->WindowHandle());
    EXPECT_EQ(form->ListView1->Items().Count(), kImages);
    EXPECT_EQ(ReadAll(dir.Path() + "a59.png"), "PNG-59");
    EXPECT_GT(visible, 0); // the list outgrew its height while the rows came in
    EXPECT_EQ(mismatches, 0) << samples << " samples";
    form->pgc1->SetActivePage(form->ts4);
    Settle(form->WindowHandle());
    EXPECT_TRUE(coverShown());
}

// ---------------------------------------------------------------- a real drag off the bar and back

namespace {

// A press through the system's input queue starts its modal tracking loop inside the dispatch
// of that press: input queued from the test after it would wait for the loop to end, and the
// loop for that input. So every later move is fed from a thread timer, which the loop fires
// only once it has handled (and painted) everything before it. A watchdog lets the button up
// after three seconds, whatever happened.
struct RealDrag {
    POINT press{};
    std::vector<POINT> path;       // screen points, one per step; the button goes up at the last
    std::function<void(int)> look; // inside the loop, once step k's input has been handled
    HWND host = nullptr;           // holds the mouse while the loop runs
    int step = 0;
    bool started = false, done = false, watchdog = false, heldThroughout = true;

    static RealDrag*& Current() {
        static RealDrag* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        RealDrag* d = Current();
        if (!d || d->done) return;
        if (!d->started) {
            if (GetCapture() != d->host) return; // the loop has not begun yet
            d->started = true;
        }
        d->heldThroughout = d->heldThroughout && GetCapture() == d->host;
        d->look(d->step);
        const size_t k = static_cast<size_t>(d->step);
        if (k < d->path.size()) {
            INPUT move = realinput::MouseAt(d->path[k], 0);
            SendInput(1, &move, sizeof(INPUT));
        } else {
            INPUT up =
                realinput::MouseAt(d->path.empty() ? d->press : d->path.back(), MOUSEEVENTF_LEFTUP);
            SendInput(1, &up, sizeof(INPUT));
            d->done = true;
        }
        ++d->step;
    }
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        RealDrag* d = Current();
        if (!d || d->done) return;
        d->done = d->watchdog = true;
        INPUT up = realinput::MouseAt(d->press, MOUSEEVENTF_LEFTUP);
        SendInput(1, &up, sizeof(INPUT));
    }
    // True when the drag ran every step and the loop ended on its release.
    bool Run() {
        realinput::MoveTo(press);
        PumpFor(30);
        Current() = this;
        const UINT_PTR pace = SetTimer(nullptr, 0, 50, Tick);
        const UINT_PTR guard = SetTimer(nullptr, 0, 3000, Watchdog);
        INPUT down = realinput::MouseAt(press, MOUSEEVENTF_LEFTDOWN);
        SendInput(1, &down, sizeof(INPUT));
        const bool ended = PumpUntil([&] { return done && GetCapture() != host; }, 5000);
        KillTimer(nullptr, pace);
        KillTimer(nullptr, guard);
        Current() = nullptr;
        PumpFor(30);
        return ended && !watchdog && started;
    }
};

// One line of a bar's pixels along its axis, from `dc` at `origin`.
std::vector<TColor> BarLine(HDC dc, POINT origin, bool vertical, int length) {
    std::vector<TColor> line;
    for (int i = 0; i < length; ++i)
        line.push_back(static_cast<TColor>(vertical ? GetPixel(dc, origin.x, origin.y + i)
                                                    : GetPixel(dc, origin.x + i, origin.y)));
    return line;
}

// True when `line` shows the thumb that `pressed` showed at [from, from + size), moved to `to`.
::testing::AssertionResult ThumbMoved(const std::vector<TColor>& pressed,
                                      const std::vector<TColor>& line, int from, int size, int to) {
    for (int i = 0; i < size; ++i) {
        const size_t a = static_cast<size_t>(from + i), b = static_cast<size_t>(to + i);
        if (a >= pressed.size() || b >= line.size())
            return ::testing::AssertionFailure() << "thumb runs off the bar";
        if (pressed[a] != line[b])
            return ::testing::AssertionFailure()
                   << "thumb pixel " << i << " is " << std::hex << line[b] << " at " << std::dec
                   << to + i << ", was " << std::hex << pressed[a] << " at " << std::dec
                   << from + i;
    }
    return ::testing::AssertionSuccess();
}

// What a drag left: the scroll requests the control's own procedure got (code and position),
// the first visible line or position at each step, the drawn line of the bar at each step.
struct DragSeen {
    std::vector<std::string> requests;
    std::vector<int> scrolled;
    std::vector<std::vector<TColor>> lines;
    std::vector<int> coverThumb;
    bool ran = false, held = false;
    int end = 0;
};

std::string Request(WPARAM w) {
    const int code = LOWORD(w);
    char text[24];
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)
        wsprintfA(text, "%d:%d", code, static_cast<int>(HIWORD(w)));
    else
        wsprintfA(text, "%d", code);
    return text;
}

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& e : v) s += e + " ";
    return s;
}

// Press on the thumb's middle, drag 30 along, far off to the side (beyond the eight breadths
// the system allows across the bar) still 30 along, back onto the bar 60 along, release.
std::vector<POINT> OffAndBack(POINT press, bool vertical, int breadth) {
    auto along = [&](int d, int across = 0) {
        return vertical ? POINT{press.x + across, press.y + d}
                        : POINT{press.x + d, press.y + across};
    };
    return {along(30), along(30, -(breadth * 8 + 60)), along(60), along(60)};
}

} // namespace

namespace {

// The twins (0 skinned through `cover`, 1 native) each dragged off and back from the middle of
// their thumb; `object` names the bar for the system, `position` reads where a host is,
// `thumb` where the skinned thumb starts, `requests` the scroll requests each host got.
struct TwinDrags {
    HWND host[2]{};
    TWScrollbar* cover = nullptr;
    LONG object = OBJID_VSCROLL;
    bool vertical = true;
    std::function<int(int)> position;
    std::function<int()> thumb;
    MessageLog* requests = nullptr;
    DragSeen seen[2];

    void Run() {
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(i == 0 ? "skinned" : "native");
            const SCROLLBARINFO info = BarInfo(host[i], object);
            const RECT& r = info.rcScrollBar;
            const int breadth = vertical ? r.right - r.left : r.bottom - r.top;
            const int length = vertical ? r.bottom - r.top : r.right - r.left;
            const int middle = (info.xyThumbTop + info.xyThumbBottom) / 2;
            const POINT press = vertical ? POINT{(r.left + r.right) / 2, r.top + middle}
                                         : POINT{r.left + middle, (r.top + r.bottom) / 2};
            if (i == 0) {
                ASSERT_EQ(WindowFromPoint(press), cover->Cover());
            }
            requests[i].Clear();
            RealDrag drag;
            drag.press = press;
            drag.host = host[i];
            drag.path = OffAndBack(press, vertical, breadth);
            drag.look = [&](int) {
                seen[i].scrolled.push_back(position(i));
                if (i > 0) return;
                seen[i].coverThumb.push_back(thumb());
                HDC dc = GetDC(cover->Cover());
                const POINT at = vertical ? POINT{breadth / 2, 0} : POINT{0, breadth / 2};
                seen[i].lines.push_back(BarLine(dc, at, vertical, length));
                ReleaseDC(cover->Cover(), dc);
            };
            seen[i].ran = drag.Run();
            seen[i].held = drag.heldThroughout;
            for (const LoggedMessage& e : requests[i].Entries())
                seen[i].requests.push_back(Request(e.wParam));
            seen[i].end = position(i);
        }
        ExpectAlike();
    }
    // Both ran to their release holding the mouse; the native one tracked, was put back,
    // tracked again; the skinned one got the same requests and ended in the same place.
    void ExpectAlike() const {
        for (int i = 0; i < 2; ++i) {
            EXPECT_TRUE(seen[i].ran) << i;
            EXPECT_TRUE(seen[i].held) << i;
        }
        ASSERT_EQ(seen[1].scrolled.size(), 5u);
        EXPECT_GT(seen[1].scrolled[1], seen[1].scrolled[0]);
        EXPECT_EQ(seen[1].scrolled[2], seen[1].scrolled[0]);
        EXPECT_GT(seen[1].scrolled[3], seen[1].scrolled[1]);
        EXPECT_EQ(seen[0].requests, seen[1].requests)
            << Join(seen[0].requests) << "| " << Join(seen[1].requests);
        EXPECT_EQ(seen[0].scrolled, seen[1].scrolled);
        EXPECT_EQ(seen[0].end, seen[1].end);
        ASSERT_EQ(seen[0].lines.size(), 5u);
        ASSERT_EQ(seen[0].coverThumb.size(), 5u);
    }
    // The skinned thumb at step k is the thumb drawn at the press, moved to where `thumb` saw it.
    void ExpectDrawnWhereSeen(int size) const {
        const int from = seen[0].coverThumb[0];
        for (int k = 1; k < 4; ++k) {
            SCOPED_TRACE(k);
            EXPECT_TRUE(
                ThumbMoved(seen[0].lines[0], seen[0].lines[k], from, size, seen[0].coverThumb[k]));
        }
        EXPECT_EQ(seen[0].lines[2], seen[0].lines[0]);
    }
};

} // namespace

TEST(SkinScrollbarRealInput, AThumbDraggedFarOffSnapsBackAndTracksAgainLikeTheNativeBar) {
    for (bool product : {false, true}) {
        SCOPED_TRACE(product ? "product skin" : "scroll skin");
        ScrollForm t(product ? ProductSkinStore() : ScrollSkinStore(), 900, 560);
        const std::string text = Lines(3000, 150);
        TMemo* memo[2] = {t.Memo(10, 10, 420, 380, text), t.Memo(450, 10, 420, 380, text, true)};
        MessageLog logs[2];
        TWndProcHook recorders[2];
        for (int i = 0; i < 2; ++i)
            recorders[i].Install(*memo[i], [&, i](TMessage& m) {
                if (m.Msg == WM_VSCROLL) logs[i].Record(m.Msg, m.WParam, m.LParam);
                recorders[i].CallPrevious(m);
            });
        t.Apply();
        auto* object = t.ObjectOf<TSkinScrollbar>(memo[0]);
        ASSERT_NE(object, nullptr);
        TWScrollbar* cover = object->VertBar();
        SetForegroundWindow(t.form->WindowHandle());
        TwinDrags d;
        for (int i = 0; i < 2; ++i) {
            d.host[i] = memo[i]->WindowHandle();
            // From the middle, so putting the thumb back differs from pushing it to an end.
            SendMessageW(d.host[i], EM_LINESCROLL, 0, 1500);
        }
        Settle(t.form->WindowHandle());
        d.cover = cover;
        d.requests = logs;
        d.position = [&](int i) {
            return static_cast<int>(SendMessageW(d.host[i], EM_GETFIRSTVISIBLELINE, 0, 0));
        };
        d.thumb = [&] { return cover->ThumbStart(); };
        d.Run();
        if (HasFatalFailure()) return;
        // The cover drew the thumb 30 along, back where it was pressed (the first visible
        // line went back with it), then 60 along; and at the end where the system has it.
        const int from = d.seen[0].coverThumb[0];
        EXPECT_EQ(d.seen[0].coverThumb[1], from + 30);
        EXPECT_EQ(d.seen[0].coverThumb[2], from);
        EXPECT_EQ(d.seen[0].coverThumb[3], from + 60);
        d.ExpectDrawnWhereSeen(cover->ThumbEnd() - cover->ThumbStart());
        EXPECT_EQ(cover->ThumbStart(), BarInfo(d.host[0], OBJID_VSCROLL).xyThumbTop);
        EXPECT_FALSE(cover->Tracking());
    }
}

TEST(SkinScrollbarRealInput, AScrollBarControlsThumbDraggedFarOffSnapsBackLikeTheNativeControl) {
    for (bool product : {false, true}) {
        SCOPED_TRACE(product ? "product skin" : "scroll skin");
        ScrollForm t(product ? ProductSkinStore() : ScrollSkinStore(), 900, 560);
        TScrollBar* bar[2] = {t.Add<TScrollBar>(20, 400, 400, 17),
                              t.Add<TScrollBar>(460, 400, 400, 17)};
        MessageLog logs[2];
        TWndProcHook recorders[2];
        for (int i = 0; i < 2; ++i) {
            bar[i]->SetKind(sbHorizontal);
            bar[i]->SetBounds(20 + i * 440, 400, 400, 17);
            bar[i]->SetParams(450, 0, 1000);
            bar[i]->SetPageSize(100);
            recorders[i].Install(*bar[i], [&, i](TMessage& m) {
                if (m.Msg == CN_HSCROLL) logs[i].Record(m.Msg, m.WParam, m.LParam);
                recorders[i].CallPrevious(m);
            });
        }
        bar[1]->SetTag(t.data->DisableTag);
        t.Apply();
        auto* object = t.ObjectOf<TSkinScControl>(bar[0]);
        ASSERT_NE(object, nullptr);
        ASSERT_TRUE(object->Bar()->Shown());
        SetForegroundWindow(t.form->WindowHandle());
        Settle(t.form->WindowHandle());
        TwinDrags d;
        for (int i = 0; i < 2; ++i) d.host[i] = bar[i]->WindowHandle();
        d.cover = object->Bar();
        d.object = OBJID_CLIENT;
        d.vertical = false;
        d.requests = logs;
        d.position = [&](int i) { return bar[i]->Position(); };
        // A control's cover draws the system's own thumb, wherever the system has it.
        d.thumb = [&] { return BarInfo(d.host[0], OBJID_CLIENT).xyThumbTop; };
        d.Run();
        if (HasFatalFailure()) return;
        const int from = d.seen[0].coverThumb[0];
        EXPECT_GT(d.seen[0].coverThumb[1], from);
        EXPECT_EQ(d.seen[0].coverThumb[2], from);
        EXPECT_GT(d.seen[0].coverThumb[3], d.seen[0].coverThumb[1]);
        const SCROLLBARINFO info = BarInfo(d.host[0], OBJID_CLIENT);
        d.ExpectDrawnWhereSeen(info.xyThumbBottom - info.xyThumbTop);
    }
}
