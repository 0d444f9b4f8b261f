#include "present/EditForm.h"

#include <filesystem>
#include <system_error>

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
    std::error_code missing;
    if (oid == 0 || !std::filesystem::exists(catalogFile, missing)) return result;

    CatalogDatabase database(catalogFile);
    try {
        database.Open(CatalogDatabase::Access::ReadWrite);
    } catch (const dbException&) {
        return result;  // a catalog that does not open: nothing stored, nothing said
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
        database.Close();
        result.stored = true;
        result.title = movie.szTitle;
        result.watched = movie.bWatched;
    } catch (const dbException& error) {
        result.error = error.what();
    }
    return result;
}

}  // namespace reelkeep
