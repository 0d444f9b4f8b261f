// find_bench's figures of the window (built with the window only).
#pragma once

#include <string>
#include <vector>

namespace reelkeep::bench {

struct WindowQuery {
    std::string label;
    std::string text;
};

// Starts the window offscreen, in a private home, on the catalog of this folder.
void PrintWindowFigures(int argc, char** argv, const std::string& catalogFolder,
                        const std::vector<WindowQuery>& queries);

}  // namespace reelkeep::bench
