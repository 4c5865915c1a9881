#include "segmentation/region_histograms.h"

#include "segmentation/lab_conversion.h"

namespace segmentation {

RegionHistograms::RegionHistograms(const imaging::ColourImage& labBytes, const imaging::IntMap& labels,
                                   const BlockNeighbours& neighbours, int regions)
    : bins_(static_cast<std::size_t>(regions) * 3 * kBins, 0.0f),
      interiorCounts_(static_cast<std::size_t>(regions), 0) {
  // Whole counts first: a float bin stops counting at 2^24.
  std::vector<std::uint32_t> counts(bins_.size(), 0);
  for (int row = 0; row < labels.height(); ++row) {
    const int blockRow = neighbours.blockRowOf(row);
    const int* label = labels[row];
    const LabByteRow lab = labByteRow(labBytes, row);
    for (int column = 0; column < labels.width(); ++column) {
      const int region = label[column];
      if (region < 1 || region > regions || !neighbours.interior(blockRow, neighbours.blockColumnOf(column))) continue;
      std::uint32_t* h = counts.data() + static_cast<std::size_t>(region - 1) * 3 * kBins;
      ++h[lab.l[column]];
      ++h[kBins + lab.a[column]];
      ++h[2 * kBins + lab.b[column]];
      ++interiorCounts_[static_cast<std::size_t>(region - 1)];
    }
  }
  for (int region = 0; region < regions; ++region) {
    const int interior = interiorCounts_[static_cast<std::size_t>(region)];
    if (interior == 0) continue;  // no interior: the histograms stay zero
    const float divisor = static_cast<float>(interior);
    const std::size_t first = static_cast<std::size_t>(region) * 3 * kBins;
    for (std::size_t k = first; k < first + 3 * kBins; ++k) bins_[k] = static_cast<float>(counts[k]) / divisor;
  }
}

}  // namespace segmentation
