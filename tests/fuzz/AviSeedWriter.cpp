// Writes the fuzzer's first corpus for the AVI walk: the kinds of file the reader's tests
// build, whole and cut short.
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "RiffBuilder.h"

using namespace reelkeep::test;

namespace {

std::vector<std::pair<std::string, std::string>> Seeds() {
    StreamHeader midi;
    midi.type = "mids";
    StreamHeader dv;
    dv.type = "iavs";
    dv.handler = "dvsd";
    dv.right = 720;
    dv.bottom = 576;
    StreamHeader raw;
    raw.right = 64;
    raw.bottom = -48;
    const std::string zero(4, '\0');
    const std::string full =
        AviFile(VideoStreamList("XVID", 640, 480, 30000, 1001) + AudioStreamList(0x55));
    return {
        {"video_audio", full},
        {"video_audio_cut", full.substr(0, full.size() / 2)},
        {"two_audio", AviFile(AudioStreamList(0x55) + AudioStreamList(0x2000))},
        {"unknown_audio", AviFile(AudioStreamList(0x55) + AudioStreamList(0x162))},
        {"midi", AviFile(ListChunk("strl", StrhChunk(midi) + Chunk("strf", "")))},
        {"iavs", AviFile(ListChunk("strl", StrhChunk(dv) + Chunk("strf", std::string(32, 'd'))))},
        {"uncompressed", AviFile(ListChunk("strl", StrhChunk(raw) + BitmapStrf(64, -48, zero)))},
        {"shared_strh", AviFile(AudioStreamList(1) + ListChunk("strl", WaveStrf(0x2000)))},
        {"avix", AviFile(VideoStreamList("dx50", 8, 8), "AVIX")},
        {"junk_first", RiffForm("AVI ", Chunk("JUNK", "odd") + ListChunk("hdrl", ""))},
        {"odd_lists",
         RiffForm("AVI ", ListChunk("INFO", "x") +
                              ListChunk("hdrl", Chunk("JUNK", "abc") +
                                                    VideoStreamList("MJPG", 16, 16, 0, 0)))},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: avi_seed_writer FOLDER\n";
        return 2;
    }
    for (const auto& [name, bytes] : Seeds()) {
        std::ofstream file(std::string(argv[1]) + "/" + name + ".avi", std::ios::binary);
        file << bytes;
        if (!file) {
            std::cerr << "avi_seed_writer: cannot write " << name << '\n';
            return 1;
        }
    }
    return 0;
}
