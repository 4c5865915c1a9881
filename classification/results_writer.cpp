#include "classification/results_writer.h"

#include "classification/predictor_input.h"
#include "formats/exchanged_formats.h"
#include "platform/replacing_file.h"

namespace classification {

std::string resultsPath(const std::string& imageName) {
  return "./" + std::string(formats::kResultsFolder) + "//" + std::string(formats::kResultsPrefix) + imageName +
         std::string(formats::kResultsExtension);
}

std::string escapeXml(const std::string& text, Escaping escaping) {
  const bool attribute = escaping == Escaping::Attribute;
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '&') escaped += "&amp;";
    else if (c == '<') escaped += "&lt;";
    else if (attribute && c == '>') escaped += "&gt;";
    else if (attribute && c == '"') escaped += "&quot;";
    else if (attribute && c == '\'') escaped += "&#39;";
    else escaped += c;
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

void writeResults(const std::string& imageName, const std::vector<std::string>& conceptNames,
                  const ConfidenceTable& confidences) {
  platform::replaceFile(resultsPath(imageName), resultsDocument(conceptNames, confidences),
                        platform::WriteReport::CannotWrite, platform::WriteMode::Text);
}

}  // namespace classification
