#include "net/HttpTransfers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "net/CInternetException.h"
#include "net/CInternetUrl.h"

namespace reelkeep {

namespace {

// Announces the range when the response says how long it is; 0 when it does not.
std::uint32_t BeginProgress(CInternetUrl& request, TransferProgress* progress) {
    if (progress) progress->SetPosition(0);
    std::uint32_t length = 0;
    try {
        length = request.QueryNumber(CInternetUrl::kQueryContentLength);
    } catch (const CInternetException&) {
        return 0;  // no length: no range and no positions
    }
    if (progress && length) progress->SetRange(length);
    return length;
}

// A body beyond what the transfer may hold ends it as a failed read, saying why.
[[noreturn]] void ThrowTooLarge(const CInternetUrl& request, const char* what, std::uint64_t limit) {
    throw CInternetException(&request, 0, 0,
                             std::string(what) + " is larger than " + std::to_string(limit / 1'000'000) +
                                 " MB, more than a script may fetch.",
                             "Failed to read from network (" + std::to_string(kTransferBlock) + " bytes)");
}

class FileCloser {
public:
    explicit FileCloser(int fd) : fd_(fd) {}
    ~FileCloser() { Close(); }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

}  // namespace

std::string OpenUrl(CInternetSession& session, const std::string& url, std::string& location,
                    TransferProgress* progress, std::uint32_t* status) {
    CInternetUrl request(session, url, {}, CInternetUrl::kKeepConnection);
    const std::uint32_t length = BeginProgress(request, progress);
    std::string body;
    body.reserve(std::min<std::size_t>(length, kPageLimit) + 1);  // the length is the server's word
    char block[kTransferBlock];
    std::uint32_t total = 0;
    while (const std::size_t got = request.Read(block, sizeof block)) {
        total += static_cast<std::uint32_t>(got);
        if (progress && length) progress->SetPosition(total);
        if (got > kPageLimit - body.size()) ThrowTooLarge(request, "The page", kPageLimit);
        body.append(block, got);
    }
    location = request.QueryString(CInternetUrl::kOptionUrl);
    if (status) {
        try {
            *status = request.QueryNumber(CInternetUrl::kQueryStatusCode);
        } catch (const CInternetException&) {
            *status = 0;
        }
    }
    return body;
}

std::string DownloadBaseName(const std::string& name) {
    const std::size_t cut = name.find_last_of("\\/:");
    std::string base = cut == std::string::npos ? name : name.substr(cut + 1);
    if (base == "." || base == "..") base.clear();
    return base;
}

bool DownloadUrl(CInternetSession& session, const std::string& url, std::string& name,
                 const std::string& folder, TransferProgress* progress, std::uint64_t limit) {
    const std::string base = DownloadBaseName(name);
    if (base.empty()) return false;
    const std::string finalPath = folder + base;
    const std::string temporaryPath = folder + "~" + base;

    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return false;
    FileCloser file(fd);

    CInternetUrl request(session, url, "Accept: */*\r\nAccept-Encoding: gzip,deflate",
                         CInternetUrl::kKeepConnection);
    const std::uint32_t length = BeginProgress(request, progress);
    char block[kTransferBlock];
    std::uint64_t total = 0;
    while (const std::size_t got = request.Read(block, sizeof block)) {
        total += got;
        if (progress && length) progress->SetPosition(static_cast<std::uint32_t>(total));
        if (total > limit) {
            file.Close();
            ::unlink(temporaryPath.c_str());
            ThrowTooLarge(request, "The file", limit);
        }
        // A failed write is not fatal: the transfer goes on.
        [[maybe_unused]] const ssize_t written = ::write(fd, block, got);
    }
    file.Close();
    ::unlink(finalPath.c_str());
    if (::rename(temporaryPath.c_str(), finalPath.c_str()) != 0) return false;
    name = base;
    return true;
}

}  // namespace reelkeep
