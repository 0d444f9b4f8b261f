// What each operation is called in the catalog's history and in the Edit menu's Undo and Redo
// items: "New Movie "Heat"", "Delete 3 Movies", "Import of 5,000 Movies".
#pragma once

#include <cstddef>
#include <string>

namespace reelkeep {

// "1 Movie", "5,000 Movies": a count with its noun, thousands grouped.
std::string CountOf(std::size_t count, const std::string& singular, const std::string& plural);

std::string NewMovieLabel(const std::string& title);
std::string DeleteLabel(std::size_t movies);
std::string DropLabel(std::size_t files);
std::string EditLabel(const std::string& title);
std::string FileUpdateLabel(const std::string& title);
std::string ScriptLabel(const std::string& scriptName, std::size_t movies);
std::string ImportLabel(std::size_t movies);

}  // namespace reelkeep
