#include "classification/confidences.h"

#include <cmath>
#include <cstdio>
#include <span>

#include "classification/predictor_input.h"
#include "formats/exchanged_formats.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/mapped_file.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/replacing_file.h"

namespace classification {
namespace {

const std::string kPredictor = platform::executableName("SVMpredictfuzzy");
const std::string kInputFile(formats::kTestDataFile);
const std::string kPredictionFile(formats::kPredictionFile);
constexpr const char* kCannotWrite = "cannot write!!!!!!!!!!!!!!";

}  // namespace

ConfidenceTable::ConfidenceTable(int regions, int concepts)
    : regions_(regions), concepts_(concepts), values_(static_cast<std::size_t>(regions) * concepts, 0.0) {}

double ConfidenceTable::at(int region, int column) const {
  return values_[static_cast<std::size_t>(region) * concepts_ + column];
}

void ConfidenceTable::set(int region, int column, double confidence) {
  values_[static_cast<std::size_t>(region) * concepts_ + column] = confidence;
}

std::string modelPath(const std::string& conceptName) {
  return "./" + std::string(formats::kConfigurationFolder) + "//" + std::string(formats::kModelFolder) + "/" +
         std::string(formats::kModelPrefix) + conceptName + std::string(formats::kModelExtension);
}

void ProgramPredictor::takeTestData(const std::string& text) {
  platform::replaceFile(kInputFile, text, platform::WriteReport::CannotWrite, platform::WriteMode::Text);
}

std::optional<std::string> ProgramPredictor::answer(const std::string& conceptName) {
  // An answer left over from an earlier run must never pass for this one's.
  platform::removeFile(kPredictionFile);
  // The concept name stays one argument whatever it holds.
  platform::runProgram({kPredictor, kInputFile, modelPath(conceptName), kPredictionFile});
  std::optional<std::string> text = platform::readWholeFile(kPredictionFile);
  if (text) platform::removeFile(kPredictionFile);
  return text;
}

std::string ProgramPredictor::answerName() const { return kPredictionFile; }

void ProgramPredictor::finish() { platform::removeFile(kInputFile); }

bool readAnswer(const std::string& answer, int column, ConfidenceTable& confidences) {
  // One number per region, in region order, each held in single precision.
  // A confidence is a finite number from 0 to 1; anything else is as little
  // an answer as a missing number.
  const char* at = answer.c_str();
  for (int region = 0; region < confidences.regions(); ++region) {
    float confidence = 0.0f;
    int used = 0;
    if (std::sscanf(at, "%f%n", &confidence, &used) != 1 || !std::isfinite(confidence) || confidence < 0.0f ||
        confidence > 1.0f)
      return false;
    at += used;
    confidences.set(region, column, static_cast<double>(confidence));
  }
  return true;
}

ConfidenceTable predictConfidences(const FeatureTable& features, const std::vector<std::string>& conceptNames,
                                   Predictor& predictor) {
  ConfidenceTable confidences(static_cast<int>(features.size()), static_cast<int>(conceptNames.size()));
  predictor.takeTestData(predictorInputText(std::vector<std::span<const double>>(features.begin(), features.end())));
  for (std::size_t column = 0; column < conceptNames.size(); ++column) {
    const std::optional<std::string> answer = predictor.answer(conceptNames[column]);
    if (!answer) platform::failStdoutExact(kCannotWrite);
    if (!readAnswer(*answer, static_cast<int>(column), confidences)) {
      // The prediction failed. Leave no temporary file behind and no results.
      predictor.finish();
      platform::failStdoutExact("failure in reading file " + predictor.answerName() + "\n");
    }
  }
  predictor.finish();
  return confidences;
}

ConfidenceTable predictConfidences(const FeatureTable& features, const std::vector<std::string>& conceptNames) {
  ProgramPredictor predictor;
  return predictConfidences(features, conceptNames, predictor);
}

}  // namespace classification
