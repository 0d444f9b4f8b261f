// The media library's inspection of a byte buffer, as the media helper runs it on a file.
// Not part of scripts/test: a fault found here lies inside a third-party library, which the
// helper's process boundary contains; scripts/fuzz-media-library runs it for as long as asked
// and keeps what it finds. Whatever the library answers must still make a sound answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "media/LibraryFormats.h"
#include "media/ProbeProtocol.h"
#include "media/probe/LibraryReading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace reelkeep;
    const ProbeAnswer answer = InspectWithLibrary(
        size, [data, size](std::uint64_t offset, std::uint8_t* buffer, std::size_t want) {
            if (offset >= size)
                return std::size_t{0};
            const std::size_t count = std::min<std::size_t>(want, size - offset);
            std::memcpy(buffer, data + offset, count);
            return count;
        });
    if (DecodeAnswerBody(EncodeAnswerBody(answer)) != answer)
        std::abort();
    FactsFromAnswer(answer);
    return 0;
}
