// The statistics page: the store's summary of the catalog (or of the movies a Filter query
// finds) as an XML document, rendered through "Statistics.xsl" like every other page. Each
// bar and name carries the Filter query of its slice; the page links it as an address of the
// pane's own scheme, kFilterLinkPrefix and the query, which the window takes as "set the
// Filter to this" instead of following it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalog/CatalogSummary.h"
#include "present/TemplateTransform.h"
#include "present/XmlHandles.h"

namespace reelkeep {

inline constexpr std::string_view kStatisticsTemplateName = "Statistics.xsl";
inline constexpr std::string_view kFilterLinkPrefix = "rkpage:/filter?";

// "Statistics.xsl" in the program's "Templates" folder (programFolder ends in "/").
std::string StatisticsTemplatePath(const std::string& programFolder);

// The document: root "Reelkeep" holding one "Statistics" element, its figures as attributes
// (Movies, CatalogMovies, Watched, Unwatched, Minutes, Bytes, Files, Undated, Unrated, and
// Filter, the query as typed) and one element per chart (Decades, Ratings, AddedYears,
// Categories, Directors, Actors), each a list of "Bar" elements with Label, Count and Filter:
// the query that finds the bar's movies (`filter` and the slice together).
XmlDocPtr BuildStatisticsDocument(const CatalogSummary& summary, std::string_view filter);

// Summarizes the movies `filter` finds (every movie when it is empty) through a read-only
// connection and renders the page. A filter that cannot be read gives NoDocument with the
// reason in detail; store errors raise dbException.
RenderedPage RenderStatistics(const std::string& catalogFile, std::string_view filter,
                              const std::string& templatePath, bool display,
                              RenderControl* control = nullptr);

// The Filter query of a link that sets the Filter (its address as a page has it, escaped);
// nothing for any other address.
std::optional<std::string> FilterOfLink(std::string_view url);

}  // namespace reelkeep
