// Zorvik: segments one colour image into connected regions and writes the
// label file.
//
//   Zorvik <input_image_dir> <output_dir> <Image Name> <ReductionFactor>
//          <LDC> <Texture> <ML> <SingleSideMargin> <MaxAreaNum>

#include <cstdio>

#include "platform/failure.h"
#include "segmentation/log.h"
#include "segmentation/run_driver.h"
#include "segmentation/run_memory.h"

int main(int argc, char** argv) {
  segmentation::keepReleasedMemoryForReuse();
  return platform::runReportingFailures([&] {
    const long start = segmentation::processMilliseconds();
    const segmentation::RunSettings settings = segmentation::parseCommandLine(argc, argv);
    const segmentation::HeapGap heapGap =
        segmentation::growHeapInHugePages(segmentation::expectedRunMemory(settings.inputPath()));

    segmentation::Log log(stdout);
    log.print("W=%d ; LDC=%d ;l1=%d ; ML_enable=%d \n", settings.reductionFactor, settings.ldc,
              settings.texture ? 1 : 0, settings.refine ? 1 : 0);
    log.print(" processing image %s\n", settings.imageName.c_str());

    const segmentation::RunOutcome run = segmentation::runSegmentation(settings, log);

    const long end = segmentation::processMilliseconds();
    log.print(" region_number: \n%d   ", run.regions);
    log.print("%10.3f seconds total\n", static_cast<double>(end - start) / 1000);
    log.print("%10.6f seconds average for feature extraction\n", static_cast<double>(run.featureExtractionMs) / 1000);
    log.print("%f small region average\n", static_cast<double>(run.smallRegions));
    return 0;
  });
}
