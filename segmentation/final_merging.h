#pragma once
// The region-count limit: joins the most similar adjacent pairs until (by
// its own estimate) at most maxAreaNum regions are left.

#include "imaging/buffers.h"
#include "segmentation/log.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// Final merging: repeatedly chooses the adjacent pair of regions with the
// smallest centre distance (feature distance under `weights`; on a tie the
// pair met first with the higher labels; distances of 100000 or more count
// as no pair) until its estimate of the regions left is at most
// `maxAreaNum`. When no pair is left before that it prints
// "no neighbor was found!!!\n" and stops choosing. Then prints
// "areas before final merging=%d\n", "potential mergings=%d\n", joins the
// chosen pairs (chains end in their lowest label), prints
// "counted mergings=%d\n", renumbers 1..n in raster order and returns n.
//
// Expects labels 1..regions, each region 4-connected, and `centres` up to
// date for them; the centres are not changed. The estimate can miss joins
// through longer chains, so n may still exceed maxAreaNum: the caller
// updates the centres and calls again while it does.
//
// Ending the caller's loop: the result is below `regions` whenever any pair
// was joined. A result equal to `regions` means nothing could be joined (no
// adjacent pair, or all pairs too far apart); another call on the same map
// would do the same, so the caller must then leave its repeat loop.
int finalMerging(imaging::IntMap& labels, int regions, const CentreTable& centres, const DistanceWeights& weights,
                 int maxAreaNum, Log& log);

}  // namespace segmentation
