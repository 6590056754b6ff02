#include "gallery_form.h"

#include "toolkit/form_description.h"
#include "toolkit/form_reader.h"

#include <commctrl.h>

namespace {

// Laid out in columns: buttons, check marks, text, ranges; tabs and lists along the bottom.
const char kDescription[] = R"(object GalleryForm: TGalleryForm
  Left = 0
  Top = 0
  Caption = 'Control gallery'
  Menu = MainMenu1
  ClientWidth = 1000
  ClientHeight = 640
  object Buttons: TGroupBox
    Left = 8
    Top = 4
    Width = 244
    Height = 290
    Caption = 'Buttons'
    object DefaultButton: TButton
      Left = 10
      Top = 20
      Width = 108
      Caption = 'Default'
      Default = True
    end
    object DisabledButton: TButton
      Left = 126
      Top = 20
      Width = 108
      Caption = 'Disabled'
      Enabled = False
    end
    object OkButton: TBitBtn
      Left = 10
      Top = 52
      Width = 108
      Kind = bkOK
      OnClick = NoteEvent
    end
    object CancelButton: TBitBtn
      Left = 126
      Top = 52
      Width = 108
      Kind = bkCancel
    end
    object GlyphLeft: TBitBtn
      Left = 10
      Top = 84
      Width = 108
      Caption = 'Left'
      Layout = blGlyphLeft
      NumGlyphs = 2
    end
    object GlyphRight: TBitBtn
      Left = 126
      Top = 84
      Width = 108
      Caption = 'Right'
      Layout = blGlyphRight
      NumGlyphs = 2
    end
    object GlyphTop: TBitBtn
      Left = 10
      Top = 116
      Width = 70
      Height = 48
      Caption = 'Top'
      Layout = blGlyphTop
      NumGlyphs = 2
    end
    object GlyphBottom: TBitBtn
      Left = 86
      Top = 116
      Width = 70
      Height = 48
      Caption = 'Bottom'
      Layout = blGlyphBottom
      NumGlyphs = 2
    end
    object GlyphDisabled: TBitBtn
      Left = 162
      Top = 116
      Width = 72
      Height = 48
      Caption = 'Off'
      Layout = blGlyphTop
      Enabled = False
    end
    object ToolBar: TPanel
      Left = 10
      Top = 172
      Width = 224
      Height = 30
      BevelOuter = bvLowered
      object AlignLeft: TSpeedButton
        Left = 3
        Top = 3
        Width = 24
        Height = 24
        GroupIndex = 1
        Down = True
      end
      object AlignCenter: TSpeedButton
        Left = 27
        Top = 3
        Width = 24
        Height = 24
        GroupIndex = 1
      end
      object AlignRight: TSpeedButton
        Left = 51
        Top = 3
        Width = 24
        Height = 24
        GroupIndex = 1
      end
      object FlatBold: TSpeedButton
        Left = 85
        Top = 3
        Width = 24
        Height = 24
        Flat = True
        GroupIndex = 2
        AllowAllUp = True
        Down = True
      end
      object FlatItalic: TSpeedButton
        Left = 109
        Top = 3
        Width = 24
        Height = 24
        Flat = True
      end
      object SpeedOff: TSpeedButton
        Left = 143
        Top = 3
        Width = 24
        Height = 24
        Enabled = False
      end
      object SpeedText: TSpeedButton
        Left = 170
        Top = 3
        Width = 51
        Height = 24
        Caption = 'Text'
        Flat = True
      end
    end
    object RadioGroup1: TRadioGroup
      Left = 10
      Top = 208
      Width = 224
      Height = 74
      Caption = 'Radio group'
      Columns = 2
      Items = (
        'First'
        'Second'
        'Third'
        'Fourth')
      ItemIndex = 2
      OnClick = NoteEvent
    end
  end
  object Checks: TGroupBox
    Left = 8
    Top = 300
    Width = 244
    Height = 140
    Caption = 'Check marks'
    object Checked1: TCheckBox
      Left = 10
      Top = 20
      Width = 110
      Caption = 'Checked'
      Checked = True
    end
    object Unchecked1: TCheckBox
      Left = 10
      Top = 42
      Width = 110
      Caption = 'Unchecked'
    end
    object Grayed1: TCheckBox
      Left = 10
      Top = 64
      Width = 110
      Caption = 'Grayed'
      AllowGrayed = True
      State = cbGrayed
    end
    object CheckOff: TCheckBox
      Left = 10
      Top = 86
      Width = 110
      Caption = 'Disabled'
      Checked = True
      Enabled = False
    end
    object LeftText: TCheckBox
      Left = 10
      Top = 108
      Width = 110
      Caption = 'Text left'
      Alignment = taLeftJustify
    end
    object Radio1: TRadioButton
      Left = 128
      Top = 20
      Width = 108
      Caption = 'Radio on'
      Checked = True
    end
    object Radio2: TRadioButton
      Left = 128
      Top = 42
      Width = 108
      Caption = 'Radio off'
    end
    object RadioOff: TRadioButton
      Left = 128
      Top = 64
      Width = 108
      Caption = 'Disabled'
      Enabled = False
    end
  end
  object Panels: TPanel
    Left = 8
    Top = 446
    Width = 244
    Height = 66
    Caption = ''
    Color = clInfoBk
    BevelOuter = bvRaised
    object Raised: TPanel
      Left = 8
      Top = 8
      Width = 70
      Height = 50
      Caption = 'Raised'
    end
    object Lowered: TPanel
      Left = 86
      Top = 8
      Width = 70
      Height = 50
      Caption = 'Lowered'
      BevelOuter = bvLowered
    end
    object Through: TPanel
      Left = 164
      Top = 8
      Width = 72
      Height = 50
      Caption = 'Parent bg'
      BevelOuter = bvNone
      ParentBackground = True
    end
  end
  object Texts: TGroupBox
    Left = 260
    Top = 4
    Width = 244
    Height = 436
    Caption = 'Text'
    object Label1: TLabel
      Left = 10
      Top = 20
      Caption = 'A label'
    end
    object LabelOff: TLabel
      Left = 110
      Top = 20
      Caption = 'A disabled label'
      Enabled = False
    end
    object FocusedEdit: TEdit
      Left = 10
      Top = 38
      Width = 224
      Text = 'Focused edit'
    end
    object DisabledEdit: TEdit
      Left = 10
      Top = 64
      Width = 108
      Text = 'Disabled'
      Enabled = False
    end
    object FlatEdit: TEdit
      Left = 126
      Top = 64
      Width = 108
      Text = 'No border'
      BorderStyle = bsNone
    end
    object SpinEdit: TEdit
      Left = 10
      Top = 90
      Width = 90
    end
    object Spin: TUpDown
      Left = 100
      Top = 90
      Min = 0
      Max = 99
      Position = 42
      Associate = SpinEdit
    end
    object SpinHorz: TUpDown
      Left = 126
      Top = 90
      Width = 34
      Height = 21
      Orientation = udHorizontal
    end
    object LabeledEdit1: TLabeledEdit
      Left = 10
      Top = 132
      Width = 224
      Text = 'Labelled edit'
      EditLabel.Caption = 'Edit with a label'
    end
    object DropDown: TComboBox
      Left = 10
      Top = 160
      Width = 108
      Text = 'Drop-down'
      Items = (
        'Apple'
        'Banana'
        'Cherry')
    end
    object DropDownList: TComboBox
      Left = 126
      Top = 160
      Width = 108
      Style = csDropDownList
      Items = (
        'List one'
        'List two')
      ItemIndex = 0
      OnChange = NoteEvent
    end
    object SimpleCombo: TComboBox
      Left = 10
      Top = 188
      Width = 108
      Height = 84
      Style = csSimple
      Text = 'Simple'
      Items = (
        'Red'
        'Green'
        'Blue')
    end
    object ListBox1: TListBox
      Left = 126
      Top = 188
      Width = 108
      Height = 84
      MultiSelect = True
      OnClick = NoteEvent
    end
    object Memo1: TMemo
      Left = 10
      Top = 280
      Width = 224
      Height = 146
      ScrollBars = ssBoth
      WordWrap = False
    end
  end
  object Ranges: TGroupBox
    Left = 512
    Top = 4
    Width = 244
    Height = 436
    Caption = 'Ranges'
    object HorzBar: TScrollBar
      Left = 10
      Top = 22
      Width = 190
      Max = 100
      Position = 30
      LargeChange = 10
      OnChange = NoteEvent
    end
    object VertBar: TScrollBar
      Left = 212
      Top = 22
      Width = 17
      Height = 190
      Kind = sbVertical
      Position = 60
    end
    object Progress0: TProgressBar
      Left = 10
      Top = 50
      Width = 190
      Position = 0
    end
    object Progress40: TProgressBar
      Left = 10
      Top = 74
      Width = 190
      Position = 40
    end
    object Progress100: TProgressBar
      Left = 10
      Top = 98
      Width = 190
      Position = 100
      Smooth = True
    end
    object Marquee: TProgressBar
      Left = 10
      Top = 122
      Width = 190
      Style = pbstMarquee
    end
    object ProgressUp30: TProgressBar
      Left = 10
      Top = 150
      Width = 17
      Height = 120
      Orientation = pbVertical
      Position = 30
    end
    object ProgressUp70: TProgressBar
      Left = 34
      Top = 150
      Width = 17
      Height = 120
      Orientation = pbVertical
      Position = 70
      Smooth = True
    end
    object TrackVert: TTrackBar
      Left = 60
      Top = 146
      Width = 45
      Height = 130
      Orientation = trVertical
      Max = 10
      Position = 3
      TickMarks = tmBoth
    end
    object TrackHorz: TTrackBar
      Left = 110
      Top = 222
      Width = 124
      Height = 45
      Max = 20
      Position = 12
      Frequency = 5
      OnChange = NoteEvent
    end
    object TrackNoTicks: TTrackBar
      Left = 110
      Top = 272
      Width = 124
      Height = 30
      TickStyle = tsNone
      Position = 7
      Enabled = False
    end
    object DatePicker: TDateTimePicker
      Left = 10
      Top = 312
      Width = 224
      Date = '2024-05-17'
      DateFormat = dfLong
    end
    object TimePicker: TDateTimePicker
      Left = 10
      Top = 340
      Width = 224
      Kind = dtkTime
      Time = '09:30:00'
      ShowCheckbox = True
    end
    object Shape1: TShape
      Left = 10
      Top = 372
      Width = 60
      Height = 54
      Shape = stRoundRect
    end
    object SimpleStatus: TStatusBar
      Left = 80
      Top = 404
      Width = 154
      Height = 22
      Align = alNone
      SimplePanel = True
      SimpleText = 'Simple status bar'
      SizeGrip = False
    end
  end
  object TabsTop: TTabControl
    Left = 764
    Top = 8
    Width = 228
    Height = 80
    Tabs = (
      'Top'
      'Two'
      'Three')
    OnChange = NoteEvent
  end
  object TabsBottom: TTabControl
    Left = 764
    Top = 96
    Width = 228
    Height = 80
    TabPosition = tpBottom
    Tabs = (
      'Bottom'
      'Two')
    TabIndex = 1
  end
  object TabsLeft: TTabControl
    Left = 764
    Top = 184
    Width = 110
    Height = 120
    TabPosition = tpLeft
    Tabs = (
      'Left'
      'Two')
  end
  object TabsRight: TTabControl
    Left = 882
    Top = 184
    Width = 110
    Height = 120
    TabPosition = tpRight
    Tabs = (
      'Right'
      'Two')
  end
  object TabsButtons: TTabControl
    Left = 764
    Top = 312
    Width = 228
    Height = 56
    Style = tsButtons
    Tabs = (
      'Buttons'
      'Style')
  end
  object TabsFlat: TTabControl
    Left = 764
    Top = 374
    Width = 228
    Height = 56
    Style = tsFlatButtons
    Tabs = (
      'Flat'
      'Buttons')
  end
  object Pages: TPageControl
    Left = 260
    Top = 446
    Width = 244
    Height = 140
    ActivePage = SheetOne
    object SheetOne: TTabSheet
      Caption = 'Page one'
      object SheetLabel: TLabel
        Left = 8
        Top = 8
        Caption = 'A page of a page control'
      end
      object SheetButton: TButton
        Left = 8
        Top = 30
        Caption = 'On a page'
      end
    end
    object SheetTwo: TTabSheet
      Caption = 'Page two'
    end
  end
  object TabSet1: TTabSet
    Left = 260
    Top = 586
    Width = 244
    Height = 22
    Tabs = (
      'Sheet1'
      'Sheet2'
      'Sheet3')
    TabIndex = 1
  end
  object ListView1: TListView
    Left = 512
    Top = 446
    Width = 480
    Height = 162
    ViewStyle = vsReport
    RowSelect = True
    ReadOnly = True
    Columns = <
      item
        Caption = 'Name'
        Width = 160
      end
      item
        Caption = 'Size'
        Width = 80
      end
      item
        Caption = 'State'
        Width = 200
      end>
  end
  object Status: TStatusBar
    Panels = <
      item
        Text = 'Ready'
        Width = 160
      end
      item
        Text = 'Centred panel'
        Width = 200
        Alignment = taCenter
      end
      item
        Text = 'Raised'
        Width = 120
        Bevel = pbRaised
      end
      item
        Text = 'No events yet'
      end>
  end
  object MenuImages: TImageList
    Width = 16
    Height = 16
  end
  object MainMenu1: TMainMenu
    Images = MenuImages
    object FileMenu: TMenuItem
      Caption = '&File'
      object OpenItem: TMenuItem
        Caption = '&Open...'
        ShortCut = 16463
        ImageIndex = 0
        Default = True
        OnClick = NoteEvent
      end
      object SaveItem: TMenuItem
        Caption = '&Save'
        ShortCut = 16467
        ImageIndex = 1
        OnClick = NoteEvent
      end
      object FileLine1: TMenuItem
        Caption = '-'
      end
      object RecentMenu: TMenuItem
        Caption = '&Recent'
        object Recent1: TMenuItem
          Caption = '&1 style.css'
          OnClick = NoteEvent
        end
        object Recent2: TMenuItem
          Caption = '&2 theme.css'
          OnClick = NoteEvent
        end
        object MoreRecent: TMenuItem
          Caption = '&More'
          object Recent3: TMenuItem
            Caption = '&3 old.css'
            OnClick = NoteEvent
          end
          object Recent4: TMenuItem
            Caption = '&4 older.css'
            Enabled = False
          end
        end
      end
      object FileLine2: TMenuItem
        Caption = '-'
      end
      object ExitItem: TMenuItem
        Caption = 'E&xit'
        ShortCut = 32883
        OnClick = NoteEvent
      end
    end
    object ViewMenu: TMenuItem
      Caption = '&View'
      object ToolbarItem: TMenuItem
        Caption = '&Toolbar'
        Checked = True
        OnClick = NoteEvent
      end
      object GridItem: TMenuItem
        Caption = '&Grid'
        Checked = True
        ImageIndex = 2
        OnClick = NoteEvent
      end
      object ViewLine1: TMenuItem
        Caption = '-'
      end
      object LargeItem: TMenuItem
        Caption = '&Large icons'
        RadioItem = True
        GroupIndex = 1
        Checked = True
        OnClick = NoteEvent
      end
      object SmallItem: TMenuItem
        Caption = '&Small icons'
        RadioItem = True
        GroupIndex = 1
        OnClick = NoteEvent
      end
      object ViewLine2: TMenuItem
        Caption = '-'
      end
      object DisabledItem: TMenuItem
        Caption = '&Disabled item'
        Enabled = False
      end
    end
    object DisabledMenu: TMenuItem
      Caption = '&Unavailable'
      Enabled = False
      object NeverItem: TMenuItem
        Caption = 'Never shown'
      end
    end
    object HelpMenu: TMenuItem
      Caption = '&Help'
      object AboutItem: TMenuItem
        Caption = '&About the gallery'
        ShortCut = 112
        OnClick = NoteEvent
      end
    end
  end
  object PopupMenu1: TPopupMenu
    Images = MenuImages
    object CutItem: TMenuItem
      Caption = 'Cu&t'
      ShortCut = 16472
      ImageIndex = 0
      OnClick = NoteEvent
    end
    object CopyItem: TMenuItem
      Caption = '&Copy'
      ShortCut = 16451
      ImageIndex = 1
      OnClick = NoteEvent
    end
    object PasteItem: TMenuItem
      Caption = '&Paste'
      ShortCut = 16470
      Enabled = False
    end
    object PopupLine: TMenuItem
      Caption = '-'
    end
    object SelectAllItem: TMenuItem
      Caption = 'Select &all'
      ShortCut = 16449
      OnClick = NoteEvent
    end
  end
end
)";

} // namespace

const TClassInfo& TGalleryForm::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TGalleryForm>("TGalleryForm", TForm::StaticClass()).Build();
    return info;
}

TGalleryForm::TGalleryForm(TComponent* owner) : TForm(owner) {
    ReadForm(*this, ParseFormDescription(kDescription));
    DrawGlyphs();
    FillLists();
    if (auto* edit = Find<TWinControl>("FocusedEdit")) SetActiveControl(edit);
    DrawMenuImages();
    // The list view's context menu.
    if (auto* lv = Find<TListView>("ListView1"))
        listPopup_.Install(*lv, [this](TMessage& m) {
            if (m.Msg == WM_CONTEXTMENU) {
                if (auto* popup = Find<TPopupMenu>("PopupMenu1")) {
                    POINT p{static_cast<short>(LOWORD(m.LParam)),
                            static_cast<short>(HIWORD(m.LParam))};
                    popup->Popup(p.x, p.y);
                    m.Result = 0;
                    return;
                }
            }
            listPopup_.CallPrevious(m);
        });
}

TNotifyEvent TGalleryForm::FindMethod(std::string_view name) {
    if (SameText(name, "NoteEvent")) return [this](TObject* sender) { Note(sender); };
    return nullptr;
}

void TGalleryForm::Note(TObject* sender) {
    ++events_;
    auto* status = Find<TStatusBar>("Status");
    auto* c = dynamic_cast<TComponent*>(sender);
    if (status && status->PanelCount() > 3 && c)
        status->Panel(3)->SetText("Event " + std::to_string(events_) + ": " + c->Name());
}

namespace {

// Glyphs on an olive ground, which the bottom-left pixel makes transparent.
HDC Ground(TBitmap& b, int width, int height) {
    b.SetSize(width, height);
    HDC dc = b.Canvas().Handle();
    RECT all{0, 0, width, height};
    UniqueBrush olive(CreateSolidBrush(RGB(128, 128, 0)));
    FillRect(dc, &all, olive.get());
    return dc;
}

void Disc(HDC dc, int x, COLORREF fill, COLORREF edge) {
    UniqueBrush brush(CreateSolidBrush(fill));
    UniquePen pen(CreatePen(PS_SOLID, 1, edge));
    SelectObjectGuard b(dc, brush.get()), p(dc, pen.get());
    Ellipse(dc, x + 1, 1, x + 15, 15);
    UniqueBrush shine(CreateSolidBrush(RGB(255, 255, 255)));
    RECT spot{x + 4, 4, x + 7, 7};
    FillRect(dc, &spot, shine.get());
}

// Lines of a text-alignment glyph: where each line starts and ends.
void Lines(HDC dc, int align) {
    UniqueBrush ink(CreateSolidBrush(RGB(0, 0, 0)));
    const int widths[] = {12, 8, 12, 6, 10};
    for (int i = 0; i < 5; ++i) {
        int w = widths[i];
        int left = align == 0 ? 2 : align == 1 ? (16 - w) / 2 : 14 - w;
        RECT r{left, 2 + i * 3, left + w, 3 + i * 3};
        FillRect(dc, &r, ink.get());
    }
}

void Letter(HDC dc, const wchar_t* text, bool bold, bool italic) {
    UniqueFont font(CreateFontW(-14, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, 0, 0,
                                DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                L"Times New Roman"));
    SelectObjectGuard f(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT r{0, 0, 16, 16};
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

} // namespace

void TGalleryForm::DrawMenuImages() {
    auto* images = Find<TImageList>("MenuImages");
    if (!images) return;
    // A document, a disk and a grid, on white that the list masks out.
    const COLORREF colours[3] = {RGB(40, 110, 220), RGB(200, 60, 60), RGB(40, 150, 70)};
    for (int i = 0; i < 3; ++i) {
        TBitmap b(16, 16);
        HDC dc = b.Canvas().Handle();
        RECT all{0, 0, 16, 16};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        UniqueBrush fill(CreateSolidBrush(colours[i]));
        RECT shape = i == 0 ? RECT{3, 1, 13, 15} : i == 1 ? RECT{2, 2, 14, 14} : RECT{1, 3, 15, 13};
        FillRect(dc, &shape, fill.get());
        if (i == 2)
            for (int x = 5; x < 15; x += 4) {
                RECT line{x, 3, x + 1, 13};
                FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            }
        images->AddMasked(&b, clWhite);
    }
}

void TGalleryForm::DrawGlyphs() {
    // Two images: normal (blue disc) and disabled (grey disc).
    for (const char* name : {"GlyphLeft", "GlyphRight", "GlyphTop", "GlyphBottom"}) {
        auto* b = Find<TBitBtn>(name);
        if (!b) continue;
        HDC dc = Ground(b->Glyph(), 32, 16);
        Disc(dc, 0, RGB(40, 110, 220), RGB(0, 40, 120));
        Disc(dc, 16, RGB(192, 192, 192), RGB(128, 128, 128));
        b->Invalidate();
    }
    if (auto* b = Find<TBitBtn>("GlyphDisabled")) {
        // One image only: the disabled look is made from it.
        HDC dc = Ground(b->Glyph(), 16, 16);
        Disc(dc, 0, RGB(220, 60, 40), RGB(120, 20, 0));
        b->Invalidate();
    }
    const char* aligns[] = {"AlignLeft", "AlignCenter", "AlignRight"};
    for (int i = 0; i < 3; ++i)
        if (auto* s = Find<TSpeedButton>(aligns[i])) Lines(Ground(s->Glyph(), 16, 16), i);
    if (auto* s = Find<TSpeedButton>("FlatBold"))
        Letter(Ground(s->Glyph(), 16, 16), L"B", true, false);
    if (auto* s = Find<TSpeedButton>("FlatItalic"))
        Letter(Ground(s->Glyph(), 16, 16), L"I", false, true);
    if (auto* s = Find<TSpeedButton>("SpeedOff"))
        Letter(Ground(s->Glyph(), 16, 16), L"U", false, false);
    Invalidate();
}

void TGalleryForm::FillLists() {
    if (auto* list = Find<TListBox>("ListBox1")) {
        list->Items().Assign({"Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta", "Eta"});
        list->SetSelected(1, true);
        list->SetSelected(3, true);
    }
    if (auto* memo = Find<TMemo>("Memo1")) {
        std::string text;
        for (int i = 1; i <= 14; ++i)
            text += "Line " + std::to_string(i) +
                    " of a memo with both scroll bars, long enough to scroll\r\n";
        memo->SetText(text);
    }
    if (auto* lv = Find<TListView>("ListView1")) {
        const char* rows[][3] = {{"index.html", "12 KB", "Downloaded"},
                                 {"style.css", "4 KB", "Rewritten"},
                                 {"logo.png", "31 KB", "Downloaded"},
                                 {"banner.jpg", "0 KB", "Failed: not found"},
                                 {"icons.gif", "2 KB", "Waiting"}};
        for (auto& r : rows) {
            TListItem* item = lv->Items().Add();
            item->SetCaption(r[0]);
            item->SubItems().Add(r[1]);
            item->SubItems().Add(r[2]);
        }
    }
}

void TGalleryForm::DoShow() {
    TForm::DoShow();
    if (auto* lv = Find<TListView>("ListView1"); lv && lv->HandleAllocated()) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageW(lv->WindowHandle(), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    }
}
