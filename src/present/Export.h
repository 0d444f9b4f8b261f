// Writing the selected movies to a file: the catalog document itself, or the page a template
// makes of it. Both are built without the pane's attributes ("Pictures", "StyleSheet").
#pragma once

#include <string>
#include <string_view>

#include "present/MovieSelection.h"
#include "present/TemplateTransform.h"
#include "present/XmlHandles.h"

namespace reelkeep {

class RenderControl;

// The document as XML export writes it: UTF-8 with an XML declaration, indented.
std::string SerializeCatalogDocument(xmlDoc& document);

// Writes the bytes to a file beside the target and renames it into place, so that a failure
// leaves any earlier file untouched and no partial one. Returns the reason of a failure, or
// an empty string.
std::string WriteFileReplacing(const std::string& path, std::string_view bytes);

struct ExportResult {
    enum class Status {
        Written,
        NothingWritten,  // no document (nothing selected, catalog not open) or no template
        Failed,          // caption and detail are for an error box
    };
    Status status = Status::NothingWritten;
    std::string caption;
    std::string detail;  // Failed: the message; NothingWritten: why, for the command line
};

inline constexpr const char* kExportErrorCaption = "Reelkeep";

// Both export the list's selection and throw dbException when the catalog cannot be read.
// The control, when given, follows the work and may stop it: nothing is written then.
// The XML file: the document of the selection.
ExportResult ExportXml(const MovieSelection& list, const std::string& catalogFolder,
                       const std::string& path, RenderControl* control = nullptr);
// The HTML file: the bytes of "View" for one movie (even in edit mode) or of "Multiple" for
// several, copied unchanged.
ExportResult ExportHtml(const PresentationSource& source, const std::string& path,
                        RenderControl* control = nullptr);

}  // namespace reelkeep
