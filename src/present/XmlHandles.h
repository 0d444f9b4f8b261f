// Owning handles for libxml2 and libxslt objects.
#pragma once

#include <libxml/tree.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>

#include <memory>

namespace reelkeep {

struct XmlDocDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
struct XsltStylesheetDeleter {
    void operator()(xsltStylesheet* stylesheet) const { xsltFreeStylesheet(stylesheet); }
};
struct XsltContextDeleter {
    void operator()(xsltTransformContext* context) const { xsltFreeTransformContext(context); }
};
struct XmlBytesDeleter {
    void operator()(xmlChar* bytes) const { xmlFree(bytes); }
};

using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocDeleter>;
using XsltStylesheetPtr = std::unique_ptr<xsltStylesheet, XsltStylesheetDeleter>;
using XsltContextPtr = std::unique_ptr<xsltTransformContext, XsltContextDeleter>;
using XmlBytesPtr = std::unique_ptr<xmlChar, XmlBytesDeleter>;

}  // namespace reelkeep
