// The catalog store's one exception type. what() is the text shown to the user: the storage
// library's own message, with the catalog file named where that helps.
#pragma once

#include <stdexcept>
#include <string>

namespace reelkeep {

class dbException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace reelkeep
