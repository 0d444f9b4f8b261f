// The catalog record: one movie, thirty fields in a fixed order.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace reelkeep {

using StringArray = std::vector<std::string>;
using Int64Array = std::vector<std::int64_t>;

// Seconds since 1970-01-01 00:00 UTC.
struct dbDateTime {
    std::uint32_t stamp = 0;

    static dbDateTime Current();
    bool operator==(const dbDateTime&) const = default;
};

// Strings are bytes: any byte but NUL, kept exactly as given.
struct Movie {
    Movie();  // dtAdded = now; everything else empty or zero

    std::int32_t nIndex = 0;
    std::string szTitle;
    std::string szTranslated;
    StringArray pszDirectors;
    StringArray pszProducers;
    StringArray pszActors;
    StringArray pszCountries;
    StringArray pszCategories;
    std::int32_t nYear = 0;
    std::int32_t nLength = 0;
    std::string szURL;
    std::string szPlot;
    StringArray pszComments;
    std::string szVideo;
    std::string szAudio;
    StringArray pszFilenames;
    Int64Array pnSizes;
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    float fFPS = 0.0f;
    StringArray pszLanguages;
    StringArray pszSubtitles;
    StringArray pszMedia;
    float fRating = 0.0f;
    dbDateTime dtAdded;
    StringArray pszPictures;
    bool bWatched = false;
    std::string szRelease;
    std::string szLocation;
    std::string szLender;

    bool operator==(const Movie&) const = default;
};

// ---- The field table ------------------------------------------------------------------------
// The one description of the record. The store, the XML document, the edit-form write-back
// and the script globals all walk it; nothing else lists the fields.

enum class FieldKind { Int32, Int64, Float, Bool, String, DateTime, Array };

enum FieldFlags : unsigned {
    kNoFlags = 0,
    kIndexed = 1u << 0,
    kAutoIncrement = 1u << 1,
};

using FieldMember = std::variant<std::int32_t Movie::*, float Movie::*, bool Movie::*,
                                 std::string Movie::*, dbDateTime Movie::*,
                                 StringArray Movie::*, Int64Array Movie::*>;

struct MovieField {
    std::string_view name;
    FieldKind kind;
    FieldKind elementKind;  // kind of an array's entries (String or Int64); kind itself otherwise
    unsigned flags;
    FieldMember member;

    template <class T>
    T& Of(Movie& movie) const {
        return movie.*std::get<T Movie::*>(member);
    }
    template <class T>
    const T& Of(const Movie& movie) const {
        return movie.*std::get<T Movie::*>(member);
    }

    // Address of the field inside a record, for bindings that take raw pointers.
    void* AddressIn(Movie& movie) const;
};

std::span<const MovieField> MovieFields();

// Exact, case-sensitive lookup; nullptr when no field has that name.
const MovieField* FindMovieField(std::string_view name);

}  // namespace reelkeep
