#include "present/TemplateTransform.h"

#include <libxml/parser.h>
#include <libxslt/imports.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltutils.h>

#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "catalog/CatalogPaths.h"
#include "platform/Folders.h"
#include "platform/CNumericScope.h"
#include "present/CatalogDocument.h"
#include "present/RenderControl.h"
#include "present/StatisticsPage.h"
#include "present/XmlRuntime.h"

namespace reelkeep {

namespace {

using Status = RenderedPage::Status;

std::string AsString(const xmlChar* text) {
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

RenderedPage Failure(RenderedPage page, const XmlMessageCollector& messages,
                     std::string_view fallback) {
    page.status = Status::Failed;
    page.caption = kTransformErrorCaption;
    page.detail = messages.Text();
    if (page.detail.empty()) page.detail = fallback;
    return page;
}

// Output settings may come from an imported template; the importing one wins.
const xmlChar* OutputSetting(xsltStylesheet* style, xmlChar* xsltStylesheet::*setting) {
    for (xsltStylesheet* current = style; current; current = xsltNextImport(current)) {
        if (current->*setting) return current->*setting;
    }
    return nullptr;
}

void DescribeOutput(RenderedPage& page, xsltStylesheet* style, const xmlDoc& result) {
    const xmlChar* method = OutputSetting(style, &xsltStylesheet::method);
    const xmlChar* mediaType = OutputSetting(style, &xsltStylesheet::mediaType);
    const xmlChar* encoding = OutputSetting(style, &xsltStylesheet::encoding);
    page.encoding = encoding ? AsString(encoding) : "UTF-8";
    if (mediaType) {
        page.mediaType = AsString(mediaType);
    } else if (AsString(method) == "text") {
        page.mediaType = "text/plain";
    } else if (result.type == XML_HTML_DOCUMENT_NODE || AsString(method) == "html") {
        page.mediaType = "text/html";
    } else {
        page.mediaType = "application/xml";
    }
}

RenderedPage Stopped(RenderedPage page) {
    page.status = Status::Stopped;
    page.detail = "The page was no longer wanted.";
    return page;
}

// The name and value pairs of libxslt's parameter list, each value an XPath number: digits
// with a point, never an exponent, which XPath does not read.
class ParameterList {
public:
    explicit ParameterList(const std::vector<TemplateParameter>& parameters) {
        for (const TemplateParameter& parameter : parameters) {
            char digits[400];  // the largest double has 309 digits before the point
            const auto end = std::to_chars(digits, digits + sizeof digits, parameter.value,
                                           std::chars_format::fixed)
                                 .ptr;
            texts_.push_back(parameter.name);
            texts_.emplace_back(digits, end);
        }
        for (const std::string& text : texts_) pointers_.push_back(text.c_str());
        pointers_.push_back(nullptr);
    }
    const char** Get() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<const char*> pointers_;
};

}  // namespace

TemplatePaths DefaultTemplatePaths(const std::string& programFolder) {
    const std::string folder = ProgramDataFolder(programFolder, "Templates");
    return {folder + "View.xsl", folder + "Edit.xsl", folder + "Multiple.xsl"};
}

const std::string& ChooseTemplate(const TemplatePaths& templates, int selection, bool display,
                                  bool editMode) {
    if (selection < 0) return templates.multiple;
    if (display && editMode) return templates.edit;
    return templates.view;
}

std::string TemplateFolder(const std::string& templatePath) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(templatePath, error);
    if (error) path = templatePath;
    std::string folder = path.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

RenderedPage TransformDocument(xmlDoc& document, const std::string& templatePath,
                               bool setStyleSheet, const std::vector<TemplateParameter>& parameters,
                               RenderControl* control) {
    // XPath turns numbers into text with printf: in the window's locale 7.5 would read "7,5".
    const CNumericScope cNumbers;
    RenderedPage page;
    page.templatePath = templatePath;
    XmlMessageCollector messages;

    // A template that is missing or not well-formed gives no page and no message.
    xmlDoc* templateDocument =
        xmlReadFile(templatePath.c_str(), nullptr, XSLT_PARSE_OPTIONS | XML_PARSE_NONET);
    if (!templateDocument) {
        page.status = Status::NoTemplate;
        page.detail = messages.Text();
        if (page.detail.empty()) {
            page.detail = "The template \"" + templatePath + "\" cannot be read.";
        }
        return page;
    }
    XsltStylesheetPtr style(xsltParseStylesheetDoc(templateDocument));
    if (!style) {
        xmlFreeDoc(templateDocument);  // not taken over on failure
        return Failure(std::move(page), messages, "The file is not an XSL template.");
    }
    if (style->errors > 0) {
        return Failure(std::move(page), messages, "The template has errors.");
    }

    if (setStyleSheet) {
        SetRootAttribute(document, kStyleSheetAttribute, TemplateFolder(templatePath));
    }

    // A new transform context numbers the document's elements (xmlXPathOrderDocElems), so
    // that XPath sorts node sets by a lookup instead of tree walks: one walk over the tree.
    XsltContextPtr context(xsltNewTransformContext(style.get(), &document));
    if (!context) return Failure(std::move(page), messages, "The template cannot be run.");
    xsltSetCtxtParseOptions(context.get(), XSLT_PARSE_OPTIONS | XML_PARSE_NONET);
    if (control && control->Stopped()) return Stopped(std::move(page));
    ParameterList parameterList(parameters);
    XmlDocPtr result;
    {
        const RenderControl::TransformScope stoppable(control, context.get());
        result.reset(xsltApplyStylesheetUser(style.get(), &document, parameterList.Get(), nullptr,
                                             nullptr, context.get()));
    }
    if (control && control->Stopped()) return Stopped(std::move(page));
    if (!result || context->state != XSLT_STATE_OK) {
        return Failure(std::move(page), messages, "The template failed when run.");
    }

    xmlChar* bytes = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&bytes, &length, result.get(), style.get()) != 0) {
        xmlFree(bytes);
        return Failure(std::move(page), messages, "The page could not be written.");
    }
    XmlBytesPtr owned(bytes);
    if (bytes && length > 0) page.bytes.assign(reinterpret_cast<const char*>(bytes), length);
    DescribeOutput(page, style.get(), *result);
    page.status = Status::Rendered;
    return page;
}

namespace {

RenderedPage NoDocument(const CatalogDocument& built) {
    RenderedPage page;
    if (built.stopped) return Stopped(std::move(page));
    page.status = Status::NoDocument;
    page.detail = built.catalogProblem.empty() ? "No movie is selected." : built.catalogProblem;
    return page;
}

std::vector<TemplateParameter> SummaryParameters(const SelectionSummary& summary) {
    const double values[] = {static_cast<double>(summary.watched),
                             static_cast<double>(summary.minutes), summary.bytes,
                             static_cast<double>(summary.files), static_cast<double>(summary.lent)};
    std::vector<TemplateParameter> parameters;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        parameters.push_back({kSummaryParameters[i], values[i]});
    }
    return parameters;
}

}  // namespace

RenderedPage TransformSelection(const PresentationSource& source, int& selection, bool display,
                                RenderControl* control) {
    CatalogDocument built =
        BuildCatalogDocument(source.list, source.catalogFolder, selection, display, control);
    if (!built.document) return NoDocument(built);
    const std::string& templatePath =
        ChooseTemplate(source.templates, selection, display, source.editMode);
    std::vector<TemplateParameter> parameters;
    if (selection < 0) parameters = SummaryParameters(built.summary);
    return TransformDocument(*built.document, templatePath, display, parameters, control);
}

RenderedPage RenderPage(const PageRequest& request, RenderControl* control,
                        XmlDocPtr* keepDocument) {
    if (request.statistics) {
        return RenderStatistics(CatalogFilePath(request.catalogFolder), request.statistics->filter,
                                request.statistics->templatePath, true, control);
    }
    CatalogDocument built = BuildMovieDocument(request.catalogFolder, request.movies, true, control);
    if (!built.document) return NoDocument(built);
    const bool several = request.movies.size() > 1;
    const std::string& templatePath =
        ChooseTemplate(request.templates, several ? -1 : 0, true, request.editMode);
    std::vector<TemplateParameter> parameters;
    if (several) parameters = SummaryParameters(built.summary);
    if (several && request.rowLimit > 0) {
        parameters.push_back({kRowLimitParameter, static_cast<double>(request.rowLimit)});
    }
    RenderedPage page = TransformDocument(*built.document, templatePath, true, parameters, control);
    if (keepDocument) *keepDocument = std::move(built.document);
    return page;
}

}  // namespace reelkeep
