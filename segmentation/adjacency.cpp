#include "segmentation/adjacency.h"

#include <algorithm>

namespace segmentation {

void markAdjacent(const imaging::IntMap& labels, int label, std::vector<std::uint8_t>& flags) {
  const int width = labels.width();
  const int height = labels.height();
  const auto flag = [&flags](int neighbour) {
    if (neighbour >= 1 && static_cast<std::size_t>(neighbour) <= flags.size()) flags[neighbour - 1] = 1;
  };
  for (int row = 0; row < height; ++row) {
    const int* line = labels[row];
    for (int column = 0; column < width; ++column) {
      if (line[column] != label) continue;
      if (row > 0) flag(labels[row - 1][column]);
      if (row + 1 < height) flag(labels[row + 1][column]);
      if (column > 0) flag(line[column - 1]);
      if (column + 1 < width) flag(line[column + 1]);
    }
  }
}

bool RegionPairs::has(int a, int b) const {
  const std::vector<int>& list = partners(a);
  return std::binary_search(list.begin(), list.end(), b);
}

void RegionPairs::add(int a, int b) {
  if (a == b) return;
  const auto insert = [](std::vector<int>& list, int value) {
    const auto at = std::lower_bound(list.begin(), list.end(), value);
    if (at == list.end() || *at != value) list.insert(at, value);
  };
  insert(partners_[static_cast<std::size_t>(a)], b);
  insert(partners_[static_cast<std::size_t>(b)], a);
}

void RegionPairs::remove(int a, int b) {
  const auto erase = [](std::vector<int>& list, int value) {
    const auto at = std::lower_bound(list.begin(), list.end(), value);
    if (at != list.end() && *at == value) list.erase(at);
  };
  erase(partners_[static_cast<std::size_t>(a)], b);
  erase(partners_[static_cast<std::size_t>(b)], a);
}

int RegionPairs::largestPartnerBelow(int r) const {
  const std::vector<int>& list = partners(r);
  const auto at = std::lower_bound(list.begin(), list.end(), r);
  return at == list.begin() ? -1 : *(at - 1);
}

RegionPairs regionAdjacency(const imaging::IntMap& labels, int regions) {
  RegionPairs pairs(regions);
  const auto addInRange = [&pairs, regions](int a, int b) {
    if (a >= 1 && a <= regions && b >= 1 && b <= regions) pairs.add(a - 1, b - 1);
  };
  // Every 4-neighbourhood is a right or a down neighbour of one of its two
  // pixels, so looking right and down covers all of them. Most neighbours
  // hold the same label; only the differing ones are looked at further.
  const int width = labels.width();
  for (int row = 0; row < labels.height(); ++row) {
    const int* line = labels[row];
    for (int column = 0; column + 1 < width; ++column)
      if (line[column] != line[column + 1]) addInRange(line[column], line[column + 1]);
    if (row + 1 == labels.height()) break;
    const int* below = labels[row + 1];
    for (int column = 0; column < width; ++column)
      if (line[column] != below[column]) addInRange(line[column], below[column]);
  }
  return pairs;
}

}  // namespace segmentation
