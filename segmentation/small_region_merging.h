#pragma once
// The boundary refinement's last step: regions below 0.75 % of the image are
// absorbed by their closest-coloured neighbour.

#include "imaging/buffers.h"

namespace segmentation {

// The absorption threshold: trunc(width x 0.75 x height / 100).
int smallRegionThreshold(int width, int height);

// Absorbs every region of fewer than `threshold` pixels into the adjacent
// region with the nearest mean L*a*b*, examining the regions from the highest
// label down; a merged pair keeps the lower label, higher labels close the
// gap. `labels` holds 1..regions, each region 4-connected. Returns the
// number of regions left.
int mergeSmallRegions(imaging::IntMap& labels, const imaging::ColourImage& labBytes, int regions, int threshold);

}  // namespace segmentation
