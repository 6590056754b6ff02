#include "toolkit/buttons.h"
#include "toolkit/comctrls.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/imglist.h"
#include "toolkit/menus.h"
#include "toolkit/web_browser.h"

void RegisterToolkitClasses() {
    for (const TClassInfo* c :
         {&TLabel::StaticClass(), &TButton::StaticClass(), &TCheckBox::StaticClass(),
          &TEdit::StaticClass(), &TMemo::StaticClass(), &TPanel::StaticClass(),
          &TShape::StaticClass(), &TLabeledEdit::StaticClass(), &TPageControl::StaticClass(),
          &TTabSheet::StaticClass(), &TListView::StaticClass(), &TTimer::StaticClass(),
          &TOpenDialog::StaticClass(), &TWebBrowser::StaticClass(), &TMainMenu::StaticClass(),
          &TPopupMenu::StaticClass(), &TMenuItem::StaticClass(), &TAction::StaticClass(),
          &TImageList::StaticClass()})
        RegisterComponentClass(*c);
    for (const TClassInfo* c :
         {&TBitBtn::StaticClass(), &TSpeedButton::StaticClass(), &TRadioButton::StaticClass(),
          &TGroupBox::StaticClass(), &TRadioGroup::StaticClass(), &TComboBox::StaticClass(),
          &TListBox::StaticClass(), &TScrollBar::StaticClass(), &TStatusBar::StaticClass(),
          &TUpDown::StaticClass(), &TProgressBar::StaticClass(), &TTrackBar::StaticClass(),
          &TTabControl::StaticClass(), &TTabSet::StaticClass(), &TDateTimePicker::StaticClass()})
        RegisterComponentClass(*c);
}
