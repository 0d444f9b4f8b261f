#include "platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace reelkeep {

namespace {

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Reads XDG_DOCUMENTS_DIR from user-dirs.dirs: a line XDG_DOCUMENTS_DIR="$HOME/..." or an
// absolute path in quotes. Returns "" when the file does not name it.
std::string DocumentsFromUserDirs(const std::string& home) {
    std::string configHome = EnvOrEmpty("XDG_CONFIG_HOME");
    if (configHome.empty()) configHome = home + "/.config";
    std::ifstream file(configHome + "/user-dirs.dirs");
    std::string line;
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    while (std::getline(file, line)) {
        if (line.rfind(kKey, 0) != 0) continue;
        std::string value = line.substr(kKey.size());
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') return {};
        value = value.substr(1, value.size() - 2);
        constexpr std::string_view kHome = "$HOME";
        if (value.rfind(kHome, 0) == 0) return home + value.substr(kHome.size());
        if (!value.empty() && value.front() == '/') return value;
        return {};
    }
    return {};
}

}  // namespace

std::string WithTrailingSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');
    return folder;
}

bool EnsureFolder(const std::string& folder) {
    if (folder.empty()) return false;
    if (::mkdir(folder.c_str(), 0755) == 0) return true;
    struct stat info {};
    return errno == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ProgramFolder() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return "./";
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::string ProgramDataFolder(const std::string& programFolder, std::string_view name) {
    const std::string beside = WithTrailingSlash(programFolder) + std::string(name) + "/";
    std::error_code error;
    if (std::filesystem::is_directory(beside, error))
        return beside;
    const std::filesystem::path shared =
        (std::filesystem::path(beside) / ".." / ".." / "share" / "reelkeep" / name)
            .lexically_normal();
    if (std::filesystem::is_directory(shared, error))
        return WithTrailingSlash(shared.string());
    return beside;
}

std::string DocumentsFolder() {
    const std::string home = EnvOrEmpty("HOME");
    if (home.empty()) return {};
    std::string documents = DocumentsFromUserDirs(home);
    // A documents entry that names the home folder itself means "no documents folder".
    if (documents.empty() || WithTrailingSlash(documents) == WithTrailingSlash(home)) {
        documents = home + "/Documents";
    }
    EnsureFolder(documents);
    return WithTrailingSlash(documents);
}

}  // namespace reelkeep
