#include "tools/descriptors/descriptor_kind.h"

#include <array>
#include <fstream>

#include "platform/failure.h"

namespace descriptors {
namespace {

constexpr std::array<KindInfo, 4> kKinds{{
    {DescriptorKind::RegionShape, "RegionShape", "RegionShape.xml", "RegionShape", "RegionShapeType", "MagnitudeOfART",
     35, 15},
    {DescriptorKind::ScalableColour, "ScalableColor", "ScalableColorReg.xml", "ScalableColor", "ScalableColorType",
     "Coeff", 256, 255},
    {DescriptorKind::HomogeneousTexture, "HomogeneousTexture", "HomoTexture.xml", "HomogeneousTexture",
     "HomogeneousTextureType", "Energy", 62, 255},
    {DescriptorKind::EdgeHistogram, "EdgeHistogram", "EdgeHistogram.xml", "EdgeHistogram", "EdgeHistogramType",
     "BinCounts", 80, 7},
}};

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

const KindInfo& kindInfo(DescriptorKind kind) {
  for (const KindInfo& info : kKinds)
    if (info.kind == kind) return info;
  return kKinds[0];
}

std::optional<DescriptorKind> kindNamed(std::string_view name) {
  for (const KindInfo& info : kKinds)
    if (info.parameterName == name) return info.kind;
  return std::nullopt;
}

DescriptorKind readParameterFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) platform::failStdoutExact("failure in opening file " + path + "\n");
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view text = trim(line);
    if (text.empty() || text.front() == '#') continue;
    const auto equals = text.find('=');
    if (equals == std::string_view::npos || trim(text.substr(0, equals)) != "Descriptor") continue;
    if (const auto kind = kindNamed(trim(text.substr(equals + 1)))) return *kind;
  }
  platform::failStdoutExact("no descriptor named in " + path + "\n");
}

}  // namespace descriptors
