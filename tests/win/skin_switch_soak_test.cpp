// Skins switched over and over while the program runs: the main window, the control gallery
// (every family) and a message box follow 200 switches through the test skins, the program's
// skin files, the built-in skin and no skin, with no growth of GDI or USER objects or of
// subclass thunks, and the main window ends as a window started with the last skin looks.
// The switches run from a timer inside the message box's own loop; the box is closed at the end
// and at the latest after 55 s.
#include "app_fixture.h"
#include "gallery_form.h"
#include "menu_script.h"
#include "skin_message_recorder.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "app/skin_choice.h"
#include "skin/data/skin_manage.h"
#include "skin/form/skin_messages.h"
#include "toolkit/subclass.h"
#include "toolkit/win_text.h"

#include <gtest/gtest.h>

namespace {

bool Skinned(HWND w) {
    return SendMessageW(w, WM_SKIN_QUERY, 0, 0) == 1;
}

std::string Str(const std::vector<std::uint8_t>& b) {
    return std::string(b.begin(), b.end());
}

struct Counts {
    long gdi, user;
    int thunks;
    bool operator==(const Counts&) const = default;
};

Counts Now() {
    const GuiCounts c = CurrentGuiCounts();
    return {c.gdi, c.user, LiveSubclassThunks()};
}

HWND FindMessageBox() {
    const auto boxes = ThreadWindowsOfClass(L"#32770");
    return boxes.empty() ? nullptr : boxes.front();
}

// The window's region in window coordinates, or none when it has none.
UniqueRegion WindowRegion(HWND w) {
    UniqueRegion r(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(w, r.get()) == ERROR) r.reset();
    return r;
}

// The window in front, settled and painted in full, read back.
Pixels SettledPixels(HWND w) {
    SetForegroundWindow(w);
    PumpFor(400);
    RedrawWindow(w, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return Pixels(w);
}

// The main window as a live switch left it against a new main window started with `file`,
// each alone on the screen; `live` is closed on the way.
void ExpectLikeAColdStart(std::unique_ptr<TForm1>& live, const std::string& file) {
    SCOPED_TRACE(file);
    Pixels shown = SettledPixels(live->WindowHandle());
    UniqueRegion liveRegion = WindowRegion(live->WindowHandle());
    live.reset();
    PumpFor(100);
    auto cold = std::make_unique<TForm1>(&TestApplication());
    cold->SkinChoice().ApplyOptions({app::SkinOptions::File, file, ""});
    cold->Show();
    ASSERT_TRUE(PumpUntil([&] { return Skinned(cold->WindowHandle()); }, 3000));
    Pixels fresh = SettledPixels(cold->WindowHandle());
    UniqueRegion freshRegion = WindowRegion(cold->WindowHandle());
    ASSERT_EQ(!liveRegion, !freshRegion);
    if (liveRegion) {
        EXPECT_TRUE(EqualRgn(liveRegion.get(), freshRegion.get()));
    }
    ASSERT_EQ(shown.w, fresh.w);
    ASSERT_EQ(shown.h, fresh.h);
    // What shows: the pixels inside the window's region (outside it the window's surface keeps
    // whatever was drawn there before the region was set, and the screen shows what is behind).
    int differ = 0;
    for (int y = 0; y < shown.h; ++y)
        for (int x = 0; x < shown.w; ++x) {
            const size_t i = static_cast<size_t>(y) * shown.w + x;
            if (liveRegion && !PtInRegion(liveRegion.get(), x, y)) continue;
            differ += shown.px[i] != fresh.px[i];
        }
    if (differ) {
        shown.Save("switch-live.png");
        fresh.Save("switch-cold.png");
    }
    EXPECT_EQ(differ, 0) << "pixels that differ from a cold start";
}

// One switch of the cycle: a skin file, the built-in skin (empty) or none.
struct Switch {
    enum { File, BuiltIn, None } kind;
    std::string file;
};

// The soak, run by a thread timer while the message box is up.
struct Soak {
    static inline Soak* current = nullptr;
    TForm1* form;
    std::vector<Switch> steps;
    size_t next = 0, cycle = 0;
    int changed = 0, waitFrom = -1, timeouts = 0, failedChoices = 0;
    DWORD waitStart = 0, started = GetTickCount();
    bool busy = false, messageBoxSkinned = true;
    std::vector<Counts> perCycle;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current && !current->busy) {
            current->busy = true;
            current->Step();
            current->busy = false;
        }
    }
    void Step() {
        HWND box = FindMessageBox();
        if (!box) return;
        // A net against a switch that never ends, not a speed check: a shared machine may take
        // well over a minute.
        if (GetTickCount() - started > 240000) {
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return;
        }
        if (waitFrom >= 0) {
            if (changed == waitFrom) {
                if (GetTickCount() - waitStart < 10000) return;
                ++timeouts;
            }
            waitFrom = -1;
            if (next % cycle == 0) {
                perCycle.push_back(Now());
                if (steps[next - 1].kind != Switch::None) messageBoxSkinned &= Skinned(box);
            }
        }
        if (next == steps.size()) {
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return;
        }
        const Switch& s = steps[next++];
        TSkinChoice& choice = form->SkinChoice();
        const int before = changed;
        bool chosen = false;
        switch (s.kind) {
        case Switch::File:
            chosen = choice.ChooseFile(s.file);
            break;
        case Switch::BuiltIn:
            chosen = choice.ChooseBuiltIn();
            break;
        case Switch::None:
            chosen = choice.ChooseNone();
            break;
        }
        failedChoices += !chosen;
        // The command the choice posted, carried out now rather than after its delay (idle
        // time, the same for every switch).
        if (TSkinManage* m = TSkinManage::Instance()) m->RunPendingCommand();
        waitFrom = before;
        waitStart = GetTickCount();
    }
};

} // namespace

namespace {

// Runs whole cycles, at least `cycles` of them and at least `switches` switches, and checks
// what they leave behind.
void RunSoak(size_t cycles, size_t switches) {
    SkinMessageRecorder recorder;
    const std::vector<std::string>& messages = recorder.messages;
    TempDir dir;
    // Two test skins of their own geometry and elements, then the program's skin files.
    std::vector<std::string> files = {
        dir.Write("geometry.skin", Str(testskins::GeometrySkinStore())),
        dir.Write("scroll.skin", Str(testskins::ScrollSkinStore())),
    };
    for (const std::string& f : SkinFilesIn(ProgramSkinsFolder())) files.push_back(f);

    // Each file in turn, no skin after every second one, the built-in skin once; the cycle
    // ends on a file so that each cycle ends in the same state.
    std::vector<Switch> cycle;
    for (size_t i = 0; i < files.size(); ++i) {
        if (i == 1) cycle.push_back({Switch::BuiltIn, ""});
        cycle.push_back({Switch::File, files[i]});
        if (i % 2 == 0 && i + 1 < files.size()) cycle.push_back({Switch::None, ""});
    }
    Soak soak;
    soak.cycle = cycle.size();
    while (soak.steps.size() < switches || soak.steps.size() < cycles * cycle.size())
        soak.steps.insert(soak.steps.end(), cycle.begin(), cycle.end());

    // Other tests may have left the process's manager switched off.
    if (TSkinManage* m = TSkinManage::Instance()) m->SetEnabled(true);
    auto form = MakeMainForm();
    ASSERT_TRUE(PumpUntil([&] { return Skinned(form->WindowHandle()); }, 3000));
    auto gallery = std::make_unique<TGalleryForm>(&TestApplication());
    gallery->SetBounds(0, 0, gallery->Width(), gallery->Height());
    gallery->Show();
    ASSERT_TRUE(PumpUntil([&] { return Skinned(gallery->WindowHandle()); }, 3000));
    form->SkinData1->OnSkinChanged = [&](TObject*) { ++soak.changed; };
    soak.form = form.get();

    Soak::current = &soak;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, Soak::Tick);
    MessageBoxW(form->WindowHandle(), L"Switching skins", L"Corvane", MB_OK);
    KillTimer(nullptr, timer);
    Soak::current = nullptr;
    PumpFor(100);

    EXPECT_EQ(soak.next, soak.steps.size()) << "the message box closed early";
    EXPECT_EQ(soak.timeouts, 0);
    EXPECT_EQ(soak.failedChoices, 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(soak.messageBoxSkinned);
    ASSERT_GE(soak.perCycle.size(), 4u);
    // The first cycles fill caches and give some back; from the fourth on every cycle ends where
    // the one before did, and none ends above the first.
    const Counts& first = soak.perCycle.front();
    for (size_t c = 1; c < soak.perCycle.size(); ++c) {
        const Counts& n = soak.perCycle[c];
        EXPECT_LE(n.gdi, first.gdi) << "cycle " << c;
        EXPECT_LE(n.user, first.user) << "cycle " << c;
        EXPECT_LE(n.thunks, first.thunks) << "cycle " << c;
        if (c >= 3) {
            EXPECT_EQ(n, soak.perCycle[c - 1]) << "cycle " << c << ": gdi " << n.gdi << " user "
                                               << n.user << " thunks " << n.thunks;
        }
    }
    EXPECT_TRUE(Skinned(form->WindowHandle()));
    EXPECT_TRUE(Skinned(gallery->WindowHandle()));

    // Live against cold: the main window as the last skin left it.
    gallery.reset();
    if (soak.next == soak.steps.size()) ExpectLikeAColdStart(form, soak.steps.back().file);
}

} // namespace

// Four cycles: the first ones fill caches and give some back, the last two must end alike.
TEST(SkinSwitchSoak, CyclesWithTheGalleryAndAMessageBoxUp) {
    RunSoak(4, 0);
}

// The full soak: 203 switches (29 cycles), 30 to 48 s under Wine on an idle machine.
TEST(SkinSwitchSoak, TwoHundredSwitchesWithTheGalleryAndAMessageBoxUp) {
    RunSoak(4, 200);
}

// Each skin put on the main window while it runs, from the built-in skin, against a main window
// started with it.
TEST(SkinSwitchSoak, TheMainWindowSwitchedToEachSkinLooksAsStartedWithIt) {
    SkinMessageRecorder recorder;
    TempDir dir;
    std::vector<std::string> files = {
        dir.Write("geometry.skin", Str(testskins::GeometrySkinStore())),
        dir.Write("scroll.skin", Str(testskins::ScrollSkinStore())),
    };
    for (const std::string& f : SkinFilesIn(ProgramSkinsFolder())) files.push_back(f);
    for (const std::string& file : files) {
        if (TSkinManage* m = TSkinManage::Instance()) m->SetEnabled(true);
        auto form = MakeMainForm();
        ASSERT_TRUE(PumpUntil([&] { return Skinned(form->WindowHandle()); }, 3000));
        int changed = 0;
        form->SkinData1->OnSkinChanged = [&](TObject*) { ++changed; };
        ASSERT_TRUE(form->SkinChoice().ChooseFile(file));
        EXPECT_TRUE(PumpUntil([&] { return changed > 0; }, 3000));
        ExpectLikeAColdStart(form, file);
    }
    EXPECT_TRUE(recorder.messages.empty());
}
