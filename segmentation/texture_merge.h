#pragma once
// Merging of adjacent, strongly textured regions whose mean textures are
// close, whatever their colours.

#include "imaging/buffers.h"
#include "segmentation/log.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// The fixed thresholds: a pair is a candidate when the distance of the two
// centres is below kTexturePairLimit and the texture part of each centre's
// distance from the zero texture vector is at least kTextureFloor.
inline constexpr float kTexturePairLimit = 7.5f;
inline constexpr float kTextureFloor = 10.0f;

// `texture_merge`: prints "texture_merge: area_num=%d\n" with `regions`,
// joins chains of candidate pairs as `merge` does, renumbers 1..n in raster
// order and returns n. Distances use `weights` as given; the clustering
// passes a copy of its weights with the colour weight 0, so that only
// texture counts. With the texture weight 0 nothing is merged. Same expectations on the labels and
// centres as `merge`; the centres are not changed.
int textureMerge(imaging::IntMap& labels, int regions, const CentreTable& centres, const DistanceWeights& weights,
                 Log& log);

}  // namespace segmentation
