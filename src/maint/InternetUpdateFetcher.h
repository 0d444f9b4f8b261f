// The update check's transfers over an HTTP session (the main frame's own).
#pragma once

#include "maint/UpdateCheck.h"
#include "net/CInternetSession.h"

namespace reelkeep {

class InternetUpdateFetcher : public CUpdateFetcher {
public:
    explicit InternetUpdateFetcher(CInternetSession& session) : session_(session) {}

    ListResponse FetchList(const std::string& url) override;
    unsigned FetchFile(const std::string& url,
                       const std::function<void(std::string_view block)>& write) override;

private:
    CInternetSession& session_;
};

// Names in the update list may hold blanks, line breaks or other bytes an address cannot carry
// as they are: those are sent percent-encoded.
std::string EscapeUpdateUrl(const std::string& url);

}  // namespace reelkeep
