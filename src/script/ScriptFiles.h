// The user's scripts on disk: "Scripts/*.rks" beside the program, the shared include files in
// "Scripts/Include/", and a script's own "Scripts/NAME.rki". Everything is read as bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace reelkeep {

inline constexpr std::uint32_t ID_SCRIPT_FIRST = 0xF000;
inline constexpr std::uint32_t ID_SCRIPT_LAST = 0xFFFF;

struct ScriptEntry {
    std::string name;  // file name without folder and extension
    std::uint32_t command = 0;  // ID_SCRIPT_FIRST + position
};

// The scripts in `scriptsFolder` (ending in "/"), in listing order; directories are skipped.
std::vector<ScriptEntry> FindScripts(const std::string& scriptsFolder);

// Names in the order the original platform listed them: without regard to case first, then
// byte by byte, so that menus and the joined include text never depend on the file system.
bool ListingOrder(const std::string& a, const std::string& b);

// The whole script "<folder>NAME.rks"; nullopt when it cannot be read.
std::optional<std::string> ReadScriptText(const std::string& scriptsFolder, const std::string& name);

// Every file of "<folder>Include/" in listing order, then "<folder>NAME.rki", joined with
// nothing in between. Files that cannot be read are skipped.
std::string ReadIncludeText(const std::string& scriptsFolder, const std::string& name);

// The program's "Scripts/" folder: beside the program, or in ../share/reelkeep/ when
// installed (ProgramDataFolder).
std::string DefaultScriptsFolder();

}  // namespace reelkeep
