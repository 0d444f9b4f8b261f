// history, undo, redo: the catalog's history of changes, as the window's Edit menu offers it.
#include <array>
#include <ctime>
#include <ostream>

#include "catalog/CatalogHistory.h"
#include "catalog/CatalogPaths.h"
#include "cli/CliCommand.h"

namespace reelkeep::cli {

namespace {

std::string LocalTime(std::uint32_t stamp) {
    const std::time_t time = stamp;
    std::tm parts{};
    localtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

int History(CliContext& context, std::span<const std::string> args) {
    if (!args.empty()) throw UsageError("history takes no arguments");
    for (const HistoryStepInfo& step : ListHistory(CatalogFilePath(context.catalogFolder))) {
        context.out << step.number << '\t' << LocalTime(step.time) << '\t' << step.label << '\t'
                    << step.movies << (step.undone ? "\tundone" : "") << '\n';
    }
    return 0;
}

int Move(CliContext& context, std::span<const std::string> args, bool undo) {
    if (!args.empty()) throw UsageError(undo ? "undo takes no arguments" : "redo takes no arguments");
    const std::string catalogFile = CatalogFilePath(context.catalogFolder);
    const HistoryMove move = undo ? UndoStep(catalogFile) : RedoStep(catalogFile);
    context.out << (undo ? "Undone: " : "Redone: ") << move.label << '\n';
    return 0;
}

int Undo(CliContext& context, std::span<const std::string> args) { return Move(context, args, true); }
int Redo(CliContext& context, std::span<const std::string> args) { return Move(context, args, false); }

constexpr std::array kCommands = {
    CliCommand{"history", "", &History},
    CliCommand{"undo", "", &Undo},
    CliCommand{"redo", "", &Redo},
};

}  // namespace

std::span<const CliCommand> HistoryCommands() { return kCommands; }

}  // namespace reelkeep::cli
