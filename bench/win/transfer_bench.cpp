// Per-file cost of a download run: 200 small images from a loopback server, one after another,
// each into its own file. The baseline is the system's URL download function fetching the same
// files in the same run. The cost is then split: the same requests read into memory (the HTTP
// part alone) and the same files written in place (the file part alone).
#include "download/atomic_file.h"
#include "download/bind_status_callback.h"
#include "download/transfer.h"

// Each benchmark is one source file, so the tests' loopback server is compiled in here.
#include "../../tests/win/http_server.cpp"

#include <windows.h>
#include <ole2.h>
#include <urlmon.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

const int kFiles = 200;

std::string Folder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + "corvane_transfer_bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

template <class F> double Seconds(F f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main() {
    OleInitialize(nullptr);
    HttpServer server;
    for (int i = 0; i < kFiles; ++i)
        server.AddFile("/img/" + std::to_string(i) + ".gif", std::string(2000 + i, 'g'));
    const std::string folder = Folder();
    auto target = [&](int i) { return folder + "\\" + std::to_string(i) + ".gif"; };

    int failures = 0, completions = 0;
    TBindStatusCallback callback([&](ULONG p, ULONG m, int) { completions += p == m; });
    double ours = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            callback.SetItemIndex(i);
            if (!DownloadToFile(server.Url("/img/" + std::to_string(i) + ".gif"), target(i),
                                &callback))
                ++failures;
        }
    });
    double system = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            if (FAILED(URLDownloadToFileA(nullptr,
                                          server.Url("/img/" + std::to_string(i) + ".gif").c_str(),
                                          target(i).c_str(), 0, nullptr)))
                ++failures;
        }
    });
    size_t received = 0;
    double http = Seconds([&] {
        for (int i = 0; i < kFiles; ++i) {
            // As a download opens it: a session and a request of its own, nothing cached.
            HINTERNET session =
                InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
            HINTERNET request = InternetOpenUrlA(
                session, server.Url("/img/" + std::to_string(i) + ".gif").c_str(), nullptr, 0,
                INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE,
                0);
            char buffer[8192];
            DWORD n = 0;
            while (request && InternetReadFile(request, buffer, sizeof buffer, &n) && n)
                received += n;
            if (!request) ++failures;
            if (request) InternetCloseHandle(request);
            if (session) InternetCloseHandle(session);
        }
    });
    // New files, as the downloads above made them.
    for (int i = 0; i < kFiles; ++i) DeleteFileA(target(i).c_str());
    double files = Seconds([&] {
        for (int i = 0; i < kFiles; ++i)
            WriteFileAtomic(target(i), std::string(2000 + static_cast<size_t>(i), 'g'));
    });
    for (int i = 0; i < kFiles; ++i) DeleteFileA(target(i).c_str());
    RemoveDirectoryA(folder.c_str());

    std::printf("%d files of about 2 KB from 127.0.0.1, %d connections for %d requests\n", kFiles,
                server.ConnectionCount(), server.RequestCount());
    std::printf("DownloadToFile:      %.0f ms in all, %.2f ms per file\n", ours * 1000,
                ours * 1000 / kFiles);
    std::printf("baseline, URLDownloadToFileA: %.0f ms in all, %.2f ms per file\n", system * 1000,
                system * 1000 / kFiles);
    std::printf("ratio: %.2f; completions %d, failures %d\n", ours / system, completions, failures);
    std::printf("split: the requests read into memory %.2f ms per file (%zu bytes), the files "
                "written anew in place %.2f ms per file\n",
                http * 1000 / kFiles, received, files * 1000 / kFiles);
    server.Stop();
    OleUninitialize();
    return failures == 0 && completions == kFiles ? 0 : 1;
}
