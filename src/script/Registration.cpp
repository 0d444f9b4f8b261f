#include "script/Registration.h"

#include <stdexcept>
#include <string>

namespace reelkeep {

using namespace AngelScript;

int CheckRegistration(int result, std::string_view what) {
    if (result < 0) {
        throw std::logic_error("script registration failed (" + std::to_string(result) +
                               "): " + std::string(what));
    }
    return result;
}

int RegisterInOutMethod(asIScriptEngine* engine, const char* type, const char* declaration,
                        const asSFuncPtr& function, asDWORD callConvention) {
    engine->SetEngineProperty(asEP_ALLOW_UNSAFE_REFERENCES, true);
    const int result = engine->RegisterObjectMethod(type, declaration, function, callConvention);
    engine->SetEngineProperty(asEP_ALLOW_UNSAFE_REFERENCES, false);
    return CheckRegistration(result, declaration);
}

void RaiseScriptException(const char* message) {
    if (asIScriptContext* context = asGetActiveContext())
        context->SetException(message);
}

}  // namespace reelkeep
