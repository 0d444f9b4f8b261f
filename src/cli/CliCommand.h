// The commands of reelkeep-cli. Each group of commands lives in a file of its own and hands
// main() a table; main() parses the common options and dispatches.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace reelkeep {
struct Movie;
}

namespace reelkeep::cli {

struct CliContext {
    std::string catalogFolder;  // ends in "/"
    std::ostream& out;
    std::ostream& err;
};

// Thrown for a command line that does not fit the command: exit code 2 with the usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CliCommand {
    std::string_view name;
    std::string_view usage;  // arguments after the name
    int (*run)(CliContext& context, std::span<const std::string> args);
};

std::span<const CliCommand> CatalogCommands();
std::span<const CliCommand> MediaCommands();
std::span<const CliCommand> ScriptCommands();
std::span<const CliCommand> PresentCommands();
std::span<const CliCommand> ImportCommands();
std::span<const CliCommand> InteropCommands();
std::span<const CliCommand> HistoryCommands();
std::span<const CliCommand> FindCommands();

// One movie as `list` prints it: object identifier, nIndex, title, year, rating, watched.
void PrintListLine(std::ostream& out, std::uint32_t oid, const Movie& movie);

// Parses a decimal object identifier; UsageError when it is not one.
unsigned ParseObjectId(const std::string& text);

}  // namespace reelkeep::cli
