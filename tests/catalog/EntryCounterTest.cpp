// The statistics' count of names across records, against a plain map on many names: every
// name found again after the table grew, a name listed twice in a record counted once, ties
// in byte order, and a damaged array counting nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "catalog/ArrayCodec.h"
#include "catalog/EntryCounter.h"

namespace reelkeep {
namespace {

using Ranked = std::vector<std::pair<std::string, std::int64_t>>;

Ranked TopOf(const std::map<std::string, std::int64_t>& counts, std::size_t limit) {
    Ranked all(counts.begin(), counts.end());
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    all.resize(std::min(limit, all.size()));
    return all;
}

TEST(EntryCounterTest, CountsAsAMapDoesOverManyNames) {
    std::mt19937 random(7);
    // Few enough names that many recur, enough that the table grows many times.
    std::uniform_int_distribution<int> pick(0, 60'000);
    std::uniform_int_distribution<int> size(0, 6);
    EntryCounter counter;
    std::map<std::string, std::int64_t> expected;
    for (int record = 0; record < 40'000; ++record) {
        StringArray names;
        for (int i = size(random); i > 0; --i) names.push_back("Name " + std::to_string(pick(random) % (1 + record)));
        if (!names.empty() && record % 7 == 0) names.push_back(names.front());  // listed twice
        counter.AddRecord(EncodeStringArray(names));
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
        for (const std::string& name : names) ++expected[name];
    }
    EXPECT_EQ(counter.Top(15), TopOf(expected, 15));
    EXPECT_EQ(counter.Top(expected.size() + 5), TopOf(expected, expected.size()));
}

TEST(EntryCounterTest, EmptyEntriesAndDamagedArraysCountNothing) {
    EntryCounter counter;
    counter.AddRecord(EncodeStringArray({"Bo", "", "Al"}));
    counter.AddRecord(EncodeStringArray({"Bo"}));
    std::string damaged = EncodeStringArray({"Cy", "Cy Dahl"});
    damaged.pop_back();  // the last entry runs past the end
    counter.AddRecord(damaged);
    EXPECT_EQ(counter.Top(10), (Ranked{{"Bo", 2}, {"Al", 1}}));
}

}  // namespace
}  // namespace reelkeep
