#include "maint/Settings.h"

#include <cstdlib>
#include <cstring>

#include "catalog/CatalogPaths.h"
#include "maint/DebugTrace.h"
#include "maint/SettingsFile.h"
#include "platform/Folders.h"

namespace reelkeep {

namespace {

// Only a string counts as a string, and only one that fits the buffer.
std::string ReadString(const SettingsFile& file, const char* name) {
    const SettingValue* value = file.Find(name);
    if (!value || value->type != SettingValue::Type::String) return {};
    if (value->text.size() > kMaxSettingText) return {};
    // The string ends at its first zero character, as a registry string does.
    return std::string(value->text.c_str());
}

}  // namespace

std::string SettingsFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !home[0]) return {};
        folder = std::string(home) + "/.config";
    }
    return WithTrailingSlash(folder) + "Tarvenn/";
}

std::string SettingsFilePath() {
    const std::string folder = SettingsFolder();
    return folder.empty() ? folder : folder + "Reelkeep.conf";
}

Settings LoadSettings(const std::string& programFolder) {
    Settings settings;
    settings.programFolder = WithTrailingSlash(programFolder);

    const std::string path = SettingsFilePath();
    if (!path.empty()) {
        const SettingsFile file = SettingsFile::Read(path);
        settings.database = ReadString(file, "Database");
        if (!settings.database.empty()) settings.database = WithTrailingSlash(settings.database);
        settings.view = ReadString(file, "View");
        settings.edit = ReadString(file, "Edit");
        settings.multiple = ReadString(file, "Multiple");
        if (const SettingValue* value = file.Find("AutoUpdate");
            value && value->type == SettingValue::Type::Number) {
            settings.autoUpdate = value->number;
        }
        // Taken without a type check: any value of at most four bytes is the number's bytes.
        if (const SettingValue* value = file.Find("Timeout")) {
            const std::string bytes = value->RawBytes();
            if (bytes.size() <= sizeof settings.timeout) {
                std::memcpy(&settings.timeout, bytes.data(), bytes.size());
            }
        }
    }

    const std::string templates = ProgramDataFolder(settings.programFolder, "Templates");
    if (settings.view.empty()) settings.view = templates + "View.xsl";
    if (settings.edit.empty()) settings.edit = templates + "Edit.xsl";
    if (settings.multiple.empty()) settings.multiple = templates + "Multiple.xsl";
    if (settings.database.empty()) settings.database = DefaultCatalogFolder();

    settings.databaseFile = CatalogFilePath(settings.database);
    DebugTrace("Path: %s", settings.programFolder.c_str());
    DebugTrace("Loading database: %s", settings.database.c_str());
    return settings;
}

bool SaveSettings(const Settings& settings) {
    const std::string path = SettingsFilePath();
    if (path.empty()) return false;
    SettingsFile file = SettingsFile::Read(path);
    file.Set("Database", SettingValue::String(settings.database));
    file.Set("View", SettingValue::String(settings.view));
    file.Set("Edit", SettingValue::String(settings.edit));
    file.Set("Multiple", SettingValue::String(settings.multiple));
    file.Set("AutoUpdate", SettingValue::Number(settings.autoUpdate));
    file.Set("Timeout", SettingValue::Number(settings.timeout));
    return file.Write(path);
}

}  // namespace reelkeep
