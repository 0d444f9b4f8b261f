// A posted body is outside data: whatever it holds, storing it must keep the record's rules
// (no NUL in a string, list entries trimmed, non-empty and without commas), and the record
// must still make a well-formed catalog document.
#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalog/Movie.h"
#include "present/CatalogDocument.h"
#include "present/EditForm.h"
#include "present/Export.h"
#include "present/FormBody.h"

namespace {

bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void CheckEntries(const reelkeep::StringArray& entries) {
    for (const std::string& entry : entries) {
        if (entry.empty() || entry.find(',') != std::string::npos ||
            entry.find('\0') != std::string::npos || IsTrimmed(entry.front()) ||
            IsTrimmed(entry.back())) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace reelkeep;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (const FormPair& pair : ParseFormBody(body)) {
        if (pair.value.size() > body.size()) std::abort();  // decoding never grows a value
    }

    Movie movie;
    movie.pnSizes = {1, 2};
    const Movie before = movie;
    ApplyFormBody(body, movie);
    if (movie.pnSizes != before.pnSizes || movie.dtAdded != before.dtAdded) std::abort();
    for (const MovieField& field : MovieFields()) {
        if (field.kind == FieldKind::String &&
            field.Of<std::string>(movie).find('\0') != std::string::npos) {
            std::abort();
        }
        if (field.kind == FieldKind::Array && field.elementKind == FieldKind::String) {
            CheckEntries(field.Of<StringArray>(movie));
        }
    }

    XmlDocPtr document = NewCatalogDocument();
    AppendMovieElement(*document, movie);
    const std::string bytes = SerializeCatalogDocument(*document);
    XmlDocPtr reread(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!reread) std::abort();
    return 0;
}
