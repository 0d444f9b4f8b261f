// A real catalog in a temp folder and small XML helpers for the presentation tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogPaths.h"
#include "present/XmlHandles.h"
#include "support/TempFolder.h"

namespace reelkeep::test {

// A movie with every field filled.
Movie SampleMovie();
// A movie of its own for each number: fields filled or empty, arrays long or short, text plain
// or not, as the number gives.
Movie VariedMovie(int number);

class PresentTest : public ::testing::Test {
protected:
    ObjectId Insert(Movie movie);
    std::vector<ObjectId> InsertTitles(const std::vector<std::string>& titles);
    // Many movies through one connection.
    std::vector<ObjectId> InsertAll(std::vector<Movie> movies);
    Movie Fetch(ObjectId oid);

    TempFolder folder;
    std::string catalogFile = CatalogFilePath(folder.Path());
};

// The folder that holds the shipped Templates/ in the source tree, ending in "/": what the
// program folder is to an installed program.
std::string ResourcesFolder();

// Parses XML bytes; fails the test (and returns null) when they are not well-formed.
XmlDocPtr ParseXml(const std::string& bytes);
// Parses HTML bytes as a browser would.
XmlDocPtr ParseHtml(const std::string& bytes);
// The string value of an XPath expression.
std::string XPathText(xmlDoc& document, const std::string& expression);
double XPathNumber(xmlDoc& document, const std::string& expression);

}  // namespace reelkeep::test
