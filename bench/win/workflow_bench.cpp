// Step two and a download run of the real main window, under Wine.
//   bench_workflow_bench.exe
// Step two: a 2 MB stylesheet with 10,000 background:url(...) references (3,000 distinct, some
// of them inside earlier lines), against one plain scan of the text.
// Download run: 200 small images from a loopback server, against the 200 x 100 ms that the
// pacing timer alone costs.
#include "app/main_form.h"
#include "app/shell_open.h"
#include "download/download_worker.h"
#include "http_server.h"

#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string Stylesheet() {
    std::string css;
    for (int i = 0; i < 10000; ++i) {
        int d = (i * 7919) % 3000;
        // Every tenth distinct path is the file part of the one before: it lies in an earlier line.
        std::string path = d % 10 == 9 ? "img" + std::to_string(d - 1) + ".gif"
                                       : "images/sub" + std::to_string(d % 40) + "/img" +
                                             std::to_string(d) + ".gif";
        css += ".rule" + std::to_string(i) +
               " { color: #333; margin: 0 auto; padding: 2px 4px; border: 1px solid #ccc; "
               "background:url('" +
               path + "') no-repeat; }\r\n";
        while (css.size() < static_cast<size_t>(i + 1) * 209) css += ' ';
    }
    return css;
}

void Pump(TApplication& app, const std::function<bool()>& done) {
    while (!done()) {
        app.ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

} // namespace

int main() {
    OleInitialize(nullptr);
    {
        TApplication app;
        app.Initialize();
        app.OnException = [](TObject*, const std::exception& e) {
            std::printf("error: %s\n", e.what());
        };
        TForm1* form = app.CreateForm<TForm1>();
        form->Show();

        std::string css = Stylesheet();
        form->Memo1->SetText(css);
        double best = 1e9, scan = 1e9;
        for (int round = 0; round < 3; ++round) {
            auto t0 = Clock::now();
            SendMessageW(form->btn2->WindowHandle(), BM_CLICK, 0, 0);
            best = std::min(best, Ms(Clock::now() - t0));
            t0 = Clock::now();
            size_t n = 0;
            for (size_t p = css.find("url("); p != std::string::npos; p = css.find("url(", p + 4))
                ++n;
            scan = std::min(scan, Ms(Clock::now() - t0));
            if (n != 10000) std::printf("scan found %zu\n", n);
        }
        std::printf("step two: %.1f ms for %zu bytes, %d lines; plain scan %.2f ms; ratio %.0fx\n",
                    best, css.size(), form->mmo1->Lines().Count(), scan, best / scan);

        HttpServer server;
        std::string refs, urls;
        for (int i = 0; i < 200; ++i) {
            // Appended, not added: GCC 12 warns falsely about a literal before a temporary.
            std::string name = "b";
            name += std::to_string(i);
            name += ".gif";
            server.AddFile("/" + name, std::string(512, static_cast<char>('a' + i % 26)));
            refs += name + "\r\n";
            urls += server.Url("/" + name) + "\r\n";
        }
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        std::string dir =
            std::string(temp) + "corvane-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        form->SetHint(dir);
        form->chk1->SetChecked(false);
        form->mmo1->SetText(refs);
        form->mmo2->SetText(urls);
        auto t0 = Clock::now();
        SendMessageW(form->btn5->WindowHandle(), BM_CLICK, 0, 0);
        Pump(app, [&] { return form->RunEnded(); });
        double run = Ms(Clock::now() - t0);
        std::printf("download run: 200 images in %.0f ms; pacing alone 20000 ms; overhead %.1f ms "
                    "per image\n",
                    run, (run - 20000.0) / 200.0);
        Pump(app, [] { return RunningDownloadWorkers() == 0; });
        for (int i = 0; i < 200; ++i) DeleteFileA((dir + "b" + std::to_string(i) + ".gif").c_str());
        RemoveDirectoryA(dir.c_str());
    }
    OleUninitialize();
    return 0;
}
