// `string &unescape()` and the script type `string[]`, which is the record's own StringArray so
// that the movie's list fields can be bound as globals without copying.
#pragma once

#include "script/AngelScriptFwd.h"

namespace reelkeep {

// After `string` (and `regex`): the method "string &unescape()", the engine's array template,
// `string[]` over StringArray, and the all-matches operator "string[] opMul(const string &in)".
void RegisterStringArrayType(ScriptEngine* engine);

}  // namespace reelkeep
