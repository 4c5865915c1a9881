#pragma once
// Getting a photo through Ferrow inside the working directory (the current
// directory), or reusing what an earlier run left there.

#include <string>

#include "platform/failure.h"

namespace svm_tools {

// Ferrow cannot be started at all: no photo can be prepared.
class ProgramMissing : public platform::Failure {
 public:
  using platform::Failure::Failure;
};

// Creates the folders the trainer fills when they are missing: the image
// folder with its segmentationMasks folder, descriptors/, output/ and the
// folder of Ferrow's logs.
void prepareWorkingFolders(const std::string& imageFolder);

// Unless `rerun` is set and when the photo's label file and descriptor files
// are present, reuses them and returns true. Otherwise copies the photo from
// `sourceFolder` into `imageFolder` and runs `ferrow` on it, with its output
// and that of the programs it starts kept in trainingLogs/<file>.log, and
// returns false. Throws a failure for the user when the photo cannot be
// copied, ProgramMissing when Ferrow cannot be started; whether Ferrow
// succeeded shows when its results are read.
bool preparePhoto(const std::string& ferrow, const std::string& sourceFolder, const std::string& imageFolder,
                  const std::string& fileName, bool rerun);

}  // namespace svm_tools
