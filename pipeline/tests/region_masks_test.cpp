#include "pipeline/region_masks.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/failure.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using imaging::GreyImage;
using testing_support::readFile;
using testing_support::TempDir;

std::string expectedMask(const GreyImage& labels, int region) {
  std::string bytes = "P5\n# Created by qlix\n" + std::to_string(labels.width()) + " " +
                      std::to_string(labels.height()) + "\n255\n";
  for (std::size_t i = 0; i < labels.size(); ++i) bytes.push_back(labels.data()[i] == region ? '\xff' : '\0');
  return bytes;
}

GreyImage labelsOf(int width, int height, std::vector<std::uint8_t> values) {
  GreyImage labels(width, height);
  std::copy(values.begin(), values.end(), labels.data());
  return labels;
}

TEST(RegionMaskPaths, KeepTheWholeFileNameAndTheDoubledSeparator) {
  EXPECT_EQ(pipeline::labelFilePath("images/", "photo.jpg"), "./images/photo.seg");
  EXPECT_EQ(pipeline::labelFilePath("images/", "a.b.jpg"), "./images/a.seg");
  EXPECT_EQ(pipeline::maskPath("images/", "photo.jpg", 2), "images//segmentationMasks/RegionMask.photo.jpg.2.pgm");
  EXPECT_EQ(pipeline::maskPath("images/", "a.b.jpg", 255), "images//segmentationMasks/RegionMask.a.b.jpg.255.pgm");
}

struct MaskCase {
  const char* name;
  GreyImage labels;
  int masks;
};

class RegionMasks : public ::testing::TestWithParam<MaskCase> {};

// One mask per value from 0 to the largest, each white exactly where the label
// file holds its value, none beyond.
TEST_P(RegionMasks, WritesOneExactMaskPerRegionNumber) {
  const MaskCase& c = GetParam();
  TempDir dir;
  fs::create_directory(dir / "segmentationMasks");
  const std::string directory = dir.path().string() + "/";
  pipeline::writeRegionMasks(c.labels, directory, "a.b.jpg");
  for (int region = 0; region < c.masks; ++region)
    ASSERT_EQ(readFile(dir / ("segmentationMasks/RegionMask.a.b.jpg." + std::to_string(region) + ".pgm")),
              expectedMask(c.labels, region))
        << "region " << region;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "segmentationMasks"), fs::directory_iterator()), c.masks);
}

INSTANTIATE_TEST_SUITE_P(
    LabelFiles, RegionMasks,
    ::testing::Values(MaskCase{"threeRegions", labelsOf(3, 2, {0, 1, 1, 2, 2, 0}), 3},
                      MaskCase{"unusedValuesGetBlackMasks", labelsOf(2, 2, {3, 0, 0, 3}), 4},
                      MaskCase{"oneRegion", labelsOf(2, 1, {0, 0}), 1},
                      MaskCase{"whiteFrame", labelsOf(3, 1, {255, 1, 255}), 256}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteMask, WritesTheLowEightBitsOfEachValue) {
  TempDir dir;
  imaging::IntMap mask(4, 1);
  const std::int32_t values[] = {255, 256, -1, 0x1fe};
  std::copy(values, values + 4, mask.data());
  pipeline::writeMask(dir / "m.pgm", mask);
  EXPECT_EQ(readFile(dir / "m.pgm"), "P5\n# Created by qlix\n4 1\n255\n" + std::string("\xff\x00\xff\xfe", 4));
}

TEST(RegionMasks, StopAtTheFirstMaskWhenTheMaskFolderIsMissing) {
  TempDir dir;
  const std::string directory = dir.path().string() + "/";
  try {
    pipeline::writeRegionMasks(labelsOf(2, 1, {0, 1}), directory, "photo.jpg");
    FAIL() << "no failure";
  } catch (const imaging::Failure& failure) {
    EXPECT_EQ(failure.stream(), imaging::Stream::Output);
    EXPECT_EQ(std::string(failure.what()),
              "failure in opening file " + directory + "/segmentationMasks/RegionMask.photo.jpg.0.pgm\n");
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
