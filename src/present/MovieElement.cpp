#include "present/MovieElement.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "present/CatalogDocument.h"
#include "present/XmlText.h"

namespace reelkeep {

namespace {

const xmlChar* Intern(xmlDict* dictionary, std::string_view name) {
    return xmlDictLookup(dictionary, reinterpret_cast<const xmlChar*>(name.data()),
                         static_cast<int>(name.size()));
}

xmlNode* NewElement(xmlDoc& document, const xmlChar* internedName) {
    // The name belongs to the dictionary, which the node's freeing knows and leaves alone.
    xmlNode* node =
        xmlNewDocNodeEatName(&document, nullptr, const_cast<xmlChar*>(internedName), nullptr);
    if (!node) throw std::bad_alloc();
    return node;
}

// A text node holding the text. Short texts (numbers, most names) are kept inside the node
// itself, in the two pointers that a text node never uses, as libxml2's own parser does for
// compact documents; freeing the node knows that form.
xmlNode* NewText(xmlDoc& document, std::string_view text) {
    xmlNode* node = xmlNewDocTextLen(&document, nullptr, 0);
    if (!node) throw std::bad_alloc();
    constexpr std::size_t kInline = 2 * sizeof(void*);
    if (text.size() < kInline) {
        auto* inside = reinterpret_cast<xmlChar*>(&node->properties);
        std::memcpy(inside, text.data(), text.size());
        inside[text.size()] = 0;
        node->content = inside;
    } else {
        node->content =
            xmlStrndup(reinterpret_cast<const xmlChar*>(text.data()), static_cast<int>(text.size()));
        if (!node->content) {
            xmlFreeNode(node);
            throw std::bad_alloc();
        }
    }
    return node;
}

// The element holds its value as text; an empty value gives no text node.
void AppendText(xmlDoc& document, xmlNode* element, std::string_view text) {
    if (!text.empty()) AppendNode(element, NewText(document, text));
}

// Numbers in the "C" locale's form whatever the process locale: to_chars never localises.
template <class Integer>
std::string_view IntegerText(Integer value, char (&buffer)[64]) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

// "%f" of the float widened to double: fixed point, six decimals. A float in fixed notation
// has at most 39 digits before the point.
std::string_view FloatText(float value, char (&buffer)[64]) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::fixed, 6);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

void AppendFields(xmlDoc& document, const MovieElementNames& names, const Movie& movie,
                  xmlNode* movieElement) {
    char number[64];
    std::string converted;
    std::size_t index = 0;
    for (const MovieField& field : MovieFields()) {
        xmlNode* element = NewElement(document, names.fields[index++]);
        AppendNode(movieElement, element);
        switch (field.kind) {
            case FieldKind::Int32:
                AppendText(document, element, IntegerText(field.Of<std::int32_t>(movie), number));
                break;
            case FieldKind::Float:
                AppendText(document, element, FloatText(field.Of<float>(movie), number));
                break;
            case FieldKind::Bool:
                AppendText(document, element, field.Of<bool>(movie) ? "1" : "0");
                break;
            case FieldKind::String:
                AppendText(document, element,
                           ToXmlTextView(field.Of<std::string>(movie), converted));
                break;
            case FieldKind::Array:
                if (field.elementKind == FieldKind::String) {
                    for (const std::string& entry : field.Of<StringArray>(movie)) {
                        xmlNode* item = NewElement(document, names.item);
                        AppendNode(element, item);
                        AppendText(document, item, ToXmlTextView(entry, converted));
                    }
                } else if (field.elementKind == FieldKind::Int64) {
                    for (const std::int64_t entry : field.Of<Int64Array>(movie)) {
                        xmlNode* item = NewElement(document, names.item);
                        AppendNode(element, item);
                        AppendText(document, item, IntegerText(entry, number));
                    }
                }
                break;
            case FieldKind::Int64:     // no 64-bit scalar in the record, and no member type for one
            case FieldKind::DateTime:  // the date is not written
                break;
        }
    }
}

}  // namespace

MovieElementNames::MovieElementNames(xmlDoc& document) {
    if (!document.dict) document.dict = xmlDictCreate();
    movie = Intern(document.dict, kMovieElement);
    item = Intern(document.dict, kItemElement);
    for (const MovieField& field : MovieFields()) fields.push_back(Intern(document.dict, field.name));
}

void AppendNode(xmlNode* parent, xmlNode* child) {
    child->parent = parent;
    if (!parent->children) {
        parent->children = child;
    } else {
        child->prev = parent->last;
        parent->last->next = child;
    }
    parent->last = child;
}

xmlNode* MakeMovieElement(xmlDoc& document, const MovieElementNames& names, const Movie& movie) {
    xmlNode* movieElement = NewElement(document, names.movie);
    try {
        AppendFields(document, names, movie, movieElement);
    } catch (...) {
        xmlFreeNode(movieElement);
        throw;
    }
    return movieElement;
}

}  // namespace reelkeep
