#pragma once
// Downloading one address into one file. The system's URL download function cannot be used as
// it is under Wine: it saves a server's 404 page under the target name and reports success, so
// a failed image would look downloaded. This one keeps its contract (blocking, progress and
// maximum in bytes to OnProgress on the calling thread) and fails on an error status instead.
#include <windows.h>
#include <urlmon.h>

#include <string>

struct DownloadResult {
    bool ok = false;
    // Why the download failed, 8-bit text in the system code page; empty on success.
    std::string reason;
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
