// The update check's transfers over an HTTP session (the main frame's own).
#pragma once

#include <cstddef>
#include <cstdint>

#include "maint/UpdateCheck.h"
#include "net/CInternetSession.h"

namespace reelkeep {

// How much a server may send. A real list is a few kilobytes and no program file comes near
// a gibibyte: a longer list or file ends the check (no update), so that an endless or huge
// body cannot take all memory or disk.
struct UpdateLimits {
    std::size_t listBytes = std::size_t{1} << 20;
    std::uint64_t fileBytes = std::uint64_t{1} << 30;
};

class InternetUpdateFetcher : public CUpdateFetcher {
public:
    explicit InternetUpdateFetcher(CInternetSession& session, UpdateLimits limits = {})
        : session_(session), limits_(limits) {}

    ListResponse FetchList(const std::string& url) override;
    unsigned FetchFile(const std::string& url,
                       const std::function<void(std::string_view block)>& write) override;

private:
    CInternetSession& session_;
    UpdateLimits limits_;
};

// Names in the update list may hold blanks, line breaks or other bytes an address cannot carry
// as they are: those are sent percent-encoded.
std::string EscapeUpdateUrl(const std::string& url);

}  // namespace reelkeep
