#include "segmentation/texture_smoothing.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace segmentation {

float smoothingThreshold(float texMax) {
  float threshold = 0.65f * texMax;
  if (threshold < 14) threshold = 14;
  return threshold;
}

namespace {

// Summed-area table of one channel, (height + 1) x (width + 1), so any
// window sum costs four reads. Integer sums are exact, so the means equal
// those of summing each window directly.
std::vector<std::int64_t> summedArea(const imaging::Plane<std::int32_t>& plane) {
  const int width = plane.width();
  const int height = plane.height();
  const std::size_t stride = static_cast<std::size_t>(width) + 1;
  std::vector<std::int64_t> table(stride * (height + 1), 0);
  for (int i = 0; i < height; ++i) {
    std::int64_t rowSum = 0;
    for (int j = 0; j < width; ++j) {
      rowSum += plane[i][j];
      table[(i + 1) * stride + j + 1] = table[i * stride + j + 1] + rowSum;
    }
  }
  return table;
}

}  // namespace

void smoothTexturedPixels(imaging::TripleImage& lab, const TextureField& texture, int side, float texMax) {
  const int width = lab.width();
  const int height = lab.height();
  const float threshold = smoothingThreshold(texMax);
  const int half = (side - 1) / 2;
  const std::size_t stride = static_cast<std::size_t>(width) + 1;

  std::vector<std::int64_t> tables[3];
  for (int c = 0; c < 3; ++c) tables[c] = summedArea(lab[c]);

  // The tables hold the unsmoothed values, so pixels can be rewritten as
  // they are visited.
  for (int i = 0; i < height; ++i) {
    const int top = std::max(0, i - half);
    const int bottom = std::min(height, i + half + 1);
    for (int j = 0; j < width; ++j) {
      if (!(textureEnergy(texture.at(i, j), texture.length()) > threshold)) continue;
      const int left = std::max(0, j - half);
      const int right = std::min(width, j + half + 1);
      const std::int64_t pixels = static_cast<std::int64_t>(bottom - top) * (right - left);
      for (int c = 0; c < 3; ++c) {
        const std::vector<std::int64_t>& t = tables[c];
        const std::int64_t sum =
            t[bottom * stride + right] - t[top * stride + right] - t[bottom * stride + left] + t[top * stride + left];
        lab[c][i][j] = static_cast<std::int32_t>(sum / pixels);
      }
    }
  }
}

}  // namespace segmentation
