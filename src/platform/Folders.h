// Folders the program finds on its own: where it lives and where the user keeps documents.
// Every folder string ends in "/".
#pragma once

#include <string>
#include <string_view>

namespace reelkeep {

// Folder of the running program file (/proc/self/exe).
std::string ProgramFolder();

// A folder of the program's own files ("Templates", "Scripts"): beside the program when it is
// there (the build tree, or files put there by hand), otherwise in "../share/reelkeep/" from
// the program's folder, as an installed program has it ("/usr/bin/" and
// "/usr/share/reelkeep/"). With neither, the one beside the program.
std::string ProgramDataFolder(const std::string& programFolder, std::string_view name);

// The user's documents folder, as xdg-user-dir DOCUMENTS finds it ($HOME/Documents when
// nothing says otherwise). Created when missing; empty when there is no home at all.
std::string DocumentsFolder();

// Creates the folder when it is missing; an existing folder is no error.
bool EnsureFolder(const std::string& folder);

// "a/b" -> "a/b/", "a/b/" unchanged, "" unchanged.
std::string WithTrailingSlash(std::string folder);

}  // namespace reelkeep
