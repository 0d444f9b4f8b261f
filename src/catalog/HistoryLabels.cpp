#include "catalog/HistoryLabels.h"

namespace reelkeep {

namespace {

std::string Grouped(std::size_t number) {
    std::string digits = std::to_string(number);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
    return digits;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string CountOf(std::size_t count, const std::string& singular, const std::string& plural) {
    return Grouped(count) + " " + (count == 1 ? singular : plural);
}

std::string NewMovieLabel(const std::string& title) { return "New Movie " + Quoted(title); }

std::string DeleteLabel(std::size_t movies) { return "Delete " + CountOf(movies, "Movie", "Movies"); }

std::string DropLabel(std::size_t files) { return "Drop of " + CountOf(files, "File", "Files"); }

std::string EditLabel(const std::string& title) { return "Edit of " + Quoted(title); }

std::string FileUpdateLabel(const std::string& title) {
    return "Update of " + Quoted(title) + " from a File";
}

std::string ScriptLabel(const std::string& scriptName, std::size_t movies) {
    return "Script " + Quoted(scriptName) + " on " + CountOf(movies, "Movie", "Movies");
}

std::string ImportLabel(std::size_t movies) { return "Import of " + CountOf(movies, "Movie", "Movies"); }

}  // namespace reelkeep
