#include "net/CInternetSession.h"

#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <vector>

#include "net/CInternetException.h"

namespace reelkeep {

namespace {

std::atomic<std::chrono::milliseconds::rep> g_defaultLimit{60000};

void InitializeLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

std::string ProgramAgentName() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return "Reelkeep";
    std::string name(buffer.data(), static_cast<std::size_t>(length));
    name = name.substr(name.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

CInternetSession::CInternetSession(std::string agent)
    : agent_(agent.empty() ? ProgramAgentName() : std::move(agent)), defaultLimit_(DefaultLimit()) {
    InitializeLibraryOnce();
    multi_ = curl_multi_init();
    if (!multi_) {
        throw CInternetException(nullptr, static_cast<std::uint32_t>(errno), 0, {},
                                 "Failed to open an internet session");
    }
    // Keep a few connections open between the session's requests.
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 8L);
}

CInternetSession::~CInternetSession() { curl_multi_cleanup(multi_); }

void CInternetSession::SetOption(std::uint32_t option, std::uint32_t value) {
    const std::chrono::milliseconds ms(value);
    switch (option) {
        case kConnectTimeout: connectTimeout_ = ms; return;
        case kSendTimeout: sendTimeout_ = ms; return;
        case kReceiveTimeout: receiveTimeout_ = ms; return;
        default: break;
    }
    char message[64];
    std::snprintf(message, sizeof message, "Failed to set an internet option (%u)", option);
    throw CInternetException(this, 0, 0, "The option is not known", message);
}

std::chrono::milliseconds CInternetSession::ConnectLimit() const {
    return connectTimeout_.count() > 0 ? connectTimeout_ : defaultLimit_;
}

std::chrono::milliseconds CInternetSession::StallLimit(bool waitingForResponse) const {
    const auto set = waitingForResponse ? std::max(sendTimeout_, receiveTimeout_) : receiveTimeout_;
    return set.count() > 0 ? set : defaultLimit_;
}

std::chrono::milliseconds CInternetSession::DefaultLimit() {
    return std::chrono::milliseconds(g_defaultLimit.load());
}

void CInternetSession::SetDefaultLimit(std::chrono::milliseconds limit) {
    g_defaultLimit = std::max<std::chrono::milliseconds::rep>(limit.count(), 1);
}

void CInternetSession::Close() {
    if (!closed_.exchange(true)) curl_multi_wakeup(multi_);
}

}  // namespace reelkeep
