#pragma once
// Starting Zorvik and the photo converter from the segmenter's tests, through
// the shared runner: the built program from its target's path, in a scratch
// folder that also takes the captured output.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "testing/program_run.h"

namespace zorvik_runs {

// Runs Zorvik in `directory` with `arguments` (words separated by blanks).
inline testing_support::ProgramRun runZorvik(const std::filesystem::path& directory, const std::string& arguments) {
  std::vector<std::string> words{ZORVIK_PATH};
  std::istringstream in(arguments);
  for (std::string word; in >> word;) words.push_back(word);
  return testing_support::runProgramIn(directory, words, directory);
}

// Converts `photo` to the PPM `ppm` with `convert`; false when that fails
// (the converter missing included). Its output goes to files in `scratch`.
inline bool convertToPpm(const std::filesystem::path& photo, const std::filesystem::path& ppm,
                         const std::filesystem::path& scratch) {
  return testing_support::runProgramIn(scratch, {"convert", photo.string(), ppm.string()}, scratch).status == 0;
}

}  // namespace zorvik_runs
