// The two transfers that scripts use: a page into a string, a file into a folder.
// Both read the body in blocks of 8,192 bytes and report progress after each block.
#pragma once

#include <cstdint>
#include <string>

#include "net/CInternetSession.h"

namespace reelkeep {

// Where a transfer reports how far it has come. Both calls may block until the user
// interface has shown them.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    virtual void SetRange(std::uint32_t high) = 0;  // 0..high, called only when the length is known
    virtual void SetPosition(std::uint32_t position) = 0;
};

inline constexpr std::size_t kTransferBlock = 8192;

// The most a page and a downloaded file may hold. A server that sends without end would
// otherwise be bounded by nothing but the program's memory, or the catalog's disk.
inline constexpr std::size_t kPageLimit = 100'000'000;
inline constexpr std::uint64_t kDownloadLimit = 1'000'000'000;

// The body of the response, whatever its status, bytes as they came. `location` becomes the
// address the body came from, after redirects, and `status`, when given, the response's status
// code (0 when it had none). Throws CInternetException, also for a body beyond kPageLimit.
std::string OpenUrl(CInternetSession& session, const std::string& url, std::string& location,
                    TransferProgress* progress = nullptr, std::uint32_t* status = nullptr);

// The part of `name` after its last "\", "/" or ":"; empty when that part is empty, "." or
// "..", since such a name would leave the download folder.
std::string DownloadBaseName(const std::string& name);

// Saves the body into `folder` (ending in "/") under the base name of `name`, by way of
// "~" + base name, and sets `name` to the base name. False, with nothing requested, when the
// base name is unusable or the temporary file cannot be made; false when the final rename
// fails. Throws CInternetException for network failures, leaving the temporary file, and for a
// body beyond `limit`, removing it.
bool DownloadUrl(CInternetSession& session, const std::string& url, std::string& name,
                 const std::string& folder, TransferProgress* progress = nullptr,
                 std::uint64_t limit = kDownloadLimit);

}  // namespace reelkeep
