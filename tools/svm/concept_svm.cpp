#include "tools/svm/concept_svm.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/failure.h"
#include "platform/stream_redirection.h"
#include "tools/svm/model_check.h"

namespace svm_tools {

using platform::StreamRedirection;

namespace {

void printNothing(const char*) {}

// Appends the non-zero features of one row in libsvm's sparse form, ended by
// the index -1.
void appendNodes(const FeatureVector& row, std::vector<svm_node>& nodes) {
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (row[i] != 0.0) nodes.push_back(svm_node{static_cast<int>(i) + 1, row[i]});
  }
  nodes.push_back(svm_node{-1, 0.0});
}

}  // namespace

void ConceptSvm::ModelDeleter::operator()(svm_model* model) const { svm_free_and_destroy_model(&model); }

ConceptSvm ConceptSvm::train(const std::vector<FeatureVector>& rows, const std::vector<int>& labels,
                             const TrainingSettings& settings) {
  ConceptSvm result;
  std::vector<std::size_t> starts;
  starts.reserve(rows.size());
  for (const FeatureVector& row : rows) {
    starts.push_back(result.trainingNodes_.size());
    appendNodes(row, result.trainingNodes_);
  }
  std::vector<svm_node*> rowPointers;
  rowPointers.reserve(rows.size());
  for (std::size_t start : starts) rowPointers.push_back(&result.trainingNodes_[start]);
  result.trainOn(rowPointers, labels, settings, RBF);
  return result;
}

ConceptSvm ConceptSvm::train(const PrecomputedKernel& kernel, const std::vector<int>& labels,
                             const TrainingSettings& settings) {
  ConceptSvm result;
  result.trainOn(kernel.rows_, labels, settings, PRECOMPUTED);
  return result;
}

void ConceptSvm::trainOn(const std::vector<svm_node*>& rowPointers, const std::vector<int>& labels,
                         const TrainingSettings& settings, int kernelType) {
  svm_set_print_string_function(printNothing);
  std::vector<double> targets(labels.begin(), labels.end());
  std::vector<svm_node*> rows = rowPointers;

  svm_problem problem{};
  problem.l = static_cast<int>(rows.size());
  problem.y = targets.data();
  problem.x = rows.data();

  int weightLabels[2] = {+1, -1};
  double weights[2] = {settings.positiveWeight, settings.negativeWeight};
  svm_parameter parameter{};
  parameter.svm_type = C_SVC;
  parameter.kernel_type = kernelType;
  parameter.gamma = settings.gamma;
  parameter.C = settings.c;
  parameter.cache_size = 100;
  parameter.eps = 1e-3;
  parameter.shrinking = 1;
  parameter.probability = settings.probability ? 1 : 0;
  parameter.nr_weight = 2;
  parameter.weight_label = weightLabels;
  parameter.weight = weights;

  if (const char* problemText = svm_check_parameter(&problem, &parameter)) {
    platform::failStderrLine(std::string("cannot train the SVM: ") + problemText);
  }
  bool positive = false;
  bool negative = false;
  for (int label : labels) {
    positive = positive || label == +1;
    negative = negative || label == -1;
  }
  if (!positive || !negative) platform::failStderrLine("cannot train the SVM: it needs examples of both classes");

  // The probability model is fitted on an internal cross-validation that
  // draws its folds from rand(); a fixed seed makes training repeatable.
  std::srand(1);
  model_.reset(svm_train(&problem, &parameter));
  // The model keeps pointers to the rows it chose as support vectors, which
  // live in trainingNodes_ or the kernel. Its copy of the parameters would
  // point at the weight arrays above, which are not needed after training.
  model_->param.nr_weight = 0;
  model_->param.weight_label = nullptr;
  model_->param.weight = nullptr;
  findPositiveClass();
}

PrecomputedKernel::PrecomputedKernel(const std::vector<std::vector<double>>& gram) {
  const std::size_t count = gram.size();
  nodes_.reserve(count * (count + 2));
  for (std::size_t i = 0; i < count; ++i) {
    // Node 0 holds the row's serial number, node k its kernel value with row k.
    nodes_.push_back(svm_node{0, static_cast<double>(i + 1)});
    for (std::size_t k = 0; k < count; ++k) nodes_.push_back(svm_node{static_cast<int>(k) + 1, gram[i][k]});
    nodes_.push_back(svm_node{-1, 0.0});
  }
  for (std::size_t i = 0; i < count; ++i) rows_.push_back(&nodes_[i * (count + 2)]);
}

ConceptSvm ConceptSvm::load(const std::string& path) {
  checkModelFile(path);
  ConceptSvm result;
  {
    // libsvm explains on standard error why a model does not load; we print
    // one line of our own instead.
    StreamRedirection quiet(StreamRedirection::nullDevice(), StreamRedirection::ErrorOnly);
    result.model_.reset(svm_load_model(path.c_str()));
  }
  if (!result.model_) platform::failStderrLine("cannot load the SVM model " + path);
  const int type = svm_get_svm_type(result.model_.get());
  if ((type != C_SVC && type != NU_SVC) || svm_get_nr_class(result.model_.get()) != 2) {
    platform::failStderrLine("the SVM model " + path + " is not a two-class classifier");
  }
  result.findPositiveClass();
  if (result.positiveIndex_ < 0) platform::failStderrLine("the SVM model " + path + " has no class labelled +1");
  return result;
}

void ConceptSvm::findPositiveClass() {
  int labels[2] = {0, 0};
  svm_get_labels(model_.get(), labels);
  positiveIndex_ = labels[0] == 1 ? 0 : labels[1] == 1 ? 1 : -1;
}

void ConceptSvm::save(const std::string& path) const {
  if (svm_save_model(path.c_str(), model_.get()) != 0) platform::failStderrLine("cannot write the SVM model " + path);
}

bool ConceptSvm::hasProbabilities() const { return svm_check_probability_model(model_.get()) != 0; }

double ConceptSvm::confidence(const FeatureVector& row) const {
  std::vector<svm_node> nodes;
  nodes.reserve(row.size() + 1);
  appendNodes(row, nodes);
  return confidenceOf(nodes);
}

double ConceptSvm::confidenceFromKernel(const std::vector<double>& kernelValues) const {
  std::vector<svm_node> nodes;
  nodes.reserve(kernelValues.size() + 2);
  nodes.push_back(svm_node{0, 0.0});
  for (std::size_t k = 0; k < kernelValues.size(); ++k) nodes.push_back(svm_node{static_cast<int>(k) + 1, kernelValues[k]});
  nodes.push_back(svm_node{-1, 0.0});
  return confidenceOf(nodes);
}

double ConceptSvm::confidenceOf(const std::vector<svm_node>& nodes) const {
  if (hasProbabilities()) {
    double probabilities[2] = {0.0, 0.0};
    svm_predict_probability(model_.get(), nodes.data(), probabilities);
    return probabilities[positiveIndex_];
  }
  // The decision value is positive for the model's first class.
  double decision = 0.0;
  svm_predict_values(model_.get(), nodes.data(), &decision);
  const double towardsPositive = positiveIndex_ == 0 ? decision : -decision;
  return 1.0 / (1.0 + std::exp(-towardsPositive));
}

}  // namespace svm_tools
