#include "segmentation/texture_features.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace segmentation {

int mirrorIndex(int index, int size) {
  const int period = 2 * size;
  int folded = index % period;
  if (folded < 0) folded += period;
  return folded < size ? folded : period - 1 - folded;
}

namespace {

using FloatPlane = imaging::Plane<float>;

// Mirrored positions for every index from -reach to size - 1 + reach, so the
// filters read plain table entries instead of testing the edges.
class MirrorTable {
 public:
  MirrorTable(int size, int reach) : reach_(reach), positions_(static_cast<std::size_t>(size) + 2 * reach) {
    for (int k = 0; k < static_cast<int>(positions_.size()); ++k) positions_[k] = mirrorIndex(k - reach, size);
  }
  int operator()(int index) const { return positions_[index + reach_]; }

 private:
  int reach_;
  std::vector<int> positions_;
};

// The four filters of one level with step `step`. Every output sample is
// (first tap +/- second tap) / 2 in float; high-pass taps look forward,
// low-pass taps backward, and the output is not shifted back.
void lowAcrossColumns(const FloatPlane& in, FloatPlane& out, int step, const MirrorTable& columns) {
  for (int i = 0; i < in.height(); ++i) {
    const float* x = in[i];
    float* y = out[i];
    for (int j = 0; j < in.width(); ++j) y[j] = (x[j] + x[columns(j - step)]) / 2.0f;
  }
}

void highAcrossColumns(const FloatPlane& in, FloatPlane& out, int step, const MirrorTable& columns) {
  for (int i = 0; i < in.height(); ++i) {
    const float* x = in[i];
    float* y = out[i];
    for (int j = 0; j < in.width(); ++j) y[j] = (x[columns(j + step)] - x[columns(j + 2 * step)]) / 2.0f;
  }
}

void lowAcrossRows(const FloatPlane& in, FloatPlane& out, int step, const MirrorTable& rows) {
  for (int i = 0; i < in.height(); ++i) {
    const float* x0 = in[i];
    const float* x1 = in[rows(i - step)];
    float* y = out[i];
    for (int j = 0; j < in.width(); ++j) y[j] = (x0[j] + x1[j]) / 2.0f;
  }
}

void highAcrossRows(const FloatPlane& in, FloatPlane& out, int step, const MirrorTable& rows) {
  for (int i = 0; i < in.height(); ++i) {
    const float* x1 = in[rows(i + step)];
    const float* x2 = in[rows(i + 2 * step)];
    float* y = out[i];
    for (int j = 0; j < in.width(); ++j) y[j] = (x1[j] - x2[j]) / 2.0f;
  }
}

void squareInPlace(FloatPlane& plane) {
  float* values = plane.data();
  for (std::size_t k = 0; k < plane.size(); ++k) values[k] = values[k] * values[k];
}

// The squared detail bands of all channels and levels, in element order.
std::vector<FloatPlane> squaredBands(const imaging::TripleImage& lab, int ldc) {
  const int width = lab.width();
  const int height = lab.height();
  const int reach = 1 << ldc;  // twice the largest step
  const MirrorTable columns(width, reach);
  const MirrorTable rows(height, reach);

  std::vector<FloatPlane> bands;
  bands.reserve(9 * ldc);
  FloatPlane approximation(width, height);
  FloatPlane detail(width, height);
  FloatPlane smooth(width, height);
  for (int channel = 0; channel < 3; ++channel) {
    const std::int32_t* source = lab[channel].data();
    for (std::size_t k = 0; k < approximation.size(); ++k) approximation.data()[k] = static_cast<float>(source[k]);
    for (int level = 1; level <= ldc; ++level) {
      const int step = 1 << (level - 1);
      highAcrossColumns(approximation, detail, step, columns);
      FloatPlane highHigh(width, height);
      highAcrossRows(detail, highHigh, step, rows);
      FloatPlane highLow(width, height);
      lowAcrossRows(detail, highLow, step, rows);
      lowAcrossColumns(approximation, smooth, step, columns);
      FloatPlane lowHigh(width, height);
      highAcrossRows(smooth, lowHigh, step, rows);
      if (level < ldc) lowAcrossRows(smooth, approximation, step, rows);
      for (FloatPlane* band : {&highHigh, &highLow, &lowHigh}) {
        squareInPlace(*band);
        bands.push_back(std::move(*band));
      }
    }
  }
  return bands;
}

// The window centres along one axis: those whose window fits inside. An
// axis shorter than the window gets its middle position as the only centre
// (its window then reads mirrored samples).
struct CentreRange {
  int first;
  int last;
};

CentreRange centreRange(int size, int windowSide) {
  const int half = (windowSide - 1) / 2;
  if (size >= windowSide) return {half, size - 1 - half};
  return {(size - 1) / 2, (size - 1) / 2};
}

}  // namespace

TextureField computeTextureFeatures(const imaging::TripleImage& lab, int windowSide, int ldc) {
  const int width = lab.width();
  const int height = lab.height();
  TextureField field(width, height, ldc);
  if (width < 1 || height < 1) return field;
  const int length = field.length();
  const std::vector<FloatPlane> bands = squaredBands(lab, ldc);

  // Window sums of the squared bands. The band samples are multiples of
  // 2^-(2 x LDC) no larger than the L*a*b* range, so their float squares
  // and every sum of up to millions of them are exact in double: the sums do
  // not depend on the order in which samples are added and removed, and
  // running sums give the same values as summing each window in full.
  const int half = (windowSide - 1) / 2;
  const double windowArea = static_cast<double>(windowSide * windowSide);
  const CentreRange rowCentres = centreRange(height, windowSide);
  const CentreRange columnCentres = centreRange(width, windowSide);
  const MirrorTable rows(height, half);
  const MirrorTable columns(width, half);

  std::vector<double> columnSums(static_cast<std::size_t>(length) * width, 0.0);
  for (int i = rowCentres.first; i <= rowCentres.last; ++i) {
    for (int e = 0; e < length; ++e) {
      const FloatPlane& band = bands[e];
      double* sums = columnSums.data() + static_cast<std::size_t>(e) * width;
      if (i == rowCentres.first) {
        for (int k = -half; k <= half; ++k) {
          const float* sample = band[rows(i + k)];
          for (int j = 0; j < width; ++j) sums[j] += sample[j];
        }
      } else {
        const float* entering = band[rows(i + half)];
        const float* leaving = band[rows(i - 1 - half)];
        for (int j = 0; j < width; ++j) sums[j] += static_cast<double>(entering[j]) - leaving[j];
      }
      double sum = 0;
      for (int l = -half; l <= half; ++l) sum += sums[columns(columnCentres.first + l)];
      for (int j = columnCentres.first; j <= columnCentres.last; ++j) {
        if (j > columnCentres.first) sum += sums[columns(j + half)] - sums[columns(j - 1 - half)];
        field.at(i, j)[e] = std::sqrt(sum / windowArea);
      }
    }
    // Columns near the left and right edges repeat the nearest centre.
    const std::size_t vectorBytes = sizeof(double) * length;
    for (int j = 0; j < columnCentres.first; ++j)
      std::memcpy(field.at(i, j), field.at(i, columnCentres.first), vectorBytes);
    for (int j = columnCentres.last + 1; j < width; ++j)
      std::memcpy(field.at(i, j), field.at(i, columnCentres.last), vectorBytes);
  }
  // Rows near the top and bottom edges repeat the nearest centre row.
  const std::size_t rowBytes = sizeof(double) * length * width;
  for (int i = 0; i < rowCentres.first; ++i) std::memcpy(field.at(i, 0), field.at(rowCentres.first, 0), rowBytes);
  for (int i = rowCentres.last + 1; i < height; ++i)
    std::memcpy(field.at(i, 0), field.at(rowCentres.last, 0), rowBytes);
  return field;
}

}  // namespace segmentation
