#pragma once
// Absorption of small regions into their most similar neighbour.

#include "imaging/buffers.h"
#include "segmentation/log.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// `append`: prints "append: area_num=%d\n" with `regions`, then visits the
// labels L = regions down to 1 once each. A region whose pixel count is below
// `areaLimit` joins the adjacent region whose centre is nearest (feature
// distance under `weights`; on a tie the higher label; distances of 500000
// or more count as no neighbour). The joined region takes the lower of the
// two labels and the labels above the higher one move down by one, so the
// map stays numbered 1..n in raster order. Returns n.
//
// Expects labels 1..regions, each region 4-connected, and `centres` up to
// date for them. Keeps the centres current while merging (pixel-count
// weighted means, summed counts, records moved down behind a removed label)
// and leaves the table resized to the n remaining regions.
int append(imaging::IntMap& labels, int regions, CentreTable& centres, const DistanceWeights& weights, int areaLimit,
           Log& log);

}  // namespace segmentation
