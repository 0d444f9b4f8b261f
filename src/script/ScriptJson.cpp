#include "script/ScriptJson.h"

#include <angelscript.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <nlohmann/json.hpp>
#include <string>

#include "script/Registration.h"

namespace reelkeep {

using namespace AngelScript;
using Json = nlohmann::json;

namespace {

// A position in a parsed document; the copies of a value share the document. A value without
// a node stands for what is not there: reads of it give their defaults.
struct JsonValue {
    std::shared_ptr<const Json> document;
    const Json* node = nullptr;

    JsonValue At(const Json* child) const { return child ? JsonValue{document, child} : JsonValue{}; }
};

JsonValue Parse(const std::string& text) {
    const std::string bounds = JsonBoundsError(text);
    if (!bounds.empty()) {
        RaiseScriptException(bounds.c_str());
        return {};
    }
    try {
        auto document = std::make_shared<const Json>(Json::parse(text));
        const Json* root = document.get();
        return JsonValue{std::move(document), root};
    } catch (const Json::exception& error) {
        // The library's own message says where and why, as a rejected pattern's does.
        RaiseScriptException(error.what());
    } catch (const std::bad_alloc&) {
        RaiseScriptException("Out of memory");
    }
    return {};
}

void Construct(void* memory) {
    new (memory) JsonValue();
}
void ConstructParsed(void* memory, const std::string& text) {
    new (memory) JsonValue(Parse(text));
}
void ConstructCopy(void* memory, const JsonValue& other) {
    new (memory) JsonValue(other);
}
void Destruct(JsonValue* self) {
    self->~JsonValue();
}
JsonValue& Assign(JsonValue& self, const JsonValue& other) {
    if (&self != &other)
        self = other;
    return self;
}

// The member's value, or the element's; for an object an index counts its members in the
// order that key() lists them.
JsonValue Member(const JsonValue& self, const std::string& key) {
    if (!self.node || !self.node->is_object())
        return {};
    const auto found = self.node->find(key);
    return found == self.node->end() ? JsonValue{} : self.At(&*found);
}
JsonValue Element(const JsonValue& self, asUINT index) {
    if (!self.node || index >= self.node->size())
        return {};
    if (self.node->is_array())
        return self.At(&(*self.node)[index]);
    if (self.node->is_object())
        return self.At(&*std::next(self.node->begin(), static_cast<std::ptrdiff_t>(index)));
    return {};
}
std::string Key(const JsonValue& self, asUINT index) {
    if (!self.node || !self.node->is_object() || index >= self.node->size())
        return {};
    return std::next(self.node->begin(), static_cast<std::ptrdiff_t>(index)).key();
}
bool Has(const JsonValue& self, const std::string& key) {
    return self.node && self.node->is_object() && self.node->contains(key);
}
// Elements of an array, members of an object; 0 for anything else.
asUINT Length(const JsonValue& self) {
    if (!self.node || !(self.node->is_array() || self.node->is_object()))
        return 0;
    return static_cast<asUINT>(self.node->size());
}

std::string Kind(const JsonValue& self) {
    if (!self.node)
        return "missing";
    switch (self.node->type()) {
    case Json::value_t::object:
        return "object";
    case Json::value_t::array:
        return "array";
    case Json::value_t::string:
        return "string";
    case Json::value_t::boolean:
        return "bool";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return "number";
    default:
        return "null";
    }
}

std::string AsString(const JsonValue& self, const std::string& otherwise) {
    if (!self.node || !self.node->is_string())
        return otherwise;
    return self.node->get_ref<const std::string&>();
}
double AsNumber(const JsonValue& self, double otherwise) {
    if (!self.node || !self.node->is_number())
        return otherwise;
    return self.node->get<double>();
}
// A whole number, fractions cut off; numbers beyond `int` give its nearest limit.
int AsInt(const JsonValue& self, int otherwise) {
    if (!self.node || !self.node->is_number())
        return otherwise;
    if (self.node->is_number_unsigned()) {
        const auto value = self.node->get<std::uint64_t>();
        return value > static_cast<std::uint64_t>(std::numeric_limits<int>::max())
                   ? std::numeric_limits<int>::max()
                   : static_cast<int>(value);
    }
    const double value = std::trunc(self.node->get<double>());
    if (std::isnan(value))
        return otherwise;
    if (value >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}
bool AsBool(const JsonValue& self, bool otherwise) {
    if (!self.node || !self.node->is_boolean())
        return otherwise;
    return self.node->get<bool>();
}
// The value as compact JSON text; empty for a missing one.
std::string Dump(const JsonValue& self) {
    if (!self.node)
        return {};
    return self.node->dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string JsonBoundsError(std::string_view text) {
    if (text.size() > kMaxJsonText) {
        return "JSON text of " + std::to_string(text.size()) + " bytes is longer than " +
               std::to_string(kMaxJsonText) + " bytes";
    }
    int depth = 0;
    std::size_t containers = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth)
                return "JSON nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
            if (++containers > kMaxJsonContainers) {
                return "JSON with more than " + std::to_string(kMaxJsonContainers) +
                       " objects and arrays";
            }
        } else if (c == ']' || c == '}') {
            --depth;  // a surplus closing bracket is the parser's to report
        }
    }
    return {};
}

void RegisterJsonType(ScriptEngine* engine) {
    const auto behaviour = [engine](asEBehaviours kind, const char* declaration,
                                    const asSFuncPtr& function) {
        CheckRegistration(engine->RegisterObjectBehaviour("json", kind, declaration, function,
                                                          asCALL_CDECL_OBJFIRST),
                          declaration);
    };
    const auto method = [engine](const char* declaration, const asSFuncPtr& function) {
        CheckRegistration(
            engine->RegisterObjectMethod("json", declaration, function, asCALL_CDECL_OBJFIRST),
            declaration);
    };
    CheckRegistration(engine->RegisterObjectType("json", sizeof(JsonValue),
                                                 asOBJ_VALUE | asOBJ_APP_CLASS_CDAK),
                      "json");
    behaviour(asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(Construct));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const string &in)", asFUNCTION(ConstructParsed));
    behaviour(asBEHAVE_CONSTRUCT, "void f(const json &in)", asFUNCTION(ConstructCopy));
    behaviour(asBEHAVE_DESTRUCT, "void f()", asFUNCTION(Destruct));
    method("json &opAssign(const json &in)", asFUNCTION(Assign));
    method("json opIndex(const string &in) const", asFUNCTION(Member));
    method("json opIndex(uint) const", asFUNCTION(Element));
    method("string key(uint) const", asFUNCTION(Key));
    method("bool has(const string &in) const", asFUNCTION(Has));
    method("uint length() const", asFUNCTION(Length));
    method("string kind() const", asFUNCTION(Kind));
    method("string asString(const string &in ifNot = '') const", asFUNCTION(AsString));
    method("double asNumber(double ifNot = 0) const", asFUNCTION(AsNumber));
    method("int asInt(int ifNot = 0) const", asFUNCTION(AsInt));
    method("bool asBool(bool ifNot = false) const", asFUNCTION(AsBool));
    method("string dump() const", asFUNCTION(Dump));
}

}  // namespace reelkeep
