// The update list: entries "name, value" found in file order. An entry's name is a letter,
// digit or underscore and at least one more character of any kind, up to the blanks before the
// first comma that leaves a value; the value runs from after the comma and its blanks to the
// next ";" or the end of the text, line breaks included. Text between entries is skipped.
// These are exactly the entries and groups of the expression
// ([a-zA-Z0-9_](?s:.)+?)[ \t]*,[ \t]*([^;]+) searched from the start and after each match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace reelkeep {

struct UpdateEntry {
    std::string name;
    std::string value;
    bool operator==(const UpdateEntry&) const = default;
};

// Linear in the length of the text.
std::vector<UpdateEntry> ParseUpdateList(std::string_view text);

// Appends one block of the list as read from the network: the block ends at its first zero.
void AppendListBlock(std::string& text, std::string_view block);

}  // namespace reelkeep
