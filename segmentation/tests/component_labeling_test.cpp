#include "segmentation/component_labeling.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "segmentation/tests/label_maps.h"

namespace {

using label_maps::mapOf;
using label_maps::rowsOf;
using Rows = std::vector<std::string>;

struct RelabelCase {
  const char* name;
  Rows input;
  int regions;
  int minimumSize;  // 0: componentLabelingFinal
  Rows expected;
  int count;
};

// Cases print as their names in test listings.
void PrintTo(const RelabelCase& c, std::ostream* os) { *os << c.name; }

class ComponentRelabelTest : public ::testing::TestWithParam<RelabelCase> {};

TEST_P(ComponentRelabelTest, NumbersComponentsInRasterOrder) {
  const RelabelCase& c = GetParam();
  imaging::IntMap map = mapOf(c.input);
  const int count = c.minimumSize == 0 ? segmentation::componentLabelingFinal(map, c.regions)
                                       : segmentation::componentsWithMinimumSize(map, c.regions, c.minimumSize);
  EXPECT_EQ(count, c.count);
  EXPECT_EQ(rowsOf(map), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComponentRelabelTest,
    ::testing::Values(
        RelabelCase{"DiagonalTouchSplits", {"12", "21"}, 2, 0, {"12", "34"}, 4},
        RelabelCase{"FirstMetNumberedFirst", {"3311", "2211", "2222"}, 3, 0, {"1122", "3322", "3333"}, 3},
        RelabelCase{"ZeroPixelsStayZero", {"1001", "1111"}, 1, 0, {"1001", "1111"}, 1},
        RelabelCase{"LabelAroundHoleIsOne", {"1111", "1221", "1111"}, 2, 0, {"1111", "1221", "1111"}, 2},
        // Region 1 has 7 pixels, region 2 six; region 3 is large.
        RelabelCase{"SixDroppedSevenKept",
                    {"1112233", "1111223", "3333223", "3333333"},
                    3,
                    7,
                    {"1110022", "1111002", "2222002", "2222222"},
                    2},
        RelabelCase{"DroppedPartsOfOneLabel", {"1211", "2222", "1211"}, 2, 2, {"0122", "1111", "0133"}, 3},
        RelabelCase{"AllTooSmallBecomesOne", {"12", "34"}, 4, 2, {"11", "11"}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RenumberThroughTest, MapsLabelsInsideTheTableAndLeavesZeroAndLabelsBeyond) {
  // Table for labels 0..3: 0 must stay 0 even though table[0] says 9.
  imaging::IntMap map = mapOf({"0123", "4512"});
  segmentation::renumberThrough(map, {9, 3, 3, 1});
  EXPECT_EQ(rowsOf(map), (Rows{"0331", "4533"}));
}

TEST(CompactLabelsTest, ClosesGapsLeftByMerges) {
  imaging::IntMap map = mapOf({"1144", "5540", "5577"});
  EXPECT_EQ(segmentation::compactLabels(map), 4);
  EXPECT_EQ(rowsOf(map), (Rows{"1122", "3320", "3344"}));
}

TEST(FloodRelabelTest, CountsTheComponentOnlyAndIgnoresOtherLabels) {
  // A spiral of 1s: a fill that misses a turn under-counts.
  imaging::IntMap map = mapOf({"11111", "20001", "21101", "21001", "21111"});
  EXPECT_EQ(segmentation::floodRelabel(map, 2, 2, 1, 7), 15);
  EXPECT_EQ(rowsOf(map), (Rows{"77777", "20007", "27707", "27007", "27777"}));
  EXPECT_EQ(segmentation::floodRelabel(map, 1, 1, 1, 3), 0);  // (1, 1) holds 0
  EXPECT_EQ(segmentation::floodRelabel(map, 9, 9, 7, 3), 0);  // outside
}

// Fills as large as a full-resolution map: nothing may grow with the depth
// of the region.
TEST(LargeMapTest, WholeMapRegionAndLongSerpentine) {
  const int width = 4000;
  const int height = 3000;
  imaging::IntMap map(width, height, 1);
  EXPECT_EQ(segmentation::componentLabelingFinal(map, 1), 1);
  EXPECT_EQ(segmentation::componentsWithMinimumSize(map, 1, width * height), 1);
  EXPECT_EQ(map[height - 1][width - 1], 1);
  EXPECT_EQ(segmentation::floodRelabel(map, height - 1, 0, 1, 2), std::int64_t{width} * height);

  // Rows of 1 joined by single pixels at alternating ends: one path of half
  // the map.
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c) {
      const bool wall = r % 2 == 1 && c != ((r / 2) % 2 == 0 ? width - 1 : 0);
      map[r][c] = wall ? 2 : 1;
    }
  EXPECT_EQ(segmentation::componentLabelingFinal(map, 2), 1 + height / 2);
  EXPECT_EQ(map[height - 2][width - 1], 1);
  EXPECT_EQ(map[1][0], 2);
}

TEST(LargeMapTest, MillionsOfOnePixelComponents) {
  imaging::IntMap map(2000, 1500);
  for (int r = 0; r < map.height(); ++r)
    for (int c = 0; c < map.width(); ++c) map[r][c] = 1 + (r + c) % 2;
  EXPECT_EQ(segmentation::componentLabelingFinal(map, 2), 2000 * 1500);
  EXPECT_EQ(map[1499][1999], 2000 * 1500);
  EXPECT_EQ(segmentation::compactLabels(map), 2000 * 1500);
}

}  // namespace
