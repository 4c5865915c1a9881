#include "segmentation/append.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "segmentation/adjacency.h"

namespace segmentation {

namespace {

constexpr float kNoNeighbour = 500000.0f;

// The regions as they merge. A group is named by the 0-based label its
// region had on entry; when two groups join, the lower name survives. Since
// a join also moves every higher label down by one, the current label of a
// surviving group is one plus its rank among the survivors, so the map need
// not be rewritten until the end.
class Groups {
 public:
  Groups(const RegionPairs& adjacency, int regions)
      : parent_(static_cast<std::size_t>(regions)), alive_(static_cast<std::size_t>(regions)) {
    std::iota(parent_.begin(), parent_.end(), 0);
    std::iota(alive_.begin(), alive_.end(), 0);
    neighbours_.reserve(static_cast<std::size_t>(regions));
    for (int g = 0; g < regions; ++g) neighbours_.push_back(adjacency.partners(g));
  }

  int count() const { return static_cast<int>(alive_.size()); }
  // The group that carries the current label.
  int groupOf(int label) const { return alive_[static_cast<std::size_t>(label - 1)]; }
  const std::vector<int>& survivors() const { return alive_; }

  int find(int group) {
    while (parent_[group] != group) {
      parent_[group] = parent_[parent_[group]];
      group = parent_[group];
    }
    return group;
  }

  // The groups adjacent to `group`, in ascending order (which is also the
  // order of their current labels).
  const std::vector<int>& adjacentGroups(int group) {
    std::vector<int>& list = neighbours_[group];
    for (int& other : list) other = find(other);
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    list.erase(std::remove(list.begin(), list.end(), group), list.end());
    return list;
  }

  // Joins `high` into `low` (low < high).
  void join(int low, int high) {
    parent_[high] = low;
    std::vector<int>& into = neighbours_[low];
    std::vector<int>& from = neighbours_[high];
    if (into.size() < from.size()) into.swap(from);
    into.insert(into.end(), from.begin(), from.end());
    from = {};
    alive_.erase(std::lower_bound(alive_.begin(), alive_.end(), high));
  }

 private:
  std::vector<int> parent_;
  std::vector<int> alive_;  // ascending; label c belongs to alive_[c - 1]
  std::vector<std::vector<int>> neighbours_;
};

// The record of the joined region: pixel-count weighted means of every field
// but the count, which becomes the sum.
void joinRecords(double* low, const double* high, int stride) {
  const double lowCount = low[kCount];
  const double highCount = high[kCount];
  for (int k = 0; k < stride; ++k) {
    if (k == kCount) continue;
    low[k] = (highCount * high[k] + lowCount * low[k]) / (highCount + lowCount);
  }
  low[kCount] = lowCount + highCount;
}

}  // namespace

int append(imaging::IntMap& labels, int regions, CentreTable& centres, const DistanceWeights& weights, int areaLimit,
           Log& log) {
  if (centres.size() < regions) throw std::invalid_argument("append: fewer centres than regions");
  log.print("append: area_num=%d\n", regions);
  const int stride = centres.stride();
  const int textureLength = centres.textureLength();

  // Records are kept by group name while merging; centres[g] is group g's.
  Groups groups(regionAdjacency(labels, regions), regions);
  for (int label = regions; label >= 1; --label) {
    const int group = groups.groupOf(label);
    if (centres[group][kCount] >= areaLimit) continue;

    // Nearest neighbour, scanning from the highest label down: a lower label
    // replaces the choice only when strictly closer.
    float best = kNoNeighbour;
    int choice = -1;
    const std::vector<int>& adjacent = groups.adjacentGroups(group);
    for (auto other = adjacent.rbegin(); other != adjacent.rend(); ++other) {
      const float distance = centreDistance(centres[group], centres[*other], textureLength, weights);
      if (distance < best) {
        best = distance;
        choice = *other;
      }
    }
    if (choice < 0) continue;

    const int low = std::min(group, choice);
    const int high = std::max(group, choice);
    joinRecords(centres[low], centres[high], stride);
    groups.join(low, high);
  }

  // Relabel the map once: a pixel's region on entry names its group, whose
  // rank among the survivors is its label now.
  const std::vector<int>& survivors = groups.survivors();
  std::vector<int> rank(static_cast<std::size_t>(regions), 0);
  for (int c = 0; c < groups.count(); ++c) rank[survivors[c]] = c + 1;
  std::vector<int> relabel(static_cast<std::size_t>(regions) + 1, 0);
  for (int label = 1; label <= regions; ++label) relabel[label] = rank[groups.find(label - 1)];
  int* pixel = labels.data();
  for (std::size_t k = 0; k < labels.size(); ++k)
    if (pixel[k] >= 1 && pixel[k] <= regions) pixel[k] = relabel[pixel[k]];

  CentreTable remaining(groups.count(), textureLength / 9);
  for (int c = 0; c < groups.count(); ++c) std::copy(centres[survivors[c]], centres[survivors[c]] + stride, remaining[c]);
  centres = std::move(remaining);
  return groups.count();
}

}  // namespace segmentation
