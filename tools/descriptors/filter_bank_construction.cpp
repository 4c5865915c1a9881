#include "tools/descriptors/filter_bank_construction.h"

#include <cmath>
#include <numbers>

namespace descriptors {
namespace {

constexpr int kHalf = kTextureGrid / 2;

// Full width at half maximum of a Gaussian with unit standard deviation.
const double kHalfMaximumWidth = 2.0 * std::sqrt(2.0 * std::log(2.0));

// Channel weights below this are left out of the sums.
constexpr double kSmallestWeight = 1e-30;

// x mod 180, never negative.
double reduceDegrees(double x) {
  double r = std::fmod(x, 180.0);
  if (r < 0.0) r += 180.0;
  return r;
}

}  // namespace

ComputedFilterBank computeTextureFilterBank() {
  ComputedFilterBank bank;
  bank.radius.resize(kTextureCells);
  std::vector<double> angle(kTextureCells);
  for (int v = 0; v < kTextureGrid; ++v) {
    const int vs = v < kHalf ? v : v - kTextureGrid;
    for (int u = 0; u < kTextureGrid; ++u) {
      const int us = u < kHalf ? u : u - kTextureGrid;
      const std::size_t cell = static_cast<std::size_t>(v * kTextureGrid + u);
      bank.radius[cell] = std::sqrt(static_cast<double>(us * us + vs * vs)) / kHalf;
      // A real image's spectrum is symmetric, so orientations are taken modulo 180 degrees.
      angle[cell] =
          reduceDegrees(std::atan2(static_cast<double>(vs), static_cast<double>(us)) * (180.0 / std::numbers::pi));
    }
  }
  const double angularSpread = 30.0 / kHalfMaximumWidth;
  for (int band = 0; band < kTextureBands; ++band) {
    const double centre = 0.75 / std::pow(2.0, band);
    const double radialSpread = (0.5 / std::pow(2.0, band)) / kHalfMaximumWidth;
    for (int orientation = 0; orientation < kTextureOrientations; ++orientation) {
      const double direction = 30.0 * orientation;
      const std::size_t channel = static_cast<std::size_t>(band * kTextureOrientations + orientation);
      std::vector<std::uint16_t>& cells = bank.cells[channel];
      std::vector<double>& weights = bank.weights[channel];
      double& weightSum = bank.weightSums[channel];
      for (std::size_t cell = 0; cell < static_cast<std::size_t>(kTextureCells); ++cell) {
        const double dt = reduceDegrees(angle[cell] - direction + 90.0) - 90.0;
        const double dr = bank.radius[cell] - centre;
        const double g =
            std::exp(-dr * dr / (2 * radialSpread * radialSpread) - dt * dt / (2 * angularSpread * angularSpread));
        const double weight = g * g;
        weightSum += weight;
        if (weight < kSmallestWeight) continue;
        cells.push_back(static_cast<std::uint16_t>(cell));
        weights.push_back(weight);
      }
    }
  }
  return bank;
}

}  // namespace descriptors
