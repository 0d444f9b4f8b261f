#include "import/MovieImport.h"

#include <algorithm>
#include <cctype>

#include <unistd.h>

#include "catalog/HistoryLabels.h"
#include "import/FactsPrefetch.h"
#include "import/FileNeighbours.h"
#include "import/FolderWalk.h"
#include "interop/FileTitle.h"
#include "interop/NfoFile.h"
#include "interop/PictureStore.h"
#include "media/MediaFacts.h"
#include "media/MediaProbe.h"
#include "platform/CaseFold.h"

namespace reelkeep {

namespace {

using Access = CatalogDatabase::Access;

constexpr char kFileMedium[] = "File";

enum class Outcome { GoOn, Cancelled };

// How many skipped files the message names one by one.
constexpr std::size_t kNamedSkips = 20;

// What the files beside one dropped file say about its movie.
struct Described {
    ImportedMovie nfo;   // the fields its NFO gave; none without a readable NFO
    std::string poster;  // the poster to copy, or empty

    bool Titled() const { return nfo.IsGiven(*FindMovieField("szTitle")); }
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

class Drop {
public:
    // With `secondHelper`, a big drop reads facts on two helpers at once.
    Drop(CatalogDatabase& database, const std::string& catalogFolder, ImportHost& host,
         MediaProbe& probe, bool secondHelper, DropResult& result)
        : database_(database), catalogFolder_(catalogFolder), host_(host), probe_(probe),
          secondHelper_(secondHelper), result_(result) {}

    // Every regular file the dropped paths stand for, folders walked, in drop order.
    Outcome ListFiles(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            const FolderEntry entry = DescribePath(path);
            if (entry.folder) {
                if (ListFolderFiles(entry.path) == Outcome::Cancelled)
                    return Outcome::Cancelled;
            } else if (entry.regularFile) {
                files_.push_back(entry.path);
            }
        }
        // A media centre's files describe the movies beside them; they are read with those.
        std::erase_if(files_, [this](const std::string& file) { return neighbours_.Describes(file); });
        return Outcome::GoOn;
    }

    Outcome AddFiles() {
        host_.Progress(0, files_.size());
        StartPrefetch();
        for (std::size_t done = 0; done < files_.size(); ++done) {
            if (host_.StopRequested() || AddFile(done) == Outcome::Cancelled)
                return Outcome::Cancelled;
            host_.Progress(done + 1, files_.size() - done - 1);
        }
        return Outcome::GoOn;
    }

private:
    Outcome ListFolderFiles(const std::string& folder) {
        // A walk through a large tree can be stopped too.
        if (host_.StopRequested())
            return Outcome::Cancelled;
        if (!EnterFolderOnce(folder, visited_))
            return Outcome::GoOn;
        for (const FolderEntry& entry : ListFolder(folder)) {
            if (entry.folder) {
                if (ListFolderFiles(entry.path) == Outcome::Cancelled)
                    return Outcome::Cancelled;
            } else if (entry.regularFile) {
                files_.push_back(entry.path);
            }
        }
        return Outcome::GoOn;
    }

    // Files whose names the catalog knows only move; the others need their facts.
    void StartPrefetch() {
        if (!secondHelper_)
            return;
        std::vector<bool> wanted(files_.size());
        std::size_t count = 0;
        for (std::size_t i = 0; i < files_.size(); ++i) {
            wanted[i] = database_.SelectByFilename(BareFileName(files_[i])).empty();
            count += wanted[i];
        }
        if (count >= FactsPrefetch::kLeastFiles)
            prefetch_.emplace(files_, std::move(wanted), probe_);
    }

    MediaFacts FactsOf(std::size_t index) {
        return prefetch_ ? prefetch_->Take(index) : ReadMediaFacts(files_[index], probe_);
    }

    // The NFO and poster beside the file; a damaged NFO is named in the result and ignored.
    Described Describe(const std::string& path) {
        Described described;
        const Neighbours found = neighbours_.Of(path);
        if (!found.nfo.empty()) {
            NfoDetails details = ReadNfoFile(found.nfo);
            if (details.error.empty()) {
                described.nfo = std::move(details.movie);
                ++result_.described;
            } else {
                result_.skipped.push_back({found.nfo, std::move(details.error)});
            }
        }
        described.poster = found.poster;
        return described;
    }

    // Fills the movie's empty fields from the NFO, and gives a movie without pictures the
    // poster. The name of a poster stored here, so that a failed store can take it away again.
    std::string FillFrom(const Described& described, Movie& movie) {
        FillEmptyFields(described.nfo, movie);
        if (described.poster.empty() || !movie.pszPictures.empty())
            return {};
        const StoredPicture picture =
            StorePicture(catalogFolder_, {BareFileName(described.poster), {}, described.poster});
        if (picture.name.empty()) {
            std::string reason = picture.error + ".";
            reason.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(reason.front())));
            result_.skipped.push_back({described.poster, std::move(reason)});
            return {};
        }
        movie.pszPictures.push_back(picture.name);
        return picture.name;
    }

    // Update and Insert that take a freshly copied poster away when the record is not stored.
    void Store(ObjectId oid, const Movie& movie, const std::string& poster) {
        try {
            database_.Update(oid, movie);
        } catch (...) {
            Unstore(poster);
            throw;
        }
    }
    ObjectId Store(Movie& movie, const std::string& poster) {
        try {
            return database_.Insert(movie);
        } catch (...) {
            Unstore(poster);
            throw;
        }
    }
    void Unstore(const std::string& poster) {
        if (!poster.empty())
            ::unlink((catalogFolder_ + poster).c_str());
    }

    Outcome AddFile(std::size_t index) {
        const std::string& path = files_[index];
        const std::string name = BareFileName(path);
        const Described described = Describe(path);
        const std::vector<ObjectId> known = database_.SelectByFilename(name);
        if (!known.empty()) {
            // The files moved: every movie that lists the name follows them, and what lies
            // beside them fills only what is still empty.
            for (const ObjectId oid : known) {
                Movie movie;
                if (!database_.Fetch(oid, movie))
                    continue;
                movie.szLocation = path;
                Store(oid, movie, FillFrom(described, movie));
                ++result_.relocated;
            }
            return Outcome::GoOn;
        }

        const FileTitle fromName = CleanFileTitle(name);
        // A media centre's NFO has named the movie already: no question.
        const bool titled = described.Titled();
        std::string title = titled ? described.nfo.movie.szTitle : fromName.title;
        ObjectId match = host_.FindRowByTitle(title);
        if (match == 0 && !titled && !derivedForAll_) {
            std::vector<std::string> titles;
            for (const MovieListRow& row : database_.SelectListRows()) titles.push_back(row.title);
            std::optional<TitleAnswer> answer = host_.AskTitle(title, titles);
            if (!answer)
                return Outcome::Cancelled;
            title = std::move(answer->title);
            derivedForAll_ = answer->forAll;
            match = host_.FindRowByTitle(title);
        }

        const MediaFacts facts = FactsOf(index);
        const auto size = static_cast<std::int64_t>(facts.size.value_or(0));
        Movie movie;
        if (match != 0 && database_.Fetch(match, movie)) {
            ApplyMediaFacts(facts, movie);
            movie.pszFilenames.push_back(name);
            movie.pnSizes.push_back(size);
            Store(match, movie, FillFrom(described, movie));
            ++result_.attached;
            return Outcome::GoOn;
        }
        movie = Movie();
        movie.szTitle = title;
        movie.szLocation = path;
        movie.pszMedia.push_back(kFileMedium);
        movie.pszFilenames.push_back(name);
        const std::string poster = FillFrom(described, movie);
        ApplyMediaFacts(facts, movie);
        if (movie.nYear == 0)
            movie.nYear = fromName.year;
        movie.pnSizes.push_back(size);
        const ObjectId oid = Store(movie, poster);
        host_.MovieAdded({oid, movie.szTitle, movie.bWatched});
        ++result_.added;
        return Outcome::GoOn;
    }

    CatalogDatabase& database_;
    std::string catalogFolder_;
    ImportHost& host_;
    MediaProbe& probe_;
    bool secondHelper_;
    DropResult& result_;
    VisitedFolders visited_;
    FileNeighbours neighbours_;
    std::vector<std::string> files_;
    bool derivedForAll_ = false;  // "Use for all" was chosen: no more questions
    std::optional<FactsPrefetch> prefetch_;  // last: it reads files_ until it is gone
};

}  // namespace

ListedTitles::ListedTitles(std::vector<MovieListRow> rows) : rows_(std::move(rows)) {
    byKey_.reserve(rows_.size());
    for (const MovieListRow& row : rows_) byKey_.emplace(CaseFoldKey(row.title), row.oid);
}

ObjectId ListedTitles::Find(const std::string& title) const {
    const auto found = byKey_.find(CaseFoldKey(title));
    return found == byKey_.end() ? 0 : found->second;
}

void ListedTitles::Append(const MovieListRow& row) {
    rows_.push_back(row);
    byKey_.emplace(CaseFoldKey(row.title), row.oid);
}

std::string BareFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DerivedTitle(const std::string& path) {
    return CleanFileTitle(BareFileName(path)).title;
}

std::string DescribeSkippedFiles(const DropResult& result) {
    if (result.skipped.empty())
        return {};
    std::string text = "These files beside the dropped movies were skipped; the movies were added "
                       "without them:\n";
    for (std::size_t i = 0; i < result.skipped.size() && i < kNamedSkips; ++i) {
        text += "\n" + result.skipped[i].path + ": " + result.skipped[i].reason;
    }
    if (result.skipped.size() > kNamedSkips)
        text += "\n... and " + std::to_string(result.skipped.size() - kNamedSkips) + " more.";
    return text;
}

DropResult AddDroppedPaths(const std::string& catalogFile, const std::vector<std::string>& paths,
                           ImportHost& host, MediaProbe* probe) {
    DropResult result;
    if (catalogFile.empty())
        return result;
    // A caller's own helper is the only one; without one, a big drop gets two.
    const bool secondHelper = probe == nullptr;
    std::optional<MediaProbe> ownProbe;
    if (!probe)
        probe = &ownProbe.emplace();
    CatalogDatabase database(catalogFile);
    try {
        database.Open(Access::ReadWrite);
        Drop drop(database, FolderOf(catalogFile), host, *probe, secondHelper, result);
        if (drop.ListFiles(paths) == Outcome::Cancelled || drop.AddFiles() == Outcome::Cancelled)
            result.cancelled = true;
    } catch (const dbException& error) {
        result.cancelled = true;
        result.error = error.what();
    }
    // Whatever stopped the drop, the work done so far is kept.
    database.SetStepLabel(DropLabel(static_cast<std::size_t>(result.added + result.attached + result.relocated)));
    try {
        database.Close();
    } catch (const dbException& error) {
        if (result.error.empty())
            result.error = error.what();
        result.cancelled = true;
    }
    return result;
}

bool UpdateMovieFromFile(const std::string& catalogFile, ObjectId oid, const std::string& path,
                         MediaProbe* probe) {
    if (catalogFile.empty())
        throw dbException("No catalog folder has been chosen.");
    CatalogDatabase database(catalogFile);
    database.Open(Access::ReadWrite);
    Movie movie;
    if (!database.Fetch(oid, movie)) {
        database.Close();
        return false;
    }
    const std::string name = BareFileName(path);
    if (std::find(movie.pszFilenames.begin(), movie.pszFilenames.end(), name) !=
        movie.pszFilenames.end()) {
        database.Close();
        return false;
    }
    movie.szLocation = path;
    movie.pszFilenames.push_back(name);
    if (std::find(movie.pszMedia.begin(), movie.pszMedia.end(), kFileMedium) ==
        movie.pszMedia.end()) {
        movie.pszMedia.push_back(kFileMedium);
    }
    std::optional<MediaProbe> ownProbe;
    if (!probe)
        probe = &ownProbe.emplace();
    const MediaFacts facts = ReadMediaFacts(path, *probe);
    ApplyMediaFacts(facts, movie);
    movie.pnSizes.push_back(static_cast<std::int64_t>(facts.size.value_or(0)));
    database.Update(oid, movie);
    database.SetStepLabel(FileUpdateLabel(movie.szTitle));
    database.Close();
    return true;
}

}  // namespace reelkeep
