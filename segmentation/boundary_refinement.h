#pragma once
// Boundary refinement at full resolution. After label expansion every region
// border runs along block edges. Pixels of blocks that touch another region
// move to the neighbouring region whose colour distribution (taken from the
// interior of each region) explains them best; the parts this disconnects
// become regions of their own, and regions below 0.75 % of the image are
// then absorbed by their closest-coloured neighbour.

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/buffers.h"
#include "segmentation/log.h"

namespace segmentation {

// Neighbour directions in the order in which they are tried.
enum Direction : int { kLeft, kRight, kUp, kDown, kUpLeft, kDownRight, kUpRight, kDownLeft, kDirections };

// For each reduced pixel, the label of its neighbour in every direction when
// that label differs from its own, else 0 (also outside the map). A
// full-resolution pixel sees the entry of the block that label expansion
// took its label from.
class BlockNeighbours {
 public:
  // `fullWidth` is the width of the full-resolution map the labels were
  // expanded to.
  BlockNeighbours(const imaging::IntMap& reduced, int factor, int fullWidth);

  const std::array<int, kDirections>& ofBlock(int blockRow, int blockColumn) const {
    return entries_[static_cast<std::size_t>(blockRow) * columns_ + blockColumn];
  }
  // The entry that full-resolution pixel (row, column) reads.
  const std::array<int, kDirections>& ofPixel(int row, int column) const {
    return ofBlock(blockRowOf(row), blockColumnOf_[column]);
  }
  // True when no direction of the block has a differing label.
  bool interior(int blockRow, int blockColumn) const {
    return interior_[static_cast<std::size_t>(blockRow) * columns_ + blockColumn] != 0;
  }
  int blockRowOf(int row) const;
  int blockColumnOf(int column) const { return blockColumnOf_[column]; }

 private:
  int rows_ = 0;
  int columns_ = 0;
  int factor_ = 1;
  std::vector<std::array<int, kDirections>> entries_;
  std::vector<std::uint8_t> interior_;
  std::vector<int> blockColumnOf_;
};

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

// One raster pass: every pixel whose block touches other regions takes the
// neighbouring label with the strictly highest likelihood (the first
// direction wins a tie) when its own label's likelihood is strictly lower.
// Candidates come from the blocks, so a moved pixel changes no later pixel's
// candidates.
void relabelByLikelihood(imaging::IntMap& labels, const imaging::ColourImage& labBytes,
                         const BlockNeighbours& neighbours, const RegionHistograms& histograms);

// The absorption threshold: trunc(width x 0.75 x height / 100).
int smallRegionThreshold(int width, int height);

// Absorbs every region of fewer than `threshold` pixels into the adjacent
// region with the nearest mean L*a*b*, examining the regions from the highest
// label down; a merged pair keeps the lower label, higher labels close the
// gap. `labels` holds 1..regions, each region 4-connected. Returns the
// number of regions left.
int mergeSmallRegions(imaging::IntMap& labels, const imaging::ColourImage& labBytes, int regions, int threshold);

// The whole stage. `full` is the colour image the labels belong to; it is
// taken over and turned into L*a*b* in place, so a caller that no longer
// needs it moves it in. `labels` is the expansion of `reduced` (labels
// 1..regions), rewritten in place with the final labels. Prints
// "%d final regions" and returns that count.
int refineBoundaries(imaging::ColourImage full, imaging::IntMap& labels, const imaging::IntMap& reduced, int regions,
                     int factor, Log& log);

}  // namespace segmentation
