#include "net/CInternetException.h"

#include <utility>

namespace reelkeep {

CInternetException::CInternetException(const void* handle_, std::uint32_t systemError_,
                                       std::uint32_t responseError_, std::string responseText_,
                                       std::string message_)
    : handle(handle_),
      systemError(systemError_),
      responseError(responseError_),
      message(std::move(message_)),
      responseText(responseText_.empty() ? std::string("Unknown error")
                                         : std::move(responseText_)) {}

}  // namespace reelkeep
