#include "classification/predictor_input.h"

#include <cstdio>

namespace classification {

std::string formatFixed(double value) {
  // The longest fixed-notation double: a sign, 309 integer digits, the point
  // and six decimals.
  char text[400];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::string formatFeatures(std::span<const double> features) {
  std::string line;
  line.reserve(features.size() * 14);
  for (std::size_t feature = 1; feature <= features.size(); ++feature) {
    line += ' ';
    line += std::to_string(feature);
    line += ':';
    line += formatFixed(features[feature - 1]);
  }
  return line;
}

std::string predictorInputText(const std::vector<std::span<const double>>& rows) {
  std::string text;
  for (const std::span<const double> row : rows) text += "+1" + formatFeatures(row) + "\n";
  return text;
}

void writePredictorInput(const std::string& path, const std::vector<std::span<const double>>& rows,
                         platform::WriteReport report) {
  platform::replaceFile(path, predictorInputText(rows), report, platform::WriteMode::Text);
}

}  // namespace classification
