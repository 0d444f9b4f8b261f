// An NFO file and a file name are outside data: whatever they hold, reading them must give
// text without NUL, a year of four digits at most, and a title for every name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "interop/FileTitle.h"
#include "interop/NfoFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace reelkeep;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const NfoDetails details = ReadNfo(bytes);
    if (!details.error.empty() && details.movie.given.any()) std::abort();
    const Movie& movie = details.movie.movie;
    if (movie.szTitle.find('\0') != std::string::npos || movie.szURL.find('\0') != std::string::npos) {
        std::abort();
    }
    if (movie.nYear < 0 || movie.nYear > 9999 || movie.fRating < 0 || movie.fRating > 10) std::abort();

    const std::string name(bytes.substr(0, bytes.find('\0')));
    if (!name.empty()) {
        const FileTitle title = CleanFileTitle(name);
        if (title.title.empty() || title.year < 0 || title.year > 2099) std::abort();
    }
    return 0;
}
