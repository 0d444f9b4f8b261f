// A fresh script engine with the text API, and the execution of a script text as the body of
// one function after an include text, with the engine's messages collected as text.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "script/AngelScriptFwd.h"

namespace reelkeep {

struct ScriptEngineDeleter {
    void operator()(ScriptEngine* engine) const;
};
using ScriptEnginePtr = std::unique_ptr<ScriptEngine, ScriptEngineDeleter>;

// An engine set up for our scripts (8-bit text, no unsafe references), with nothing
// registered yet. Threads that create engines call ReleaseScriptThread before ending.
ScriptEnginePtr CreateScriptEngine();
void ReleaseScriptThread();

// `string`, `regex`, then `unescape` and `string[]`, in the order scripts were written for;
// then `json`.
void RegisterTextApi(ScriptEngine* engine);

// Collects what the engine writes: one "%s (%d, %d) : %s : %s\n" line per message.
class CScriptOutput {
public:
    void Write(std::string_view text) { text_ += text; }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Builds the module from `include` (section "include") and executes `text` as the statements
// of a function (section "ExecuteString", its first line row 1). True when everything compiled
// and the script ran to its end; a script exception is written to `output` as an error line.
// Once `cancelled` is set the script stops at its next statement, whatever it is doing and
// whatever it catches, with the error line "Script cancelled".
bool ExecuteScript(ScriptEngine* engine, std::string_view include, std::string_view text,
                   CScriptOutput& output, const std::atomic<bool>* cancelled = nullptr);

struct ScriptRunResult {
    bool succeeded = false;
    std::string output;
};

// A fresh engine with the text API, `bind` for further registrations (globals of the caller),
// then ExecuteScript.
ScriptRunResult RunScriptInFreshEngine(std::string_view include, std::string_view text,
                                       const std::function<void(ScriptEngine*)>& bind = {});

}  // namespace reelkeep
