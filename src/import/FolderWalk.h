// Listing a dropped folder: its entries in listing order, folders marked, and each folder
// visited once however links point back into the tree.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace reelkeep {

struct FolderEntry {
    std::string path;  // full path; a folder's ends in "/"
    bool folder = false;
    bool regularFile = false;
};

// The folders already entered during one walk, by device and inode.
using VisitedFolders = std::set<std::pair<dev_t, ino_t>>;

// True the first time a folder is seen; false when it was entered already or is no folder.
bool EnterFolderOnce(const std::string& folder, VisitedFolders& visited);

// The entries of `folder` (ending in "/") without "." and "..", sorted by ListingOrder.
// An unreadable folder lists nothing.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// What a dropped path is: a folder (its path then ends in "/"), a regular file, or neither.
FolderEntry DescribePath(const std::string& path);

}  // namespace reelkeep
