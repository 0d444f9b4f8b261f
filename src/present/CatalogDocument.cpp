#include "present/CatalogDocument.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "catalog/CatalogPaths.h"
#include "maint/ProgramThread.h"
#include "present/MovieElement.h"
#include "present/RenderControl.h"
#include "present/XmlArena.h"
#include "present/XmlRuntime.h"
#include "present/XmlText.h"

namespace reelkeep {

namespace {

// From this many movies on, the second half of the list is read and made on a second thread,
// and the nodes come from the arena.
constexpr std::size_t kLargeFrom = 512;
// How often a builder tells the control how far it got.
constexpr std::size_t kCountEvery = 64;

const xmlChar* XmlName(std::string_view name) {
    // Every element and attribute name here is a literal or a field name: NUL-terminated.
    return reinterpret_cast<const xmlChar*>(name.data());
}

// Makes the elements of one stretch of the list. The records are read in the order of their
// identifiers, which is the order they lie in the file, and each element is kept at its
// place in the list; linking them under the root is left to the caller.
class StretchBuilder {
public:
    StretchBuilder(xmlDoc& document, const MovieElementNames& names,
                   std::span<const ObjectId> movies, std::span<xmlNode*> elements,
                   RenderControl* control, const std::atomic<bool>& abandoned)
        : document_(document), names_(names), movies_(movies), elements_(elements),
          control_(control), abandoned_(abandoned) {}

    const SelectionSummary& Summary() const { return summary_; }

    // Throws dbException when a record cannot be read or is gone.
    void Build(CatalogDatabase& database, bool large) {
        std::optional<XmlArenaScope> arena;
        if (large) arena.emplace();
        std::vector<std::pair<ObjectId, std::size_t>> order;
        order.reserve(movies_.size());
        for (std::size_t i = 0; i < movies_.size(); ++i) order.emplace_back(movies_[i], i);
        std::sort(order.begin(), order.end());
        Movie movie;
        std::size_t uncounted = 0;
        for (const auto& [oid, position] : order) {
            if ((control_ && control_->Stopped()) || abandoned_.load(std::memory_order_relaxed))
                return;
            if (!database.Fetch(oid, movie)) {
                throw dbException("The movie with identifier " + std::to_string(oid) +
                                  " is no longer in the catalog.");
            }
            elements_[position] = MakeMovieElement(document_, names_, movie);
            summary_.Add(movie);
            if (control_ && ++uncounted == kCountEvery) {
                control_->CountMovies(uncounted);
                uncounted = 0;
            }
        }
        if (control_) control_->CountMovies(uncounted);
    }

private:
    xmlDoc& document_;
    const MovieElementNames& names_;
    std::span<const ObjectId> movies_;
    std::span<xmlNode*> elements_;
    RenderControl* control_;
    const std::atomic<bool>& abandoned_;  // the other stretch failed
    SelectionSummary summary_;
};

// Elements made but not linked into the document are freed with it.
class LooseElements {
public:
    explicit LooseElements(std::size_t count) : elements_(count, nullptr) {}
    ~LooseElements() {
        for (xmlNode* element : elements_) {
            if (element) xmlFreeNode(element);
        }
    }
    LooseElements(const LooseElements&) = delete;
    LooseElements& operator=(const LooseElements&) = delete;

    std::span<xmlNode*> All() { return elements_; }
    // Links every element under the parent, in list order; they are no longer loose.
    void AppendTo(xmlNode* parent) {
        for (xmlNode*& element : elements_) {
            AppendNode(parent, element);
            element = nullptr;
        }
    }

private:
    std::vector<xmlNode*> elements_;
};

}  // namespace

void SelectionSummary::Add(const Movie& movie) {
    watched += movie.bWatched ? 1 : 0;
    minutes += movie.nLength;
    for (const std::int64_t size : movie.pnSizes) bytes += static_cast<double>(size);
    files += static_cast<std::int64_t>(movie.pszFilenames.size());
    // The element's text ends at the first NUL of the field.
    lent += !movie.szLender.empty() && movie.szLender.front() != '\0' ? 1 : 0;
}

void SelectionSummary::Add(const SelectionSummary& other) {
    watched += other.watched;
    minutes += other.minutes;
    bytes += other.bytes;
    files += other.files;
    lent += other.lent;
}

XmlDocPtr NewCatalogDocument() {
    EnsureXmlRuntime();
    XmlDocPtr document(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    // Element names repeat thirty times per movie: intern them once per document.
    document->dict = xmlDictCreate();
    xmlDocSetRootElement(document.get(),
                         xmlNewDocNode(document.get(), nullptr, XmlName(kRootElement), nullptr));
    return document;
}

void AppendMovieElement(xmlDoc& document, const Movie& movie) {
    const MovieElementNames names(document);
    AppendNode(xmlDocGetRootElement(&document), MakeMovieElement(document, names, movie));
}

void SetRootAttribute(xmlDoc& document, std::string_view name, std::string_view value) {
    const std::string text = ToXmlText(value);
    xmlSetProp(xmlDocGetRootElement(&document), XmlName(name),
               reinterpret_cast<const xmlChar*>(text.c_str()));
}

CatalogDocument BuildMovieDocument(const std::string& catalogFolder,
                                   std::span<const ObjectId> movies, bool display,
                                   RenderControl* control) {
    if (movies.empty()) return {};
    const std::string catalogFile = CatalogFilePath(catalogFolder);
    // The second thread waits for another program's writes as long as this one would.
    const auto busyTimeout = CatalogDatabase::ThreadBusyTimeout();
    CatalogDatabase database(catalogFile, busyTimeout);
    try {
        database.Open(CatalogDatabase::Access::ReadOnly);
    } catch (const dbException& error) {
        CatalogDocument none;
        none.catalogProblem = error.what();
        return none;
    }
    if (control) control->SetTotal(movies.size());

    XmlDocPtr document = NewCatalogDocument();
    if (display) SetRootAttribute(*document, kPicturesAttribute, catalogFolder);
    const MovieElementNames names(*document);
    LooseElements elements(movies.size());

    const bool large = movies.size() >= kLargeFrom;
    const std::size_t split = large ? movies.size() / 2 : movies.size();
    // A failure of either stretch ends the other one early.
    std::atomic<bool> abandoned{false};
    StretchBuilder first(*document, names, movies.first(split), elements.All().first(split),
                         control, abandoned);
    StretchBuilder second(*document, names, movies.subspan(split), elements.All().subspan(split),
                          control, abandoned);
    std::exception_ptr secondFailure;
    std::thread helper;
    if (split < movies.size()) {
        helper = StartProgramThread([&] {
            try {
                CatalogDatabase own(catalogFile, busyTimeout);
                own.Open(CatalogDatabase::Access::ReadOnly);
                second.Build(own, large);
                own.Close();
            } catch (...) {
                secondFailure = std::current_exception();
                abandoned = true;
            }
        });
    }
    std::exception_ptr firstFailure;
    try {
        first.Build(database, large);
        database.Close();
    } catch (...) {
        firstFailure = std::current_exception();
        abandoned = true;
    }
    if (helper.joinable()) helper.join();
    if (firstFailure) std::rethrow_exception(firstFailure);
    if (secondFailure) std::rethrow_exception(secondFailure);
    CatalogDocument built;
    if (control && control->Stopped()) {
        built.stopped = true;
        return built;
    }
    elements.AppendTo(xmlDocGetRootElement(document.get()));
    built.document = std::move(document);
    built.summary = first.Summary();
    built.summary.Add(second.Summary());
    return built;
}

CatalogDocument BuildCatalogDocument(const MovieSelection& list, const std::string& catalogFolder,
                                     int& selection, bool display, RenderControl* control) {
    std::vector<int> rows;
    if (selection >= 0) {
        rows.push_back(selection);
    } else {
        rows = list.SelectedRows();
        if (rows.empty()) return {};
        selection = rows.size() == 1 ? rows.front() : -1;
    }
    std::vector<ObjectId> movies;
    movies.reserve(rows.size());
    for (const int row : rows) {
        const ObjectId oid = list.RowObjectId(row);
        if (oid == 0) return {};  // the row does not exist (any more)
        movies.push_back(oid);
    }
    return BuildMovieDocument(catalogFolder, movies, display, control);
}

}  // namespace reelkeep
