// Zip archives made in the tests with libzip, entries named as given (even names that climb
// out of the archive, which the import must refuse).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace reelkeep::test {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

// The archive's bytes; written through a file in `folder` (ending in "/").
std::string MakeZip(const std::string& folder, const ZipEntries& entries);

}  // namespace reelkeep::test
