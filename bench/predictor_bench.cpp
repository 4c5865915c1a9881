// The predictor's model load on the bundled models, in process: the model
// check and libsvm's text loader (what every predictor start did before the
// binary form), a load from the binary form beside the text, and a first
// load that parses the text and writes the binary form.

#include <benchmark/benchmark.h>
#include <libsvm/svm.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/svm/binary_model.h"
#include "tools/svm/concept_svm.h"
#include "tools/svm/model_check.h"

namespace {

namespace fs = std::filesystem;

// A copy of one bundled model in a folder of its own, so that the binary
// form can be written and removed.
class ModelCopy {
 public:
  explicit ModelCopy(const std::string& conceptName) {
    std::string pattern = (fs::temp_directory_path() / "predictor_bench_XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    path_ = (fs::path(folder_) / ("trainingModels_" + conceptName + ".txt")).string();
    fs::copy_file(fs::path(MODELS_DIR) / ("trainingModels_" + conceptName + ".txt"), path_);
  }
  ~ModelCopy() { fs::remove_all(folder_); }
  const std::string& path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
};

const char* conceptOf(const benchmark::State& state) { return state.range(0) == 0 ? "animal" : "sky"; }

void textLoad(benchmark::State& state) {
  ModelCopy model(conceptOf(state));
  for (auto _ : state) {
    svm_tools::checkModelFile(model.path());
    svm_model* loaded = svm_load_model(model.path().c_str());
    benchmark::DoNotOptimize(loaded);
    svm_free_and_destroy_model(&loaded);
  }
  state.SetLabel(conceptOf(state));
}

void binaryLoad(benchmark::State& state) {
  ModelCopy model(conceptOf(state));
  svm_tools::writeBinaryModelFor(model.path());
  for (auto _ : state) benchmark::DoNotOptimize(svm_tools::ConceptSvm::load(model.path()));
  state.SetLabel(conceptOf(state));
}

void firstLoad(benchmark::State& state) {
  ModelCopy model(conceptOf(state));
  for (auto _ : state) {
    fs::remove(svm_tools::binaryModelPathFor(model.path()));
    benchmark::DoNotOptimize(svm_tools::ConceptSvm::load(model.path()));
  }
  state.SetLabel(conceptOf(state));
}

BENCHMARK(textLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(binaryLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(firstLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
