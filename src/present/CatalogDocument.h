// The catalog XML document: root "Reelkeep", one "Movie" element per movie, one element per
// record field named after it, array entries as "Item" children. Templates read it; exports
// write it.
#pragma once

#include <string>
#include <string_view>

#include "catalog/Movie.h"
#include "present/MovieSelection.h"
#include "present/XmlHandles.h"

namespace reelkeep {

inline constexpr std::string_view kRootElement = "Reelkeep";
inline constexpr std::string_view kMovieElement = "Movie";
inline constexpr std::string_view kItemElement = "Item";
inline constexpr std::string_view kPicturesAttribute = "Pictures";
inline constexpr std::string_view kStyleSheetAttribute = "StyleSheet";

struct CatalogDocument {
    XmlDocPtr document;          // none when nothing is selected or the catalog did not open
    std::string catalogProblem;  // why the catalog did not open, when that is why there is none
};

// The document of the selected movies. `selection` >= 0 names one row, whatever else is
// selected. A negative one asks for the list's selection: none selected gives no document
// (the catalog is not even opened); one selected is taken alone and its row is written back;
// several are taken top down and `selection` ends at -1. `display` adds "Pictures" (the
// catalog folder) for the pane. Records are read through a read-only connection of its own.
// Throws dbException when the open catalog cannot be read or a selected movie is gone.
CatalogDocument BuildCatalogDocument(const MovieSelection& list, const std::string& catalogFolder,
                                     int& selection, bool display);

// An empty document holding only its root element.
XmlDocPtr NewCatalogDocument();

// Appends one "Movie" element with all its field elements to the document's root.
void AppendMovieElement(xmlDoc& document, const Movie& movie);

// Sets (or replaces) an attribute of the root element; the value is taken as record bytes.
void SetRootAttribute(xmlDoc& document, std::string_view name, std::string_view value);

}  // namespace reelkeep
