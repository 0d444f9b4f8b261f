#include "catalog/Movie.h"

#include <array>
#include <chrono>

namespace reelkeep {

dbDateTime dbDateTime::Current() {
    using namespace std::chrono;
    const auto seconds = duration_cast<std::chrono::seconds>(system_clock::now().time_since_epoch());
    return dbDateTime{static_cast<std::uint32_t>(seconds.count())};
}

Movie::Movie() : dtAdded(dbDateTime::Current()) {}

namespace {

constexpr MovieField Scalar(std::string_view name, FieldKind kind, FieldMember member,
                            unsigned flags = kNoFlags) {
    return MovieField{name, kind, kind, flags, member};
}

constexpr MovieField Array(std::string_view name, FieldKind element, FieldMember member) {
    return MovieField{name, FieldKind::Array, element, kNoFlags, member};
}

using K = FieldKind;

const std::array<MovieField, 30> kFields = {{
    Scalar("nIndex", K::Int32, &Movie::nIndex, kIndexed | kAutoIncrement),
    Scalar("szTitle", K::String, &Movie::szTitle, kIndexed),
    Scalar("szTranslated", K::String, &Movie::szTranslated),
    Array("pszDirectors", K::String, &Movie::pszDirectors),
    Array("pszProducers", K::String, &Movie::pszProducers),
    Array("pszActors", K::String, &Movie::pszActors),
    Array("pszCountries", K::String, &Movie::pszCountries),
    Array("pszCategories", K::String, &Movie::pszCategories),
    Scalar("nYear", K::Int32, &Movie::nYear),
    Scalar("nLength", K::Int32, &Movie::nLength),
    Scalar("szURL", K::String, &Movie::szURL),
    Scalar("szPlot", K::String, &Movie::szPlot),
    Array("pszComments", K::String, &Movie::pszComments),
    Scalar("szVideo", K::String, &Movie::szVideo),
    Scalar("szAudio", K::String, &Movie::szAudio),
    Array("pszFilenames", K::String, &Movie::pszFilenames),
    Array("pnSizes", K::Int64, &Movie::pnSizes),
    Scalar("nWidth", K::Int32, &Movie::nWidth),
    Scalar("nHeight", K::Int32, &Movie::nHeight),
    Scalar("fFPS", K::Float, &Movie::fFPS),
    Array("pszLanguages", K::String, &Movie::pszLanguages),
    Array("pszSubtitles", K::String, &Movie::pszSubtitles),
    Array("pszMedia", K::String, &Movie::pszMedia),
    Scalar("fRating", K::Float, &Movie::fRating),
    Scalar("dtAdded", K::DateTime, &Movie::dtAdded),
    Array("pszPictures", K::String, &Movie::pszPictures),
    Scalar("bWatched", K::Bool, &Movie::bWatched),
    Scalar("szRelease", K::String, &Movie::szRelease),
    Scalar("szLocation", K::String, &Movie::szLocation),
    Scalar("szLender", K::String, &Movie::szLender),
}};

}  // namespace

void* MovieField::AddressIn(Movie& movie) const {
    return std::visit([&movie](auto pointer) -> void* { return &(movie.*pointer); }, member);
}

std::span<const MovieField> MovieFields() { return kFields; }

const MovieField* FindMovieField(std::string_view name) {
    for (const MovieField& field : kFields) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

}  // namespace reelkeep
