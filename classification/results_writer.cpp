#include "classification/results_writer.h"

#include "classification/test_data.h"

namespace classification {

std::string resultsPath(const std::string& imageName) {
  return "./output//classification-results." + imageName + ".ORM.xml";
}

std::string escapeXml(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string resultsDocument(const std::vector<std::string>& conceptNames, const ConfidenceTable& confidences) {
  std::string text = "<ImageAnnotation>\n<ClassificationAlgorithm>ORM-SVM-1</ClassificationAlgorithm>\n";
  for (int region = 0; region < confidences.regions(); ++region) {
    text += "<RegionLabeling>\n<RegionNumber>" + std::to_string(region) + "</RegionNumber>\n";
    for (int column = 0; column < confidences.concepts(); ++column) {
      text += "<Label>\n<Concept>" + escapeXml(conceptNames[column]) + "</Concept>\n";
      text += "<Confidence>" + formatFixed(confidences.at(region, column)) + "</Confidence>\n</Label>\n";
    }
    text += "</RegionLabeling>\n";
  }
  text += "</ImageAnnotation>\n";
  return text;
}

}  // namespace classification
