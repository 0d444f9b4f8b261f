#include "maint/PrivateFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace reelkeep {

namespace {

std::string WithSlash(std::string folder) {
    if (folder.back() != '/') folder.push_back('/');
    return folder;
}

std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : "";
}

}  // namespace

bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string PrivateRuntimeFolder(bool create) {
    const std::string runtime = AbsoluteEnv("XDG_RUNTIME_DIR");
    if (!runtime.empty() && IsPrivateFolder(runtime)) return WithSlash(runtime);

    std::string temporary = AbsoluteEnv("TMPDIR");
    if (temporary.empty()) temporary = "/tmp";
    const std::string folder =
        WithSlash(temporary) + "reelkeep-" + std::to_string(static_cast<unsigned>(::geteuid()));
    if (create) ::mkdir(folder.c_str(), 0700);  // an existing one is checked like any other
    return IsPrivateFolder(folder) ? folder + "/" : "";
}

}  // namespace reelkeep
