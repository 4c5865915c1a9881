#pragma once
// The texture filter bank as the build computes and compiles it in: the
// generated texture_filter_bank_table.cpp defines these arrays (see
// tablegen/write_filter_bank_table.cpp).

#include <cstdint>

#include "tools/descriptors/texture_filter_bank.h"

namespace descriptors::filter_bank_table {

extern const double kRadius[kTextureCells];
// Channel i's cells and weights are entries kChannelStart[i] to kChannelStart[i + 1] - 1.
extern const std::uint32_t kChannelStart[kTextureChannels + 1];
extern const std::uint16_t kCells[];
extern const double kWeights[];
extern const double kWeightSums[kTextureChannels];

}  // namespace descriptors::filter_bank_table
