#pragma once
// The main window: a four-step wizard on tab pages plus a feedback page. The steps share no
// state of their own; they pass data through the window's text boxes, the window's Hint (the
// target folder) and its Tag (the run position).
#include "analysis/regexp.h"
#include "toolkit/comctrls.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/web_browser.h"

class TForm1 : public TForm {
    TOOLKIT_CLASS(TForm1)
public:
    explicit TForm1(TComponent* owner);

    TPanel* pnl4;
    TLabel *lbl1, *lbl2, *lbl8, *lbl7;
    TPageControl* pgc1;
    TTabSheet *ts1, *ts2, *ts3, *ts4, *ts5;
    TShape *shp1, *shp2, *shp3, *shp4, *shp5;
    TButton *btn1, *btn2, *btn3, *btn4, *btn5, *btn6;
    TPanel *pnl1, *pnl2, *pnl3, *pnl5;
    TMemo *mmo1, *mmo2, *mmo3, *mmo4, *Memo1;
    TEdit* edt1;
    TLabel *lbl3, *lbl4, *lbl6;
    TLabeledEdit *lbledt1, *lbledt2;
    TCheckBox* chk1;
    TListView* ListView1;
    TOpenDialog* dlgOpen1;
    TTimer* tmr1;
    TRegExp* RegExp1;
    TWebBrowser *wb1, *wb2;

    // Event handlers, bound by name from the description.
    void FormShow(TObject* sender);
    void btn1Click(TObject* sender);
    void btn2Click(TObject* sender);
    void mmo1Change(TObject* sender);
    void btn3Click(TObject* sender);
    void btn4Click(TObject* sender);
    void lbl4Click(TObject* sender);
    void ts5Show(TObject* sender);
    void lbl6Click(TObject* sender);

    // Where step three writes its test page: the program's own folder unless set (tests).
    std::string TestPageFolder;
    std::string TestPagePath() const;

    TNotifyEvent FindMethod(std::string_view name) override;

private:
    template <typename T> T* Field(const char* name);
    void BindFields();
};
