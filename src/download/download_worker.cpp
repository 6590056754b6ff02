#include "download/download_worker.h"

#include "download/bind_status_callback.h"
#include "download/transfer.h"
#include "toolkit/exceptions.h"
#include "toolkit/handles.h"

#include <atomic>

std::string CurrentURL;
std::string CurrentFile;
int32_t CurrentItem = 0;

namespace {
// Beyond the three values every worker needs the channel and the run it belongs to.
std::shared_ptr<DownloadChannel> gCurrentChannel;
uint32_t gCurrentRun = 0;
std::string gCurrentReferrer;
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
    const std::string referrer = gCurrentReferrer;
    SetEvent(gHandedOver.get());

    auto* callback = new TBindStatusCallback([&](ULONG progress, ULONG maximum, int index) {
        channel->Post({DownloadEvent::Progress, run, index, progress, maximum, false});
    });
    callback->SetItemIndex(item);
    DownloadResult result = DownloadToFile(url, file, callback, referrer);
    // The callback's life is the transfer's, whatever its reference count says.
    delete callback;
    channel->Post({DownloadEvent::Finished, run, item, 0, 0, result.ok});
    --gRunning;
    return 0;
}

void StartDownloadWorker(std::shared_ptr<DownloadChannel> channel, uint32_t run,
                         const std::string& referrer) {
    gCurrentChannel = std::move(channel);
    gCurrentRun = run;
    gCurrentReferrer = referrer;
    ResetEvent(gHandedOver.get());
    ++gRunning;
    HANDLE thread = CreateThread(nullptr, 1024, DownloadProc, nullptr, 0, nullptr);
    if (!thread) {
        --gRunning;
        throw Exception("Cannot start a download thread");
    }
    CloseHandle(thread);
    WaitForSingleObject(gHandedOver.get(), INFINITE);
    gCurrentChannel.reset();
}

int RunningDownloadWorkers() {
    return gRunning.load();
}
