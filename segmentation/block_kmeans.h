#pragma once
// K mean clustering of the block vectors, started from the seed blocks.

#include <vector>

#include "segmentation/block_vectors.h"

namespace segmentation {

// Clusters the blocks around as many centres as there are seeds; the seeds
// in raster order give the first centres (cluster 0 is the first seed).
// Each round gives every block the nearest centre (the lowest index among
// equals) and moves every centre to the mean of its blocks; a centre that
// loses all its blocks stays where it was. Stops when a round leaves every
// centre exactly where it was, or after `maxRounds` rounds. Returns the
// cluster index 0..seeds-1 of every block in raster order.
std::vector<int> clusterBlocks(const BlockVectors& blocks, const std::vector<int>& isSeed,
                               const DistanceWeights& weights, int maxRounds = 1000);

}  // namespace segmentation
