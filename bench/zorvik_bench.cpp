// Speed of whole segmenter runs with the pipeline's arguments "8 2 1 1 0 10":
// the Zorvik program started as the pipeline starts it, on photos at
// 640 x 480 and scaled to 4000 x 3000 with `convert` before timing starts.
// The stage benchmarks time the full-resolution parts of the 4000 x 3000 run
// in process.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include "imaging/pnm.h"
#include "segmentation/block_reduction.h"
#include "segmentation/boundary_refinement.h"
#include "segmentation/clustering_core.h"
#include "segmentation/component_labeling.h"
#include "segmentation/lab_conversion.h"
#include "segmentation/log.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder holding "<photo>_<size>.ppm" for every case asked for.
class Workspace {
 public:
  Workspace() : dir_(fs::temp_directory_path() / ("zorvik_bench_" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
  }
  ~Workspace() { fs::remove_all(dir_); }

  // The image name (without ".ppm") inside dir(), or "" when the photo or
  // the converter is missing.
  std::string image(const std::string& photo, const std::string& size) {
    const std::string name = photo.substr(0, photo.find('.')) + "_" + size;
    if (auto found = made_.find(name); found != made_.end()) return found->second;
    const fs::path source = fs::path(SHARED_DATA_DIR) / "photos" / photo;
    const std::string command =
        "convert '" + source.string() + "' -resize " + size + "! '" + (dir_ / (name + ".ppm")).string() + "'";
    std::string& stored = made_[name];
    if (fs::exists(source) && std::system(command.c_str()) == 0) stored = name;
    return stored;
  }
  std::string dir() const { return dir_.string(); }

 private:
  fs::path dir_;
  std::map<std::string, std::string> made_;
};

Workspace& workspace() {
  static Workspace space;
  return space;
}

// Runs the program on `name` in the workspace and waits for it; standard
// output goes to /dev/null. Returns the exit status, or -1.
int runProgram(const std::string& name) {
  const std::string dir = workspace().dir();
  const char* argv[] = {ZORVIK_PATH, dir.c_str(), dir.c_str(), name.c_str(), "8", "2", "1", "1", "0", "10", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, ZORVIK_PATH, &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The program as the pipeline starts it, wall-clock time per run; the
// counter cpu_ms is the program's own processor time (user + system).
void wholeRun(benchmark::State& state, const std::string& photo, const std::string& size) {
  const std::string name = workspace().image(photo, size);
  if (name.empty()) {
    state.SkipWithError("photo or convert missing");
    return;
  }
  const double cpuBefore = childrenCpuSeconds();
  for (auto _ : state) {
    if (runProgram(name) != 0) {
      state.SkipWithError("Zorvik failed");
      return;
    }
  }
  state.counters["cpu_ms"] =
      benchmark::Counter((childrenCpuSeconds() - cpuBefore) * 1000 / static_cast<double>(state.iterations()));
  state.SetLabel(size);
}

void BM_Zorvik640x480Bison(benchmark::State& state) { wholeRun(state, "gc_bison_grassland.jpg", "640x480"); }
void BM_Zorvik640x480Rocks(benchmark::State& state) { wholeRun(state, "tuxpaint_rocks.jpg", "640x480"); }
void BM_Zorvik4000x3000Bison(benchmark::State& state) { wholeRun(state, "gc_bison_grassland.jpg", "4000x3000"); }
void BM_Zorvik4000x3000Rocks(benchmark::State& state) { wholeRun(state, "tuxpaint_rocks.jpg", "4000x3000"); }

// The full-resolution stages of the 4000 x 3000 run, each on its own.
struct LargeRun {
  imaging::ColourImage full;
  imaging::IntMap reduced;
  imaging::IntMap expanded;
  int regions = 0;
};

const LargeRun& largeRun() {
  static LargeRun run = [] {
    LargeRun r;
    const std::string name = workspace().image("gc_bison_grassland.jpg", "4000x3000");
    if (name.empty()) return r;
    r.full = imaging::readColourImage(workspace().dir() + "/" + name + ".ppm");
    const segmentation::ReducedSize size = segmentation::reducedSize(r.full.width(), r.full.height(), 8);
    r.reduced = imaging::IntMap(size.width, size.height);
    segmentation::Log log;
    r.regions = segmentation::clusterReducedImage(segmentation::convertToLab(segmentation::reduceBlocks(r.full, 8)),
                                                  r.reduced, true, 2, 10, log)
                    .regions;
    r.expanded = segmentation::expandLabels(r.reduced, r.full.width(), r.full.height(), 8);
    return r;
  }();
  return run;
}

// The prepared large run, or nothing (and the benchmark marked skipped) when
// its photo or the converter is missing.
const LargeRun* largeRunOrSkip(benchmark::State& state) {
  const LargeRun& run = largeRun();
  if (run.full.width() != 0) return &run;
  state.SkipWithError("photo or convert missing");
  return nullptr;
}

void BM_StageRefinement4000x3000(benchmark::State& state) {
  const LargeRun* found = largeRunOrSkip(state);
  if (found == nullptr) return;
  const LargeRun& run = *found;
  for (auto _ : state) {
    state.PauseTiming();
    imaging::IntMap labels = run.expanded;
    imaging::ColourImage full = run.full;
    state.ResumeTiming();
    segmentation::Log log;
    benchmark::DoNotOptimize(
        segmentation::refineBoundaries(std::move(full), labels, run.reduced, run.regions, 8, log));
  }
}

void BM_StageRelabelPass4000x3000(benchmark::State& state) {
  const LargeRun* found = largeRunOrSkip(state);
  if (found == nullptr) return;
  const LargeRun& run = *found;
  const imaging::ColourImage labBytes = segmentation::convertToLabBytes(run.full);
  const segmentation::BlockNeighbours neighbours(run.reduced, 8, run.full.width());
  for (auto _ : state) {
    state.PauseTiming();
    imaging::IntMap labels = run.expanded;
    state.ResumeTiming();
    const segmentation::RegionHistograms histograms(labBytes, labels, neighbours, run.regions);
    segmentation::relabelByLikelihood(labels, labBytes, neighbours, histograms);
    benchmark::DoNotOptimize(labels.data());
  }
}

void BM_StageComponents4000x3000(benchmark::State& state) {
  const LargeRun* found = largeRunOrSkip(state);
  if (found == nullptr) return;
  const LargeRun& run = *found;
  for (auto _ : state) {
    state.PauseTiming();
    imaging::IntMap labels = run.expanded;
    state.ResumeTiming();
    benchmark::DoNotOptimize(segmentation::componentLabelingFinal(labels, run.regions));
  }
}

void BM_StageExpansion4000x3000(benchmark::State& state) {
  const LargeRun* found = largeRunOrSkip(state);
  if (found == nullptr) return;
  const LargeRun& run = *found;
  for (auto _ : state) {
    imaging::IntMap labels = segmentation::expandLabels(run.reduced, run.full.width(), run.full.height(), 8);
    benchmark::DoNotOptimize(labels.data());
  }
}

BENCHMARK(BM_Zorvik640x480Bison)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Zorvik640x480Rocks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Zorvik4000x3000Bison)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Zorvik4000x3000Rocks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StageRefinement4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageRelabelPass4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageComponents4000x3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageExpansion4000x3000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
