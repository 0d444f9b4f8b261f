// The catalog XML document: root "Reelkeep", one "Movie" element per movie, one element per
// record field named after it, array entries as "Item" children. Templates read it; exports
// write it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "catalog/Movie.h"
#include "present/MovieSelection.h"
#include "present/XmlHandles.h"

namespace reelkeep {

class RenderControl;

inline constexpr std::string_view kRootElement = "Reelkeep";
inline constexpr std::string_view kMovieElement = "Movie";
inline constexpr std::string_view kItemElement = "Item";
inline constexpr std::string_view kPicturesAttribute = "Pictures";
inline constexpr std::string_view kStyleSheetAttribute = "StyleSheet";

// Figures over every movie of a document, counted while it is built, as a template would
// count them in it: bWatched = 1, the sum of nLength, the sum of the pnSizes entries, the
// pszFilenames entries and the movies whose szLender has text.
struct SelectionSummary {
    std::int64_t watched = 0;
    std::int64_t minutes = 0;
    double bytes = 0;  // as a template adds them up: entries may be as large as any 64-bit value
    std::int64_t files = 0;
    std::int64_t lent = 0;

    void Add(const Movie& movie);
    void Add(const SelectionSummary& other);
    bool operator==(const SelectionSummary&) const = default;
};

struct CatalogDocument {
    XmlDocPtr document;          // none when nothing is selected or the catalog did not open
    std::string catalogProblem;  // why the catalog did not open, when that is why there is none
    bool stopped = false;        // the control asked the build to stop; there is no document
    SelectionSummary summary;    // of the movies in the document
};

// The document of the selected movies. `selection` >= 0 names one row, whatever else is
// selected. A negative one asks for the list's selection: none selected gives no document
// (the catalog is not even opened); one selected is taken alone and its row is written back;
// several are taken top down and `selection` ends at -1. `display` adds "Pictures" (the
// catalog folder) for the pane. Records are read through read-only connections of its own.
// Throws dbException when the open catalog cannot be read or a selected movie is gone.
CatalogDocument BuildCatalogDocument(const MovieSelection& list, const std::string& catalogFolder,
                                     int& selection, bool display,
                                     RenderControl* control = nullptr);

// The document of these movies, in this order (an empty list gives none). A long list is read
// and made on two threads; the control, when given, is told how far the build got and may
// stop it between movies. Throws dbException as above.
CatalogDocument BuildMovieDocument(const std::string& catalogFolder,
                                   std::span<const ObjectId> movies, bool display,
                                   RenderControl* control = nullptr);

// An empty document holding only its root element.
XmlDocPtr NewCatalogDocument();

// Appends one "Movie" element with all its field elements to the document's root.
void AppendMovieElement(xmlDoc& document, const Movie& movie);

// Sets (or replaces) an attribute of the root element; the value is taken as record bytes.
void SetRootAttribute(xmlDoc& document, std::string_view name, std::string_view value);

}  // namespace reelkeep
