// Skins changed while windows are up: switched to another skin through the skin data's
// SkinFile, taken off and put back through Active, with the manager's delays. A window whose
// skin is taken off equals the same window never skinned; a window switched to a skin equals
// one that started with it. Covers a toolkit form with a menu bar, an open message box and the
// control gallery, under the product skin and the geometry test skin.
#include "app_fixture.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "gallery_form.h"
#include "skin/controls/skin_control.h"
#include "skin/data/skin_manage.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/menus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

using namespace testskins;

namespace {

bool Skinned(HWND w) {
    return SendMessageW(w, WM_SKIN_QUERY, 0, 0) == 1;
}

// What a window shows the system besides its pixels.
struct WindowState {
    SIZE window{}, client{};
    LONG style = 0, exStyle = 0;
    LONG_PTR proc = 0;
    HMENU menu = nullptr;
    int region = 0; // GetWindowRgn's answer: ERROR when the window has none
};

WindowState StateOf(HWND w) {
    WindowState s;
    RECT r;
    GetWindowRect(w, &r);
    s.window = {r.right - r.left, r.bottom - r.top};
    GetClientRect(w, &r);
    s.client = {r.right, r.bottom};
    s.style = GetWindowLongW(w, GWL_STYLE);
    s.exStyle = GetWindowLongW(w, GWL_EXSTYLE);
    s.proc = GetWindowLongPtrW(w, GWLP_WNDPROC);
    s.menu = GetMenu(w);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    s.region = GetWindowRgn(w, probe);
    DeleteObject(probe);
    return s;
}

void ExpectSameState(const WindowState& a, const WindowState& b, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(a.window.cx, b.window.cx);
    EXPECT_EQ(a.window.cy, b.window.cy);
    EXPECT_EQ(a.client.cx, b.client.cx);
    EXPECT_EQ(a.client.cy, b.client.cy);
    EXPECT_EQ(a.style, b.style);
    EXPECT_EQ(a.exStyle, b.exStyle);
    EXPECT_EQ(a.proc, b.proc);
    EXPECT_EQ(a.menu, b.menu);
    EXPECT_EQ(a.region, b.region);
}

// Pixels that differ; the whole count when the sizes differ.
long Differing(const Pixels& a, const Pixels& b) {
    if (a.w != b.w || a.h != b.h) return static_cast<long>(std::max(a.px.size(), b.px.size()));
    long n = 0;
    for (size_t i = 0; i < a.px.size(); ++i) n += a.px[i] != b.px[i];
    return n;
}

void Redraw(HWND w) {
    RedrawWindow(w, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(30);
}

// The window's pixels; those outside its region are not on screen and read as one colour.
Pixels Shot(HWND w) {
    Redraw(w);
    Pixels p(w);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(w, region) != ERROR)
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x)
                if (!PtInRegion(region, x, y)) p.px[static_cast<size_t>(y) * p.w + x] = 0xFF00FF;
    DeleteObject(region);
    return p;
}

// A skin store written to a file, for SkinFile.
struct SkinFile {
    std::string path;
    SkinFile(const std::vector<std::uint8_t>& store, const char* name) {
        char dir[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, dir);
        path = std::string(dir) + "corvane_switch_" + name + ".skin";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f) {
            std::fwrite(store.data(), 1, store.size(), f);
            std::fclose(f);
        }
    }
    ~SkinFile() { DeleteFileA(path.c_str()); }
};

// The process's manager with one main-form component, switched on and off through Active as
// the program does; the windows are skinned by the manager's hook and commands.
struct Switcher {
    // The tests that follow find the manager as it was: none, or its count and switch.
    ScopedSkinManager scope;
    TSkinManage* m = scope.get();
    TSkinData* data = nullptr;
    std::unique_ptr<TComponent> holder = std::make_unique<TComponent>(nullptr);
    int changes = 0;
    explicit Switcher(const std::vector<std::uint8_t>& store) {
        data = MakeSkinData(store, holder.get());
        data->OnSkinChanged = [this](TObject*) { ++changes; };
        m->Register(*data);
        m->InstallHook();
        m->SetActiveCount(1);
        m->SetEnabled(false);
    }
    ~Switcher() {
        holder.reset();
        PumpFor(20);
    }
    // Active with the component's own delay, waited out.
    void SetActive(bool on) {
        data->SetActive(on);
        EXPECT_TRUE(PumpUntilNoCommandPending(*m));
    }
    void Load(const SkinFile& file) {
        data->SetSkinFile(file.path);
        EXPECT_TRUE(PumpUntilNoCommandPending(*m));
    }
};

// A toolkit form with a menu bar and a few plain controls.
struct MenuForm {
    std::unique_ptr<TForm> form;
    TMainMenu* menu = nullptr;
    MenuForm() {
        form = std::make_unique<TForm>(&TestApplication());
        form->SetCaption("Switch");
        form->SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
        form->SetBounds(90, 70, 360, 260);
        menu = new TMainMenu(form.get());
        for (const char* caption : {"&File", "&Edit", "&Help"}) {
            auto* top = new TMenuItem(form.get());
            top->SetCaption(caption);
            auto* item = new TMenuItem(form.get());
            item->SetCaption("Item");
            top->Add(item);
            menu->Items()->Add(top);
        }
        form->SetMenu(menu);
        form->SetAutoScroll(true); // the skin turns it off while it is on
        auto* label = new TLabel(form.get());
        label->SetParent(form.get());
        label->SetBounds(12, 12, 120, 16);
        label->SetCaption("Label");
        SetCursorPos(2, 2); // nothing under the mouse turns hot
        form->Show();
        SetForegroundWindow(Wnd());
        PumpFor(30);
    }
    HWND Wnd() const { return form->WindowHandle(); }
};

} // namespace

// ---------------------------------------------------------------- forms

// A switch from `first` to `second` on a form with a menu bar equals a cold start with
// `second`; taking the skin off gives the native window back.
void SwitchMenuForm(const std::vector<std::uint8_t>& first,
                    const std::vector<std::uint8_t>& second) {
    SkinFile secondFile(second, "second");
    Switcher s(first);
    std::optional<Pixels> cold;
    int coldRegion = 0;
    {
        // A cold start with the second skin.
        Switcher c(second);
        c.SetActive(true);
        MenuForm f;
        PumpUntil([&] { return Skinned(f.Wnd()); }, 1000);
        ASSERT_TRUE(Skinned(f.Wnd()));
        PumpFor(100);
        cold = Shot(f.Wnd());
        coldRegion = StateOf(f.Wnd()).region;
    }
    MenuForm f;
    ASSERT_FALSE(Skinned(f.Wnd()));
    const WindowState native = StateOf(f.Wnd());
    const Pixels nativePixels = Shot(f.Wnd());
    s.SetActive(true);
    ASSERT_TRUE(Skinned(f.Wnd()));
    const WindowState firstState = StateOf(f.Wnd());
    EXPECT_EQ(firstState.client.cx, native.client.cx);
    EXPECT_EQ(firstState.client.cy, native.client.cy);
    EXPECT_EQ(firstState.menu, nullptr); // the skin draws the menu bar
    EXPECT_FALSE(f.form->AutoScroll());
    // A popup menu the form gained while skinned is skinned with the next skin.
    auto* popup = new TPopupMenu(f.form.get());
    auto* item = new TMenuItem(f.form.get());
    item->SetCaption("Item");
    popup->Items()->Add(item);
    s.Load(secondFile);
    EXPECT_TRUE(popup->OwnerDraw());
    EXPECT_FALSE(s.data->SkinNotLoaded);
    ASSERT_TRUE(Skinned(f.Wnd()));
    PumpFor(100);
    const Pixels live = Shot(f.Wnd());
    const WindowState liveState = StateOf(f.Wnd());
    EXPECT_EQ(liveState.region, coldRegion) << "the region follows the new skin";
    EXPECT_EQ(StateOf(f.Wnd()).client.cy, native.client.cy) << "the client keeps its size";
    EXPECT_EQ(Differing(live, *cold), 0) << "switched live equals a cold start";
    s.SetActive(false);
    EXPECT_FALSE(Skinned(f.Wnd()));
    ExpectSameState(StateOf(f.Wnd()), native, "skin taken off");
    EXPECT_EQ(f.form->Color(), clBtnFace);
    EXPECT_TRUE(f.form->AutoScroll());
    EXPECT_FALSE(popup->OwnerDraw());
    EXPECT_EQ(Differing(Shot(f.Wnd()), nativePixels), 0) << "off equals never skinned";
    // And on again with the same skin.
    s.SetActive(true);
    EXPECT_TRUE(Skinned(f.Wnd()));
    PumpFor(100);
    EXPECT_EQ(Differing(Shot(f.Wnd()), *cold), 0) << "on again equals a cold start";
}

TEST(SkinSwitchForms, MenuFormFromProductToGeometrySkinOffAndOn) {
    SwitchMenuForm(ProductSkinStore(), GeometrySkinStore());
}

TEST(SkinSwitchForms, MenuFormFromGeometryToProductSkinOffAndOn) {
    SwitchMenuForm(GeometrySkinStore(), ProductSkinStore());
}

namespace {
std::unique_ptr<TGalleryForm> ShowGallery() {
    auto gallery = std::make_unique<TGalleryForm>(&TestApplication());
    SetCursorPos(2, 2);
    // The marquee moves on its own: no two pictures of it are alike.
    gallery->Find<TProgressBar>("Marquee")->SetVisible(false);
    gallery->Show();
    PumpFor(100);
    return gallery;
}
} // namespace

namespace {
// The gallery in a program started with `store`.
Pixels ColdGallery(const std::vector<std::uint8_t>& store) {
    Switcher c(store);
    c.SetActive(true);
    auto g = ShowGallery();
    PumpUntil([&] { return Skinned(g->WindowHandle()); }, 1000);
    PumpFor(100);
    return Shot(g->WindowHandle());
}
} // namespace

TEST(SkinSwitchForms, GalleryFollowsSwitchOffAndOn) {
    SkinFile geometry(GeometrySkinStore(), "gallery");
    const std::optional<Pixels> cold = ColdGallery(GeometrySkinStore());
    Switcher s(ProductSkinStore());
    auto gallery = ShowGallery();
    HWND w = gallery->WindowHandle();
    ASSERT_FALSE(Skinned(w));
    const WindowState native = StateOf(w);
    const Pixels nativePixels = Shot(w);
    const TColor colour = gallery->Color();
    s.SetActive(true);
    ASSERT_TRUE(Skinned(w));
    TWinSkinForm* object = s.m->FindSkinnedForm(w);
    ASSERT_NE(object, nullptr);
    EXPECT_FALSE(object->SkinnedControls().empty());
    const int productTitle = object->TitleHeight();
    s.Load(geometry);
    ASSERT_EQ(s.m->FindSkinnedForm(w), object) << "a switch keeps the window's object";
    EXPECT_EQ(object->TitleHeight(), kTitle);
    EXPECT_NE(object->TitleHeight(), productTitle);
    EXPECT_EQ(object->LeftWidth(), kLeft);
    EXPECT_EQ(StateOf(w).client.cx, native.client.cx);
    EXPECT_EQ(StateOf(w).client.cy, native.client.cy);
    EXPECT_EQ(gallery->Color(), kFace) << "the form takes the new skin's face colour";
    Redraw(w);
    EXPECT_EQ(Pixels(w).At(native.window.cx / 2, 1), kTopActive);
    // Every control follows the switch too: the whole window equals the cold start.
    EXPECT_EQ(Differing(Shot(w), *cold), 0) << "switched live equals a cold start";
    s.SetActive(false);
    EXPECT_FALSE(Skinned(w));
    ExpectSameState(StateOf(w), native, "gallery off");
    EXPECT_EQ(gallery->Color(), colour);
    EXPECT_EQ(Differing(Shot(w), nativePixels), 0) << "off equals never skinned";
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        EXPECT_FALSE(Skinned(c)) << "no control keeps a skin object";
    s.SetActive(true);
    EXPECT_TRUE(Skinned(w));
    EXPECT_EQ(s.m->FindSkinnedForm(w)->TitleHeight(), kTitle);
    PumpFor(100);
    EXPECT_EQ(Differing(Shot(w), *cold), 0) << "on again equals a cold start";
    gallery.reset();
    PumpFor(20);
}

TEST(SkinSwitchForms, GallerySwitchedToTheProductSkinEqualsAColdStart) {
    SkinFile product(ProductSkinStore(), "gallery_product");
    const Pixels cold = ColdGallery(ProductSkinStore());
    Switcher s(GeometrySkinStore());
    auto gallery = ShowGallery();
    s.SetActive(true);
    ASSERT_TRUE(Skinned(gallery->WindowHandle()));
    s.Load(product);
    PumpFor(100);
    EXPECT_EQ(Differing(Shot(gallery->WindowHandle()), cold), 0)
        << "switched live equals a cold start";
    gallery.reset();
    PumpFor(20);
}

namespace {
// WM_PAINT messages each window is given, counted in front of every other procedure.
struct PaintCounter {
    static inline std::map<HWND, std::pair<WNDPROC, int>>* windows = nullptr;
    std::map<HWND, std::pair<WNDPROC, int>> counted;
    explicit PaintCounter(const std::vector<HWND>& list) {
        windows = &counted;
        for (HWND w : list)
            counted[w] = {reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                              w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc))),
                          0};
    }
    ~PaintCounter() {
        for (auto& [w, entry] : counted)
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.first));
        windows = nullptr;
    }
    int Paints(HWND w) const { return counted.at(w).second; }
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto& entry = windows->at(w);
        if (msg == WM_PAINT) ++entry.second;
        return CallWindowProcW(entry.first, w, msg, wp, lp);
    }
};
} // namespace

// A switch sets the window up once and paints it and each of its controls once, after all of
// them have the new skin: not once per control as each is set up, and not again when the
// manager's refresh follows the data component's.
TEST(SkinSwitchForms, ASwitchPaintsTheWindowAndEachControlOnce) {
    SkinFile geometry(GeometrySkinStore(), "paints");
    Switcher s(ProductSkinStore());
    auto gallery = ShowGallery();
    HWND w = gallery->WindowHandle();
    s.SetActive(true);
    ASSERT_TRUE(Skinned(w));
    PumpFor(100);
    std::vector<HWND> controls;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (Skinned(c) && IsWindowVisible(c)) controls.push_back(c);
    ASSERT_GE(controls.size(), 5u);
    std::vector<HWND> all = controls;
    all.push_back(w);
    {
        PaintCounter counter(all);
        const int before = s.changes;
        s.Load(geometry);
        ASSERT_GT(s.changes, before);
        EXPECT_EQ(s.m->FindSkinnedForm(w)->TitleHeight(), kTitle);
        EXPECT_EQ(counter.Paints(w), 1) << "the window";
        for (HWND c : controls) {
            char name[64] = {};
            GetClassNameA(c, name, 64);
            EXPECT_EQ(counter.Paints(c), 1) << name;
        }
    }
    gallery.reset();
    PumpFor(20);
}

// ---------------------------------------------------------------- a message box

namespace {
// Runs `steps` one after another from a timer while a message box is up, then closes the box.
// A step returns false to be asked again on the next tick; the box is closed after 8 s come
// what may, so no test waits on it.
struct BoxDriver {
    std::vector<std::function<bool(HWND box)>> steps;
    size_t next = 0;
    HWND box = nullptr;
    DWORD started = 0;
    bool closed = false, inStep = false;
    static BoxDriver* current;

    static BOOL CALLBACK FindBox(HWND w, LPARAM l) {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (IsWindowVisible(w) && wcscmp(cls, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(l) = w;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        BoxDriver* d = current;
        // A step that pumps messages must not see the next tick inside itself.
        if (!d || d->closed || d->inStep) return;
        if (!d->box)
            EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&d->box));
        const bool late = GetTickCount() - d->started > 8000;
        if (d->box && !late && d->next < d->steps.size()) {
            d->inStep = true;
            const bool done = d->steps[d->next](d->box);
            d->inStep = false;
            if (done) ++d->next;
            return;
        }
        if (d->box || late) {
            d->closed = true;
            KillTimer(nullptr, id);
            if (d->box) PostMessageW(d->box, WM_COMMAND, IDOK, 0);
        }
    }
    static void CALLBACK Open(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        SetTimer(nullptr, 0, 30, Tick);
        MessageBoxW(nullptr, L"Switching", L"Box", MB_OK);
    }
    void Run() {
        current = this;
        started = GetTickCount();
        SetTimer(nullptr, 0, 10, Open);
        PumpUntil([&] { return closed; }, 10000);
        PumpFor(50);
        current = nullptr;
    }
};
BoxDriver* BoxDriver::current = nullptr;

// Takes the skin off while the message box that `open` brings up from a handler of the program
// is up; `inside` runs past the command's delay, the box still up. True when both steps ran.
bool OffWhileABoxIsUp(Switcher& s, const std::function<void()>& open,
                      const std::function<void()>& inside) {
    BoxDriver d;
    int ticks = 0;
    d.steps = {
        [&](HWND) {
            s.data->SetActive(false);
            return true;
        },
        [&](HWND) {
            if (++ticks < 15) return false; // 450 ms
            inside();
            return true;
        },
    };
    BoxDriver::current = &d;
    d.started = GetTickCount();
    SetTimer(nullptr, 0, 30, BoxDriver::Tick);
    open();
    PumpUntil([&] { return d.closed; }, 10000);
    PumpFor(50);
    BoxDriver::current = nullptr;
    return d.next == d.steps.size();
}
} // namespace

TEST(SkinSwitchForms, AnOpenMessageBoxIsSkinnedSwitchedAndTakenOff) {
    SkinFile geometry(GeometrySkinStore(), "box");
    std::optional<Pixels> cold;
    {
        // The same box started with the geometry skin.
        Switcher c(GeometrySkinStore());
        c.SetActive(true);
        BoxDriver first;
        int settled = 0;
        first.steps = {[&](HWND box) {
            if (!Skinned(box) || ++settled < 4) return false; // skinned and painted
            cold = Shot(box);
            return true;
        }};
        first.Run();
        ASSERT_TRUE(cold.has_value());
    }
    Switcher s(ProductSkinStore());
    WindowState native{}, skinned{};
    std::optional<Pixels> nativePixels;
    DWORD waitFrom = 0;
    BoxDriver d;
    auto after = [&](int ms) {
        if (!waitFrom) waitFrom = GetTickCount();
        if (GetTickCount() - waitFrom < static_cast<DWORD>(ms)) return false;
        waitFrom = 0;
        return true;
    };
    d.steps = {
        [&](HWND box) {
            if (!after(100)) return false; // the box has painted itself
            EXPECT_FALSE(Skinned(box));
            native = StateOf(box);
            nativePixels = Shot(box);
            s.data->SetActive(true); // skin all, after 250 ms
            return true;
        },
        [&](HWND box) {
            if (!after(400)) return false;
            EXPECT_TRUE(Skinned(box)) << "skin all reaches an open message box";
            skinned = StateOf(box);
            s.data->SetSkinFile(geometry.path);
            return true;
        },
        [&](HWND box) {
            if (!after(400)) return false;
            EXPECT_TRUE(Skinned(box));
            Redraw(box);
            EXPECT_EQ(Pixels(box).At(StateOf(box).window.cx / 2, 1), kTopActive)
                << "switched to geometry";
            // The geometry skin's title needs no wider box for the caption; the product's did.
            EXPECT_EQ(StateOf(box).client.cx, native.client.cx);
            EXPECT_EQ(StateOf(box).client.cy, skinned.client.cy);
            EXPECT_EQ(Differing(Shot(box), *cold), 0) << "switched live equals a cold start";
            s.data->SetActive(false);
            return true;
        },
        [&](HWND box) {
            if (!after(400)) return false;
            EXPECT_FALSE(Skinned(box));
            ExpectSameState(StateOf(box), native, "message box off");
            EXPECT_EQ(Differing(Shot(box), *nativePixels), 0) << "off equals never skinned";
            return true;
        },
    };
    d.Run();
    EXPECT_TRUE(d.closed);
    EXPECT_EQ(d.next, d.steps.size()) << "every step ran while the box was up";
}

// ---------------------------------------------------------------- the manager

TEST(SkinSwitchManager, ActiveAndSkinFileKeepTheirDelaysAndRaiseTheEventAfter) {
    SkinFile geometry(GeometrySkinStore(), "delays");
    Switcher s(ProductSkinStore());
    MenuForm f;
    DWORD posted = GetTickCount();
    s.data->SetActive(true);
    EXPECT_TRUE(CommandRunsAfterItsDelay(*s.m, posted, skin::kSkinCommandDelayMs,
                                         [&] { return Skinned(f.Wnd()); }));
    EXPECT_TRUE(Skinned(f.Wnd()));
    EXPECT_EQ(s.changes, 1);
    // A new skin reaches the skinned forms at once; the refresh and the event follow.
    posted = GetTickCount();
    s.data->SetSkinFile(geometry.path);
    TWinSkinForm* object = s.m->FindSkinnedForm(f.Wnd());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->TitleHeight(), kTitle);
    EXPECT_EQ(s.m->PendingCommand(), skin::kRefreshCommand);
    EXPECT_EQ(s.changes, 1);
    EXPECT_TRUE(CommandRunsAfterItsDelay(*s.m, posted, skin::kSkinCommandDelayMs,
                                         [&] { return s.changes == 2; }));
    EXPECT_EQ(s.changes, 2);
    posted = GetTickCount();
    s.data->SetActive(false);
    EXPECT_TRUE(CommandRunsAfterItsDelay(*s.m, posted, skin::kSkinCommandDelayMs,
                                         [&] { return !Skinned(f.Wnd()); }));
    EXPECT_FALSE(Skinned(f.Wnd()));
    EXPECT_EQ(s.changes, 3);
    // Windows created while the skin is off stay native; switched on, they are skinned too.
    MenuForm later;
    PumpFor(100);
    EXPECT_FALSE(Skinned(later.Wnd()));
    // Switched on and given another skin at once: the skin all that is pending still runs,
    // with the skin given last.
    SkinFile product(ProductSkinStore(), "delays_product");
    s.data->SetActive(true);
    s.data->SetSkinFile(product.path);
    EXPECT_EQ(s.m->PendingCommand(), skin::kSkinAllCommand);
    EXPECT_TRUE(PumpUntilNoCommandPending(*s.m));
    EXPECT_TRUE(Skinned(later.Wnd()));
    EXPECT_TRUE(Skinned(f.Wnd()));
    ASSERT_NE(s.m->FindSkinnedForm(f.Wnd()), nullptr);
    EXPECT_NE(s.m->FindSkinnedForm(f.Wnd())->TitleHeight(), kTitle);
    s.Load(geometry);
    // A file that is no skin leaves every window with the skin it has.
    SkinFile damaged(DamagedStore(), "damaged");
    Redraw(f.Wnd());
    const int mid = StateOf(f.Wnd()).window.cx / 2;
    const TColor title = Pixels(f.Wnd()).At(mid, 1);
    s.Load(damaged);
    EXPECT_TRUE(Skinned(f.Wnd()));
    EXPECT_EQ(s.m->FindSkinnedForm(f.Wnd())->TitleHeight(), kTitle);
    Redraw(f.Wnd());
    EXPECT_EQ(Pixels(f.Wnd()).At(mid, 1), title);
}

TEST(SkinSwitchManager, UnregisteringAComponentUnskinsItsWindows) {
    auto s = std::make_unique<Switcher>(GeometrySkinStore());
    MenuForm a, b;
    const WindowState native = StateOf(a.Wnd());
    s->SetActive(true);
    ASSERT_TRUE(Skinned(a.Wnd()));
    ASSERT_TRUE(Skinned(b.Wnd()));
    TSkinManage* m = s->m;
    s->holder.reset(); // the component goes
    PumpFor(50);
    EXPECT_FALSE(Skinned(a.Wnd()));
    EXPECT_FALSE(Skinned(b.Wnd()));
    EXPECT_TRUE(m->SkinnedForms().empty()) << "no object is left behind for the windows";
    ExpectSameState(StateOf(a.Wnd()), native, "unregistered");
    s.reset();
}

namespace {
// Runs `inside` from a timer while `enter` runs a modal loop on the UI thread; `inside` ends
// the loop when it returns true. A stuck loop is ended after 5 s.
struct InsideLoop {
    static std::function<bool()>* inside;
    static std::function<void()>* end;
    static DWORD started;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        if ((inside && (*inside)()) || GetTickCount() - started > 5000) {
            KillTimer(nullptr, id);
            inside = nullptr;
            if (end) (*end)();
        }
    }
    static void Run(std::function<bool()> in, std::function<void()> stop,
                    const std::function<void()>& enter) {
        inside = &in;
        end = &stop;
        started = GetTickCount();
        SetTimer(nullptr, 0, 20, Tick);
        enter();
        inside = nullptr;
        end = nullptr;
    }
    // `change` at the first tick of a keyboard move loop of `w`, `inside` 500 ms later (twice
    // a command's delay) with the loop still running. True when the loop ran.
    static bool MoveLoop(HWND w, const std::function<void()>& change,
                         const std::function<void()>& inside) {
        int ticks = 0;
        bool sawLoop = false;
        Run(
            [&] {
                if (++ticks == 1) {
                    GUITHREADINFO info{sizeof(info)};
                    GetGUIThreadInfo(GetCurrentThreadId(), &info);
                    sawLoop = (info.flags & GUI_INMOVESIZE) != 0;
                    change();
                }
                if (ticks < 25) return false;
                inside();
                return true;
            },
            [&] { PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0); },
            [&] {
                RECT r;
                GetWindowRect(w, &r);
                SetCursorPos(r.left + 60, r.top + 8);
                PostMessageW(w, WM_KEYDOWN, VK_RIGHT, 0);
                SendMessageW(w, WM_SYSCOMMAND, SC_MOVE, 0);
            });
        return sawLoop;
    }
    // The same with a popup menu of `form` tracking.
    static void Menu(TComponent* form, const std::function<void()>& change,
                     const std::function<void()>& inside) {
        // Deleted, not left to the stack: a skinned form that made it owner-drawn hears it go.
        auto popup = std::make_unique<TPopupMenu>(form);
        auto* item = new TMenuItem(popup.get());
        item->SetCaption("Item");
        popup->Items()->Add(item);
        int ticks = 0;
        Run(
            [&] {
                if (++ticks == 1) change();
                if (ticks < 25) return false;
                inside();
                return true;
            },
            [] { EndMenu(); }, [&] { popup->Popup(120, 120); });
    }
};
std::function<bool()>* InsideLoop::inside = nullptr;
std::function<void()>* InsideLoop::end = nullptr;
DWORD InsideLoop::started = 0;
} // namespace

TEST(SkinSwitchManager, TakingTheSkinOffWaitsForAMoveLoopAndAMenu) {
    Switcher s(GeometrySkinStore());
    MenuForm f;
    s.SetActive(true);
    ASSERT_TRUE(Skinned(f.Wnd()));
    HWND w = f.Wnd();
    // A move loop: the unskin command waits until it is over.
    bool skinnedInside = false;
    EXPECT_TRUE(InsideLoop::MoveLoop(
        w, [&] { s.data->SetActive(false); }, [&] { skinnedInside = Skinned(w); }))
        << "the move loop ran";
    EXPECT_TRUE(skinnedInside) << "no unskinning inside the move loop";
    EXPECT_TRUE(PumpUntilNoCommandPending(*s.m));
    EXPECT_FALSE(Skinned(w)) << "unskinned once the loop is over";
    // A popup menu up: the same.
    s.SetActive(true);
    ASSERT_TRUE(Skinned(w));
    skinnedInside = false;
    InsideLoop::Menu(
        f.form.get(), [&] { s.data->SetActive(false); }, [&] { skinnedInside = Skinned(w); });
    EXPECT_TRUE(skinnedInside) << "no unskinning while a menu is up";
    EXPECT_TRUE(PumpUntilNoCommandPending(*s.m));
    EXPECT_FALSE(Skinned(w));
}

TEST(SkinSwitchManager, ANewSkinWaitsForAMoveLoopAndAMenu) {
    SkinFile geometry(GeometrySkinStore(), "loop_geometry");
    SkinFile product(ProductSkinStore(), "loop_product");
    Switcher s(ProductSkinStore());
    MenuForm f;
    s.SetActive(true);
    HWND w = f.Wnd();
    TWinSkinForm* object = s.m->FindSkinnedForm(w);
    ASSERT_NE(object, nullptr);
    const int productTitle = object->TitleHeight();
    ASSERT_NE(productTitle, kTitle);
    // A move loop: the forms take the new skin once it is over.
    int titleInside = 0;
    EXPECT_TRUE(InsideLoop::MoveLoop(
        w, [&] { s.data->SetSkinFile(geometry.path); },
        [&] { titleInside = object->TitleHeight(); }))
        << "the move loop ran";
    EXPECT_EQ(titleInside, productTitle) << "no reload inside the move loop";
    PumpUntil([&] { return s.m->FindSkinnedForm(w) != object || object->TitleHeight() == kTitle; },
              10000);
    ASSERT_EQ(s.m->FindSkinnedForm(w), object);
    EXPECT_EQ(object->TitleHeight(), kTitle) << "reloaded once the loop is over";
    // A popup menu up: the same, back to the product skin.
    InsideLoop::Menu(
        f.form.get(), [&] { s.data->SetSkinFile(product.path); },
        [&] { titleInside = object->TitleHeight(); });
    EXPECT_EQ(titleInside, kTitle) << "no reload while a menu is up";
    PumpUntil(
        [&] { return s.m->FindSkinnedForm(w) != object || object->TitleHeight() == productTitle; },
        10000);
    EXPECT_EQ(object->TitleHeight(), productTitle) << "reloaded once the menu is closed";
}

TEST(SkinSwitchForms, TitleButtonsAndPiecesNeverOutliveTheSkinTheyCameFrom) {
    // Skinned by hand: the component loads another skin with no refresh behind it.
    auto form = std::make_unique<TForm>(&TestApplication());
    form->SetTag(99);
    form->SetCaption("Stale");
    form->SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
    form->SetBounds(100, 100, 320, 240);
    form->Show();
    PumpFor(10);
    TSkinData* data = MakeSkinData(GeometrySkinStore(), form.get());
    auto* skin = new TWinSkinForm(form.get());
    skin->Handle = form->WindowHandle();
    skin->Attach(data, form.get());
    SendMessageW(form->WindowHandle(), WM_SKIN_APPLY, 0, kSkinApplyTag);
    PumpFor(20);
    RECT r;
    GetWindowRect(form->WindowHandle(), &r);
    const POINT close{(r.right - r.left) - kCloseX + kButtonW / 2, kButtonY + kButtonH / 2};
    ASSERT_NE(skin->FindTitleButton(close), nullptr);
    Redraw(form->WindowHandle());
    ASSERT_EQ(Pixels(form->WindowHandle()).At(160, 1), kTopActive);
    data->Store = ProductSkinStore();
    ASSERT_TRUE(data->LoadSkin());
    EXPECT_FALSE(skin->SkinCurrent());
    EXPECT_EQ(skin->FindTitleButton(close), nullptr) << "no button of the skin that went";
    Redraw(form->WindowHandle());
    EXPECT_NE(Pixels(form->WindowHandle()).At(160, 1), kTopActive)
        << "the title is cut from the new skin's piece";
    skin->ReloadSkin();
    EXPECT_TRUE(skin->SkinCurrent());
    EXPECT_FALSE(skin->TitleButtons().empty());
    form.reset();
}

TEST(SkinSwitchManager, NoHandleGrowthOverFiftySwitches) {
    SkinFile product(ProductSkinStore(), "leak_product");
    SkinFile geometry(GeometrySkinStore(), "leak_geometry");
    Switcher s(ProductSkinStore());
    MenuForm f;
    s.SetActive(true);
    ASSERT_TRUE(Skinned(f.Wnd()));
    auto cycle = [&] {
        s.data->SetSkinFile(geometry.path);
        s.data->SetSkinFile(product.path);
        s.m->SetChanging(*s.data);
        s.m->PostCommand(skin::kUnskinAllCommand, 1);
        PumpUntil([&] { return !Skinned(f.Wnd()); }, 1000);
        s.m->SetChanging(*s.data);
        s.m->PostCommand(skin::kSkinAllCommand, 1);
        PumpUntil([&] { return Skinned(f.Wnd()); }, 1000);
    };
    cycle(); // warm-up: fonts and caches
    PumpFor(50);
    const int thunks = LiveSubclassThunks();
    const GuiCounts before = CurrentGuiCounts();
    ASSERT_GT(before.gdi, 0) << "the GDI handle table cannot be read";
    for (int i = 0; i < 50; ++i) cycle();
    PumpFor(50);
    ASSERT_TRUE(Skinned(f.Wnd()));
    const GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    EXPECT_EQ(LiveSubclassThunks(), thunks);
}

TEST(SkinSwitchManager, ASystemMenuUpOutlivesItsComponentGoing) {
    auto s = std::make_unique<Switcher>(GeometrySkinStore());
    MenuForm f;
    s->SetActive(true);
    TWinSkinForm* object = s->m->FindSkinnedForm(f.Wnd());
    ASSERT_NE(object, nullptr);
    HMENU shown = nullptr;
    bool menuLived = false, unskinned = false;
    int ticks = 0;
    InsideLoop::Run(
        [&] {
            if (++ticks == 1) {
                shown = object->SystemMenuPopup() ? object->SystemMenuPopup()->Handle() : nullptr;
                s->holder.reset(); // the component goes while its system menu is up
                return false;
            }
            menuLived = shown && IsMenu(shown);
            unskinned = !Skinned(f.Wnd());
            return true;
        },
        [] { EndMenu(); },
        [&] {
            object->ShowSystemMenu({150, 150});
        });
    EXPECT_NE(shown, nullptr);
    EXPECT_TRUE(menuLived) << "the popup is not freed while it tracks";
    EXPECT_TRUE(unskinned);
    PumpFor(50);
    EXPECT_TRUE(s->m->SkinnedForms().empty());
    s.reset();
}

TEST(SkinSwitchManager, AFormTakenOffWhileItsHandlerRunsIsFreedAfter) {
    Switcher s(GeometrySkinStore());
    MenuForm f;
    // A menu command reaches the form's handler, which opens a message box: the form's object
    // is on the stack for as long as the box is up.
    TMenuItem* item = f.menu->Items()->Items(0)->Items(0);
    item->OnClick = [](TObject*) { MessageBoxW(nullptr, L"From a handler", L"Box", MB_OK); };
    s.SetActive(true);
    ASSERT_TRUE(Skinned(f.Wnd()));
    size_t retiredInside = 0;
    bool offInside = false;
    EXPECT_TRUE(OffWhileABoxIsUp(
        s, [&] { PostMessageW(f.Wnd(), WM_COMMAND, item->Command(), 0); },
        [&] {
            offInside = !Skinned(f.Wnd());
            retiredInside = s.m->RetiredCount();
        }));
    EXPECT_TRUE(offInside) << "the skin comes off while the box is up";
    EXPECT_EQ(retiredInside, 1u) << "its object waits for the handler to return";
    EXPECT_EQ(s.m->RetiredCount(), 0u) << "and is freed once it has";
    EXPECT_FALSE(Skinned(f.Wnd()));
}

namespace {
// Told when the component it watches is freed.
struct FreeWatch : TComponent {
    TComponent* watched = nullptr;
    bool gone = false;
    explicit FreeWatch(TComponent* c) : TComponent(nullptr), watched(c) {
        c->FreeNotification(this);
    }

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == opRemove && c == watched) gone = true;
        TComponent::Notification(c, op);
    }
};
} // namespace

TEST(SkinSwitchManager, AControlTakenOffWhileItsClickRunsIsFreedAfter) {
    Switcher s(GeometrySkinStore());
    MenuForm f;
    auto* button = new TButton(f.form.get());
    button->SetParent(f.form.get());
    button->SetBounds(12, 40, 90, 26);
    button->SetCaption("Click");
    // The skinned button raises the click from its own handler: its object is on the stack
    // for as long as the box is up.
    int clicks = 0;
    button->OnClick = [&](TObject*) {
        if (++clicks == 1) MessageBoxW(nullptr, L"From a click", L"Box", MB_OK);
    };
    s.SetActive(true);
    HWND b = button->WindowHandle();
    ASSERT_TRUE(Skinned(b));
    TSkinControl* object = nullptr;
    for (int i = 0; i < button->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TSkinControl*>(button->Components(i))) object = c;
    ASSERT_NE(object, nullptr);
    FreeWatch watch(object);
    bool offInside = false, goneInside = true;
    EXPECT_TRUE(OffWhileABoxIsUp(
        s,
        [&] {
            PostMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageW(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        },
        [&] {
            offInside = !Skinned(b) && !Skinned(f.Wnd());
            goneInside = watch.gone;
        }))
        << "the click opened the box";
    EXPECT_TRUE(offInside) << "the skin comes off while the box is up";
    EXPECT_FALSE(goneInside) << "the button's object waits for its handler to return";
    EXPECT_TRUE(watch.gone) << "and is freed once it has";
    EXPECT_FALSE(Skinned(b));
    SendMessageW(b, BM_CLICK, 0, 0);
    PumpFor(20);
    EXPECT_EQ(clicks, 2) << "the native button clicks on";
}
