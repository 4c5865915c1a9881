#pragma once
// Running a built program of the project in a given working directory, with
// a folder of stand-in programs ahead on PATH, and collecting what it printed.

#include <filesystem>
#include <string>
#include <vector>

#include "testing/program_run.h"

namespace pipeline_testing {

using testing_support::ProgramRun;
using testing_support::writeScript;

// Runs `program` with `arguments` in `directory`, with `pathPrefix` (when not
// empty) ahead of PATH.
inline ProgramRun runProgramIn(const std::string& program, const std::vector<std::string>& arguments,
                               const std::filesystem::path& directory, const std::string& pathPrefix,
                               const std::filesystem::path& scratch) {
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  return testing_support::runProgramIn(directory, std::move(words), scratch, pathPrefix);
}

inline std::string ferrowPath() { return PROJECT_BINARY_DIR "/pipeline/Ferrow"; }
inline std::string zorvikPath() { return PROJECT_BINARY_DIR "/segmentation/Zorvik"; }

// The bytes of the mask of `region` for a label raster.
inline std::string maskBytes(int width, int height, const std::string& labels, int region) {
  std::string bytes = "P5\n# Created by qlix\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (char label : labels) bytes.push_back(static_cast<unsigned char>(label) == region ? '\xff' : '\0');
  return bytes;
}

}  // namespace pipeline_testing
