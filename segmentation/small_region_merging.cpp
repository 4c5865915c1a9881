#include "segmentation/small_region_merging.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "segmentation/adjacency.h"
#include "segmentation/component_labeling.h"
#include "segmentation/lab_conversion.h"
#include "segmentation/small_region_absorption.h"

namespace segmentation {

int smallRegionThreshold(int width, int height) { return static_cast<int>(width * 0.75 * height / 100); }

namespace {

// Larger than any distance of two L*a*b* means: a neighbour at this distance
// or beyond is no choice.
constexpr double kNoNearerColour = 500000.0;

// A region's mean L*, a*, b* and its pixel count.
struct MeanColour {
  double mean[3] = {0, 0, 0};
  double count = 0;
};

// The mean colours of the labels 1..regions, indexed by label (entry 0
// unused).
std::vector<MeanColour> meanColours(const imaging::IntMap& labels, const imaging::ColourImage& labBytes, int regions) {
  std::vector<std::array<std::int64_t, 3>> sums(static_cast<std::size_t>(regions) + 1, {0, 0, 0});
  std::vector<std::int64_t> counts(static_cast<std::size_t>(regions) + 1, 0);
  for (int row = 0; row < labels.height(); ++row) {
    const int* label = labels[row];
    const LabByteRow lab = labByteRow(labBytes, row);
    for (int column = 0; column < labels.width(); ++column) {
      const int region = label[column];
      if (region < 1 || region > regions) continue;
      std::array<std::int64_t, 3>& sum = sums[region];
      sum[0] += lab.l[column];
      sum[1] += lab.a[column];
      sum[2] += lab.b[column];
      ++counts[region];
    }
  }
  std::vector<MeanColour> table(static_cast<std::size_t>(regions) + 1);
  for (int region = 1; region <= regions; ++region) {
    MeanColour& record = table[region];
    record.count = static_cast<double>(counts[region]);
    if (counts[region] == 0) continue;
    for (int channel = 0; channel < 3; ++channel)
      record.mean[channel] =
          static_cast<double>(sums[region][channel] - kLabByteOffset * counts[region]) / record.count;
  }
  return table;
}

double colourDistance(const MeanColour& a, const MeanColour& b) {
  const double dL = a.mean[0] - b.mean[0];
  const double da = a.mean[1] - b.mean[1];
  const double db = a.mean[2] - b.mean[2];
  return std::sqrt(dL * dL + da * da + db * db);
}

}  // namespace

int mergeSmallRegions(imaging::IntMap& labels, const imaging::ColourImage& labBytes, int regions, int threshold) {
  std::vector<MeanColour> table = meanColours(labels, labBytes, regions);
  const auto small = [&table, threshold](int group) { return table[group + 1].count < threshold; };
  const bool anySmall = std::any_of(table.begin() + 1, table.end(),
                                    [threshold](const MeanColour& record) { return record.count < threshold; });
  if (!anySmall) return regions;

  const Absorption absorption = absorbSmallRegions(
      regionAdjacency(labels, regions), small,
      [&table](int group, const std::vector<int>& adjacentDescending) {
        // From the highest label down; only a strictly closer one replaces.
        double best = kNoNearerColour;
        int nearest = -1;
        for (const int other : adjacentDescending) {
          const double distance = colourDistance(table[other + 1], table[group + 1]);
          if (distance < best) {
            best = distance;
            nearest = other;
          }
        }
        return nearest;
      },
      [&table](int low, int high) {
        // The merged record's means are weighted by the pixel counts.
        MeanColour& kept = table[low + 1];
        const MeanColour& gone = table[high + 1];
        for (int channel = 0; channel < 3; ++channel)
          kept.mean[channel] =
              (gone.count * gone.mean[channel] + kept.count * kept.mean[channel]) / (gone.count + kept.count);
        kept.count = gone.count + kept.count;
      });
  renumberThrough(labels, absorption.newLabel);
  return absorption.regions();
}

}  // namespace segmentation
