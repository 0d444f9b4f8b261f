// The object a script reaches as `www` and as `user`, one per run: the run's own HTTP session,
// `location`, the folder downloads go to, and the host that shows and asks.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "net/CInternetException.h"
#include "net/CInternetSession.h"
#include "script/AngelScriptFwd.h"
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

    // user
    int Alert(const std::string& text);
    int Alert(const std::string& text, std::uint32_t style);
    bool Input(std::string& value, const std::string& title, const std::string& label, bool allowEmpty);
    int Select(const StringArray& items, const std::string& title, const std::string& label);

    // Cancels from any thread: the transfer under way, or the next one, fails, and the running
    // script stops at its next statement (see CancelFlag).
    void Cancel() {
        cancelled_ = true;
        session_.Close();
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

    ScriptRunHost& host_;
    std::string downloadFolder_;
    CInternetSession session_;
    std::string location_;
    std::optional<CInternetException> networkError_;
    std::atomic<bool> cancelled_ = false;
};

// Registers the types CNavigator and CUI with their methods and the globals `www` and `user`,
// both standing for `run`. `string` and `string[]` must be registered already.
void RegisterNavigatorAndUser(ScriptEngine* engine, ScriptRun* run);

}  // namespace reelkeep
