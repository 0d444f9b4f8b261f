// The networking layer's one exception: thrown by value, caught by reference.
#pragma once

#include <cstdint>
#include <string>

namespace reelkeep {

class CInternetException {
public:
    // `handle` is the object the failing call was made on; null when that call was the one that
    // should have produced it. `responseError` and `responseText` are the transfer library's
    // own code and words; an empty text reads "Unknown error".
    CInternetException(const void* handle, std::uint32_t systemError, std::uint32_t responseError,
                       std::string responseText, std::string message);
    virtual ~CInternetException() = default;

    const void* handle;
    std::uint32_t systemError;
    std::uint32_t responseError;
    std::string message;
    std::string responseText;
};

}  // namespace reelkeep
