#include "classification/test_data.h"

#include <cstdio>

namespace classification {

std::string formatFixed(double value) {
  // The longest fixed-notation double: a sign, 309 integer digits, the point
  // and six decimals.
  char text[400];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::string formatFeatures(const RegionRecord& record) {
  std::string line;
  line.reserve(static_cast<std::size_t>(kFeatureCount) * 14);
  for (int feature = 1; feature <= kFeatureCount; ++feature) {
    line += ' ';
    line += std::to_string(feature);
    line += ':';
    line += formatFixed(record[feature - 1]);
  }
  return line;
}

}  // namespace classification
