#include "tools/descriptors/regions.h"

#include <algorithm>

namespace descriptors {

std::vector<Region> findRegions(const imaging::GreyImage& labels) {
  struct Extent {
    int left, top, right, bottom;
  };
  const int width = labels.width();
  const int height = labels.height();
  std::vector<Region> regions;
  std::vector<Extent> extents;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = labels[y];
    for (int x = 0; x < width; ++x) {
      const int label = row[x];
      if (label >= static_cast<int>(regions.size())) {
        const auto oldSize = regions.size();
        regions.resize(static_cast<std::size_t>(label) + 1);
        extents.resize(regions.size(), Extent{width, height, -1, -1});
        for (auto j = oldSize; j < regions.size(); ++j) regions[j].label = static_cast<int>(j);
      }
      Region& region = regions[static_cast<std::size_t>(label)];
      Extent& extent = extents[static_cast<std::size_t>(label)];
      ++region.pixels;
      region.sumX += x;
      region.sumY += y;
      extent.left = std::min(extent.left, x);
      extent.right = std::max(extent.right, x);
      extent.top = std::min(extent.top, y);
      extent.bottom = std::max(extent.bottom, y);
    }
  }
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    const Extent& extent = extents[j];
    regions[j].box = BoundingBox{extent.left, extent.top, extent.right - extent.left + 1,
                                 extent.bottom - extent.top + 1};
  }
  return regions;
}

LuminanceImage luminanceOf(const imaging::ColourImage& image) {
  LuminanceImage result(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const std::uint8_t* red = image[0][y];
    const std::uint8_t* green = image[1][y];
    const std::uint8_t* blue = image[2][y];
    double* out = result[y];
    for (int x = 0; x < image.width(); ++x) out[x] = luminance(red[x], green[x], blue[x]);
  }
  return result;
}

}  // namespace descriptors
