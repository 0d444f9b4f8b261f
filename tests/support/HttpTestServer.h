// A small HTTP/1.1 server on 127.0.0.1 for tests: routes by path to handlers that write the
// response bytes themselves, so a test can send anything (no length, a stall, a cut).
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace reelkeep::test {

struct HttpRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::string head;    // the header lines as sent
    // The value of a header (name compared without case); empty when absent.
    std::string Header(std::string_view name) const;
};

class HttpExchange {
public:
    // Writes bytes to the client; false once the client has gone.
    bool Send(std::string_view bytes);
    // Sleeps, waking early when the server stops. False when it stopped.
    bool Sleep(std::chrono::milliseconds duration);
    // Ends the connection after this response (for bodies without a length).
    void CloseAfter() { close_ = true; }

private:
    friend class HttpTestServer;
    HttpExchange(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}
    int fd_;
    const std::atomic<bool>& stopping_;
    bool close_ = false;
};

class HttpTestServer {
public:
    using Handler = std::function<void(const HttpRequest&, HttpExchange&)>;

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // A handler for one path (without the query); unknown paths get a 404 page.
    void Route(const std::string& path, Handler handler);
    // A handler for every path that has none of its own (instead of the 404 page).
    void RouteOthers(Handler handler);
    // Serves fixed bytes with status 200 and a Content-Length.
    void Serve(const std::string& path, std::string body, std::string contentType = "text/html");
    // Serves a body without a length that never ends: bytes for as long as the client reads.
    void ServeWithoutEnd(const std::string& path);

    std::string Url(const std::string& target) const;
    int Port() const { return port_; }
    std::vector<HttpRequest> Requests() const;
    int Connections() const;

    // A whole response with a Content-Length.
    static std::string Response(int status, std::string_view body, std::string_view headers = {});

private:
    void AcceptLoop();
    void ServeConnection(int fd);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_ = false;
    mutable std::mutex mutex_;
    std::map<std::string, Handler> routes_;
    Handler others_;
    std::vector<HttpRequest> requests_;
    std::vector<int> connections_;
    int connectionCount_ = 0;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace reelkeep::test
