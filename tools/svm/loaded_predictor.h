#pragma once
// The predictor in this process: each concept's model loaded on its first
// answer and kept for every image after, asked as SVMpredictfuzzy is asked,
// through the same test-data and answer text, so its answers are the
// program's to the last digit.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "classification/confidences.h"
#include "tools/svm/fuzzy_prediction.h"

namespace svm_tools {

class LoadedModelsPredictor : public classification::Predictor {
 public:
  // The models are those the classifier names (classification::modelPath)
  // with `directory` standing for the working directory.
  explicit LoadedModelsPredictor(std::string directory);

  void takeTestData(const std::string& text) override;
  // Fails with the predictor's one line when the model does not load; a
  // model that failed is tried again on its next answer.
  std::optional<std::string> answer(const std::string& conceptName) override;
  std::string answerName() const override;
  void finish() override;

  // How many models are loaded.
  std::size_t loadedModels() const { return models_.size(); }

 private:
  std::string directory_;
  std::map<std::string, FuzzyModel> models_;
  std::vector<FeatureVector> rows_;
};

}  // namespace svm_tools
