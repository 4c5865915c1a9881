// The classifier's reading of the predictor's "output.txt". A stand-in
// predictor on PATH copies the input to output.txt; the regions of a
// four-region label file are then classified for one concept.

#include <sys/stat.h>

#include <cstdlib>

#include "classification/confidences.h"
#include "classification/results_writer.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::enterScratchFolder();
  std::filesystem::create_directories("segmentationMasks");
  std::filesystem::create_directories("output");
  std::filesystem::create_directories("bin");
  fuzzing::writeScratchFile("segmentationMasks/photo.seg", std::string_view("P5\n2 2\n255\n\x00\x01\x02\x03", 15));
  const std::string predictor = fuzzing::writeScratchFile("bin/SVMpredictfuzzy", "#!/bin/sh\nexec cp answer.txt output.txt\n");
  chmod(predictor.c_str(), 0755);
  const std::string path = (fuzzing::scratchFolder() / "bin").string() + ":" + std::getenv("PATH");
  setenv("PATH", path.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::writeScratchFile("answer.txt", fuzzing::asText(data, size));
  fuzzing::readOrRefuse([&] {
    const int regions = classification::readRegionCount(classification::labelFilePath("photo.jpg", ""));
    const std::vector<std::string> concepts{"concept"};
    const classification::ConfidenceTable confidences =
        classification::predictConfidences(classification::FeatureTable(static_cast<std::size_t>(regions)), concepts);
    classification::writeResults("photo.jpg", concepts, confidences);
  });
  return 0;
}
