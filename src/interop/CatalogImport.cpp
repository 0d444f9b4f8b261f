#include "interop/CatalogImport.h"

#include "catalog/HistoryLabels.h"

#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "catalog/CatalogPaths.h"
#include "catalog/HistoryLabels.h"
#include "interop/CsvImport.h"
#include "interop/FieldAssign.h"
#include "interop/PictureStore.h"
#include "platform/CaseFold.h"

namespace reelkeep {

namespace {

using Access = CatalogDatabase::Access;

constexpr std::size_t kExamples = 3;

std::string Example(const Movie& movie) {
    if (movie.nYear == 0) return movie.szTitle;
    char year[16];
    const auto end = std::to_chars(year, year + sizeof year, movie.nYear).ptr;
    return movie.szTitle + " (" + std::string(year, end) + ")";
}

// The movies of the catalog by IMDb id and by folded title, kept up to date as an import
// adds its own.
class CatalogKeys {
public:
    void Add(ObjectId oid, const Movie& movie) {
        const std::string id = ImdbId(movie.szURL);
        if (!id.empty()) byImdb_.emplace(id, oid);
        byTitle_[CaseFoldKey(movie.szTitle)].push_back({movie.nYear, oid});
    }

    ObjectId Find(const Movie& movie) const {
        const std::string id = ImdbId(movie.szURL);
        if (!id.empty()) {
            if (const auto found = byImdb_.find(id); found != byImdb_.end()) return found->second;
        }
        const auto titled = byTitle_.find(CaseFoldKey(movie.szTitle));
        if (titled == byTitle_.end()) return 0;
        for (const auto& [year, oid] : titled->second) {
            if (year == movie.nYear) return oid;
        }
        for (const auto& [year, oid] : titled->second) {
            if (year == 0 || movie.nYear == 0) return oid;
        }
        return 0;
    }

private:
    struct U32Hash {
        std::size_t operator()(const std::u32string& text) const {
            return std::hash<std::u32string_view>()(text);
        }
    };
    std::unordered_map<std::string, ObjectId> byImdb_;
    std::unordered_map<std::u32string, std::vector<std::pair<std::int32_t, ObjectId>>, U32Hash> byTitle_;
};

CatalogKeys ReadKeys(CatalogDatabase& database) {
    CatalogKeys keys;
    database.ForEach([&keys](ObjectId oid, const Movie& movie) { keys.Add(oid, movie); });
    return keys;
}

// The store decides these: the catalog number and the day a movie joined the catalog.
bool KeptByCatalog(const MovieField& field) {
    return field.name == "nIndex" || field.name == "dtAdded";
}

class Importer {
public:
    Importer(const std::string& folder, ImportSummary& summary) : folder_(folder), summary_(summary) {}

    ~Importer() {
        if (!kept_) {
            for (const std::string& name : stored_) unlink((folder_ + name).c_str());
        }
    }

    void Keep() { kept_ = true; }

    // Copies the movie's pictures into the folder; the names of those stored.
    StringArray StorePictures(const ImportedMovie& imported) {
        StringArray names;
        for (const PictureSource& source : imported.pictures) {
            const StoredPicture picture = StorePicture(folder_, source);
            if (picture.name.empty()) {
                summary_.pictureProblems.push_back({{}, imported.line, picture.error});
                continue;
            }
            stored_.push_back(picture.name);
            names.push_back(picture.name);
        }
        return names;
    }

private:
    std::string folder_;
    ImportSummary& summary_;
    std::vector<std::string> stored_;
    bool kept_ = false;
};

}  // namespace

ImportPreview PreviewImport(const std::string& catalogFile, const ImportBatch& batch) {
    ImportPreview preview;
    CatalogKeys keys;
    if (std::filesystem::exists(catalogFile)) {
        CatalogDatabase database(catalogFile);
        database.Open(Access::ReadOnly);
        keys = ReadKeys(database);
        database.Close();
    }
    ObjectId next = 0xFFFFFFFFu;  // stands for the movies the import itself adds
    for (const ImportedMovie& imported : batch.movies) {
        if (keys.Find(imported.movie) != 0) {
            ++preview.existingCount;
            if (preview.existingExamples.size() < kExamples) {
                preview.existingExamples.push_back(Example(imported.movie));
            }
            continue;
        }
        ++preview.newCount;
        if (preview.newExamples.size() < kExamples) preview.newExamples.push_back(Example(imported.movie));
        keys.Add(next--, imported.movie);
    }
    return preview;
}

ImportSummary ApplyImport(const std::string& catalogFolder, const ImportBatch& batch,
                          ExistingMovies existing, const ImportProgress& progress) {
    ImportSummary summary;
    CatalogDatabase database(CatalogFilePath(catalogFolder));
    Importer importer(catalogFolder, summary);
    const auto giveUp = [&] {
        database.Abandon();
        summary.addedIds.clear();
        summary.added = summary.filled = summary.replaced = summary.skipped = summary.unchanged = 0;
    };
    try {
        database.Open(Access::ReadWrite);
        CatalogKeys keys = ReadKeys(database);
        const std::size_t total = batch.movies.size();
        for (std::size_t done = 0; done < total; ++done) {
            if (progress && !progress(done, total)) {
                giveUp();
                summary.cancelled = true;
                return summary;
            }
            const ImportedMovie& imported = batch.movies[done];
            const ObjectId match = keys.Find(imported.movie);
            if (match == 0) {
                Movie movie = imported.movie;
                for (std::string& name : importer.StorePictures(imported)) {
                    movie.pszPictures.push_back(std::move(name));
                }
                const ObjectId oid = database.Insert(movie);
                keys.Add(oid, movie);
                summary.addedIds.push_back(oid);
                ++summary.added;
                continue;
            }
            if (existing == ExistingMovies::Skip) {
                ++summary.skipped;
                continue;
            }
            Movie movie;
            if (!database.Fetch(match, movie)) continue;
            const Movie before = movie;
            for (const MovieField& field : MovieFields()) {
                if (KeptByCatalog(field) || !imported.IsGiven(field)) continue;
                if (existing == ExistingMovies::Replace || IsEmptyField(field, movie)) {
                    CopyField(field, imported.movie, movie);
                }
            }
            if (!imported.pictures.empty() &&
                (existing == ExistingMovies::Replace || before.pszPictures.empty())) {
                StringArray names = importer.StorePictures(imported);
                if (!names.empty()) {
                    if (existing == ExistingMovies::Replace) movie.pszPictures.clear();
                    for (std::string& name : names) movie.pszPictures.push_back(std::move(name));
                }
            }
            if (movie == before) {
                ++summary.unchanged;
                continue;
            }
            database.Update(match, movie);
            ++(existing == ExistingMovies::Replace ? summary.replaced : summary.filled);
        }
        if (progress && !progress(total, total)) {
            giveUp();
            summary.cancelled = true;
            return summary;
        }
        database.SetStepLabel(ImportLabel(summary.added + summary.filled + summary.replaced));
        database.Close();
        importer.Keep();
    } catch (const dbException& error) {
        giveUp();
        summary.error = error.what();
    }
    return summary;
}

namespace {

std::string Count(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) text += (i ? ", " : "") + items[i];
    return text;
}

std::string ProblemLines(const std::vector<ImportProblem>& problems) {
    constexpr std::size_t kShown = 20;
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < kShown; ++i) {
        const ImportProblem& problem = problems[i];
        text += "  ";
        if (!problem.file.empty()) text += problem.file + " ";
        if (problem.line) text += "line " + std::to_string(problem.line) + ": ";
        text += problem.reason + "\n";
    }
    if (problems.size() > kShown) {
        text += "  ... and " + std::to_string(problems.size() - kShown) + " more\n";
    }
    return text;
}

std::string ReadingNotes(const ImportBatch& batch) {
    std::string text;
    if (batch.leftOut) {
        text += Count(batch.leftOut, "entry", "entries") + " left out: not films (" +
                batch.leftOutWhat + ").\n";
    }
    if (!batch.unmatchedColumns.empty()) {
        text += "Columns skipped (no field of that name): " + Joined(batch.unmatchedColumns) + ".\n";
    }
    if (!batch.problems.empty()) {
        text += Count(batch.problems.size(), "row or entry", "rows or entries") +
                " could not be read and " + (batch.problems.size() == 1 ? "was" : "were") +
                " skipped:\n" + ProblemLines(batch.problems);
    }
    return text;
}

}  // namespace

std::string DescribePreview(const ImportBatch& batch, const ImportPreview& preview) {
    std::string text = "Read " + Count(batch.movies.size(), "movie", "movies") + " (" +
                       (batch.format.empty() ? "nothing" : batch.format) + ").\n";
    text += Count(preview.newCount, "movie is", "movies are") + " new";
    text += preview.newExamples.empty() ? ".\n" : ", for example " + Joined(preview.newExamples) + ".\n";
    text += Count(preview.existingCount, "movie is", "movies are") + " already in the catalog";
    text += preview.existingExamples.empty() ? ".\n"
                                             : ", for example " + Joined(preview.existingExamples) + ".\n";
    return text + ReadingNotes(batch);
}

std::string DescribeSummary(const ImportBatch& batch, const ImportSummary& summary) {
    if (summary.cancelled) return "The import was cancelled; nothing was stored.\n";
    if (!summary.error.empty()) return "Nothing was imported: " + summary.error + "\n";
    std::string text = Count(summary.added, "movie", "movies") + " added";
    if (summary.filled) text += ", " + Count(summary.filled, "movie", "movies") + " filled in";
    if (summary.replaced) text += ", " + Count(summary.replaced, "movie", "movies") + " replaced";
    if (summary.skipped) text += ", " + Count(summary.skipped, "movie", "movies") + " already in the catalog skipped";
    if (summary.unchanged) text += ", " + Count(summary.unchanged, "movie", "movies") + " already as the file has them";
    text += ".\n" + ReadingNotes(batch);
    if (!summary.pictureProblems.empty()) {
        text += Count(summary.pictureProblems.size(), "picture", "pictures") + " not stored:\n" +
                ProblemLines(summary.pictureProblems);
    }
    return text;
}

}  // namespace reelkeep
