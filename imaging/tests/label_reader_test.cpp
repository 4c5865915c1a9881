#include "imaging/label_reader.h"

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "testing/test_files.h"

namespace {

using platform::Failure;
using imaging::GreyImage;
using platform::Stream;
using testing_support::TempDir;
using testing_support::writeFile;

std::string raster(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(i % 7));
  return bytes;
}

struct HeaderCase {
  const char* name;
  std::string header;
  int width;
  int height;
  friend void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }
};

class LabelHeader : public ::testing::TestWithParam<HeaderCase> {};

// The raster follows the header directly; with the sizes read as expected the
// pixels come out as written.
TEST_P(LabelHeader, ReadsSizeAndRaster) {
  const HeaderCase& c = GetParam();
  TempDir dir;
  writeFile(dir / "a.seg", c.header + raster(c.width * c.height) + "trailing bytes");
  const GreyImage labels = imaging::readLabelFile(dir / "a.seg");
  ASSERT_EQ(labels.width(), c.width);
  ASSERT_EQ(labels.height(), c.height);
  const std::string expected = raster(c.width * c.height);
  for (int i = 0; i < c.width * c.height; ++i) ASSERT_EQ(labels.data()[i], expected[i]) << "pixel " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Variants, LabelHeader,
    ::testing::Values(HeaderCase{"written", "P5\n# Created by qlix\n4 3\n255\n", 4, 3},
                      HeaderCase{"carriageReturns", "P5\r\n# Created by qlix\r\n4 3\r\n255\r\n", 4, 3},
                      HeaderCase{"commentBetweenSizes", "P5\n4\n# height follows\n3\n255\n", 4, 3},
                      HeaderCase{"digitsThenText", "P5\n4px 3rows\n255\n", 4, 3},
                      // Every separator ends a token: two blanks give an empty
                      // height, an empty line an empty width, and the raster
                      // starts after what was meant as a size.
                      HeaderCase{"twoBlanks", "P5\n4  3\n", 4, 0},
                      HeaderCase{"emptyLine", "P5\n\n4 3\n", 0, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LabelReader, FailsWithTheOpeningMessageOnMissingOrTruncatedFiles) {
  TempDir dir;
  writeFile(dir / "truncated.seg", "P5\n3 2");
  writeFile(dir / "openComment.seg", "P5\n3 2\n# no end");
  writeFile(dir / "longToken.seg", "P5\n12345678901234567890 2\n255\n");
  for (const char* name : {"missing.seg", "truncated.seg", "openComment.seg", "longToken.seg"}) {
    const std::string path = dir / name;
    try {
      imaging::readLabelFile(path);
      ADD_FAILURE() << name << " was read";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.stream(), Stream::Output);
      EXPECT_STREQ(failure.what(), ("failure in opening file " + path + "\n").c_str());
    }
  }
}

TEST(LabelReader, RefusesHeadersThatLieBeforeAllocating) {
  TempDir dir;
  const std::pair<const char*, std::string> files[] = {
      {"negative.seg", "P5\n-3 2\n255\n"},
      {"huge.seg", "P5\n99999999999 99999999999\n255\n"},
      {"shortRaster.seg", std::string("P5\n3 2\n255\n") + '\1' + '\2'},
      {"hugeClaimInATinyFile.seg", "P5\n2553225 25\n255\n"},
      {"magicP6.seg", "P6\n1 1\n255\nx"},
      {"magicJunk.seg", "PX\n1 1\n255\nx"},
      {"maxValueZero.seg", "P5\n1 1\n0\nx"},
      {"twoByteSamples.seg", "P5\n1 1\n65535\nxx"},
  };
  for (const auto& [name, bytes] : files) writeFile(dir / name, bytes);
  for (const auto& [name, bytes] : files) {
    try {
      imaging::readLabelFile(dir / name);
      ADD_FAILURE() << name << " was read";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.stream(), Stream::Error) << failure.what();
    }
  }
}

TEST(RegionCount, IsLargestValuePlusOne) {
  struct Case {
    std::vector<std::uint8_t> values;
    int count;
  };
  const Case cases[] = {{{0, 0, 0, 0}, 1}, {{1, 2, 5, 1}, 6}, {{0, 255, 3, 0}, 256}, {{}, 1}};
  for (const Case& c : cases) {
    GreyImage labels(static_cast<int>(c.values.size()), c.values.empty() ? 0 : 1);
    std::copy(c.values.begin(), c.values.end(), labels.data());
    EXPECT_EQ(imaging::regionCount(labels), c.count);
  }
}

}  // namespace
