// Rendering the selection through XSL templates written for each case.
#include "present/TemplateTransform.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "PresentTestSupport.h"
#include "present/CatalogDocument.h"

namespace reelkeep {
namespace {

using Status = RenderedPage::Status;
using test::PresentTest;

// A text-output template that names itself and lists what it was given.
std::string NamingTemplate(const std::string& name) {
    return R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="text" encoding="UTF-8"/>
  <xsl:template match="/">)" +
           name + R"(:<xsl:for-each select="Reelkeep/Movie"><xsl:value-of select="szTitle"/>;</xsl:for-each>
[<xsl:value-of select="Reelkeep/@StyleSheet"/>][<xsl:value-of select="Reelkeep/@Pictures"/>]</xsl:template>
</xsl:stylesheet>)";
}

std::string Stylesheet(const std::string& output, const std::string& body) {
    return R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">)" +
           output + R"(<xsl:template match="/">)" + body + "</xsl:template></xsl:stylesheet>";
}

class TemplateTransformTest : public PresentTest {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder / "Templates");
        templates = DefaultTemplatePaths(folder.Path());
        test::WriteFileBytes(templates.view, NamingTemplate("view"));
        test::WriteFileBytes(templates.edit, NamingTemplate("edit"));
        test::WriteFileBytes(templates.multiple, NamingTemplate("multiple"));
        oids = InsertTitles({"A", "B", "C"});
    }
    RenderedPage Render(const MovieSelection& list, int selection, bool display, bool editMode) {
        return TransformSelection(PresentationSource{list, folder.Path(), templates, editMode},
                                  selection, display);
    }
    // Renders movie A with a template of the given text.
    RenderedPage RenderWith(const std::string& templateText) {
        const std::string path = folder / "Custom.xsl";
        test::WriteFileBytes(path, templateText);
        templates.view = path;
        return Render(FixedMovieSelection({oids[0]}), -1, false, false);
    }

    TemplatePaths templates;
    std::vector<ObjectId> oids;
};

TEST_F(TemplateTransformTest, TheSelectionAndEditModeChooseTheTemplate) {
    const FixedMovieSelection three({oids[0], oids[1], oids[2]});
    const FixedMovieSelection one({oids[0], oids[1], oids[2]}, {1}, 1);
    const std::string pane = "[" + folder.Path() + "Templates/][" + folder.Path() + "]";

    EXPECT_EQ(Render(one, -1, true, false).bytes, "view:B;\n" + pane);
    EXPECT_EQ(Render(one, -1, true, true).bytes, "edit:B;\n" + pane);
    EXPECT_EQ(Render(three, -1, true, true).bytes, "multiple:A;B;C;\n" + pane);
    // A named row shows alone, with "Edit" in edit mode, whatever else is selected.
    EXPECT_EQ(Render(three, 2, true, true).bytes, "edit:C;\n" + pane);
    // Without the display flag (export): "View" even in edit mode, and no pane attributes.
    EXPECT_EQ(Render(one, -1, false, true).bytes, "view:B;\n[][]");
    EXPECT_EQ(Render(three, -1, false, true).bytes, "multiple:A;B;C;\n[][]");

    const RenderedPage none = Render(FixedMovieSelection({}), -1, true, false);
    EXPECT_EQ(none.status, Status::NoDocument);
    EXPECT_EQ(none.bytes, "");
}

TEST_F(TemplateTransformTest, AMissingOrMalformedTemplateGivesNoPageAndNoError) {
    templates.view = folder / "Templates/Missing.xsl";
    const RenderedPage missing = Render(FixedMovieSelection({oids[0]}), -1, true, false);
    EXPECT_EQ(missing.status, Status::NoTemplate);
    EXPECT_EQ(missing.caption, "");

    const RenderedPage malformed = RenderWith("<xsl:stylesheet version=\"1.0\"");
    EXPECT_EQ(malformed.status, Status::NoTemplate);
    EXPECT_EQ(malformed.bytes, "");
}

TEST_F(TemplateTransformTest, ATemplateThatFailsGivesTheProcessorsDescription) {
    const RenderedPage stopped = RenderWith(
        Stylesheet("", R"(<xsl:message terminate="yes">Stopped by the template</xsl:message>)"));
    EXPECT_EQ(stopped.status, Status::Failed);
    EXPECT_EQ(stopped.caption, kTransformErrorCaption);
    EXPECT_NE(stopped.detail.find("Stopped by the template"), std::string::npos) << stopped.detail;
    EXPECT_EQ(stopped.bytes, "");

    const RenderedPage undefined = RenderWith(Stylesheet("", R"(<xsl:value-of select="$nowhere"/>)"));
    EXPECT_EQ(undefined.status, Status::Failed);
    EXPECT_NE(undefined.detail.find("nowhere"), std::string::npos) << undefined.detail;

    const RenderedPage compileError = RenderWith(Stylesheet("", "<xsl:value-of/>"));
    EXPECT_EQ(compileError.status, Status::Failed);
    EXPECT_NE(compileError.detail.find("select"), std::string::npos) << compileError.detail;

    const RenderedPage notXslt = RenderWith("<html><body>no template</body></html>");
    EXPECT_EQ(notXslt.status, Status::Failed);
    EXPECT_FALSE(notXslt.detail.empty());

    const RenderedPage badCall = RenderWith(Stylesheet("", R"x(<xsl:value-of select="nofunc(1)"/>)x"));
    EXPECT_EQ(badCall.status, Status::Failed);
    EXPECT_NE(badCall.detail.find("nofunc"), std::string::npos) << badCall.detail;

    // Endless messages are cut short.
    const RenderedPage flood = RenderWith(Stylesheet(
        "", R"x(<xsl:for-each select="//node()"><xsl:for-each select="//node()">
                  <xsl:message>one of some five thousand lines of text</xsl:message>
                </xsl:for-each></xsl:for-each><xsl:message terminate="yes">end</xsl:message>)x"));
    EXPECT_EQ(flood.status, Status::Failed);
    EXPECT_GT(flood.detail.size(), 10'000u);
    EXPECT_LT(flood.detail.size(), 20'000u);

    // A message that does not terminate is no failure.
    const RenderedPage noted =
        RenderWith(Stylesheet(R"(<xsl:output method="text"/>)", "<xsl:message>note</xsl:message>ok"));
    EXPECT_EQ(noted.status, Status::Rendered);
    EXPECT_EQ(noted.bytes, "ok");
}

TEST_F(TemplateTransformTest, ATemplateCannotWriteFiles) {
    const std::string target = folder / "written.txt";
    const RenderedPage page = RenderWith(
        R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
             xmlns:exsl="http://exslt.org/common" extension-element-prefixes="exsl">
             <xsl:template match="/"><exsl:document href=")" +
        target + R"(" method="text">data</exsl:document></xsl:template></xsl:stylesheet>)");
    EXPECT_EQ(page.status, Status::Failed);
    EXPECT_FALSE(test::FileExists(target));
}

TEST_F(TemplateTransformTest, TheTemplatesOutputSettingsGiveEncodingAndType) {
    Movie movie;
    movie.szTitle = "Caf\xC3\xA9";
    const ObjectId oid = Insert(movie);
    templates.view = folder / "Latin1.xsl";
    test::WriteFileBytes(templates.view,
                         Stylesheet(R"(<xsl:output method="html" encoding="ISO-8859-1"/>)",
                                    R"(<p><xsl:value-of select="//szTitle"/></p>)"));
    const RenderedPage latin1 = Render(FixedMovieSelection({oid}), -1, false, false);
    ASSERT_EQ(latin1.status, Status::Rendered) << latin1.detail;
    EXPECT_EQ(latin1.encoding, "ISO-8859-1");
    EXPECT_EQ(latin1.mediaType, "text/html");
    EXPECT_NE(latin1.bytes.find("<p>Caf\xE9</p>"), std::string::npos) << latin1.bytes;

    const RenderedPage text = RenderWith(Stylesheet(R"(<xsl:output method="text"/>)", "x"));
    EXPECT_EQ(text.mediaType, "text/plain");
    EXPECT_EQ(text.encoding, "UTF-8");
}

TEST_F(TemplateTransformTest, MarkupAndNonAsciiSurviveTheRoundTrip) {
    Movie movie;
    movie.szTitle = "<b>Tom & \"Jerry\"</b> 'n' caf\xC3\xA9 \xE2\x82\xAC";
    const ObjectId oid = Insert(movie);
    templates.view = folder / "Html.xsl";
    test::WriteFileBytes(templates.view,
                         Stylesheet(R"(<xsl:output method="html" encoding="UTF-8"/>)",
                                    R"(<html><body><p id="t"><xsl:value-of select="//szTitle"/></p>
                                       <input id="i" value="{//szTitle}"/></body></html>)"));
    const RenderedPage page = Render(FixedMovieSelection({oid}), -1, false, false);
    ASSERT_EQ(page.status, Status::Rendered) << page.detail;
    EXPECT_EQ(page.bytes.find("<b>"), std::string::npos);  // escaped, not markup
    auto html = test::ParseHtml(page.bytes);
    EXPECT_EQ(test::XPathText(*html, "//p[@id='t']"), movie.szTitle);
    EXPECT_EQ(test::XPathText(*html, "//input[@id='i']/@value"), movie.szTitle);
}

TEST(TemplatePathsTest, DefaultsAndFolders) {
    const TemplatePaths paths = DefaultTemplatePaths("/opt/reelkeep/");
    EXPECT_EQ(paths.view, "/opt/reelkeep/Templates/View.xsl");
    EXPECT_EQ(paths.edit, "/opt/reelkeep/Templates/Edit.xsl");
    EXPECT_EQ(paths.multiple, "/opt/reelkeep/Templates/Multiple.xsl");
    EXPECT_EQ(TemplateFolder("/opt/reelkeep/Templates/View.xsl"), "/opt/reelkeep/Templates/");
    const std::string relative = TemplateFolder("View.xsl");
    EXPECT_EQ(relative.front(), '/');
    EXPECT_EQ(relative.back(), '/');
}

}  // namespace
}  // namespace reelkeep
