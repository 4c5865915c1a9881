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

// The chain the tests run annotate with when they do not choose one, ""
// for annotate's default (the in-process chain); kEngines are the chains the
// end-to-end test runs and compares with each other, "" again the default.
inline const std::string kEngine = "";
inline const std::vector<std::string> kEngines = {"programs", ""};

// "--engine <engine>", or nothing for the default.
std::vector<std::string> engineOptions(const std::string& engine);

// Runs the build's annotate with `options` (and engineOptions(kEngine)
// unless they choose an engine), then the photo and output folders.
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

// One line of GNU parallel's job log in the output folder: a job's exit
// status and the photos it was given (the words of its command after "--",
// as the job list names them: "./a/b.jpg").
struct LoggedJob {
  int status = -1;
  std::vector<std::string> photos;
};
std::vector<LoggedJob> jobLog(const fs::path& output);

// The words of a command line as a POSIX shell splits them (blanks between
// words; '...', "..." and backslash quoting), which is how parallel writes
// the commands into its job log.
std::vector<std::string> shellWords(const std::string& line);

// Per photo, the number of logged jobs from the `first`-th on that name it.
std::map<std::string, int> jobsNaming(const std::vector<LoggedJob>& jobs, std::size_t first = 0);

}  // namespace batch_support
