#include "script/ScriptStringArray.h"

#include <angelscript.h>
#include <scriptarray.h>

#include <new>
#include <string>

#include "catalog/Movie.h"
#include "script/Registration.h"
#include "script/StringFunctions.h"
#include "script/regex/Regex.h"
#include "script/regex/RegexError.h"
#include "script/regex/RegexOptions.h"

namespace reelkeep {

using namespace AngelScript;

namespace {

std::string& Unescape(std::string& self) {
    UnescapeReferences(self);
    return self;
}

void Construct(void* memory) {
    new (memory) StringArray();
}
// A count that no page could need is refused before it takes the memory.
constexpr asUINT kMaxElements = 1u << 24;

void ConstructSized(void* memory, asUINT count) {
    new (memory) StringArray();
    if (count > kMaxElements) {
        RaiseScriptException("Out of memory");
        return;
    }
    static_cast<StringArray*>(memory)->resize(count);
}
void ConstructCopy(void* memory, const StringArray& other) {
    new (memory) StringArray(other);
}
void Destruct(StringArray* self) {
    self->~StringArray();
}

StringArray& Assign(StringArray& self, const StringArray& other) {
    if (&self != &other)
        self = other;
    return self;
}

std::string* ElementAt(StringArray& self, asUINT index) {
    if (index >= self.size()) {
        RaiseScriptException("Out of range");
        thread_local std::string ignored;
        return &ignored;
    }
    return &self[index];
}
const std::string* ConstElementAt(const StringArray& self, asUINT index) {
    return ElementAt(const_cast<StringArray&>(self), index);
}

asUINT Length(const StringArray& self) {
    return static_cast<asUINT>(self.size());
}
void Append(StringArray& self, const std::string& text) {
    self.push_back(text);
}

StringArray& UnescapeAll(StringArray& self) {
    for (std::string& text : self) UnescapeReferences(text);
    return self;
}

// text * pattern: one extracted text per match, from left to right.
StringArray AllMatches(const std::string& self, const std::string& pattern) {
    StringArray found;
    try {
        found = Regex(pattern, kExtractionOptions).ExtractAll(self);
    } catch (const RegexError& error) {
        RaiseScriptException(error.what());
    }
    return found;
}

}  // namespace

void RegisterStringArrayType(ScriptEngine* engine) {
    CheckRegistration(engine->RegisterObjectMethod("string", "string &unescape()",
                                                   asFUNCTION(Unescape), asCALL_CDECL_OBJFIRST),
                      "string unescape");

    RegisterScriptArray(engine, true);

    const char* type = "array<string>";
    CheckRegistration(
        engine->RegisterObjectType(type, sizeof(StringArray), asOBJ_VALUE | asOBJ_APP_CLASS_CDAK),
        type);
    const auto behaviour = [engine, type](asEBehaviours kind, const char* declaration,
                                          const asSFuncPtr& function) {
        CheckRegistration(engine->RegisterObjectBehaviour(type, kind, declaration, function,
                                                          asCALL_CDECL_OBJFIRST),
                          declaration);
    };
    const auto method = [engine, type](const char* declaration, const asSFuncPtr& function) {
        CheckRegistration(
            engine->RegisterObjectMethod(type, declaration, function, asCALL_CDECL_OBJFIRST),
            declaration);
    };
    // No list constructor: the engine reads list buffers misaligned.
    behaviour(asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(Construct));
    behaviour(asBEHAVE_CONSTRUCT, "void f(uint)", asFUNCTION(ConstructSized));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string[] &in)", asFUNCTION(ConstructCopy));
    behaviour(asBEHAVE_DESTRUCT, "void f()", asFUNCTION(Destruct));
    method("string[] &opAssign(const string[] &in)", asFUNCTION(Assign));
    method("string &opIndex(uint)", asFUNCTION(ElementAt));
    method("const string &opIndex(uint) const", asFUNCTION(ConstElementAt));
    method("uint length() const", asFUNCTION(Length));
    method("void append(const string &in)", asFUNCTION(Append));
    method("string[] &unescape()", asFUNCTION(UnescapeAll));

    CheckRegistration(
        engine->RegisterObjectMethod("string", "string[] opMul(const string &in) const",
                                     asFUNCTION(AllMatches), asCALL_CDECL_OBJFIRST),
        "string * pattern");
}

}  // namespace reelkeep
