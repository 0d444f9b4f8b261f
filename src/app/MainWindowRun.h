// The window's part of a start: the frame shown until it closes.
#pragma once

#include <optional>

namespace reelkeep {

// Makes the main frame, shows it and runs the event loop until the frame closes, which ends
// the program with exit code 1. Nothing when the frame cannot be made. The application object
// must exist.
std::optional<int> RunMainWindow();

}  // namespace reelkeep
