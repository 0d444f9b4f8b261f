#include "interop/XmlInput.h"

#include <libxml/parser.h>

#include <climits>

#include "present/XmlRuntime.h"

namespace reelkeep {

XmlInput ParseOutsideXml(std::string_view bytes, const std::string& name) {
    XmlInput input;
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        input.error = "The file is too large to be read.";
        return input;
    }
    XmlMessageCollector messages;
    // No XML_PARSE_NOENT, no DTD loading: entities stay unexpanded references, which NodeText
    // skips. Without XML_PARSE_HUGE the parser keeps its limits on depth and text lengths.
    const int options = XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR |
                        XML_PARSE_NOCDATA;
    input.document.reset(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()),
                                       name.c_str(), nullptr, options));
    if (!input.document || !xmlDocGetRootElement(input.document.get())) {
        input.document.reset();
        const xmlError* error = xmlGetLastError();
        input.error = "The file is not well-formed XML";
        if (error && error->message) {
            std::string message = error->message;
            while (!message.empty() && message.back() == '\n') message.pop_back();
            input.error += " (line " + std::to_string(error->line) + ": " + message + ")";
        }
        input.error += ".";
        xmlResetLastError();
    }
    return input;
}

std::string_view LocalName(const xmlNode* node) {
    return node && node->name ? std::string_view(reinterpret_cast<const char*>(node->name))
                              : std::string_view();
}

std::vector<xmlNode*> ChildElements(const xmlNode* node, std::string_view name) {
    std::vector<xmlNode*> children;
    if (!node) return children;
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && (name.empty() || LocalName(child) == name)) {
            children.push_back(child);
        }
    }
    return children;
}

xmlNode* FirstChild(const xmlNode* node, std::string_view name) {
    if (!node) return nullptr;
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && LocalName(child) == name) return child;
    }
    return nullptr;
}

std::string NodeText(const xmlNode* node) {
    std::string text;
    if (!node) return text;
    for (const xmlNode* child = node->children; child; child = child->next) {
        if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) &&
            child->content) {
            text += reinterpret_cast<const char*>(child->content);
        }
    }
    return text;
}

std::string ChildText(const xmlNode* node, std::string_view name) {
    return NodeText(FirstChild(node, name));
}

std::string AttributeText(const xmlNode* node, const char* name) {
    if (!node) return {};
    for (const xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
        if (attribute->name && std::string_view(reinterpret_cast<const char*>(attribute->name)) == name) {
            std::string text;
            for (const xmlNode* child = attribute->children; child; child = child->next) {
                if (child->type == XML_TEXT_NODE && child->content) {
                    text += reinterpret_cast<const char*>(child->content);
                }
            }
            return text;
        }
    }
    return {};
}

bool HasAttribute(const xmlNode* node, const char* name) {
    if (!node) return false;
    for (const xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
        if (attribute->name && std::string_view(reinterpret_cast<const char*>(attribute->name)) == name) {
            return true;
        }
    }
    return false;
}

}  // namespace reelkeep
