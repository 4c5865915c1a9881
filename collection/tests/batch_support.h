#pragma once
// What the annotate tests share: running the driver, hand runs of the chain
// to compare with, and comparing output folders.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "collection/run.h"

namespace batch_support {

namespace fs = std::filesystem;

// A fresh empty folder for one test, under a folder of this test process's
// own in the build's test area (ctest runs the tests of one program in
// several processes at once). The process's folder is removed at the end
// when every test passed.
fs::path freshFolder(const std::string& name);

// The sample photos of the checkout (credits in samples/SOURCES.md).
std::vector<fs::path> samplePhotos();

// Puts the credit lists of the sample photos and of the shared photos into
// `folder`, for a test that copies photos there.
void keepCredits(const fs::path& folder);

// Runs `arguments` in `directory`, output and errors captured together.
collection::RunResult run(const fs::path& directory, const std::vector<std::string>& arguments);

// Runs the build's annotate with `options`, then the photo and output folders.
collection::RunResult annotate(const std::vector<std::string>& options, const fs::path& photos, const fs::path& output);

// The label file and results file of Ferrow then Tamsel run by hand on
// `photo` in a fresh working directory laid out by the layout command.
struct HandRun {
  std::string labels;
  std::string results;
};
HandRun handRun(const fs::path& photo, const fs::path& work);

// Every file below `folder` (relative path to content), the tables, the
// report, the job log and the batch's own bookkeeping left out, and each
// record's timing line dropped (it is the one thing two runs differ in).
std::map<std::string, std::string> publishedFiles(const fs::path& folder);

// The rows of a CSV file of the output folder, header first.
std::vector<std::vector<std::string>> table(const fs::path& file);

// Rows of images.csv by photo.
std::map<std::string, std::vector<std::string>> imagesByPhoto(const fs::path& output);

// Per photo (the job log's last field), the number of jobs with exit status 0.
std::map<std::string, int> finishedJobs(const fs::path& output);

}  // namespace batch_support
