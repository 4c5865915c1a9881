#pragma once
// Maximin choice of seed blocks: it decides how many regions the clustering
// starts with and measures the image's contrast.

#include <vector>

#include "segmentation/block_vectors.h"

namespace segmentation {

struct SeedChoice {
  std::vector<int> isSeed;  // one entry per block in raster order: 1 = seed
  int seeds = 1;
  // The largest block distance from block (0, 0), taken when the second
  // seed is chosen; 1 when there is no second seed.
  float contrast = 1.0f;
};

// Block (0, 0) is the first seed. Then, repeatedly, the block farthest from
// its nearest seed (the first in raster order among equals) becomes a seed
// while that distance exceeds 0.4 x contrast.
SeedChoice chooseSeeds(const BlockVectors& blocks, const DistanceWeights& weights);

}  // namespace segmentation
