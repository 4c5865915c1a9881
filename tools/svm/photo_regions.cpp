#include "tools/svm/photo_regions.h"

#include <filesystem>

#include "classification/descriptor_readers.h"
#include "classification/region_set.h"
#include "imaging/label_reader.h"

namespace svm_tools {

PhotoRegions readPhotoRegions(const std::string& imageFolder, const std::string& fileName) {
  classification::RegionSet set(fileName, imageFolder);
  set.loadLabelFile();
  set.createRegions();
  set.loadDescriptors();

  PhotoRegions result;
  result.labels = imaging::readLabelFile(set.labelFilePath());
  for (const classification::RegionRecord& record : set.regions()) {
    result.features.emplace_back(record.begin(), record.end());
  }
  return result;
}

bool photoResultsPresent(const std::string& imageFolder, const std::string& fileName) {
  namespace fs = std::filesystem;
  const classification::RegionSet set(fileName, imageFolder);
  if (!fs::exists(set.labelFilePath())) return false;
  for (auto kind : {classification::DescriptorKind::HomogeneousTexture, classification::DescriptorKind::EdgeHistogram,
                    classification::DescriptorKind::RegionShape, classification::DescriptorKind::ScalableColour}) {
    if (!fs::exists(classification::descriptorPath(fileName, kind))) return false;
  }
  return true;
}

}  // namespace svm_tools
