#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests that download: it listens on a free port from
// construction to destruction, answers every connection on a thread of its own and serves
// replies registered in memory. Paths that were not registered get a 404 error page.
//
//   HttpServer server;
//   server.AddFile("/img/a.gif", bytes);
//   DownloadToFile(server.Url("/img/a.gif"), path, &callback);
//   EXPECT_EQ(server.RequestCount("/img/a.gif"), 1);
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct HttpReply {
    int status = 200;
    std::string body;
    std::string contentType = "application/octet-stream";
    std::string location; // sent as Location when not empty
    // Without a length the end of the body is marked by closing the connection.
    bool sendLength = true;
    // A body sent in pieces of chunkSize bytes with a pause of chunkDelayMs before each piece.
    size_t chunkSize = 0;
    unsigned chunkDelayMs = 0;
    // Announces the whole length but closes the connection after this many body bytes.
    size_t truncateAfter = static_cast<size_t>(-1);
};

class HttpServer {
public:
    // Throws std::runtime_error when no socket can be opened.
    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Registering again replaces the earlier reply; safe while requests are being served.
    void Add(const std::string& path, HttpReply reply);
    void AddFile(const std::string& path, std::string body,
                 std::string contentType = "application/octet-stream");
    // An HTML error page with the given status (404, 500, ...).
    void AddError(const std::string& path, int status);
    // target is a path on this server or a full address.
    void AddRedirect(const std::string& path, const std::string& target, int status = 302);
    void AddSlow(const std::string& path, std::string body, size_t chunkSize, unsigned delayMs);
    void AddWithoutLength(const std::string& path, std::string body);

    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path) const;
    unsigned short Port() const;

    // Requests received (every method, registered or not), in total and for one path as sent.
    int RequestCount() const;
    int RequestCount(const std::string& path) const;
    // Connections accepted: with keep-alive fewer than the requests.
    int ConnectionCount() const;
    // The request heads ("GET /a HTTP/1.1\r\nHost: ...") in arrival order.
    std::vector<std::string> RequestHeads() const;

    // The image this server serves for a full address (of this server or of a TLS front on
    // it): its registered replies followed through redirects of this server, the body of the
    // final 2xx reply unless that reply is an HTML page; nullopt otherwise.
    std::optional<std::string> ImageFor(const std::string& url) const;

    // Ends every connection in progress (slow replies included) and stops listening. The
    // destructor calls it; calling it twice is harmless.
    void Stop();

    static std::string ErrorPage(int status);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The test prefix's certificate authority: made with openssl inside the prefix the first time
// and added to the prefix's CurrentUser Root store, so that only this prefix trusts it. The
// system's chain engine reads the Root store once per process, before a test can run, so when
// the authority was added just now, only processes started afterwards trust it.
enum class AuthorityTrust { Trusted, AddedNow, Missing };
AuthorityTrust TrustPrefixTestAuthority();

// https in front of an HttpServer: a certificate for "localhost" made with openssl and signed by
// the process's test authority (or, when `trusted` is false, by an authority nothing trusts, so
// that certificate checks can be seen to refuse), the authority's revocation list served by the
// server (the system checks revocation and refuses a certificate whose status it cannot learn),
// and socat answering TLS on 127.0.0.1 and
// passing each connection to the server. The front stops itself after five minutes even if nothing
// stops it.
class TlsFront {
public:
    explicit TlsFront(HttpServer& backend, bool trusted = true);
    ~TlsFront();
    TlsFront(const TlsFront&) = delete;
    TlsFront& operator=(const TlsFront&) = delete;

    // False when the tools are missing or the front did not start; Problem() says why.
    bool Ready() const { return ready_; }
    const std::string& Problem() const { return problem_; }
    // The system builds a trusted chain for the front's certificate: its error status is 0.
    bool AuthorityTrusted() const { return chainStatus_ == 0; }
    unsigned long ChainStatus() const { return chainStatus_; }
    // "https://localhost:<port>" followed by path.
    std::string Url(const std::string& path) const;
    unsigned short Port() const { return port_; }

private:
    std::string dir_; // Windows path, ends with a separator
    unsigned short port_ = 0;
    bool ready_ = false;
    std::string problem_;
    unsigned long chainStatus_ = ~0ul;
};
