#include "tools/svm/group_scaling.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/failure.h"

namespace svm_tools {

void GroupScaling::apply(FeatureVector& features) const {
  for (std::size_t g = 0; g < kFeatureGroups.size(); ++g) {
    const FeatureGroup& group = kFeatureGroups[g];
    for (int n = group.first; n <= group.last; ++n) features[n - 1] *= factors[g];
  }
}

double meanSquaredGroupDistance(const std::vector<FeatureVector>& rows, const FeatureGroup& group) {
  const double count = static_cast<double>(rows.size());
  if (rows.size() < 2) return 0.0;
  // Over all ordered pairs of different rows, the mean of |a - b|^2 is
  // 2 n / (n - 1) times the sum of the per-feature population variances.
  double variances = 0.0;
  for (int n = group.first; n <= group.last; ++n) {
    double mean = 0.0;
    for (const FeatureVector& row : rows) mean += row[n - 1];
    mean /= count;
    double squares = 0.0;
    for (const FeatureVector& row : rows) {
      const double d = row[n - 1] - mean;
      squares += d * d;
    }
    variances += squares / count;
  }
  return 2.0 * count / (count - 1.0) * variances;
}

GroupScaling fitGroupScaling(const std::vector<FeatureVector>& rows, const GroupShares& shares) {
  double total = 0.0;
  for (double share : shares) total += share;
  GroupScaling scaling;
  for (std::size_t g = 0; g < kFeatureGroups.size(); ++g) {
    const double distance = meanSquaredGroupDistance(rows, kFeatureGroups[g]);
    scaling.factors[g] = distance > 0.0 ? std::sqrt(shares[g] / total / distance) : 1.0;
  }
  return scaling;
}

std::string sharesText(const GroupShares& shares) {
  std::string text;
  for (double share : shares) {
    char number[32];
    std::snprintf(number, sizeof number, "%g", share);
    if (!text.empty()) text += ':';
    text += number;
  }
  return text;
}

std::optional<GroupShares> parseShares(const std::string& text) {
  GroupShares shares{};
  std::size_t start = 0;
  for (std::size_t g = 0; g < shares.size(); ++g) {
    const std::size_t end = g + 1 < shares.size() ? text.find(':', start) : text.size();
    if (end == std::string::npos) return std::nullopt;
    const std::string field = text.substr(start, end - start);
    if (field.empty() || field.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    char* stop = nullptr;
    shares[g] = std::strtod(field.c_str(), &stop);
    if (*stop != '\0' || !std::isfinite(shares[g]) || shares[g] <= 0.0) return std::nullopt;
    start = end + 1;
  }
  return shares;
}

std::string scalingPathFor(const std::string& modelPath) { return modelPath + ".groups"; }

void writeGroupScaling(const std::string& path, const GroupScaling& scaling) {
  std::ofstream out(path);
  out << "# descriptor group, first and last feature number, factor applied before the model\n";
  for (std::size_t g = 0; g < kFeatureGroups.size(); ++g) {
    char factor[64];
    std::snprintf(factor, sizeof factor, "%.17g", scaling.factors[g]);
    out << kFeatureGroups[g].name << ' ' << kFeatureGroups[g].first << ' ' << kFeatureGroups[g].last
        << ' ' << factor << '\n';
  }
  out.close();
  if (!out) platform::failStderrLine("cannot write the group scaling file " + path);
}

GroupScaling readGroupScaling(const std::string& path) {
  std::ifstream in(path);
  if (!in) platform::failStderrLine("cannot open the group scaling file " + path);
  GroupScaling scaling;
  std::size_t seen = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name;
    int first = 0;
    int last = 0;
    double factor = 0.0;
    std::string rest;
    const bool parsed = static_cast<bool>(fields >> name >> first >> last >> factor) && !(fields >> rest);
    if (!parsed || seen >= kFeatureGroups.size() || name != kFeatureGroups[seen].name ||
        first != kFeatureGroups[seen].first || last != kFeatureGroups[seen].last ||
        !std::isfinite(factor) || factor <= 0.0) {
      platform::failStderrLine("malformed group scaling file " + path + ": " + line);
    }
    scaling.factors[seen++] = factor;
  }
  if (seen != kFeatureGroups.size()) {
    platform::failStderrLine("group scaling file " + path + " does not list all four descriptor groups");
  }
  return scaling;
}

}  // namespace svm_tools
