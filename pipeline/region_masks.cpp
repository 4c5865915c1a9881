#include "pipeline/region_masks.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/failure.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "platform/paths.h"
#include "platform/replacing_file.h"

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
  const std::string header = imaging::greyImageHeader(labels.width(), labels.height());
  // Each mask is made and written a piece at a time: a 12-megapixel image
  // needs no mask-sized buffer, only this piece, which stays in the cache.
  constexpr std::size_t kPiece = 1 << 18;
  std::vector<char> piece(std::min(kPiece, labels.size()));
  for (int region = 0; region < regions; ++region) {
    // Written exactly as writeGreyImage writes a grey image.
    platform::ReplacingFile file(maskPath(directory, fileName, region), platform::WriteReport::OpeningClosing);
    file.write(header);
    const std::uint8_t value = static_cast<std::uint8_t>(region);
    for (std::size_t start = 0; start < labels.size(); start += piece.size()) {
      const std::size_t count = std::min(piece.size(), labels.size() - start);
      const std::uint8_t* from = labels.data() + start;
      for (std::size_t i = 0; i < count; ++i) piece[i] = from[i] == value ? '\xff' : '\0';
      file.write({piece.data(), count});
    }
    file.commit();
  }
}

void exportRegionMasks(const std::string& directory, const std::string& fileName) {
  writeRegionMasks(imaging::readLabelFile(labelFilePath(directory, fileName)), directory, fileName);
}

}  // namespace pipeline
