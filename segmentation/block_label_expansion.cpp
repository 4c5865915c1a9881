#include "segmentation/block_label_expansion.h"

#include <algorithm>

namespace segmentation {

void expandBlockLabels(const std::vector<int>& clusterOfBlock, const BlockGrid& grid, imaging::IntMap& labels) {
  for (int i = 0; i < labels.height(); ++i) {
    const int p = std::min(i / grid.side, grid.rows - 1);
    int* row = labels[i];
    for (int j = 0; j < labels.width(); ++j) {
      const int q = std::min(j / grid.side, grid.columns - 1);
      row[j] = clusterOfBlock[p * grid.columns + q] + 1;
    }
  }
}

}  // namespace segmentation
