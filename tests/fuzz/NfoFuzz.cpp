// An NFO file and file names are outside data: whatever they hold, reading them must give
// text without NUL, a year of four digits at most, a title for every name, and neighbours
// found only among the folder's own names.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

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

    // The bytes' lines as the names of one folder.
    std::vector<std::string> names;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        if (end > start && names.size() < 64) names.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    const FolderNames folder(names);
    for (const std::string& file : names) {
        IsMediaCentreName(file);
        for (const bool oneMovie : {false, true}) {
            for (const std::string& found : {NfoBeside(folder, file, oneMovie), PosterBeside(folder, file, oneMovie)}) {
                if (!found.empty() && !folder.Find(found)) std::abort();
            }
        }
    }
    return 0;
}
