#include "tools/descriptors/descriptor_kind.h"

#include <array>
#include <fstream>

#include "platform/failure.h"

namespace descriptors {
namespace {

constexpr KindInfo describe(DescriptorKind kind, std::string_view collectionName, std::string_view typeName,
                            std::string_view valueElement, int largest) {
  const formats::DescriptorFormat& format = formats::descriptorFormat(kind);
  return {kind, format.parameterName, format.extractorOutput, collectionName, typeName, valueElement, format.values,
          largest};
}

// In the order the extractor tries parameter names.
constexpr std::array<KindInfo, 4> kKinds{{
    describe(DescriptorKind::RegionShape, "RegionShape", "RegionShapeType", "MagnitudeOfART", 15),
    describe(DescriptorKind::ScalableColour, "ScalableColor", "ScalableColorType", "Coeff", 255),
    describe(DescriptorKind::HomogeneousTexture, "HomogeneousTexture", "HomogeneousTextureType", "Energy", 255),
    describe(DescriptorKind::EdgeHistogram, "EdgeHistogram", "EdgeHistogramType", "BinCounts", 7),
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
