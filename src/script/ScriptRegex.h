// The script type `regex`: one compiled pattern with its substitution text and options, and the
// results of its last `match`.
#pragma once

#include "script/AngelScriptFwd.h"

namespace reelkeep {

// Needs `string`. A rejected pattern or substitution text, and a match that runs out of its
// limits, end the script with a script exception carrying the message.
void RegisterRegexType(ScriptEngine* engine);

}  // namespace reelkeep
