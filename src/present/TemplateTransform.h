// Turning the catalog document into a page through an XSL template.
#pragma once

#include <string>

#include "present/MovieSelection.h"
#include "present/XmlHandles.h"

namespace reelkeep {

// Full paths of the three templates, as the settings "View", "Edit" and "Multiple" hold them.
struct TemplatePaths {
    std::string view;      // one movie
    std::string edit;      // one movie in edit mode, in the pane only
    std::string multiple;  // several movies
};

// "View.xsl" and its siblings in the program's "Templates" folder (ProgramDataFolder: beside
// the program, or in ../share/reelkeep/ when installed); programFolder ends in "/".
TemplatePaths DefaultTemplatePaths(const std::string& programFolder);

// Which template renders a document built for `selection` (as the build left it).
const std::string& ChooseTemplate(const TemplatePaths& templates, int selection, bool display,
                                  bool editMode);

// The folder of a template as "StyleSheet" gives it: absolute, ending in "/".
std::string TemplateFolder(const std::string& templatePath);

struct RenderedPage {
    enum class Status {
        Rendered,    // bytes hold the page
        NoDocument,  // nothing selected, or the catalog did not open (see detail)
        NoTemplate,  // the template file is missing or not well-formed XML (see detail)
        Failed,      // the template would not compile or failed when run: show caption/detail
    };
    Status status = Status::NoDocument;
    std::string bytes;         // exactly what the processor wrote
    std::string mediaType;     // from the template's output settings, "text/html" by default
    std::string encoding;      // the charset of bytes, from the template's output settings
    std::string templatePath;  // the template that was used
    std::string caption;       // for Failed: the title of the error box
    std::string detail;        // for Failed: the processor's description; otherwise why none

    bool HasPage() const { return status == Status::Rendered; }
};

inline constexpr const char* kTransformErrorCaption = "Template error";

// Transforms a document with the template file. With `setStyleSheet` the root first gets the
// "StyleSheet" attribute, the template's folder.
RenderedPage TransformDocument(xmlDoc& document, const std::string& templatePath,
                               bool setStyleSheet);

struct PresentationSource {
    const MovieSelection& list;
    std::string catalogFolder;  // ends in "/"
    TemplatePaths templates;
    bool editMode = false;
};

// Builds the document of the selection and renders it with the template that fits: "Multiple"
// for several movies, "Edit" for one in edit mode when `display` is set, "View" otherwise.
// `display` marks a page for the pane ("Pictures" and "StyleSheet" are set). Throws
// dbException as BuildCatalogDocument does.
RenderedPage TransformSelection(const PresentationSource& source, int& selection, bool display);

}  // namespace reelkeep
