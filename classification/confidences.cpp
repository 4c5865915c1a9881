#include "classification/confidences.h"

#include <cmath>
#include <cstdio>
#include <span>

#include "classification/predictor_input.h"
#include "formats/exchanged_formats.h"
#include "platform/failure.h"
#include "platform/file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/replacing_file.h"

namespace classification {
namespace {

const std::string kPredictor = platform::executableName("SVMpredictfuzzy");
const std::string kInputFile(formats::kTestDataFile);
const std::string kPredictionFile(formats::kPredictionFile);
constexpr const char* kCannotWrite = "cannot write!!!!!!!!!!!!!!";

// "./conf//SVMtrainingModels/trainingModels_<concept>.txt".
std::string modelPath(const std::string& conceptName) {
  return "./" + std::string(formats::kConfigurationFolder) + "//" + std::string(formats::kModelFolder) + "/" +
         std::string(formats::kModelPrefix) + conceptName + std::string(formats::kModelExtension);
}

// Runs the predictor with the concept's training model and reads one
// confidence per region into the column, then removes its answer.
void readConfidences(const std::string& conceptName, int column, ConfidenceTable& confidences) {
  // An answer left over from an earlier run must never pass for this one's.
  platform::removeFile(kPredictionFile);
  // The concept name stays one argument whatever it holds.
  platform::runProgram({kPredictor, kInputFile, modelPath(conceptName), kPredictionFile});
  platform::File file(std::fopen(kPredictionFile.c_str(), "r"));
  if (!file) platform::failStdoutExact(kCannotWrite);
  // One number per region, in region order, each held in single precision.
  // A confidence is a finite number from 0 to 1; anything else is as little
  // an answer as a missing number.
  for (int region = 0; region < confidences.regions(); ++region) {
    float confidence = 0.0f;
    if (std::fscanf(file.get(), "%f", &confidence) != 1 || !std::isfinite(confidence) || confidence < 0.0f ||
        confidence > 1.0f) {
      // The prediction failed. Leave no temporary file behind and no results.
      file.reset();
      platform::removeFile(kPredictionFile);
      platform::removeFile(kInputFile);
      platform::failStdoutExact("failure in reading file " + kPredictionFile + "\n");
    }
    confidences.set(region, column, static_cast<double>(confidence));
  }
  file.reset();
  platform::removeFile(kPredictionFile);
}

}  // namespace

ConfidenceTable::ConfidenceTable(int regions, int concepts)
    : regions_(regions), concepts_(concepts), values_(static_cast<std::size_t>(regions) * concepts, 0.0) {}

double ConfidenceTable::at(int region, int column) const {
  return values_[static_cast<std::size_t>(region) * concepts_ + column];
}

void ConfidenceTable::set(int region, int column, double confidence) {
  values_[static_cast<std::size_t>(region) * concepts_ + column] = confidence;
}

ConfidenceTable predictConfidences(const FeatureTable& features, const std::vector<std::string>& conceptNames) {
  ConfidenceTable confidences(static_cast<int>(features.size()), static_cast<int>(conceptNames.size()));
  const std::vector<std::span<const double>> rows(features.begin(), features.end());
  writePredictorInput(kInputFile, rows, platform::WriteReport::CannotWrite);
  for (std::size_t column = 0; column < conceptNames.size(); ++column)
    readConfidences(conceptNames[column], static_cast<int>(column), confidences);
  platform::removeFile(kInputFile);
  return confidences;
}

}  // namespace classification
