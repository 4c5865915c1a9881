#include "tools/descriptors/homogeneous_texture.h"

#include <algorithm>
#include <cmath>

#include "tools/descriptors/fft.h"

// On x86-64 the channel sums are also built for AVX2 and chosen at run time;
// both builds do the same IEEE operations and give the same values.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(_WIN32)  // clones need ELF ifuncs
#define TEXTURE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TEXTURE_CLONES
#endif

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

namespace {

// The channel sums are taken for up to kGroup regions side by side: each
// region's sums are separate and run over the cells in the same order as for
// a region alone, so the grouping changes no bit of them.
constexpr int kGroup = 4;

// p and q (energy and energy deviation) of one channel for a group of
// regions, whose weighted spectra are interleaved: spectra[cell * kGroup + g].
TEXTURE_CLONES
void channelSums(std::span<const std::uint16_t> cells, std::span<const double> weights, double weightSum,
                 const double* spectra, double* energy, double* spread) {
  const std::size_t size = cells.size();
  double p[kGroup] = {};
  for (std::size_t k = 0; k < size; ++k) {
    const double* s = spectra + static_cast<std::size_t>(cells[k]) * kGroup;
    for (int g = 0; g < kGroup; ++g) p[g] += weights[k] * s[g];
  }
  double average[kGroup];
  for (int g = 0; g < kGroup; ++g) average[g] = p[g] / weightSum;
  double q[kGroup] = {};
  for (std::size_t k = 0; k < size; ++k) {
    const double* s = spectra + static_cast<std::size_t>(cells[k]) * kGroup;
    for (int g = 0; g < kGroup; ++g) {
      const double d = weights[k] * (s[g] - average[g]);
      q[g] += d * d;
    }
  }
  for (int g = 0; g < kGroup; ++g) {
    energy[g] = p[g];
    spread[g] = q[g];
  }
}

}  // namespace

std::vector<TextureMeasures> measureTexture(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                            const std::vector<Region>& regions, const TextureFilterBank& bank) {
  std::vector<TextureMeasures> measures(regions.size());
  measureStatistics(image, labels, regions, measures);
  std::vector<std::size_t> present;
  for (std::size_t j = 0; j < regions.size(); ++j)
    if (!regions[j].empty()) present.push_back(j);
  Fft128 fft;
  std::vector<double> spectra(static_cast<std::size_t>(kCells) * kGroup);
  for (std::size_t first = 0; first < present.size(); first += kGroup) {
    const std::size_t count = std::min<std::size_t>(kGroup, present.size() - first);
    std::fill(spectra.begin(), spectra.end(), 0.0);
    for (std::size_t g = 0; g < count; ++g) {
      const std::size_t j = present[first + g];
      const std::vector<double> power = powerSpectrum(image, labels, regions[j], measures[j].mean, fft);
      // Normalised so that the cells sum to the variance; then weighted by the radius.
      const double norm = static_cast<double>(kCells) * static_cast<double>(regions[j].pixels);
      for (std::size_t cell = 0; cell < static_cast<std::size_t>(kCells); ++cell)
        spectra[cell * kGroup + g] = bank.radius()[cell] * power[cell] / norm;
    }
    for (int channel = 0; channel < kTextureChannels; ++channel) {
      const TextureFilterBank::Channel& filter = bank.channel(channel);
      double energy[kGroup];
      double spread[kGroup];
      channelSums(filter.cells, filter.weights, filter.weightSum, spectra.data(), energy, spread);
      for (std::size_t g = 0; g < count; ++g) {
        TextureMeasures& m = measures[present[first + g]];
        m.energy[static_cast<std::size_t>(channel)] = energy[g];
        m.energyDeviation[static_cast<std::size_t>(channel)] = std::sqrt(spread[g]);
      }
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
