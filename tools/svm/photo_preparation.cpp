#include "tools/svm/photo_preparation.h"

#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#else
#include <unistd.h>
#endif

#include "imaging/failure.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "tools/svm/photo_regions.h"

namespace svm_tools {
namespace {

namespace fs = std::filesystem;

const std::string kLogFolder = "trainingLogs";

// Sends standard output and standard error, and so those of every program
// started meanwhile, into a file for as long as it lives.
class OutputToFile {
 public:
  explicit OutputToFile(const std::string& path) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return;
    savedOutput_ = dup(1);
    savedError_ = dup(2);
    dup2(fileno(file), 1);
    dup2(fileno(file), 2);
    std::fclose(file);
  }
  ~OutputToFile() {
    std::fflush(stdout);
    std::fflush(stderr);
    restore(savedOutput_, 1);
    restore(savedError_, 2);
  }
  OutputToFile(const OutputToFile&) = delete;
  OutputToFile& operator=(const OutputToFile&) = delete;

 private:
  static void restore(int saved, int target) {
    if (saved < 0) return;
    dup2(saved, target);
    close(saved);
  }
  int savedOutput_ = -1;
  int savedError_ = -1;
};

}  // namespace

void prepareWorkingFolders(const std::string& imageFolder) {
  for (const std::string& folder :
       {imageFolder + "segmentationMasks", std::string("descriptors"), std::string("output"), kLogFolder}) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) imaging::failUser("cannot create the folder " + folder + " in the working directory");
  }
}

bool preparePhoto(const std::string& ferrow, const std::string& sourceFolder, const std::string& imageFolder,
                  const std::string& fileName, bool rerun) {
  if (!rerun && photoResultsPresent(imageFolder, fileName)) return true;

  const fs::path source = fs::path(sourceFolder) / fileName;
  std::error_code error;
  fs::copy_file(source, imageFolder + fileName, fs::copy_options::overwrite_existing, error);
  if (error) imaging::failUser("cannot copy the photo " + source.string() + ": " + error.message());

  int status = 0;
  {
    OutputToFile log(kLogFolder + platform::kSeparator + fileName + ".log");
    status = platform::runProgram({ferrow, imageFolder + fileName});
  }
  if (status == -1) imaging::failUser("cannot start " + ferrow);
  return false;
}

}  // namespace svm_tools
