// Speed of the descriptor extractor on a synthetic photo-like image with 10
// regions and on a shared photo with its segmentation, each at 640 x 480 and
// 4000 x 3000 (12 megapixels): each descriptor's whole run in process
// (reading the PPM and the label file, computing, writing the file), and the
// four program runs the pipeline makes per image, as separate processes.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "imaging/buffers.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "tools/descriptors/descriptor_kind.h"
#include "tools/descriptors/extraction.h"
#include "tools/descriptors/xml_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRegions = 10;

// A photo-like image: smooth colour gradients with texture and noise, cut
// into 10 regions whose borders wander (nearest of 10 seeds, with a wobble).
void writeTestImage(const fs::path& folder, const std::string& base, int width, int height) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> seedX(kRegions), seedY(kRegions);
  for (int j = 0; j < kRegions; ++j) {
    seedX[static_cast<std::size_t>(j)] = unit(random) * width;
    seedY[static_cast<std::size_t>(j)] = unit(random) * height;
  }
  std::normal_distribution<double> noise(0.0, 6.0);
  std::string raster;
  raster.reserve(static_cast<std::size_t>(width) * height * 3);
  imaging::GreyImage labels(width, height);
  const double wobble = 0.03 * width;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double wx = x + wobble * std::sin(y * 0.02);
      const double wy = y + wobble * std::cos(x * 0.015);
      int nearest = 0;
      double best = 1e300;
      for (int j = 0; j < kRegions; ++j) {
        const double dx = wx - seedX[static_cast<std::size_t>(j)];
        const double dy = wy - seedY[static_cast<std::size_t>(j)];
        if (dx * dx + dy * dy < best) best = dx * dx + dy * dy, nearest = j;
      }
      labels[y][x] = static_cast<std::uint8_t>(nearest);
      const double texture = 30.0 * std::sin(x * (0.1 + 0.05 * nearest)) * std::cos(y * 0.07 * (nearest % 3 + 1));
      for (int c = 0; c < 3; ++c) {
        const double base = 40.0 + 18.0 * ((nearest * (c + 2)) % 10) + 30.0 * y / height;
        const double v = base + texture + noise(random);
        raster.push_back(static_cast<char>(std::clamp(static_cast<int>(v), 0, 255)));
      }
    }
  }
  std::ofstream ppm(folder / (base + ".ppm"), std::ios::binary);
  ppm << "P6\n" << width << " " << height << "\n255\n" << raster;
  ppm.close();
  imaging::writeGreyImage((folder / (base + ".seg")).string(), labels);
}

// The shared photo and its expected segmentation (640 x 480). At 4000 x 3000
// the photo is scaled by the converter and the labels by repeating pixels.
constexpr const char* kPhoto = "gc_bison_grassland.jpg";
constexpr const char* kPhotoLabels = "golden/gc_bison_grassland_p.seg";

imaging::GreyImage scaledLabels(const imaging::GreyImage& labels, int width, int height) {
  imaging::GreyImage scaled(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      scaled[y][x] = labels[static_cast<int>(static_cast<std::int64_t>(y) * labels.height() / height)]
                           [static_cast<int>(static_cast<std::int64_t>(x) * labels.width() / width)];
  return scaled;
}

// Writes <base>.ppm and <base>.seg of the shared photo at the given size;
// false when the photo, its labels or the converter are missing.
bool writePhoto(const fs::path& folder, const std::string& base, int width, int height) {
  const fs::path shared = SHARED_DATA_DIR;
  if (!fs::exists(shared / "photos" / kPhoto) || !fs::exists(shared / kPhotoLabels)) return false;
  const std::string ppm = (folder / (base + ".ppm")).string();
  const std::string command = "convert '" + (shared / "photos" / kPhoto).string() + "' -resize " +
                              std::to_string(width) + "x" + std::to_string(height) + "! '" + ppm + "'";
  if (std::system(command.c_str()) != 0) return false;
  const imaging::GreyImage labels = imaging::readLabelFile((shared / kPhotoLabels).string());
  imaging::writeGreyImage((folder / (base + ".seg")).string(), scaledLabels(labels, width, height));
  return true;
}

const char* const kParameterFiles[] = {"RegionShape.par", "ScalColor.par", "HomogeneousTexture.par",
                                       "EdgeHistogram.par"};

void selectImage(const std::string& base) {
  std::ofstream("infiles.txt", std::ios::binary) << "./images/" << base << ".jpg";
}

// User and system time of the finished child processes so far.
double childProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void runProgram(const std::string& parameterFile) {
  std::string program = EXTRACTOR_PATH;
  std::string option = "-p";
  std::string argument = parameterFile;
  char* argv[] = {program.data(), option.data(), argument.data(), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
    throw std::runtime_error("cannot start " + program);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(program + " failed");
}

void registerImage(const std::string& base) {
  const std::string parfiles = PARFILES_DIR;
  for (const char* name : kParameterFiles) {
    const std::string parameterFile = parfiles + "/" + name;
    benchmark::RegisterBenchmark(("InProcess/" + base + "/" + name).c_str(), [=](benchmark::State& state) {
      selectImage(base);
      for (auto _ : state) descriptors::extractDescriptor(parameterFile);
    })->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark(
      ("FourProcesses/" + base).c_str(),
      [=](benchmark::State& state) {
        selectImage(base);
        const double before = childProcessorSeconds();
        for (auto _ : state)
          for (const char* name : kParameterFiles) runProgram(parfiles + "/" + name);
        // The programs' own processor time, which a busy machine does not inflate.
        state.counters["program_cpu_ms"] =
            benchmark::Counter(1000.0 * (childProcessorSeconds() - before) / static_cast<double>(state.iterations()));
      })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (fs::temp_directory_path() / "descriptors-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path folder = pattern;
  fs::create_directory(folder / "images");
  writeTestImage(folder / "images", "photo640", 640, 480);
  writeTestImage(folder / "images", "photo4000", 4000, 3000);
  fs::current_path(folder);
  registerImage("photo640");
  registerImage("photo4000");
  for (const auto& [base, width, height] : {std::tuple{"bison640", 640, 480}, std::tuple{"bison4000", 4000, 3000}}) {
    if (writePhoto(folder / "images", base, width, height))
      registerImage(base);
    else
      std::fprintf(stderr, "skipping %s: the shared photo, its labels or the converter is missing\n", base);
  }

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::current_path(folder.parent_path());
  fs::remove_all(folder);
  return 0;
}
