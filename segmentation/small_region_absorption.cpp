#include "segmentation/small_region_absorption.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace segmentation {

AbsorptionGroups::AbsorptionGroups(const RegionPairs& adjacency)
    : parent_(static_cast<std::size_t>(adjacency.regions())) {
  std::iota(parent_.begin(), parent_.end(), 0);
  neighbours_.reserve(parent_.size());
  for (int group = 0; group < adjacency.regions(); ++group) neighbours_.push_back(adjacency.partners(group));
}

int AbsorptionGroups::find(int group) {
  int root = group;
  while (parent_[root] != root) root = parent_[root];
  while (parent_[group] != root) group = std::exchange(parent_[group], root);
  return root;
}

const std::vector<int>& AbsorptionGroups::adjacentDescending(int group) {
  std::vector<int>& list = neighbours_[group];
  for (int& other : list) other = find(other);
  std::sort(list.begin(), list.end(), std::greater<>());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  list.erase(std::remove(list.begin(), list.end(), group), list.end());
  return list;
}

void AbsorptionGroups::join(int low, int high) {
  parent_[high] = low;
  std::vector<int>& into = neighbours_[low];
  std::vector<int>& from = neighbours_[high];
  if (into.size() < from.size()) into.swap(from);
  into.insert(into.end(), from.begin(), from.end());
  std::vector<int>().swap(from);
}

Absorption AbsorptionGroups::result() {
  const int regions = static_cast<int>(parent_.size());
  Absorption absorption;
  std::vector<int> rank(parent_.size(), 0);
  for (int group = 0; group < regions; ++group) {
    if (parent_[group] != group) continue;
    absorption.survivors.push_back(group);
    rank[group] = absorption.regions();
  }
  absorption.newLabel.assign(static_cast<std::size_t>(regions) + 1, 0);
  for (int label = 1; label <= regions; ++label) absorption.newLabel[label] = rank[find(label - 1)];
  return absorption;
}

}  // namespace segmentation
