#include "interop/ImportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "interop/CatalogFormats.h"
#include "interop/Csv.h"
#include "interop/CsvImport.h"
#include "interop/XmlInput.h"
#include "interop/ZipArchive.h"
#include "platform/CaseFold.h"

namespace reelkeep {

namespace {

// Letterboxd's export: the film list first (its addresses name the films), then the ratings,
// the diary and the films still to be seen.
constexpr std::string_view kLetterboxdFiles[] = {"watched.csv", "ratings.csv", "diary.csv",
                                                 "watchlist.csv"};
constexpr std::size_t kDocumentLimit = 512u << 20;

std::string ReadWholeFile(const std::string& path) {
    // Without blocking: a pipe named on the command line must not hold the import up.
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        throw ImportFileError{"Cannot read \"" + path + "\": " + std::strerror(errno)};
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        throw ImportFileError{"\"" + path + "\" is not a file."};
    }
    if (static_cast<std::size_t>(status.st_size) > kImportFileLimit) {
        close(descriptor);
        throw ImportFileError{"\"" + path + "\" is too large to be imported."};
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            close(descriptor);
            throw ImportFileError{"Cannot read \"" + path + "\": " + std::strerror(error)};
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<std::size_t>(got) > kImportFileLimit) {
            close(descriptor);
            throw ImportFileError{"\"" + path + "\" is too large to be imported."};
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    close(descriptor);
    return bytes;
}

std::string BareName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool LooksLikeXml(std::string_view bytes) {
    if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    }
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes[first] == '<';
}

ImportBatch ReadZip(std::string_view bytes, const std::string& fileName) {
    std::string error;
    const std::unique_ptr<ZipArchive> archive = ZipArchive::Open(bytes, error);
    if (!archive) throw ImportFileError{"\"" + BareName(fileName) + "\": " + error};
    if (const auto tellico = archive->Find("tellico.xml")) {
        const std::optional<std::string> document = archive->Read(*tellico, kDocumentLimit, error);
        if (!document) throw ImportFileError{"\"" + BareName(fileName) + "\": " + error};
        const XmlInput input = ParseOutsideXml(*document, BareName(fileName));
        if (!input.document) throw ImportFileError{"\"" + BareName(fileName) + "\": " + input.error};
        return ReadTellico(*input.document, fileName, PictureOrigin{archive.get(), {}});
    }
    ImportBatch batch;
    bool any = false;
    for (const std::string_view name : kLetterboxdFiles) {
        const auto entry = archive->Find(name);
        if (!entry) continue;
        const std::optional<std::string> csv = archive->Read(*entry, kDocumentLimit, error);
        if (!csv) throw ImportFileError{"\"" + BareName(fileName) + "\": " + error};
        ImportBatch part = ReadCsvMovies(*csv, std::string(name));
        part.format = "Letterboxd";
        batch.Append(std::move(part));
        any = true;
    }
    if (!any) {
        throw ImportFileError{"\"" + BareName(fileName) +
                              "\" is a zip archive that holds neither a Tellico collection nor a "
                              "Letterboxd export."};
    }
    return batch;
}

ImportBatch ReadXml(std::string_view bytes, const std::string& fileName, const std::string& folder) {
    const XmlInput input = ParseOutsideXml(bytes, BareName(fileName));
    if (!input.document) throw ImportFileError{"\"" + BareName(fileName) + "\": " + input.error};
    const xmlNode* root = xmlDocGetRootElement(input.document.get());
    const std::string_view name = LocalName(root);
    if (name == "Reelkeep") return ReadReelkeepXml(*input.document, fileName);
    if (name == "tellico") return ReadTellico(*input.document, fileName, PictureOrigin{nullptr, folder});
    if (name == "collection" && HasAttribute(root, "type")) {
        return ReadGcstar(*input.document, fileName, PictureOrigin{nullptr, folder});
    }
    throw ImportFileError{"\"" + BareName(fileName) +
                          "\" is XML but no catalog that Reelkeep can import (its root element is <" +
                          std::string(name) + ">)."};
}

}  // namespace

ImportBatch ReadImportBytes(std::string_view bytes, const std::string& fileName,
                            const std::string& folder) {
    if (bytes.substr(0, kZipSignature.size()) == kZipSignature) return ReadZip(bytes, fileName);
    if (LooksLikeXml(bytes)) return ReadXml(bytes, fileName, folder);
    return ReadCsvMovies(bytes, fileName);
}

void JoinSameFilms(ImportBatch& batch) {
    std::map<std::pair<std::u32string, std::int32_t>, std::size_t> first;
    std::vector<ImportedMovie> kept;
    kept.reserve(batch.movies.size());
    for (ImportedMovie& movie : batch.movies) {
        if (!movie.joinsByTitle) {
            kept.push_back(std::move(movie));
            continue;
        }
        const auto key = std::make_pair(CaseFoldKey(movie.movie.szTitle), movie.movie.nYear);
        const auto [at, isNew] = first.emplace(key, kept.size());
        if (isNew) {
            kept.push_back(std::move(movie));
            continue;
        }
        ImportedMovie& into = kept[at->second];
        for (const MovieField& field : MovieFields()) {
            const bool later = movie.IsGiven(field);
            if (field.name == "bWatched" && later && movie.movie.bWatched) {
                into.movie.bWatched = true;
                into.Given(field);
            } else if (later && !into.IsGiven(field)) {
                std::visit([&](auto member) { into.movie.*member = movie.movie.*member; }, field.member);
                into.Given(field);
            }
        }
    }
    batch.movies = std::move(kept);
}

ImportBatch ReadImportFiles(const std::vector<std::string>& paths) {
    ImportBatch batch;
    for (const std::string& path : paths) {
        const std::string bytes = ReadWholeFile(path);
        batch.Append(ReadImportBytes(bytes, path, FolderOf(path)));
    }
    JoinSameFilms(batch);
    return batch;
}

}  // namespace reelkeep
