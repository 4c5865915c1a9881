#pragma once
// Discrete Fourier transforms of the fixed length 128, unnormalised:
// F(u) = sum_x f(x) e^(-2 pi i u x / 128), and the power spectrum of a real
// 128 x 128 grid.

#include <array>
#include <vector>

namespace descriptors {

struct Complex {
  double re = 0.0;
  double im = 0.0;
};

class Fft128 {
 public:
  static constexpr int kSize = 128;
  static constexpr int kCells = kSize * kSize;

  Fft128();

  // Transforms one sequence of 128 values in place.
  void transform(Complex* data) const;

  // Adds |F(u, v)|^2 of the real grid f (f[y * 128 + x]) to power[v * 128 + u].
  // Rows flagged false in `rowUsed` count as zero and are not read.
  void addPowerSpectrum(const std::vector<double>& grid, const std::array<bool, kSize>& rowUsed,
                        std::vector<double>& power);

 private:
  std::array<Complex, kSize / 2> twiddles_;  // e^(-2 pi i k / 128)
  std::array<int, kSize> reversed_;          // bit-reversed index
  std::vector<Complex> rows_;                // the row spectra, columns 0..64, kept between calls
};

}  // namespace descriptors
