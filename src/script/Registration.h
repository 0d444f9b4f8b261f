// Helpers shared by the registration routines of the script API.
#pragma once

#include <angelscript.h>

#include <string_view>

namespace reelkeep {

// A registration that the engine refuses is a fault of ours: throws std::logic_error naming it.
int CheckRegistration(int result, std::string_view what);

// Registers a method that changes a variable of the script in place: a value type passed by
// `&inout`. Engines compile scripts without unsafe references, so no script function can
// hold a reference to a value that it may free meanwhile; this lifts the rule for this one
// declaration only. Such a method must not run script code while it holds the reference.
int RegisterInOutMethod(AngelScript::asIScriptEngine* engine, const char* type,
                        const char* declaration, const AngelScript::asSFuncPtr& function,
                        AngelScript::asDWORD callConvention);

// Ends the running script with a script exception carrying `message`.
void RaiseScriptException(const char* message);

}  // namespace reelkeep
