// One GET request on a session. The constructor returns once the response has begun to
// arrive (redirects followed); Read() then hands the body out in pieces.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/CInternetSession.h"

namespace reelkeep {

// The address as it goes into the request: blanks, control bytes, bytes above 127 and the
// characters '"', '<', '>' and '`', which an address cannot carry as they are, are
// percent-encoded; everything else, escapes already present included, stays as it is.
std::string RequestAddress(const std::string& url);

class CInternetUrl {
public:
    // Request flags.
    static constexpr std::uint32_t kKeepConnection = 0x00400000;
    static constexpr std::uint32_t kReload = 0x80000000;         // ask caches for a fresh copy
    static constexpr std::uint32_t kNoCacheWrite = 0x04000000;
    static constexpr std::uint32_t kPragmaNoCache = 0x00000100;

    // Queries.
    static constexpr std::uint32_t kQueryContentLength = 5;
    static constexpr std::uint32_t kQueryStatusCode = 19;
    static constexpr std::uint32_t kQueryNumberFlag = 0x20000000;
    static constexpr std::uint32_t kOptionUrl = 34;

    static constexpr int kMaxRedirects = 10;

    // `headers` are CR LF separated "Name: value" lines. An "Accept-Encoding" header makes the
    // body arrive decoded. Throws "Failed to open http url (%s)".
    CInternetUrl(CInternetSession& session, const std::string& url, const std::string& headers = {},
                 std::uint32_t flags = kKeepConnection);
    ~CInternetUrl();
    CInternetUrl(const CInternetUrl&) = delete;
    CInternetUrl& operator=(const CInternetUrl&) = delete;

    // A header value as a number; throws "Failed to query http info (%u)" with the query and the
    // number flag when the response does not have it.
    std::uint32_t QueryNumber(std::uint32_t info);
    // kOptionUrl: the address the body came from, after redirects. Throws
    // "Failed to query an internet option (%u)" for other options.
    std::string QueryString(std::uint32_t option);

    // Copies up to `size` bytes of the body; 0 at its end. Throws
    // "Failed to read from network (%u bytes)" with `size`.
    std::size_t Read(char* buffer, std::size_t size);

private:
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);

    void Start(CInternetSession& session, const std::string& url, const std::string& headers,
               std::uint32_t flags, const std::string& openMessage);
    void Release();
    // Runs the transfer until the body has bytes to hand out or the transfer has ended.
    // Returns false when the session was closed or nothing arrived within the time-out.
    bool Pump(bool waitingForResponse);
    [[noreturn]] void Fail(const std::string& message, const void* handle);

    CInternetSession& session_;
    void* easy_ = nullptr;
    void* headers_ = nullptr;
    std::string url_;
    std::string pending_;  // body bytes received and not yet read
    std::size_t pendingStart_ = 0;
    bool paused_ = false;
    bool done_ = false;
    bool begun_ = false;  // the final response's headers, a body byte or the end has arrived
    long responseStatus_ = 0;       // of the response whose headers are arriving
    bool responseHasLocation_ = false;
    int result_ = 0;      // the transfer's result code once done_
    char errorText_[256] = {};
    std::chrono::steady_clock::time_point lastActivity_;
};

}  // namespace reelkeep
