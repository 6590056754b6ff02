#include "download/atomic_file.h"
#include "download/bind_status_callback.h"
#include "download/transfer.h"

#include "http_server.h"
#include "toolkit/exceptions.h"
#include "toolkit/win_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        static int serial = 0;
        path_ = std::string(base) + "corvane_svc_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++serial);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { Remove(path_); }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

    std::set<std::string> Entries() const {
        std::set<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            std::string name = data.cFileName;
            if (name != "." && name != "..") names.insert(name);
        } while (FindNextFileA(h, &data));
        FindClose(h);
        return names;
    }

private:
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = data.cFileName;
                if (name == "." || name == "..") continue;
                std::string full = folder + "\\" + name;
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(full);
                else
                    DeleteFileA(full.c_str());
            } while (FindNextFileA(h, &data));
            FindClose(h);
        }
        RemoveDirectoryA(folder.c_str());
    }
    std::string path_;
};

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
    return s;
}

struct Notification {
    ULONG progress, maximum;
    int item;
    DWORD thread;
};

// A callback that records what it is told, as the main window's receiver would see it.
class Recorder {
public:
    explicit Recorder(int item = 7)
        : callback_([this](ULONG p, ULONG m, int i) {
              std::lock_guard lock(mutex_);
              seen_.push_back({p, m, i, GetCurrentThreadId()});
          }) {
        callback_.SetItemIndex(item);
    }
    IBindStatusCallback* get() { return &callback_; }
    std::vector<Notification> seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    int Completions() {
        int n = 0;
        for (auto& s : seen())
            if (s.progress == s.maximum) ++n;
        return n;
    }

private:
    std::mutex mutex_;
    std::vector<Notification> seen_;
    TBindStatusCallback callback_;
};

// --- the progress callback object -----------------------------------------------------------

TEST(TransferCallback, AnswersOnlyToItsOwnInterface) {
    TBindStatusCallback object;
    IBindStatusCallback* callback = &object;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(callback->QueryInterface(IID_IUnknown, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(callback->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(object.FRefCount, 0);
    ASSERT_EQ(callback->QueryInterface(IID_IBindStatusCallback, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(callback));
    EXPECT_EQ(object.FRefCount, 1);
}

TEST(TransferCallback, CountsReferencesButNeverFreesItself) {
    TBindStatusCallback object;
    IBindStatusCallback* callback = &object;
    EXPECT_EQ(callback->AddRef(), 1u);
    EXPECT_EQ(callback->AddRef(), 2u);
    EXPECT_EQ(callback->Release(), 1u);
    EXPECT_EQ(callback->Release(), 0u);
    // Past zero the object is still there (it lives on the stack here) and still counts.
    EXPECT_EQ(static_cast<LONG>(callback->Release()), -1);
    EXPECT_EQ(object.FRefCount, -1);
    EXPECT_EQ(callback->OnProgress(1, 2, 0, nullptr), S_OK);
}

TEST(TransferCallback, OnlyProgressIsImplementedAndItReachesTheSink) {
    std::vector<std::tuple<ULONG, ULONG, int>> seen;
    TBindStatusCallback object([&](ULONG p, ULONG m, int i) { seen.emplace_back(p, m, i); });
    IBindStatusCallback* callback = &object;
    LONG priority = 0;
    DWORD flags = 0;
    BINDINFO info{};
    info.cbSize = sizeof info;
    EXPECT_EQ(callback->OnStartBinding(0, nullptr), E_NOTIMPL);
    EXPECT_EQ(callback->GetPriority(&priority), E_NOTIMPL);
    EXPECT_EQ(callback->OnLowResource(0), E_NOTIMPL);
    EXPECT_EQ(callback->OnStopBinding(S_OK, nullptr), E_NOTIMPL);
    EXPECT_EQ(callback->GetBindInfo(&flags, &info), E_NOTIMPL);
    EXPECT_EQ(callback->OnDataAvailable(0, 0, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(callback->OnObjectAvailable(IID_IUnknown, nullptr), E_NOTIMPL);
    EXPECT_TRUE(seen.empty());

    object.SetItemIndex(12);
    EXPECT_EQ(object.FItemIndex, 12);
    EXPECT_EQ(callback->OnProgress(2000, 4000, BINDSTATUS_DOWNLOADINGDATA, L"x"), S_OK);
    EXPECT_EQ(callback->OnProgress(0, 0, BINDSTATUS_CONNECTING, nullptr), S_OK);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_tuple(2000ul, 4000ul, 12));
    EXPECT_EQ(seen[1], std::make_tuple(0ul, 0ul, 12));

    // A receiver that throws must not turn into an exception inside the transfer service.
    TBindStatusCallback throwing([](ULONG, ULONG, int) { throw std::runtime_error("boom"); });
    EXPECT_EQ(static_cast<IBindStatusCallback*>(&throwing)->OnProgress(1, 1, 0, nullptr), S_OK);
}

// --- downloads ------------------------------------------------------------------------------

TEST(Transfer, FileArrivesWithOneCompletionOnTheCallingThread) {
    HttpServer server;
    const std::string body = Pattern(50000);
    server.AddFile("/img/top.gif", body, "image/gif");
    TempFolder folder;
    Recorder recorder;
    DownloadResult r =
        DownloadToFile(server.Url("/img/top.gif"), folder / "top.gif", recorder.get());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.httpStatus, 200u);
    EXPECT_EQ(r.bytes, body.size());
    EXPECT_TRUE(r.reason.empty());
    EXPECT_EQ(ReadFileBytes(folder / "top.gif"), body);
    EXPECT_EQ(folder.Entries(), std::set<std::string>{"top.gif"});

    auto seen = recorder.seen();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(recorder.Completions(), 1);
    EXPECT_EQ(seen.back().progress, body.size());
    EXPECT_EQ(seen.back().maximum, body.size());
    ULONG last = 0;
    for (auto& s : seen) {
        EXPECT_EQ(s.thread, GetCurrentThreadId());
        EXPECT_EQ(s.item, 7);
        EXPECT_EQ(s.maximum, body.size());
        EXPECT_GE(s.progress, last);
        last = s.progress;
    }
    // The caller's reference is returned.
    EXPECT_EQ(static_cast<TBindStatusCallback*>(recorder.get())->FRefCount, 0);
}

TEST(Transfer, ErrorStatusSavesNoPageAndKeepsAnOlderFile) {
    HttpServer server;
    server.AddError("/broken.gif", 500);
    TempFolder folder;
    {
        Recorder recorder;
        DownloadResult r =
            DownloadToFile(server.Url("/missing.gif"), folder / "missing.gif", recorder.get());
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.httpStatus, 404u);
        EXPECT_NE(r.reason.find("404"), std::string::npos) << r.reason;
        EXPECT_EQ(recorder.Completions(), 0);
    }
    {
        WriteFileAtomic(folder / "broken.gif", "older image");
        Recorder recorder;
        DownloadResult r =
            DownloadToFile(server.Url("/broken.gif"), folder / "broken.gif", recorder.get());
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.httpStatus, 500u);
        EXPECT_EQ(recorder.Completions(), 0);
        EXPECT_EQ(ReadFileBytes(folder / "broken.gif"), "older image");
    }
    EXPECT_EQ(folder.Entries(), std::set<std::string>{"broken.gif"});
    EXPECT_EQ(server.RequestCount(), 2);
}

TEST(Transfer, LargeBodyReportsGrowingProgressAgainstItsLength) {
    HttpServer server;
    const std::string body = Pattern(6 * 1024 * 1024 + 17);
    server.AddFile("/big.png", body);
    TempFolder folder;
    Recorder recorder;
    DownloadResult r = DownloadToFile(server.Url("/big.png"), folder / "big.png", recorder.get());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_TRUE(ReadFileBytes(folder / "big.png") == body);
    auto seen = recorder.seen();
    EXPECT_GT(seen.size(), 10u);
    EXPECT_EQ(seen.front().progress, 0u);
    EXPECT_EQ(recorder.Completions(), 1);
    EXPECT_EQ(seen.back().progress, body.size());
}

TEST(Transfer, UnknownLengthIsZeroUntilTheEnd) {
    HttpServer server;
    const std::string body = Pattern(300000);
    server.AddWithoutLength("/nolength.gif", body);
    server.AddWithoutLength("/empty.gif", "");
    server.AddFile("/zero.gif", "");
    TempFolder folder;
    Recorder recorder;
    DownloadResult r =
        DownloadToFile(server.Url("/nolength.gif"), folder / "a.gif", recorder.get());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(ReadFileBytes(folder / "a.gif"), body);
    auto seen = recorder.seen();
    ASSERT_GE(seen.size(), 2u);
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
        EXPECT_EQ(seen[i].maximum, 0u);
        EXPECT_GT(seen[i].progress, 0u); // never 0 of 0 before the end
    }
    EXPECT_EQ(seen.back().progress, body.size());
    EXPECT_EQ(seen.back().maximum, body.size());

    // Empty bodies, with and without a length: one notification, 0 of 0, and an empty file.
    for (const char* path : {"/empty.gif", "/zero.gif"}) {
        Recorder empty;
        DownloadResult e = DownloadToFile(server.Url(path), folder / "e.gif", empty.get());
        ASSERT_TRUE(e.ok) << path << ": " << e.reason;
        ASSERT_EQ(empty.seen().size(), 1u) << path;
        EXPECT_EQ(empty.seen()[0].progress, 0u);
        EXPECT_EQ(empty.seen()[0].maximum, 0u);
        EXPECT_TRUE(Exists(folder / "e.gif"));
        EXPECT_EQ(ReadFileBytes(folder / "e.gif"), "");
    }
}

TEST(Transfer, RedirectsAreFollowed) {
    HttpServer server;
    server.AddFile("/real/a.gif", "GIF89a-real");
    server.AddRedirect("/moved/a.gif", "/real/a.gif");
    server.AddRedirect("/perm/a.gif", "/real/a.gif", 301);
    server.AddRedirect("/gone/a.gif", "/nowhere/a.gif");
    TempFolder folder;
    for (const char* from : {"/moved/a.gif", "/perm/a.gif"}) {
        DownloadResult r = DownloadToFile(server.Url(from), folder / "a.gif", nullptr);
        ASSERT_TRUE(r.ok) << from << ": " << r.reason;
        EXPECT_EQ(r.httpStatus, 200u);
        EXPECT_EQ(ReadFileBytes(folder / "a.gif"), "GIF89a-real");
    }
    EXPECT_EQ(server.RequestCount("/real/a.gif"), 2);
    // A redirect that ends at an error is an error.
    DownloadResult r = DownloadToFile(server.Url("/gone/a.gif"), folder / "b.gif", nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.httpStatus, 404u);
    EXPECT_FALSE(Exists(folder / "b.gif"));
}

// https needs the test authority in this prefix's trust store; certificate checks stay on.
TEST(Transfer, HttpsWithTheTestAuthorityAndRedirectsAcrossSchemes) {
    HttpServer server;
    server.AddFile("/secure/a.png", "PNG-over-tls");
    TlsFront front(server);
    ASSERT_TRUE(front.Ready()) << front.Problem();
    if (!front.AuthorityTrusted()) {
        // The test command sets the prefix up to trust it: there, not trusting it is a fault.
        if (std::getenv("CORVANE_CI"))
            FAIL() << "the test prefix does not trust its authority (chain status "
                   << front.ChainStatus() << ")";
        GTEST_SKIP() << "this prefix does not trust an authority added at run time (chain status "
                     << front.ChainStatus() << ")";
    }
    server.AddRedirect("/up/a.png", front.Url("/secure/a.png"));         // http to https
    server.AddRedirect("/down/a.png", server.Url("/secure/a.png"), 301); // https to http
    TempFolder folder;
    DownloadResult r = DownloadToFile(front.Url("/secure/a.png"), folder / "a.png", nullptr);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.httpStatus, 200u);
    EXPECT_EQ(ReadFileBytes(folder / "a.png"), "PNG-over-tls");
    r = DownloadToFile(server.Url("/up/a.png"), folder / "b.png", nullptr);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(ReadFileBytes(folder / "b.png"), "PNG-over-tls");
    r = DownloadToFile(front.Url("/down/a.png"), folder / "c.png", nullptr);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(ReadFileBytes(folder / "c.png"), "PNG-over-tls");
    EXPECT_EQ(server.RequestCount("/secure/a.png"), 3);
    // The final status decides: a redirect to https that ends at an error is an error.
    server.AddRedirect("/up/none.png", front.Url("/secure/none.png"));
    r = DownloadToFile(server.Url("/up/none.png"), folder / "d.png", nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.httpStatus, 404u);
    EXPECT_FALSE(Exists(folder / "d.png"));
}

// The helper programs behind an https front are Unix programs: starting and stopping them must
// leave this process's own handles alone, or the next window cannot be made.
TEST(Transfer, HttpsFrontLeavesTheProcessHandlesAlone) {
    HDESK desktop = GetThreadDesktop(GetCurrentThreadId());
    ASSERT_NE(desktop, nullptr);
    {
        HttpServer server;
        TlsFront front(server, false);
        ASSERT_TRUE(front.Ready()) << front.Problem();
    }
    wchar_t name[64];
    DWORD size = 0;
    EXPECT_TRUE(GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name, &size))
        << "error " << GetLastError();
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr) << "error " << GetLastError();
    if (window) DestroyWindow(window);
}

TEST(Transfer, HttpsRefusedWhenTheAuthorityIsNotTrusted) {
    HttpServer server;
    server.AddFile("/secure/a.png", "PNG-over-tls");
    TlsFront front(server, false);
    ASSERT_TRUE(front.Ready()) << front.Problem();
    TempFolder folder;
    DownloadResult r = DownloadToFile(front.Url("/secure/a.png"), folder / "a.png", nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(r.failure, download::Failure::Certificate) << r.reason;
    EXPECT_EQ(server.RequestCount("/secure/a.png"), 0);
    EXPECT_FALSE(Exists(folder / "a.png"));
}

TEST(Transfer, RequestsNameTheProductAndTheReferrer) {
    HttpServer server;
    server.AddFile("/img/a.png", "A");
    TempFolder folder;
    ASSERT_TRUE(DownloadToFile(server.Url("/img/a.png"), folder / "a.png", nullptr,
                               "http://site.example/css/")
                    .ok);
    ASSERT_TRUE(DownloadToFile(server.Url("/img/a.png"), folder / "b.png", nullptr).ok);
    std::vector<std::string> heads = server.RequestHeads();
    ASSERT_EQ(heads.size(), 2u);
    EXPECT_NE(heads[0].find("\r\nReferer: http://site.example/css/\r\n"), std::string::npos)
        << heads[0];
    EXPECT_NE(heads[0].find(std::string("\r\nUser-Agent: ") + kUserAgent + "\r\n"),
              std::string::npos)
        << heads[0];
    EXPECT_NE(std::string(kUserAgent).find("Corvane"), std::string::npos);
    EXPECT_EQ(heads[1].find("Referer:"), std::string::npos) << heads[1];
}

TEST(Transfer, CutOffBodyFailsAndLeavesNothing) {
    HttpServer server;
    HttpReply reply;
    reply.body = Pattern(200000);
    reply.truncateAfter = 70000;
    server.Add("/cut.gif", reply);
    TempFolder folder;
    Recorder recorder;
    DownloadResult r = DownloadToFile(server.Url("/cut.gif"), folder / "cut.gif", recorder.get());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(recorder.Completions(), 0);
    EXPECT_TRUE(folder.Entries().empty()); // neither the target nor a temporary file
}

TEST(Transfer, SlowResponseBlocksUntilTheLastPiece) {
    HttpServer server;
    const std::string body = Pattern(8 * 1000);
    server.AddSlow("/slow.gif", body, 1000, 40);
    TempFolder folder;
    Recorder recorder;
    DownloadResult r = DownloadToFile(server.Url("/slow.gif"), folder / "slow.gif", recorder.get());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(ReadFileBytes(folder / "slow.gif"), body);
    auto seen = recorder.seen();
    // Pieces arrive apart, so several intermediate notifications come before the completion.
    EXPECT_GE(seen.size(), 4u);
    EXPECT_EQ(recorder.Completions(), 1);
    EXPECT_EQ(seen.back().progress, body.size());
}

TEST(Transfer, TargetsThatCannotBeWrittenFailBeforeAnyRequest) {
    HttpServer server;
    server.AddFile("/a.gif", "GIF89a");
    TempFolder folder;
    CreateDirectoryA((folder / "sub").c_str(), nullptr);
    // An address ending in "/" gives an empty file name: the path is the folder itself.
    for (const std::string& target : {folder.path() + "\\", folder / "sub", folder / "no\\a.gif"}) {
        Recorder recorder;
        DownloadResult r = DownloadToFile(server.Url("/a.gif"), target, recorder.get());
        EXPECT_FALSE(r.ok) << target;
        EXPECT_NE(r.reason.find("Cannot create file"), std::string::npos) << r.reason;
        EXPECT_TRUE(recorder.seen().empty());
    }
    EXPECT_EQ(server.RequestCount(), 0);
    EXPECT_EQ(folder.Entries(), std::set<std::string>{"sub"});
}

TEST(Transfer, UnreachableServerFailsWithAReason) {
    std::string url;
    {
        HttpServer server;
        url = server.Url("/a.gif");
    } // nothing listens on that port any more
    TempFolder folder;
    DownloadResult r = DownloadToFile(url, folder / "a.gif", nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.httpStatus, 0u);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(r.failure, download::Failure::Connect) << r.reason;
    EXPECT_TRUE(folder.Entries().empty());
    EXPECT_FALSE(DownloadToFile("not an address", folder / "a.gif", nullptr).ok);
}

// A receiver that stops the transfer at its first notification.
class Canceller : public IBindStatusCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override {
        ++calls;
        return E_ABORT;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
    int calls = 0;
};

TEST(Transfer, ReceiverCanCancel) {
    HttpServer server;
    server.AddFile("/big.gif", Pattern(1 << 20));
    TempFolder folder;
    Canceller canceller;
    DownloadResult r = DownloadToFile(server.Url("/big.gif"), folder / "big.gif", &canceller);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(canceller.calls, 1);
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(Transfer, EveryDownloadGoesToTheServer) {
    HttpServer server;
    server.AddFile("/a.gif", "first");
    TempFolder folder;
    ASSERT_TRUE(DownloadToFile(server.Url("/a.gif"), folder / "a.gif", nullptr).ok);
    server.AddFile("/a.gif", "second");
    ASSERT_TRUE(DownloadToFile(server.Url("/a.gif"), folder / "a.gif", nullptr).ok);
    EXPECT_EQ(ReadFileBytes(folder / "a.gif"), "second");
    EXPECT_EQ(server.RequestCount("/a.gif"), 2);
}

TEST(Transfer, CodePage936FileName) {
    HttpServer server;
    server.AddFile("/a.gif", "GIF89a");
    TempFolder folder;
    const std::string name = Utf8ToAnsi("顶部背景.gif");
    ASSERT_TRUE(DownloadToFile(server.Url("/a.gif"), folder / name, nullptr).ok);
    // The file carries the name as the system reads it in UTF-16.
    std::wstring wide = Widen(folder / name);
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(wide.find(L"\u9876\u90e8\u80cc\u666f.gif"), std::wstring::npos);
    // A double-byte character whose trail byte is "\" is part of the name, not a separator.
    const std::string trail = "a\x81\x5C";
    DownloadResult r = DownloadToFile(server.Url("/a.gif"), folder / trail, nullptr);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(ReadFileBytes(folder / trail), "GIF89a");
    EXPECT_EQ(folder.Entries(), (std::set<std::string>{name, trail}));
}

TEST(Transfer, BareFileNameGoesToTheWorkingFolder) {
    HttpServer server;
    server.AddFile("/a.gif", "GIF89a");
    TempFolder folder;
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    DownloadResult r = DownloadToFile(server.Url("/a.gif"), "bare.gif", nullptr);
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(folder.Entries(), std::set<std::string>{"bare.gif"});
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string here.
std::string WorkerFile(size_t i, const char* prefix = "") {
    std::string name = prefix;
    name += "w";
    name += std::to_string(i);
    name += ".gif";
    return name;
}

TEST(Transfer, WorkersOnSeveralThreadsAtOnce) {
    HttpServer server;
    const size_t n = 8;
    for (size_t i = 0; i < n; ++i) server.AddSlow(WorkerFile(i, "/"), Pattern(4000 + i), 1000, 20);
    TempFolder folder;
    std::vector<DownloadResult> results(n);
    std::vector<std::unique_ptr<Recorder>> recorders;
    for (size_t i = 0; i < n; ++i) recorders.push_back(std::make_unique<Recorder>(int(i)));
    std::vector<std::thread> workers;
    for (size_t i = 0; i < n; ++i) {
        workers.emplace_back([&, i] {
            results[i] = DownloadToFile(server.Url(WorkerFile(i, "/")), folder / WorkerFile(i),
                                        recorders[i]->get());
        });
    }
    for (auto& t : workers) t.join();
    for (size_t i = 0; i < n; ++i) {
        EXPECT_TRUE(results[i].ok) << results[i].reason;
        EXPECT_EQ(ReadFileBytes(folder / WorkerFile(i)), Pattern(4000 + i));
        EXPECT_EQ(recorders[i]->Completions(), 1);
        for (auto& s : recorders[i]->seen()) EXPECT_EQ(s.item, int(i));
    }
}

// --- whole-file writes ----------------------------------------------------------------------

TEST(AtomicFile, ReplacesTheWholeFile) {
    TempFolder folder;
    const std::string path = folder / "style.css";
    const std::string binary("a\0b\r\n\xFF", 6);
    WriteFileAtomic(path, binary);
    EXPECT_EQ(ReadFileBytes(path), binary);
    WriteFileAtomic(path, "short"); // no tail of the longer text survives
    EXPECT_EQ(ReadFileBytes(path), "short");
    WriteFileAtomic(path, "");
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_EQ(folder.Entries(), std::set<std::string>{"style.css"});
}

TEST(AtomicFile, FailureKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder / "locked.css";
    WriteFileAtomic(path, "old text");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        WriteFileAtomic(path, "new text");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const EFCreateError& e) {
        std::string message = e.what();
        EXPECT_EQ(message.rfind("Cannot create file \"" + path + "\". ", 0), 0u) << message;
        ASSERT_GT(message.size(), path.size() + 22);
        EXPECT_NE(message.back(), '.');
        EXPECT_NE(message.back(), '\n');
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(path), "old text");
    EXPECT_EQ(folder.Entries(), std::set<std::string>{"locked.css"});

    // The move over the target fails while another program holds the target open.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(WriteFileAtomic(path, "new text"), EFCreateError);
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(path), "old text");
    EXPECT_EQ(folder.Entries(), std::set<std::string>{"locked.css"});

    EXPECT_THROW(WriteFileAtomic(folder / "missing\\x.css", "x"), EFCreateError);
    EXPECT_THROW(WriteFileAtomic(folder.path(), "x"), EFCreateError);
    EXPECT_THROW(WriteFileAtomic(folder.path() + "\\", "x"), EFCreateError);
}

TEST(AtomicFile, UncommittedWriterLeavesTheTargetAlone) {
    TempFolder folder;
    const std::string path = folder / "a.gif";
    WriteFileAtomic(path, "kept");
    {
        AtomicFileWriter writer(path);
        writer.Write("half of a new");
        EXPECT_TRUE(Exists(writer.TempPath()));
    }
    EXPECT_EQ(ReadFileBytes(path), "kept");
    EXPECT_EQ(folder.Entries(), std::set<std::string>{"a.gif"});
}

TEST(AtomicFile, ReadingAMissingFileNamesIt) {
    TempFolder folder;
    try {
        ReadFileBytes(folder / "none.css");
        ADD_FAILURE() << "no error for a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + (folder / "none.css"), 0),
                  0u);
    }
}

} // namespace

TEST(Transfer, ImagesArePlacedWithoutReplacingAnything) {
    HttpServer server;
    server.AddFile("/a.gif", "new bytes");
    server.AddFile("/same.gif", "same bytes");
    server.AddFile("/page.gif", "<html><body>not found</body></html>", "image/gif");
    server.AddFile("/typed.gif", "GIF89a", "text/html; charset=utf-8");
    TempFolder folder;
    ImagePlacement place{folder.path() + "\\", "a.gif", "style.css", nullptr};
    // The prefixes are drawn again for every name that is taken: "1_" twice, then "2_".
    std::vector<std::string> prefixes{"1_", "1_", "2_"};
    size_t drawn = 0;
    place.nextPrefix = [&] { return prefixes[std::min(drawn++, prefixes.size() - 1)]; };
    WriteFileAtomic(folder / "a.gif", "old bytes");
    WriteFileAtomic(folder / "1_a.gif", "older bytes");
    DownloadResult r = DownloadImage(server.Url("/a.gif"), place, nullptr, {});
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.fileName, "2_a.gif");
    EXPECT_FALSE(r.reused);
    EXPECT_EQ(drawn, 3u);
    EXPECT_EQ(ReadFileBytes(folder / "a.gif"), "old bytes");
    EXPECT_EQ(ReadFileBytes(folder / "1_a.gif"), "older bytes");
    EXPECT_EQ(ReadFileBytes(folder / "2_a.gif"), "new bytes");
    // The same bytes already there: used as they are.
    WriteFileAtomic(folder / "same.gif", "same bytes");
    place.name = "same.gif";
    r = DownloadImage(server.Url("/same.gif"), place, nullptr, {});
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.fileName, "same.gif");
    EXPECT_TRUE(r.reused);
    // The stylesheet's name is never taken, even when nothing of that name is there yet.
    place.name = "STYLE.css";
    drawn = 2;
    r = DownloadImage(server.Url("/a.gif"), place, nullptr, {});
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.fileName, "2_STYLE.css");
    EXPECT_FALSE(Exists(folder / "STYLE.css"));
    // Pages are no images, by their start or by their type; nothing is left of them.
    const auto before = folder.Entries();
    for (const char* path : {"/page.gif", "/typed.gif"}) {
        place.name = "p.gif";
        r = DownloadImage(server.Url(path), place, nullptr, {});
        EXPECT_FALSE(r.ok) << path;
        EXPECT_EQ(r.failure, download::Failure::NotImage) << path;
    }
    EXPECT_EQ(folder.Entries(), before);
    // An error status says its number.
    r = DownloadImage(server.Url("/missing.gif"), place, nullptr, {});
    EXPECT_EQ(r.failure, download::Failure::HttpStatus);
    EXPECT_EQ(r.httpStatus, 404u);
    EXPECT_EQ(download::ShortReason(r.failure, r.httpStatus), "404");
}
