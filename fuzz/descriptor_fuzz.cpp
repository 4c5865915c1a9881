// One of the classifier's four descriptor readers; DESCRIPTOR_KIND names it.

#include "classification/descriptor_readers.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using classification::DescriptorKind;
  const std::string path = fuzzing::writeScratchFile("descriptor.xml", fuzzing::asText(data, size));
  fuzzing::readOrRefuse([&] { classification::readDescriptorFile(path, DescriptorKind::DESCRIPTOR_KIND); });
  return 0;
}
