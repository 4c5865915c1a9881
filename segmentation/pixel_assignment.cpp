#include "segmentation/pixel_assignment.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

// On x86-64 the per-row routine is also built for AVX2 and chosen at run
// time. Every operation is element-wise IEEE arithmetic without fused
// multiply-add, so both builds give the same labels.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(_WIN32)  // clones need ELF ifuncs
#define PIXEL_ASSIGNMENT_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define PIXEL_ASSIGNMENT_CLONES
#endif

namespace segmentation {

namespace {

// How the search stays exact while skipping most of the work.
//
// The exact distance rounds its sums of squares to float field by field.
// The same distance computed with double sums, in any order,
//   approx = colour weight x colour part + texture weight x texture part + P x factor,
// differs from it by far less than kApproximation x approx (the float
// roundings of at most 36 non-negative terms stay below 1.3e-6 relative).
// So only centres whose approximate distance comes within that margin of the
// smallest approximate distance can be nearest or tie with the nearest; when
// a single centre does, it is the answer, otherwise those few are measured
// exactly and the rule "highest label among the smallest" decides.
//
// Most centres need not even be approximated: with c the colour part and s
// the position term, every distance is at least c + s, and
// (c + s)^2 >= c^2 + s^2. A centre with c^2 + s^2 above the square of the
// pixel's distance to its current region (plus margins) cannot be nearest.
constexpr double kApproximation = 1e-5;
constexpr double kBoundMargin = 1e-5;

// Everything one call needs, prepared once.
struct Context {
  const imaging::TripleImage& lab;
  const TextureField& texture;
  const CentreTable& centres;
  const DistanceWeights& weights;
  int regions;
  int textureLength;
  double colourWeight;
  double textureWeight;
  double totalCount;  // N, the pixel count of all centres
  // Centre fields transposed (one array per field) for the bound pass.
  std::vector<double> meanL, meanA, meanB, meanRow, meanColumn;
  std::vector<double> spatialFactor;  // spatial weight x N / count / K
  std::vector<double> spatialFactorSquared;

  Context(const imaging::TripleImage& lab_, const TextureField& texture_, const CentreTable& centres_, int regions_,
          const DistanceWeights& weights_)
      : lab(lab_),
        texture(texture_),
        centres(centres_),
        weights(weights_),
        regions(regions_),
        textureLength(centres_.textureLength()),
        colourWeight(weights_.colour),
        textureWeight(weights_.texture),
        totalCount(0),
        meanL(regions_),
        meanA(regions_),
        meanB(regions_),
        meanRow(regions_),
        meanColumn(regions_),
        spatialFactor(regions_),
        spatialFactorSquared(regions_) {
    for (int k = 0; k < regions; ++k) totalCount += centres[k][kCount];
    for (int k = 0; k < regions; ++k) {
      const double* record = centres[k];
      meanL[k] = record[kL];
      meanA[k] = record[kA];
      meanB[k] = record[kB];
      meanRow[k] = record[kRow];
      meanColumn[k] = record[kColumn];
      spatialFactor[k] = weights.spatial * totalCount / record[kCount] / regions;
      spatialFactorSquared[k] = spatialFactor[k] * spatialFactor[k];
    }
  }
};

struct Pixel {
  int row;
  int column;
  double colour[3];
  const double* texture;
};

// The distance as defined: feature distance plus
// P x spatial weight x N / count / K, evaluated left to right.
double exactDistance(const Context& c, const Pixel& pixel, int k) {
  const double* centre = c.centres[k];
  const float feature =
      featureDistance(pixel.colour, centre + kL, pixel.texture, centre + kTexture, c.textureLength, c.weights);
  const double dr = pixel.row - centre[kRow];
  const double dc = pixel.column - centre[kColumn];
  const double p = std::sqrt(dr * dr + dc * dc);
  return static_cast<double>(feature) + p * static_cast<double>(c.weights.spatial) * c.totalCount / centre[kCount] /
                                            static_cast<double>(c.regions);
}

// The colour and position parts of the approximate distance (see above);
// together a lower bound of the distance.
inline double colourAndPositionPart(const Context& c, const Pixel& pixel, int k) {
  const double* centre = c.centres[k];
  double colour = 0;
  for (int f = 0; f < 3; ++f) {
    const double d = pixel.colour[f] - centre[kL + f];
    colour += d * d;
  }
  const double dr = pixel.row - centre[kRow];
  const double dc = pixel.column - centre[kColumn];
  return c.colourWeight * std::sqrt(colour) + std::sqrt(dr * dr + dc * dc) * c.spatialFactor[k];
}

// The texture part of the approximate distance.
inline double texturePart(const Context& c, const Pixel& pixel, int k) {
  if (c.textureWeight == 0) return 0;
  // Four partial sums let the loop run in vector lanes.
  double partial[4] = {0, 0, 0, 0};
  const double* a = pixel.texture;
  const double* b = c.centres[k] + kTexture;
  int f = 0;
  for (; f + 4 <= c.textureLength; f += 4)
    for (int l = 0; l < 4; ++l) {
      const double d = a[f + l] - b[f + l];
      partial[l] += d * d;
    }
  for (; f < c.textureLength; ++f) {
    const double d = a[f] - b[f];
    partial[0] += d * d;
  }
  return c.textureWeight * std::sqrt((partial[0] + partial[1]) + (partial[2] + partial[3]));
}

// Squared lower bounds c^2 + s^2 of the pixel's distance to every centre.
inline void colourAndPositionBounds(const Context& c, const Pixel& pixel, double* __restrict bound) {
  const double* __restrict meanL = c.meanL.data();
  const double* __restrict meanA = c.meanA.data();
  const double* __restrict meanB = c.meanB.data();
  const double* __restrict meanRow = c.meanRow.data();
  const double* __restrict meanColumn = c.meanColumn.data();
  const double* __restrict factor = c.spatialFactorSquared.data();
  const double colourWeightSquared = c.colourWeight * c.colourWeight;
  const double l = pixel.colour[0];
  const double a = pixel.colour[1];
  const double b = pixel.colour[2];
  const double row = pixel.row;
  const double column = pixel.column;
  const int regions = c.regions;
  for (int k = 0; k < regions; ++k) {
    const double dL = l - meanL[k];
    const double da = a - meanA[k];
    const double db = b - meanB[k];
    const double pr = row - meanRow[k];
    const double pc = column - meanColumn[k];
    bound[k] = colourWeightSquared * (dL * dL + da * da + db * db) + (pr * pr + pc * pc) * factor[k];
  }
}

struct Near {
  int centre;
  double distance;  // approximate, then exact where needed
};

// Working arrays, allocated once per call.
struct Scratch {
  std::vector<double> bound;  // per centre: squared lower bound
  std::vector<Near> near;     // centres not ruled out (the guess may come twice)
  explicit Scratch(int regions) : bound(regions), near(static_cast<std::size_t>(regions) + 1) {}
};

PIXEL_ASSIGNMENT_CLONES
void assignRow(const Context& c, int row, std::int32_t* labels, Scratch& s) {
  const int width = c.lab.width();
  const int regions = c.regions;
  double* bound = s.bound.data();
  Near* near = s.near.data();

  for (int j = 0; j < width; ++j) {
    const Pixel pixel{row,
                      j,
                      {static_cast<double>(c.lab[0][row][j]), static_cast<double>(c.lab[1][row][j]),
                       static_cast<double>(c.lab[2][row][j])},
                      c.texture.at(row, j)};

    // The pixel's current region is the likely nearest centre.
    const int current = labels[j];
    const int guess = current >= 1 && current <= regions ? current - 1 : 0;
    const double guessDistance = colourAndPositionPart(c, pixel, guess) + texturePart(c, pixel, guess);

    // Centres that pass the cheap squared bound, then those whose colour and
    // position parts alone stay within reach, then their full approximation.
    colourAndPositionBounds(c, pixel, bound);
    const double reach = guessDistance * (1 + kApproximation);
    const double limit = reach * reach * (1 + kBoundMargin);
    bound[guess] = std::numeric_limits<double>::infinity();  // measured already
    int count = 0;
    double smallest = guessDistance;
    near[count++] = Near{guess, guessDistance};
    for (int k = 0; k < regions; ++k) {
      if (!(bound[k] <= limit)) continue;
      const double partial = colourAndPositionPart(c, pixel, k);
      if (partial > reach) continue;
      const double d = partial + texturePart(c, pixel, k);
      near[count++] = Near{k, d};
      if (d < smallest) smallest = d;
    }

    // Keep the centres that may be nearest; measure them exactly when more
    // than one is left.
    const double cut = smallest * (1 + kApproximation) / (1 - kApproximation);
    int kept = 0;
    for (int n = 0; n < count; ++n)
      if (!(near[n].distance > cut)) near[kept++] = near[n];
    int label = near[0].centre;
    if (kept > 1) {
      // Among equal distances the highest label wins.
      double best = exactDistance(c, pixel, label);
      for (int n = 1; n < kept; ++n) {
        const int k = near[n].centre;
        const double d = exactDistance(c, pixel, k);
        if (d < best || (d == best && k > label)) {
          best = d;
          label = k;
        }
      }
    }
    labels[j] = label + 1;
  }
}

}  // namespace

void assignPixels(const imaging::TripleImage& lab, imaging::IntMap& labels, const TextureField& texture,
                  const CentreTable& centres, int regions, const DistanceWeights& weights) {
  if (regions < 1) return;
  const Context context(lab, texture, centres, regions, weights);
  Scratch scratch(regions);
  for (int i = 0; i < lab.height(); ++i) assignRow(context, i, labels[i], scratch);
}

}  // namespace segmentation
