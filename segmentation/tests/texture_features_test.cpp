#include "segmentation/texture_features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using segmentation::computeTextureFeatures;
using segmentation::mirrorIndex;
using segmentation::TextureField;

imaging::TripleImage randomImage(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> lightness(0, 100), chroma(-80, 120);
  imaging::TripleImage lab(width, height);
  for (int i = 0; i < height; ++i)
    for (int j = 0; j < width; ++j) {
      lab[0][i][j] = lightness(random);
      lab[1][i][j] = chroma(random);
      lab[2][i][j] = chroma(random);
    }
  return lab;
}

struct MirrorCase {
  int index, size, expected;
};

TEST(MirrorIndex, RepeatsTheEdgeSampleAndReflectsAgainWhenNeeded) {
  const MirrorCase cases[] = {{0, 5, 0},  {4, 5, 4},  {-1, 5, 0}, {-2, 5, 1}, {-5, 5, 4}, {5, 5, 4},
                              {6, 5, 3},  {9, 5, 0},  {-1, 1, 0}, {3, 1, 0},  {7, 3, 1}, {-4, 2, 0},
                              {-7, 3, 0}, {12, 3, 0}, {-3, 2, 1}};
  for (const MirrorCase& c : cases)
    EXPECT_EQ(mirrorIndex(c.index, c.size), c.expected) << c.index << " in " << c.size;
}

// Every element index for channel c, level l (1-based) and band b.
int element(int ldc, int channel, int level, int band) { return 3 * ldc * channel + 3 * (level - 1) + band; }

struct Shape {
  int width, height, window, ldc;
};

// Cases print readably in test listings.
void PrintTo(const Shape& c, std::ostream* os) { *os << c.width << "x" << c.height << ", window " << c.window << ", LDC " << c.ldc; }

class FlatImage : public ::testing::TestWithParam<Shape> {};

// Any size down to 1 x 1, also smaller than the border or the window: every
// read stays inside (the sanitizer build checks) and a flat image has no
// texture anywhere.
TEST_P(FlatImage, HasZeroTextureEverywhere) {
  const Shape s = GetParam();
  imaging::TripleImage lab(s.width, s.height);
  lab[0].fill(57);
  lab[1].fill(-12);
  lab[2].fill(33);
  const TextureField field = computeTextureFeatures(lab, s.window, s.ldc);
  ASSERT_EQ(field.length(), 9 * s.ldc);
  for (int i = 0; i < s.height; ++i)
    for (int j = 0; j < s.width; ++j)
      for (int e = 0; e < field.length(); ++e) ASSERT_EQ(field.at(i, j)[e], 0.0) << i << "," << j << " e" << e;
}

INSTANTIATE_TEST_SUITE_P(Sizes, FlatImage,
                         ::testing::Values(Shape{20, 15, 3, 2}, Shape{40, 30, 5, 3}, Shape{33, 40, 7, 4},
                                           Shape{1, 1, 1, 2}, Shape{1, 1, 3, 4}, Shape{3, 2, 5, 4},
                                           Shape{1, 300, 3, 2}, Shape{7, 2, 7, 3}));

// Values change only across columns: only band 1 (high across columns, then
// low across rows) can be non-zero, and only near the edge.
TEST(TextureFeatures, VerticalEdgeShowsOnlyInBandOneNearTheEdge) {
  const int width = 40, height = 24, ldc = 2, window = 3;
  imaging::TripleImage lab(width, height);
  for (int i = 0; i < height; ++i)
    for (int j = 0; j < width; ++j) {
      lab[0][i][j] = j < 20 ? 30 : 70;
      lab[1][i][j] = j < 20 ? -10 : 10;
      lab[2][i][j] = 5;  // flat channel
    }
  const TextureField field = computeTextureFeatures(lab, window, ldc);
  for (int i = 0; i < height; ++i)
    for (int j = 0; j < width; ++j)
      for (int c = 0; c < 3; ++c)
        for (int level = 1; level <= ldc; ++level)
          for (int band = 0; band < 3; ++band) {
            const double value = field.at(i, j)[element(ldc, c, level, band)];
            if (band != 1 || c == 2 || j < 12 || j > 24) {
              ASSERT_EQ(value, 0.0) << "row " << i << " column " << j << " channel " << c << " level " << level
                                    << " band " << band;
            }
          }
  for (int level = 1; level <= ldc; ++level) {
    EXPECT_GT(field.at(10, 18)[element(ldc, 0, level, 1)], 0.0) << level;
    EXPECT_GT(field.at(10, 18)[element(ldc, 1, level, 1)], 0.0) << level;
  }
  // Same values down every column.
  for (int j = 0; j < width; ++j)
    for (int e = 0; e < field.length(); ++e) EXPECT_EQ(field.at(0, j)[e], field.at(height - 1, j)[e]);
}

// L* = column: the high-pass across columns looks forward, so level 1 gives
// (j + 1 - (j + 2)) / 2 = -0.5 and level 2, on the approximation j - 0.5,
// gives (j + 1.5 - (j + 3.5)) / 2 = -1; with a window of one pixel the
// energies are their magnitudes.
TEST(TextureFeatures, RampGivesTheHandComputedBandValues) {
  const int width = 30, height = 6, ldc = 2;
  imaging::TripleImage lab(width, height);
  for (int i = 0; i < height; ++i)
    for (int j = 0; j < width; ++j) lab[0][i][j] = j;
  const TextureField field = computeTextureFeatures(lab, 1, ldc);
  for (int j = 2; j < width - 5; ++j) {
    EXPECT_EQ(field.at(3, j)[element(ldc, 0, 1, 1)], 0.5) << j;
    EXPECT_EQ(field.at(3, j)[element(ldc, 0, 2, 1)], 1.0) << j;
    EXPECT_EQ(field.at(3, j)[element(ldc, 0, 1, 0)], 0.0) << j;
    EXPECT_EQ(field.at(3, j)[element(ldc, 0, 2, 2)], 0.0) << j;
  }
  // At the right edge the mirrored samples turn the slope around:
  // column 29 reads columns 30 -> 29 and 31 -> 28, giving (29 - 28) / 2.
  EXPECT_EQ(field.at(3, width - 1)[element(ldc, 0, 1, 1)], 0.5);
}

// Pixels within half a window of an edge repeat the nearest window centre.
TEST(TextureFeatures, EdgePixelsCopyTheNearestWindowCentre) {
  const int width = 23, height = 17, window = 5, half = 2;
  const TextureField field = computeTextureFeatures(randomImage(width, height, 7), window, 3);
  auto same = [&](int i, int j, int ci, int cj) {
    for (int e = 0; e < field.length(); ++e)
      if (field.at(i, j)[e] != field.at(ci, cj)[e]) return false;
    return true;
  };
  for (int i = 0; i < height; ++i)
    for (int j = 0; j < width; ++j) {
      const int ci = std::clamp(i, half, height - 1 - half);
      const int cj = std::clamp(j, half, width - 1 - half);
      EXPECT_TRUE(same(i, j, ci, cj)) << i << "," << j;
    }
  EXPECT_FALSE(same(half, half, half + 1, half));  // random content differs
}

// Reference: the decomposition on planes with an explicit mirrored border,
// and each window summed in full; must agree to the last bit with the
// running sums.
std::vector<std::vector<float>> referenceBands(const imaging::TripleImage& lab, int ldc) {
  const int width = lab.width(), height = lab.height();
  const int border = 1 << ldc;
  const int stride = width + 2 * border;
  using Padded = std::vector<float>;
  auto at = [&](Padded& p, int i, int j) -> float& { return p[(i + border) * stride + j + border]; };
  auto extendColumns = [&](Padded& p) {
    for (int i = 0; i < height; ++i)
      for (int k = 1; k <= border; ++k) {
        at(p, i, -k) = at(p, i, k - 1);
        at(p, i, width - 1 + k) = at(p, i, width - k);
      }
  };
  auto extendRows = [&](Padded& p) {
    for (int j = 0; j < width; ++j)
      for (int k = 1; k <= border; ++k) {
        at(p, -k, j) = at(p, k - 1, j);
        at(p, height - 1 + k, j) = at(p, height - k, j);
      }
  };
  const std::size_t size = static_cast<std::size_t>(stride) * (height + 2 * border);
  std::vector<std::vector<float>> bands;
  for (int c = 0; c < 3; ++c) {
    Padded a(size), d(size), e(size), out(size);
    for (int i = 0; i < height; ++i)
      for (int j = 0; j < width; ++j) at(a, i, j) = static_cast<float>(lab[c][i][j]);
    for (int level = 1; level <= ldc; ++level) {
      const int s = 1 << (level - 1);
      extendColumns(a);
      for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
          at(d, i, j) = (at(a, i, j + s) - at(a, i, j + 2 * s)) / 2.0f;
          at(e, i, j) = (at(a, i, j) + at(a, i, j - s)) / 2.0f;
        }
      extendRows(d);
      extendRows(e);
      std::vector<float> b0, b1, b2;
      for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
          b0.push_back((at(d, i + s, j) - at(d, i + 2 * s, j)) / 2.0f);
          b1.push_back((at(d, i, j) + at(d, i - s, j)) / 2.0f);
          b2.push_back((at(e, i + s, j) - at(e, i + 2 * s, j)) / 2.0f);
        }
      for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) at(out, i, j) = (at(e, i, j) + at(e, i - s, j)) / 2.0f;
      a = out;
      for (auto* band : {&b0, &b1, &b2}) {
        for (float& v : *band) v = v * v;
        bands.push_back(*band);
      }
    }
  }
  return bands;
}

TEST(TextureFeatures, MatchesDirectWindowSumsOnRandomImages) {
  const Shape shapes[] = {{31, 22, 5, 2}, {40, 37, 7, 3}, {36, 40, 3, 4}};
  unsigned seed = 11;
  for (const Shape& s : shapes) {
    const imaging::TripleImage lab = randomImage(s.width, s.height, seed++);
    const TextureField field = computeTextureFeatures(lab, s.window, s.ldc);
    const auto bands = referenceBands(lab, s.ldc);
    const int half = (s.window - 1) / 2;
    for (int i = half; i < s.height - half; ++i)
      for (int j = half; j < s.width - half; ++j)
        for (int e = 0; e < field.length(); ++e) {
          double sum = 0;
          for (int k = -half; k <= half; ++k)
            for (int l = -half; l <= half; ++l) sum += bands[e][(i + k) * s.width + j + l];
          ASSERT_EQ(field.at(i, j)[e], std::sqrt(sum / (s.window * s.window)))
              << "pixel " << i << "," << j << " element " << e << " ldc " << s.ldc;
        }
  }
}

}  // namespace
