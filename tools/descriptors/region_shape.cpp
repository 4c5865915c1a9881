#include "tools/descriptors/region_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace descriptors {
namespace {

struct Centre {
  double x = 0.0;
  double y = 0.0;
  double radius = 1.0;  // distance of the farthest pixel centre, 1 for a single pixel
};

// Centroid and radius of every region; the radius takes one pass over the image.
std::vector<Centre> centresOf(const imaging::GreyImage& labels, const std::vector<Region>& regions) {
  std::vector<Centre> centres(regions.size());
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    const double count = static_cast<double>(regions[j].pixels);
    centres[j].x = static_cast<double>(regions[j].sumX) / count;
    centres[j].y = static_cast<double>(regions[j].sumY) / count;
  }
  std::vector<double> squared(regions.size(), 0.0);
  for (int y = 0; y < labels.height(); ++y) {
    const std::uint8_t* label = labels[y];
    for (int x = 0; x < labels.width(); ++x) {
      const Centre& c = centres[label[x]];
      const double dx = x - c.x;
      const double dy = y - c.y;
      squared[label[x]] = std::max(squared[label[x]], dx * dx + dy * dy);
    }
  }
  for (std::size_t j = 0; j < regions.size(); ++j)
    if (squared[j] > 0.0) centres[j].radius = std::sqrt(squared[j]);
  return centres;
}

// Running sums of R_n(rho) e^(-i m theta) over a region's pixels.
struct Sums {
  std::array<std::array<double, kAngularOrders>, kRadialOrders> re{};
  std::array<std::array<double, kAngularOrders>, kRadialOrders> im{};
};

// Adds one pixel at offset (dx, dy) from the centre, where rho = distance / radius.
// e^(-i theta) = (dx - i dy) / distance, and its powers follow by repeated
// multiplication; the radial functions are 1, 2 cos(pi rho), 2 cos(2 pi rho).
void addPixel(Sums& sums, double dx, double dy, double radius) {
  const double distance = std::sqrt(dx * dx + dy * dy);
  const double c = std::cos(std::numbers::pi * (distance / radius));
  const std::array<double, kRadialOrders> radial{1.0, 2.0 * c, 2.0 * (2.0 * c * c - 1.0)};
  for (int n = 0; n < kRadialOrders; ++n) sums.re[static_cast<std::size_t>(n)][0] += radial[static_cast<std::size_t>(n)];
  // At the centre the angle is undefined; averaged over the pixel the m >= 1
  // basis functions vanish.
  if (distance == 0.0) return;
  const double stepRe = dx / distance;
  const double stepIm = -dy / distance;
  double powerRe = 1.0;
  double powerIm = 0.0;
  for (int m = 1; m < kAngularOrders; ++m) {
    const double re = powerRe * stepRe - powerIm * stepIm;
    powerIm = powerRe * stepIm + powerIm * stepRe;
    powerRe = re;
    for (int n = 0; n < kRadialOrders; ++n) {
      sums.re[static_cast<std::size_t>(n)][static_cast<std::size_t>(m)] += radial[static_cast<std::size_t>(n)] * powerRe;
      sums.im[static_cast<std::size_t>(n)][static_cast<std::size_t>(m)] += radial[static_cast<std::size_t>(n)] * powerIm;
    }
  }
}

}  // namespace

std::vector<ShapeMagnitudes> shapeMagnitudes(const imaging::GreyImage& labels, const std::vector<Region>& regions) {
  const std::vector<Centre> centres = centresOf(labels, regions);
  std::vector<Sums> sums(regions.size());
  for (int y = 0; y < labels.height(); ++y) {
    const std::uint8_t* label = labels[y];
    for (int x = 0; x < labels.width(); ++x) {
      const Centre& c = centres[label[x]];
      addPixel(sums[label[x]], x - c.x, y - c.y, c.radius);
    }
  }
  std::vector<ShapeMagnitudes> magnitudes(regions.size(), ShapeMagnitudes{});
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    const double count = static_cast<double>(regions[j].pixels);
    for (std::size_t n = 0; n < kRadialOrders; ++n)
      for (std::size_t m = 0; m < kAngularOrders; ++m)
        magnitudes[j][n][m] = std::hypot(sums[j].re[n][m], sums[j].im[n][m]) / count;
  }
  return magnitudes;
}

std::vector<Block> regionShape(const imaging::GreyImage& labels, const std::vector<Region>& regions) {
  const std::vector<ShapeMagnitudes> magnitudes = shapeMagnitudes(labels, regions);
  std::vector<Block> blocks(regions.size(), Block(kShapeValues, 0));
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    std::size_t index = 0;
    for (std::size_t m = 0; m < kAngularOrders; ++m)
      for (std::size_t n = 0; n < kRadialOrders; ++n) {
        if (m == 0 && n == 0) continue;
        const double level = std::floor(16.0 * std::sqrt(magnitudes[j][n][m]));
        blocks[j][index++] = std::min(15, static_cast<int>(level));
      }
  }
  return blocks;
}

}  // namespace descriptors
