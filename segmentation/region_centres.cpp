#include "segmentation/region_centres.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/failure.h"

namespace segmentation {

void requireCentres(const CentreTable& centres, int regions, const std::string& stage) {
  if (centres.size() < regions)
    platform::failStderrLine(stage + ": " + std::to_string(centres.size()) + " centres for " + std::to_string(regions) +
                             " regions");
}

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
  const int summedTexture = texture.length() > 0 ? textureLength : 0;
  for (int row = 0; row < labels.height(); ++row) {
    const int* labelRow = labels[row];
    const std::int32_t* l = lab[0][row];
    const std::int32_t* a = lab[1][row];
    const std::int32_t* b = lab[2][row];
    for (int column = 0; column < labels.width(); ++column) {
      const int label = labelRow[column];
      if (label < 1 || label > regions) continue;
      double* record = centres[label - 1];
      record[kL] += l[column];
      record[kA] += a[column];
      record[kB] += b[column];
      record[kRow] += row;
      record[kColumn] += column;
      record[kCount] += 1;
      if (summedTexture == 0) continue;
      const double* vector = texture.at(row, column);
      double* sums = record + kTexture;
      for (int k = 0; k < summedTexture; ++k) sums[k] += vector[k];
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
