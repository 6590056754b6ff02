#pragma once
// The main window: a four-step wizard on tab pages plus a feedback page. The steps share no
// state of their own; they pass data through the window's text boxes, the window's Hint (the
// target folder) and its Tag (the run position).
#include "analysis/encoding.h"
#include "analysis/regexp.h"
#include "download/download_worker.h"
#include "download/rewrite.h"
#include "skin/data/skin_data.h"
#include "toolkit/comctrls.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/web_browser.h"

// The message for a pattern the regular-expression service refused: the pattern quoted, then
// what the service said, if anything.
std::string PatternRejectedMessage(const std::string& pattern, const std::string& service);

// The message for a pattern that matches empty text, which step two does not run.
std::string EmptyMatchMessage(const std::string& pattern);

class TSkinChoice;

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
    TSkinData* SkinData1;

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
    void btn5Click(TObject* sender);
    void tmr1Timer(TObject* sender);
    void btn6Click(TObject* sender);
    // Step one after the dialog: loads the stylesheet at `path` (full path). Throws, changing
    // nothing, when the file cannot be read.
    void OpenStylesheet(const std::string& path);
    // The file name of an address: what follows its last "/", up to a "?".
    std::string geturlfn(const std::string& url);
    // Step two is searching; the window goes on answering meanwhile.
    bool StepTwoRunning() const { return stepTwoRunning_; }
    // The last run reached its end and every transfer of it has ended.
    bool RunEnded() const { return run_.endTick && run_.active == 0; }
    // A run is going: btn5 stops it, and steps one to three wait for its end.
    bool Running() const { return run_.running; }
    // How long one image may take in all (tests shorten it).
    unsigned DownloadDeadlineMs = 120000;
    // Asks the question of a close during a run; a message box unless set (tests answer it).
    std::function<bool(const std::string& question)> ConfirmClose;

    // Where step three writes its test page: the program's own folder unless set (tests).
    std::string TestPageFolder;
    std::string TestPagePath() const;

    TNotifyEvent FindMethod(std::string_view name) override;

    // The skin chosen from the system menu or the command line.
    TSkinChoice& SkinChoice() { return *skinChoice_; }

    ~TForm1() override;

private:
    struct RowState {
        bool failed = false;
        std::string reference; // what the rewrite writes in place of the row's reference
        std::string address;   // as requested, for the log
    };
    // The download run in progress (or the last one): its number, the transfers still going,
    // whether the end tick came and the rewrite ran, and the outcome of each row.
    struct RunState {
        uint32_t id = 0;
        int active = 0;
        bool running = false; // from the start until every transfer has ended
        bool endTick = false;
        bool rewritten = false;
        std::vector<RowState> rows;
        analysis::TextEncoding encoding = analysis::TextEncoding::Utf8;
        WorkerSettings settings; // referrer, folder, reserved names, deadline, cancel
    };
    void InitDownloads();
    void CloseDownloads();
    void StartDownload(int position);
    // Appends row `position` showing `name`; returns its index.
    int AddRow(int position, const std::string& name);
    void DownloadEvents();
    void RewriteWhenTransfersEnd();
    void SetRunning(bool running);
    // Aborts the transfers, cancels what is left; the rewrite follows for what arrived.
    void StopRun();
    // False when the user keeps the window open; true once the run is stopped.
    bool ConfirmCloseDuringRun();
    // Marks a row failed, with its reason, and lets the run go on with the next address.
    void FailRow(int item, download::Failure failure, unsigned long httpStatus,
                 const std::string& detail);
    void LogRow(int item, const std::string& outcome, const std::string& detail);
    // Writes the backup, keeping a differing older one under the next numbered name.
    void WriteBackup(const std::string& path, const std::string& bytes);
    RunState run_;
    bool stepTwoRunning_ = false;
    // The stylesheet loaded last and the fingerprint of its bytes on disk as loaded or last
    // written, to tell edits made elsewhere in the meantime.
    struct Stylesheet {
        std::string path;
        download::FileFingerprint disk;
    } stylesheet_;
    std::unique_ptr<TUtilityWindow> downloadWindow_;
    std::shared_ptr<DownloadChannel> downloadChannel_;
    std::unique_ptr<TSkinChoice> skinChoice_;

    template <typename T> T* Field(const char* name);
    void BindFields();
};
