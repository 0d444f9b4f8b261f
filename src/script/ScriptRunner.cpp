#include "script/ScriptRunner.h"

#include <algorithm>
#include <cctype>

#include "catalog/HistoryLabels.h"
#include "platform/MessageBoxStyle.h"
#include "script/MovieGlobals.h"
#include "script/ScriptEngine.h"

namespace reelkeep {

namespace {

constexpr const char* kAppTitle = "Reelkeep";

// Titles compared as the run's list sorts them: without regard to case.
bool TitleBefore(const ScriptRunMovie& a, const ScriptRunMovie& b) {
    return std::lexicographical_compare(
        a.title.begin(), a.title.end(), b.title.begin(), b.title.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
}

}  // namespace

ScriptRunner::ScriptRunner(ScriptRun& run, std::string scriptText, std::string includeText,
                           std::string catalogFile)
    : run_(run),
      scriptText_(std::move(scriptText)),
      includeText_(std::move(includeText)),
      catalogFile_(std::move(catalogFile)) {}

std::vector<ScriptRunMovie> ScriptRunner::InRunOrder(std::vector<ScriptRunMovie> movies) {
    std::stable_sort(movies.begin(), movies.end(), TitleBefore);
    return movies;
}

int ScriptRunner::ScriptWorker(const std::vector<ScriptRunMovie>& movies) {
    ScriptRunHost& host = run_.Host();
    CatalogDatabase database(catalogFile_);
    int result = 1;
    try {
        database.Open(CatalogDatabase::Access::ReadWrite);
        // One buffer for the whole run: the script's globals point into it.
        Movie record;
        std::size_t stored = 0;
        for (std::size_t item = 0; item < movies.size() && !run_.Cancelled(); ++item) {
            host.SetItemState(item, ScriptRunHost::ItemState::Processing);
            if (!database.Fetch(movies[item].oid, record)) {
                throw dbException("The movie \"" + movies[item].title +
                                  "\" is no longer in the catalog.");
            }
            if (!RunOnMovie(database, movies[item].oid, record)) break;
            database.SetStepLabel(ScriptLabel(scriptName_, ++stored));
            host.SetItemState(item, ScriptRunHost::ItemState::Done);
            host.MovieStored(item, record.szTitle, record.bWatched);
        }
        database.Close();
    } catch (const dbException& error) {
        host.MessageBox(error.what(), kAppTitle, MB_ICONERROR);
        try {
            database.Close();  // keeps the movies finished before the error
        } catch (const dbException&) {
        }
        result = 0;
    }
    ReleaseScriptThread();
    return result;
}

bool ScriptRunner::RunOnMovie(CatalogDatabase& database, ObjectId oid, Movie& record) {
    CScriptOutput output;
    bool succeeded = false;
    {
        const ScriptEnginePtr engine = CreateScriptEngine();
        RegisterTextApi(engine.get());
        RegisterNavigatorAndUser(engine.get(), &run_);
        RegisterMovieGlobals(engine.get(), record);
        succeeded = ExecuteScript(engine.get(), includeText_, scriptText_, output, &run_.CancelFlag());
    }
    if (auto networkError = run_.TakeNetworkError()) {
        run_.Host().MessageBox(networkError->responseText, networkError->message, MB_ICONERROR);
        return false;
    }
    if (!succeeded) {
        run_.Host().MessageBox(output.Text(), kAppTitle, MB_ICONERROR);
        return false;
    }
    return database.Update(oid, record);
}

}  // namespace reelkeep
