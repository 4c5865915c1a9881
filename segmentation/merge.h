#pragma once
// Merging of adjacent regions whose centres are close in colour and texture.

#include "imaging/buffers.h"
#include "segmentation/adjacency.h"
#include "segmentation/log.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// `merge`: prints "merge: area_num=%d\n" with `regions`, takes as candidates
// the 4-adjacent pairs of regions whose centre distance (feature distance
// under `weights`) is below `colorThreshold` (a pair at exactly the
// threshold is kept apart), joins every chain of candidates into one region
// carrying the chain's lowest label, renumbers 1..n in raster order and
// returns n. Expects labels 1..regions, each region 4-connected (pixels
// holding 0 are allowed and stay 0), and `centres` describing those regions;
// the centres are read on entry only and not changed.
int merge(imaging::IntMap& labels, int regions, const CentreTable& centres, const DistanceWeights& weights,
          float colorThreshold, Log& log);

// Joins the pairs of `pairs` (0-based, as candidates to merge): for p from
// the highest region down to 1, region p + 1 takes the label of its largest
// partner q < p, and p's other lower partners o become partners of q (the
// relation is updated in place). Regions linked by a chain end in one region
// with the chain's lowest label. Leaves gaps in the labels (close them with
// compactLabels) and returns the number of regions joined away. The common
// last step of merge, textureMerge and finalMerging.
int joinPairs(imaging::IntMap& labels, RegionPairs& pairs);

}  // namespace segmentation
