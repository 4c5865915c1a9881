#include "segmentation/likelihood_relabelling.h"

#include <algorithm>
#include <array>
#include <vector>

#include "segmentation/lab_conversion.h"

namespace segmentation {

namespace {

// The differing labels around one block, each once, in the order of their
// first direction. A label met again in a later direction cannot win (only a
// strictly higher likelihood replaces the choice), so it is weighed once.
struct DistinctCandidates {
  int count = 0;
  std::array<int, kDirections> labels{};
};

DistinctCandidates distinctCandidates(const std::array<int, kDirections>& directions) {
  DistinctCandidates distinct;
  for (const int candidate : directions) {
    if (candidate == 0) continue;
    const auto end = distinct.labels.begin() + distinct.count;
    if (std::find(distinct.labels.begin(), end, candidate) == end) distinct.labels[distinct.count++] = candidate;
  }
  return distinct;
}

}  // namespace

void relabelByLikelihood(imaging::IntMap& labels, const imaging::ColourImage& labBytes,
                         const BlockNeighbours& neighbours, const RegionHistograms& histograms) {
  const int width = labels.width();
  if (width < 1) return;
  // The candidates of the blocks of one block row, made when the row starts.
  std::vector<DistinctCandidates> rowCandidates(static_cast<std::size_t>(neighbours.blockColumnOf(width - 1)) + 1);
  int candidatesRow = -1;
  for (int row = 0; row < labels.height(); ++row) {
    const int blockRow = neighbours.blockRowOf(row);
    if (blockRow != candidatesRow) {
      for (std::size_t q = 0; q < rowCandidates.size(); ++q)
        rowCandidates[q] = distinctCandidates(neighbours.ofBlock(blockRow, static_cast<int>(q)));
      candidatesRow = blockRow;
    }
    int* label = labels[row];
    const LabByteRow lab = labByteRow(labBytes, row);
    for (int column = 0; column < width; ++column) {
      const DistinctCandidates& candidates = rowCandidates[neighbours.blockColumnOf(column)];
      float best = 0.0f;
      int chosen = 0;
      for (int k = 0; k < candidates.count; ++k) {
        const float likelihood =
            histograms.likelihood(candidates.labels[k], lab.l[column], lab.a[column], lab.b[column]);
        if (likelihood > best) {
          best = likelihood;
          chosen = candidates.labels[k];
        }
      }
      if (chosen != 0 && histograms.likelihood(label[column], lab.l[column], lab.a[column], lab.b[column]) < best)
        label[column] = chosen;
    }
  }
}

}  // namespace segmentation
