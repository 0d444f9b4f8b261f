// A movie's fields as script globals, bound straight to the fields of one record: what the
// script reads is the record, what it writes changes the record.
#pragma once

#include <string>

#include "catalog/Movie.h"
#include "script/AngelScriptFwd.h"


namespace reelkeep {

// The declaration a field gets ("const int nIndex", "string szTitle", "string[] pszActors"),
// or "" for a field that scripts do not see.
std::string MovieGlobalDeclaration(const MovieField& field);

// Registers every visible field of `record` as a global property, in field-table order.
// `string` and `string[]` must be registered already.
void RegisterMovieGlobals(ScriptEngine* engine, Movie& record);

}  // namespace reelkeep
