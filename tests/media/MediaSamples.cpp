#include "MediaSamples.h"

#include "FfmpegMaker.h"
#include "support/TempFolder.h"

namespace reelkeep::test {

std::vector<std::string> MissingEncoders(const MediaSample& sample) {
    std::vector<std::string> needed;
    if (!sample.video.empty())
        needed.push_back(sample.video);
    for (const SampleAudio& audio : sample.audio) needed.push_back(audio.encoder);
    if (!sample.subtitleLanguages.empty())
        needed.push_back(sample.subtitleEncoder);
    std::vector<std::string> missing;
    for (const std::string& encoder : needed) {
        if (!HasFfmpegEncoder(encoder))
            missing.push_back(encoder);
    }
    return missing;
}

std::string MakeSample(const std::string& folder, const MediaSample& sample) {
    std::vector<std::string> inputs, maps, codecs;
    int input = 0;
    if (!sample.video.empty()) {
        inputs.insert(inputs.end(), {"-f", "lavfi", "-i",
                                     "testsrc=size=" + sample.size + ":rate=" + sample.rate});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":v"});
        codecs.insert(codecs.end(), {"-c:v", sample.video});
        codecs.insert(codecs.end(), sample.videoOptions.begin(), sample.videoOptions.end());
        if (sample.video == "libx265")
            codecs.insert(codecs.end(), {"-x265-params", "log-level=error"});
        if (sample.video == "libsvtav1")
            codecs.insert(codecs.end(), {"-svtav1-params", "verbosity=0"});
    }
    for (std::size_t i = 0; i < sample.audio.size(); ++i) {
        const SampleAudio& audio = sample.audio[i];
        const std::string track = std::to_string(i);
        inputs.insert(inputs.end(),
                      {"-f", "lavfi", "-i",
                       "sine=frequency=" + std::to_string(330 + 110 * i) + ":sample_rate=48000"});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":a"});
        codecs.insert(codecs.end(), {"-c:a:" + track, audio.encoder, "-disposition:a:" + track,
                                     audio.isDefault ? "default" : "0"});
        if (!audio.language.empty())
            codecs.insert(codecs.end(), {"-metadata:s:a:" + track, "language=" + audio.language});
    }
    for (std::size_t i = 0; i < sample.subtitleLanguages.size(); ++i) {
        const std::string track = std::to_string(i);
        const std::string text = folder + sample.name + "." + track + ".srt";
        WriteFileBytes(text, "1\n00:00:00,000 --> 00:00:00,500\nLine " + track + "\n\n");
        inputs.insert(inputs.end(), {"-i", text});
        maps.insert(maps.end(), {"-map", std::to_string(input++) + ":s"});
        codecs.insert(codecs.end(),
                      {"-metadata:s:s:" + track, "language=" + sample.subtitleLanguages[i]});
    }
    if (!sample.subtitleLanguages.empty())
        codecs.insert(codecs.end(), {"-c:s", sample.subtitleEncoder});

    std::vector<std::string> args = inputs;
    args.insert(args.end(), {"-t", std::to_string(sample.seconds)});
    args.insert(args.end(), maps.begin(), maps.end());
    args.insert(args.end(), codecs.begin(), codecs.end());
    // Some encoders (DTS, TrueHD) are still marked experimental.
    args.insert(args.end(), {"-strict", "-2", folder + sample.name});
    return RunFfmpeg(args);
}

}  // namespace reelkeep::test
