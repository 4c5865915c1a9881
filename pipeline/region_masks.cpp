#include "pipeline/region_masks.h"

#include <cstdint>

#include "platform/failure.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "platform/paths.h"

namespace pipeline {
namespace {

std::string baseNameOf(const std::string& fileName) { return fileName.substr(0, fileName.find('.')); }

}  // namespace

std::string labelFilePath(const std::string& directory, const std::string& fileName) {
  return "./" + directory + baseNameOf(fileName) + ".seg";
}

std::string maskPath(const std::string& directory, const std::string& fileName, int region) {
  return directory + platform::kSeparator + "segmentationMasks" + platform::kSeparator + "RegionMask." + fileName +
         "." + std::to_string(region) + ".pgm";
}

void writeMask(const std::string& path, const imaging::IntMap& mask) {
  imaging::GreyImage bytes(mask.width(), mask.height());
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes.data()[i] = static_cast<std::uint8_t>(mask.data()[i] & 0xff);
  imaging::writeGreyImage(path, bytes);
}

void writeRegionMasks(const imaging::GreyImage& labels, const std::string& directory, const std::string& fileName) {
  const int regions = imaging::regionCount(labels);
  imaging::IntMap mask(labels.width(), labels.height());
  for (int region = 0; region < regions; ++region) {
    for (std::size_t i = 0; i < labels.size(); ++i) mask.data()[i] = labels.data()[i] == region ? 255 : 0;
    writeMask(maskPath(directory, fileName, region), mask);
  }
}

void exportRegionMasks(const std::string& directory, const std::string& fileName) {
  writeRegionMasks(imaging::readLabelFile(labelFilePath(directory, fileName)), directory, fileName);
}

}  // namespace pipeline
