#include "segmentation/block_kmeans.h"

#include <algorithm>

namespace segmentation {

std::vector<int> clusterBlocks(const BlockVectors& blocks, const std::vector<int>& isSeed,
                               const DistanceWeights& weights, int maxRounds) {
  const int count = blocks.count();
  const int length = blocks.length();
  const int textureLength = blocks.textureLength();

  std::vector<double> centres;
  for (int block = 0; block < count; ++block)
    if (isSeed[block] != 0) centres.insert(centres.end(), blocks[block], blocks[block] + length);
  const int clusters = static_cast<int>(centres.size()) / length;

  std::vector<int> cluster(count, 0);
  std::vector<double> previous;
  std::vector<int> members(clusters);
  for (int round = 0; round < maxRounds && clusters > 0; ++round) {
    previous = centres;
    for (int block = 0; block < count; ++block) {
      float best = kBlockSearchStart;
      int choice = 0;
      for (int k = 0; k < clusters; ++k) {
        const float d = blockDistance(blocks[block], &previous[static_cast<std::size_t>(k) * length],
                                      textureLength, weights);
        if (d < best) {
          best = d;
          choice = k;
        }
      }
      cluster[block] = choice;
    }

    // Means accumulated in raster order of the blocks.
    std::fill(centres.begin(), centres.end(), 0.0);
    std::fill(members.begin(), members.end(), 0);
    for (int block = 0; block < count; ++block) {
      double* centre = &centres[static_cast<std::size_t>(cluster[block]) * length];
      const double* vector = blocks[block];
      for (int f = 0; f < length; ++f) centre[f] += vector[f];
      ++members[cluster[block]];
    }
    for (int k = 0; k < clusters; ++k) {
      double* centre = &centres[static_cast<std::size_t>(k) * length];
      const double* kept = &previous[static_cast<std::size_t>(k) * length];
      if (members[k] == 0)
        std::copy(kept, kept + length, centre);
      else
        for (int f = 0; f < length; ++f) centre[f] /= members[k];
    }
    if (centres == previous) break;
  }
  return cluster;
}

}  // namespace segmentation
