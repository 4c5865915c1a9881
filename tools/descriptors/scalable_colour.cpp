#include "tools/descriptors/scalable_colour.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace descriptors {

HsvBin hsvBin(int red, int green, int blue) {
  const int high = std::max({red, green, blue});
  const int low = std::min({red, green, blue});
  const int d = high - low;
  HsvBin bin;
  bin.value = high / 64;
  // min(3, 4 d / high), without a division.
  bin.saturation = high == 0 ? 0 : (4 * d >= high) + (4 * d >= 2 * high) + (4 * d >= 3 * high);
  if (d == 0) return bin;
  // t / d is the hue in sixths of the circle (0..6).
  int t;
  if (red == high) {
    t = green - blue;
    if (t < 0) t += 6 * d;
  } else if (green == high) {
    t = blue - red + 2 * d;
  } else {
    t = red - green + 4 * d;
  }
  bin.hue = 8 * t / (3 * d);
  return bin;
}

int colourLevel(std::int64_t count, std::int64_t pixels) {
  const double share = static_cast<double>(count) / static_cast<double>(pixels);
  return static_cast<int>(std::floor(255.0 * std::log1p(1000.0 * share) / std::log(1001.0) + 0.5));
}

std::vector<Block> scalableColour(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                  const std::vector<Region>& regions) {
  std::vector<std::array<std::int64_t, kColourValues>> counts(regions.size());
  for (auto& histogram : counts) histogram.fill(0);
  for (int y = 0; y < labels.height(); ++y) {
    const std::uint8_t* label = labels[y];
    const std::uint8_t* red = image[0][y];
    const std::uint8_t* green = image[1][y];
    const std::uint8_t* blue = image[2][y];
    // Neighbouring pixels often share their colour; the last bin is kept.
    int lastColour = -1;
    std::size_t index = 0;
    for (int x = 0; x < labels.width(); ++x) {
      const int colour = red[x] << 16 | green[x] << 8 | blue[x];
      if (colour != lastColour) {
        const HsvBin bin = hsvBin(red[x], green[x], blue[x]);
        index = static_cast<std::size_t>(16 * bin.hue + 4 * bin.saturation + bin.value);
        lastColour = colour;
      }
      ++counts[label[x]][index];
    }
  }
  std::vector<Block> blocks(regions.size(), Block(kColourValues, 0));
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    for (std::size_t i = 0; i < kColourValues; ++i) blocks[j][i] = colourLevel(counts[j][i], regions[j].pixels);
  }
  return blocks;
}

}  // namespace descriptors
