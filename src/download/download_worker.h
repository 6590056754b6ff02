#pragma once
// The download worker: one short-lived thread per image. The main thread writes the hand-over
// variables and starts the thread; the thread copies them before the main thread goes on, so a
// later start can never overwrite the values of an earlier one.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Hand-over variables, written by the main thread just before a start.
extern std::string CurrentURL;
extern std::string CurrentFile;
extern int32_t CurrentItem;

// What a worker reports, in the order it happened.
struct DownloadEvent {
    enum Kind { Progress, Finished } kind;
    uint32_t run;
    int32_t item;
    ULONG progress = 0, maximum = 0;
    bool ok = false;
};

// Carries worker events to the window's thread: a queue drained there after a posted wake-up.
// Shared by the workers, so a worker that outlives the window drops its events harmlessly.
class DownloadChannel {
public:
    DownloadChannel(HWND target, UINT message) : target_(target), message_(message) {}
    void Post(const DownloadEvent& e);
    std::vector<DownloadEvent> Take();
    // The window is going: later events are dropped.
    void Close();

private:
    std::mutex mutex_;
    HWND target_;
    UINT message_;
    bool wakePending_ = false;
    std::vector<DownloadEvent> queue_;
};

// Starts DownloadProc for the hand-over variables and returns once the worker holds its own
// copies. The request carries `referrer` when it is not empty. The thread handle is not kept.
void StartDownloadWorker(std::shared_ptr<DownloadChannel> channel, uint32_t run,
                         const std::string& referrer = {});

// Workers still running, of every run.
int RunningDownloadWorkers();

DWORD WINAPI DownloadProc(LPVOID);
