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

// Pixels are taken in groups of kLanes along a row; every lane keeps its own
// running sums, so the work of a group runs side by side.
constexpr int kLanes = 8;

// Running sums of R_n(rho) e^(-i m theta) over a region's pixels, per lane.
struct Sums {
  double re[kRadialOrders][kAngularOrders][kLanes] = {};
  double im[kRadialOrders][kAngularOrders][kLanes] = {};
};

// Adds `count` (at most kLanes) pixels of row y, from column x0 on, of the
// region with centre c; rho = distance / radius. e^(-i theta) =
// (dx - i dy) / distance, and its powers follow by repeated multiplication;
// the radial functions are 1, 2 cos(pi rho) and 2 cos(2 pi rho).
void addPixels(Sums& sums, int x0, int y, int count, const Centre& centre) {
  const double dy = y - centre.y;
  double radial0[kLanes] = {};
  double radial1[kLanes] = {};
  double radial2[kLanes] = {};
  double stepRe[kLanes] = {};
  double stepIm[kLanes] = {};
  for (int lane = 0; lane < count; ++lane) {
    const double dx = (x0 + lane) - centre.x;
    const double distance = std::sqrt(dx * dx + dy * dy);
    const double c = std::cos(std::numbers::pi * (distance / centre.radius));
    radial0[lane] = 1.0;
    radial1[lane] = 2.0 * c;
    radial2[lane] = 2.0 * (2.0 * c * c - 1.0);
    // At the centre the angle is undefined; averaged over the pixel the m >= 1
    // basis functions vanish, which a zero step gives.
    if (distance != 0.0) {
      stepRe[lane] = dx / distance;
      stepIm[lane] = -dy / distance;
    }
  }
  for (int lane = 0; lane < kLanes; ++lane) {
    sums.re[0][0][lane] += radial0[lane];
    sums.re[1][0][lane] += radial1[lane];
    sums.re[2][0][lane] += radial2[lane];
  }
  // powerRe + i powerIm = e^(-i m theta), starting at m = 1.
  double powerRe[kLanes];
  double powerIm[kLanes];
  for (int lane = 0; lane < kLanes; ++lane) {
    powerRe[lane] = stepRe[lane];
    powerIm[lane] = stepIm[lane];
  }
  for (int m = 1; m < kAngularOrders; ++m) {
    for (int lane = 0; lane < kLanes; ++lane) {
      sums.re[0][m][lane] += radial0[lane] * powerRe[lane];
      sums.im[0][m][lane] += radial0[lane] * powerIm[lane];
      sums.re[1][m][lane] += radial1[lane] * powerRe[lane];
      sums.im[1][m][lane] += radial1[lane] * powerIm[lane];
      sums.re[2][m][lane] += radial2[lane] * powerRe[lane];
      sums.im[2][m][lane] += radial2[lane] * powerIm[lane];
      const double re = powerRe[lane] * stepRe[lane] - powerIm[lane] * stepIm[lane];
      powerIm[lane] = powerRe[lane] * stepIm[lane] + powerIm[lane] * stepRe[lane];
      powerRe[lane] = re;
    }
  }
}

}  // namespace

std::vector<ShapeMagnitudes> shapeMagnitudes(const imaging::GreyImage& labels, const std::vector<Region>& regions) {
  const std::vector<Centre> centres = centresOf(labels, regions);
  std::vector<Sums> sums(regions.size());
  for (int y = 0; y < labels.height(); ++y) {
    const std::uint8_t* label = labels[y];
    for (int start = 0; start < labels.width();) {
      int end = start + 1;
      while (end < labels.width() && label[end] == label[start]) ++end;
      for (int x = start; x < end; x += kLanes)
        addPixels(sums[label[start]], x, y, std::min(kLanes, end - x), centres[label[start]]);
      start = end;
    }
  }
  std::vector<ShapeMagnitudes> magnitudes(regions.size(), ShapeMagnitudes{});
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    const double count = static_cast<double>(regions[j].pixels);
    for (std::size_t n = 0; n < kRadialOrders; ++n)
      for (std::size_t m = 0; m < kAngularOrders; ++m) {
        double re = 0.0;
        double im = 0.0;
        for (int lane = 0; lane < kLanes; ++lane) {
          re += sums[j].re[n][m][lane];
          im += sums[j].im[n][m][lane];
        }
        magnitudes[j][n][m] = std::hypot(re, im) / count;
      }
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
