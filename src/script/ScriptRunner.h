// One run of a script over a set of movies, on the calling (worker) thread: a fresh engine per
// movie, the movie's fields bound as globals, the record stored only when everything succeeded.
#pragma once

#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "script/ScriptRun.h"

namespace reelkeep {

struct ScriptRunMovie {
    ObjectId oid = 0;
    std::string title;
};

class ScriptRunner {
public:
    ScriptRunner(ScriptRun& run, std::string scriptText, std::string includeText,
                 std::string catalogFile);

    // What the catalog's history calls the run: "Script "NAME" on 12 Movies".
    void SetScriptName(std::string name) { scriptName_ = std::move(name); }

    // The order in which a run processes movies, and in which the host numbers them:
    // ascending by title without regard to case, as the run's list sorts them.
    static std::vector<ScriptRunMovie> InRunOrder(std::vector<ScriptRunMovie> movies);

    // Processes `movies` (already in run order) on its own read-write connection, stopping at
    // the first movie that fails or once the run is cancelled; closing the connection keeps
    // every movie that succeeded.
    // Returns 1 when the loop ended, also after a failed movie; 0 after a database error.
    int ScriptWorker(const std::vector<ScriptRunMovie>& movies);

    // Runs the script for the record loaded at `oid` and stores it on success.
    bool RunOnMovie(CatalogDatabase& database, ObjectId oid, Movie& record);

private:
    ScriptRun& run_;
    std::string scriptText_;
    std::string includeText_;
    std::string catalogFile_;
    std::string scriptName_ = "Script";
};

}  // namespace reelkeep
