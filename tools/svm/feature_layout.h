#pragma once
// The region feature vector as the classifier hands it to the predictor: 433
// values in four descriptor groups, numbered from 1 in the test-data file.

#include <array>
#include <string>
#include <vector>

#include "formats/exchanged_formats.h"

namespace svm_tools {

inline constexpr int kFeatureCount = formats::kFeatureCount;

struct FeatureGroup {
  const char* name;
  int first;  // feature number of the group's first value, counting from 1
  int last;   // feature number of its last value
};

// Homogeneous texture, region shape, scalable colour, edge histogram: the
// descriptor kinds in feature order.
inline constexpr std::array<FeatureGroup, 4> kFeatureGroups = [] {
  std::array<FeatureGroup, 4> groups{};
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const formats::DescriptorFormat& format = formats::kDescriptorFormats[g];
    groups[g] = {format.shortName.data(), format.featureOffset + 1, format.featureOffset + format.values};
  }
  return groups;
}();

using FeatureVector = std::vector<double>;  // kFeatureCount values, feature n at n - 1

}  // namespace svm_tools
