#pragma once
// The measures every clustering stage shares: distance weights, texture
// vectors, region centre records and the feature distance.

#include <cstddef>
#include <string>
#include <vector>

#include "imaging/buffers.h"

namespace segmentation {

// Factors on the colour, texture and position terms. The clustering core
// owns one and hands it to every stage (a stage that weighs only texture gets
// a copy with the colour weight 0).
struct DistanceWeights {
  float colour = 1.0f;
  float texture = 0.0f;
  float spatial = 0.0f;
};

// 9 x LDC texture energies per reduced pixel, stored contiguously in raster
// order.
class TextureField {
 public:
  TextureField() = default;
  TextureField(int width, int height, int ldc)
      : width_(width), height_(height), length_(9 * ldc),
        values_(static_cast<std::size_t>(width) * height * length_, 0.0) {}

  int width() const { return width_; }
  int height() const { return height_; }
  int length() const { return length_; }  // 9 x LDC

  double* at(int row, int column) { return values_.data() + index(row, column); }
  const double* at(int row, int column) const { return values_.data() + index(row, column); }

 private:
  std::size_t index(int row, int column) const {
    return (static_cast<std::size_t>(row) * width_ + column) * static_cast<std::size_t>(length_);
  }
  int width_ = 0;
  int height_ = 0;
  int length_ = 0;
  std::vector<double> values_;
};

// Field positions inside a centre record.
enum CentreField : int { kL = 0, kA = 1, kB = 2, kRow = 3, kColumn = 4, kCount = 5, kTexture = 6 };

// One record per region, 6 + 9 x LDC doubles each: mean L*, a*, b*, mean row,
// mean column, pixel count, mean texture vector. Label r uses record r - 1.
class CentreTable {
 public:
  CentreTable() = default;
  CentreTable(int regions, int ldc) : stride_(kTexture + 9 * ldc) { resize(regions); }

  int size() const { return regions_; }
  int stride() const { return stride_; }
  int textureLength() const { return stride_ - kTexture; }
  void resize(int regions) {
    regions_ = regions;
    values_.assign(static_cast<std::size_t>(regions) * stride_, 0.0);
  }

  double* operator[](int record) { return values_.data() + static_cast<std::size_t>(record) * stride_; }
  const double* operator[](int record) const { return values_.data() + static_cast<std::size_t>(record) * stride_; }

 private:
  int regions_ = 0;
  int stride_ = kTexture;
  std::vector<double> values_;
};

// The precondition of every merging stage: a centre record for each of the
// labels 1..regions. Fails with one line naming `stage` otherwise.
void requireCentres(const CentreTable& centres, int regions, const std::string& stage);

// Colour distance plus texture distance, each the square root of a sum of
// squares accumulated in float, combined as
// colour weight x colour part + texture weight x texture part.
float featureDistance(const double* colourA, const double* colourB, const double* textureA, const double* textureB,
                      int textureLength, const DistanceWeights& weights);

// The distance of two centre records (colour fields and texture fields).
inline float centreDistance(const double* a, const double* b, int textureLength, const DistanceWeights& weights) {
  return featureDistance(a + kL, b + kL, a + kTexture, b + kTexture, textureLength, weights);
}

// Norm of one texture vector: the texture part against zero.
float textureEnergy(const double* texture, int textureLength);

// Recomputes the first `regions` records from the label map: means of
// L*a*b*, row, column and texture over each label's pixels, and the pixel
// count; the table grows when it holds fewer records. Pixels labelled 0 are
// skipped. A record with no pixels keeps zero
// means and count 0.
void updateCentres(const imaging::TripleImage& lab, const imaging::IntMap& labels, const TextureField& texture,
                   CentreTable& centres, int regions);

}  // namespace segmentation
