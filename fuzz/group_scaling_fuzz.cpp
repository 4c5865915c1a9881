// The predictor's group-factor file (a model's ".groups" companion), and
// the factors applied to a feature vector.

#include "fuzz/fuzz_support.h"
#include "tools/svm/group_scaling.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzing::writeScratchFile("model.txt.groups", fuzzing::asText(data, size));
  fuzzing::readOrRefuse([&] {
    const svm_tools::GroupScaling scaling = svm_tools::readGroupScaling(path);
    (void)scaling.applied(svm_tools::FeatureVector(svm_tools::kFeatureCount, 1.0));
  });
  return 0;
}
