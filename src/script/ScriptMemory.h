// What scripts keep between runs: `user.remember(name, value)` and `user.recall(name)`. Each
// name is one file in a folder of the user's settings, readable by the user alone (an API
// key may be among the values), never in the catalog's or the program's folder.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace reelkeep {

// A name or value that no script may use: the message says which rule it broke.
class ScriptMemoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ScriptMemory {
public:
    static constexpr std::size_t kMaxName = 64;
    static constexpr std::size_t kMaxValue = 4096;
    static constexpr std::size_t kMaxEntries = 256;

    // `folder` ends in "/"; an empty one keeps nothing (there is no home folder).
    explicit ScriptMemory(std::string folder) : folder_(std::move(folder)) {}

    // "<settings folder>Reelkeep Scripts/", or empty without a home folder.
    static std::string DefaultFolder();

    // Names are plain identifiers: a letter or "_", then letters, digits and "_".
    static bool IsPlainName(const std::string& name);

    // The value last remembered under `name`; empty when there is none.
    std::string Recall(const std::string& name) const;
    // Keeps `value` under `name` for later runs, replacing the old one; an empty value forgets
    // the name. False when it could not be written. Throws ScriptMemoryError for a name that
    // is not plain, a value longer than kMaxValue, or a new name beyond kMaxEntries.
    bool Remember(const std::string& name, const std::string& value) const;

    const std::string& Folder() const { return folder_; }

private:
    std::size_t CountEntries() const;

    std::string folder_;
};

}  // namespace reelkeep
