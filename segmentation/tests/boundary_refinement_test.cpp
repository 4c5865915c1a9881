#include "segmentation/boundary_refinement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "segmentation/block_reduction.h"
#include "segmentation/component_labeling.h"
#include "segmentation/lab_conversion.h"

namespace segmentation {
namespace {

// A reduced map written as rows of digits, one label per block.
imaging::IntMap mapOf(const std::vector<std::string>& rows) {
  imaging::IntMap map(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int i = 0; i < map.height(); ++i)
    for (int j = 0; j < map.width(); ++j) map[i][j] = rows[i][j] - '0';
  return map;
}

// L*a*b* bytes (value + 80) of one colour over the whole image.
imaging::ColourImage uniformLab(int width, int height, std::uint8_t l, std::uint8_t a, std::uint8_t b) {
  imaging::ColourImage lab(width, height);
  lab[0].fill(l);
  lab[1].fill(a);
  lab[2].fill(b);
  return lab;
}

void paint(imaging::ColourImage& lab, int row, int column, std::uint8_t l, std::uint8_t a, std::uint8_t b) {
  lab[0][row][column] = l;
  lab[1][row][column] = a;
  lab[2][row][column] = b;
}

TEST(BlockNeighbours, DirectionsInTheirOrderAndBordersCountAsNoNeighbour) {
  const imaging::IntMap reduced = mapOf({"123", "456", "789"});
  const BlockNeighbours neighbours(reduced, 2, 6);
  // left, right, up, down, up-left, down-right, up-right, down-left
  EXPECT_EQ(neighbours.ofBlock(1, 1), (std::array<int, kDirections>{4, 6, 2, 8, 1, 9, 3, 7}));
  EXPECT_EQ(neighbours.ofBlock(0, 0), (std::array<int, kDirections>{0, 2, 0, 4, 0, 5, 0, 0}));
  EXPECT_FALSE(neighbours.interior(0, 0));

  const BlockNeighbours alike(mapOf({"111", "112"}), 2, 6);
  EXPECT_TRUE(alike.interior(0, 0));
  EXPECT_EQ(alike.ofBlock(0, 1), (std::array<int, kDirections>{0, 0, 0, 0, 0, 2, 0, 0}));
  // Full column 5 lies in block column 2; full row 3 in block row 1.
  EXPECT_EQ(&alike.ofPixel(3, 5), &alike.ofBlock(1, 2));
}

TEST(BlockNeighbours, RemainderRowsAndColumnsReadTheLastBlock) {
  // 7 x 7 with W = 3 reduces to 2 x 2: row and column 6 belong to block 1.
  const BlockNeighbours neighbours(mapOf({"12", "34"}), 3, 7);
  EXPECT_EQ(&neighbours.ofPixel(6, 6), &neighbours.ofBlock(1, 1));
  EXPECT_EQ(&neighbours.ofPixel(2, 6), &neighbours.ofBlock(0, 1));
}

// Three vertical bands of blocks: region 1 (three block columns), region 2
// (one block column, every block touching 1 or 3, so no interior), region 3.
class Bands : public ::testing::Test {
 protected:
  static constexpr int kFactor = 2;
  Bands()
      : reduced(mapOf({"1112333", "1112333", "1112333", "1112333"})),
        labels(expandLabels(reduced, 14, 8, kFactor)),
        neighbours(reduced, kFactor, 14) {}
  imaging::IntMap reduced;
  imaging::IntMap labels;
  BlockNeighbours neighbours;
};

TEST_F(Bands, RegionWithoutInteriorLosesItsPixelsAndGainsNone) {
  // Regions 1 and 3 have the same colour everywhere, region 2 too: equal
  // likelihoods on both sides, so the first direction (left) wins.
  const imaging::ColourImage lab = uniformLab(14, 8, 130, 90, 70);
  const RegionHistograms histograms(lab, labels, neighbours, 3);
  EXPECT_EQ(histograms.interiorCount(2), 0);
  EXPECT_EQ(histograms.likelihood(2, 130, 90, 70), 0.0f);
  EXPECT_EQ(histograms.likelihood(1, 130, 90, 70), 1.0f);
  // Interior of region 1: block columns 0 and 1, 8 rows x 4 columns.
  EXPECT_EQ(histograms.interiorCount(1), 32);

  relabelByLikelihood(labels, lab, neighbours, histograms);
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 14; ++column) {
      const int expected = column < 8 ? 1 : 3;  // region 2 (columns 6, 7) went left
      ASSERT_EQ(labels[row][column], expected) << row << ", " << column;
    }
  }
}

TEST_F(Bands, TieBetweenDirectionsGoesToTheFirstAndNeedsAStrictlyLowerOwnLikelihood) {
  // Region 3 gets a different colour: region 2's pixels of that colour go
  // right, since left has likelihood 0 there.
  imaging::ColourImage lab = uniformLab(14, 8, 130, 90, 70);
  for (int row = 0; row < 8; ++row)
    for (int column = 8; column < 14; ++column) paint(lab, row, column, 100, 60, 150);
  paint(lab, 0, 6, 100, 60, 150);
  const RegionHistograms histograms(lab, labels, neighbours, 3);
  imaging::IntMap moved = labels;
  relabelByLikelihood(moved, lab, neighbours, histograms);
  EXPECT_EQ(moved[0][6], 3);
  EXPECT_EQ(moved[0][7], 1);
  // Region 3's border pixels (columns 8, 9) have their own likelihood 1:
  // they stay although region 2 is a candidate.
  EXPECT_EQ(moved[3][8], 3);
  // Region 1's border pixels of region 3's colour would fit region 3, but
  // their only candidate is region 2 (likelihood 0): they stay.
  paint(lab, 2, 5, 100, 60, 150);
  imaging::IntMap again = labels;
  relabelByLikelihood(again, lab, neighbours, RegionHistograms(lab, labels, neighbours, 3));
  EXPECT_EQ(again[2][5], 1);
}

TEST(Relabel, EqualLikelihoodOfOwnRegionKeepsThePixel) {
  // Two halves whose interiors hold the same two colours in equal shares.
  const imaging::IntMap reduced = mapOf({"1122", "1122", "1122"});
  imaging::IntMap labels = expandLabels(reduced, 8, 6, 2);
  const BlockNeighbours neighbours(reduced, 2, 8);
  imaging::ColourImage lab = uniformLab(8, 6, 100, 80, 80);
  for (int row = 0; row < 6; ++row)
    for (int column = 0; column < 8; column += 2) paint(lab, row, column, 150, 80, 80);
  // Every border pixel is explained equally well by its own region and by
  // the other one: nothing moves.
  const imaging::IntMap before = labels;
  relabelByLikelihood(labels, lab, neighbours, RegionHistograms(lab, labels, neighbours, 2));
  EXPECT_EQ(labels, before);
}

TEST(Relabel, PixelsOfInteriorBlocksKeepTheirLabel) {
  const imaging::IntMap reduced = mapOf({"11122", "11122", "11122"});
  imaging::IntMap labels = expandLabels(reduced, 10, 6, 2);
  const BlockNeighbours neighbours(reduced, 2, 10);
  imaging::ColourImage lab = uniformLab(10, 6, 100, 80, 80);
  for (int row = 0; row < 6; ++row)
    for (int column = 6; column < 10; ++column) paint(lab, row, column, 170, 20, 20);
  // Region 2's colour inside region 1's interior (block column 0) and on
  // its border (block column 2): only the border pixel moves.
  paint(lab, 1, 0, 170, 20, 20);
  paint(lab, 1, 5, 170, 20, 20);
  relabelByLikelihood(labels, lab, neighbours, RegionHistograms(lab, labels, neighbours, 2));
  EXPECT_EQ(labels[1][0], 1);
  EXPECT_EQ(labels[1][5], 2);
  EXPECT_EQ(labels[2][5], 1);
}

TEST(SmallRegions, ThresholdIsThreeQuartersOfAPercent) {
  EXPECT_EQ(smallRegionThreshold(640, 480), 2304);
  EXPECT_EQ(smallRegionThreshold(100, 10), 7);  // 7.5 truncated
  EXPECT_EQ(smallRegionThreshold(4000, 3000), 90000);
}

// Region 2: a rectangle inside region 1 on a 640 x 480 map.
struct RectangleCase {
  int rows, columns;
  int expectedRegions;
};

// Cases print readably in test listings.
void PrintTo(const RectangleCase& c, std::ostream* os) { *os << c.columns << "x" << c.rows; }

class SmallRectangle : public ::testing::TestWithParam<RectangleCase> {};

INSTANTIATE_TEST_SUITE_P(At2304, SmallRectangle,
                         ::testing::Values(RectangleCase{7, 329, 1},    // 2303 pixels: absorbed
                                           RectangleCase{48, 48, 2}));  // 2304 pixels: kept

TEST_P(SmallRectangle, IsAbsorbedOnlyBelowTheThreshold) {
  const RectangleCase& c = GetParam();
  imaging::IntMap labels(640, 480, 1);
  for (int row = 100; row < 100 + c.rows; ++row)
    for (int column = 200; column < 200 + c.columns; ++column) labels[row][column] = 2;
  const imaging::ColourImage lab = uniformLab(640, 480, 120, 80, 80);
  const int regions = mergeSmallRegions(labels, lab, 2, smallRegionThreshold(640, 480));
  EXPECT_EQ(regions, c.expectedRegions);
  EXPECT_EQ(labels[100][200], c.expectedRegions);
}

TEST(SmallRegions, RegionWithoutNeighboursStays) {
  imaging::IntMap labels(10, 10, 1);
  const imaging::ColourImage lab = uniformLab(10, 10, 120, 80, 80);
  EXPECT_EQ(mergeSmallRegions(labels, lab, 1, 1000), 1);
  EXPECT_EQ(labels, imaging::IntMap(10, 10, 1));
}

// The merging written out as described: one region at a time from the
// highest number down, adjacency read from the map, the map relabelled and
// the records shifted after every merge.
int mergeByMapScans(imaging::IntMap& labels, const imaging::ColourImage& lab, int regions, int threshold) {
  struct Record {
    double mean[3] = {0, 0, 0};
    double count = 0;
  };
  std::vector<Record> table(static_cast<std::size_t>(regions));
  for (int row = 0; row < labels.height(); ++row)
    for (int column = 0; column < labels.width(); ++column) {
      Record& record = table[labels[row][column] - 1];
      for (int c = 0; c < 3; ++c) record.mean[c] += lab[c][row][column] - kLabByteOffset;
      record.count += 1;
    }
  for (Record& record : table)
    for (double& mean : record.mean) mean /= record.count;

  int total = regions;
  for (int r = regions; r >= 1; --r) {
    if (table[r - 1].count >= threshold) continue;
    std::vector<bool> flagged(static_cast<std::size_t>(total) + 1, false);
    for (int row = 0; row < labels.height(); ++row)
      for (int column = 0; column < labels.width(); ++column) {
        if (labels[row][column] != r) continue;
        if (row > 0) flagged[labels[row - 1][column]] = true;
        if (row + 1 < labels.height()) flagged[labels[row + 1][column]] = true;
        if (column > 0) flagged[labels[row][column - 1]] = true;
        if (column + 1 < labels.width()) flagged[labels[row][column + 1]] = true;
      }
    double best = 500000;
    int found = 0;
    for (int j = total; j >= 1; --j) {
      if (j == r || !flagged[j]) continue;
      const double dL = table[j - 1].mean[0] - table[r - 1].mean[0];
      const double da = table[j - 1].mean[1] - table[r - 1].mean[1];
      const double db = table[j - 1].mean[2] - table[r - 1].mean[2];
      const double d = std::sqrt(dL * dL + da * da + db * db);
      if (d < best) best = d, found = j;
    }
    if (found == 0) continue;
    const int lo = std::min(r, found), hi = std::max(r, found);
    for (int row = 0; row < labels.height(); ++row)
      for (int column = 0; column < labels.width(); ++column) {
        int& label = labels[row][column];
        if (label == hi)
          label = lo;
        else if (label > hi)
          --label;
      }
    Record& kept = table[lo - 1];
    const Record gone = table[hi - 1];
    for (int c = 0; c < 3; ++c)
      kept.mean[c] = (gone.count * gone.mean[c] + kept.count * kept.mean[c]) / (gone.count + kept.count);
    kept.count = gone.count + kept.count;
    table.erase(table.begin() + (hi - 1));
    --total;
  }
  return total;
}

TEST(SmallRegions, GraphMergingMatchesMergingByMapScans) {
  std::mt19937 random(7);
  int trialsWithMerges = 0;
  for (int trial = 0; trial < 200; ++trial) {
    const int width = 6 + static_cast<int>(random() % 20);
    const int height = 6 + static_cast<int>(random() % 20);
    // Blobs of a few labels, split into 4-connected regions.
    imaging::IntMap labels(width, height);
    const int kinds = 2 + static_cast<int>(random() % 5);
    for (int row = 0; row < height; ++row)
      for (int column = 0; column < width; ++column)
        labels[row][column] = (random() % 3 == 0 || (row == 0 && column == 0))
                                  ? 1 + static_cast<int>(random() % kinds)
                                  : (column > 0 ? labels[row][column - 1] : labels[row - 1][column]);
    const int regions = componentLabelingFinal(labels, kinds);
    imaging::ColourImage lab(width, height);
    // Few distinct colours, so equal distances (ties) occur.
    for (int row = 0; row < height; ++row)
      for (int column = 0; column < width; ++column) {
        const int shade = static_cast<int>(random() % 4);
        paint(lab, row, column, static_cast<std::uint8_t>(80 + 20 * shade), static_cast<std::uint8_t>(80 + 10 * shade),
              static_cast<std::uint8_t>(60 + (random() % 2) * 40));
      }
    const int threshold = 1 + static_cast<int>(random() % (width * height / 4));

    imaging::IntMap expected = labels;
    const int expectedRegions = mergeByMapScans(expected, lab, regions, threshold);
    const int got = mergeSmallRegions(labels, lab, regions, threshold);
    ASSERT_EQ(got, expectedRegions) << "trial " << trial;
    ASSERT_EQ(labels, expected) << "trial " << trial;
    trialsWithMerges += got < regions;
  }
  EXPECT_GT(trialsWithMerges, 150);
}

TEST(Refinement, RegionCutInTwoBecomesTwoRegions) {
  // Region 1 is two blobs joined by a one-block neck whose pixels have
  // region 2's colour; the neck has no interior and moves to region 2, so
  // the blobs come apart. 40 x 40 pixels, blocks of 4.
  const imaging::IntMap reduced = mapOf({"2211111133", "2211111133", "2211111133", "2211111133", "2222133333",
                                         "2222133333", "2211111133", "2211111133", "2211111133", "2211111133"});
  imaging::IntMap labels = expandLabels(reduced, 40, 40, 4);
  imaging::ColourImage rgb(40, 40);
  const std::uint8_t colours[4][3] = {{0, 0, 0}, {200, 30, 30}, {30, 200, 30}, {30, 30, 200}};
  for (int row = 0; row < 40; ++row)
    for (int column = 0; column < 40; ++column) {
      const bool neck = row >= 16 && row < 24 && column >= 16 && column < 20;
      const std::uint8_t* colour = colours[neck ? 2 : labels[row][column]];
      for (int c = 0; c < 3; ++c) rgb[c][row][column] = colour[c];
    }
  Log log;
  const int regions = refineBoundaries(rgb, labels, reduced, 3, 4, log);
  EXPECT_EQ(log.text(), "4 final regions\n");
  ASSERT_EQ(regions, 4);
  // Raster order: region 2 (left), top blob, region 3 (right), bottom blob.
  EXPECT_EQ(labels[0][0], 1);
  EXPECT_EQ(labels[0][8], 2);
  EXPECT_EQ(labels[0][39], 3);
  EXPECT_EQ(labels[20][17], 1);
  EXPECT_EQ(labels[39][20], 4);
}

}  // namespace
}  // namespace segmentation
