#pragma once
// Forward discrete Fourier transform of a fixed 128 x 128 grid, unnormalised:
// F(u, v) = sum_y sum_x f(x, y) e^(-2 pi i (u x + v y) / 128).

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

  // Transforms the grid in place: grid[y * 128 + x] becomes F(u = x, v = y).
  // Rows flagged false in `rowUsed` must be all zero; their transform is
  // skipped because it is zero too.
  void transform2d(std::vector<Complex>& grid, const std::array<bool, kSize>& rowUsed) const;

 private:
  std::array<Complex, kSize / 2> twiddles_;  // e^(-2 pi i k / 128)
  std::array<int, kSize> reversed_;          // bit-reversed index
};

}  // namespace descriptors
