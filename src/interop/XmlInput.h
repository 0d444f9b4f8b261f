// Reading XML that comes from outside: parsed by libxml2 without the network, without loading
// or expanding entities (a document's own text is all that is read), its messages collected.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <vector>

#include "present/XmlHandles.h"

namespace reelkeep {

struct XmlInput {
    XmlDocPtr document;  // none when the bytes are not well-formed XML
    std::string error;   // why, with the line
};

XmlInput ParseOutsideXml(std::string_view bytes, const std::string& name);

// The element's name without any namespace prefix.
std::string_view LocalName(const xmlNode* node);
// Elements among the node's children, optionally only those with this local name.
std::vector<xmlNode*> ChildElements(const xmlNode* node, std::string_view name = {});
xmlNode* FirstChild(const xmlNode* node, std::string_view name);
// The text and CDATA directly inside the node, concatenated; references to entities give
// nothing.
std::string NodeText(const xmlNode* node);
// The text of the first child element with this name; empty when there is none.
std::string ChildText(const xmlNode* node, std::string_view name);
std::string AttributeText(const xmlNode* node, const char* name);
bool HasAttribute(const xmlNode* node, const char* name);

}  // namespace reelkeep
