// The classifier's concept list.

#include "classification/concept_list.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzing::writeScratchFile("concepts.txt", fuzzing::asText(data, size));
  fuzzing::readOrRefuse([&] { classification::readConceptList(path); });
  return 0;
}
