#include "tools/svm/photo_regions.h"

#include <filesystem>

#include "classification/descriptor_readers.h"
#include "classification/region_features.h"
#include "imaging/label_reader.h"

namespace svm_tools {

PhotoRegions readPhotoRegions(const std::string& imageFolder, const std::string& fileName) {
  const std::string labelFile = classification::labelFilePath(fileName, imageFolder);
  PhotoRegions result;
  result.labels = imaging::readLabelFile(labelFile);
  const classification::FeatureTable table =
      classification::readFeatureTable(fileName, imaging::regionCount(result.labels), labelFile);
  result.features.reserve(table.size());
  for (const classification::RegionFeatures& features : table)
    result.features.emplace_back(features.begin(), features.end());
  return result;
}

bool photoResultsPresent(const std::string& imageFolder, const std::string& fileName) {
  namespace fs = std::filesystem;
  if (!fs::exists(classification::labelFilePath(fileName, imageFolder))) return false;
  for (const formats::DescriptorKind kind : formats::kReadingOrder) {
    if (!fs::exists(classification::descriptorPath(fileName, kind))) return false;
  }
  return true;
}

}  // namespace svm_tools
