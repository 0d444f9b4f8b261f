// Folders the program finds on its own: where it lives and where the user keeps documents.
// Every folder string ends in "/".
#pragma once

#include <string>

namespace reelkeep {

// Folder of the running program file (/proc/self/exe).
std::string ProgramFolder();

// The user's documents folder, as xdg-user-dir DOCUMENTS finds it ($HOME/Documents when
// nothing says otherwise). Created when missing; empty when there is no home at all.
std::string DocumentsFolder();

// Creates the folder when it is missing; an existing folder is no error.
bool EnsureFolder(const std::string& folder);

// "a/b" -> "a/b/", "a/b/" unchanged, "" unchanged.
std::string WithTrailingSlash(std::string folder);

}  // namespace reelkeep
