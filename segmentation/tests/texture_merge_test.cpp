#include "segmentation/texture_merge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "segmentation/tests/label_maps.h"

namespace {

using label_maps::centresOf;
using label_maps::mapOf;
using label_maps::rowsOf;

// Two adjacent regions of very different colour whose mean texture vectors
// (one decomposition level) are (a, b, 0, ...) and (c, d, 0, ...).
struct TextureCase {
  const char* name;
  double a, b, c, d;
  float textureWeight;
  int count;
};

// Cases print as their names in test listings.
void PrintTo(const TextureCase& c, std::ostream* os) { *os << c.name; }

class TextureMergeTest : public ::testing::TestWithParam<TextureCase> {};

TEST_P(TextureMergeTest, MergesOnlyCloseStronglyTexturedPairs) {
  const TextureCase& t = GetParam();
  imaging::IntMap map = mapOf({"1122", "1122"});
  const std::vector<std::vector<double>> textures{{t.a, t.b, 0, 0, 0, 0, 0, 0, 0}, {t.c, t.d, 0, 0, 0, 0, 0, 0, 0}};
  const segmentation::CentreTable centres = centresOf(map, {0, 100}, textures, 1);
  const segmentation::DistanceWeights textureOnly{0.0f, t.textureWeight, 0.0f};
  segmentation::Log log;
  EXPECT_EQ(segmentation::textureMerge(map, 2, centres, textureOnly, log), t.count);
  EXPECT_EQ(rowsOf(map)[0], t.count == 1 ? "1111" : "1122");
  EXPECT_EQ(log.text(), "texture_merge: area_num=2\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, TextureMergeTest,
                         ::testing::Values(TextureCase{"Distance7_5StaysApart", 10, 0, 10, 7.5, 1.0f, 2},
                                           TextureCase{"Distance7_4Merges", 10, 0, 10, 7.4, 1.0f, 1},
                                           TextureCase{"EnergyExactly10Merges", 6, 8, 8, 6, 1.0f, 1},
                                           TextureCase{"EnergyBelow10OnLeftStays", 9.9, 0, 9.9, 1, 1.0f, 2},
                                           TextureCase{"EnergyBelow10OnRightStays", 9.9, 3, 9.9, 0, 1.0f, 2},
                                           TextureCase{"TextureWeightZeroNeverMerges", 20, 0, 20, 0, 0.0f, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
