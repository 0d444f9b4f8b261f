// A script run's host for tests: records what the run showed and answers what it asks with
// scripted answers.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/MessageBoxStyle.h"
#include "script/ScriptRunHost.h"

namespace reelkeep::test {

// What the run showed, and scripted answers to what it asked.
struct RecordingHost : ScriptRunHost {
    using ItemState = ScriptRunHost::ItemState;

    void SetRange(std::uint32_t high) override { ranges.push_back(high); }
    void SetPosition(std::uint32_t position) override { positions.push_back(position); }
    void SetItemState(std::size_t item, ItemState state) override { states.push_back({item, state}); }
    void MovieStored(std::size_t item, const std::string& title, bool watched) override {
        stored.push_back({item, title});
        storedWatched.push_back(watched);
    }
    int MessageBox(const std::string& text, const std::string& caption, std::uint32_t style) override {
        boxes.push_back({caption, text, style});
        return alertAnswer ? alertAnswer : MessageDefaultResult(style);
    }
    bool Input(std::string& value, const std::string& title, const std::string& label, bool) override {
        asked.push_back(title + "|" + label + "|" + value);
        if (!inputAnswer) return false;
        value = *inputAnswer;
        return true;
    }
    int Select(const StringArray& items, const std::string&, const std::string&) override {
        asked.push_back("select " + std::to_string(items.size()));
        offered.push_back(items);
        return selectAnswer;
    }

    struct Box {
        std::string caption, text;
        std::uint32_t style;
    };
    std::vector<std::pair<std::size_t, ItemState>> states;
    std::vector<std::pair<std::size_t, std::string>> stored;
    std::vector<bool> storedWatched;
    std::vector<Box> boxes;
    std::vector<std::string> asked;
    std::vector<StringArray> offered;  // the entries of each select
    std::vector<std::uint32_t> ranges, positions;
    int alertAnswer = 0;
    std::optional<std::string> inputAnswer;
    int selectAnswer = -1;
};

}  // namespace reelkeep::test
