#include "import/FileNeighbours.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "interop/FileTitle.h"
#include "platform/CaseFold.h"

namespace reelkeep {

namespace {

// Extensions of the files a media centre plays, to tell a folder's movie from its subtitles
// and notes.
bool IsVideoName(const std::string& name) {
    static const char* const kVideo[] = {".avi", ".mkv", ".mp4", ".m4v", ".mov", ".webm", ".ts",
                                         ".m2ts", ".mts", ".mpg", ".mpeg", ".vob", ".wmv", ".asf",
                                         ".flv", ".ogv", ".ogm", ".3gp", ".divx", ".iso"};
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return false;
    std::string extension = name.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::any_of(std::begin(kVideo), std::end(kVideo),
                       [&extension](const char* known) { return extension == known; });
}

// The regular files of the folder (links followed), in no particular order.
std::vector<std::string> RegularFiles(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return names;
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        bool regular = item->d_type == DT_REG;
        if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
            struct stat status {};
            regular = ::stat((folder + name).c_str(), &status) == 0 && S_ISREG(status.st_mode);
        }
        if (regular) names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

}  // namespace

const FileNeighbours::Folder& FileNeighbours::Listed(const std::string& folder) {
    if (const auto known = folders_.find(folder); known != folders_.end()) return known->second;
    Folder listed;
    listed.names = FolderNames(RegularFiles(folder));
    std::vector<const std::string*> others, videos;
    for (const std::string& name : listed.names.Names()) {
        if (IsMediaCentreName(name)) continue;
        others.push_back(&name);
        if (IsVideoName(name)) videos.push_back(&name);
    }
    listed.holdsOthers = !others.empty();
    std::set<std::u32string> titles;
    for (const std::string* name : videos.empty() ? others : videos) {
        titles.insert(CaseFoldKey(CleanFileTitle(*name).title));
        if (titles.size() > 1) break;
    }
    listed.oneMovie = titles.size() == 1;
    return folders_.emplace(folder, std::move(listed)).first->second;
}

bool FileNeighbours::Describes(const std::string& path) {
    const auto [folder, name] = SplitPath(path);
    return IsMediaCentreName(name) && Listed(folder).holdsOthers;
}

Neighbours FileNeighbours::Of(const std::string& path) {
    const auto [folder, name] = SplitPath(path);
    const Folder& listed = Listed(folder);
    Neighbours found;
    if (const std::string nfo = NfoBeside(listed.names, name, listed.oneMovie); !nfo.empty())
        found.nfo = folder + nfo;
    if (const std::string poster = PosterBeside(listed.names, name, listed.oneMovie); !poster.empty())
        found.poster = folder + poster;
    return found;
}

}  // namespace reelkeep
