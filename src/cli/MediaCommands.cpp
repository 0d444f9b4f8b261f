// inspect: what the AVI header reader finds in files, one line per file.
#include <array>
#include <cstdio>
#include <ostream>

#include "cli/CliCommand.h"
#include "media/AviHeader.h"

namespace reelkeep::cli {

namespace {

// size, video, audio, fps, width, height; a result that was not found is left empty.
int Inspect(CliContext& context, std::span<const std::string> args) {
    if (args.empty())
        throw UsageError("inspect takes at least one file");
    for (const std::string& path : args) {
        const AviHeaderInfo info = InspectAviFile(path);
        std::string fps;
        if (info.fps) {
            char text[64];
            std::snprintf(text, sizeof text, "%f", static_cast<double>(*info.fps));
            fps = text;
        }
        context.out << (info.size ? std::to_string(*info.size) : "") << '\t'
                    << info.video.value_or("") << '\t' << info.audio.value_or("") << '\t' << fps
                    << '\t' << (info.width ? std::to_string(*info.width) : "") << '\t'
                    << (info.height ? std::to_string(*info.height) : "") << '\n';
    }
    return 0;
}

constexpr std::array kCommands = {
    CliCommand{"inspect", "FILE...", &Inspect},
};

}  // namespace

std::span<const CliCommand> MediaCommands() {
    return kCommands;
}

}  // namespace reelkeep::cli
