#include "present/StatisticsPage.h"

#include <charconv>

#include "catalog/CatalogDatabase.h"
#include "catalog/FindQuery.h"
#include "platform/Folders.h"
#include "platform/SearchText.h"
#include "present/CatalogDocument.h"
#include "present/XmlText.h"

namespace reelkeep {

namespace {

const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

void SetAttribute(xmlNode* node, const char* name, const std::string& value) {
    xmlSetProp(node, Xml(name), Xml(value.c_str()));
}

std::string Number(std::int64_t value) { return std::to_string(value); }

// Tenths of a rating point as the query language writes them: 70 -> "7", 75 -> "7.5".
std::string Tenths(std::int64_t tenths) {
    return tenths % 10 == 0 ? Number(tenths / 10) : Number(tenths / 10) + "." + Number(tenths % 10);
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

class Charts {
public:
    Charts(xmlNode* statistics, std::string filter)
        : statistics_(statistics), filter_(std::move(filter)) {}

    xmlNode* Chart(const char* name) { return xmlNewChild(statistics_, nullptr, Xml(name), nullptr); }

    // `label` and `slice` are UTF-8.
    void Bar(xmlNode* chart, const std::string& label, std::int64_t count, const std::string& slice) {
        xmlNode* bar = xmlNewChild(chart, nullptr, Xml("Bar"), nullptr);
        SetAttribute(bar, "Label", ToXmlText(label));
        SetAttribute(bar, "Count", Number(count));
        SetAttribute(bar, "Filter", ToXmlText(filter_.empty() ? slice : filter_ + " " + slice));
    }

private:
    xmlNode* statistics_;
    std::string filter_;
};

}  // namespace

std::string StatisticsTemplatePath(const std::string& programFolder) {
    return ProgramDataFolder(programFolder, "Templates") + std::string(kStatisticsTemplateName);
}

XmlDocPtr BuildStatisticsDocument(const CatalogSummary& summary, std::string_view filter) {
    XmlDocPtr document = NewCatalogDocument();
    const std::string query = Trimmed(RecordTextUtf8(filter));
    xmlNode* statistics = xmlNewChild(xmlDocGetRootElement(document.get()), nullptr, Xml("Statistics"), nullptr);
    SetAttribute(statistics, "Filter", ToXmlText(query));
    SetAttribute(statistics, "Movies", Number(summary.movies));
    SetAttribute(statistics, "CatalogMovies", Number(summary.catalogMovies));
    SetAttribute(statistics, "Watched", Number(summary.watched));
    SetAttribute(statistics, "Unwatched", Number(summary.movies - summary.watched));
    SetAttribute(statistics, "Minutes", Number(summary.minutes));
    SetAttribute(statistics, "Bytes", Number(summary.bytes));
    SetAttribute(statistics, "Files", Number(summary.files));
    SetAttribute(statistics, "Undated", Number(summary.undated));
    SetAttribute(statistics, "Unrated", Number(summary.unrated));

    Charts charts(statistics, query);
    xmlNode* decades = charts.Chart("Decades");
    for (const auto& [decade, count] : summary.decades) {
        charts.Bar(decades, Number(decade) + "s", count, "year:" + Number(decade) + "s");
    }
    xmlNode* ratings = charts.Chart("Ratings");
    for (const auto& [tenths, count] : summary.ratings) {
        // A step holds five tenths; the lowest starts at 0.1, since 0 means "not rated".
        const std::int64_t first = tenths == 0 ? 1 : tenths;
        const std::string label = Number(tenths / 10) + "." + Number(tenths % 10);
        charts.Bar(ratings, label, count, "rating:" + Tenths(first) + "-" + Tenths(tenths + 4));
    }
    xmlNode* added = charts.Chart("AddedYears");
    for (const auto& [year, count] : summary.addedYears) {
        charts.Bar(added, Number(year), count, "added:" + Number(year));
    }
    const auto entries = [&](const char* name, std::string_view field,
                             const std::vector<CatalogSummary::Entry>& list) {
        xmlNode* chart = charts.Chart(name);
        for (const auto& [entry, count] : list) {
            const std::string text = RecordTextUtf8(entry);
            charts.Bar(chart, text, count, WholeEntryQuery(field, text));
        }
    };
    entries("Categories", "genre", summary.categories);
    entries("Directors", "director", summary.directors);
    entries("Actors", "actor", summary.actors);
    return document;
}

RenderedPage RenderStatistics(const std::string& catalogFile, std::string_view filter,
                              const std::string& templatePath, bool display,
                              RenderControl* control) {
    const FindQueryParse parse = ParseFindQuery(filter);
    if (!parse.Ok()) {
        RenderedPage page;
        page.status = RenderedPage::Status::NoDocument;
        page.detail = parse.error;
        return page;
    }
    CatalogSummary summary;
    {
        CatalogDatabase database(catalogFile);
        database.Open(CatalogDatabase::Access::ReadOnly);
        summary = database.Summarize(parse.query);
    }
    XmlDocPtr document = BuildStatisticsDocument(summary, filter);
    return TransformDocument(*document, templatePath, display, {}, control);
}

std::optional<std::string> FilterOfLink(std::string_view url) {
    if (url.substr(0, kFilterLinkPrefix.size()) != kFilterLinkPrefix) return std::nullopt;
    url.remove_prefix(kFilterLinkPrefix.size());
    std::string filter;
    for (std::size_t i = 0; i < url.size(); ++i) {
        unsigned value = 0;
        if (url[i] == '%' && i + 2 < url.size() &&
            std::from_chars(url.data() + i + 1, url.data() + i + 3, value, 16).ptr == url.data() + i + 3) {
            filter += static_cast<char>(value);
            i += 2;
        } else {
            filter += url[i];
        }
    }
    return filter;
}

}  // namespace reelkeep
