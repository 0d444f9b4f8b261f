#include "interop/CsvImport.h"

#include <algorithm>
#include <cctype>

#include "interop/Csv.h"
#include "interop/FieldAssign.h"
#include "interop/FieldValues.h"

namespace reelkeep {

namespace {

enum class Kind { Spreadsheet, Imdb, Letterboxd };

enum class Special { None, ImdbConst, TitleType, YourRating, ImdbRating, LetterboxdRating };

struct ColumnUse {
    const MovieField* field = nullptr;
    Special special = Special::None;
    ListStyle style = ListStyle::Loose;
};

std::string Folded(std::string_view text) {
    std::string folded;
    for (const char c : Trimmed(text)) {
        folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

// Column names other than our field names: the labels of our pages and the columns of the
// IMDb and Letterboxd exports, in lower case.
constexpr std::pair<std::string_view, std::string_view> kColumnNames[] = {
    {"title", "szTitle"},           {"name", "szTitle"},
    {"translated title", "szTranslated"}, {"original title", "szTranslated"},
    {"year", "nYear"},              {"length", "nLength"},
    {"runtime (mins)", "nLength"},  {"running time", "nLength"},
    {"runtime", "nLength"},         {"rating", "fRating"},
    {"categories", "pszCategories"}, {"genres", "pszCategories"},
    {"genre", "pszCategories"},     {"comments", "pszComments"},
    {"directors", "pszDirectors"},  {"directed by", "pszDirectors"},
    {"director", "pszDirectors"},   {"producers", "pszProducers"},
    {"produced by", "pszProducers"}, {"actors", "pszActors"},
    {"starring", "pszActors"},      {"cast", "pszActors"},
    {"countries", "pszCountries"},  {"country", "pszCountries"},
    {"languages", "pszLanguages"},  {"subtitles", "pszSubtitles"},
    {"release", "szRelease"},       {"release date", "szRelease"},
    {"web page", "szURL"},          {"url", "szURL"},
    {"letterboxd uri", "szURL"},    {"media", "pszMedia"},
    {"location", "szLocation"},     {"lent to", "szLender"},
    {"pictures", "pszPictures"},    {"video codec", "szVideo"},
    {"audio codec", "szAudio"},     {"video", "szVideo"},
    {"audio", "szAudio"},           {"width", "nWidth"},
    {"height", "nHeight"},          {"frame rate", "fFPS"},
    {"seen", "bWatched"},           {"watched", "bWatched"},
    {"plot", "szPlot"},             {"files", "pszFilenames"},
    {"catalog number", "nIndex"},
};

ColumnUse UseOfColumn(std::string_view header, Kind kind) {
    // Our own field names first: they carry lists exactly.
    for (const MovieField& field : MovieFields()) {
        if (Folded(field.name) == Folded(header)) return {&field, Special::None, ListStyle::Exact};
    }
    const std::string name = Folded(header);
    if (name == "const") return {nullptr, Special::ImdbConst};
    if (name == "title type") return {nullptr, Special::TitleType};
    if (name == "your rating") return {nullptr, Special::YourRating};
    if (name == "imdb rating") return {nullptr, Special::ImdbRating};
    if (name == "rating" && kind == Kind::Letterboxd) return {nullptr, Special::LetterboxdRating};
    for (const auto& [column, field] : kColumnNames) {
        if (column == name) return {FindMovieField(field), Special::None, ListStyle::Loose};
    }
    return {};
}

bool HasColumn(const std::vector<std::string>& header, std::string_view lower) {
    return std::any_of(header.begin(), header.end(),
                       [lower](const std::string& cell) { return Folded(cell) == lower; });
}

Kind KindOf(const std::vector<std::string>& header) {
    if (HasColumn(header, "letterboxd uri")) return Kind::Letterboxd;
    if (HasColumn(header, "const") &&
        (HasColumn(header, "title type") || HasColumn(header, "your rating") ||
         HasColumn(header, "imdb rating"))) {
        return Kind::Imdb;
    }
    return Kind::Spreadsheet;
}

// Series, episodes and games are not films; films, TV films, videos and shorts are.
bool IsFilmType(std::string_view type) {
    const std::string folded = Folded(type);
    for (const std::string_view notFilm : {"series", "episode", "game", "podcast"}) {
        if (folded.find(notFilm) != std::string::npos) return false;
    }
    return true;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string BareName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ImdbId(std::string_view text) {
    for (std::size_t at = text.find("tt"); at != std::string_view::npos;
         at = text.find("tt", at + 1)) {
        std::size_t end = at + 2;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        const bool startsWord = at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1]));
        const bool endsWord = end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end]));
        if (end - at >= 9 && startsWord && endsWord) return std::string(text.substr(at, end - at));
    }
    return {};
}

std::string ImdbUrl(std::string_view id) {
    return "https://www.imdb.com/title/" + std::string(id) + "/";
}

ImportBatch ReadCsvMovies(std::string_view bytes, const std::string& fileName) {
    ImportBatch batch;
    const CsvTable table = ReadCsv(bytes);
    const std::string shownName = BareName(fileName);
    if (table.records.empty()) {
        batch.format = "CSV";
        if (table.unclosedQuoteLine) {
            batch.problems.push_back({shownName, table.unclosedQuoteLine,
                                      "a quoted cell that starts here is never closed"});
        }
        return batch;
    }
    const std::vector<std::string>& header = table.records.front().cells;
    const Kind kind = KindOf(header);
    batch.format = kind == Kind::Imdb         ? "IMDb list"
                   : kind == Kind::Letterboxd ? "Letterboxd"
                                              : "CSV";
    if (kind == Kind::Imdb) batch.leftOutWhat = "series, episodes and games";
    const bool watchlist =
        kind == Kind::Letterboxd && EndsWith(Folded(BareName(fileName)), "watchlist.csv");

    std::vector<ColumnUse> uses;
    std::vector<bool> fieldTaken(kMovieFieldCount, false);
    std::vector<bool> specialTaken(8, false);
    for (const std::string& column : header) {
        ColumnUse use = UseOfColumn(column, kind);
        bool duplicate = false;
        if (use.field) {
            duplicate = fieldTaken[FieldPosition(*use.field)];
            fieldTaken[FieldPosition(*use.field)] = true;
        } else if (use.special != Special::None) {
            duplicate = specialTaken[static_cast<std::size_t>(use.special)];
            specialTaken[static_cast<std::size_t>(use.special)] = true;
        }
        if (duplicate) use = {};
        if (!use.field && use.special == Special::None && !Trimmed(column).empty()) {
            batch.unmatchedColumns.push_back(std::string(Trimmed(column)));
        }
        uses.push_back(use);
    }
    const bool anyUsed = std::any_of(uses.begin(), uses.end(), [](const ColumnUse& use) {
        return use.field || use.special != Special::None;
    });
    if (!anyUsed) {
        throw ImportFileError{"\"" + shownName +
                              "\" is not a file Reelkeep can import: it is no zip archive, no "
                              "catalog in XML, and no column of its first row names a field."};
    }
    const MovieField& rating = *FindMovieField("fRating");
    const MovieField& watched = *FindMovieField("bWatched");
    const MovieField& url = *FindMovieField("szURL");
    const MovieField& index = *FindMovieField("nIndex");

    for (std::size_t r = 1; r < table.records.size(); ++r) {
        const CsvRecord& record = table.records[r];
        ImportedMovie imported;
        imported.line = record.line;
        std::string problem, constId, titleType, yourRating, imdbRating, boxdRating;
        for (std::size_t c = 0; c < record.cells.size() && problem.empty(); ++c) {
            if (c >= uses.size()) {
                if (!Trimmed(record.cells[c]).empty()) problem = "the row has more cells than the header";
                break;
            }
            const ColumnUse& use = uses[c];
            const std::string& cell = record.cells[c];
            switch (use.special) {
                case Special::ImdbConst: constId = Trimmed(cell); continue;
                case Special::TitleType: titleType = Trimmed(cell); continue;
                case Special::YourRating: yourRating = Trimmed(cell); continue;
                case Special::ImdbRating: imdbRating = Trimmed(cell); continue;
                case Special::LetterboxdRating: boxdRating = Trimmed(cell); continue;
                case Special::None: break;
            }
            if (!use.field || use.field == &index) continue;  // the catalog numbers its movies
            if (auto error = AssignField(imported, *use.field, cell, use.style)) {
                problem = "\"" + std::string(Trimmed(header[c])) + "\" " + *error;
            }
        }
        if (problem.empty() && !titleType.empty() && !IsFilmType(titleType)) {
            ++batch.leftOut;
            continue;
        }
        // The ratings: yours over the site's on IMDb; five stars in halves on Letterboxd.
        const std::string& imdbChosen = !yourRating.empty() ? yourRating : imdbRating;
        if (problem.empty() && !imdbChosen.empty()) {
            if (auto error = AssignField(imported, rating, imdbChosen, ListStyle::Loose)) {
                problem = "\"" + std::string(!yourRating.empty() ? "Your Rating" : "IMDb Rating") +
                          "\" " + *error;
            }
        }
        if (problem.empty() && !boxdRating.empty()) {
            const std::optional<double> stars = ParseDecimal(boxdRating);
            if (!stars || *stars < 0 || *stars > 5) {
                problem = "\"Rating\" \"" + boxdRating + "\" is not a rating from 0.5 to 5";
            } else {
                imported.movie.fRating = static_cast<float>(*stars * 2);
                imported.Given(rating);
            }
        }
        if (problem.empty() && imported.movie.szTitle.empty()) problem = "the row has no title";
        if (!problem.empty()) {
            batch.problems.push_back({shownName, record.line, problem});
            continue;
        }
        if (kind == Kind::Imdb) {
            // The original title is worth keeping only where it differs.
            if (imported.movie.szTranslated == imported.movie.szTitle) {
                imported.movie.szTranslated.clear();
                imported.given.reset(FieldPosition(*FindMovieField("szTranslated")));
            }
            if (!yourRating.empty()) {
                imported.movie.bWatched = true;
                imported.Given(watched);
            }
            const std::string id = ImdbId(constId);
            if (!imported.IsGiven(url) && !id.empty()) {
                imported.movie.szURL = ImdbUrl(id);
                imported.Given(url);
            }
        }
        // Everything Letterboxd lists but the watchlist has been seen.
        if (kind == Kind::Letterboxd) {
            imported.joinsByTitle = true;
            if (!watchlist) {
                imported.movie.bWatched = true;
                imported.Given(watched);
            }
        }
        batch.movies.push_back(std::move(imported));
    }
    if (table.unclosedQuoteLine) {
        batch.problems.push_back({shownName, table.unclosedQuoteLine,
                                  "a quoted cell that starts here is never closed; the rest of "
                                  "the file was not read"});
    }
    return batch;
}

}  // namespace reelkeep
