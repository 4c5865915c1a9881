#pragma once
// Which regions each block of the reduced map touches, read by the boundary
// refinement at full resolution: a full-resolution pixel sees the entry of
// the block that label expansion took its label from.

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/buffers.h"

namespace segmentation {

// Neighbour directions in the order in which they are tried.
enum Direction : int { kLeft, kRight, kUp, kDown, kUpLeft, kDownRight, kUpRight, kDownLeft, kDirections };

// For each reduced pixel, the label of its neighbour in every direction when
// that label differs from its own, else 0 (also outside the map). A
// full-resolution pixel sees the entry of the block that label expansion
// took its label from.
class BlockNeighbours {
 public:
  // `fullWidth` is the width of the full-resolution map the labels were
  // expanded to.
  BlockNeighbours(const imaging::IntMap& reduced, int factor, int fullWidth);

  const std::array<int, kDirections>& ofBlock(int blockRow, int blockColumn) const {
    return entries_[static_cast<std::size_t>(blockRow) * columns_ + blockColumn];
  }
  // The entry that full-resolution pixel (row, column) reads.
  const std::array<int, kDirections>& ofPixel(int row, int column) const {
    return ofBlock(blockRowOf(row), blockColumnOf_[column]);
  }
  // True when no direction of the block has a differing label.
  bool interior(int blockRow, int blockColumn) const {
    return interior_[static_cast<std::size_t>(blockRow) * columns_ + blockColumn] != 0;
  }
  int blockRowOf(int row) const;
  int blockColumnOf(int column) const { return blockColumnOf_[column]; }

 private:
  int rows_ = 0;
  int columns_ = 0;
  int factor_ = 1;
  std::vector<std::array<int, kDirections>> entries_;
  std::vector<std::uint8_t> interior_;
  std::vector<int> blockColumnOf_;
};

}  // namespace segmentation
