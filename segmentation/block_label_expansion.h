#pragma once
// Paints the block clusters onto the reduced label map.

#include <vector>

#include "imaging/buffers.h"
#include "segmentation/block_vectors.h"

namespace segmentation {

// Every pixel of `labels` gets the cluster index + 1 of its block. The rows
// below the last block row and the columns right of the last block column
// (fewer than a block side) belong to the last block row or column.
void expandBlockLabels(const std::vector<int>& clusterOfBlock, const BlockGrid& grid, imaging::IntMap& labels);

}  // namespace segmentation
