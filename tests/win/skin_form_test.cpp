// Skinned windows on real windows under Wine: frame geometry from two skins of different
// shape, pixels read back from the window, the region, hit testing, title buttons and window
// commands, what the previous window procedure sees, and no handle growth.
#include "app_fixture.h"
#include "message_log.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "skin/data/skin_manage.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/imglist.h"
#include "toolkit/menus.h"

#include <gtest/gtest.h>

using namespace testskins;

namespace {

SIZE WindowSize(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
}

SIZE ClientSize(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return {r.right, r.bottom};
}

LPARAM ScreenPoint(HWND w, int x, int y) {
    RECT r;
    GetWindowRect(w, &r);
    return MAKELPARAM(r.left + x, r.top + y);
}

// A shown form with the skin applied by hand (no manager), optionally with a recorder in
// front of the window's own procedure that the skin object then chains to.
struct SkinnedForm {
    std::unique_ptr<TForm> form;
    TSkinData* data = nullptr;
    TWinSkinForm* skin = nullptr;
    TWindowSubclass recorder;
    MessageLog previous;
    SIZE nativeClient{}, nativeWindow{};

    SkinnedForm(const std::vector<std::uint8_t>& store, TFormBorderStyle border = bsSizeable,
                bool record = false, bool apply = true) {
        form = std::make_unique<TForm>(&TestApplication());
        form->SetTag(99); // the manager, if one is about, leaves it to the test
        form->SetBorderStyle(border);
        form->SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
        form->SetCaption("Skinned");
        form->SetBounds(100, 100, 320, 240);
        form->Show();
        PumpFor(10);
        nativeClient = ClientSize(form->WindowHandle());
        nativeWindow = WindowSize(form->WindowHandle());
        if (record)
            recorder.Attach(form->WindowHandle(), [this](TMessage& m) {
                previous.Record(m.Msg, m.WParam, m.LParam);
                recorder.CallPrevious(m);
            });
        data = MakeSkinData(store, form.get());
        if (apply) Apply();
    }
    void Apply() {
        skin = new TWinSkinForm(form.get());
        skin->Handle = form->WindowHandle();
        skin->Attach(data, form.get());
        SendMessageW(form->WindowHandle(), WM_SKIN_APPLY, 0, kSkinApplyTag);
        PumpFor(10);
    }
    HWND Wnd() const { return form->WindowHandle(); }
    // A title button's centre, for the geometry skin's buttons placed from the right edge.
    POINT ButtonCentre(int xFromRight) const {
        SIZE s = WindowSize(Wnd());
        return {s.cx - xFromRight + kButtonW / 2, kButtonY + kButtonH / 2};
    }
    LRESULT Nc(UINT msg, WPARAM hit, POINT framePoint) {
        return SendMessageW(Wnd(), msg, hit, ScreenPoint(Wnd(), framePoint.x, framePoint.y));
    }
};

bool PeekPosted(HWND w, UINT msg, WPARAM* wParam = nullptr) {
    MSG m;
    if (!PeekMessageW(&m, w, msg, msg, PM_REMOVE)) return false;
    if (wParam) *wParam = m.wParam;
    return true;
}

} // namespace

TEST(SkinForm, FrameWidthsComeFromTheSkinAndTheClientKeepsItsSize) {
    // The geometry skin's pieces are drawn at these sizes; the product skin's frame is 4, 30,
    // 4 and 4 pixels (its pieces' frames).
    struct Case {
        std::vector<std::uint8_t> store;
        int left, title, right, bottom;
    };
    for (const Case& c : {Case{GeometrySkinStore(), kLeft, kTitle, kRight, kBottom},
                          Case{ProductSkinStore(), 4, 30, 4, 4}}) {
        ASSERT_FALSE(c.store.empty());
        SkinnedForm t(c.store);
        ASSERT_TRUE(t.skin->Attached());
        TSkinData& d = *t.data;
        EXPECT_EQ(t.skin->LeftWidth(), c.left);
        EXPECT_EQ(t.skin->RightWidth(), c.right);
        EXPECT_EQ(t.skin->TitleHeight(), c.title);
        EXPECT_EQ(t.skin->BottomHeight(), c.bottom);
        SIZE client = ClientSize(t.Wnd()), window = WindowSize(t.Wnd());
        EXPECT_EQ(client.cx, t.nativeClient.cx);
        EXPECT_EQ(client.cy, t.nativeClient.cy);
        EXPECT_EQ(window.cx, client.cx + t.skin->LeftWidth() + t.skin->RightWidth());
        EXPECT_EQ(window.cy, client.cy + t.skin->TitleHeight() + t.skin->BottomHeight());
        EXPECT_EQ(t.form->Color(), d.ButtonFaceColor);
        EXPECT_EQ(SendMessageW(t.Wnd(), WM_SKIN_QUERY, 0, 0), 1);
        t.skin->Detach();
        EXPECT_EQ(ClientSize(t.Wnd()).cx, t.nativeClient.cx);
        EXPECT_EQ(ClientSize(t.Wnd()).cy, t.nativeClient.cy);
        EXPECT_EQ(WindowSize(t.Wnd()).cx, t.nativeWindow.cx);
        EXPECT_EQ(WindowSize(t.Wnd()).cy, t.nativeWindow.cy);
        EXPECT_EQ(t.form->Color(), clBtnFace);
        EXPECT_NE(SendMessageW(t.Wnd(), WM_SKIN_QUERY, 0, 0), 1);
    }
}

TEST(SkinForm, PiecesArePaintedActiveAndInactive) {
    SkinnedForm t(GeometrySkinStore());
    SetForegroundWindow(t.Wnd());
    SendMessageW(t.Wnd(), WM_NCACTIVATE, TRUE, 0);
    {
        Capture c(t.Wnd());
        EXPECT_EQ(c.At(1, c.h / 2), kLeftActive);
        EXPECT_EQ(c.At(c.w - 2, c.h / 2), kRightActive);
        EXPECT_EQ(c.At(c.w / 2, c.h - 1), kBottomActive);
        EXPECT_EQ(c.At(c.w / 2 + 20, 1), kTopActive);
        POINT b = t.ButtonCentre(kCloseX);
        EXPECT_EQ(c.At(b.x, b.y), static_cast<TColor>(kButtonFrames[0]));
    }
    // Deactivation repaints the frame and answers 1, so the system paints nothing of its own.
    EXPECT_EQ(SendMessageW(t.Wnd(), WM_NCACTIVATE, FALSE, 0), 1);
    EXPECT_FALSE(t.skin->Active());
    Capture c(t.Wnd());
    EXPECT_EQ(c.At(1, c.h / 2), kLeftInactive);
    EXPECT_EQ(c.At(c.w - 2, c.h / 2), kRightInactive);
    EXPECT_EQ(c.At(c.w / 2, c.h - 1), kBottomInactive);
    EXPECT_EQ(c.At(c.w / 2 + 20, 1), kTopInactive);
    POINT b = t.ButtonCentre(kCloseX);
    EXPECT_EQ(c.At(b.x, b.y), static_cast<TColor>(kButtonFrames[3])); // 4 frames: frame 4
}

namespace {

// This program's import slot of a function of user32, or null.
void** User32ImportSlot(const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return nullptr;
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         imp->Name; ++imp) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + imp->Name), "user32.dll") != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

// While alive, SetWindowRgn refuses every region when `refuse` is set, as the system does for a
// window it will not give one.
struct RefusedRegions {
    using Fn = int(WINAPI*)(HWND, HRGN, BOOL);
    static inline Fn real = nullptr;
    static inline bool refuse = false;
    void** slot = User32ImportSlot("SetWindowRgn");
    static int WINAPI Refusing(HWND wnd, HRGN rgn, BOOL redraw) {
        if (refuse) return 0; // the caller still owns the region
        return real(wnd, rgn, redraw);
    }
    RefusedRegions() {
        if (!slot) return;
        real = reinterpret_cast<Fn>(*slot);
        Put(reinterpret_cast<void*>(&Refusing));
    }
    ~RefusedRegions() {
        if (slot) Put(reinterpret_cast<void*>(real));
        refuse = false;
    }
    void Put(void* fn) {
        DWORD old = 0;
        VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
        *slot = fn;
        VirtualProtect(slot, sizeof(void*), old, &old);
    }
};

RECT RegionBox(HWND wnd) {
    UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
    RECT box{-1, -1, -1, -1};
    if (GetWindowRgn(wnd, rgn.get()) != ERROR) GetRgnBox(rgn.get(), &box);
    return box;
}

} // namespace

TEST(SkinForm, ARefusedRegionIsTriedAgainAndNeverTakenAway) {
    RefusedRegions seam;
    ASSERT_NE(seam.slot, nullptr);
    {
        // The window's own region stays when the skin's is refused, also after unskinning.
        SkinnedForm t(GeometrySkinStore(), bsSizeable, false, false);
        SetWindowRgn(t.Wnd(), CreateRectRgn(0, 0, 150, 120), TRUE);
        RefusedRegions::refuse = true;
        t.Apply();
        EXPECT_EQ(RegionBox(t.Wnd()).right, 150);
        RefusedRegions::refuse = false;
        t.skin->Detach();
        PumpFor(10);
        EXPECT_EQ(RegionBox(t.Wnd()).right, 150);
        EXPECT_EQ(RegionBox(t.Wnd()).bottom, 120);
    }
    {
        // Refused at a new size, the skin asks again at that size.
        SkinnedForm t(GeometrySkinStore());
        const SIZE s = WindowSize(t.Wnd());
        ASSERT_EQ(RegionBox(t.Wnd()).right, s.cx);
        RefusedRegions::refuse = true;
        SetWindowPos(t.Wnd(), nullptr, 0, 0, s.cx + 40, s.cy + 30,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(RegionBox(t.Wnd()).right, s.cx); // the old one stays
        RefusedRegions::refuse = false;
        const SIZE client = ClientSize(t.Wnd());
        SendMessageW(t.Wnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.cx, client.cy));
        EXPECT_EQ(RegionBox(t.Wnd()).right, s.cx + 40);
        EXPECT_EQ(RegionBox(t.Wnd()).bottom, s.cy + 30);
    }
}

TEST(SkinForm, RegionFollowsTheSkinsTransparency) {
    {
        // Nothing transparent, a bottom border of height 1: a plain rectangle.
        SkinnedForm t(GeometrySkinStore());
        UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
        ASSERT_EQ(GetWindowRgn(t.Wnd(), rgn.get()), SIMPLEREGION);
        RECT box;
        GetRgnBox(rgn.get(), &box);
        SIZE s = WindowSize(t.Wnd());
        EXPECT_EQ(box.right - box.left, s.cx);
        EXPECT_EQ(box.bottom - box.top, s.cy);
    }
    {
        // A transparent bottom border lower than 2 pixels is kept whole all the same.
        SkinnedForm t(KeyedBottomSkinStore());
        ASSERT_EQ(t.data->FrameBottom->Trans, 1);
        UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(t.Wnd(), rgn.get()), ERROR);
        SIZE s = WindowSize(t.Wnd());
        EXPECT_TRUE(PtInRegion(rgn.get(), s.cx / 2, s.cy - 1));
        EXPECT_TRUE(PtInRegion(rgn.get(), kLeft + 1, s.cy - 1));
    }
    {
        SkinnedForm t(ProductSkinStore());
        TSkinData& d = *t.data;
        UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
        int kind = GetWindowRgn(t.Wnd(), rgn.get());
        ASSERT_NE(kind, ERROR);
        SIZE s = WindowSize(t.Wnd());
        EXPECT_TRUE(PtInRegion(rgn.get(), s.cx / 2, s.cy / 2));
        // Where the skin's left piece is magenta at the top corner, the window has a hole.
        bool keyedCorner = d.FrameLeft->Trans == 1 && d.FrameLeft->Bitmap->Canvas().Pixel(0, 0) ==
                                                          static_cast<TColor>(0xFF00FF);
        if (keyedCorner) {
            EXPECT_FALSE(PtInRegion(rgn.get(), 0, 0));
        }
        // The region is rebuilt when the size changes.
        SetWindowPos(t.Wnd(), nullptr, 0, 0, s.cx + 40, s.cy + 30,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UniqueRegion after(CreateRectRgn(0, 0, 0, 0));
        GetWindowRgn(t.Wnd(), after.get());
        RECT box;
        GetRgnBox(after.get(), &box);
        EXPECT_EQ(box.right, s.cx + 40);
        EXPECT_EQ(box.bottom, s.cy + 30);
    }
}

TEST(SkinForm, HitTestingKeepsTheSizingEdgesAndMakesTheTitleCaption) {
    SkinnedForm t(GeometrySkinStore());
    SIZE s = WindowSize(t.Wnd());
    auto hit = [&](int x, int y) {
        return SendMessageW(t.Wnd(), WM_NCHITTEST, 0, ScreenPoint(t.Wnd(), x, y));
    };
    EXPECT_EQ(hit(s.cx / 2, kTitle / 2), HTCAPTION);
    EXPECT_EQ(hit(s.cx / 2, 1), HTTOP); // the top rows keep the system's answer
    EXPECT_EQ(hit(s.cx / 2, s.cy / 2), HTCLIENT);
    EXPECT_EQ(hit(s.cx - 1, s.cy - 1), HTBOTTOMRIGHT);
    // Where the system would put its own close button, the skin's title is caption.
    int nativeClose = s.cx - GetSystemMetrics(SM_CXSIZE) / 2 - 2;
    EXPECT_EQ(hit(nativeClose, kTitle / 2), HTCAPTION);
    EXPECT_EQ(hit(s.cx - 1, s.cy / 2), HTRIGHT); // the sizing edge stays the system's
}

TEST(SkinForm, TitleButtonsTrackTheMouseAndPerformTheirActions) {
    SkinnedForm t(GeometrySkinStore());
    SetForegroundWindow(t.Wnd());
    SendMessageW(t.Wnd(), WM_NCACTIVATE, TRUE, 0);
    t.skin->PaintFrame();
    POINT close = t.ButtonCentre(kCloseX), custom = t.ButtonCentre(kCustomX);
    TWinSysButton* closeButton = t.skin->FindTitleButton(close);
    TWinSysButton* customButton = t.skin->FindTitleButton(custom);
    ASSERT_NE(closeButton, nullptr);
    ASSERT_NE(customButton, nullptr);
    EXPECT_EQ(closeButton->Element.Action, 0);
    EXPECT_EQ(customButton->Element.Action, 40);

    t.Nc(WM_NCMOUSEMOVE, HTCAPTION, close);
    EXPECT_EQ(closeButton->State, ncsHot);
    EXPECT_EQ(Capture(t.Wnd()).At(close.x, close.y), static_cast<TColor>(kButtonFrames[2]));
    // Straight onto the next button: the first is normal again before the second turns hot.
    t.Nc(WM_NCMOUSEMOVE, HTCAPTION, custom);
    EXPECT_EQ(closeButton->State, ncsNormal);
    EXPECT_EQ(customButton->State, ncsHot);
    EXPECT_EQ(t.skin->HotObject, customButton);

    // Press and release on the custom button: WM_SKIN_BUTTON with its type.
    t.Nc(WM_NCLBUTTONDOWN, HTCAPTION, custom);
    EXPECT_EQ(customButton->State, ncsPressed);
    EXPECT_EQ(Capture(t.Wnd()).At(custom.x, custom.y), static_cast<TColor>(kButtonFrames[1]));
    t.Nc(WM_NCLBUTTONUP, HTCAPTION, custom);
    WPARAM type = 0;
    EXPECT_TRUE(PeekPosted(t.Wnd(), WM_SKIN_BUTTON, &type));
    EXPECT_EQ(type, 40u);

    // Press on close, release over another button: nothing happens, the message is eaten.
    t.Nc(WM_NCLBUTTONDOWN, HTCAPTION, close);
    EXPECT_EQ(t.Nc(WM_NCLBUTTONUP, HTCAPTION, custom), 0);
    EXPECT_FALSE(PeekPosted(t.Wnd(), WM_SYSCOMMAND));
    EXPECT_FALSE(PeekPosted(t.Wnd(), WM_SKIN_BUTTON));
    // Press on close, release elsewhere on the caption: no command either.
    t.Nc(WM_NCLBUTTONDOWN, HTCAPTION, close);
    t.Nc(WM_NCLBUTTONUP, HTCAPTION, POINT{20, kTitle / 2});
    EXPECT_FALSE(PeekPosted(t.Wnd(), WM_SYSCOMMAND));
    // A real click on close asks the window to close.
    t.Nc(WM_NCMOUSEMOVE, HTCAPTION, close);
    t.Nc(WM_NCLBUTTONDOWN, HTCAPTION, close);
    t.Nc(WM_NCLBUTTONUP, HTCAPTION, close);
    WPARAM cmd = 0;
    EXPECT_TRUE(PeekPosted(t.Wnd(), WM_SYSCOMMAND, &cmd));
    EXPECT_EQ(cmd, static_cast<WPARAM>(SC_CLOSE));
}

TEST(SkinForm, AButtonWithVisibility1000AsksTheWindow) {
    SkinnedForm t(GeometrySkinStore());
    LRESULT answer = 0;
    int asked = 0;
    TWndProcHook hook;
    hook.Install(*t.form, [&](TMessage& m) {
        if (m.Msg == WM_SKIN_BUTTON_VISIBLE) {
            ++asked;
            EXPECT_EQ(m.WParam, 1000u);
            EXPECT_EQ(m.LParam, 41);
            m.Result = answer;
            return;
        }
        hook.CallPrevious(m);
    });
    POINT ask = t.ButtonCentre(kAskX);
    t.skin->PaintFrame();
    EXPECT_GT(asked, 0);
    EXPECT_EQ(t.skin->FindTitleButton(ask), nullptr);
    answer = 1;
    t.skin->PaintFrame();
    ASSERT_NE(t.skin->FindTitleButton(ask), nullptr);
    EXPECT_EQ(t.skin->FindTitleButton(ask)->Element.Action, 41);
}

TEST(SkinForm, MaximiseRestoreMinimiseAndNoDragWhenMaximised) {
    SkinnedForm t(TitleButtonsSkinStore(), bsSizeable, true);
    SetForegroundWindow(t.Wnd());
    SendMessageW(t.Wnd(), WM_NCACTIVATE, TRUE, 0);
    auto click = [&](POINT p) {
        t.Nc(WM_NCMOUSEMOVE, HTCAPTION, p);
        t.Nc(WM_NCLBUTTONDOWN, HTCAPTION, p);
        t.Nc(WM_NCLBUTTONUP, HTCAPTION, p);
    };
    click(t.ButtonCentre(kMaxX));
    PumpUntil([&] { return IsZoomed(t.Wnd()) != FALSE; }, 2000);
    ASSERT_TRUE(IsZoomed(t.Wnd()));
    EXPECT_EQ(t.skin->WindowState(), wsMaximized);
    // The button clicked shows its resting frame in the maximised title, not a hover look.
    PumpFor(20);
    POINT max = t.ButtonCentre(kMaxX);
    EXPECT_EQ(Capture(t.Wnd()).At(max.x, max.y), static_cast<TColor>(kButtonFrames[0]));
    for (const auto& b : t.skin->TitleButtons()) EXPECT_NE(b->State, ncsHot);
    // A press on the caption of a maximised window reaches the system as a menu press.
    t.previous.Clear();
    t.Nc(WM_NCLBUTTONDOWN, HTCAPTION, POINT{40, kTitle / 2});
    ASSERT_TRUE(t.previous.Contains(WM_NCLBUTTONDOWN));
    EXPECT_EQ(t.previous.Entries()[t.previous.IndexOf(WM_NCLBUTTONDOWN)].wParam,
              static_cast<WPARAM>(HTMENU));
    // A double click on the caption restores.
    t.Nc(WM_NCLBUTTONDBLCLK, HTCAPTION, POINT{40, kTitle / 2});
    PumpUntil([&] { return !IsZoomed(t.Wnd()); }, 2000);
    EXPECT_FALSE(IsZoomed(t.Wnd()));
    EXPECT_EQ(t.skin->WindowState(), wsNormal);
    EXPECT_EQ(ClientSize(t.Wnd()).cx, t.nativeClient.cx);
    // Maximise and restore from the same button.
    click(t.ButtonCentre(kMaxX));
    PumpUntil([&] { return IsZoomed(t.Wnd()) != FALSE; }, 2000);
    click(t.ButtonCentre(kMaxX));
    PumpUntil([&] { return !IsZoomed(t.Wnd()); }, 2000);
    EXPECT_FALSE(IsZoomed(t.Wnd()));
    click(t.ButtonCentre(kMinX));
    PumpUntil([&] { return IsIconic(t.Wnd()) != FALSE; }, 2000);
    EXPECT_TRUE(IsIconic(t.Wnd()));
    t.skin->Restore();
    PumpUntil([&] { return !IsIconic(t.Wnd()); }, 2000);
    EXPECT_FALSE(IsIconic(t.Wnd()));
    EXPECT_EQ(ClientSize(t.Wnd()).cy, t.nativeClient.cy);
}

TEST(SkinForm, SystemMenuPopupFromTheWindowsSystemMenu) {
    SkinnedForm t(GeometrySkinStore());
    SetForegroundWindow(t.Wnd());
    // The popup is modal: a timer closes it from inside its loop.
    UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    SendMessageW(t.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, L' ');
    KillTimer(nullptr, timer);
    TPopupMenu* popup = t.skin->SystemMenuPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Tag(), 33333);
    EXPECT_TRUE(popup->OwnerDraw());
    if (t.data->MenuGlyphs) {
        ASSERT_NE(popup->Images(), nullptr); // the skin's four menu glyphs
        EXPECT_EQ(popup->Images()->Count(), 4);
    }
    bool sawClose = false, sawRestore = false, sawMaximize = false;
    for (int i = 0; i < popup->Items()->Count(); ++i) {
        TMenuItem* item = popup->Items()->Items(i);
        switch (item->Tag() & 0xFFF0) {
        case SC_CLOSE:
            sawClose = true;
            EXPECT_EQ(item->ImageIndex(), 3);
            break;
        case SC_RESTORE:
            sawRestore = true;
            EXPECT_FALSE(item->Enabled()); // the window is not maximised or minimised
            break;
        case SC_MAXIMIZE:
            sawMaximize = true;
            EXPECT_TRUE(item->Enabled());
            EXPECT_EQ(item->ImageIndex(), 1);
            break;
        default:
            break;
        }
    }
    EXPECT_TRUE(sawClose);
    EXPECT_TRUE(sawRestore);
    EXPECT_TRUE(sawMaximize);
}

TEST(SkinForm, SettingTheCaptionNeverLetsTheSystemDrawIt) {
    SkinnedForm t(GeometrySkinStore(), bsSizeable, true);
    SetForegroundWindow(t.Wnd());
    SendMessageW(t.Wnd(), WM_NCACTIVATE, TRUE, 0);
    // A child waiting to be painted when the text is set is painted all the same.
    auto* panel = new TPanel(t.form.get());
    panel->SetParent(t.form.get());
    panel->SetBounds(10, 10, 60, 40);
    PumpFor(20);
    int paints = 0;
    TWindowSubclass counter;
    counter.Attach(panel->WindowHandle(), [&](TMessage& m) {
        paints += m.Msg == WM_PAINT;
        counter.CallPrevious(m);
    });
    InvalidateRect(panel->WindowHandle(), nullptr, TRUE);
    t.previous.Clear();
    t.form->SetCaption("A new caption");
    std::vector<UINT> seen;
    for (const LoggedMessage& e : t.previous.Entries())
        if (e.msg == WM_SETREDRAW || e.msg == WM_SETTEXT) seen.push_back(e.msg);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0], static_cast<UINT>(WM_SETREDRAW));
    EXPECT_EQ(seen[1], static_cast<UINT>(WM_SETTEXT));
    EXPECT_EQ(seen[2], static_cast<UINT>(WM_SETREDRAW));
    const auto& e = t.previous.Entries();
    EXPECT_EQ(e[static_cast<size_t>(t.previous.IndexOf(WM_SETREDRAW))].wParam, 0u);
    wchar_t text[64] = {};
    GetWindowTextW(t.Wnd(), text, 64);
    EXPECT_STREQ(text, L"A new caption");
    EXPECT_TRUE(IsWindowVisible(t.Wnd()));
    PumpFor(30);
    EXPECT_GE(paints, 1);
    counter.Detach();
    // The title is the skin's, with the new text in the skin's active colour (white).
    Capture c(t.Wnd());
    EXPECT_EQ(c.At(c.w - 4 - kRight, 1), kTopActive);
    bool ink = false;
    for (int x = kLeft; x < c.w / 2 && !ink; ++x)
        for (int y = 2; y < kTitle - 2 && !ink; ++y)
            ink = c.At(x, y) == static_cast<TColor>(0xFFFFFF);
    EXPECT_TRUE(ink);
    const TColor native = static_cast<TColor>(GetSysColor(COLOR_ACTIVECAPTION));
    for (int x = kLeft; x < c.w - kRight; x += 3) EXPECT_NE(c.At(x, kTitle / 2), native) << x;
}

TEST(SkinForm, SettingTheCaptionOfAnAnsiWindowTurnsRedrawingOffToo) {
    static MessageLog log;
    log.Clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_SETREDRAW || msg == WM_SETTEXT) log.Record(msg, wp, 0);
        return DefWindowProcA(w, msg, wp, lp);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = "CorvaneAnsiCaption";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowExA(0, wc.lpszClassName, "Before", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60,
                               60, 260, 160, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_FALSE(IsWindowUnicode(wnd));
    std::unique_ptr<TComponent> holder = std::make_unique<TComponent>(nullptr);
    TSkinData* data = MakeSkinData(GeometrySkinStore(), holder.get());
    auto* skin = new TWinSkinForm(holder.get());
    skin->Handle = wnd;
    skin->Attach(data);
    SendMessageW(wnd, WM_SKIN_APPLY, 0, kSkinApplyTag);
    PumpFor(20);
    log.Clear();
    SetWindowTextA(wnd, "After");
    std::vector<UINT> seen;
    for (const LoggedMessage& e : log.Entries()) seen.push_back(e.msg);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_SETREDRAW, WM_SETTEXT, WM_SETREDRAW}));
    char text[16] = {};
    GetWindowTextA(wnd, text, 16);
    EXPECT_STREQ(text, "After");
    Capture c(wnd);
    EXPECT_EQ(c.At(c.w - 4 - kRight, 1), kTopActive);
    DestroyWindow(wnd);
    EXPECT_TRUE(skin->Finished());
}

TEST(SkinForm, AFramePaintTakesTheHoverLookAwayWithoutLosingAPress) {
    SkinnedForm t(GeometrySkinStore());
    SetForegroundWindow(t.Wnd());
    SendMessageW(t.Wnd(), WM_NCACTIVATE, TRUE, 0);
    POINT close = t.ButtonCentre(kCloseX);
    TWinSysButton* b = t.skin->FindTitleButton(close);
    ASSERT_NE(b, nullptr);
    t.Nc(WM_NCMOUSEMOVE, HTCAPTION, close);
    EXPECT_EQ(Capture(t.Wnd()).At(close.x, close.y), static_cast<TColor>(kButtonFrames[2]));
    t.skin->PaintFrame();
    EXPECT_EQ(b->State, ncsNormal);
    EXPECT_EQ(t.skin->HotObject, nullptr);
    EXPECT_EQ(Capture(t.Wnd()).At(close.x, close.y), static_cast<TColor>(kButtonFrames[0]));
    // The mouse brings it back.
    t.Nc(WM_NCMOUSEMOVE, HTCAPTION, close);
    EXPECT_EQ(Capture(t.Wnd()).At(close.x, close.y), static_cast<TColor>(kButtonFrames[2]));
    // A repaint between press and release: the click counts, and the button is the hot object
    // again, so the timer can take its look away.
    t.Nc(WM_NCLBUTTONDOWN, HTCAPTION, close);
    t.skin->PaintFrame();
    t.Nc(WM_NCLBUTTONUP, HTCAPTION, close);
    WPARAM cmd = 0;
    EXPECT_TRUE(PeekPosted(t.Wnd(), WM_SYSCOMMAND, &cmd));
    EXPECT_EQ(cmd, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(t.skin->HotObject, b);
}

TEST(SkinForm, ThePreviousProcedureSeesTheSameClientMessagesWithAndWithoutTheSkin) {
    auto drive = [](SkinnedForm& t) {
        t.previous.Clear();
        HWND w = t.Wnd();
        SendMessageW(w, WM_KEYDOWN, 'A', 1);
        SendMessageW(w, WM_CHAR, 'a', 1);
        SendMessageW(w, WM_KEYUP, 'A', 1 | (1u << 30) | (1u << 31));
        SendMessageW(w, WM_USER + 7, 1, 2);
        SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        SetWindowPos(w, nullptr, 130, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        std::vector<UINT> out;
        for (const LoggedMessage& e : t.previous.Entries())
            if (e.msg < WM_NCCREATE || e.msg > 0x00AF) // leave out the non-client family
                out.push_back(e.msg);
        return out;
    };
    SkinnedForm plain(GeometrySkinStore(), bsSizeable, true, false);
    SkinnedForm skinned(GeometrySkinStore(), bsSizeable, true, true);
    std::vector<UINT> a = drive(plain), b = drive(skinned);
    auto dump = [](const std::vector<UINT>& v) {
        std::string s;
        char buf[8];
        for (UINT m : v) {
            wsprintfA(buf, "%04X ", m);
            s += buf;
        }
        return s;
    };
    EXPECT_EQ(a, b) << "unskinned: " << dump(a) << "\nskinned:   " << dump(b);
}

// ---------------------------------------------------------------- the manager

namespace {
struct Manager {
    ScopedSkinManager scope;
    TSkinManage* m = scope.get();
    TSkinData* data;
    std::unique_ptr<TComponent> holder = std::make_unique<TComponent>(nullptr);
    explicit Manager(const std::vector<std::uint8_t>& store = GeometrySkinStore()) {
        data = MakeSkinData(store, holder.get());
        m->Register(*data);
        m->SetEnabled(true);
    }
    ~Manager() {
        holder.reset(); // the skin data goes, and with it every window it skinned
    }
};

struct PlainForm {
    std::unique_ptr<TForm> form;
    explicit PlainForm(int tag = 0, bool show = true) {
        form = std::make_unique<TForm>(&TestApplication());
        form->SetTag(tag);
        form->SetBounds(50, 50, 200, 150);
        if (show) {
            form->Show();
            PumpFor(10);
        } else {
            form->HandleNeeded(); // not shown: no activation reaches a hook of the manager
        }
    }
};
} // namespace

TEST(SkinManager, SkinsFormsButLeavesTheExcludedOnesAlone) {
    Manager mgr;
    // Hidden windows: the rules are asked here, not by the window hook on activation.
    PlainForm normal(0, false), tagged(99, false);
    EXPECT_TRUE(mgr.m->SkinWindow(normal.form->WindowHandle()));
    EXPECT_FALSE(mgr.m->SkinWindow(normal.form->WindowHandle())); // once only
    PumpFor(20);
    EXPECT_EQ(SendMessageW(normal.form->WindowHandle(), WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_FALSE(mgr.m->SkinWindow(tagged.form->WindowHandle()));

    // A window of another module is skinned only when it is a standard dialog.
    HINSTANCE other = GetModuleHandleW(L"kernel32.dll");
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = other;
    wc.lpszClassName = L"CorvaneForeignWindow";
    RegisterClassW(&wc);
    wc.lpszClassName = L"TApplication";
    wc.hInstance = GetModuleHandleW(nullptr);
    RegisterClassW(&wc);
    wc.lpszClassName = L"TPrintPreviewForm";
    RegisterClassW(&wc);
    auto make = [](const wchar_t* cls, HINSTANCE inst) {
        return CreateWindowExW(0, cls, L"x", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr,
                               inst, nullptr);
    };
    HWND foreign = make(L"CorvaneForeignWindow", other);
    HWND app = make(L"TApplication", GetModuleHandleW(nullptr));
    HWND preview = make(L"TPrintPreviewForm", GetModuleHandleW(nullptr));
    HWND dialog = CreateWindowExW(0, L"#32770", L"dialog", WS_POPUP | WS_CAPTION, 0, 0, 200, 150,
                                  nullptr, nullptr, other, nullptr);
    EXPECT_FALSE(mgr.m->SkinWindow(foreign));
    EXPECT_FALSE(mgr.m->SkinWindow(app));
    EXPECT_TRUE(mgr.m->SkinWindow(dialog));
    // Preview windows follow xoPreview of the main component.
    mgr.data->Options &= static_cast<TSkinOptions>(~SetBit(xoPreview));
    EXPECT_FALSE(mgr.m->SkinWindow(preview));
    mgr.data->Options |= static_cast<TSkinOptions>(SetBit(xoPreview));
    EXPECT_TRUE(mgr.m->SkinWindow(preview));
    PumpFor(20);
    for (HWND w : {foreign, app, preview, dialog}) DestroyWindow(w);
    PumpFor(20); // the objects of destroyed foreign windows are freed soon after
    EXPECT_EQ(mgr.m->FindSkinnedForm(dialog), nullptr);
}

TEST(SkinManager, OnlyOneCommandIsPendingAndActiveOffAndOnReskins) {
    Manager mgr;
    mgr.m->SetActiveCount(1);
    mgr.m->SetChanging(*mgr.data);
    PlainForm a, b;
    auto skinned = [](PlainForm& f) {
        return SendMessageW(f.form->WindowHandle(), WM_SKIN_QUERY, 0, 0) == 1;
    };
    DWORD posted = GetTickCount();
    mgr.m->PostCommand(skin::kSkinAllCommand, 250);
    mgr.m->PostCommand(skin::kUnskinAllCommand, 250); // replaces the first
    EXPECT_EQ(mgr.m->PendingCommand(), skin::kUnskinAllCommand);
    EXPECT_TRUE(CommandRunsAfterItsDelay(*mgr.m, posted, 250));
    EXPECT_FALSE(skinned(a));
    EXPECT_FALSE(mgr.m->Enabled());
    // Active on: every visible form is skinned, after the delay.
    mgr.data->SetActive(false);
    EXPECT_TRUE(PumpUntilNoCommandPending(*mgr.m));
    posted = GetTickCount();
    mgr.data->SetActive(true);
    EXPECT_TRUE(CommandRunsAfterItsDelay(*mgr.m, posted, skin::kSkinCommandDelayMs,
                                         [&] { return skinned(a); }));
    EXPECT_TRUE(skinned(a));
    EXPECT_TRUE(skinned(b));
    SIZE skinnedClient = ClientSize(a.form->WindowHandle());
    // Active off gives the native frames back with the client sizes kept.
    posted = GetTickCount();
    mgr.data->SetActive(false);
    EXPECT_TRUE(CommandRunsAfterItsDelay(*mgr.m, posted, skin::kSkinCommandDelayMs,
                                         [&] { return !skinned(a); }));
    EXPECT_FALSE(skinned(a));
    EXPECT_EQ(ClientSize(a.form->WindowHandle()).cx, skinnedClient.cx);
    EXPECT_EQ(ClientSize(a.form->WindowHandle()).cy, skinnedClient.cy);
    EXPECT_TRUE(mgr.m->SkinnedForms().empty());
}

TEST(SkinManager, NewWindowsAreSkinnedWhenTheyActivate) {
    Manager mgr;
    mgr.m->InstallHook();
    mgr.m->SetActiveCount(1);
    PlainForm later; // shown: activation reaches the hook
    PumpUntil([&] { return SendMessageW(later.form->WindowHandle(), WM_SKIN_QUERY, 0, 0) == 1; },
              1000);
    EXPECT_EQ(SendMessageW(later.form->WindowHandle(), WM_SKIN_QUERY, 0, 0), 1);
}

TEST(SkinManager, FormWhoseChildWindowWasMadeBeforeItsFirstShowIsSkinnedAndSettles) {
    Manager mgr;
    mgr.m->InstallHook();
    mgr.m->SetActiveCount(1);
    auto form = std::make_unique<TForm>(&TestApplication());
    form->SetBounds(50, 50, 300, 200);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 280, 100);
    auto* edit = new TEdit(form.get());
    edit->SetParent(panel);
    edit->SetBounds(10, 10, 100, 24);
    edit->HandleNeeded();
    EXPECT_EQ(WindowsOf(form->WindowHandle(), edit), 1);
    EXPECT_EQ(WindowsOf(form->WindowHandle(), panel), 1);
    form->Show();
    // Bounded: a window that never validates would keep ProcessMessages busy for ever.
    EXPECT_TRUE(QueueSettles());
    auto skinned = [&] { return SendMessageW(form->WindowHandle(), WM_SKIN_QUERY, 0, 0) == 1; };
    for (int i = 0; i < 100 && !skinned() && QueueSettles(); ++i)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    EXPECT_TRUE(skinned());
    EXPECT_TRUE(QueueSettles());
}

TEST(SkinManager, ADamagedSkinLeavesWindowsUnskinnedAndWorking) {
    Manager mgr(DamagedStore());
    EXPECT_TRUE(mgr.data->SkinNotLoaded);
    PlainForm f;
    EXPECT_FALSE(mgr.m->SkinWindow(f.form->WindowHandle()));
    auto* b = new TButton(f.form.get());
    b->SetParent(f.form.get());
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(b->WindowHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    // And by hand: attaching without a skin does nothing.
    TWinSkinForm skin(nullptr);
    skin.Handle = f.form->WindowHandle();
    skin.Attach(mgr.data, f.form.get());
    EXPECT_FALSE(skin.Attached());
}

// ---------------------------------------------------------------- leaks

TEST(SkinForm, NoHandleGrowthOverSkinCyclesAndFramePaints) {
    SkinnedForm t(ProductSkinStore(), bsSizeable, false, false);
    t.Apply(); // warm-up: fonts, caches
    t.skin->Detach();
    delete t.skin;
    PumpFor(20);
    int thunks = LiveSubclassThunks();
    GuiCounts base = CurrentGuiCounts();
    for (int i = 0; i < 100; ++i) {
        t.Apply();
        t.skin->Detach();
        delete t.skin;
        t.skin = nullptr;
    }
    PumpFor(20);
    GuiCounts cycles = CurrentGuiCounts();
    ASSERT_GE(base.gdi, 0); // the GDI table could be read
    EXPECT_LE(cycles.gdi, base.gdi);
    EXPECT_LE(cycles.user, base.user);
    EXPECT_EQ(LiveSubclassThunks(), thunks);
    t.Apply();
    PumpFor(20);
    GuiCounts before = CurrentGuiCounts();
    for (int i = 0; i < 1000; ++i) t.skin->PaintFrame();
    EXPECT_LE(CurrentGuiCounts().gdi, before.gdi);
    EXPECT_LE(CurrentGuiCounts().user, before.user);
}

TEST(SkinForm, WindowsWithoutACaptionGetNoFrame) {
    SkinnedForm t(GeometrySkinStore(), bsNone);
    EXPECT_EQ(t.skin->BorderKind(), bkNone);
    EXPECT_EQ(t.skin->LeftWidth() + t.skin->TitleHeight() + t.skin->RightWidth() +
                  t.skin->BottomHeight(),
              0);
    SIZE client = ClientSize(t.Wnd()), window = WindowSize(t.Wnd());
    EXPECT_EQ(client.cx, window.cx);
    EXPECT_EQ(client.cy, window.cy);
}

namespace {
// `width` gets the width the skin gave the dialog.
void WidenedDialogShowsItsWholeCaption(const std::vector<std::uint8_t>& store,
                                       int* width = nullptr) {
    HWND dlg = CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770",
                               L"A caption far wider than the little dialog it belongs to",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 50, 50, 120, 80,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND child = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE, 10, 10, 40, 20, dlg,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    std::unique_ptr<TComponent> holder = std::make_unique<TComponent>(nullptr);
    TSkinData* data = MakeSkinData(store, holder.get());
    auto* skin = new TWinSkinForm(holder.get());
    skin->Handle = dlg;
    skin->Attach(data);
    ASSERT_TRUE(skin->Attached());
    EXPECT_TRUE(skin->DialogClass());
    EXPECT_EQ(skin->BorderKind(), bkDialog);
    const int before = WindowSize(dlg).cx;
    SendMessageW(dlg, WM_SKIN_APPLY, 0, kSkinApplyTag);
    const int after = WindowSize(dlg).cx;
    EXPECT_GT(after, before);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_GT(r.left, 10); // moved right by half of what the dialog grew
    // A foreign window's client is filled with the skin's face.
    PumpFor(20);
    Capture c(dlg);
    EXPECT_EQ(c.At(kLeft + 70, kTitle + 40), kFace);
    // The whole caption shows, in the skin's caption font (no ellipsis), clear of the close
    // button: its ink spans the text's full width.
    SendMessageW(dlg, WM_NCACTIVATE, TRUE, 0);
    Capture title(dlg);
    int inkLeft = -1, inkRight = -1;
    for (int x = 0; x < title.w; ++x)
        for (int y = 0; y < kTitle; ++y)
            if (title.At(x, y) == static_cast<TColor>(0xFFFFFF)) {
                if (inkLeft < 0) inkLeft = x;
                inkRight = x;
            }
    ASSERT_GE(inkLeft, 0);
    const std::wstring text = L"A caption far wider than the little dialog it belongs to";
    SIZE full{};
    {
        LOGFONTW lf{};
        if (data->CaptionFont) {
            GetObjectW(data->CaptionFont->Handle(), sizeof(lf), &lf);
        } else {
            NONCLIENTMETRICSW ncm{};
            ncm.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
            SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0);
            lf = ncm.lfCaptionFont;
        }
        if (data->Title && data->Title->FontHeight > 0) lf.lfHeight = -data->Title->FontHeight;
        UniqueFont font(CreateFontIndirectW(&lf));
        WindowDc dc(dlg);
        SelectObjectGuard sel(dc.get(), font.get());
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &full);
    }
    EXPECT_GE(inkRight - inkLeft + 1, full.cx - 4);
    EXPECT_LT(inkRight, title.w - kCloseX);
    DestroyWindow(dlg);
    EXPECT_TRUE(skin->Finished());
    if (width) *width = after;
}
} // namespace

TEST(SkinForm, ADialogWhoseCaptionIsWiderThanItGrowsAndKeepsItsContentsCentred) {
    WidenedDialogShowsItsWholeCaption(GeometrySkinStore());
}

TEST(SkinForm, AWidenedDialogKeepsNoRoomForAnIconItsCaptionDoesNotShow) {
    // A dialog's caption shows no icon: a skin with one widens it as much as a skin without.
    int plain = 0, icon = 0;
    WidenedDialogShowsItsWholeCaption(GeometrySkinStore(), &plain);
    WidenedDialogShowsItsWholeCaption(IconTitleSkinStore(), &icon);
    EXPECT_GT(plain, 0);
    EXPECT_EQ(icon, plain);
}

TEST(SkinForm, SecondRightClickWithinTheDoubleClickTimeClosesWhenAButtonIsHot) {
    SkinnedForm t(GeometrySkinStore());
    SetForegroundWindow(t.Wnd());
    SendMessageW(t.Wnd(), WM_NCACTIVATE, TRUE, 0);
    UINT_PTR timer = SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    t.Nc(WM_NCRBUTTONDOWN, HTCAPTION, POINT{30, kTitle / 2}); // shows the system menu
    KillTimer(nullptr, timer);
    ASSERT_NE(t.skin->SystemMenuPopup(), nullptr);
    while (PeekPosted(t.Wnd(), WM_SYSCOMMAND)) {
    }
    t.Nc(WM_NCMOUSEMOVE, HTCAPTION, t.ButtonCentre(kCloseX)); // a title button is hot
    t.skin->ShowSystemMenu(POINT{100, 100});                  // the second click
    EXPECT_TRUE(PeekPosted(t.Wnd(), WM_CLOSE));
}

TEST(SkinForm, KeyMenuWithADashGoesToTheSystem) {
    SkinnedForm t(GeometrySkinStore(), bsSizeable, true);
    t.previous.Clear();
    SendMessageW(t.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, L'-');
    EXPECT_TRUE(t.previous.Contains(WM_SYSCOMMAND));
    EXPECT_EQ(t.skin->SystemMenuPopup(), nullptr);
}

TEST(SkinForm, InactiveButtonsWithFewerThanFourFramesShowTheirFirst) {
    SkinnedForm t(GeometrySkinStore(), bsSizeable, false, false);
    for (auto& b : t.data->SysButtons)
        if (b->Action == 0) b->FrameCount = 3; // the strip's frames 1 to 3 only
    t.Apply();
    SendMessageW(t.Wnd(), WM_NCACTIVATE, FALSE, 0);
    POINT b = t.ButtonCentre(kCloseX);
    // Three frames share the 4-frame strip now: frame 1 covers its first third.
    TWinSysButton* close = t.skin->FindTitleButton(b);
    ASSERT_NE(close, nullptr);
    Capture c(t.Wnd());
    EXPECT_EQ(c.At(close->Bounds.left + 1, close->Bounds.top + 1),
              static_cast<TColor>(kButtonFrames[0]));
}

TEST(SkinForm, AnMdiParentsClientIsSubclassedWhileSkinnedAndGivenBack) {
    SkinnedForm t(GeometrySkinStore(), bsSizeable, false, false);
    CLIENTCREATESTRUCT ccs{GetSubMenu(GetSystemMenu(t.Wnd(), FALSE), 0), 0xFF00};
    RECT c;
    GetClientRect(t.Wnd(), &c);
    HWND client =
        CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                        0, 0, c.right, c.bottom, t.Wnd(), nullptr, GetModuleHandleW(nullptr), &ccs);
    ASSERT_TRUE(client);
    WNDPROC before = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(client, GWLP_WNDPROC));
    t.data->Options &= static_cast<TSkinOptions>(~SetBit(xoMDIScrollbar));
    t.Apply();
    EXPECT_EQ(t.skin->FormKind(), fkMdiParent);
    EXPECT_EQ(t.skin->MdiClient(), client);
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(client, GWLP_WNDPROC)), before);
    SetWindowPos(client, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    EXPECT_FALSE(GetWindowLongW(client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    // The redraw request is answered by the parent's redraw, not passed to the client.
    EXPECT_EQ(SendMessageW(client, WM_SKIN_MDI_REDRAW, 0, 0), 0);
    t.skin->Detach();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(client, GWLP_WNDPROC)), before);
    DestroyWindow(client);
}
