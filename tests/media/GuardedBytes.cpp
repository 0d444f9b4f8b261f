#include "GuardedBytes.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace reelkeep::test {

GuardedBytes::GuardedBytes(std::string_view bytes) : size_(bytes.size()) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t readable = (bytes.size() + page - 1) / page * page;
    mappingSize_ = readable + page;
    mapping_ = ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                      -1, 0);
    if (mapping_ == MAP_FAILED)
        std::abort();
    auto* base = static_cast<std::uint8_t*>(mapping_);
    // The page after the bytes can be neither read nor written.
    if (::mprotect(base + readable, page, PROT_NONE) != 0)
        std::abort();
    std::uint8_t* start = base + readable - bytes.size();
    if (!bytes.empty())
        std::memcpy(start, bytes.data(), bytes.size());
    ::mprotect(base, readable, PROT_READ);
    data_ = start;
}

GuardedBytes::~GuardedBytes() {
    ::munmap(mapping_, mappingSize_);
}

}  // namespace reelkeep::test
