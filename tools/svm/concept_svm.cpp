#include "tools/svm/concept_svm.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "platform/failure.h"
#include "platform/files.h"
#include "tools/svm/binary_model.h"

namespace svm_tools {

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
  trained_.reset(svm_train(&problem, &parameter));
  // The model keeps pointers to the rows it chose as support vectors, which
  // live in trainingNodes_ or the kernel. Its copy of the parameters would
  // point at the weight arrays above, which are not needed after training.
  trained_->param.nr_weight = 0;
  trained_->param.weight_label = nullptr;
  trained_->param.weight = nullptr;
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

// libsvm's structure for a model over the loaded values, laid out as its
// loader lays them out. libsvm takes non-const pointers but only reads
// through them when it predicts.
struct ConceptSvm::LoadedModel {
  explicit LoadedModel(const std::string& path) : values(loadModelValues(path)) {
    const ModelView& view = values.view();
    const ModelHeader& header = view.header;
    svm_node* nodes = const_cast<svm_node*>(view.nodes.data());
    rows.reserve(view.coefficients.size());
    bool vectorStarts = true;
    for (std::size_t n = 0; n < view.nodes.size(); ++n) {
      if (vectorStarts) rows.push_back(nodes + n);
      vectorStarts = nodes[n].index == -1;
    }
    coefficientRows[0] = const_cast<double*>(view.coefficients.data());
    rho = header.rho;
    probA = header.probA;
    probB = header.probB;
    labels[0] = header.labels[0];
    labels[1] = header.labels[1];
    perClass[0] = header.perClass[0];
    perClass[1] = header.perClass[1];

    model.param.svm_type = header.svmType;
    model.param.kernel_type = header.kernelType;
    model.param.degree = header.degree;
    model.param.gamma = header.gamma;
    model.param.coef0 = header.coef0;
    model.nr_class = 2;
    model.l = static_cast<int>(view.coefficients.size());
    model.SV = rows.data();
    model.sv_coef = coefficientRows;
    model.rho = &rho;
    model.probA = header.hasProbability ? &probA : nullptr;
    model.probB = header.hasProbability ? &probB : nullptr;
    model.sv_indices = nullptr;
    model.label = labels;
    model.nSV = perClass;
    model.free_sv = 0;
  }
  LoadedModel(const LoadedModel&) = delete;
  LoadedModel& operator=(const LoadedModel&) = delete;

  LoadedModelValues values;
  std::vector<svm_node*> rows;
  double* coefficientRows[1] = {nullptr};
  double rho = 0.0;
  double probA = 0.0;
  double probB = 0.0;
  int labels[2] = {0, 0};
  int perClass[2] = {0, 0};
  svm_model model{};
};

ConceptSvm::ConceptSvm() = default;
ConceptSvm::ConceptSvm(ConceptSvm&&) noexcept = default;
ConceptSvm& ConceptSvm::operator=(ConceptSvm&&) noexcept = default;
ConceptSvm::~ConceptSvm() = default;

const svm_model* ConceptSvm::model() const { return loaded_ ? &loaded_->model : trained_.get(); }

ConceptSvm ConceptSvm::load(const std::string& path) {
  ConceptSvm result;
  // The model check has passed: a two-class C or nu classifier.
  result.loaded_ = std::make_unique<LoadedModel>(path);
  result.findPositiveClass();
  if (result.positiveIndex_ < 0) platform::failStderrLine("the SVM model " + path + " has no class labelled +1");
  return result;
}

void ConceptSvm::findPositiveClass() {
  int labels[2] = {0, 0};
  svm_get_labels(model(), labels);
  positiveIndex_ = labels[0] == 1 ? 0 : labels[1] == 1 ? 1 : -1;
}

void ConceptSvm::save(const std::string& path) const {
  // libsvm writes to a file it opens itself: a temporary one beside the
  // model, put in place only once libsvm reports it complete, so that a
  // predictor never reads half a model.
  const std::string temporary = path + ".writing-" + std::to_string(static_cast<long>(getpid()));
  if (svm_save_model(temporary.c_str(), model()) != 0) {
    platform::removeFile(temporary);
    platform::failStderrLine("cannot write the SVM model " + path);
  }
  platform::moveFile(temporary, path);
  // Made from the text just written, so that it predicts as the text does.
  writeBinaryModelFor(path);
}

bool ConceptSvm::hasProbabilities() const { return svm_check_probability_model(model()) != 0; }

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
    svm_predict_probability(model(), nodes.data(), probabilities);
    return probabilities[positiveIndex_];
  }
  // The decision value is positive for the model's first class.
  double decision = 0.0;
  svm_predict_values(model(), nodes.data(), &decision);
  const double towardsPositive = positiveIndex_ == 0 ? decision : -decision;
  return 1.0 / (1.0 + std::exp(-towardsPositive));
}

}  // namespace svm_tools
