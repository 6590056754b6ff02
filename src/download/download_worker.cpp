#include "download/download_worker.h"

#include "download/bind_status_callback.h"
#include "download/collision_random.h"
#include "download/transfer.h"
#include "toolkit/handles.h"

#include <algorithm>
#include <atomic>

std::string CurrentURL;
std::string CurrentFile;
int32_t CurrentItem = 0;

namespace {
// Beyond the three values every worker needs the channel and the run it belongs to.
std::shared_ptr<DownloadChannel> gCurrentChannel;
uint32_t gCurrentRun = 0;
const WorkerSettings* gCurrentSettings = nullptr;
WorkerThreadStarter gStarter = nullptr;
UniqueKernelHandle gHandedOver(CreateEventW(nullptr, FALSE, FALSE, nullptr));
std::atomic<int> gRunning{0};
} // namespace

void DownloadChannel::Post(const DownloadEvent& e) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!target_) return;
    queue_.push_back(e);
    if (!wakePending_) {
        wakePending_ = true;
        PostMessageW(target_, message_, 0, 0);
    }
}

std::vector<DownloadEvent> DownloadChannel::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    wakePending_ = false;
    return std::exchange(queue_, {});
}

void DownloadChannel::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    target_ = nullptr;
    queue_.clear();
}

DWORD WINAPI DownloadProc(LPVOID) {
    const std::string url = CurrentURL;
    const std::string file = CurrentFile;
    const int32_t item = CurrentItem;
    const std::shared_ptr<DownloadChannel> channel = gCurrentChannel;
    const uint32_t run = gCurrentRun;
    const WorkerSettings settings = *gCurrentSettings;
    SetEvent(gHandedOver.get());

    ImagePlacement placement;
    placement.folder = settings.folder;
    placement.name = file.substr(std::min(settings.folder.size(), file.size()));
    placement.stylesheetName = settings.stylesheetName;
    placement.nextPrefix = NextCollisionPrefix;
    DownloadOptions options;
    options.referrer = settings.referrer;
    options.deadlineMs = settings.deadlineMs;
    options.control = settings.control;

    auto* callback = new TBindStatusCallback([&](ULONG progress, ULONG maximum, int index) {
        channel->Post({DownloadEvent::Progress, run, index, progress, maximum, false});
    });
    callback->SetItemIndex(item);
    DownloadResult result = DownloadImage(url, placement, callback, options);
    // The callback's life is the transfer's, whatever its reference count says.
    delete callback;
    DownloadEvent done{DownloadEvent::Finished, run, item, 0, 0, result.ok};
    done.failure = result.failure;
    done.httpStatus = result.httpStatus;
    done.fileName = result.fileName;
    done.reason = result.reason;
    channel->Post(done);
    --gRunning;
    return 0;
}

bool StartDownloadWorker(std::shared_ptr<DownloadChannel> channel, uint32_t run,
                         const WorkerSettings& settings) {
    gCurrentChannel = std::move(channel);
    gCurrentRun = run;
    gCurrentSettings = &settings;
    ResetEvent(gHandedOver.get());
    ++gRunning;
    HANDLE thread = gStarter ? gStarter(DownloadProc)
                             : CreateThread(nullptr, 1024, DownloadProc, nullptr, 0, nullptr);
    if (!thread) {
        --gRunning;
        gCurrentChannel.reset();
        gCurrentSettings = nullptr;
        return false;
    }
    CloseHandle(thread);
    WaitForSingleObject(gHandedOver.get(), INFINITE);
    gCurrentChannel.reset();
    gCurrentSettings = nullptr;
    return true;
}

void SetWorkerThreadStarter(WorkerThreadStarter starter) {
    gStarter = starter;
}

std::string NextCollisionPrefix() {
    // One sequence per program run, shared by every worker.
    static std::mutex mutex;
    static download::CollisionRandom random;
    std::lock_guard<std::mutex> lock(mutex);
    return random.NextPrefix();
}

int RunningDownloadWorkers() {
    return gRunning.load();
}
