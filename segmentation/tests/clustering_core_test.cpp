#include "segmentation/clustering_core.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "segmentation/component_labeling.h"

namespace {

using segmentation::clusterReducedImage;
using segmentation::colourThresholdFor;
using segmentation::coreQuantities;
using segmentation::CoreQuantities;

struct QuantityCase {
  int width, height;
  int side, rows, columns, smallLimit, appendLimit;
  float tolerance;
};

TEST(CoreQuantities, FollowTheReducedSize) {
  const QuantityCase cases[] = {
      {48, 32, 5, 6, 10, 7, 11, 0.96f},
      {23, 13, 1, 13, 23, 1, 2, 0.46f},    // area 299
      {20, 15, 3, 5, 7, 1, 2, 0.4f},       // area 300
      {40, 30, 5, 6, 8, 6, 9, 0.8f},       // area 1200
      {60, 45, 7, 6, 9, 13, 20, 1.2f},     // area 2700
      {80, 60, 9, 7, 9, 24, 36, 1.6f},     // the pipeline's 640 x 480 photos
      {500, 375, 51, 7, 10, 937, 1406, 10.0f},
      {1, 1, 1, 1, 1, 0, 0, 0.02f},
      {1, 600, 3, 200, 1, 3, 4, 12.0f},    // narrower than a block
  };
  for (const QuantityCase& c : cases) {
    const CoreQuantities q = coreQuantities(c.width, c.height);
    EXPECT_EQ(q.blockSide, c.side) << c.width << "x" << c.height;
    EXPECT_EQ(q.blockRows, c.rows) << c.width << "x" << c.height;
    EXPECT_EQ(q.blockColumns, c.columns) << c.width << "x" << c.height;
    EXPECT_EQ(q.smallAreaLimit, c.smallLimit) << c.width << "x" << c.height;
    EXPECT_EQ(q.appendAreaLimit, c.appendLimit) << c.width << "x" << c.height;
    EXPECT_EQ(q.positionTolerance, c.tolerance) << c.width << "x" << c.height;
  }
}

TEST(ColourThreshold, DependsOnContrastOnlyWithTexture) {
  EXPECT_EQ(colourThresholdFor(false, 1.0f), 10.0f);
  EXPECT_EQ(colourThresholdFor(false, 100.0f), 10.0f);
  EXPECT_EQ(colourThresholdFor(true, 24.9f), 7.5f);
  EXPECT_EQ(colourThresholdFor(true, 25.0f), 10.0f);
  EXPECT_EQ(colourThresholdFor(true, 75.0f), 10.0f);
  EXPECT_EQ(colourThresholdFor(true, 75.1f), 15.0f);
}

imaging::TripleImage flatImage(int width, int height, int l, int a, int b) {
  imaging::TripleImage lab(width, height);
  lab[0].fill(l);
  lab[1].fill(a);
  lab[2].fill(b);
  return lab;
}

// Labels are 1..n, every region one 4-connected piece, numbered in raster
// order of first appearance.
void expectConnectedRasterRegions(const imaging::IntMap& labels, int n) {
  std::set<int> seen;
  int next = 1;
  for (int i = 0; i < labels.height(); ++i)
    for (int j = 0; j < labels.width(); ++j) {
      const int label = labels[i][j];
      ASSERT_GE(label, 1);
      ASSERT_LE(label, n);
      if (seen.insert(label).second) {
        ASSERT_EQ(label, next++) << "first met at " << i << "," << j;
      }
    }
  EXPECT_EQ(static_cast<int>(seen.size()), n);
  imaging::IntMap split = labels;
  EXPECT_EQ(segmentation::componentLabelingFinal(split, n), n);
}

struct CoreRun {
  int regions;
  int smallRegions;
  std::string log;
  imaging::IntMap labels;
};

CoreRun run(const imaging::TripleImage& lab, bool texture, int maxAreaNum = 10, int ldc = 2) {
  CoreRun result{0, 0, "", imaging::IntMap(lab.width(), lab.height(), -7)};
  segmentation::Log log;
  const segmentation::ClusteringResult clustered =
      clusterReducedImage(lab, result.labels, texture, ldc, maxAreaNum, log);
  result.regions = clustered.regions;
  result.smallRegions = clustered.smallRegions;
  result.log = log.text();
  return result;
}

std::string cleanUpLog(int regions) {
  const std::string k = std::to_string(regions);
  return "entering component_labeling_final\nexiting component_labeling_final\n"
         "entering merge\nmerge: area_num=" + k + "\nexiting merge\n"
         "entering texture_merge\ntexture_merge: area_num=" + k + "\nexiting texture_merge\n"
         "entering append\nappend: area_num=" + k + "\nexiting append\n";
}

TEST(ClusteringCore, FlatImageIsOneRegion) {
  const imaging::TripleImage lab = flatImage(40, 30, 60, 5, -3);
  const CoreRun r = run(lab, true);
  EXPECT_EQ(r.regions, 1);
  EXPECT_EQ(r.smallRegions, 0);
  EXPECT_EQ(r.log,
            "initializing region centers ...\nW=5\ntex_max=0.000000\nmaximin= 1\ncontrast=1.000000\n"
            "color_threshold=7.500000\nregions estimation via K mean algorithm ...\n"
            "merge: area_num=1\ni=1, regions=1\n" +
                cleanUpLog(1) + "1 final regions\n");
  expectConnectedRasterRegions(r.labels, 1);
}

// Left half L* 20, right half L* 80: two seeds 60 apart in colour.
imaging::TripleImage twoHalves(int width, int height) {
  imaging::TripleImage lab = flatImage(width, height, 20, 0, 0);
  for (int i = 0; i < height; ++i)
    for (int j = width / 2; j < width; ++j) lab[0][i][j] = 80;
  return lab;
}

// The block centre at column 17 sees the edge: level 1 gives -30 in column
// 18 (180 over the 5 x 5 window), level 2 gives -15, -30, -15 in columns
// 16..18 (270): tex_max = sqrt(450). Its block is 21.2 from block (0, 0)
// with texture, less than 0.4 x 60, so two seeds either way.
TEST(ClusteringCore, TwoHalvesWithAndWithoutTexture) {
  for (bool texture : {false, true}) {
    const CoreRun r = run(twoHalves(40, 30), texture);
    EXPECT_EQ(r.regions, 2);
    EXPECT_EQ(r.log,
              "initializing region centers ...\nW=5\ntex_max=21.213203\nmaximin= 2\ncontrast=60.000000\n"
              "color_threshold=10.000000\nregions estimation via K mean algorithm ...\n"
              "merge: area_num=2\ni=1, regions=2\n" +
                  cleanUpLog(2) + "2 final regions\n")
        << texture;
    for (int i = 0; i < 30; ++i)
      for (int j = 0; j < 40; ++j) ASSERT_EQ(r.labels[i][j], j < 20 ? 1 : 2) << i << "," << j;
  }
}

// Left half flat, right half a checkerboard of L* 20 / 80 (mean 50 like
// the left side): only texture tells the halves apart.
imaging::TripleImage texturedHalf(int width, int height) {
  imaging::TripleImage lab = flatImage(width, height, 50, 10, 10);
  for (int i = 0; i < height; ++i)
    for (int j = width / 2; j < width; ++j) lab[0][i][j] = (i + j) % 2 == 0 ? 20 : 80;
  return lab;
}

TEST(ClusteringCore, TexturedHalfIsFoundOnlyWithTexture) {
  const CoreRun withTexture = run(texturedHalf(40, 30), true);
  std::string passes;
  for (int pass = 1; pass <= 3; ++pass) passes += "merge: area_num=4\ni=" + std::to_string(pass) + ", regions=4\n";
  EXPECT_EQ(withTexture.log,
            "initializing region centers ...\nW=5\ntex_max=33.541019\nmaximin= 4\ncontrast=34.741020\n"
            "color_threshold=10.000000\nregions estimation via K mean algorithm ...\n" +
                passes + cleanUpLog(4) + "3 final regions\n");
  EXPECT_EQ(withTexture.regions, 3);
  expectConnectedRasterRegions(withTexture.labels, withTexture.regions);
  // The flat side is one region that stops near the border between halves.
  for (int i = 0; i < 30; ++i) {
    for (int j = 0; j < 17; ++j) ASSERT_EQ(withTexture.labels[i][j], 1) << i << "," << j;
    for (int j = 20; j < 40; ++j) ASSERT_NE(withTexture.labels[i][j], 1) << i << "," << j;
  }

  // Without texture the two halves have the same mean colour.
  const CoreRun colourOnly = run(texturedHalf(40, 30), false);
  passes.clear();
  for (int pass = 1; pass <= 3; ++pass) passes += "merge: area_num=1\ni=" + std::to_string(pass) + ", regions=1\n";
  EXPECT_EQ(colourOnly.log,
            "initializing region centers ...\nW=5\ntex_max=33.541019\nmaximin= 3\ncontrast=1.200000\n"
            "color_threshold=10.000000\nregions estimation via K mean algorithm ...\n" +
                passes + cleanUpLog(1) + "1 final regions\n");
  EXPECT_EQ(colourOnly.regions, 1);
}

TEST(ClusteringCore, MaxAreaNumLimitsTheRegions) {
  // Twelve vertical stripes of distinct colours.
  imaging::TripleImage lab(48, 32);
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 48; ++j) {
      lab[0][i][j] = 10 + 7 * (j / 4);
      lab[1][i][j] = (j / 4) % 2 == 0 ? -30 : 30;
    }
  for (int limit : {1, 3, 10, 50}) {
    const CoreRun r = run(lab, false, limit);
    EXPECT_LE(r.regions, limit);
    EXPECT_EQ(r.log.find("repeating final merging!") != std::string::npos, limit < 12) << limit;
    expectConnectedRasterRegions(r.labels, r.regions);
  }
}

TEST(ClusteringCore, EmptyImageHasNoRegions) {
  segmentation::Log log;
  imaging::IntMap labels;
  EXPECT_EQ(clusterReducedImage(imaging::TripleImage(0, 0), labels, true, 2, 10, log).regions, 0);
  EXPECT_EQ(log.text(), "");
}

struct TinyCase {
  int width, height, ldc;
  bool texture;
};

// Cases print readably in test listings.
void PrintTo(const TinyCase& c, std::ostream* os) { *os << c.width << "x" << c.height << ", LDC " << c.ldc << (c.texture ? ", texture" : ""); }

class TinyImages : public ::testing::TestWithParam<TinyCase> {};

// Reduced images down to 1 x 1, and ones narrower than a block or the
// texture border: segmented without a read outside the data.
TEST_P(TinyImages, AreSegmented) {
  const TinyCase c = GetParam();
  std::mt19937 random(c.width * 1000 + c.height);
  std::uniform_int_distribution<int> value(0, 100);
  imaging::TripleImage lab(c.width, c.height);
  for (int i = 0; i < c.height; ++i)
    for (int j = 0; j < c.width; ++j)
      for (int ch = 0; ch < 3; ++ch) lab[ch][i][j] = (j * 3 < c.width ? 20 : 70) + value(random) / 10;
  const CoreRun r = run(lab, c.texture, 5, c.ldc);
  ASSERT_GE(r.regions, 1);
  EXPECT_LE(r.regions, 5);
  expectConnectedRasterRegions(r.labels, r.regions);
  EXPECT_NE(r.log.find(std::to_string(r.regions) + " final regions\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TinyImages,
                         ::testing::Values(TinyCase{1, 1, 2, true}, TinyCase{1, 1, 4, false},
                                           TinyCase{2, 3, 4, true}, TinyCase{7, 1, 3, true},
                                           TinyCase{1, 400, 2, true}, TinyCase{600, 2, 4, true},
                                           TinyCase{15, 20, 4, true}, TinyCase{3, 120, 2, false}));

}  // namespace
