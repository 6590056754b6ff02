#include "app/main_form.h"

#include "skin/data/skin_manage.h"

#include "analysis/conversion.h"
#include "analysis/extraction.h"
#include "analysis/pattern_length.h"
#include "analysis/system_codec.h"
#include "app/shell_open.h"
#include "app/skin_choice.h"
#include "app/web_addresses.h"
#include "download/atomic_file.h"
#include "toolkit/handles.h"
#include "toolkit/win_text.h"
#include "toolkit/text_util.h"

#include <objbase.h>

#include <exception>
#include <memory>
#include <optional>
#include <thread>

const TClassInfo& TForm1::StaticClass() {
    static const TClassInfo info{"TForm1", &TForm::StaticClass(), {}, {}};
    return info;
}

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    RegisterComponentClass(TRegExp::StaticClass());
    RegisterSkinDataClass();
    InstallSkinManager();
    LoadFromResource();
    BindFields();
    InitDownloads();
    OnCloseQuery = [this](TObject*, bool& canClose) { canClose = ConfirmCloseDuringRun(); };
    // Typing in the references or the addresses keeps the bytes of the text around the change,
    // also those that are no character of the code page, so the rewrite still finds them.
    const TCustomEdit::TextCodec exact{
        [](std::string_view bytes) {
            const std::u16string text = analysis::SystemCodec().Decode(bytes);
            return std::wstring(text.begin(), text.end());
        },
        [](std::wstring_view text) {
            return analysis::SystemCodec().Encode(std::u16string(text.begin(), text.end()));
        }};
    mmo1->SetTextCodec(exact);
    mmo2->SetTextCodec(exact);
    HandleNeeded();
    skinChoice_ = std::make_unique<TSkinChoice>(*this, *SkinData1);
    // The hidden buffers keep their text in the model only: a word-wrapping edit window
    // laying out a stylesheet of many megabytes would hold the window for tens of seconds.
    Memo1->Lines().BeginUpdate();
    mmo3->Lines().BeginUpdate();
}

TForm1::~TForm1() {
    CloseDownloads();
}

template <typename T> T* TForm1::Field(const char* name) {
    auto* c = dynamic_cast<T*>(FindComponent(name));
    if (!c) throw Exception(std::string("The main window's description has no ") + name);
    return c;
}

void TForm1::BindFields() {
    pnl4 = Field<TPanel>("pnl4");
    lbl1 = Field<TLabel>("lbl1");
    lbl2 = Field<TLabel>("lbl2");
    lbl8 = Field<TLabel>("lbl8");
    lbl7 = Field<TLabel>("lbl7");
    pgc1 = Field<TPageControl>("pgc1");
    ts1 = Field<TTabSheet>("ts1");
    ts2 = Field<TTabSheet>("ts2");
    ts3 = Field<TTabSheet>("ts3");
    ts4 = Field<TTabSheet>("ts4");
    ts5 = Field<TTabSheet>("ts5");
    shp1 = Field<TShape>("shp1");
    shp2 = Field<TShape>("shp2");
    shp3 = Field<TShape>("shp3");
    shp4 = Field<TShape>("shp4");
    shp5 = Field<TShape>("shp5");
    btn1 = Field<TButton>("btn1");
    btn2 = Field<TButton>("btn2");
    btn3 = Field<TButton>("btn3");
    btn4 = Field<TButton>("btn4");
    btn5 = Field<TButton>("btn5");
    btn6 = Field<TButton>("btn6");
    pnl1 = Field<TPanel>("pnl1");
    pnl2 = Field<TPanel>("pnl2");
    pnl3 = Field<TPanel>("pnl3");
    pnl5 = Field<TPanel>("pnl5");
    mmo1 = Field<TMemo>("mmo1");
    mmo2 = Field<TMemo>("mmo2");
    mmo3 = Field<TMemo>("mmo3");
    mmo4 = Field<TMemo>("mmo4");
    Memo1 = Field<TMemo>("Memo1");
    edt1 = Field<TEdit>("edt1");
    lbl3 = Field<TLabel>("lbl3");
    lbl4 = Field<TLabel>("lbl4");
    lbl6 = Field<TLabel>("lbl6");
    lbledt1 = Field<TLabeledEdit>("lbledt1");
    lbledt2 = Field<TLabeledEdit>("lbledt2");
    chk1 = Field<TCheckBox>("chk1");
    ListView1 = Field<TListView>("ListView1");
    dlgOpen1 = Field<TOpenDialog>("dlgOpen1");
    tmr1 = Field<TTimer>("tmr1");
    RegExp1 = Field<TRegExp>("RegExp1");
    wb1 = Field<TWebBrowser>("wb1");
    wb2 = Field<TWebBrowser>("wb2");
    SkinData1 = Field<TSkinData>("SkinData1");
}

TNotifyEvent TForm1::FindMethod(std::string_view name) {
    using Handler = void (TForm1::*)(TObject*);
    static const std::pair<const char*, Handler> kMethods[] = {
        {"FormShow", &TForm1::FormShow},   {"btn1Click", &TForm1::btn1Click},
        {"btn2Click", &TForm1::btn2Click}, {"mmo1Change", &TForm1::mmo1Change},
        {"btn3Click", &TForm1::btn3Click}, {"btn4Click", &TForm1::btn4Click},
        {"lbl4Click", &TForm1::lbl4Click}, {"ts5Show", &TForm1::ts5Show},
        {"lbl6Click", &TForm1::lbl6Click}, {"btn5Click", &TForm1::btn5Click},
        {"tmr1Timer", &TForm1::tmr1Timer}, {"btn6Click", &TForm1::btn6Click},
    };
    for (const auto& [n, h] : kMethods)
        if (name == n) return [this, h](TObject* sender) { (this->*h)(sender); };
    return nullptr;
}

void TForm1::FormShow(TObject*) {
    btn1->SetFocus();
}

void TForm1::btn1Click(TObject*) {
    // The run writes into the folder and the stylesheet it started with.
    if (run_.running) return;
    const std::string previous = dlgOpen1->FileName();
    if (!dlgOpen1->Execute() || dlgOpen1->FileName().empty()) {
        dlgOpen1->SetFileName(previous);
        return;
    }
    try {
        OpenStylesheet(dlgOpen1->FileName());
    } catch (...) {
        dlgOpen1->SetFileName(previous);
        throw;
    }
}

void TForm1::OpenStylesheet(const std::string& path) {
    // Read before anything changes: a file that cannot be read leaves the dialog, the labels,
    // the target folder and the text as they were, so no later rewrite can write the old
    // stylesheet's text over the new file.
    std::string bytes = ReadFileBytes(path);
    if (analysis::HasUtf16Bom(bytes))
        throw Exception(Utf8ToAnsi("无法打开“") + path +
                        Utf8ToAnsi("”：这是 UTF-16 编码的文件，本程序只处理 UTF-8 或 GBK "
                                   "编码的样式表。请先把它另存为 UTF-8 编码再打开。"));
    lbl1->SetCaption(lbl1->Hint() + path);
    SetHint(text::ExtractFilePath(path));
    lbl2->SetCaption(lbl2->Hint() + Hint());
    Memo1->Lines().SetText(text::NormalizeLineBreaks(bytes));
    stylesheet_ = {path, download::Fingerprint(bytes)};
}

std::string PatternRejectedMessage(const std::string& pattern, const std::string& service) {
    std::string message = Utf8ToAnsi("正则表达式无效：\"") + pattern + "\"";
    if (!service.empty()) message += "\r\n" + service;
    return message;
}

std::string EmptyMatchMessage(const std::string& pattern) {
    return Utf8ToAnsi("正则表达式“") + pattern +
           Utf8ToAnsi("”能匹配空文本，会在每个位置都得到一个空结果，所以没有执行。请改用"
                      "至少匹配一个字符的表达式，例如 background(.*?)url\\((.*?)\\)");
}

namespace {

// Step two's search, on a thread of its own with a service object of its own, so that the
// window keeps answering while a large stylesheet is searched.
struct StepTwoSearch {
    std::string text, pattern;
    analysis::ReferenceCollector collector;
    bool matchesEmpty = false;
    std::exception_ptr error;

    void Run() {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        try {
            VBScriptRegExp service;
            service.SetGlobal(true);
            service.SetPattern(pattern);
            service.SetIgnoreCase(true);
            // A global match that meets an empty match never comes back from the service here,
            // and elsewhere would give a result at every byte of the text: such a pattern is
            // refused before it runs. Where it matches first says nothing of later matches, so
            // the pattern itself is read; one it cannot read is tried as before.
            const std::optional<size_t> least = analysis::MinimumMatchLength(pattern);
            matchesEmpty = (least && *least == 0) || service.FirstMatchIsEmpty("") ||
                           service.FirstMatchIsEmpty(text);
            // Candidates go to the collector as the service gives them; the adds one by one
            // through the window would cost time that grows with the square of the text.
            if (!matchesEmpty)
                service.ForEachMatch(text, [&](const RegExpMatch& m) {
                    if (m.subMatches.size() >= 2) collector.Offer(m.subMatches[1]);
                });
        } catch (...) {
            error = std::current_exception();
        }
        if (SUCCEEDED(com)) CoUninitialize();
    }
};

} // namespace

void TForm1::btn2Click(TObject*) {
    // A press while the search runs (its messages are still handled) does nothing, nor one
    // during a download run, which reads the references as they are.
    if (stepTwoRunning_ || run_.running) return;
    mmo1->Lines().Clear();
    // The window's own matcher takes the settings (and connects) as always; the search uses
    // the same settings on its thread.
    RegExp1->SetGlobal(true);
    RegExp1->SetPattern(edt1->GetText());
    RegExp1->SetIgnoreCase(true);
    // Shared with the thread: a search the service never finishes is left behind at a close.
    auto search = std::make_shared<StepTwoSearch>();
    search->text = Memo1->GetText();
    search->pattern = edt1->GetText();
    auto done = std::make_shared<UniqueKernelHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!*done) throw Exception("Cannot start step two: no event");
    stepTwoRunning_ = true;
    std::thread worker([search, done] {
        search->Run();
        SetEvent(done->get());
    });
    // Messages go on being handled (painting, moving, other buttons) until the search ends; a
    // close ends the program at once and the search with it.
    HANDLE wait = done->get();
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &wait, FALSE, INFINITE, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) break; // the search ended (or waiting failed: join)
        Application->ProcessMessages();
        if (Application->Terminated()) {
            worker.detach();
            stepTwoRunning_ = false;
            return;
        }
    }
    worker.join();
    stepTwoRunning_ = false;
    if (search->error) {
        try {
            std::rethrow_exception(search->error);
        } catch (const EOleException& e) {
            // The service often says no more than that the call failed: name the pattern.
            throw EOleException(PatternRejectedMessage(search->pattern, e.what()));
        }
    }
    if (search->matchesEmpty) throw EOleException(EmptyMatchMessage(search->pattern));
    mmo1->SetText(search->collector.text());
    mmo1->SetText(analysis::RemoveByte(mmo1->GetText(), '\''));
    mmo1->SetText(analysis::RemoveByte(mmo1->GetText(), '"'));
}

void TForm1::mmo1Change(TObject*) {
    lbl3->SetCaption(Utf8ToAnsi(analysis::ImageCountCaption(mmo1->Lines().Count())));
}

std::string TForm1::TestPagePath() const {
    std::string folder = TestPageFolder;
    if (folder.empty()) {
        wchar_t exe[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
        folder = text::ExtractFilePath(Narrow(std::wstring_view(exe, n)));
    }
    return folder + "testimg.htm";
}

void TForm1::btn3Click(TObject*) {
    if (run_.running) return; // the run reads the addresses as they are
    mmo2->Lines().Clear();
    mmo3->Lines().Clear();
    analysis::Conversion c =
        analysis::ConvertReferences(mmo1->GetText(), lbledt1->GetText(), lbledt2->GetText());
    mmo3->SetText(c.page);
    mmo2->SetText(c.addresses_text);
    const std::string path = TestPagePath();
    WriteFileAtomic(path, mmo3->GetText());
    ShellOpen(WindowHandle(), path);
}

void TForm1::btn4Click(TObject*) {
    if (run_.running) return;
    mmo2->SetText(mmo1->GetText());
}

void TForm1::lbl4Click(TObject*) {
    pnl1->SetHeight(pnl1->Height() == 140 ? 17 : 140);
}

void TForm1::ts5Show(TObject*) {
    wb2->Navigate(Widen(kGuestBookUrl));
}

void TForm1::lbl6Click(TObject*) {
    ShellOpen(WindowHandle(), kDiscussionBoardUrl);
}
