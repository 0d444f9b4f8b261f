#include "script/ScriptFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "platform/Folders.h"

namespace reelkeep {

namespace {

constexpr std::size_t kReadBlock = 8192;

// Regular files (links followed) of a folder, in listing order.
std::vector<std::string> FilesOf(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        if (::stat((folder + name).c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), ListingOrder);
    return names;
}

std::optional<std::string> ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(info.st_size) + 1);
    char block[kReadBlock];
    ssize_t got;
    while ((got = ::read(fd, block, sizeof block)) > 0) text.append(block, static_cast<std::size_t>(got));
    ::close(fd);
    if (got < 0) return std::nullopt;
    return text;
}

}  // namespace

bool ListingOrder(const std::string& a, const std::string& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int x = std::toupper(static_cast<unsigned char>(a[i]));
        const int y = std::toupper(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::vector<ScriptEntry> FindScripts(const std::string& scriptsFolder) {
    std::vector<ScriptEntry> scripts;
    for (const std::string& file : FilesOf(scriptsFolder)) {
        // The name is opened again as NAME + ".rks", so the extension is matched exactly.
        if (file.size() <= 4 || !file.ends_with(".rks")) continue;
        if (scripts.size() > ID_SCRIPT_LAST - ID_SCRIPT_FIRST) break;
        scripts.push_back({file.substr(0, file.size() - 4),
                           ID_SCRIPT_FIRST + static_cast<std::uint32_t>(scripts.size())});
    }
    return scripts;
}

std::optional<std::string> ReadScriptText(const std::string& scriptsFolder, const std::string& name) {
    return ReadWhole(scriptsFolder + name + ".rks");
}

std::string ReadIncludeText(const std::string& scriptsFolder, const std::string& name) {
    std::string text;
    const std::string includeFolder = scriptsFolder + "Include/";
    for (const std::string& file : FilesOf(includeFolder)) {
        if (auto content = ReadWhole(includeFolder + file)) text += *content;
    }
    if (auto own = ReadWhole(scriptsFolder + name + ".rki")) text += *own;
    return text;
}

std::string DefaultScriptsFolder() { return ProgramDataFolder(ProgramFolder(), "Scripts"); }

}  // namespace reelkeep
