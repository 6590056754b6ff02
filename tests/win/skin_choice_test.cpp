// The program's choice of skin: the "皮肤(&K)" submenu of the main window's system menu, skinned
// and not, the command-line options, and skin files that cannot be used. Every menu is driven
// and closed from its own loop (MenuScript); messages go to a recorder, except in the one test
// that closes a real message box from a timer.
#include "app_fixture.h"
#include "menu_script.h"
#include "skin_message_recorder.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "app/skin_choice.h"
#include "skin/data/lzh.h"
#include "skin/data/skin_manage.h"
#include "skin/data/skin_reader.h"
#include "skin/data/skin_shared.h"
#include "skin/form/skin_messages.h"
#include "toolkit/win_text.h"

#include "skin_archive.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string A(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

std::string Str(const std::vector<std::uint8_t>& b) {
    return std::string(b.begin(), b.end());
}

bool Skinned(HWND w) {
    return SendMessageW(w, WM_SKIN_QUERY, 0, 0) == 1;
}

// The left frame's width as the window shows it now.
int LeftFrame(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    return origin.x - r.left;
}

std::wstring ItemText(HMENU m, int i) {
    wchar_t text[128] = {};
    GetMenuStringW(m, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    return text;
}

bool Checked(HMENU m, UINT id) {
    return (GetMenuState(m, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// Other tests leave the process's manager switched off; a program that has just loaded its main
// window has it on.
void ManagerAsAtStart() {
    if (TSkinManage* m = TSkinManage::Instance()) m->SetEnabled(true);
}

class SkinChoiceTest : public testing::Test {
protected:
    void SetUp() override {
        ManagerAsAtStart();
        form = MakeMainForm();
        PumpUntil([&] { return Skinned(Wnd()); }, 3000);
        geometry = dir.Write("geometry.skin", Str(testskins::GeometrySkinStore()));
        controls = dir.Write("controls.skin", Str(testskins::ControlsSkinStore()));
    }
    void TearDown() override {
        // The manager is the process's: it is left switched on for the tests that follow.
        if (Choice().Current() == TSkinChoice::skNone) {
            Choice().ChooseBuiltIn();
            Settle(true);
        }
        form.reset();
        MenuScript::Drain();
    }
    HWND Wnd() const { return form->WindowHandle(); }
    TSkinChoice& Choice() { return form->SkinChoice(); }
    // Waits until the manager has carried out what a choice posted.
    bool Settle(bool skinned) {
        const bool reached = PumpUntil([&] { return Skinned(Wnd()) == skinned; }, 3000);
        PumpFor(350);
        return reached && Skinned(Wnd()) == skinned;
    }

    // The reader's own message box must never show: the program names the file itself.
    SkinMessageRecorder recorder;
    std::vector<std::string>& messages = recorder.messages;
    TempDir dir;
    std::string geometry, controls;
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST(SkinChoiceMenu, FilesOfTheSkinsFolderInNameOrderAfterTheBuiltInSkin) {
    TempDir skins;
    skins.Write("b.skin", "x");
    skins.Write("A&B.skin", "x");
    skins.Write("c.SKIN", "x");
    skins.Write("notes.txt", "x");
    skins.Write("d.skin.bak", "x");
    CreateDirectoryW(Widen(skins.Path() + "folder.skin").c_str(), nullptr);
    EXPECT_EQ(SkinFilesIn(skins.Path()),
              (std::vector<std::string>{skins.Path() + "A&B.skin", skins.Path() + "b.skin",
                                        skins.Path() + "c.SKIN"}));
    RemoveDirectoryW(Widen(skins.Path() + "folder.skin").c_str());
    EXPECT_TRUE(SkinFilesIn(skins.Path() + "missing\\").empty());

    TForm form(&TestApplication());
    form.HandleNeeded();
    TSkinData* data = testskins::MakeSkinData(testskins::GeometrySkinStore(), &form);
    TSkinChoice choice(form, *data, skins.Path());
    HMENU system = GetSystemMenu(form.WindowHandle(), FALSE);
    const int n = GetMenuItemCount(system);
    ASSERT_GE(n, 3);
    // After the standard commands: a separator, then the submenu.
    int close = -1;
    for (int i = 0; i < n; ++i)
        if (GetMenuItemID(system, i) == SC_CLOSE) close = i;
    EXPECT_GE(close, 0);
    EXPECT_LT(close, n - 2);
    EXPECT_EQ(GetMenuState(system, static_cast<UINT>(n - 2), MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetSubMenu(system, n - 1), choice.Submenu());
    EXPECT_EQ(ItemText(system, n - 1), Utf8ToWide("皮肤(&K)"));
    HMENU sub = choice.Submenu();
    ASSERT_EQ(GetMenuItemCount(sub), 7);
    const std::vector<std::wstring> texts = {
        Utf8ToWide("内置皮肤(&B)"), L"A&&B", L"b", L"c", Utf8ToWide("打开皮肤文件(&O)..."), L"",
        Utf8ToWide("无皮肤(&N)")};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(ItemText(sub, i), texts[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(GetMenuState(sub, 5, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    // A component that has not skinned anything yet: "none" is the current choice.
    EXPECT_TRUE(Checked(sub, TSkinChoice::kNoneCommand));
    EXPECT_FALSE(Checked(sub, TSkinChoice::kBuiltInCommand));
}

TEST_F(SkinChoiceTest, SwitchesTheWindowBetweenSkinsAndOffAndChecksTheChoice) {
    ASSERT_TRUE(Skinned(Wnd()));
    HMENU sub = Choice().Submenu();
    EXPECT_TRUE(Checked(sub, TSkinChoice::kBuiltInCommand));
    const std::vector<std::uint8_t> builtIn = form->SkinData1->Store;
    const int productLeft = LeftFrame(Wnd());

    ASSERT_TRUE(Choice().ChooseFile(geometry));
    EXPECT_TRUE(Settle(true));
    EXPECT_EQ(form->SkinData1->Store, testskins::GeometrySkinStore());
    EXPECT_EQ(LeftFrame(Wnd()), testskins::kLeft);
    EXPECT_TRUE(Checked(sub, TSkinChoice::kOpenCommand)); // not a file of the skins folder
    EXPECT_FALSE(Checked(sub, TSkinChoice::kBuiltInCommand));

    ASSERT_TRUE(Choice().ChooseNone());
    EXPECT_TRUE(Settle(false));
    EXPECT_FALSE(form->SkinData1->Active());
    EXPECT_EQ(LeftFrame(Wnd()), GetSystemMetrics(SM_CXFIXEDFRAME));
    EXPECT_TRUE(Checked(sub, TSkinChoice::kNoneCommand));
    EXPECT_FALSE(Checked(sub, TSkinChoice::kOpenCommand));

    // From no skin straight to a file: skinned again, with that file.
    ASSERT_TRUE(Choice().ChooseFile(controls));
    EXPECT_TRUE(Settle(true));
    EXPECT_EQ(form->SkinData1->Store, testskins::ControlsSkinStore());

    ASSERT_TRUE(Choice().ChooseBuiltIn());
    EXPECT_TRUE(Settle(true));
    EXPECT_EQ(form->SkinData1->Store, builtIn);
    EXPECT_EQ(LeftFrame(Wnd()), productLeft);
    EXPECT_TRUE(Checked(sub, TSkinChoice::kBuiltInCommand));
    EXPECT_TRUE(messages.empty());
}

TEST_F(SkinChoiceTest, BadSkinFilesAreNamedAndTheSkinStays) {
    auto store = testskins::GeometrySkinStore();
    std::string truncated = Str(store);
    truncated.resize(truncated.size() / 2);
    std::string flipped = Str(store);
    flipped[30] = static_cast<char>(flipped[30] ^ 0x5A);
    // The same archive under another version number.
    std::vector<std::uint8_t> archive;
    skin::TLZH().Unpack(
        static_cast<std::int32_t>(store[0] | store[1] << 8 | store[2] << 16 | store[3] << 24),
        std::span<const std::uint8_t>(store).subspan(4), archive);
    archive[0] = 0x21; // 20000 is 0x4E20
    const std::string older = Str(skinpack::PackStore(archive));
    struct Case {
        std::string path, expect;
    } cases[] = {
        {dir.Write("older.skin", older), skin::kOlderSkinMessage},
        {dir.Write("truncated.skin", truncated), A("截断")},
        {dir.Write("flipped.skin", flipped), ""},
        {dir.Write("text.skin", "[TitlebarSkin]\r\nSkinName=x\r\n"), A("不是皮肤文件")},
        {dir.Write("empty.skin", ""), A("不是皮肤文件")},
        {dir.Path() + "missing.skin", A("无法读取文件")},
        {dir.Path(), A("无法读取文件")}, // a folder
    };
    const int left = LeftFrame(Wnd());
    const std::vector<std::uint8_t> before = form->SkinData1->Store;
    // Once round for the caches, then no object may be left behind.
    for (const auto& c : cases) Choice().ChooseFile(c.path);
    messages.clear();
    PumpFor(300);
    const GuiCounts counts = CurrentGuiCounts();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(Choice().ChooseFile(c.path));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(c.path), std::string::npos) << messages[0];
        if (!c.expect.empty()) {
            EXPECT_NE(messages[0].find(c.expect), std::string::npos) << messages[0];
        }
        messages.clear();
    }
    PumpFor(350);
    EXPECT_TRUE(Skinned(Wnd()));
    EXPECT_EQ(form->SkinData1->Store, before);
    EXPECT_FALSE(form->SkinData1->SkinNotLoaded);
    EXPECT_EQ(LeftFrame(Wnd()), left);
    EXPECT_TRUE(Checked(Choice().Submenu(), TSkinChoice::kBuiltInCommand));
    const GuiCounts after = CurrentGuiCounts();
    EXPECT_EQ(after.gdi, counts.gdi);
    EXPECT_EQ(after.user, counts.user);
}

namespace {

// The positions highlighted in the skin submenu while the keyboard walks it: Up from the
// system menu's first entry wraps to the submenu, Right opens it, then Down steps.
std::vector<int> WalkTheSubmenu(HWND wnd, int entries, int downs) {
    std::vector<int> seen;
    auto note = [&] {
        // The submenu's window: a menu of as many entries, none of them a submenu.
        for (HWND p : OpenPopups()) {
            HMENU m = reinterpret_cast<HMENU>(SendMessageW(p, MN_GETHMENU, 0, 0));
            if (!m || GetMenuItemCount(m) != entries) continue;
            bool nested = false;
            for (int i = 0; i < entries; ++i) nested |= GetSubMenu(m, i) != nullptr;
            if (nested) continue;
            seen.push_back(Hilited(m));
            return;
        }
        seen.push_back(-2);
    };
    auto key = [wnd](WPARAM vk) { return [wnd, vk] { PostMessageW(wnd, WM_KEYDOWN, vk, 0); }; };
    std::vector<MenuScript::Step> steps = {[] {}, key(VK_UP), key(VK_RIGHT), note};
    for (int i = 0; i < downs; ++i) {
        steps.push_back(key(VK_DOWN));
        steps.push_back(note);
    }
    steps.push_back(key(VK_ESCAPE));
    steps.push_back(key(VK_ESCAPE));
    {
        MenuScript script(steps, 60);
        SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    }
    return seen;
}

// Opens the system menu and presses the keys in it, one per tick.
void ChooseByKeys(HWND wnd, std::vector<WPARAM> keys) {
    std::vector<MenuScript::Step> steps = {[] {}};
    for (WPARAM vk : keys) steps.push_back([wnd, vk] { PostMessageW(wnd, WM_KEYDOWN, vk, 0); });
    MenuScript script(steps, 60);
    SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, ' ');
}

} // namespace

TEST_F(SkinChoiceTest, KeyboardWalksReachEveryEntryInOrderSkinnedOrNot) {
    const int files = static_cast<int>(Choice().Files().size());
    const int count = files + 4; // built-in, files, open, separator, none
    // Built-in, each file, open, none (the separator is stepped over), and round again.
    std::vector<int> expected;
    for (int i = 0; i <= files + 1; ++i) expected.push_back(i);
    expected.push_back(count - 1);
    expected.push_back(0);
    const int downs = static_cast<int>(expected.size()) - 1;
    for (bool skinned : {true, false}) {
        SCOPED_TRACE(skinned ? "skinned" : "native");
        ASSERT_EQ(Skinned(Wnd()), skinned);
        // Enter is pressed below only in a walk known to be right: elsewhere it could start
        // another command of the system menu.
        ASSERT_EQ(WalkTheSubmenu(Wnd(), count, downs), expected);
        EXPECT_TRUE(OpenPopups().empty());
        if (skinned) {
            // Up from the first entry is "none": Enter takes the skin off.
            ChooseByKeys(Wnd(), {VK_UP, VK_RIGHT, VK_UP, VK_RETURN});
            EXPECT_TRUE(Settle(false));
            EXPECT_EQ(Choice().Current(), TSkinChoice::skNone);
        }
    }
    // The system's own menu carries the submenu too: its first entry puts the skin back.
    // (Wine needs the last menu's tracking wound down before another opens.)
    PumpFor(200);
    ChooseByKeys(Wnd(), {VK_UP, VK_RIGHT, VK_RETURN});
    EXPECT_TRUE(Settle(true));
    EXPECT_EQ(Choice().Current(), TSkinChoice::skBuiltIn);
    EXPECT_TRUE(Checked(Choice().Submenu(), TSkinChoice::kBuiltInCommand));
}

namespace {

// Closes the message boxes of this thread from a timer and keeps their text.
struct MessageBoxCloser {
    static inline std::wstring text;
    static inline std::vector<HWND> seen;
    UINT_PTR timer;
    MessageBoxCloser() {
        text.clear();
        seen.clear();
        timer = SetTimer(nullptr, 0, 50, Tick);
    }
    ~MessageBoxCloser() { KillTimer(nullptr, timer); }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        for (HWND box : ThreadWindowsOfClass(L"#32770")) {
            // Pressed again at every tick until it is gone; read once.
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            if (std::find(seen.begin(), seen.end(), box) != seen.end()) continue;
            seen.push_back(box);
            EnumChildWindows(
                box,
                [](HWND c, LPARAM) -> BOOL {
                    wchar_t t[1024] = {};
                    GetWindowTextW(c, t, 1024);
                    text += t;
                    text += L"|";
                    return TRUE;
                },
                0);
        }
    }
};

} // namespace

TEST_F(SkinChoiceTest, ARealMessageBoxNamesTheFileAndIsClosed) {
    TSkinChoice::SetMessageSink(nullptr);
    const std::string missing = dir.Path() + "missing.skin";
    {
        MessageBoxCloser closer;
        EXPECT_FALSE(Choice().ChooseFile(missing));
    }
    EXPECT_EQ(MessageBoxCloser::seen.size(), 1u);
    EXPECT_NE(MessageBoxCloser::text.find(Widen(missing)), std::wstring::npos);
    EXPECT_NE(MessageBoxCloser::text.find(Utf8ToWide("无法读取文件")), std::wstring::npos);
    EXPECT_TRUE(Skinned(Wnd()));
}

TEST(SkinChoiceOptions, TheCommandLineChoosesTheSkinBeforeTheWindowShows) {
    SkinMessageRecorder recorder;
    std::vector<std::string>& messages = recorder.messages;
    TempDir dir;
    const std::string geometry = dir.Write("g.skin", Str(testskins::GeometrySkinStore()));
    const std::string broken = dir.Write("broken.skin", "not a skin at all");
    auto start = [](const std::vector<std::string>& args) {
        ManagerAsAtStart();
        auto form = std::make_unique<TForm1>(&TestApplication());
        form->SkinChoice().ApplyOptions(app::ParseSkinOptions(args));
        form->Show();
        PumpFor(700);
        return form;
    };
    {
        auto form = start({"--no-skin"});
        EXPECT_FALSE(Skinned(form->WindowHandle()));
        EXPECT_FALSE(form->SkinData1->Active());
        EXPECT_EQ(form->SkinChoice().Current(), TSkinChoice::skNone);
        // Put back for the tests that follow (the manager is the process's).
        form->SkinChoice().ChooseBuiltIn();
        EXPECT_TRUE(PumpUntil([&] { return Skinned(form->WindowHandle()); }, 3000));
    }
    {
        auto form = start({"--skin", geometry});
        EXPECT_TRUE(Skinned(form->WindowHandle()));
        EXPECT_EQ(form->SkinData1->Store, testskins::GeometrySkinStore());
        EXPECT_EQ(LeftFrame(form->WindowHandle()), testskins::kLeft);
    }
    EXPECT_TRUE(messages.empty());
    for (auto args :
         {std::vector<std::string>{"--skin", broken}, std::vector<std::string>{"--skin"}}) {
        auto form = start(args);
        ASSERT_EQ(messages.size(), 1u);
        if (args.size() == 2) {
            EXPECT_NE(messages[0].find(broken), std::string::npos);
        }
        EXPECT_TRUE(Skinned(form->WindowHandle()));
        EXPECT_EQ(form->SkinData1->Store, testskins::ProductSkinStore());
        EXPECT_EQ(form->SkinChoice().Current(), TSkinChoice::skBuiltIn);
        messages.clear();
    }
}

namespace {

// What each step page of the main window shows, page by page from the first. Nothing is asked
// to paint again before it is read: a part that a switch or a start left unpainted shows so.
struct StepPages {
    std::vector<Pixels> pages;
    UniqueRegion region;
};

StepPages ReadStepPages(TForm1& form) {
    StepPages s;
    HWND w = form.WindowHandle();
    SetForegroundWindow(w);
    s.region.reset(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(w, s.region.get()) == ERROR) s.region.reset();
    // The feedback page opens an outside page: the four steps only.
    for (int page = 0; page < 4; ++page) {
        form.pgc1->SetActivePageIndex(page);
        PumpFor(60);
        s.pages.emplace_back(w);
    }
    form.pgc1->SetActivePageIndex(0);
    PumpFor(60);
    return s;
}

// Pixels inside the window's region that differ; the pictures go to CORVANE_SCREENSHOT_DIR.
int Differences(const StepPages& live, const StepPages& cold, const std::string& name) {
    int differ = 0;
    for (size_t p = 0; p < live.pages.size(); ++p) {
        const Pixels &a = live.pages[p], &b = cold.pages[p];
        if (a.w != b.w || a.h != b.h) return -1;
        int here = 0;
        for (int y = 0; y < a.h; ++y)
            for (int x = 0; x < a.w; ++x) {
                if (live.region && !PtInRegion(live.region.get(), x, y)) continue;
                const size_t i = static_cast<size_t>(y) * a.w + x;
                here += a.px[i] != b.px[i];
            }
        if (here) {
            a.Save((name + "-step" + std::to_string(p + 1) + "-live.png").c_str());
            b.Save((name + "-step" + std::to_string(p + 1) + "-cold.png").c_str());
        }
        differ += here;
    }
    return differ;
}

} // namespace

// The window that ran with one skin and took the next from its skin choice looks, on every
// step page, as the program started with that skin: nothing it painted before stays behind
// (the memo's border on the first page was left in the first skin's drawing by a cold start).
TEST(SkinChoiceLive, EachShippedSkinOnEveryStepPageLooksAsStartedWithIt) {
    SkinMessageRecorder recorder;
    const std::vector<std::string> files = SkinFilesIn(ProgramSkinsFolder());
    ASSERT_GE(files.size(), 2u);
    std::vector<std::string> targets = files;
    targets.push_back(""); // back to the built-in skin
    std::vector<StepPages> live;
    {
        ManagerAsAtStart();
        auto form = MakeMainForm();
        ASSERT_TRUE(PumpUntil([&] { return Skinned(form->WindowHandle()); }, 3000));
        int changed = 0;
        form->SkinData1->OnSkinChanged = [&](TObject*) { ++changed; };
        for (const std::string& file : targets) {
            const int before = changed;
            ASSERT_TRUE(file.empty() ? form->SkinChoice().ChooseBuiltIn()
                                     : form->SkinChoice().ChooseFile(file));
            ASSERT_TRUE(PumpUntil([&] { return changed > before; }, 3000)) << file;
            PumpFor(100);
            live.push_back(ReadStepPages(*form));
        }
    }
    PumpFor(100);
    for (size_t i = 0; i < targets.size(); ++i) {
        const std::string& file = targets[i];
        SCOPED_TRACE(file.empty() ? std::string("built-in") : file);
        // As the program starts: the window made, the command line applied, then shown.
        ManagerAsAtStart();
        auto cold = std::make_unique<TForm1>(&TestApplication());
        if (!file.empty()) cold->SkinChoice().ApplyOptions({app::SkinOptions::File, file, ""});
        cold->Show();
        ASSERT_TRUE(PumpUntil([&] { return Skinned(cold->WindowHandle()); }, 3000));
        PumpFor(100);
        const StepPages started = ReadStepPages(*cold);
        ASSERT_EQ(!live[i].region, !started.region);
        if (live[i].region) {
            EXPECT_TRUE(EqualRgn(live[i].region.get(), started.region.get()));
        }
        EXPECT_EQ(Differences(live[i], started, "choice-" + std::to_string(i)), 0);
    }
    EXPECT_TRUE(recorder.messages.empty());
}
