#include "segmentation/block_reduction.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace segmentation {
namespace {

struct SizeCase {
  int width, height, factor;
  ReducedSize expected;
};

// Cases print readably in test listings.
void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.width << "x" << c.height << " by " << c.factor; }

class ReducedSizes : public ::testing::TestWithParam<SizeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Table, ReducedSizes,
    ::testing::Values(SizeCase{8, 481, 8, {1, 60}},   // row 480 lies in no block
                      SizeCase{8, 483, 8, {1, 60}},   // 479 / 8 truncates to 59
                      SizeCase{8, 484, 8, {1, 61}},   // the last block has the four rows 480..483
                      SizeCase{7, 7, 3, {2, 2}},      // g = 2: trunc(5 / 3) + 1
                      SizeCase{640, 480, 8, {80, 60}}, SizeCase{5, 9, 1, {5, 9}},
                      SizeCase{3, 1, 8, {1, 1}},      // fewer than g rows still gives one reduced row
                      SizeCase{1, 1, 7, {1, 1}}));

TEST_P(ReducedSizes, FollowTheBlockRule) {
  const SizeCase& c = GetParam();
  EXPECT_EQ(reducedSize(c.width, c.height, c.factor), c.expected);
}

imaging::ColourImage patterned(int width, int height) {
  imaging::ColourImage image(width, height);
  for (int channel = 0; channel < 3; ++channel)
    for (int row = 0; row < height; ++row)
      for (int column = 0; column < width; ++column)
        image[channel][row][column] = static_cast<std::uint8_t>((row * 37 + column * 11 + channel * 71) % 256);
  return image;
}

// Mean of the samples in rows [r0, r1) and columns [c0, c1), truncated.
int blockMean(const imaging::GreyImage& plane, int r0, int r1, int c0, int c1) {
  int sum = 0, count = 0;
  for (int row = r0; row < r1; ++row)
    for (int column = c0; column < c1; ++column, ++count) sum += plane[row][column];
  return sum / count;
}

TEST(BlockReduction, SevenBySevenWithFactorThreeAveragesTheTwoFullBlocks) {
  const imaging::ColourImage full = patterned(7, 7);
  const imaging::ColourImage reduced = reduceBlocks(full, 3);
  ASSERT_EQ(reduced.width(), 2);
  ASSERT_EQ(reduced.height(), 2);
  for (int channel = 0; channel < 3; ++channel)
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j)
        EXPECT_EQ(reduced[channel][i][j], blockMean(full[channel], 3 * i, 3 * i + 3, 3 * j, 3 * j + 3))
            << channel << " " << i << " " << j;
}

TEST(BlockReduction, ClippedLastBlockAveragesOnlyRowsInsideTheImage) {
  // 484 rows with W = 8: reduced row 60 covers the rows 480..483 only, and
  // an 11-wide image has a last block of three columns (8..10).
  const imaging::ColourImage full = patterned(11, 484);
  const imaging::ColourImage reduced = reduceBlocks(full, 8);
  ASSERT_EQ(reduced.height(), 61);
  ASSERT_EQ(reduced.width(), 1);
  EXPECT_EQ(reduced[1][60][0], blockMean(full[1], 480, 484, 0, 8));

  const imaging::ColourImage square = patterned(12, 12);  // g = 4: rows and columns 8..11 form blocks
  const imaging::ColourImage squareReduced = reduceBlocks(square, 8);
  ASSERT_EQ(squareReduced.width(), 2);
  ASSERT_EQ(squareReduced.height(), 2);
  EXPECT_EQ(squareReduced[2][0][1], blockMean(square[2], 0, 8, 8, 12));
  EXPECT_EQ(squareReduced[2][1][1], blockMean(square[2], 8, 12, 8, 12));
}

TEST(BlockReduction, FactorOneCopiesTheImage) {
  const imaging::ColourImage full = patterned(13, 5);
  EXPECT_EQ(reduceBlocks(full, 1), full);
}

// Each reduced label is its own value, so the expansion shows which block
// every full-resolution pixel was taken from.
imaging::IntMap numbered(int width, int height) {
  imaging::IntMap map(width, height);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) map[row][column] = row * 1000 + column;
  return map;
}

struct ExpansionCase {
  int width, height, factor;
};

// Cases print readably in test listings.
void PrintTo(const ExpansionCase& c, std::ostream* os) { *os << c.width << "x" << c.height << " by " << c.factor; }

class Expansion : public ::testing::TestWithParam<ExpansionCase> {};

INSTANTIATE_TEST_SUITE_P(Table, Expansion,
                         ::testing::Values(ExpansionCase{8, 481, 8}, ExpansionCase{8, 483, 8}, ExpansionCase{8, 484, 8},
                                           ExpansionCase{7, 7, 3}, ExpansionCase{19, 13, 4}, ExpansionCase{5, 4, 1},
                                           ExpansionCase{3, 2, 8}));

TEST_P(Expansion, EveryPixelTakesItsBlockOrTheLastBlock) {
  const ExpansionCase& c = GetParam();
  const ReducedSize size = reducedSize(c.width, c.height, c.factor);
  const imaging::IntMap reduced = numbered(size.width, size.height);
  const imaging::IntMap full = expandLabels(reduced, c.width, c.height, c.factor);
  ASSERT_EQ(full.width(), c.width);
  ASSERT_EQ(full.height(), c.height);
  for (int row = 0; row < c.height; ++row)
    for (int column = 0; column < c.width; ++column) {
      // The block rule written out: inside a block, or past the last one by
      // less than a block.
      int i = row / c.factor, j = column / c.factor;
      if (i >= size.height) {
        ASSERT_LT(row - size.height * c.factor, c.factor);
        i = size.height - 1;
      }
      if (j >= size.width) {
        ASSERT_LT(column - size.width * c.factor, c.factor);
        j = size.width - 1;
      }
      ASSERT_EQ(full[row][column], i * 1000 + j) << "row " << row << ", column " << column;
    }
}

TEST(Expansion, KnownRowsOfTheSpecialSizes) {
  // H = 481 and 483 with W = 8: the rows from 480 on repeat reduced row 59.
  for (int height : {481, 483}) {
    const imaging::IntMap full = expandLabels(numbered(1, 60), 8, height, 8);
    for (int row = 472; row < height; ++row) EXPECT_EQ(full[row][0], 59 * 1000) << height << " " << row;
  }
  // 7 x 7 with W = 3: row and column 6 repeat reduced row and column 1.
  const imaging::IntMap full = expandLabels(numbered(2, 2), 7, 7, 3);
  EXPECT_EQ(full[6][6], 1001);
  EXPECT_EQ(full[6][0], 1000);
  EXPECT_EQ(full[0][6], 1);
  EXPECT_EQ(full[2][2], 0);
  EXPECT_EQ(full[3][3], 1001);
}

}  // namespace
}  // namespace segmentation
