#pragma once
// Which regions of a label map touch: the per-region adjacency marking and
// the pair relation the merging steps work on.

#include <cstdint>
#include <vector>

#include "imaging/buffers.h"

namespace segmentation {

// For every pixel of `label`, looks at its up, down, left and right
// neighbours inside the map and sets flags[s - 1] for each neighbour label
// s != 0 (the flag of `label` itself too when two of its pixels touch).
// Clearing the flags beforehand is the caller's task. Neighbour labels
// outside 1..flags.size() are ignored.
void markAdjacent(const imaging::IntMap& labels, int label, std::vector<std::uint8_t>& flags);

// A symmetric relation between distinct regions given by 0-based record
// indices (record r - 1 for label r): "regions a + 1 and b + 1 are a pair".
// Sparse, so a map with thousands of small regions costs memory in
// proportion to its pairs, not to the square of its region count.
class RegionPairs {
 public:
  RegionPairs() = default;
  explicit RegionPairs(int regions) : partners_(static_cast<std::size_t>(regions)) {}

  int regions() const { return static_cast<int>(partners_.size()); }
  // Order of a and b does not matter; a == b is never a pair.
  bool has(int a, int b) const;
  void add(int a, int b);
  void remove(int a, int b);
  // The partners of r, ascending.
  const std::vector<int>& partners(int r) const { return partners_[static_cast<std::size_t>(r)]; }
  // The largest partner of r below r, or -1.
  int largestPartnerBelow(int r) const;

 private:
  std::vector<std::vector<int>> partners_;
};

// All pairs of distinct labels 1..regions that hold 4-neighbouring pixels,
// found in one raster scan. Pixels holding 0 or a label above `regions` take
// no part.
RegionPairs regionAdjacency(const imaging::IntMap& labels, int regions);

}  // namespace segmentation
