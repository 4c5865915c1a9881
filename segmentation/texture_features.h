#pragma once
// Texture vectors of the reduced image: an undecimated Haar-type
// decomposition of each L*a*b* channel into LDC levels of three detail
// bands, turned into local energies by a square window.

#include "imaging/buffers.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// One vector of 9 x ldc energies per pixel of `lab`. Element order: channel
// (L*, a*, b*), then level (steps 1, 2, 4, 8), then band (0: high across
// columns then high across rows, 1: high across columns then low across
// rows, 2: low across columns then high across rows). Each element is the
// root mean square of its band over the windowSide x windowSide window
// centred on the pixel; pixels closer than half a window to an edge repeat
// the vector of the nearest pixel whose window fits. windowSide must be odd.
// Any image of at least 1 x 1 is handled: indices beyond an edge are
// mirrored (as often as needed) back into the image.
TextureField computeTextureFeatures(const imaging::TripleImage& lab, int windowSide, int ldc);

// Index `index` mirrored into 0..size-1 with the edge sample repeated
// (-1 -> 0, -2 -> 1, size -> size - 1), reflecting again as often as needed.
int mirrorIndex(int index, int size);

}  // namespace segmentation
