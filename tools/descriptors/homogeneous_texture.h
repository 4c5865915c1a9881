#pragma once
// Homogeneous Texture: 62 values per region in 0..255 — the mean luminance,
// twice its standard deviation, and the energy and energy deviation of 30
// frequency channels (5 octave bands x 6 orientations of 30 degrees) of the
// region's luminance spectrum, measured on a fixed 128 x 128 grid.

#include <array>
#include <cstdint>
#include <vector>

#include "tools/descriptors/regions.h"

namespace descriptors {

inline constexpr int kTextureValues = 62;
inline constexpr int kTextureChannels = 30;

// The squared Gaussian weights of the 30 channels over the 128 x 128
// frequency cells, and the radial weight of every cell. Built once per run.
class TextureFilterBank {
 public:
  // The cells (v * 128 + u) where a channel's weight is above 1e-30, with
  // their weights. The weights left out are far too small to change any sum
  // they would enter, and leaving them out halves the work.
  struct Channel {
    std::vector<std::uint16_t> cells;
    std::vector<double> weights;
    double weightSum = 0.0;  // over all cells
  };

  TextureFilterBank();

  // Channel i = 6 s + r: s the band (0 = highest frequencies), r the orientation.
  const Channel& channel(int i) const { return channels_[static_cast<std::size_t>(i)]; }
  double weightSum(int i) const { return channel(i).weightSum; }
  // omega = |frequency| / Nyquist at cell v * 128 + u.
  const std::vector<double>& radius() const { return radius_; }

 private:
  std::vector<double> radius_;
  std::array<Channel, kTextureChannels> channels_;
};

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
