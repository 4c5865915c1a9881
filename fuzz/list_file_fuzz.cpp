// The extractor's list file and the split of the image it names.

#include "fuzz/fuzz_support.h"
#include "tools/descriptors/extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzing::writeScratchFile("infiles.txt", fuzzing::asText(data, size));
  fuzzing::readOrRefuse([&] {
    const descriptors::ListedImage image = descriptors::readListFile(path);
    (void)image.ppmPath();
    (void)image.labelPath();
  });
  return 0;
}
