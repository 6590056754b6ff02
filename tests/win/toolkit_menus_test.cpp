#include "app_fixture.h"

#include "toolkit/form_reader.h"
#include "toolkit/imglist.h"
#include "toolkit/menus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

struct Entry {
    UINT type = 0, state = 0, id = 0;
    HMENU sub = nullptr;
    ULONG_PTR data = 0;
    std::wstring text;
};

Entry EntryAt(HMENU menu, int pos) {
    Entry e;
    wchar_t buf[128] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
    mii.dwTypeData = buf;
    mii.cch = 127;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &mii)) << pos;
    e.type = mii.fType;
    e.state = mii.fState;
    e.id = mii.wID;
    e.sub = mii.hSubMenu;
    e.data = mii.dwItemData;
    e.text = buf;
    return e;
}

TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::string& caption) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    if (parent) parent->Add(item);
    return item;
}

// Menus are USER objects; Wine answers GetGuiResources with 0, so its handle table is probed.
long MenuCount() {
    long n = 0;
    for (UINT_PTR h = 0x20; h <= 0xFFEF; h += 2)
        if (IsMenu(reinterpret_cast<HMENU>(h))) ++n;
    return n;
}

// A thread timer that runs `tick` while a menu's modal loop runs, and ends any menu that is
// still open after three seconds, so no test can leave one waiting.
std::function<bool()> gTick; // true: done, end the menu
int gTicks = 0;
void CALLBACK MenuTimer(HWND, UINT, UINT_PTR, DWORD) {
    ++gTicks;
    if ((gTick && gTick()) || gTicks > 60) EndMenu();
}
struct MenuCloser {
    UINT_PTR id;
    explicit MenuCloser(std::function<bool()> tick) {
        gTick = std::move(tick);
        gTicks = 0;
        id = SetTimer(nullptr, 0, 50, MenuTimer);
    }
    ~MenuCloser() {
        KillTimer(nullptr, id);
        gTick = nullptr;
    }
    bool TimedOut() const { return gTicks > 60; }
};

struct MenuForm : TForm {
    using TForm::TForm;
    std::vector<std::string> calls;
    TNotifyEvent FindMethod(std::string_view name) override {
        std::string n(name);
        if (n == "Open1Click" || n == "Action1Execute")
            return [this, n](TObject* sender) {
                calls.push_back(n + ":" + static_cast<TComponent*>(sender)->Name());
            };
        return nullptr;
    }
};

struct Fixture {
    std::unique_ptr<MenuForm> form;
    Fixture() {
        TestApplication();
        ShownErrors().clear();
        form = std::make_unique<MenuForm>(&TestApplication());
        form->SetClientSize(300, 200);
    }
    // Items of "&File": Open (Ctrl+O, default), a separator, Recent with two radio items,
    // Exit (disabled) and Hidden (invisible).
    TMainMenu* BuildMenu() {
        auto* menu = new TMainMenu(form.get());
        file = NewItem(form.get(), menu->Items(), "&File");
        open = NewItem(form.get(), file, "&Open");
        open->SetShortCut(TextToShortCut("Ctrl+O"));
        open->SetDefault(true);
        line = NewItem(form.get(), file, "-");
        recent = NewItem(form.get(), file, "&Recent");
        one = NewItem(form.get(), recent, "One");
        two = NewItem(form.get(), recent, "Two");
        for (TMenuItem* r : {one, two}) {
            r->SetRadioItem(true);
            r->SetGroupIndex(1);
        }
        one->SetChecked(true);
        exit = NewItem(form.get(), file, "E&xit");
        exit->SetEnabled(false);
        hidden = NewItem(form.get(), file, "Hidden");
        hidden->SetVisible(false);
        help = NewItem(form.get(), menu->Items(), "&Help");
        return menu;
    }
    TMenuItem *file, *open, *line, *recent, *one, *two, *exit, *hidden, *help;
};

} // namespace

TEST(Menus, HandleReflectsTheItems) {
    Fixture t;
    TMainMenu* menu = t.BuildMenu();
    HMENU bar = menu->Handle();
    ASSERT_TRUE(IsMenu(bar));
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    Entry file = EntryAt(bar, 0);
    EXPECT_EQ(file.text, L"&File");
    EXPECT_EQ(file.id, t.file->Command());
    EXPECT_EQ(file.sub, t.file->Handle());
    EXPECT_EQ(EntryAt(bar, 1).sub, nullptr); // Help has no children

    HMENU sub = t.file->Handle();
    ASSERT_EQ(GetMenuItemCount(sub), 4); // the invisible item has no entry
    Entry open = EntryAt(sub, 0);
    EXPECT_EQ(open.text, L"&Open\tCtrl+O");
    EXPECT_EQ(open.id, t.open->Command());
    EXPECT_TRUE(open.state & MFS_DEFAULT);
    EXPECT_FALSE(open.state & MFS_DISABLED);
    EXPECT_TRUE(EntryAt(sub, 1).type & MFT_SEPARATOR);
    Entry recent = EntryAt(sub, 2);
    EXPECT_EQ(recent.sub, t.recent->Handle());
    Entry one = EntryAt(recent.sub, 0), two = EntryAt(recent.sub, 1);
    EXPECT_TRUE(one.type & MFT_RADIOCHECK);
    EXPECT_TRUE(one.state & MFS_CHECKED);
    EXPECT_FALSE(two.state & MFS_CHECKED);
    EXPECT_TRUE(EntryAt(sub, 3).state & MFS_DISABLED);
    EXPECT_NE(t.open->Command(), t.exit->Command());
    EXPECT_GE(t.open->Command(), 0x100u);
    EXPECT_LT(t.open->Command(), 0xF000u);

    // Changes reach the same handles.
    t.two->SetChecked(true);
    EXPECT_FALSE(t.one->Checked());
    EXPECT_FALSE(EntryAt(recent.sub, 0).state & MFS_CHECKED);
    EXPECT_TRUE(EntryAt(recent.sub, 1).state & MFS_CHECKED);
    t.hidden->SetVisible(true);
    ASSERT_EQ(GetMenuItemCount(sub), 5);
    EXPECT_EQ(EntryAt(sub, 4).text, L"Hidden");
    t.exit->SetCaption("&Quit");
    t.exit->SetEnabled(true);
    EXPECT_EQ(EntryAt(sub, 3).text, L"&Quit");
    EXPECT_FALSE(EntryAt(sub, 3).state & MFS_DISABLED);
    t.line->SetVisible(false);
    EXPECT_EQ(EntryAt(sub, 1).id, t.recent->Command());
    t.open->SetMenuIndex(3);
    EXPECT_EQ(t.open->MenuIndex(), 3);
    EXPECT_EQ(EntryAt(sub, 2).id, t.open->Command()); // after Recent and Quit, the line hidden
    // A child makes a submenu of Help; taking it out again drops it.
    TMenuItem* about = NewItem(t.form.get(), t.help, "&About");
    EXPECT_EQ(EntryAt(bar, 1).sub, t.help->Handle());
    t.help->Delete(0);
    EXPECT_EQ(EntryAt(bar, 1).sub, nullptr);
    EXPECT_EQ(about->Parent(), nullptr);
    delete about;
    delete t.recent; // frees its children and leaves its parent
    EXPECT_EQ(t.file->IndexOf(t.recent), -1);
    EXPECT_EQ(GetMenuItemCount(sub), 3);
    EXPECT_FALSE(IsMenu(recent.sub));

    // Owner draw switches every entry, nested ones too, and keeps the handles.
    menu->SetOwnerDraw(true);
    EXPECT_EQ(menu->Handle(), bar);
    EXPECT_TRUE(EntryAt(bar, 0).type & MFT_OWNERDRAW);
    for (int i = 0; i < GetMenuItemCount(sub); ++i)
        EXPECT_TRUE(EntryAt(sub, i).type & MFT_OWNERDRAW);
    Entry first = EntryAt(sub, 0);
    EXPECT_EQ(first.data, reinterpret_cast<ULONG_PTR>(FindMenuItem(first.id)));
    menu->SetOwnerDraw(false);
    EXPECT_FALSE(EntryAt(sub, 0).type & MFT_OWNERDRAW);

    // An item cannot hold itself or an ancestor.
    EXPECT_THROW(t.open->Add(t.file), std::exception);
    EXPECT_THROW(t.file->Add(t.file), std::exception);
}

TEST(Menus, FindItemByCommandHandleAndShortCut) {
    Fixture t;
    TMainMenu* menu = t.BuildMenu();
    auto* popup = new TPopupMenu(t.form.get());
    TMenuItem* cut = NewItem(t.form.get(), popup->Items(), "Cu&t");
    EXPECT_EQ(menu->FindItem(t.two->Command(), fkCommand), t.two);
    EXPECT_EQ(menu->FindItem(t.hidden->Command(), fkCommand), t.hidden);
    EXPECT_EQ(menu->FindItem(cut->Command(), fkCommand), nullptr); // another menu's
    EXPECT_EQ(popup->FindItem(cut->Command(), fkCommand), cut);
    HMENU recent = t.recent->Handle();
    EXPECT_EQ(menu->FindItem(reinterpret_cast<UINT_PTR>(recent), fkHandle), t.recent);
    EXPECT_EQ(menu->FindItem(reinterpret_cast<UINT_PTR>(menu->Handle()), fkHandle), menu->Items());
    EXPECT_EQ(menu->FindItem(reinterpret_cast<UINT_PTR>(popup->Handle()), fkHandle), nullptr);
    EXPECT_EQ(menu->FindItem(TextToShortCut("Ctrl+O"), fkShortCut), t.open);
    EXPECT_EQ(menu->FindItem(0, fkShortCut), nullptr);
    EXPECT_EQ(FindMenuItem(cut->Command()), cut);
    EXPECT_EQ(FindMenuItemByHandle(recent), t.recent);
    EXPECT_EQ(t.two->GetParentMenu(), menu);
    EXPECT_EQ(t.file->Find("open"), t.open);
    EXPECT_EQ(t.file->Find("Nothing"), nullptr);
    UINT id = t.two->Command();
    delete t.recent;
    EXPECT_EQ(FindMenuItem(id), nullptr);
    EXPECT_EQ(FindMenuItemByHandle(recent), nullptr);
    EXPECT_EQ(menu->FindItem(id, fkCommand), nullptr);
}

TEST(Menus, FormShowsItsMenuAndRoutesCommands) {
    Fixture t;
    TMainMenu* menu = t.BuildMenu();
    std::vector<std::string> clicks;
    for (TMenuItem* i : {t.open, t.exit, t.help})
        i->OnClick = [&](TObject* s) { clicks.push_back(static_cast<TMenuItem*>(s)->Caption()); };
    t.form->SetMenu(menu);
    t.form->Show();
    HWND wnd = t.form->WindowHandle();
    EXPECT_EQ(GetMenu(wnd), menu->Handle());
    EXPECT_EQ(t.form->ClientHeight(), 200); // the bar is outside the client area asked for
    PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(t.open->Command(), 0), 0);
    PumpUntil([&] { return !clicks.empty(); }, 2000);
    EXPECT_EQ(clicks, (std::vector<std::string>{"&Open"}));
    // A disabled item does not click; an accelerator (code 1) or a control is not a menu.
    SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(t.exit->Command(), 0), 0);
    SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(t.help->Command(), 1), 0);
    SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(t.help->Command(), 0), reinterpret_cast<LPARAM>(wnd));
    EXPECT_EQ(clicks.size(), 1u);
    SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(t.help->Command(), 0), 0);
    EXPECT_EQ(clicks.back(), "&Help");

    // A new window gets the menu again; the old one did not take the handle with it.
    HMENU bar = menu->Handle();
    t.form->RecreateWnd();
    EXPECT_TRUE(IsMenu(bar));
    EXPECT_EQ(GetMenu(t.form->WindowHandle()), bar);
    DestroyWindow(t.form->WindowHandle());
    EXPECT_TRUE(IsMenu(bar));
    t.form->Show();
    EXPECT_EQ(GetMenu(t.form->WindowHandle()), bar);
    // Taken off, the window keeps no menu and the menu lives on.
    t.form->SetMenu(nullptr);
    EXPECT_EQ(GetMenu(t.form->WindowHandle()), nullptr);
    EXPECT_EQ(menu->Form(), nullptr);
    EXPECT_TRUE(IsMenu(bar));
    t.form->SetMenu(menu);
    // A menu freed while shown leaves the form without one.
    delete menu;
    EXPECT_EQ(t.form->Menu(), nullptr);
    EXPECT_EQ(GetMenu(t.form->WindowHandle()), nullptr);
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_TRUE(ShownErrors().empty());
}

TEST(Menus, MenuOutlivesItsFormAndFormFreesOwnedMenus) {
    TestApplication();
    auto menu = std::make_unique<TMainMenu>(nullptr);
    NewItem(menu.get(), menu->Items(), "&File");
    HMENU kept = menu->Handle();
    HMENU owned = nullptr, ownedSub = nullptr;
    {
        MenuForm a(&TestApplication()), b(&TestApplication());
        a.SetMenu(menu.get());
        a.Show();
        // One form per menu: giving it to another takes it from the first.
        b.SetMenu(menu.get());
        EXPECT_EQ(a.Menu(), nullptr);
        b.Show();
        EXPECT_EQ(GetMenu(b.WindowHandle()), kept);
        EXPECT_EQ(GetMenu(a.WindowHandle()), nullptr);
        auto* own = new TMainMenu(&a);
        TMenuItem* f = NewItem(&a, own->Items(), "&Edit");
        NewItem(&a, f, "&Copy");
        a.SetMenu(own);
        owned = own->Handle();
        ownedSub = f->Handle();
        EXPECT_EQ(GetMenu(a.WindowHandle()), owned);
    }
    EXPECT_TRUE(IsMenu(kept));
    EXPECT_EQ(menu->Form(), nullptr);
    EXPECT_FALSE(IsMenu(owned));
    EXPECT_FALSE(IsMenu(ownedSub));
}

TEST(Menus, ChangesAreAnnouncedToTheForm) {
    Fixture t;
    TMainMenu* menu = t.BuildMenu();
    t.form->SetMenu(menu);
    t.form->Show();
    int changes = 0;
    TWndMethod saved = t.form->WindowProc;
    t.form->WindowProc = [&](TMessage& m) {
        if (m.Msg == CM_MENUCHANGED) ++changes;
        saved(m);
    };
    auto expectOne = [&](const char* what, const std::function<void()>& change) {
        int before = changes;
        change();
        EXPECT_EQ(changes, before + 1) << what;
    };
    TMenuItem* added = nullptr;
    expectOne("add", [&] { added = NewItem(t.form.get(), t.file, "Added"); });
    expectOne("caption", [&] { t.open->SetCaption("Open..."); });
    expectOne("enabled", [&] { t.open->SetEnabled(false); });
    expectOne("checked", [&] { t.open->SetChecked(true); });
    expectOne("visible", [&] { t.hidden->SetVisible(true); });
    expectOne("remove", [&] { t.file->Remove(added); });
    expectOne("free", [&] { delete t.hidden; });
    delete added; // no longer in the menu: nothing to announce
    int before = changes;
    t.open->SetCaption("Open..."); // no change
    auto* popup = new TPopupMenu(t.form.get());
    NewItem(t.form.get(), popup->Items(), "Elsewhere");
    t.form->SetMenu(nullptr);
    t.open->SetCaption("Not shown");
    EXPECT_EQ(changes, before);
    t.form->SetMenu(menu);

    // Taken off the window (as a skinned menu bar does), the next change gives it back.
    SetMenu(t.form->WindowHandle(), nullptr);
    t.open->SetCaption("&Open");
    EXPECT_EQ(GetMenu(t.form->WindowHandle()), menu->Handle());
    t.form->WindowProc = saved;
}

TEST(Menus, OwnerDrawnBarItemsReachTheirHandlers) {
    Fixture t;
    TMainMenu* menu = t.BuildMenu();
    menu->SetOwnerDraw(true);
    std::map<TObject*, int> measured, drawn;
    std::map<TObject*, RECT> rects;
    for (TMenuItem* i : {t.file, t.help}) {
        i->OnMeasureItem = [&](TObject* s, TCanvas& c, int& w, int& h) {
            EXPECT_TRUE(c.Handle());
            ++measured[s];
            w = 60;
            h = 20;
        };
        i->OnDrawItem = [&](TObject* s, TCanvas& c, const RECT& r, bool) {
            ++drawn[s];
            rects[s] = r;
            c.Brush().SetColor(s == t.file ? clRed : clBlue);
            c.FillRect(r);
        };
    }
    t.form->SetMenu(menu);
    t.form->Show();
    RedrawWindow(t.form->WindowHandle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpUntil([&] { return drawn.size() == 2; }, 2000);
    EXPECT_EQ(measured.size(), 2u);
    EXPECT_GE(measured[t.file], 1);
    ASSERT_GE(drawn[t.file], 1);
    ASSERT_GE(drawn[t.help], 1);
    // The bar adds its own spacing to the width measured.
    EXPECT_GE(rects[t.file].right - rects[t.file].left, 60);
    EXPECT_EQ(rects[t.file].right - rects[t.file].left, rects[t.help].right - rects[t.help].left);
    EXPECT_EQ(rects[t.help].left, rects[t.file].right);
    // What the handler drew is on the screen, in the bar above the client area.
    RECT wr;
    GetWindowRect(t.form->WindowHandle(), &wr);
    POINT client{0, 0};
    ClientToScreen(t.form->WindowHandle(), &client);
    WindowDc screen(nullptr);
    COLORREF pixel = GetPixel(screen.get(), client.x + 10, client.y - 5);
    EXPECT_EQ(pixel, RGB(255, 0, 0));
    // Handlers taken out again: the standard drawing runs and no handler is called.
    t.file->OnDrawItem = nullptr;
    int helpDraws = drawn[t.help], fileDraws = drawn[t.file];
    RedrawWindow(t.form->WindowHandle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpUntil([&] { return drawn[t.help] > helpDraws; }, 2000);
    EXPECT_EQ(drawn[t.file], fileDraws);
    EXPECT_NE(GetPixel(screen.get(), client.x + 10, client.y - 5), RGB(255, 0, 0));
    EXPECT_TRUE(ShownErrors().empty());
}

TEST(Menus, PopupRunsUpdatesMeasuresDrawsAndClicks) {
    Fixture t;
    t.form->Show();
    auto* popup = new TPopupMenu(t.form.get());
    popup->SetOwnerDraw(true);
    auto* action = new TAction(t.form.get());
    action->SetCaption("Act");
    std::vector<std::string> order;
    popup->OnPopup = [&](TObject*) { order.push_back("popup"); };
    action->OnUpdate = [&](TObject*) { order.push_back("update"); };
    TMenuItem* a = NewItem(t.form.get(), popup->Items(), "&Alpha");
    TMenuItem* line = NewItem(t.form.get(), popup->Items(), "-");
    TMenuItem* b = NewItem(t.form.get(), popup->Items(), "");
    b->SetAction(action);
    EXPECT_EQ(b->Caption(), "Act");
    std::map<TObject*, int> measured, drawn;
    std::map<TObject*, int> heights, drawnHeights;
    for (TMenuItem* i : {a, line, b}) {
        i->OnMeasureItem = [&](TObject* s, TCanvas&, int& w, int& h) {
            order.push_back("measure");
            ++measured[s];
            w = 80;
            h = static_cast<TMenuItem*>(s)->IsLine() ? 6 : 18;
            heights[s] = h;
        };
        i->OnDrawItem = [&](TObject* s, TCanvas&, const RECT& r, bool) {
            ++drawn[s];
            drawnHeights[s] = r.bottom - r.top;
        };
    }
    {
        MenuCloser closer([&] { return drawn.size() == 3; });
        popup->Popup(100, 100);
        EXPECT_FALSE(closer.TimedOut());
    }
    // OnPopup, then the updates, then the first measurement.
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], "popup");
    EXPECT_EQ(order[1], "update");
    auto firstMeasure = std::find(order.begin(), order.end(), "measure");
    ASSERT_NE(firstMeasure, order.end());
    EXPECT_EQ(std::count(firstMeasure, order.end(), "update"), 0);
    for (TMenuItem* i : {a, line, b}) {
        EXPECT_GE(measured[i], 1) << i->Caption();
        EXPECT_GE(drawn[i], 1) << i->Caption();
        EXPECT_EQ(drawnHeights[i], heights[i]) << i->Caption();
    }

    // Chosen from the keyboard: the item's action executes once the menu has closed.
    int executed = 0, clicked = 0;
    action->OnExecute = [&](TObject*) { ++executed; };
    a->OnClick = [&](TObject*) { ++clicked; };
    int step = 0;
    {
        MenuCloser closer([&] {
            HWND menuWnd = FindWindowW(L"#32768", nullptr);
            if (!menuWnd) return false;
            // Down to Alpha, past the separator to the action's item, then Enter.
            if (step < 2)
                PostMessageW(menuWnd, WM_KEYDOWN, VK_DOWN, 0);
            else if (step == 2)
                PostMessageW(menuWnd, WM_KEYDOWN, VK_RETURN, 0);
            ++step;
            return false;
        });
        popup->Popup(100, 100);
        EXPECT_FALSE(closer.TimedOut());
    }
    EXPECT_EQ(executed, 1);
    EXPECT_EQ(clicked, 0);
    EXPECT_TRUE(ShownErrors().empty());
}

TEST(Menus, ActionsDriveTheirItems) {
    Fixture t;
    TMainMenu* menu = t.BuildMenu();
    t.form->SetMenu(menu);
    t.form->Show();
    auto* action = new TAction(t.form.get());
    action->SetCaption("&Save");
    action->SetShortCut(TextToShortCut("Ctrl+S"));
    bool canSave = true;
    action->OnUpdate = [&](TObject*) { action->SetEnabled(canSave); };
    t.open->SetAction(action);
    HMENU sub = t.file->Handle();
    EXPECT_EQ(EntryAt(sub, 0).text, L"&Save\tCtrl+S");
    canSave = false;
    // Opening the submenu runs the updates of its items.
    SendMessageW(t.form->WindowHandle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), 0);
    EXPECT_FALSE(t.open->Enabled());
    EXPECT_TRUE(EntryAt(sub, 0).state & MFS_DISABLED);
    action->SetChecked(true);
    EXPECT_TRUE(EntryAt(sub, 0).state & MFS_CHECKED);
    action->SetVisible(false);
    EXPECT_EQ(EntryAt(sub, 0).id, t.line->Command());
    action->SetVisible(true);
    action->SetEnabled(true);
    // Clicking executes the action, not OnClick, while the action has a handler.
    int executed = 0, clicked = 0;
    action->OnExecute = [&](TObject*) { ++executed; };
    t.open->OnClick = [&](TObject*) { ++clicked; };
    SendMessageW(t.form->WindowHandle(), WM_COMMAND, MAKEWPARAM(t.open->Command(), 0), 0);
    EXPECT_EQ(executed, 1);
    EXPECT_EQ(clicked, 0);
    delete action;
    EXPECT_EQ(t.open->Action(), nullptr);
    SendMessageW(t.form->WindowHandle(), WM_COMMAND, MAKEWPARAM(t.open->Command(), 0), 0);
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(t.open->Caption(), "&Save"); // the item keeps what it showed
}

TEST(Menus, MenusAndImageListsFromADescription) {
    Fixture t;
    const char* text = "object MenuForm1: TForm\n"
                       "  Menu = MainMenu1\n"
                       "  object MainMenu1: TMainMenu\n"
                       "    Images = ImageList1\n"
                       "    OwnerDraw = True\n"
                       "    object File1: TMenuItem\n"
                       "      Caption = '&File'\n"
                       "      object Open1: TMenuItem\n"
                       "        Caption = '&Open'\n"
                       "        ShortCut = 16463\n"
                       "        Default = True\n"
                       "        ImageIndex = 0\n"
                       "        OnClick = Open1Click\n"
                       "      end\n"
                       "      object N1: TMenuItem\n"
                       "        Caption = '-'\n"
                       "      end\n"
                       "      object Big1: TMenuItem\n"
                       "        Caption = 'Big'\n"
                       "        RadioItem = True\n"
                       "        GroupIndex = 2\n"
                       "        Checked = True\n"
                       "        Hint = 'Large icons'\n"
                       "        Tag = 7\n"
                       "      end\n"
                       "      object Save1: TMenuItem\n"
                       "        Action = Action1\n"
                       "      end\n"
                       "    end\n"
                       "  end\n"
                       "  object PopupMenu1: TPopupMenu\n"
                       "    object Cut1: TMenuItem\n"
                       "      Caption = 'Cu&t'\n"
                       "      Enabled = False\n"
                       "    end\n"
                       "  end\n"
                       "  object Action1: TAction\n"
                       "    Caption = 'Sa&ve'\n"
                       "    OnExecute = Action1Execute\n"
                       "  end\n"
                       "  object ImageList1: TImageList\n"
                       "    Width = 20\n"
                       "    Height = 18\n"
                       "  end\n"
                       "end\n";
    ReadForm(*t.form, ParseFormDescription(text));
    auto* menu = dynamic_cast<TMainMenu*>(t.form->FindComponent("MainMenu1"));
    auto* images = dynamic_cast<TImageList*>(t.form->FindComponent("ImageList1"));
    auto* popup = dynamic_cast<TPopupMenu*>(t.form->FindComponent("PopupMenu1"));
    ASSERT_TRUE(menu && images && popup);
    EXPECT_EQ(t.form->Menu(), menu);
    EXPECT_EQ(GetStrProp(*t.form, "Menu"), "MainMenu1");
    EXPECT_EQ(menu->Images(), images);
    EXPECT_EQ(GetStrProp(*menu, "Images"), "ImageList1");
    EXPECT_EQ(images->Width(), 20);
    EXPECT_EQ(images->Height(), 18);
    ASSERT_EQ(menu->Items()->Count(), 1);
    TMenuItem* file = menu->Items()->Items(0);
    ASSERT_EQ(file->Count(), 4);
    TMenuItem* open = file->Items(0);
    EXPECT_EQ(open->Name(), "Open1");
    EXPECT_EQ(ShortCutToText(open->ShortCut()), "Ctrl+O");
    EXPECT_TRUE(open->Default());
    EXPECT_EQ(open->ImageIndex(), 0);
    EXPECT_TRUE(file->Items(1)->IsLine());
    TMenuItem* big = file->Items(2);
    EXPECT_TRUE(big->RadioItem() && big->Checked());
    EXPECT_EQ(big->GroupIndex(), 2);
    EXPECT_EQ(big->Hint(), "Large icons");
    EXPECT_EQ(big->Tag(), 7);
    TMenuItem* save = file->Items(3);
    EXPECT_EQ(GetStrProp(*save, "Action"), "Action1");
    EXPECT_EQ(GetStrProp(*save, "Caption"), "Sa&ve");
    ASSERT_EQ(popup->Items()->Count(), 1);
    EXPECT_EQ(GetEnumProp(*popup->Items()->Items(0), "Enabled"), "False");

    t.form->Show();
    HMENU bar = GetMenu(t.form->WindowHandle());
    EXPECT_EQ(bar, menu->Handle());
    Entry fileEntry = EntryAt(bar, 0);
    EXPECT_TRUE(fileEntry.type & MFT_OWNERDRAW);
    EXPECT_EQ(GetMenuItemCount(fileEntry.sub), 4);
    SendMessageW(t.form->WindowHandle(), WM_COMMAND, MAKEWPARAM(open->Command(), 0), 0);
    SendMessageW(t.form->WindowHandle(), WM_COMMAND, MAKEWPARAM(save->Command(), 0), 0);
    EXPECT_EQ(t.form->calls,
              (std::vector<std::string>{"Open1Click:Open1", "Action1Execute:Action1"}));
    // Freeing the image list takes it from the menu.
    delete images;
    EXPECT_EQ(menu->Images(), nullptr);
}

TEST(Menus, DescriptionErrorsNameTheLine) {
    Fixture t;
    auto error = [&](const char* text) {
        MenuForm f(&TestApplication());
        try {
            ReadForm(f, ParseFormDescription(text));
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(error("object F: TForm\n"
                    "  object Loose1: TMenuItem\n"
                    "  end\n"
                    "end\n")
                  .find("line 2"),
              std::string::npos);
    EXPECT_NE(error("object F: TForm\n"
                    "  Menu = Missing1\n"
                    "end\n")
                  .find("Missing1"),
              std::string::npos);
}

namespace {
// 4 x 4 images: red with a transparent top row, and green.
std::unique_ptr<TBitmap> Strip() {
    auto b = std::make_unique<TBitmap>(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) b->ScanLine(y)[x] = x < 4 ? 0xFF0000 : 0x00FF00;
    return b;
}
} // namespace

TEST(ImageList, AddsAndDrawsEnabledAndDisabled) {
    TestApplication();
    TImageList list(nullptr);
    list.SetSize(4, 4);
    auto strip = Strip();
    TBitmap mask(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) mask.ScanLine(y)[x] = (y == 0 && x < 4) ? 0xFFFFFF : 0;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(list.Add(strip.get(), &mask), 0);
    EXPECT_EQ(list.Count(), 2); // a strip twice as wide holds two images
    // Magenta pixels of a masked image become holes.
    TBitmap magenta(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) magenta.ScanLine(y)[x] = x == 0 ? 0xFF00FF : 0x0000FF;
    EXPECT_EQ(list.AddMasked(&magenta, clFuchsia), 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);
    ASSERT_TRUE(list.Handle());

    auto draw = [&](int index, bool enabled) {
        auto target = std::make_unique<TBitmap>(10, 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) target->ScanLine(y)[x] = 0x404040;
        list.Draw(target->Canvas(), 3, 3, index, enabled);
        return target;
    };
    auto red = draw(0, true);
    EXPECT_EQ(red->ScanLine(3)[3], 0x404040u); // the masked top row
    EXPECT_EQ(red->ScanLine(4)[3], 0xFF0000u);
    EXPECT_EQ(red->ScanLine(6)[6], 0xFF0000u);
    EXPECT_EQ(red->ScanLine(7)[7], 0x404040u); // outside
    EXPECT_EQ(draw(1, true)->ScanLine(3)[3], 0x00FF00u);
    auto blue = draw(2, true);
    EXPECT_EQ(blue->ScanLine(4)[3], 0x404040u);
    EXPECT_EQ(blue->ScanLine(4)[4], 0x0000FFu);

    auto grey = draw(0, false);
    EXPECT_EQ(grey->ScanLine(3)[3], 0x404040u);
    EXPECT_EQ(grey->ScanLine(7)[7], 0x404040u);
    uint32_t g = grey->ScanLine(4)[3];
    EXPECT_NE(g, 0xFF0000u);
    EXPECT_EQ(g & 0xFF, (g >> 8) & 0xFF);
    EXPECT_EQ(g & 0xFF, (g >> 16) & 0xFF);
    // Green and red differ in brightness, so their grey copies differ too.
    EXPECT_NE(draw(1, false)->ScanLine(4)[4], g);

    // A copy of a foreign list has its size and images, and lives on its own.
    TImageList copy(nullptr);
    HIMAGELIST foreign = ImageList_Duplicate(list.Handle());
    ASSERT_TRUE(copy.AssignHandle(foreign));
    ImageList_Destroy(foreign);
    EXPECT_EQ(copy.Width(), 4);
    EXPECT_EQ(copy.Count(), 3);
    auto target = std::make_unique<TBitmap>(10, 10);
    copy.Draw(target->Canvas(), 3, 3, 1, true);
    EXPECT_EQ(target->ScanLine(4)[4], 0x00FF00u);
    EXPECT_FALSE(copy.AssignHandle(nullptr));

    // Out of range draws nothing; a new size drops the images.
    EXPECT_EQ(draw(3, true)->ScanLine(4)[4], 0x404040u);
    EXPECT_EQ(draw(-1, true)->ScanLine(4)[4], 0x404040u);
    list.SetWidth(8);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(changes, 3);
}

TEST(Menus, BuildingAndFreeingLeavesNoHandles) {
    TestApplication();
    // The counter has to see menus come and go, or the check below could not fail.
    long base = MenuCount();
    HMENU probe = CreatePopupMenu();
    EXPECT_EQ(MenuCount(), base + 1);
    DestroyMenu(probe);
    EXPECT_EQ(MenuCount(), base);

    auto cycle = [] {
        MenuForm form(&TestApplication());
        auto* images = new TImageList(&form);
        auto strip = Strip();
        images->Add(strip.get(), nullptr);
        auto* menu = new TMainMenu(&form);
        menu->SetImages(images);
        menu->SetOwnerDraw(true);
        for (int i = 0; i < 4; ++i) {
            TMenuItem* top = NewItem(&form, menu->Items(), "&Top");
            for (int j = 0; j < 4; ++j) {
                TMenuItem* sub = NewItem(&form, top, "Sub");
                NewItem(&form, sub, "Leaf")->SetImageIndex(0);
            }
        }
        form.SetMenu(menu);
        form.Show();
        RedrawWindow(form.WindowHandle(), nullptr, nullptr,
                     RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        // Rebuild: drop and make again a part of the tree while shown.
        menu->Items()->Items(0)->Clear();
        for (int j = 0; j < 4; ++j) NewItem(&form, menu->Items()->Items(0), "Again");
        auto* popup = new TPopupMenu(&form);
        NewItem(&form, NewItem(&form, popup->Items(), "P"), "Q");
        popup->Handle();
        PumpFor(10);
    };
    cycle();
    PumpFor(20);
    GuiCounts before = CurrentGuiCounts();
    long menus = MenuCount();
    for (int i = 0; i < 10; ++i) cycle();
    PumpFor(20);
    GuiCounts after = CurrentGuiCounts();
    EXPECT_EQ(MenuCount(), menus);
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
}

TEST(Menus, OwnerDrawnAcceleratorsAndMenuByName) {
    Fixture t;
    TMainMenu* menu = t.BuildMenu();
    menu->SetName("Bar1");
    SetStrProp(*t.form, "Menu", "Bar1");
    EXPECT_EQ(t.form->Menu(), menu);
    t.form->Show();
    HWND wnd = t.form->WindowHandle();
    HMENU sub = t.file->Handle();
    auto menuChar = [&](wchar_t c, HMENU m) {
        return SendMessageW(wnd, WM_MENUCHAR, MAKEWPARAM(c, MF_POPUP), reinterpret_cast<LPARAM>(m));
    };
    // Text menus are left to the system.
    EXPECT_EQ(menuChar(L'x', sub), 0);
    menu->SetOwnerDraw(true);
    // Entry positions count visible items only; a disabled item's accelerator is no match.
    t.line->SetVisible(false);
    t.exit->SetEnabled(true);
    EXPECT_EQ(menuChar(L'x', sub), MAKELRESULT(2, MNC_EXECUTE));
    EXPECT_EQ(menuChar(L'R', sub), MAKELRESULT(1, MNC_EXECUTE));
    t.exit->SetEnabled(false);
    EXPECT_EQ(menuChar(L'x', sub), MAKELRESULT(0, MNC_IGNORE));
    EXPECT_EQ(menuChar(L'h', menu->Handle()), MAKELRESULT(1, MNC_EXECUTE));
    SetStrProp(*t.form, "Menu", "");
    EXPECT_EQ(GetMenu(wnd), nullptr);
}

TEST(Menus, StandardDrawingShowsImageCheckAndState) {
    Fixture t;
    auto* images = new TImageList(t.form.get());
    images->SetSize(16, 16);
    TBitmap green(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) green.ScanLine(y)[x] = 0x00C000;
    images->Add(&green, nullptr);
    auto* popup = new TPopupMenu(t.form.get());
    popup->SetImages(images);
    popup->SetOwnerDraw(true);
    TMenuItem* item = NewItem(t.form.get(), popup->Items(), "&Green");
    item->SetImageIndex(0);
    auto render = [&](bool selected) {
        auto b = std::make_unique<TBitmap>(120, 24);
        TCanvas& c = b->Canvas();
        AssignMenuFont(c.Font());
        int w = 0, h = 0;
        item->DefaultMeasureItem(c, w, h);
        EXPECT_GT(w, 16 + c.TextExtent("Green").cx);
        EXPECT_GE(h, 16);
        item->DrawItem(c, {0, 0, 120, 24}, selected);
        return b;
    };
    auto count = [](TBitmap& b, uint32_t colour, int x0, int x1) {
        int n = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = x0; x < x1; ++x) n += (b.ScanLine(y)[x] & 0xFFFFFF) == colour;
        return n;
    };
    const uint32_t menu = ColorToRGB(clMenu), highlight = ColorToRGB(clHighlight);
    auto swap = [](uint32_t bgr) {
        return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
    };
    auto plain = render(false);
    EXPECT_EQ(count(*plain, 0x00C000, 0, 24), 256); // the whole image in the glyph box
    EXPECT_GT(count(*plain, swap(menu), 0, 120), 0);
    EXPECT_EQ(count(*plain, swap(highlight), 0, 120), 0);
    // The text is drawn right of the glyph box.
    EXPECT_LT(count(*plain, swap(menu), 24, 120), 96 * 24);
    auto selected = render(true);
    EXPECT_GT(count(*selected, swap(highlight), 0, 120), 0);
    // Disabled: the image is greyed.
    item->SetEnabled(false);
    EXPECT_EQ(count(*render(false), 0x00C000, 0, 24), 0);
    // Checked without an image: a mark in the glyph box.
    item->SetEnabled(true);
    item->SetImageIndex(-1);
    EXPECT_EQ(count(*render(false), swap(menu), 0, 20), 20 * 24);
    item->SetChecked(true);
    EXPECT_LT(count(*render(false), swap(menu), 0, 20), 20 * 24);
}

TEST(Menus, SubmenuTrackedForTheFormReachesItsItems) {
    // The way a skinned menu bar opens a drop-down: the form window owns the popup.
    Fixture t;
    TMainMenu* menu = t.BuildMenu();
    menu->SetOwnerDraw(true);
    t.form->SetMenu(menu);
    t.form->Show();
    std::map<TObject*, int> drawn;
    for (int i = 0; i < t.file->Count(); ++i)
        t.file->Items(i)->OnDrawItem = [&](TObject* s, TCanvas&, const RECT&, bool) { ++drawn[s]; };
    int clicks = 0;
    t.open->OnClick = [&](TObject*) { ++clicks; };
    bool sent = false;
    {
        MenuCloser closer([&] {
            HWND menuWnd = FindWindowW(L"#32768", nullptr);
            if (!menuWnd || drawn.size() < 4) return false;
            if (!sent) {
                PostMessageW(menuWnd, WM_KEYDOWN, VK_DOWN, 0); // to Open, the first entry
                PostMessageW(menuWnd, WM_KEYDOWN, VK_RETURN, 0);
                sent = true;
            }
            return false;
        });
        TrackPopupMenu(t.file->Handle(), TPM_VERTICAL | TPM_RIGHTBUTTON, 50, 50, 0,
                       t.form->WindowHandle(), nullptr);
        EXPECT_FALSE(closer.TimedOut());
    }
    EXPECT_EQ(drawn.size(), 4u); // the visible ones: Open, the line, Recent, Exit
    EXPECT_EQ(drawn.count(t.hidden), 0u);
    PumpUntil([&] { return clicks > 0; }, 2000); // the choice arrives as WM_COMMAND
    EXPECT_EQ(clicks, 1);
}
