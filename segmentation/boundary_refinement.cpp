#include "segmentation/boundary_refinement.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "segmentation/adjacency.h"
#include "segmentation/block_reduction.h"
#include "segmentation/component_labeling.h"
#include "segmentation/lab_conversion.h"

namespace segmentation {

BlockNeighbours::BlockNeighbours(const imaging::IntMap& reduced, int factor, int fullWidth)
    : rows_(reduced.height()),
      columns_(reduced.width()),
      factor_(factor),
      entries_(static_cast<std::size_t>(rows_) * columns_),
      interior_(static_cast<std::size_t>(rows_) * columns_),
      blockColumnOf_(static_cast<std::size_t>(fullWidth)) {
  // Row and column steps of the eight directions, in their order.
  static constexpr int kRowStep[kDirections] = {0, 0, -1, 1, -1, 1, -1, 1};
  static constexpr int kColumnStep[kDirections] = {-1, 1, 0, 0, -1, 1, 1, -1};
  for (int i = 0; i < rows_; ++i) {
    for (int j = 0; j < columns_; ++j) {
      const int own = reduced[i][j];
      std::array<int, kDirections>& entry = entries_[static_cast<std::size_t>(i) * columns_ + j];
      bool alone = true;
      for (int k = 0; k < kDirections; ++k) {
        const int ni = i + kRowStep[k];
        const int nj = j + kColumnStep[k];
        const bool inside = ni >= 0 && ni < rows_ && nj >= 0 && nj < columns_;
        const int other = inside ? reduced[ni][nj] : own;
        entry[k] = other != own ? other : 0;
        alone = alone && entry[k] == 0;
      }
      interior_[static_cast<std::size_t>(i) * columns_ + j] = alone;
    }
  }
  for (int column = 0; column < fullWidth; ++column) blockColumnOf_[column] = blockOf(column, factor_, columns_);
}

int BlockNeighbours::blockRowOf(int row) const { return blockOf(row, factor_, rows_); }

RegionHistograms::RegionHistograms(const imaging::ColourImage& labBytes, const imaging::IntMap& labels,
                                   const BlockNeighbours& neighbours, int regions)
    : bins_(static_cast<std::size_t>(regions) * 3 * kBins, 0.0f),
      interiorCounts_(static_cast<std::size_t>(regions), 0) {
  // Whole counts first: a float bin stops counting at 2^24.
  std::vector<std::uint32_t> counts(bins_.size(), 0);
  for (int row = 0; row < labels.height(); ++row) {
    const int blockRow = neighbours.blockRowOf(row);
    const int* label = labels[row];
    const std::uint8_t* l = labBytes[0][row];
    const std::uint8_t* a = labBytes[1][row];
    const std::uint8_t* b = labBytes[2][row];
    for (int column = 0; column < labels.width(); ++column) {
      const int region = label[column];
      if (region < 1 || region > regions || !neighbours.interior(blockRow, neighbours.blockColumnOf(column))) continue;
      std::uint32_t* h = counts.data() + static_cast<std::size_t>(region - 1) * 3 * kBins;
      ++h[l[column]];
      ++h[kBins + a[column]];
      ++h[2 * kBins + b[column]];
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
    const std::uint8_t* l = labBytes[0][row];
    const std::uint8_t* a = labBytes[1][row];
    const std::uint8_t* b = labBytes[2][row];
    for (int column = 0; column < width; ++column) {
      const DistinctCandidates& candidates = rowCandidates[neighbours.blockColumnOf(column)];
      float best = 0.0f;
      int chosen = 0;
      for (int k = 0; k < candidates.count; ++k) {
        const float likelihood = histograms.likelihood(candidates.labels[k], l[column], a[column], b[column]);
        if (likelihood > best) {
          best = likelihood;
          chosen = candidates.labels[k];
        }
      }
      if (chosen != 0 && histograms.likelihood(label[column], l[column], a[column], b[column]) < best)
        label[column] = chosen;
    }
  }
}

int smallRegionThreshold(int width, int height) { return static_cast<int>(width * 0.75 * height / 100); }

namespace {

// One record of the region table: mean L*, a*, b* and the pixel count.
struct RegionRecord {
  double mean[3] = {0, 0, 0};
  double count = 0;
};

std::vector<RegionRecord> regionTable(const imaging::IntMap& labels, const imaging::ColourImage& labBytes,
                                      int regions) {
  std::vector<std::array<std::int64_t, 3>> sums(static_cast<std::size_t>(regions) + 1, {0, 0, 0});
  std::vector<std::int64_t> counts(static_cast<std::size_t>(regions) + 1, 0);
  for (int row = 0; row < labels.height(); ++row) {
    const int* label = labels[row];
    const std::uint8_t* l = labBytes[0][row];
    const std::uint8_t* a = labBytes[1][row];
    const std::uint8_t* b = labBytes[2][row];
    for (int column = 0; column < labels.width(); ++column) {
      const int region = label[column];
      if (region < 1 || region > regions) continue;
      std::array<std::int64_t, 3>& sum = sums[region];
      sum[0] += l[column];
      sum[1] += a[column];
      sum[2] += b[column];
      ++counts[region];
    }
  }
  std::vector<RegionRecord> table(static_cast<std::size_t>(regions) + 1);
  for (int region = 1; region <= regions; ++region) {
    RegionRecord& record = table[region];
    record.count = static_cast<double>(counts[region]);
    if (counts[region] == 0) continue;
    for (int channel = 0; channel < 3; ++channel)
      record.mean[channel] =
          static_cast<double>(sums[region][channel] - kLabByteOffset * counts[region]) / record.count;
  }
  return table;
}

}  // namespace

// Regions are examined from the highest number down, and a merge only
// renumbers labels above the higher of the pair, so when number r comes up
// it still belongs to the region that started as r (grown by whatever it
// absorbed), and the order of the current numbers is the order of the
// regions' lowest original numbers. That lets the merging run on the region
// adjacency graph with a union-find keyed by original numbers: the same
// result as relabelling the map after every merge, without a map scan per
// region.
int mergeSmallRegions(imaging::IntMap& labels, const imaging::ColourImage& labBytes, int regions, int threshold) {
  std::vector<RegionRecord> table = regionTable(labels, labBytes, regions);
  const bool anySmall = std::any_of(table.begin() + 1, table.end(),
                                    [threshold](const RegionRecord& record) { return record.count < threshold; });
  if (!anySmall) return regions;

  // neighbours[g]: original numbers adjacent to group g, possibly stale or
  // repeated; resolved when g is examined.
  std::vector<std::vector<int>> neighbours(static_cast<std::size_t>(regions) + 1);
  {
    const RegionPairs pairs = regionAdjacency(labels, regions);
    for (int region = 1; region <= regions; ++region)
      for (const int partner : pairs.partners(region - 1)) neighbours[region].push_back(partner + 1);
  }
  // owner[g] leads towards the group g was absorbed by; a group is named by
  // its lowest original number.
  std::vector<int> owner(static_cast<std::size_t>(regions) + 1);
  for (int region = 0; region <= regions; ++region) owner[region] = region;
  const auto find = [&owner](int region) {
    int root = region;
    while (owner[root] != root) root = owner[root];
    while (owner[region] != root) region = std::exchange(owner[region], root);
    return root;
  };

  int total = regions;
  for (int r = regions; r >= 1; --r) {
    if (!(table[r].count < threshold)) continue;
    std::vector<int>& adjacent = neighbours[r];
    for (int& region : adjacent) region = find(region);
    std::sort(adjacent.begin(), adjacent.end(), std::greater<>());
    adjacent.erase(std::unique(adjacent.begin(), adjacent.end()), adjacent.end());
    adjacent.erase(std::remove(adjacent.begin(), adjacent.end(), r), adjacent.end());

    // From the highest number down; only a strictly closer one replaces.
    double best = 500000.0;
    int nearest = 0;
    for (const int j : adjacent) {
      const double dL = table[j].mean[0] - table[r].mean[0];
      const double da = table[j].mean[1] - table[r].mean[1];
      const double db = table[j].mean[2] - table[r].mean[2];
      const double distance = std::sqrt(dL * dL + da * da + db * db);
      if (distance < best) {
        best = distance;
        nearest = j;
      }
    }
    if (nearest == 0) continue;

    const int lo = std::min(r, nearest);
    const int hi = std::max(r, nearest);
    RegionRecord& kept = table[lo];
    const RegionRecord& gone = table[hi];
    for (int channel = 0; channel < 3; ++channel)
      kept.mean[channel] =
          (gone.count * gone.mean[channel] + kept.count * kept.mean[channel]) / (gone.count + kept.count);
    kept.count = gone.count + kept.count;
    owner[hi] = lo;
    if (neighbours[lo].size() < neighbours[hi].size()) std::swap(neighbours[lo], neighbours[hi]);
    neighbours[lo].insert(neighbours[lo].end(), neighbours[hi].begin(), neighbours[hi].end());
    std::vector<int>().swap(neighbours[hi]);
    --total;
  }

  // Survivors keep their order; number them 1..total.
  std::vector<int> finalLabel(static_cast<std::size_t>(regions) + 1, 0);
  int next = 0;
  for (int region = 1; region <= regions; ++region)
    if (owner[region] == region) finalLabel[region] = ++next;
  for (int region = 1; region <= regions; ++region) finalLabel[region] = finalLabel[find(region)];
  int* pixel = labels.data();
  for (std::size_t k = 0; k < labels.size(); ++k)
    if (pixel[k] >= 1 && pixel[k] <= regions) pixel[k] = finalLabel[pixel[k]];
  return total;
}

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
