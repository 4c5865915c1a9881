#include "tools/descriptors/region_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// On x86-64 the per-pixel loops are also built for AVX-512 and AVX2 and chosen at run
// time. They are element-wise IEEE arithmetic without fused multiply-add, so
// both builds give the same values.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define REGION_SHAPE_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define REGION_SHAPE_CLONES
#endif

namespace descriptors {
namespace {

struct Centre {
  double x = 0.0;
  double y = 0.0;
  double radius = 1.0;  // distance of the farthest pixel centre, 1 for a single pixel
};

// Centroid and radius of every region. Along a run of pixels dx^2 + dy^2 is
// largest at one of its two ends, so the radius takes one look per run.
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
    for (int start = 0; start < labels.width();) {
      const int end = runEnd(label, start, labels.width());
      const Centre& c = centres[label[start]];
      const double dy = y - c.y;
      for (const int x : {start, end - 1}) {
        const double dx = x - c.x;
        squared[label[start]] = std::max(squared[label[start]], dx * dx + dy * dy);
      }
      start = end;
    }
  }
  for (std::size_t j = 0; j < regions.size(); ++j)
    if (squared[j] > 0.0) centres[j].radius = std::sqrt(squared[j]);
  return centres;
}

// A region's sums are kept in kLanes partial sums: pixel x of a run that
// starts at column s goes to lane (x - s) % kLanes. The partial sums are
// added up at the end, lane 0 first. (The split fixes the rounding of the
// magnitudes, so it stays as it is.)
constexpr int kLanes = 8;

// Running sums of R_n(rho) e^(-i m theta) over a region's pixels, per lane.
struct Sums {
  double re[kRadialOrders][kAngularOrders][kLanes] = {};
  double im[kRadialOrders][kAngularOrders][kLanes] = {};
};

// The terms of up to kChunk pixels of one run, one array per quantity, with
// the columns past the run up to a whole number of lanes set to zero, which
// adds nothing to a sum.
constexpr int kChunk = 16 * kLanes;

struct Terms {
  double cosine[kChunk];   // cos(pi rho), pi rho before the cosine is taken
  double radial1[kChunk];  // 2 cos(pi rho)
  double radial2[kChunk];  // 2 cos(2 pi rho)
  double stepRe[kChunk];   // e^(-i theta)
  double stepIm[kChunk];
  double powerRe[kChunk];  // e^(-i m theta) for the order m at hand
  double powerIm[kChunk];
};

// rho = distance / radius; e^(-i theta) = (dx - i dy) / distance. At the
// centre the angle is undefined; averaged over the pixel the m >= 1 basis
// functions vanish, which a zero step gives.
REGION_SHAPE_CLONES
void distancesAndSteps(Terms& t, int x0, int count, double dy, const Centre& centre) {
  for (int i = 0; i < count; ++i) {
    const double dx = (x0 + i) - centre.x;
    const double distance = std::sqrt(dx * dx + dy * dy);
    t.cosine[i] = std::numbers::pi * (distance / centre.radius);
    // Divided by 1 at the centre, so that every pixel takes the same steps
    // and the loop is built for vectors; the quotient is not used there.
    const bool atCentre = distance == 0.0;
    const double divisor = atCentre ? 1.0 : distance;
    const double stepRe = dx / divisor;
    const double stepIm = -dy / divisor;
    t.stepRe[i] = atCentre ? 0.0 : stepRe;
    t.stepIm[i] = atCentre ? 0.0 : stepIm;
  }
}

REGION_SHAPE_CLONES
void radials(double* __restrict radial1, double* __restrict radial2, const double* __restrict cosine, int count) {
  for (int i = 0; i < count; ++i) {
    const double c = cosine[i];
    radial1[i] = 2.0 * c;
    radial2[i] = 2.0 * (2.0 * c * c - 1.0);
  }
}

// Order m's six sums: e^(-i m theta) and R_1, R_2 times it, into their
// lanes, in one pass. For m > 1 the power is first taken one further, by
// one complex multiplication in place; for m = 1 it is the step itself.
struct OrderLanes {
  double* re0;
  double* im0;
  double* re1;
  double* im1;
  double* re2;
  double* im2;
};

REGION_SHAPE_CLONES
void addOrder(const OrderLanes& lanes, Terms& t, bool first, int padded) {
  double re0[kLanes], im0[kLanes], re1[kLanes], im1[kLanes], re2[kLanes], im2[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    re0[l] = lanes.re0[l];
    im0[l] = lanes.im0[l];
    re1[l] = lanes.re1[l];
    im1[l] = lanes.im1[l];
    re2[l] = lanes.re2[l];
    im2[l] = lanes.im2[l];
  }
  double* __restrict powerRe = t.powerRe;
  double* __restrict powerIm = t.powerIm;
  const double* __restrict stepRe = t.stepRe;
  const double* __restrict stepIm = t.stepIm;
  const double* __restrict radial1 = t.radial1;
  const double* __restrict radial2 = t.radial2;
  for (int i = 0; i < padded; i += kLanes) {
    for (int l = 0; l < kLanes; ++l) {
      const int k = i + l;
      double re = stepRe[k];
      double im = stepIm[k];
      if (!first) {
        const double previousRe = powerRe[k];
        const double previousIm = powerIm[k];
        re = previousRe * stepRe[k] - previousIm * stepIm[k];
        im = previousRe * stepIm[k] + previousIm * stepRe[k];
      }
      powerRe[k] = re;
      powerIm[k] = im;
      re0[l] += re;
      im0[l] += im;
      re1[l] += radial1[k] * re;
      im1[l] += radial1[k] * im;
      re2[l] += radial2[k] * re;
      im2[l] += radial2[k] * im;
    }
  }
  for (int l = 0; l < kLanes; ++l) {
    lanes.re0[l] = re0[l];
    lanes.im0[l] = im0[l];
    lanes.re1[l] = re1[l];
    lanes.im1[l] = im1[l];
    lanes.re2[l] = re2[l];
    lanes.im2[l] = im2[l];
  }
}

// lanes[i % kLanes] += a[i], for i < padded.
REGION_SHAPE_CLONES
void addToLanes(double* __restrict lanes, const double* __restrict a, int padded) {
  double sum[kLanes];
  for (int l = 0; l < kLanes; ++l) sum[l] = lanes[l];
  for (int i = 0; i < padded; i += kLanes)
    for (int l = 0; l < kLanes; ++l) sum[l] += a[i + l];
  for (int l = 0; l < kLanes; ++l) lanes[l] = sum[l];
}

// Adds `count` (at most kChunk) pixels of row y, from column x0 on, of the
// region with centre c; x0 is a whole number of lanes from the run's start.
void addPixels(Sums& sums, Terms& t, int x0, int y, int count, const Centre& centre) {
  const int padded = (count + kLanes - 1) / kLanes * kLanes;
  distancesAndSteps(t, x0, count, y - centre.y, centre);
  for (int i = 0; i < count; ++i) t.cosine[i] = std::cos(t.cosine[i]);
  radials(t.radial1, t.radial2, t.cosine, count);
  for (int i = count; i < padded; ++i) t.radial1[i] = t.radial2[i] = t.stepRe[i] = t.stepIm[i] = 0.0;
  // R_0 = 1, so the m = 0 sum of n = 0 counts each lane's pixels. The counts
  // are whole numbers, so adding them at once gives the same sums.
  for (int l = 0; l < kLanes && l < count; ++l) sums.re[0][0][l] += (count - l + kLanes - 1) / kLanes;
  addToLanes(sums.re[1][0], t.radial1, padded);
  addToLanes(sums.re[2][0], t.radial2, padded);
  for (int m = 1; m < kAngularOrders; ++m) {
    const OrderLanes lanes{sums.re[0][m], sums.im[0][m], sums.re[1][m], sums.im[1][m], sums.re[2][m], sums.im[2][m]};
    addOrder(lanes, t, m == 1, padded);
  }
}

}  // namespace

std::vector<ShapeMagnitudes> shapeMagnitudes(const imaging::GreyImage& labels, const std::vector<Region>& regions) {
  const std::vector<Centre> centres = centresOf(labels, regions);
  std::vector<Sums> sums(regions.size());
  Terms terms;
  for (int y = 0; y < labels.height(); ++y) {
    const std::uint8_t* label = labels[y];
    for (int start = 0; start < labels.width();) {
      const int end = runEnd(label, start, labels.width());
      for (int x = start; x < end; x += kChunk)
        addPixels(sums[label[start]], terms, x, y, std::min(kChunk, end - x), centres[label[start]]);
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
