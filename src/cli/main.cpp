// reelkeep-cli: the core's operations without a window.
//   reelkeep-cli [--catalog DIR] COMMAND [ARGS...]
//   reelkeep-cli --help | --version
// Exit codes: 0 success, 1 an error (message on stderr), 2 a usage error.
#include <cerrno>
#include <charconv>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <vector>

#include "catalog/CatalogPaths.h"
#include "cli/CliCommand.h"
#include "maint/VersionMarker.h"
#include "platform/Folders.h"

// The marker that the program file carries (VersionMarkerData.cpp): "RKVERSION:" and the
// version. --version prints what it holds, so it can never differ from the file's version.
extern "C" const char reelkeep_version_marker[];

namespace reelkeep::cli {

unsigned ParseObjectId(const std::string& text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0) {
        throw UsageError("not an object identifier: " + text);
    }
    return value;
}

namespace {

constexpr std::string_view kSynopsis =
    "usage: reelkeep-cli [--catalog DIR] COMMAND [ARGS...]\n"
    "       reelkeep-cli --help | --version\n";

// What a command does with the catalog folder: a command that writes creates a missing folder
// (as the default one is created); one that reads leaves it alone and says that there is no
// catalog; the others never look at it.
enum class CatalogUse { None, Reads, Writes };

struct CommandGuide {
    std::string_view name;
    CatalogUse catalog;
    std::string_view summary;
};

constexpr CommandGuide kGuides[] = {
    {"add", CatalogUse::Writes, "Add a movie; prints its object identifier and nIndex."},
    {"list", CatalogUse::Reads,
     "Every movie: object identifier, nIndex, title, year, rating, watched."},
    {"delete", CatalogUse::Writes, "Delete the movies with these object identifiers."},
    {"find-file", CatalogUse::Reads, "The movies whose file names hold NAME exactly."},
    {"find", CatalogUse::Reads,
     "The movies the query finds, as list prints them. The query is the\n"
     "Filter's: words (any text field holds a word that begins with each),\n"
     "\"quoted words\", -excluded, title: director: actor: producer: genre:\n"
     "country: language: subtitle: lender: file: plot: comment: (field:=\"...\"\n"
     "for a whole entry), year: rating: length: (1990-1999, >7, <=100),\n"
     "watched:yes|no, added: (2024, 2024-05-17, 2023..2024-06)."},
    {"stats", CatalogUse::Reads,
     "The figures of the statistics page, of every movie or of those the\n"
     "query finds, as text; with --html, the page itself through the\n"
     "Statistics template."},
    {"history", CatalogUse::Reads,
     "The steps Undo and Redo can take, newest first: number, time, what the\n"
     "step did, movies touched, and \"undone\" for those Redo can make again."},
    {"undo", CatalogUse::Writes,
     "Take back the newest step of the history, as Edit > Undo in the window."},
    {"redo", CatalogUse::Writes, "Make the step taken back last again, as Edit > Redo."},
    {"inspect", CatalogUse::None,
     "Size, video, audio, fps, width, height, running time (minutes), audio\n"
     "languages and subtitle languages of each file, tab-separated."},
    {"show", CatalogUse::Reads, "The XML document of these movies, as export writes it."},
    {"export", CatalogUse::Reads,
     "Write the movies (--all: every movie) to FILE as XML, as HTML through the\n"
     "View template (one movie) or the Multiple template (several), or as CSV."},
    {"scripts", CatalogUse::None, "Command identifier and name of each script."},
    {"run-script", CatalogUse::Writes,
     "Run the script NAME over these movies (all movies when none is given),\n"
     "with its progress on stderr."},
    {"add-files", CatalogUse::Writes,
     "Add files and folders as a drop on the window does; new titles are the\n"
     "ones derived from the file names, or given by the NFO files beside them,\n"
     "which fill only empty fields. Skipped NFO files are named with the reason."},
    {"import", CatalogUse::Writes,
     "Import movies from CSV files, IMDb and Letterboxd exports, Tellico and\n"
     "GCstar catalogs, and Reelkeep's own CSV and XML exports, all or nothing.\n"
     "Movies already in the catalog are skipped, filled in or replaced\n"
     "(--existing; skip by default)."},
};

const CommandGuide* GuideOf(std::string_view name) {
    for (const CommandGuide& guide : kGuides) {
        if (guide.name == name)
            return &guide;
    }
    return nullptr;
}

std::vector<std::span<const CliCommand>> CommandTables() {
    return {CatalogCommands(), FindCommands(), MediaCommands(), PresentCommands(),
            ScriptCommands(), ImportCommands(), InteropCommands(), HistoryCommands()};
}

const CliCommand* FindCommand(std::string_view name) {
    for (const auto table : CommandTables()) {
        for (const CliCommand& command : table) {
            if (command.name == name) return &command;
        }
    }
    return nullptr;
}

void PrintCommandLine(std::ostream& out, const CliCommand& command) {
    out << "  " << command.name << (command.usage.empty() ? "" : " ") << command.usage << '\n';
}

// A summary's lines, each indented below its command.
void PrintSummary(std::ostream& out, std::string_view summary) {
    while (!summary.empty()) {
        const std::size_t end = summary.find('\n');
        out << "      " << summary.substr(0, end) << '\n';
        summary = end == std::string_view::npos ? std::string_view() : summary.substr(end + 1);
    }
}

// After a command line that cannot be run: the synopsis and the commands, on stderr.
int Usage(std::ostream& err) {
    err << kSynopsis << "commands:\n";
    for (const auto table : CommandTables()) {
        for (const CliCommand& command : table) PrintCommandLine(err, command);
    }
    err << "Try 'reelkeep-cli --help' for more.\n";
    return 2;
}

int Help(std::ostream& out) {
    out << kSynopsis
        << "\n"
           "Works on the Reelkeep movie catalog (\"Movies.db\" in the catalog folder) without\n"
           "the window.\n"
           "\n"
           "Commands:\n";
    for (const auto table : CommandTables()) {
        for (const CliCommand& command : table) {
            PrintCommandLine(out, command);
            if (const CommandGuide* guide = GuideOf(command.name))
                PrintSummary(out, guide->summary);
        }
    }
    out << "\n"
           "Options:\n"
           "  --catalog DIR  The catalog folder; without it, \"Reelkeep\" in your\n"
           "                 documents folder. A command that writes creates the folder\n"
           "                 when it is missing.\n"
           "  -h, --help     Print this help and exit; COMMAND --help prints the\n"
           "                 command's own.\n"
           "  --version      Print the program's version and exit.\n"
           "\n"
           "Scripts come from the program's \"Scripts\" folder (--scripts names another).\n"
           "Without a terminal on stdin, user.input and user.select are cancelled and\n"
           "user.alert answers with the box's default button.\n"
           "\n"
           "Exit codes: 0 success, 1 an error (message on stderr), 2 a usage error.\n";
    return 0;
}

int CommandHelp(std::ostream& out, const CliCommand& command) {
    out << "usage: reelkeep-cli [--catalog DIR] " << command.name
        << (command.usage.empty() ? "" : " ") << command.usage << '\n';
    if (const CommandGuide* guide = GuideOf(command.name))
        PrintSummary(out, guide->summary);
    return 0;
}

int Version(std::ostream& out) {
    const std::string_view marker = reelkeep_version_marker;
    out << "reelkeep-cli " << marker.substr(kVersionMarkerPrefix.size()) << '\n';
    return 0;
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// The catalog folder named with --catalog, made ready for a command that writes: created
// with the folders above it when missing. Empty with a message when it cannot be.
std::string PrepareCatalogFolder(const std::string& folder, std::ostream& err) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) {
        const int code = error ? error.value() : ENOTDIR;
        err << "reelkeep-cli: cannot create the catalog folder \"" << folder
            << "\": " << std::strerror(code == EEXIST ? ENOTDIR : code) << '\n';
        return {};
    }
    return folder;
}

int Run(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string catalog;
    std::size_t next = 0;
    while (next < args.size() && args[next].rfind("-", 0) == 0) {
        if (args[next] == "--catalog" && next + 1 < args.size()) {
            catalog = args[next + 1];
            next += 2;
        } else if (IsHelp(args[next])) {
            return Help(std::cout);
        } else if (args[next] == "--version") {
            return Version(std::cout);
        } else {
            std::cerr << "reelkeep-cli: unknown option " << args[next] << '\n';
            return Usage(std::cerr);
        }
    }
    if (next == args.size()) return Usage(std::cerr);
    const CliCommand* command = FindCommand(args[next]);
    if (!command) {
        std::cerr << "reelkeep-cli: unknown command " << args[next] << '\n';
        return Usage(std::cerr);
    }
    const std::span<const std::string> commandArgs(args.data() + next + 1, args.size() - next - 1);
    if (!commandArgs.empty() && IsHelp(commandArgs.front()))
        return CommandHelp(std::cout, *command);

    const CommandGuide* guide = GuideOf(command->name);
    const CatalogUse use = guide ? guide->catalog : CatalogUse::Reads;
    CliContext context{{}, std::cout, std::cerr};
    if (use != CatalogUse::None) {
        if (catalog.empty()) {
            context.catalogFolder = DefaultCatalogFolder();
            if (context.catalogFolder.empty()) {
                std::cerr << "reelkeep-cli: no documents folder; name the catalog with "
                             "--catalog DIR\n";
                return 1;
            }
        } else {
            context.catalogFolder = WithTrailingSlash(catalog);
            // A command that only reads reports the missing catalog itself.
            if (use == CatalogUse::Writes &&
                PrepareCatalogFolder(context.catalogFolder, std::cerr).empty()) {
                return 1;
            }
        }
    } else if (!catalog.empty()) {
        context.catalogFolder = WithTrailingSlash(catalog);
    }
    try {
        return command->run(context, commandArgs);
    } catch (const UsageError& error) {
        std::cerr << "reelkeep-cli: " << error.what() << "\nusage: reelkeep-cli [--catalog DIR] "
                  << command->name << ' ' << command->usage << '\n';
        return 2;
    }
}

}  // namespace
}  // namespace reelkeep::cli

int main(int argc, char** argv) {
    try {
        return reelkeep::cli::Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
