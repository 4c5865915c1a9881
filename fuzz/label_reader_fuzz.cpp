// The label file reader and the region count taken from its pixels.

#include "fuzz/fuzz_support.h"
#include "imaging/label_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzzing::asText(data, size);
  const std::string path = fuzzing::writeScratchFile("labels.seg", input);
  fuzzing::readOrRefuse([&] { imaging::regionCount(imaging::readLabelFile(path)); });
  return 0;
}
