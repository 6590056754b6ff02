// Skinned scroll bars against the system's own, in one run: a long memo covered by the skin
// and its unskinned twin on the same form. A thumb drag is a real one: a press on the thumb
// (through the cover on the skinned memo, on the native bar of the twin) runs the system's
// tracking loop, which takes the moves, scrolls the memo and lets everything waiting to be
// painted paint before the next move, as it does between the moves of a hand; the time is per
// move.
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
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The tracking loop's messages pass here first.
HHOOK gFilter = nullptr;
std::function<void(const MSG&)> gOnLoop;
LRESULT CALLBACK LoopFilter(int code, WPARAM w, LPARAM l) {
    if (code == MSGF_SCROLLBAR && gOnLoop) gOnLoop(*reinterpret_cast<MSG*>(l));
    return CallNextHookEx(gFilter, code, w, l);
}

// One drag of `moves` steps on the vertical thumb of `host`: down and up along the bar, each
// step's painting done before the next move is taken. `press` starts the loop.
void Drag(HWND host, HWND form, int moves, const std::function<void(POINT)>& press) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    GetScrollBarInfo(host, OBJID_VSCROLL, &info);
    const POINT grab = {(info.rcScrollBar.left + info.rcScrollBar.right) / 2,
                        info.rcScrollBar.top + (info.xyThumbTop + info.xyThumbBottom) / 2};
    const int room = (info.rcScrollBar.bottom - info.rcScrollBar.top) / 2;
    int step = 0;
    auto post = [&] {
        // A zigzag through the track, so every move changes the position.
        const int offset = (step * 5) % room;
        POINT p = {grab.x, grab.y + offset};
        SetCursorPos(p.x, p.y);
        ScreenToClient(host, &p);
        if (step < moves)
            PostMessageW(host, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        else
            PostMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        ++step;
    };
    gOnLoop = [&](const MSG& m) {
        if (m.message != WM_MOUSEMOVE) return;
        RedrawWindow(form, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        post();
    };
    gFilter = SetWindowsHookExW(WH_MSGFILTER, LoopFilter, nullptr, GetCurrentThreadId());
    SetCursorPos(grab.x, grab.y);
    post();
    press(grab);
    UnhookWindowsHookEx(gFilter);
    gFilter = nullptr;
    gOnLoop = nullptr;
    RedrawWindow(form, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

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
            if (auto* s = dynamic_cast<TSkinScrollbar*>(c); s && s->Control() == skinned)
                object = s;
        if (!object || !object->VertBar()->Shown()) {
            std::printf("the memo's bar was not covered\n");
            result = 1;
        } else {
            HWND s = skinned->WindowHandle(), n = native->WindowHandle();
            HWND cover = object->VertBar()->Cover();
            HWND top = form->WindowHandle();
            constexpr int kMoves = 40;
            auto nativeDrag = [&] {
                Drag(n, top, kMoves, [&](POINT at) {
                    SendMessageW(n, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(at.x, at.y));
                });
            };
            auto coverDrag = [&] {
                Drag(s, top, kMoves, [&](POINT at) {
                    ScreenToClient(cover, &at);
                    SendMessageW(cover, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
                });
            };
            auto nativeRepaint = [&] {
                RedrawWindow(n, nullptr, nullptr,
                             RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE |
                                 RDW_NOCHILDREN);
            };
            auto coverRepaint = [&] {
                RedrawWindow(cover, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            };
            const double nDrag = BestMicros(5, 4, nativeDrag) / kMoves;
            const double cDrag = BestMicros(5, 4, coverDrag) / kMoves;
            const double nPaint = BestMicros(7, 300, nativeRepaint);
            const double cPaint = BestMicros(7, 300, coverRepaint);
            std::printf("drag move (tracking loop + repaint): system %8.1f us  skinned %8.1f us  "
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
