// Process-wide set-up of libxml2 and libxslt, and the collection of their messages.
#pragma once

#include <libxml/xmlerror.h>

#include <string>
#include <string_view>

namespace reelkeep {

// Initialises the parser, registers the EXSLT functions and forbids templates to write files or
// to use the network. Safe to call from any thread, any number of times.
void EnsureXmlRuntime();

// While alive, the messages that libxml2 and libxslt raise on this thread are gathered here
// instead of going to stderr. Nests: the innermost collector gets the messages.
class XmlMessageCollector {
public:
    XmlMessageCollector();
    ~XmlMessageCollector();
    XmlMessageCollector(const XmlMessageCollector&) = delete;
    XmlMessageCollector& operator=(const XmlMessageCollector&) = delete;

    // Appends raw text as the libraries hand it over (pieces of lines included).
    void Append(std::string_view text);
    // What was gathered, without trailing line breaks.
    std::string Text() const;

    // The collector of this thread, or nullptr.
    static XmlMessageCollector* Current();

private:
    std::string text_;
    XmlMessageCollector* outer_;
    xmlStructuredErrorFunc outerStructured_;
    void* outerStructuredContext_;
    xmlGenericErrorFunc outerGeneric_;
    void* outerGenericContext_;
};

}  // namespace reelkeep
