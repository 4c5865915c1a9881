// The colour image reader, whole and with a margin cut from every side.

#include "fuzz/fuzz_support.h"
#include "imaging/pnm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzzing::asText(data, size);
  const std::string path = fuzzing::writeScratchFile("image.ppm", input);
  fuzzing::readOrRefuse([&] { imaging::readColourImage(path); });
  fuzzing::readOrRefuse([&] { imaging::readColourImage(path, 1); });
  return 0;
}
