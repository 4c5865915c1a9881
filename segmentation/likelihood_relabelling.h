#pragma once
// The boundary refinement's relabelling pass: border pixels move to the
// neighbouring region whose interior colours explain them best.

#include "imaging/buffers.h"
#include "segmentation/block_neighbours.h"
#include "segmentation/region_histograms.h"

namespace segmentation {

// One raster pass: every pixel whose block touches other regions takes the
// neighbouring label with the strictly highest likelihood (the first
// direction wins a tie) when its own label's likelihood is strictly lower.
// Candidates come from the blocks, so a moved pixel changes no later pixel's
// candidates.
void relabelByLikelihood(imaging::IntMap& labels, const imaging::ColourImage& labBytes,
                         const BlockNeighbours& neighbours, const RegionHistograms& histograms);

}  // namespace segmentation
