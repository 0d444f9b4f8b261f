#include "interop/NfoFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "interop/CsvImport.h"
#include "interop/FieldAssign.h"
#include "interop/FieldValues.h"
#include "interop/XmlInput.h"

namespace reelkeep {

namespace {

constexpr std::size_t kNfoLimit = 4u << 20;

const MovieField& Field(std::string_view name) { return *FindMovieField(name); }

std::string Trim(std::string text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

void SetText(ImportedMovie& movie, std::string_view field, std::string text) {
    text = Trim(std::move(text));
    if (text.empty() || text.find('\0') != std::string::npos) return;
    Field(field).Of<std::string>(movie.movie) = std::move(text);
    movie.Given(Field(field));
}

void SetList(ImportedMovie& movie, std::string_view field, const std::vector<xmlNode*>& nodes) {
    StringArray values;
    for (const xmlNode* node : nodes) {
        std::string text = Trim(NodeText(node));
        // Some writers put several values into one element, separated by " / ".
        std::size_t start = 0;
        while (!text.empty()) {
            const std::size_t slash = text.find(" / ", start);
            std::string part = Trim(text.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
            if (!part.empty()) values.push_back(std::move(part));
            if (slash == std::string::npos) break;
            start = slash + 3;
        }
    }
    if (values.empty()) return;
    Field(field).Of<StringArray>(movie.movie) = std::move(values);
    movie.Given(Field(field));
}

// An address alone, as some people keep it in an NFO: the first http(s) word of the text.
std::string AddressIn(std::string_view text) {
    const std::size_t at = text.find("http");
    if (at == std::string_view::npos) return {};
    std::size_t end = at;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) && text[end] != '<' &&
           text[end] != '"') {
        ++end;
    }
    const std::string address(text.substr(at, end - at));
    return address.rfind("http://", 0) == 0 || address.rfind("https://", 0) == 0 ? address : std::string();
}

// The title id of the first IMDb address in the text ("imdb.com/title/tt0113277").
std::string ImdbIdInAddress(std::string_view text) {
    for (std::size_t at = text.find("imdb.com/title/"); at != std::string_view::npos;
         at = text.find("imdb.com/title/", at + 1)) {
        const std::string_view rest = text.substr(at + 15, 12);
        if (const std::string id = ImdbId(rest); !id.empty() && rest.substr(0, id.size()) == id) return id;
    }
    return {};
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The name without its extension.
std::string Stem(const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

constexpr const char* kPictureExtensions[] = {".jpg", ".jpeg", ".png"};
// The artwork media centres keep beside a movie: "NAME-KIND.jpg", or "KIND.jpg" for a folder
// of one movie.
constexpr const char* kArtworkKinds[] = {"poster", "fanart", "thumb", "landscape", "banner", "clearlogo",
                                         "clearart", "disc", "discart", "keyart", "logo", "cover"};
constexpr const char* kFolderPictures[] = {"folder"};

const std::string* FindPicture(const FolderNames& folder, const std::string& base) {
    for (const char* extension : kPictureExtensions) {
        if (const std::string* found = folder.Find(base + extension)) return found;
    }
    return nullptr;
}

// The rating the NFO gives, out of ten: the viewer's own first, then the default one.
std::optional<double> RatingOf(const xmlNode* movie) {
    if (const auto own = ParseDecimal(ChildText(movie, "userrating")); own && *own > 0) return own;
    if (const xmlNode* ratings = FirstChild(movie, "ratings")) {
        const std::vector<xmlNode*> all = ChildElements(ratings, "rating");
        const xmlNode* chosen = nullptr;
        for (const xmlNode* rating : all) {
            if (AttributeText(rating, "default") == "true") chosen = rating;
        }
        if (!chosen && !all.empty()) chosen = all.front();
        if (chosen) {
            const auto value = ParseDecimal(ChildText(chosen, "value"));
            const auto max = ParseDecimal(AttributeText(chosen, "max"));
            if (value && *value > 0) return max && *max > 0 ? *value * 10 / *max : *value;
        }
    }
    if (const auto plain = ParseDecimal(ChildText(movie, "rating")); plain && *plain > 0) return plain;
    return std::nullopt;
}

}  // namespace

NfoDetails ReadNfo(std::string_view bytes) {
    NfoDetails details;
    if (bytes.size() > kNfoLimit) {
        details.error = "The file is too large for an NFO.";
        return details;
    }
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || text[first] != '<') {
        // Not XML: a link to the movie's IMDb page anywhere in the text (release notes carry
        // one among their words), else an address that is all the file holds.
        if (const std::string id = ImdbIdInAddress(text); !id.empty()) {
            SetText(details.movie, "szURL", ImdbUrl(id));
        } else if (const std::string address = AddressIn(text); !address.empty() && Trim(std::string(text)) == address) {
            SetText(details.movie, "szURL", address);
        } else {
            details.error = "It holds neither the movie's details nor an address.";
        }
        return details;
    }
    // A media centre may write the address after the document: keep the document alone.
    std::string_view document = text;
    std::string trailingAddress;
    if (const std::size_t close = text.rfind("</movie>"); close != std::string_view::npos) {
        document = text.substr(0, close + 8);
        trailingAddress = AddressIn(text.substr(close + 8));
    }
    const XmlInput input = ParseOutsideXml(document, "movie.nfo");
    if (!input.document) {
        details.error = input.error;
        return details;
    }
    const xmlNode* movie = xmlDocGetRootElement(input.document.get());
    if (LocalName(movie) != "movie") {
        details.error = "Its root element is <" + std::string(LocalName(movie)) + ">, not <movie>.";
        return details;
    }
    ImportedMovie& out = details.movie;
    SetText(out, "szTitle", ChildText(movie, "title"));
    const std::string original = Trim(ChildText(movie, "originaltitle"));
    if (original != out.movie.szTitle) SetText(out, "szTranslated", original);
    if (const auto year = LeadingInteger(ChildText(movie, "year")); year && *year > 0 && *year < 10000) {
        out.movie.nYear = static_cast<std::int32_t>(*year);
        out.Given(Field("nYear"));
    }
    std::string plot = ChildText(movie, "plot");
    if (Trim(plot).empty()) plot = ChildText(movie, "outline");
    SetText(out, "szPlot", plot);
    if (const auto minutes = ParseMinutes(ChildText(movie, "runtime")); minutes && *minutes > 0) {
        out.movie.nLength = *minutes;
        out.Given(Field("nLength"));
    }
    SetList(out, "pszCategories", ChildElements(movie, "genre"));
    SetList(out, "pszCountries", ChildElements(movie, "country"));
    SetList(out, "pszDirectors", ChildElements(movie, "director"));
    SetList(out, "pszProducers", ChildElements(movie, "producer"));
    // Writers have no field of their own: they are kept as a comment.
    ImportedMovie writers;
    SetList(writers, "pszComments", ChildElements(movie, "credits"));
    if (!writers.movie.pszComments.empty()) {
        std::string comment = "Written by ";
        for (std::size_t i = 0; i < writers.movie.pszComments.size(); ++i) {
            comment += (i ? ", " : "") + writers.movie.pszComments[i];
        }
        out.movie.pszComments = {comment};
        out.Given(Field("pszComments"));
    }
    // Actors in their order: by "order" where the file numbers them, else as written.
    std::vector<std::pair<long, std::string>> actors;
    long position = 0;
    for (const xmlNode* actor : ChildElements(movie, "actor")) {
        std::string name = Trim(ChildText(actor, "name"));
        const auto order = ParseInteger(ChildText(actor, "order"));
        if (!name.empty()) actors.emplace_back(order ? static_cast<long>(*order) : 1000000 + position, std::move(name));
        ++position;
    }
    std::stable_sort(actors.begin(), actors.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (!actors.empty()) {
        for (auto& [order, name] : actors) out.movie.pszActors.push_back(std::move(name));
        out.Given(Field("pszActors"));
    }
    if (const auto rating = RatingOf(movie); rating && *rating <= 10) {
        out.movie.fRating = static_cast<float>(*rating);
        out.Given(Field("fRating"));
    }
    std::string id;
    for (const xmlNode* unique : ChildElements(movie, "uniqueid")) {
        if (AttributeText(unique, "type") == "imdb") id = ImdbId(NodeText(unique));
    }
    if (id.empty()) id = ImdbId(ChildText(movie, "imdbid"));
    if (id.empty()) id = ImdbId(ChildText(movie, "id"));
    if (!id.empty()) {
        SetText(out, "szURL", ImdbUrl(id));
    } else if (!trailingAddress.empty()) {
        SetText(out, "szURL", trailingAddress);
    }
    SetText(out, "szRelease", ChildText(movie, "premiered"));
    return details;
}

NfoDetails ReadNfoFile(const std::string& path) {
    NfoDetails details;
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        details.error = std::string("It cannot be read: ") + std::strerror(errno) + ".";
        return details;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        details.error = "It is no regular file.";
        return details;
    }
    if (static_cast<std::uint64_t>(status.st_size) > kNfoLimit) {
        ::close(descriptor);
        details.error = "The file is too large for an NFO.";
        return details;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(descriptor, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            details.error = std::string("It cannot be read: ") + std::strerror(errno) + ".";
            ::close(descriptor);
            return details;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    ::close(descriptor);
    bytes.resize(done);
    return ReadNfo(bytes);
}

FolderNames::FolderNames(std::vector<std::string> names) : names_(std::move(names)) {
    byLowerName_.reserve(names_.size());
    for (std::size_t i = 0; i < names_.size(); ++i) byLowerName_.emplace(AsciiLower(names_[i]), i);
}

const std::string* FolderNames::Find(std::string_view name) const {
    const auto found = byLowerName_.find(AsciiLower(name));
    return found == byLowerName_.end() ? nullptr : &names_[found->second];
}

bool IsMediaCentreName(std::string_view name) {
    const std::string lower = AsciiLower(name);
    if (lower.ends_with(".nfo")) return true;
    const std::size_t dot = lower.find_last_of('.');
    if (dot == std::string::npos) return false;
    const std::string_view extension = std::string_view(lower).substr(dot);
    if (std::none_of(std::begin(kPictureExtensions), std::end(kPictureExtensions),
                     [&](const char* known) { return extension == known; })) {
        return false;
    }
    const std::string base = lower.substr(0, dot);
    const std::size_t hyphen = base.find_last_of('-');
    const std::string kind = hyphen == std::string::npos ? base : base.substr(hyphen + 1);
    const auto is = [&kind](const char* known) { return kind == known; };
    return std::any_of(std::begin(kArtworkKinds), std::end(kArtworkKinds), is) ||
           (hyphen == std::string::npos && std::any_of(std::begin(kFolderPictures), std::end(kFolderPictures), is));
}

std::string NfoBeside(const FolderNames& folder, const std::string& fileName, bool onlyMovieInFolder) {
    if (const std::string* own = folder.Find(Stem(fileName) + ".nfo"); own && *own != fileName) return *own;
    if (onlyMovieInFolder) {
        if (const std::string* shared = folder.Find("movie.nfo")) return *shared;
    }
    return {};
}

std::string PosterBeside(const FolderNames& folder, const std::string& fileName, bool onlyMovieInFolder) {
    if (const std::string* own = FindPicture(folder, Stem(fileName) + "-poster")) return *own;
    if (onlyMovieInFolder) {
        for (const char* base : {"poster", "folder", "cover"}) {
            if (const std::string* shared = FindPicture(folder, base)) return *shared;
        }
    }
    return {};
}

bool FillEmptyFields(const ImportedMovie& from, Movie& into) {
    bool changed = false;
    for (const MovieField& field : MovieFields()) {
        if (!from.IsGiven(field) || field.name == "nIndex" || field.name == "dtAdded") continue;
        if (!IsEmptyField(field, into)) continue;
        CopyField(field, from.movie, into);
        changed = true;
    }
    return changed;
}

}  // namespace reelkeep
