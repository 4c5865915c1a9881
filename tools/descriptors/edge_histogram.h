#pragma once
// Edge Histogram: 80 values per region in 0..7. The bounding box is cut into
// 4 x 4 sub-images; in each, square blocks that lie mostly inside the region
// are classed as vertical, horizontal, 45-degree, 135-degree or
// non-directional edges (or no edge), and the share of each type among the
// sub-image's blocks is quantised to 3 bits. Value 5 k + t holds sub-image k
// (counted row by row) and edge type t.

#include <array>
#include <cstdint>
#include <vector>

#include "tools/descriptors/regions.h"

namespace descriptors {

inline constexpr int kEdgeValues = 80;
inline constexpr int kEdgeTypes = 5;

// Side of the square blocks for a bounding box: about 1100 blocks over the
// box, even, at least 2.
int edgeBlockSize(int width, int height);

// min(7, floor(8 sqrt(b / bmax))) for the share b = count / used of edge type
// `type`, computed exactly in integers; 0 when no block was used.
int edgeLevel(std::int64_t count, std::int64_t used, int type);

// The 80 values of every region, in label order. An empty region, or one
// without a usable block, gives 80 zeros.
std::vector<Block> edgeHistogram(const imaging::ColourImage& image, const imaging::GreyImage& labels,
                                 const std::vector<Region>& regions);

}  // namespace descriptors
