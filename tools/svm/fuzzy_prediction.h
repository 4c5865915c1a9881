#pragma once
// The fuzzy predictor's run: confidences of every test-data row for one
// concept model, written one per line in row order.

#include <string>
#include <vector>

#include "tools/svm/concept_svm.h"
#include "tools/svm/group_scaling.h"

namespace svm_tools {

// A concept model with its group scaling (the model's companion file),
// loaded once and asked about any number of rows.
class FuzzyModel {
 public:
  // Loads the model, then its scaling; fails with one line for the user.
  static FuzzyModel load(const std::string& modelPath);

  // The confidence of every row, in row order.
  std::vector<double> confidences(const std::vector<FeatureVector>& rows) const;

 private:
  FuzzyModel(ConceptSvm model, GroupScaling scaling) : model_(std::move(model)), scaling_(scaling) {}

  ConceptSvm model_;
  GroupScaling scaling_;
};

// The output file's text: one confidence per line, "%.6f".
std::string confidencesText(const std::vector<double>& confidences);

// Reads the test data, loads the model and its group scaling, and writes the
// output file. On any failure it throws the one line for the user and leaves
// no output file behind: the output is written through a temporary file
// beside it and put in place only when complete, and an output file of an
// earlier run is removed first.
void predictFuzzy(const std::string& testDataPath, const std::string& modelPath, const std::string& outputPath);

}  // namespace svm_tools
