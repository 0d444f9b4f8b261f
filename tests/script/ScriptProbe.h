// Runs script text in a fresh engine with a few globals bound to C++ variables, so that tests
// read what a script computed.
#pragma once

#include <string>
#include <string_view>

#include "catalog/Movie.h"
#include "script/ScriptEngine.h"

namespace reelkeep::test {

struct ScriptProbe {
    // Bound as "string text", "string[] list", "int number", "uint count", "double real",
    // "bool flag".
    std::string text;
    StringArray list;
    int number = 0;
    unsigned count = 0;
    double real = 0.0;
    bool flag = false;

    ScriptRunResult Run(std::string_view script, std::string_view include = {});
};

}  // namespace reelkeep::test
