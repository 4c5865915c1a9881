#pragma once
// Homogeneous Texture: 62 values per region in 0..255 — the mean luminance,
// twice its standard deviation, and the energy and energy deviation of 30
// frequency channels (5 octave bands x 6 orientations of 30 degrees) of the
// region's luminance spectrum, measured on a fixed 128 x 128 grid.

#include <array>
#include <vector>

#include "tools/descriptors/regions.h"
#include "tools/descriptors/texture_filter_bank.h"

namespace descriptors {

inline constexpr int kTextureValues = 62;

// Unquantised measures of one region.
struct TextureMeasures {
  double mean = 0.0;
  double deviation = 0.0;
  std::array<double, kTextureChannels> energy{};
  std::array<double, kTextureChannels> energyDeviation{};
};

// The measures of every region, in label order.
std::vector<TextureMeasures> measureTexture(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                            const std::vector<Region>& regions, const TextureFilterBank& bank);

// The 62 quantised values of every region, in label order. An empty region
// gives 62 zeros.
std::vector<Block> homogeneousTexture(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                      const std::vector<Region>& regions, const TextureFilterBank& bank);

}  // namespace descriptors
