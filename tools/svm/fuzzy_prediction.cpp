#include "tools/svm/fuzzy_prediction.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/failure.h"
#include "tools/svm/concept_svm.h"
#include "tools/svm/group_scaling.h"
#include "tools/svm/test_data.h"

namespace svm_tools {
namespace {

// Writes the confidences to `temporary` and moves it over `output`.
void writeConfidences(const std::vector<double>& confidences, const std::string& temporary,
                      const std::string& output) {
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  if (file == nullptr) platform::failStderrLine("cannot write the output file " + output);
  bool written = true;
  for (double confidence : confidences) written = std::fprintf(file, "%.6f\n", confidence) > 0 && written;
  written = std::fclose(file) == 0 && written;
  std::error_code error;
  if (written) std::filesystem::rename(temporary, output, error);
  if (!written || error) {
    std::filesystem::remove(temporary, error);
    platform::failStderrLine("cannot write the output file " + output);
  }
}

}  // namespace

void predictFuzzy(const std::string& testDataPath, const std::string& modelPath, const std::string& outputPath) {
  // A stale output of an earlier run must not be taken for this run's answer.
  std::error_code ignored;
  std::filesystem::remove(outputPath, ignored);

  const std::vector<FeatureVector> rows = readTestData(testDataPath);
  const ConceptSvm model = ConceptSvm::load(modelPath);
  const GroupScaling scaling = readGroupScaling(scalingPathFor(modelPath));

  std::vector<double> confidences;
  confidences.reserve(rows.size());
  for (const FeatureVector& row : rows) confidences.push_back(model.confidence(scaling.applied(row)));
  writeConfidences(confidences, outputPath + ".partial", outputPath);
}

}  // namespace svm_tools
