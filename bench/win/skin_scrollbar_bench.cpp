// Skinned scroll bars against the system's own, in one run: a long memo covered by the skin
// and its unskinned twin on the same form. Each step of a thumb drag moves the position and
// repaints the bar: the twin's native bar paints itself (SetScrollPos with redraw); on the
// skinned memo the system does the same under the cover, and the cover is then invalidated and
// painted at once from the skin (arrows, track, thumb, grip).
// A second figure repaints without moving: the twin's whole frame (its edge and both native
// bars) against the one vertical cover.
#include "bench_timing.h"
#include "skin/controls/skin_scrollbars.h"
#include "skin/data/skin_data.h"
#include "skin/form/skin_messages.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void Pump(TApplication& app, int ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
        app.ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

TMemo* LongMemo(TForm& form, int x, const std::string& text) {
    auto* m = new TMemo(&form);
    m->SetParent(&form);
    m->SetBounds(x, 10, 420, 460);
    m->SetScrollBars(ssBoth);
    m->SetWordWrap(false);
    m->Lines().SetText(text);
    return m;
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
        auto* form = new TForm(&app);
        form->SetTag(99);
        form->SetBounds(40, 40, 900, 520);
        auto* data = new TSkinData(form);
        std::ifstream in(std::string(CORVANE_BINARY_DIR) + "/generated/skin.store",
                         std::ios::binary);
        data->Store = {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        data->LoadSkin();
        std::string text;
        for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + " of the memo\r\n";
        TMemo* skinned = LongMemo(*form, 10, text);
        TMemo* native = LongMemo(*form, 450, text);
        native->SetTag(data->DisableTag);
        form->Show();
        auto* skin = new TWinSkinForm(form);
        skin->Handle = form->WindowHandle();
        skin->Attach(data, form);
        SendMessageW(form->WindowHandle(), WM_SKIN_APPLY, 0, kSkinApplyTag);
        Pump(app, 300);
        TSkinScrollbar* object = nullptr;
        for (TComponent* c : skin->SkinnedControls())
            if (auto* s = dynamic_cast<TSkinScrollbar*>(c); s && s->Control() == skinned) object = s;
        if (!object || !object->VertBar()->Shown()) {
            std::printf("the memo's bar was not covered\n");
            result = 1;
        } else {
            HWND s = skinned->WindowHandle(), n = native->WindowHandle();
            HWND cover = object->VertBar()->Cover();
            SCROLLINFO si{sizeof(si), SIF_RANGE};
            GetScrollInfo(n, SB_VERT, &si);
            const int range = si.nMax - si.nMin;
            int step = 0;
            auto nativeStep = [&] {
                step = (step + 7) % range;
                SetScrollPos(n, SB_VERT, step, TRUE);
            };
            auto coverStep = [&] {
                step = (step + 7) % range;
                // The system still paints its own bar, clipped away under the cover.
                SetScrollPos(s, SB_VERT, step, TRUE);
                RedrawWindow(cover, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            };
            auto nativeRepaint = [&] {
                RedrawWindow(n, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW |
                                                      RDW_NOERASE | RDW_NOCHILDREN);
            };
            auto coverRepaint = [&] {
                RedrawWindow(cover, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            };
            const double nDrag = BestMicros(7, 300, nativeStep);
            const double cDrag = BestMicros(7, 300, coverStep);
            const double nPaint = BestMicros(7, 300, nativeRepaint);
            const double cPaint = BestMicros(7, 300, coverRepaint);
            std::printf("drag step (move + bar repaint): system %8.1f us  skinned %8.1f us  "
                        "ratio %.2f\n",
                        nDrag, cDrag, cDrag / nDrag);
            std::printf("frame repaint vs cover repaint: system %8.1f us  skinned %8.1f us  "
                        "ratio %.2f\n",
                        nPaint, cPaint, cPaint / nPaint);
        }
        form->Close();
        app.ProcessMessages();
    }
    OleUninitialize();
    return result;
}
