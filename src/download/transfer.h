#pragma once
// Downloading one address into one file. The system's URL download function cannot be used as
// it is under Wine: it saves a server's 404 page under the target name and reports success, so
// a failed image would look downloaded. This one keeps its contract (blocking, progress and
// maximum in bytes to OnProgress on the calling thread) and fails on an error status instead.
#include <windows.h>
#include <urlmon.h>

#include "download/outcome.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

struct DownloadResult {
    bool ok = false;
    // Why the download failed, 8-bit text in the system code page; empty on success.
    std::string reason;
    download::Failure failure = download::Failure::None;
    // DownloadImage: the name the image is in the folder under, and whether that file was
    // there already with the same bytes (nothing was written).
    std::string fileName;
    bool reused = false;
    // The final response's status after redirects; 0 when no response came.
    unsigned long httpStatus = 0;
    unsigned long long bytes = 0; // body bytes written to the file

    explicit operator bool() const { return ok; }
};

// What every request says about its sender: the product, as a browser names itself.
extern const char kUserAgent[];

// Fetches url (http or https, redirects followed as a browser follows them, http to https
// included, with the system's certificate checks; never from the cache) into path (8-bit system
// code page). Calls callback->OnProgress (when callback is not null) on the calling thread with
// the bytes received so far and the announced length (0 while unknown); exactly one notification
// has progress equal to maximum, the last one, sent once the file is in place. A failure (status
// 400 or above, network or file error, a truncated body) sends no such notification and leaves
// no file of its own behind: an existing file at path stays as it was. A failing OnProgress
// result cancels the download. The request carries `referrer` as its Referer when not empty.
// Never throws.
DownloadResult DownloadToFile(const std::string& url, const std::string& path,
                              IBindStatusCallback* callback, const std::string& referrer = {});

// Lets another thread stop a transfer: Cancel makes it end soon with Failure::Cancelled,
// leaving no file of its own behind.
class TransferControl {
public:
    void Cancel();
    bool Cancelled() const { return cancelled_.load(); }

    // The transfer's request handle while it is open. Unregister says whether the handle is
    // still the transfer's to close (Cancel may have closed it to break a blocking call).
    bool Register(void* request);
    bool Unregister();

private:
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    void* request_ = nullptr;
};

// Where a downloaded image goes: `name` in `folder` unless that would replace anything. A file
// that is there already with the same bytes is used as it is; otherwise the next name is tried,
// `nextPrefix()` followed by `name`, each checked against the folder when the file is put there.
// The stylesheet, its backups and the download log are never taken (download::IsReservedTarget).
struct ImagePlacement {
    std::string folder; // ends with a separator, or "" for the working folder
    std::string name;
    std::string stylesheetName;
    std::function<std::string()> nextPrefix; // thread-safe
};

struct DownloadOptions {
    std::string referrer;
    // The whole transfer must end within this time, however the server trickles.
    unsigned deadlineMs = 120000;
    std::shared_ptr<TransferControl> control; // may be null
};

// DownloadToFile's transfer, put in place by `placement` instead of over a path, and failing
// with Failure::NotImage for an answer that is a page (download::IsNonImageAnswer).
DownloadResult DownloadImage(const std::string& url, const ImagePlacement& placement,
                             IBindStatusCallback* callback, const DownloadOptions& options);
