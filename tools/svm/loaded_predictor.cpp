#include "tools/svm/loaded_predictor.h"

#include <sstream>
#include <utility>

#include "tools/svm/predictor_input.h"

namespace svm_tools {

LoadedModelsPredictor::LoadedModelsPredictor(std::string directory) : directory_(std::move(directory)) {}

void LoadedModelsPredictor::takeTestData(const std::string& text) {
  std::istringstream in(text);
  rows_ = parsePredictorInput(in, "the test data");
}

std::optional<std::string> LoadedModelsPredictor::answer(const std::string& conceptName) {
  auto model = models_.find(conceptName);
  if (model == models_.end()) {
    // The path below the working directory starts with "./".
    const std::string path = directory_ + classification::modelPath(conceptName).substr(1);
    model = models_.emplace(conceptName, FuzzyModel::load(path)).first;
  }
  return confidencesText(model->second.confidences(rows_));
}

std::string LoadedModelsPredictor::answerName() const { return "the predictor's answer"; }

void LoadedModelsPredictor::finish() { rows_.clear(); }

}  // namespace svm_tools
