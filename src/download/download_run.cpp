// Step four of the main window: the download run, paced by tmr1, and the stylesheet rewrite.
#include "app/main_form.h"
#include "analysis/conversion.h"
#include "analysis/encoding.h"
#include "analysis/system_codec.h"
#include "app/web_addresses.h"
#include "download/atomic_file.h"
#include "download/collision_random.h"
#include "download/download_worker.h"
#include "download/file_names.h"
#include "download/progress_text.h"
#include "download/rewrite.h"
#include "toolkit/exceptions.h"
#include "toolkit/forms.h"
#include "toolkit/win_text.h"

namespace {
constexpr UINT WM_DOWNLOAD_EVENTS = WM_APP + 1;

// One sequence per program run: every start draws the same prefixes.
download::CollisionRandom& CollisionPrefixes() {
    static download::CollisionRandom random;
    return random;
}

char DecimalSeparator() {
    char sep[4] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 0 && sep[0])
        return sep[0];
    return '.';
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
}

std::string TForm1::geturlfn(const std::string& url) {
    return download::UrlFileName(url);
}

void TForm1::btn5Click(TObject*) {
    SetTag(0);
    // A new run: notifications of earlier workers no longer reach the list.
    run_ = RunState{run_.id + 1};
    run_.encoding = analysis::DetectEncoding(Memo1->GetText());
    run_.referrer = ReferrerFrom(lbledt2->GetText(), run_.encoding);
    ListView1->Items().Clear();
    wb1->SetAlign(alClient);
    wb1->Navigate(Widen(kProductPageUrl));
    wb1->SetAlign(alNone);
    wb1->SetBounds(-3, -3, 300, 350);
    pnl3->Show();
    if (mmo2->Lines().Count() == 0) return;
    StartDownload(0, false);
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
    StartDownload(static_cast<int>(Tag()), true);
    ListView1->Scroll(0, 100000);
}

void TForm1::StartDownload(int position, bool collisionCheck) {
    const std::string address = LineOf(mmo2, position);
    const std::string reference = LineOf(mmo1, position);
    // A data: reference is its own image: there is nothing to fetch.
    const bool data = download::IsDataAddress(address);
    const std::string request = data ? std::string() : RequestAddress(address, run_.encoding);
    // The name actually written can neither leave the folder nor be invalid.
    std::string name = data ? std::string() : LocalFileName(*this, request);
    TListItem* item = ListView1->Items().Add();
    CurrentItem = position;
    if (collisionCheck && !name.empty() && IsFile(Hint() + name))
        name = CollisionPrefixes().NextPrefix() + name;
    item->SetCaption(std::to_string(CurrentItem));
    item->SubItems().Add("");
    item->SubItems().Add(name);
    item->SubItems().Add(reference);
    CurrentItem = item->Index();
    run_.rows.push_back({false, ReferenceFor(name, reference, run_.encoding)});
    // Without a name no file can be written: the row fails without a request.
    if (name.empty()) {
        FailRow(CurrentItem);
        return;
    }
    CurrentURL = request;
    CurrentFile = Hint() + name;
    ++run_.active;
    StartDownloadWorker(downloadChannel_, run_.id, run_.referrer);
}

void TForm1::FailRow(int item) {
    if (item < 0 || item >= ListView1->Items().Count()) return;
    if (static_cast<size_t>(item) < run_.rows.size())
        run_.rows[static_cast<size_t>(item)].failed = true;
    ListView1->Items()[item]->SetCaption(Utf8ToAnsi(download::FailedCaption(item)));
    // One failed image does not hold up the others: the next tick takes the next address.
    tmr1->SetEnabled(true);
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
            if (t.complete) tmr1->SetEnabled(true);
            continue;
        }
        --run_.active;
        if (!e.ok) FailRow(e.item);
        RewriteWhenTransfersEnd();
    }
}

void TForm1::RewriteWhenTransfersEnd() {
    // The stylesheet may point only at files that are there: wait for every transfer.
    if (!run_.endTick || run_.active > 0 || run_.rewritten) return;
    run_.rewritten = true;
    btn6->Click();
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
    WriteFileAtomic(path + ".bak", backup);
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
