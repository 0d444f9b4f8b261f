#include "catalog/CatalogPaths.h"

#include <unistd.h>

#include <cerrno>

#include "platform/Folders.h"

namespace reelkeep {

std::string DefaultCatalogFolder() {
    const std::string documents = DocumentsFolder();
    if (documents.empty()) return {};
    const std::string folder = documents + "Reelkeep/";
    EnsureFolder(folder);
    return folder;
}

std::string CatalogFilePath(const std::string& folder) { return folder + "Movies.db"; }

bool RemoveCatalogFile(const std::string& filePath) {
    const auto removed = [](const std::string& path) {
        return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    };
    if (!removed(filePath)) return false;
    removed(filePath + "-wal");
    removed(filePath + "-shm");
    return true;
}

}  // namespace reelkeep
