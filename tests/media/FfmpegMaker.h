// Small media files made by ffmpeg at test time, from its built-in test sources.
#pragma once

#include <string>
#include <vector>

namespace reelkeep::test {

// The full path of a program found on PATH; empty when there is none.
std::string FindProgram(const std::string& name);

// Runs ffmpeg to write `path` from a test picture (size "WxH", rate "N" or "N/D") and a sine
// tone, with the output options given (codecs, tags, stream maps). Returns ffmpeg's messages
// when it fails, an empty string when the file was made.
std::string MakeAviWithFfmpeg(const std::string& path, const std::string& size,
                              const std::string& rate, const std::vector<std::string>& options,
                              double seconds = 0.2);

// True when this ffmpeg has the encoder (libx264, libopus, mov_text, ...).
bool HasFfmpegEncoder(const std::string& name);

// Runs ffmpeg with these arguments (inputs, maps, codecs, output file); its messages when it
// fails, an empty string when the file was made.
std::string RunFfmpeg(const std::vector<std::string>& args);

}  // namespace reelkeep::test
