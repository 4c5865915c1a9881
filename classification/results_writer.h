#pragma once
// The results file: for every region every concept with its confidence, one
// element per line.

#include <string>
#include <vector>

#include "classification/confidences.h"

namespace classification {

// "./output//classification-results." + image name + ".ORM.xml".
std::string resultsPath(const std::string& imageName);

// The whole text of the results file.
std::string resultsDocument(const std::vector<std::string>& conceptNames, const ConfidenceTable& confidences);

// Writes the results file of the image, replacing it when it exists, once
// the new one is complete. Stops the run with "cannot write!!!!!!!!!!!!!!"
// when the file cannot be written whole.
void writeResults(const std::string& imageName, const std::vector<std::string>& conceptNames,
                  const ConfidenceTable& confidences);

// How much of a text is replaced by entities.
enum class Escaping {
  // & and <: the two characters that cannot stand in element text. Quotes
  // and apostrophes are kept, so a name that is valid text already is
  // written unchanged (the results file).
  ElementText,
  // & < > " and ': text that may also stand in a quoted attribute (the
  // collection's report page).
  Attribute,
};

std::string escapeXml(const std::string& text, Escaping escaping = Escaping::ElementText);

}  // namespace classification
