// Speed of the clustering core, single thread, on the reduced L*a*b* images
// of real photos: 80 x 60 (a 640 x 480 photo at W = 8) and 500 x 375 (the
// size a 12-megapixel photo has at W = 8; here the photo scaled to
// 4000 x 3000 and block-reduced). The photos are converted to PPM with
// `convert`, reduced and converted to L*a*b* before timing starts; each
// iteration runs the whole core, texture vectors included.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "imaging/buffers.h"
#include "imaging/pnm.h"
#include "segmentation/block_reduction.h"
#include "segmentation/clustering_core.h"
#include "segmentation/lab_conversion.h"
#include "segmentation/log.h"

namespace {

namespace fs = std::filesystem;

// Reduced L*a*b* image of `photo` scaled to `size` (ImageMagick geometry,
// empty for the original size) and reduced by `factor`; empty when the photo
// or the converter is missing. Converted once per process.
const imaging::TripleImage& reducedLab(const std::string& photo, const std::string& size, int factor) {
  static std::map<std::string, imaging::TripleImage> cache;
  const std::string key = photo + "/" + size;
  if (auto found = cache.find(key); found != cache.end()) return found->second;

  imaging::TripleImage& lab = cache[key];
  const fs::path source = fs::path(SHARED_DATA_DIR) / "photos" / photo;
  const fs::path ppm = fs::temp_directory_path() / ("clustering_core_bench_" + std::to_string(::getpid()) + ".ppm");
  if (!fs::exists(source)) return lab;
  const std::string command = "convert '" + source.string() + "'" + (size.empty() ? "" : " -resize " + size + "!") +
                              " '" + ppm.string() + "'";
  if (std::system(command.c_str()) != 0) return lab;
  const imaging::ColourImage full = imaging::readColourImage(ppm.string());
  fs::remove(ppm);
  lab = segmentation::convertToLab(segmentation::reduceBlocks(full, factor));
  return lab;
}

void runCore(benchmark::State& state, const std::string& photo, const std::string& size, bool useTexture) {
  const imaging::TripleImage& lab = reducedLab(photo, size, 8);
  if (lab.width() == 0) {
    state.SkipWithError("photo or convert missing");
    return;
  }
  imaging::IntMap labels(lab.width(), lab.height());
  int regions = 0;
  for (auto _ : state) {
    segmentation::Log log;
    regions = segmentation::clusterReducedImage(lab, labels, useTexture, 2, 10, log).regions;
    benchmark::DoNotOptimize(labels.data());
  }
  state.counters["regions"] = regions;
  state.SetLabel(std::to_string(lab.width()) + "x" + std::to_string(lab.height()));
}

void BM_Core80x60(benchmark::State& state) { runCore(state, "gc_eiffel_tower.jpg", "", true); }
void BM_Core80x60Rocks(benchmark::State& state) { runCore(state, "tuxpaint_rocks.jpg", "640x480", true); }
void BM_Core80x60NoTexture(benchmark::State& state) { runCore(state, "gc_eiffel_tower.jpg", "", false); }
void BM_Core500x375(benchmark::State& state) { runCore(state, "gc_eiffel_tower.jpg", "4000x3000", true); }
void BM_Core500x375Rocks(benchmark::State& state) { runCore(state, "tuxpaint_rocks.jpg", "4000x3000", true); }

BENCHMARK(BM_Core80x60)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Core80x60Rocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Core80x60NoTexture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Core500x375)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Core500x375Rocks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
