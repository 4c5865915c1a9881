// The block-level initialisation: grid, block vectors, maximin seeding,
// block K mean and the expansion of block labels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "segmentation/block_kmeans.h"
#include "segmentation/block_label_expansion.h"
#include "segmentation/block_vectors.h"
#include "segmentation/maximin_seeding.h"

namespace {

using namespace segmentation;

struct GridCase {
  int width, height, side, rows, columns;
};

TEST(BlockGrid, CountsTheBlocksWhoseCentreLiesInside) {
  const GridCase cases[] = {
      {48, 32, 5, 6, 10},  // centres at 2, 7, ..., 27 (rows) and up to 47 (columns)
      {47, 31, 5, 6, 9},   // column 47 is gone
      {7, 5, 3, 2, 2},     {1, 1, 1, 1, 1}, {5, 4, 1, 4, 5},
      {1, 300, 3, 100, 1},  // narrower than a block: still one column
      {2, 2, 7, 1, 1},
  };
  for (const GridCase& c : cases) {
    const BlockGrid grid = blockGridFor(c.width, c.height, c.side);
    EXPECT_EQ(grid.rows, c.rows) << c.width << "x" << c.height;
    EXPECT_EQ(grid.columns, c.columns) << c.width << "x" << c.height;
  }
}

// A 5 x 4 image in blocks of 3: one block row, two block columns; the
// second block is clipped to 2 columns, and the rows below the grid belong
// to no block.
TEST(BlockVectors, AverageThePixelsInsideAndCopyTheCentreTexture) {
  imaging::TripleImage lab(5, 4);
  TextureField texture(5, 4, 2);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 5; ++j) {
      lab[0][i][j] = 10 * i + j;
      lab[1][i][j] = -j;
      lab[2][i][j] = i == 3 ? 1000 : 0;  // outside every block
      for (int e = 0; e < texture.length(); ++e) texture.at(i, j)[e] = 100 * i + j + 0.01 * e;
    }
  const BlockGrid grid = blockGridFor(5, 4, 3);
  ASSERT_EQ(grid.rows, 1);
  ASSERT_EQ(grid.columns, 2);
  const BlockVectorsResult result = computeBlockVectors(lab, texture, grid);
  const double* first = result.vectors[0];
  const double* second = result.vectors[1];
  EXPECT_DOUBLE_EQ(first[0], (0 + 1 + 2 + 10 + 11 + 12 + 20 + 21 + 22) / 9.0);
  EXPECT_DOUBLE_EQ(first[1], -1.0);
  EXPECT_EQ(first[2], 0.0);
  EXPECT_EQ(second[0], (3 + 4 + 13 + 14 + 23 + 24) / 6.0);
  EXPECT_EQ(second[1], -3.5);
  for (int e = 0; e < texture.length(); ++e) {
    EXPECT_EQ(first[3 + e], texture.at(1, 1)[e]);
    EXPECT_EQ(second[3 + e], texture.at(1, 4)[e]);
  }
  EXPECT_EQ(result.texMax, textureEnergy(texture.at(1, 4), texture.length()));
}

// Grids forced to one row or column take their centre at the nearest
// pixel inside.
TEST(BlockVectors, ClampTheCentreOfBlocksLargerThanTheImage) {
  imaging::TripleImage lab(2, 1);
  lab[0][0][0] = 4;
  lab[0][0][1] = 8;
  TextureField texture(2, 1, 2);
  texture.at(0, 1)[0] = 3;
  texture.at(0, 1)[5] = 4;
  const BlockVectorsResult result = computeBlockVectors(lab, texture, blockGridFor(2, 1, 5));
  ASSERT_EQ(result.vectors.count(), 1);
  EXPECT_EQ(result.vectors[0][0], 6.0);
  EXPECT_EQ(result.vectors[0][3], 3.0);
  EXPECT_EQ(result.texMax, 5.0f);
}

// Block vectors with the given L* values (a*, b*, texture zero unless given).
BlockVectors blocksOf(const std::vector<double>& lightness, const std::vector<double>& firstTexture = {}) {
  BlockVectors blocks(static_cast<int>(lightness.size()), 18);
  for (int b = 0; b < blocks.count(); ++b) {
    blocks[b][0] = lightness[b];
    if (!firstTexture.empty()) blocks[b][3] = firstTexture[b];
  }
  return blocks;
}

const DistanceWeights kColourOnly{1.0f, 0.0f, 0.0f};
const DistanceWeights kColourAndTexture{1.0f, 1.0f, 0.0f};

struct SeedCase {
  const char* name;
  std::vector<double> lightness;
  std::vector<int> seeds;
  float contrast;
};

TEST(MaximinSeeding, ChoosesTheFarthestBlocksWhileFarEnough) {
  const SeedCase cases[] = {
      {"uniform", {50, 50, 50, 50}, {1, 0, 0, 0}, 1.0f},
      {"closer than 0.4 to the first", {50, 50.3, 50, 50.3}, {1, 0, 0, 0}, 1.0f},
      // Blocks 1 and 2 are equally far: the first in raster order wins.
      // Then block 3 is 3.9 from its nearest seed: 0.39 of the contrast.
      {"tie to the first in raster order", {0, 10, 10, 3.9}, {1, 1, 0, 0}, 10.0f},
      // 4 / 10 rounds to the float 0.4, which lies just above the double
      // 0.4: a seed.
      {"ratio exactly 0.4 in float", {0, 10, 10, 4}, {1, 1, 0, 1}, 10.0f},
      // Contrast is fixed by the second seed (60); block 1 is then 30 from
      // both seeds (0.5 of it), block 2 only 15.
      {"later seeds measured against the contrast", {0, 30, 15, 60}, {1, 1, 0, 1}, 60.0f},
  };
  for (const SeedCase& c : cases) {
    const SeedChoice choice = chooseSeeds(blocksOf(c.lightness), kColourOnly);
    EXPECT_EQ(choice.isSeed, c.seeds) << c.name;
    int marked = 0;
    for (int s : choice.isSeed) marked += s;
    EXPECT_EQ(choice.seeds, marked) << c.name;
    EXPECT_EQ(choice.contrast, c.contrast) << c.name;
  }
}

TEST(MaximinSeeding, TextureSeparatesBlocksOnlyWhenItsWeightIsOn) {
  const BlockVectors blocks = blocksOf({50, 50, 50}, {0, 0, 20});
  EXPECT_EQ(chooseSeeds(blocks, kColourOnly).seeds, 1);
  const SeedChoice withTexture = chooseSeeds(blocks, kColourAndTexture);
  EXPECT_EQ(withTexture.isSeed, (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(withTexture.contrast, 20.0f);
}

struct KMeanCase {
  const char* name;
  std::vector<double> lightness;
  std::vector<int> seeds;
  int maxRounds;
  std::vector<int> clusters;
};

TEST(BlockKMean, ClustersFromTheSeeds) {
  const KMeanCase cases[] = {
      // Block 2 is 5 from both centres: the lower index wins.
      {"tie to cluster 0", {0, 10, 5}, {1, 1, 0}, 1000, {0, 1, 0}},
      // Centres 0 and 2 move: (0), (2, 3, 10) -> 0, 5 -> (0, 2), (3, 10)
      // -> 1, 6.5 -> (0, 2, 3), (10), then stable.
      {"moves until stable", {0, 2, 3, 10}, {1, 1, 0, 0}, 1000, {0, 0, 0, 1}},
      {"stops after the given rounds", {0, 2, 3, 10}, {1, 1, 0, 0}, 1, {0, 1, 1, 1}},
      // Two equal seeds: cluster 1 first gets no block and keeps its centre
      // (5) while cluster 0 moves to 19 / 3; then the two 5s go to it.
      {"empty cluster", {5, 5, 9}, {1, 1, 0}, 1000, {1, 1, 0}},
      {"seeds in raster order", {10, 0, 9, 1}, {0, 1, 1, 0}, 1000, {1, 0, 1, 0}},
  };
  for (const KMeanCase& c : cases)
    EXPECT_EQ(clusterBlocks(blocksOf(c.lightness), c.seeds, kColourOnly, c.maxRounds), c.clusters) << c.name;
}

std::vector<std::string> rowsOf(const imaging::IntMap& map) {
  std::vector<std::string> rows;
  for (int i = 0; i < map.height(); ++i) {
    std::string row;
    for (int j = 0; j < map.width(); ++j) row += static_cast<char>('0' + map[i][j]);
    rows.push_back(row);
  }
  return rows;
}

TEST(BlockLabelExpansion, PaintsBlocksAndExtendsTheLastRowAndColumn) {
  // 7 x 7 in blocks of 3: 2 x 2 blocks; row 6 and column 6 lie beyond the
  // grid and belong to the last block row and column.
  const BlockGrid grid = blockGridFor(7, 7, 3);
  ASSERT_EQ(grid.rows, 2);
  ASSERT_EQ(grid.columns, 2);
  imaging::IntMap labels(7, 7, 0);
  expandBlockLabels({0, 1, 2, 3}, grid, labels);
  EXPECT_EQ(rowsOf(labels), (std::vector<std::string>{"1112222", "1112222", "1112222", "3334444", "3334444",
                                                      "3334444", "3334444"}));

  imaging::IntMap copy(3, 2, 0);
  expandBlockLabels({4, 0, 2, 1, 1, 3}, blockGridFor(3, 2, 1), copy);
  EXPECT_EQ(rowsOf(copy), (std::vector<std::string>{"513", "224"}));
}

}  // namespace
