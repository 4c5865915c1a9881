#include "segmentation/final_merging.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "segmentation/tests/label_maps.h"

namespace {

using label_maps::centresOf;
using label_maps::mapOf;
using label_maps::rowsOf;
using Rows = std::vector<std::string>;

struct FinalCase {
  const char* name;
  Rows input;
  std::vector<double> lightness;
  int maxAreaNum;
  Rows expected;
  int count;
  std::string log;
};

// Cases print as their names in test listings.
void PrintTo(const FinalCase& c, std::ostream* os) { *os << c.name; }

class FinalMergingTest : public ::testing::TestWithParam<FinalCase> {};

TEST_P(FinalMergingTest, JoinsClosestPairsUntilEstimateFits) {
  const FinalCase& c = GetParam();
  imaging::IntMap map = mapOf(c.input);
  const int regions = static_cast<int>(c.lightness.size());
  const segmentation::CentreTable centres = centresOf(map, c.lightness);
  segmentation::Log log;
  EXPECT_EQ(segmentation::finalMerging(map, regions, centres, segmentation::DistanceWeights{}, c.maxAreaNum, log),
            c.count);
  EXPECT_EQ(rowsOf(map), c.expected);
  EXPECT_EQ(log.text(), c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FinalMergingTest,
    ::testing::Values(
        // Twelve stripes; (3, 4) and (8, 9) are the two closest pairs.
        FinalCase{"TwelveToTen",
                  {"123456789abc", "123456789abc"},
                  {10, 20, 30, 31, 50, 60, 70, 80, 82, 100, 110, 120},
                  10,
                  {"12334567789a", "12334567789a"},
                  10,
                  "areas before final merging=12\npotential mergings=2\ncounted mergings=2\n"},
        // Choices (1, 2), (2, 3), (1, 3), (4, 5): the third joins regions
        // already joined through 2 and does not lower the estimate, so a
        // fourth choice is needed to reach 3.
        FinalCase{"RepeatedJoinNotCountedTwice",
                  {"1234", "1114", "5555", "6666"},
                  {0, 1, 3, 50, 54, 90},
                  3,
                  {"1112", "1112", "2222", "3333"},
                  3,
                  "areas before final merging=6\npotential mergings=3\ncounted mergings=3\n"},
        // (1, 2) and (2, 3) are equally close: the pair with the higher
        // labels is met first and wins.
        FinalCase{"TieGoesToHigherPair",
                  {"123"},
                  {0, 5, 10},
                  2,
                  {"122"},
                  2,
                  "areas before final merging=3\npotential mergings=1\ncounted mergings=1\n"},
        // No adjacent pair, or none closer than 100000: nothing is joined
        // and the count comes back unchanged, which ends the caller's loop.
        FinalCase{"NoAdjacentPair",
                  {"102", "102"},
                  {10, 20},
                  1,
                  {"102", "102"},
                  2,
                  "no neighbor was found!!!\nareas before final merging=2\npotential mergings=0\ncounted mergings=0\n"},
        FinalCase{"OnlyPairTooFar",
                  {"12"},
                  {0, 100000},
                  1,
                  {"12"},
                  2,
                  "no neighbor was found!!!\nareas before final merging=2\npotential mergings=0\ncounted mergings=0\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// The estimate misses joins through longer chains: after (1, 2), (2, 4) and
// (3, 4) the pair (1, 3) is counted as a further join, so more regions remain
// than estimated; the caller's repeat loop relies on the true count.
TEST(FinalMergingTest, ReturnsTrueCountWhenEstimateIsOff) {
  imaging::IntMap map = mapOf({"12", "34", "55"});
  const segmentation::CentreTable centres = centresOf(map, {0, 1, 6, 3, 90});
  segmentation::Log log;
  EXPECT_EQ(segmentation::finalMerging(map, 5, centres, segmentation::DistanceWeights{}, 1, log), 2);
  EXPECT_EQ(rowsOf(map), (Rows{"11", "11", "22"}));
  EXPECT_EQ(log.text(), "areas before final merging=5\npotential mergings=4\ncounted mergings=3\n");
}

}  // namespace
