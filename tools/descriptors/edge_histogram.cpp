#include "tools/descriptors/edge_histogram.h"

#include <algorithm>
#include <cmath>

namespace descriptors {
namespace {

constexpr double kTargetBlocks = 1100.0;
constexpr double kEdgeThreshold = 11.0;
const double kRoot2 = std::sqrt(2.0);

// The share bmax = numerator / denominator at which each edge type reaches
// level 7: vertical, horizontal 3/5; the rarer diagonals 1/4; non-directional 1/2.
struct Share {
  std::int64_t numerator;
  std::int64_t denominator;
};
constexpr std::array<Share, kEdgeTypes> kFullShare{{{3, 5}, {3, 5}, {1, 4}, {1, 4}, {1, 2}}};

// Pixels of the region inside one block: sum of luminance and count per
// quarter (0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right).
struct BlockSums {
  std::array<double, 4> sum{};
  std::array<int, 4> count{};
};

BlockSums sumBlock(const imaging::ColourImage& image, const imaging::GreyImage& labels, std::uint8_t label, int left,
                   int top, int size) {
  BlockSums block;
  const int half = size / 2;
  for (int yy = 0; yy < size; ++yy) {
    const std::uint8_t* labelRow = labels[top + yy] + left;
    const ColourRow colours(image, top + yy);
    const int quarterRow = yy >= half ? 2 : 0;
    for (int xx = 0; xx < size; ++xx) {
      if (labelRow[xx] != label) continue;
      const int quarter = quarterRow + (xx >= half ? 1 : 0);
      block.sum[static_cast<std::size_t>(quarter)] += colours.luminanceAt(left + xx);
      ++block.count[static_cast<std::size_t>(quarter)];
    }
  }
  return block;
}

// The edge type of a block whose quarters have mean luminance a, or -1 for
// none: the strongest of the five filters, the earlier type on a tie, if it
// reaches the threshold.
int edgeType(const std::array<double, 4>& a) {
  const std::array<double, kEdgeTypes> strength{
      std::abs(a[0] - a[1] + a[2] - a[3]),
      std::abs(a[0] + a[1] - a[2] - a[3]),
      std::abs(kRoot2 * a[0] - kRoot2 * a[3]),
      std::abs(kRoot2 * a[1] - kRoot2 * a[2]),
      std::abs(2 * a[0] - 2 * a[1] - 2 * a[2] + 2 * a[3]),
  };
  int best = 0;
  for (int t = 1; t < kEdgeTypes; ++t)
    if (strength[static_cast<std::size_t>(t)] > strength[static_cast<std::size_t>(best)]) best = t;
  return strength[static_cast<std::size_t>(best)] >= kEdgeThreshold ? best : -1;
}

void histogramOfRegion(const imaging::ColourImage& image, const imaging::GreyImage& labels, const Region& region,
                       Block& block) {
  const BoundingBox& box = region.box;
  const int size = edgeBlockSize(box.width, box.height);
  const int half = size / 2;
  const std::uint8_t label = static_cast<std::uint8_t>(region.label);
  for (int k = 0; k < 16; ++k) {
    const int row = k / 4;
    const int column = k % 4;
    const int left = box.left + column * box.width / 4;
    const int right = box.left + (column + 1) * box.width / 4;
    const int top = box.top + row * box.height / 4;
    const int bottom = box.top + (row + 1) * box.height / 4;
    std::array<std::int64_t, kEdgeTypes> counts{};
    std::int64_t used = 0;
    for (int by = 0; by < (bottom - top) / size; ++by) {
      for (int bx = 0; bx < (right - left) / size; ++bx) {
        const BlockSums sums = sumBlock(image, labels, label, left + bx * size, top + by * size, size);
        // A block counts only when every quarter is at least half inside the region.
        if (std::any_of(sums.count.begin(), sums.count.end(), [&](int c) { return 2 * c < half * half; })) continue;
        ++used;
        std::array<double, 4> means;
        for (std::size_t q = 0; q < 4; ++q) means[q] = sums.sum[q] / sums.count[q];
        const int type = edgeType(means);
        if (type >= 0) ++counts[static_cast<std::size_t>(type)];
      }
    }
    for (int t = 0; t < kEdgeTypes; ++t)
      block[static_cast<std::size_t>(kEdgeTypes * k + t)] = edgeLevel(counts[static_cast<std::size_t>(t)], used, t);
  }
}

}  // namespace

int edgeBlockSize(int width, int height) {
  const double area = static_cast<double>(static_cast<std::int64_t>(width) * height);
  const int size = 2 * static_cast<int>(std::floor(std::sqrt(area / kTargetBlocks) / 2.0));
  return std::max(size, 2);
}

int edgeLevel(std::int64_t count, std::int64_t used, int type) {
  if (used == 0) return 0;
  const Share share = kFullShare[static_cast<std::size_t>(type)];
  int level = 0;
  while (level < 7 && (level + 1) * (level + 1) * share.numerator * used <= 64 * share.denominator * count) ++level;
  return level;
}

std::vector<Block> edgeHistogram(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                 const std::vector<Region>& regions) {
  std::vector<Block> blocks(regions.size(), Block(kEdgeValues, 0));
  for (std::size_t j = 0; j < regions.size(); ++j)
    if (!regions[j].empty()) histogramOfRegion(image, labels, regions[j], blocks[j]);
  return blocks;
}

}  // namespace descriptors
