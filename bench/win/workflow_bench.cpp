// Step two, loading, the rewrite and a download run of the real main window, under Wine.
//   bench_workflow_bench.exe
// Step two: a 2 MB stylesheet with 10,000 background:url(...) references (3,000 distinct, some
// of them inside earlier lines), loaded and searched, against one plain scan of the text.
// A 20 MB stylesheet: opening it (the hidden buffer included, and the window answering after),
// step two, and the rewrite (backup, stylesheet, the hidden buffer), against reading and
// writing the same bytes.
// Download run: 200 small images from a loopback server, against the pacing timer alone
// (200 ticks of 100 ms, each armed from the one before), measured in the same run.
#include "app/main_form.h"
#include "app/shell_open.h"
#include "download/atomic_file.h"
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

// The same rules, repeated to about `bytes` bytes.
std::string LargeStylesheet(size_t bytes) {
    const std::string unit = Stylesheet();
    std::string css;
    css.reserve(bytes + unit.size());
    while (css.size() < bytes) css += unit;
    return css;
}

// The window answers a message sent to it: what a user waiting on it would see.
void Answers(TForm1* form) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(form->WindowHandle(), WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
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

        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        std::string dir =
            std::string(temp) + "corvane-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);

        // Step two with the stylesheet's loading in the timed region.
        std::string css = Stylesheet();
        const std::string small = dir + "small.css";
        WriteFileAtomic(small, css);
        double best = 1e9, scan = 1e9;
        for (int round = 0; round < 3; ++round) {
            auto t0 = Clock::now();
            form->OpenStylesheet(small);
            SendMessageW(form->btn2->WindowHandle(), BM_CLICK, 0, 0);
            Answers(form);
            best = std::min(best, Ms(Clock::now() - t0));
            t0 = Clock::now();
            size_t n = 0;
            for (size_t p = css.find("url("); p != std::string::npos; p = css.find("url(", p + 4))
                ++n;
            scan = std::min(scan, Ms(Clock::now() - t0));
            if (n != 10000) std::printf("scan found %zu\n", n);
        }
        std::printf("load and step two: %.1f ms for %zu bytes, %d lines; plain scan %.2f ms; "
                    "ratio %.0fx\n",
                    best, css.size(), form->mmo1->Lines().Count(), scan, best / scan);

        // 20 MB: open, step two, rewrite; baselines read and write the same bytes.
        const std::string large = dir + "large.css";
        {
            std::string big = LargeStylesheet(size_t{20} << 20);
            WriteFileAtomic(large, big);
            // The run's two images come from a server, so the rewrite has pairs to apply.
            HttpServer images;
            images.AddFile("/img1.gif", "GIF89a-1");
            images.AddFile("/img2.gif", "GIF89a-2");
            size_t places = 0;
            double read = 1e9, write = 1e9, open = 1e9, two = 1e9, rewrite = 1e9;
            int lines = 0;
            for (int round = 0; round < 2; ++round) {
                auto t0 = Clock::now();
                std::string bytes = ReadFileBytes(large);
                read = std::min(read, Ms(Clock::now() - t0));
                t0 = Clock::now();
                WriteFileAtomic(dir + "copy.css", bytes);
                write = std::min(write, Ms(Clock::now() - t0));
                t0 = Clock::now();
                form->OpenStylesheet(large);
                Answers(form);
                open = std::min(open, Ms(Clock::now() - t0));
                t0 = Clock::now();
                SendMessageW(form->btn2->WindowHandle(), BM_CLICK, 0, 0);
                Answers(form);
                two = std::min(two, Ms(Clock::now() - t0));
                lines = form->mmo1->Lines().Count();
                // A short run sets the rows the rewrite pairs with; its end rewrites once, then
                // the rewrite is timed alone.
                form->chk1->SetChecked(true);
                form->mmo1->SetText("images/sub1/img1.gif\r\nimages/sub2/img2.gif\r\n");
                form->mmo2->SetText(images.Url("/img1.gif") + "\r\n" + images.Url("/img2.gif") +
                                    "\r\n");
                SendMessageW(form->btn5->WindowHandle(), BM_CLICK, 0, 0);
                Pump(app, [&] { return form->RunEnded(); });
                // The run's own rewrite applied the pairs; the timed one starts from the text
                // as loaded again, so it applies them too.
                WriteFileAtomic(large, big);
                form->OpenStylesheet(large);
                const std::string before = form->Memo1->GetText();
                t0 = Clock::now();
                form->btn6->Click();
                Answers(form);
                rewrite = std::min(rewrite, Ms(Clock::now() - t0));
                places = 0;
                for (size_t at = before.find("images/sub1/img1.gif"); at != std::string::npos;
                     at = before.find("images/sub1/img1.gif", at + 1))
                    ++places;
                if (form->Memo1->GetText() == before || places == 0) {
                    std::fprintf(stderr, "the rewrite applied no pair\n");
                    return 1;
                }
            }
            std::printf("20 MB (%zu bytes): read %.0f ms, write %.0f ms\n", big.size(), read,
                        write);
            std::printf("  open (hidden buffer, window answers): %.0f ms, %.1fx the read\n", open,
                        open / read);
            std::printf("  step two (%d lines): %.0f ms, %.1fx the read\n", lines, two, two / read);
            std::printf("  rewrite (backup, stylesheet, hidden buffer; %zu places of one of two "
                        "pairs): %.0f ms, %.1fx the two writes\n",
                        places, rewrite, rewrite / (2 * write));
        }
        for (const char* f : {"small.css", "large.css", "large.css.bak", "large.css.bak.1",
                              "large.css.bak.2", "large.css.bak.3", "large.css.bak.4", "img1.gif",
                              "img2.gif", "copy.css", "corvane-download.log"})
            DeleteFileA((dir + f).c_str());

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
        form->SetHint(dir);
        form->chk1->SetChecked(false);
        form->mmo1->SetText(refs);
        form->mmo2->SetText(urls);
        // The baseline: the pacing alone, a 100 ms timer armed 200 times, each from the tick
        // before, as the run arms it.
        int ticks = 0;
        TTimer pacing(nullptr);
        pacing.SetEnabled(false);
        pacing.SetInterval(100);
        pacing.OnTimer = [&](TObject*) {
            pacing.SetEnabled(false);
            if (++ticks < 200) pacing.SetEnabled(true);
        };
        auto t0 = Clock::now();
        pacing.SetEnabled(true);
        Pump(app, [&] { return ticks == 200; });
        double paced = Ms(Clock::now() - t0);
        t0 = Clock::now();
        SendMessageW(form->btn5->WindowHandle(), BM_CLICK, 0, 0);
        Pump(app, [&] { return form->RunEnded(); });
        double run = Ms(Clock::now() - t0);
        std::printf("download run: 200 images in %.0f ms; pacing alone %.0f ms in the same run; "
                    "%.1f ms per image beyond it (ratio %.3f)\n",
                    run, paced, (run - paced) / 200.0, run / paced);
        Pump(app, [] { return RunningDownloadWorkers() == 0; });
        for (int i = 0; i < 200; ++i) DeleteFileA((dir + "b" + std::to_string(i) + ".gif").c_str());
        RemoveDirectoryA(dir.c_str());
    }
    OleUninitialize();
    return 0;
}
