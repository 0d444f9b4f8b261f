// The media helper's one use of the media library: the bytes of a file, read through a
// callback at the offsets the library asks for, become the library's answer for our fields.
// Runs only inside the helper process and the library's fuzzer, never in the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "media/ProbeProtocol.h"

namespace reelkeep {

// Reads up to `size` bytes at `offset` into `buffer`; the count read, 0 at the end or on error.
using ReadAt =
    std::function<std::size_t(std::uint64_t offset, std::uint8_t* buffer, std::size_t size)>;

// Headers only: the library's quickest parse setting, and never more than a bounded number
// of bytes and jumps, however the file leads it around.
ProbeAnswer InspectWithLibrary(std::uint64_t fileSize, const ReadAt& read);

// Opens the file (read only, no waiting on pipes or leases) and inspects it; an answer that
// is not `opened` when the file cannot be read.
ProbeAnswer InspectFile(const std::string& path);

}  // namespace reelkeep
