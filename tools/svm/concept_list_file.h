#pragma once
// Writing a concept list in the form the classifier reads: "concepts=<n>;"
// then one "concept=<name>;" per concept, each on a line of its own.

#include <string>
#include <vector>

namespace svm_tools {

void writeConceptList(const std::string& path, const std::vector<std::string>& names);

}  // namespace svm_tools
