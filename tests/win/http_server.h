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

    // Ends every connection in progress (slow replies included) and stops listening. The
    // destructor calls it; calling it twice is harmless.
    void Stop();

    static std::string ErrorPage(int status);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
