// The region masks Ferrow writes for a 4000 x 3000 label file with 10
// regions (10 masks of 12 MB each, 120 MB in all), into a fresh folder on
// the temporary file system each time.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "imaging/buffers.h"
#include "pipeline/region_masks.h"

namespace {

namespace fs = std::filesystem;

// Ten regions of wandering shape, like a segmentation's.
imaging::GreyImage largeLabels() {
  imaging::GreyImage labels(4000, 3000);
  for (int y = 0; y < labels.height(); ++y)
    for (int x = 0; x < labels.width(); ++x)
      labels[y][x] = static_cast<std::uint8_t>((x / 800 + (y + x / 7) / 1000 * 5) % 10);
  return labels;
}

void regionMasks(benchmark::State& state) {
  const imaging::GreyImage labels = largeLabels();
  std::string pattern = (fs::temp_directory_path() / "masks_bench_XXXXXX").string();
  const fs::path folder = mkdtemp(pattern.data());
  fs::create_directory(folder / "segmentationMasks");
  for (auto _ : state) {
    pipeline::writeRegionMasks(labels, folder.string() + "/", "big.jpg");
    state.PauseTiming();
    for (const auto& mask : fs::directory_iterator(folder / "segmentationMasks")) fs::remove(mask.path());
    state.ResumeTiming();
  }
  fs::remove_all(folder);
}

BENCHMARK(regionMasks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
