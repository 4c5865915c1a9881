#include "imaging/pnm.h"

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "testing/test_files.h"

namespace {

using imaging::ColourImage;
using platform::Failure;
using imaging::GreyImage;
using platform::Stream;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

std::string raster(int width, int height, int seed = 0) {
  std::string bytes;
  for (int i = 0; i < width * height * 3; ++i) bytes.push_back(static_cast<char>((i * 7 + seed) & 0xff));
  return bytes;
}

struct HeaderCase {
  const char* name;
  std::string header;
  int width;
  int height;
};

// Cases print as their names in test listings.
void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class ColourHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ColourHeaderTest, ReadsSizeAndStartsRasterAfterHeader) {
  const HeaderCase& c = GetParam();
  TempDir dir;
  writeFile(dir / "a.ppm", c.header + raster(c.width, c.height));
  ColourImage image = imaging::readColourImage(dir / "a.ppm");
  ASSERT_EQ(image.width(), c.width);
  ASSERT_EQ(image.height(), c.height);
  const std::string expected = raster(c.width, c.height);
  for (int row = 0; row < c.height; ++row)
    for (int column = 0; column < c.width; ++column)
      for (int channel = 0; channel < 3; ++channel)
        ASSERT_EQ(image[channel][row][column],
                  static_cast<std::uint8_t>(expected[(row * c.width + column) * 3 + channel]));
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ColourHeaderTest,
    ::testing::Values(HeaderCase{"plain", "P6\n4 3\n255\n", 4, 3},
                      HeaderCase{"labelStyle", "P6\n# Created by qlix\n5 2\n255\n", 5, 2},
                      HeaderCase{"commentBetweenSizes", "P6\n3\n# height follows\n2\n255\n", 3, 2},
                      HeaderCase{"blanks", "P6 2 2 255\n", 2, 2},
                      HeaderCase{"blankLinesBeforeTokens", "P6\n\n\n2\n\n2\n255\n", 2, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColourImageReader, ScalesTwoByteSamples) {
  TempDir dir;
  // One pixel: 0, 65535 and 32768 of 65535.
  writeFile(dir / "a.ppm", std::string("P6\n1 1\n65535\n") + std::string("\x00\x00\xff\xff\x80\x00", 6));
  ColourImage image = imaging::readColourImage(dir / "a.ppm");
  EXPECT_EQ(image[0][0][0], 0);
  EXPECT_EQ(image[1][0][0], 255);
  EXPECT_EQ(image[2][0][0], 128);
}

TEST(ColourImageReader, CutsTheMargin) {
  TempDir dir;
  writeFile(dir / "a.ppm", "P6\n6 5\n255\n" + raster(6, 5));
  ColourImage full = imaging::readColourImage(dir / "a.ppm");
  ColourImage cut = imaging::readColourImage(dir / "a.ppm", 2);
  ASSERT_EQ(cut.width(), 2);
  ASSERT_EQ(cut.height(), 1);
  for (int channel = 0; channel < 3; ++channel) {
    EXPECT_EQ(cut[channel][0][0], full[channel][2][2]);
    EXPECT_EQ(cut[channel][0][1], full[channel][2][3]);
  }
}

struct RefusedCase {
  const char* name;
  std::string bytes;
  int margin;
};

// Cases print as their names in test listings.
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedImageTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedImageTest, StopsWithOneLineOnStandardError) {
  TempDir dir;
  writeFile(dir / "a.ppm", GetParam().bytes);
  try {
    imaging::readColourImage(dir / "a.ppm", GetParam().margin);
    FAIL() << "the image was accepted";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.stream(), Stream::Error);
    const std::string text = failure.what();
    EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, RefusedImageTest,
    ::testing::Values(RefusedCase{"emptyFile", "", 0}, RefusedCase{"endsInHeader", "P6\n4 3\n", 0},
                      RefusedCase{"endsInComment", "P6\n4 # size", 0},
                      RefusedCase{"twoBlanksGiveZeroHeight", "P6\n4  3\n255\n" + std::string(36, 'x'), 0},
                      RefusedCase{"nonNumericWidth", "P6\nabc 3\n255\n", 0},
                      RefusedCase{"negativeHeight", "P6\n4 -3\n255\n", 0},
                      RefusedCase{"hugeSize", "P6\n100000 100000\n255\n", 0},
                      RefusedCase{"overlongToken", "P6\n00000000000000000004 3\n255\n", 0},
                      RefusedCase{"marginHalfTheHeight", "P6\n10 4\n255\n" + std::string(120, 'x'), 2},
                      RefusedCase{"marginHalfTheWidth", "P6\n4 10\n255\n" + std::string(120, 'x'), 2},
                      RefusedCase{"missingLastRow", "P6\n3 2\n255\n" + std::string(9, 'x'), 0},
                      RefusedCase{"oneByteShort", "P6\n3 2\n255\n" + std::string(17, 'x'), 0},
                      RefusedCase{"twoByteSamplesShort", "P6\n3 2\n65535\n" + std::string(18, 'x'), 0},
                      RefusedCase{"hugeClaimInATinyFile", "P6\n2553225 25\n255\n", 0},
                      RefusedCase{"magicP3", "P3\n1 1\n255\n1 2 3\n", 0},
                      RefusedCase{"magicP5", "P5\n1 1\n255\nxxx", 0},
                      RefusedCase{"magicJunk", "JUNK\n1 1\n255\nxxx", 0},
                      RefusedCase{"maxValueZero", "P6\n1 1\n0\nxxx", 0},
                      RefusedCase{"maxValueAbove65535", "P6\n1 1\n65536\nxxxxxx", 0},
                      RefusedCase{"maxValueMissing", "P6\n1 1\n\nxxx", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColourImageReader, MissingFileGivesTheFixedMessage) {
  TempDir dir;
  try {
    imaging::readColourImage(dir / "none.ppm");
    FAIL();
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.stream(), Stream::Output);
    EXPECT_EQ(std::string(failure.what()), "failure in opening file " + (dir / "none.ppm") + "\n");
  }
}

TEST(GreyImageWriter, WritesHeaderAndRasterWithAndWithoutFrame) {
  TempDir dir;
  GreyImage image(3, 2);
  for (int i = 0; i < 6; ++i) image.data()[i] = static_cast<std::uint8_t>(i);
  imaging::writeGreyImage(dir / "plain.pgm", image);
  EXPECT_EQ(readFile(dir / "plain.pgm"), std::string("P5\n# Created by qlix\n3 2\n255\n") + std::string("\0\1\2\3\4\5", 6));

  imaging::writeGreyImage(dir / "zero.pgm", image, 0);
  EXPECT_EQ(readFile(dir / "zero.pgm"), readFile(dir / "plain.pgm"));

  GreyImage large(100, 80, 7);
  imaging::writeGreyImage(dir / "framed.pgm", large, 2);
  const std::string framed = readFile(dir / "framed.pgm");
  const std::string header = "P5\n# Created by qlix\n104 84\n255\n";
  ASSERT_EQ(framed.size(), header.size() + 104 * 84);
  EXPECT_EQ(framed.substr(0, header.size()), header);
  for (int row = 0; row < 84; ++row)
    for (int column = 0; column < 104; ++column) {
      const bool border = row < 2 || row >= 82 || column < 2 || column >= 102;
      ASSERT_EQ(static_cast<std::uint8_t>(framed[header.size() + row * 104 + column]), border ? 255 : 7);
    }
}

TEST(GreyImageWriter, UnwritablePathGivesTheFixedMessage) {
  TempDir dir;
  try {
    imaging::writeGreyImage(dir / "missing/a.pgm", GreyImage(1, 1));
    FAIL();
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.what()), "failure in opening file " + (dir / "missing/a.pgm") + "\n");
  }
}

}  // namespace
