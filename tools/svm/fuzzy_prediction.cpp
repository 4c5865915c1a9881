#include "tools/svm/fuzzy_prediction.h"

#include <cstdio>
#include <filesystem>

#include "platform/failure.h"
#include "platform/replacing_file.h"
#include "tools/svm/predictor_input.h"

namespace svm_tools {

FuzzyModel FuzzyModel::load(const std::string& modelPath) {
  ConceptSvm model = ConceptSvm::load(modelPath);
  const GroupScaling scaling = readGroupScaling(scalingPathFor(modelPath));
  return FuzzyModel(std::move(model), scaling);
}

std::vector<double> FuzzyModel::confidences(const std::vector<FeatureVector>& rows) const {
  std::vector<double> confidences;
  confidences.reserve(rows.size());
  for (const FeatureVector& row : rows) confidences.push_back(model_.confidence(scaling_.applied(row)));
  return confidences;
}

std::string confidencesText(const std::vector<double>& confidences) {
  std::string text;
  char line[64];
  for (double confidence : confidences) {
    std::snprintf(line, sizeof line, "%.6f\n", confidence);
    text += line;
  }
  return text;
}

void predictFuzzy(const std::string& testDataPath, const std::string& modelPath, const std::string& outputPath) {
  // A stale output of an earlier run must not be taken for this run's answer.
  std::error_code ignored;
  std::filesystem::remove(outputPath, ignored);

  const std::vector<FeatureVector> rows = readPredictorInput(testDataPath);
  const FuzzyModel model = FuzzyModel::load(modelPath);
  // Put in place only once the whole file is written.
  platform::replaceFile(outputPath, confidencesText(model.confidences(rows)), platform::WriteReport::OwnLine,
                        platform::WriteMode::Text);
}

}  // namespace svm_tools
