#include "download/transfer.h"

#include "download/atomic_file.h"
#include "toolkit/win_text.h"

#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

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

class Transfer {
public:
    Transfer(const std::string& url, const std::string& path, IBindStatusCallback* callback,
             const std::string& referrer)
        : url_(url), path_(path), referrer_(referrer), callback_(callback), wideUrl_(Widen(url)) {}

    DownloadResult Run();

private:
    DownloadResult Fail(std::string reason) {
        result_.ok = false;
        result_.reason = std::move(reason);
        return result_;
    }
    // False when the receiver asked to stop.
    bool Notify(unsigned long long progress, unsigned long long maximum, ULONG status) {
        if (!callback_) return true;
        return SUCCEEDED(
            callback_->OnProgress(Clamp32(progress), Clamp32(maximum), status, wideUrl_.c_str()));
    }

    const std::string& url_;
    const std::string& path_;
    const std::string& referrer_;
    IBindStatusCallback* callback_;
    std::wstring wideUrl_;
    DownloadResult result_;
};

DownloadResult Transfer::Run() {
    // The file is checked first: a target that cannot be written costs no request.
    std::unique_ptr<AtomicFileWriter> file;
    try {
        file = std::make_unique<AtomicFileWriter>(path_);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }

    UniqueInternet session(
        InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return Fail(SystemErrorText(GetLastError()));
    // A server that stops answering must not hold the worker for ever.
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
    if (!referrer_.empty()) headers = "Referer: " + referrer_ + "\r\n";
    UniqueInternet request(InternetOpenUrlA(session.get(), url_.c_str(),
                                            headers.empty() ? nullptr : headers.c_str(),
                                            static_cast<DWORD>(headers.size()), flags, 0));
    if (!request) return Fail(SystemErrorText(GetLastError()));

    // Only HTTP answers carry a status; other schemes that WinINet opens are taken as they come.
    DWORD status = 0, size = sizeof status;
    if (HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                       &size, nullptr)) {
        result_.httpStatus = status;
        if (status < 200 || status >= 300) {
            std::string text;
            QueryText(request.get(), HTTP_QUERY_STATUS_TEXT, &text);
            return Fail("HTTP " + std::to_string(status) + (text.empty() ? "" : " " + text));
        }
    }
    unsigned long long length = 0;
    bool lengthKnown = false;
    std::string lengthText;
    if (QueryText(request.get(), HTTP_QUERY_CONTENT_LENGTH, &lengthText)) {
        char* end = nullptr;
        length = std::strtoull(lengthText.c_str(), &end, 10);
        lengthKnown = end != lengthText.c_str();
    }

    if (lengthKnown && length > 0 && !Notify(0, length, BINDSTATUS_BEGINDOWNLOADDATA))
        return Fail("cancelled");
    unsigned long long received = 0;
    auto buffer = std::make_unique<char[]>(64 * 1024);
    for (;;) {
        // A plain read waits until the whole buffer is full; asking what has arrived first
        // lets a slow transfer report each piece as it comes.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request.get(), &available, 0, 0))
            return Fail(SystemErrorText(GetLastError()));
        if (available == 0) break;
        DWORD n = 0;
        if (!InternetReadFile(request.get(), buffer.get(), std::min<DWORD>(available, 64 * 1024),
                              &n))
            return Fail(SystemErrorText(GetLastError()));
        if (n == 0) break;
        try {
            file->Write(std::string_view(buffer.get(), n));
        } catch (const std::exception& e) {
            return Fail(e.what());
        }
        received += n;
        result_.bytes = received;
        // The notification that reaches the length waits until the file is in place: the
        // receiver takes equal progress and maximum for "done".
        if (lengthKnown && received >= length) continue;
        if (!Notify(received, lengthKnown ? length : 0, BINDSTATUS_DOWNLOADINGDATA))
            return Fail("cancelled");
    }
    if (lengthKnown && received < length) {
        return Fail("connection closed after " + std::to_string(received) + " of " +
                    std::to_string(length) + " bytes");
    }
    try {
        file->Commit();
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    result_.ok = true;
    Notify(received, received, BINDSTATUS_ENDDOWNLOADDATA);
    return result_;
}

} // namespace

DownloadResult DownloadToFile(const std::string& url, const std::string& path,
                              IBindStatusCallback* callback, const std::string& referrer) {
    // Held for the length of the call, as any COM caller would.
    if (callback) callback->AddRef();
    struct ReleaseOnExit {
        IBindStatusCallback* p;
        ~ReleaseOnExit() {
            if (p) p->Release();
        }
    } release{callback};
    try {
        return Transfer(url, path, callback, referrer).Run();
    } catch (const std::bad_alloc&) {
        DownloadResult result;
        result.reason = SystemErrorText(ERROR_NOT_ENOUGH_MEMORY);
        return result;
    }
}
