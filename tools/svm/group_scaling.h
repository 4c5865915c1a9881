#pragma once
// Balancing of the four descriptor groups. With the classifier's fixed value
// ranges the edge histogram dominates the RBF distance; each group is
// therefore multiplied by one factor chosen so that every group contributes
// the same mean squared distance between training regions. The factors are
// fitted on training data, stored next to the model and applied to every
// vector before the model sees it.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tools/svm/feature_layout.h"

namespace svm_tools {

struct GroupScaling {
  std::array<double, 4> factors{1.0, 1.0, 1.0, 1.0};

  void apply(FeatureVector& features) const;
  FeatureVector applied(FeatureVector features) const {
    apply(features);
    return features;
  }
};

// Mean squared distance between two different vectors of `rows`, restricted
// to one group's features.
double meanSquaredGroupDistance(const std::vector<FeatureVector>& rows, const FeatureGroup& group);

// The shares of the mean squared distance the four groups are given, in the
// order of kFeatureGroups; only their ratios matter.
using GroupShares = std::array<double, 4>;
inline constexpr GroupShares kEqualShares{1.0, 1.0, 1.0, 1.0};

// Factors that give every group its share of a mean squared distance of 1
// over `rows` (with equal shares 1/4 each), so that the whole vector has a
// mean squared distance of about 1. A group that does not vary keeps the
// factor 1.
GroupScaling fitGroupScaling(const std::vector<FeatureVector>& rows, const GroupShares& shares = kEqualShares);

// "4:1:1:1" for the shares 4, 1, 1, 1, and back; parsing gives nothing for
// a text that is not four positive numbers separated by colons.
std::string sharesText(const GroupShares& shares);
std::optional<GroupShares> parseShares(const std::string& text);

// The companion file of a model: the model's path with ".groups" appended.
std::string scalingPathFor(const std::string& modelPath);

// Text form: a comment line, then one line per group "<name> <first> <last>
// <factor>" with the factor printed exactly (17 significant digits).
void writeGroupScaling(const std::string& path, const GroupScaling& scaling);
// Reads the text form back; fails with one line for the user when the file
// is missing or does not describe the four groups.
GroupScaling readGroupScaling(const std::string& path);

}  // namespace svm_tools
