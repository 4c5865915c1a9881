// The predictor's model file: the model check, then libsvm's loader and a
// prediction. A text the check accepts must load, and predicting with it
// must give a confidence in [0, 1].

#include <cmath>
#include <cstdlib>

#include <libsvm/svm.h>

#include "fuzz/fuzz_support.h"
#include "tools/svm/concept_svm.h"
#include "tools/svm/model_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzing::writeScratchFile("model.txt", fuzzing::asText(data, size));
  try {
    svm_tools::checkModelFile(path);
  } catch (const platform::Failure&) {
    return 0;
  }
  // Past the check, libsvm must take the file.
  svm_model* model = svm_load_model(path.c_str());
  if (model == nullptr) std::abort();
  svm_free_and_destroy_model(&model);

  fuzzing::readOrRefuse([&] {
    const svm_tools::ConceptSvm loaded = svm_tools::ConceptSvm::load(path);
    for (double value : {0.0, 1.0}) {
      const double confidence = loaded.confidence(svm_tools::FeatureVector(svm_tools::kFeatureCount, value));
      // A finite model can still overflow to NaN; only a value out of
      // range would be the loader's fault.
      if (confidence < 0.0 || confidence > 1.0) std::abort();
    }
  });
  return 0;
}
