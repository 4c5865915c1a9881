#pragma once
// Merging of adjacent regions whose centres are close in colour and texture.

#include <vector>

#include "imaging/buffers.h"
#include "segmentation/adjacency.h"
#include "segmentation/component_labeling.h"
#include "segmentation/log.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// `merge`: prints "merge: area_num=%d\n" with `regions`, takes as candidates
// the 4-adjacent pairs of regions whose centre distance (feature distance
// under `weights`) is below `colourThreshold` (a pair at exactly the
// threshold is kept apart), joins every chain of candidates into one region
// carrying the chain's lowest label, renumbers 1..n in raster order and
// returns n. Expects labels 1..regions, each region 4-connected (pixels
// holding 0 are allowed and stay 0), and `centres` describing those regions;
// the centres are read on entry only and not changed.
int merge(imaging::IntMap& labels, int regions, const CentreTable& centres, const DistanceWeights& weights,
          float colourThreshold, Log& log);

// Joins the pairs of `pairs` (0-based, as candidates to merge): for p from
// the highest region down to 1, region p + 1 takes the label of its largest
// partner q < p, and p's other lower partners o become partners of q (the
// relation is updated in place). Regions linked by a chain end in one region
// with the chain's lowest label. Leaves gaps in the labels (close them with
// compactLabels) and returns the number of regions joined away. The common
// last step of merge, textureMerge and finalMerging.
int joinPairs(imaging::IntMap& labels, RegionPairs& pairs);

// Takes as candidates the 4-adjacent pairs of the regions 1..regions for
// which candidate(q, p) holds (0-based records, q < p), joins them as
// joinPairs does, renumbers 1..n in raster order and returns n. merge and
// textureMerge differ only in their test.
template <typename Candidate>
int mergeAdjacentPairsWhere(imaging::IntMap& labels, int regions, Candidate candidate) {
  RegionPairs pairs = regionAdjacency(labels, regions);
  for (int p = regions - 1; p >= 1; --p) {
    const std::vector<int> partners = pairs.partners(p);  // a copy: removing changes the list
    for (const int q : partners) {
      if (q >= p) break;
      if (!candidate(q, p)) pairs.remove(q, p);
    }
  }
  joinPairs(labels, pairs);
  return compactLabels(labels);
}

}  // namespace segmentation
