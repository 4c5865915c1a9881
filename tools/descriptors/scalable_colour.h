#pragma once
// Scalable Colour, written as the HSV colour histogram it is built on: 256
// bins (16 hues x 4 saturations x 4 values), each as a logarithmic level in
// 0..255. Value 16 h + 4 s + v holds bin (h, s, v).

#include <cstdint>
#include <vector>

#include "tools/descriptors/regions.h"

namespace descriptors {

inline constexpr int kColourValues = 256;

struct HsvBin {
  int hue = 0;         // 0..15, steps of 22.5 degrees
  int saturation = 0;  // 0..3
  int value = 0;       // 0..3

  bool operator==(const HsvBin&) const = default;
};

// The bin of one pixel, in integers only.
HsvBin hsvBin(int red, int green, int blue);

// floor(255 log(1 + 1000 c / N) / log(1001) + 0.5) for a bin holding `count`
// of the region's `pixels` pixels: 0 for an empty bin, 255 for a full one.
int colourLevel(std::int64_t count, std::int64_t pixels);

// The 256 levels of every region, in label order. An empty region gives 256 zeros.
std::vector<Block> scalableColour(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                  const std::vector<Region>& regions);

}  // namespace descriptors
