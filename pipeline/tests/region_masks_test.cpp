#include "pipeline/region_masks.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pipeline/tests/program_runs.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using imaging::GreyImage;
using testing_support::readFile;
using testing_support::TempDir;

std::string rasterOf(const GreyImage& labels) {
  return std::string(reinterpret_cast<const char*>(labels.data()), labels.size());
}

GreyImage labelsOf(int width, int height, std::vector<std::uint8_t> values) {
  GreyImage labels(width, height);
  std::copy(values.begin(), values.end(), labels.data());
  return labels;
}

struct MaskCase {
  const char* name;
  GreyImage labels;
  int masks;
  friend void PrintTo(const MaskCase& c, std::ostream* out) { *out << c.name; }
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
              pipeline_testing::maskBytes(c.labels.width(), c.labels.height(), rasterOf(c.labels), region))
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

// A 12-megapixel label file (odd size, so the masks are written in pieces
// that do not divide the image) with regions that cross every piece's edge.
TEST(RegionMasksOfALargeImage, AreExactMasks) {
  const int width = 4001, height = 3001;
  GreyImage labels(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) labels[y][x] = static_cast<std::uint8_t>(((x / 700) + (y / 900) * 3 + (x * y) % 7 / 6) % 6);
  }
  TempDir dir;
  fs::create_directory(dir / "segmentationMasks");
  pipeline::writeRegionMasks(labels, dir.path().string() + "/", "big.jpg");
  const std::string raster = rasterOf(labels);
  for (int region = 0; region < 6; ++region) {
    const std::string path = dir / ("segmentationMasks/RegionMask.big.jpg." + std::to_string(region) + ".pgm");
    ASSERT_TRUE(readFile(path) == pipeline_testing::maskBytes(width, height, raster, region)) << "region " << region;
    fs::remove(path);
  }
  EXPECT_TRUE(fs::is_empty(dir / "segmentationMasks"));
}

TEST(WriteMask, WritesTheLowEightBitsOfEachValue) {
  TempDir dir;
  imaging::IntMap mask(4, 1);
  const std::int32_t values[] = {255, 256, -1, 0x1fe};
  std::copy(values, values + 4, mask.data());
  pipeline::writeMask(dir / "m.pgm", mask);
  EXPECT_EQ(readFile(dir / "m.pgm"), "P5\n# Created by qlix\n4 1\n255\n" + std::string("\xff\x00\xff\xfe", 4));
}

}  // namespace
