#pragma once
// The predictor's input, the test-data file the classifier writes for it:
// libsvm's text format, one region per line, "<label> <n>:<value> ..." with
// feature numbers increasing from 1 to 433. The label is not used.

#include <istream>
#include <string>
#include <vector>

#include "tools/svm/feature_layout.h"

namespace svm_tools {

// Reads every line into a dense vector (missing features are 0). Fails with
// one line for the user, naming the file and line, on anything malformed: a
// label or value that is not a finite number, a feature number outside 1 to
// 433 or not above the one before it, a blank line.
std::vector<FeatureVector> readPredictorInput(const std::string& path);

// The same for test data read from `in`; the messages name it `name`.
std::vector<FeatureVector> parsePredictorInput(std::istream& in, const std::string& name);

// Writes rows with the label +1, through the classifier's own writer of the
// format, so the tests feed the predictor exactly what the classifier does.
void writePredictorInput(const std::string& path, const std::vector<FeatureVector>& rows);

}  // namespace svm_tools
