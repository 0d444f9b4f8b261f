// Adding movies from files: drops of files and folders on the window, and attaching a file to
// a movie. Dropped files are matched by file name (a known file only moves) and by title (a
// second disc joins its movie); anything else becomes a new movie once the user confirms its
// title. The window and reelkeep-cli share this; each answers the title question its own way.
// The media facts of each file come from ReadMediaFacts, through one media helper per drop.
// What a media centre keeps beside a file (its NFO file and poster) fills the movie's fields
// that are still empty; without an NFO title, the title offered is cleaned from the file name.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalog/CatalogDatabase.h"

namespace reelkeep {

class MediaProbe;

// The title dialog's answer: the title for this file, and with "Use for all" the derived
// title for every further file of the drop that would ask.
struct TitleAnswer {
    std::string title;
    bool forAll = false;
};

// What adding files needs of the movie list.
class ImportHost {
public:
    virtual ~ImportHost() = default;
    // The movie of the list row whose title equals `title` without regard to case; 0 if none.
    virtual ObjectId FindRowByTitle(const std::string& title) = 0;
    // The title dialog: `derived` is the starting text, `titles` every record's title in
    // storage order. Nothing means Cancel, which stops the rest of the drop.
    virtual std::optional<TitleAnswer> AskTitle(const std::string& derived,
                                                const std::vector<std::string>& titles) = 0;
    // A movie was created for a file: its row goes at the end of the list, selected.
    virtual void MovieAdded(const MovieListRow& row) = 0;
    // How far the drop is: files done and files left. Reported once the dropped folders have
    // been walked (0 done) and after every file.
    virtual void Progress(std::size_t /*done*/, std::size_t /*left*/) {}
    // Asked before every file: true stops the drop there, as Cancel in the title dialog does.
    virtual bool StopRequested() { return false; }
};

// A list of rows held in memory: titles are compared without regard to case as
// EqualIgnoringCase does, the first row of a title is the one found, new movies are appended.
// The window and reelkeep-cli both find titles through it. Titles are found by their folded
// key, so that a drop of thousands of files into a catalog of thousands of movies does not
// compare every title with every other.
class ListedTitles {
public:
    explicit ListedTitles(std::vector<MovieListRow> rows);
    ObjectId Find(const std::string& title) const;
    void Append(const MovieListRow& row);
    const std::vector<MovieListRow>& Rows() const { return rows_; }

private:
    struct KeyHash {
        std::size_t operator()(const std::u32string& key) const {
            return std::hash<std::u32string_view>()(key);
        }
    };
    std::vector<MovieListRow> rows_;
    std::unordered_map<std::u32string, ObjectId, KeyHash> byKey_;
};

// The title a file's name offers, cleaned as CleanFileTitle cleans it: "My.Movie.2004.avi"
// gives "My Movie", "Film.Name.CD2.avi" gives "Film Name".
std::string DerivedTitle(const std::string& path);
// The last component of the path, extension included.
std::string BareFileName(const std::string& path);

// A file beside a dropped one that was not used (a damaged NFO, a poster that is no picture),
// and why; the dropped file was added without it.
struct DropNote {
    std::string path;
    std::string reason;
};

struct DropResult {
    bool cancelled = false;  // the user cancelled, or an error stopped the drop
    std::string error;       // a database error for an error box
    int added = 0;           // new movies
    int attached = 0;        // files joined to an existing movie
    int relocated = 0;       // records whose location moved to a known file
    int described = 0;       // files whose NFO file was read
    std::vector<DropNote> skipped;
};

// The message that names the skipped files and why; empty when nothing was skipped.
std::string DescribeSkippedFiles(const DropResult& result);

// Adds the dropped paths in order through one read-write connection, committed when the drop
// ends, whatever stopped it. Folders are walked recursively, their entries in listing order;
// each folder is entered once, so links cannot make the walk go round. Only regular files are
// added: a pipe or a device would hang the header reader or never end. The files of every
// dropped folder are listed before the first is added, so that progress can say how many are
// left; an NFO or a media centre's picture in a folder with other files is read with the file
// it describes and is not added on its own. Media facts go through `probe`, or through a
// helper of the drop's own. Posters are copied into the catalog's folder under names of its
// own. An NFO file with a title names its movie without a question.
DropResult AddDroppedPaths(const std::string& catalogFile, const std::vector<std::string>& paths,
                           ImportHost& host, MediaProbe* probe = nullptr);

// Attaches the file to the movie: location, file name, "File" medium, media facts and size.
// A movie that lists the file's name already stays as it is. False when nothing was stored.
// Throws dbException.
bool UpdateMovieFromFile(const std::string& catalogFile, ObjectId oid, const std::string& path,
                         MediaProbe* probe = nullptr);

}  // namespace reelkeep
