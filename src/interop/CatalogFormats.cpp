#include "interop/CatalogFormats.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "interop/Base64.h"
#include "interop/FieldAssign.h"
#include "interop/FieldValues.h"
#include "interop/XmlInput.h"
#include "interop/ZipArchive.h"

namespace reelkeep {

namespace {

namespace fs = std::filesystem;

// A picture inside an archive or a document is read up to this size.
constexpr std::size_t kPictureLimit = 32u << 20;

const MovieField& Field(std::string_view name) { return *FindMovieField(name); }

std::string BareName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::size_t LineOf(const xmlNode* node) {
    return node ? static_cast<std::size_t>(xmlGetLineNo(node) > 0 ? xmlGetLineNo(node) : 0) : 0;
}

void SetText(ImportedMovie& movie, std::string_view field, std::string text) {
    text = std::string(Trimmed(text));
    if (text.empty()) return;
    Field(field).Of<std::string>(movie.movie) = std::move(text);
    movie.Given(Field(field));
}

void SetList(ImportedMovie& movie, std::string_view field, StringArray entries) {
    StringArray kept;
    for (std::string& entry : entries) {
        std::string trimmed(Trimmed(entry));
        if (!trimmed.empty()) kept.push_back(std::move(trimmed));
    }
    if (kept.empty()) return;
    Field(field).Of<StringArray>(movie.movie) = std::move(kept);
    movie.Given(Field(field));
}

void SetNumber(ImportedMovie& movie, std::string_view field, std::optional<std::int64_t> value) {
    if (!value || *value <= 0 || *value > 1000000) return;
    Field(field).Of<std::int32_t>(movie.movie) = static_cast<std::int32_t>(*value);
    movie.Given(Field(field));
}

void SetRating(ImportedMovie& movie, std::optional<double> rating) {
    if (!rating || *rating <= 0 || *rating > 10) return;
    movie.movie.fRating = static_cast<float>(*rating);
    movie.Given(Field("fRating"));
}

void SetWatched(ImportedMovie& movie, const std::string& text) {
    const std::optional<bool> seen = ParseYesNo(text);
    if (!seen) return;
    movie.movie.bWatched = *seen;
    movie.Given(Field("bWatched"));
}

// The four digits of a year anywhere in a date: "1979", "1979-05-25", "25/05/1979".
std::optional<std::int64_t> YearIn(std::string_view text) {
    for (std::size_t i = 0; i + 4 <= text.size(); ++i) {
        const std::string_view digits = text.substr(i, 4);
        bool all = true;
        for (const char c : digits) all = all && c >= '0' && c <= '9';
        const bool bounded = (i == 0 || text[i - 1] < '0' || text[i - 1] > '9') &&
                             (i + 4 == text.size() || text[i + 4] < '0' || text[i + 4] > '9');
        if (all && bounded) {
            const auto year = ParseInteger(digits);
            if (year && *year >= 1850 && *year <= 2200) return year;
        }
    }
    return std::nullopt;
}

bool IsBareName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

std::string PictureBeside(const std::string& folder, const std::string& name) {
    if (folder.empty() || name.empty()) return {};
    std::error_code error;
    const fs::path base = fs::weakly_canonical(folder, error);
    if (error) return {};
    fs::path candidate = fs::path(name).is_absolute() ? fs::path(name) : fs::path(folder) / name;
    candidate = fs::weakly_canonical(candidate, error);
    if (error) return {};
    const auto [baseEnd, candidateAt] =
        std::mismatch(base.begin(), base.end(), candidate.begin(), candidate.end());
    if (baseEnd != base.end() || candidateAt == candidate.end()) return {};
    if (!fs::is_regular_file(candidate, error)) return {};
    return candidate.string();
}

// ---- Our own XML ----------------------------------------------------------------------------

ImportBatch ReadReelkeepXml(const xmlDoc& document, const std::string& fileName) {
    ImportBatch batch;
    batch.format = "Reelkeep XML";
    const std::string shown = BareName(fileName);
    for (const xmlNode* element : ChildElements(xmlDocGetRootElement(&document), "Movie")) {
        ImportedMovie imported;
        imported.line = LineOf(element);
        std::string problem;
        for (const xmlNode* child : ChildElements(element)) {
            const MovieField* field = FindMovieField(LocalName(child));
            if (!field || field->name == "nIndex" || field->name == "dtAdded") continue;
            if (field->kind == FieldKind::Array) {
                StringArray items;
                for (const xmlNode* item : ChildElements(child, "Item")) items.push_back(NodeText(item));
                if (field->elementKind == FieldKind::Int64) {
                    Int64Array numbers;
                    for (const std::string& item : items) {
                        const auto number = ParseInteger(item);
                        if (!number) {
                            problem = std::string(field->name) + " holds \"" + item + "\", not a whole number";
                            break;
                        }
                        numbers.push_back(*number);
                    }
                    field->Of<Int64Array>(imported.movie) = std::move(numbers);
                } else {
                    field->Of<StringArray>(imported.movie) = std::move(items);
                }
                imported.Given(*field);
            } else if (field->kind == FieldKind::String) {
                field->Of<std::string>(imported.movie) = NodeText(child);
                imported.Given(*field);
            } else if (auto error = AssignField(imported, *field, NodeText(child), ListStyle::Exact)) {
                problem = std::string(field->name) + " " + *error;
            }
            if (!problem.empty()) break;
        }
        if (problem.empty() && imported.movie.szTitle.empty()) problem = "the movie has no title";
        if (!problem.empty()) {
            batch.problems.push_back({shown, imported.line, problem});
            continue;
        }
        batch.movies.push_back(std::move(imported));
    }
    return batch;
}

// ---- Tellico ---------------------------------------------------------------------------------

namespace {

// The values of a field: "<genres><genre>A</genre>...</genres>", or one "<genre>" element.
StringArray TellicoValues(const xmlNode* entry, const std::string& field) {
    StringArray values;
    if (const xmlNode* group = FirstChild(entry, field + "s")) {
        for (const xmlNode* value : ChildElements(group, field)) {
            // A table field keeps its columns in "column" elements; the first is the name.
            const xmlNode* column = FirstChild(value, "column");
            values.push_back(column ? NodeText(column) : NodeText(value));
        }
        return values;
    }
    for (const xmlNode* value : ChildElements(entry, field)) {
        const xmlNode* column = FirstChild(value, "column");
        std::string text = column ? NodeText(column) : NodeText(value);
        // Files of older versions keep several values in one, separated by "; ".
        if (text.find(';') == std::string::npos) {
            values.push_back(std::move(text));
            continue;
        }
        for (std::string& part : SplitLooseList(text)) values.push_back(std::move(part));
    }
    return values;
}

std::string TellicoValue(const xmlNode* entry, const std::string& field) {
    const StringArray values = TellicoValues(entry, field);
    return values.empty() ? std::string() : values.front();
}

}  // namespace

ImportBatch ReadTellico(const xmlDoc& document, const std::string& fileName,
                        const PictureOrigin& origin) {
    ImportBatch batch;
    batch.format = "Tellico";
    const std::string shown = BareName(fileName);
    const xmlNode* collection = FirstChild(xmlDocGetRootElement(&document), "collection");
    if (!collection) throw ImportFileError{"The Tellico file holds no collection."};
    const std::string type = AttributeText(collection, "type");
    if (type != "3") {
        throw ImportFileError{"The Tellico file holds a collection of another kind (type " + type +
                              "), not a video collection."};
    }

    // Pictures kept in the document, by their identifier: within the collection, or beside it
    // under the document's root.
    std::unordered_map<std::string, const xmlNode*> embedded;
    for (const xmlNode* holder : {collection, static_cast<const xmlNode*>(xmlDocGetRootElement(&document))}) {
        for (const xmlNode* image : ChildElements(FirstChild(holder, "images"), "image")) {
            if (AttributeText(image, "link") != "true") embedded.emplace(AttributeText(image, "id"), image);
        }
    }
    // Who borrowed what: loans name the entry they belong to.
    std::unordered_map<std::string, std::string> loans;
    for (const xmlNode* borrower : ChildElements(FirstChild(collection, "borrowers"), "borrower")) {
        for (const xmlNode* loan : ChildElements(borrower, "loan")) {
            loans[AttributeText(loan, "entryRef")] = AttributeText(borrower, "name");
        }
    }

    for (const xmlNode* entry : ChildElements(collection, "entry")) {
        ImportedMovie imported;
        imported.line = LineOf(entry);
        SetText(imported, "szTitle", TellicoValue(entry, "title"));
        if (imported.movie.szTitle.empty()) {
            batch.problems.push_back({shown, imported.line, "the entry has no title"});
            continue;
        }
        std::string original = TellicoValue(entry, "origtitle");
        if (original.empty()) original = TellicoValue(entry, "original-title");
        if (original != imported.movie.szTitle) SetText(imported, "szTranslated", original);
        SetNumber(imported, "nYear", LeadingInteger(TellicoValue(entry, "year")));
        SetList(imported, "pszDirectors", TellicoValues(entry, "director"));
        SetList(imported, "pszProducers", TellicoValues(entry, "producer"));
        StringArray cast = TellicoValues(entry, "cast");
        for (std::string& actor : cast) {
            if (const std::size_t role = actor.find("::"); role != std::string::npos) actor.resize(role);
        }
        SetList(imported, "pszActors", std::move(cast));
        SetList(imported, "pszCountries", TellicoValues(entry, "nationality"));
        SetList(imported, "pszCategories", TellicoValues(entry, "genre"));
        SetList(imported, "pszLanguages", TellicoValues(entry, "language"));
        SetList(imported, "pszSubtitles", TellicoValues(entry, "subtitle"));
        SetList(imported, "pszMedia", TellicoValues(entry, "medium"));
        if (const auto minutes = ParseMinutes(TellicoValue(entry, "running-time"))) {
            SetNumber(imported, "nLength", *minutes);
        }
        SetText(imported, "szPlot", TellicoValue(entry, "plot"));
        SetList(imported, "pszComments", {ChildText(entry, "comments")});
        SetText(imported, "szURL", TellicoValue(entry, "url"));
        // Tellico rates from one to five stars.
        if (const auto stars = ParseDecimal(TellicoValue(entry, "rating"))) SetRating(imported, *stars * 2);
        SetWatched(imported, TellicoValue(entry, "seen"));
        if (const auto loan = loans.find(AttributeText(entry, "id")); loan != loans.end()) {
            SetText(imported, "szLender", loan->second);
        }

        const std::string cover = TellicoValue(entry, "cover");
        if (IsBareName(cover)) {
            PictureSource picture;
            picture.description = cover;
            if (const auto image = embedded.find(cover); image != embedded.end()) {
                if (auto bytes = DecodeBase64(NodeText(image->second)); bytes && bytes->size() <= kPictureLimit) {
                    picture.bytes = std::move(*bytes);
                }
            }
            if (picture.bytes.empty() && origin.archive) {
                if (const auto at = origin.archive->Find("images/" + cover)) {
                    std::string error;
                    if (auto bytes = origin.archive->Read(*at, kPictureLimit, error)) picture.bytes = std::move(*bytes);
                }
            }
            if (picture.bytes.empty() && !origin.folder.empty()) {
                const std::string stem = shown.substr(0, shown.find_last_of('.'));
                for (const std::string& place : {stem + "_files/" + cover, "images/" + cover}) {
                    picture.path = PictureBeside(origin.folder, place);
                    if (!picture.path.empty()) break;
                }
            }
            if (!picture.bytes.empty() || !picture.path.empty()) {
                imported.pictures.push_back(std::move(picture));
            } else {
                batch.problems.push_back({shown, imported.line,
                                          "the picture \"" + cover + "\" was not found; the movie was imported without it"});
            }
        }
        batch.movies.push_back(std::move(imported));
    }
    return batch;
}

// ---- GCstar ----------------------------------------------------------------------------------

namespace {

// A list field: "<genre><line><col>A</col></line>...</genre>", or an attribute of the item
// with the values separated by commas.
StringArray GcstarValues(const xmlNode* item, const char* field, std::size_t column = 0) {
    StringArray values;
    if (const xmlNode* element = FirstChild(item, field)) {
        const std::vector<xmlNode*> lines = ChildElements(element, "line");
        if (!lines.empty()) {
            for (const xmlNode* line : lines) {
                const std::vector<xmlNode*> columns = ChildElements(line, "col");
                if (column < columns.size()) values.push_back(NodeText(columns[column]));
            }
            return values;
        }
        return SplitLooseList(NodeText(element));
    }
    return SplitLooseList(AttributeText(item, field));
}

std::string GcstarText(const xmlNode* item, const char* field) {
    if (HasAttribute(item, field)) return AttributeText(item, field);
    return ChildText(item, field);
}

}  // namespace

ImportBatch ReadGcstar(const xmlDoc& document, const std::string& fileName,
                       const PictureOrigin& origin) {
    ImportBatch batch;
    batch.format = "GCstar";
    const std::string shown = BareName(fileName);
    const xmlNode* collection = xmlDocGetRootElement(&document);
    const std::string type = AttributeText(collection, "type");
    if (type != "GCfilms") {
        throw ImportFileError{"The GCstar file holds a collection of another kind (\"" + type +
                              "\"), not movies."};
    }
    for (const xmlNode* item : ChildElements(collection, "item")) {
        ImportedMovie imported;
        imported.line = LineOf(item);
        SetText(imported, "szTitle", GcstarText(item, "title"));
        if (imported.movie.szTitle.empty()) {
            batch.problems.push_back({shown, imported.line, "the item has no title"});
            continue;
        }
        const std::string original = GcstarText(item, "original");
        if (original != imported.movie.szTitle) SetText(imported, "szTranslated", original);
        const std::string date = GcstarText(item, "date");
        SetText(imported, "szRelease", date);
        SetNumber(imported, "nYear", YearIn(date));
        SetList(imported, "pszDirectors", GcstarValues(item, "director"));
        SetList(imported, "pszProducers", GcstarValues(item, "producer"));
        SetList(imported, "pszActors", GcstarValues(item, "actors"));
        SetList(imported, "pszCountries", GcstarValues(item, "country"));
        SetList(imported, "pszCategories", GcstarValues(item, "genre"));
        SetList(imported, "pszLanguages", GcstarValues(item, "audio"));
        SetList(imported, "pszSubtitles", GcstarValues(item, "subt"));
        SetList(imported, "pszMedia", {GcstarText(item, "format")});
        if (const auto minutes = ParseMinutes(GcstarText(item, "time"))) SetNumber(imported, "nLength", *minutes);
        SetText(imported, "szPlot", GcstarText(item, "synopsis"));
        SetList(imported, "pszComments", {GcstarText(item, "comment")});
        SetText(imported, "szURL", GcstarText(item, "webPage"));
        SetRating(imported, ParseDecimal(GcstarText(item, "rating")));
        SetWatched(imported, GcstarText(item, "seen"));
        const std::string borrower = GcstarText(item, "borrower");
        if (borrower != "none" && borrower != "0") SetText(imported, "szLender", borrower);

        const std::string image = GcstarText(item, "image");
        if (!image.empty()) {
            PictureSource picture;
            picture.description = image;
            picture.path = PictureBeside(origin.folder, image);
            if (!picture.path.empty()) {
                imported.pictures.push_back(std::move(picture));
            } else {
                batch.problems.push_back({shown, imported.line,
                                          "the picture \"" + image +
                                              "\" is not beside the file; the movie was imported without it"});
            }
        }
        batch.movies.push_back(std::move(imported));
    }
    return batch;
}

}  // namespace reelkeep
