#include "classification/region_features.h"

#include "classification/descriptor_readers.h"
#include "imaging/label_reader.h"
#include "platform/failure.h"
#include "platform/paths.h"

namespace classification {

std::string labelFilePath(const std::string& imageName, const std::string& imageFolder) {
  const std::size_t dot = imageName.find('.');
  if (dot == std::string::npos)
    platform::failStderrLine("the image name \"" + imageName +
                             "\" has no dot, so the name of its label file (the part before the first dot) is unknown");
  return imageFolder + std::string(formats::kMaskFolder) + platform::kSeparator + imageName.substr(0, dot) +
         std::string(formats::kLabelFileExtension);
}

int readRegionCount(const std::string& labelFilePath) {
  return imaging::regionCount(imaging::readLabelFile(labelFilePath));
}

FeatureTable readFeatureTable(const std::string& imageName, int regionCount, const std::string& labelFilePath,
                              const std::string& directory) {
  FeatureTable table(static_cast<std::size_t>(regionCount), RegionFeatures{});
  for (const DescriptorKind kind : formats::kReadingOrder) {
    const formats::DescriptorFormat& format = formats::descriptorFormat(kind);
    // The path below the working directory starts with "./".
    const std::string path = directory + descriptorPath(imageName, kind).substr(1);
    const std::vector<double> values = readDescriptorFile(path, kind);
    const std::size_t perBlock = static_cast<std::size_t>(format.values);
    // Region j takes block j. A file with another number of blocks than the
    // label file has regions was made for another segmentation, for example
    // that of another photo sharing this one's base name.
    if (values.size() != perBlock * table.size())
      platform::failStderrLine(path + " describes " +
                               std::to_string(values.size() / perBlock) + " regions, but the label file " +
                               labelFilePath + " has " + std::to_string(table.size()));
    for (std::size_t region = 0; region < table.size(); ++region) {
      for (std::size_t i = 0; i < perBlock; ++i)
        table[region][format.featureOffset + i] =
            (values[perBlock * region + i] - format.scaleOffset) / format.scaleDivisor;
    }
  }
  return table;
}

}  // namespace classification
