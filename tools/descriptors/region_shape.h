#pragma once
// Region Shape: 35 values per region in 0..15, the magnitudes of the Angular
// Radial Transform of the region's mask (radial order n < 3, angular order
// m < 12, without (0, 0), which normalises the others). Value 3 m + n - 1
// holds (n, m). Colours play no part.

#include <array>
#include <vector>

#include "tools/descriptors/regions.h"

namespace descriptors {

inline constexpr int kShapeValues = 35;
inline constexpr int kRadialOrders = 3;
inline constexpr int kAngularOrders = 12;

// |F(n, m)| / N for every order, indexed [n][m].
using ShapeMagnitudes = std::array<std::array<double, kAngularOrders>, kRadialOrders>;

// The magnitudes of every region, in label order (all zero for an empty region).
std::vector<ShapeMagnitudes> shapeMagnitudes(const imaging::GreyImage& labels, const std::vector<Region>& regions);

// The 35 quantised values of every region, in label order. An empty region
// gives 35 zeros.
std::vector<Block> regionShape(const imaging::GreyImage& labels, const std::vector<Region>& regions);

}  // namespace descriptors
