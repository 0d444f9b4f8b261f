// Setting a record field from the text an outside file holds for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interop/ImportBatch.h"

namespace reelkeep {

enum class ListStyle {
    Exact,  // our CSV: one entry per line with backslash escapes, formula guards taken off
    Loose,  // a person's spreadsheet or another program: entries on lines, or split at ";" or ","
};

// Entries of a loosely written list, trimmed, empty ones left out.
std::vector<std::string> SplitLooseList(std::string_view text);

// Reads the text into the field of the movie and marks it given. Empty text sets nothing.
// Returns why the text does not fit the field, or nothing when it was taken.
std::optional<std::string> AssignField(ImportedMovie& movie, const MovieField& field,
                                       std::string_view text, ListStyle style);

// A field holding nothing: zero, no text, no entries (the day added is never empty).
bool IsEmptyField(const MovieField& field, const Movie& movie);
void CopyField(const MovieField& field, const Movie& from, Movie& into);

}  // namespace reelkeep
