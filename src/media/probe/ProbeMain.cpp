// reelkeep-probe: the media helper. Reads netstring requests (one path each) on its standard
// input and writes one netstring answer per request to its standard output, until its input
// ends. Started by the program (MediaProbe), never by hand; the media library runs here so
// that a file that crashes or hangs it costs the program nothing but that file's facts.
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>

#include "media/ProbeProtocol.h"
#include "media/probe/LibraryReading.h"

namespace {

using namespace reelkeep;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// A damaged file may lead the library to ask for absurd amounts of memory: the helper fails
// instead of the machine swapping. No core files either: a crash here is expected business.
void LimitResources() {
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (!kSanitized) {  // the sanitizers reserve terabytes of address space up front
        const rlimit memory{4ull << 30, 4ull << 30};
        ::setrlimit(RLIMIT_AS, &memory);
    }
}

// The library allocates and frees buffers of a megabyte and more for every file. By default
// each of those is a fresh mapping, given back at once, so every file paid for the kernel
// zeroing and unmapping its pages (more than half the cost of an MP4 file). The helper keeps
// such memory for the next file instead: it is one short-lived process per drop.
void KeepBuffersBetweenFiles() {
    ::mallopt(M_MMAP_THRESHOLD, 64 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
    ::mallopt(M_TOP_PAD, 64 << 20);
}

// The channel is the socket on standard input and output. It moves to a descriptor of its
// own, and standard output goes nowhere, so that nothing the library might print can ever
// be taken for an answer.
int TakeChannel() {
    const int channel = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    const int nowhere = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nowhere >= 0) {
        ::dup2(nowhere, 0);
        ::dup2(nowhere, 1);
        ::close(nowhere);
    }
    return channel;
}

bool WriteAll(int channel, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(channel, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

ProbeAnswer Answer(const std::string& path) {
    try {
        return InspectFile(path);
    } catch (const std::exception&) {
        return {};  // out of memory inside the library, for one: this file is unreadable
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        std::fprintf(stderr, "%s: the media helper of Reelkeep; the programs start it themselves\n",
                     argv[0]);
        return 2;
    }
    // Never outlive the program that asked: a helper left behind would hold nothing useful.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    LimitResources();
    KeepBuffersBetweenFiles();
    const int channel = TakeChannel();
    if (channel < 0)
        return 1;

    NetstringReader requests(kMaxRequestBytes);
    std::string path;
    char buffer[4096];
    for (;;) {
        switch (requests.Next(path)) {
            case NetstringReader::Status::Complete:
                if (!WriteAll(channel, EncodeNetstring(EncodeAnswerBody(Answer(path)))))
                    return 1;
                continue;
            case NetstringReader::Status::Malformed:
                return 1;
            case NetstringReader::Status::NeedMore:
                break;
        }
        const ssize_t count = ::read(channel, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return 0;  // the program is done with us
        requests.Feed({buffer, static_cast<std::size_t>(count)});
    }
}
