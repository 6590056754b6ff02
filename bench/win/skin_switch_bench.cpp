// Switching the main window's skin while the program runs, against loading the same skin cold,
// in one run. Live: the skin chosen as the system menu chooses it (the file read and checked,
// loaded into the main window's skin data, every skinned form reloaded and painted, the
// manager's refresh carried out) until the window shows it; also with one more full repaint
// after that, as earlier figures were taken. Cold: the same file read and loaded into a new
// skin data component, plus one full repaint of the window already showing that skin. Also the
// same file chosen while the window has no skin (loaded, put on the window from scratch,
// painted). The manager's command delay is idle time and is left out: only time spent
// handling messages counts.
#include "app/main_form.h"
#include "app/skin_choice.h"
#include "bench_timing.h"
#include "skin/form/skin_messages.h"
#include "toolkit/win_text.h"

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void FullRepaint(HWND w) {
    RedrawWindow(w, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Handles messages until `done`, returning the time spent outside waits for them.
double BusyMsUntil(TApplication& app, const std::function<bool()>& done) {
    Clock::duration idle{};
    const auto start = Clock::now();
    while (!done() && Clock::now() - start < std::chrono::seconds(10)) {
        const auto before = Clock::now();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        idle += Clock::now() - before;
        app.ProcessMessages();
    }
    return Ms(Clock::now() - start - idle);
}

std::string WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::string path = Narrow(base) + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main() {
    OleInitialize(nullptr);
    int result = 0;
    {
        TApplication app;
        app.Initialize();
        app.OnException = [](TObject*, const std::exception& e) {
            std::printf("error: %s\n", e.what());
        };
        TSkinChoice::SetMessageSink(
            [](HWND, const std::string& text) { std::printf("message: %s\n", text.c_str()); });
        TForm1* form = app.CreateForm<TForm1>();
        form->Show();
        HWND w = form->Handle();
        int changed = 0;
        form->SkinData1->OnSkinChanged = [&](TObject*) { ++changed; };
        BusyMsUntil(app, [&] { return SendMessageW(w, WM_SKIN_QUERY, 0, 0) == 1; });

        // Two different skins: the program's skin files when the build has them, else the
        // built-in skin written out, switched against the built-in one.
        std::vector<std::string> files = form->SkinChoice().Files();
        const std::string builtIn = WriteTemp("corvane-bench-builtin.skin", form->SkinData1->Store);
        if (files.empty()) files.push_back(builtIn);
        const std::string target = files.front();
        auto other = [&] {
            if (files.size() > 1)
                form->SkinChoice().ChooseFile(files[1]);
            else
                form->SkinChoice().ChooseBuiltIn();
        };
        auto settle = [&](int before) {
            return BusyMsUntil(app, [&] { return changed > before; });
        };

        const int runs = 9;
        std::vector<double> live, shown, cold, applied, check, choose, command;
        for (int r = 0; r < runs; ++r) {
            int before = changed;
            other();
            settle(before);
            // Live: the whole switch, as the menu makes it.
            before = changed;
            const auto start = Clock::now();
            const bool chosen = form->SkinChoice().ChooseFile(target);
            const double sync = Ms(Clock::now() - start);
            const double rest = settle(before);
            // The switch paints the window itself; whatever it left invalid is painted here.
            const auto pending = Clock::now();
            RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            shown.push_back(sync + rest + Ms(Clock::now() - pending));
            const auto paint = Clock::now();
            FullRepaint(w);
            live.push_back(shown.back() + Ms(Clock::now() - paint));
            choose.push_back(sync);
            command.push_back(rest);
            const auto checkStart = Clock::now();
            const auto bytes = ReadAll(target);
            app::CheckSkinStore(bytes);
            check.push_back(Ms(Clock::now() - checkStart));
            if (!chosen || changed == before) {
                std::printf("the switch did not happen\n");
                result = 1;
                break;
            }
            // Cold: the same file into a new component, and one full repaint.
            const auto coldStart = Clock::now();
            {
                TSkinData data(nullptr);
                data.Store = ReadAll(target);
                data.LoadSkin();
            }
            FullRepaint(w);
            cold.push_back(Ms(Clock::now() - coldStart));
            // Cold onto the window: the same file chosen while the window has no skin, so it is
            // loaded, then put on the window from scratch, and painted.
            before = changed;
            form->SkinChoice().ChooseNone();
            settle(before);
            before = changed;
            const auto applyStart = Clock::now();
            form->SkinChoice().ChooseFile(target);
            const double applySync = Ms(Clock::now() - applyStart);
            const double applyRest = settle(before);
            const auto applyPaint = Clock::now();
            FullRepaint(w);
            applied.push_back(applySync + applyRest + Ms(Clock::now() - applyPaint));
        }
        if (result == 0) {
            std::sort(live.begin(), live.end());
            std::sort(shown.begin(), shown.end());
            std::sort(cold.begin(), cold.end());
            std::sort(applied.begin(), applied.end());
            std::printf("skin %s\n", target.c_str());
            std::printf("cold load + full repaint: best %7.2f ms  median %7.2f ms\n", cold.front(),
                        cold[cold.size() / 2]);
            std::printf("live switch until shown:  best %7.2f ms  median %7.2f ms\n", shown.front(),
                        shown[shown.size() / 2]);
            std::printf("ratio (best, median): %.2f  %.2f\n", shown.front() / cold.front(),
                        shown[shown.size() / 2] / cold[cold.size() / 2]);
            std::printf("live switch + another full repaint: best %7.2f ms  median %7.2f ms\n",
                        live.front(), live[live.size() / 2]);
            std::printf("ratio (best, median): %.2f  %.2f\n", live.front() / cold.front(),
                        live[live.size() / 2] / cold[cold.size() / 2]);
            std::printf("skin put on the unskinned window: best %7.2f ms  median %7.2f ms; "
                        "live switch against it: %.2f  %.2f\n",
                        applied.front(), applied[applied.size() / 2],
                        shown.front() / applied.front(),
                        shown[shown.size() / 2] / applied[applied.size() / 2]);
            for (auto* v : {&check, &choose, &command}) std::sort(v->begin(), v->end());
            std::printf("of the live switch (medians): choosing %.2f ms (the file check alone "
                        "%.2f ms), the manager's refresh %.2f ms\n",
                        choose[choose.size() / 2], check[check.size() / 2],
                        command[command.size() / 2]);
        }
        TSkinChoice::SetMessageSink(nullptr);
        DeleteFileA(builtIn.c_str());
        form->Close();
        app.ProcessMessages();
    }
    OleUninitialize();
    return result;
}
