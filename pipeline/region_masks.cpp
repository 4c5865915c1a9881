#include "pipeline/region_masks.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/failure.h"
#include "platform/file.h"
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
  platform::File file = platform::openOrFail(path, "wb");
  const std::string header = imaging::greyImageHeader(mask.width(), mask.height());
  bool written = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
  std::vector<std::uint8_t> row(static_cast<std::size_t>(mask.width()));
  for (int y = 0; written && y < mask.height() && !row.empty(); ++y) {
    const std::int32_t* values = mask[y];
    for (std::size_t x = 0; x < row.size(); ++x) row[x] = static_cast<std::uint8_t>(values[x] & 0xff);
    written = std::fwrite(row.data(), 1, row.size(), file.get()) == row.size();
  }
  platform::closeOrFail(std::move(file), path, written);
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
