#pragma once
// The clustering core: from the reduced L*a*b* image to a map of at most
// maxAreaNum 4-connected regions labelled 1..n, with the progress log.

#include "imaging/buffers.h"
#include "segmentation/log.h"

namespace segmentation {

// Clusters `lab` (Hr x Wr) in colour, texture (when useTexture) and position.
// On return `labels` is Hr x Wr (resized if it was not) and holds 1..n,
// every region 4-connected, n <= maxAreaNum (which must be at least 1).
// Returns n; an empty image has no regions (0, nothing printed).
// `ldc` is the number of texture levels (2..4). `smallRegionCounter` is
// advanced by the number of extra components found after the last pass.
// `lab` is left as it is: the texture-adaptive smoothing works on a copy.
// Progress goes to `log`.
int clusterReducedImage(const imaging::TripleImage& lab, imaging::IntMap& labels, bool useTexture, int ldc,
                        int maxAreaNum, int& smallRegionCounter, Log& log);

// Sizes and limits the core derives from the reduced image's size.
struct CoreQuantities {
  int blockSide;          // odd; also the texture window side
  int blockRows;          // blocks whose centre pixel lies inside (at least 1)
  int blockColumns;
  int smallAreaLimit;     // minimum component size, 0.5 % of the area
  int appendAreaLimit;    // regions below it are absorbed, 0.75 % of the area
  float positionTolerance;  // how far a centre may move and count as still
};

CoreQuantities coreQuantities(int width, int height);

// The colour distance below which adjacent regions merge during the passes.
float colorThresholdFor(bool useTexture, float contrast);

}  // namespace segmentation
