#include "http_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

bool ContainsNoCase(std::string haystack, std::string needle) {
    auto lower = [](std::string& s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) {
            return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        });
    };
    lower(haystack);
    lower(needle);
    return haystack.find(needle) != std::string::npos;
}

// Network byte order without the socket library.
u_long SwapBytes32(u_long v) {
    return ((v & 0xFF) << 24) | ((v & 0xFF00) << 8) | ((v >> 8) & 0xFF00) | (v >> 24);
}

} // namespace

// The build links no socket library, so the few Winsock calls are found at run time. Winsock
// counts its starts per process: one per server keeps it up as long as that server needs it.
class HttpWinsock {
public:
    HttpWinsock() {
        module_ = LoadLibraryW(L"ws2_32.dll");
        if (!module_) throw std::runtime_error("ws2_32.dll not found");
        Load(startup, "WSAStartup");
        Load(cleanup, "WSACleanup");
        Load(socket, "socket");
        Load(bind, "bind");
        Load(listen, "listen");
        Load(getsockname, "getsockname");
        Load(accept, "accept");
        Load(recv, "recv");
        Load(send, "send");
        Load(shutdown, "shutdown");
        Load(closesocket, "closesocket");
        Load(select, "select");
        Load(setsockopt, "setsockopt");
        Load(connect, "connect");
        Load(ioctlsocket, "ioctlsocket");
        Load(lastError, "WSAGetLastError");
        WSADATA data;
        if (startup(MAKEWORD(2, 2), &data) != 0) {
            FreeLibrary(module_);
            throw std::runtime_error("WSAStartup failed");
        }
    }
    ~HttpWinsock() {
        cleanup();
        FreeLibrary(module_);
    }
    HttpWinsock(const HttpWinsock&) = delete;
    HttpWinsock& operator=(const HttpWinsock&) = delete;

    decltype(&::WSAStartup) startup;
    decltype(&::WSACleanup) cleanup;
    decltype(&::socket) socket;
    decltype(&::bind) bind;
    decltype(&::listen) listen;
    decltype(&::getsockname) getsockname;
    decltype(&::accept) accept;
    decltype(&::recv) recv;
    decltype(&::send) send;
    decltype(&::shutdown) shutdown;
    decltype(&::closesocket) closesocket;
    decltype(&::select) select;
    decltype(&::setsockopt) setsockopt;
    decltype(&::connect) connect;
    decltype(&::ioctlsocket) ioctlsocket;
    decltype(&::WSAGetLastError) lastError;

private:
    template <class F> void Load(F& f, const char* name) {
        f = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
        if (!f) {
            FreeLibrary(module_);
            throw std::runtime_error(std::string("ws2_32.dll lacks ") + name);
        }
    }
    HMODULE module_ = nullptr;
};

struct HttpServer::Impl {
    struct Connection {
        SOCKET socket = INVALID_SOCKET;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    HttpWinsock ws;
    SOCKET listener = INVALID_SOCKET;
    unsigned short port = 0;
    std::thread acceptThread;

    mutable std::mutex mutex;
    std::condition_variable stopSignal;
    bool stopping = false;
    std::map<std::string, HttpReply> replies;
    std::map<std::string, int> countByPath;
    std::vector<std::string> heads;
    int requests = 0;
    int connections = 0;
    std::list<Connection> live;

    void AcceptLoop();
    void Serve(Connection* connection);
    bool Respond(SOCKET s, const std::string& method, const std::string& path, bool keepAlive,
                 bool* closeAfter);
    bool SendAll(SOCKET s, const char* data, size_t size);
    bool Pause(unsigned ms);
    bool WaitReadable(SOCKET s);
    void ReapFinished();
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
};

HttpServer::HttpServer() : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    d.listener = d.ws.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (d.listener == INVALID_SOCKET) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = SwapBytes32(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (d.ws.bind(d.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        d.ws.listen(d.listener, SOMAXCONN) != 0 ||
        d.ws.getsockname(d.listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        d.ws.closesocket(d.listener);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    d.port = static_cast<unsigned short>((address.sin_port >> 8) | (address.sin_port << 8));
    d.acceptThread = std::thread([&d] { d.AcceptLoop(); });
}

HttpServer::~HttpServer() {
    Stop();
}

void HttpServer::Stop() {
    Impl& d = *impl_;
    {
        std::lock_guard lock(d.mutex);
        if (d.stopping) return;
        d.stopping = true;
        // Shutting the client sockets ends sends in progress; waits notice the flag. Each
        // connection thread closes its own socket.
        for (auto& c : d.live)
            if (c.socket != INVALID_SOCKET) d.ws.shutdown(c.socket, SD_BOTH);
    }
    d.stopSignal.notify_all();
    if (d.acceptThread.joinable()) d.acceptThread.join();
    d.ws.closesocket(d.listener);
    d.listener = INVALID_SOCKET;
    for (auto& c : d.live)
        if (c.thread.joinable()) c.thread.join();
    d.live.clear();
}

void HttpServer::Impl::AcceptLoop() {
    for (;;) {
        // The listener changes only after this thread has ended.
        if (!WaitReadable(listener)) return;
        SOCKET s = ws.accept(listener, nullptr, nullptr);
        std::lock_guard lock(mutex);
        if (s == INVALID_SOCKET) {
            if (stopping) return;
            continue;
        }
        if (stopping) {
            ws.closesocket(s);
            return;
        }
        ReapFinished();
        ++connections;
        // Without this a reply's head and body, sent apart, wait out the peer's delayed
        // acknowledgement: some 40 ms per request on loopback.
        BOOL noDelay = TRUE;
        ws.setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                      sizeof noDelay);
        Connection& c = live.emplace_back();
        c.socket = s;
        c.thread = std::thread([this, &c] { Serve(&c); });
    }
}

// Called with the mutex held: joins the threads of connections that have ended, so a long
// test does not pile up thousands of finished threads.
void HttpServer::Impl::ReapFinished() {
    for (auto it = live.begin(); it != live.end();) {
        if (it->finished) {
            if (it->thread.joinable()) it->thread.join();
            it = live.erase(it);
        } else {
            ++it;
        }
    }
}

void HttpServer::Impl::Serve(Connection* connection) {
    SOCKET s = connection->socket;
    std::string buffer;
    bool open = true;
    while (open) {
        size_t headEnd;
        while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            char chunk[4096];
            if (!WaitReadable(s)) {
                open = false;
                break;
            }
            int n = ws.recv(s, chunk, sizeof chunk, 0);
            if (n <= 0 || buffer.size() > 64 * 1024) {
                open = false;
                break;
            }
            buffer.append(chunk, static_cast<size_t>(n));
        }
        if (!open) break;
        std::string head = buffer.substr(0, headEnd + 2);
        buffer.erase(0, headEnd + 4);

        size_t sp1 = head.find(' ');
        size_t sp2 = sp1 == std::string::npos ? sp1 : head.find(' ', sp1 + 1);
        size_t eol = head.find("\r\n");
        if (sp2 == std::string::npos || sp2 > eol) break;
        std::string method = head.substr(0, sp1);
        std::string path = head.substr(sp1 + 1, sp2 - sp1 - 1);
        std::string version = head.substr(sp2 + 1, eol - sp2 - 1);
        bool keepAlive = version == "HTTP/1.1" ? !ContainsNoCase(head, "\r\nConnection: close")
                                               : ContainsNoCase(head, "\r\nConnection: keep-alive");
        // Requests of these tests carry no body; one that does is not ours to understand.
        if (ContainsNoCase(head, "\r\nContent-Length:") &&
            !ContainsNoCase(head, "\r\nContent-Length: 0"))
            keepAlive = false;
        {
            std::lock_guard lock(mutex);
            ++requests;
            ++countByPath[path];
            heads.push_back(head);
        }
        bool closeAfter = !keepAlive;
        if (!Respond(s, method, path, keepAlive, &closeAfter) || closeAfter) open = false;
    }
    std::lock_guard lock(mutex);
    ws.shutdown(s, SD_SEND);
    ws.closesocket(s);
    connection->socket = INVALID_SOCKET;
    connection->finished = true;
}

bool HttpServer::Impl::Respond(SOCKET s, const std::string& method, const std::string& path,
                               bool keepAlive, bool* closeAfter) {
    HttpReply reply;
    {
        std::lock_guard lock(mutex);
        auto it = replies.find(path);
        if (it == replies.end()) {
            size_t query = path.find('?');
            if (query != std::string::npos) it = replies.find(path.substr(0, query));
        }
        if (it != replies.end()) {
            reply = it->second;
        } else {
            reply.status = 404;
            reply.body = HttpServer::ErrorPage(404);
            reply.contentType = "text/html";
        }
    }
    bool truncated = reply.truncateAfter < reply.body.size();
    bool close = !keepAlive || !reply.sendLength || truncated;
    *closeAfter = close;

    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                       ReasonPhrase(reply.status) + "\r\nServer: corvane-test\r\n";
    if (!reply.contentType.empty()) head += "Content-Type: " + reply.contentType + "\r\n";
    if (!reply.location.empty()) {
        head += "Location: " +
                (reply.location.rfind("/", 0) == 0 ? Url(reply.location) : reply.location) + "\r\n";
    }
    if (reply.sendLength) head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    head += close ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
    if (method == "HEAD") return SendAll(s, head.data(), head.size());
    size_t total = truncated ? reply.truncateAfter : reply.body.size();
    // A small reply goes out in one piece: every socket call costs a trip to the Wine server.
    if (!reply.chunkSize && !truncated && total <= 64 * 1024) {
        head += reply.body;
        return SendAll(s, head.data(), head.size());
    }
    if (!SendAll(s, head.data(), head.size())) return false;

    size_t piece = reply.chunkSize ? reply.chunkSize : total;
    for (size_t sent = 0; sent < total;) {
        size_t n = std::min(piece, total - sent);
        if (reply.chunkDelayMs && !Pause(reply.chunkDelayMs)) return false;
        if (!SendAll(s, reply.body.data() + sent, n)) return false;
        sent += n;
    }
    return true;
}

bool HttpServer::Impl::SendAll(SOCKET s, const char* data, size_t size) {
    // A client that stops reading (a cancelled download whose connection the client keeps)
    // would block a plain send for good, and Stop with it: the socket sends without blocking
    // and waits for room in slices, giving up once the server is stopping.
    u_long nonBlocking = 1;
    ws.ioctlsocket(s, FIONBIO, &nonBlocking);
    while (size > 0) {
        int n = ws.send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 16)), 0);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && ws.lastError() != WSAEWOULDBLOCK) return false;
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (stopping) return false;
            }
            fd_set set;
            set.fd_count = 1;
            set.fd_array[0] = s;
            timeval slice{0, 50 * 1000};
            int ready = ws.select(0, nullptr, &set, nullptr, &slice);
            if (ready < 0) return false;
            if (ready > 0) break;
        }
    }
    u_long blocking = 0;
    ws.ioctlsocket(s, FIONBIO, &blocking);
    return true;
}

// Under Wine neither shutting down nor closing a socket wakes a thread blocked on it, so the
// blocking calls wait here in short slices and give up once the server is stopping.
bool HttpServer::Impl::WaitReadable(SOCKET s) {
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (stopping) return false;
        }
        fd_set set;
        set.fd_count = 1;
        set.fd_array[0] = s;
        timeval slice{0, 50 * 1000};
        int n = ws.select(0, &set, nullptr, nullptr, &slice);
        if (n < 0) return false;
        if (n > 0) return true;
    }
}

// A pause that Stop cuts short; false when the server is stopping.
bool HttpServer::Impl::Pause(unsigned ms) {
    std::unique_lock lock(mutex);
    return !stopSignal.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping; });
}

std::optional<std::string> HttpServer::ImageFor(const std::string& url) const {
    std::string target = url;
    for (int hop = 0; hop < 10; ++hop) {
        const size_t scheme = target.find("://");
        std::string path = target;
        if (scheme != std::string::npos) {
            const size_t slash = target.find('/', scheme + 3);
            path = slash == std::string::npos ? "/" : target.substr(slash);
        }
        path = path.substr(0, path.find('#'));
        HttpReply reply;
        {
            std::lock_guard lock(impl_->mutex);
            auto it = impl_->replies.find(path);
            if (it == impl_->replies.end() && path.find('?') != std::string::npos)
                it = impl_->replies.find(path.substr(0, path.find('?')));
            if (it == impl_->replies.end()) return std::nullopt;
            reply = it->second;
        }
        if (reply.status >= 300 && reply.status < 400 && !reply.location.empty()) {
            target = reply.location;
            continue;
        }
        if (reply.status < 200 || reply.status >= 300 || reply.truncateAfter < reply.body.size() ||
            reply.contentType.rfind("text/html", 0) == 0)
            return std::nullopt;
        return reply.body;
    }
    return std::nullopt;
}

void HttpServer::Add(const std::string& path, HttpReply reply) {
    std::lock_guard lock(impl_->mutex);
    impl_->replies[path] = std::move(reply);
}

void HttpServer::AddFile(const std::string& path, std::string body, std::string contentType) {
    HttpReply reply;
    reply.body = std::move(body);
    reply.contentType = std::move(contentType);
    Add(path, std::move(reply));
}

void HttpServer::AddError(const std::string& path, int status) {
    HttpReply reply;
    reply.status = status;
    reply.body = ErrorPage(status);
    reply.contentType = "text/html";
    Add(path, std::move(reply));
}

void HttpServer::AddRedirect(const std::string& path, const std::string& target, int status) {
    HttpReply reply;
    reply.status = status;
    reply.location = target;
    reply.body = "<html><body>Moved</body></html>";
    reply.contentType = "text/html";
    Add(path, std::move(reply));
}

void HttpServer::AddSlow(const std::string& path, std::string body, size_t chunkSize,
                         unsigned delayMs) {
    HttpReply reply;
    reply.body = std::move(body);
    reply.chunkSize = chunkSize;
    reply.chunkDelayMs = delayMs;
    Add(path, std::move(reply));
}

void HttpServer::AddWithoutLength(const std::string& path, std::string body) {
    HttpReply reply;
    reply.body = std::move(body);
    reply.sendLength = false;
    Add(path, std::move(reply));
}

std::string HttpServer::Url(const std::string& path) const {
    return impl_->Url(path);
}

unsigned short HttpServer::Port() const {
    return impl_->port;
}

int HttpServer::RequestCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

int HttpServer::RequestCount(const std::string& path) const {
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->countByPath.find(path);
    return it == impl_->countByPath.end() ? 0 : it->second;
}

int HttpServer::ConnectionCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->connections;
}

std::vector<std::string> HttpServer::RequestHeads() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->heads;
}

std::string HttpServer::ErrorPage(int status) {
    std::string title = std::to_string(status) + " " + ReasonPhrase(status);
    return "<html><head><title>" + title + "</title></head><body><h1>" + title +
           "</h1><p>The server cannot deliver this address.</p></body></html>";
}

namespace {

std::string UnixPath(const std::string& windowsPath) {
    using Fn = char*(CDECL*)(LPCWSTR);
    static const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return {};
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* unix = fn(wide.c_str());
    if (!unix) return {};
    std::string out = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

// Starts a Unix command line through the shell; Wine runs Unix programs given a Z: path.
bool RunShell(const std::string& script) {
    std::string cmd = "Z:\\bin\\sh -c \"" + script + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    // Wine starts a Unix program without giving back handles: the process field stays null and
    // the thread field holds a stray value, which may be that of a handle this process does own
    // (the thread's desktop, and then no window could be made any more).
    if (pi.hProcess) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return true;
}

std::string ReadFileText(const std::string& path) {
    std::string out;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n) out.append(buffer, n);
    CloseHandle(h);
    return out;
}

u_short SwapBytes16(u_short v) {
    return static_cast<u_short>((v << 8) | (v >> 8));
}

unsigned short FreePort() {
    HttpWinsock ws;
    SOCKET s = ws.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = SwapBytes32(INADDR_LOOPBACK);
    int len = sizeof a;
    unsigned short port = 0;
    if (ws.bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ws.getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = SwapBytes16(a.sin_port);
    ws.closesocket(s);
    return port;
}

bool Answers(unsigned short port) {
    HttpWinsock ws;
    SOCKET s = ws.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = SwapBytes32(INADDR_LOOPBACK);
    a.sin_port = SwapBytes16(port);
    bool ok = ws.connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ws.closesocket(s);
    return ok;
}

// The certificate store calls, found at run time like the socket calls.
struct Crypt32 {
    HMODULE module = LoadLibraryW(L"crypt32.dll");
    template <class F> F Get(const char* name) const {
        return module
                   ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                   : nullptr;
    }
    decltype(&::CertOpenStore) open = Get<decltype(&::CertOpenStore)>("CertOpenStore");
    decltype(&::CertCloseStore) close = Get<decltype(&::CertCloseStore)>("CertCloseStore");
    decltype(&::CertAddEncodedCertificateToStore) add =
        Get<decltype(&::CertAddEncodedCertificateToStore)>("CertAddEncodedCertificateToStore");
    decltype(&::CertDeleteCertificateFromStore) remove =
        Get<decltype(&::CertDeleteCertificateFromStore)>("CertDeleteCertificateFromStore");
    decltype(&::CertCreateCertificateContext) create =
        Get<decltype(&::CertCreateCertificateContext)>("CertCreateCertificateContext");
    decltype(&::CertFreeCertificateContext) free =
        Get<decltype(&::CertFreeCertificateContext)>("CertFreeCertificateContext");
    decltype(&::CertGetCertificateChain) chain =
        Get<decltype(&::CertGetCertificateChain)>("CertGetCertificateChain");
    decltype(&::CertFreeCertificateChain) freeChain =
        Get<decltype(&::CertFreeCertificateChain)>("CertFreeCertificateChain");
    bool Usable() const {
        return open && close && add && remove && create && free && chain && freeChain;
    }
};

const Crypt32& CryptApi() {
    static const Crypt32 api;
    return api;
}

} // namespace

namespace {

// The prefix's own test authority, kept in the prefix (so nothing outside it trusts it) and
// in its CurrentUser Root store. The system's chain engine reads the Root store once per
// process, when the process first checks a chain (here that happens before main), so an
// authority added while a process runs is seen by later processes only.
struct ProcessAuthority {
    std::string dir; // Windows path, ends with a separator; empty when not there
    std::string problem;
};

ProcessAuthority& Authority() {
    static ProcessAuthority authority;
    return authority;
}

std::string MakeDir(const char* kind) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    std::string dir = std::string(base) + kind + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(++counter) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool WaitForFile(const std::string& path, DWORD ms) {
    DWORD start = GetTickCount();
    while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

const char kAuthorityScript[] =
    "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 3650 "
    "-subj '/CN=Corvane Test Authority' >log 2>&1 && "
    "openssl x509 -in ca.crt -outform DER -out ca.der >>log 2>&1";

} // namespace

AuthorityTrust TrustPrefixTestAuthority() {
    ProcessAuthority& a = Authority();
    const std::string dir = "C:\\corvane-test-authority\\";
    const Crypt32& crypt = CryptApi();
    if (!crypt.Usable()) {
        a.problem = "crypt32.dll not usable";
        return AuthorityTrust::Missing;
    }
    std::string der = ReadFileText(dir + "ca.der");
    if (der.empty()) {
        CreateDirectoryA(dir.c_str(), nullptr);
        const std::string unix = UnixPath(dir);
        DeleteFileA((dir + "done").c_str());
        if (unix.empty() ||
            !RunShell("cd '" + unix + "' && " + kAuthorityScript + "; touch done") ||
            !WaitForFile(dir + "done", 30000) || (der = ReadFileText(dir + "ca.der")).empty()) {
            a.problem = "no test authority made: " + ReadFileText(dir + "log");
            return AuthorityTrust::Missing;
        }
    }
    HCERTSTORE root =
        crypt.open(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!root) {
        a.problem = "no Root store";
        return AuthorityTrust::Missing;
    }
    const BOOL added = crypt.add(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                 static_cast<DWORD>(der.size()), CERT_STORE_ADD_NEW, nullptr);
    const DWORD error = GetLastError();
    crypt.close(root, 0);
    a.dir = dir;
    if (added) return AuthorityTrust::AddedNow;
    if (error == static_cast<DWORD>(CRYPT_E_EXISTS)) return AuthorityTrust::Trusted;
    a.dir.clear();
    a.problem = "cannot trust the test authority";
    return AuthorityTrust::Missing;
}

TlsFront::TlsFront(HttpServer& backend, bool trusted) {
    dir_ = MakeDir("corvane-tls-");
    const ProcessAuthority& authority = Authority();
    if (trusted && authority.dir.empty()) {
        problem_ = "the process's test authority is not there: " + authority.problem;
        return;
    }
    const std::string unix = UnixPath(dir_);
    port_ = FreePort();
    if (unix.empty() || !port_) {
        problem_ = "no Unix path or no free port";
        return;
    }
    const std::string p = std::to_string(port_), b = std::to_string(backend.Port());
    // The authority signs a certificate for the name the tests use; Wine checks the name
    // against the certificate's DNS names and refuses an address there.
    std::string script =
        "cd '" + unix +
        "' && "
        "printf 'subjectAltName=DNS:localhost\\nextendedKeyUsage=serverAuth\\n"
        "basicConstraints=CA:FALSE\\ncrlDistributionPoints=URI:http://127.0.0.1:" +
        b +
        "/test-authority.crl\\n' > site.ext && "
        "printf '[ca]\\ndefault_ca=d\\n[d]\\ndatabase=index.txt\\ncrlnumber=crlnumber\\n"
        "default_md=sha256\\ndefault_crl_days=2\\n' > ca.cnf && touch index.txt && "
        "echo 01 > crlnumber && " +
        // A trusted front signs with the process's authority, an untrusted one with its own.
        (trusted ? "cp '" + UnixPath(authority.dir) + "ca.key' '" + UnixPath(authority.dir) +
                       "ca.crt' . >log 2>&1"
                 : std::string(kAuthorityScript)) +
        " && "
        "openssl req -newkey rsa:2048 -nodes -keyout site.key -out site.csr "
        "-subj '/CN=localhost' >>log 2>&1 && "
        "openssl x509 -req -in site.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 "
        "-extfile site.ext -out site.crt >>log 2>&1 && "
        "openssl x509 -in ca.crt -outform DER -out ca.der >>log 2>&1 && "
        "openssl x509 -in site.crt -outform DER -out site.der >>log 2>&1 && "
        "openssl ca -config ca.cnf -gencrl -keyfile ca.key -cert ca.crt -out ca.crl.pem "
        ">>log 2>&1 && openssl crl -in ca.crl.pem -outform DER -out ca.crl >>log 2>&1 && "
        "{ timeout 300 socat OPENSSL-LISTEN:" +
        p +
        ",bind=127.0.0.1,reuseaddr,fork,cert=site.crt,key=site.key,verify=0 TCP:127.0.0.1:" + b +
        " </dev/null >>log 2>&1 & echo $! > pid; } ; touch done";
    if (!RunShell(script)) {
        problem_ = "cannot start the shell";
        return;
    }
    DWORD start = GetTickCount();
    while (GetFileAttributesA((dir_ + "done").c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 30000) {
            problem_ = "certificates not made: " + ReadFileText(dir_ + "log");
            return;
        }
        Sleep(50);
    }
    std::string der = ReadFileText(dir_ + "ca.der");
    if (der.empty()) {
        problem_ = "certificates not made: " + ReadFileText(dir_ + "log");
        return;
    }
    std::string crl = ReadFileText(dir_ + "ca.crl");
    if (crl.empty()) {
        problem_ = "no revocation list: " + ReadFileText(dir_ + "log");
        return;
    }
    backend.AddFile("/test-authority.crl", crl, "application/pkix-crl");
    if (trusted) {
        // Whether the system builds a trusted chain for the site's certificate.
        const Crypt32& crypt = CryptApi();
        std::string site = ReadFileText(dir_ + "site.der");
        if (PCCERT_CONTEXT cert =
                crypt.create(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(site.data()),
                             static_cast<DWORD>(site.size()))) {
            CERT_CHAIN_PARA para{};
            para.cbSize = sizeof para;
            PCCERT_CHAIN_CONTEXT chain = nullptr;
            if (crypt.chain(nullptr, cert, nullptr, nullptr, &para, 0, nullptr, &chain)) {
                chainStatus_ = chain->TrustStatus.dwErrorStatus;
                crypt.freeChain(chain);
            }
            crypt.free(cert);
        }
    }
    start = GetTickCount();
    while (!Answers(port_)) {
        if (GetTickCount() - start > 10000) {
            problem_ = "socat does not answer: " + ReadFileText(dir_ + "log");
            return;
        }
        Sleep(50);
    }
    ready_ = true;
}

TlsFront::~TlsFront() {
    std::string pid = ReadFileText(dir_ + "pid");
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == '\r')) pid.pop_back();
    if (!pid.empty() && pid.find_first_not_of("0123456789") == std::string::npos)
        RunShell("kill " + pid);
    for (const char* f :
         {"site.ext", "ca.key", "ca.crt", "ca.srl", "site.key", "site.csr", "site.crt", "ca.der",
          "site.der", "ca.cnf", "index.txt", "index.txt.attr", "crlnumber", "crlnumber.old",
          "ca.crl.pem", "ca.crl", "log", "pid", "done"})
        DeleteFileA((dir_ + f).c_str());
    RemoveDirectoryA(dir_.c_str());
}

std::string TlsFront::Url(const std::string& path) const {
    return "https://localhost:" + std::to_string(port_) + path;
}
