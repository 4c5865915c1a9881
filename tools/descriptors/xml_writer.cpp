#include "tools/descriptors/xml_writer.h"


namespace descriptors {
namespace {

void appendRow(std::string& out, std::string_view element, const Block& block, std::size_t first, std::size_t count) {
  out += '<';
  out += element;
  out += '>';
  for (std::size_t i = first; i < first + count; ++i) {
    if (i > first) out += "  ";
    out += std::to_string(block[i]);
  }
  out += "</";
  out += element;
  out += ">\n";
}

void appendSingle(std::string& out, std::string_view element, int value) {
  out += '<';
  out += element;
  out += '>';
  out += std::to_string(value);
  out += "</";
  out += element;
  out += ">\n";
}

}  // namespace

std::string descriptorDocument(const KindInfo& kind, const std::vector<Region>& regions,
                               const std::vector<Block>& blocks, int imageWidth, int imageHeight) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<Mpeg7 xmlns=\"urn:mpeg:mpeg7:schema:2001\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
      "<Description xsi:type=\"ContentEntityType\">\n";
  out += "<RegionCollection descriptor=\"" + std::string(kind.collectionName) + "\" regions=\"" +
         std::to_string(regions.size()) + "\" imageWidth=\"" + std::to_string(imageWidth) + "\" imageHeight=\"" +
         std::to_string(imageHeight) + "\">\n";
  for (std::size_t j = 0; j < regions.size(); ++j) {
    const Region& region = regions[j];
    const Block& block = blocks[j];
    out += "<VisualDescriptor xsi:type=\"" + std::string(kind.typeName) + "\">\n";
    out +=
        "<Region label=\"" + std::to_string(region.label) + "\" pixels=\"" + std::to_string(region.pixels) + "\"/>\n";
    out += "<BoundingBox left=\"" + std::to_string(region.box.left) + "\" top=\"" + std::to_string(region.box.top) +
           "\" width=\"" + std::to_string(region.box.width) + "\" height=\"" + std::to_string(region.box.height) +
           "\"/>\n";
    if (kind.kind == DescriptorKind::HomogeneousTexture) {
      appendSingle(out, "Average", block[0]);
      appendSingle(out, "StandardDeviation", block[1]);
      appendRow(out, "Energy", block, 2, 30);
      appendRow(out, "EnergyDeviation", block, 32, 30);
    } else {
      appendRow(out, kind.valueElement, block, 0, block.size());
    }
    out += "</VisualDescriptor>\n";
  }
  out += "</RegionCollection>\n</Description>\n</Mpeg7>\n";
  return out;
}

}  // namespace descriptors
