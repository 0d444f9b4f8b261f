#include "script/MovieGlobals.h"

#include <angelscript.h>

#include "script/Registration.h"

namespace reelkeep {

using namespace AngelScript;

std::string MovieGlobalDeclaration(const MovieField& field) {
    const std::string name(field.name);
    switch (field.kind) {
        case FieldKind::Int32: return (field.flags ? "const int " : "int ") + name;
        case FieldKind::Float: return "float " + name;
        case FieldKind::String: return "string " + name;
        case FieldKind::Array:
            return field.elementKind == FieldKind::String ? "string[] " + name : std::string();
        default: return {};  // 64-bit numbers, dates and flags stay out of scripts' reach
    }
}

void RegisterMovieGlobals(ScriptEngine* engine, Movie& record) {
    for (const MovieField& field : MovieFields()) {
        const std::string declaration = MovieGlobalDeclaration(field);
        if (declaration.empty()) continue;
        CheckRegistration(engine->RegisterGlobalProperty(declaration.c_str(), field.AddressIn(record)),
                          declaration);
    }
}

}  // namespace reelkeep
