#include "tools/svm/model_check.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <vector>

#include <libsvm/svm.h>

#include "platform/failure.h"
#include "tools/svm/feature_layout.h"
#include "tools/svm/model_contents.h"

namespace svm_tools {
namespace {

std::vector<std::string> splitBlanks(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool hasControlCharacter(const std::string& line) {
  for (char c : line) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7f) return true;
  }
  return false;
}

// The whole word as a finite number.
std::optional<double> finiteNumber(const std::string& word) {
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  if (word.empty() || end != word.c_str() + word.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The whole word as a whole number from `least` that fits an int.
std::optional<int> wholeNumber(const std::string& word, long least) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(word.c_str(), &end, 10);
  if (word.empty() || end != word.c_str() + word.size() || errno != 0 || value < least || value > INT_MAX)
    return std::nullopt;
  return static_cast<int>(value);
}

class ModelChecker {
 public:
  ModelChecker(std::istream& in, const std::string& name) : in_(in), name_(name) {}

  void run() {
    readHeader();
    readSupportVectors();
  }

 private:
  [[noreturn]] void fail(const std::string& why) const {
    platform::failStderrLine("malformed SVM model " + name_ + " line " + std::to_string(lineNumber_) + ": " + why);
  }
  [[noreturn]] void failWhole(const std::string& why) const {
    platform::failStderrLine("malformed SVM model " + name_ + ": " + why);
  }
  [[noreturn]] void notTwoClass() const {
    platform::failStderrLine("the SVM model " + name_ + " is not a two-class classifier");
  }

  bool nextLine() {
    if (!std::getline(in_, line_)) {
      if (in_.bad()) platform::failStderrLine("cannot read the SVM model " + name_);
      return false;
    }
    ++lineNumber_;
    if (hasControlCharacter(line_)) fail("unexpected control character");
    return true;
  }

  // The values of one header line, after its key: exactly `count` of them.
  void expectCount(const std::vector<std::string>& words, std::size_t count) const {
    if (words.size() != count + 1)
      fail(words[0] + " needs " + std::to_string(count) + (count == 1 ? " value" : " values"));
  }
  double realValue(const std::string& key, const std::string& word) const {
    const std::optional<double> value = finiteNumber(word);
    if (!value) fail(key + " must be a finite number, not '" + word + "'");
    return *value;
  }
  int wholeValue(const std::string& key, const std::string& word, long least) const {
    const std::optional<int> value = wholeNumber(word, least);
    if (!value) fail(key + " must be a whole number from " + std::to_string(least) + ", not '" + word + "'");
    return *value;
  }

  void readHeader() {
    std::map<std::string, int> seen;  // key -> its line
    while (true) {
      if (!nextLine()) failWhole("the file ends before the SV line");
      const std::vector<std::string> words = splitBlanks(line_);
      if (words.empty()) fail("empty header line");
      const std::string& key = words[0];
      if (key == "SV") {
        if (words.size() != 1) fail("text after SV");
        break;
      }
      if (!seen.emplace(key, lineNumber_).second) fail(key + " given twice");
      readHeaderLine(words, seen);
    }
    for (const char* key : {"svm_type", "kernel_type", "nr_class", "total_sv", "rho", "label", "nr_sv"}) {
      if (!seen.count(key)) fail("the header has no " + std::string(key));
    }
    const bool usesGamma = kernel_ != "linear";
    if (kernel_ == "polynomial" && !seen.count("degree")) fail("the polynomial kernel needs a degree");
    if (usesGamma && !seen.count("gamma")) fail("the " + kernel_ + " kernel needs a gamma");
    if ((kernel_ == "polynomial" || kernel_ == "sigmoid") && !seen.count("coef0"))
      fail("the " + kernel_ + " kernel needs a coef0");
    if (seen.count("probA") != seen.count("probB")) fail("probA and probB come together");
    if (static_cast<long>(perClass_[0]) + perClass_[1] != total_)
      fail("the nr_sv counts add up to " + std::to_string(static_cast<long>(perClass_[0]) + perClass_[1]) +
           ", not to total_sv " + std::to_string(total_));
  }

  void readHeaderLine(const std::vector<std::string>& words, const std::map<std::string, int>& seen) {
    const std::string& key = words[0];
    // These keys have one value per class or class pair: libsvm sizes them
    // by the nr_class read so far.
    const bool perClassKey = key == "rho" || key == "label" || key == "probA" || key == "probB" || key == "nr_sv";
    if (perClassKey && !seen.count("nr_class")) fail(key + " before nr_class");
    if (key == "svm_type") {
      expectCount(words, 1);
      const std::string& type = words[1];
      if (type == "one_class" || type == "epsilon_svr" || type == "nu_svr") notTwoClass();
      if (type != "c_svc" && type != "nu_svc") fail("unknown svm_type '" + type + "'");
    } else if (key == "kernel_type") {
      expectCount(words, 1);
      kernel_ = words[1];
      if (kernel_ != "linear" && kernel_ != "polynomial" && kernel_ != "rbf" && kernel_ != "sigmoid")
        fail("kernel_type must be linear, polynomial, rbf or sigmoid, not '" + kernel_ + "'");
    } else if (key == "degree") {
      expectCount(words, 1);
      wholeValue(key, words[1], 0);
    } else if (key == "gamma" || key == "coef0" || key == "rho" || key == "probA" || key == "probB") {
      // One value each: with two classes there is a single class pair.
      expectCount(words, 1);
      realValue(key, words[1]);
    } else if (key == "nr_class") {
      expectCount(words, 1);
      if (wholeValue(key, words[1], 0) != 2) notTwoClass();
    } else if (key == "total_sv") {
      expectCount(words, 1);
      total_ = wholeValue(key, words[1], 0);
    } else if (key == "label") {
      expectCount(words, 2);
      wholeValue(key, words[1], INT_MIN);
      wholeValue(key, words[2], INT_MIN);
    } else if (key == "nr_sv") {
      expectCount(words, 2);
      perClass_[0] = wholeValue(key, words[1], 0);
      perClass_[1] = wholeValue(key, words[2], 0);
    } else {
      fail("unknown header key '" + key + "'");
    }
  }

  void readSupportVectors() {
    for (int i = 0; i < total_; ++i) {
      if (!nextLine())
        failWhole("the file ends after " + std::to_string(i) + " of its " + std::to_string(total_) +
                  " support vectors");
      checkSupportVector(splitBlanks(line_));
    }
    if (nextLine()) fail("text after the last of the " + std::to_string(total_) + " support vectors");
  }

  // A coefficient, then the vector's non-zero features.
  void checkSupportVector(const std::vector<std::string>& words) const {
    if (words.empty()) fail("empty support vector line");
    realValue("the coefficient", words[0]);
    int previous = 0;
    for (std::size_t w = 1; w < words.size(); ++w) {
      const std::string& word = words[w];
      const std::size_t colon = word.find(':');
      if (colon == std::string::npos) fail("'" + word + "' is not <index>:<value>");
      const std::optional<int> index = wholeNumber(word.substr(0, colon), 0);
      if (!index || *index < 1 || *index > kFeatureCount)
        fail("feature index '" + word.substr(0, colon) + "' is not within 1 to " + std::to_string(kFeatureCount));
      if (*index <= previous) fail("feature indices do not increase at " + std::to_string(*index));
      previous = *index;
      realValue("feature " + std::to_string(*index), word.substr(colon + 1));
    }
  }

  std::istream& in_;
  const std::string& name_;
  std::string line_;
  int lineNumber_ = 0;
  std::string kernel_;
  int total_ = 0;
  int perClass_[2] = {0, 0};
};

}  // namespace

void checkModelText(std::istream& in, const std::string& name) { ModelChecker(in, name).run(); }

void checkModelFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) platform::failStderrLine("cannot load the SVM model " + path);
  checkModelText(in, path);
}

void checkModelContents(const ModelView& model, const std::string& name) {
  const auto fail = [&](const std::string& why) { platform::failStderrLine("malformed SVM model " + name + ": " + why); };
  const ModelHeader& header = model.header;
  if (header.svmType != C_SVC && header.svmType != NU_SVC)
    platform::failStderrLine("the SVM model " + name + " is not a two-class classifier");
  if (header.kernelType != LINEAR && header.kernelType != POLY && header.kernelType != RBF &&
      header.kernelType != SIGMOID)
    fail("unknown kernel type " + std::to_string(header.kernelType));
  if (header.degree < 0) fail("negative degree");
  for (const double value : {header.gamma, header.coef0, header.rho, header.probA, header.probB}) {
    if (!std::isfinite(value)) fail("a parameter is not a finite number");
  }
  const std::size_t count = model.coefficients.size();
  if (count > static_cast<std::size_t>(INT_MAX)) fail("more support vectors than libsvm counts");
  if (header.perClass[0] < 0 || header.perClass[1] < 0 ||
      static_cast<std::size_t>(header.perClass[0]) + static_cast<std::size_t>(header.perClass[1]) != count)
    fail("the per-class counts do not add up to the number of support vectors");
  for (double coefficient : model.coefficients) {
    if (!std::isfinite(coefficient)) fail("a coefficient is not a finite number");
  }
  std::size_t vectors = 0;
  int previous = 0;
  for (const svm_node& node : model.nodes) {
    if (node.index == -1) {
      ++vectors;
      previous = 0;
      continue;
    }
    if (node.index <= previous || node.index > kFeatureCount)
      fail("feature indices not increasing within 1 to " + std::to_string(kFeatureCount));
    if (!std::isfinite(node.value)) fail("a feature value is not a finite number");
    previous = node.index;
  }
  if (vectors != count || (!model.nodes.empty() && model.nodes.back().index != -1))
    fail("the support vectors do not match the coefficients");
}

}  // namespace svm_tools
