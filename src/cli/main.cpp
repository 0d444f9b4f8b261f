// reelkeep-cli: the core's operations without a window.
//   reelkeep-cli [--catalog DIR] COMMAND [ARGS...]
// Exit codes: 0 success, 1 an error (message on stderr), 2 a usage error.
#include <charconv>
#include <exception>
#include <iostream>
#include <vector>

#include "catalog/CatalogPaths.h"
#include "cli/CliCommand.h"
#include "platform/Folders.h"

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

std::vector<std::span<const CliCommand>> CommandTables() {
    return {CatalogCommands(), MediaCommands(), PresentCommands(), ScriptCommands(),
            ImportCommands()};
}

const CliCommand* FindCommand(std::string_view name) {
    for (const auto table : CommandTables()) {
        for (const CliCommand& command : table) {
            if (command.name == name) return &command;
        }
    }
    return nullptr;
}

int Usage(std::ostream& err) {
    err << "usage: reelkeep-cli [--catalog DIR] COMMAND [ARGS...]\ncommands:\n";
    for (const auto table : CommandTables()) {
        for (const CliCommand& command : table) {
            err << "  " << command.name << (command.usage.empty() ? "" : " ") << command.usage
                << '\n';
        }
    }
    return 2;
}

int Run(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string catalog;
    std::size_t next = 0;
    while (next < args.size() && args[next].rfind("--", 0) == 0) {
        if (args[next] == "--catalog" && next + 1 < args.size()) {
            catalog = args[next + 1];
            next += 2;
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
    CliContext context{catalog.empty() ? DefaultCatalogFolder() : WithTrailingSlash(catalog),
                       std::cout, std::cerr};
    if (context.catalogFolder.empty()) {
        std::cerr << "reelkeep-cli: no documents folder; name the catalog with --catalog DIR\n";
        return 1;
    }
    const std::span<const std::string> commandArgs(args.data() + next + 1, args.size() - next - 1);
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
