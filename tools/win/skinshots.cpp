// Pictures of the program's windows in the skin, for review: the main window active and
// inactive, its step-four page, a message box and the open dialog.
//   skinshots.exe <output folder> [--skin <skin file>]
// --skin starts the main window in the skin of a skin file instead of the one it carries.
//
// The dialogs are modal: a timer captures them from inside their own loop and closes them.
#include "app/main_form.h"
#include "download/progress_text.h"
#include "gallery_form.h"
#include "skin/data/skin_manage.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/win_text.h"
#include "window_capture.h"

#include <ole2.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::wstring gFolder;

void Pump(int ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The top-level window of this thread that is modal over `owner`, if up yet.
HWND ModalOver(HWND owner) {
    struct Find {
        HWND owner, found;
    } f{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM l) -> BOOL {
            auto* f = reinterpret_cast<Find*>(l);
            if (w != f->owner && IsWindowVisible(w) && GetWindow(w, GW_OWNER) == f->owner) {
                f->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND gOwner = nullptr;
const wchar_t* gName = nullptr;
int gTicks = 0;

void CALLBACK CaptureModal(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = ModalOver(gOwner);
    // Wait for the skin to be applied (it is posted) and the dialog painted.
    if (!dialog || ++gTicks < 12) {
        if (gTicks > 100) KillTimer(nullptr, id);
        return;
    }
    KillTimer(nullptr, id);
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    CaptureWindowToPng(dialog, gFolder + gName);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

void CaptureNextModal(HWND owner, const wchar_t* name) {
    gOwner = owner;
    gName = name;
    gTicks = 0;
    SetTimer(nullptr, 0, 100, CaptureModal);
}

// A menu open on `area`: keys walk into it, then the screen under the window (the menu on top)
// is captured and the menu closed, all from a timer inside the menu's own loop.
struct MenuShot {
    HWND area;
    const wchar_t* name;
    std::vector<UINT> keys;
    int tick = 0;
};
MenuShot* gMenuShot = nullptr;

HWND OpenMenuWindow() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM l) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (IsWindowVisible(w) && lstrcmpW(cls, L"#32768") == 0)
                *reinterpret_cast<HWND*>(l) = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK MenuStep(HWND, UINT, UINT_PTR id, DWORD) {
    if (!gMenuShot) {
        KillTimer(nullptr, id);
        return;
    }
    MenuShot& s = *gMenuShot;
    ++s.tick;
    if (s.tick > 60) { // never leave a menu waiting
        KillTimer(nullptr, id);
        EndMenu();
        return;
    }
    HWND menu = OpenMenuWindow();
    if (!menu) return;
    const size_t step = static_cast<size_t>(s.tick);
    if (step <= s.keys.size() + 2) {
        if (step >= 3) {
            UINT key = s.keys[step - 3];
            PostMessageW(menu, WM_KEYDOWN, key, 1);
            PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
        }
        return;
    }
    if (step < s.keys.size() + 6) return; // let the last submenu paint
    KillTimer(nullptr, id);
    CaptureWindowToPng(s.area, gFolder + s.name);
    EndMenu();
}

void ShootMenu(MenuShot& shot, const std::function<void()>& open) {
    gMenuShot = &shot;
    SetTimer(nullptr, 0, 120, MenuStep);
    open();
    Pump(200);
    gMenuShot = nullptr;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    gFolder = argv[1];
    std::string skinFile;
    if (argc >= 4 && std::wstring(argv[2]) == L"--skin") {
        const int n = WideCharToMultiByte(CP_ACP, 0, argv[3], -1, nullptr, 0, nullptr, nullptr);
        skinFile.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
        WideCharToMultiByte(CP_ACP, 0, argv[3], -1, skinFile.data(), n, nullptr, nullptr);
    }
    if (!gFolder.empty() && gFolder.back() != L'\\' && gFolder.back() != L'/') gFolder += L'\\';
    OleInitialize(nullptr);
    int rc = 0;
    {
        TApplication app;
        app.Initialize();
        app.SetTitle("Corvane");
        auto* form = app.CreateForm<TForm1>();
        // Before the first skinning pass, which the window's creation queued, so the window
        // starts in the file's skin; loaded as a non-main component would load it, so no
        // refresh is asked of the manager for windows not skinned yet.
        if (!skinFile.empty()) {
            form->SkinData1->SkinFormtype = sfOnlyThisForm;
            form->SkinData1->SetSkinFile(skinFile);
            form->SkinData1->SkinFormtype = sfMainform;
            if (form->SkinData1->SkinNotLoaded) return 6;
        }
        form->Show();
        Pump(1500);
        HWND main = form->WindowHandle();
        if (!CaptureWindowToPng(main, gFolder + L"main-window.png")) rc = 3;

        // Inactive: another window of ours takes the activation for a moment.
        HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
        SetActiveWindow(other);
        Pump(300);
        CaptureWindowToPng(main, gFolder + L"main-window-inactive.png");
        DestroyWindow(other);
        SetForegroundWindow(main);
        Pump(300);
        // Step four: the check box and the run buttons.
        form->pgc1->SetActivePage(form->ts4);
        Pump(300);
        CaptureWindowToPng(main, gFolder + L"main-window-step4.png");
        // Step two with a long reference list: the text box scrolls on skinned bars, moved
        // down a way as a reader would.
        {
            std::string refs;
            for (int i = 0; i < 3000; ++i)
                refs += "background:url(../images/banner/slide_" + std::to_string(i) +
                        "_background_with_a_long_name.png) no-repeat\r\n";
            form->mmo1->Lines().SetText(refs);
            form->pgc1->SetActivePage(form->ts2);
            Pump(300);
            SendMessageW(form->mmo1->WindowHandle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 600),
                         0);
            Pump(300);
            CaptureWindowToPng(main, gFolder + L"main-window-step2-scroll.png");
        }
        // Step four while a run adds its rows: finished rows, one under way, the list past its
        // height so its bar shows.
        {
            form->pgc1->SetActivePage(form->ts4);
            Pump(200);
            TListView* list = form->ListView1;
            for (int i = 0; i < 40; ++i) {
                TListItem* item = list->Items().Add();
                const uint32_t size = 2000 + 150 * static_cast<uint32_t>(i);
                const download::ProgressTexts t =
                    download::ProgressFor(i < 36 ? size : size / 3, size, i);
                item->SetCaption(Utf8ToAnsi(t.caption));
                item->SubItems().Add(Utf8ToAnsi(t.progress));
                item->SubItems().Add("slide_" + std::to_string(i) + ".png");
                item->SubItems().Add("../images/banner/slide_" + std::to_string(i) + ".png");
                Pump(10);
            }
            list->Scroll(0, 100000);
            Pump(300);
            CaptureWindowToPng(main, gFolder + L"main-window-step4-run.png");
            list->Items().Clear();
        }
        form->pgc1->SetActivePage(form->ts1);
        Pump(300);

        CaptureNextModal(main, L"message-box.png");
        MessageBoxW(main, L"无法打开文件 \"C:\\样式\\style.css\"。", L"Corvane",
                    MB_OK | MB_ICONERROR);
        Pump(300);

        CaptureNextModal(main, L"open-dialog.png");
        form->dlgOpen1->Execute();
        Pump(300);

        // The main window's system menu, as Alt+Space shows it.
        SetForegroundWindow(main);
        Pump(200);
        MenuShot system{main, L"main-window-system-menu.png", {}};
        ShootMenu(system, [&] { SendMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, L' '); });
        // Its skin submenu, the last entry.
        MenuShot skins{main, L"main-window-skin-menu.png", {VK_UP, VK_RIGHT}};
        ShootMenu(skins, [&] { SendMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, L' '); });

        // The gallery, skinned like every window of the program, with a nested menu open:
        // File (Open selected), down to Recent, into it, down to More, into it.
        auto* gallery = new TGalleryForm(&app);
        gallery->Show();
        Pump(1000);
        HWND g = gallery->WindowHandle();
        CaptureWindowToPng(g, gFolder + L"gallery-skinned.png");
        MenuShot nested{
            g, L"gallery-menu.png", {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RIGHT}};
        ShootMenu(nested, [&] {
            // The File entry opened the way a click on it does.
            TWinSkinForm* skin =
                TSkinManage::Instance() ? TSkinManage::Instance()->FindSkinnedForm(g) : nullptr;
            if (!skin) return;
            RECT wr;
            GetWindowRect(g, &wr);
            SendMessageW(g, WM_SKIN_MENU_AT, 0,
                         MAKELPARAM(wr.left + skin->LeftWidth() + 12,
                                    wr.top + skin->TitleHeight() + skin->MenuBarHeight() / 2));
        });
        gallery->Close();
        Pump(100);
        form->Close();
        Pump(100);
    }
    OleUninitialize();
    return rc;
}
