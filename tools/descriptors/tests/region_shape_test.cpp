#include "tools/descriptors/region_shape.h"

#include <gtest/gtest.h>

#include "tools/descriptors/tests/scenes.h"

namespace {

using descriptors::Block;
using namespace descriptors_testing;

template <typename Label>
std::vector<Block> shape(int width, int height, Label label) {
  const Scene scene = makeScene(
      width, height, [](int, int) { return grey(0); }, label);
  return descriptors::regionShape(scene.labels, scene.regions);
}

const Block kSquare{8, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 7, 5, 0, 0, 0, 0,
                    0, 0,  0, 0, 0, 3, 5, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Block kDisk{14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0,
                  0,  0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

TEST(RegionShape, KnownShapes) {
  EXPECT_EQ(shape(3, 3, [](int x, int y) { return x == 1 && y == 1 ? 1 : 0; })[1], sparseBlock(35, {{0, 15}, {1, 15}}));
  EXPECT_EQ(shape(81, 81, [](int x, int y) { return (x - 40) * (x - 40) + (y - 40) * (y - 40) <= 1600 ? 1 : 0; })[1],
            kDisk);
  EXPECT_EQ(shape(128, 128, [](int, int) { return 0; })[0], kSquare);
  EXPECT_EQ(shape(64, 128, [](int, int) { return 0; })[0],
            (Block{6, 11, 0, 0, 0, 9, 10, 4, 0, 0, 0, 3, 5, 5, 0, 0, 0, 4,
                   5, 2,  0, 0, 0, 4, 5,  5, 0, 0, 0, 2, 3, 4, 0, 0, 0}));
  EXPECT_NE(kDisk, kSquare);
}

TEST(RegionShape, PlaceAndMirrorDoNotMatter) {
  // An L shape, at two places and mirrored; the other label fills the rest.
  auto ell = [](int x, int y) { return x >= 0 && y >= 0 && ((x < 10 && y < 40) || (y >= 30 && y < 40 && x < 30)); };
  const Block here = shape(100, 80, [&](int x, int y) { return ell(x - 5, y - 3) ? 1 : 0; })[1];
  EXPECT_EQ(shape(100, 80, [&](int x, int y) { return ell(x - 60, y - 35) ? 1 : 0; })[1], here);
  EXPECT_EQ(shape(100, 80, [&](int x, int y) { return ell(90 - x, y - 3) ? 1 : 0; })[1], here);
  EXPECT_NE(here, kSquare);
}

TEST(RegionShape, EmptyRegionsGiveZerosAndValuesStayInRange) {
  const std::vector<Block> blocks = shape(50, 40, [](int x, int y) { return x < 10 ? 0 : (x * y) % 7 == 0 ? 3 : 2; });
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks[1], Block(35, 0));
  for (const Block& block : blocks)
    for (int v : block) {
      EXPECT_GE(v, 0);
      EXPECT_LE(v, 15);
    }
}

}  // namespace
