#pragma once
// The predictor's input format (the file "testDataFile.txt" of a run): one
// line per region, "+1" and then " <number>:<value>" for the 433 features,
// values in fixed notation with six decimals. The classifier writes it for
// the predictor, the predictor's tests write it as the classifier does: both
// through writePredictorInput.

#include <span>
#include <string>
#include <vector>

#include "platform/replacing_file.h"

namespace classification {

// " 1:<v1> 2:<v2> ... n:<vn>": the features of one line, without the class
// label before them and the line end after them.
std::string formatFeatures(std::span<const double> features);

// A value in fixed notation with six decimals ("%f").
std::string formatFixed(double value);

// The whole input: "+1", the features and a line feed for every row.
std::string predictorInputText(const std::vector<std::span<const double>>& rows);

// Writes predictorInputText(rows) as `path` (in text mode), replacing it once
// the whole file is written; a failure is reported as `report` says.
void writePredictorInput(const std::string& path, const std::vector<std::span<const double>>& rows,
                         platform::WriteReport report);

}  // namespace classification
