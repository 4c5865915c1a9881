#pragma once
// One concept's two-class SVM on libsvm: training on dense feature vectors,
// saving and loading in libsvm's model format, and the confidence that a
// vector belongs to the class labelled +1.

#include <memory>
#include <string>
#include <vector>

#include <libsvm/svm.h>

#include "tools/svm/feature_layout.h"

namespace svm_tools {

struct TrainingSettings {
  double c = 1.0;
  double gamma = 1.0;
  // Class weights multiply C for the errors on each side.
  double positiveWeight = 1.0;
  double negativeWeight = 1.0;
  // Fit libsvm's probability model; training then takes about six times as long.
  bool probability = true;
};

class ConceptSvm {
 public:
  // labels[i] is +1 or -1; both must occur. Deterministic for equal input.
  static ConceptSvm train(const std::vector<FeatureVector>& rows, const std::vector<int>& labels,
                          const TrainingSettings& settings);
  // Loads a libsvm model file; fails with one line for the user when the file
  // is missing, does not load, or is not a two-class model with a class +1.
  static ConceptSvm load(const std::string& path);

  void save(const std::string& path) const;

  bool hasProbabilities() const;
  // The probability of class +1 when the model carries probability
  // information, else the logistic of the decision value, oriented so that
  // larger means +1.
  double confidence(const FeatureVector& row) const;

 private:
  struct ModelDeleter {
    void operator()(svm_model* model) const;
  };

  ConceptSvm() = default;
  void findPositiveClass();

  // A trained model points into these nodes for its support vectors; a
  // loaded one owns its own.
  std::vector<svm_node> trainingNodes_;
  std::unique_ptr<svm_model, ModelDeleter> model_;
  int positiveIndex_ = 0;
};

}  // namespace svm_tools
