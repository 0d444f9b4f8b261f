// The six per-user settings of the main frame, their defaults and their type rules.
// The main frame loads them once when it is created and saves them all when it closes.
#pragma once

#include <cstdint>
#include <string>

namespace reelkeep {

struct Settings {
    std::string programFolder;  // ends in "/"
    std::string database;       // "Database": catalog folder, ends in "/"
    std::string view;           // "View": template for one selected movie
    std::string edit;           // "Edit": template for edit mode
    std::string multiple;       // "Multiple": template for several selected movies
    std::uint32_t autoUpdate = 1;  // "AutoUpdate": 0 = no update check at start
    std::uint32_t timeout = 0;     // "Timeout": script HTTP time-out in ms, 0 = default limits
    std::string databaseFile;      // database + "Movies.db"
};

// Longest string value that is taken; a longer one reads as missing.
constexpr std::size_t kMaxSettingText = 260;

// "$XDG_CONFIG_HOME/Tarvenn/", "~/.config" standing in for an unset or relative
// XDG_CONFIG_HOME; the folder of everything kept per user. Empty without a home folder.
std::string SettingsFolder();

// "$XDG_CONFIG_HOME/Tarvenn/Reelkeep.conf", "~/.config" standing in for an unset or relative
// XDG_CONFIG_HOME. Empty when there is no home folder either.
std::string SettingsFilePath();

// Reads the settings file, applies the type rules and fills in the defaults (creating the
// default catalog folder when it is used). Writes "Path: %s" and "Loading database: %s" to the
// debug channel.
Settings LoadSettings(const std::string& programFolder);

// Writes the six values, strings first, then the two numbers; other values in the file are
// kept. False when the file could not be written (the old one then stays as it was).
bool SaveSettings(const Settings& settings);

}  // namespace reelkeep
