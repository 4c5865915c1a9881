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

// Writes `bytes` to `path` under a temporary name in the same folder and then
// renames it, so that `path` is either the old file or the complete new one.
void writeFileReplacing(const std::string& path, const std::string& bytes);

}  // namespace descriptors
