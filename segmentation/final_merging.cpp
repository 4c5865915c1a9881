#include "segmentation/final_merging.h"

#include <vector>

#include "segmentation/adjacency.h"
#include "segmentation/component_labeling.h"
#include "segmentation/merge.h"

namespace segmentation {

namespace {

constexpr float kNoPair = 100000.0f;

struct Candidate {
  int low;   // 0-based, low < high
  int high;
  float distance;
};

}  // namespace

int finalMerging(imaging::IntMap& labels, int regions, const CentreTable& centres, const DistanceWeights& weights,
                 int maxAreaNum, Log& log) {
  requireCentres(centres, regions, "final merging");
  const int textureLength = centres.textureLength();
  RegionPairs adjacent = regionAdjacency(labels, regions);
  RegionPairs chosen(regions);

  // Every adjacent pair in the order the search meets it (higher region
  // first, then higher partner), with its distance from the centres on entry.
  std::vector<Candidate> candidates;
  for (int p = regions - 1; p >= 1; --p) {
    const std::vector<int>& partners = adjacent.partners(p);
    for (auto q = partners.rbegin(); q != partners.rend(); ++q)
      if (*q < p) candidates.push_back({*q, p, centreDistance(centres[*q], centres[p], textureLength, weights)});
  }

  int estimate = regions;
  int potential = 0;
  while (estimate > maxAreaNum) {
    // The closest pair still adjacent; on a tie the first one met.
    const Candidate* best = nullptr;
    float bestDistance = kNoPair;
    for (const Candidate& candidate : candidates) {
      if (candidate.distance < bestDistance && adjacent.has(candidate.low, candidate.high)) {
        bestDistance = candidate.distance;
        best = &candidate;
      }
    }
    if (best == nullptr) {
      log.print("no neighbor was found!!!\n");
      break;
    }
    const int a = best->low;
    const int b = best->high;
    adjacent.remove(a, b);
    chosen.add(a, b);
    ++potential;
    --estimate;

    // Regions already joined directly to b: their pairs with a are no longer
    // candidates, and a join of a with one of them was counted already.
    // Those below b are visited from b - 1 down, then those above b upward.
    const std::vector<int> joinedToB = chosen.partners(b);
    std::vector<int> order;
    for (auto k = joinedToB.rbegin(); k != joinedToB.rend(); ++k)
      if (*k < b) order.push_back(*k);
    for (const int k : joinedToB)
      if (k > b) order.push_back(k);
    for (const int k : order) {
      if (k == a) continue;  // a region is never paired with itself
      if (adjacent.has(k, a)) {
        adjacent.remove(k, a);
      } else if (chosen.has(k, a)) {
        --potential;
        ++estimate;
      }
    }
  }
  log.print("areas before final merging=%d\n", regions);
  log.print("potential mergings=%d\n", potential);
  const int counted = joinPairs(labels, chosen);
  log.print("counted mergings=%d\n", counted);
  return compactLabels(labels);
}

}  // namespace segmentation
