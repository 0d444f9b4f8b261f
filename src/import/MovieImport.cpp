#include "import/MovieImport.h"

#include <algorithm>

#include "import/FactsPrefetch.h"
#include "import/FolderWalk.h"
#include "media/MediaFacts.h"
#include "media/MediaProbe.h"
#include "platform/CaseFold.h"

namespace reelkeep {

namespace {

using Access = CatalogDatabase::Access;

constexpr char kFileMedium[] = "File";

enum class Outcome { GoOn, Cancelled };

class Drop {
public:
    // With `secondHelper`, a big drop reads facts on two helpers at once.
    Drop(CatalogDatabase& database, ImportHost& host, MediaProbe& probe, bool secondHelper,
         DropResult& result)
        : database_(database), host_(host), probe_(probe), secondHelper_(secondHelper),
          result_(result) {}

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

    Outcome AddFile(std::size_t index) {
        const std::string& path = files_[index];
        const std::string name = BareFileName(path);
        const std::vector<ObjectId> known = database_.SelectByFilename(name);
        if (!known.empty()) {
            // The files moved: every movie that lists the name follows them.
            for (const ObjectId oid : known) {
                Movie movie;
                if (!database_.Fetch(oid, movie))
                    continue;
                movie.szLocation = path;
                database_.Update(oid, movie);
                ++result_.relocated;
            }
            return Outcome::GoOn;
        }

        std::string title = DerivedTitle(path);
        ObjectId match = host_.FindRowByTitle(title);
        if (match == 0 && !derivedForAll_) {
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
            database_.Update(match, movie);
            ++result_.attached;
            return Outcome::GoOn;
        }
        movie = Movie();
        movie.szTitle = title;
        movie.szLocation = path;
        movie.pszMedia.push_back(kFileMedium);
        movie.pszFilenames.push_back(name);
        ApplyMediaFacts(facts, movie);
        movie.pnSizes.push_back(size);
        const ObjectId oid = database_.Insert(movie);
        host_.MovieAdded({oid, movie.szTitle, movie.bWatched});
        ++result_.added;
        return Outcome::GoOn;
    }

    CatalogDatabase& database_;
    ImportHost& host_;
    MediaProbe& probe_;
    bool secondHelper_;
    DropResult& result_;
    VisitedFolders visited_;
    std::vector<std::string> files_;
    bool derivedForAll_ = false;  // "Use for all" was chosen: no more questions
    std::optional<FactsPrefetch> prefetch_;  // last: it reads files_ until it is gone
};

}  // namespace

ObjectId ListedTitles::Find(const std::string& title) const {
    const auto same = [&title](const MovieListRow& row) {
        return EqualIgnoringCase(row.title, title);
    };
    const auto found = std::find_if(rows_.begin(), rows_.end(), same);
    return found == rows_.end() ? 0 : found->oid;
}

std::string BareFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DerivedTitle(const std::string& path) {
    std::string title = BareFileName(path);
    const std::size_t dot = title.find_last_of('.');
    if (dot != std::string::npos)
        title.erase(dot);
    std::replace(title.begin(), title.end(), '.', ' ');
    return title;
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
        Drop drop(database, host, *probe, secondHelper, result);
        if (drop.ListFiles(paths) == Outcome::Cancelled || drop.AddFiles() == Outcome::Cancelled)
            result.cancelled = true;
    } catch (const dbException& error) {
        result.cancelled = true;
        result.error = error.what();
    }
    // Whatever stopped the drop, the work done so far is kept.
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
    database.Close();
    return true;
}

}  // namespace reelkeep
