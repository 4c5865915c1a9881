// The extractor's parameter file.

#include "fuzz/fuzz_support.h"
#include "tools/descriptors/descriptor_kind.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzing::writeScratchFile("descriptor.par", fuzzing::asText(data, size));
  fuzzing::readOrRefuse([&] { descriptors::readParameterFile(path); });
  return 0;
}
