// Skinned controls against the system's own painting, on the main window in one run: a
// repaint of one push button, and of the whole client area with its children. The main window
// is skinned by its own skin data and the manager as at start-up; the baseline is the same
// window with every skinned control suspended (WM_SKIN_ACTIVE 0), which hands each message
// straight to the control's own handling.
#include "app/main_form.h"
#include "bench_timing.h"
#include "skin/form/skin_messages.h"

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Figures {
    double button, client;
};

Figures Measure(HWND form, HWND button) {
    auto one = [button] {
        RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    };
    auto all = [form] {
        RedrawWindow(form, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    return {BestMicros(7, 300, one), BestMicros(7, 30, all)};
}

void CollectSkinned(HWND parent, std::vector<HWND>& out) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (SendMessageW(c, WM_SKIN_QUERY, 0, 0) == 1) out.push_back(c);
        CollectSkinned(c, out);
    }
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
        TForm1* form = app.CreateForm<TForm1>();
        form->Show();
        HWND button = form->btn1->Handle();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (SendMessageW(button, WM_SKIN_QUERY, 0, 0) != 1 &&
               std::chrono::steady_clock::now() < deadline) {
            app.ProcessMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        std::vector<HWND> skinned;
        CollectSkinned(form->Handle(), skinned);
        if (skinned.empty()) {
            std::printf("the main window's controls were not skinned\n");
            result = 1;
        } else {
            HWND w = form->Handle();
            Figures skin = Measure(w, button);
            for (HWND c : skinned) SendMessageW(c, WM_SKIN_ACTIVE, 0, 0);
            Figures native = Measure(w, button);
            for (HWND c : skinned) SendMessageW(c, WM_SKIN_ACTIVE, 1, 0);
            std::printf("%zu skinned controls\n", skinned.size());
            std::printf("button repaint: system %8.1f us  skinned %8.1f us  ratio %.2f\n",
                        native.button, skin.button, skin.button / native.button);
            std::printf("client repaint: system %8.1f us  skinned %8.1f us  ratio %.2f\n",
                        native.client, skin.client, skin.client / native.client);
        }
        form->Close();
        app.ProcessMessages();
    }
    OleUninitialize();
    return result;
}
