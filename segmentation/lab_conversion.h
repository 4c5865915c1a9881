#pragma once
// Integer L*a*b*: every colour decision of the segmenter is made on these
// triples. L* is 0..100, a* and b* are -80..120, each truncated toward zero
// and then clamped.

#include <cstdint>

#include "imaging/buffers.h"

namespace segmentation {

struct Lab {
  int l = 0;
  int a = 0;
  int b = 0;
  bool operator==(const Lab&) const = default;
};

// The defining computation for one colour: linear RGB to XYZ, each
// coordinate over its white point raised to 0.3333333333333333 with pow,
// then L* = 116 fY - 16, a* = 500 (fX - fY), b* = 200 (fY - fZ). Every
// conversion to an integer truncates toward zero before clamping.
Lab labOf(int red, int green, int blue);

// Converts a whole image. Gives exactly labOf for every pixel, but computes
// the cube roots in a fast way and falls back to labOf only for the few
// colours whose result lies too close to an integer for the fast values to
// decide the truncation.
imaging::TripleImage convertToLab(const imaging::ColourImage& rgb);

// The same into an image of the input's size, without allocating.
void convertToLab(const imaging::ColourImage& rgb, imaging::TripleImage& lab);

// The same values stored in bytes with 80 added (L* 80..180, a* and b*
// 0..200): a quarter of the memory for full-resolution images, and each
// byte is directly the index of a 201-bin histogram.
inline constexpr int kLabByteOffset = 80;
imaging::ColourImage convertToLabBytes(const imaging::ColourImage& rgb);
// The same, overwriting the colour image: no second full-size image.
void convertToLabBytesInPlace(imaging::ColourImage& image);

// One row of such a byte image, channel by channel.
struct LabByteRow {
  const std::uint8_t* l;
  const std::uint8_t* a;
  const std::uint8_t* b;
};
inline LabByteRow labByteRow(const imaging::ColourImage& labBytes, int row) {
  return {labBytes[0][row], labBytes[1][row], labBytes[2][row]};
}

// One row of `count` pixels; exposed for the benchmarks and tests. Output
// values are offset by `offset` (0 or kLabByteOffset). The output rows may
// be the input rows.
template <typename Out>
void convertRowToLab(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, int count,
                     Out* l, Out* a, Out* b, int offset);

}  // namespace segmentation
