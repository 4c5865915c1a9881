// A merging stage called with fewer centre records than regions stops with
// the project's failure (one line on standard error naming the stage), which
// every main reports, instead of an exception no main catches.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "segmentation/append.h"
#include "segmentation/final_merging.h"
#include "segmentation/merge.h"
#include "segmentation/tests/label_maps.h"
#include "segmentation/texture_merge.h"

namespace segmentation {
namespace {

struct StageCase {
  const char* stage;
  // Runs the stage on a three-region map with the given (too short) table.
  std::function<void(imaging::IntMap&, CentreTable&, Log&)> call;
};

void PrintTo(const StageCase& c, std::ostream* os) { *os << c.stage; }

class TooFewCentres : public ::testing::TestWithParam<StageCase> {};

TEST_P(TooFewCentres, FailOnOneErrorLineNamingTheStage) {
  const StageCase& c = GetParam();
  imaging::IntMap map = label_maps::mapOf({"112233", "112233"});
  CentreTable centres = label_maps::centresOf(map, {10, 20});  // two records for three regions
  const imaging::IntMap before = map;
  Log log;
  try {
    c.call(map, centres, log);
    FAIL() << c.stage << " ran with too few centres";
  } catch (const platform::Failure& failure) {
    const std::string text = failure.what();
    EXPECT_EQ(failure.stream(), platform::Stream::Error);
    EXPECT_EQ(text.rfind(std::string(c.stage) + ": ", 0), 0u) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
  }
  EXPECT_EQ(map, before) << "the map changed before the check";
  EXPECT_EQ(log.text(), "");
}

const DistanceWeights kWeights{1.0f, 1.0f, 0.0f};

INSTANTIATE_TEST_SUITE_P(
    Stages, TooFewCentres,
    ::testing::Values(
        StageCase{"merge", [](imaging::IntMap& m, CentreTable& t, Log& l) { merge(m, 3, t, kWeights, 10.0f, l); }},
        StageCase{"texture_merge",
                  [](imaging::IntMap& m, CentreTable& t, Log& l) { textureMerge(m, 3, t, kWeights, l); }},
        StageCase{"append", [](imaging::IntMap& m, CentreTable& t, Log& l) { append(m, 3, t, kWeights, 100, l); }},
        StageCase{"final merging",
                  [](imaging::IntMap& m, CentreTable& t, Log& l) { finalMerging(m, 3, t, kWeights, 1, l); }}),
    [](const ::testing::TestParamInfo<StageCase>& info) {
      std::string name = info.param.stage;
      for (char& ch : name)
        if (ch == ' ') ch = '_';
      return name;
    });

}  // namespace
}  // namespace segmentation
