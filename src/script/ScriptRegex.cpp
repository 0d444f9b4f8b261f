#include "script/ScriptRegex.h"

#include <angelscript.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "script/Registration.h"
#include "script/regex/Regex.h"
#include "script/regex/RegexError.h"
#include "script/regex/RegexOptions.h"
#include "script/regex/Substitution.h"

namespace reelkeep {

using namespace AngelScript;

namespace {

// Returned by the two-argument `group` for a group without a position.
constexpr asUINT kNoPosition = 0xFFFFFFFFu;

class ScriptRegex {
public:
    // Never fails: a rejected pattern leaves an object without one, which matches nothing.
    ScriptRegex(const std::string& pattern, const std::string* substitution, asUINT options) {
        try {
            auto regex = std::make_unique<Regex>(pattern, options);
            if (substitution != nullptr) {
                std::string text = substitution->substr(0, substitution->find('\0'));
                if (options & kRegexNormalize)
                    text = NormalizeSubstitution(text);
                substitution_ = Substitution(text, regex->GroupCount());
            }
            regex_ = std::move(regex);
        } catch (const RegexError& error) {
            RaiseScriptException(error.what());
        }
    }

    bool Match(const std::string& text) {
        groups_.clear();
        text_ = text;
        if (!regex_)
            return false;
        try {
            if (regex_->Search(text_, groups_))
                return true;
        } catch (const RegexError& error) {
            RaiseScriptException(error.what());
        }
        groups_.clear();
        return false;
    }

    asUINT Substitute(std::string& text) const {
        if (!regex_)
            return 0;
        try {
            return static_cast<asUINT>(
                regex_->Substitute(text, substitution_, (regex_->Options() & kRegexGlobal) != 0));
        } catch (const RegexError& error) {
            RaiseScriptException(error.what());
            return 0;
        }
    }

    asUINT Count(const std::string& text) const {
        if (!regex_)
            return 0;
        try {
            return static_cast<asUINT>(regex_->Count(text));
        } catch (const RegexError& error) {
            RaiseScriptException(error.what());
            return 0;
        }
    }

    asUINT Groups() const { return static_cast<asUINT>(groups_.size()); }

    // A group that took no part, or that the last results lack, is empty and has no position.
    asUINT Group(asUINT index, std::string& out) const {
        if (index >= groups_.size() || !groups_[index].IsSet()) {
            out.clear();
            return kNoPosition;
        }
        const MatchSpan& g = groups_[index];
        out.assign(text_, g.start, g.end - g.start);
        return static_cast<asUINT>(g.start);
    }

private:
    std::unique_ptr<Regex> regex_;
    Substitution substitution_;  // empty: a match is removed
    std::string text_;           // the text of the last match; groups_ point into it
    std::vector<MatchSpan> groups_;
};

void ConstructPattern(void* memory, const std::string& pattern) {
    new (memory) ScriptRegex(pattern, nullptr, 0);
}
void ConstructPatternOptions(void* memory, const std::string& pattern, asUINT options) {
    new (memory) ScriptRegex(pattern, nullptr, options);
}
void ConstructSubstitution(void* memory, const std::string& pattern, const std::string& with) {
    new (memory) ScriptRegex(pattern, &with, 0);
}
void ConstructSubstitutionOptions(void* memory, const std::string& pattern, const std::string& with,
                                  asUINT options) {
    new (memory) ScriptRegex(pattern, &with, options);
}
void Destruct(ScriptRegex* self) {
    self->~ScriptRegex();
}

bool Match(ScriptRegex& self, const std::string& text) {
    return self.Match(text);
}
asUINT Substitute(const ScriptRegex& self, std::string& text) {
    return self.Substitute(text);
}
asUINT Count(const ScriptRegex& self, const std::string& text) {
    return self.Count(text);
}
asUINT Groups(const ScriptRegex& self) {
    return self.Groups();
}
asUINT GroupInto(const ScriptRegex& self, asUINT index, std::string& out) {
    return self.Group(index, out);
}
std::string GroupText(const ScriptRegex& self, asUINT index) {
    std::string out;
    self.Group(index, out);
    return out;
}

}  // namespace

void RegisterRegexType(ScriptEngine* engine) {
    const auto behaviour = [engine](asEBehaviours kind, const char* declaration,
                                    const asSFuncPtr& function) {
        CheckRegistration(engine->RegisterObjectBehaviour("regex", kind, declaration, function,
                                                          asCALL_CDECL_OBJFIRST),
                          declaration);
    };
    const auto method = [engine](const char* declaration, const asSFuncPtr& function) {
        CheckRegistration(
            engine->RegisterObjectMethod("regex", declaration, function, asCALL_CDECL_OBJFIRST),
            declaration);
    };
    // Constructor and destructor only: no default constructor, no copy, no assignment.
    CheckRegistration(
        engine->RegisterObjectType("regex", sizeof(ScriptRegex), asOBJ_VALUE | asOBJ_APP_CLASS_CD),
        "regex");
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string &in)", asFUNCTION(ConstructPattern));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string &in,uint)",
              asFUNCTION(ConstructPatternOptions));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string &in,const string& in)",
              asFUNCTION(ConstructSubstitution));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string &in,const string& in,uint)",
              asFUNCTION(ConstructSubstitutionOptions));
    behaviour(asBEHAVE_DESTRUCT, "void f()", asFUNCTION(Destruct));
    method("bool match(const string &in)", asFUNCTION(Match));
    RegisterInOutMethod(engine, "regex", "uint substitute(string &inout) const",
                        asFUNCTION(Substitute), asCALL_CDECL_OBJFIRST);
    method("uint count(const string &in) const", asFUNCTION(Count));
    method("uint groups() const", asFUNCTION(Groups));
    method("uint group(uint,string &out) const", asFUNCTION(GroupInto));
    method("string group(uint) const", asFUNCTION(GroupText));
}

}  // namespace reelkeep
