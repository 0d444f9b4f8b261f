#include "support/HttpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace reelkeep::test {

std::string HttpRequest::Header(std::string_view name) const {
    std::size_t start = 0;
    while (start < head.size()) {
        std::size_t end = head.find("\r\n", start);
        if (end == std::string::npos) end = head.size();
        const std::string_view line(head.data() + start, end - start);
        start = end + 2;
        const std::size_t colon = line.find(':');
        if (colon == name.size() && strncasecmp(line.data(), name.data(), name.size()) == 0) {
            std::string value(line.substr(colon + 1));
            value.erase(0, value.find_first_not_of(' '));
            return value;
        }
    }
    return {};
}

bool HttpExchange::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool HttpExchange::Sleep(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        if (stopping_) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return !stopping_;
}

std::string HttpTestServer::Response(int status, std::string_view body, std::string_view headers) {
    std::string text = "HTTP/1.1 " + std::to_string(status) + (status < 400 ? " OK" : " Error") +
                       "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    text += headers;
    text += "\r\n";
    text += body;
    return text;
}

HttpTestServer::HttpTestServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
        ::listen(listener_, 64) ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length)) {
        throw std::runtime_error("test server cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (const int fd : connections_) ::shutdown(fd, SHUT_RDWR);
    }
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
    ::close(listener_);
}

void HttpTestServer::Route(const std::string& path, Handler handler) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(handler);
}

void HttpTestServer::RouteOthers(Handler handler) {
    std::lock_guard lock(mutex_);
    others_ = std::move(handler);
}

void HttpTestServer::Serve(const std::string& path, std::string body, std::string contentType) {
    Route(path, [body = std::move(body), contentType](const HttpRequest&, HttpExchange& exchange) {
        exchange.Send(Response(200, body, "Content-Type: " + contentType + "\r\n"));
    });
}

void HttpTestServer::ServeWithoutEnd(const std::string& path) {
    Route(path, [](const HttpRequest&, HttpExchange& exchange) {
        exchange.CloseAfter();
        exchange.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        const std::string block(1 << 16, 'x');
        while (exchange.Send(block)) {
        }
    });
}

std::string HttpTestServer::Url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + target;
}

std::vector<HttpRequest> HttpTestServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int HttpTestServer::Connections() const {
    std::lock_guard lock(mutex_);
    return connectionCount_;
}

void HttpTestServer::AcceptLoop() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard lock(mutex_);
        if (fd < 0 || stopping_) {
            if (fd >= 0) ::close(fd);
            return;
        }
        connections_.push_back(fd);
        ++connectionCount_;
        workers_.emplace_back([this, fd] { ServeConnection(fd); });
    }
}

void HttpTestServer::ServeConnection(int fd) {
    const auto finish = [this, fd] {
        std::lock_guard lock(mutex_);
        std::erase(connections_, fd);
        ::close(fd);
    };
    std::string buffer;
    for (;;) {
        std::size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
            char chunk[4096];
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
            if (got <= 0) {
                finish();
                return;
            }
            buffer.append(chunk, static_cast<std::size_t>(got));
        }
        HttpRequest request;
        const std::string head = buffer.substr(0, end);
        buffer.erase(0, end + 4);
        const std::size_t lineEnd = head.find("\r\n");
        const std::string line = head.substr(0, lineEnd);
        request.head = lineEnd == std::string::npos ? std::string() : head.substr(lineEnd + 2);
        const std::size_t space = line.find(' ');
        request.method = line.substr(0, space);
        request.target = line.substr(space + 1, line.rfind(' ') - space - 1);

        Handler handler;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            const auto route = routes_.find(request.target.substr(0, request.target.find('?')));
            handler = route != routes_.end() ? route->second : others_;
        }
        HttpExchange exchange(fd, stopping_);
        if (handler) {
            handler(request, exchange);
        } else {
            exchange.Send(Response(404, "<html><body>Not Found</body></html>"));
        }
        if (exchange.close_) {
            ::shutdown(fd, SHUT_RDWR);
            finish();
            return;
        }
    }
}

}  // namespace reelkeep::test
