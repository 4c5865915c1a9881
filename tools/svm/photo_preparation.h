#pragma once
// Getting a photo through the chain inside the working directory (the
// current directory), or reusing what an earlier run left there: the photo
// itself through Ferrow, and the augmented copies the trainer may add, a
// mirrored copy through Ferrow as well and copies segmented with another
// region limit through the segmenter and the extractor, as Ferrow runs them.

#include <string>

#include "platform/failure.h"

namespace svm_tools {

// Ferrow cannot be started at all: no photo can be prepared.
class ProgramMissing : public platform::Failure {
 public:
  using platform::Failure::Failure;
};

// The most regions Ferrow lets the segmenter leave.
inline constexpr int kFerrowRegionLimit = 10;

// A photo as the chain sees it, or an augmented copy: flipped left to right,
// segmented with another region limit, or both.
struct PhotoVariant {
  bool mirrored = false;
  int regionLimit = kFerrowRegionLimit;

  bool augmented() const { return mirrored || regionLimit != kFerrowRegionLimit; }
};

// The file name a variant of the photo `fileName` is prepared under: the
// photo's own name, "mirrored-<base>.png" (lossless, so the flip adds no
// compression noise) and "limit<n>-" before either for another limit. The
// base (up to the first dot) differs from the photo's, as the chain names the
// PPM and the label file after it.
std::string variantFileName(const std::string& fileName, const PhotoVariant& variant);

struct PreparationSettings {
  std::string ferrow;        // the Ferrow program
  std::string sourceFolder;  // where the photos are
  std::string imageFolder;   // the image folder in the working directory, with its separator
  bool rerun = false;        // prepare even where results are present
};

// Creates the folders the trainer fills when they are missing: the image
// folder with its segmentationMasks folder, descriptors/, output/ and the
// folder of Ferrow's logs.
void prepareWorkingFolders(const std::string& imageFolder);

// Unless `rerun` is set and when the variant's label file and descriptor
// files are present, reuses them and returns true. Otherwise prepares it and
// returns false, with the output of the programs it starts kept in
// trainingLogs/<variant file name>.log:
// - the photo: copied from the source folder into the image folder, Ferrow run on it;
// - the mirrored copy: written flipped by `convert -flop`, Ferrow run on it;
// - another region limit: the PPM of the photo (or of its mirrored copy, which
//   must have been prepared first) segmented at that limit by lib/Zorvik and
//   described by lib/mpeg7DescriptorsExtraction, the files placed as Ferrow
//   places them.
// Throws a failure for the user when the photo cannot be copied or
// converted, ProgramMissing when Ferrow cannot be started; whether the
// programs succeeded shows when the results are read.
bool preparePhoto(const PreparationSettings& settings, const std::string& fileName, const PhotoVariant& variant = {});

}  // namespace svm_tools
