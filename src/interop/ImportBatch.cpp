#include "interop/ImportBatch.h"

namespace reelkeep {

std::size_t FieldPosition(const MovieField& field) {
    return static_cast<std::size_t>(&field - MovieFields().data());
}

void ImportedMovie::Given(const MovieField& field) { given.set(FieldPosition(field)); }

bool ImportedMovie::IsGiven(const MovieField& field) const {
    return given.test(FieldPosition(field));
}

void ImportBatch::Append(ImportBatch&& other) {
    if (format.empty()) {
        format = other.format;
    } else if (!other.format.empty() && format.find(other.format) == std::string::npos) {
        format += ", " + other.format;
    }
    for (ImportedMovie& movie : other.movies) movies.push_back(std::move(movie));
    for (ImportProblem& problem : other.problems) problems.push_back(std::move(problem));
    for (std::string& column : other.unmatchedColumns) {
        bool known = false;
        for (const std::string& have : unmatchedColumns) known = known || have == column;
        if (!known) unmatchedColumns.push_back(std::move(column));
    }
    leftOut += other.leftOut;
    if (leftOutWhat.empty()) leftOutWhat = other.leftOutWhat;
}

}  // namespace reelkeep
