#include "present/XmlRuntime.h"

#include "present/TemplateFunctions.h"

#include <libexslt/exslt.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxslt/security.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "present/XmlArena.h"

namespace reelkeep {

namespace {

thread_local XmlMessageCollector* tCurrentCollector = nullptr;

void AppendFormatted(const char* format, va_list args) {
    XmlMessageCollector* collector = XmlMessageCollector::Current();
    if (!collector) return;  // nobody listens: dropped rather than sent to stderr
    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0) return;
    if (static_cast<std::size_t>(length) < sizeof small) {
        collector->Append(std::string_view(small, static_cast<std::size_t>(length)));
        return;
    }
    std::string large(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(large.data(), large.size(), format, args);
    large.resize(static_cast<std::size_t>(length));
    collector->Append(large);
}

void GenericMessage(void* /*context*/, const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatted(format, args);
    va_end(args);
}

void StructuredMessage(void* /*context*/, xmlErrorPtr error) {
    XmlMessageCollector* collector = XmlMessageCollector::Current();
    if (!collector || !error) return;
    std::string line;
    if (error->file) {
        line += error->file;
        if (error->line > 0) line += ":" + std::to_string(error->line);
        line += ": ";
    }
    line += error->message ? error->message : "unknown XML error";
    if (line.empty() || line.back() != '\n') line += '\n';
    collector->Append(line);
}

void SetUpOnce() {
    InstallXmlArena();
    xmlInitParser();
    exsltRegisterAll();
    RegisterTemplateFunctions();
    // libxslt keeps one process-wide handler; it forwards to the collector of the calling thread.
    xsltSetGenericErrorFunc(nullptr, &GenericMessage);
    // Templates are the user's files, but a page must never write files or reach the network.
    xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
    xsltSetDefaultSecurityPrefs(prefs);  // kept for the life of the process
}

}  // namespace

void EnsureXmlRuntime() {
    static std::once_flag once;
    std::call_once(once, &SetUpOnce);
}

XmlMessageCollector::XmlMessageCollector()
    : outer_(tCurrentCollector),
      outerStructured_(xmlStructuredError),
      outerStructuredContext_(xmlStructuredErrorContext),
      outerGeneric_(xmlGenericError),
      outerGenericContext_(xmlGenericErrorContext) {
    EnsureXmlRuntime();
    tCurrentCollector = this;
    // Both are per thread in libxml2.
    xmlSetStructuredErrorFunc(nullptr, &StructuredMessage);
    xmlSetGenericErrorFunc(nullptr, &GenericMessage);
}

XmlMessageCollector::~XmlMessageCollector() {
    xmlSetStructuredErrorFunc(outerStructuredContext_, outerStructured_);
    xmlSetGenericErrorFunc(outerGenericContext_, outerGeneric_);
    tCurrentCollector = outer_;
}

void XmlMessageCollector::Append(std::string_view text) {
    // A template can raise messages without end; an error box needs the first few.
    constexpr std::size_t kLimit = 16 * 1024;
    if (text_.size() >= kLimit) return;
    text_.append(text.substr(0, kLimit - text_.size()));
    if (text_.size() >= kLimit) text_ += "\n...";
}

std::string XmlMessageCollector::Text() const {
    std::string text = text_;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

XmlMessageCollector* XmlMessageCollector::Current() { return tCurrentCollector; }

}  // namespace reelkeep
