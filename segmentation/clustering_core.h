#pragma once
// The clustering core: from the reduced L*a*b* image to a map of at most
// maxAreaNum 4-connected regions labelled 1..n, with the progress log.

#include "imaging/buffers.h"
#include "segmentation/log.h"

namespace segmentation {

// Clusters `lab` (Hr x Wr) in colour, texture (when useTexture) and position.
// `labels` must already be Hr x Wr; on return it holds 1..n, every region
// 4-connected, n <= maxAreaNum (which must be at least 1). Returns n.
// `ldc` is the number of texture levels (2..4). `smallRegionCounter` is
// advanced by the number of extra components found after the last pass.
// `lab` is left as it is: the texture-adaptive smoothing works on a copy.
// Progress goes to `log`.
int clusterReducedImage(const imaging::TripleImage& lab, imaging::IntMap& labels, bool useTexture, int ldc,
                        int maxAreaNum, int& smallRegionCounter, Log& log);

}  // namespace segmentation
