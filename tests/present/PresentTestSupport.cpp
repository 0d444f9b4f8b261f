#include "PresentTestSupport.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <memory>

namespace reelkeep::test {

Movie SampleMovie() {
    Movie movie;
    movie.szTitle = "The Long Harbour";
    movie.szTranslated = "Der lange Hafen";
    movie.pszDirectors = {"Marta Vennsdottir", "Ole Brandt"};
    movie.pszProducers = {"Ines Calloway"};
    movie.pszActors = {"Aino Lehtinen", "Rafael Ortiz", "Grete Holm"};
    movie.pszCountries = {"Norway"};
    movie.pszCategories = {"Drama", "Mystery"};
    movie.nYear = 1999;
    movie.nLength = 112;
    movie.szURL = "http://movies.example/title/12?a=1&b=2";
    movie.szPlot = "A harbour master finds a log of storms that have not happened yet.";
    movie.pszComments = {"Bought in 2004", "Second disc: commentary"};
    movie.szVideo = "DivX 5";
    movie.szAudio = "MPEG Layer-3";
    movie.pszFilenames = {"harbour.cd1.avi", "harbour.cd2.avi"};
    movie.pnSizes = {734003200, 4700000000};
    movie.nWidth = 640;
    movie.nHeight = 272;
    movie.fFPS = 23.976f;
    movie.pszLanguages = {"Norwegian", "English"};
    movie.pszSubtitles = {"English"};
    movie.pszMedia = {"CD-R"};
    movie.fRating = 7.5f;
    movie.pszPictures = {"harbour.jpg"};
    movie.bWatched = true;
    movie.szRelease = "Nordic Screen DVD";
    movie.szLocation = "Shelf B";
    movie.szLender = "Karin";
    return movie;
}

Movie VariedMovie(int number) {
    Movie movie;
    const std::string n = std::to_string(number);
    movie.szTitle = number % 7 == 0 ? "Caf\xC3\xA9 & <" + n + ">" : "Movie " + n;
    movie.szTranslated = number % 3 == 0 ? std::string() : "Translated " + n;
    for (int k = 0; k < number % 5; ++k) movie.pszActors.push_back("Actor " + std::to_string(k));
    movie.pszDirectors = {"Director " + n};
    movie.nYear = 1900 + number % 120;
    movie.nLength = number % 11 == 0 ? 0 : 60 + number % 90;
    movie.fRating = static_cast<float>(number % 100) / 10.0f;
    movie.bWatched = number % 2 == 0;
    movie.szPlot = std::string(static_cast<std::size_t>(number % 300), 'p');
    for (int k = 0; k < number % 3; ++k) {
        movie.pszFilenames.push_back("file" + n + "-" + std::to_string(k) + ".avi");
        movie.pnSizes.push_back(700000000LL + number * 1000LL + k);
    }
    movie.szLender = number % 13 == 0 ? "Lent " + n : std::string();
    return movie;
}

ObjectId PresentTest::Insert(Movie movie) {
    CatalogDatabase database(catalogFile);
    database.Open(CatalogDatabase::Access::ReadWrite);
    const ObjectId oid = database.Insert(movie);
    database.Close();
    return oid;
}

std::vector<ObjectId> PresentTest::InsertAll(std::vector<Movie> movies) {
    CatalogDatabase database(catalogFile);
    database.Open(CatalogDatabase::Access::ReadWrite);
    std::vector<ObjectId> oids;
    for (Movie& movie : movies) oids.push_back(database.Insert(movie));
    database.Close();
    return oids;
}

std::vector<ObjectId> PresentTest::InsertTitles(const std::vector<std::string>& titles) {
    std::vector<ObjectId> oids;
    for (const std::string& title : titles) {
        Movie movie;
        movie.szTitle = title;
        oids.push_back(Insert(movie));
    }
    return oids;
}

Movie PresentTest::Fetch(ObjectId oid) {
    CatalogDatabase database(catalogFile);
    database.Open(CatalogDatabase::Access::ReadOnly);
    Movie movie;
    EXPECT_TRUE(database.Fetch(oid, movie));
    return movie;
}

std::string ResourcesFolder() { return REELKEEP_RESOURCES_DIR; }

XmlDocPtr ParseXml(const std::string& bytes) {
    XmlDocPtr document(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "test.xml",
                                     nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR));
    EXPECT_TRUE(document) << "not well-formed XML:\n" << bytes;
    return document;
}

XmlDocPtr ParseHtml(const std::string& bytes) {
    const int options = HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING;
    XmlDocPtr document(htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "test.html",
                                      nullptr, options));
    EXPECT_TRUE(document);
    return document;
}

namespace {

struct XPathResultDeleter {
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
struct XPathContextDeleter {
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};

std::unique_ptr<xmlXPathObject, XPathResultDeleter> Evaluate(xmlDoc& document,
                                                              const std::string& expression) {
    std::unique_ptr<xmlXPathContext, XPathContextDeleter> context(xmlXPathNewContext(&document));
    const auto* text = reinterpret_cast<const xmlChar*>(expression.c_str());
    std::unique_ptr<xmlXPathObject, XPathResultDeleter> result(
        xmlXPathEvalExpression(text, context.get()));
    EXPECT_TRUE(result) << "bad XPath " << expression;
    return result;
}

}  // namespace

std::string XPathText(xmlDoc& document, const std::string& expression) {
    const auto result = Evaluate(document, "string(" + expression + ")");
    if (!result || !result->stringval) return {};
    return reinterpret_cast<const char*>(result->stringval);
}

double XPathNumber(xmlDoc& document, const std::string& expression) {
    const auto result = Evaluate(document, "number(" + expression + ")");
    return result ? result->floatval : 0.0;
}

}  // namespace reelkeep::test
