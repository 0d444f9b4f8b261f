#include "script/ScriptString.h"

#include <angelscript.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "script/Registration.h"
#include "script/StringFunctions.h"
#include "script/regex/Regex.h"
#include "script/regex/RegexError.h"
#include "script/regex/RegexOptions.h"

namespace reelkeep {

using namespace AngelScript;

namespace {

// Literals hold their bytes up to the first zero byte. Each constant is its own allocation,
// so engines on several threads can share the one factory.
class StringFactory final : public asIStringFactory {
public:
    const void* GetStringConstant(const char* data, asUINT length) override {
        return new std::string(data, strnlen(data, length));
    }
    int ReleaseStringConstant(const void* str) override {
        delete static_cast<const std::string*>(str);
        return asSUCCESS;
    }
    int GetRawStringData(const void* str, char* data, asUINT* length) const override {
        const auto* text = static_cast<const std::string*>(str);
        if (length != nullptr)
            *length = static_cast<asUINT>(text->size());
        if (data != nullptr)
            std::memcpy(data, text->data(), text->size());
        return asSUCCESS;
    }
};

StringFactory& Factory() {
    static StringFactory* factory = new StringFactory;  // never destroyed: outlives every engine
    return *factory;
}

using String = std::string;

std::size_t Clamp(const String& text, asUINT position) {
    return position < text.size() ? position : text.size();
}

void Construct(void* memory) {
    new (memory) String();
}
// Every byte is copied: pages with zero bytes pass through variables and return values whole.
void ConstructCopy(void* memory, const String& other) {
    new (memory) String(other);
}
void ConstructTail(void* memory, const String& other, asUINT position) {
    new (memory) String(other, Clamp(other, position));
}
void ConstructPart(void* memory, const String& other, asUINT position, asUINT count) {
    new (memory) String(other, Clamp(other, position), count);
}
void Destruct(String* self) {
    self->~String();
}

String& Assign(String& self, const String& other) {
    return self = other;
}
String& Append(String& self, const String& other) {
    return self += other;
}
bool Equals(const String& self, const String& other) {
    return self == other;
}
int Compare(const String& self, const String& other) {
    const int order = self.compare(other);  // memcmp: unsigned bytes
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}
String Concatenate(const String& self, const String& other) {
    return self + other;
}

String FirstMatch(const String& self, const String& pattern) {
    try {
        return Regex(pattern, kExtractionOptions).ExtractFirst(self);
    } catch (const RegexError& error) {
        RaiseScriptException(error.what());
        return {};
    }
}

asUINT Length(const String& self) {
    return static_cast<asUINT>(self.size());
}
bool Empty(const String& self) {
    return self.empty();
}
void Clear(String& self) {
    self.clear();
}
String& EraseTail(String& self, asUINT position) {
    return self.erase(Clamp(self, position));
}
String& ErasePart(String& self, asUINT position, asUINT count) {
    return self.erase(Clamp(self, position), count);
}
int Find(const String& self, const String& what) {
    return FindText(self, what);
}
int FindFrom(const String& self, const String& what, asUINT from) {
    return FindText(self, what, from);
}
int ReverseFind(const String& self, const String& what) {
    return ReverseFindText(self, what);
}
int ReverseFindFrom(const String& self, const String& what, asUINT from) {
    return ReverseFindText(self, what, from);
}
String& Insert(String& self, asUINT position, const String& what) {
    self.insert(Clamp(self, position), what);
    return self;
}
String Left(const String& self, asUINT count) {
    return self.substr(0, count);
}
String Right(const String& self, asUINT count) {
    return count >= self.size() ? self : self.substr(self.size() - count);
}
String MidTail(const String& self, asUINT position) {
    return self.substr(Clamp(self, position));
}
String MidPart(const String& self, asUINT position, asUINT count) {
    return self.substr(Clamp(self, position), count);
}
String& Replace(String& self, const String& what, const String& with) {
    ReplaceAll(self, what, with);
    return self;
}

std::uint8_t* ByteAt(String& self, asUINT index) {
    if (index >= self.size()) {
        RaiseScriptException("Out of range");
        thread_local std::uint8_t ignored = 0;
        return &ignored;
    }
    return reinterpret_cast<std::uint8_t*>(&self[index]);
}
const std::uint8_t* ConstByteAt(const String& self, asUINT index) {
    return ByteAt(const_cast<String&>(self), index);
}

// The number conversions, one set per number type.
template <class T, String (*Format)(T)>
struct NumberText {
    static String& Assign(String& self, T value) { return self = Format(value); }
    static String& Append(String& self, T value) { return self += Format(value); }
    static String After(const String& self, T value) { return self + Format(value); }
    static String Before(const String& self, T value) { return Format(value) + self; }
};

String FormatIntValue(std::int32_t value) {
    return FormatInt(value);
}
String FormatUintValue(std::uint32_t value) {
    return FormatUint(value);
}
String FormatBitsValue(std::uint32_t value) {
    return FormatBits(value);
}
String FormatDoubleValue(double value) {
    return FormatDouble(value);
}

template <class T, String (*Format)(T)>
void RegisterNumberText(asIScriptEngine* engine, const std::string& type) {
    using Text = NumberText<T, Format>;
    const struct {
        std::string declaration;
        asSFuncPtr function;
    } methods[] = {
        {"string &opAssign(" + type + ")", asFUNCTION(Text::Assign)},
        {"string &opAddAssign(" + type + ")", asFUNCTION(Text::Append)},
        {"string opAdd(" + type + ") const", asFUNCTION(Text::After)},
        {"string opAdd_r(" + type + ") const", asFUNCTION(Text::Before)},
    };
    for (const auto& method : methods) {
        CheckRegistration(engine->RegisterObjectMethod("string", method.declaration.c_str(),
                                                       method.function, asCALL_CDECL_OBJFIRST),
                          method.declaration);
    }
}

std::int32_t Atoi(const String& text) {
    return LeadingInt(text.c_str());
}
double Atof(const String& text) {
    return LeadingDouble(text.c_str());
}

}  // namespace

void RegisterStringType(ScriptEngine* engine) {
    if (engine->GetTypeInfoByName("bits") == nullptr)
        RegisterBitsType(engine);

    const auto behaviour = [engine](asEBehaviours kind, const char* declaration,
                                    const asSFuncPtr& function) {
        CheckRegistration(engine->RegisterObjectBehaviour("string", kind, declaration, function,
                                                          asCALL_CDECL_OBJFIRST),
                          declaration);
    };
    const auto method = [engine](const char* declaration, const asSFuncPtr& function) {
        CheckRegistration(
            engine->RegisterObjectMethod("string", declaration, function, asCALL_CDECL_OBJFIRST),
            declaration);
    };

    CheckRegistration(
        engine->RegisterObjectType("string", sizeof(String), asOBJ_VALUE | asOBJ_APP_CLASS_CDAK),
        "string");
    CheckRegistration(engine->RegisterStringFactory("string", &Factory()), "string factory");

    behaviour(asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(Construct));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string &in)", asFUNCTION(ConstructCopy));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string &in,uint)", asFUNCTION(ConstructTail));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string &in,uint,uint)", asFUNCTION(ConstructPart));
    behaviour(asBEHAVE_DESTRUCT, "void f()", asFUNCTION(Destruct));

    method("string &opAssign(const string &in)", asFUNCTION(Assign));
    method("string &opAddAssign(const string &in)", asFUNCTION(Append));
    method("bool opEquals(const string &in) const", asFUNCTION(Equals));
    method("int opCmp(const string &in) const", asFUNCTION(Compare));
    method("string opAdd(const string &in) const", asFUNCTION(Concatenate));
    method("string opMod(const string &in) const", asFUNCTION(FirstMatch));
    method("uint length() const", asFUNCTION(Length));
    method("bool empty() const", asFUNCTION(Empty));
    method("void clear()", asFUNCTION(Clear));
    method("string &erase(uint)", asFUNCTION(EraseTail));
    method("string &erase(uint,uint)", asFUNCTION(ErasePart));
    method("int find(const string &in) const", asFUNCTION(Find));
    method("int find(const string &in,uint) const", asFUNCTION(FindFrom));
    method("int rfind(const string &in) const", asFUNCTION(ReverseFind));
    method("int rfind(const string &in,uint) const", asFUNCTION(ReverseFindFrom));
    method("string &insert(uint,const string &in)", asFUNCTION(Insert));
    method("string left(uint) const", asFUNCTION(Left));
    method("string right(uint) const", asFUNCTION(Right));
    method("string mid(uint) const", asFUNCTION(MidTail));
    method("string mid(uint,uint) const", asFUNCTION(MidPart));
    method("string &replace(const string &in,const string &in)", asFUNCTION(Replace));
    method("uint8 &opIndex(uint)", asFUNCTION(ByteAt));
    method("const uint8 &opIndex(uint) const", asFUNCTION(ConstByteAt));

    RegisterNumberText<double, FormatDoubleValue>(engine, "double");
    RegisterNumberText<std::int32_t, FormatIntValue>(engine, "int");
    RegisterNumberText<std::uint32_t, FormatUintValue>(engine, "uint");
    RegisterNumberText<std::uint32_t, FormatBitsValue>(engine, "bits");

    CheckRegistration(engine->RegisterGlobalFunction("int atoi(const string &in)", asFUNCTION(Atoi),
                                                     asCALL_CDECL),
                      "atoi");
    CheckRegistration(engine->RegisterGlobalFunction("double atof(const string &in)",
                                                     asFUNCTION(Atof), asCALL_CDECL),
                      "atof");
}

}  // namespace reelkeep
