// The skinned frame against the system's own, on one window in one run: a full frame paint
// (the non-client area invalidated and painted at once) and a resize step (the window one
// pixel wider or narrower: the client area worked out again, the region rebuilt, the frame
// painted). The window is the main window's size with the product skin; the baseline is the
// same window before the skin is attached.
#include "skin/form/win_skin_form.h"
#include "toolkit/forms.h"

#include "bench_timing.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

struct Figures {
    double paint, resize;
};

Figures Measure(HWND w) {
    auto paint = [w] {
        RedrawWindow(w, nullptr, nullptr,
                     RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
    };
    bool wider = true;
    auto resize = [w, &wider] {
        RECT r;
        GetWindowRect(w, &r);
        SetWindowPos(w, nullptr, 0, 0, r.right - r.left + (wider ? 1 : -1), r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        RedrawWindow(w, nullptr, nullptr,
                     RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
        wider = !wider;
    };
    return {BestMicros(7, 200, paint), BestMicros(7, 100, resize)};
}

} // namespace

int main() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    std::ifstream in(std::string(CORVANE_BINARY_DIR) + "/generated/skin.store", std::ios::binary);
    std::vector<std::uint8_t> store{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    TApplication app;
    auto* form = new TForm(&app);
    form->SetBorderStyle(bsSizeable);
    form->SetClientSize(918, 644);
    form->Show();
    app.ProcessMessages();
    auto* data = new TSkinData(form);
    data->Store = store;
    if (!data->LoadSkin()) {
        std::printf("the product skin did not load\n");
        return 1;
    }
    HWND w = form->WindowHandle();
    Figures native = Measure(w);
    auto* skin = new TWinSkinForm(form);
    skin->Handle = w;
    skin->Attach(data, form);
    SendMessageW(w, WM_SKIN_APPLY, 0, kSkinApplyTag);
    app.ProcessMessages();
    if (SendMessageW(w, WM_SKIN_QUERY, 0, 0) != 1) {
        std::printf("the window was not skinned\n");
        return 1;
    }
    Figures skinned = Measure(w);
    std::printf("frame paint:  system %8.1f us  skinned %8.1f us  ratio %.2f\n", native.paint,
                skinned.paint, skinned.paint / native.paint);
    std::printf("resize step:  system %8.1f us  skinned %8.1f us  ratio %.2f\n", native.resize,
                skinned.resize, skinned.resize / native.resize);
    delete form;
    return 0;
}
