// JSON answers come from any server: whatever the bytes, a script that parses them and walks
// every value it finds either gets a document or a script exception, never a crash.
#include <angelscript.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "script/ScriptEngine.h"

namespace {

const char kWalk[] =
    "uint Walk(const json &in v, uint depth)\n"
    "{\n"
    "    uint seen = v.kind().length() + v.asString('x').length() + uint(v.asInt(2)) +\n"
    "                (v.asBool(true) ? 1 : 0) + (v.has('a') ? 1 : 0);\n"
    "    v.asNumber(1);\n"
    "    for (uint i = 0; i < v.length() && i < 64; i++)\n"
    "        seen += v.key(i).length() + Walk(v[i], depth + 1);\n"
    "    return seen;\n"
    "}\n";

const char kScript[] =
    "json doc;\n"
    "try { doc = json(text); } catch {}\n"
    "Walk(doc, 0); Walk(doc['a'], 0);\n"
    "text = doc.dump();\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::string text;
    static const reelkeep::ScriptEnginePtr engine = [] {
        reelkeep::ScriptEnginePtr made = reelkeep::CreateScriptEngine();
        reelkeep::RegisterTextApi(made.get());
        if (made->RegisterGlobalProperty("string text", &text) < 0) std::abort();
        return made;
    }();
    text.assign(reinterpret_cast<const char*>(data), size);
    reelkeep::CScriptOutput output;
    if (!reelkeep::ExecuteScript(engine.get(), kWalk, kScript, output)) std::abort();
    return 0;
}
