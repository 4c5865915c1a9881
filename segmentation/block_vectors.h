#pragma once
// The coarse block grid that seeds the clustering: one vector per square
// block of the reduced image (mean colour, texture of the centre pixel).

#include <cstddef>
#include <vector>

#include "imaging/buffers.h"
#include "segmentation/region_centres.h"

namespace segmentation {

// Block (p, q) covers rows side x p .. side x p + side - 1 and columns
// side x q .. side x q + side - 1 of the reduced image, clipped to it.
struct BlockGrid {
  int side = 1;
  int rows = 1;
  int columns = 1;
  int count() const { return rows * columns; }
};

// The grid of blocks whose centre pixel lies inside a width x height image,
// but never fewer than one block row and one block column.
BlockGrid blockGridFor(int width, int height, int side);

// One vector of 3 + 9 x LDC doubles per block, blocks in raster order:
// mean L*, a*, b* over the block's pixels inside the image, then the texture
// vector of the block's centre pixel.
class BlockVectors {
 public:
  BlockVectors() = default;
  BlockVectors(int blocks, int textureLength)
      : blocks_(blocks), length_(3 + textureLength), values_(static_cast<std::size_t>(blocks) * length_, 0.0) {}

  int count() const { return blocks_; }
  int length() const { return length_; }
  int textureLength() const { return length_ - 3; }
  double* operator[](int block) { return values_.data() + static_cast<std::size_t>(block) * length_; }
  const double* operator[](int block) const { return values_.data() + static_cast<std::size_t>(block) * length_; }

 private:
  int blocks_ = 0;
  int length_ = 3;
  std::vector<double> values_;
};

// Feature distance of two block vectors (the spatial weight plays no part).
inline float blockDistance(const double* a, const double* b, int textureLength, const DistanceWeights& weights) {
  return featureDistance(a, b, a + 3, b + 3, textureLength, weights);
}

// Where the block searches for a nearest centre or seed start: a distance
// at or above it is never nearer. A block that far from every centre stays
// with centre 0 (block K mean) or keeps this as its distance (maximin).
inline constexpr float kBlockSearchStart = 100000.0f;

struct BlockVectorsResult {
  BlockVectors vectors;
  float texMax = 0;  // the largest texture energy of any block's centre pixel
};

// The block vectors of `grid` over `lab` and its texture field. A block
// centre beyond the image (grids forced to one row or column) is taken at
// the nearest pixel inside.
BlockVectorsResult computeBlockVectors(const imaging::TripleImage& lab, const TextureField& texture,
                                       const BlockGrid& grid);

}  // namespace segmentation
