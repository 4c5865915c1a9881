// The text that leaves the classifier: feature lines for the predictor and
// the results file.

#include <gtest/gtest.h>

#include <algorithm>

#include "classification/results_writer.h"
#include "classification/predictor_input.h"
#include "classification/region_features.h"

namespace {

using classification::ConfidenceTable;

TEST(Features, AllWrittenInFixedNotationWithSixDecimals) {
  classification::RegionFeatures record{};
  record[0] = 1e20;
  record[1] = -0.0000004;
  record[2] = 0.5;
  record[432] = -1.0;
  const std::string line = classification::formatFeatures(record);
  EXPECT_EQ(line.rfind(" 1:100000000000000000000.000000 2:-0.000000 3:0.500000 4:0.000000 5:", 0), 0u) << line;
  EXPECT_TRUE(line.ends_with(" 432:0.000000 433:-1.000000")) << line;
  EXPECT_EQ(std::count(line.begin(), line.end(), ':'), 433);
  EXPECT_EQ(classification::formatFixed(-1.7976931348623157e308).size(), 317u);
  EXPECT_EQ(classification::resultsPath("photo1.jpg"), "./output//classification-results.photo1.jpg.ORM.xml");
}

TEST(Results, LineCountGrowsWithRegionsAndConcepts) {
  for (auto [regions, concepts] : {std::pair{1, 1}, {3, 2}, {10, 5}, {256, 3}}) {
    const std::vector<std::string> names(static_cast<std::size_t>(concepts), "c");
    const std::string text = classification::resultsDocument(names, ConfidenceTable(regions, concepts));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 + regions * (3 + 4 * concepts));
    EXPECT_NE(text.find("<RegionNumber>" + std::to_string(regions - 1) + "</RegionNumber>"), std::string::npos);
  }
}

TEST(Results, ConceptNamesAreEscaped) {
  EXPECT_EQ(classification::escapeXml("a&b<c>\"d'e f"), "a&amp;b&lt;c>\"d'e f");
  EXPECT_EQ(classification::escapeXml("people's"), "people's");
  EXPECT_EQ(classification::escapeXml("a&b<c>\"d'e f", classification::Escaping::Attribute),
            "a&amp;b&lt;c&gt;&quot;d&#39;e f");
  const std::string text = classification::resultsDocument({"R&D"}, ConfidenceTable(1, 1));
  EXPECT_NE(text.find("<Concept>R&amp;D</Concept>\n"), std::string::npos);
}

}  // namespace
