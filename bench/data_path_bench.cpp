// Speed of the segmenter's image data path, single thread: reading a PPM,
// block reduction with W = 8 and the L*a*b* conversion, at 640 x 480 (a
// shared photo as it is) and 4000 x 3000 (the same photo scaled up). The
// PPMs are made with `convert` before timing starts.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "imaging/buffers.h"
#include "imaging/pnm.h"
#include "segmentation/block_reduction.h"
#include "segmentation/lab_conversion.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPhoto = "gc_bison_grassland.jpg";  // 640 x 480

// PPM files of the photo at the sizes asked for, removed at exit.
class PhotoFiles {
 public:
  ~PhotoFiles() {
    for (const auto& [size, path] : paths_) fs::remove(path);
  }
  // The PPM path for `size` ("640x480", "4000x3000"), or "" when the photo
  // or the converter is missing.
  const std::string& ppm(const std::string& size) {
    if (auto found = paths_.find(size); found != paths_.end()) return found->second;
    const fs::path source = fs::path(SHARED_DATA_DIR) / "photos" / kPhoto;
    const std::string path =
        (fs::temp_directory_path() / ("data_path_bench_" + std::to_string(::getpid()) + "_" + size + ".ppm")).string();
    const std::string command = "convert '" + source.string() + "' -resize " + size + "! '" + path + "'";
    std::string& stored = paths_[size];
    if (fs::exists(source) && std::system(command.c_str()) == 0) stored = path;
    return stored;
  }
  const imaging::ColourImage& image(const std::string& size) {
    imaging::ColourImage& image = images_[size];
    if (image.width() == 0 && !ppm(size).empty()) image = imaging::readColourImage(ppm(size));
    return image;
  }

 private:
  std::map<std::string, std::string> paths_;
  std::map<std::string, imaging::ColourImage> images_;
};

PhotoFiles& photos() {
  static PhotoFiles files;
  return files;
}

void setPixels(benchmark::State& state, const imaging::ColourImage& image) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * image.width() * image.height());
  state.SetLabel(std::to_string(image.width()) + "x" + std::to_string(image.height()));
}

void readPpm(benchmark::State& state, const std::string& size) {
  const std::string& path = photos().ppm(size);
  if (path.empty()) {
    state.SkipWithError("photo or convert missing");
    return;
  }
  imaging::ColourImage image;
  for (auto _ : state) {
    image = imaging::readColourImage(path);
    benchmark::DoNotOptimize(image[0].data());
  }
  setPixels(state, image);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fs::file_size(path)));
}

void reduce(benchmark::State& state, const std::string& size) {
  const imaging::ColourImage& full = photos().image(size);
  if (full.width() == 0) {
    state.SkipWithError("photo or convert missing");
    return;
  }
  for (auto _ : state) {
    imaging::ColourImage reduced = segmentation::reduceBlocks(full, 8);
    benchmark::DoNotOptimize(reduced[0].data());
  }
  setPixels(state, full);
}

template <typename Convert>
void convert(benchmark::State& state, const std::string& size, Convert conversion) {
  const imaging::ColourImage& full = photos().image(size);
  if (full.width() == 0) {
    state.SkipWithError("photo or convert missing");
    return;
  }
  for (auto _ : state) {
    auto lab = conversion(full);
    benchmark::DoNotOptimize(lab[0].data());
  }
  setPixels(state, full);
}

// The defining per-pixel computation (three pow calls), for comparison.
imaging::TripleImage convertByDefinition(const imaging::ColourImage& rgb) {
  imaging::TripleImage lab(rgb.width(), rgb.height());
  for (int row = 0; row < rgb.height(); ++row)
    for (int column = 0; column < rgb.width(); ++column) {
      const segmentation::Lab value = segmentation::labOf(rgb[0][row][column], rgb[1][row][column], rgb[2][row][column]);
      lab[0][row][column] = value.l;
      lab[1][row][column] = value.a;
      lab[2][row][column] = value.b;
    }
  return lab;
}

void BM_ReadPpm640x480(benchmark::State& state) { readPpm(state, "640x480"); }
void BM_ReadPpm4000x3000(benchmark::State& state) { readPpm(state, "4000x3000"); }
void BM_BlockReduction640x480(benchmark::State& state) { reduce(state, "640x480"); }
void BM_BlockReduction4000x3000(benchmark::State& state) { reduce(state, "4000x3000"); }
// Into an image allocated once, as the conversion proper.
void convertInPlace(benchmark::State& state, const std::string& size) {
  const imaging::ColourImage& full = photos().image(size);
  if (full.width() == 0) {
    state.SkipWithError("photo or convert missing");
    return;
  }
  imaging::TripleImage lab(full.width(), full.height());
  for (auto _ : state) {
    segmentation::convertToLab(full, lab);
    benchmark::DoNotOptimize(lab[0].data());
  }
  setPixels(state, full);
}

const auto kAllocating = [](const imaging::ColourImage& rgb) { return segmentation::convertToLab(rgb); };
const auto kBytes = [](const imaging::ColourImage& rgb) { return segmentation::convertToLabBytes(rgb); };

void BM_Lab640x480(benchmark::State& state) { convertInPlace(state, "640x480"); }
void BM_Lab4000x3000(benchmark::State& state) { convertInPlace(state, "4000x3000"); }
void BM_LabAllocating4000x3000(benchmark::State& state) { convert(state, "4000x3000", kAllocating); }
void BM_LabBytes4000x3000(benchmark::State& state) { convert(state, "4000x3000", kBytes); }
void BM_LabByDefinition640x480(benchmark::State& state) { convert(state, "640x480", convertByDefinition); }

BENCHMARK(BM_ReadPpm640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPpm4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockReduction640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlockReduction4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lab640x480)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lab4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LabAllocating4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LabBytes4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LabByDefinition640x480)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
