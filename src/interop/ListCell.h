// How a list field (directors, actors, file names, sizes...) travels in one CSV cell: its
// entries one per line. Within an entry a backslash is written "\\", a line feed "\n" and a
// carriage return "\r", so that any entry comes back exactly; an empty cell is an empty list
// and a cell holding a lone backslash a list of one empty entry. Reading takes CRLF and CR as
// line breaks too, as spreadsheets may save them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace reelkeep {

std::string JoinListCell(const std::vector<std::string>& entries);
std::vector<std::string> SplitListCell(std::string_view cell);

// A cell that a spreadsheet would take for a formula ("=", "+", "-", "@", a tab or a carriage
// return at its start, after any apostrophes) gets one more apostrophe in front;
// UnguardFormula takes it off again, so text keeps its exact bytes both ways.
std::string GuardFormula(std::string_view cell);
std::string UnguardFormula(std::string_view cell);

}  // namespace reelkeep
