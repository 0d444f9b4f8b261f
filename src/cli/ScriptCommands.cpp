// scripts, run-script: the user's scripts without a window.
#include <unistd.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <cstdio>
#include <ostream>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "cli/CliCommand.h"
#include "cli/CliScriptHost.h"
#include "cli/RunCanceller.h"
#include "platform/Folders.h"
#include "script/ScriptFiles.h"
#include "script/ScriptRunner.h"

namespace reelkeep::cli {

namespace {

struct ScriptOptions {
    std::string scriptsFolder = DefaultScriptsFolder();
    std::uint32_t timeout = 0;
    std::optional<std::chrono::milliseconds> maxTime;  // the whole run's, when limited
    std::vector<std::string> rest;
};

std::chrono::milliseconds ParseSeconds(const std::string& text) {
    double seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (ec != std::errc() || end != text.data() + text.size() || !(seconds > 0) ||
        seconds > 1e9) {
        throw UsageError("--max-time takes a number of seconds greater than 0");
    }
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(seconds * 1000)));
}

ScriptOptions ParseScriptOptions(std::span<const std::string> args) {
    ScriptOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--scripts" && hasValue) {
            options.scriptsFolder = WithTrailingSlash(args[++i]);
        } else if (args[i] == "--timeout" && hasValue) {
            const std::string& text = args[++i];
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), options.timeout);
            if (ec != std::errc() || end != text.data() + text.size()) {
                throw UsageError("--timeout takes milliseconds");
            }
        } else if (args[i] == "--max-time" && hasValue) {
            options.maxTime = ParseSeconds(args[++i]);
        } else if (args[i].rfind("--", 0) == 0) {
            throw UsageError("unknown option " + args[i]);
        } else {
            options.rest.push_back(args[i]);
        }
    }
    return options;
}

int Scripts(CliContext& context, std::span<const std::string> args) {
    const ScriptOptions options = ParseScriptOptions(args);
    if (!options.rest.empty()) throw UsageError("scripts takes no arguments");
    for (const ScriptEntry& script : FindScripts(options.scriptsFolder)) {
        context.out << script.command << '\t' << script.name << '\n';
    }
    return 0;
}

std::vector<ScriptRunMovie> MoviesToRun(const std::string& catalogFile,
                                        const std::vector<std::string>& oidArgs) {
    std::vector<ScriptRunMovie> movies;
    CatalogDatabase database(catalogFile);
    database.Open(CatalogDatabase::Access::ReadOnly);
    if (oidArgs.empty()) {
        for (MovieListRow& row : database.SelectListRows()) movies.push_back({row.oid, std::move(row.title)});
        return movies;
    }
    for (const std::string& arg : oidArgs) {
        const ObjectId oid = ParseObjectId(arg);
        Movie movie;
        if (!database.Fetch(oid, movie)) {
            throw dbException("No movie with identifier " + std::to_string(oid) + ".");
        }
        movies.push_back({oid, movie.szTitle});
    }
    return movies;
}

int RunScript(CliContext& context, std::span<const std::string> args) {
    ScriptOptions options = ParseScriptOptions(args);
    if (options.rest.empty()) throw UsageError("run-script takes a script name");
    const std::string name = options.rest.front();
    const auto scriptText = ReadScriptText(options.scriptsFolder, name);
    if (!scriptText) {
        context.err << "Cannot read the script \"" << options.scriptsFolder << name << ".rks\".\n";
        return 1;
    }
    const std::string catalogFile = CatalogFilePath(context.catalogFolder);
    const std::vector<ScriptRunMovie> movies = ScriptRunner::InRunOrder(
        MoviesToRun(catalogFile, {options.rest.begin() + 1, options.rest.end()}));

    CliScriptHost host(movies, stdin, stderr, ::isatty(STDIN_FILENO) == 1);
    ScriptRun run(host, context.catalogFolder, options.timeout);
    ScriptRunner runner(run, *scriptText, ReadIncludeText(options.scriptsFolder, name), catalogFile);
    runner.SetScriptName(name);
    const RunCanceller canceller([&run] { run.Cancel(); }, options.maxTime, stderr);
    host.SetCancelledFd(canceller.CancelledFd());
    const int result = runner.ScriptWorker(movies);
    std::fprintf(stderr, "%zu of %zu movies stored.\n", host.Stored(), movies.size());
    return result == 1 && host.Stored() == movies.size() ? 0 : 1;
}

constexpr std::array kCommands = {
    CliCommand{"scripts", "[--scripts DIR]", &Scripts},
    CliCommand{"run-script", "[--scripts DIR] [--timeout MS] [--max-time SECONDS] NAME [OID...]",
               &RunScript},
};

}  // namespace

std::span<const CliCommand> ScriptCommands() { return kCommands; }

}  // namespace reelkeep::cli
