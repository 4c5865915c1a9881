#pragma once
// Resampling between full resolution and the block-reduced image the
// clustering works on. A reduced pixel is the mean of a W x W block whose
// corner lies at a multiple of W; a trailing remainder of fewer than
// ceil(W / 2) rows or columns belongs to no block and takes its labels from
// the last reduced row or column.

#include "imaging/buffers.h"

namespace segmentation {

struct ReducedSize {
  int width = 0;
  int height = 0;
  bool operator==(const ReducedSize&) const = default;
};

// trunc((side - g) / W) + 1 for each side, g = ceil(W / 2), the quotient in
// floating point. At least 1 for every side of at least one pixel.
ReducedSize reducedSize(int width, int height, int factor);

// Each reduced sample is the truncated mean of the block's samples that lie
// inside the image.
imaging::ColourImage reduceBlocks(const imaging::ColourImage& full, int factor);

// The reduced row (column) whose block holds full-resolution row (column)
// `index`; the remainder past the last block goes to the last one.
inline int blockOf(int index, int factor, int reducedCount) {
  const int block = index / factor;
  return block < reducedCount ? block : reducedCount - 1;
}

// Replicates every reduced value over its block; the remainder rows and
// columns past the last block repeat the last reduced row and column.
imaging::IntMap expandLabels(const imaging::IntMap& reduced, int fullWidth, int fullHeight, int factor);

}  // namespace segmentation
