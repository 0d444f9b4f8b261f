// What comes back from the media helper is outside data: a helper the library has confused,
// or any process in its place, may send anything. Framing, decoding and the mapping to the
// record must hold their rules whatever arrives: frames come out whole however the bytes are
// split, an answer that decodes encodes back to itself, and the facts are sensible numbers,
// names and language lists that never overwrite what the record already held.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "catalog/Movie.h"
#include "media/LibraryFormats.h"
#include "media/MediaFacts.h"
#include "media/ProbeProtocol.h"

namespace {

using namespace reelkeep;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void CheckLanguages(const std::vector<std::string>& languages) {
    std::set<std::string> seen;
    for (const std::string& language : languages) {
        Check(!language.empty());
        Check(seen.insert(language).second);
    }
}

void CheckAnswer(const ProbeAnswer& answer) {
    Check(answer.tracks.size() <= kMaxAnswerTracks);
    // An answer that decoded encodes back to itself.
    Check(DecodeAnswerBody(EncodeAnswerBody(answer)) == answer);

    const MediaFacts facts = FactsFromAnswer(answer);
    Check(!facts.size);
    Check(!facts.width || *facts.width > 0);
    Check(!facts.height || *facts.height > 0);
    Check(!facts.fps || (std::isfinite(*facts.fps) && *facts.fps > 0));
    Check(!facts.minutes || *facts.minutes >= 1);
    Check(!facts.video || !facts.video->empty());
    Check(!facts.audio || !facts.audio->empty());
    CheckLanguages(facts.languages);
    CheckLanguages(facts.subtitles);

    // What a user typed is never overwritten; empty fields are filled.
    Movie typed;
    typed.nLength = 99;
    typed.pszLanguages = {"Typed"};
    ApplyMediaFacts(facts, typed);
    Check(typed.nLength == 99 && typed.pszLanguages == StringArray{"Typed"});
    Check(typed.pszSubtitles == facts.subtitles);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const std::optional<ProbeAnswer> answer = DecodeAnswerBody(bytes))
        CheckAnswer(*answer);

    // The same bytes as a stream, split where the first byte says: frames come out the same
    // however they arrive.
    const std::size_t step = size ? 1 + data[0] % 17 : 1;
    NetstringReader whole(kMaxAnswerBytes), pieces(kMaxAnswerBytes);
    whole.Feed(bytes);
    std::vector<std::string> fromWhole, fromPieces;
    std::string frame;
    NetstringReader::Status status;
    while ((status = whole.Next(frame)) == NetstringReader::Status::Complete)
        fromWhole.push_back(frame);
    const bool wholeBroken = status == NetstringReader::Status::Malformed;
    bool piecesBroken = false;
    for (std::size_t at = 0; at < size && !piecesBroken; at += step) {
        pieces.Feed(bytes.substr(at, step));
        while ((status = pieces.Next(frame)) == NetstringReader::Status::Complete)
            fromPieces.push_back(frame);
        piecesBroken = status == NetstringReader::Status::Malformed;
    }
    Check(fromWhole == fromPieces && wholeBroken == piecesBroken);
    for (const std::string& body : fromWhole) {
        Check(EncodeNetstring(body).size() <= size);
        if (const std::optional<ProbeAnswer> answer = DecodeAnswerBody(body))
            CheckAnswer(*answer);
    }
    return 0;
}
