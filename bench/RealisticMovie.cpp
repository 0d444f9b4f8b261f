#include "RealisticMovie.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

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

namespace {

// Draws from a list where the n-th entry comes about 1/n^exponent as often as the first.
class SkewedPool {
public:
    SkewedPool(std::vector<std::string> entries, double exponent) : entries_(std::move(entries)) {
        double total = 0;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            total += 1.0 / std::pow(static_cast<double>(i + 1), exponent);
            cumulative_.push_back(total);
        }
    }
    const std::string& Draw(std::mt19937& random) const {
        std::uniform_real_distribution<double> where(0.0, cumulative_.back());
        const auto at = std::lower_bound(cumulative_.begin(), cumulative_.end(), where(random));
        return entries_[std::min<std::size_t>(at - cumulative_.begin(), entries_.size() - 1)];
    }

private:
    std::vector<std::string> entries_;
    std::vector<double> cumulative_;
};

// The pools are the same in every run, whatever the caller's generator did before.
const SkewedPool& Vocabulary() {
    static const SkewedPool pool = [] {
        std::mt19937 own(7);
        std::vector<std::string> words;
        for (int i = 0; i < 20'000; ++i) {
            std::string word = RandomWord(own, i < 300 ? 2 : 3, i < 300 ? 4 : 10);
            word[0] = static_cast<char>(word[0] - 'A' + 'a');
            words.push_back(word);
        }
        return SkewedPool(std::move(words), 1.0);
    }();
    return pool;
}

const SkewedPool& People() {
    static const SkewedPool pool = [] {
        std::mt19937 own(11);
        std::vector<std::string> first, people;
        for (int i = 0; i < 2'000; ++i) first.push_back(RandomWord(own, 3, 8));
        std::vector<std::string> last;
        for (int i = 0; i < 10'000; ++i) last.push_back(RandomWord(own, 4, 10));
        for (int i = 0; i < 50'000; ++i) people.push_back(first[own() % first.size()] + " " + last[own() % last.size()]);
        return SkewedPool(std::move(people), 0.8);
    }();
    return pool;
}

std::string Capitalized(std::string word) {
    word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    return word;
}

}  // namespace

Movie RealisticMovieOfCommonWords(std::mt19937& random, int number) {
    Movie movie = RealisticMovie(random, number);
    const SkewedPool& words = Vocabulary();
    const SkewedPool& people = People();
    const std::string n = std::to_string(number);
    movie.szTitle = Capitalized(words.Draw(random)) + " & " + Capitalized(words.Draw(random)) + " " + n;
    movie.szTranslated = Capitalized(words.Draw(random));
    for (std::string& name : movie.pszDirectors) name = people.Draw(random);
    for (std::string& name : movie.pszProducers) name = people.Draw(random);
    for (std::string& name : movie.pszActors) name = people.Draw(random);
    movie.szPlot.clear();
    while (movie.szPlot.size() < 500) movie.szPlot += words.Draw(random) + " ";
    movie.szPlot.resize(500);
    return movie;
}

}  // namespace reelkeep::bench
