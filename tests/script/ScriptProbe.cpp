#include "ScriptProbe.h"

#include <angelscript.h>

#include <stdexcept>

namespace reelkeep::test {

ScriptRunResult ScriptProbe::Run(std::string_view script, std::string_view include) {
    return RunScriptInFreshEngine(include, script, [this](ScriptEngine* engine) {
        const struct {
            const char* declaration;
            void* address;
        } globals[] = {
            {"string text", &text}, {"string[] list", &list}, {"int number", &number},
            {"uint count", &count}, {"double real", &real},   {"bool flag", &flag},
        };
        for (const auto& global : globals) {
            if (engine->RegisterGlobalProperty(global.declaration, global.address) < 0)
                throw std::logic_error(global.declaration);
        }
    });
}

}  // namespace reelkeep::test
