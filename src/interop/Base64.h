// Base64 as XML documents carry pictures: whitespace between the characters is allowed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace reelkeep {

// Nothing when the text holds anything but base64 characters, whitespace and final padding.
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace reelkeep
