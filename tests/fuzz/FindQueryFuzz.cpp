// Filter queries come from the user and from the links of pages, which a template may make as
// it likes: any text either says why it cannot be read or is answered by the store. A query
// that can be read never makes the store fail (a full-text expression it cannot read, a
// phrase check that trips), and a whole-entry query made of any entry can always be read.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalog/CatalogDatabase.h"
#include "catalog/FindQuery.h"

namespace {

using reelkeep::CatalogDatabase;

// A small catalog made once per process, in a folder of its own.
CatalogDatabase& Catalog() {
    static CatalogDatabase* database = [] {
        char pattern[] = "/tmp/find-query-fuzz-XXXXXX";
        const std::string path = std::string(::mkdtemp(pattern)) + "/Movies.db";
        auto* made = new CatalogDatabase(path);
        made->Open(CatalogDatabase::Access::ReadWrite);
        for (const char* title : {"The Godfather", "Am\xC3\xA9lie", "Stra\xDF" "e", "Heat"}) {
            reelkeep::Movie movie;
            movie.szTitle = title;
            movie.pszActors = {"Al Pacino", "Dwayne \"The Rock\" Johnson"};
            movie.szPlot = "a plot: with \"quotes\", * stars and {braces} - and dashes";
            movie.nYear = 1990;
            made->Insert(movie);
        }
        made->Close();
        made->Open(CatalogDatabase::Access::ReadOnly);
        return made;
    }();
    return *database;
}

void Find(std::string_view text) {
    const reelkeep::FindQueryParse parse = reelkeep::ParseFindQuery(text);
    if (!parse.Ok()) {
        if (parse.error.empty()) std::abort();
        return;
    }
    try {
        Catalog().Find(parse.query);
    } catch (const reelkeep::dbException&) {
        std::abort();  // a query that can be read must be answered
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.find('\0') != std::string_view::npos) return 0;  // text fields hold no NUL
    Find(text);
    const std::string entry = reelkeep::WholeEntryQuery("actor", text);
    if (!reelkeep::ParseFindQuery(entry).Ok()) std::abort();
    Find(entry);
    return 0;
}
