// Making the "Movie" element of one record. Several threads may make elements for the same
// document at once: the element names are looked up in the document's dictionary beforehand,
// and each thread then only allocates and links nodes of its own.
#pragma once

#include <vector>

#include "catalog/Movie.h"
#include "present/XmlHandles.h"

namespace reelkeep {

// The names of a document's elements, from its dictionary (created when it has none).
struct MovieElementNames {
    explicit MovieElementNames(xmlDoc& document);

    const xmlChar* movie;
    const xmlChar* item;
    std::vector<const xmlChar*> fields;  // in field-table order
};

// A "Movie" element with all its field elements, made from the record and linked to nothing
// yet: the caller appends it (or frees it).
xmlNode* MakeMovieElement(xmlDoc& document, const MovieElementNames& names, const Movie& movie);

// Appends a node made for the same document as the parent's last child.
void AppendNode(xmlNode* parent, xmlNode* child);

}  // namespace reelkeep
