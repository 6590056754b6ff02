// Skinned edits, combo boxes and date-time pickers under Wine: the frames and buttons read
// back as pixels in every drawing style and button side, hot tracking, the drop-down
// notifications, and the controls working exactly as without the skin: typing (GBK text
// through WM_CHAR included), selection, the clipboard, drop-downs by mouse and keyboard, the
// labelled edit's label, the messages the control's own procedure sees, and the open dialog
// from start to end while skinned.
#include "message_log.h"
#include "skinned_form.h"

#include "skin/controls/skin_combo.h"
#include "skin/controls/skin_edits.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/controls/skin_updown.h"
#include "skin/data/skin_manage.h"
#include "toolkit/comctrls.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"
#include "toolkit/win_text.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>

using namespace testskins;
using namespace skintest;

namespace {

std::vector<UINT> SeenByThePrevious() {
    std::vector<UINT> ignore = MessageLog::DefaultIgnored();
    for (UINT m :
         {UINT(WM_PAINT), UINT(WM_ERASEBKGND), UINT(WM_NCPAINT), UINT(WM_PRINTCLIENT),
          UINT(WM_CTLCOLOREDIT), UINT(WM_CTLCOLORSTATIC), CN_CTLCOLOREDIT, CN_CTLCOLORSTATIC,
          CN_CTLCOLORLISTBOX, UINT(WM_CTLCOLORLISTBOX), WM_SKIN_QUERY, UINT(CB_GETCOMBOBOXINFO),
          UINT(WM_GETTEXT), UINT(WM_GETTEXTLENGTH), UINT(WM_GETFONT), UINT(WM_SYNCPAINT)})
        ignore.push_back(m);
    return ignore;
}

void Char(HWND wnd, wchar_t c) {
    SendMessageW(wnd, WM_CHAR, c, 1);
}

// The combo's button as the skin draws it: at the scroll-bar side, SM_CXHSCROLL + 2 wide.
int ButtonWidth() {
    return GetSystemMetrics(SM_CXHSCROLL) + 2;
}

struct ComboForm : SkinnedForm {
    TComboBox* combo;
    TEdit* other;
    explicit ComboForm(const std::vector<std::uint8_t>& store,
                       TComboBoxStyle style = csDropDownList)
        : SkinnedForm(store) {
        combo = Add<TComboBox>(20, 20, 160, 24);
        combo->SetStyle(style);
        for (const char* s : {"one", "two", "three"}) combo->Items().Add(s);
        other = Add<TEdit>(20, 80, 100, 22);
    }
    HWND Wnd() const { return combo->WindowHandle(); }
    Pixels Shot() {
        other->SetFocus();
        PumpFor(5);
        Refresh(Wnd());
        return Pixels(Wnd());
    }
};

} // namespace

// ---------------------------------------------------------------- edits

TEST(SkinEdit, FlatFrameOverTheBorderAndNoneWithoutABorder) {
    for (const auto& store : {EditsSkinStore(), ProductSkinStore()}) {
        SkinnedForm t(store);
        auto* edit = t.Add<TEdit>(10, 10, 120, 22);
        edit->SetText("framed");
        auto* bare = t.Add<TEdit>(10, 50, 120, 22);
        bare->SetBorderStyle(bsNone);
        auto* memo = t.Add<TMemo>(150, 10, 120, 60);
        t.data->SkinControls &= ~SetBit(xcScrollbar);
        t.Apply();
        ASSERT_NE(t.ObjectOf<TSkinEdit>(edit), nullptr);
        ASSERT_NE(t.ObjectOf<TSkinEdit>(bare), nullptr);
        EXPECT_EQ(t.ObjectOf(memo), nullptr); // memos are not edits here
        EXPECT_EQ(edit->Color(), clWindow);   // the text area keeps its colour
        const TColor shadow = t.data->ButtonShadowColor;
        HWND wnd = edit->WindowHandle();
        Refresh(wnd);
        const RECT box = WindowBox(wnd);
        EXPECT_EQ(WindowPixel(wnd, 0, 0), shadow);
        EXPECT_EQ(WindowPixel(wnd, box.right - 1, box.bottom - 1), shadow);
        EXPECT_EQ(WindowPixel(wnd, 1, box.bottom / 2), clWhite);
        EXPECT_EQ(WindowPixel(wnd, box.right / 2, 1), clWhite);
        // A focus change repaints the border natively; the skin paints over it again.
        edit->SetFocus();
        PumpFor(5);
        EXPECT_EQ(WindowPixel(wnd, 0, box.bottom / 2), shadow);
        // No border, no frame: the edit's own background at its edge.
        HWND plain = bare->WindowHandle();
        Refresh(plain);
        EXPECT_NE(WindowPixel(plain, 0, 0), shadow);
    }
}

TEST(SkinEdit, PrintClientAndThePaintClientMessage) {
    SkinnedForm t(EditsSkinStore());
    auto* edit = t.Add<TEdit>(10, 10, 120, 22);
    edit->SetText("WWWW");
    t.Apply();
    HWND wnd = edit->WindowHandle();
    const RECT box = WindowBox(wnd);
    Pixels none(wnd);
    WindowDc screen(nullptr);
    OffscreenBuffer buffer(screen.get(), box.right, box.bottom);
    HDC mem = buffer.dc();
    TSkinControl::FillColour(mem, box, clLime);
    SelectObject(mem, GetStockObject(BLACK_BRUSH));
    SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    EXPECT_EQ(static_cast<TColor>(GetPixel(mem, 0, 0)), kEditShadow);
    EXPECT_EQ(static_cast<TColor>(GetPixel(mem, 1, box.bottom / 2)), clBlack);
    EXPECT_EQ(static_cast<TColor>(GetPixel(mem, box.right - 2, 1)), clBlack);

    // A caller that moved the origin and clipped: the frame goes where the origin says and
    // stays inside the clip, and the caller's DC is as it was.
    TSkinControl::FillColour(mem, box, clLime);
    SetViewportOrgEx(mem, 6, 4, nullptr);
    UniqueRegion clip(CreateRectRgn(0, 0, box.right, box.bottom / 2));
    SelectClipRgn(mem, clip.get());
    SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    POINT origin{};
    GetViewportOrgEx(mem, &origin);
    EXPECT_EQ(origin.x, 6);
    EXPECT_EQ(origin.y, 4);
    SetViewportOrgEx(mem, 0, 0, nullptr);
    SelectClipRgn(mem, nullptr);
    EXPECT_EQ(static_cast<TColor>(GetPixel(mem, 6 + 10, 4)), kEditShadow);
    EXPECT_EQ(static_cast<TColor>(GetPixel(mem, 10, 0)), clLime);
    EXPECT_EQ(static_cast<TColor>(GetPixel(mem, 0, 10)), clLime);
    EXPECT_EQ(static_cast<TColor>(GetPixel(mem, 6, 4 + 3)), kEditShadow);
    EXPECT_EQ(static_cast<TColor>(GetPixel(mem, 6, box.bottom / 2 + 1)), clLime); // clipped

    // The edit paints its text into the DC the message carries and answers the magic.
    TSkinControl::FillColour(mem, box, clLime);
    EXPECT_EQ(SendMessageW(wnd, CN_SKIN_PAINTCLIENT, reinterpret_cast<WPARAM>(mem), kSkinMagic),
              kSkinMagic);
    int changed = 0;
    for (int y = 0; y < box.bottom; ++y)
        for (int x = 0; x < box.right; ++x) changed += GetPixel(mem, x, y) != RGB(0, 255, 0);
    EXPECT_GT(changed, 10);
    // Without the magic the message is not the skin's.
    EXPECT_NE(SendMessageW(wnd, CN_SKIN_PAINTCLIENT, 0, 1), kSkinMagic);
    EXPECT_EQ(SendMessageW(wnd, CN_SKIN_PAINTCLIENT, 0, kSkinMagic), kSkinMagic);
}

TEST(SkinEdit, TypingSelectionGbkTextAndTheClipboardWorkAsWithoutTheSkin) {
    std::string texts[2], pasted[2];
    DWORD selections[2] = {};
    std::vector<UINT> seen[2];
    for (int skinned = 0; skinned < 2; ++skinned) {
        SkinnedForm t(EditsSkinStore());
        auto* edit = t.Add<TEdit>(10, 10, 160, 22);
        auto* target = t.Add<TEdit>(10, 50, 160, 22);
        t.Show();
        MessageLog log(SeenByThePrevious());
        TWndProcHook recorder;
        recorder.Install(*edit, [&](TMessage& m) {
            log.Record(m.Msg, m.WParam);
            recorder.CallPrevious(m);
        });
        if (skinned) {
            t.Apply();
            ASSERT_NE(t.ObjectOf<TSkinEdit>(edit), nullptr);
        }
        HWND wnd = edit->WindowHandle();
        edit->SetFocus();
        PumpFor(5);
        log.Clear();
        for (wchar_t c : std::wstring(L"ab c")) Char(wnd, c);
        // GBK for the two characters of "中文", byte by byte as a DBCS keyboard sends them.
        for (unsigned char b : {0xD6, 0xD0, 0xCE, 0xC4}) SendMessageA(wnd, WM_CHAR, b, 1);
        SendMessageW(wnd, WM_KEYDOWN, VK_HOME, 0x01470001);
        SendMessageW(wnd, WM_KEYUP, VK_HOME, 0xC1470001);
        SendMessageW(wnd, EM_SETSEL, 0, 2);
        SendMessageW(wnd, WM_COPY, 0, 0);
        target->SetFocus();
        PumpFor(5);
        SendMessageW(target->WindowHandle(), WM_PASTE, 0, 0);
        PumpFor(5);
        texts[skinned] = edit->GetText();
        pasted[skinned] = target->GetText();
        DWORD from = 0, to = 0;
        SendMessageW(wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        selections[skinned] = MAKELONG(from, to);
        seen[skinned] = log.Messages();
        EXPECT_FALSE(seen[skinned].empty());
    }
    EXPECT_EQ(texts[0], "ab c" + Utf8ToAnsi("中文"));
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_EQ(pasted[0], "ab");
    EXPECT_EQ(pasted[1], pasted[0]);
    EXPECT_EQ(selections[0], static_cast<DWORD>(MAKELONG(0, 2)));
    EXPECT_EQ(selections[1], selections[0]);
    EXPECT_EQ(seen[0], seen[1]);
}

TEST(SkinEdit, TheLabelledEditsLabelStillFollowsItsEdit) {
    SkinnedForm t(EditsSkinStore());
    auto* edit = t.Add<TLabeledEdit>(40, 60, 120, 22);
    edit->EditLabel().SetCaption("Label");
    t.Apply();
    ASSERT_NE(t.ObjectOf<TSkinEdit>(edit), nullptr);
    const int dx = edit->EditLabel().Left() - edit->Left();
    const int dy = edit->EditLabel().Top() - edit->Top();
    EXPECT_LT(dy, 0);
    edit->SetBounds(90, 120, 120, 22);
    EXPECT_EQ(edit->EditLabel().Left() - edit->Left(), dx);
    EXPECT_EQ(edit->EditLabel().Top() - edit->Top(), dy);
    edit->SetLabelPosition(lpLeft);
    EXPECT_LT(edit->EditLabel().Left() + edit->EditLabel().Width(), edit->Left() + 1);
    edit->SetEnabled(false);
    EXPECT_FALSE(edit->EditLabel().Enabled());
    Refresh(edit->WindowHandle());
    EXPECT_EQ(WindowPixel(edit->WindowHandle(), 0, 0), kEditShadow);
}

TEST(SkinEdit, TheMainWindowsEditsGetSkinnedBorders) {
    // Earlier tests may have switched the process's manager off.
    InstallSkinManager();
    EnsureSkinManager()->SetEnabled(true);
    auto form = MakeMainForm();
    TCustomEdit* edits[] = {form->edt1, form->lbledt1, form->lbledt2};
    ASSERT_TRUE(PumpUntil([&] { return Query(form->lbledt2) == 1; }, 3000));
    const TColor shadow = form->SkinData1->ButtonShadowColor;
    int drawn = 0;
    // Each edit on its own page, every one of the three looked at.
    for (TTabSheet* page : {form->ts2, form->ts3}) {
        form->pgc1->SetActivePage(page);
        PumpFor(20);
        for (TCustomEdit* e : edits) {
            if (e->Parent() != page) continue;
            EXPECT_EQ(Query(e), 1) << e->Name();
            ASSERT_TRUE(IsWindowVisible(e->WindowHandle())) << e->Name();
            Refresh(e->WindowHandle());
            EXPECT_EQ(WindowPixel(e->WindowHandle(), 0, 0), shadow) << e->Name();
            ++drawn;
        }
    }
    EXPECT_EQ(drawn, 3);
    // The labels stay where the edits put them.
    for (TLabeledEdit* e : {form->lbledt1, form->lbledt2}) {
        const int dy = e->EditLabel().Top() - e->Top();
        e->SetBounds(e->Left() + 8, e->Top() + 4, e->Width(), e->Height());
        EXPECT_EQ(e->EditLabel().Top() - e->Top(), dy) << e->Name();
    }
}

TEST(SkinEdit, ASpinButtonInsideTheEditIsSkinnedOnceAtTheFirstPaint) {
    for (bool spinKind : {true, false}) {
        const INITCOMMONCONTROLSEX classes = {sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&classes);
        SkinnedForm t(SmallControlsSkinStore());
        auto* edit = t.Add<TEdit>(10, 10, 90, 24);
        t.Show();
        HWND wnd = edit->WindowHandle();
        RECT c;
        GetClientRect(wnd, &c);
        HWND ud = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, c.right - 16, 0, 16,
                                  c.bottom, wnd, nullptr, nullptr, nullptr);
        ASSERT_TRUE(ud);
        if (!spinKind) t.data->SkinControls &= ~SetBit(xcSpin);
        t.Apply();
        auto* object = t.ObjectOf<TSkinEdit>(edit);
        ASSERT_NE(object, nullptr);
        Refresh(wnd);
        if (!spinKind) {
            EXPECT_EQ(object->UpDown(), nullptr);
            continue;
        }
        TSkinUpDown* spin = object->UpDown();
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->Handle(), ud);
        EXPECT_TRUE(spin->EditSpin());
        Refresh(wnd);
        EXPECT_EQ(object->UpDown(), spin); // taken once, not again at every paint
        Refresh(ud);
        RECT box;
        GetClientRect(ud, &box);
        EXPECT_EQ(WindowPixel(ud, box.right / 2, box.bottom / 4 - 1), TColor(kSpinFrames[0]));
        EXPECT_EQ(WindowPixel(ud, box.right / 2, box.bottom * 3 / 4 + 1), TColor(kSpinFrames[4]));
        // Taking the skin off gives the spin button back to the system.
        object->RestoreControl();
        Refresh(ud);
        EXPECT_NE(WindowPixel(ud, box.right / 2, box.bottom / 4 - 1), TColor(kSpinFrames[0]));
    }
}

// ---------------------------------------------------------------- combo boxes

TEST(SkinComBox, ASimpleCombosListHasItsBarsSkinnedWithIt) {
    for (const auto& store : {ScrollSkinStore(), ProductSkinStore()}) {
        ComboForm t(store, csSimple);
        t.combo->SetBounds(20, 20, 160, 120);
        for (int i = 0; i < 40; ++i) t.combo->Items().Add(NumberedName("item ", i, ""));
        t.Apply();
        auto* object = t.ObjectOf<TSkinComBox>(t.combo);
        ASSERT_NE(object, nullptr);
        ASSERT_NE(object->ListHandle(), nullptr);
        TSkinScrollbarH* bars = object->ListBars();
        ASSERT_NE(bars, nullptr);
        EXPECT_EQ(bars->Handle(), object->ListHandle());
        ASSERT_NE(bars->VertBar(), nullptr);
        EXPECT_TRUE(bars->VertBar()->Shown());
        EXPECT_FALSE(bars->HorzBar()->Shown()); // the items fit across
        // The cover lies over the list's own bar.
        SCROLLBARINFO info{sizeof info};
        ASSERT_TRUE(GetScrollBarInfo(object->ListHandle(), OBJID_VSCROLL, &info));
        RECT cover;
        GetWindowRect(bars->VertBar()->Cover(), &cover);
        EXPECT_EQ(cover.left, info.rcScrollBar.left);
        EXPECT_EQ(cover.top, info.rcScrollBar.top);
        EXPECT_EQ(cover.bottom, info.rcScrollBar.bottom);
        const HWND coverWnd = bars->VertBar()->Cover();
        object->RestoreControl();
        EXPECT_EQ(object->ListBars(), nullptr);
        EXPECT_FALSE(IsWindow(coverWnd));
    }
}

TEST(SkinComBox, ADroppedListHasItsBarCoveredWhileItShows) {
    for (const auto& store : {ScrollSkinStore(), ProductSkinStore()}) {
        ComboForm t(store, csDropDown);
        for (int i = 0; i < 40; ++i) t.combo->Items().Add(NumberedName("item ", i, ""));
        t.Apply();
        auto* object = t.ObjectOf<TSkinComBox>(t.combo);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->ListHandle(), nullptr); // no simple list
        TSkinScrollbarH* bars = object->ListBars();
        ASSERT_NE(bars, nullptr);
        HWND list = bars->Handle();
        EXPECT_FALSE(IsWindowVisible(bars->VertBar()->Cover()));
        SendMessageW(t.Wnd(), CB_SHOWDROPDOWN, TRUE, 0);
        PumpFor(20);
        ASSERT_TRUE(IsWindowVisible(list));
        EXPECT_TRUE(bars->VertBar()->Shown());
        SCROLLBARINFO info{sizeof info};
        ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &info));
        RECT cover;
        GetWindowRect(bars->VertBar()->Cover(), &cover);
        EXPECT_TRUE(EqualRect(&cover, &info.rcScrollBar));
        // The cover lies above the topmost list in the Z-order.
        bool above = false;
        for (HWND w = GetWindow(list, GW_HWNDPREV); w && !above; w = GetWindow(w, GW_HWNDPREV))
            above = w == bars->VertBar()->Cover();
        EXPECT_TRUE(above);
        SendMessageW(t.Wnd(), CB_SHOWDROPDOWN, FALSE, 0);
        PumpFor(20);
        EXPECT_FALSE(IsWindowVisible(list));
        EXPECT_FALSE(IsWindowVisible(bars->VertBar()->Cover()));
    }
}

TEST(SkinComBox, TheButtonIsHotOnlyWhileTheMouseIsOverIt) {
    ComboForm t(EditsSkinStore());
    t.Apply();
    auto* object = t.ObjectOf<TSkinComBox>(t.combo);
    ASSERT_NE(object, nullptr);
    Pixels p = t.Shot();
    const int w = p.w, h = p.h;
    EXPECT_EQ(p.At(w - 3, 1), kComboFrames[0]);
    EXPECT_EQ(p.At(0, h / 2), kSunkFrames[0]);
    // The arrow glyph (extra images, frame of the state) centred in the button.
    const int gx = w - 2 - (ButtonWidth() - 2) / 2 - 1;
    EXPECT_TRUE(p.Has({gx - 3, h / 2 - 3, gx + 4, h / 2 + 4}, kExtraFrames[0]));
    // The composed strip keeps the text area the system's.
    EXPECT_NE(p.At(20, h / 2), kComboFrames[0]);
    EXPECT_NE(p.At(20, h / 2), kSunkFrames[0]);
    auto move = [&](int x) {
        // The real cursor there too, or the leave tracking clears the hot state at once.
        POINT screen = {x, h / 2};
        ClientToScreen(t.Wnd(), &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageW(t.Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, h / 2));
        PumpFor(2);
        return WindowPixel(t.Wnd(), w - 3, 1);
    };
    EXPECT_EQ(move(20), kComboFrames[0]); // over the text: not hot
    EXPECT_EQ(object->State() & kSkinHot, 0);
    EXPECT_EQ(move(w - 5), kComboFrames[3]);
    EXPECT_NE(object->State() & kSkinHot, 0);
    EXPECT_EQ(WindowPixel(t.Wnd(), 0, h / 2), kSunkFrames[3]);
    EXPECT_EQ(move(w - ButtonWidth() - 3), kComboFrames[0]);
    EXPECT_EQ(move(w - 4), kComboFrames[3]);
    SendMessageW(t.Wnd(), CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(WindowPixel(t.Wnd(), w - 3, 1), kComboFrames[0]);
    // Disabled: frame 3 and no hot state however the mouse moves.
    t.combo->SetEnabled(false);
    Refresh(t.Wnd());
    EXPECT_EQ(move(w - 5), kComboFrames[2]);
    EXPECT_EQ(object->State() & kSkinHot, 0);
}

TEST(SkinComBox, ALeftScrollBarPutsTheMirroredButtonOnTheLeft) {
    // The composed strip of a skin with a sunk edge, and the plain button of one without.
    for (bool sunk : {true, false}) {
        ComboForm t(EditsSkinStore(0, sunk));
        t.Apply();
        HWND wnd = t.Wnd();
        SetWindowLongPtrW(wnd, GWL_EXSTYLE,
                          GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
        Pixels p = t.Shot();
        // The state frame of the mirrored strip: frame 1's colour, not frame 4's.
        EXPECT_EQ(p.At(2, 1), kComboFrames[0]) << sunk;
        EXPECT_EQ(p.At(ButtonWidth() - 3, 1), kComboFrames[0]) << sunk;
        EXPECT_NE(p.At(p.w - 4, 1), kComboFrames[0]) << sunk;
        if (sunk) {
            EXPECT_EQ(p.At(p.w - 1, p.h / 2), kSunkFrames[0]);
            EXPECT_EQ(p.At(p.w - 4, 1), kSunkFrames[0]);
        }
        EXPECT_LT(t.ObjectOf<TSkinComBox>(t.combo)->ButtonRect().left, ButtonWidth()) << sunk;
        auto move = [&](int x) {
            POINT screen = {x, p.h / 2};
            ClientToScreen(wnd, &screen);
            SetCursorPos(screen.x, screen.y);
            SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, p.h / 2));
            return WindowPixel(wnd, 2, 1);
        };
        EXPECT_EQ(move(6), kComboFrames[3]) << sunk;
        EXPECT_EQ(move(p.w - 6), kComboFrames[0]) << sunk;
    }
}

TEST(SkinComBox, StyleTwoPaintsTheWholeControlAsOneElement) {
    ComboForm t(EditsSkinStore(2, false));
    t.Apply();
    Pixels p = t.Shot();
    EXPECT_EQ(p.At(20, p.h / 2), kComboFrames[0]); // the text area included
    EXPECT_EQ(p.At(p.w - 3, p.h / 2), kComboFrames[0]);
    EXPECT_EQ(p.At(0, 0), kComboFrames[0]);
    EXPECT_FALSE(p.Has({0, 0, p.w, p.h}, kExtraFrames[0]));
    // Without a sunk edge the button element serves a left scroll bar too.
    HWND wnd = t.Wnd();
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    Pixels q = t.Shot();
    EXPECT_EQ(q.At(20, q.h / 2), kComboFrames[0]);
}

TEST(SkinComBox, StyleNoughtDrawsTheButtonAndArrowAtTheSide) {
    ComboForm t(EditsSkinStore(0, false));
    t.Apply();
    Pixels p = t.Shot();
    EXPECT_EQ(p.At(p.w - 3, 1), kComboFrames[0]);
    EXPECT_EQ(p.At(p.w - ButtonWidth(), 1), kComboFrames[0]);
    EXPECT_NE(p.At(p.w - ButtonWidth() - 2, 1), kComboFrames[0]);
    EXPECT_NE(p.At(20, p.h / 2), kComboFrames[0]);
    const int gx = p.w - 2 - (ButtonWidth() - 2) / 2 - 1;
    EXPECT_TRUE(p.Has({gx - 4, p.h / 2 - 4, gx + 5, p.h / 2 + 5}, kExtraFrames[0]));
    EXPECT_EQ(t.ObjectOf<TSkinComBox>(t.combo)->ButtonRect().left, p.w - ButtonWidth());
}

TEST(SkinComBox, StyleOneFramesTheControlAndDrawsTheGlyphInTheColumn) {
    ComboForm t(EditsSkinStore(1, false));
    t.Apply();
    Pixels p = t.Shot();
    EXPECT_EQ(p.At(0, 0), kEditShadow);
    EXPECT_EQ(p.At(p.w - 1, p.h / 2), kEditShadow);
    const RECT& glyph = t.ObjectOf<TSkinComBox>(t.combo)->ButtonRect();
    EXPECT_EQ(glyph.right, p.w - 2);
    EXPECT_EQ(glyph.right - glyph.left, kComboW);
    EXPECT_EQ(p.At(glyph.left, (glyph.top + glyph.bottom) / 2), kComboFrames[0]);
    EXPECT_FALSE(p.Has({0, 0, p.w / 2, p.h}, kComboFrames[0]));
}

TEST(SkinComBox, DropDownsByMouseAndKeyboardAndTheEventHook) {
    bool dropped[2][3] = {};
    std::vector<std::string> events;
    for (int skinned = 0; skinned < 2; ++skinned) {
        ComboForm t(ProductSkinStore());
        t.data->EventHook = [&](TObject* sender, const std::string& e) {
            EXPECT_EQ(sender, t.combo);
            events.push_back(e);
        };
        if (skinned)
            t.Apply();
        else
            t.Show();
        HWND wnd = t.Wnd();
        const RECT box = WindowBox(wnd);
        t.combo->SetFocus();
        PumpFor(5);
        auto closeUp = [&] {
            SendMessageW(wnd, CB_SHOWDROPDOWN, FALSE, 0);
            PumpFor(5);
        };
        // The mouse on the button.
        const LPARAM at = MAKELPARAM(box.right - 6, box.bottom / 2);
        SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(wnd, WM_LBUTTONUP, 0, at);
        PumpFor(5);
        dropped[skinned][0] = SendMessageW(wnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
        closeUp();
        if (ReleaseCapture()) PumpFor(2);
        // F4, then Alt+Down.
        SendMessageW(wnd, WM_KEYDOWN, VK_F4, 0x003E0001);
        PumpFor(5);
        dropped[skinned][1] = SendMessageW(wnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
        closeUp();
        SendMessageW(wnd, WM_SYSKEYDOWN, VK_DOWN, 0x20500001);
        PumpFor(5);
        dropped[skinned][2] = SendMessageW(wnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
        if (skinned) {
            EXPECT_TRUE(t.ObjectOf<TSkinComBox>(t.combo)->DroppedDown());
        }
        closeUp();
        if (skinned) {
            EXPECT_FALSE(t.ObjectOf<TSkinComBox>(t.combo)->DroppedDown());
        }
        t.data->EventHook = nullptr;
        if (!skinned) {
            EXPECT_TRUE(events.empty());
        }
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(dropped[0][i]) << i;
        EXPECT_EQ(dropped[1][i], dropped[0][i]) << i;
    }
    const std::vector<std::string> expected = {"CBN_DROPDOWN", "CBN_DROPUP",   "CBN_DROPDOWN",
                                               "CBN_DROPUP",   "CBN_DROPDOWN", "CBN_DROPUP"};
    EXPECT_EQ(events, expected);
}

TEST(SkinComBox, ThePreviousProcedureSeesWhatItSawWithoutTheSkin) {
    std::vector<UINT> seen[2];
    std::string texts[2];
    for (int skinned = 0; skinned < 2; ++skinned) {
        ComboForm t(EditsSkinStore(), csDropDown);
        t.Show();
        MessageLog log(SeenByThePrevious());
        TWndProcHook recorder;
        recorder.Install(*t.combo, [&](TMessage& m) {
            log.Record(m.Msg);
            recorder.CallPrevious(m);
        });
        if (skinned) {
            t.Apply();
            ASSERT_NE(t.ObjectOf<TSkinComBox>(t.combo)->EditHandle(), nullptr);
        }
        t.other->SetFocus();
        PumpFor(5);
        log.Clear();
        t.combo->SetFocus();
        HWND edit = GetTopWindow(t.Wnd());
        ASSERT_TRUE(edit);
        for (wchar_t c : std::wstring(L"tw")) Char(edit, c);
        SendMessageW(t.Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 8));
        SendMessageW(t.Wnd(), CB_SETCURSEL, 2, 0);
        t.other->SetFocus();
        PumpFor(5);
        seen[skinned] = log.Messages();
        texts[skinned] = t.combo->GetText();
    }
    EXPECT_EQ(texts[0], "three");
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_EQ(seen[0], seen[1]);
}

TEST(SkinComBox, TheEditPartPressesAndRepaintsTheFrame) {
    ComboForm t(EditsSkinStore(), csDropDown);
    t.Apply();
    auto* object = t.ObjectOf<TSkinComBox>(t.combo);
    ASSERT_NE(object, nullptr);
    HWND edit = object->EditHandle();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit, GetTopWindow(t.Wnd()));
    SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_NE(object->State() & kSkinPressed, 0);
    EXPECT_EQ(WindowPixel(t.Wnd(), WindowBox(t.Wnd()).right - 3, 1), kComboFrames[1]);
    SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(object->State() & kSkinPressed, 0);
    // The edit's own repaint brings the frame back over whatever was there.
    HWND wnd = t.Wnd();
    HDC dc = GetWindowDC(wnd);
    const RECT box = WindowBox(wnd);
    TSkinControl::FillColour(dc, box, clLime);
    ReleaseDC(wnd, dc);
    RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(WindowPixel(wnd, 0, box.bottom / 2), kSunkFrames[3]); // focused by the click
    // Restoring gives the edit part its procedure back.
    const int thunks = LiveSubclassThunks();
    delete object;
    EXPECT_LT(LiveSubclassThunks(), thunks);
    Char(edit, L'x');
    EXPECT_NE(t.combo->GetText().find('x'), std::string::npos);
}

TEST(SkinComBox, StateFrames) {
    EXPECT_EQ(TSkinComBox::StateFrame(false, false, true), 1);
    EXPECT_EQ(TSkinComBox::StateFrame(true, false, true), 2);
    EXPECT_EQ(TSkinComBox::StateFrame(true, true, true), 2);
    EXPECT_EQ(TSkinComBox::StateFrame(false, true, true), 4);
    EXPECT_EQ(TSkinComBox::StateFrame(true, true, false), 3);
}

// ---------------------------------------------------------------- date-time pickers

TEST(SkinDateTime, ArrowButtonOverThePickersOwnOpensTheCalendar) {
    SkinnedForm t(EditsSkinStore());
    auto* picker = t.Add<TDateTimePicker>(20, 20, 160, 24);
    auto* times = t.Add<TDateTimePicker>(20, 60, 160, 24);
    times->SetKind(dtkTime);
    t.Apply();
    auto* object = t.ObjectOf<TSkinDateTime>(picker);
    ASSERT_NE(object, nullptr);
    EXPECT_NE(t.ObjectOf<TSkinEdit>(times), nullptr); // spin arrows: an edit
    TArrowButton* arrow = object->Arrow();
    ASSERT_NE(arrow, nullptr);
    const int size = GetSystemMetrics(SM_CXHSCROLL);
    EXPECT_EQ(arrow->Parent(), picker);
    EXPECT_EQ(arrow->Width(), size);
    EXPECT_EQ(arrow->Height(), size + 1);
    EXPECT_EQ(arrow->Top(), 0);
    EXPECT_EQ(arrow->Left(), picker->Width() - size - 4);
    EXPECT_FALSE(arrow->TabStop());
    EXPECT_NE(GetWindowLongPtrW(picker->WindowHandle(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
    Refresh(picker->WindowHandle());
    EXPECT_EQ(WindowPixel(picker->WindowHandle(), 0, 0), kEditShadow);
    // Hot follows the mouse.
    arrow->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(arrow->Hot());
    arrow->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(arrow->Hot());
    // A click goes on to the picker, which opens its calendar.
    HWND wnd = picker->WindowHandle();
    SendMessageW(arrow->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PumpFor(20);
    HWND calendar = reinterpret_cast<HWND>(SendMessageW(wnd, DTM_GETMONTHCAL, 0, 0));
    EXPECT_TRUE(calendar && IsWindowVisible(calendar));
    SendMessageW(arrow->WindowHandle(), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    SendMessageW(wnd, DTM_CLOSEMONTHCAL, 0, 0);
    if (HWND still = reinterpret_cast<HWND>(SendMessageW(wnd, DTM_GETMONTHCAL, 0, 0)))
        ShowWindow(still, SW_HIDE);
    PumpFor(10);
    // The arrow goes with the skin object; the picker stays and works.
    delete object;
    EXPECT_EQ(picker->ControlCount(), 0);
    SYSTEMTIME st{};
    st.wYear = 2024;
    st.wMonth = 2;
    st.wDay = 29;
    picker->SetDateTime(st);
    EXPECT_EQ(picker->DateTime().wDay, 29);
}

// ---------------------------------------------------------------- the open dialog

namespace {

BOOL CALLBACK FindVisibleDialog(HWND wnd, LPARAM l) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    wchar_t cls[16] = {};
    GetClassNameW(wnd, cls, 16);
    if (pid == GetCurrentProcessId() && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(l) = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND OpenDialogWindow() {
    HWND found = nullptr;
    EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindDescendant(HWND parent, const wchar_t* cls) {
    for (HWND c = GetTopWindow(parent); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(c, name, 64);
        if (_wcsicmp(name, cls) == 0) return c;
        if (HWND inner = FindDescendant(c, cls)) return inner;
    }
    return nullptr;
}

// Drives the open dialog from a second thread; a timer on the dialog's own thread cancels it
// should the driver fail, so nothing ever waits.
class OpenDialogDriver {
public:
    enum Action { TypeName, DoubleClick, Cancel };
    OpenDialogDriver(Action action, std::wstring name) : action_(action), name_(std::move(name)) {
        timer_ = SetTimer(nullptr, 0, 12000, Fallback);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~OpenDialogDriver() {
        WaitForSingleObject(thread_, 20000);
        CloseHandle(thread_);
        KillTimer(nullptr, timer_);
    }
    // What the driver saw in the dialog while it was up.
    std::atomic<int> comboSkinned{-1}, editFound{-1}, typeSkinned{-1}, dialogFound{0}, done{0};

private:
    static void CALLBACK Fallback(HWND, UINT, UINT_PTR, DWORD) {
        if (HWND dlg = OpenDialogWindow()) PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    }
    static DWORD WINAPI Run(LPVOID p) {
        auto* self = static_cast<OpenDialogDriver*>(p);
        self->Drive();
        self->done = 1; // on every way out, a dialog that never came included
        return 0;
    }
    void Drive() {
        HWND dlg = nullptr;
        for (int i = 0; i < 800 && !dlg; ++i) {
            Sleep(10);
            dlg = OpenDialogWindow();
        }
        if (!dlg) return;
        dialogFound = 1;
        Sleep(600); // the manager skins it on activation
        HWND name = GetDlgItem(dlg, 0x47C), types = GetDlgItem(dlg, 0x470);
        // The file-name box may be an extended combo box around a plain one.
        wchar_t cls[32] = {};
        if (name) GetClassNameW(name, cls, 32);
        HWND edit = nullptr;
        if (_wcsicmp(cls, L"ComboBoxEx32") == 0) {
            edit = reinterpret_cast<HWND>(SendMessageW(name, CBEM_GETEDITCONTROL, 0, 0));
            name = reinterpret_cast<HWND>(SendMessageW(name, CBEM_GETCOMBOCONTROL, 0, 0));
        }
        comboSkinned = name ? static_cast<int>(SendMessageW(name, WM_SKIN_QUERY, 0, 0)) : -2;
        typeSkinned = types ? static_cast<int>(SendMessageW(types, WM_SKIN_QUERY, 0, 0)) : -2;
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (!edit && name && GetComboBoxInfo(name, &info)) edit = info.hwndItem;
        editFound = edit ? 1 : 0;
        if (action_ == TypeName && edit) {
            SendMessageW(edit, WM_SETFOCUS, 0, 0);
            for (wchar_t c : name_) SendMessageW(edit, WM_CHAR, c, 1);
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
        } else if (action_ == DoubleClick) {
            HWND list = FindDescendant(dlg, L"SysListView32");
            LVFINDINFOW find{};
            find.flags = LVFI_STRING;
            find.psz = name_.c_str();
            const int item =
                list ? static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                     reinterpret_cast<LPARAM>(&find)))
                     : -1;
            RECT r{};
            r.left = LVIR_LABEL;
            if (item >= 0 &&
                SendMessageW(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r))) {
                const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
                PostMessageW(list, WM_LBUTTONUP, 0, at);
                PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
                PostMessageW(list, WM_LBUTTONUP, 0, at);
            }
        } else {
            PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        }
        // Still up after a while: the action did not take; cancel.
        for (int i = 0; i < 300 && IsWindow(dlg) && IsWindowVisible(dlg); ++i) Sleep(10);
        if (IsWindow(dlg) && IsWindowVisible(dlg)) PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    }
    Action action_;
    std::wstring name_;
    UINT_PTR timer_ = 0;
    HANDLE thread_ = nullptr;
};

struct SkinManagerOn {
    ScopedSkinManager scope;
    TSkinManage* m = scope.get();
    std::unique_ptr<TComponent> holder = std::make_unique<TComponent>(nullptr);
    explicit SkinManagerOn(const std::vector<std::uint8_t>& store) {
        m->Register(*MakeSkinData(store, holder.get()));
        m->SetEnabled(true);
        // New windows, the dialog among them, are skinned as they activate.
        m->InstallHook();
        m->SetActiveCount(1);
    }
    ~SkinManagerOn() { holder.reset(); }
};

} // namespace

TEST(SkinOpenDialog, WorksEndToEndWhileSkinned) {
    TempDir dir;
    const std::string first = dir.Write("first.css", "a{}"),
                      second = dir.Write("second.css", "b{}");
    SkinManagerOn manager(ProductSkinStore());
    auto owner = std::make_unique<TForm>(&TestApplication());
    owner->SetBounds(80, 80, 300, 200);
    owner->Show();
    PumpFor(300);
    TOpenDialog dialog(owner.get());
    dialog.SetFilter("Stylesheets|*.css|All|*.*");
    dialog.SetInitialDir(dir.Path());
    struct Case {
        OpenDialogDriver::Action action;
        const wchar_t* name;
        bool chosen;
        std::string path;
    };
    const Case cases[] = {{OpenDialogDriver::TypeName, L"first.css", true, first},
                          {OpenDialogDriver::DoubleClick, L"second.css", true, second},
                          {OpenDialogDriver::Cancel, L"", false, ""}};
    for (const Case& c : cases) {
        dialog.SetFileName("");
        bool chosen = false;
        int combo = 0, edit = 0, types = 0;
        {
            OpenDialogDriver driver(c.action, c.name);
            chosen = dialog.Execute();
            // A dialog that never shows fails the test; it never waits without end.
            ASSERT_TRUE(PumpUntil([&] { return driver.done != 0; }, 15000)) << c.action;
            ASSERT_EQ(driver.dialogFound, 1) << "no open dialog came up for case " << c.action;
            combo = driver.comboSkinned;
            edit = driver.editFound;
            types = driver.typeSkinned;
        }
        EXPECT_EQ(combo, 1) << c.action;
        EXPECT_EQ(types, 1) << c.action;
        EXPECT_EQ(edit, 1) << c.action;
        EXPECT_EQ(chosen, c.chosen) << c.action;
        if (c.chosen) {
            EXPECT_EQ(dialog.FileName(), c.path) << c.action;
        }
    }
    EXPECT_EQ(OpenDialogWindow(), nullptr);
}

// ---------------------------------------------------------------- damage and leaks

TEST(SkinEdits, ADamagedSkinLeavesThemUnskinnedAndWorking) {
    ComboForm t(DamagedStore());
    t.Apply();
    EXPECT_EQ(Query(t.combo), 0);
    EXPECT_EQ(Query(t.other), 0);
    t.other->SetFocus();
    for (wchar_t c : std::wstring(L"ok")) Char(t.other->WindowHandle(), c);
    EXPECT_EQ(t.other->GetText(), "ok");
    SendMessageW(t.Wnd(), WM_KEYDOWN, VK_F4, 0x003E0001);
    EXPECT_NE(SendMessageW(t.Wnd(), CB_GETDROPPEDSTATE, 0, 0), 0);
    SendMessageW(t.Wnd(), CB_SHOWDROPDOWN, FALSE, 0);
}

TEST(SkinEdits, NoHandleGrowthOverRepaintsAndSkinCycles) {
    auto cycle = [] {
        ComboForm t(EditsSkinStore(), csDropDown);
        t.Add<TComboBox>(200, 20, 120, 24)->SetStyle(csDropDownList);
        t.Add<TLabeledEdit>(200, 80, 120, 22)->EditLabel().SetCaption("L");
        t.Add<TDateTimePicker>(200, 140, 140, 24);
        t.Apply();
        for (int i = 0; i < 5; ++i) {
            SendMessageW(t.Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 8));
            Refresh(t.form->WindowHandle());
        }
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
