#include "maint/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "maint/FileSystem.h"

namespace reelkeep {

namespace {

constexpr std::size_t kMaxFileSize = 1 << 20;
constexpr std::string_view kStringTag = "string:";
constexpr std::string_view kNumberTag = "number:";

std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Unescape(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out.push_back('\\');
            ++i;
            continue;
        }
        if (i + 3 < text.size() && text[i + 1] == 'x' && HexDigit(text[i + 2]) >= 0 &&
            HexDigit(text[i + 3]) >= 0) {
            out.push_back(static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3])));
            i += 3;
            continue;
        }
        return false;
    }
    return true;
}

bool ParseLine(std::string_view line, std::string& name, SettingValue& value) {
    const std::size_t equals = line.find('=');
    if (equals == 0 || equals == std::string_view::npos) return false;
    name.assign(line.substr(0, equals));
    const std::string_view rest = line.substr(equals + 1);
    if (rest.starts_with(kStringTag)) {
        value = SettingValue::String({});
        return Unescape(rest.substr(kStringTag.size()), value.text);
    }
    if (rest.starts_with(kNumberTag)) {
        const std::string_view digits = rest.substr(kNumberTag.size());
        std::uint32_t number = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
            return false;
        }
        value = SettingValue::Number(number);
        return true;
    }
    return false;
}

}  // namespace

std::string SettingValue::RawBytes() const {
    if (type == Type::String) return std::string(text.data(), text.size() + 1);
    std::string bytes(sizeof number, '\0');
    std::memcpy(bytes.data(), &number, sizeof number);
    return bytes;
}

SettingsFile SettingsFile::Read(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, kMaxFileSize, text)) return {};
    return Parse(text);
}

SettingsFile SettingsFile::Parse(std::string_view text) {
    SettingsFile file;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::string name;
        SettingValue value;
        // A name must survive the next write: no line breaks, no "=".
        if (ParseLine(line, name, value)) file.Set(name, std::move(value));
    }
    return file;
}

const SettingValue* SettingsFile::Find(std::string_view name) const {
    for (const auto& [key, value] : values_) {
        if (key == name) return &value;
    }
    return nullptr;
}

void SettingsFile::Set(const std::string& name, SettingValue value) {
    for (auto& [key, old] : values_) {
        if (key == name) {
            old = std::move(value);
            return;
        }
    }
    values_.emplace_back(name, std::move(value));
}

std::string SettingsFile::Serialize() const {
    std::string text = "# Reelkeep settings: Name=string:text or Name=number:value\n";
    for (const auto& [name, value] : values_) {
        if (name.empty() || name.find_first_of("=\n\r") != std::string::npos) continue;
        text += name;
        text += '=';
        if (value.type == SettingValue::Type::String) {
            text += kStringTag;
            text += Escape(value.text);
        } else {
            text += kNumberTag;
            text += std::to_string(value.number);
        }
        text += '\n';
    }
    return text;
}

bool SettingsFile::Write(const std::string& path) const {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && !CreateFolders(path.substr(0, slash + 1))) return false;
    return ReplaceFileAtomically(path, Serialize(), 0600);
}

}  // namespace reelkeep
