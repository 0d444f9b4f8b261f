// A fetcher that serves the update server's files from a local folder: "<server>/updates/x"
// is "<root>/updates/x". A missing file answers 404. It notes every URL asked for and can be
// told to fail like a closed session.
#pragma once

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "maint/UpdateCheck.h"

namespace reelkeep::test {

class FolderFetcher : public CUpdateFetcher {
public:
    FolderFetcher(std::string server, std::string root)
        : server_(std::move(server)), root_(std::move(root)) {}

    ListResponse FetchList(const std::string& url) override;
    unsigned FetchFile(const std::string& url,
                       const std::function<void(std::string_view)>& write) override;

    std::vector<std::string> requested;
    std::set<std::string> failing;  // URLs that throw as a closed session would

private:
    std::string PathOf(const std::string& url);
    std::string server_;
    std::string root_;
};

class ScriptedQuestion : public CUpdateQuestion {
public:
    explicit ScriptedQuestion(bool answer) : answer_(answer) {}
    bool AskToDownload() override {
        ++asked;
        return answer_;
    }
    int asked = 0;

private:
    bool answer_;
};

}  // namespace reelkeep::test
