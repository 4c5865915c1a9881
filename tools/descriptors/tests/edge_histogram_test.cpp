#include "tools/descriptors/edge_histogram.h"

#include <gtest/gtest.h>

#include "tools/descriptors/tests/scenes.h"

namespace {

using descriptors::Block;
using descriptors::edgeBlockSize;
using descriptors::edgeLevel;
using namespace descriptors_testing;

std::vector<Block> edges(const Scene& scene) {
  return descriptors::edgeHistogram(scene.image, scene.labels, scene.regions);
}

TEST(EdgeHistogram, BlockSizeAimsAtAboutElevenHundredBlocks) {
  EXPECT_EQ(edgeBlockSize(640, 480), 16);
  EXPECT_EQ(edgeBlockSize(128, 128), 2);
  EXPECT_EQ(edgeBlockSize(100, 50), 2);
  EXPECT_EQ(edgeBlockSize(1, 1), 2);
  EXPECT_EQ(edgeBlockSize(4000, 3000), 104);
}

TEST(EdgeHistogram, LevelsFollowTheSquareRootOfTheShare) {
  // Shares (in ten-thousandths of the used blocks) at which levels 1..7 are first reached.
  const std::vector<std::pair<int, std::vector<int>>> firstReached{
      {0, {94, 375, 844, 1500, 2344, 3375, 4594}},  // vertical, full at 3/5
      {2, {40, 157, 352, 625, 977, 1407, 1915}},    // 45 degrees, full at 1/4
      {4, {79, 313, 704, 1250, 1954, 2813, 3829}},  // non-directional, full at 1/2
  };
  for (const auto& [type, shares] : firstReached)
    for (int level = 1; level <= 7; ++level) {
      const int share = shares[static_cast<std::size_t>(level - 1)];
      EXPECT_EQ(edgeLevel(share, 10000, type), level) << "type " << type << " share " << share;
      EXPECT_EQ(edgeLevel(share - 1, 10000, type), level - 1) << "type " << type << " share " << share - 1;
    }
  EXPECT_EQ(edgeLevel(10000, 10000, 1), 7);
  EXPECT_EQ(edgeLevel(0, 0, 0), 0);
}

TEST(EdgeHistogram, PatternsFillTheirEdgeType) {
  struct Case {
    const char* name;
    int (*grey)(int x, int y);
    std::vector<int> perSubImage;
  };
  const std::vector<Case> cases{
      {"flat", [](int, int) { return 77; }, {0, 0, 0, 0, 0}},
      {"vertical stripes", [](int x, int) { return 255 * (x % 2); }, {7, 0, 0, 0, 0}},
      {"horizontal stripes", [](int, int y) { return 255 * (y % 2); }, {0, 7, 0, 0, 0}},
      {"checkerboard", [](int x, int y) { return 255 * ((x + y) % 2); }, {0, 0, 0, 0, 7}},
      {"period 4, never inside a block", [](int x, int) { return 255 * ((x / 2) % 2); }, {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(edges(makeScene(128, 128, [&](int x, int y) { return grey(c.grey(x, y)); }))[0],
              repeated(c.perSubImage, 16))
        << c.name;
}

TEST(EdgeHistogram, OneStepEdgeCountsInItsSubImageColumn) {
  const Scene scene = makeScene(64, 64, [](int x, int) { return grey(x <= 32 ? 0 : 255); });
  EXPECT_EQ(edges(scene)[0], sparseBlock(80, {{10, 3}, {30, 3}, {50, 3}, {70, 3}}));
}

TEST(EdgeHistogram, OnlyBlocksInsideTheRegionCount) {
  // Vertical stripes everywhere; region 1 is the triangle x + y < 128. The
  // outline is not an edge, and sub-images outside the triangle stay empty.
  const Scene scene = makeScene(
      128, 128, [](int x, int) { return grey(255 * (x % 2)); }, [](int x, int y) { return x + y < 128 ? 1 : 0; });
  Block expected(80, 0);
  for (int k : {0, 1, 2, 3, 4, 5, 6, 8, 9, 12}) expected[static_cast<std::size_t>(5 * k)] = 7;
  EXPECT_EQ(edges(scene)[1], expected);
}

TEST(EdgeHistogram, EmptyAndThinRegionsGiveZeros) {
  // Label 1 is absent; label 2 is a line one pixel wide across stripes.
  const Scene scene = makeScene(
      64, 64, [](int x, int) { return grey(255 * (x % 2)); }, [](int, int y) { return y == 10 ? 2 : 0; });
  const std::vector<Block> blocks = edges(scene);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[1], Block(80, 0));
  EXPECT_EQ(blocks[2], Block(80, 0));
  for (int v : blocks[0]) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 7);
  }
}

}  // namespace
