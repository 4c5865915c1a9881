#include "segmentation/block_vectors.h"

#include <algorithm>

namespace segmentation {

BlockGrid blockGridFor(int width, int height, int side) {
  const int halfUp = (side + 1) / 2;
  BlockGrid grid;
  grid.side = side;
  grid.rows = std::max(1, (height - halfUp) / side + 1);
  grid.columns = std::max(1, (width - halfUp) / side + 1);
  return grid;
}

BlockVectorsResult computeBlockVectors(const imaging::TripleImage& lab, const TextureField& texture,
                                       const BlockGrid& grid) {
  const int width = lab.width();
  const int height = lab.height();
  const int textureLength = texture.length();
  const int side = grid.side;
  BlockVectorsResult result{BlockVectors(grid.count(), textureLength), 0.0f};

  for (int p = 0; p < grid.rows; ++p) {
    for (int q = 0; q < grid.columns; ++q) {
      double* vector = result.vectors[p * grid.columns + q];
      const int rowEnd = std::min(height, side * (p + 1));
      const int columnEnd = std::min(width, side * (q + 1));
      long long sums[3] = {0, 0, 0};
      int pixels = 0;
      for (int i = side * p; i < rowEnd; ++i) {
        for (int j = side * q; j < columnEnd; ++j) {
          for (int c = 0; c < 3; ++c) sums[c] += lab[c][i][j];
          ++pixels;
        }
      }
      for (int c = 0; c < 3; ++c) vector[c] = static_cast<double>(sums[c]) / pixels;

      const int centreRow = std::min(side * p + (side - 1) / 2, height - 1);
      const int centreColumn = std::min(side * q + (side - 1) / 2, width - 1);
      const double* centreTexture = texture.at(centreRow, centreColumn);
      std::copy(centreTexture, centreTexture + textureLength, vector + 3);
      const float energy = textureEnergy(centreTexture, textureLength);
      if (energy > result.texMax) result.texMax = energy;
    }
  }
  return result;
}

}  // namespace segmentation
