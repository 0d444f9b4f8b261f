// The script type `json`: a JSON document parsed from a string, walked by key and index, its
// values read as text, numbers or booleans with a value to fall back on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "script/AngelScriptFwd.h"

namespace reelkeep {

// What a document may hold before it is refused: no page can take the program's memory or
// stack with a huge or deeply nested answer.
inline constexpr std::size_t kMaxJsonText = 16 * 1024 * 1024;
inline constexpr int kMaxJsonDepth = 256;
inline constexpr std::size_t kMaxJsonContainers = 1'000'000;

// Empty when `text` stays within the bounds above; otherwise why it does not. The nesting is
// counted outside strings only, so brackets inside text never count.
std::string JsonBoundsError(std::string_view text);

// Registers `json`; `string` must be registered already.
void RegisterJsonType(ScriptEngine* engine);

}  // namespace reelkeep
