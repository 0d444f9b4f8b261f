#include "present/Export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "present/CatalogDocument.h"
#include "present/RenderControl.h"
#include "present/XmlRuntime.h"

namespace reelkeep {

namespace {

std::string SystemError(const std::string& what, const std::string& path, int error) {
    return what + " \"" + path + "\": " + std::strerror(error);
}

std::string TemporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".part-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

ExportResult Failed(std::string detail) {
    return {ExportResult::Status::Failed, kExportErrorCaption, std::move(detail)};
}

ExportResult Cancelled() {
    return {ExportResult::Status::NothingWritten, {}, "The export was cancelled."};
}

}  // namespace

std::string SerializeCatalogDocument(xmlDoc& document) {
    XmlMessageCollector messages;
    xmlChar* bytes = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(&document, &bytes, &size, "UTF-8", 1);
    XmlBytesPtr owned(bytes);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size))
                 : std::string();
}

std::string WriteFileReplacing(const std::string& path, std::string_view bytes) {
    if (path.empty()) return "No file name was given.";
    const std::string temporary = TemporaryNameBeside(path);
    const int descriptor =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return SystemError("Cannot write", path, errno);
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        fchmod(descriptor, existing.st_mode & 07777);  // a replaced file keeps its permissions
    }
    const bool written = WriteAll(descriptor, bytes);
    const int writeError = errno;
    const bool closed = close(descriptor) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        unlink(temporary.c_str());
        return SystemError("Cannot write", path, !written ? writeError : closeError);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        unlink(temporary.c_str());
        return SystemError("Cannot replace", path, renameError);
    }
    return {};
}

ExportResult ExportXml(const MovieSelection& list, const std::string& catalogFolder,
                       const std::string& path, RenderControl* control) {
    int selection = -1;
    const CatalogDocument built =
        BuildCatalogDocument(list, catalogFolder, selection, false, control);
    if (!built.document) {
        return {ExportResult::Status::NothingWritten, {},
                built.stopped                  ? Cancelled().detail
                : built.catalogProblem.empty() ? "No movie is selected."
                                               : built.catalogProblem};
    }
    const std::string bytes = SerializeCatalogDocument(*built.document);
    if (bytes.empty()) return Failed("The XML document could not be written.");
    if (control && control->Stopped()) return Cancelled();
    if (std::string error = WriteFileReplacing(path, bytes); !error.empty()) {
        return Failed(std::move(error));
    }
    return {ExportResult::Status::Written, {}, {}};
}

ExportResult ExportHtml(const PresentationSource& source, const std::string& path,
                        RenderControl* control) {
    int selection = -1;
    const RenderedPage page = TransformSelection(source, selection, false, control);
    switch (page.status) {
        case RenderedPage::Status::Rendered:
            break;
        case RenderedPage::Status::NoDocument:
        case RenderedPage::Status::NoTemplate:
        case RenderedPage::Status::Stopped:
            return {ExportResult::Status::NothingWritten, {}, page.detail};
        case RenderedPage::Status::Failed:
            return {ExportResult::Status::Failed, page.caption, page.detail};
    }
    if (control && control->Stopped()) return Cancelled();
    if (std::string error = WriteFileReplacing(path, page.bytes); !error.empty()) {
        return Failed(std::move(error));
    }
    return {ExportResult::Status::Written, {}, {}};
}

}  // namespace reelkeep
