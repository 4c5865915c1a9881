#include "segmentation/pixel_assignment.h"

#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// On x86-64 the per-row routine is also built for AVX2 and chosen at run
// time. Every operation is element-wise IEEE arithmetic without fused
// multiply-add, so both builds give bit-identical distances.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define PIXEL_ASSIGNMENT_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define PIXEL_ASSIGNMENT_CLONES
#endif

namespace segmentation {

namespace {

// The centre fields transposed, one contiguous array per field with one
// entry per centre, so the per-pixel loops run across all centres at once.
struct CentreColumns {
  int regions = 0;
  int textureLength = 0;
  std::vector<double> colour;   // 3 x regions
  std::vector<double> texture;  // textureLength x regions
  std::vector<double> row;
  std::vector<double> column;
  std::vector<double> count;

  CentreColumns(const CentreTable& centres, int regions_)
      : regions(regions_),
        textureLength(centres.textureLength()),
        colour(3 * static_cast<std::size_t>(regions_)),
        texture(static_cast<std::size_t>(textureLength) * regions_),
        row(regions_),
        column(regions_),
        count(regions_) {
    for (int k = 0; k < regions; ++k) {
      const double* record = centres[k];
      for (int f = 0; f < 3; ++f) colour[static_cast<std::size_t>(f) * regions + k] = record[kL + f];
      for (int f = 0; f < textureLength; ++f)
        texture[static_cast<std::size_t>(f) * regions + k] = record[kTexture + f];
      row[k] = record[kRow];
      column[k] = record[kColumn];
      count[k] = record[kCount];
    }
  }
};

// Working arrays for one pixel, allocated once per call.
struct Scratch {
  std::vector<float> colourSum;
  std::vector<float> textureSum;
  std::vector<double> roots;  // colour, texture and position parts, regions each
  explicit Scratch(int regions) : colourSum(regions), textureSum(regions), roots(3 * static_cast<std::size_t>(regions)) {}
};

struct Constants {
  double colourWeight;
  double textureWeight;
  double spatialWeight;
  double totalCount;  // N
  double regions;     // K
};

inline void squareRoots(double* values, int n) {
  int k = 0;
#if defined(__SSE2__)
  for (; k + 2 <= n; k += 2) _mm_storeu_pd(values + k, _mm_sqrt_pd(_mm_loadu_pd(values + k)));
#endif
  for (; k < n; ++k) values[k] = std::sqrt(values[k]);
}

// Sum of squared differences between one value per field and every centre's
// fields, accumulated field by field in float as the feature distance does.
inline void accumulateSquares(const double* values, int fields, const double* centreFields, int regions,
                              float* sums) {
  for (int k = 0; k < regions; ++k) sums[k] = 0;
  for (int f = 0; f < fields; ++f) {
    const double value = values[f];
    const double* centre = centreFields + static_cast<std::size_t>(f) * regions;
    for (int k = 0; k < regions; ++k) {
      const double d = value - centre[k];
      sums[k] = static_cast<float>(sums[k] + d * d);
    }
  }
}

PIXEL_ASSIGNMENT_CLONES
void assignRow(int i, const imaging::TripleImage& lab, const TextureField& texture, const CentreColumns& centres,
               const Constants& constants, Scratch& scratch, std::int32_t* out) {
  const int regions = centres.regions;
  const int textureLength = centres.textureLength;
  const bool withTexture = constants.textureWeight != 0;
  float* colourSum = scratch.colourSum.data();
  float* textureSum = scratch.textureSum.data();
  double* colourRoot = scratch.roots.data();
  double* textureRoot = colourRoot + regions;
  double* positionRoot = textureRoot + regions;
  const double row = i;

  for (int j = 0; j < lab.width(); ++j) {
    const double colour[3] = {static_cast<double>(lab[0][i][j]), static_cast<double>(lab[1][i][j]),
                              static_cast<double>(lab[2][i][j])};
    accumulateSquares(colour, 3, centres.colour.data(), regions, colourSum);
    if (withTexture)
      accumulateSquares(texture.at(i, j), textureLength, centres.texture.data(), regions, textureSum);

    const double column = j;
    for (int k = 0; k < regions; ++k) {
      colourRoot[k] = colourSum[k];
      textureRoot[k] = withTexture ? static_cast<double>(textureSum[k]) : 0.0;
      const double dr = row - centres.row[k];
      const double dc = column - centres.column[k];
      positionRoot[k] = dr * dr + dc * dc;
    }
    squareRoots(colourRoot, 3 * regions);

    double* distance = colourRoot;  // each entry is read once, then replaced
    for (int k = 0; k < regions; ++k) {
      const float feature = static_cast<float>(constants.colourWeight * colourRoot[k] +
                                               constants.textureWeight * textureRoot[k]);
      distance[k] = static_cast<double>(feature) + positionRoot[k] * constants.spatialWeight *
                                                       constants.totalCount / centres.count[k] / constants.regions;
    }
    // Centre 1 is the first candidate; a later centre at a distance less
    // than or equal to the candidate's takes over.
    double best = distance[0];
    int label = 1;
    for (int k = 1; k < regions; ++k) {
      if (distance[k] <= best) {
        best = distance[k];
        label = k + 1;
      }
    }
    out[j] = label;
  }
}

}  // namespace

void assignPixels(const imaging::TripleImage& lab, imaging::IntMap& labels, const TextureField& texture,
                  const CentreTable& centres, int regions, const DistanceWeights& weights) {
  if (regions < 1) return;
  const CentreColumns columns(centres, regions);
  double totalCount = 0;
  for (int k = 0; k < regions; ++k) totalCount += columns.count[k];
  const Constants constants{weights.colour, weights.texture, weights.spatial, totalCount,
                            static_cast<double>(regions)};
  Scratch scratch(regions);
  for (int i = 0; i < lab.height(); ++i) assignRow(i, lab, texture, columns, constants, scratch, labels[i]);
}

}  // namespace segmentation
