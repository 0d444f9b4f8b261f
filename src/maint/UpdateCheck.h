// The update check: one pass over "/updates/list.txt" on the update server that fetches every
// listed file that is missing or differs, after asking the user once. The program's own file
// is left beside itself under its "~" name as the pending replacement for the restart relay.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace reelkeep {

// The transfers the check needs. The frame's internet session implements it; any method may
// throw (a closed session makes the running transfer throw, which ends the check).
class CUpdateFetcher {
public:
    virtual ~CUpdateFetcher() = default;

    struct ListResponse {
        unsigned status = 0;
        std::string text;  // read in blocks of kListBlockSize, each cut at its first zero
    };
    // GET with the flags reload, no cache write, keep connection and pragma no-cache.
    virtual ListResponse FetchList(const std::string& url) = 0;

    // GET as above; returns the status. Only for a status of 200..206 is the body passed to
    // `write`, in blocks of at most kFileBlockSize bytes.
    virtual unsigned FetchFile(const std::string& url,
                               const std::function<void(std::string_view block)>& write) = 0;

    static constexpr std::size_t kListBlockSize = 8191;
    static constexpr std::size_t kFileBlockSize = 8192;
    static constexpr unsigned long kRequestFlags = 0x84400100;
};

// The one question of a check, "There are updates available.\nDo you want to download now?",
// asked before the first file that needs fetching. True for Yes.
class CUpdateQuestion {
public:
    virtual ~CUpdateQuestion() = default;
    virtual bool AskToDownload() = 0;
};

struct UpdateOutcome {
    int result = 0;  // 1: the user agreed, files were fetched and the pass ran to its end
    std::string pendingReplacement;  // the new program file under its "~" name, or empty
};

// The build's default server, unless REELKEEP_UPDATE_SERVER names another one. Empty when
// neither names one: then there is nothing to check.
std::string UpdateServerAddress();

// Runs the check. programFolder ends in "/"; programFile is the running program file (the
// entry naming it gives the pending replacement). Every exception ends the check with 0.
UpdateOutcome CheckForUpdates(const std::string& server, const std::string& programFolder,
                              const std::string& programFile, CUpdateFetcher& fetcher,
                              CUpdateQuestion& question);

}  // namespace reelkeep
