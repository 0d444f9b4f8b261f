// The templates that ship with the program, run from the source tree on real documents.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "PresentTestSupport.h"
#include "present/EditForm.h"
#include "present/TemplateTransform.h"

namespace reelkeep {
namespace {

using test::PresentTest;
using test::XPathNumber;
using test::XPathText;

// What a browser posts for a form: its successful controls in document order, encoded.
std::string FormBodyOf(xmlDoc& page) {
    const auto encode = [](const std::string& text) {
        std::string out;
        for (const unsigned char c : text) {
            if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_') {
                out += static_cast<char>(c);
            } else if (c == ' ') {
                out += '+';
            } else {
                char escaped[4];
                std::snprintf(escaped, sizeof escaped, "%%%02X", c);
                out += escaped;
            }
        }
        return out;
    };
    const std::string controls =
        "//form//*[(self::input and (@type != 'checkbox' or @checked)"
        " and not(@type='submit' or @type='reset')) or self::textarea]";
    const int count = static_cast<int>(XPathNumber(page, "count(" + controls + ")"));
    std::string body;
    for (int i = 1; i <= count; ++i) {
        const std::string control = "(" + controls + ")[" + std::to_string(i) + "]";
        const bool isTextarea = XPathText(page, "name(" + control + ")") == "textarea";
        if (!body.empty()) body += '&';
        body += encode(XPathText(page, control + "/@name")) + "=" +
                encode(XPathText(page, isTextarea ? control : control + "/@value"));
    }
    return body;
}

class ShippedTemplatesTest : public PresentTest {
protected:
    RenderedPage Render(const MovieSelection& list, bool editMode, bool display = true) {
        return TransformSelection(PresentationSource{list, folder.Path(), templates, editMode},
                                  selection, display);
    }
    XmlDocPtr RenderHtml(const MovieSelection& list, bool editMode) {
        const RenderedPage page = Render(list, editMode);
        EXPECT_EQ(page.status, RenderedPage::Status::Rendered) << page.detail;
        EXPECT_EQ(page.encoding, "UTF-8");
        EXPECT_EQ(page.mediaType, "text/html");
        return test::ParseHtml(page.bytes);
    }

    TemplatePaths templates = DefaultTemplatePaths(test::ResourcesFolder());
    int selection = -1;
};

TEST_F(ShippedTemplatesTest, ViewShowsEveryFieldOfTheMovie) {
    Movie movie = test::SampleMovie();
    movie.szTitle = "Tom & Jerry <at> \"Caf\xC3\xA9\"";
    const ObjectId oid = Insert(movie);
    auto page = RenderHtml(FixedMovieSelection({oid}), false);
    const std::string text = XPathText(*page, "/html/body");
    EXPECT_EQ(XPathText(*page, "//h1"), movie.szTitle);
    EXPECT_EQ(XPathText(*page, "/html/head/title"), movie.szTitle);
    for (const char* shown :
         {"Der lange Hafen", "1999", "1\xC2\xA0h 52\xC2\xA0min", "7.5", "Marta Vennsdottir, Ole Brandt",
          "Ines Calloway", "Grete Holm", "Norway", "Drama", "Norwegian, English",
          "A harbour master", "Second disc: commentary", "harbour.cd2.avi", "700.0\xC2\xA0MB",
          "4.38\xC2\xA0GB", "DivX 5", "640\xC3\x97" "272", "23.976\xC2\xA0" "fps", "MPEG Layer-3",
          "Nordic Screen DVD", "CD-R", "Shelf B", "Lent to Karin", "Watched"}) {
        EXPECT_NE(text.find(shown), std::string::npos) << "missing: " << shown;
    }
    EXPECT_EQ(XPathText(*page, "//a/@href"), movie.szURL);
    EXPECT_EQ(XPathText(*page, "//img/@src"), "file://" + folder.Path() + "harbour.jpg");
    EXPECT_EQ(XPathText(*page, "//link[@rel='stylesheet']/@href"),
              "file://" + test::ResourcesFolder() + "Templates/Reelkeep.css");
}

TEST_F(ShippedTemplatesTest, TheTemplatesRunOnAnEmptyMovie) {
    const std::vector<ObjectId> oids = InsertTitles({"", ""});
    for (const bool editMode : {false, true}) {
        selection = -1;
        EXPECT_EQ(Render(FixedMovieSelection({oids[0]}), editMode).status,
                  RenderedPage::Status::Rendered);
    }
    selection = -1;
    EXPECT_EQ(Render(FixedMovieSelection(oids), false).status, RenderedPage::Status::Rendered);
}

TEST_F(ShippedTemplatesTest, EditHasAnInputForEveryEditableField) {
    const ObjectId oid = Insert(test::SampleMovie());
    auto page = RenderHtml(FixedMovieSelection({oid}), true);
    EXPECT_EQ(XPathText(*page, "//form/@method"), "post");
    for (const MovieField& field : MovieFields()) {
        const std::string named = "count(//form//*[@name='" + std::string(field.name) + "'])";
        // The files pair with their sizes by position: shown, never posted.
        const bool editable =
            field.name != "pnSizes" && field.name != "dtAdded" && field.name != "pszFilenames";
        EXPECT_EQ(XPathNumber(*page, named) > 0, editable) << field.name;
    }
    EXPECT_EQ(XPathText(*page, "//form//table[@class='files']/tbody/tr[2]/td[1]"),
              "harbour.cd2.avi");
    // A marker that names no field keeps an untouched Save a submission.
    EXPECT_EQ(XPathText(*page, "//form//input[@type='hidden'][@data-always-posted]/@name"),
              "edit-page");
    // Unchecking works because the hidden 0 comes first and the later pair wins.
    EXPECT_EQ(XPathText(*page, "(//input[@name='bWatched'])[1]/@type"), "hidden");
    EXPECT_EQ(XPathText(*page, "(//input[@name='bWatched'])[1]/@value"), "0");
    EXPECT_EQ(XPathText(*page, "(//input[@name='bWatched'])[2]/@type"), "checkbox");
    EXPECT_EQ(XPathText(*page, "(//input[@name='bWatched'])[2]/@value"), "1");
    EXPECT_EQ(XPathText(*page, "//input[@name='pszActors'] | //textarea[@name='pszActors']"),
              "Aino Lehtinen, Rafael Ortiz, Grete Holm");
}

TEST_F(ShippedTemplatesTest, SubmittingTheEditPageUnchangedKeepsTheMovie) {
    Movie movie = test::SampleMovie();
    movie.szTitle = "<i>Tom</i> & \"Jerry\" caf\xC3\xA9 + 100%";
    movie.szPlot = "Line one\nLine two";
    for (const bool watched : {true, false}) {
        movie.bWatched = watched;
        const ObjectId oid = Insert(movie);
        const Movie stored = Fetch(oid);
        selection = -1;
        auto page = RenderHtml(FixedMovieSelection({oid}), true);
        const EditFormResult result = ApplyEditForm(FormBodyOf(*page), oid, catalogFile);
        EXPECT_TRUE(result.stored) << result.error;
        EXPECT_EQ(Fetch(oid), stored) << "watched " << watched;
    }
}

TEST_F(ShippedTemplatesTest, MultipleListsTheMoviesInOrder) {
    const std::vector<ObjectId> oids = InsertTitles({"First", "Second & <Third>", "Fourth"});
    auto page = RenderHtml(FixedMovieSelection({oids[2], oids[0], oids[1]}), true);
    EXPECT_EQ(XPathText(*page, "//h1"), "3 movies selected");
    EXPECT_EQ(XPathNumber(*page, "count(//tbody/tr)"), 3);
    EXPECT_EQ(XPathText(*page, "//tbody/tr[1]//strong"), "Fourth");
    EXPECT_EQ(XPathText(*page, "//tbody/tr[2]//strong"), "First");
    EXPECT_EQ(XPathText(*page, "//tbody/tr[3]//strong"), "Second & <Third>");
}

TEST_F(ShippedTemplatesTest, FolderNamesAreEscapedInFileUrls) {
    const std::string catalogFolder = folder / "My films #1?/";
    std::filesystem::create_directories(catalogFolder);
    CatalogDatabase database(CatalogFilePath(catalogFolder));
    database.Open(CatalogDatabase::Access::ReadWrite);
    Movie movie = test::SampleMovie();
    movie.pszPictures = {"cover 100%.jpg"};
    const ObjectId oid = database.Insert(movie);
    database.Close();

    const FixedMovieSelection list({oid});
    const RenderedPage page = TransformSelection(
        PresentationSource{list, catalogFolder, templates, false}, selection, true);
    auto html = test::ParseHtml(page.bytes);
    EXPECT_EQ(XPathText(*html, "//img/@src"),
              "file://" + folder.Path() + "My%20films%20%231%3F/cover%20100%25.jpg");
}

// An exported page is mailed or put on a server without the templates' folder: it carries
// the sheet's styles itself and links pictures relative to itself. The pane links the sheet.
TEST_F(ShippedTemplatesTest, AnExportedPageCarriesItsStylesAndLinksPicturesRelativeToItself) {
    const ObjectId oid = Insert(test::SampleMovie());
    for (const std::vector<ObjectId>& movies : {std::vector<ObjectId>{oid},
                                                std::vector<ObjectId>{oid, Insert(test::SampleMovie())}}) {
        selection = -1;
        const RenderedPage page = Render(FixedMovieSelection(movies), false, false);
        auto html = test::ParseHtml(page.bytes);
        EXPECT_EQ(XPathText(*html, "//link[@rel='stylesheet']/@href"), "");
        const std::string styles = XPathText(*html, "/html/head/style");
        EXPECT_NE(styles.find(".details > header"), std::string::npos);
        EXPECT_EQ(styles, test::ReadFileBytes(TemplateFolder(templates.view) + "Reelkeep.css"));
    }
    selection = -1;
    auto exported = test::ParseHtml(Render(FixedMovieSelection({oid}), false, false).bytes);
    EXPECT_EQ(XPathText(*exported, "//img/@src"), "harbour.jpg");

    selection = -1;
    auto pane = test::ParseHtml(Render(FixedMovieSelection({oid}), false, true).bytes);
    EXPECT_EQ(XPathText(*pane, "/html/head/style"), "");
    EXPECT_NE(XPathText(*pane, "//link[@rel='stylesheet']/@href").find("Reelkeep.css"), std::string::npos);
}

}  // namespace
}  // namespace reelkeep
