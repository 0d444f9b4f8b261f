#include "script/ScriptRun.h"

#include <angelscript.h>

#include "catalog/CatalogPaths.h"
#include "platform/MessageBoxStyle.h"
#include "script/Registration.h"

namespace reelkeep {

using namespace AngelScript;

ScriptRun::ScriptRun(ScriptRunHost& host, std::string downloadFolder, std::uint32_t timeout)
    : host_(host), downloadFolder_(std::move(downloadFolder)) {
    if (timeout != 0) {
        session_.SetOption(CInternetSession::kConnectTimeout, timeout);
        session_.SetOption(CInternetSession::kSendTimeout, timeout);
        session_.SetOption(CInternetSession::kReceiveTimeout, timeout);
    }
}

void ScriptRun::Abort(const CInternetException& error) {
    networkError_ = error;
    if (asIScriptContext* context = asGetActiveContext()) context->Abort();
}

std::optional<CInternetException> ScriptRun::TakeNetworkError() {
    std::optional<CInternetException> error;
    error.swap(networkError_);
    return error;
}

void ScriptRun::SetAgent(const std::string& agent) {
    if (agent.size() > kMaxAgent) {
        RaiseScriptException("The agent name is longer than 256 bytes");
        return;
    }
    for (const char c : agent) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            RaiseScriptException("The agent name holds a control character");
            return;
        }
    }
    session_.SetAgent(agent);
}

void ScriptRun::WaitForTurn() {
    if (pause_ != 0 && lastTransferEnd_) {
        const auto due = *lastTransferEnd_ + std::chrono::milliseconds(pause_);
        std::unique_lock<std::mutex> lock(pauseMutex_);
        pauseEnded_.wait_until(lock, due, [this] { return cancelled_.load(); });
    }
}

std::string ScriptRun::Open(const std::string& url) {
    WaitForTurn();
    try {
        std::string body = OpenUrl(session_, url, location_, &host_, &status_);
        TransferEnded();
        return body;
    } catch (const CInternetException& error) {
        TransferEnded();
        Abort(error);
        return {};
    }
}

bool ScriptRun::Download(const std::string& url, std::string& file) {
    // Downloads land in the catalog folder: a page must never name the catalog's own files.
    if (IsCatalogFileName(DownloadBaseName(file))) return false;
    WaitForTurn();
    try {
        const bool stored = DownloadUrl(session_, url, file, downloadFolder_, &host_);
        TransferEnded();
        return stored;
    } catch (const CInternetException& error) {
        TransferEnded();
        Abort(error);
        return false;
    }
}

int ScriptRun::Alert(const std::string& text) { return Alert(text, MB_OK); }

int ScriptRun::Alert(const std::string& text, std::uint32_t style) {
    return host_.MessageBox(text, "Reelkeep", style);
}

bool ScriptRun::Input(std::string& value, const std::string& title, const std::string& label,
                      bool allowEmpty) {
    return host_.Input(value, title, label, allowEmpty);
}

int ScriptRun::Select(const StringArray& items, const std::string& title, const std::string& label) {
    return host_.Select(items, title, label);
}

std::string ScriptRun::Recall(const std::string& name) {
    try {
        return memory_.Recall(name);
    } catch (const ScriptMemoryError& error) {
        RaiseScriptException(error.what());
        return {};
    }
}

bool ScriptRun::Remember(const std::string& name, const std::string& value) {
    try {
        return memory_.Remember(name, value);
    } catch (const ScriptMemoryError& error) {
        RaiseScriptException(error.what());
        return false;
    }
}

void RegisterNavigatorAndUser(ScriptEngine* engine, ScriptRun* run) {
    const auto check = [](int result) { CheckRegistration(result, "www and user"); };
    const asDWORD kSingleton = asOBJ_REF | asOBJ_NOHANDLE;
    check(engine->RegisterObjectType("CNavigator", 0, kSingleton));
    check(engine->RegisterObjectMethod("CNavigator", "string open(const string &in)",
                                       asMETHOD(ScriptRun, Open), asCALL_THISCALL));
    check(engine->RegisterObjectMethod("CNavigator", "const string &get_location() const property",
                                       asMETHOD(ScriptRun, Location), asCALL_THISCALL));
    RegisterInOutMethod(engine, "CNavigator", "bool download(const string &in,string &inout)",
                        asMETHOD(ScriptRun, Download), asCALL_THISCALL);
    check(engine->RegisterObjectMethod("CNavigator", "int get_status() const property",
                                       asMETHOD(ScriptRun, Status), asCALL_THISCALL));
    check(engine->RegisterObjectMethod("CNavigator", "const string &get_agent() const property",
                                       asMETHOD(ScriptRun, Agent), asCALL_THISCALL));
    check(engine->RegisterObjectMethod("CNavigator", "void set_agent(const string &in) property",
                                       asMETHOD(ScriptRun, SetAgent), asCALL_THISCALL));
    check(engine->RegisterObjectMethod("CNavigator", "uint get_pause() const property",
                                       asMETHOD(ScriptRun, Pause), asCALL_THISCALL));
    check(engine->RegisterObjectMethod("CNavigator", "void set_pause(uint) property",
                                       asMETHOD(ScriptRun, SetPause), asCALL_THISCALL));
    check(engine->RegisterGlobalProperty("CNavigator www", run));

    check(engine->RegisterObjectType("CUI", 0, kSingleton));
    check(engine->RegisterObjectMethod("CUI", "int alert(const string &in) const",
                                       asMETHODPR(ScriptRun, Alert, (const std::string&), int),
                                       asCALL_THISCALL));
    check(engine->RegisterObjectMethod("CUI", "int alert(const string &in,uint) const",
                                       asMETHODPR(ScriptRun, Alert, (const std::string&, std::uint32_t), int),
                                       asCALL_THISCALL));
    RegisterInOutMethod(engine, "CUI", "bool input(string &inout,const string &in,const string &in,bool)",
                        asMETHOD(ScriptRun, Input), asCALL_THISCALL);
    check(engine->RegisterObjectMethod("CUI", "int select(const string[] &in,const string &in,const string &in) const",
                                       asMETHOD(ScriptRun, Select), asCALL_THISCALL));
    check(engine->RegisterObjectMethod("CUI", "string recall(const string &in)",
                                       asMETHOD(ScriptRun, Recall), asCALL_THISCALL));
    check(engine->RegisterObjectMethod("CUI", "bool remember(const string &in,const string &in)",
                                       asMETHOD(ScriptRun, Remember), asCALL_THISCALL));
    check(engine->RegisterGlobalProperty("CUI user", run));
}

}  // namespace reelkeep
