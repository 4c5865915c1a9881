#include "tools/descriptors/scalable_colour.h"

#include <gtest/gtest.h>

#include "tools/descriptors/tests/scenes.h"

namespace {

using descriptors::Block;
using descriptors::colourLevel;
using descriptors::HsvBin;
using descriptors::hsvBin;
using namespace descriptors_testing;

std::vector<Block> colours(const Scene& scene) {
  return descriptors::scalableColour(scene.image, scene.labels, scene.regions);
}

TEST(ScalableColour, PixelsFallIntoTheirHsvBins) {
  const std::vector<std::pair<Rgb, HsvBin>> cases{
      {{255, 0, 0}, {0, 3, 3}},     {{0, 255, 0}, {5, 3, 3}},     {{0, 0, 255}, {10, 3, 3}}, {{255, 128, 0}, {1, 3, 3}},
      {{10, 20, 30}, {9, 2, 0}},    {{128, 128, 128}, {0, 0, 2}}, {{0, 0, 0}, {0, 0, 0}},    {{255, 0, 1}, {15, 3, 3}},
      {{255, 255, 255}, {0, 0, 3}}, {{64, 48, 48}, {0, 1, 1}},
  };
  for (const auto& [rgb, bin] : cases)
    EXPECT_EQ(hsvBin(rgb[0], rgb[1], rgb[2]), bin) << rgb[0] << "," << rgb[1] << "," << rgb[2];
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 7)
      for (int b = 0; b < 256; b += 11) {
        const HsvBin bin = hsvBin(r, g, b);
        ASSERT_TRUE(bin.hue >= 0 && bin.hue < 16 && bin.saturation >= 0 && bin.saturation < 4 && bin.value >= 0 &&
                    bin.value < 4);
      }
}

TEST(ScalableColour, LevelsAreLogarithmicInTheShare) {
  const std::vector<std::tuple<int, int, int>> cases{
      {1, 1, 255},   {1, 2, 229},   {1, 4, 204},      {1, 10, 170}, {1, 100, 89},   {1, 900, 28},   {1, 1000, 26},
      {1, 10000, 4}, {1, 50000, 1}, {13, 1000000, 0}, {0, 5, 0},    {4, 307200, 0}, {5, 307200, 1},
  };
  for (const auto& [count, pixels, level] : cases)
    EXPECT_EQ(colourLevel(count, pixels), level) << count << "/" << pixels;
  for (int c = 1; c <= 1000; ++c) ASSERT_LE(colourLevel(c - 1, 1000), colourLevel(c, 1000)) << c;
}

TEST(ScalableColour, HistogramsOfKnownRegions) {
  struct Case {
    const char* name;
    int size;  // of the square image
    Rgb (*colour)(int x, int y);
    Block expected;
  };
  const std::vector<Case> cases{
      {"flat red", 64,
       [](int, int) {
         return Rgb{255, 0, 0};
       },
       sparseBlock(256, {{15, 255}})},
      {"flat grey", 64, [](int, int) { return grey(100); }, sparseBlock(256, {{1, 255}})},
      {"black and white stripes", 64, [](int x, int) { return grey(255 * (x % 2)); },
       sparseBlock(256, {{0, 229}, {3, 229}})},
      {"33 black, 31 white columns", 64, [](int x, int) { return grey(x <= 32 ? 0 : 255); },
       sparseBlock(256, {{0, 231}, {3, 228}})},
      {"one red pixel in 900", 30,
       [](int x, int y) {
         return x == 0 && y == 0 ? Rgb{255, 0, 0} : grey(100);
       },
       sparseBlock(256, {{1, 255}, {15, 28}})},
  };
  for (const Case& c : cases) EXPECT_EQ(colours(makeScene(c.size, c.size, c.colour))[0], c.expected) << c.name;
}

TEST(ScalableColour, RegionsCountOnlyTheirOwnPixels) {
  // Red left half as region 2, green right half as region 0; label 1 is absent.
  const Scene scene = makeScene(
      20, 10,
      [](int x, int) {
        return x < 10 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
      },
      [](int x, int) { return x < 10 ? 2 : 0; });
  const std::vector<Block> blocks = colours(scene);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0], sparseBlock(256, {{16 * 5 + 15, 255}}));
  EXPECT_EQ(blocks[1], Block(256, 0));
  EXPECT_EQ(blocks[2], sparseBlock(256, {{15, 255}}));
}

}  // namespace
