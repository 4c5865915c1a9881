// The trainer's point file, the grouping of its points by photo and the
// labelling of a small label image's regions by them (points outside it
// included).

#include "fuzz/fuzz_support.h"
#include "tools/svm/point_labels.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzzing::writeScratchFile("points.tsv", fuzzing::asText(data, size));
  fuzzing::readOrRefuse([&] {
    imaging::GreyImage labels(4, 3);
    for (int y = 0; y < labels.height(); ++y)
      for (int x = 0; x < labels.width(); ++x) labels[y][x] = static_cast<std::uint8_t>(x / 2 + 2 * y);
    for (const svm_tools::PhotoPoints& photo : svm_tools::groupByPhoto(svm_tools::readPointFile(path)))
      svm_tools::labelRegions(labels, photo.points);
  });
  return 0;
}
