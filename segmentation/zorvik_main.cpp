// Zorvik: segments one colour image into connected regions and writes the
// label file.
//
//   Zorvik <input_image_dir> <output_dir> <Image Name> <ReductionFactor>
//          <LDC> <Texture> <ML> <SingleSideMargin> <MaxAreaNum>

#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "imaging/failure.h"
#include "segmentation/log.h"
#include "segmentation/run_driver.h"

// The run allocates and releases image-sized buffers stage by stage. By
// default each of them is mapped afresh and returned to the system when
// released, and faulting in fresh pages can cost more than the stages' own
// work. Keeping released memory in the heap lets the next stage reuse it.
static void keepReleasedMemoryForReuse() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

int main(int argc, char** argv) {
  keepReleasedMemoryForReuse();
  return imaging::runReportingFailures([&] {
    const long start = segmentation::processMilliseconds();
    const segmentation::RunSettings settings = segmentation::parseCommandLine(argc, argv);

    segmentation::Log log(stdout);
    log.print("W=%d ; LDC=%d ;l1=%d ; ML_enable=%d \n", settings.reductionFactor, settings.ldc,
              settings.texture ? 1 : 0, settings.refine ? 1 : 0);
    log.print(" processing image %s\n", settings.imageName.c_str());

    segmentation::RunCounters counters;
    const int regions = segmentation::runSegmentation(settings, counters, log);

    const long end = segmentation::processMilliseconds();
    log.print(" region_number: \n%d   ", regions);
    log.print("%10.3f seconds total\n", static_cast<double>(end - start) / 1000);
    log.print("%10.6f seconds average for feature extraction\n", static_cast<double>(counters.featureExtractionMs) / 1000);
    log.print("%f small region average\n", static_cast<double>(counters.smallRegionCounter));
    return 0;
  });
}
