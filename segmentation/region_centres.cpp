#include "segmentation/region_centres.h"

#include <algorithm>
#include <cmath>

namespace segmentation {

float featureDistance(const double* colourA, const double* colourB, const double* textureA, const double* textureB,
                      int textureLength, const DistanceWeights& weights) {
  float colourSum = 0;
  for (int k = 0; k < 3; ++k) {
    const double d = colourA[k] - colourB[k];
    colourSum = static_cast<float>(colourSum + d * d);
  }
  float textureSum = 0;
  for (int k = 0; k < textureLength; ++k) {
    const double d = textureA[k] - textureB[k];
    textureSum = static_cast<float>(textureSum + d * d);
  }
  return static_cast<float>(weights.colour * std::sqrt(static_cast<double>(colourSum)) +
                            weights.texture * std::sqrt(static_cast<double>(textureSum)));
}

float textureEnergy(const double* texture, int textureLength) {
  float sum = 0;
  for (int k = 0; k < textureLength; ++k) sum = static_cast<float>(sum + texture[k] * texture[k]);
  return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

void updateCentres(const imaging::TripleImage& lab, const imaging::IntMap& labels, const TextureField& texture,
                   CentreTable& centres, int regions) {
  if (regions > centres.size()) centres.resize(regions);
  const int stride = centres.stride();
  const int textureLength = centres.textureLength();
  for (int r = 0; r < regions; ++r) std::fill(centres[r], centres[r] + stride, 0.0);

  // Texture sums are accumulated in raster order, so the rounding of the
  // means does not depend on anything but the image.
  for (int row = 0; row < labels.height(); ++row) {
    const int* labelRow = labels[row];
    for (int column = 0; column < labels.width(); ++column) {
      const int label = labelRow[column];
      if (label < 1 || label > regions) continue;
      double* record = centres[label - 1];
      record[kL] += lab[0][row][column];
      record[kA] += lab[1][row][column];
      record[kB] += lab[2][row][column];
      record[kRow] += row;
      record[kColumn] += column;
      record[kCount] += 1;
      const double* vector = texture.length() > 0 ? texture.at(row, column) : nullptr;
      for (int k = 0; k < textureLength && vector != nullptr; ++k) record[kTexture + k] += vector[k];
    }
  }
  for (int r = 0; r < regions; ++r) {
    double* record = centres[r];
    const double count = record[kCount];
    if (count == 0) continue;
    for (int k = 0; k < stride; ++k)
      if (k != kCount) record[k] /= count;
  }
}

}  // namespace segmentation
