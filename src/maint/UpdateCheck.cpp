#include "maint/UpdateCheck.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "maint/DebugTrace.h"
#include "maint/FileDigest.h"
#include "maint/FileSystem.h"
#include "maint/UpdateList.h"
#include "maint/VersionMarker.h"

#ifndef REELKEEP_UPDATE_SERVER_DEFAULT
#define REELKEEP_UPDATE_SERVER_DEFAULT ""
#endif

namespace reelkeep {

namespace {

// Names in the list use "\" between folders.
std::string LocalName(const std::string& name) {
    std::string local = name;
    for (char& c : local) {
        if (c == '\\') c = '/';
    }
    return local;
}

// A name that would reach outside the program folder (absolute, or with a ".." component),
// or that names a folder instead of a file.
bool IsHostileName(const std::string& name) {
    const std::string local = LocalName(name);
    if (local.empty() || local.front() == '/' || local.back() == '/') return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = local.find('/', start);
        const std::size_t end = slash == std::string::npos ? local.size() : slash;
        if (std::string_view(local).substr(start, end - start) == "..") return true;
        if (slash == std::string::npos) return false;
        start = slash + 1;
    }
}

std::optional<std::uint64_t> ListedVersion(const std::string& text) {
    unsigned short parts[4];
    if (std::sscanf(text.c_str(), "%hu.%hu.%hu.%hu", &parts[0], &parts[1], &parts[2], &parts[3]) != 4) {
        return std::nullopt;
    }
    return PackVersion(parts[0], parts[1], parts[2], parts[3]);
}

// Whether a received file is what its entry promised: the listed digest ("c") or exactly the
// listed version ("v"). A cut transfer, an error page or a wrong file fails this. Blanks and
// line breaks after the listed value are no part of the digest.
bool MatchesEntry(const std::string& path, const std::string& value) {
    if (value.starts_with('c')) {
        std::string listed = value.substr(1);
        listed.erase(listed.find_last_not_of(" \t\r\n") + 1);
        const std::optional<std::string> digest = FileDigestText(path);
        return digest && ::strcasecmp(digest->c_str(), listed.c_str()) == 0;
    }
    if (value.starts_with('v')) {
        const std::optional<std::uint64_t> listed = ListedVersion(value.substr(1));
        return listed && ReadFileVersion(path) == listed;
    }
    return true;  // any other value promises nothing to check
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

class Check {
public:
    Check(const std::string& server, const std::string& programFolder,
          const std::string& programFile, CUpdateFetcher& fetcher, CUpdateQuestion& question)
        : server_(server),
          programFolder_(programFolder),
          programFile_(programFile),
          fetcher_(fetcher),
          question_(question) {}

    UpdateOutcome Run() {
        const CUpdateFetcher::ListResponse list = fetcher_.FetchList(server_ + "/updates/list.txt");
        // An error page is no list: its text could pass for entries.
        if (list.status < 200 || list.status > 206) return {};
        const std::vector<UpdateEntry> entries = ParseUpdateList(list.text);
        for (const UpdateEntry& entry : entries) {
            if (IsHostileName(entry.name)) return {};
        }
        for (const UpdateEntry& entry : entries) {
            if (!Handle(entry)) return {};
        }
        if (!asked_) return {};
        return {1, pending_};
    }

private:
    // False when the check stops here with result 0.
    bool Handle(const UpdateEntry& entry) {
        const std::string localPath = programFolder_ + LocalName(entry.name);
        DebugTrace("Update %s (%s)", entry.name.c_str(), entry.value.c_str());

        if (!PathExists(localPath)) {
            DebugTrace("Updating new file %s", entry.name.c_str());
            if (!Ask()) return false;
            CreateFolders(localPath.substr(0, localPath.rfind('/') + 1));
            return Fetch(entry, localPath);
        }
        if (entry.value.starts_with('v')) {
            const std::optional<std::uint64_t> local = ReadFileVersion(localPath);
            if (!local) return false;
            const std::string listed = entry.value.substr(1);
            const std::optional<std::uint64_t> version = ListedVersion(listed);
            if (!version) return false;
            if (*local >= *version) return true;
            DebugTrace("Unmatched version for %s (%d.%d.%d.%d instead of %s", localPath.c_str(),
                       static_cast<int>(*local >> 48), static_cast<int>((*local >> 32) & 0xFFFF),
                       static_cast<int>((*local >> 16) & 0xFFFF), static_cast<int>(*local & 0xFFFF),
                       listed.c_str());
            return Ask() && Fetch(entry, localPath);
        }
        if (entry.value.starts_with('c')) {
            const std::optional<std::string> digest = FileDigestText(localPath);
            if (!digest) return false;
            const std::string listed = entry.value.substr(1);
            if (::strcasecmp(digest->c_str(), listed.c_str()) == 0) return true;
            DebugTrace("Unmatched crc for %s (%s instead of %s", localPath.c_str(),
                       digest->c_str(), listed.c_str());
            return Ask() && Fetch(entry, localPath);
        }
        return false;
    }

    bool Ask() {
        if (asked_) return true;
        if (!question_.AskToDownload()) return false;
        asked_ = true;
        return true;
    }

    bool Fetch(const UpdateEntry& entry, const std::string& localPath) {
        const std::size_t slash = localPath.rfind('/');
        const std::string temporaryPath =
            localPath.substr(0, slash + 1) + "~" + localPath.substr(slash + 1);
        // The new file keeps the permissions of the one it replaces (a program stays runnable).
        struct stat old {};
        const mode_t mode = ::stat(localPath.c_str(), &old) == 0 ? (old.st_mode & 0777) : 0644;
        const int fd = ::open(temporaryPath.c_str(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0) return false;
        ::fchmod(fd, mode);

        std::string url = server_ + "/updates/" + entry.name;
        for (char& c : url) {
            if (c == '\\') c = '/';
        }
        unsigned status = 0;
        try {
            status = fetcher_.FetchFile(url, [fd](std::string_view block) {
                // A failed write is not looked at; the copy into place follows regardless.
                [[maybe_unused]] const ssize_t ignored = ::write(fd, block.data(), block.size());
            });
        } catch (...) {
            // A cut transfer leaves nothing anyone could use: its part goes too.
            ::close(fd);
            ::unlink(temporaryPath.c_str());
            throw;
        }
        ::close(fd);
        if (status < 200 || status > 206) return false;
        if (!MatchesEntry(temporaryPath, entry.value)) {
            ::unlink(temporaryPath.c_str());
            return false;
        }

        if (SameFile(localPath, programFile_)) {
            pending_ = temporaryPath;
        } else if (::rename(temporaryPath.c_str(), localPath.c_str()) != 0) {
            // The new file stays under its temporary name; the check goes on.
        }
        return true;
    }

    const std::string& server_;
    const std::string& programFolder_;
    const std::string& programFile_;
    CUpdateFetcher& fetcher_;
    CUpdateQuestion& question_;
    bool asked_ = false;
    std::string pending_;
};

}  // namespace

std::string UpdateServerAddress() {
    const char* server = std::getenv("REELKEEP_UPDATE_SERVER");
    std::string address = server && server[0] ? server : REELKEEP_UPDATE_SERVER_DEFAULT;
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address;
}

UpdateOutcome CheckForUpdates(const std::string& server, const std::string& programFolder,
                              const std::string& programFile, CUpdateFetcher& fetcher,
                              CUpdateQuestion& question) {
    try {
        return Check(server, programFolder, programFile, fetcher, question).Run();
    } catch (...) {
        return {};
    }
}

}  // namespace reelkeep
