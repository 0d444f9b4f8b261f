// Exported files on disk.
#include "present/Export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "PresentTestSupport.h"

namespace reelkeep {
namespace {

using Status = ExportResult::Status;
using test::FileExists;
using test::PresentTest;
using test::ReadFileBytes;

class ExportTest : public PresentTest {
protected:
    ExportResult Html(const MovieSelection& list, const std::string& path, bool editMode = false) {
        return ExportHtml(PresentationSource{list, folder.Path(), templates, editMode}, path);
    }
    // Files in the folder other than the catalog's own.
    std::vector<std::string> OtherFiles() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Movies.db", 0) != 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TemplatePaths templates = DefaultTemplatePaths(test::ResourcesFolder());
};

TEST_F(ExportTest, XmlHoldsTheSelectedMoviesInListOrderWithoutAttributes) {
    const auto oids = InsertTitles({"A", "B & <C>", "D"});
    const FixedMovieSelection list({oids[2], oids[0], oids[1]});
    const std::string path = folder / "catalog.xml";
    ASSERT_EQ(ExportXml(list, folder.Path(), path).status, Status::Written);

    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Reelkeep>", 0), 0u);
    auto document = test::ParseXml(bytes);
    EXPECT_EQ(test::XPathNumber(*document, "count(/Reelkeep/Movie)"), 3);
    EXPECT_EQ(test::XPathNumber(*document, "count(/Reelkeep/@*)"), 0);
    EXPECT_EQ(test::XPathText(*document, "/Reelkeep/Movie[1]/szTitle"), "D");
    EXPECT_EQ(test::XPathText(*document, "/Reelkeep/Movie[3]/szTitle"), "B & <C>");
    EXPECT_EQ(OtherFiles(), std::vector<std::string>{"catalog.xml"});  // no temporary left
}

TEST_F(ExportTest, HtmlIsTheViewOfOneMovieEvenInEditModeAndMultipleForSeveral) {
    const auto oids = InsertTitles({"Alpha", "Beta"});
    const std::string one = folder / "one.html";
    ASSERT_EQ(Html(FixedMovieSelection({oids[0]}), one, true).status, Status::Written);
    auto view = test::ParseHtml(ReadFileBytes(one));
    EXPECT_EQ(test::XPathText(*view, "/html/body/@class"), "view");
    EXPECT_EQ(test::XPathText(*view, "//h1"), "Alpha");

    const std::string two = folder / "two.html";
    ASSERT_EQ(Html(FixedMovieSelection(oids), two, true).status, Status::Written);
    auto multiple = test::ParseHtml(ReadFileBytes(two));
    EXPECT_EQ(test::XPathText(*multiple, "/html/body/@class"), "multiple");
    EXPECT_EQ(test::XPathNumber(*multiple, "count(//tbody/tr)"), 2);
}

TEST_F(ExportTest, NothingIsWrittenWithoutADocumentOrATemplate) {
    const auto oids = InsertTitles({"Alpha"});
    const std::string path = folder / "out.html";
    test::WriteFileBytes(path, "earlier export");

    EXPECT_EQ(Html(FixedMovieSelection({}), path).status, Status::NothingWritten);
    EXPECT_EQ(ExportXml(FixedMovieSelection({}), folder.Path(), path).status,
              Status::NothingWritten);
    templates.view = folder / "Missing.xsl";
    EXPECT_EQ(Html(FixedMovieSelection(oids), path).status, Status::NothingWritten);
    EXPECT_EQ(Html(FixedMovieSelection(oids), folder / "new.html").status, Status::NothingWritten);
    EXPECT_FALSE(FileExists(folder / "new.html"));

    test::TempFolder elsewhere;  // no catalog there
    EXPECT_EQ(ExportXml(FixedMovieSelection(oids), elsewhere.Path(), path).status,
              Status::NothingWritten);
    EXPECT_EQ(ReadFileBytes(path), "earlier export");
}

TEST_F(ExportTest, APathThatCannotBeWrittenIsAnErrorNotACrash) {
    const auto oids = InsertTitles({"Alpha"});
    const std::string missingFolder = folder / "no/such/folder/out.xml";
    for (const std::string& path : {missingFolder, folder.Path(), std::string()}) {
        const ExportResult xml = ExportXml(FixedMovieSelection(oids), folder.Path(), path);
        EXPECT_EQ(xml.status, Status::Failed) << path;
        EXPECT_EQ(xml.caption, "Reelkeep");
        EXPECT_FALSE(xml.detail.empty());
        EXPECT_EQ(Html(FixedMovieSelection(oids), path).status, Status::Failed) << path;
    }
    EXPECT_EQ(OtherFiles(), std::vector<std::string>{});
}

TEST(WriteFileReplacingTest, ReplacesWholeFiles) {
    test::TempFolder folder;
    const std::string path = folder / "file.txt";
    EXPECT_EQ(WriteFileReplacing(path, "a longer first version"), "");
    EXPECT_EQ(WriteFileReplacing(path, "short"), "");
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_EQ(WriteFileReplacing(path, ""), "");
    EXPECT_EQ(ReadFileBytes(path), "");

    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    EXPECT_EQ(WriteFileReplacing(path, "private"), "");
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
}  // namespace reelkeep
