// Step four of the main window: the download run, paced by tmr1, and the stylesheet rewrite.
#include "app/main_form.h"
#include "analysis/conversion.h"
#include "analysis/encoding.h"
#include "analysis/system_codec.h"
#include "app/web_addresses.h"
#include "download/atomic_file.h"
#include "download/download_worker.h"
#include "download/file_names.h"
#include "download/outcome.h"
#include "download/progress_text.h"
#include "download/rewrite.h"
#include "toolkit/exceptions.h"
#include "toolkit/forms.h"
#include "toolkit/text_util.h"
#include "toolkit/win_text.h"

namespace {
constexpr UINT WM_DOWNLOAD_EVENTS = WM_APP + 1;

char DecimalSeparator() {
    char sep[4] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 0 && sep[0])
        return sep[0];
    return '.';
}

std::string LineOf(TMemo* memo, int i) {
    return i < memo->Lines().Count() ? memo->Lines()[i] : std::string();
}

std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The address as a browser requests it: UTF-8, percent-encoded. Bytes of a stylesheet in the
// system code page are first read as the characters they stand for (U+FFFD for a byte that is
// none, as a browser reads it).
std::string RequestAddress(const std::string& address, analysis::TextEncoding encoding) {
    if (encoding == analysis::TextEncoding::Ansi && !IsAscii(address))
        return download::RequestForm(WideToUtf8(analysis::AsBrowserReads(address)));
    return download::RequestForm(address);
}

// The name a download is saved under (code page 936, as the A functions take it): the last
// segment of the requested address, percent-decoded. Decoded bytes are UTF-8 as requested;
// characters that the code page cannot hold become "_" through SafeFileName.
std::string LocalFileName(TForm1& form, const std::string& request) {
    std::string name = download::PercentDecode(form.geturlfn(request));
    if (!IsAscii(name) && analysis::IsValidUtf8(name)) name = Utf8ToAnsi(name);
    return download::SafeFileName(name);
}

// What the rewritten stylesheet says in place of a reference so that a browser finds `name`
// in the stylesheet's folder: the name in the stylesheet's encoding, escaped, and the
// reference's own fragment.
std::string ReferenceFor(const std::string& name, const std::string& reference,
                         analysis::TextEncoding encoding) {
    std::string text = encoding == analysis::TextEncoding::Utf8
                           ? download::ReferenceForName(WideToUtf8(Widen(name)), false)
                           : download::ReferenceForName(name, true);
    text += download::FragmentOf(reference);
    return text;
}

// The stylesheet's web folder, sent as the referrer: the relative prefix when it is a web
// address, up to its last "/".
std::string ReferrerFrom(const std::string& relative_prefix, analysis::TextEncoding encoding) {
    if (!relative_prefix.starts_with("http") || !analysis::IsWebAddress(relative_prefix) ||
        analysis::SchemeOf(relative_prefix).empty())
        return {};
    std::string request = RequestAddress(relative_prefix, encoding);
    size_t q = request.find('?');
    if (q != std::string::npos) request.resize(q);
    size_t slash = request.rfind('/');
    size_t authority = request.find("//");
    if (slash == std::string::npos || authority == std::string::npos || slash <= authority + 1)
        return request + "/";
    return request.substr(0, slash + 1);
}
} // namespace

void TForm1::InitDownloads() {
    downloadWindow_ =
        std::make_unique<TUtilityWindow>([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_DOWNLOAD_EVENTS) {
                DownloadEvents();
                return 0;
            }
            return DefWindowProcW(downloadWindow_->Handle(), msg, w, l);
        });
    downloadChannel_ =
        std::make_shared<DownloadChannel>(downloadWindow_->Handle(), WM_DOWNLOAD_EVENTS);
}

void TForm1::CloseDownloads() {
    if (downloadChannel_) downloadChannel_->Close();
    // Transfers of a window that is going end now and take their files with them.
    if (run_.settings.control) run_.settings.control->Cancel();
}

std::string TForm1::geturlfn(const std::string& url) {
    return download::UrlFileName(url);
}

void TForm1::btn5Click(TObject*) {
    // During a run the button reads "停止下载".
    if (run_.running) {
        StopRun();
        return;
    }
    SetTag(0);
    // A new run: notifications of earlier workers no longer reach the list.
    run_ = RunState{run_.id + 1};
    run_.encoding = analysis::DetectEncoding(Memo1->GetText());
    run_.settings.referrer = ReferrerFrom(lbledt2->GetText(), run_.encoding);
    run_.settings.folder = Hint();
    run_.settings.stylesheetName = text::ExtractFileName(stylesheet_.path);
    run_.settings.deadlineMs = DownloadDeadlineMs;
    run_.settings.control = std::make_shared<TransferControl>();
    ListView1->Items().Clear();
    wb1->SetAlign(alClient);
    wb1->Navigate(Widen(kProductPageUrl));
    wb1->SetAlign(alNone);
    wb1->SetBounds(-3, -3, 300, 350);
    pnl3->Show();
    if (mmo2->Lines().Count() == 0) {
        run_.endTick = run_.rewritten = true;
        return;
    }
    SetRunning(true);
    StartDownload(0);
}

void TForm1::SetRunning(bool running) {
    run_.running = running;
    btn5->SetCaption(Utf8ToAnsi(running ? "停止下载" : "开始下载图片"));
    // The stylesheet, the folder and the addresses stay as the run took them.
    for (TButton* b : {btn1, btn2, btn3, btn4}) b->SetEnabled(!running);
}

void TForm1::StopRun() {
    if (!run_.running || run_.endTick) return;
    tmr1->SetEnabled(false);
    run_.endTick = true;
    run_.settings.control->Cancel();
    // The addresses not started yet get their rows, cancelled.
    for (int p = static_cast<int>(Tag()) + 1; p < mmo2->Lines().Count(); ++p) {
        const int item = AddRow(p, std::string());
        FailRow(item, download::Failure::Cancelled, 0, "not started");
    }
    RewriteWhenTransfersEnd();
}

void TForm1::tmr1Timer(TObject*) {
    tmr1->SetEnabled(false);
    // A completion that comes after the run has ended re-arms the timer; its tick does nothing.
    if (run_.endTick) return;
    SetTag(Tag() + 1);
    if (Tag() > mmo2->Lines().Count() - 1) {
        run_.endTick = true;
        RewriteWhenTransfersEnd();
        return;
    }
    StartDownload(static_cast<int>(Tag()));
    ListView1->Scroll(0, 100000);
}

int TForm1::AddRow(int position, const std::string& name) {
    TListItem* item = ListView1->Items().Add();
    item->SetCaption(std::to_string(position));
    item->SubItems().Add("");
    item->SubItems().Add(name);
    item->SubItems().Add(LineOf(mmo1, position));
    run_.rows.push_back(
        {false, ReferenceFor(name, LineOf(mmo1, position), run_.encoding), LineOf(mmo2, position)});
    return item->Index();
}

void TForm1::StartDownload(int position) {
    const std::string address = LineOf(mmo2, position);
    const std::string reference = LineOf(mmo1, position);
    // A data: reference is its own image, also once step three has put a prefix before it.
    const bool data = download::IsDataAddress(address) || download::IsDataAddress(reference);
    const std::string request = data ? std::string() : RequestAddress(address, run_.encoding);
    // The name actually written can neither leave the folder nor be invalid; where the image
    // lands in the end (a prefixed name, or a file already there with its bytes) the worker
    // learns when it puts the file in place.
    const std::string name = data ? std::string() : LocalFileName(*this, request);
    CurrentItem = position;
    CurrentItem = AddRow(position, name);
    if (!request.empty()) run_.rows.back().address = request;
    if (data) {
        FailRow(CurrentItem, download::Failure::Embedded, 0, "a data: reference is its own image");
        return;
    }
    // Without a name no file can be written: the row fails without a request.
    if (name.empty()) {
        FailRow(CurrentItem, download::Failure::NoName, 0, "the address names no file");
        return;
    }
    CurrentURL = request;
    CurrentFile = Hint() + name;
    if (!StartDownloadWorker(downloadChannel_, run_.id, run_.settings)) {
        FailRow(CurrentItem, download::Failure::NoWorker, 0, SystemErrorText(GetLastError()));
        return;
    }
    ++run_.active;
}

void TForm1::LogRow(int item, const std::string& outcome, const std::string& detail) {
    if (static_cast<size_t>(item) >= run_.rows.size()) return;
    TListItem* row = ListView1->Items()[item];
    // The log is a help, never a reason for a run to stop.
    AppendLine(run_.settings.folder + std::string(download::kDownloadLogName),
               download::LogLine(item, outcome, run_.rows[static_cast<size_t>(item)].address,
                                 row->SubItems().Count() > 1 ? row->SubItems()[1] : "", detail));
}

void TForm1::FailRow(int item, download::Failure failure, unsigned long httpStatus,
                     const std::string& detail) {
    if (item < 0 || item >= ListView1->Items().Count()) return;
    if (static_cast<size_t>(item) < run_.rows.size())
        run_.rows[static_cast<size_t>(item)].failed = true;
    TListItem* row = ListView1->Items()[item];
    row->SetCaption(Utf8ToAnsi(download::FailedCaption(item)));
    const std::string reason = Utf8ToAnsi(download::ShortReason(failure, httpStatus));
    row->SubItems().Put(0, reason);
    LogRow(item, reason, detail);
    // One failed image does not hold up the others: the next tick takes the next address.
    if (!run_.endTick) tmr1->SetEnabled(true);
}

void TForm1::DownloadEvents() {
    static const char separator = DecimalSeparator();
    for (const DownloadEvent& e : downloadChannel_->Take()) {
        if (e.run != run_.id || e.item < 0 || e.item >= ListView1->Items().Count()) continue;
        TListItem* item = ListView1->Items()[e.item];
        if (e.kind == DownloadEvent::Progress) {
            download::ProgressTexts t =
                download::ProgressFor(e.progress, e.maximum, e.item, separator);
            item->SetCaption(Utf8ToAnsi(t.caption));
            item->SubItems().Put(0, Utf8ToAnsi(t.progress));
            if (t.complete && !run_.endTick) tmr1->SetEnabled(true);
            continue;
        }
        --run_.active;
        if (e.ok) {
            RowState& row = run_.rows[static_cast<size_t>(e.item)];
            item->SubItems().Put(1, e.fileName);
            row.reference = ReferenceFor(e.fileName, item->SubItems()[2], run_.encoding);
            LogRow(e.item, Utf8ToAnsi("完成"), e.reason);
        } else {
            FailRow(e.item, e.failure, e.httpStatus, e.reason);
        }
        RewriteWhenTransfersEnd();
    }
}

void TForm1::RewriteWhenTransfersEnd() {
    // The stylesheet may point only at files that are there: wait for every transfer.
    if (!run_.endTick || run_.active > 0 || !run_.running) return;
    SetRunning(false);
    if (run_.rewritten) return;
    run_.rewritten = true;
    btn6->Click();
}

bool TForm1::ConfirmCloseDuringRun() {
    if (!run_.running) return true;
    const std::string question = Utf8ToAnsi("下载尚未完成，确定要退出吗？");
    const bool yes = ConfirmClose ? ConfirmClose(question)
                                  : MessageBoxW(WindowHandle(), Widen(question).c_str(),
                                                Widen(Application->Title()).c_str(),
                                                MB_YESNO | MB_ICONQUESTION) == IDYES;
    if (!yes) return false;
    // Leaving: the stylesheet is not rewritten; every transfer ends and removes its file.
    run_.rewritten = true;
    StopRun();
    const ULONGLONG until = GetTickCount64() + 10000;
    while (run_.running && GetTickCount64() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        DownloadEvents();
    }
    return true;
}

void TForm1::btn6Click(TObject*) {
    if (!chk1->Checked()) return;
    const std::string path = stylesheet_.path;
    if (path.empty()) return; // no stylesheet was opened
    const std::string text = Memo1->GetText();
    std::vector<download::RowOutcome> rows;
    for (int i = 0; i < ListView1->Items().Count(); ++i) {
        TListItem* item = ListView1->Items()[i];
        const RowState* row = static_cast<size_t>(i) < run_.rows.size()
                                  ? &run_.rows[static_cast<size_t>(i)]
                                  : nullptr;
        rows.push_back({item->SubItems().Count() > 1 ? item->SubItems()[1] : std::string(),
                        row && row->failed, row ? row->reference : std::string()});
    }
    const std::string rewritten =
        download::Rewrite(text, download::PairByPosition(mmo1->GetText(), rows));
    // Edits made to the file elsewhere since it was loaded or last written go into the backup
    // as they are on disk; otherwise the backup is the text as held.
    std::string backup = text;
    bool editedElsewhere = false;
    try {
        std::string disk = ReadFileBytes(path);
        if (stylesheet_.disk.known && download::Fingerprint(disk) != stylesheet_.disk) {
            backup = std::move(disk);
            editedElsewhere = true;
        }
    } catch (const std::exception&) {
        // Gone or unreadable: nothing on disk to keep.
    }
    WriteBackup(path, backup);
    WriteFileAtomic(path, rewritten);
    // Only a stylesheet that is on disk changes the held text: after a failed write the next
    // run backs up and rewrites the same text again.
    Memo1->SetText(rewritten);
    stylesheet_.disk = download::Fingerprint(rewritten);
    if (editedElsewhere)
        Application->HandleException(
            this, Exception(Utf8ToAnsi("样式表文件“") + path +
                            Utf8ToAnsi("”在载入后被其他程序修改过。修改后的内容已保存在备份文件“") +
                            path + Utf8ToAnsi(".bak”中，样式表已按本次下载改写。")));
}

void TForm1::WriteBackup(const std::string& path, const std::string& bytes) {
    const std::string bak = download::BackupPath(path, 0);
    const DWORD attributes = GetFileAttributesA(bak.c_str());
    // A folder in the way fails in the write below, with the system's reason.
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (ReadFileBytes(bak) == bytes) return;
        // The backup there may be the only copy of the stylesheet as first opened: it moves
        // to the first free numbered name, which the file system refuses to take twice.
        for (unsigned n = 1;; ++n) {
            const std::string older = download::BackupPath(path, n);
            if (MoveFileExA(bak.c_str(), older.c_str(), MOVEFILE_WRITE_THROUGH)) break;
            const DWORD error = GetLastError();
            if ((error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS &&
                 error != ERROR_ACCESS_DENIED) ||
                n >= 100000)
                throw EFCreateError(older, SystemErrorText(error));
        }
    }
    WriteFileAtomic(bak, bytes);
}
