// Media files come from anywhere: the walk must never read outside the bytes it is given,
// and reading the same bytes from a file must find exactly what the walk finds in memory.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "media/AviHeader.h"

namespace {

bool SameFields(const reelkeep::AviHeaderInfo& a, const reelkeep::AviHeaderInfo& b) {
    return a.video == b.video && a.audio == b.audio && a.width == b.width && a.height == b.height &&
           (a.fps && b.fps ? *a.fps == *b.fps || (*a.fps != *a.fps && *b.fps != *b.fps)
                           : a.fps.has_value() == b.fps.has_value());
}

const std::string& ScratchFile() {
    static const std::string path = "/tmp/reelkeep-avi-fuzz-" + std::to_string(::getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    reelkeep::AviHeaderInfo walked;
    reelkeep::WalkAviHeaders({data, size}, walked);
    // Video results always come together; a frame rate only comes with a video stream.
    if (walked.video.has_value() != walked.width.has_value())
        std::abort();
    if (walked.width.has_value() != walked.height.has_value())
        std::abort();
    if (walked.fps && !walked.video)
        std::abort();
    if (walked.size)
        std::abort();

    const int fd = ::open(ScratchFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return 0;
    const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (written) {
        const reelkeep::AviHeaderInfo read = reelkeep::InspectAviFile(ScratchFile());
        if (read.size != size || !SameFields(read, walked))
            std::abort();
    }
    ::unlink(ScratchFile().c_str());
    return 0;
}
