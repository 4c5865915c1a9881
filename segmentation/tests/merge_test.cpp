#include "segmentation/merge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "segmentation/tests/label_maps.h"

namespace {

using label_maps::centresOf;
using label_maps::mapOf;
using label_maps::rowsOf;
using Rows = std::vector<std::string>;

struct MergeCase {
  const char* name;
  Rows input;
  std::vector<double> lightness;  // per label
  float threshold;
  Rows expected;
  int count;
};

// Cases print as their names in test listings.
void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }

class MergeTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeTest, JoinsCloseNeighboursAndRenumbers) {
  const MergeCase& c = GetParam();
  imaging::IntMap map = mapOf(c.input);
  const int regions = static_cast<int>(c.lightness.size());
  const segmentation::CentreTable centres = centresOf(map, c.lightness);
  segmentation::Log log;
  EXPECT_EQ(segmentation::merge(map, regions, centres, segmentation::DistanceWeights{}, c.threshold, log), c.count);
  EXPECT_EQ(rowsOf(map), c.expected);
  EXPECT_EQ(log.text(), "merge: area_num=" + std::to_string(regions) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeTest,
    ::testing::Values(
        // Only (1, 3) and (2, 3) are closer than the threshold: 3 joins 2,
        // 1's link passes to 2, and 2 joins 1.
        MergeCase{"ChainEndsInLowestLabel", {"1122", "3333"}, {0, 20, 10}, 10.5f, {"1111", "1111"}, 1},
        MergeCase{"ExactlyThresholdStaysApart", {"1122"}, {50, 60}, 10.0f, {"1122"}, 2},
        MergeCase{"JustBelowThresholdMerges", {"1122"}, {50, 60}, 10.001f, {"1111"}, 1},
        // 1 and 3 are alike but do not touch.
        MergeCase{"AlikeButApartStayApart", {"1223"}, {0, 50, 0}, 10.0f, {"1223"}, 3},
        // 4 joins 2 and 3 keeps its place: labels close up in raster order.
        MergeCase{"RenumbersAfterJoin", {"1223", "1443", "5555"}, {0, 40, 80, 45, 120}, 10.0f,
                  {"1223", "1223", "4444"}, 4},
        // Dropped pixels (0) stay 0 and link nothing.
        MergeCase{"ZeroPixelsNeitherLinkNorMove", {"1022", "1033"}, {5, 5, 40}, 10.0f, {"1022", "1033"}, 3}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
