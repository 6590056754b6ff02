#pragma once
// Shared set-up for tests that need the application object and the main window.
#include "app/main_form.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The one application object of the test process. Errors that the program would show in a
// message box are recorded here instead, so no test ever waits on a modal dialog.
TApplication& TestApplication();
std::vector<std::string>& ShownErrors();

// Runs the message loop until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// The popup menu windows ("#32768") of this thread that are shown, in the system's order.
std::vector<HWND> OpenMenuWindows();
void PumpFor(int ms);
// Dispatches the queued messages one at a time and says whether the queue ran dry within
// maxMessages. A window that never validates is asked to paint for ever: this fails on it where
// ProcessMessages would never return.
bool QueueSettles(int maxMessages = 2000);
// How many windows under `top` the control answers for: one, or it is split over two.
int WindowsOf(HWND top, TWinControl* control, HWND* found = nullptr);

// GDI objects and windows held by this process. Wine answers GetGuiResources with 0, so the
// GDI count reads the process's GDI handle table and the USER count counts its windows.
long GdiObjectCount();
long WindowCount();
struct GuiCounts {
    long gdi, user;
};
GuiCounts CurrentGuiCounts();

// The process's skin manager for one test, made when there is none, and left as the test found
// it: the one it made goes, or the one there was gets its switch and count back. (A manager left
// switched off with a count keeps the next main window from ever being skinned.)
class TSkinManage;
class ScopedSkinManager {
public:
    ScopedSkinManager();
    ~ScopedSkinManager();
    ScopedSkinManager(const ScopedSkinManager&) = delete;
    ScopedSkinManager& operator=(const ScopedSkinManager&) = delete;
    TSkinManage* get() const { return manager_; }

private:
    TSkinManage* manager_ = nullptr;
    bool made_ = false, enabled_ = false;
    int activeCount_ = 0;
};

// Pumps through the manager's pending delayed command, posted at `postedAt` (GetTickCount): it
// must not have run, nor `effect` (when given) be seen, at half its delay, and both must come
// within a generous cap. Should the pump itself be held up past the delay, no early run can be
// told and only the outcome is checked.
::testing::AssertionResult CommandRunsAfterItsDelay(TSkinManage& m, DWORD postedAt,
                                                    unsigned delayMs,
                                                    const std::function<bool()>& effect = {});
// Pumps until the manager has no command pending (within a generous cap).
::testing::AssertionResult PumpUntilNoCommandPending(TSkinManage& m);

// A fresh main window, shown; deleted at the end of the test.
std::unique_ptr<TForm1> MakeMainForm();

// Answers the next file-open dialog of this process from another thread: types the path and
// presses Open, or cancels when the path is empty. Join() waits for it.
class DialogDriver {
public:
    explicit DialogDriver(std::wstring path);
    ~DialogDriver();
    bool Answered() const { return answered_; }

private:
    static DWORD WINAPI Run(LPVOID self);
    std::wstring path_;
    HANDLE thread_;
    volatile bool answered_ = false;
};

// A folder of its own under the test's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; } // ends with a separator
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

std::string ReadAll(const std::string& path);

// prefix, the number, suffix. Built by appending: GCC 12 warns falsely (-Wrestrict) about a
// literal added in front of a temporary string.
inline std::string NumberedName(const char* prefix, int n, const char* suffix) {
    std::string s = prefix;
    s += std::to_string(n);
    s += suffix;
    return s;
}

// The url(...) references of a stylesheet in order, quotes and surrounding spaces removed.
std::vector<std::string> UrlReferences(const std::string& css);

// The check every end-to-end run must pass: pairing the url(...) references of the stylesheet
// at `cssPath` with those of its backup (the text just before the rewrite) by position, each
// reference that changed resolves under URL rules (relative to the stylesheet, query and
// fragment dropped, percent-decoded as UTF-8, other bytes in the stylesheet's encoding) to a
// file in the stylesheet's folder that holds the bytes `server` serves for the address the
// reference was made from (its line in mmo2, requested as the run requests it); without a
// server, to the file of the reference's row. A reference whose row shows completion and that
// did not change must already resolve so. `downloaded` receives how many were checked.
class HttpServer;
::testing::AssertionResult RewrittenReferencesResolve(TForm1& form, const std::string& cssPath,
                                                      int* downloaded = nullptr,
                                                      const HttpServer* server = nullptr);
