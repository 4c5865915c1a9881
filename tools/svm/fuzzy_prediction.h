#pragma once
// The fuzzy predictor's run: confidences of every test-data row for one
// concept model, written one per line in row order.

#include <string>

namespace svm_tools {

// Reads the test data, loads the model and its group scaling (the model's
// companion file), and writes the output file. On any failure it throws the
// one line for the user and leaves no output file behind: the output is
// written through a temporary file beside it and put in place only when
// complete, and an output file of an earlier run is removed first.
void predictFuzzy(const std::string& testDataPath, const std::string& modelPath, const std::string& outputPath);

}  // namespace svm_tools
