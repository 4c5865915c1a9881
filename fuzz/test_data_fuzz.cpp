// The predictor's test-data file.

#include "fuzz/fuzz_support.h"
#include "tools/svm/predictor_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzing::writeScratchFile("testData.txt", fuzzing::asText(data, size));
  fuzzing::readOrRefuse([&] { svm_tools::readPredictorInput(path); });
  return 0;
}
