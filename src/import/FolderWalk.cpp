#include "import/FolderWalk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "script/ScriptFiles.h"

namespace reelkeep {

bool EnterFolderOnce(const std::string& folder, VisitedFolders& visited) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    return visited.insert({info.st_dev, info.st_ino}).second;
}

FolderEntry DescribePath(const std::string& path) {
    FolderEntry entry;
    entry.path = path;
    struct stat info {};
    // Links are followed: a link to a file is that file.
    if (::stat(path.c_str(), &info) != 0)
        return entry;
    if (S_ISDIR(info.st_mode)) {
        entry.folder = true;
        if (!entry.path.ends_with('/'))
            entry.path += '/';
    } else {
        entry.regularFile = S_ISREG(info.st_mode);
    }
    return entry;
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end(), ListingOrder);
    std::vector<FolderEntry> entries;
    entries.reserve(names.size());
    for (const std::string& name : names) entries.push_back(DescribePath(folder + name));
    return entries;
}

}  // namespace reelkeep
