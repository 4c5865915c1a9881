// The extractor's faster paths against the plain computations they replace:
// the region-shape sums pixel by pixel, the texture sums of a region alone
// against those taken in a group, and on shared photos the four files
// the program writes against the files of the plain computations and the
// checksums of the files the program wrote before it was made faster.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <random>

#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "testing/test_files.h"
#include "tools/descriptors/edge_histogram.h"
#include "tools/descriptors/extraction.h"
#include "tools/descriptors/filter_bank_construction.h"
#include "tools/descriptors/homogeneous_texture.h"
#include "tools/descriptors/region_shape.h"
#include "tools/descriptors/scalable_colour.h"
#include "testing/program_run.h"
#include "tools/descriptors/tests/scenes.h"
#include "tools/descriptors/xml_writer.h"

namespace {

namespace fs = std::filesystem;
using descriptors::Block;
using descriptors::DescriptorKind;
using descriptors::Region;
using descriptors::ShapeMagnitudes;
using testing_support::runProgramIn;

constexpr int kLanes = 8;

// The region-shape magnitudes taken pixel by pixel. A pixel's terms go to
// the partial sum of its lane, (x - start of its run) % 8, and the lanes are
// added up at the end, lane 0 first.
std::vector<ShapeMagnitudes> plainShapeMagnitudes(const imaging::GreyImage& labels,
                                                  const std::vector<Region>& regions) {
  struct Sums {
    double re[3][12][kLanes] = {};
    double im[3][12][kLanes] = {};
  };
  const std::size_t n = regions.size();
  std::vector<double> cx(n), cy(n), farthest(n, 0.0), radius(n, 1.0);
  for (std::size_t j = 0; j < n; ++j) {
    if (regions[j].empty()) continue;
    cx[j] = static_cast<double>(regions[j].sumX) / static_cast<double>(regions[j].pixels);
    cy[j] = static_cast<double>(regions[j].sumY) / static_cast<double>(regions[j].pixels);
  }
  for (int y = 0; y < labels.height(); ++y)
    for (int x = 0; x < labels.width(); ++x) {
      const std::size_t j = labels[y][x];
      const double dx = x - cx[j], dy = y - cy[j];
      farthest[j] = std::max(farthest[j], dx * dx + dy * dy);
    }
  for (std::size_t j = 0; j < n; ++j)
    if (farthest[j] > 0.0) radius[j] = std::sqrt(farthest[j]);

  std::vector<Sums> sums(n);
  for (int y = 0; y < labels.height(); ++y) {
    int runStart = 0;
    for (int x = 0; x < labels.width(); ++x) {
      if (x > 0 && labels[y][x] != labels[y][x - 1]) runStart = x;
      const std::size_t j = labels[y][x];
      const int lane = (x - runStart) % kLanes;
      const double dx = x - cx[j], dy = y - cy[j];
      const double distance = std::sqrt(dx * dx + dy * dy);
      const double c = std::cos(std::numbers::pi * (distance / radius[j]));
      const double radial[3] = {1.0, 2.0 * c, 2.0 * (2.0 * c * c - 1.0)};
      const double stepRe = distance == 0.0 ? 0.0 : dx / distance;
      const double stepIm = distance == 0.0 ? 0.0 : -dy / distance;
      for (int r = 0; r < 3; ++r) sums[j].re[r][0][lane] += radial[r];
      double re = stepRe, im = stepIm;
      for (int m = 1; m < 12; ++m) {
        for (int r = 0; r < 3; ++r) {
          sums[j].re[r][m][lane] += radial[r] * re;
          sums[j].im[r][m][lane] += radial[r] * im;
        }
        const double next = re * stepRe - im * stepIm;
        im = re * stepIm + im * stepRe;
        re = next;
      }
    }
  }
  std::vector<ShapeMagnitudes> magnitudes(n, ShapeMagnitudes{});
  for (std::size_t j = 0; j < n; ++j) {
    if (regions[j].empty()) continue;
    for (int r = 0; r < 3; ++r)
      for (int m = 0; m < 12; ++m) {
        double re = 0.0, im = 0.0;
        for (int lane = 0; lane < kLanes; ++lane) {
          re += sums[j].re[r][m][lane];
          im += sums[j].im[r][m][lane];
        }
        magnitudes[j][static_cast<std::size_t>(r)][static_cast<std::size_t>(m)] =
            std::hypot(re, im) / static_cast<double>(regions[j].pixels);
      }
  }
  return magnitudes;
}

std::vector<Block> quantiseShape(const std::vector<ShapeMagnitudes>& magnitudes, const std::vector<Region>& regions) {
  std::vector<Block> blocks(regions.size(), Block(descriptors::kShapeValues, 0));
  for (std::size_t j = 0; j < regions.size(); ++j) {
    if (regions[j].empty()) continue;
    std::size_t index = 0;
    for (std::size_t m = 0; m < 12; ++m)
      for (std::size_t r = 0; r < 3; ++r)
        if (m != 0 || r != 0)
          blocks[j][index++] = std::min(15, static_cast<int>(std::floor(16.0 * std::sqrt(magnitudes[j][r][m]))));
  }
  return blocks;
}

void expectSameMagnitudes(const imaging::GreyImage& labels, const std::vector<Region>& regions,
                          const std::string& what) {
  const std::vector<ShapeMagnitudes> fast = descriptors::shapeMagnitudes(labels, regions);
  const std::vector<ShapeMagnitudes> plain = plainShapeMagnitudes(labels, regions);
  ASSERT_EQ(fast.size(), plain.size());
  for (std::size_t j = 0; j < fast.size(); ++j)
    for (std::size_t r = 0; r < 3; ++r)
      for (std::size_t m = 0; m < 12; ++m)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(fast[j][r][m]), std::bit_cast<std::uint64_t>(plain[j][r][m]))
            << what << ": region " << j << " n " << r << " m " << m;
}

TEST(RegionShapeSums, EqualThePixelByPixelSumsBitForBit) {
  // Rows of random runs from 1 to 400 pixels (so across the 128-pixel pieces
  // the sums are taken in), a small square with a pixel at its centroid, and
  // a single pixel.
  std::mt19937 random(11);
  std::uniform_int_distribution<int> length(1, 400), label(0, 4);
  imaging::GreyImage labels(700, 90);
  for (int y = 0; y < labels.height(); ++y)
    for (int x = 0; x < labels.width();) {
      const int end = std::min(labels.width(), x + (y % 3 == 0 ? length(random) : length(random) % 9 + 1));
      const int value = label(random);
      for (; x < end; ++x) labels[y][x] = static_cast<std::uint8_t>(value);
    }
  for (int y = 40; y < 45; ++y)
    for (int x = 300; x < 305; ++x) labels[y][x] = 5;
  labels[70][650] = 6;
  expectSameMagnitudes(labels, descriptors::findRegions(labels), "random runs");
}

// The texture measures of every region equal, bit for bit, those of the
// region measured alone, whatever group of regions its sums were taken with.
void expectTextureAloneEqualsTogether(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                      const std::vector<Region>& regions, const std::string& what) {
  const descriptors::TextureFilterBank bank;
  const std::vector<descriptors::TextureMeasures> together = descriptors::measureTexture(image, labels, regions, bank);
  auto bits = [](const descriptors::TextureMeasures& m) {
    std::vector<std::uint64_t> values{std::bit_cast<std::uint64_t>(m.mean), std::bit_cast<std::uint64_t>(m.deviation)};
    for (const auto* row : {&m.energy, &m.energyDeviation})
      for (double v : *row) values.push_back(std::bit_cast<std::uint64_t>(v));
    return values;
  };
  for (std::size_t j = 0; j < regions.size(); ++j) {
    std::vector<Region> alone = regions;
    for (std::size_t i = 0; i < alone.size(); ++i)
      if (i != j) alone[i].pixels = 0;
    EXPECT_EQ(bits(descriptors::measureTexture(image, labels, alone, bank)[j]), bits(together[j]))
        << what << ": region " << j;
  }
}

TEST(TextureSums, AreTheSameForARegionAloneAndInAGroup) {
  // Nine textured regions, two of them large enough for several tiles.
  std::mt19937 random(5);
  std::uniform_int_distribution<int> noise(0, 60);
  const descriptors_testing::Scene scene = descriptors_testing::makeScene(
      300, 200,
      [&](int x, int y) {
        const int v = (x * (y % 7 + 1)) % 90 + noise(random);
        return descriptors_testing::Rgb{v, 2 * v % 256, 255 - v};
      },
      [](int x, int y) { return x < 150 ? (y < 150 ? 0 : 1) : 2 + (x / 60 + y / 50) % 7; });
  expectTextureAloneEqualsTogether(scene.image, scene.labels, scene.regions, "nine regions");
}

// FNV-1a, 64 bits.
std::uint64_t checksum(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  return hash;
}

struct PhotoCase {
  const char* photo;
  const char* labels;      // in the shared golden segmentations
  std::uint64_t pixels;    // checksum of the converted PPM the files below were made from
  std::uint64_t files[4];  // RegionShape, ScalableColorReg, HomoTexture, EdgeHistogram
};

// Made with the extractor as it was before the texture filter bank was
// compiled in and the region-shape sums were restructured.
const PhotoCase kPhotos[] = {
    {"gc_bison_grassland",
     "gc_bison_grassland_p",
     0x061f999a18e4ba13u,
     {0x96e56e2aa406e6d5u, 0x3a5208149fef1e0bu, 0x9a7d87850d071b0eu, 0x56fce7ec8edfebb0u}},
    {"gc_eiffel_tower",
     "gc_eiffel_tower_p",
     0x46c4a7c8e78d2a6fu,
     {0xac3a1825499936e0u, 0x99a8a85c710f4efcu, 0xec86d2cb2b04c346u, 0x47f2ee6607e82b1au}},
    {"tuxpaint_rocks",
     "tuxpaint_rocks_p",
     0x4cbcf7a24cd40cd8u,
     {0x248aeead8d6bf0d3u, 0x23200a4999157f76u, 0x532e81b7dac47b81u, 0x7ba708758bb19f24u}},
};

struct KindFile {
  DescriptorKind kind;
  const char* parameterFile;
};
const KindFile kKinds[] = {{DescriptorKind::RegionShape, "RegionShape.par"},
                           {DescriptorKind::ScalableColour, "ScalColor.par"},
                           {DescriptorKind::HomogeneousTexture, "HomogeneousTexture.par"},
                           {DescriptorKind::EdgeHistogram, "EdgeHistogram.par"}};

TEST(ExtractorOnPhotos, WritesTheFilesOfThePlainComputationsAndOfTheFormerProgram) {
  const fs::path shared = testing_support::sharedData();
  if (!fs::exists(shared / "photos") || !fs::exists(shared / "golden")) GTEST_SKIP() << "no shared photos";
  testing_support::TempDir root;
  if (!testing_support::onPath("convert"))
    GTEST_SKIP() << "the image converter is not installed";
  const descriptors::ComputedFilterBank computedBank = descriptors::computeTextureFilterBank();
  const descriptors::TextureFilterBank plainBank(computedBank);

  const fs::path work = root.path() / "work";
  fs::create_directories(work / "images");
  for (const PhotoCase& photo : kPhotos) {
    const std::string base = photo.photo;
    const fs::path ppm = work / "images" / (base + ".ppm");
    ASSERT_EQ(runProgramIn(work, {"convert", (shared / "photos" / (base + ".jpg")).string(), ppm.string()}, root.path())
                  .status,
              0)
        << base;
    fs::copy_file(shared / "golden" / (std::string(photo.labels) + ".seg"), work / "images" / (base + ".seg"),
                  fs::copy_options::overwrite_existing);
    testing_support::writeFile(work / "infiles.txt", "./images/" + base + ".jpg");
    const bool samePixels = checksum(testing_support::readFile(ppm)) == photo.pixels;

    const imaging::ColourImage pixels = imaging::readColourImage(ppm.string());
    const imaging::GreyImage labels = imaging::readLabelFile((work / "images" / (base + ".seg")).string());
    const std::vector<Region> regions = descriptors::findRegions(labels);
    expectSameMagnitudes(labels, regions, base);
    expectTextureAloneEqualsTogether(pixels, labels, regions, base);
    for (std::size_t k = 0; k < std::size(kKinds); ++k) {
      const KindFile& kind = kKinds[k];
      const testing_support::ProgramRun run =
          runProgramIn(work, {EXTRACTOR_PATH, "-p", PARFILES_DIR "/" + std::string(kind.parameterFile)}, root.path());
      ASSERT_EQ(run.status, 0) << base << " " << kind.parameterFile << ": " << run.output << run.errors;
      const descriptors::KindInfo& info = descriptors::kindInfo(kind.kind);
      const std::string written = testing_support::readFile(work / std::string(info.outputFile));

      std::vector<Block> plain;
      switch (kind.kind) {
        case DescriptorKind::RegionShape:
          plain = quantiseShape(plainShapeMagnitudes(labels, regions), regions);
          break;
        case DescriptorKind::HomogeneousTexture:
          plain = descriptors::homogeneousTexture(pixels, labels, regions, plainBank);
          break;
        case DescriptorKind::ScalableColour:
          plain = descriptors::scalableColour(pixels, labels, regions);
          break;
        case DescriptorKind::EdgeHistogram:
          plain = descriptors::edgeHistogram(pixels, labels, regions);
          break;
      }
      EXPECT_TRUE(written == descriptors::descriptorDocument(info, regions, plain, pixels.width(), pixels.height()))
          << base << " " << info.outputFile;
      if (samePixels) {
        EXPECT_EQ(checksum(written), photo.files[k]) << base << " " << info.outputFile;
      }
    }
    if (!samePixels) std::cerr << base << ": the converter gives other pixels; checksums not compared\n";
  }
}

}  // namespace
