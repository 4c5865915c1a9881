#pragma once
// The results file: for every region every concept with its confidence, one
// element per line.

#include <string>
#include <vector>

#include "classification/region_set.h"

namespace classification {

// "./output//classification-results." + image name + ".ORM.xml".
std::string resultsPath(const std::string& imageName);

// The whole text of the results file.
std::string resultsDocument(const std::vector<std::string>& conceptNames, const ConfidenceTable& confidences);

// & and < replaced by their XML entities: the two characters that cannot
// stand in element text. Everything else, quotes and apostrophes included,
// is kept, so a name that is valid text already is written unchanged.
std::string escapeXml(const std::string& text);

}  // namespace classification
