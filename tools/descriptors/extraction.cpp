#include "tools/descriptors/extraction.h"

#include <cstdio>
#include <fstream>

#include "platform/failure.h"
#include "platform/replacing_file.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "tools/descriptors/edge_histogram.h"
#include "tools/descriptors/homogeneous_texture.h"
#include "tools/descriptors/region_shape.h"
#include "tools/descriptors/scalable_colour.h"
#include "tools/descriptors/xml_writer.h"

namespace descriptors {
namespace {

bool canOpen(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

bool startsWithP6(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[2] = {};
  return in.read(magic, 2) && magic[0] == 'P' && magic[1] == '6';
}

}  // namespace

ListedImage splitListedImage(const std::string& line) {
  ListedImage image;
  image.path = line;
  const auto separator = line.find_last_of("/\\");
  const auto nameStart = separator == std::string::npos ? 0 : separator + 1;
  image.directory = line.substr(0, nameStart);
  image.fileName = line.substr(nameStart);
  image.base = image.fileName.substr(0, image.fileName.find('.'));
  return image;
}

ListedImage readListFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) platform::failStdoutExact("failure in opening file " + path + "\n");
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) platform::failStderrLine(path + " names no image");
  return splitListedImage(line);
}

imaging::ColourImage readPixels(const ListedImage& image) {
  const std::string ppm = image.ppmPath();
  if (canOpen(ppm)) return imaging::readColourImage(ppm);
  if (startsWithP6(image.path)) return imaging::readColourImage(image.path);
  platform::failStdoutExact("failure in opening file " + ppm + "\n");
}

imaging::GreyImage readLabels(const ListedImage& image, int width, int height) {
  const std::string path = image.labelPath();
  imaging::GreyImage labels = imaging::readLabelFile(path);
  if (labels.width() != width || labels.height() != height)
    platform::failStdoutExact("image and label file differ in size: " + path + "\n");
  return labels;
}

std::vector<Block> computeDescriptor(DescriptorKind kind, const imaging::ColourImage& pixels,
                                     const imaging::GreyImage& labels, const std::vector<Region>& regions) {
  switch (kind) {
    case DescriptorKind::RegionShape:
      return regionShape(labels, regions);
    case DescriptorKind::ScalableColour:
      return scalableColour(pixels, labels, regions);
    case DescriptorKind::HomogeneousTexture:
      return homogeneousTexture(pixels, labels, regions, TextureFilterBank());
    case DescriptorKind::EdgeHistogram:
      return edgeHistogram(pixels, labels, regions);
  }
  return {};
}

std::string descriptorText(DescriptorKind kind, const imaging::ColourImage& pixels, const imaging::GreyImage& labels,
                           const std::vector<Region>& regions) {
  const std::vector<Block> blocks = computeDescriptor(kind, pixels, labels, regions);
  return descriptorDocument(kindInfo(kind), regions, blocks, pixels.width(), pixels.height());
}

void extractDescriptor(const std::string& parameterFile) {
  const KindInfo& kind = kindInfo(readParameterFile(parameterFile));
  const ListedImage image = readListFile("infiles.txt");
  const imaging::ColourImage pixels = readPixels(image);
  const imaging::GreyImage labels = readLabels(image, pixels.width(), pixels.height());
  const std::vector<Region> regions = findRegions(labels);
  platform::replaceFile(std::string(kind.outputFile), descriptorText(kind.kind, pixels, labels, regions),
                        platform::WriteReport::OpeningClosing);
}

}  // namespace descriptors
