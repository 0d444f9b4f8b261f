#include "script/ScriptMemory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "maint/FileSystem.h"
#include "maint/Settings.h"

namespace reelkeep {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::string ScriptMemory::DefaultFolder() {
    const std::string settings = SettingsFolder();
    return settings.empty() ? settings : settings + "Reelkeep Scripts/";
}

bool ScriptMemory::IsPlainName(const std::string& name) {
    if (name.empty() || name.size() > kMaxName || !IsLetter(name[0]))
        return false;
    for (const char c : name) {
        if (!IsLetter(c) && !(c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

std::string ScriptMemory::Recall(const std::string& name) const {
    if (!IsPlainName(name))
        throw ScriptMemoryError("'" + name + "' is not a plain name to recall");
    std::string value;
    if (folder_.empty() || !ReadWholeFile(folder_ + name, kMaxValue, value))
        return {};
    return value;
}

bool ScriptMemory::Remember(const std::string& name, const std::string& value) const {
    if (!IsPlainName(name)) {
        throw ScriptMemoryError("'" + name +
                                "' is not a plain name to remember (a letter or '_', then letters, "
                                "digits and '_', at most " + std::to_string(kMaxName) + ")");
    }
    if (value.size() > kMaxValue) {
        throw ScriptMemoryError("The value to remember as '" + name + "' is longer than " +
                                std::to_string(kMaxValue) + " bytes");
    }
    if (folder_.empty())
        return false;
    const std::string path = folder_ + name;
    if (value.empty())
        return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    if (!PathExists(path) && CountEntries() >= kMaxEntries) {
        throw ScriptMemoryError("Scripts already remember " + std::to_string(kMaxEntries) +
                                " names; '" + name + "' is one too many");
    }
    // The folder is the user's alone; its parent is the ordinary settings folder.
    std::string parent = folder_.substr(0, folder_.size() - 1);
    parent.resize(parent.rfind('/') + 1);
    if (!CreateFolders(parent))
        return false;
    if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return ReplaceFileAtomically(path, value, 0600);
}

std::size_t ScriptMemory::CountEntries() const {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder_.c_str()));
    if (!dir)
        return 0;
    std::size_t count = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (IsPlainName(entry->d_name))
            ++count;
    }
    return count;
}

}  // namespace reelkeep
