#include "tools/descriptors/homogeneous_texture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>

#include "tools/descriptors/fft.h"
#include "tools/descriptors/filter_bank_construction.h"
#include "tools/descriptors/tests/scenes.h"

namespace {

using descriptors::Block;
using descriptors::Complex;
using descriptors::Fft128;
using descriptors::TextureFilterBank;
using namespace descriptors_testing;

const TextureFilterBank& bank() {
  static const TextureFilterBank instance;
  return instance;
}

// Equal bit for bit, so that every sum the bank enters is unchanged.
template <typename Compiled, typename Computed>
void expectSameBits(const Compiled& compiled, const Computed& computed, const std::string& what) {
  ASSERT_EQ(compiled.size(), computed.size()) << what;
  for (std::size_t k = 0; k < computed.size(); ++k)
    ASSERT_EQ(std::bit_cast<std::uint64_t>(static_cast<double>(compiled[k])),
              std::bit_cast<std::uint64_t>(static_cast<double>(computed[k])))
        << what << " entry " << k;
}

std::vector<Block> texture(const Scene& scene) {
  return descriptors::homogeneousTexture(scene.image, scene.labels, scene.regions, bank());
}

// [average, deviation, energies..., the same energies as deviations].
Block textureBlock(int average, int deviation, const std::vector<int>& energies, const std::vector<int>& deviations) {
  Block block{average, deviation};
  for (const auto* row : {&energies, &deviations}) {
    Block values = sparseBlock(30, {});
    for (std::size_t i = 0; i < row->size(); ++i) values[i] = (*row)[i];
    block.insert(block.end(), values.begin(), values.end());
  }
  return block;
}

TEST(Fft128, TransformsAgreeWithTheDefinition) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-100.0, 100.0);
  Fft128 fft;

  std::array<Complex, 128> sequence;
  for (Complex& c : sequence) c = Complex{value(random), value(random)};
  const std::array<Complex, 128> input = sequence;
  fft.transform(sequence.data());
  for (int u = 0; u < 128; ++u) {
    std::complex<double> expected = 0.0;
    for (int x = 0; x < 128; ++x)
      expected += std::complex<double>(input[static_cast<std::size_t>(x)].re, input[static_cast<std::size_t>(x)].im) *
                  std::polar(1.0, -2.0 * std::numbers::pi * ((u * x) % 128) / 128.0);
    ASSERT_NEAR(sequence[static_cast<std::size_t>(u)].re, expected.real(), 1e-9 * std::abs(expected) + 1e-9) << u;
    ASSERT_NEAR(sequence[static_cast<std::size_t>(u)].im, expected.imag(), 1e-9 * std::abs(expected) + 1e-9) << u;
  }

  // A real grid with an odd number of non-zero rows, some of them skipped.
  std::vector<double> grid(Fft128::kCells, 0.0);
  std::array<bool, Fft128::kSize> rowUsed{};
  double energy = 0.0;
  for (int y = 1; y < Fft128::kSize; y += 3) {
    rowUsed[static_cast<std::size_t>(y)] = true;
    for (int x = 0; x < Fft128::kSize; ++x) {
      const double v = value(random);
      grid[static_cast<std::size_t>(y * 128 + x)] = v;
      energy += v * v;
    }
  }
  std::vector<double> power(Fft128::kCells, 1.0);  // the spectrum is added to what is there
  fft.addPowerSpectrum(grid, rowUsed, power);
  double total = 0.0;
  for (double p : power) total += p - 1.0;
  EXPECT_NEAR(total / Fft128::kCells, energy, 1e-9 * energy);  // Parseval
  for (const auto& [u, v] : std::vector<std::pair<int, int>>{
           {0, 0}, {1, 0}, {0, 1}, {64, 64}, {64, 3}, {37, 101}, {127, 5}, {100, 0}, {65, 64}, {90, 127}}) {
    std::complex<double> expected = 0.0;
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x)
        expected += grid[static_cast<std::size_t>(y * 128 + x)] *
                    std::polar(1.0, -2.0 * std::numbers::pi * ((u * x + v * y) % 128) / 128.0);
    EXPECT_NEAR(power[static_cast<std::size_t>(v * 128 + u)] - 1.0, std::norm(expected), 1e-9 * energy)
        << u << "," << v;
  }
}

TEST(TextureFilterBank, TheCompiledTableIsTheConstruction) {
  const descriptors::ComputedFilterBank computed = descriptors::computeTextureFilterBank();
  expectSameBits(bank().radius(), computed.radius, "radius");
  for (int i = 0; i < descriptors::kTextureChannels; ++i) {
    const TextureFilterBank::Channel& channel = bank().channel(i);
    const std::size_t c = static_cast<std::size_t>(i);
    expectSameBits(channel.cells, computed.cells[c], "cells of channel " + std::to_string(i));
    expectSameBits(channel.weights, computed.weights[c], "weights of channel " + std::to_string(i));
    expectSameBits(std::array{channel.weightSum}, std::array{computed.weightSums[c]}, "sum of channel " + std::to_string(i));
  }
}

TEST(TextureFilterBank, ChannelWeightsHaveTheirKnownTotals) {
  const std::vector<std::pair<int, double>> totals{{0, 857.7460}, {1, 900.9791}, {6, 227.8213},
                                                   {12, 56.9555}, {18, 14.2430}, {24, 3.7295}};
  for (const auto& [channel, total] : totals) EXPECT_NEAR(bank().weightSum(channel), total, 5e-5) << channel;
}

TEST(HomogeneousTexture, FlatRegionsHaveOnlyTheirAverage) {
  EXPECT_EQ(texture(makeScene(40, 30, [](int, int) { return grey(100); }))[0], textureBlock(100, 0, {}, {}));
  EXPECT_EQ(texture(makeScene(128, 128, [](int, int) { return Rgb{255, 0, 0}; }))[0], textureBlock(76, 0, {}, {}));
}

TEST(HomogeneousTexture, StripesPutTheirEnergyInTheirChannels) {
  struct Case {
    const char* name;
    int (*grey)(int x, int y);
    std::vector<int> energies;
    std::vector<int> deviations;
  };
  const std::vector<Case> cases{
      {"vertical", [](int x, int) { return 255 * (x % 2); }, {230, 78, 0, 0, 0, 78}, {230, 78, 0, 0, 0, 78}},
      {"horizontal", [](int, int y) { return 255 * (y % 2); }, {0, 0, 78, 230, 78, 0}, {0, 0, 78, 230, 78, 0}},
      {"period 4",
       [](int x, int) { return 255 * ((x / 2) % 2); },
       {211, 61, 0, 0, 0, 61, 211, 61, 0, 0, 0, 61},
       {201, 52, 0, 0, 0, 52, 201, 52, 0, 0, 0, 52}},
  };
  for (const Case& c : cases) {
    const Scene scene = makeScene(128, 128, [&](int x, int y) { return grey(c.grey(x, y)); });
    EXPECT_EQ(texture(scene)[0], textureBlock(128, 255, c.energies, c.deviations)) << c.name;
  }
}

TEST(HomogeneousTexture, EmptyRegionsGiveZerosAndOtherRegionsDoNotLeakIn) {
  // Region 1 is absent; region 0 (flat) surrounds region 2 (stripes).
  const Scene scene = makeScene(
      300, 200, [](int x, int y) { return x >= 100 && x < 228 && y >= 50 && y < 178 ? grey(255 * (x % 2)) : grey(90); },
      [](int x, int y) { return x >= 100 && x < 228 && y >= 50 && y < 178 ? 2 : 0; });
  const std::vector<Block> blocks = texture(scene);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0], textureBlock(90, 0, {}, {}));
  EXPECT_EQ(blocks[1], Block(62, 0));
  EXPECT_EQ(blocks[2], textureBlock(128, 255, {230, 78, 0, 0, 0, 78}, {230, 78, 0, 0, 0, 78}));
}

TEST(HomogeneousTexture, NoisyRegionsStayInRange) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> sample(0, 255);
  const Scene scene = makeScene(
      300, 170,
      [&](int, int) {
        return Rgb{sample(random), sample(random), sample(random)};
      },
      [](int x, int y) { return (x / 37 + y / 29) % 4; });
  for (const Block& block : texture(scene)) {
    ASSERT_EQ(block.size(), 62u);
    for (int v : block) {
      EXPECT_GE(v, 0);
      EXPECT_LE(v, 255);
    }
    EXPECT_GT(block[2], 0);  // white noise has energy in the highest band
  }
}

}  // namespace
