// The file operations the maintenance code shares: whole-file reads with a size limit, folders
// with their parents, and replacing a file without ever leaving half of it behind.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace reelkeep {

// False when the file cannot be read or is larger than maxSize.
bool ReadWholeFile(const std::string& path, std::size_t maxSize, std::string& bytes);

// Creates the folder and any missing parents; an existing folder is no error.
bool CreateFolders(const std::string& folder);

// Writes bytes to a temporary file beside path, then renames it over path.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);

// Copies the file at source over target the same way, with the source's permissions.
bool CopyFileOver(const std::string& source, const std::string& target);

bool PathExists(const std::string& path);

// The running program file (/proc/self/exe, resolved).
std::string OwnProgramPath();

}  // namespace reelkeep
