#include "catalog/CatalogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "catalog/dbException.h"

namespace reelkeep {

namespace {

// The first 100 bytes of the storage library's file format.
constexpr std::size_t kHeaderSize = 108;  // the file header and the first page's header
constexpr char kMagic[] = "SQLite format 3";  // followed by its NUL, 16 bytes in all

std::uint32_t BigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw dbException("The file \"" + path + "\" " + why + " It was left as it is.");
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool HasContent(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && info.st_size > 0;
}

std::uint32_t PageSize(const unsigned char* header) {
    const std::uint32_t size = (std::uint32_t{header[16]} << 8) | header[17];
    return size == 1 ? 65536 : size;
}

// A database of one page whose schema table has no entry, claimed by no program: what is
// left when a process dies after the library wrote the first page of a new file and before
// any table existed. Nothing can be lost by starting a catalog over it.
bool IsBlankDatabase(const unsigned char* header, ssize_t got, off_t fileSize) {
    constexpr std::size_t kFirstPageHead = 108;  // file header + schema table's page header
    if (got < static_cast<ssize_t>(kFirstPageHead) || BigEndian32(header + 68) != 0) return false;
    if (static_cast<std::uint64_t>(fileSize) != PageSize(header)) return false;
    const bool leafTablePage = header[100] == 0x0D;
    const bool noCells = header[103] == 0 && header[104] == 0;
    return leafTablePage && noCells;
}

}  // namespace

CatalogFileState InspectCatalogFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return CatalogFileState::Missing;
        throw dbException("Cannot read the catalog \"" + path + "\": " + std::strerror(errno));
    }
    struct stat info {};
    unsigned char header[kHeaderSize] = {};
    ssize_t got = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) got = ::pread(fd, header, kHeaderSize, 0);
    const int readError = errno;
    ::close(fd);

    if (!S_ISREG(info.st_mode)) Refuse(path, "is not a regular file.");
    if (got < 0) {
        throw dbException("Cannot read the catalog \"" + path + "\": " + std::strerror(readError));
    }
    if (info.st_size == 0) return CatalogFileState::Empty;
    if (static_cast<std::size_t>(got) < kHeaderSize ||
        std::memcmp(header, kMagic, sizeof kMagic) != 0) {
        Refuse(path, "is not a Reelkeep catalog.");
    }
    if (IsBlankDatabase(header, got, info.st_size) && !HasContent(path + "-wal")) {
        return CatalogFileState::Empty;
    }
    if (BigEndian32(header + 68) != kCatalogApplicationId) {
        Refuse(path, "is a database of another program, not a Reelkeep catalog.");
    }
    if (BigEndian32(header + 60) > kCatalogSchemaVersion) {
        Refuse(path, "was written by a newer version of Reelkeep.");
    }

    // The header records the page count whenever its change counter (offset 24) matches the
    // one at offset 92. A file shorter than that lost its end. With a write-ahead file beside
    // it, the newest pages may live there instead, and the library sorts that out itself.
    const std::uint32_t pageSize = PageSize(header);
    const std::uint32_t pageCount = BigEndian32(header + 28);
    const bool countValid = std::memcmp(header + 24, header + 92, 4) == 0;
    if (countValid && pageCount > 0 &&
        static_cast<std::uint64_t>(info.st_size) <
            static_cast<std::uint64_t>(pageSize) * pageCount &&
        !Exists(path + "-wal")) {
        Refuse(path, "is damaged: it is shorter than its own header says.");
    }
    return CatalogFileState::Catalog;
}

}  // namespace reelkeep
