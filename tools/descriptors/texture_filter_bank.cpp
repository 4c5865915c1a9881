#include "tools/descriptors/texture_filter_bank.h"

#include "tools/descriptors/filter_bank_construction.h"
#include "tools/descriptors/filter_bank_table.h"

namespace descriptors {

TextureFilterBank::TextureFilterBank() : radius_(filter_bank_table::kRadius) {
  using namespace filter_bank_table;
  for (std::size_t i = 0; i < channels_.size(); ++i) {
    const std::size_t start = kChannelStart[i];
    const std::size_t size = kChannelStart[i + 1] - start;
    channels_[i] = Channel{{kCells + start, size}, {kWeights + start, size}, kWeightSums[i]};
  }
}

TextureFilterBank::TextureFilterBank(const ComputedFilterBank& computed) : radius_(computed.radius) {
  for (std::size_t i = 0; i < channels_.size(); ++i)
    channels_[i] = Channel{computed.cells[i], computed.weights[i], computed.weightSums[i]};
}

}  // namespace descriptors
