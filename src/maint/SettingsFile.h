// The per-user settings file: named values that keep their type (a string or a 32-bit number),
// like the entries of a key in a registry. Written whole to a temporary file and renamed over
// the old one, so a crash during a save never leaves half a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace reelkeep {

struct SettingValue {
    enum class Type { String, Number };
    Type type = Type::String;
    std::string text;          // Type::String
    std::uint32_t number = 0;  // Type::Number

    static SettingValue String(std::string text) { return {Type::String, std::move(text), 0}; }
    static SettingValue Number(std::uint32_t number) { return {Type::Number, {}, number}; }
    // The bytes a registry would hold: a string with its terminating zero, a number as its
    // four bytes in the machine's order.
    std::string RawBytes() const;
};

class SettingsFile {
public:
    // A missing, unreadable or oversized file reads as no values; a line that does not parse
    // is skipped, the others are kept.
    static SettingsFile Read(const std::string& path);
    static SettingsFile Parse(std::string_view text);

    const SettingValue* Find(std::string_view name) const;
    void Set(const std::string& name, SettingValue value);

    std::string Serialize() const;
    // Creates the folder (and its parents) when missing, then writes atomically.
    // False when nothing could be written; the old file is then untouched.
    bool Write(const std::string& path) const;

private:
    std::vector<std::pair<std::string, SettingValue>> values_;  // in file order
};

}  // namespace reelkeep
