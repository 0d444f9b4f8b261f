// Bytes that end exactly where an unreadable page begins: a read past their end faults in
// every build, not only under the address sanitizer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace reelkeep::test {

class GuardedBytes {
public:
    explicit GuardedBytes(std::string_view bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

private:
    void* mapping_ = nullptr;
    std::size_t mappingSize_ = 0;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace reelkeep::test
