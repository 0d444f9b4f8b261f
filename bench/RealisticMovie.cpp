#include "RealisticMovie.h"

namespace reelkeep::bench {

namespace {

std::string Name(std::mt19937& random) {
    return RandomWord(random, 4, 9) + " " + RandomWord(random, 5, 11);
}

}  // namespace

std::string RandomWord(std::mt19937& random, std::size_t minLength, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(minLength, maxLength);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string word(length(random), ' ');
    for (char& c : word) c = static_cast<char>(letter(random));
    word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

Movie RealisticMovie(std::mt19937& random, int number) {
    const std::string n = std::to_string(number);
    Movie movie;
    movie.szTitle = RandomWord(random, 3, 10) + " & " + RandomWord(random, 3, 10) + " " + n;
    movie.szTranslated = RandomWord(random, 5, 20);
    for (int k = 0; k < 3; ++k) movie.pszDirectors.push_back(Name(random));
    movie.pszProducers = {Name(random)};
    for (int k = 0; k < 10; ++k) movie.pszActors.push_back(Name(random));
    movie.pszCountries = {"USA"};
    movie.pszCategories = {"Drama", "Thriller"};
    movie.nYear = 1930 + static_cast<int>(random() % 95);
    movie.nLength = 80 + static_cast<int>(random() % 100);
    movie.szURL = "http://movies.example/title/" + n;
    while (movie.szPlot.size() < 500) movie.szPlot += RandomWord(random, 2, 9) + " ";
    movie.szPlot.resize(500);
    movie.pszComments = {"A comment about the movie"};
    movie.szVideo = "DivX 5";
    movie.szAudio = "MPEG Layer-3";
    movie.pszFilenames = {"movie" + n + ".cd1.avi", "movie" + n + ".cd2.avi"};
    movie.pnSizes = {734'003'200, 730'000'000};
    movie.nWidth = 640;
    movie.nHeight = 272;
    movie.fFPS = 23.976f;
    movie.pszLanguages = {"English"};
    movie.pszSubtitles = {"German"};
    movie.pszMedia = {"File"};
    movie.fRating = static_cast<float>(random() % 1000) / 100.0f;
    movie.pszPictures = {"cover" + n + ".jpg"};
    movie.bWatched = random() % 2;
    movie.szLocation = "/films/movie" + n + ".cd2.avi";
    return movie;
}

}  // namespace reelkeep::bench
