#include "segmentation/pixel_assignment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace segmentation;

// The definition, one centre after the other: distance = feature distance +
// P x spatial weight x N / count / K; a later centre takes over on <=.
imaging::IntMap referenceAssignment(const imaging::TripleImage& lab, const TextureField& texture,
                                    const CentreTable& centres, int regions, const DistanceWeights& weights) {
  double total = 0;
  for (int k = 0; k < regions; ++k) total += centres[k][kCount];
  imaging::IntMap labels(lab.width(), lab.height());
  for (int i = 0; i < lab.height(); ++i)
    for (int j = 0; j < lab.width(); ++j) {
      const double colour[3] = {double(lab[0][i][j]), double(lab[1][i][j]), double(lab[2][i][j])};
      double best = 0;
      for (int k = 0; k < regions; ++k) {
        const double* c = centres[k];
        const float fd = featureDistance(colour, c, texture.at(i, j), c + kTexture, texture.length(), weights);
        const double p = std::sqrt((i - c[kRow]) * (i - c[kRow]) + (j - c[kColumn]) * (j - c[kColumn]));
        const double d = static_cast<double>(fd) + p * static_cast<double>(weights.spatial) * total / c[kCount] /
                                                       static_cast<double>(regions);
        if (k == 0 || d <= best) {
          best = d;
          labels[i][j] = k + 1;
        }
      }
    }
  return labels;
}

// One centre record: colour, position, count, texture filled with `t`.
void setCentre(CentreTable& centres, int k, double l, double a, double b, double row, double column, double count,
               double t) {
  double* c = centres[k];
  c[kL] = l, c[kA] = a, c[kB] = b, c[kRow] = row, c[kColumn] = column, c[kCount] = count;
  for (int e = 0; e < centres.textureLength(); ++e) c[kTexture + e] = t;
}

TEST(PixelAssignment, EqualDistancesGoToTheHighestLabel) {
  imaging::TripleImage lab(1, 1);
  lab[0][0][0] = 50;
  TextureField texture(1, 1, 2);
  CentreTable centres(6, 2);
  // Centres 2 and 5 (records 1 and 4) at colour distance 5 in opposite
  // directions, same position and count; the others far away.
  for (int k = 0; k < 6; ++k) setCentre(centres, k, 0, 90, 90, 0, 0, 10, 0);
  setCentre(centres, 1, 45, 0, 0, 3, 4, 10, 0);
  setCentre(centres, 4, 55, 0, 0, 3, 4, 10, 0);
  imaging::IntMap labels(1, 1, 0);
  assignPixels(lab, labels, texture, centres, 6, DistanceWeights{1, 1, 0.5f});
  EXPECT_EQ(labels[0][0], 5);
}

TEST(PixelAssignment, DifferencesBelowFloatPrecisionAreTies) {
  // Centre 1 is exactly 5 away; centre 2 is 5.00000001 away, but its sum of
  // squares rounds to the float 25, so both distances are 5: a tie.
  imaging::TripleImage lab(1, 1);
  lab[0][0][0] = 50;
  TextureField texture(1, 1, 2);
  CentreTable centres(2, 2);
  setCentre(centres, 0, 53, 4, 0, 0, 0, 10, 0);
  setCentre(centres, 1, 55.00000001, 0, 0, 0, 0, 10, 0);
  imaging::IntMap labels(1, 1, 1);
  assignPixels(lab, labels, texture, centres, 2, DistanceWeights{1, 1, 0});
  EXPECT_EQ(labels[0][0], 2);
}

TEST(PixelAssignment, PositionWeighsSmallRegionsMore) {
  // Same colour distance to both centres; the pixel is 2 from the small
  // region's centre and 3 from the large one's. Position term: P x 1 x
  // N / count / K with N = 110, K = 2: 2 x 110 / 10 / 2 = 11 for the small
  // one, 3 x 110 / 100 / 2 = 1.65 for the large one.
  imaging::TripleImage lab(6, 1);
  TextureField texture(6, 1, 2);
  CentreTable centres(2, 2);
  setCentre(centres, 0, 0, 0, 0, 0, 0, 10, 0);
  setCentre(centres, 1, 0, 0, 0, 0, 5, 100, 0);
  imaging::IntMap labels(6, 1, 0);
  assignPixels(lab, labels, texture, centres, 2, DistanceWeights{1, 0, 1.0f});
  EXPECT_EQ(labels[0][2], 2);
  EXPECT_EQ(labels[0][0], 1);  // on the small centre itself: 0 against 5.5
}

struct RandomCase {
  int width, height, regions;
  DistanceWeights weights;
  bool duplicates;  // pairs of identical centres, so exact ties happen
};

// Cases print readably in test listings.
void PrintTo(const RandomCase& c, std::ostream* os) { *os << c.width << "x" << c.height << ", " << c.regions << " regions"; }

class AgreesWithDefinition : public ::testing::TestWithParam<RandomCase> {};

// The search skips centres that cannot be nearest; it must still give
// exactly the labels of the plain definition, ties included.
TEST_P(AgreesWithDefinition, OnRandomImagesAndCentres) {
  const RandomCase rc = GetParam();
  std::mt19937 random(rc.width * 131 + rc.regions);
  std::uniform_int_distribution<int> lightness(0, 100), chroma(-20, 40), label(0, rc.regions);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  imaging::TripleImage lab(rc.width, rc.height);
  TextureField texture(rc.width, rc.height, 2);
  imaging::IntMap labels(rc.width, rc.height);
  for (int i = 0; i < rc.height; ++i)
    for (int j = 0; j < rc.width; ++j) {
      lab[0][i][j] = lightness(random) / 4 + 40;
      lab[1][i][j] = chroma(random) / 3;
      lab[2][i][j] = chroma(random) / 3;
      for (int e = 0; e < texture.length(); ++e) texture.at(i, j)[e] = 8 * unit(random);
      labels[i][j] = label(random);  // current labels, 0 included
    }
  CentreTable centres(rc.regions, 2);
  for (int k = 0; k < rc.regions; ++k) {
    if (rc.duplicates && k % 2 == 1) {
      std::copy(centres[k - 1], centres[k - 1] + centres.stride(), centres[k]);
      continue;
    }
    double* c = centres[k];
    c[kL] = 40 + 25 * unit(random);
    c[kA] = -5 + 15 * unit(random);
    c[kB] = -5 + 15 * unit(random);
    c[kRow] = rc.height * unit(random);
    c[kColumn] = rc.width * unit(random);
    c[kCount] = 1 + static_cast<int>(200 * unit(random));
    for (int e = 0; e < centres.textureLength(); ++e) c[kTexture + e] = 8 * unit(random);
  }
  const imaging::IntMap expected = referenceAssignment(lab, texture, centres, rc.regions, rc.weights);
  assignPixels(lab, labels, texture, centres, rc.regions, rc.weights);
  for (int i = 0; i < rc.height; ++i)
    for (int j = 0; j < rc.width; ++j) ASSERT_EQ(labels[i][j], expected[i][j]) << "pixel " << i << "," << j;
}

INSTANTIATE_TEST_SUITE_P(Cases, AgreesWithDefinition,
                         ::testing::Values(RandomCase{40, 30, 1, {1, 1, 0.05f}, false},
                                           RandomCase{40, 30, 7, {1, 1, 0.05f}, false},
                                           RandomCase{60, 45, 25, {1, 1, 0.02f}, false},
                                           RandomCase{60, 45, 25, {1, 0, 0.02f}, false},
                                           RandomCase{50, 20, 12, {1, 1, 0.3f}, true},
                                           RandomCase{50, 20, 12, {1, 0, 0.0f}, true},
                                           RandomCase{30, 30, 40, {0, 1, 0.01f}, false}));

}  // namespace
