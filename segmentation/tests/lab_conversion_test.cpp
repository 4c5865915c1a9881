#include "segmentation/lab_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/failure.h"

namespace segmentation {
namespace {

struct ColourCase {
  int red, green, blue;
  Lab expected;
};

// Cases print readably in test listings.
void PrintTo(const ColourCase& c, std::ostream* os) { *os << "rgb " << c.red << " " << c.green << " " << c.blue; }

class KnownColours : public ::testing::TestWithParam<ColourCase> {};

// Black comes from L* = -16, pure green and blue from a* = -86.18 and
// b* = -107.86: the clamps are exercised as well as the plain power near black
// and the absence of a gamma curve (grey 128 gives 76, not 53).
INSTANTIATE_TEST_SUITE_P(Table, KnownColours,
                         ::testing::Values(ColourCase{0, 0, 0, {0, 0, 0}}, ColourCase{255, 255, 255, {100, 0, 0}},
                                           ColourCase{128, 128, 128, {76, 0, 0}}, ColourCase{1, 1, 1, {2, 0, 0}},
                                           ColourCase{255, 0, 0, {53, 80, 67}}, ColourCase{0, 255, 0, {87, -80, 83}},
                                           ColourCase{0, 0, 255, {32, 79, -80}}, ColourCase{255, 255, 0, {97, -21, 94}},
                                           ColourCase{255, 0, 255, {60, 98, -60}}));

TEST_P(KnownColours, DefiningComputationAndImageConversionAgree) {
  const ColourCase& c = GetParam();
  EXPECT_EQ(labOf(c.red, c.green, c.blue), c.expected);

  imaging::ColourImage pixel(1, 1);
  pixel[0][0][0] = static_cast<std::uint8_t>(c.red);
  pixel[1][0][0] = static_cast<std::uint8_t>(c.green);
  pixel[2][0][0] = static_cast<std::uint8_t>(c.blue);
  const imaging::TripleImage lab = convertToLab(pixel);
  EXPECT_EQ((Lab{lab[0][0][0], lab[1][0][0], lab[2][0][0]}), c.expected);
  const imaging::ColourImage bytes = convertToLabBytes(pixel);
  EXPECT_EQ((Lab{bytes[0][0][0] - kLabByteOffset, bytes[1][0][0] - kLabByteOffset, bytes[2][0][0] - kLabByteOffset}),
            c.expected);
}

// The image conversion takes a faster road to the cube roots; it must give
// the defining integers for every one of the 2^24 colours, including those
// whose L*, a* or b* lies within a hair of an integer.
TEST(LabConversion, FastConversionMatchesDefinitionForEveryColour) {
  std::vector<std::uint8_t> red(256), green(256), blue(256);
  std::vector<std::int32_t> l(256), a(256), b(256);
  std::vector<std::uint8_t> lb(256), ab(256), bb(256);
  int mismatches = 0;
  for (int r = 0; r < 256; ++r) {
    for (int g = 0; g < 256; ++g) {
      for (int k = 0; k < 256; ++k) {
        red[k] = static_cast<std::uint8_t>(r);
        green[k] = static_cast<std::uint8_t>(g);
        blue[k] = static_cast<std::uint8_t>(k);
      }
      convertRowToLab(red.data(), green.data(), blue.data(), 256, l.data(), a.data(), b.data(), 0);
      convertRowToLab(red.data(), green.data(), blue.data(), 256, lb.data(), ab.data(), bb.data(), kLabByteOffset);
      for (int k = 0; k < 256; ++k) {
        const Lab exact = labOf(r, g, k);
        const Lab fast{l[k], a[k], b[k]};
        const Lab fromBytes{lb[k] - kLabByteOffset, ab[k] - kLabByteOffset, bb[k] - kLabByteOffset};
        if (fast == exact && fromBytes == exact) continue;
        if (++mismatches <= 5)
          ADD_FAILURE() << "colour " << r << ", " << g << ", " << k << ": expected " << exact.l << ", " << exact.a
                        << ", " << exact.b << "; got " << fast.l << ", " << fast.a << ", " << fast.b;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(LabConversion, RowsLongerThanOneInternalChunkAreConvertedWhole) {
  // 1000 pixels per row crosses the converter's chunk boundaries unevenly.
  imaging::ColourImage image(1000, 3);
  for (int channel = 0; channel < 3; ++channel)
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 1000; ++column)
        image[channel][row][column] = static_cast<std::uint8_t>((column * (channel + 3) + row * 17) % 256);
  const imaging::TripleImage lab = convertToLab(image);
  imaging::TripleImage into(1000, 3);
  convertToLab(image, into);
  EXPECT_EQ(into, lab);
  imaging::ColourImage overwritten = image;
  convertToLabBytesInPlace(overwritten);
  EXPECT_EQ(overwritten, convertToLabBytes(image));
  imaging::TripleImage wrongSize(999, 3);
  EXPECT_THROW(convertToLab(image, wrongSize), platform::Failure);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 1000; ++column) {
      const Lab exact = labOf(image[0][row][column], image[1][row][column], image[2][row][column]);
      ASSERT_EQ((Lab{lab[0][row][column], lab[1][row][column], lab[2][row][column]}), exact)
          << "row " << row << ", column " << column;
    }
}

}  // namespace
}  // namespace segmentation
