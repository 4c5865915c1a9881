#include "tools/svm/model_contents.h"

#include <cstdlib>
#include <string>

namespace svm_tools {
namespace {

// Splits at spaces and tabs, as the checker does.
class Words {
 public:
  explicit Words(std::string_view line) : line_(line) {}
  // The next word, or an empty view at the end of the line.
  std::string_view next() {
    while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t')) ++at_;
    const std::size_t start = at_;
    while (at_ < line_.size() && line_[at_] != ' ' && line_[at_] != '\t') ++at_;
    return line_.substr(start, at_ - start);
  }

 private:
  std::string_view line_;
  std::size_t at_ = 0;
};

double real(std::string_view word) { return std::strtod(std::string(word).c_str(), nullptr); }
int whole(std::string_view word) { return static_cast<int>(std::strtol(std::string(word).c_str(), nullptr, 10)); }

int svmTypeNamed(std::string_view name) { return name == "nu_svc" ? NU_SVC : C_SVC; }

int kernelNamed(std::string_view name) {
  if (name == "linear") return LINEAR;
  if (name == "polynomial") return POLY;
  if (name == "sigmoid") return SIGMOID;
  return RBF;
}

void readHeaderLine(std::string_view line, ModelHeader& model) {
  Words words(line);
  const std::string_view key = words.next();
  if (key == "svm_type") {
    model.svmType = svmTypeNamed(words.next());
  } else if (key == "kernel_type") {
    model.kernelType = kernelNamed(words.next());
  } else if (key == "degree") {
    model.degree = whole(words.next());
  } else if (key == "gamma") {
    model.gamma = real(words.next());
  } else if (key == "coef0") {
    model.coef0 = real(words.next());
  } else if (key == "rho") {
    model.rho = real(words.next());
  } else if (key == "label") {
    model.labels[0] = whole(words.next());
    model.labels[1] = whole(words.next());
  } else if (key == "nr_sv") {
    model.perClass[0] = whole(words.next());
    model.perClass[1] = whole(words.next());
  } else if (key == "probA") {
    model.hasProbability = true;
    model.probA = real(words.next());
  } else if (key == "probB") {
    model.probB = real(words.next());
  }
  // nr_class is 2 and total_sv the number of vector lines in a checked text.
}

// A coefficient, then "<index>:<value>" pairs.
void readSupportVector(std::string_view line, ModelContents& model) {
  Words words(line);
  model.coefficients.push_back(real(words.next()));
  for (std::string_view word = words.next(); !word.empty(); word = words.next()) {
    const std::size_t colon = word.find(':');
    model.nodes.push_back(svm_node{whole(word.substr(0, colon)), real(word.substr(colon + 1))});
  }
  model.nodes.push_back(svm_node{-1, 0.0});
}

}  // namespace

ModelContents parseCheckedModelText(std::string_view text) {
  ModelContents model;
  bool inVectors = false;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (inVectors) {
      readSupportVector(line, model);
    } else if (Words(line).next() == "SV") {
      inVectors = true;
    } else {
      readHeaderLine(line, model.header);
    }
  }
  return model;
}

}  // namespace svm_tools
