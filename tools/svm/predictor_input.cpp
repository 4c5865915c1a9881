#include "tools/svm/predictor_input.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include <span>

#include "classification/predictor_input.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace svm_tools {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Parses the whole of `text` as a finite floating-point number.
bool parseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && errno == 0 && std::isfinite(value);
}

// Parses the whole of `text` as a decimal feature number.
bool parseIndex(const std::string& text, long& index) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  index = platform::leadingInteger(text);
  return true;
}

std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

}  // namespace

std::vector<FeatureVector> readPredictorInput(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) platform::failStderrLine("cannot open the test data file " + path);
  std::vector<FeatureVector> rows = parsePredictorInput(in, path);
  if (in.bad()) platform::failStderrLine("cannot read the test data file " + path);
  return rows;
}

std::vector<FeatureVector> parsePredictorInput(std::istream& in, const std::string& name) {
  std::vector<FeatureVector> rows;
  std::string line;
  long lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::string where = name + " line " + std::to_string(lineNumber);
    const std::vector<std::string> words = splitWords(line);
    double label = 0.0;
    if (words.empty() || !parseNumber(words[0], label)) {
      platform::failStderrLine("malformed test data in " + where + ": a line must start with a class label");
    }
    FeatureVector row(kFeatureCount, 0.0);
    long previous = 0;
    for (std::size_t w = 1; w < words.size(); ++w) {
      const std::string& word = words[w];
      const std::size_t colon = word.find(':');
      long index = 0;
      double value = 0.0;
      if (colon == std::string::npos || !parseIndex(word.substr(0, colon), index) ||
          !parseNumber(word.substr(colon + 1), value)) {
        platform::failStderrLine("malformed test data in " + where + ": '" + word + "' is not <feature>:<value>");
      }
      if (index < 1 || index > kFeatureCount) {
        platform::failStderrLine("feature number " + std::to_string(index) + " out of range 1 to " +
                          std::to_string(kFeatureCount) + " in " + where);
      }
      if (index <= previous) {
        platform::failStderrLine("feature numbers do not increase in " + where + " at feature " + std::to_string(index));
      }
      previous = index;
      row[index - 1] = value;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void writePredictorInput(const std::string& path, const std::vector<FeatureVector>& rows) {
  const std::vector<std::span<const double>> lines(rows.begin(), rows.end());
  classification::writePredictorInput(path, lines, platform::WriteReport::OwnLine);
}

}  // namespace svm_tools
