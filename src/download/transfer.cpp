#include "download/transfer.h"

#include "download/atomic_file.h"
#include "download/file_names.h"
#include "toolkit/handles.h"
#include "toolkit/win_text.h"

#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

const char kUserAgent[] = "Mozilla/5.0 (compatible; Corvane/1.1)";

namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
using UniqueInternet = std::unique_ptr<void, InternetCloser>;

bool QueryText(HINTERNET request, DWORD what, std::string* out) {
    char buffer[256];
    DWORD size = sizeof buffer;
    if (!HttpQueryInfoA(request, what, buffer, &size, nullptr)) return false;
    out->assign(buffer, size);
    return true;
}

ULONG Clamp32(unsigned long long v) {
    return v > 0xFFFFFFFFull ? 0xFFFFFFFFul : ULONG(v);
}

// Between a transfer running on a thread of its own and the caller waiting for it: once the
// caller has given up on it, the transfer neither reports progress nor puts a file in place.
struct Gate {
    std::mutex mutex;
    bool abandoned = false;
    bool finished = false;
    std::string tempPath;
};

class Transfer {
public:
    Transfer(const std::string& url, const std::string& path, IBindStatusCallback* callback,
             const DownloadOptions& options, const ImagePlacement* placement, Gate* gate = nullptr)
        : url_(url), path_(path), options_(options), placement_(placement), callback_(callback),
          gate_(gate), wideUrl_(Widen(url)), start_(GetTickCount64()) {}

    DownloadResult Run();

private:
    DownloadResult Fail(download::Failure failure, std::string reason) {
        result_.ok = false;
        result_.failure = failure;
        result_.reason = std::move(reason);
        return result_;
    }
    DownloadResult FailSystem(DWORD code) {
        if (Cancelled()) return Fail(download::Failure::Cancelled, "cancelled");
        return Fail(download::FailureOfInternetError(code), SystemErrorText(code));
    }
    // False when the receiver asked to stop.
    bool Notify(unsigned long long progress, unsigned long long maximum, ULONG status) {
        std::unique_lock<std::mutex> lock;
        if (gate_) {
            lock = std::unique_lock<std::mutex>(gate_->mutex);
            if (gate_->abandoned) return false;
        }
        if (!callback_) return true;
        return SUCCEEDED(
            callback_->OnProgress(Clamp32(progress), Clamp32(maximum), status, wideUrl_.c_str()));
    }
    bool Cancelled() const { return options_.control && options_.control->Cancelled(); }
    bool PastDeadline() const { return GetTickCount64() - start_ >= options_.deadlineMs; }
    DownloadResult Place(AtomicFileWriter& file);

    const std::string& url_;
    const std::string& path_;
    const DownloadOptions& options_;
    const ImagePlacement* placement_;
    IBindStatusCallback* callback_;
    Gate* gate_;
    std::wstring wideUrl_;
    ULONGLONG start_;
    DownloadResult result_;
};

DownloadResult Transfer::Run() {
    // The file is checked first: a target that cannot be written costs no request.
    std::unique_ptr<AtomicFileWriter> file;
    try {
        file = placement_ ? std::make_unique<AtomicFileWriter>(
                                placement_->folder + (placement_->name.empty() ? std::string("~")
                                                                               : placement_->name),
                                true)
                          : std::make_unique<AtomicFileWriter>(path_);
    } catch (const std::exception& e) {
        return Fail(download::Failure::File, e.what());
    }
    if (gate_) {
        std::lock_guard<std::mutex> lock(gate_->mutex);
        gate_->tempPath = file->TempPath();
    }

    UniqueInternet session(
        InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return FailSystem(GetLastError());
    // A server that stops answering must not hold the transfer for ever; the image's deadline
    // and a cancel are kept by the caller (DownloadImage), whatever these waits do.
    DWORD connectMs = 30000, receiveMs = 60000;
    InternetSetOptionA(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs,
                       sizeof connectMs);
    InternetSetOptionA(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveMs,
                       sizeof receiveMs);
    InternetSetOptionA(session.get(), INTERNET_OPTION_SEND_TIMEOUT, &connectMs, sizeof connectMs);

    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP |
                        INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
    // Redirects, to https and back included, are followed by the service; certificate checks
    // stay as the system makes them.
    std::string headers;
    if (!options_.referrer.empty()) headers = "Referer: " + options_.referrer + "\r\n";
    if (Cancelled()) return Fail(download::Failure::Cancelled, "cancelled");
    UniqueInternet request(InternetOpenUrlA(session.get(), url_.c_str(),
                                            headers.empty() ? nullptr : headers.c_str(),
                                            static_cast<DWORD>(headers.size()), flags, 0));
    if (!request) return FailSystem(GetLastError());
    // Cancel may close the handle from another thread to end a blocking call.
    if (options_.control && !options_.control->Register(request.get()))
        return Fail(download::Failure::Cancelled, "cancelled");
    struct Registration {
        TransferControl* control;
        UniqueInternet& request;
        ~Registration() {
            if (control && !control->Unregister()) (void)request.release();
        }
    } registration{options_.control.get(), request};

    // Only HTTP answers carry a status; other schemes that WinINet opens are taken as they come.
    DWORD status = 0, size = sizeof status;
    std::string contentType;
    if (HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                       &size, nullptr)) {
        result_.httpStatus = status;
        if (status < 200 || status >= 300) {
            std::string text;
            QueryText(request.get(), HTTP_QUERY_STATUS_TEXT, &text);
            // A redirect that comes back unfollowed is one the service gave up on.
            return Fail(status >= 300 && status < 400 ? download::Failure::Redirects
                                                      : download::Failure::HttpStatus,
                        "HTTP " + std::to_string(status) + (text.empty() ? "" : " " + text));
        }
        QueryText(request.get(), HTTP_QUERY_CONTENT_TYPE, &contentType);
    }
    if (placement_ && download::IsNonImageAnswer(contentType, {}))
        return Fail(download::Failure::NotImage, "the answer is a page (" + contentType + ")");
    unsigned long long length = 0;
    bool lengthKnown = false;
    std::string lengthText;
    if (QueryText(request.get(), HTTP_QUERY_CONTENT_LENGTH, &lengthText)) {
        char* end = nullptr;
        length = std::strtoull(lengthText.c_str(), &end, 10);
        lengthKnown = end != lengthText.c_str();
    }

    if (lengthKnown && length > 0 && !Notify(0, length, BINDSTATUS_BEGINDOWNLOADDATA))
        return Fail(download::Failure::Cancelled, "cancelled");
    unsigned long long received = 0;
    std::string head; // the body's first bytes, to tell a page from an image
    auto buffer = std::make_unique<char[]>(64 * 1024);
    for (;;) {
        if (Cancelled()) return Fail(download::Failure::Cancelled, "cancelled");
        if (PastDeadline())
            return Fail(download::Failure::Timeout,
                        "not done after " + std::to_string(options_.deadlineMs / 1000) + " s");
        // A plain read waits until the whole buffer is full; asking what has arrived first
        // lets a slow transfer report each piece as it comes.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request.get(), &available, 0, 0))
            return FailSystem(GetLastError());
        if (available == 0) break;
        DWORD n = 0;
        if (!InternetReadFile(request.get(), buffer.get(), std::min<DWORD>(available, 64 * 1024),
                              &n))
            return FailSystem(GetLastError());
        if (n == 0) break;
        if (placement_ && head.size() < 512) {
            head.append(buffer.get(), std::min<size_t>(n, 512 - head.size()));
            if (download::IsNonImageAnswer({}, head))
                return Fail(download::Failure::NotImage, "the answer is an HTML page");
        }
        try {
            file->Write(std::string_view(buffer.get(), n));
        } catch (const std::exception& e) {
            return Fail(download::Failure::File, e.what());
        }
        received += n;
        result_.bytes = received;
        // The notification that reaches the length waits until the file is in place: the
        // receiver takes equal progress and maximum for "done".
        if (lengthKnown && received >= length) continue;
        if (!Notify(received, lengthKnown ? length : 0, BINDSTATUS_DOWNLOADINGDATA))
            return Fail(download::Failure::Cancelled, "cancelled");
    }
    if (lengthKnown && received < length) {
        return Fail(download::Failure::Connect, "connection closed after " +
                                                    std::to_string(received) + " of " +
                                                    std::to_string(length) + " bytes");
    }
    if (Cancelled()) return Fail(download::Failure::Cancelled, "cancelled");
    if (placement_) {
        // Put in place whole or not at all before the caller may give up.
        std::unique_lock<std::mutex> lock;
        if (gate_) {
            lock = std::unique_lock<std::mutex>(gate_->mutex);
            if (gate_->abandoned) return Fail(download::Failure::Cancelled, "given up");
        }
        DownloadResult placed = Place(*file);
        if (!placed.ok) return placed;
    } else {
        try {
            file->Commit();
        } catch (const std::exception& e) {
            return Fail(download::Failure::File, e.what());
        }
    }
    result_.ok = true;
    Notify(received, received, BINDSTATUS_ENDDOWNLOADDATA);
    return result_;
}

DownloadResult Transfer::Place(AtomicFileWriter& file) {
    const ImagePlacement& p = *placement_;
    try {
        file.Close();
        // Enough tries for a folder full of earlier runs' copies; each try is one name.
        for (int attempt = 0; attempt < 1000; ++attempt) {
            std::string name = attempt == 0 ? p.name : p.nextPrefix() + p.name;
            if (download::IsReservedTarget(name, p.stylesheetName)) continue;
            const std::string target = p.folder + name;
            const DWORD attributes = GetFileAttributesA(target.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES) {
                if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    SameFileBytes(file.TempPath(), target)) {
                    file.Discard();
                    result_.fileName = name;
                    result_.reused = true;
                    result_.ok = true;
                    return result_;
                }
                continue;
            }
            if (file.CommitNew(target)) {
                result_.fileName = name;
                result_.ok = true;
                return result_;
            }
        }
    } catch (const std::exception& e) {
        return Fail(download::Failure::File, e.what());
    }
    return Fail(download::Failure::File, "no free file name for " + p.name);
}

} // namespace

namespace {

// The callback is held for the length of the call, as any COM caller would hold it.
class CallbackHold {
public:
    explicit CallbackHold(IBindStatusCallback* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ~CallbackHold() {
        if (p_) p_->Release();
    }
    CallbackHold(const CallbackHold&) = delete;
    CallbackHold& operator=(const CallbackHold&) = delete;

private:
    IBindStatusCallback* p_;
};

DownloadResult OutOfMemory() {
    DownloadResult result;
    result.failure = download::Failure::Other;
    result.reason = SystemErrorText(ERROR_NOT_ENOUGH_MEMORY);
    return result;
}

DownloadResult RunTransfer(const std::string& url, const std::string& path,
                           IBindStatusCallback* callback, const DownloadOptions& options,
                           const ImagePlacement* placement) {
    CallbackHold hold(callback);
    try {
        return Transfer(url, path, callback, options, placement).Run();
    } catch (const std::bad_alloc&) {
        return OutOfMemory();
    }
}

} // namespace

DownloadResult DownloadToFile(const std::string& url, const std::string& path,
                              IBindStatusCallback* callback, const std::string& referrer) {
    DownloadOptions options;
    options.referrer = referrer;
    return RunTransfer(url, path, callback, options, nullptr);
}

DownloadResult DownloadImage(const std::string& url, const ImagePlacement& placement,
                             IBindStatusCallback* callback, const DownloadOptions& options) {
    // The system's blocking reads wait for the server however long it is silent, whatever
    // time-out is set and even when the handle is closed: the transfer runs on a thread of its
    // own, and this one gives up on it at a cancel or at the deadline. What it left behind is
    // its temporary file, which goes at once; the thread ends when the server answers or closes.
    struct Detached {
        std::string url;
        ImagePlacement placement;
        DownloadOptions options;
        IBindStatusCallback* callback;
        Gate gate;
        DownloadResult result;
        UniqueKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    };
    auto d = std::make_shared<Detached>();
    d->url = url;
    d->placement = placement;
    d->options = options;
    d->callback = callback;
    if (!d->done)
        return RunTransfer(url, placement.folder + placement.name, callback, options, &placement);
    CallbackHold hold(callback);
    try {
        std::thread([d] {
            DownloadResult r;
            try {
                r = Transfer(d->url, d->placement.folder + d->placement.name, d->callback,
                             d->options, &d->placement, &d->gate)
                        .Run();
            } catch (const std::bad_alloc&) {
                r = OutOfMemory();
            }
            std::lock_guard<std::mutex> lock(d->gate.mutex);
            d->result = std::move(r);
            d->gate.finished = true;
            SetEvent(d->done.get());
        }).detach();
    } catch (const std::system_error&) {
        DownloadResult r;
        r.failure = download::Failure::NoWorker;
        r.reason = SystemErrorText(ERROR_NOT_ENOUGH_MEMORY);
        return r;
    }
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (WaitForSingleObject(d->done.get(), 100) == WAIT_OBJECT_0) break;
        const bool cancelled = options.control && options.control->Cancelled();
        const bool late = GetTickCount64() - start >= options.deadlineMs;
        if (!cancelled && !late) continue;
        std::string temp;
        {
            std::lock_guard<std::mutex> lock(d->gate.mutex);
            if (d->gate.finished) break;
            d->gate.abandoned = true;
            temp = d->gate.tempPath;
        }
        // Opened for sharing deletion: it goes now, or when the transfer closes it.
        if (!temp.empty()) DeleteFileA(temp.c_str());
        DownloadResult r;
        r.failure = cancelled ? download::Failure::Cancelled : download::Failure::Timeout;
        r.reason = cancelled ? "cancelled"
                             : "not done after " + std::to_string(options.deadlineMs / 1000) + " s";
        return r;
    }
    std::lock_guard<std::mutex> lock(d->gate.mutex);
    return d->result;
}

void TransferControl::Cancel() {
    cancelled_ = true;
    std::lock_guard<std::mutex> lock(mutex_);
    if (request_) {
        InternetCloseHandle(static_cast<HINTERNET>(request_));
        request_ = nullptr;
    }
}

bool TransferControl::Register(void* request) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_) return false;
    request_ = request;
    return true;
}

bool TransferControl::Unregister() {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool ours = request_ != nullptr;
    request_ = nullptr;
    return ours;
}
