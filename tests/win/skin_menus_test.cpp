// The skinned menu bar and popup menus on real windows under Wine: layout and pixels of the
// bar, opening by mouse and keyboard, walking the entries while a popup is open, the item
// painters, what the form receives, switching off, and no handle growth.
//
// Every menu opened here is driven and closed by a thread timer that runs inside the menu's
// own loop (MenuScript); after its last step, and at the latest after a few seconds, it ends
// the menu, and leftovers of a switch are taken out of the queue so no menu opens later.
#include "app_fixture.h"
#include "menu_script.h"
#include "message_log.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "skin/data/skin_manage.h"
#include "skin/form/win_skin_form.h"
#include "skin/form/win_skin_menu.h"
#include "skin/form/win_skin_popmenu.h"
#include "toolkit/imglist.h"
#include "toolkit/menus.h"
#include "toolkit/png_writer.h"
#include "toolkit/subclass.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace testskins;

namespace {

constexpr TColor kImage0 = 0x00C000, kImage1 = 0xC00000;

struct MenuManager {
    ScopedSkinManager scope;
    TSkinManage* m = scope.get();
    TSkinData* data;
    std::unique_ptr<TComponent> holder = std::make_unique<TComponent>(nullptr);
    explicit MenuManager(const std::vector<std::uint8_t>& store) {
        data = MakeSkinData(store, holder.get());
        m->Register(*data);
        m->SetEnabled(true);
        m->InstallHook();
    }
    ~MenuManager() { holder.reset(); }
};

// A form with a main menu of every kind of item and a popup menu, skinned by hand.
struct MenuForm {
    MenuManager mgr;
    std::unique_ptr<TForm> form;
    TMainMenu* menu = nullptr;
    TPopupMenu* popup = nullptr;
    TImageList* images = nullptr;
    TWinSkinForm* skin = nullptr;
    TWindowSubclass recorder;
    MessageLog log;
    std::vector<std::string> clicks;
    TMenuItem *file, *edit, *gone, *view, *help;
    TMenuItem *newItem, *open, *recent, *one, *deep, *disabled, *checked, *checkedImage, *exit;
    TMenuItem *small, *large, *about, *popA, *popB;

    TMenuItem* Add(TMenuItem* parent, const std::string& caption, const std::string& name = "") {
        auto* it = new TMenuItem(form.get());
        it->SetCaption(caption);
        if (!name.empty()) it->OnClick = [this, name](TObject*) { clicks.push_back(name); };
        parent->Add(it);
        return it;
    }

    explicit MenuForm(bool apply = true, bool rightToLeft = false,
                      const std::vector<std::uint8_t>& store = MenuSkinStore())
        : mgr(store) {
        form = std::make_unique<TForm>(&TestApplication());
        form->SetTag(99); // the manager leaves it to the test
        form->SetCaption("Menus");
        form->SetBounds(80, 60, 420, 300);
        images = new TImageList(form.get());
        TBitmap strip(32, 16);
        for (int x = 0; x < 32; ++x)
            for (int y = 0; y < 16; ++y)
                SetPixel(strip.Canvas().Handle(), x, y, ::ColorToRGB(x < 16 ? kImage0 : kImage1));
        images->Add(&strip, nullptr);
        menu = new TMainMenu(form.get());
        menu->SetImages(images);
        TMenuItem* root = menu->Items();
        file = Add(root, "&File");
        newItem = Add(file, "&New", "new");
        newItem->SetShortCut(TextToShortCut("Ctrl+N"));
        newItem->SetDefault(true);
        open = Add(file, "&Open", "open");
        open->SetImageIndex(0);
        Add(file, "-");
        recent = Add(file, "&Recent");
        one = Add(recent, "One", "one");
        TMenuItem* two = Add(recent, "Two");
        deep = Add(two, "Deep", "deep");
        Add(file, "-");
        disabled = Add(file, "Disabled", "disabled");
        disabled->SetEnabled(false);
        checked = Add(file, "Checked", "checked");
        checked->SetChecked(true);
        checkedImage = Add(file, "Checked image", "checkedImage");
        checkedImage->SetImageIndex(1);
        checkedImage->SetChecked(true);
        Add(file, "-");
        exit = Add(file, "E&xit", "exit");
        edit = Add(root, "&Edit");
        Add(edit, "-");
        Add(edit, "Cu&t", "cut");
        Add(edit, "-");
        Add(edit, "-");
        Add(edit, "&Copy", "copy");
        Add(edit, "-");
        gone = Add(root, "&Gone");
        Add(gone, "Never", "never");
        gone->SetEnabled(false);
        view = Add(root, "&View");
        small = Add(view, "&Small", "small");
        large = Add(view, "&Large", "large");
        for (TMenuItem* r : {small, large}) {
            r->SetRadioItem(true);
            r->SetGroupIndex(1);
        }
        large->SetChecked(true);
        help = Add(root, "&Help");
        about = Add(help, "&About", "about");
        form->SetMenu(menu);
        popup = new TPopupMenu(form.get());
        popA = Add(popup->Items(), "Popup &A", "popA");
        Add(popup->Items(), "-");
        popB = Add(popup->Items(), "Popup &B", "popB");
        SetCursorPos(5, 5); // off the form: a resting mouse must not pick an entry
        form->Show();
        if (rightToLeft)
            SetWindowLongW(Wnd(), GWL_EXSTYLE,
                           GetWindowLongW(Wnd(), GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
        SetForegroundWindow(Wnd());
        PumpFor(20);
        recorder.Attach(Wnd(), [this](TMessage& m) {
            if (m.Msg == WM_COMMAND || m.Msg == WM_INITMENUPOPUP || m.Msg == WM_SYSCOMMAND)
                log.Record(m.Msg, m.WParam, m.LParam);
            recorder.CallPrevious(m);
        });
        if (apply) Apply();
    }
    ~MenuForm() {
        MenuScript::Drain();
        recorder.Detach();
    }
    void Apply() {
        skin = new TWinSkinForm(form.get());
        skin->Handle = Wnd();
        skin->Attach(mgr.data, form.get());
        SendMessageW(Wnd(), WM_SKIN_APPLY, 0, kSkinApplyTag);
        PumpFor(20);
    }
    void Unskin() {
        skin->Detach();
        delete skin;
        skin = nullptr;
        PumpFor(20);
    }
    HWND Wnd() const { return form->WindowHandle(); }
    TWinSkinMenu* Bar() const { return skin->MenuBar(); }
    TMenuBtn* Button(int i) const { return Bar()->Buttons()[static_cast<size_t>(i)].get(); }
    POINT ScreenOf(const TMenuBtn* b, int dx = 3, int dy = 3) const {
        RECT w;
        GetWindowRect(Wnd(), &w);
        return {w.left + b->Bounds.left + dx, w.top + b->Bounds.top + dy};
    }
    // Opens the entry with a click and returns when every popup has closed.
    void Click(int index) {
        POINT p = ScreenOf(Button(index));
        SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(p.x, p.y));
    }
    void Key(WPARAM vk) const { PostMessageW(Wnd(), WM_KEYDOWN, vk, 0); }
    int Commands(UINT id) const {
        int n = 0;
        for (const auto& e : log.Entries())
            if (e.msg == WM_COMMAND && LOWORD(e.wParam) == id && e.lParam == 0) ++n;
        return n;
    }
};

} // namespace

TEST(SkinMenuBar, EntriesAreLaidOutFromTheStartOffsetAndDrawnFromTheSkin) {
    MenuForm t;
    ASSERT_NE(t.Bar(), nullptr);
    EXPECT_EQ(GetMenu(t.Wnd()), nullptr); // the native bar is gone
    ASSERT_EQ(t.Bar()->Buttons().size(), 5u);
    const RECT band = t.Bar()->Band();
    EXPECT_EQ(band.left, t.skin->LeftWidth());
    EXPECT_EQ(band.top, t.skin->TitleHeight());
    EXPECT_EQ(band.bottom - band.top, GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(t.Bar()->StartOffset(300), kBarMargin + 4);
    EXPECT_EQ(t.Bar()->StartOffset(kBarMargin + 3), 12); // a band narrower than the offset
    EXPECT_EQ(t.Button(0)->Bounds.left, band.left + kBarMargin + 4);
    for (size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(t.Button(static_cast<int>(i))->Bounds.left,
                  t.Button(static_cast<int>(i - 1))->Bounds.right);
        EXPECT_GT(t.Button(static_cast<int>(i))->Bounds.right -
                      t.Button(static_cast<int>(i))->Bounds.left,
                  10);
    }
    EXPECT_EQ(t.Button(0)->Caption, L"&File");
    EXPECT_FALSE(t.Button(2)->Enabled);
    EXPECT_EQ(t.Button(0)->SubMenu, t.file->Handle());
    EXPECT_EQ(t.Button(0)->Command, t.file->Command());
    Pixels px(t.Wnd());
    // Bar colour past the last entry and in the start offset; the caption in the bar's text
    // colour; the disabled entry in the button-shadow colour.
    EXPECT_EQ(px.At(band.right - 3, band.top + 2), kBarActive);
    EXPECT_EQ(px.At(band.left + 2, band.top + 2), kBarActive);
    EXPECT_TRUE(px.Has(t.Button(0)->Bounds, kBarText));
    EXPECT_TRUE(px.Has(t.Button(2)->Bounds, static_cast<TColor>(::ColorToRGB(clBtnShadow))));
    EXPECT_EQ(t.skin->FindMenuButton({t.Button(1)->Bounds.left + 2, band.top + 3}), t.Button(1));
    EXPECT_EQ(t.skin->FindMenuButton({band.right - 3, band.top + 3}), nullptr);
    // The inactive look.
    SendMessageW(t.Wnd(), WM_NCACTIVATE, FALSE, 0);
    EXPECT_EQ(Pixels(t.Wnd()).At(band.right - 3, band.top + 2), kBarInactive);
    SendMessageW(t.Wnd(), WM_NCACTIVATE, TRUE, 0);
}

TEST(SkinMenuBar, AnEmptyCaptionTakesNoRoomAndIsNeverHit) {
    MenuForm t(false);
    TMenuItem* blank = t.Add(t.menu->Items(), "");
    blank->SetMenuIndex(1);
    t.Apply();
    ASSERT_EQ(t.Bar()->Buttons().size(), 6u);
    TMenuBtn* b = t.Button(1);
    EXPECT_EQ(b->Bounds.left, b->Bounds.right);
    EXPECT_EQ(t.Button(2)->Bounds.left, t.Button(0)->Bounds.right);
    EXPECT_EQ(t.skin->FindMenuButton({b->Bounds.left, b->Bounds.top + 2}), t.Button(2));
    // Even with room of its own an entry without a caption is never hit.
    const RECT band = t.Bar()->Band();
    b->Bounds = {band.right - 30, band.top, band.right - 2, band.bottom - 1};
    EXPECT_EQ(t.skin->FindMenuButton({band.right - 10, band.top + 3}), nullptr);
}

TEST(SkinMenuBar, HoverFramesOnlyTheEntryUnderTheMouse) {
    MenuForm t;
    TMenuBtn* file = t.Button(0);
    TMenuBtn* edit = t.Button(1);
    POINT p = t.ScreenOf(edit);
    SendMessageW(t.Wnd(), WM_NCMOUSEMOVE, HTMENU, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(t.skin->HotObject, edit);
    EXPECT_EQ(edit->State, ncsHot);
    Pixels hot(t.Wnd());
    EXPECT_EQ(hot.At(edit->Bounds.left, edit->Bounds.top + 4), kHotFrame);
    EXPECT_EQ(hot.At(file->Bounds.left, file->Bounds.top + 4), kBarActive);
    p = t.ScreenOf(file);
    SendMessageW(t.Wnd(), WM_NCMOUSEMOVE, HTMENU, MAKELPARAM(p.x, p.y));
    Pixels moved(t.Wnd());
    EXPECT_EQ(edit->State, ncsNormal);
    EXPECT_EQ(moved.At(edit->Bounds.left, edit->Bounds.top + 4), kBarActive);
    EXPECT_EQ(moved.At(file->Bounds.left, file->Bounds.top + 4), kHotFrame);
}

TEST(SkinMenuBar, AClickOpensTheSkinnedPopupUnderTheEntryWithItsFirstItemSelected) {
    MenuForm t;
    std::vector<HWND> popups;
    int selected = -2;
    RECT popupRect{};
    RECT itemRects[2]{};
    size_t skinnedPopups = 0;
    LRESULT query = 0;
    bool ownerDrawn = false;
    std::unique_ptr<Pixels> shot;
    MenuScript script({[] {},
                       [&] {
                           popups = OpenPopups();
                           selected = Hilited(t.file->Handle());
                           skinnedPopups = t.mgr.m->PopupMenuCount();
                           if (!popups.empty()) {
                               GetWindowRect(popups[0], &popupRect);
                               query = SendMessageW(popups[0], WM_SKIN_QUERY, 0, 0);
                               shot = std::make_unique<Pixels>(popups[0]);
                               shot->Save("menu-file.png");
                               for (UINT i = 0; i < 2; ++i)
                                   GetMenuItemRect(popups[0], t.file->Handle(), i, &itemRects[i]);
                           }
                           MENUITEMINFOW mii{sizeof(mii)};
                           mii.fMask = MIIM_FTYPE;
                           GetMenuItemInfoW(t.file->Handle(), 1, TRUE, &mii);
                           ownerDrawn = (mii.fType & MFT_OWNERDRAW) != 0;
                       }});
    t.Click(0);
    EXPECT_FALSE(script.TimedOut());
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(skinnedPopups, 1u);
    EXPECT_EQ(query, 1);
    EXPECT_TRUE(ownerDrawn);
    RECT w;
    GetWindowRect(t.Wnd(), &w);
    EXPECT_EQ(popupRect.left, w.left + t.Button(0)->Bounds.left);
    EXPECT_EQ(popupRect.top, w.top + t.Button(0)->Bounds.bottom);
    ASSERT_TRUE(shot);
    // The border is the skin's; the selected first item shows frame 4, the next one frame 1.
    EXPECT_EQ(shot->At(1, 1), kPopupBorder);
    EXPECT_EQ(shot->At(shot->w - 2, shot->h - 2), kPopupBorder);
    RECT first{}, second{};
    ASSERT_FALSE(IsRectEmpty(&itemRects[0]));
    first = itemRects[0];
    second = itemRects[1];
    OffsetRect(&first, -popupRect.left, -popupRect.top);
    OffsetRect(&second, -popupRect.left, -popupRect.top);
    EXPECT_EQ(shot->At(first.right - 3, (first.top + first.bottom) / 2), kItemSelected);
    EXPECT_EQ(shot->At(second.right - 3, (second.top + second.bottom) / 2), kItemNormal);
    EXPECT_TRUE(shot->Has(second, kImage0)); // the Open item's glyph
    EXPECT_EQ(t.mgr.m->PopupMenuCount(), 0u);
    EXPECT_EQ(t.mgr.m->MenuSource, 0);
    EXPECT_FALSE(t.mgr.m->MenuBarOpen);
    EXPECT_EQ(TWinSkinMenu::Tracked(), nullptr);
    EXPECT_EQ(t.Button(0)->State, ncsNormal);
}

TEST(SkinMenuBar, ArrowKeysWalkTheEntriesWrapAndPassOverDisabledAndEmptyOnes) {
    MenuForm t(false);
    TMenuItem* blank = t.Add(t.menu->Items(), "", "blank");
    blank->SetMenuIndex(2); // File, Edit, (blank), Gone, View, Help
    t.Apply();
    std::vector<int> opened;
    auto note = [&] { opened.push_back(OpenPopups().empty() ? -1 : TWinSkinMenu::OpenIndex()); };
    MenuScript script({[] {}, note, [&] { t.Key(VK_LEFT); }, note, [&] { t.Key(VK_RIGHT); }, note,
                       [&] { t.Key(VK_RIGHT); }, note, [&] { t.Key(VK_RIGHT); }, note,
                       [&] { t.Key(VK_LEFT); }, note});
    t.Click(0);
    EXPECT_FALSE(script.TimedOut());
    PumpFor(20);
    // File, back round to Help, forward round to File, Edit, then past the empty entry and
    // the disabled Gone to View, and back to Edit: menu mode never ends, and neither of the
    // two gets a command.
    EXPECT_EQ(opened, (std::vector<int>{0, 5, 0, 1, 4, 1}));
    EXPECT_EQ(t.Commands(t.gone->Command()), 0);
    EXPECT_EQ(t.Commands(blank->Command()), 0);
    EXPECT_TRUE(t.clicks.empty());
    EXPECT_EQ(TWinSkinMenu::Tracked(), nullptr);
}

TEST(SkinMenuBar, LeftArrowInANestedSubmenuClosesItBeforeMovingOn) {
    MenuForm t;
    std::vector<size_t> counts;
    std::vector<int> opened;
    auto note = [&] {
        counts.push_back(OpenPopups().size());
        opened.push_back(TWinSkinMenu::OpenIndex());
    };
    // New is selected on open; Down twice skips the separator to Recent.
    MenuScript script({[] {}, [&] { t.Key(VK_DOWN); }, [&] { t.Key(VK_DOWN); }, note,
                       [&] { t.Key(VK_RIGHT); }, note, [&] { t.Key(VK_LEFT); }, note,
                       [&] { t.Key(VK_LEFT); }, note});
    t.Click(0);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(counts, (std::vector<size_t>{1, 2, 1, 1}));
    EXPECT_EQ(opened, (std::vector<int>{0, 0, 0, 4}));
}

TEST(SkinMenuBar, TheMouseSlidesFromOneOpenEntryToTheNext) {
    MenuForm t;
    std::vector<int> opened;
    auto moveTo = [&](int i) {
        POINT p = t.ScreenOf(t.Button(i), 4, 4);
        SetCursorPos(p.x, p.y);
        PostMessageW(t.Wnd(), WM_MOUSEMOVE, 0, 0);
    };
    auto note = [&] { opened.push_back(OpenPopups().empty() ? -1 : TWinSkinMenu::OpenIndex()); };
    MenuScript script({[] {}, note, [&] { moveTo(1); }, [] {}, note, [&] { moveTo(3); }, [] {},
                       note, [&] { moveTo(3); }, note});
    t.Click(0);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(opened, (std::vector<int>{0, 1, 3, 3}));
}

TEST(SkinMenuBar, AMouseRestingOverAnEntryDoesNotPickIt) {
    MenuForm t;
    POINT p = t.ScreenOf(t.Button(3), 4, 4);
    SetCursorPos(p.x, p.y);
    std::vector<int> opened;
    auto note = [&] { opened.push_back(TWinSkinMenu::OpenIndex()); };
    MenuScript script({[] {}, note, [&] { PostMessageW(t.Wnd(), WM_MOUSEMOVE, 0, 0); }, note});
    t.Click(0);
    SetCursorPos(5, 5);
    EXPECT_EQ(opened, (std::vector<int>{0, 0}));
}

TEST(SkinMenuBar, AltAcceleratorsAndTheMenuKeyOpenEntries) {
    MenuForm t;
    BYTE keys[256] = {}, saved[256] = {};
    GetKeyboardState(saved);
    std::copy(saved, saved + 256, keys);
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    const LRESULT disabled = t.form->Perform(CM_DIALOGCHAR, 'g', 0);
    MSG posted{};
    const bool none =
        !PeekMessageW(&posted, t.Wnd(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_NOREMOVE);
    const LRESULT viewAnswer = t.form->Perform(CM_DIALOGCHAR, 'v', 0);
    SetKeyboardState(saved);
    EXPECT_EQ(disabled, 0);
    EXPECT_TRUE(none);
    EXPECT_EQ(viewAnswer, 1);
    std::vector<int> opened;
    auto openBy = [&](const std::function<void()>& start) {
        const size_t before = opened.size();
        MenuScript script({[] {}, [&] { opened.push_back(TWinSkinMenu::OpenIndex()); }});
        start();
        PumpUntil([&] { return opened.size() > before && TWinSkinMenu::Tracked() == nullptr; },
                  3000);
    };
    openBy([] {}); // the click that Alt+V posted
    // Alt alone (character 0) opens the first entry, Alt+H the last.
    openBy([&] { EXPECT_EQ(SendMessageW(t.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, 0), 1); });
    openBy([&] { EXPECT_EQ(SendMessageW(t.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, 'h'), 1); });
    EXPECT_EQ(opened, (std::vector<int>{3, 0, 4}));
}

TEST(SkinMenuBar, ChosenCommandsReachTheFormAsWithTheNativeBar) {
    // The same walk on the native bar and on the skinned one: Open, then Deep in a nested
    // submenu, then the radio item Small.
    auto run = [](MenuForm& t, const std::function<void(int)>& open) {
        for (auto [entry, keys] : std::vector<std::pair<int, std::vector<WPARAM>>>{
                 {0, {VK_DOWN, VK_RETURN}},
                 {0, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_RETURN}},
                 {3, {VK_RETURN}}}) {
            std::vector<MenuScript::Step> steps{[] {}};
            for (WPARAM k : keys) steps.push_back([&t, k] { t.Key(k); });
            MenuScript script(steps);
            open(entry);
            PumpUntil([&] { return script.Finished() && OpenPopups().empty(); }, 3000);
            EXPECT_FALSE(script.TimedOut());
            PumpFor(30);
        }
    };
    MenuForm native(false);
    run(native, [&](int entry) {
        // The native bar opens through the system's keyboard menu.
        SendMessageW(native.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, entry == 0 ? 'f' : 'v');
    });
    MenuForm skinned;
    run(skinned, [&](int entry) { skinned.Click(entry); });
    EXPECT_EQ(native.clicks, (std::vector<std::string>{"open", "deep", "small"}));
    EXPECT_EQ(skinned.clicks, native.clicks);
    for (TMenuItem* MenuForm::*item : {&MenuForm::open, &MenuForm::deep, &MenuForm::small}) {
        EXPECT_EQ(native.Commands((native.*item)->Command()), 1);
        EXPECT_EQ(skinned.Commands((skinned.*item)->Command()), 1);
    }
}

TEST(SkinMenuBar, SwitchingOffGivesTheNativeMenusBackIntact) {
    MenuForm t;
    SIZE client{};
    {
        RECT r;
        GetClientRect(t.Wnd(), &r);
        client = {r.right, r.bottom};
    }
    {
        MenuScript script({[] {}});
        t.Click(0);
    }
    {
        MenuScript script({[] {}});
        t.Click(1); // Edit: its separators are tidied
    }
    EXPECT_TRUE(t.popup->OwnerDraw());
    EXPECT_TRUE(static_cast<bool>(t.popA->OnDrawItem));
    t.Unskin();
    EXPECT_EQ(GetMenu(t.Wnd()), t.menu->Handle());
    EXPECT_EQ(GetMenuItemCount(t.menu->Handle()), 5);
    for (int i = 0; i < t.edit->Count(); ++i) EXPECT_TRUE(t.edit->Items(i)->Visible()) << i;
    EXPECT_EQ(GetMenuItemCount(t.edit->Handle()), 6);
    EXPECT_FALSE(t.popup->OwnerDraw());
    EXPECT_FALSE(static_cast<bool>(t.popA->OnDrawItem));
    EXPECT_FALSE(static_cast<bool>(t.popA->OnMeasureItem));
    std::function<void(HMENU)> plain = [&](HMENU m) {
        for (int i = 0; i < GetMenuItemCount(m); ++i) {
            MENUITEMINFOW mii{sizeof(mii)};
            mii.fMask = MIIM_FTYPE | MIIM_SUBMENU;
            GetMenuItemInfoW(m, static_cast<UINT>(i), TRUE, &mii);
            EXPECT_FALSE(mii.fType & MFT_OWNERDRAW) << "item " << i;
            if (mii.hSubMenu) plain(mii.hSubMenu);
        }
    };
    plain(t.menu->Handle());
    RECT r;
    GetClientRect(t.Wnd(), &r);
    EXPECT_EQ(r.right, client.cx);
    EXPECT_EQ(r.bottom, client.cy);
}

TEST(SkinMenuBar, SeparatorsAreTidiedBeforeAnEntryOpens) {
    MenuForm t;
    {
        MenuScript script({[] {}});
        t.Click(1);
    }
    std::vector<bool> visible;
    for (int i = 0; i < t.edit->Count(); ++i) visible.push_back(t.edit->Items(i)->Visible());
    // "-", Cut, "-", "-", Copy, "-": leading and trailing go, the pair keeps its last.
    EXPECT_EQ(visible, (std::vector<bool>{false, true, false, true, true, false}));
    EXPECT_EQ(GetMenuItemCount(t.edit->Handle()), 3);
    // A hidden last separator of a run is shown again.
    t.edit->Items(3)->SetVisible(false);
    t.edit->Items(2)->SetVisible(true);
    TWinSkinMenu::TidySeparators(*t.edit);
    EXPECT_FALSE(t.edit->Items(2)->Visible());
    EXPECT_TRUE(t.edit->Items(3)->Visible());
}

TEST(SkinMenuItems, PaintersDrawEachKindOfItemFromTheSkin) {
    MenuForm t;
    TSkinData& d = *t.mgr.data;
    auto draw = [&](TMenuItem* item, bool selected, int h = 22) {
        auto bmp = std::make_unique<TBitmap>(120, h);
        TCanvas& c = bmp->Canvas();
        RECT r{0, 0, 120, h};
        t.skin->DrawItem(*item, c, r, selected);
        GdiFlush();
        return bmp;
    };
    auto colour = [](TBitmap& b, int x, int y) {
        COLORREF c = GetPixel(b.Canvas().Handle(), x, y);
        return static_cast<TColor>(c);
    };
    auto has = [&](TBitmap& b, RECT r, TColor want) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (colour(b, x, y) == want) return true;
        return false;
    };
    auto normal = draw(t.open, false);
    EXPECT_EQ(colour(*normal, 118, 11), kItemNormal);
    EXPECT_TRUE(has(*normal, {0, 0, 120, 22}, kMenuText));
    EXPECT_TRUE(has(*normal, {1 + 2, 1, 1 + 2 + 16, 17}, kImage0)); // glyph box after the margin
    auto selected = draw(t.open, true);
    EXPECT_EQ(colour(*selected, 118, 11), kItemSelected);
    EXPECT_TRUE(has(*selected, {0, 0, 120, 22}, kHilightText));
    EXPECT_FALSE(has(*selected, {0, 0, 120, 22}, kMenuText));
    auto grey = draw(t.disabled, false);
    EXPECT_TRUE(has(*grey, {0, 0, 120, 22}, kDisabledText));
    EXPECT_FALSE(has(*grey, {0, 0, 120, 22}, kMenuText));
    // A separator lower than the image shows the image's bottom rows, the hole letting the
    // popup's colour through (no popup is open: the menu colour).
    TMenuItem* line = t.file->Items(2);
    ASSERT_TRUE(line->IsLine());
    auto sep = draw(line, true, 8);
    EXPECT_EQ(colour(*sep, 60, 0), kSeparatorBottom);
    EXPECT_EQ(colour(*sep, 60, kSeparatorHole - (kItemFrameH - 8)), kMenuFill);
    EXPECT_FALSE(has(*sep, {0, 0, 120, 8}, kSeparatorTop));
    EXPECT_FALSE(has(*sep, {0, 0, 120, 8}, kItemSelected));
    // Checked without an image: the system check mark in the button-text colour; with one:
    // the image on a patterned box.
    auto mark = draw(t.checked, false);
    EXPECT_TRUE(has(*mark, {3, 0, 3 + 17, 22}, static_cast<TColor>(GetSysColor(COLOR_BTNTEXT))));
    auto boxed = draw(t.checkedImage, false);
    EXPECT_TRUE(has(*boxed, {3, 1, 3 + 16, 17}, kImage1));
    auto unchecked = draw(t.exit, false);
    EXPECT_FALSE(
        has(*unchecked, {3, 0, 3 + 17, 22}, static_cast<TColor>(GetSysColor(COLOR_BTNTEXT))));
    // The default item is bold: its caption has more ink than the same text plain.
    auto ink = [&](TBitmap& b) {
        int n = 0;
        for (int y = 0; y < 22; ++y)
            for (int x = 22; x < 66; ++x) n += colour(b, x, y) != kItemNormal;
        return n;
    };
    auto bold = draw(t.newItem, false);
    t.newItem->SetDefault(false);
    auto plain = draw(t.newItem, false);
    EXPECT_GT(ink(*bold), ink(*plain));
    // A skin whose button shadow equals the menu text still greys disabled items.
    d.ButtonShadowColor = d.MenuTextColor;
    auto same = draw(t.disabled, false);
    EXPECT_TRUE(has(*same, {0, 0, 120, 22}, static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW))));
    // Without an item element: plain fills.
    d.MenuItem.reset();
    auto flat = draw(t.open, true);
    EXPECT_EQ(colour(*flat, 118, 11), kHilight);
    auto flatNormal = draw(t.open, false);
    EXPECT_EQ(colour(*flatNormal, 118, 11), kMenuFill);
}

TEST(SkinMenuItems, MeasuringAddsTheSkinMarginAndGlyphRoom) {
    MenuForm t;
    TBitmap b(10, 10);
    TCanvas& c = b.Canvas();
    AssignMenuFont(c.Font());
    int w0 = 0, h0 = 0, w1 = 0, h1 = 0;
    t.open->DefaultMeasureItem(c, w0, h0);
    t.skin->MeasureItem(*t.open, c, w1, h1);
    EXPECT_EQ(w1, w0 + 2 + 10); // item margin, and the menu has images
    EXPECT_EQ(h1, h0);
    int sw = 0, sh = 0;
    t.skin->MeasureSystemItem(*t.open, c, sw, sh);
    EXPECT_EQ(sw, w0 + 2 + 12);
    // A menu without images leaves room for the glyph.
    int pw0 = 0, ph0 = 0, pw1 = 0, ph1 = 0;
    t.popA->DefaultMeasureItem(c, pw0, ph0);
    t.skin->MeasureItem(*t.popA, c, pw1, ph1);
    EXPECT_EQ(pw1, pw0 + 2 + 35);
    // A foreign item is measured from its text; an empty one is a separator's height.
    int fw = 0, fh = 0, ew = 0, eh = 0;
    skinmenu::MeasureText(*t.mgr.data, "Foreign", c.Handle(), fw, fh);
    skinmenu::MeasureText(*t.mgr.data, "", c.Handle(), ew, eh);
    SIZE s{};
    UniqueFont font;
    {
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0);
        font.reset(CreateFontIndirectW(&ncm.lfMenuFont));
        SelectObjectGuard sel(c.Handle(), font.get());
        GetTextExtentPoint32W(c.Handle(), L"Foreign", 7, &s);
    }
    EXPECT_EQ(fw, s.cx + 26 + 2);
    EXPECT_EQ(fh, s.cy + 4);
    EXPECT_EQ(eh, 8);
}

TEST(SkinPopupMenu, TheFormsPopupAndTheSystemMenuAreSkinned) {
    MenuForm t;
    EXPECT_TRUE(t.popup->OwnerDraw());
    size_t skinned = 0;
    int selected = -2;
    std::unique_ptr<Pixels> shot;
    HWND popupWindow = nullptr;
    COLORREF printedBorder = 0;
    LRESULT eraseWith = 0, eraseWithout = 0, query = 0;
    // Behind the skin, in front of the system's popup procedure: whether the system is asked to
    // erase. Put there while the popup window is created, before the manager's hook skins it.
    static int systemErases;
    static TWindowSubclass* behind;
    TWindowSubclass systemSide;
    systemErases = 0;
    behind = &systemSide;
    HHOOK cbt = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM w, LPARAM l) -> LRESULT {
            wchar_t name[16] = {};
            if (code == HCBT_CREATEWND && behind && !behind->Attached() &&
                GetClassNameW(reinterpret_cast<HWND>(w), name, 16) && !lstrcmpW(name, L"#32768"))
                behind->Attach(reinterpret_cast<HWND>(w), [](TMessage& m) {
                    systemErases += m.Msg == WM_ERASEBKGND;
                    behind->CallPrevious(m);
                });
            return CallNextHookEx(nullptr, code, w, l);
        },
        nullptr, GetCurrentThreadId());
    int erasedWith = -1, erasedWithout = -1;
    {
        MenuScript script(
            {[] {},
             [&] {
                 skinned = t.mgr.m->PopupMenuCount();
                 t.Key(VK_DOWN);
             },
             [&] {
                 selected = Hilited(t.popup->Handle());
                 auto p = OpenPopups();
                 if (p.empty()) return;
                 shot = std::make_unique<Pixels>(p[0]);
                 popupWindow = p[0];
                 RECT r;
                 GetWindowRect(p[0], &r);
                 // Printing the popup lays the skin's background under the
                 // system's drawing.
                 TBitmap print(r.right - r.left, r.bottom - r.top);
                 SendMessageW(p[0], WM_PRINT, reinterpret_cast<WPARAM>(print.Canvas().Handle()),
                              PRF_CLIENT | PRF_NONCLIENT);
                 printedBorder = GetPixel(print.Canvas().Handle(), 1, 1);
                 // With xoMenuBG the background is never erased; either way the
                 // answer is 1.
                 t.mgr.data->Options |= SetBit(xoMenuBG);
                 HDC dc = GetDC(p[0]);
                 int before = systemErases;
                 eraseWith = SendMessageW(p[0], WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
                 erasedWith = systemErases - before;
                 t.mgr.data->Options &= static_cast<TSkinOptions>(~SetBit(xoMenuBG));
                 before = systemErases;
                 eraseWithout = SendMessageW(p[0], WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
                 erasedWithout = systemErases - before;
                 ReleaseDC(p[0], dc);
                 query = SendMessageW(p[0], WM_SKIN_QUERY, 0, 0);
             },
             [&] { t.Key(VK_RETURN); }});
        t.popup->Popup(200, 200);
    }
    UnhookWindowsHookEx(cbt);
    behind = nullptr;
    EXPECT_EQ(printedBorder, ::ColorToRGB(kPopupBorder));
    EXPECT_EQ(eraseWith, 1);
    EXPECT_EQ(eraseWithout, 1);
    EXPECT_EQ(erasedWith, 0);    // the skinned background stays
    EXPECT_EQ(erasedWithout, 1); // the system erases as it would
    EXPECT_EQ(query, 1);
    ASSERT_NE(popupWindow, nullptr);
    EXPECT_FALSE(t.mgr.m->IsPopupMenu(popupWindow)); // forgotten when it went
    EXPECT_EQ(skinned, 1u);
    EXPECT_EQ(selected, 0);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->At(1, 1), kPopupBorder);
    EXPECT_TRUE(shot->Has({0, 0, shot->w, shot->h}, kItemSelected));
    EXPECT_EQ(t.clicks, (std::vector<std::string>{"popA"}));
    // The system menu: its popup window is skinned too, and its items use the painters.
    size_t sysSkinned = 0;
    bool painters = false;
    {
        MenuScript script({[] {},
                           [&] {
                               sysSkinned = t.mgr.m->PopupMenuCount();
                               TPopupMenu* sys = t.skin->SystemMenuPopup();
                               painters = sys && sys->Items()->Count() > 0 &&
                                          sys->Items()->Items(0)->OnDrawItem &&
                                          sys->Items()->Items(0)->OnMeasureItem;
                           }});
        SendMessageW(t.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    }
    EXPECT_EQ(sysSkinned, 1u);
    EXPECT_TRUE(painters);
    EXPECT_EQ(t.mgr.m->PopupMenuCount(), 0u);
}

TEST(SkinMenuBar, RightToLeftBarsRunFromTheRightAndSwapTheArrows) {
    MenuForm t(true, true);
    ASSERT_TRUE(t.skin->RightToLeft());
    const RECT band = t.Bar()->Band();
    EXPECT_EQ(t.Button(0)->Bounds.right, band.right - (kBarMargin + 8));
    EXPECT_EQ(t.Button(1)->Bounds.right, t.Button(0)->Bounds.left);
    std::vector<int> opened;
    auto note = [&] { opened.push_back(TWinSkinMenu::OpenIndex()); };
    MenuScript script({[] {}, note, [&] { t.Key(VK_LEFT); }, note});
    t.Click(0);
    EXPECT_EQ(opened, (std::vector<int>{0, 1}));
}

// Screenshots for the documentation, with the product skin: an open nested menu and the
// skinned system menu.
TEST(SkinMenuBar, ScreenshotsOfAnOpenNestedMenuAndTheSystemMenu) {
    const char* dir = std::getenv("CORVANE_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "CORVANE_SCREENSHOT_DIR not set";
    MenuForm t(true, false, ProductSkinStore());
    auto shoot = [&](const char* name) {
        auto p = OpenPopups();
        RECT all;
        GetWindowRect(t.Wnd(), &all);
        for (HWND w : p) {
            RECT r;
            GetWindowRect(w, &r);
            UnionRect(&all, &all, &r);
        }
        Pixels(all).Save(name);
        return p.size();
    };
    size_t nested = 0, system = 0;
    {
        MenuScript script({[] {}, [&] { t.Key(VK_DOWN); }, [&] { t.Key(VK_DOWN); },
                           [&] { t.Key(VK_RIGHT); }, [] {},
                           [&] { nested = shoot("menu-nested.png"); }});
        t.Click(0);
    }
    {
        MenuScript script(
            {[] {}, [&] { t.Key(VK_DOWN); }, [] {}, [&] { system = shoot("system-menu.png"); }});
        SendMessageW(t.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    }
    EXPECT_EQ(nested, 2u);
    EXPECT_EQ(system, 1u);
}

// A window of another kind (no toolkit object) with a native menu: its items are drawn as
// foreign items and measured from their text, and its commands reach its own procedure.
TEST(SkinMenuBar, AForeignWindowsMenuIsSkinnedAndItsCommandsArrive) {
    MenuManager mgr(MenuSkinStore());
    static std::vector<UINT> commands;
    static int ownMeasured, ownDrawn;
    commands.clear();
    ownMeasured = ownDrawn = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_COMMAND) commands.push_back(LOWORD(wp));
        // Its own owner-drawn item: measured and drawn here, never by the skin.
        if (msg == WM_MEASUREITEM && reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemID == 0x2004) {
            ++ownMeasured;
            reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemWidth = 60;
            reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 18;
            return TRUE;
        }
        if (msg == WM_DRAWITEM && reinterpret_cast<DRAWITEMSTRUCT*>(lp)->itemID == 0x2004) {
            ++ownDrawn;
            return TRUE;
        }
        return DefWindowProcW(w, msg, wp, lp);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CorvaneForeignMenuWindow";
    RegisterClassW(&wc);
    HMENU bar = CreateMenu(), sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, 0x2001, L"&Alpha\tCtrl+A");
    AppendMenuW(sub, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(sub, MF_STRING | MF_GRAYED, 0x2002, L"&Beta");
    AppendMenuW(sub, MF_STRING | MF_CHECKED, 0x2003, L"&Gamma");
    AppendMenuW(sub, MF_OWNERDRAW, 0x2004, nullptr);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"&Things");
    HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"Foreign", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               120, 120, 300, 200, nullptr, bar, wc.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr);
    SetForegroundWindow(wnd);
    PumpFor(20);
    // A window of this program: the manager skins it when it activates.
    TWinSkinForm* skin = mgr.m->FindSkinnedForm(wnd);
    ASSERT_NE(skin, nullptr);
    ASSERT_NE(skin->MenuBar(), nullptr);
    ASSERT_EQ(skin->MenuBar()->Buttons().size(), 1u);
    EXPECT_EQ(skin->MenuBar()->Buttons()[0]->Caption, L"&Things");
    RECT itemRect{};
    std::unique_ptr<Pixels> shot;
    RECT popupRect{};
    {
        MenuScript script({[] {},
                           [&] {
                               auto p = OpenPopups();
                               if (p.empty()) return;
                               GetWindowRect(p[0], &popupRect);
                               GetMenuItemRect(p[0], sub, 0, &itemRect);
                               shot = std::make_unique<Pixels>(p[0]);
                           },
                           [&] { PostMessageW(wnd, WM_KEYDOWN, VK_RETURN, 0); }});
        RECT w;
        GetWindowRect(wnd, &w);
        const RECT& b = skin->MenuBar()->Buttons()[0]->Bounds;
        SendMessageW(wnd, WM_NCLBUTTONDOWN, HTMENU,
                     MAKELPARAM(w.left + b.left + 3, w.top + b.top + 3));
    }
    PumpFor(30);
    ASSERT_TRUE(shot);
    OffsetRect(&itemRect, -popupRect.left, -popupRect.top);
    // The first item, selected on open, in the skin's selected frame; the width has room for
    // the text, its keys and the skin's margin.
    EXPECT_EQ(shot->At(itemRect.right - 3, (itemRect.top + itemRect.bottom) / 2), kItemSelected);
    EXPECT_TRUE(shot->Has(itemRect, kHilightText));
    EXPECT_EQ(shot->At(1, 1), kPopupBorder);
    // Only the chosen item's command: opening the entry sends none (its id is a handle).
    EXPECT_EQ(commands, (std::vector<UINT>{0x2001u}));
    EXPECT_GE(ownMeasured, 1);
    EXPECT_GE(ownDrawn, 1);
    skin->Detach();
    EXPECT_EQ(GetMenu(wnd), bar);
    MENUITEMINFOW mii{sizeof(mii)};
    mii.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(sub, 0, TRUE, &mii);
    EXPECT_FALSE(mii.fType & MFT_OWNERDRAW);
    GetMenuItemInfoW(sub, 4, TRUE, &mii);
    EXPECT_TRUE(mii.fType & MFT_OWNERDRAW); // its own stays so
    DestroyWindow(wnd);
    PumpFor(20);
}

// With the skin's control set holding the menu-item kind, the main menu itself is owner-drawn
// with the painters, and given back as it was.
TEST(SkinMenuItems, TheMenuItemKindSwitchesTheMainMenuToThePainters) {
    MenuForm t(false);
    t.mgr.data->SkinControls |= SetBit(xcMenuItem);
    t.Apply();
    EXPECT_TRUE(t.menu->OwnerDraw());
    EXPECT_TRUE(static_cast<bool>(t.open->OnDrawItem));
    EXPECT_TRUE(static_cast<bool>(t.open->OnMeasureItem));
    EXPECT_TRUE(static_cast<bool>(t.deep->OnDrawItem));
    EXPECT_FALSE(static_cast<bool>(t.file->OnDrawItem)); // the bar's own entries are the skin's
    ASSERT_EQ(t.Bar()->Buttons().size(), 5u);
    EXPECT_EQ(t.Button(0)->Caption, L"&File");
    // The menu opens from WM_SKIN_MENU_AT as from a click.
    std::vector<int> opened;
    {
        MenuScript script({[] {}, [&] { opened.push_back(TWinSkinMenu::OpenIndex()); }});
        POINT p = t.ScreenOf(t.Button(1));
        SendMessageW(t.Wnd(), WM_SKIN_MENU_AT, 0, MAKELPARAM(p.x, p.y));
    }
    EXPECT_EQ(opened, (std::vector<int>{1}));
    t.Unskin();
    EXPECT_FALSE(t.menu->OwnerDraw());
    EXPECT_FALSE(static_cast<bool>(t.open->OnDrawItem));
    EXPECT_FALSE(static_cast<bool>(t.open->OnMeasureItem));
    EXPECT_EQ(GetMenu(t.Wnd()), t.menu->Handle());
}

TEST(SkinMenuBar, NoHandleGrowthOverManyOpenings) {
    MenuForm t;
    auto openAndClose = [&](int n) {
        for (int i = 0; i < n; ++i) {
            // The Escapes wait in the queue: one closes the popup as soon as it is up, the next
            // ends the menu mode it leaves in the bar.
            MenuScript guard({}, 2000);
            t.Key(VK_ESCAPE);
            t.Key(VK_ESCAPE);
            t.Click(i % 2 == 0 ? 0 : 3);
        }
    };
    openAndClose(10);
    PumpFor(50);
    t.log.Clear();
    const int thunks = LiveSubclassThunks();
    GuiCounts base = CurrentGuiCounts();
    openAndClose(500);
    PumpFor(50);
    GuiCounts after = CurrentGuiCounts();
    ASSERT_GE(base.gdi, 0); // the GDI table could be read
    EXPECT_LE(after.gdi, base.gdi);
    EXPECT_LE(after.user, base.user);
    EXPECT_EQ(LiveSubclassThunks(), thunks);
    EXPECT_EQ(t.mgr.m->PopupMenuCount(), 0u);
    EXPECT_EQ(t.log.Count(WM_INITMENUPOPUP), 500); // every one of them opened
}

// ---------------------------------------------------------------- lifetime and re-entry

TEST(SkinMenuBar, AFreedOrReplacedMainMenuIsFollowed) {
    MenuForm t;
    ASSERT_EQ(t.Bar()->Buttons().size(), 5u);
    // Another menu: the bar shows it, and its entry opens.
    auto* other = new TMainMenu(t.form.get());
    TMenuItem* alpha = t.Add(other->Items(), "&Alpha");
    t.Add(alpha, "&First", "first");
    t.form->SetMenu(other);
    ASSERT_EQ(t.Bar()->Buttons().size(), 1u);
    EXPECT_EQ(t.Button(0)->Caption, L"&Alpha");
    EXPECT_EQ(t.Button(0)->Item, alpha);
    EXPECT_EQ(GetMenu(t.Wnd()), nullptr);
    int shown = -1;
    {
        MenuScript script({[] {},
                           [&] {
                               shown = static_cast<int>(OpenPopups().size());
                               t.Key(VK_RETURN);
                           }});
        t.Click(0);
    }
    PumpFor(20);
    EXPECT_EQ(shown, 1) << t.Button(0)->Bounds.left << " " << t.Button(0)->Bounds.right;
    EXPECT_EQ(t.clicks, (std::vector<std::string>{"first"}));
    // The old menu freed, then the one shown: the bar is empty and a click there is harmless.
    delete t.menu;
    t.menu = nullptr;
    POINT where = t.ScreenOf(t.Button(0));
    delete other;
    EXPECT_TRUE(t.Bar()->Buttons().empty());
    {
        MenuScript script({[] {}});
        SendMessageW(t.Wnd(), WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(where.x, where.y));
        SendMessageW(t.Wnd(), WM_SKIN_MENU_AT, 0, MAKELPARAM(where.x, where.y));
    }
    EXPECT_EQ(TWinSkinMenu::Tracked(), nullptr);
    t.skin->PaintFrame();
}

TEST(SkinMenuBar, AnActionUpdateThatChangesTheMenuDuringARebuildDoesNotDoubleTheEntries) {
    MenuForm t;
    auto* action = new TAction(t.form.get());
    int updates = 0;
    action->OnUpdate = [&](TObject*) {
        ++updates;
        t.file->SetCaption("&Files"); // a change: the form hears of it at once
    };
    // The change of action rebuilds the bar, which runs the update, which changes the menu.
    t.file->SetAction(action);
    EXPECT_GE(updates, 1);
    ASSERT_EQ(t.Bar()->Buttons().size(), 5u);
    EXPECT_EQ(t.Button(0)->Caption, L"&Files");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t.Button(i)->Index, i);
    t.file->SetAction(nullptr);
}

TEST(SkinMenuBar, ADisabledEntryLeavesNoMenuMarksBehind) {
    MenuForm t;
    {
        MenuScript script({[] {}});
        t.Click(2); // Gone
    }
    EXPECT_EQ(t.Commands(t.gone->Command()), 0);
    EXPECT_FALSE(t.mgr.m->MenuBarOpen);
    EXPECT_EQ(t.mgr.m->MenuSource, 0);
    EXPECT_EQ(t.Button(2)->State, ncsNormal);
    // The next popup of the form is an application popup again: it is skinned as one.
    size_t skinned = 0;
    bool barPopup = true;
    {
        MenuScript script({[] {},
                           [&] {
                               skinned = t.mgr.m->PopupMenuCount();
                               barPopup = t.mgr.m->MenuBarOpen;
                           }});
        t.popup->Popup(200, 200);
    }
    EXPECT_EQ(skinned, 1u);
    EXPECT_FALSE(barPopup);
}

TEST(SkinMenuBar, AnOpenAskedForWhileAMenuIsTrackedMovesOnAndTheBarStillOpens) {
    MenuForm t;
    std::vector<int> opened;
    auto note = [&] { opened.push_back(OpenPopups().empty() ? -1 : TWinSkinMenu::OpenIndex()); };
    {
        MenuScript script({[] {}, note,
                           [&] {
                               POINT p = t.ScreenOf(t.Button(3));
                               SendMessageW(t.Wnd(), WM_SKIN_MENU_AT, 0, MAKELPARAM(p.x, p.y));
                           },
                           [] {}, note});
        t.Click(0);
        PumpUntil([&] { return script.Finished() && TWinSkinMenu::Tracked() == nullptr; }, 3000);
    }
    EXPECT_EQ(opened, (std::vector<int>{0, 3}));
    EXPECT_EQ(TWinSkinMenu::Tracked(), nullptr);
    {
        MenuScript script({[] {}, note});
        t.Click(1);
    }
    EXPECT_EQ(opened, (std::vector<int>{0, 3, 1}));
    // The open entry keeps its frame through a repaint of the whole frame.
    Pixels* framed = nullptr;
    std::unique_ptr<Pixels> shot;
    {
        MenuScript script({[] {},
                           [&] {
                               t.skin->PaintFrame();
                               shot = std::make_unique<Pixels>(t.Wnd());
                               framed = shot.get();
                           }});
        t.Click(1);
    }
    ASSERT_NE(framed, nullptr);
    EXPECT_EQ(framed->At(t.Button(1)->Bounds.left, t.Button(1)->Bounds.top + 4), kHotFrame);
    EXPECT_EQ(Pixels(t.Wnd()).At(t.Button(1)->Bounds.left, t.Button(1)->Bounds.top + 4),
              kBarActive);
}

TEST(SkinMenuItems, ItemsAddedAfterSkinningGetThePaintersToo) {
    MenuForm t(false);
    t.mgr.data->SkinControls |= SetBit(xcMenuItem);
    t.Apply();
    TMenuItem* late = t.Add(t.file, "&Late", "late");
    EXPECT_TRUE(static_cast<bool>(late->OnDrawItem));
    EXPECT_TRUE(static_cast<bool>(late->OnMeasureItem));
    t.Unskin();
    EXPECT_FALSE(static_cast<bool>(late->OnDrawItem));
    EXPECT_FALSE(static_cast<bool>(late->OnMeasureItem));
}

TEST(SkinPopupMenu, ItemsAddedAfterSkinningArePaintedByTheSkinWhenThePopupShows) {
    MenuForm t;
    TMenuItem* late = t.Add(t.popup->Items(), "&Late", "late");
    TMenuItem* deeper = t.Add(t.Add(t.popup->Items(), "&More"), "Deeper", "deeper");
    RECT lateRect{}, popupRect{};
    std::unique_ptr<Pixels> shot;
    {
        MenuScript script({[] {},
                           [&] {
                               auto p = OpenPopups();
                               if (p.empty()) return;
                               GetWindowRect(p[0], &popupRect);
                               GetMenuItemRect(p[0], t.popup->Handle(), 3, &lateRect);
                               shot = std::make_unique<Pixels>(p[0]);
                           },
                           [&] { t.Key(VK_ESCAPE); }});
        t.popup->Popup(200, 200);
    }
    EXPECT_TRUE(static_cast<bool>(late->OnDrawItem));
    EXPECT_TRUE(static_cast<bool>(late->OnMeasureItem));
    EXPECT_TRUE(static_cast<bool>(deeper->OnDrawItem));
    EXPECT_TRUE(t.clicks.empty());
    ASSERT_TRUE(shot);
    OffsetRect(&lateRect, -popupRect.left, -popupRect.top);
    // Not selected: the skin's item face, where the system would fill with its menu colour.
    EXPECT_EQ(shot->At(lateRect.right - 3, (lateRect.top + lateRect.bottom) / 2), kItemNormal);
    t.Unskin();
    EXPECT_FALSE(static_cast<bool>(late->OnDrawItem));
    EXPECT_FALSE(static_cast<bool>(deeper->OnDrawItem));
}

namespace {

// Shows the popup from a script, reads the middle right of each of its first items and closes
// it; empty when it never showed.
std::vector<TColor> ShowAndRead(MenuForm& t, TPopupMenu& popup, int items) {
    std::vector<TColor> read;
    MenuScript script({[] {},
                       [&] {
                           auto p = OpenPopups();
                           if (p.empty()) return;
                           RECT popupRect;
                           GetWindowRect(p[0], &popupRect);
                           Pixels shot(p[0]);
                           for (int i = 0; i < items; ++i) {
                               RECT r{};
                               GetMenuItemRect(p[0], popup.Handle(), static_cast<UINT>(i), &r);
                               OffsetRect(&r, -popupRect.left, -popupRect.top);
                               read.push_back(shot.At(r.right - 3, (r.top + r.bottom) / 2));
                           }
                       },
                       [&] { t.Key(VK_ESCAPE); }});
    popup.Popup(200, 200);
    return read;
}

// The owner-draw type of every entry of the menu and its submenus, in order.
std::vector<bool> OwnerDrawTypes(HMENU menu) {
    std::vector<bool> types;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW mii{sizeof mii, MIIM_FTYPE | MIIM_SUBMENU};
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
        types.push_back((mii.fType & MFT_OWNERDRAW) != 0);
        if (mii.hSubMenu)
            for (bool b : OwnerDrawTypes(mii.hSubMenu)) types.push_back(b);
    }
    return types;
}

} // namespace

TEST(SkinPopupMenu, APopupMadeAfterSkinningIsSkinnedWhenItShowsAndGivenBackAtUnskinning) {
    MenuForm t;
    auto* late = new TPopupMenu(t.form.get());
    TMenuItem* first = t.Add(late->Items(), "Late &A", "lateA");
    TMenuItem* second = t.Add(late->Items(), "Late &B", "lateB");
    TMenuItem* more = t.Add(late->Items(), "&More");
    TMenuItem* deeper = t.Add(more, "Deeper", "deeper");
    const std::vector<bool> native = OwnerDrawTypes(late->Handle());
    ASSERT_EQ(native, std::vector<bool>(4, false));

    std::vector<TColor> skinned = ShowAndRead(t, *late, 2);
    ASSERT_EQ(skinned.size(), 2u);
    EXPECT_EQ(skinned[0], kItemNormal);
    EXPECT_EQ(skinned[1], kItemNormal);
    EXPECT_TRUE(late->OwnerDraw());
    EXPECT_EQ(OwnerDrawTypes(late->Handle()), std::vector<bool>(4, true));
    EXPECT_TRUE(static_cast<bool>(deeper->OnDrawItem));
    EXPECT_TRUE(t.clicks.empty());

    t.Unskin();
    EXPECT_FALSE(late->OwnerDraw());
    EXPECT_EQ(OwnerDrawTypes(late->Handle()), native);
    for (TMenuItem* item : {first, second, more, deeper}) {
        EXPECT_FALSE(static_cast<bool>(item->OnDrawItem));
        EXPECT_FALSE(static_cast<bool>(item->OnMeasureItem));
    }
    std::vector<TColor> plain = ShowAndRead(t, *late, 1);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0], static_cast<TColor>(ColorToRGB(clMenu)));
}

TEST(SkinPopupMenu, APopupTheApplicationDrawsItselfStaysItsOwn) {
    constexpr TColor kOwn = 0x3070A0;
    // One owner-drawn before the skin went on, one made after it.
    MenuForm t(false);
    auto makeOwn = [&](int& drawn) {
        auto* popup = new TPopupMenu(t.form.get());
        popup->SetOwnerDraw(true);
        TMenuItem* own = t.Add(popup->Items(), "Own", "own");
        own->OnDrawItem = [&drawn](TObject*, TCanvas& c, const RECT& r, bool) {
            ++drawn;
            c.Brush().SetColor(kOwn);
            c.FillRect(r);
        };
        t.Add(popup->Items(), "Plain", "plain"); // the toolkit's default drawing
        return popup;
    };
    int drawnBefore = 0, drawnAfter = 0;
    TPopupMenu* before = makeOwn(drawnBefore);
    t.Apply();
    TPopupMenu* after = makeOwn(drawnAfter);
    for (auto [popup, drawn] : {std::pair{before, &drawnBefore}, std::pair{after, &drawnAfter}}) {
        std::vector<TColor> read = ShowAndRead(t, *popup, 2);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(read[0], kOwn);
        EXPECT_NE(read[1], kItemNormal);
        EXPECT_GT(*drawn, 0);
        EXPECT_FALSE(static_cast<bool>(popup->Items()->Items(1)->OnDrawItem));
        EXPECT_FALSE(static_cast<bool>(popup->Items()->Items(1)->OnMeasureItem));
    }
    t.Unskin();
    EXPECT_TRUE(before->OwnerDraw());
    EXPECT_TRUE(after->OwnerDraw());
    EXPECT_TRUE(static_cast<bool>(before->Items()->Items(0)->OnDrawItem));
}

TEST(SkinPopupMenu, ALongPopupKeepsTheSystemsScrollArrows) {
    MenuForm t;
    for (int i = 0; i < 120; ++i) t.Add(t.popup->Items(), "Item " + std::to_string(i));
    bool system = false, skinned = false;
    {
        MenuScript script({[] {},
                           [&] {
                               auto p = OpenPopups();
                               if (p.empty()) return;
                               skinned = SendMessageW(p[0], WM_SKIN_QUERY, 0, 0) == 1;
                               RECT c;
                               GetClientRect(p[0], &c);
                               Pixels px(p[0]);
                               POINT o{0, 0};
                               ClientToScreen(p[0], &o);
                               RECT w;
                               GetWindowRect(p[0], &w);
                               // The strip above the first item, where the up arrow is.
                               const int top = o.y - w.top;
                               for (int y = top; y < top + 8; ++y)
                                   for (int x = 4; x < px.w - 4; ++x) {
                                       const TColor c2 = px.At(x, y);
                                       system = system || (c2 != kPopupFill && c2 != kPopupBorder &&
                                                           c2 != kItemNormal);
                                   }
                           }});
        t.popup->Popup(200, 10);
    }
    EXPECT_TRUE(skinned);
    EXPECT_TRUE(system);
}
