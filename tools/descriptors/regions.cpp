#include "tools/descriptors/regions.h"

#include <algorithm>

// On x86-64 the luminance of a row is also built for AVX2 and chosen at run
// time; both builds do the same IEEE operations and give the same values.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(_WIN32)  // clones need ELF ifuncs
#define REGIONS_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define REGIONS_CLONES
#endif

namespace descriptors {

REGIONS_CLONES
void rowLuminance(const imaging::ColourImage& image, int y, int x0, int count, double* out) {
  const std::uint8_t* red = image[0][y] + x0;
  const std::uint8_t* green = image[1][y] + x0;
  const std::uint8_t* blue = image[2][y] + x0;
  for (int i = 0; i < count; ++i) out[i] = luminance(red[i], green[i], blue[i]);
}

std::vector<Region> findRegions(const imaging::GreyImage& labels) {
  struct Extent {
    int left, top, right, bottom;
  };
  const int width = labels.width();
  const int height = labels.height();
  std::vector<Region> regions;
  std::vector<Extent> extents;
  // Label images are made of long runs of one value, so they are taken a run at a time.
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = labels[y];
    for (int start = 0; start < width;) {
      const std::uint8_t label = row[start];
      const int end = runEnd(row, start, width);
      if (label >= regions.size()) {
        const auto oldSize = regions.size();
        regions.resize(static_cast<std::size_t>(label) + 1);
        extents.resize(regions.size(), Extent{width, height, -1, -1});
        for (auto j = oldSize; j < regions.size(); ++j) regions[j].label = static_cast<int>(j);
      }
      Region& region = regions[label];
      Extent& extent = extents[label];
      const std::int64_t length = end - start;
      region.pixels += length;
      region.sumX += length * (start + end - 1) / 2;
      region.sumY += length * y;
      extent.left = std::min(extent.left, start);
      extent.right = std::max(extent.right, end - 1);
      extent.top = std::min(extent.top, y);
      extent.bottom = std::max(extent.bottom, y);
      start = end;
    }
  }
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    const Extent& extent = extents[j];
    regions[j].box =
        BoundingBox{extent.left, extent.top, extent.right - extent.left + 1, extent.bottom - extent.top + 1};
  }
  return regions;
}

}  // namespace descriptors
