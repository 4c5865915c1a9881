#include "segmentation/block_reduction.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace segmentation {
namespace {

int reducedSide(int side, int factor) {
  const int half = (factor + 1) / 2;
  return static_cast<int>(static_cast<double>(side - half) / factor) + 1;
}

}  // namespace

ReducedSize reducedSize(int width, int height, int factor) {
  return ReducedSize{reducedSide(width, factor), reducedSide(height, factor)};
}

imaging::ColourImage reduceBlocks(const imaging::ColourImage& full, int factor) {
  const int width = full.width();
  const int height = full.height();
  const ReducedSize size = reducedSize(width, height, factor);
  imaging::ColourImage reduced(size.width, size.height);
  // Column sums of one band of block rows, then sums along each block.
  std::vector<std::uint32_t> columnSums(static_cast<std::size_t>(width));
  for (int channel = 0; channel < 3; ++channel) {
    const imaging::GreyImage& plane = full[channel];
    for (int blockRow = 0; blockRow < size.height; ++blockRow) {
      const int firstRow = blockRow * factor;
      const int rows = std::min(factor, height - firstRow);
      std::fill(columnSums.begin(), columnSums.end(), 0u);
      for (int row = firstRow; row < firstRow + rows; ++row) {
        const std::uint8_t* samples = plane[row];
        for (int column = 0; column < width; ++column) columnSums[column] += samples[column];
      }
      std::uint8_t* out = reduced[channel][blockRow];
      for (int blockColumn = 0; blockColumn < size.width; ++blockColumn) {
        const int firstColumn = blockColumn * factor;
        const int columns = std::min(factor, width - firstColumn);
        std::uint32_t sum = 0;
        for (int column = firstColumn; column < firstColumn + columns; ++column) sum += columnSums[column];
        out[blockColumn] = static_cast<std::uint8_t>(sum / static_cast<std::uint32_t>(rows * columns));
      }
    }
  }
  return reduced;
}

imaging::IntMap expandLabels(const imaging::IntMap& reduced, int fullWidth, int fullHeight, int factor) {
  imaging::IntMap full(fullWidth, fullHeight);
  const int reducedWidth = reduced.width();
  for (int row = 0; row < fullHeight; ++row) {
    int* target = full[row];
    const int blockRow = blockOf(row, factor, reduced.height());
    if (row > 0 && blockOf(row - 1, factor, reduced.height()) == blockRow) {
      std::copy(full[row - 1], full[row - 1] + fullWidth, target);  // same block row as the row above
      continue;
    }
    const int* source = reduced[blockRow];
    for (int column = 0; column < fullWidth; column += factor) {
      const int block = blockOf(column, factor, reducedWidth);
      std::fill(target + column, target + std::min(column + factor, fullWidth), source[block]);
    }
  }
  return full;
}

}  // namespace segmentation
