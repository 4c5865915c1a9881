#pragma once
// The descriptor file: one VisualDescriptor element per region, in label
// order, laid out so that a reader which only counts the delimiters '<', '>'
// and blanks finds every value. Every line ends in a single line feed; values
// in a row are exactly two blanks apart, the first right after '>', the last
// right before '<'.

#include <string>
#include <vector>

#include "tools/descriptors/descriptor_kind.h"
#include "tools/descriptors/regions.h"

namespace descriptors {

// The whole file for the blocks of `regions` (blocks[j] belongs to regions[j]).
std::string descriptorDocument(const KindInfo& kind, const std::vector<Region>& regions,
                               const std::vector<Block>& blocks, int imageWidth, int imageHeight);

}  // namespace descriptors
