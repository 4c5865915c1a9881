#pragma once
// Files the classifier reads, made to order for tests: descriptor files in
// the extractor's layout with chosen number texts, and label files.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "classification/descriptor_readers.h"
#include "imaging/buffers.h"
#include "imaging/pnm.h"

namespace classifier_files {

using formats::DescriptorKind;
using Block = std::vector<std::string>;  // the number texts of one region

// A block of n copies of one number text.
inline Block uniform(DescriptorKind kind, const std::string& number) {
  return Block(static_cast<std::size_t>(formats::descriptorFormat(kind).values), number);
}

inline std::string joined(const Block& numbers, std::size_t from, std::size_t count) {
  std::string text;
  for (std::size_t i = from; i < from + count; ++i) text += (i == from ? "" : "  ") + numbers[i];
  return text;
}

// The text of a descriptor file holding one element per block, numbers two
// blanks apart, as the extractor writes it.
inline std::string descriptorXml(DescriptorKind kind, const std::vector<Block>& blocks) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<Mpeg7 xmlns=\"urn:mpeg:mpeg7:schema:2001\">\n"
      "<Description>\n"
      "<RegionCollection regions=\"" + std::to_string(blocks.size()) + "\">\n";
  for (std::size_t j = 0; j < blocks.size(); ++j) {
    const Block& b = blocks[j];
    text += "<VisualDescriptor>\n<Region label=\"" + std::to_string(j) + "\"/>\n<BoundingBox left=\"0\"/>\n";
    if (kind == DescriptorKind::HomogeneousTexture) {
      text += "<Average>" + b[0] + "</Average>\n<StandardDeviation>" + b[1] + "</StandardDeviation>\n";
      text += "<Energy>" + joined(b, 2, 30) + "</Energy>\n<EnergyDeviation>" + joined(b, 32, 30) + "</EnergyDeviation>\n";
    } else {
      text += "<Values>" + joined(b, 0, b.size()) + "</Values>\n";
    }
    text += "</VisualDescriptor>\n";
  }
  return text + "</RegionCollection>\n</Description>\n</Mpeg7>\n";
}

// A test name made of a case's description.
template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& info) {
  std::string name = info.param.what;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

// A label file of one row holding the given values.
inline void writeLabels(const std::string& path, const std::vector<std::uint8_t>& values) {
  imaging::GreyImage labels(static_cast<int>(values.size()), 1);
  for (std::size_t i = 0; i < values.size(); ++i) labels[0][i] = values[i];
  imaging::writeGreyImage(path, labels);
}

}  // namespace classifier_files
