#include "net/CInternetUrl.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "net/CInternetException.h"

namespace reelkeep {

namespace {

// Bytes held before the transfer is paused until the reader catches up.
constexpr std::size_t kHighWater = 256 * 1024;
// How often a waiting transfer looks at the session's cancel flag and the time-out.
constexpr int kPollMilliseconds = 100;

std::string Format(const char* format, std::uint32_t value) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Trim(std::string text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    return strncasecmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

bool NeedsEncoding(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F || byte == '"' || byte == '<' || byte == '>' ||
           byte == '`';
}

}  // namespace

std::string RequestAddress(const std::string& url) {
    std::string address;
    address.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEncoding(byte)) {
            address += '%';
            address += "0123456789ABCDEF"[byte >> 4];
            address += "0123456789ABCDEF"[byte & 15];
        } else {
            address += c;
        }
    }
    return address;
}

CInternetUrl::CInternetUrl(CInternetSession& session, const std::string& url,
                           const std::string& headers, std::uint32_t flags)
    : session_(session), url_(url), lastActivity_(std::chrono::steady_clock::now()) {
    const std::string openMessage = "Failed to open http url (" + url + ")";
    if (session.IsClosed()) {
        throw CInternetException(nullptr, 0, CURLE_ABORTED_BY_CALLBACK, "The session was closed",
                                 openMessage);
    }
    CURL* easy = curl_easy_init();
    if (!easy) throw CInternetException(nullptr, static_cast<std::uint32_t>(errno), 0, {}, openMessage);
    easy_ = easy;
    try {
        Start(session, url, headers, flags, openMessage);
    } catch (...) {
        Release();
        throw;
    }
}

void CInternetUrl::Start(CInternetSession& session, const std::string& url,
                         const std::string& headers, std::uint32_t flags,
                         const std::string& openMessage) {
    CURL* easy = static_cast<CURL*>(easy_);
    curl_easy_setopt(easy, CURLOPT_URL, RequestAddress(url).c_str());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, session.Agent().c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText_);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CInternetUrl::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CInternetUrl::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    // A proxy's answer to CONNECT is not the response's head.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!(flags & kKeepConnection)) curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(session.ConnectLimit().count()));

    curl_slist* list = nullptr;
    std::size_t start = 0;
    while (start < headers.size()) {
        std::size_t end = headers.find("\r\n", start);
        if (end == std::string::npos) end = headers.size();
        const std::string line = Trim(headers.substr(start, end - start));
        start = end + 2;
        if (line.empty()) continue;
        if (StartsWithNoCase(line, "Accept-Encoding:")) {
            // The library announces what it can undo and undoes it.
            curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, Trim(line.substr(16)).c_str());
            continue;
        }
        list = curl_slist_append(list, line.c_str());
    }
    if (flags & (kReload | kPragmaNoCache)) {
        list = curl_slist_append(list, "Cache-Control: no-cache");
        list = curl_slist_append(list, "Pragma: no-cache");
    }
    headers_ = list;
    if (list) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list);

    if (curl_multi_add_handle(static_cast<CURLM*>(session.MultiHandle()), easy) != CURLM_OK) {
        Fail(openMessage, nullptr);
    }
    while (!begun_) {
        if (!Pump(true)) Fail(openMessage, nullptr);
    }
    if (done_ && result_ != CURLE_OK) Fail(openMessage, nullptr);
}

CInternetUrl::~CInternetUrl() { Release(); }

void CInternetUrl::Release() {
    curl_multi_remove_handle(static_cast<CURLM*>(session_.MultiHandle()), easy_);
    curl_easy_cleanup(easy_);
    curl_slist_free_all(static_cast<curl_slist*>(headers_));
    easy_ = nullptr;
    headers_ = nullptr;
}

std::size_t CInternetUrl::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* url = static_cast<CInternetUrl*>(self);
    const std::size_t bytes = size * count;
    if (url->pending_.size() - url->pendingStart_ >= kHighWater) {
        url->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (url->pendingStart_ > 0 && url->pendingStart_ == url->pending_.size()) {
        url->pending_.clear();
        url->pendingStart_ = 0;
    }
    url->pending_.append(data, bytes);
    url->begun_ = true;
    url->lastActivity_ = std::chrono::steady_clock::now();
    return bytes;
}

std::size_t CInternetUrl::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* url = static_cast<CInternetUrl*>(self);
    const std::size_t bytes = size * count;
    url->lastActivity_ = std::chrono::steady_clock::now();
    const std::string line(data, bytes);
    if (line.starts_with("HTTP/")) {  // the status line of a response
        const std::size_t space = line.find(' ');
        url->responseStatus_ = space == std::string::npos ? 0 : std::atol(line.c_str() + space + 1);
        url->responseHasLocation_ = false;
    } else if (StartsWithNoCase(line, "Location:")) {
        url->responseHasLocation_ = true;
    } else if (line == "\r\n" || line == "\n") {
        // The end of a head. It is the final response's unless it was an interim answer or a
        // redirect that the library goes on to follow; from here on the response is open and a
        // stall is a failed read.
        const long status = url->responseStatus_;
        const bool interim = status >= 100 && status < 200;
        const bool redirect = status >= 300 && status < 400 && url->responseHasLocation_;
        if (!interim && !redirect) url->begun_ = true;
    }
    return bytes;
}

bool CInternetUrl::Pump(bool waitingForResponse) {
    CURLM* multi = static_cast<CURLM*>(session_.MultiHandle());
    if (paused_) {
        paused_ = false;
        curl_easy_pause(static_cast<CURL*>(easy_), CURLPAUSE_CONT);
    }
    const auto timeout = session_.StallLimit(waitingForResponse);
    const std::size_t before = pending_.size() - pendingStart_;
    while (!done_) {
        if (session_.IsClosed()) return false;
        int running = 0;
        curl_multi_perform(multi, &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
                done_ = true;
                begun_ = true;
                result_ = message->data.result;
            }
        }
        if (done_ || paused_ || pending_.size() - pendingStart_ > before) return true;
        if (waitingForResponse && begun_) return true;
        if (std::chrono::steady_clock::now() - lastActivity_ > timeout) {
            std::snprintf(errorText_, sizeof errorText_, "No data arrived within %lld ms",
                          static_cast<long long>(timeout.count()));
            return false;
        }
        curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
    }
    return true;
}

void CInternetUrl::Fail(const std::string& message, const void* handle) {
    std::string text = errorText_;
    if (session_.IsClosed()) text = "The session was closed";
    if (text.empty() && result_ != CURLE_OK) text = curl_easy_strerror(static_cast<CURLcode>(result_));
    throw CInternetException(handle, static_cast<std::uint32_t>(errno),
                             static_cast<std::uint32_t>(result_), text, message);
}

std::uint32_t CInternetUrl::QueryNumber(std::uint32_t info) {
    CURL* easy = static_cast<CURL*>(easy_);
    if (info == kQueryContentLength) {
        curl_off_t length = -1;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
            length >= 0 && length <= UINT32_MAX) {
            return static_cast<std::uint32_t>(length);
        }
    } else if (info == kQueryStatusCode) {
        long code = 0;
        if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK && code > 0) {
            return static_cast<std::uint32_t>(code);
        }
    }
    throw CInternetException(this, 0, 0, "The response has no such header",
                             Format("Failed to query http info (%u)", info | kQueryNumberFlag));
}

std::string CInternetUrl::QueryString(std::uint32_t option) {
    char* address = nullptr;
    if (option == kOptionUrl &&
        curl_easy_getinfo(static_cast<CURL*>(easy_), CURLINFO_EFFECTIVE_URL, &address) == CURLE_OK &&
        address) {
        return address;
    }
    throw CInternetException(this, 0, 0, {}, Format("Failed to query an internet option (%u)", option));
}

std::size_t CInternetUrl::Read(char* buffer, std::size_t size) {
    while (pending_.size() == pendingStart_ && !done_) {
        if (!Pump(false)) Fail(Format("Failed to read from network (%u bytes)", static_cast<std::uint32_t>(size)), this);
    }
    if (pending_.size() == pendingStart_) {
        if (result_ != CURLE_OK) {
            Fail(Format("Failed to read from network (%u bytes)", static_cast<std::uint32_t>(size)), this);
        }
        return 0;
    }
    const std::size_t bytes = std::min(size, pending_.size() - pendingStart_);
    std::memcpy(buffer, pending_.data() + pendingStart_, bytes);
    pendingStart_ += bytes;
    if (pendingStart_ == pending_.size()) {
        pending_.clear();
        pendingStart_ = 0;
    }
    return bytes;
}

}  // namespace reelkeep
