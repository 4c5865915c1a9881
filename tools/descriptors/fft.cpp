#include "tools/descriptors/fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace descriptors {
namespace {

constexpr int kN = Fft128::kSize;
// Columns 0..64 of a real grid's row spectra; the others are their mirror images.
constexpr int kHalfColumns = kN / 2 + 1;

// Iterative radix-2 over `lanes` sequences stored side by side: element i of
// lane u is data[i * lanes + u]. Bit-reversal permutation, then seven
// butterfly stages. One sequence is lanes = 1; the column transforms of the
// power spectrum run all columns at once, so the inner loop walks memory in
// order.
template <int lanes>
void butterflies(Complex* data, const std::array<Complex, kN / 2>& twiddles, const std::array<int, kN>& reversed) {
  for (int i = 0; i < kN; ++i) {
    const int j = reversed[static_cast<std::size_t>(i)];
    if (i < j)
      for (int u = 0; u < lanes; ++u) std::swap(data[i * lanes + u], data[j * lanes + u]);
  }
  for (int length = 2; length <= kN; length *= 2) {
    const int half = length / 2;
    const int step = kN / length;
    for (int start = 0; start < kN; start += length) {
      for (int k = 0; k < half; ++k) {
        const Complex w = twiddles[static_cast<std::size_t>(k * step)];
        Complex* a = data + (start + k) * lanes;
        Complex* b = data + (start + k + half) * lanes;
        for (int u = 0; u < lanes; ++u) {
          const double tr = b[u].re * w.re - b[u].im * w.im;
          const double ti = b[u].re * w.im + b[u].im * w.re;
          b[u].re = a[u].re - tr;
          b[u].im = a[u].im - ti;
          a[u].re += tr;
          a[u].im += ti;
        }
      }
    }
  }
}

}  // namespace

Fft128::Fft128() : rows_(static_cast<std::size_t>(kN * kHalfColumns)) {
  for (int k = 0; k < kN / 2; ++k) {
    const double angle = -2.0 * std::numbers::pi * k / kN;
    twiddles_[static_cast<std::size_t>(k)] = Complex{std::cos(angle), std::sin(angle)};
  }
  for (int i = 0; i < kN; ++i) {
    int r = 0;
    for (int bit = 0; bit < 7; ++bit)
      if (i & (1 << bit)) r |= 1 << (6 - bit);
    reversed_[static_cast<std::size_t>(i)] = r;
  }
}

void Fft128::transform(Complex* data) const { butterflies<1>(data, twiddles_, reversed_); }

// The grid is real, so two rows go through one complex transform (one as the
// real, one as the imaginary part) and are separated afterwards; and
// F(128 - u, 128 - v) is the conjugate of F(u, v), so only columns 0..64 are
// transformed and the rest of the power spectrum is mirrored.
void Fft128::addPowerSpectrum(const std::vector<double>& grid, const std::array<bool, kN>& rowUsed,
                              std::vector<double>& power) {
  std::vector<Complex>& rows = rows_;  // [y][u], u <= 64
  std::array<int, kN> used{};
  int usedCount = 0;
  for (int y = 0; y < kN; ++y) {
    if (rowUsed[static_cast<std::size_t>(y)])
      used[static_cast<std::size_t>(usedCount++)] = y;
    else
      std::fill(rows.begin() + y * kHalfColumns, rows.begin() + (y + 1) * kHalfColumns, Complex{});
  }

  std::array<Complex, kN> z;
  for (int i = 0; i < usedCount; i += 2) {
    const int a = used[static_cast<std::size_t>(i)];
    const int b = i + 1 < usedCount ? used[static_cast<std::size_t>(i + 1)] : -1;
    const double* rowA = grid.data() + a * kN;
    for (int x = 0; x < kN; ++x) z[static_cast<std::size_t>(x)] = Complex{rowA[x], 0.0};
    if (b >= 0) {
      const double* rowB = grid.data() + b * kN;
      for (int x = 0; x < kN; ++x) z[static_cast<std::size_t>(x)].im = rowB[x];
    }
    transform(z.data());
    // A(k) = (Z(k) + conj Z(-k)) / 2 and B(k) = (Z(k) - conj Z(-k)) / 2i.
    Complex* outA = rows.data() + a * kHalfColumns;
    Complex* outB = b >= 0 ? rows.data() + b * kHalfColumns : nullptr;
    for (int k = 0; k < kHalfColumns; ++k) {
      const Complex p = z[static_cast<std::size_t>(k)];
      const Complex q = z[static_cast<std::size_t>((kN - k) % kN)];
      outA[k] = Complex{0.5 * (p.re + q.re), 0.5 * (p.im - q.im)};
      if (outB != nullptr) outB[k] = Complex{0.5 * (p.im + q.im), -0.5 * (p.re - q.re)};
    }
  }

  // Column transforms, on whole rows at a time.
  Complex* cells = rows.data();
  butterflies<kHalfColumns>(cells, twiddles_, reversed_);

  for (int v = 0; v < kN; ++v) {
    const Complex* spectrum = cells + v * kHalfColumns;
    double* out = power.data() + v * kN;
    double* mirror = power.data() + ((kN - v) % kN) * kN;
    for (int u = 0; u < kHalfColumns; ++u) {
      const double p = spectrum[u].re * spectrum[u].re + spectrum[u].im * spectrum[u].im;
      out[u] += p;
      if (u > 0 && u < kN / 2) mirror[kN - u] += p;
    }
  }
}

}  // namespace descriptors
