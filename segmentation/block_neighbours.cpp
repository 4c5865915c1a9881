#include "segmentation/block_neighbours.h"

#include "segmentation/block_reduction.h"

namespace segmentation {

BlockNeighbours::BlockNeighbours(const imaging::IntMap& reduced, int factor, int fullWidth)
    : rows_(reduced.height()),
      columns_(reduced.width()),
      factor_(factor),
      entries_(static_cast<std::size_t>(rows_) * columns_),
      interior_(static_cast<std::size_t>(rows_) * columns_),
      blockColumnOf_(static_cast<std::size_t>(fullWidth)) {
  // Row and column steps of the eight directions, in their order.
  static constexpr int kRowStep[kDirections] = {0, 0, -1, 1, -1, 1, -1, 1};
  static constexpr int kColumnStep[kDirections] = {-1, 1, 0, 0, -1, 1, 1, -1};
  for (int i = 0; i < rows_; ++i) {
    for (int j = 0; j < columns_; ++j) {
      const int own = reduced[i][j];
      std::array<int, kDirections>& entry = entries_[static_cast<std::size_t>(i) * columns_ + j];
      bool alone = true;
      for (int k = 0; k < kDirections; ++k) {
        const int ni = i + kRowStep[k];
        const int nj = j + kColumnStep[k];
        const bool inside = ni >= 0 && ni < rows_ && nj >= 0 && nj < columns_;
        const int other = inside ? reduced[ni][nj] : own;
        entry[k] = other != own ? other : 0;
        alone = alone && entry[k] == 0;
      }
      interior_[static_cast<std::size_t>(i) * columns_ + j] = alone;
    }
  }
  for (int column = 0; column < fullWidth; ++column) blockColumnOf_[column] = blockOf(column, factor_, columns_);
}

int BlockNeighbours::blockRowOf(int row) const { return blockOf(row, factor_, rows_); }

}  // namespace segmentation
