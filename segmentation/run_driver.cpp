#include "segmentation/run_driver.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "platform/failure.h"
#include "platform/text.h"
#include "imaging/pnm.h"
#include "segmentation/block_reduction.h"
#include "segmentation/boundary_refinement.h"
#include "segmentation/clustering_core.h"
#include "segmentation/lab_conversion.h"

namespace segmentation {

std::string usageText(const std::string& program) {
  return "Usage : \n\n" + program +
         " <input_image_dir> <output_dir> <Image Name> <ReductionFactor{1...8}> <LDC{2,3,4}> <Texture{0,1}> "
         "<ML{0,1}> <SingleSideMargin{0...20}> <MaxAreaNum{5...1000}>\n\nThe input_image must be in ppm format\n\n"
         "Do not write the file's extention\n\n";
}

RunSettings parseCommandLine(int argc, const char* const* argv) {
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "Zorvik";
  if (argc != 10) platform::failStdoutExact(usageText(program));
  RunSettings settings;
  settings.inputDirectory = argv[1];
  settings.outputDirectory = argv[2];
  settings.imageName = argv[3];
  settings.reductionFactor = platform::leadingInteger(argv[4]);
  settings.ldc = platform::leadingInteger(argv[5]);
  const int texture = platform::leadingInteger(argv[6]);
  const int refine = platform::leadingInteger(argv[7]);
  settings.margin = platform::leadingInteger(argv[8]);
  settings.maxAreaNum = platform::leadingInteger(argv[9]);
  settings.texture = texture == 1;
  settings.refine = refine == 1;
  // A negative margin or fewer than one region cannot be run; they get the
  // usage text like the other values out of range.
  const bool inRange = settings.reductionFactor >= 1 && settings.reductionFactor <= 8 && settings.ldc >= 2 &&
                       settings.ldc <= 4 && (texture == 0 || texture == 1) && (refine == 0 || refine == 1) &&
                       settings.margin >= 0 && settings.maxAreaNum >= 1;
  if (!inRange) platform::failStdoutExact(usageText(program));
  return settings;
}

long processMilliseconds() { return static_cast<long>(std::clock() / (CLOCKS_PER_SEC / 1000)); }

imaging::GreyImage labelFileBytes(const imaging::IntMap& labels, int largest) {
  if (largest > 255)
    platform::failStderrLine("the segmentation has " + std::to_string(largest) +
                      " regions; a label file holds at most 255, so none was written");
  imaging::GreyImage bytes(labels.width(), labels.height());
  const int* label = labels.data();
  std::uint8_t* byte = bytes.data();
  for (std::size_t k = 0; k < labels.size(); ++k)
    byte[k] = label[k] == largest ? 0 : static_cast<std::uint8_t>(label[k] & 0xFF);
  return bytes;
}

Segmentation segmentImage(imaging::ColourImage full, const RunSettings& settings, Log& log) {
  const int factor = settings.reductionFactor;
  imaging::IntMap labels;
  Segmentation result;
  RunOutcome& outcome = result.outcome;
  int regions = 0;
  {
    const ReducedSize size = reducedSize(full.width(), full.height(), factor);
    imaging::IntMap reducedLabels(size.width, size.height);
    {
      const imaging::TripleImage reducedLab = convertToLab(reduceBlocks(full, factor));
      const ClusteringResult clustered =
          clusterReducedImage(reducedLab, reducedLabels, settings.texture, settings.ldc, settings.maxAreaNum, log);
      regions = clustered.regions;
      outcome.smallRegions = clustered.smallRegions;
    }
    const int width = full.width();
    const int height = full.height();
    if (!settings.refine) full = imaging::ColourImage();  // only the refinement looks at it again
    labels = expandLabels(reducedLabels, width, height, factor);
    if (settings.refine) regions = refineBoundaries(std::move(full), labels, reducedLabels, regions, factor, log);
  }

  // Region count step: the largest label is what the label file's readers
  // will count.
  const long countStart = processMilliseconds();
  regions = labels.empty() ? 0 : *std::max_element(labels.data(), labels.data() + labels.size());
  outcome.featureExtractionMs = processMilliseconds() - countStart;

  result.labelBytes = labelFileBytes(labels, regions);
  outcome.regions = regions;
  return result;
}

RunOutcome runSegmentation(const RunSettings& settings, Log& log) {
  Segmentation segmentation =
      segmentImage(imaging::readColourImage(settings.inputPath(), settings.margin), settings, log);
  imaging::writeGreyImage(settings.outputPath(), segmentation.labelBytes, settings.margin);
  return segmentation.outcome;
}

}  // namespace segmentation
