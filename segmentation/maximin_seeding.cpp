#include "segmentation/maximin_seeding.h"

namespace segmentation {

namespace {

// The base while no second seed has been chosen: the ratio test divides by
// it, and the farthest distance met when the second seed is chosen replaces
// it. (A first farthest distance of exactly 1 leaves it in place, so the
// next seed sets it again.)
constexpr float kNoSecondSeedYet = 1.0f;

}  // namespace

SeedChoice chooseSeeds(const BlockVectors& blocks, const DistanceWeights& weights) {
  const int count = blocks.count();
  const int textureLength = blocks.textureLength();
  SeedChoice choice;
  choice.isSeed.assign(count, 0);
  choice.isSeed[0] = 1;
  float base = kNoSecondSeedYet;

  // Distance of every block to its nearest seed, kept up to date as seeds
  // are added: the minimum over the seeds does not depend on their order.
  std::vector<float> nearest(count, kBlockSearchStart);
  int newSeed = 0;
  for (;;) {
    float farthest = 0;
    int candidate = -1;
    for (int block = 0; block < count; ++block) {
      const float d = blockDistance(blocks[block], blocks[newSeed], textureLength, weights);
      if (d < nearest[block]) nearest[block] = d;
      if (nearest[block] > farthest) {
        farthest = nearest[block];
        candidate = block;
      }
    }
    // A candidate is never a seed already: a seed is at distance 0.
    if (candidate < 0 || !(static_cast<float>(farthest / base) > 0.4)) break;
    choice.isSeed[candidate] = 1;
    ++choice.seeds;
    if (base == kNoSecondSeedYet) base = farthest;
    newSeed = candidate;
  }
  choice.contrast = base;
  return choice;
}

}  // namespace segmentation
