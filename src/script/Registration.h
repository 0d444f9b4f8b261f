// Helpers shared by the registration routines of the script API.
#pragma once

#include <angelscript.h>

#include <string_view>

namespace reelkeep {

// A registration that the engine refuses is a fault of ours: throws std::logic_error naming it.
int CheckRegistration(int result, std::string_view what);

// Ends the running script with a script exception carrying `message`.
void RaiseScriptException(const char* message);

}  // namespace reelkeep
