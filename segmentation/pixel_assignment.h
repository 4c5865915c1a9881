#pragma once
// Pixel assignment: every pixel takes the label of its nearest region centre
// in colour, texture and position.

#include "imaging/buffers.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// Relabels every pixel of `labels` (also those labelled 0) with 1..regions.
// The distance to centre k is
//   featureDistance(pixel, centre k) + P x spatial weight x N / count(k) / regions
// with P the pixel's Euclidean distance from the centre's mean position and
// N the total pixel count of the centres, so a small region's centre pulls
// harder by position than a large one's. Among equal distances the highest
// label wins. The centres must have non-zero counts.
void assignPixels(const imaging::TripleImage& lab, imaging::IntMap& labels, const TextureField& texture,
                  const CentreTable& centres, int regions, const DistanceWeights& weights);

}  // namespace segmentation
