#include "present/EditForm.h"

#include <filesystem>
#include <system_error>

#include "catalog/HistoryLabels.h"
#include "present/FormBody.h"

namespace reelkeep {

namespace {

void StoreValue(const MovieField& field, std::string_view value, Movie& movie) {
    value = value.substr(0, value.find('\0'));  // record strings end at their first NUL
    switch (field.kind) {
        case FieldKind::Bool:
            field.Of<bool>(movie) = ReadInt32(value) != 0;
            break;
        case FieldKind::Int32:
            field.Of<std::int32_t>(movie) = ReadInt32(value);
            break;
        case FieldKind::Float:
            field.Of<float>(movie) = ReadFloat(value);
            break;
        case FieldKind::String:
            field.Of<std::string>(movie).assign(value);
            break;
        case FieldKind::Array:
            if (field.elementKind == FieldKind::String) {
                field.Of<StringArray>(movie) = SplitFormList(value);
            }
            break;
        case FieldKind::Int64:     // the record has no 64-bit scalar to store into
        case FieldKind::DateTime:  // not editable
            break;
    }
}

}  // namespace

void ApplyFormBody(std::string_view body, Movie& movie) {
    for (const FormPair& pair : ParseFormBody(body)) {
        if (const MovieField* field = FindMovieField(pair.name)) {
            StoreValue(*field, pair.value, movie);
        }
    }
}

EditFormResult ApplyEditForm(std::string_view body, ObjectId oid, const std::string& catalogFile) {
    EditFormResult result;
    if (body.empty()) return result;
    result.submitted = true;
    if (oid == 0) return result;
    std::error_code missing;
    if (!std::filesystem::exists(catalogFile, missing)) {
        // Creating an empty catalog here would only hide where the movie went.
        result.keepEditing = true;
        result.error = "The catalog \"" + catalogFile + "\" does not exist, so nothing was saved.";
        return result;
    }

    CatalogDatabase database(catalogFile);
    try {
        database.Open(CatalogDatabase::Access::ReadWrite);
    } catch (const dbException& error) {
        // In use by another program, or not to be opened at all: what was typed stays.
        result.keepEditing = true;
        result.error = error.what();
        return result;
    }
    try {
        Movie movie;
        if (!database.Fetch(oid, movie)) {
            result.gone = true;
            result.error =
                "The movie you were editing is no longer in the catalog, so nothing was saved.";
            return result;
        }
        const Movie stored = movie;
        ApplyFormBody(body, movie);
        if (movie != stored) database.Update(oid, movie);
        database.SetStepLabel(EditLabel(movie.szTitle));
        database.Close();
        result.stored = true;
        result.title = movie.szTitle;
        result.watched = movie.bWatched;
    } catch (const dbException& error) {
        result.keepEditing = !result.stored;
        result.error = error.what();
    }
    return result;
}

}  // namespace reelkeep
