#pragma once
// Absorption of small regions into a neighbour, by union-find on the region
// adjacency graph: the one algorithm behind `append` (centre records) and
// the small-region merging of the boundary refinement (mean colours).

#include <vector>

#include "segmentation/adjacency.h"

namespace segmentation {

// What an absorption leaves: the label every label on entry now has, and the
// surviving groups.
struct Absorption {
  // newLabel[l] for the labels l = 0..regions on entry (0 stays 0); the
  // survivors are numbered 1..n in the order of their labels on entry.
  std::vector<int> newLabel;
  // The 0-based entry label of each survivor, ascending: survivors[c - 1]
  // is the group that now carries label c.
  std::vector<int> survivors;

  int regions() const { return static_cast<int>(survivors.size()); }
};

// The regions as they merge. A group is named by the 0-based label its
// region had on entry; when two groups join, the lower name survives.
// Regions are visited from the highest label down and a join only moves the
// labels above the higher of the pair down by one, so when label l comes up
// it still belongs to group l - 1 (grown by whatever it absorbed), and the
// order of the current labels is the order of the groups' names. That is why
// the map need not be rewritten until the end: the same result as
// relabelling the map after every join, without a map scan per region.
class AbsorptionGroups {
 public:
  explicit AbsorptionGroups(const RegionPairs& adjacency);

  int find(int group);

  // The groups adjacent to `group`, each once, in descending order (which is
  // also the descending order of their current labels).
  const std::vector<int>& adjacentDescending(int group);

  // Joins `high` into `low` (low < high).
  void join(int low, int high);

  Absorption result();

 private:
  std::vector<int> parent_;
  // Names adjacent to each group, possibly stale or repeated; resolved when
  // the group is visited.
  std::vector<std::vector<int>> neighbours_;
};

// Visits the groups from the highest entry label down once each. A group for
// which small(g) holds (asked when it is visited, after the joins before it)
// is offered its adjacent groups in descending order; nearest(g, adjacent)
// returns the chosen one or -1 for none. Then joinRecords(low, high) merges
// the two groups' records into the lower one's, and the groups join.
template <typename Small, typename Nearest, typename JoinRecords>
Absorption absorbSmallRegions(const RegionPairs& adjacency, Small small, Nearest nearest, JoinRecords joinRecords) {
  AbsorptionGroups groups(adjacency);
  for (int group = adjacency.regions() - 1; group >= 0; --group) {
    if (!small(group)) continue;
    const int choice = nearest(group, groups.adjacentDescending(group));
    if (choice < 0) continue;
    const int low = choice < group ? choice : group;
    const int high = choice < group ? group : choice;
    joinRecords(low, high);
    groups.join(low, high);
  }
  return groups.result();
}

}  // namespace segmentation
