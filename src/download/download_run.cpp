// Step four of the main window: the download run, paced by tmr1, and the stylesheet rewrite.
#include "app/main_form.h"
#include "app/web_addresses.h"
#include "download/atomic_file.h"
#include "download/collision_random.h"
#include "download/download_worker.h"
#include "download/file_names.h"
#include "download/progress_text.h"
#include "download/rewrite.h"
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
    const std::string url = LineOf(mmo2, position);
    // The name actually written can neither leave the folder nor be invalid.
    std::string name = download::SafeFileName(geturlfn(url));
    TListItem* item = ListView1->Items().Add();
    CurrentItem = position;
    if (collisionCheck && !name.empty() && IsFile(Hint() + name))
        name = CollisionPrefixes().NextPrefix() + name;
    item->SetCaption(std::to_string(CurrentItem));
    item->SubItems().Add("");
    item->SubItems().Add(name);
    item->SubItems().Add(LineOf(mmo1, position));
    CurrentItem = item->Index();
    CurrentURL = url;
    CurrentFile = Hint() + name;
    run_.rows.push_back({});
    ++run_.active;
    StartDownloadWorker(downloadChannel_, run_.id);
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
        if (static_cast<size_t>(e.item) < run_.rows.size())
            run_.rows[static_cast<size_t>(e.item)].failed = !e.ok;
        if (!e.ok) item->SetCaption(Utf8ToAnsi(download::FailedCaption(e.item)));
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
    const std::string path = dlgOpen1->FileName();
    if (path.empty()) return; // no stylesheet was opened
    const std::string text = Memo1->GetText();
    WriteFileAtomic(path + ".bak", text);
    std::vector<download::RowOutcome> rows;
    for (int i = 0; i < ListView1->Items().Count(); ++i) {
        TListItem* item = ListView1->Items()[i];
        bool failed =
            static_cast<size_t>(i) < run_.rows.size() && run_.rows[static_cast<size_t>(i)].failed;
        rows.push_back(
            {item->SubItems().Count() > 1 ? item->SubItems()[1] : std::string(), failed});
    }
    const std::string rewritten =
        download::Rewrite(text, download::PairByPosition(mmo1->GetText(), rows));
    Memo1->SetText(rewritten);
    WriteFileAtomic(path, rewritten);
}
