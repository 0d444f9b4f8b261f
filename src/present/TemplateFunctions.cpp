#include "present/TemplateFunctions.h"

#include <libxml/uri.h>
#include <libxml/xpathInternals.h>
#include <libxslt/extensions.h>
#include <libxslt/xsltInternals.h>

#include <fstream>
#include <iterator>
#include <string>

#include "present/XmlText.h"

namespace reelkeep {

namespace {

constexpr std::size_t kStyleSheetLimit = 1u << 20;

bool IsStyleSheetName(const std::string& name) {
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".css") == 0 &&
           name.find_first_of("/\\") == std::string::npos && name.front() != '.';
}

// The folder of the template file that holds the calling instruction, ending in "/".
std::string CallingTemplateFolder(xsltTransformContextPtr transform) {
    const xmlNode* instruction = transform ? transform->inst : nullptr;
    const xmlDoc* document = instruction ? instruction->doc : nullptr;
    if (!document || !document->URL) return {};
    std::string path = reinterpret_cast<const char*>(document->URL);
    if (path.rfind("file://", 0) == 0) {
        if (char* unescaped = xmlURIUnescapeString(path.c_str() + 7, 0, nullptr)) {
            path = unescaped;
            xmlFree(unescaped);
        }
    }
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::string text;
    text.resize(kStyleSheetLimit + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto got = static_cast<std::size_t>(file.gcount());
    if (got > kStyleSheetLimit) return {};
    text.resize(got);
    return text;
}

void TextBeside(xmlXPathParserContextPtr context, int count) {
    if (count != 1) {
        xmlXPathSetArityError(context);
        return;
    }
    xmlChar* argument = xmlXPathPopString(context);
    const std::string name = argument ? reinterpret_cast<const char*>(argument) : "";
    xmlFree(argument);
    std::string text;
    if (IsStyleSheetName(name)) {
        const std::string folder = CallingTemplateFolder(xsltXPathGetTransformContext(context));
        if (!folder.empty()) text = ToXmlText(ReadSmallFile(folder + name));
    }
    valuePush(context, xmlXPathNewString(reinterpret_cast<const xmlChar*>(text.c_str())));
}

}  // namespace

void RegisterTemplateFunctions() {
    xsltRegisterExtModuleFunction(reinterpret_cast<const xmlChar*>("text-beside"),
                                  reinterpret_cast<const xmlChar*>(kTemplateFunctionsUri),
                                  &TextBeside);
}

}  // namespace reelkeep
