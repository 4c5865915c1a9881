#pragma once
// Boundary refinement at full resolution, in the order it runs:
//   1. block_neighbours: which regions each block of the reduced map touches;
//   2. region_histograms: the colour distributions of the regions' interiors;
//   3. likelihood_relabelling: border pixels move to the neighbouring region
//      whose distribution explains them best;
//   4. component_labeling: the parts this disconnects become regions;
//   5. small_region_merging: regions below 0.75 % of the image are absorbed
//      by their closest-coloured neighbour.
// After label expansion every region border runs along block edges; after
// this stage borders follow the image.

#include "imaging/buffers.h"
#include "segmentation/block_neighbours.h"
#include "segmentation/likelihood_relabelling.h"
#include "segmentation/log.h"
#include "segmentation/region_histograms.h"
#include "segmentation/small_region_merging.h"

namespace segmentation {

// The whole stage. `full` is the colour image the labels belong to; it is
// taken over and turned into L*a*b* in place, so a caller that no longer
// needs it moves it in. `labels` is the expansion of `reduced` (labels
// 1..regions), rewritten in place with the final labels. Prints
// "%d final regions" and returns that count.
int refineBoundaries(imaging::ColourImage full, imaging::IntMap& labels, const imaging::IntMap& reduced, int regions,
                     int factor, Log& log);

}  // namespace segmentation
