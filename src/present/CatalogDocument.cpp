#include "present/CatalogDocument.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/CatalogPaths.h"
#include "present/XmlRuntime.h"
#include "present/XmlText.h"

namespace reelkeep {

namespace {

const xmlChar* XmlName(std::string_view name) {
    // Every element and attribute name here is a literal or a field name: NUL-terminated.
    return reinterpret_cast<const xmlChar*>(name.data());
}

// Numbers in the "C" locale's form whatever the process locale: to_chars never localises.
template <class Integer>
std::string IntegerText(Integer value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// "%f" of the float widened to double: fixed point, six decimals.
std::string FloatText(float value) {
    char buffer[400];  // the largest float in fixed notation needs 46 characters
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

xmlNode* AppendElement(xmlNode* parent, std::string_view name, const std::string& text) {
    // xmlNewTextChild stores the text as it is; the writer escapes it.
    return xmlNewTextChild(parent, nullptr, XmlName(name),
                           text.empty() ? nullptr : reinterpret_cast<const xmlChar*>(text.c_str()));
}

std::string ScalarText(const MovieField& field, const Movie& movie) {
    switch (field.kind) {
        case FieldKind::Int32:
            return IntegerText(field.Of<std::int32_t>(movie));
        case FieldKind::Float:
            return FloatText(field.Of<float>(movie));
        case FieldKind::Bool:
            return field.Of<bool>(movie) ? "1" : "0";
        case FieldKind::String:
            return ToXmlText(field.Of<std::string>(movie));
        case FieldKind::Int64:     // no 64-bit scalar in the record, and no member type for one
        case FieldKind::DateTime:  // the date is not written
        case FieldKind::Array:
            break;
    }
    return {};
}

void AppendItems(xmlNode* element, const MovieField& field, const Movie& movie) {
    if (field.elementKind == FieldKind::String) {
        for (const std::string& entry : field.Of<StringArray>(movie)) {
            AppendElement(element, kItemElement, ToXmlText(entry));
        }
    } else if (field.elementKind == FieldKind::Int64) {
        for (const std::int64_t entry : field.Of<Int64Array>(movie)) {
            AppendElement(element, kItemElement, IntegerText(entry));
        }
    }
}

}  // namespace

XmlDocPtr NewCatalogDocument() {
    EnsureXmlRuntime();
    XmlDocPtr document(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    // Element names repeat thirty times per movie: intern them once per document.
    document->dict = xmlDictCreate();
    xmlDocSetRootElement(document.get(),
                         xmlNewDocNode(document.get(), nullptr, XmlName(kRootElement), nullptr));
    return document;
}

void AppendMovieElement(xmlDoc& document, const Movie& movie) {
    xmlNode* movieElement =
        xmlNewChild(xmlDocGetRootElement(&document), nullptr, XmlName(kMovieElement), nullptr);
    for (const MovieField& field : MovieFields()) {
        if (field.kind == FieldKind::Array) {
            AppendItems(AppendElement(movieElement, field.name, {}), field, movie);
        } else {
            AppendElement(movieElement, field.name, ScalarText(field, movie));
        }
    }
}

void SetRootAttribute(xmlDoc& document, std::string_view name, std::string_view value) {
    const std::string text = ToXmlText(value);
    xmlSetProp(xmlDocGetRootElement(&document), XmlName(name),
               reinterpret_cast<const xmlChar*>(text.c_str()));
}

CatalogDocument BuildCatalogDocument(const MovieSelection& list, const std::string& catalogFolder,
                                     int& selection, bool display) {
    std::vector<int> rows;
    if (selection >= 0) {
        rows.push_back(selection);
    } else {
        rows = list.SelectedRows();
        if (rows.empty()) return {};
        selection = rows.size() == 1 ? rows.front() : -1;
    }

    CatalogDatabase database(CatalogFilePath(catalogFolder));
    try {
        database.Open(CatalogDatabase::Access::ReadOnly);
    } catch (const dbException& error) {
        return {nullptr, error.what()};
    }

    XmlDocPtr document = NewCatalogDocument();
    if (display) SetRootAttribute(*document, kPicturesAttribute, catalogFolder);
    Movie movie;
    for (const int row : rows) {
        const ObjectId oid = list.RowObjectId(row);
        if (oid == 0) return {};  // the row does not exist (any more)
        if (!database.Fetch(oid, movie)) {
            throw dbException("The movie with identifier " + std::to_string(oid) +
                              " is no longer in the catalog.");
        }
        AppendMovieElement(*document, movie);
    }
    database.Close();
    return {std::move(document), {}};
}

}  // namespace reelkeep
