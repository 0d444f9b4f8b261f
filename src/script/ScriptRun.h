// The object a script reaches as `www` and as `user`, one per run: the run's own HTTP session,
// `location`, the folder downloads go to, and the host that shows and asks.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "net/CInternetException.h"
#include "net/CInternetSession.h"
#include "script/AngelScriptFwd.h"
#include "script/ScriptMemory.h"
#include "script/ScriptRunHost.h"


namespace reelkeep {

class ScriptRun {
public:
    // `timeout` in milliseconds for connecting, sending and receiving; 0 keeps the default
    // limits of the session (about a minute each).
    ScriptRun(ScriptRunHost& host, std::string downloadFolder, std::uint32_t timeout);

    // www
    std::string Open(const std::string& url);
    // False, with nothing requested or stored, for a name the catalog uses for its own files.
    bool Download(const std::string& url, std::string& file);
    const std::string& Location() const { return location_; }
    // The status code of the last page `open` read; 0 before the first.
    int Status() const { return static_cast<int>(status_); }

    // The User-Agent of the run's requests. Scripts name themselves, as public sources ask;
    // a text that could end the header line, or an overlong one, is refused.
    static constexpr std::size_t kMaxAgent = 256;
    const std::string& Agent() const { return session_.Agent(); }
    void SetAgent(const std::string& agent);

    // The least time, in milliseconds, from the end of one transfer of the run to the start of
    // the next, across movies too: sources ask for a pause between requests. At most kMaxPause;
    // Cancel ends a wait at once.
    static constexpr std::uint32_t kMaxPause = 60000;
    std::uint32_t Pause() const { return pause_; }
    void SetPause(std::uint32_t milliseconds) { pause_ = milliseconds > kMaxPause ? kMaxPause : milliseconds; }

    // user
    int Alert(const std::string& text);
    int Alert(const std::string& text, std::uint32_t style);
    bool Input(std::string& value, const std::string& title, const std::string& label, bool allowEmpty);
    int Select(const StringArray& items, const std::string& title, const std::string& label);
    // What scripts keep between runs (ScriptMemory); a name or value it refuses ends the
    // script with a script exception.
    std::string Recall(const std::string& name);
    bool Remember(const std::string& name, const std::string& value);

    // Cancels from any thread: the transfer under way, or the next one, fails, and the running
    // script stops at its next statement (see CancelFlag).
    void Cancel() {
        cancelled_ = true;
        session_.Close();
        const std::lock_guard<std::mutex> lock(pauseMutex_);
        pauseEnded_.notify_all();
    }
    bool Cancelled() const { return cancelled_.load(); }
    const std::atomic<bool>& CancelFlag() const { return cancelled_; }

    // The network failure that ended the last script, if one did; cleared by taking it.
    std::optional<CInternetException> TakeNetworkError();

    ScriptRunHost& Host() { return host_; }

private:
    // Ends the running script with the failure kept for the runner to show. The script cannot
    // catch it: a transfer that failed leaves the script at once.
    void Abort(const CInternetException& error);
    // Waits out the pause after the last transfer; returns early when the run is cancelled.
    void WaitForTurn();
    void TransferEnded() { lastTransferEnd_ = std::chrono::steady_clock::now(); }

    ScriptRunHost& host_;
    std::string downloadFolder_;
    CInternetSession session_;
    std::string location_;
    std::uint32_t status_ = 0;
    std::uint32_t pause_ = 0;
    std::optional<std::chrono::steady_clock::time_point> lastTransferEnd_;
    std::mutex pauseMutex_;
    std::condition_variable pauseEnded_;
    ScriptMemory memory_{ScriptMemory::DefaultFolder()};
    std::optional<CInternetException> networkError_;
    std::atomic<bool> cancelled_ = false;
};

// Registers the types CNavigator and CUI with their methods and the globals `www` and `user`,
// both standing for `run`. `string` and `string[]` must be registered already.
void RegisterNavigatorAndUser(ScriptEngine* engine, ScriptRun* run);

}  // namespace reelkeep
