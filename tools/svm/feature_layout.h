#pragma once
// The region feature vector as the classifier hands it to the predictor: 433
// values in four descriptor groups, numbered from 1 in the test-data file.

#include <array>
#include <string>
#include <vector>

namespace svm_tools {

inline constexpr int kFeatureCount = 433;

struct FeatureGroup {
  const char* name;
  int first;  // feature number of the group's first value, counting from 1
  int last;   // feature number of its last value
};

// Homogeneous texture, region shape, scalable colour, edge histogram.
inline constexpr std::array<FeatureGroup, 4> kFeatureGroups{{
    {"HT", 1, 62},
    {"RS", 63, 97},
    {"SC", 98, 353},
    {"EH", 354, 433},
}};

using FeatureVector = std::vector<double>;  // kFeatureCount values, feature n at n - 1

}  // namespace svm_tools
