#pragma once
// The colour distributions of the regions' interiors that the boundary
// refinement weighs border pixels against.

#include <cstdint>
#include <vector>

#include "imaging/buffers.h"
#include "segmentation/block_neighbours.h"

namespace segmentation {

// Per region, the L*, a* and b* distributions of its interior pixels (those
// whose block touches no other region): 201 bins each, indexed by the value
// plus 80, each summing to 1. A region without interior pixels has all-zero
// histograms.
class RegionHistograms {
 public:
  static constexpr int kBins = 201;

  // Counts the interior pixels of `labels` (labels 1..regions) at their
  // colours in `labBytes` (L*a*b* + 80) and normalises.
  RegionHistograms(const imaging::ColourImage& labBytes, const imaging::IntMap& labels,
                   const BlockNeighbours& neighbours, int regions);

  // hist_L[l] x hist_a[a] x hist_b[b] of `label`, in single precision.
  float likelihood(int label, std::uint8_t l, std::uint8_t a, std::uint8_t b) const {
    const float* h = bins_.data() + static_cast<std::size_t>(label - 1) * 3 * kBins;
    return h[l] * h[kBins + a] * h[2 * kBins + b];
  }

  int interiorCount(int label) const { return interiorCounts_[static_cast<std::size_t>(label - 1)]; }

 private:
  std::vector<float> bins_;
  std::vector<int> interiorCounts_;
};

}  // namespace segmentation
