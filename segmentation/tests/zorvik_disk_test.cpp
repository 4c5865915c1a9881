// Zorvik writing its label file onto a full or read-only disk: the run stops
// with status 1 and one line, and no label file, whole or cut short, is left
// under its name.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "segmentation/tests/zorvik_runs.h"
#include "testing/small_disk.h"
#include "testing/test_files.h"

namespace segmentation {
namespace {

namespace fs = std::filesystem;

// A 64 x 48 PPM of two colours, left and right; its label file (3 KB) does
// not fit on the full disk.
std::string twoColourPpm() {
  constexpr int kWidth = 64;
  constexpr int kHeight = 48;
  std::string text = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
  for (int row = 0; row < kHeight; ++row)
    for (int column = 0; column < kWidth; ++column) {
      const bool left = column < kWidth / 2;
      text += {static_cast<char>(left ? 200 : 40), static_cast<char>(40), static_cast<char>(left ? 40 : 200)};
    }
  return text;
}

class ZorvikOnABadDisk : public ::testing::TestWithParam<bool> {};

TEST_P(ZorvikOnABadDisk, StopsWithOneLineAndLeavesNoLabelFile) {
  const bool readOnly = GetParam();
  const testing_support::TempDir dir;
  fs::create_directories(dir.path() / "in");
  testing_support::writeFile(dir.path() / "in/photo.ppm", twoColourPpm());
  fs::create_directories(dir.path() / "out");
  testing_support::SmallDisk disk(dir.path() / "out", "64k");
  if (!disk.available()) GTEST_SKIP() << disk.skipReason();
  if (readOnly) {
    ASSERT_TRUE(disk.makeReadOnly());
  } else {
    disk.fill();
  }

  const testing_support::ProgramRun run = zorvik_runs::runZorvik(dir.path(), "in/ out/ photo 8 2 1 1 0 10");
  EXPECT_EQ(run.status, 1) << run.output << run.errors;
  EXPECT_NE((run.output + run.errors).find("out//photo.seg"), std::string::npos) << run.output << run.errors;
  EXPECT_EQ(testing_support::namesIn(dir.path() / "out"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Disks, ZorvikOnABadDisk, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "readOnly" : "full"); });

}  // namespace
}  // namespace segmentation
