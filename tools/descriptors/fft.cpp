#include "tools/descriptors/fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace descriptors {

Fft128::Fft128() {
  for (int k = 0; k < kSize / 2; ++k) {
    const double angle = -2.0 * std::numbers::pi * k / kSize;
    twiddles_[static_cast<std::size_t>(k)] = Complex{std::cos(angle), std::sin(angle)};
  }
  for (int i = 0; i < kSize; ++i) {
    int r = 0;
    for (int bit = 0; bit < 7; ++bit)
      if (i & (1 << bit)) r |= 1 << (6 - bit);
    reversed_[static_cast<std::size_t>(i)] = r;
  }
}

// Iterative radix-2: bit-reversal permutation, then seven butterfly stages.
void Fft128::transform(Complex* data) const {
  for (int i = 0; i < kSize; ++i) {
    const int j = reversed_[static_cast<std::size_t>(i)];
    if (i < j) std::swap(data[i], data[j]);
  }
  for (int length = 2; length <= kSize; length *= 2) {
    const int half = length / 2;
    const int step = kSize / length;
    for (int start = 0; start < kSize; start += length) {
      for (int k = 0; k < half; ++k) {
        const Complex w = twiddles_[static_cast<std::size_t>(k * step)];
        Complex& a = data[start + k];
        Complex& b = data[start + k + half];
        const double tr = b.re * w.re - b.im * w.im;
        const double ti = b.re * w.im + b.im * w.re;
        b.re = a.re - tr;
        b.im = a.im - ti;
        a.re += tr;
        a.im += ti;
      }
    }
  }
}

// Rows first, then the columns. The column pass runs the same butterflies on
// whole rows at a time, so its inner loops walk memory in order.
void Fft128::transform2d(std::vector<Complex>& grid, const std::array<bool, kSize>& rowUsed) const {
  Complex* cells = grid.data();
  for (int y = 0; y < kSize; ++y)
    if (rowUsed[static_cast<std::size_t>(y)]) transform(cells + y * kSize);

  for (int i = 0; i < kSize; ++i) {
    const int j = reversed_[static_cast<std::size_t>(i)];
    if (i < j)
      for (int x = 0; x < kSize; ++x) std::swap(cells[i * kSize + x], cells[j * kSize + x]);
  }
  for (int length = 2; length <= kSize; length *= 2) {
    const int half = length / 2;
    const int step = kSize / length;
    for (int start = 0; start < kSize; start += length) {
      for (int k = 0; k < half; ++k) {
        const Complex w = twiddles_[static_cast<std::size_t>(k * step)];
        Complex* a = cells + (start + k) * kSize;
        Complex* b = cells + (start + k + half) * kSize;
        for (int x = 0; x < kSize; ++x) {
          const double tr = b[x].re * w.re - b[x].im * w.im;
          const double ti = b[x].re * w.im + b[x].im * w.re;
          b[x].re = a[x].re - tr;
          b[x].im = a[x].im - ti;
          a[x].re += tr;
          a[x].im += ti;
        }
      }
    }
  }
}

}  // namespace descriptors
