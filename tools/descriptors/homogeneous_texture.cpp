#include "tools/descriptors/homogeneous_texture.h"

#include <algorithm>
#include <cmath>

#include "tools/descriptors/fft.h"

namespace descriptors {
namespace {

constexpr int kGrid = Fft128::kSize;
constexpr int kCells = Fft128::kCells;
static_assert(kGrid == kTextureGrid);

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

int quantiseEnergy(double v) {
  // 255 / 4: an energy of 10^4 grey levels squared maps to 255.
  constexpr double kScale = 63.75;
  return std::clamp(roundHalfUp(kScale * std::log10(1.0 + v)), 0, 255);
}

// Mean and population standard deviation of every region's luminance, in two
// passes over the image; each region's pixels are summed in raster order.
void measureStatistics(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                       const std::vector<Region>& regions, std::vector<TextureMeasures>& measures) {
  std::vector<double> row(static_cast<std::size_t>(labels.width()));
  std::vector<double> sums(regions.size(), 0.0);
  for (int y = 0; y < labels.height(); ++y) {
    const std::uint8_t* label = labels[y];
    rowLuminance(image, y, 0, labels.width(), row.data());
    for (int x = 0; x < labels.width(); ++x) sums[label[x]] += row[static_cast<std::size_t>(x)];
  }
  std::vector<double> means(regions.size(), 0.0);
  for (std::size_t j = 0; j < regions.size(); ++j)
    if (!regions[j].empty()) means[j] = sums[j] / static_cast<double>(regions[j].pixels);
  std::vector<double> squares(regions.size(), 0.0);
  for (int y = 0; y < labels.height(); ++y) {
    const std::uint8_t* label = labels[y];
    rowLuminance(image, y, 0, labels.width(), row.data());
    for (int x = 0; x < labels.width(); ++x) {
      const double d = row[static_cast<std::size_t>(x)] - means[label[x]];
      squares[label[x]] += d * d;
    }
  }
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    measures[j].mean = means[j];
    measures[j].deviation = std::sqrt(squares[j] / static_cast<double>(regions[j].pixels));
  }
}

// Power spectrum of the region's mean-free luminance, averaged over the
// 128 x 128 tiles of its bounding box. Pixels outside the region, and
// positions past the image, count as zero.
std::vector<double> powerSpectrum(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                  const Region& region, double mean, Fft128& fft) {
  std::vector<double> power(kCells, 0.0);
  std::vector<double> grid(kCells);
  const std::uint8_t label = static_cast<std::uint8_t>(region.label);
  const BoundingBox& box = region.box;
  for (int tileTop = box.top; tileTop < box.top + box.height; tileTop += kGrid) {
    for (int tileLeft = box.left; tileLeft < box.left + box.width; tileLeft += kGrid) {
      std::array<bool, kGrid> rowUsed{};
      bool tileUsed = false;
      const int rows = std::min(kGrid, labels.height() - tileTop);
      const int columns = std::min(kGrid, labels.width() - tileLeft);
      for (int yy = 0; yy < rows; ++yy) {
        const std::uint8_t* labelRow = labels[tileTop + yy] + tileLeft;
        double* cells = grid.data() + yy * kGrid;
        rowLuminance(image, tileTop + yy, tileLeft, columns, cells);
        bool used = false;
        for (int xx = 0; xx < columns; ++xx) {
          const bool inside = labelRow[xx] == label;
          cells[xx] = inside ? cells[xx] - mean : 0.0;
          used = used || inside;
        }
        std::fill(cells + columns, cells + kGrid, 0.0);
        rowUsed[static_cast<std::size_t>(yy)] = used;
        tileUsed = tileUsed || used;
      }
      if (tileUsed) fft.addPowerSpectrum(grid, rowUsed, power);
    }
  }
  return power;
}

}  // namespace

std::vector<TextureMeasures> measureTexture(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                            const std::vector<Region>& regions, const TextureFilterBank& bank) {
  std::vector<TextureMeasures> measures(regions.size());
  measureStatistics(image, labels, regions, measures);
  Fft128 fft;
  std::vector<double> weighted(kCells);
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    const std::vector<double> power = powerSpectrum(image, labels, regions[j], measures[j].mean, fft);
    // Normalised so that the cells sum to the variance; then weighted by the radius.
    const double norm = static_cast<double>(kCells) * static_cast<double>(regions[j].pixels);
    for (std::size_t cell = 0; cell < static_cast<std::size_t>(kCells); ++cell)
      weighted[cell] = bank.radius()[cell] * power[cell] / norm;
    for (int channel = 0; channel < kTextureChannels; ++channel) {
      const TextureFilterBank::Channel& filter = bank.channel(channel);
      const std::size_t size = filter.cells.size();
      double energy = 0.0;
      for (std::size_t k = 0; k < size; ++k) energy += filter.weights[k] * weighted[filter.cells[k]];
      const double average = energy / filter.weightSum;
      double spread = 0.0;
      for (std::size_t k = 0; k < size; ++k) {
        const double d = filter.weights[k] * (weighted[filter.cells[k]] - average);
        spread += d * d;
      }
      measures[j].energy[static_cast<std::size_t>(channel)] = energy;
      measures[j].energyDeviation[static_cast<std::size_t>(channel)] = std::sqrt(spread);
    }
  }
  return measures;
}

std::vector<Block> homogeneousTexture(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                      const std::vector<Region>& regions, const TextureFilterBank& bank) {
  const std::vector<TextureMeasures> measures = measureTexture(image, labels, regions, bank);
  std::vector<Block> blocks(regions.size(), Block(kTextureValues, 0));
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    const TextureMeasures& m = measures[j];
    Block& block = blocks[j];
    block[0] = std::clamp(roundHalfUp(m.mean), 0, 255);
    block[1] = std::clamp(roundHalfUp(2.0 * m.deviation), 0, 255);
    for (int i = 0; i < kTextureChannels; ++i) {
      block[static_cast<std::size_t>(2 + i)] = quantiseEnergy(m.energy[static_cast<std::size_t>(i)]);
      block[static_cast<std::size_t>(2 + kTextureChannels + i)] =
          quantiseEnergy(m.energyDeviation[static_cast<std::size_t>(i)]);
    }
  }
  return blocks;
}

}  // namespace descriptors
