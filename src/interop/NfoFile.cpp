#include "interop/NfoFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

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

bool IsFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
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
        details.error = "the file is too large for an NFO";
        return details;
    }
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || text[first] != '<') {
        // Not XML: an address alone gives the movie's page.
        const std::string address = AddressIn(text);
        if (address.empty()) {
            details.error = "it holds neither the movie's details nor an address";
        } else {
            SetText(details.movie, "szURL", address);
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
        details.error = "its root element is <" + std::string(LocalName(movie)) + ">, not <movie>";
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

std::string NfoBeside(const std::string& videoPath, bool onlyMovieInFolder) {
    const std::size_t slash = videoPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : videoPath.substr(0, slash + 1);
    std::string stem = videoPath.substr(folder.size());
    const std::size_t dot = stem.find_last_of('.');
    if (dot != std::string::npos && dot > 0) stem.erase(dot);
    for (const std::string& name : {stem + ".nfo", stem + ".NFO"}) {
        if (IsFile(folder + name)) return folder + name;
    }
    if (onlyMovieInFolder) {
        for (const char* name : {"movie.nfo", "Movie.nfo", "MOVIE.NFO"}) {
            if (IsFile(folder + name)) return folder + name;
        }
    }
    return {};
}

std::string PosterBeside(const std::string& videoPath, bool onlyMovieInFolder) {
    const std::size_t slash = videoPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : videoPath.substr(0, slash + 1);
    std::string stem = videoPath.substr(folder.size());
    const std::size_t dot = stem.find_last_of('.');
    if (dot != std::string::npos && dot > 0) stem.erase(dot);
    std::vector<std::string> names = {stem + "-poster"};
    if (onlyMovieInFolder) {
        for (const char* name : {"poster", "folder", "cover"}) names.emplace_back(name);
    }
    for (const std::string& name : names) {
        for (const char* extension : {".jpg", ".png", ".jpeg", ".JPG", ".PNG"}) {
            if (IsFile(folder + name + extension)) return folder + name + extension;
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
