#include "segmentation/append.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "segmentation/adjacency.h"
#include "segmentation/component_labeling.h"
#include "segmentation/tests/label_maps.h"

namespace {

using label_maps::centresOf;
using label_maps::mapOf;
using label_maps::rowsOf;
using segmentation::CentreTable;
using segmentation::DistanceWeights;
using Rows = std::vector<std::string>;

// Region 1 has 26 pixels; region 2 has `small` (10 or 11).
class AppendLimitTest : public ::testing::TestWithParam<int> {};

TEST_P(AppendLimitTest, AbsorbsOnlyRegionsBelowTheLimit) {
  const int small = GetParam();
  imaging::IntMap map(6, 6, 1);
  for (int k = 0; k < small; ++k) map[5 - k / 6][5 - k % 6] = 2;
  CentreTable centres = centresOf(map, {10, 90});
  segmentation::Log log;
  const int count = segmentation::append(map, 2, centres, DistanceWeights{}, 11, log);
  EXPECT_EQ(log.text(), "append: area_num=2\n");
  EXPECT_EQ(count, small < 11 ? 1 : 2);
  EXPECT_EQ(map[5][5], count);
  EXPECT_EQ(centres.size(), count);
}

INSTANTIATE_TEST_SUITE_P(TenAndEleven, AppendLimitTest, ::testing::Values(10, 11));

TEST(AppendTest, TieGoesToTheHigherLabel) {
  // Small region 2 lies between 1 and 3, both at distance 10.
  imaging::IntMap map = mapOf({"1111233333", "1111233333"});
  CentreTable centres = centresOf(map, {40, 50, 60});
  segmentation::Log log;
  EXPECT_EQ(segmentation::append(map, 3, centres, DistanceWeights{}, 3, log), 2);
  EXPECT_EQ(rowsOf(map), (Rows{"1111222222", "1111222222"}));
  EXPECT_DOUBLE_EQ(centres[1][segmentation::kL], (10 * 60.0 + 2 * 50.0) / 12);
}

struct AbsorbCase {
  const char* name;
  Rows input;
  std::vector<double> lightness;
  int areaLimit;
  Rows expected;
};

// Cases print as their names in test listings.
void PrintTo(const AbsorbCase& c, std::ostream* os) { *os << c.name; }

class AppendAbsorbTest : public ::testing::TestWithParam<AbsorbCase> {};

TEST_P(AppendAbsorbTest, MovesLabelsDownAndKeepsCentresCurrent) {
  const AbsorbCase& c = GetParam();
  imaging::IntMap map = mapOf(c.input);
  CentreTable centres = centresOf(map, c.lightness);
  segmentation::Log log;
  const int count =
      segmentation::append(map, static_cast<int>(c.lightness.size()), centres, DistanceWeights{}, c.areaLimit, log);
  EXPECT_EQ(rowsOf(map), c.expected);
  // The merged records must equal what a fresh update gives for the result.
  const CentreTable fresh = centresOf(map, std::vector<double>(count, 0));
  ASSERT_EQ(centres.size(), count);
  for (int r = 0; r < count; ++r)
    for (int k = segmentation::kRow; k <= segmentation::kCount; ++k)
      EXPECT_NEAR(centres[r][k], fresh[r][k], 1e-12) << "record " << r << " field " << k;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendAbsorbTest,
    ::testing::Values(
        // Region 7 (two pixels) touches 3, 8 and 9 and is closest to 3.
        AbsorbCase{"SmallSevenIntoLowerThree",
                   {"11223344", "11223344", "55663378", "55663378", "55669988", "99999999"},
                   {10, 20, 30, 40, 50, 60, 31, 80, 90},
                   3,
                   {"11223344", "11223344", "55663337", "55663337", "55668877", "88888888"}},
        // Region 3 (one pixel) touches 1, 4 and 7 and is closest to 7: the
        // joined region keeps label 3 and 8 moves down to 7.
        AbsorbCase{"SmallThreeIntoHigherSeven",
                   {"111222", "344556", "777776", "777776", "888888"},
                   {10, 20, 70, 40, 50, 60, 71, 80},
                   2,
                   {"111222", "344556", "333336", "333336", "777777"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AppendTest, LoneRegionStays) {
  imaging::IntMap map(3, 2, 1);
  CentreTable centres = centresOf(map, {10});
  segmentation::Log log;
  EXPECT_EQ(segmentation::append(map, 1, centres, DistanceWeights{}, 100, log), 1);
  EXPECT_EQ(map[1][2], 1);
}

// A plain transcription of the absorption (full-map scans, records moved one
// by one) to check the bookkeeping of the real one on random maps.
int referenceAppend(imaging::IntMap& map, int regions, CentreTable& centres, const DistanceWeights& weights,
                    int areaLimit) {
  int count = regions;
  const int stride = centres.stride();
  for (int label = regions; label >= 1; --label) {
    if (centres[label - 1][segmentation::kCount] >= areaLimit) continue;
    std::vector<std::uint8_t> flags(count, 0);
    segmentation::markAdjacent(map, label, flags);
    float best = 500000.0f;
    int choice = 0;
    for (int j = count; j >= 1; --j) {
      if (j == label || !flags[j - 1]) continue;
      const float d = segmentation::centreDistance(centres[label - 1], centres[j - 1], centres.textureLength(), weights);
      if (d < best) best = d, choice = j;
    }
    if (choice == 0) continue;
    const int lo = std::min(label, choice), hi = std::max(label, choice);
    for (std::size_t k = 0; k < map.size(); ++k) {
      int& pixel = map.data()[k];
      if (pixel == hi) pixel = lo;
      else if (pixel > hi) --pixel;
    }
    double* low = centres[lo - 1];
    const double* high = centres[hi - 1];
    const double nl = low[segmentation::kCount], nh = high[segmentation::kCount];
    for (int k = 0; k < stride; ++k)
      if (k != segmentation::kCount) low[k] = (nh * high[k] + nl * low[k]) / (nh + nl);
    low[segmentation::kCount] = nl + nh;
    for (int r = hi; r < count; ++r) std::copy(centres[r], centres[r] + stride, centres[r - 1]);
    --count;
  }
  return count;
}

TEST(AppendTest, AgreesWithPlainTranscriptionOnRandomMaps) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 200; ++trial) {
    imaging::IntMap map(4 + trial % 9, 3 + trial % 7);
    for (std::size_t k = 0; k < map.size(); ++k) map.data()[k] = 1 + static_cast<int>(random() % 4);
    const int regions = segmentation::componentLabelingFinal(map, 4);
    std::vector<double> lightness(regions);
    std::vector<std::vector<double>> textures(regions, std::vector<double>(9));
    for (int r = 0; r < regions; ++r) {
      lightness[r] = static_cast<double>(random() % 5);  // many ties
      for (double& value : textures[r]) value = static_cast<double>(random() % 3);
    }
    const DistanceWeights weights{1.0f, static_cast<float>(trial % 2), 0.0f};
    const int areaLimit = 1 + static_cast<int>(random() % 8);
    imaging::IntMap expectedMap = map;
    CentreTable expectedCentres = centresOf(map, lightness, textures, 1);
    CentreTable centres = expectedCentres;
    const int expectedCount = referenceAppend(expectedMap, regions, expectedCentres, weights, areaLimit);
    segmentation::Log log;
    ASSERT_EQ(segmentation::append(map, regions, centres, weights, areaLimit, log), expectedCount) << trial;
    ASSERT_EQ(map, expectedMap) << trial;
    for (int r = 0; r < expectedCount; ++r)
      for (int k = 0; k < centres.stride(); ++k) ASSERT_EQ(centres[r][k], expectedCentres[r][k]) << trial;
  }
}

}  // namespace
