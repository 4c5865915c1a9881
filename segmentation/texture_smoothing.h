#pragma once
// Texture-adaptive smoothing: strongly textured pixels take the mean colour
// of their neighbourhood, so that texture does not split regions by colour.

#include "imaging/buffers.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// The energy a pixel's texture must exceed to be smoothed:
// 0.65 x texMax, but at least 14.
float smoothingThreshold(float texMax);

// Every pixel whose texture energy exceeds smoothingThreshold(texMax) gets,
// per channel, the mean (truncated toward zero) of the unsmoothed values in
// the side x side window centred on it, counting only pixels inside the
// image. Other pixels keep their values.
void smoothTexturedPixels(imaging::TripleImage& lab, const TextureField& texture, int side, float texMax);

}  // namespace segmentation
