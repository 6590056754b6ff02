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
}
