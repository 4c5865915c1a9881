#pragma once
// Small synthetic images with their label images, built from a colour and a
// label function of (x, y), for the descriptor tests.

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/buffers.h"
#include "tools/descriptors/regions.h"

namespace descriptors_testing {

using Rgb = std::array<int, 3>;

inline Rgb grey(int g) { return {g, g, g}; }

struct Scene {
  imaging::ColourImage image;
  imaging::GreyImage labels;
  std::vector<descriptors::Region> regions;
};

template <typename Colour, typename Label>
Scene makeScene(int width, int height, Colour colour, Label label) {
  Scene scene{imaging::ColourImage(width, height), imaging::GreyImage(width, height), {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb rgb = colour(x, y);
      for (int c = 0; c < 3; ++c) scene.image[c][y][x] = static_cast<std::uint8_t>(rgb[static_cast<std::size_t>(c)]);
      scene.labels[y][x] = static_cast<std::uint8_t>(label(x, y));
    }
  scene.regions = descriptors::findRegions(scene.labels);
  return scene;
}

template <typename Colour>
Scene makeScene(int width, int height, Colour colour) {
  return makeScene(width, height, colour, [](int, int) { return 0; });
}

// A block of zeros with the given values at the given positions.
inline descriptors::Block sparseBlock(int size, const std::vector<std::pair<int, int>>& values) {
  descriptors::Block block(static_cast<std::size_t>(size), 0);
  for (const auto& [index, value] : values) block[static_cast<std::size_t>(index)] = value;
  return block;
}

// `pattern` repeated `times` times.
inline descriptors::Block repeated(const std::vector<int>& pattern, int times) {
  descriptors::Block block;
  for (int i = 0; i < times; ++i) block.insert(block.end(), pattern.begin(), pattern.end());
  return block;
}

}  // namespace descriptors_testing
