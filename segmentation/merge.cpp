#include "segmentation/merge.h"

#include <numeric>
#include <vector>

#include "segmentation/component_labeling.h"

namespace segmentation {

int joinPairs(imaging::IntMap& labels, RegionPairs& pairs) {
  const int regions = pairs.regions();
  // target[label] is the label the region's pixels move to (itself if none).
  std::vector<int> target(static_cast<std::size_t>(regions) + 1);
  std::iota(target.begin(), target.end(), 0);
  int joined = 0;
  for (int p = regions - 1; p >= 1; --p) {
    const int q = pairs.largestPartnerBelow(p);
    if (q < 0) continue;
    ++joined;
    target[p + 1] = q + 1;
    // The other lower partners of p stay linked, now through q.
    const std::vector<int> partners = pairs.partners(p);
    for (const int o : partners) {
      if (o >= q) break;
      pairs.add(o, q);
    }
  }
  // A region moves to a lower label, which may itself move later on; the
  // lower labels are resolved first, so one pass follows every chain.
  for (int label = 1; label <= regions; ++label) target[label] = target[target[label]];
  renumberThrough(labels, target);
  return joined;
}

int merge(imaging::IntMap& labels, int regions, const CentreTable& centres, const DistanceWeights& weights,
          float colourThreshold, Log& log) {
  requireCentres(centres, regions, "merge");
  log.print("merge: area_num=%d\n", regions);
  const int textureLength = centres.textureLength();
  // Distances come from the centres on entry; a merge changes none of them.
  // Written as "not at or above" so that a NaN distance stays a candidate.
  return mergeAdjacentPairsWhere(labels, regions, [&](int q, int p) {
    return !(centreDistance(centres[q], centres[p], textureLength, weights) >= colourThreshold);
  });
}

}  // namespace segmentation
