// The title question of a drop answered from a queue, for tests of the import core.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "import/MovieImport.h"

namespace reelkeep::test {

// Answers the title question from a queue (nothing = Cancel) and records what it was asked.
class ScriptedHost : public ImportHost {
public:
    explicit ScriptedHost(std::vector<MovieListRow> rows) : rows_(std::move(rows)) {}

    ObjectId FindRowByTitle(const std::string& title) override { return rows_.Find(title); }
    std::optional<TitleAnswer> AskTitle(const std::string& derived,
                                        const std::vector<std::string>& titles) override {
        asked.push_back(derived);
        lastTitles = titles;
        if (answers.empty())
            return TitleAnswer{derived};
        std::optional<TitleAnswer> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void MovieAdded(const MovieListRow& row) override {
        rows_.Append(row);
        added.push_back(row.title);
    }
    void Progress(std::size_t done, std::size_t left) override {
        progress.emplace_back(done, left);
        if (onProgress)
            onProgress(done);
    }
    bool StopRequested() override { return stopAfter && progress.size() > *stopAfter; }

    std::deque<std::optional<TitleAnswer>> answers;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    std::function<void(std::size_t done)> onProgress;
    std::optional<std::size_t> stopAfter;  // files done before the drop is asked to stop
    std::vector<std::string> asked;
    std::vector<std::string> lastTitles;
    std::vector<std::string> added;

private:
    ListedTitles rows_;
};

}  // namespace reelkeep::test
