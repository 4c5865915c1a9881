#include "segmentation/boundary_refinement.h"

#include <utility>

#include "segmentation/component_labeling.h"
#include "segmentation/lab_conversion.h"

namespace segmentation {

int refineBoundaries(imaging::ColourImage full, imaging::IntMap& labels, const imaging::IntMap& reduced, int regions,
                     int factor, Log& log) {
  const int width = full.width();
  const int height = full.height();
  imaging::ColourImage labBytes = std::move(full);
  convertToLabBytesInPlace(labBytes);
  const BlockNeighbours neighbours(reduced, factor, width);
  {
    const RegionHistograms histograms(labBytes, labels, neighbours, regions);
    relabelByLikelihood(labels, labBytes, neighbours, histograms);
  }
  const int components = componentLabelingFinal(labels, regions);
  const int total = mergeSmallRegions(labels, labBytes, components, smallRegionThreshold(width, height));
  log.print("%d final regions\n", total);
  return total;
}

}  // namespace segmentation
