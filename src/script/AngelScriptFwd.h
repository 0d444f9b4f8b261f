// The engine's interface types, declared without pulling in the engine's header. The Debian
// build of the engine keeps its C++ names in namespace AngelScript.
#pragma once

namespace AngelScript {
class asIScriptEngine;
}

namespace reelkeep {
using ScriptEngine = AngelScript::asIScriptEngine;
}
