// The script types `bits` and `string`.
#pragma once

#include "script/AngelScriptFwd.h"

namespace reelkeep {

// `bits`: a 32-bit value of its own type, so that "f(bits)" and "f(uint)" can coexist.
void RegisterBitsType(ScriptEngine* engine);

// `string` over std::string with its operators, methods, number conversions, `atoi` and
// `atof`; registers `bits` first when it is missing. Literals become strings through one
// factory that outlives every engine.
void RegisterStringType(ScriptEngine* engine);

}  // namespace reelkeep
