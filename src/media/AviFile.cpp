// Opening, mapping and releasing the file around the walk.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "catalog/Movie.h"
#include "media/AviHeader.h"

namespace reelkeep {

namespace {

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Linux has no share modes. A read lease stands in for them: the kernel refuses it while any
// process holds the file open for writing, and while we hold it a writer's open (or a
// truncate) waits for us to let go, so the file cannot shrink under the mapping.
class ReadLease {
public:
    explicit ReadLease(int fd) : fd_(fd) {
        // A writer arriving while we hold the lease is signalled to us; the default SIGIO would
        // end the program, SIGURG is ignored unless someone asked for it.
        ::fcntl(fd_, F_SETSIG, SIGURG);
        if (::fcntl(fd_, F_SETLEASE, F_RDLCK) == 0) {
            held_ = true;
        } else {
            // EACCES (not our file, no CAP_LEASE) or EINVAL (no leases on this file system):
            // we cannot tell, so the file is read.
            writerPresent_ = errno == EAGAIN;
        }
    }
    ~ReadLease() {
        if (held_)
            ::fcntl(fd_, F_SETLEASE, F_UNLCK);
    }
    ReadLease(const ReadLease&) = delete;
    ReadLease& operator=(const ReadLease&) = delete;
    bool WriterPresent() const { return writerPresent_; }

private:
    int fd_;
    bool held_ = false;
    bool writerPresent_ = false;
};

class MappedView {
public:
    MappedView(int fd, std::size_t length) : length_(length) {
        void* address = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
        if (address != MAP_FAILED)
            address_ = static_cast<const std::uint8_t*>(address);
    }
    ~MappedView() {
        if (address_)
            ::munmap(const_cast<std::uint8_t*>(address_), length_);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    std::span<const std::uint8_t> Bytes() const {
        return address_ ? std::span(address_, length_) : std::span<const std::uint8_t>();
    }

private:
    const std::uint8_t* address_ = nullptr;
    std::size_t length_;
};

}  // namespace

AviHeaderInfo InspectAviFile(const std::string& path) {
    AviHeaderInfo info;
    // O_NONBLOCK: a FIFO or a file under someone's write lease must not hang the caller.
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Get() < 0)
        return info;
    struct stat status {};
    // Directories, pipes and devices are no movie files: as good as unopenable.
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        return info;
    const ReadLease lease(file.Get());
    if (lease.WriterPresent())
        return info;

    info.size = static_cast<std::uint64_t>(status.st_size);
    // Only the part of the window that the file fills: a page past the end of the file would
    // fault on access. An empty file has nothing to map.
    const std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(*info.size, kAviWindow));
    if (length == 0)
        return info;
    const MappedView view(file.Get(), length);
    WalkAviHeaders(view.Bytes(), info);
    return info;
}

void ReadAviHeader(const std::string& path, std::string& video, std::string& audio, float& fps,
                   std::int32_t& width, std::int32_t& height, std::uint64_t& size) {
    AviHeaderInfo info = InspectAviFile(path);
    if (info.size)
        size = *info.size;
    if (info.video)
        video = std::move(*info.video);
    if (info.audio)
        audio = std::move(*info.audio);
    if (info.fps)
        fps = *info.fps;
    if (info.width)
        width = *info.width;
    if (info.height)
        height = *info.height;
}

void ReadAviHeader(const std::string& path, Movie& movie, std::uint64_t& size) {
    ReadAviHeader(path, movie.szVideo, movie.szAudio, movie.fFPS, movie.nWidth, movie.nHeight,
                  size);
}

}  // namespace reelkeep
