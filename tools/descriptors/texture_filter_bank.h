#pragma once
// The filter bank of the Homogeneous Texture descriptor: the squared Gaussian
// weights of its 30 frequency channels (5 octave bands x 6 orientations of 30
// degrees) over the 128 x 128 cells of the luminance spectrum, and the radial
// weight of every cell. The bank is computed once, when the program is built
// (filter_bank_construction.h), and compiled in as a table, so a run only
// points into it.

#include <array>
#include <cstdint>
#include <span>

namespace descriptors {

struct ComputedFilterBank;

inline constexpr int kTextureChannels = 30;
inline constexpr int kTextureBands = 5;
inline constexpr int kTextureOrientations = 6;
// The spectrum is measured on a grid of kTextureGrid x kTextureGrid cells.
inline constexpr int kTextureGrid = 128;
inline constexpr int kTextureCells = kTextureGrid * kTextureGrid;

class TextureFilterBank {
 public:
  // The cells (v * 128 + u) where a channel's weight is above 1e-30, in
  // increasing order, with their weights. The weights left out are far too
  // small to change any sum they would enter, and leaving them out halves the
  // work.
  struct Channel {
    std::span<const std::uint16_t> cells;
    std::span<const double> weights;
    double weightSum = 0.0;  // over all cells
  };

  // The bank compiled into the program.
  TextureFilterBank();
  // The bank over the tables of `computed`, which must outlive it.
  explicit TextureFilterBank(const ComputedFilterBank& computed);

  // Channel i = 6 s + r: s the band (0 = highest frequencies), r the orientation.
  const Channel& channel(int i) const { return channels_[static_cast<std::size_t>(i)]; }
  double weightSum(int i) const { return channel(i).weightSum; }
  // omega = |frequency| / Nyquist at cell v * 128 + u.
  std::span<const double> radius() const { return radius_; }

 private:
  std::span<const double> radius_;
  std::array<Channel, kTextureChannels> channels_;
};

}  // namespace descriptors
