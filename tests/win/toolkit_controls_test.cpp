// The control classes the skin engine finds by kind and reads by property name: each made from
// a form description, its published properties read and written by name, the system control
// underneath agreeing, and its events raised by real messages.
#include "app_fixture.h"

#include "toolkit/buttons.h"
#include "toolkit/comctrls.h"
#include "toolkit/form_description.h"
#include "toolkit/form_reader.h"
#include "toolkit/win_text.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A shown form read from the body of a description.
struct DescribedForm {
    std::unique_ptr<TForm> form;
    explicit DescribedForm(const std::string& body, const std::string& formProps = "") {
        TestApplication();
        form = std::make_unique<TForm>(&TestApplication());
        ReadForm(*form, ParseFormDescription("object ControlsForm: TForm\n"
                                             "  ClientWidth = 600\n"
                                             "  ClientHeight = 420\n" +
                                             formProps + body + "end\n"));
        form->Show();
        PumpFor(10);
    }
    template <typename T> T& Get(const std::string& name) {
        auto* c = dynamic_cast<T*>(form->FindComponent(name));
        if (!c) throw std::runtime_error("no " + name);
        return *c;
    }
};

LONG Style(TWinControl& c) {
    return GetWindowLongW(c.Handle(), GWL_STYLE);
}
LONG ExStyle(TWinControl& c) {
    return GetWindowLongW(c.Handle(), GWL_EXSTYLE);
}
std::wstring WindowClass(TWinControl& c) {
    wchar_t name[64] = {};
    GetClassNameW(c.Handle(), name, 64);
    return name;
}

// The control's client area as it paints it.
std::unique_ptr<TBitmap> Render(TWinControl& c) {
    RECT r;
    GetClientRect(c.Handle(), &r);
    auto b = std::make_unique<TBitmap>(r.right, r.bottom);
    SendMessageW(c.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(b->Canvas().Handle()),
                 PRF_CLIENT);
    return b;
}
uint32_t Rgb(TColor c) {
    COLORREF v = ColorToRGB(c);
    return (GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v);
}

void ClickAt(HWND wnd, int x, int y) {
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

const char kEveryClass[] = R"(
  object BitBtn1: TBitBtn
    Left = 8
    Top = 8
  end
  object SpeedButton1: TSpeedButton
    Left = 90
    Top = 8
  end
  object RadioButton1: TRadioButton
    Left = 120
    Top = 8
  end
  object GroupBox1: TGroupBox
    Left = 8
    Top = 40
  end
  object RadioGroup1: TRadioGroup
    Left = 200
    Top = 40
  end
  object ComboBox1: TComboBox
    Left = 400
    Top = 8
  end
  object ListBox1: TListBox
    Left = 400
    Top = 40
  end
  object ScrollBar1: TScrollBar
    Left = 8
    Top = 150
  end
  object StatusBar1: TStatusBar
  end
  object UpDown1: TUpDown
    Left = 140
    Top = 150
  end
  object ProgressBar1: TProgressBar
    Left = 8
    Top = 180
  end
  object TrackBar1: TTrackBar
    Left = 170
    Top = 180
  end
  object TabControl1: TTabControl
    Left = 8
    Top = 230
    Width = 150
    Height = 80
  end
  object PageControl1: TPageControl
    Left = 170
    Top = 230
    Width = 150
    Height = 80
  end
  object TabSet1: TTabSet
    Left = 330
    Top = 230
  end
  object DateTimePicker1: TDateTimePicker
    Left = 330
    Top = 260
  end
  object ListView1: TListView
    Left = 330
    Top = 290
    Height = 60
  end
)";

} // namespace

TEST(ToolkitControls, EveryClassFromADescriptionIsItsSystemControlUnderItsOwnName) {
    DescribedForm f(kEveryClass);
    // Window class named after the toolkit class, behaving as the system class it superclasses.
    struct Row {
        const char* name;
        const wchar_t* system;
    };
    for (Row r :
         {Row{"BitBtn1", L"BUTTON"}, Row{"RadioButton1", L"BUTTON"}, Row{"GroupBox1", L"BUTTON"},
          Row{"RadioGroup1", L"BUTTON"}, Row{"ComboBox1", L"COMBOBOX"}, Row{"ListBox1", L"LISTBOX"},
          Row{"ScrollBar1", L"SCROLLBAR"}, Row{"StatusBar1", STATUSCLASSNAMEW},
          Row{"UpDown1", UPDOWN_CLASSW}, Row{"ProgressBar1", PROGRESS_CLASSW},
          Row{"TrackBar1", TRACKBAR_CLASSW}, Row{"TabControl1", WC_TABCONTROLW},
          Row{"PageControl1", WC_TABCONTROLW}, Row{"DateTimePicker1", DATETIMEPICK_CLASSW},
          Row{"ListView1", WC_LISTVIEWW}}) {
        auto& c = f.Get<TWinControl>(r.name);
        EXPECT_EQ(WindowClass(c), Widen(c.ClassName())) << r.name;
        WNDCLASSEXW ours{sizeof(ours)}, system{sizeof(system)};
        ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), WindowClass(c).c_str(), &ours));
        ASSERT_TRUE(GetClassInfoExW(nullptr, r.system, &system));
        EXPECT_EQ(ours.cbWndExtra, system.cbWndExtra) << r.name;
    }
    EXPECT_EQ(WindowClass(f.Get<TWinControl>("TabSet1")), L"TTabSet");
    // The kinds the skin engine tests.
    EXPECT_TRUE(dynamic_cast<TCustomTabControl*>(&f.Get<TTabControl>("TabControl1")));
    EXPECT_TRUE(dynamic_cast<TCustomTabControl*>(&f.Get<TPageControl>("PageControl1")));
    EXPECT_TRUE(dynamic_cast<TCustomListView*>(&f.Get<TListView>("ListView1")));
    EXPECT_TRUE(dynamic_cast<TCustomControl*>(&f.Get<TTabSet>("TabSet1")));
    EXPECT_TRUE(dynamic_cast<TCustomGroupBox*>(&f.Get<TRadioGroup>("RadioGroup1")));
    EXPECT_TRUE(dynamic_cast<TButton*>(&f.Get<TBitBtn>("BitBtn1")));
    EXPECT_TRUE(dynamic_cast<TGraphicControl*>(&f.Get<TSpeedButton>("SpeedButton1")));
    EXPECT_FALSE(dynamic_cast<TCustomCheckBox*>(&f.Get<TRadioButton>("RadioButton1")));
    // Base classes are not streamable on their own.
    for (const char* base : {"TCustomControl", "TCustomTabControl", "TCustomListView"})
        EXPECT_FALSE(FindClass(base) && FindClass(base)->Create) << base;
}

TEST(ToolkitControls, GlyphsAreLaidOutAlongTheLayoutAxis) {
    SIZE client{100, 30}, glyph{16, 16}, text{40, 13};
    TGlyphPlacement left = PlaceGlyph(client, glyph, text, blGlyphLeft, -1, 4);
    EXPECT_EQ(left.glyph.x, 20); // (100 - 16 - 4 - 40 + 1) / 2
    EXPECT_EQ(left.text.left, 40);
    EXPECT_EQ(left.glyph.y, 7);
    TGlyphPlacement right = PlaceGlyph(client, glyph, text, blGlyphRight, -1, 4);
    EXPECT_EQ(right.glyph.x, 64);
    EXPECT_EQ(right.text.left, 20);
    TGlyphPlacement spread = PlaceGlyph(client, glyph, text, blGlyphLeft, -1, -1);
    EXPECT_EQ(spread.glyph.x, 14);
    EXPECT_EQ(spread.text.left, 44);
    TGlyphPlacement fixed = PlaceGlyph(client, glyph, text, blGlyphLeft, 2, -1);
    EXPECT_EQ(fixed.glyph.x, 2);
    EXPECT_EQ(fixed.text.left, 2 + 16 + 21);
    // Without a caption the spacing goes, and the glyph is centred.
    TGlyphPlacement alone = PlaceGlyph(client, glyph, {0, 0}, blGlyphLeft, -1, 4);
    EXPECT_EQ(alone.glyph.x, 42);
    TGlyphPlacement bottom = PlaceGlyph({60, 60}, glyph, text, blGlyphBottom, 3, 2);
    EXPECT_EQ(bottom.glyph.y, 60 - 3 - 16);
    EXPECT_EQ(bottom.text.top, 60 - 3 - 16 - 2 - 13);
    EXPECT_EQ(bottom.glyph.x, 22);
}

TEST(ToolkitControls, BitButtonPropertiesByNameAndItsGlyphWhereTheLayoutSays) {
    DescribedForm f(R"(
  object Ok: TBitBtn
    Left = 8
    Top = 8
    Width = 120
    Height = 32
    Kind = bkOK
    Layout = blGlyphTop
    Margin = 3
    Spacing = 6
  end
  object Custom: TBitBtn
    Left = 8
    Top = 60
    Width = 120
    Height = 32
    Caption = 'Go'
    NumGlyphs = 2
  end
)");
    auto& ok = f.Get<TBitBtn>("Ok");
    EXPECT_EQ(ok.Caption(), "OK");
    EXPECT_EQ(GetEnumProp(ok, "Kind"), "bkOK");
    EXPECT_EQ(GetEnumProp(ok, "Layout"), "blGlyphTop");
    EXPECT_EQ(GetOrdProp(ok, "Margin"), 3);
    EXPECT_EQ(GetOrdProp(ok, "Spacing"), 6);
    EXPECT_EQ(GetOrdProp(ok, "Default"), 1);
    auto* kindGlyph = dynamic_cast<TBitmap*>(GetObjectProp(ok, "Glyph"));
    ASSERT_TRUE(kindGlyph);
    EXPECT_FALSE(kindGlyph->Empty());
    // Still a system button that the dialog manager and the program can click.
    EXPECT_EQ(Style(ok) & BS_TYPEMASK, BS_OWNERDRAW);
    int clicks = 0;
    ok.OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(ok.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    SendMessageW(ok.Handle(), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(Style(ok) & BS_TYPEMASK, BS_OWNERDRAW);

    auto& custom = f.Get<TBitBtn>("Custom");
    EXPECT_EQ(GetOrdProp(custom, "NumGlyphs"), 2);
    // Two 10x10 images: blue normal, red disabled; the bottom-left pixel is transparent.
    TBitmap& g = *static_cast<TBitmap*>(GetObjectProp(custom, "Glyph"));
    g.SetSize(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) g.ScanLine(y)[x] = x < 10 ? 0x0000FF : 0xFF0000;
    g.ScanLine(9)[0] = 0x808000;
    auto columnsOf = [&](uint32_t color) {
        auto b = Render(custom);
        int minX = 1000, maxX = -1;
        for (int y = 0; y < b->Height(); ++y)
            for (int x = 0; x < b->Width(); ++x)
                if ((b->ScanLine(y)[x] & 0xFFFFFF) == color) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                }
        return std::make_pair(minX, maxX);
    };
    auto leftCols = columnsOf(0x0000FF);
    ASSERT_GE(leftCols.second, 0);
    EXPECT_LT(leftCols.second, 60);
    SetEnumProp(custom, "Layout", "blGlyphRight");
    EXPECT_EQ(custom.Layout(), blGlyphRight);
    auto rightCols = columnsOf(0x0000FF);
    EXPECT_GT(rightCols.first, 60);
    SetOrdProp(custom, "Margin", 0);
    EXPECT_EQ(columnsOf(0x0000FF).second, 120 - 2 - 1); // inside the 2-pixel frame
    custom.SetEnabled(false);
    EXPECT_EQ(columnsOf(0x0000FF).second, -1);
    EXPECT_GE(columnsOf(0xFF0000).second, 0);
}

TEST(ToolkitControls, SpeedButtonsOfAGroupKeepOneDown) {
    DescribedForm f(R"(
  object Bar: TPanel
    Left = 0
    Top = 0
    Width = 200
    Height = 30
    object S1: TSpeedButton
      Left = 0
      GroupIndex = 1
      Down = True
    end
    object S2: TSpeedButton
      Left = 30
      GroupIndex = 1
      Flat = True
    end
    object Plain: TSpeedButton
      Left = 60
    end
  end
)");
    auto& bar = f.Get<TPanel>("Bar");
    auto& s1 = f.Get<TSpeedButton>("S1");
    auto& s2 = f.Get<TSpeedButton>("S2");
    auto& plain = f.Get<TSpeedButton>("Plain");
    EXPECT_EQ(GetEnumProp(s1, "Down"), "True");
    EXPECT_EQ(GetEnumProp(s2, "Flat"), "True");
    EXPECT_EQ(GetOrdProp(s2, "GroupIndex"), 1);
    EXPECT_TRUE(IsPublishedProp(s2, "Glyph"));
    int clicks = 0;
    s2.OnClick = [&](TObject*) { ++clicks; };
    HWND wnd = bar.Handle();
    ClickAt(wnd, 40, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(s2.Down());
    EXPECT_FALSE(s1.Down());
    // Without AllowAllUp the down button stays down.
    ClickAt(wnd, 40, 10);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(s2.Down());
    SetOrdProp(s1, "AllowAllUp", 1);
    EXPECT_TRUE(s2.AllowAllUp());
    ClickAt(wnd, 40, 10);
    EXPECT_FALSE(s2.Down());
    // Pressed, moved off and released elsewhere: no click, no change.
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 10));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(150, 10));
    EXPECT_FALSE(s1.Down());
    // A button outside every group cannot latch.
    SetOrdProp(plain, "Down", 1);
    EXPECT_FALSE(plain.Down());
    s2.Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(&s2));
    EXPECT_TRUE(s2.MouseInControl());
    s2.Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(&s2));
    EXPECT_FALSE(s2.MouseInControl());
}

TEST(ToolkitControls, RadioButtonsAndRadioGroups) {
    DescribedForm f(R"(
  object R1: TRadioButton
    Left = 8
    Top = 8
    Checked = True
  end
  object R2: TRadioButton
    Left = 8
    Top = 30
    Alignment = taLeftJustify
  end
  object Group: TRadioGroup
    Left = 150
    Top = 8
    Width = 240
    Height = 100
    Caption = 'Pick'
    Columns = 2
    Items = (
      'a'
      'b'
      'c')
    ItemIndex = 1
  end
)");
    auto& r1 = f.Get<TRadioButton>("R1");
    auto& r2 = f.Get<TRadioButton>("R2");
    EXPECT_EQ(SendMessageW(r1.Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(Style(r2) & BS_LEFTTEXT);
    SetOrdProp(r2, "Checked", 1);
    EXPECT_EQ(SendMessageW(r1.Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(GetEnumProp(r1, "Checked"), "False");

    auto& g = f.Get<TRadioGroup>("Group");
    ASSERT_EQ(g.ButtonCount(), 3);
    EXPECT_EQ(GetOrdProp(g, "ItemIndex"), 1);
    EXPECT_EQ(SendMessageW(g.Buttons(1)->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(g.Buttons(2)->Caption(), "c");
    // Two columns of two rows: the third item starts the second column.
    EXPECT_GT(g.Buttons(2)->Left(), g.Buttons(0)->Left());
    EXPECT_EQ(g.Buttons(2)->Top(), g.Buttons(0)->Top());
    EXPECT_GT(g.Buttons(1)->Top(), g.Buttons(0)->Top());
    int clicks = 0;
    g.OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(g.Buttons(2)->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(g.ItemIndex(), 2);
    EXPECT_EQ(SendMessageW(g.Buttons(1)->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SetOrdProp(g, "ItemIndex", 0);
    EXPECT_TRUE(g.Buttons(0)->Checked());
    EXPECT_FALSE(g.Buttons(2)->Checked());
    EXPECT_EQ(clicks, 1); // only the user's choice is a click
    g.Items().Delete(2);
    EXPECT_EQ(g.ButtonCount(), 2);
    g.Items().Assign({"x"});
    EXPECT_EQ(g.ButtonCount(), 1);
    EXPECT_EQ(g.ItemIndex(), 0);
    EXPECT_EQ(g.Buttons(0)->Caption(), "x");
}

TEST(ToolkitControls, ComboBoxesInTheirThreeStyles) {
    DescribedForm f(R"(
  object List: TComboBox
    Left = 8
    Top = 8
    Style = csDropDownList
    Items = (
      'one'
      'two'
      'three')
    ItemIndex = 1
  end
  object Simple: TComboBox
    Left = 8
    Top = 40
    Height = 80
    Style = csSimple
    Items = (
      'x')
  end
  object Drop: TComboBox
    Left = 200
    Top = 8
    Text = 'typed'
  end
)");
    auto& list = f.Get<TComboBox>("List");
    EXPECT_EQ(Style(list) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(Style(f.Get<TComboBox>("Simple")) & 3, CBS_SIMPLE);
    EXPECT_EQ(Style(f.Get<TComboBox>("Drop")) & 3, CBS_DROPDOWN);
    EXPECT_EQ(SendMessageW(list.Handle(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(list.Handle(), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(GetStrProp(list, "Text"), "two");
    SetOrdProp(list, "ItemIndex", 2);
    EXPECT_EQ(SendMessageW(list.Handle(), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(GetStrProp(list, "Text"), "three");
    SetOrdProp(list, "ItemIndex", 7);
    EXPECT_EQ(GetOrdProp(list, "ItemIndex"), -1);
    // The user picks with the keyboard: the change arrives as CBN_SELCHANGE.
    int changes = 0;
    std::string seen;
    list.OnChange = [&](TObject*) {
        ++changes;
        seen = list.GetText();
    };
    SetOrdProp(list, "ItemIndex", 0);
    EXPECT_EQ(changes, 0);
    SendMessageW(list.Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen, "two");
    // Another style is another window with the same items and choice.
    SetEnumProp(list, "Style", "csDropDown");
    EXPECT_EQ(Style(list) & 3, CBS_DROPDOWN);
    EXPECT_EQ(SendMessageW(list.Handle(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(list.Handle(), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(list.GetText(), "two");

    auto& drop = f.Get<TComboBox>("Drop");
    EXPECT_EQ(GetStrProp(drop, "Text"), "typed");
    drop.Items().Add("added");
    EXPECT_EQ(SendMessageW(drop.Handle(), CB_GETCOUNT, 0, 0), 1);
    SetStrProp(drop, "Text", "other");
    wchar_t text[32] = {};
    GetWindowTextW(drop.Handle(), text, 32);
    EXPECT_STREQ(text, L"other");
}

TEST(ToolkitControls, ListBoxSelectionSurvivesANewWindow) {
    DescribedForm f(R"(
  object Multi: TListBox
    Left = 8
    Top = 8
    Height = 120
    MultiSelect = True
    Items = (
      'a'
      'b'
      'c'
      'd')
  end
  object Single: TListBox
    Left = 200
    Top = 8
    Height = 120
    Items = (
      'p'
      'q')
    ItemIndex = 1
  end
)");
    auto& multi = f.Get<TListBox>("Multi");
    EXPECT_TRUE(Style(multi) & LBS_EXTENDEDSEL);
    EXPECT_TRUE(ExStyle(multi) & WS_EX_CLIENTEDGE);
    multi.SetSelected(0, true);
    multi.SetSelected(2, true);
    EXPECT_EQ(SendMessageW(multi.Handle(), LB_GETSELCOUNT, 0, 0), 2);
    SetEnumProp(multi, "BorderStyle", "bsNone");
    EXPECT_FALSE(ExStyle(multi) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageW(multi.Handle(), LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(multi.SelCount(), 2);
    EXPECT_TRUE(multi.Selected(2));
    EXPECT_FALSE(multi.Selected(1));

    auto& single = f.Get<TListBox>("Single");
    EXPECT_EQ(SendMessageW(single.Handle(), LB_GETCURSEL, 0, 0), 1);
    int clicks = 0;
    single.OnClick = [&](TObject*) { ++clicks; };
    RECT item;
    SendMessageW(single.Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    ClickAt(single.Handle(), item.left + 5, item.top + 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(GetOrdProp(single, "ItemIndex"), 0);
}

TEST(ToolkitControls, ScrollBarKindRangeAndScrolling) {
    DescribedForm f(R"(
  object Bar: TScrollBar
    Left = 8
    Top = 8
    Width = 17
    Height = 150
    Kind = sbVertical
    Min = 10
    Max = 50
    Position = 20
    SmallChange = 2
    LargeChange = 10
  end
)");
    auto& bar = f.Get<TScrollBar>("Bar");
    EXPECT_EQ(GetEnumProp(bar, "Kind"), "sbVertical");
    EXPECT_EQ(Style(bar) & SBS_VERT, SBS_VERT);
    EXPECT_EQ(bar.Width(), 17); // a designed bar keeps its size
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(bar.Handle(), SB_CTL, &si);
    EXPECT_EQ(si.nMin, 10);
    EXPECT_EQ(si.nMax, 50);
    EXPECT_EQ(si.nPos, 20);
    int changes = 0;
    bar.OnChange = [&](TObject*) { ++changes; };
    HWND parent = f.form->Handle();
    SendMessageW(parent, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar.Handle()));
    EXPECT_EQ(bar.Position(), 22);
    SendMessageW(parent, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(bar.Handle()));
    EXPECT_EQ(GetOrdProp(bar, "Position"), 32);
    SendMessageW(parent, WM_VSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(bar.Handle()));
    EXPECT_EQ(bar.Position(), 50);
    EXPECT_EQ(changes, 3);
    SendMessageW(parent, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar.Handle()));
    EXPECT_EQ(bar.Position(), 50);
    EXPECT_EQ(changes, 3);
    GetScrollInfo(bar.Handle(), SB_CTL, &si);
    EXPECT_EQ(si.nPos, 50);
    SetOrdProp(bar, "Position", 0);
    EXPECT_EQ(bar.Position(), 10);
    // Turned at run time, the bar turns its bounds.
    SetEnumProp(bar, "Kind", "sbHorizontal");
    EXPECT_EQ(Style(bar) & SBS_VERT, 0);
    EXPECT_EQ(bar.Width(), 150);
    GetScrollInfo(bar.Handle(), SB_CTL, &si);
    EXPECT_EQ(si.nPos, 10);
}

TEST(ToolkitControls, StatusBarPanelsSimpleTextAndSizeGrip) {
    DescribedForm f(R"(
  object Status: TStatusBar
    Panels = <
      item
        Text = 'Ready'
        Width = 100
      end
      item
        Text = 'Two'
        Width = 60
        Alignment = taCenter
        Bevel = pbRaised
      end
      item
        Text = 'Last'
      end>
    SimpleText = 'Working'
  end
)");
    auto& bar = f.Get<TStatusBar>("Status");
    EXPECT_EQ(GetEnumProp(bar, "Align"), "alBottom");
    EXPECT_EQ(bar.Top() + bar.Height(), f.form->ClientHeight());
    int edges[8] = {};
    ASSERT_EQ(SendMessageW(bar.Handle(), SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 3);
    EXPECT_EQ(edges[0], 100);
    EXPECT_EQ(edges[1], 160);
    EXPECT_EQ(edges[2], -1);
    wchar_t text[64] = {};
    SendMessageW(bar.Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Ready");
    LRESULT r = SendMessageW(bar.Handle(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"\tTwo");
    EXPECT_TRUE(HIWORD(r) & SBT_POPOUT);
    bar.Panel(0)->SetText("Done");
    SendMessageW(bar.Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Done");
    bar.Panel(0)->SetWidth(80);
    SendMessageW(bar.Handle(), SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges));
    EXPECT_EQ(edges[1], 140);

    EXPECT_TRUE(Style(bar) & SBARS_SIZEGRIP);
    EXPECT_FALSE(SendMessageW(bar.Handle(), SB_ISSIMPLE, 0, 0));
    SetOrdProp(bar, "SimplePanel", 1);
    EXPECT_TRUE(SendMessageW(bar.Handle(), SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(GetStrProp(bar, "SimpleText"), "Working");
    SetOrdProp(bar, "SizeGrip", 0);
    EXPECT_FALSE(Style(bar) & SBARS_SIZEGRIP);
    // The new window keeps the panels and the mode.
    EXPECT_EQ(SendMessageW(bar.Handle(), SB_GETPARTS, 0, 0), 3);
    EXPECT_TRUE(SendMessageW(bar.Handle(), SB_ISSIMPLE, 0, 0));
}

TEST(ToolkitControls, UpDownDrivesItsAssociate) {
    DescribedForm f(R"(
  object Edit1: TEdit
    Left = 8
    Top = 8
    Width = 80
  end
  object Spin: TUpDown
    Left = 100
    Top = 8
    Min = 0
    Max = 10
    Position = 3
    Associate = Edit1
  end
)");
    auto& edit = f.Get<TEdit>("Edit1");
    auto& spin = f.Get<TUpDown>("Spin");
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin.Handle(), UDM_GETBUDDY, 0, 0)),
              edit.Handle());
    EXPECT_EQ(GetStrProp(spin, "Associate"), "Edit1");
    EXPECT_EQ(edit.GetText(), "3");
    // Sits at the edit's right edge.
    EXPECT_EQ(spin.Left(), edit.Left() + edit.Width());
    int hi = 0, lo = 0;
    SendMessageW(spin.Handle(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo),
                 reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 10);
    int clicks = 0;
    spin.OnClick = [&](TObject*) { ++clicks; };
    // The upper arrow, pressed and released.
    ClickAt(spin.Handle(), spin.Width() / 2, 2);
    EXPECT_EQ(GetOrdProp(spin, "Position"), 4);
    EXPECT_EQ(edit.GetText(), "4");
    EXPECT_EQ(clicks, 1);
    SetOrdProp(spin, "Position", 99);
    EXPECT_EQ(spin.Position(), 10);
    SetEnumProp(spin, "Orientation", "udHorizontal");
    EXPECT_TRUE(Style(spin) & UDS_HORZ);
    EXPECT_EQ(spin.Position(), 10);
}

TEST(ToolkitControls, AnUpDownWithoutAnAssociateFollowsItsArrowsAndKeys) {
    DescribedForm f(R"(
  object Spin: TUpDown
    Left = 8
    Top = 8
    Height = 40
    Min = 0
    Max = 10
    Position = 3
  end
)");
    auto& spin = f.Get<TUpDown>("Spin");
    int clicks = 0, seen = -1;
    spin.OnClick = [&](TObject*) { ++clicks, seen = spin.Position(); };
    ClickAt(spin.Handle(), spin.Width() / 2, 2);
    EXPECT_EQ(spin.Position(), 4);
    EXPECT_EQ(GetOrdProp(spin, "Position"), 4);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(seen, 4) << "the click handler reads the new position";
    ClickAt(spin.Handle(), spin.Width() / 2, spin.Height() - 3);
    ClickAt(spin.Handle(), spin.Width() / 2, spin.Height() - 3);
    EXPECT_EQ(spin.Position(), 2);
    SendMessageW(spin.Handle(), WM_KEYDOWN, VK_UP, 0);
    SendMessageW(spin.Handle(), WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(spin.Position(), 3);
    // Out of range asked, the range's end given.
    spin.SetPosition(-5);
    EXPECT_EQ(spin.Position(), 0);
}

TEST(ToolkitControls, ProgressBarRangeOrientationAndStyle) {
    DescribedForm f(R"(
  object Bar: TProgressBar
    Left = 8
    Top = 8
    Max = 200
    Position = 50
    Smooth = True
  end
  object Busy: TProgressBar
    Left = 8
    Top = 40
    Style = pbstMarquee
  end
)");
    auto& bar = f.Get<TProgressBar>("Bar");
    EXPECT_EQ(SendMessageW(bar.Handle(), PBM_GETPOS, 0, 0), 50);
    EXPECT_EQ(SendMessageW(bar.Handle(), PBM_GETRANGE, FALSE, 0), 200);
    EXPECT_TRUE(Style(bar) & PBS_SMOOTH);
    EXPECT_FALSE(Style(bar) & PBS_VERTICAL);
    SetEnumProp(bar, "Orientation", "pbVertical");
    EXPECT_TRUE(Style(bar) & PBS_VERTICAL);
    EXPECT_EQ(SendMessageW(bar.Handle(), PBM_GETPOS, 0, 0), 50);
    SetOrdProp(bar, "Position", 500);
    EXPECT_EQ(GetOrdProp(bar, "Position"), 200);
    SetOrdProp(bar, "Step", 30);
    SetOrdProp(bar, "Position", 100);
    bar.StepIt();
    EXPECT_EQ(SendMessageW(bar.Handle(), PBM_GETPOS, 0, 0), 130);
    auto& busy = f.Get<TProgressBar>("Busy");
    EXPECT_EQ(GetEnumProp(busy, "Style"), "pbstMarquee");
    EXPECT_TRUE(Style(busy) & PBS_MARQUEE);
}

TEST(ToolkitControls, TrackBarTicksAndMovesByKeys) {
    DescribedForm f(R"(
  object Track: TTrackBar
    Left = 8
    Top = 8
    Width = 45
    Height = 150
    Orientation = trVertical
    Max = 20
    Position = 5
    Frequency = 5
  end
)");
    auto& track = f.Get<TTrackBar>("Track");
    EXPECT_TRUE(Style(track) & TBS_VERT);
    EXPECT_TRUE(Style(track) & TBS_AUTOTICKS);
    EXPECT_EQ(SendMessageW(track.Handle(), TBM_GETPOS, 0, 0), 5);
    EXPECT_EQ(SendMessageW(track.Handle(), TBM_GETRANGEMAX, 0, 0), 20);
    EXPECT_EQ(SendMessageW(track.Handle(), TBM_GETNUMTICS, 0, 0), 5);
    int changes = 0;
    track.OnChange = [&](TObject*) { ++changes; };
    SetOrdProp(track, "Position", 7);
    EXPECT_EQ(changes, 0);
    SendMessageW(track.Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(GetOrdProp(track, "Position"), 8);
    SetEnumProp(track, "TickStyle", "tsNone");
    EXPECT_TRUE(Style(track) & TBS_NOTICKS);
    EXPECT_EQ(SendMessageW(track.Handle(), TBM_GETPOS, 0, 0), 8);
    SetEnumProp(track, "TickMarks", "tmBoth");
    EXPECT_TRUE(Style(track) & TBS_BOTH);
}

TEST(ToolkitControls, TabPositionAndStyleAreTheTabControlsStyleBits) {
    DescribedForm f(R"(
  object Tabs: TTabControl
    Left = 8
    Top = 8
    Width = 300
    Height = 150
    TabPosition = tpBottom
    Tabs = (
      'Alpha'
      'Beta'
      'Gamma')
    TabIndex = 1
  end
  object Pages: TPageControl
    Left = 8
    Top = 180
    Width = 300
    Height = 150
    TabPosition = tpRight
    object Sheet1: TTabSheet
      Caption = 'One'
    end
    object Sheet2: TTabSheet
      Caption = 'Two'
      ParentBackground = True
    end
  end
)");
    auto& tabs = f.Get<TTabControl>("Tabs");
    EXPECT_EQ(Style(tabs) & (TCS_BOTTOM | TCS_VERTICAL), TCS_BOTTOM);
    EXPECT_EQ(SendMessageW(tabs.Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(tabs.Handle(), TCM_GETCURSEL, 0, 0), 1);
    struct Case {
        const char* position;
        LONG bits;
    };
    for (Case c : {Case{"tpTop", 0}, Case{"tpLeft", TCS_VERTICAL},
                   Case{"tpRight", TCS_VERTICAL | TCS_RIGHT}, Case{"tpBottom", TCS_BOTTOM}}) {
        SetEnumProp(tabs, "TabPosition", c.position);
        EXPECT_EQ(GetEnumProp(tabs, "TabPosition"), c.position);
        EXPECT_EQ(Style(tabs) & (TCS_BOTTOM | TCS_VERTICAL), c.bits) << c.position;
        EXPECT_EQ(SendMessageW(tabs.Handle(), TCM_GETITEMCOUNT, 0, 0), 3) << c.position;
        EXPECT_EQ(tabs.TabIndex(), 1) << c.position;
    }
    SetEnumProp(tabs, "Style", "tsFlatButtons");
    EXPECT_EQ(Style(tabs) & (TCS_BUTTONS | TCS_FLATBUTTONS), TCS_BUTTONS | TCS_FLATBUTTONS);
    SetEnumProp(tabs, "Style", "tsTabs");
    SetEnumProp(tabs, "TabPosition", "tpTop");
    // A click on a tab selects it and tells.
    int changes = 0;
    tabs.OnChange = [&](TObject*) { ++changes; };
    RECT r;
    SendMessageW(tabs.Handle(), TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    ClickAt(tabs.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(GetOrdProp(tabs, "TabIndex"), 2);
    tabs.Tabs().Put(0, "First");
    wchar_t text[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(tabs.Handle(), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"First");

    auto& pages = f.Get<TPageControl>("Pages");
    EXPECT_EQ(Style(pages) & (TCS_VERTICAL | TCS_RIGHT), TCS_VERTICAL | TCS_RIGHT);
    EXPECT_EQ(GetEnumProp(f.Get<TTabSheet>("Sheet2"), "ParentBackground"), "True");
    EXPECT_EQ(GetEnumProp(f.Get<TTabSheet>("Sheet1"), "ParentBackground"), "False");
    SetEnumProp(pages, "TabPosition", "tpBottom");
    EXPECT_EQ(SendMessageW(pages.Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
    RECT d = pages.DisplayRect();
    auto* active = pages.ActivePage();
    ASSERT_TRUE(active);
    EXPECT_EQ(active->Top(), d.top);
    EXPECT_EQ(active->Top() + active->Height(), d.bottom);
}

TEST(ToolkitControls, TabSetDrawsItsTabsAndChangesOnClick) {
    DescribedForm f(R"(
  object Set1: TTabSet
    Left = 8
    Top = 8
    Width = 300
    Height = 22
    Tabs = (
      'One'
      'Two'
      'Three')
    TabIndex = 0
  end
)");
    auto& set = f.Get<TTabSet>("Set1");
    EXPECT_EQ(GetOrdProp(set, "TabIndex"), 0);
    EXPECT_EQ(GetOrdProp(set, "StartMargin"), 5);
    RECT first = set.TabRect(0), third = set.TabRect(2);
    EXPECT_EQ(first.left, 5);
    EXPECT_GT(third.left, first.right - 1);
    int changes = 0;
    set.OnChange = [&](TObject*) { ++changes; };
    ClickAt(set.Handle(), (third.left + third.right) / 2, 10);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(set.TabIndex(), 2);
    ClickAt(set.Handle(), (third.left + third.right) / 2, 10);
    EXPECT_EQ(changes, 1); // the tab already chosen
    // The chosen tab shows the selected colour, the others the control's.
    auto b = Render(set);
    EXPECT_EQ(b->ScanLine(2)[(third.left + third.right) / 2] & 0xFFFFFF, Rgb(set.SelectedColor()));
    EXPECT_EQ(b->ScanLine(2)[(first.left + first.right) / 2] & 0xFFFFFF, Rgb(set.Color()));
    // Tabs that do not fit are not drawn.
    set.SetWidth(60);
    RECT gone = set.TabRect(2);
    EXPECT_TRUE(IsRectEmpty(&gone));
}

TEST(ToolkitControls, DateTimePickerDateTimeKindAndCheckbox) {
    DescribedForm f(R"(
  object Picker: TDateTimePicker
    Left = 8
    Top = 8
    Date = '2024-02-29'
    Time = '08:30:00'
  end
  object Clock: TDateTimePicker
    Left = 8
    Top = 40
    Kind = dtkTime
    ShowCheckbox = True
  end
)");
    auto& picker = f.Get<TDateTimePicker>("Picker");
    SYSTEMTIME st{};
    ASSERT_EQ(SendMessageW(picker.Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)),
              GDT_VALID);
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 2);
    EXPECT_EQ(st.wDay, 29);
    EXPECT_EQ(st.wHour, 8);
    EXPECT_EQ(GetStrProp(picker, "Date"), "2024-02-29");
    SetStrProp(picker, "Date", "2023-02-29"); // no such day
    EXPECT_EQ(GetStrProp(picker, "Date"), "2024-02-29");
    SetStrProp(picker, "Time", "13:45:10");
    EXPECT_EQ(GetStrProp(picker, "Time"), "13:45:10");
    EXPECT_EQ(GetStrProp(picker, "Date"), "2024-02-29");
    int changes = 0;
    picker.OnChange = [&](TObject*) { ++changes; };
    // The picker tells its parent of a change the user made.
    NMDATETIMECHANGE change{};
    change.nmhdr.hwndFrom = picker.Handle();
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    SendMessageW(f.form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(changes, 1);

    auto& clock = f.Get<TDateTimePicker>("Clock");
    EXPECT_EQ(Style(clock) & DTS_TIMEFORMAT, DTS_TIMEFORMAT);
    EXPECT_TRUE(Style(clock) & DTS_SHOWNONE);
    EXPECT_EQ(GetEnumProp(clock, "Checked"), "True");
    SetOrdProp(clock, "Checked", 0);
    EXPECT_EQ(SendMessageW(clock.Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)),
              GDT_NONE);
    EXPECT_FALSE(clock.Checked());
    SetEnumProp(clock, "Kind", "dtkDate");
    EXPECT_NE(Style(clock) & DTS_TIMEFORMAT, DTS_TIMEFORMAT);
    EXPECT_FALSE(clock.Checked());
}

TEST(ToolkitControls, BorderStyleAndBiDiModeLiveInTheWindowStyle) {
    DescribedForm f(R"(
  object Edit1: TEdit
    Left = 8
    Top = 8
    BorderStyle = bsNone
    Text = 'kept'
  end
  object Memo1: TMemo
    Left = 8
    Top = 40
    BiDiMode = bdRightToLeft
  end
  object List1: TListView
    Left = 200
    Top = 40
    BorderStyle = bsNone
  end
)");
    auto& edit = f.Get<TEdit>("Edit1");
    EXPECT_FALSE(ExStyle(edit) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetEnumProp(edit, "BorderStyle"), "bsNone");
    SetEnumProp(edit, "BorderStyle", "bsSingle");
    EXPECT_TRUE(ExStyle(edit) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(edit.GetText(), "kept");
    auto& memo = f.Get<TMemo>("Memo1");
    EXPECT_TRUE(ExStyle(memo) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetEnumProp(memo, "BiDiMode"), "bdRightToLeft");
    EXPECT_EQ(ExStyle(memo) & (WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR),
              WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR);
    memo.SetText("line");
    SetEnumProp(memo, "BiDiMode", "bdRightToLeftReadingOnly");
    EXPECT_EQ(ExStyle(memo) & (WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR),
              WS_EX_RTLREADING);
    SetEnumProp(memo, "BiDiMode", "bdLeftToRight");
    EXPECT_FALSE(ExStyle(memo) & WS_EX_RTLREADING);
    EXPECT_EQ(memo.GetText(), "line");
    auto& list = f.Get<TListView>("List1");
    EXPECT_FALSE(ExStyle(list) & WS_EX_CLIENTEDGE);
    SetOrdProp(list, "BorderStyle", 1);
    EXPECT_TRUE(ExStyle(list) & WS_EX_CLIENTEDGE);
}

TEST(ToolkitControls, ParentBackgroundShowsTheParentThroughTheControl) {
    DescribedForm f(R"(
  object Own: TPanel
    Left = 8
    Top = 8
    BevelOuter = bvNone
  end
  object Through: TPanel
    Left = 8
    Top = 80
    BevelOuter = bvNone
    ParentBackground = True
  end
  object Box: TGroupBox
    Left = 220
    Top = 8
  end
)",
                    "  Color = clRed\n");
    auto& own = f.Get<TPanel>("Own");
    auto& through = f.Get<TPanel>("Through");
    own.SetColor(clLime);
    through.SetColor(clLime);
    EXPECT_EQ(Render(own)->ScanLine(20)[90] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Render(through)->ScanLine(20)[90] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(GetEnumProp(through, "ParentBackground"), "True");
    SetEnumProp(through, "ParentBackground", "False");
    EXPECT_EQ(Render(through)->ScanLine(20)[90] & 0xFFFFFF, 0x00FF00u);
    // Published where the system honours it, not on every control.
    EXPECT_TRUE(IsPublishedProp(f.Get<TGroupBox>("Box"), "ParentBackground"));
    TEdit edit(nullptr);
    EXPECT_FALSE(IsPublishedProp(edit, "ParentBackground"));
}

TEST(ToolkitControls, AutoScrollFormScrollsItsControls) {
    DescribedForm f(R"(
  object Far: TButton
    Left = 20
    Top = 600
  end
)",
                    "  AutoScroll = True\n");
    auto& distant = f.Get<TButton>("Far");
    EXPECT_EQ(GetEnumProp(*f.form, "AutoScroll"), "True");
    HWND wnd = f.form->Handle();
    EXPECT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & WS_HSCROLL);
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(wnd, SB_VERT, &si);
    EXPECT_EQ(si.nMax, 600 + distant.Height() - 1);
    SendMessageW(wnd, WM_VSCROLL, SB_BOTTOM, 0);
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(distant.Top() + distant.Height(), client.bottom);
    RECT r;
    GetWindowRect(distant.Handle(), &r);
    MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.top, distant.Top());
    SendMessageW(wnd, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(f.form->ScrollPosition().y, 600 + distant.Height() - client.bottom - 16);
    SetOrdProp(*f.form, "AutoScroll", 0);
    EXPECT_EQ(distant.Top(), 600);
    EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & WS_VSCROLL);
}

TEST(ToolkitControls, NoHandleLeaksAcrossTheNewControls) {
    auto build = [] {
        DescribedForm f(kEveryClass);
        auto& bit = f.Get<TBitBtn>("BitBtn1");
        bit.SetKind(bkRetry);
        f.Get<TRadioGroup>("RadioGroup1").Items().Assign({"a", "b"});
        f.Get<TStatusBar>("StatusBar1").AddPanel()->SetText("x");
        f.Get<TComboBox>("ComboBox1").SetStyle(csSimple);
        f.Get<TTabControl>("TabControl1").SetTabPosition(tpLeft);
        f.form->Repaint();
        PumpFor(10);
    };
    build();
    GuiCounts before = CurrentGuiCounts();
    for (int i = 0; i < 4; ++i) build();
    GuiCounts after = CurrentGuiCounts();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
}

TEST(PageControl, RemovingTheActivePageShowsAnotherButNotWhileTheFormGoes) {
    int shows = 0;
    {
        auto form = std::make_unique<TForm>(&TestApplication());
        auto* pc = new TPageControl(form.get());
        pc->SetParent(form.get());
        pc->SetBounds(10, 10, 200, 150);
        TTabSheet* sheets[3];
        for (auto*& s : sheets) {
            s = new TTabSheet(form.get());
            s->SetParent(pc);
        }
        form->Show();
        sheets[0]->OnShow = [&](TObject*) { ++shows; };
        pc->SetActivePage(sheets[2]);
        PumpFor(5);
        shows = 0;
        delete sheets[2]; // the active page: the last one left is shown
        EXPECT_EQ(pc->ActivePage(), sheets[1]);
        pc->SetActivePage(sheets[1]);
        delete sheets[1];
        EXPECT_EQ(pc->ActivePage(), sheets[0]);
        EXPECT_EQ(shows, 1);
        // A form closing with a page that would be shown next: no page is shown as it goes.
        auto* more = new TTabSheet(form.get());
        more->SetParent(pc);
        pc->SetActivePage(more);
        shows = 0;
    }
    EXPECT_EQ(shows, 0);
}
