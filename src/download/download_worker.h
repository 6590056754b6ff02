#pragma once
// The download worker: one short-lived thread per image. The main thread writes the hand-over
// variables and starts the thread; the thread copies them before the main thread goes on, so a
// later start can never overwrite the values of an earlier one.
#include "download/outcome.h"
#include "download/transfer.h"

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
    // Finished: why it failed, and the name the image is in the folder under.
    download::Failure failure = download::Failure::None;
    unsigned long httpStatus = 0;
    std::string fileName;
    std::string reason;
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

// What every worker of a run shares besides the hand-over variables.
struct WorkerSettings {
    std::string referrer;       // sent when not empty
    std::string folder;         // the target folder: CurrentFile is this followed by the name
    std::string stylesheetName; // names the image may not take (download::IsReservedTarget)
    unsigned deadlineMs = 120000;
    std::shared_ptr<TransferControl> control; // stops the run's transfers
};

// Starts DownloadProc for the hand-over variables and returns once the worker holds its own
// copies; false, with nothing started, when no thread can be made. The thread handle is not
// kept.
bool StartDownloadWorker(std::shared_ptr<DownloadChannel> channel, uint32_t run,
                         const WorkerSettings& settings);

// Makes the threads of later starts (tests: a starter that fails); null restores CreateThread.
using WorkerThreadStarter = HANDLE (*)(LPTHREAD_START_ROUTINE proc);
void SetWorkerThreadStarter(WorkerThreadStarter starter);

// The next collision prefix of the program run ("313_"), for any thread.
std::string NextCollisionPrefix();

// Workers still running, of every run.
int RunningDownloadWorkers();

DWORD WINAPI DownloadProc(LPVOID);
