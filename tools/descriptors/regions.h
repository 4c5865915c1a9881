#pragma once
// The regions of a label image and the luminance that two descriptors read.
// Region j is the set of pixels whose label is j; a label image with largest
// value m has m + 1 regions, some of which may hold no pixel.

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/buffers.h"

namespace descriptors {

// Column and row of the top-left pixel, and the size. All zero for an empty region.
struct BoundingBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const BoundingBox&) const = default;
};

struct Region {
  int label = 0;
  std::int64_t pixels = 0;
  BoundingBox box;
  std::int64_t sumX = 0;  // sum of the columns of the region's pixels
  std::int64_t sumY = 0;  // sum of the rows

  bool empty() const { return pixels == 0; }
};

// The end of the run of equal labels in row[0..width) that starts at `start`.
// Label images are made of long runs, so eight labels are compared at a time.
inline int runEnd(const std::uint8_t* row, int start, int width) {
  const std::uint8_t label = row[start];
  const std::uint64_t pattern = 0x0101010101010101u * label;
  int end = start + 1;
  for (; end + 8 <= width; end += 8) {
    std::uint64_t word;
    std::memcpy(&word, row + end, sizeof word);
    const std::uint64_t differs = word ^ pattern;
    if (differs == 0) continue;
    if constexpr (std::endian::native == std::endian::little) return end + std::countr_zero(differs) / 8;
    return end + std::countl_zero(differs) / 8;
  }
  while (end < width && row[end] == label) ++end;
  return end;
}

// One entry per label value 0..largest, in label order. An image without
// pixels has no regions.
std::vector<Region> findRegions(const imaging::GreyImage& labels);

// Y = (299 R + 587 G + 114 B) / 1000: an integer numerator and one division,
// so a grey pixel (g, g, g) gives exactly g.
inline double luminance(int red, int green, int blue) {
  return static_cast<double>(299 * red + 587 * green + 114 * blue) / 1000.0;
}

// The luminance of `count` pixels of row y from column x0 on, into out[0..count).
void rowLuminance(const imaging::ColourImage& image, int y, int x0, int count, double* out);

// The red, green and blue samples of one image row.
struct ColourRow {
  ColourRow(const imaging::ColourImage& image, int y) : red(image[0][y]), green(image[1][y]), blue(image[2][y]) {}

  double luminanceAt(int x) const { return luminance(red[x], green[x], blue[x]); }

  const std::uint8_t* red;
  const std::uint8_t* green;
  const std::uint8_t* blue;
};

// The values of one region's descriptor, in the order they are written.
using Block = std::vector<int>;

}  // namespace descriptors
