#pragma once
// One photo's regions as the classifier sees them, in a working directory laid
// out for Ferrow and Tamsel: the label image and every region's 433 features,
// read by the classifier's own code so that training and classification
// agree to the bit.

#include <string>
#include <vector>

#include "imaging/buffers.h"
#include "tools/svm/feature_layout.h"

namespace svm_tools {

struct PhotoRegions {
  imaging::GreyImage labels;
  std::vector<FeatureVector> features;  // index = region number
};

// imageFolder is the directory part of the image argument ("images/"),
// fileName the photo's file name. Paths are relative to the current
// directory, as for Tamsel. Throws the classifier's failure when the label
// file or a descriptor file is missing or malformed.
PhotoRegions readPhotoRegions(const std::string& imageFolder, const std::string& fileName);

// Whether Ferrow's results for the photo (label file and the four descriptor
// files) are all there.
bool photoResultsPresent(const std::string& imageFolder, const std::string& fileName);

}  // namespace svm_tools
