// An HTTP session: the agent name, the time-outs, and the kept-open connections that its
// requests share. One thread uses a session; any thread may Close() it, which makes the
// transfer under way, and every later one, fail with CInternetException within moments.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace reelkeep {

// The program file's name without folder and extension ("reelkeep-cli", "reelkeep").
std::string ProgramAgentName();

class CInternetSession {
public:
    // Option numbers of SetOption.
    static constexpr std::uint32_t kConnectTimeout = 2;
    static constexpr std::uint32_t kSendTimeout = 5;
    static constexpr std::uint32_t kReceiveTimeout = 6;

    // An empty agent stands for the program file's name without folder and extension.
    // The proxy comes from the usual environment variables (http_proxy, no_proxy, ...).
    explicit CInternetSession(std::string agent = {});
    ~CInternetSession();
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // Time-outs in milliseconds; throws "Failed to set an internet option (%u)" for an option
    // this session does not know.
    void SetOption(std::uint32_t option, std::uint32_t value);

    // Cancels: safe from any thread, any number of times.
    void Close();
    bool IsClosed() const { return closed_.load(); }

    const std::string& Agent() const { return agent_; }
    // The agent of the requests started from now on; empty stands for the program's name.
    void SetAgent(std::string agent) { agent_ = agent.empty() ? ProgramAgentName() : std::move(agent); }
    std::chrono::milliseconds ConnectTimeout() const { return connectTimeout_; }
    std::chrono::milliseconds SendTimeout() const { return sendTimeout_; }
    std::chrono::milliseconds ReceiveTimeout() const { return receiveTimeout_; }

    // The limits in force, never unlimited: what the options set, or the default limit where
    // they leave a value at 0. A connection must be made within ConnectLimit(); a transfer
    // fails once nothing has arrived for StallLimit() (while waiting for the response, the
    // longer of the send and receive time-outs).
    std::chrono::milliseconds ConnectLimit() const;
    std::chrono::milliseconds StallLimit(bool waitingForResponse = false) const;

    // The default limit of the sessions opened from now on: about a minute, so that a silent
    // server cannot hold a transfer for ever. Tests shorten it.
    static std::chrono::milliseconds DefaultLimit();
    static void SetDefaultLimit(std::chrono::milliseconds limit);

    // The transfer library's multi handle, shared by the session's requests.
    void* MultiHandle() const { return multi_; }

private:
    std::string agent_;
    void* multi_ = nullptr;
    std::atomic<bool> closed_ = false;
    std::chrono::milliseconds connectTimeout_{0};  // 0: the default limit
    std::chrono::milliseconds sendTimeout_{0};     // 0: the default limit
    std::chrono::milliseconds receiveTimeout_{0};  // 0: the default limit
    std::chrono::milliseconds defaultLimit_;       // stands in for the options left at 0
};

}  // namespace reelkeep
