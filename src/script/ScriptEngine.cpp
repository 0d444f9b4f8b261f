#include "script/ScriptEngine.h"

#include <angelscript.h>

#include <cstdio>
#include <mutex>
#include <stdexcept>

#include "script/Registration.h"
#include "script/ScriptJson.h"
#include "script/ScriptRegex.h"
#include "script/ScriptString.h"
#include "script/ScriptStringArray.h"

namespace reelkeep {

using namespace AngelScript;

namespace {

std::string FormatMessage(const char* section, int row, int column, const char* kind,
                          const char* text) {
    const int size =
        std::snprintf(nullptr, 0, "%s (%d, %d) : %s : %s\n", section, row, column, kind, text);
    std::string line(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(line.data(), line.size(), "%s (%d, %d) : %s : %s\n", section, row, column, kind,
                  text);
    line.pop_back();
    return line;
}

// Where the engine's messages go while one script is built and run.
struct MessageSink {
    CScriptOutput pending;
    int messages = 0;
    int withoutSection = 0;  // messages about the module as a whole
};

void WriteMessage(const asSMessageInfo* message, void* param) {
    const char* kind = message->type == asMSGTYPE_ERROR     ? "Error"
                       : message->type == asMSGTYPE_WARNING ? "Warning"
                                                            : "Info";
    auto* sink = static_cast<MessageSink*>(param);
    ++sink->messages;
    if (message->section == nullptr || message->section[0] == '\0')
        ++sink->withoutSection;
    sink->pending.Write(FormatMessage(message->section != nullptr ? message->section : "",
                                      message->row, message->col, kind, message->message));
}

// Called by the engine before every statement: ends a cancelled run there. Aborting, unlike a
// script exception, cannot be caught by the script.
void StopWhenCancelled(asIScriptContext* context, void* flag) {
    if (static_cast<const std::atomic<bool>*>(flag)->load(std::memory_order_relaxed))
        context->Abort();
}

struct ContextReleaser {
    void operator()(asIScriptContext* context) const { context->Release(); }
};
struct FunctionReleaser {
    void operator()(asIScriptFunction* function) const { function->Release(); }
};

}  // namespace

void ScriptEngineDeleter::operator()(ScriptEngine* engine) const {
    engine->ShutDownAndRelease();
}

ScriptEnginePtr CreateScriptEngine() {
    // The engine's thread manager otherwise lives only while some engine does; engines made
    // and released on several threads at once would race over its creation and destruction.
    static std::once_flag prepared;
    std::call_once(prepared, [] { asPrepareMultithread(); });

    ScriptEnginePtr engine(asCreateScriptEngine(ANGELSCRIPT_VERSION));
    if (!engine)
        throw std::runtime_error("the script engine could not be created");
    // Scripts are 8-bit text: every byte is one character, "\xE9" one byte.
    engine->SetEngineProperty(asEP_SCRIPT_SCANNER, 0);
    // No unsafe references: a script function cannot take a value by `&inout`, so it can
    // never hold a reference to an element of an array that it empties. The few methods of
    // ours that change a variable in place are declared through RegisterInOutMethod.
    engine->SetEngineProperty(asEP_ALLOW_UNSAFE_REFERENCES, false);
    // A script that calls itself without end fails with "Stack overflow" instead of growing
    // until the run's time limit, or the program's memory, runs out. Real scripts nest a few
    // calls deep.
    engine->SetEngineProperty(asEP_MAX_STACK_SIZE, 1 << 20);
    engine->SetEngineProperty(asEP_MAX_CALL_STACK_SIZE, 10'000);
    return engine;
}

void ReleaseScriptThread() {
    asThreadCleanup();
}

void RegisterTextApi(ScriptEngine* engine) {
    RegisterStringType(engine);
    RegisterRegexType(engine);
    RegisterStringArrayType(engine);
    RegisterJsonType(engine);
}

bool ExecuteScript(ScriptEngine* engine, std::string_view include, std::string_view text,
                   CScriptOutput& output, const std::atomic<bool>* cancelled) {
    MessageSink sink;
    engine->SetMessageCallback(asFUNCTION(WriteMessage), &sink, asCALL_CDECL);
    struct Flush {
        ScriptEngine* engine;
        MessageSink& sink;
        CScriptOutput& output;
        ~Flush() {
            engine->ClearMessageCallback();
            output.Write(sink.pending.Text());
        }
    } flush{engine, sink, output};

    asIScriptModule* module = engine->GetModule(nullptr, asGM_ALWAYS_CREATE);
    // An empty view may have no data at all; the engine refuses a null text.
    const char* includeText = include.empty() ? "" : include.data();
    if (module->AddScriptSection("include", includeText, include.size(), 0) < 0)
        return false;
    if (module->Build() < 0) {
        // An include text without declarations is no error: the engine's only complaint is then
        // that nothing was built, a message without a section.
        if (sink.messages != 1 || sink.withoutSection != 1)
            return false;
        sink = MessageSink{};
    }

    const std::string body = "void ExecuteString() {\n" + std::string(text) + "\n;}";
    asIScriptFunction* compiled = nullptr;
    if (module->CompileFunction("ExecuteString", body.c_str(), -1, 0, &compiled) < 0)
        return false;
    const std::unique_ptr<asIScriptFunction, FunctionReleaser> function(compiled);

    const std::unique_ptr<asIScriptContext, ContextReleaser> context(engine->CreateContext());
    if (!context || context->Prepare(function.get()) < 0)
        return false;
    if (cancelled) {
        context->SetLineCallback(asFUNCTION(StopWhenCancelled),
                                 const_cast<std::atomic<bool>*>(cancelled), asCALL_CDECL);
    }
    const int result = context->Execute();
    if (result == asEXECUTION_FINISHED)
        return true;
    if (result == asEXECUTION_ABORTED && cancelled && cancelled->load()) {
        int column = 0;
        const char* section = nullptr;
        const int row = context->GetLineNumber(0, &column, &section);
        sink.pending.Write(FormatMessage(section != nullptr ? section : "ExecuteString", row,
                                         column, "Error", "Script cancelled"));
    }
    if (result == asEXECUTION_EXCEPTION) {
        int column = 0;
        const char* section = nullptr;
        const int row = context->GetExceptionLineNumber(&column, &section);
        sink.pending.Write(FormatMessage(section != nullptr ? section : "ExecuteString", row,
                                         column, "Error", context->GetExceptionString()));
    }
    return false;
}

ScriptRunResult RunScriptInFreshEngine(std::string_view include, std::string_view text,
                                       const std::function<void(ScriptEngine*)>& bind) {
    const ScriptEnginePtr engine = CreateScriptEngine();
    RegisterTextApi(engine.get());
    if (bind)
        bind(engine.get());
    CScriptOutput output;
    ScriptRunResult result;
    result.succeeded = ExecuteScript(engine.get(), include, text, output);
    result.output = output.Text();
    return result;
}

}  // namespace reelkeep
