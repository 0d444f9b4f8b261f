// inspect: the media facts of files, one line per file, as a drop would store them.
#include <array>
#include <cstdio>
#include <ostream>

#include "cli/CliCommand.h"
#include "media/MediaFacts.h"
#include "media/MediaProbe.h"

namespace reelkeep::cli {

namespace {

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty())
            text += ", ";
        text += item;
    }
    return text;
}

// size, video, audio, fps, width, height, then running time in minutes, audio languages and
// subtitle languages (each list joined with ", "); a fact that was not found is left empty.
int Inspect(CliContext& context, std::span<const std::string> args) {
    if (args.empty())
        throw UsageError("inspect takes at least one file");
    MediaProbe probe;  // one helper for all the files of the command
    for (const std::string& path : args) {
        const MediaFacts facts = ReadMediaFacts(path, probe);
        std::string fps;
        if (facts.fps) {
            char text[64];
            std::snprintf(text, sizeof text, "%f", static_cast<double>(*facts.fps));
            fps = text;
        }
        context.out << (facts.size ? std::to_string(*facts.size) : "") << '\t'
                    << facts.video.value_or("") << '\t' << facts.audio.value_or("") << '\t' << fps
                    << '\t' << (facts.width ? std::to_string(*facts.width) : "") << '\t'
                    << (facts.height ? std::to_string(*facts.height) : "") << '\t'
                    << (facts.minutes ? std::to_string(*facts.minutes) : "") << '\t'
                    << Joined(facts.languages) << '\t' << Joined(facts.subtitles) << '\n';
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
