#include "segmentation/append.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "segmentation/adjacency.h"
#include "segmentation/component_labeling.h"
#include "segmentation/small_region_absorption.h"

namespace segmentation {

namespace {

constexpr float kNoNeighbour = 500000.0f;

// The record of the joined region: pixel-count weighted means of every field
// but the count, which becomes the sum.
void joinRecords(double* low, const double* high, int stride) {
  const double lowCount = low[kCount];
  const double highCount = high[kCount];
  for (int k = 0; k < stride; ++k) {
    if (k == kCount) continue;
    low[k] = (highCount * high[k] + lowCount * low[k]) / (highCount + lowCount);
  }
  low[kCount] = lowCount + highCount;
}

}  // namespace

int append(imaging::IntMap& labels, int regions, CentreTable& centres, const DistanceWeights& weights, int areaLimit,
           Log& log) {
  requireCentres(centres, regions, "append");
  log.print("append: area_num=%d\n", regions);
  const int stride = centres.stride();
  const int textureLength = centres.textureLength();

  // Records are kept by group name while merging; centres[g] is group g's.
  const Absorption absorption = absorbSmallRegions(
      regionAdjacency(labels, regions), [&](int group) { return !(centres[group][kCount] >= areaLimit); },
      [&](int group, const std::vector<int>& adjacentDescending) {
        // From the highest label down: a lower label replaces the choice
        // only when strictly closer.
        float best = kNoNeighbour;
        int choice = -1;
        for (const int other : adjacentDescending) {
          const float distance = centreDistance(centres[group], centres[other], textureLength, weights);
          if (distance < best) {
            best = distance;
            choice = other;
          }
        }
        return choice;
      },
      [&](int low, int high) { joinRecords(centres[low], centres[high], stride); });

  renumberThrough(labels, absorption.newLabel);
  CentreTable remaining(absorption.regions(), textureLength / 9);
  for (int c = 0; c < absorption.regions(); ++c) {
    const double* survivor = centres[absorption.survivors[c]];
    std::copy(survivor, survivor + stride, remaining[c]);
  }
  centres = std::move(remaining);
  return absorption.regions();
}

}  // namespace segmentation
