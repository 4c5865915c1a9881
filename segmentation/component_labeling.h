#pragma once
// Connected components of a label map: the 4-connected flood relabel, the
// two component relabellings (with and without a minimum size) and the
// label compaction that closes the gaps a merge leaves.
//
// Every relabelling here numbers regions in the order in which a raster scan
// (top row first, each row left to right) first meets them. Fills use an
// explicit work list, so a region as large as the whole map is fine.

#include <cstdint>
#include <vector>

#include "imaging/buffers.h"

namespace segmentation {

// Replaces `oldLabel` by `newLabel` on the 4-connected component of
// `oldLabel` pixels that contains (row, column) and returns the number of
// pixels replaced. Does nothing and returns 0 when that pixel does not hold
// `oldLabel`, when the two labels are equal, or when (row, column) lies
// outside the map.
std::int64_t floodRelabel(imaging::IntMap& labels, int row, int column, int oldLabel, int newLabel);

// Splits the labels 1..regions into 4-connected components, numbers the
// components of at least `minimumSize` pixels 1..n in raster order of their
// first pixel, sets the pixels of smaller components to 0 and returns n.
// Pixels holding 0 or a label above `regions` on entry are not scanned.
// When no component reaches the minimum size, every pixel becomes 1 and the
// result is 1.
int componentsWithMinimumSize(imaging::IntMap& labels, int regions, int minimumSize);

// Gives every 4-connected component of the labels 1..regions its own label
// 1..n in raster order of its first pixel and returns n. A region split into
// parts that touch only diagonally comes out as several regions. Works on
// any map whose labels are 1..regions (the reduced map of the clustering or
// a full-resolution map); pixels holding 0 keep 0.
int componentLabelingFinal(imaging::IntMap& labels, int regions);

// Renumbers the regions 1..n without gaps and returns n. Expects what every
// merging step leaves: each region one 4-connected component, and the
// regions' first pixels in raster order carrying increasing labels (with
// gaps where regions were merged away). Pixels holding 0 are skipped.
int compactLabels(imaging::IntMap& labels);

// Renumbers the map through a table: every pixel holding a label v with
// 1 <= v < table.size() takes table[v]; pixels holding 0 or a label beyond
// the table keep theirs. The one relabelling pass of every step that decides
// the new labels first (merges, absorption, component numbering).
void renumberThrough(imaging::IntMap& labels, const std::vector<int>& table);

}  // namespace segmentation
