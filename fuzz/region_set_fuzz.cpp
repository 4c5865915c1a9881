// The reading of a feature table: the label file, then the four descriptor
// files filling one row per region. The input holds the five files in that
// order (label, HT, EH, RS, SC), separated by lines "=====".

#include "classification/descriptor_readers.h"
#include "classification/region_features.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::enterScratchFolder();
  std::filesystem::create_directories("segmentationMasks");
  std::filesystem::create_directories("descriptors");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using classification::DescriptorKind;
  const std::vector<std::string_view> parts = fuzzing::splitParts(fuzzing::asText(data, size), 5);
  const std::string imageName = "photo.jpg";
  fuzzing::writeScratchFile("segmentationMasks/photo.seg", parts[0]);
  const DescriptorKind kinds[] = {DescriptorKind::HomogeneousTexture, DescriptorKind::EdgeHistogram,
                                  DescriptorKind::RegionShape, DescriptorKind::ScalableColour};
  for (std::size_t k = 0; k < 4; ++k)
    fuzzing::writeScratchFile(classification::descriptorPath(imageName, kinds[k]), parts[k + 1]);

  fuzzing::readOrRefuse([&] {
    const std::string labelFile = classification::labelFilePath(imageName, "");
    classification::readFeatureTable(imageName, classification::readRegionCount(labelFile), labelFile);
  });
  return 0;
}
