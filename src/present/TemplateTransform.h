// Turning the catalog document into a page through an XSL template.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "present/MovieSelection.h"
#include "present/XmlHandles.h"

namespace reelkeep {

class RenderControl;

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
        Stopped,     // the control stopped the work; nothing is to be shown
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

// A number handed to the template as the value of a top-level xsl:param of that name. A
// template that declares no such parameter runs as without it.
struct TemplateParameter {
    std::string name;
    double value = 0;
};

// How many movies the pane's "Multiple" page lists at first. The shipped template lists that
// many rows, says how many more there are and links to the page of all of them; without the
// parameter (an export) it lists every row.
inline constexpr const char* kRowLimitParameter = "row-limit";
// The address of that link: the pane takes it as a request for every row of the selection on
// show, and stays where it is.
inline constexpr const char* kAllRowsAddress = "rkpage:/all-rows";
// The figures of the whole selection, handed to the template of several movies as counted
// while the document was made; the shipped template counts them itself when it is not given
// them. Their names, in the order of SelectionSummary: watched, minutes, bytes, files, lent.
inline constexpr const char* kSummaryParameters[] = {"watched-count", "total-minutes",
                                                     "total-bytes", "file-count", "lent-count"};

// Transforms a document with the template file. With `setStyleSheet` the root first gets the
// "StyleSheet" attribute, the template's folder. The control, when given, may stop the
// transform; the page is then Stopped.
RenderedPage TransformDocument(xmlDoc& document, const std::string& templatePath,
                               bool setStyleSheet,
                               const std::vector<TemplateParameter>& parameters = {},
                               RenderControl* control = nullptr);

struct PresentationSource {
    const MovieSelection& list;
    std::string catalogFolder;  // ends in "/"
    TemplatePaths templates;
    bool editMode = false;
};

// Builds the document of the selection and renders it with the template that fits: "Multiple"
// for several movies, "Edit" for one in edit mode when `display` is set, "View" otherwise.
// `display` marks a page for the pane ("Pictures" and "StyleSheet" are set). Throws
// dbException as BuildCatalogDocument does. The control, when given, follows the build and
// may stop it and the transform.
RenderedPage TransformSelection(const PresentationSource& source, int& selection, bool display,
                                RenderControl* control = nullptr);

// Everything the pane's page is made from, taken on the window's thread so that the page can
// be made on another.
struct PageRequest {
    std::string catalogFolder;     // ends in "/"
    std::vector<ObjectId> movies;  // in list order; one movie gets "View" or "Edit"
    TemplatePaths templates;
    bool editMode = false;
    std::size_t rowLimit = 0;  // passed as kRowLimitParameter to "Multiple"; 0 passes none
    // Set for the statistics page instead of a page of movies: the figures of the movies the
    // Filter query finds (every movie for an empty one), through that template.
    struct Statistics {
        std::string filter;
        std::string templatePath;
    };
    std::optional<Statistics> statistics;
};

// The pane's page of the request ("Pictures" and "StyleSheet" set). No movies give
// NoDocument. Throws dbException as BuildMovieDocument does. With `keepDocument`, the
// document is handed over there instead of being freed, so that the page can be shown before
// a large document is taken apart.
RenderedPage RenderPage(const PageRequest& request, RenderControl* control = nullptr,
                        XmlDocPtr* keepDocument = nullptr);

}  // namespace reelkeep
