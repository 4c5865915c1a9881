#include "tools/svm/fuzzy_prediction.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/failure.h"
#include "platform/replacing_file.h"
#include "tools/svm/concept_svm.h"
#include "tools/svm/group_scaling.h"
#include "tools/svm/predictor_input.h"

namespace svm_tools {
namespace {

// One confidence per line, put in place only once the whole file is written.
void writeConfidences(const std::vector<double>& confidences, const std::string& output) {
  std::string text;
  char line[64];
  for (double confidence : confidences) {
    std::snprintf(line, sizeof line, "%.6f\n", confidence);
    text += line;
  }
  platform::replaceFile(output, text, platform::WriteReport::OwnLine, platform::WriteMode::Text);
}

}  // namespace

void predictFuzzy(const std::string& testDataPath, const std::string& modelPath, const std::string& outputPath) {
  // A stale output of an earlier run must not be taken for this run's answer.
  std::error_code ignored;
  std::filesystem::remove(outputPath, ignored);

  const std::vector<FeatureVector> rows = readPredictorInput(testDataPath);
  const ConceptSvm model = ConceptSvm::load(modelPath);
  const GroupScaling scaling = readGroupScaling(scalingPathFor(modelPath));

  std::vector<double> confidences;
  confidences.reserve(rows.size());
  for (const FeatureVector& row : rows) confidences.push_back(model.confidence(scaling.applied(row)));
  writeConfidences(confidences, outputPath);
}

}  // namespace svm_tools
