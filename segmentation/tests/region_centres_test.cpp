#include "segmentation/region_centres.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace segmentation {
namespace {

struct DistanceCase {
  const char* name;
  std::vector<double> colourA, colourB, textureA, textureB;
  DistanceWeights weights;
  float expected;
};

// Cases print as their names in test listings.
void PrintTo(const DistanceCase& c, std::ostream* os) { *os << c.name; }

class FeatureDistances : public ::testing::TestWithParam<DistanceCase> {};

INSTANTIATE_TEST_SUITE_P(
    Table, FeatureDistances,
    ::testing::Values(
        // Colour difference (3, 4, 0): 5.
        DistanceCase{"ColourOnly", {50, 10, 10}, {53, 14, 10}, {1, 1}, {1, 3}, {1, 0, 0}, 5.0f},
        // Plus a texture difference of length 2: the sum 7, not sqrt(29).
        DistanceCase{"ColourPlusTexture", {50, 10, 10}, {53, 14, 10}, {1, 1}, {1, 3}, {1, 1, 0}, 7.0f},
        // Colour weight 0 and equal textures: different colours are at 0.
        DistanceCase{"TextureOnlyEqual", {0, 0, 0}, {90, -40, 70}, {4, 5}, {4, 5}, {0, 1, 0}, 0.0f},
        // The spatial weight plays no part in the feature distance.
        DistanceCase{"SpatialIgnored", {0, 0, 0}, {0, 0, 2}, {0, 0}, {0, 0}, {1, 0, 9}, 2.0f}),
    [](const ::testing::TestParamInfo<DistanceCase>& info) { return std::string(info.param.name); });

TEST_P(FeatureDistances, WeightedSumOfColourAndTextureParts) {
  const DistanceCase& c = GetParam();
  const float d = featureDistance(c.colourA.data(), c.colourB.data(), c.textureA.data(), c.textureB.data(),
                                  static_cast<int>(c.textureA.size()), c.weights);
  EXPECT_EQ(d, c.expected);
}

TEST(FeatureDistance, SumsOfSquaresRunInSinglePrecision) {
  // 4096^2 = 2^24: each further 1 is lost in a float sum (the double sum
  // would be 2^24 + 8, whose root rounds to 4096.001f, not 4096).
  const double texture[9] = {4096, 1, 1, 1, 1, 1, 1, 1, 1};
  const double zero[9] = {};
  const double colour[3] = {0, 0, 0};
  EXPECT_EQ(featureDistance(colour, colour, texture, zero, 9, DistanceWeights{0, 1, 0}), 4096.0f);
  EXPECT_EQ(textureEnergy(texture, 9), 4096.0f);
  EXPECT_NE(static_cast<float>(std::sqrt(16777224.0)), 4096.0f);
}

TEST(CentreTable, CentreDistanceReadsColourAndTextureFields) {
  CentreTable centres(2, 1);  // 9 texture values each
  centres[0][kL] = 50, centres[0][kA] = 10, centres[0][kB] = 10;
  centres[1][kL] = 53, centres[1][kA] = 14, centres[1][kB] = 10;
  centres[1][kTexture + 8] = 2;
  centres[0][kRow] = 100, centres[0][kCount] = 7;  // not part of the distance
  EXPECT_EQ(centreDistance(centres[0], centres[1], centres.textureLength(), DistanceWeights{1, 1, 0}), 7.0f);
  EXPECT_EQ(centres.textureLength(), 9);
}

class CentreUpdate : public ::testing::Test {
 protected:
  static constexpr int kWidth = 6, kHeight = 5, kLdc = 2;
  CentreUpdate() : lab(kWidth, kHeight), labels(kWidth, kHeight), texture(kWidth, kHeight, kLdc) {
    for (int row = 0; row < kHeight; ++row)
      for (int column = 0; column < kWidth; ++column) {
        lab[0][row][column] = 10 * row + column;
        lab[1][row][column] = -column;
        lab[2][row][column] = row;
        for (int k = 0; k < texture.length(); ++k) texture.at(row, column)[k] = 0.5 * k + row;
      }
    labels.fill(1);
  }
  imaging::TripleImage lab;
  imaging::IntMap labels;
  TextureField texture;
};

TEST_F(CentreUpdate, SinglePixelRegionGetsItsPositionAndValues) {
  labels[3][4] = 2;
  CentreTable centres(2, kLdc);
  updateCentres(lab, labels, texture, centres, 2);
  EXPECT_EQ(centres[1][kRow], 3);
  EXPECT_EQ(centres[1][kColumn], 4);
  EXPECT_EQ(centres[1][kCount], 1);
  EXPECT_EQ(centres[1][kL], 34);
  EXPECT_EQ(centres[1][kA], -4);
  EXPECT_EQ(centres[1][kB], 3);
  EXPECT_EQ(centres[1][kTexture + 3], 1.5 + 3);

  // Region 1 holds the other 29 pixels.
  EXPECT_EQ(centres[0][kCount], 29);
  double rowSum = 0;
  for (int row = 0; row < kHeight; ++row) rowSum += row * kWidth;
  EXPECT_DOUBLE_EQ(centres[0][kRow], (rowSum - 3) / 29);
}

TEST_F(CentreUpdate, UnlabelledPixelsAndEmptyRegionsChangeNothing) {
  labels.fill(0);
  labels[0][0] = 1;
  labels[4][5] = 1;
  // Region 2 has no pixels; its stale record must be cleared, not divided.
  CentreTable centres(3, kLdc);
  for (int k = 0; k < centres.stride(); ++k) centres[1][k] = 99;
  labels[2][2] = 3;
  updateCentres(lab, labels, texture, centres, 3);

  EXPECT_EQ(centres[0][kCount], 2);
  EXPECT_EQ(centres[0][kL], (0 + 45) / 2.0);
  EXPECT_EQ(centres[0][kRow], 2);
  EXPECT_EQ(centres[0][kColumn], 2.5);
  for (int k = 0; k < centres.stride(); ++k) {
    EXPECT_EQ(centres[1][k], 0.0) << "field " << k;
    EXPECT_FALSE(std::isnan(centres[1][k]));
  }
  EXPECT_EQ(centres[2][kCount], 1);
}

}  // namespace
}  // namespace segmentation
