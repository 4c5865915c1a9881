#include "segmentation/lab_conversion.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "platform/failure.h"

// On x86-64 the row conversion is also built for AVX2 and chosen at run
// time. Every step is element-wise IEEE arithmetic without fused
// multiply-add, so both builds give the same values.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(_WIN32)  // clones need ELF ifuncs
#define LAB_CONVERSION_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define LAB_CONVERSION_CLONES
#endif

namespace segmentation {
namespace {

constexpr double kCubeRootExponent = 0.3333333333333333;

constexpr int kLMin = 0, kLMax = 100;
constexpr int kChromaMin = -80, kChromaMax = 120;

int truncateAndClamp(double value, int low, int high) { return std::clamp(static_cast<int>(value), low, high); }

// Single-precision cube root for 0 < x <= 2: the exponent divided by three
// through the bit pattern (about 3 % off), then two Halley steps, each of
// which cubes the relative error. The result is within a few float ulps.
inline float approximateCubeRoot(float x) {
  const auto bits = std::bit_cast<std::int32_t>(x);
  // (127 - 127/3 - 0.033) x 2^23: puts the biased exponent at a third.
  constexpr float kBias = 709958130.0f;
  float t = std::bit_cast<float>(static_cast<std::int32_t>(static_cast<float>(bits) * (1.0f / 3.0f) + kBias));
  float cube = t * t * t;
  t = t * (cube + x + x) / (cube + cube + x);
  cube = t * t * t;
  t = t * (cube + x + x) / (cube + cube + x);
  return t;
}

// How far the single-precision L*, a*, b* may lie from the values the
// defining double computation gives. The worst error over all 2^24 colours
// is below 4e-4 (a* and b* scale the cube roots by 500 and 200); the margin
// keeps a factor of five in reserve. Every colour within the margin of an
// integer goes through labOf, so the result never depends on the
// approximation.
constexpr float kDecisionMargin = 2e-3f;

// The smallest coordinate fed to the fast cube root. Only black has a zero
// coordinate (every matrix entry is positive), and it has all three zero,
// so raising them alike leaves a* = b* = 0 and L* clamped to 0, as for 0.
constexpr float kSmallestCoordinate = 1e-6f;
inline float atLeastSmallest(float v) { return v > kSmallestCoordinate ? v : kSmallestCoordinate; }

// Each coordinate over 255 and over its white point in one factor.
constexpr float kScaleX = static_cast<float>(1 / (255 * 0.950456));
constexpr float kScaleY = static_cast<float>(1 / 255.0);
constexpr float kScaleZ = static_cast<float>(1 / (255 * 1.088754));

constexpr int kChunk = 256;

}  // namespace

Lab labOf(int red, int green, int blue) {
  const double x = (0.412453 * red + 0.35758 * green + 0.180423 * blue) / 255;
  const double y = (0.212671 * red + 0.71516 * green + 0.072169 * blue) / 255;
  const double z = (0.019334 * red + 0.119193 * green + 0.950227 * blue) / 255;
  const double fx = std::pow(x / 0.950456, kCubeRootExponent);
  const double fy = std::pow(y / 1.0, kCubeRootExponent);
  const double fz = std::pow(z / 1.088754, kCubeRootExponent);
  return Lab{truncateAndClamp(116 * fy - 16, kLMin, kLMax), truncateAndClamp(500 * (fx - fy), kChromaMin, kChromaMax),
             truncateAndClamp(200 * (fy - fz), kChromaMin, kChromaMax)};
}

template <typename Out>
LAB_CONVERSION_CLONES void convertRowToLab(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, int count,
                     Out* l, Out* a, Out* b, int offset) {
  for (int start = 0; start < count; start += kChunk) {
    const int n = std::min(kChunk, count - start);
    // The chunk's input is copied first, so the output may overwrite it.
    std::uint8_t r[kChunk], g[kChunk], bl[kChunk];
    std::copy(red + start, red + start + n, r);
    std::copy(green + start, green + start + n, g);
    std::copy(blue + start, blue + start + n, bl);

    // The unclamped L*, a*, b* in single precision. The steps are separate
    // loops over the chunk because each of them vectorises on its own.
    float fr[kChunk], fg[kChunk], fb[kChunk];
    for (int i = 0; i < n; ++i) fr[i] = r[i];
    for (int i = 0; i < n; ++i) fg[i] = g[i];
    for (int i = 0; i < n; ++i) fb[i] = bl[i];
    float x[kChunk], y[kChunk], z[kChunk];
    for (int i = 0; i < n; ++i) {
      x[i] = atLeastSmallest((0.412453f * fr[i] + 0.35758f * fg[i] + 0.180423f * fb[i]) * kScaleX);
      y[i] = atLeastSmallest((0.212671f * fr[i] + 0.71516f * fg[i] + 0.072169f * fb[i]) * kScaleY);
      z[i] = atLeastSmallest((0.019334f * fr[i] + 0.119193f * fg[i] + 0.950227f * fb[i]) * kScaleZ);
    }
    float valueL[kChunk], valueA[kChunk], valueB[kChunk];
    for (int i = 0; i < n; ++i) {
      const float fx = approximateCubeRoot(x[i]);
      const float fy = approximateCubeRoot(y[i]);
      const float fz = approximateCubeRoot(z[i]);
      valueL[i] = 116 * fy - 16;
      valueA[i] = 500 * (fx - fy);
      valueB[i] = 200 * (fy - fz);
    }

    // Truncate and clamp both ends of each value's error interval. Clamping
    // to integer bounds before truncating gives the same as after. Where the
    // two ends agree, that is the exact result; elsewhere labOf decides.
    std::int32_t li[kChunk], ai[kChunk], bi[kChunk];
    std::int32_t undecided[kChunk];
    for (int i = 0; i < n; ++i) {
      const auto low = [](float value, float lowest, float highest) {
        return static_cast<std::int32_t>(std::clamp(value - kDecisionMargin, lowest, highest));
      };
      const auto high = [](float value, float lowest, float highest) {
        return static_cast<std::int32_t>(std::clamp(value + kDecisionMargin, lowest, highest));
      };
      li[i] = low(valueL[i], kLMin, kLMax);
      ai[i] = low(valueA[i], kChromaMin, kChromaMax);
      bi[i] = low(valueB[i], kChromaMin, kChromaMax);
      undecided[i] = (li[i] != high(valueL[i], kLMin, kLMax)) | (ai[i] != high(valueA[i], kChromaMin, kChromaMax)) |
                     (bi[i] != high(valueB[i], kChromaMin, kChromaMax));
    }
    for (int i = 0; i < n; ++i) {
      if (!undecided[i]) continue;
      const Lab exact = labOf(r[i], g[i], bl[i]);
      li[i] = exact.l;
      ai[i] = exact.a;
      bi[i] = exact.b;
    }

    for (int i = 0; i < n; ++i) l[start + i] = static_cast<Out>(li[i] + offset);
    for (int i = 0; i < n; ++i) a[start + i] = static_cast<Out>(ai[i] + offset);
    for (int i = 0; i < n; ++i) b[start + i] = static_cast<Out>(bi[i] + offset);
  }
}

template void convertRowToLab<std::int32_t>(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*, int,
                                            std::int32_t*, std::int32_t*, std::int32_t*, int);
template void convertRowToLab<std::uint8_t>(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*, int,
                                            std::uint8_t*, std::uint8_t*, std::uint8_t*, int);

namespace {

template <typename Image>
void convertImage(const imaging::ColourImage& rgb, Image& lab, int offset) {
  for (int row = 0; row < rgb.height(); ++row)
    convertRowToLab(rgb[0][row], rgb[1][row], rgb[2][row], rgb.width(), lab[0][row], lab[1][row], lab[2][row],
                    offset);
}

}  // namespace

imaging::TripleImage convertToLab(const imaging::ColourImage& rgb) {
  imaging::TripleImage lab(rgb.width(), rgb.height());
  convertImage(rgb, lab, 0);
  return lab;
}

void convertToLab(const imaging::ColourImage& rgb, imaging::TripleImage& lab) {
  if (lab.width() != rgb.width() || lab.height() != rgb.height())
    platform::failStderrLine("convertToLab: the output image must have the input's size");
  convertImage(rgb, lab, 0);
}

imaging::ColourImage convertToLabBytes(const imaging::ColourImage& rgb) {
  imaging::ColourImage lab(rgb.width(), rgb.height());
  convertImage(rgb, lab, kLabByteOffset);
  return lab;
}

void convertToLabBytesInPlace(imaging::ColourImage& image) { convertImage(image, image, kLabByteOffset); }

}  // namespace segmentation
