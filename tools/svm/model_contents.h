#pragma once
// The values of a two-class libsvm model, as libsvm's loader would hold them
// after reading the model's text: what the predictor needs to classify. The
// text form is parsed into arrays of its own; the binary form is used where
// it lies in memory, through the same view.

#include <libsvm/svm.h>

#include <span>
#include <string_view>
#include <vector>

namespace svm_tools {

struct ModelHeader {
  // libsvm's numbers for the type and the kernel (C_SVC, NU_SVC; LINEAR,
  // POLY, RBF, SIGMOID).
  int svmType = 0;
  int kernelType = 0;
  // The kernel's parameters; 0 where the text has none (the kernel does not
  // use them then).
  int degree = 0;
  double gamma = 0.0;
  double coef0 = 0.0;
  double rho = 0.0;
  int labels[2] = {0, 0};
  int perClass[2] = {0, 0};
  bool hasProbability = false;
  double probA = 0.0;
  double probB = 0.0;
};

// One coefficient per support vector; the vectors' non-zero features as
// libsvm's nodes, vector after vector, each ended by a node of index -1
// (value 0), as libsvm's loader lays them out.
struct ModelView {
  ModelHeader header;
  std::span<const double> coefficients;
  std::span<const svm_node> nodes;
};

struct ModelContents {
  ModelHeader header;
  std::vector<double> coefficients;
  std::vector<svm_node> nodes;

  ModelView view() const { return {header, coefficients, nodes}; }
};

// The values of a model text that checkModelText has accepted, each number
// converted as libsvm's loader converts it (strtod, strtol), so that the
// result equals the model libsvm loads from the same text bit for bit.
ModelContents parseCheckedModelText(std::string_view text);

}  // namespace svm_tools
