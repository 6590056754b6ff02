#include "app_fixture.h"

#include "app/shell_open.h"
#include "app/web_addresses.h"
#include "http_server.h"
#include "toolkit/win_text.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <regex>

namespace {

std::string A(const char* utf8) {
    return Utf8ToAnsi(utf8);
}
void Press(TButton* b) {
    SendMessageW(b->WindowHandle(), BM_CLICK, 0, 0);
}

std::string Fixture(const std::string& relative) {
    return ReadAll(std::string(CORVANE_SOURCE_DIR) + "/../shared/fixtures/" + relative);
}

std::string Row(TForm1& f, int i, int column) {
    TListItem* item = f.ListView1->Items()[i];
    return column == 0 ? item->Caption() : item->SubItems()[column - 1];
}

// A window with a stylesheet opened from `dir` and the references and addresses given. Every
// run it makes must leave each rewritten reference resolving to the bytes `server` served.
struct Workflow {
    std::unique_ptr<TForm1> form = MakeMainForm();
    TempDir dir;
    std::string cssPath;
    const HttpServer* server = nullptr;
    Workflow(const std::string& css, const std::vector<std::string>& refs,
             const std::vector<std::string>& urls, const HttpServer* images = nullptr)
        : server(images) {
        cssPath = dir.Write("style.css", css);
        DialogDriver driver(Widen(cssPath));
        Press(form->btn1);
        PumpFor(20);
        std::string r, u;
        for (auto& s : refs) r += s + "\r\n";
        for (auto& s : urls) u += s + "\r\n";
        form->mmo1->SetText(r);
        form->mmo2->SetText(u);
    }
    ::testing::AssertionResult Run(int timeoutMs = 20000) {
        const size_t errors = ShownErrors().size();
        Press(form->btn5);
        if (!PumpUntil([&] { return form->RunEnded() && !form->Running(); }, timeoutMs)) {
            auto failure = ::testing::AssertionFailure() << "the run did not end; rows:";
            for (int i = 0; i < form->ListView1->Items().Count(); ++i)
                failure << " [" << Row(*form, i, 0) << " " << Row(*form, i, 1) << "]";
            return failure;
        }
        const DWORD backup = GetFileAttributesA((cssPath + ".bak").c_str());
        // A rewrite that could not write has nothing to check.
        if (!form->chk1->Checked() || backup == INVALID_FILE_ATTRIBUTES ||
            (backup & FILE_ATTRIBUTE_DIRECTORY) || ShownErrors().size() > errors)
            return ::testing::AssertionSuccess();
        return RewrittenReferencesResolve(*form, cssPath, nullptr, server);
    }
};

bool NoTemporaryFiles(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "~cv*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return true;
    FindClose(find);
    return false;
}

// Which file of the folder, if any, holds exactly `bytes`.
std::string FileHolding(const std::string& folder, const std::string& bytes) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    std::string name;
    if (find == INVALID_HANDLE_VALUE) return name;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            ReadAll(folder + found.cFileName) == bytes)
            name = found.cFileName;
    } while (name.empty() && FindNextFileA(find, &found));
    FindClose(find);
    return name;
}

} // namespace

TEST(DownloadRun, EndToEndWithARealTheme) {
    HttpServer server;
    const char* images[] = {"select2.png", "select2-spinner.gif", "select2x2.png"};
    for (const char* name : images)
        server.AddFile(std::string("/theme/") + name, Fixture(std::string("select2/") + name));
    std::string original = Fixture("select2/select2.css");
    ASSERT_FALSE(original.empty());
    TempDir pageDir;
    SetShellOpenFunction([](HWND, const std::string&) {});
    auto form = MakeMainForm();
    form->TestPageFolder = pageDir.Path();
    TempDir dir;
    std::string css = dir.Write("select2.css", original);
    {
        DialogDriver driver(Widen(css));
        Press(form->btn1);
    }
    Press(form->btn2);
    ASSERT_EQ(form->mmo1->Lines().Count(), 3) << form->mmo1->GetText();
    form->lbledt2->SetText(server.Url("/theme/"));
    Press(form->btn3);
    SetShellOpenFunction(nullptr);
    Press(form->btn5);
    ASSERT_TRUE(PumpUntil([&] { return form->RunEnded(); }, 20000));
    EXPECT_TRUE(ShownErrors().empty());
    for (int i = 0; i < 3; ++i) {
        std::string name = form->mmo1->Lines()[i];
        EXPECT_EQ(Row(*form, i, 0), A("完成") + std::to_string(i));
        EXPECT_EQ(Row(*form, i, 1), "100%");
        EXPECT_EQ(Row(*form, i, 2), name);
        EXPECT_EQ(Row(*form, i, 3), name);
        EXPECT_EQ(ReadAll(dir.Path() + name), Fixture("select2/" + name)) << name;
    }
    std::string normalized = std::regex_replace(original, std::regex("\r?\n"), "\r\n");
    EXPECT_EQ(ReadAll(css + ".bak"), normalized);
    // References are bare names already, so the rewrite keeps the text as it was.
    EXPECT_EQ(ReadAll(css), normalized);
    EXPECT_EQ(form->Tag(), 3);
    int checked = 0;
    EXPECT_TRUE(RewrittenReferencesResolve(*form, css, &checked, &server));
    EXPECT_GT(checked, 0);
}

TEST(DownloadRun, RewritePointsAtTheLocalCopies) {
    HttpServer server;
    server.AddFile("/site/images/a.gif", "GIF-a");
    server.AddFile("/img/b.png", "PNG-b");
    Workflow w(
        "x{background:url('images/a.gif')}\ny{background:url(/img/b.png)}\n/* images/a.gif */",
        {"images/a.gif", "/img/b.png"},
        {server.Url("/site/images/a.gif"), server.Url("/img/b.png")}, &server);
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(ReadAll(w.dir.Path() + "a.gif"), "GIF-a");
    EXPECT_EQ(ReadAll(w.dir.Path() + "b.png"), "PNG-b");
    EXPECT_EQ(
        ReadAll(w.cssPath + ".bak"),
        "x{background:url('images/a.gif')}\r\ny{background:url(/img/b.png)}\r\n/* images/a.gif */");
    EXPECT_EQ(ReadAll(w.cssPath),
              "x{background:url('a.gif')}\r\ny{background:url(b.png)}\r\n/* a.gif */");
    EXPECT_EQ(w.form->Memo1->GetText(), ReadAll(w.cssPath));
    int checked = 0;
    EXPECT_TRUE(RewrittenReferencesResolve(*w.form, w.cssPath, &checked, &server));
    EXPECT_EQ(checked, 2);
    // A second run on the same stylesheet backs up the once-rewritten text; the backup of the
    // stylesheet as first opened moves aside instead of being overwritten.
    w.form->mmo1->SetText("a.gif\r\n");
    w.form->mmo2->SetText(server.Url("/site/images/a.gif") + "\r\n");
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(ReadAll(w.cssPath + ".bak"),
              "x{background:url('a.gif')}\r\ny{background:url(b.png)}\r\n/* a.gif */");
    EXPECT_EQ(
        ReadAll(w.cssPath + ".bak.1"),
        "x{background:url('images/a.gif')}\r\ny{background:url(/img/b.png)}\r\n/* images/a.gif */");
    // The same image again is the file already there: no second copy.
    EXPECT_EQ(Row(*w.form, 0, 2), "a.gif");
    EXPECT_EQ(GetFileAttributesA((w.dir.Path() + "0_a.gif").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DownloadRun, EmptyAddressListShowsTheProductPageOnly) {
    Workflow w("a{}", {}, {});
    w.form->ListView1->Items().Add()->SetCaption("old");
    Press(w.form->btn5);
    PumpFor(300);
    EXPECT_EQ(w.form->ListView1->Items().Count(), 0);
    EXPECT_TRUE(w.form->pnl3->Visible());
    EXPECT_EQ(w.form->wb1->LastUrl(), Widen(kProductPageUrl));
    EXPECT_EQ(w.form->wb1->Align(), alNone);
    EXPECT_EQ(w.form->wb1->Left(), -3);
    EXPECT_EQ(w.form->wb1->Top(), -3);
    EXPECT_EQ(w.form->wb1->Width(), 300);
    EXPECT_EQ(w.form->wb1->Height(), 350);
    EXPECT_FALSE(w.form->tmr1->Enabled());
    EXPECT_EQ(ReadAll(w.cssPath + ".bak"), "");
    EXPECT_EQ(GetFileAttributesA((w.cssPath + ".bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DownloadRun, FailuresInTheMiddleDoNotStopTheRun) {
    HttpServer server;
    server.AddFile("/img/a.gif", "A");
    server.AddError("/img/missing.gif", 404);
    server.AddFile("/img/c.gif", "C");
    const std::string data = "data:image/gif;base64,R0lGODlhAQABAAAAACw=";
    const std::string css =
        "url(img/a.gif) url(img/missing.gif) url(" + data + ") url(dir/) url(img/c.gif)";
    Workflow w(css, {"img/a.gif", "img/missing.gif", data, "dir/", "img/c.gif"},
               // Step three puts its prefix before a data: reference too.
               {server.Url("/img/a.gif"), server.Url("/img/missing.gif"), server.Url("/") + data,
                server.Url("/dir/"), server.Url("/img/c.gif")},
               &server);
    ASSERT_TRUE(w.Run());
    ASSERT_EQ(w.form->ListView1->Items().Count(), 5);
    EXPECT_EQ(Row(*w.form, 0, 0), A("完成0"));
    EXPECT_EQ(Row(*w.form, 1, 0), A("失败1"));
    EXPECT_EQ(Row(*w.form, 1, 1), "404");
    EXPECT_EQ(Row(*w.form, 2, 0), A("失败2"));
    EXPECT_EQ(Row(*w.form, 2, 1), A("内嵌图片"));
    EXPECT_EQ(Row(*w.form, 3, 0), A("失败3"));
    EXPECT_EQ(Row(*w.form, 4, 0), A("完成4"));
    EXPECT_EQ(GetFileAttributesA((w.dir.Path() + "missing.gif").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadAll(w.dir.Path() + "c.gif"), "C");
    // A data: reference and an address without a name are never requested.
    EXPECT_EQ(server.RequestCount(), 3);
    for (const std::string& head : server.RequestHeads())
        EXPECT_EQ(head.find("data:"), std::string::npos) << head;
    EXPECT_EQ(server.RequestCount("/dir/"), 0);
    // The rewrite ran, and left the references that failed pointing at the web.
    EXPECT_EQ(ReadAll(w.cssPath),
              "url(a.gif) url(img/missing.gif) url(" + data + ") url(dir/) url(c.gif)");
    // One log line per row beside the stylesheet, with the reason and the address.
    const std::string log = ReadAll(w.dir.Path() + "corvane-download.log");
    EXPECT_NE(log.find("1\t404\tmissing.gif\t" + server.Url("/img/missing.gif") + "\tHTTP 404"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("4\t" + A("完成") + "\tc.gif\t" + server.Url("/img/c.gif")),
              std::string::npos)
        << log;
    EXPECT_TRUE(ShownErrors().empty());
}

TEST(DownloadRun, NothingInTheFolderIsOverwritten) {
    HttpServer server;
    server.AddFile("/one/a.gif", "first");
    server.AddFile("/two/a.gif", "second");
    server.AddFile("/three/a.gif", "old file"); // the very bytes already there
    Workflow w(
        "url(one/a.gif) url(two/a.gif) url(three/a.gif)", {"one/a.gif", "two/a.gif", "three/a.gif"},
        {server.Url("/one/a.gif"), server.Url("/two/a.gif"), server.Url("/three/a.gif")}, &server);
    w.dir.Write("a.gif", "old file");
    ASSERT_TRUE(w.Run());
    // The file that was there stays; each download takes a prefixed name of its own, checked
    // against the folder every time; the download with the same bytes uses the file there.
    EXPECT_EQ(ReadAll(w.dir.Path() + "a.gif"), "old file");
    const std::string first = Row(*w.form, 0, 2), second = Row(*w.form, 1, 2);
    EXPECT_TRUE(std::regex_match(first, std::regex("[0-9]{1,4}_a\\.gif"))) << first;
    EXPECT_TRUE(std::regex_match(second, std::regex("[0-9]{1,4}_a\\.gif"))) << second;
    EXPECT_NE(first, second);
    EXPECT_EQ(ReadAll(w.dir.Path() + first), "first");
    EXPECT_EQ(ReadAll(w.dir.Path() + second), "second");
    EXPECT_EQ(Row(*w.form, 2, 2), "a.gif");
    EXPECT_EQ(ReadAll(w.cssPath), "url(" + first + ") url(" + second + ") url(a.gif)");
}

TEST(DownloadRun, TheStylesheetAndItsBackupsAreNoTargets) {
    HttpServer server;
    server.AddFile("/img/style.css", "image named like the stylesheet");
    server.AddFile("/img/style.css.bak", "image named like the backup");
    server.AddFile("/img/STYLE.CSS.BAK.1", "image named like an older backup");
    const std::string css = "url(img/style.css) url(img/style.css.bak) url(img/STYLE.CSS.BAK.1)";
    Workflow w(css, {"img/style.css", "img/style.css.bak", "img/STYLE.CSS.BAK.1"},
               {server.Url("/img/style.css"), server.Url("/img/style.css.bak"),
                server.Url("/img/STYLE.CSS.BAK.1")},
               &server);
    ASSERT_TRUE(w.Run());
    EXPECT_TRUE(ShownErrors().empty()); // no "edited by another program"
    EXPECT_EQ(ReadAll(w.cssPath + ".bak"), css);
    EXPECT_EQ(GetFileAttributesA((w.cssPath + ".bak.1").c_str()), INVALID_FILE_ATTRIBUTES);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Row(*w.form, i, 0), A("完成") + std::to_string(i));
        EXPECT_TRUE(std::regex_match(Row(*w.form, i, 2), std::regex("[0-9]{1,4}_.*")))
            << Row(*w.form, i, 2);
    }
}

TEST(DownloadRun, HostileNamesStayInTheFolder) {
    HttpServer server;
    server.AddFile("/CON", "device");
    server.AddFile("/a:b*c?.gif", "colon");
    Workflow w("x", {"con", "b"}, {server.Url("/CON"), server.Url("/a:b*c?.gif")}, &server);
    // geturlfn keeps its rules; the name written is made safe.
    EXPECT_EQ(w.form->geturlfn("http://h/s/..\\..\\evil.exe?x=/y"), "y");
    EXPECT_EQ(w.form->geturlfn("http://h/a:b*c?.gif"), "a:b*c");
    ASSERT_TRUE(w.Run());
    std::string first = Row(*w.form, 0, 2), second = Row(*w.form, 1, 2);
    EXPECT_NE(first, "CON");
    EXPECT_EQ(ReadAll(w.dir.Path() + first), "device");
    EXPECT_EQ(second.find_first_of(":*?"), std::string::npos);
    EXPECT_EQ(ReadAll(w.dir.Path() + second), "colon");
}

TEST(DownloadRun, AddressEndingInSlashHasNoName) {
    HttpServer server;
    server.AddFile("/dir/", "index");
    Workflow w("url(dir/)", {"dir/"}, {server.Url("/dir/")}, &server);
    Press(w.form->btn5);
    ASSERT_TRUE(PumpUntil([&] { return Row(*w.form, 0, 0) == A("失败0"); }, 10000));
    EXPECT_EQ(Row(*w.form, 0, 2), "");
}

TEST(DownloadRun, UncheckedBoxTouchesNoFile) {
    HttpServer server;
    server.AddFile("/a.gif", "A");
    Workflow w("url(a.gif)", {"a.gif"}, {server.Url("/a.gif")}, &server);
    w.form->chk1->SetChecked(false);
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(ReadAll(w.dir.Path() + "a.gif"), "A");
    EXPECT_EQ(GetFileAttributesA((w.cssPath + ".bak").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadAll(w.cssPath), "url(a.gif)");
}

TEST(DownloadRun, EmptyBodyCompletesAtZeroOfZero) {
    HttpServer server;
    server.AddWithoutLength("/empty.gif", "");
    Workflow w("url(empty.gif)", {"empty.gif"}, {server.Url("/empty.gif")}, &server);
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(Row(*w.form, 0, 0), A("完成0"));
    EXPECT_EQ(Row(*w.form, 0, 1), "100%");
}

TEST(DownloadRun, StopCancelsTheRestAndRewritesWhatArrived) {
    HttpServer server;
    server.AddFile("/img/fast.gif", "F");
    server.AddSlow("/img/slow.gif", std::string(4000, 's'), 1000, 400);
    server.AddFile("/img/later.gif", "L");
    Workflow w(
        "url(img/fast.gif) url(img/slow.gif) url(img/later.gif)",
        {"img/fast.gif", "img/slow.gif", "img/later.gif"},
        {server.Url("/img/fast.gif"), server.Url("/img/slow.gif"), server.Url("/img/later.gif")},
        &server);
    EXPECT_EQ(w.form->btn5->Caption(), A("开始下载图片"));
    Press(w.form->btn5);
    ASSERT_TRUE(PumpUntil([&] { return w.form->ListView1->Items().Count() == 2; }, 10000));
    // While it runs: the button stops it and steps one to three wait.
    EXPECT_EQ(w.form->btn5->Caption(), A("停止下载"));
    for (TButton* b : {w.form->btn1, w.form->btn2, w.form->btn3, w.form->btn4})
        EXPECT_FALSE(b->Enabled()) << b->Caption();
    Press(w.form->btn5);
    ASSERT_TRUE(PumpUntil([&] { return !w.form->Running(); }, 5000));
    EXPECT_EQ(w.form->btn5->Caption(), A("开始下载图片"));
    for (TButton* b : {w.form->btn1, w.form->btn2, w.form->btn3, w.form->btn4})
        EXPECT_TRUE(b->Enabled()) << b->Caption();
    ASSERT_EQ(w.form->ListView1->Items().Count(), 3);
    EXPECT_EQ(Row(*w.form, 0, 0), A("完成0"));
    EXPECT_EQ(Row(*w.form, 1, 1), A("已取消"));
    EXPECT_EQ(Row(*w.form, 2, 1), A("已取消"));
    EXPECT_EQ(server.RequestCount("/img/later.gif"), 0);
    EXPECT_EQ(GetFileAttributesA((w.dir.Path() + "slow.gif").c_str()), INVALID_FILE_ATTRIBUTES);
    // The image that arrived is in the stylesheet; the others still point at the web.
    EXPECT_EQ(ReadAll(w.cssPath), "url(fast.gif) url(img/slow.gif) url(img/later.gif)");
    EXPECT_TRUE(RewrittenReferencesResolve(*w.form, w.cssPath, nullptr, &server));
    // The stopped transfer's temporary file goes as soon as the transfer notices.
    EXPECT_TRUE(PumpUntil([&] { return NoTemporaryFiles(w.dir.Path()); }, 3000));
    // A new run starts clean: nothing of the stopped one reaches its rows.
    w.form->mmo1->SetText("img/later.gif\r\n");
    w.form->mmo2->SetText(server.Url("/img/later.gif") + "\r\n");
    ASSERT_TRUE(w.Run());
    PumpFor(300);
    ASSERT_EQ(w.form->ListView1->Items().Count(), 1);
    EXPECT_EQ(Row(*w.form, 0, 0), A("完成0"));
    EXPECT_EQ(Row(*w.form, 0, 2), "later.gif");
}

TEST(DownloadRun, NoLeaksAfterManyImages) {
    HttpServer server;
    std::vector<std::string> refs, urls;
    for (int i = 0; i < 200; ++i) {
        std::string name = NumberedName("i", i, ".gif");
        server.AddFile("/" + name, "image " + std::to_string(i));
        refs.push_back(name);
        urls.push_back(server.Url("/" + name));
    }
    {
        // A first run fills the system's one-time caches (list scrolling, fonts).
        Workflow warm("x", std::vector<std::string>(refs.begin(), refs.begin() + 40),
                      std::vector<std::string>(urls.begin(), urls.begin() + 40), &server);
        ASSERT_TRUE(warm.Run());
        PumpUntil([&] { return RunningDownloadWorkers() == 0; });
    }
    PumpFor(100);
    GuiCounts gui = CurrentGuiCounts();
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    {
        Workflow w("x", refs, urls, &server);
        ASSERT_TRUE(w.Run(60000));
        EXPECT_EQ(ReadAll(w.dir.Path() + "i199.gif"), "image 199");
        PumpUntil([&] { return RunningDownloadWorkers() == 0; });
    }
    PumpFor(100);
    DWORD after = 0;
    GetProcessHandleCount(GetCurrentProcess(), &after);
    EXPECT_LE(after, handles + 5); // threads and files closed
    EXPECT_LE(CurrentGuiCounts().gdi, gui.gdi + 2);
    EXPECT_LE(CurrentGuiCounts().user, gui.user + 2);
}

TEST(DownloadRun, EditsMadeElsewhereGoIntoTheBackup) {
    HttpServer server;
    server.AddFile("/a.gif", "A");
    Workflow w("url(x/a.gif)", {"x/a.gif"}, {server.Url("/a.gif")}, &server);
    w.dir.Write("style.css", "url(x/a.gif) /* edited elsewhere */");
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(ReadAll(w.cssPath + ".bak"), "url(x/a.gif) /* edited elsewhere */");
    EXPECT_EQ(ReadAll(w.cssPath), "url(a.gif)");
    ASSERT_EQ(ShownErrors().size(), 1u);
    EXPECT_NE(ShownErrors()[0].find(w.cssPath + ".bak"), std::string::npos) << ShownErrors()[0];
    // Unchanged since that rewrite: the next backup is the held text, with no message.
    ShownErrors().clear();
    w.form->mmo1->SetText("a.gif\r\n");
    w.form->mmo2->SetText(server.Url("/a.gif") + "\r\n");
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(ReadAll(w.cssPath + ".bak"), "url(a.gif)");
    EXPECT_TRUE(ShownErrors().empty());
}

TEST(DownloadRun, FailedWritesInTheRewriteKeepTheHeldText) {
    HttpServer server;
    server.AddFile("/a.gif", "A");
    Workflow w("url(x/a.gif)", {"x/a.gif"}, {server.Url("/a.gif")}, &server);
    // A folder where the backup should go: the backup cannot be written.
    ASSERT_TRUE(CreateDirectoryA((w.cssPath + ".bak").c_str(), nullptr));
    ASSERT_TRUE(w.Run());
    EXPECT_EQ(ShownErrors().size(), 1u);
    EXPECT_EQ(ReadAll(w.cssPath), "url(x/a.gif)");
    EXPECT_EQ(w.form->Memo1->GetText(), "url(x/a.gif)");
    RemoveDirectoryA((w.cssPath + ".bak").c_str());
    // The stylesheet itself held open without sharing: its write fails after the backup.
    HANDLE lock = CreateFileA(w.cssPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ShownErrors().clear();
    ASSERT_TRUE(w.Run());
    CloseHandle(lock);
    EXPECT_EQ(ShownErrors().size(), 1u);
    EXPECT_EQ(ReadAll(w.cssPath), "url(x/a.gif)");
    EXPECT_EQ(w.form->Memo1->GetText(), "url(x/a.gif)");
    EXPECT_EQ(ReadAll(w.cssPath + ".bak"), "url(x/a.gif)");
}

TEST(DownloadRun, Utf8StylesheetEndToEnd) {
    HttpServer server;
    // "背景.png" in UTF-8, requested percent-encoded as a browser requests it.
    server.AddFile("/img/%E8%83%8C%E6%99%AF.png", "PNG-cn");
    server.AddFile("/img/my%20icon.png", "PNG-space");
    server.AddFile("/img/icons.svg", "SVG");
    const std::string css = "a{background:url(img/\xE8\x83\x8C\xE6\x99\xAF.png)}\n"
                            "b{background:url('img/my%20icon.png')}\n"
                            "c{background:url(img/icons.svg#home)}\n";
    TempDir pageDir;
    SetShellOpenFunction([](HWND, const std::string&) {});
    Workflow w(css, {}, {}, &server);
    w.form->TestPageFolder = pageDir.Path();
    Press(w.form->btn2);
    ASSERT_EQ(w.form->mmo1->Lines().Count(), 3) << w.form->mmo1->GetText();
    w.form->lbledt2->SetText(server.Url("/img/").substr(0, server.Url("/").size()));
    Press(w.form->btn3);
    SetShellOpenFunction(nullptr);
    ASSERT_TRUE(w.Run());
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(ReadAll(w.dir.Path() + A("背景.png")), "PNG-cn");
    EXPECT_EQ(ReadAll(w.dir.Path() + "my icon.png"), "PNG-space");
    EXPECT_EQ(ReadAll(w.dir.Path() + "icons.svg"), "SVG");
    EXPECT_EQ(ReadAll(w.cssPath), "a{background:url(\xE8\x83\x8C\xE6\x99\xAF.png)}\r\n"
                                  "b{background:url('my%20icon.png')}\r\n"
                                  "c{background:url(icons.svg#home)}\r\n");
    int checked = 0;
    EXPECT_TRUE(RewrittenReferencesResolve(*w.form, w.cssPath, &checked, &server));
    EXPECT_EQ(checked, 3);
    // Each request names the stylesheet's folder and the product.
    for (const std::string& head : server.RequestHeads())
        EXPECT_NE(head.find("\r\nReferer: " + server.Url("/") + "\r\n"), std::string::npos) << head;
}

TEST(DownloadRun, MixedStylesheetEndToEnd) {
    HttpServer server;
    TlsFront front(server);
    ASSERT_TRUE(front.Ready()) << front.Problem();
    if (!front.AuthorityTrusted()) {
        // The test command sets the prefix up to trust it: there, not trusting it is a fault.
        if (std::getenv("CORVANE_CI"))
            FAIL() << "the test prefix does not trust its authority (chain status "
                   << front.ChainStatus() << ")";
        GTEST_SKIP() << "the test prefix does not trust its authority (chain status "
                     << front.ChainStatus() << ")";
    }
    server.AddFile("/css/img/plain.png", "PLAIN");
    server.AddFile("/abs/a.png", "ABS");   // absolute path, through the https prefix
    server.AddFile("/pr/p.png", "PROTO");  // protocol-relative, takes that prefix's scheme
    server.AddFile("/full/f.png", "FULL"); // a full address in capitals
    server.AddError("/css/img/dead.png", 404);
    server.AddRedirect("/css/img/moved.png", front.Url("/css/img/real.png")); // http to https
    server.AddFile("/css/img/real.png", "REAL");
    server.AddFile("/css/img/icons.svg", "SVG");
    server.AddFile("/css/img/my%20icon.png", "SPACE");
    server.AddFile("/css/img/%E8%83%8C%E6%99%AF.png", "CN");
    const std::string host = "//localhost:" + std::to_string(front.Port());
    const std::string full = "HTTP://127.0.0.1:" + std::to_string(server.Port()) + "/full/f.png";
    const std::string data = "data:image/gif;base64,R0lGODlhAQABAAAAACw=";
    const std::vector<std::string> refs = {"img/plain.png",
                                           "/abs/a.png",
                                           host + "/pr/p.png",
                                           full,
                                           data,
                                           "img/dead.png",
                                           "img/moved.png",
                                           "img/icons.svg#home",
                                           "img/my%20icon.png",
                                           "img/\xE8\x83\x8C\xE6\x99\xAF.png"};
    std::string css;
    for (size_t i = 0; i < refs.size(); ++i)
        css += NumberedName(".r", static_cast<int>(i), "{background:url(") + refs[i] + ")}\n";
    TempDir pageDir;
    SetShellOpenFunction([](HWND, const std::string&) {});
    Workflow w(css, {}, {}, &server);
    w.form->TestPageFolder = pageDir.Path();
    Press(w.form->btn2);
    ASSERT_EQ(w.form->mmo1->Lines().ToVector(), refs);
    w.form->lbledt1->SetText(front.Url(""));
    w.form->lbledt2->SetText(server.Url("/css/"));
    Press(w.form->btn3);
    SetShellOpenFunction(nullptr);
    EXPECT_EQ(w.form->mmo2->Lines()[2], "https:" + host + "/pr/p.png");
    ASSERT_TRUE(w.Run(30000));
    EXPECT_TRUE(ShownErrors().empty());
    ASSERT_EQ(w.form->ListView1->Items().Count(), 10);
    for (int i = 0; i < 10; ++i) {
        const bool fails = i == 4 || i == 5;
        EXPECT_EQ(Row(*w.form, i, 0), A(fails ? "失败" : "完成") + std::to_string(i)) << refs[i];
    }
    const std::pair<const char*, const char*> files[] = {
        {"plain.png", "PLAIN"}, {"a.png", "ABS"},     {"p.png", "PROTO"},      {"f.png", "FULL"},
        {"moved.png", "REAL"},  {"icons.svg", "SVG"}, {"my icon.png", "SPACE"}};
    for (const auto& [name, body] : files) EXPECT_EQ(ReadAll(w.dir.Path() + name), body) << name;
    EXPECT_EQ(ReadAll(w.dir.Path() + A("背景.png")), "CN");
    EXPECT_EQ(GetFileAttributesA((w.dir.Path() + "dead.png").c_str()), INVALID_FILE_ATTRIBUTES);
    int checked = 0;
    EXPECT_TRUE(RewrittenReferencesResolve(*w.form, w.cssPath, &checked, &server));
    EXPECT_EQ(checked, 8);
    // The failed references still point at the web.
    const std::string rewritten = ReadAll(w.cssPath);
    EXPECT_NE(rewritten.find("url(" + data + ")"), std::string::npos);
    EXPECT_NE(rewritten.find("url(img/dead.png)"), std::string::npos);
    EXPECT_NE(rewritten.find("url(icons.svg#home)"), std::string::npos);
}

TEST(DownloadRun, NamesDifferingOnlyInCaseDoNotOverwriteEachOther) {
    HttpServer server;
    server.AddFile("/x/A.gif", "upper");
    server.AddFile("/y/a.gif", "lower");
    Workflow w("url(x/A.gif) url(y/a.gif)", {"x/A.gif", "y/a.gif"},
               {server.Url("/x/A.gif"), server.Url("/y/a.gif")}, &server);
    ASSERT_TRUE(w.Run());
    // The folder does not tell the names apart, so the second is a collision.
    EXPECT_EQ(Row(*w.form, 0, 2), "A.gif");
    const std::string second = Row(*w.form, 1, 2);
    EXPECT_TRUE(std::regex_match(second, std::regex("[0-9]{1,4}_a\\.gif"))) << second;
    EXPECT_EQ(ReadAll(w.dir.Path() + "A.gif"), "upper");
    EXPECT_EQ(ReadAll(w.dir.Path() + second), "lower");
    EXPECT_EQ(ReadAll(w.cssPath), "url(A.gif) url(" + second + ")");
    EXPECT_TRUE(RewrittenReferencesResolve(*w.form, w.cssPath, nullptr, &server));
}

TEST(DownloadRun, TheBoxIsReadWhenTheRunEnds) {
    HttpServer server;
    server.AddSlow("/slow.gif", std::string(4000, 's'), 1000, 150);
    // Checked at the start, cleared during the run: nothing is written.
    {
        Workflow w("url(x/slow.gif)", {"x/slow.gif"}, {server.Url("/slow.gif")}, &server);
        Press(w.form->btn5);
        PumpFor(50);
        ASSERT_FALSE(w.form->RunEnded());
        w.form->chk1->SetChecked(false);
        ASSERT_TRUE(PumpUntil([&] { return w.form->RunEnded(); }, 20000));
        EXPECT_EQ(ReadAll(w.dir.Path() + "slow.gif"), std::string(4000, 's'));
        EXPECT_EQ(ReadAll(w.cssPath), "url(x/slow.gif)");
        EXPECT_EQ(GetFileAttributesA((w.cssPath + ".bak").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    // Cleared at the start, checked during the run: the stylesheet is rewritten.
    {
        Workflow w("url(x/slow.gif)", {"x/slow.gif"}, {server.Url("/slow.gif")}, &server);
        w.form->chk1->SetChecked(false);
        Press(w.form->btn5);
        PumpFor(50);
        ASSERT_FALSE(w.form->RunEnded());
        w.form->chk1->SetChecked(true);
        ASSERT_TRUE(PumpUntil([&] { return w.form->RunEnded(); }, 20000));
        EXPECT_EQ(ReadAll(w.cssPath), "url(slow.gif)");
        EXPECT_EQ(ReadAll(w.cssPath + ".bak"), "url(x/slow.gif)");
    }
}

TEST(DownloadRun, WithoutAStylesheetImagesGoToTheWorkingFolder) {
    HttpServer server;
    server.AddFile("/a.gif", "A");
    TempDir dir;
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
    auto form = MakeMainForm();
    form->mmo1->SetText("img/a.gif\r\n");
    form->mmo2->SetText(server.Url("/a.gif") + "\r\n");
    Press(form->btn5);
    const bool ended = PumpUntil([&] { return form->RunEnded(); }, 20000);
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(form->Hint(), "");
    EXPECT_EQ(Row(*form, 0, 0), A("完成0"));
    EXPECT_EQ(ReadAll(dir.Path() + "a.gif"), "A");
    // No stylesheet, so nothing to rewrite or back up; the held text is untouched.
    EXPECT_EQ(form->Memo1->GetText(), "Memo1\r\n");
    EXPECT_EQ(GetFileAttributesA((dir.Path() + ".bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DownloadRun, BytesThatAreNoCharactersAreFoundAndRequestedAsABrowserDoes) {
    HttpServer server;
    // A GBK stylesheet: its characters are requested as UTF-8, and a byte that is no character
    // as U+FFFD, which is what a browser reading the stylesheet asks for.
    server.AddFile("/img/%E8%83%8C%E6%99%AF.png", "CN");
    server.AddFile("/img/x%EF%BF%BD.png", "ODD");
    const std::string css = "a{background:url(img/" + A("背景") + ".png)}\r\n" +
                            "b{background:url('img/x\xFF.png')}\r\n";
    TempDir pageDir;
    SetShellOpenFunction([](HWND, const std::string&) {});
    Workflow w(css, {}, {}, &server);
    w.form->TestPageFolder = pageDir.Path();
    Press(w.form->btn2);
    ASSERT_EQ(w.form->mmo1->Lines().ToVector(),
              (std::vector<std::string>{"img/" + A("背景") + ".png", "img/x\xFF.png"}));
    w.form->lbledt2->SetText(server.Url("/"));
    Press(w.form->btn3);
    SetShellOpenFunction(nullptr);
    ASSERT_TRUE(w.Run());
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(Row(*w.form, 0, 0), A("完成0"));
    EXPECT_EQ(Row(*w.form, 1, 0), A("完成1"));
    EXPECT_EQ(ReadAll(w.dir.Path() + A("背景.png")), "CN");
    const std::string odd = Row(*w.form, 1, 2);
    EXPECT_EQ(ReadAll(w.dir.Path() + odd), "ODD") << odd;
    // The rewrite found the reference by its bytes.
    const std::string rewritten = ReadAll(w.cssPath);
    EXPECT_EQ(rewritten.find('\xFF'), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find("url('" + odd + "')"), std::string::npos) << rewritten;
    int checked = 0;
    EXPECT_TRUE(RewrittenReferencesResolve(*w.form, w.cssPath, &checked, &server));
    EXPECT_EQ(checked, 2);
}

TEST(DownloadRun, ThreeRunsAgainstAHostileServerKeepTheOriginalAndEveryImage) {
    HttpServer server;
    server.AddFile("/img/a.gif", "GIF-a");
    server.AddFile("/other/a.gif", "GIF-other-a"); // the same name, other bytes
    server.AddFile("/img/soft404.gif", HttpServer::ErrorPage(404), "text/html");
    server.AddFile("/img/login.png", "\r\n<!DOCTYPE html><html>log in</html>");
    server.AddSlow("/img/trickle.gif", std::string(64, 't'), 1, 60000);
    server.AddRedirect("/img/loop.gif", "/img/loop.gif");
    server.AddFile("/img/style.css", "GIF-named-like-the-stylesheet");
    server.AddFile("/img/style.css.bak", "GIF-named-like-the-backup");
    const std::vector<std::string> refs = {"img/a.gif",     "other/a.gif",      "img/soft404.gif",
                                           "img/login.png", "img/trickle.gif",  "img/loop.gif",
                                           "img/style.css", "img/style.css.bak"};
    std::vector<std::string> urls;
    std::string css;
    for (const std::string& r : refs) {
        urls.push_back(server.Url("/" + r));
        css += ".x{background:url(" + r + ")}\n";
    }
    const std::string original = std::regex_replace(css, std::regex("\n"), "\r\n");
    Workflow w(css, refs, urls, &server);
    w.form->DownloadDeadlineMs = 1500;
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_TRUE(w.Run());
        EXPECT_TRUE(ShownErrors().empty()) << ShownErrors()[0];
        // The stylesheet as first opened is on disk, byte for byte.
        const std::string keeper = FileHolding(w.dir.Path(), original);
        EXPECT_TRUE(keeper.rfind("style.css.bak", 0) == 0) << keeper;
        EXPECT_EQ(Row(*w.form, 2, 1), A("不是图片"));
        EXPECT_EQ(Row(*w.form, 3, 1), A("不是图片"));
        EXPECT_EQ(Row(*w.form, 4, 1), A("超时"));
        EXPECT_EQ(Row(*w.form, 5, 0), A("失败5"));
        for (int i : {0, 1, 6, 7}) EXPECT_EQ(Row(*w.form, i, 0), A("完成") + std::to_string(i));
        EXPECT_EQ(FileHolding(w.dir.Path(), HttpServer::ErrorPage(404)), "");
    }
    // The trickling transfers given up on leave nothing once the server lets them go.
    server.Stop();
    EXPECT_TRUE(PumpUntil([&] { return NoTemporaryFiles(w.dir.Path()); }, 5000));
    // Later runs found their images in the folder: no further copies.
    EXPECT_EQ(ReadAll(w.dir.Path() + "a.gif"), "GIF-a");
    EXPECT_EQ(ReadAll(w.dir.Path() + Row(*w.form, 1, 2)), "GIF-other-a");
    EXPECT_EQ(ReadAll(w.cssPath + ".bak.2"), "");
}

TEST(DownloadRun, ReferencesInsideOneAnotherKeepTheirOwnImages) {
    HttpServer server;
    server.AddFile("/css/img/a.gif", "GIF-css-img");
    server.AddFile("/css/a.gif", "GIF-css");
    server.AddFile("/images/a.gif", "GIF-root-images");
    server.AddFile("/css/images/a.gif", "GIF-css-images");
    const std::string css =
        "p{background:url(img/a.gif)}\r\nq{background:url('a.gif')}\r\n"
        "r{background:url(/images/a.gif)}\r\ns{background:url(images/a.gif)}\r\n"
        "t{background:url(\"a.gif\")}\r\n";
    TempDir pageDir;
    SetShellOpenFunction([](HWND, const std::string&) {});
    Workflow w(css, {}, {}, &server);
    w.form->TestPageFolder = pageDir.Path();
    Press(w.form->btn2);
    // Each reference once, whatever its quotes; one inside another is another reference.
    EXPECT_EQ(w.form->mmo1->Lines().ToVector(),
              (std::vector<std::string>{"img/a.gif", "a.gif", "/images/a.gif", "images/a.gif"}));
    w.form->lbledt1->SetText(server.Url(""));
    w.form->lbledt2->SetText(server.Url("/css/"));
    Press(w.form->btn3);
    SetShellOpenFunction(nullptr);
    ASSERT_TRUE(w.Run());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Row(*w.form, i, 0), A("完成") + std::to_string(i));
    int checked = 0;
    EXPECT_TRUE(RewrittenReferencesResolve(*w.form, w.cssPath, &checked, &server));
    EXPECT_EQ(checked, 5);
}

TEST(DownloadRun, AWorkerThatCannotStartFailsItsRowAndTheRunGoesOn) {
    HttpServer server;
    for (const char* p : {"/img/a.gif", "/img/b.gif", "/img/c.gif"}) server.AddFile(p, p);
    Workflow w(
        "url(img/a.gif) url(img/b.gif) url(img/c.gif)", {"img/a.gif", "img/b.gif", "img/c.gif"},
        {server.Url("/img/a.gif"), server.Url("/img/b.gif"), server.Url("/img/c.gif")}, &server);
    static int starts;
    starts = 0;
    SetWorkerThreadStarter([](LPTHREAD_START_ROUTINE proc) -> HANDLE {
        if (++starts == 2) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        return CreateThread(nullptr, 0, proc, nullptr, 0, nullptr);
    });
    const auto ran = w.Run(10000);
    SetWorkerThreadStarter(nullptr);
    ASSERT_TRUE(ran);
    EXPECT_EQ(Row(*w.form, 0, 0), A("完成0"));
    EXPECT_EQ(Row(*w.form, 1, 0), A("失败1"));
    EXPECT_EQ(Row(*w.form, 1, 1), A("无法启动"));
    EXPECT_EQ(Row(*w.form, 2, 0), A("完成2"));
    EXPECT_EQ(ReadAll(w.cssPath), "url(a.gif) url(img/b.gif) url(c.gif)");
}

TEST(DownloadRun, ClosingDuringARunAsksAndLeavesNoTemporaryFiles) {
    HttpServer server;
    server.AddSlow("/img/slow.gif", std::string(4000, 's'), 500, 300);
    Workflow w("url(img/slow.gif)", {"img/slow.gif"}, {server.Url("/img/slow.gif")}, &server);
    std::vector<std::string> asked;
    bool answer = false;
    w.form->ConfirmClose = [&](const std::string& question) {
        asked.push_back(question);
        return answer;
    };
    Press(w.form->btn5);
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount("/img/slow.gif") == 1; }, 5000));
    PumpFor(400); // part of the body is in the temporary file
    // No: the window stays and the run goes on.
    SendMessageW(w.form->WindowHandle(), WM_CLOSE, 0, 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], A("下载尚未完成，确定要退出吗？"));
    EXPECT_TRUE(w.form->Visible());
    EXPECT_TRUE(w.form->Running());
    // Yes: the run stops at once, its files go, and the window closes.
    answer = true;
    SendMessageW(w.form->WindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_FALSE(w.form->Running());
    EXPECT_FALSE(w.form->Visible());
    // The transfer given up on removes its file with its next piece (at the latest, the process
    // going closes it, and it goes then).
    EXPECT_TRUE(PumpUntil([&] { return NoTemporaryFiles(w.dir.Path()); }, 3000));
    EXPECT_EQ(GetFileAttributesA((w.dir.Path() + "slow.gif").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadAll(w.cssPath), "url(img/slow.gif)");
    // Without a run nothing is asked.
    w.form->Show();
    SendMessageW(w.form->WindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(asked.size(), 2u);
}

TEST(DownloadRun, AnImageThatTricklesTimesOutAndTheRunGoesOn) {
    HttpServer server;
    server.AddSlow("/img/trickle.gif", std::string(100, 't'), 1, 700);
    server.AddFile("/img/b.gif", "B");
    Workflow w("url(img/trickle.gif) url(img/b.gif)", {"img/trickle.gif", "img/b.gif"},
               {server.Url("/img/trickle.gif"), server.Url("/img/b.gif")}, &server);
    // Every byte comes within a read's wait; only the image's overall deadline ends it.
    w.form->DownloadDeadlineMs = 2000;
    ASSERT_TRUE(w.Run(15000));
    EXPECT_EQ(Row(*w.form, 0, 0), A("失败0"));
    EXPECT_EQ(Row(*w.form, 0, 1), A("超时"));
    EXPECT_EQ(Row(*w.form, 1, 0), A("完成1"));
    EXPECT_TRUE(PumpUntil([&] { return NoTemporaryFiles(w.dir.Path()); }, 3000));
    EXPECT_EQ(ReadAll(w.cssPath), "url(img/trickle.gif) url(b.gif)");
}
