#include "tools/svm/photo_preparation.h"

#include <cstdio>
#include <filesystem>

#include "platform/failure.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "tools/svm/photo_regions.h"
#include "tools/svm/stream_redirection.h"

namespace svm_tools {
namespace {

namespace fs = std::filesystem;

const std::string kLogFolder = "trainingLogs";

}  // namespace

void prepareWorkingFolders(const std::string& imageFolder) {
  for (const std::string& folder :
       {imageFolder + "segmentationMasks", std::string("descriptors"), std::string("output"), kLogFolder}) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) platform::failStderrLine("cannot create the folder " + folder + " in the working directory");
  }
}

bool preparePhoto(const std::string& ferrow, const std::string& sourceFolder, const std::string& imageFolder,
                  const std::string& fileName, bool rerun) {
  if (!rerun && photoResultsPresent(imageFolder, fileName)) return true;

  const fs::path source = fs::path(sourceFolder) / fileName;
  std::error_code error;
  fs::copy_file(source, imageFolder + fileName, fs::copy_options::overwrite_existing, error);
  if (error) platform::failStderrLine("cannot copy the photo " + source.string() + ": " + error.message());

  int status = 0;
  {
    StreamRedirection log(kLogFolder + platform::kSeparator + fileName + ".log", StreamRedirection::OutputAndError);
    status = platform::runProgram({ferrow, imageFolder + fileName});
  }
  if (status == -1) throw ProgramMissing("cannot start " + ferrow + "\n", platform::Stream::Error);
  return false;
}

}  // namespace svm_tools
