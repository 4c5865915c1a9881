#pragma once
// The computation of the texture filter bank from its definition. The build
// runs it once (tablegen/) to make the table the extractor is compiled with;
// the tests compare that table with it bit for bit.

#include <array>
#include <cstdint>
#include <vector>

#include "tools/descriptors/texture_filter_bank.h"

namespace descriptors {

struct ComputedFilterBank {
  std::vector<double> radius;  // per cell, v * 128 + u
  // Per channel: the cells whose weight is not below 1e-30, in increasing order, and their weights.
  std::array<std::vector<std::uint16_t>, kTextureChannels> cells;
  std::array<std::vector<double>, kTextureChannels> weights;
  std::array<double, kTextureChannels> weightSums{};  // over all cells, in cell order
};

ComputedFilterBank computeTextureFilterBank();

}  // namespace descriptors
