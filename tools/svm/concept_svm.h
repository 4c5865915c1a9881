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

// Training rows given by their kernel values with each other (libsvm's
// precomputed kernel): cross-validation computes the RBF kernel of a fold's
// rows once and trains every concept and every C on it, instead of libsvm
// computing it again in every training.
class PrecomputedKernel {
 public:
  // gram[i][k] is the kernel value of training rows i and k.
  explicit PrecomputedKernel(const std::vector<std::vector<double>>& gram);
  PrecomputedKernel(const PrecomputedKernel&) = delete;
  PrecomputedKernel& operator=(const PrecomputedKernel&) = delete;

 private:
  friend class ConceptSvm;
  std::vector<svm_node> nodes_;
  std::vector<svm_node*> rows_;
};

class ConceptSvm {
 public:
  // labels[i] is +1 or -1; both must occur. Deterministic for equal input.
  static ConceptSvm train(const std::vector<FeatureVector>& rows, const std::vector<int>& labels,
                          const TrainingSettings& settings);
  // The same on a precomputed kernel (settings.gamma is not used). The model
  // points into the kernel, which must outlive it; it predicts with
  // confidenceFromKernel only, and is not saved.
  static ConceptSvm train(const PrecomputedKernel& kernel, const std::vector<int>& labels,
                          const TrainingSettings& settings);
  // Loads a libsvm model file, through its binary form beside it when that
  // is current (binary_model.h); fails with one line for the user when the
  // file is missing, does not load, or is not a two-class model with a
  // class +1. The model predicts exactly as libsvm's loader would make it.
  static ConceptSvm load(const std::string& path);

  // Writes the model in libsvm's text format, and its binary form beside it.
  void save(const std::string& path) const;

  ConceptSvm(ConceptSvm&&) noexcept;
  ConceptSvm& operator=(ConceptSvm&&) noexcept;
  ~ConceptSvm();

  bool hasProbabilities() const;
  // The probability of class +1 when the model carries probability
  // information, else the logistic of the decision value, oriented so that
  // larger means +1.
  double confidence(const FeatureVector& row) const;
  // The confidence of a model trained on a precomputed kernel for a vector
  // given by its kernel values with the training rows, in their order.
  double confidenceFromKernel(const std::vector<double>& kernelValues) const;

 private:
  struct ModelDeleter {
    void operator()(svm_model* model) const;
  };
  // A loaded model: libsvm's model structure over arrays of our own.
  struct LoadedModel;

  ConceptSvm();
  void trainOn(const std::vector<svm_node*>& rows, const std::vector<int>& labels, const TrainingSettings& settings,
               int kernelType);
  double confidenceOf(const std::vector<svm_node>& nodes) const;
  void findPositiveClass();
  const svm_model* model() const;

  // A trained model points into these nodes for its support vectors.
  std::vector<svm_node> trainingNodes_;
  // Either a model libsvm trained, or one loaded.
  std::unique_ptr<svm_model, ModelDeleter> trained_;
  std::unique_ptr<LoadedModel> loaded_;
  int positiveIndex_ = 0;
};

}  // namespace svm_tools
