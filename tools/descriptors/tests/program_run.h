#pragma once
// Running a program in a given folder and collecting its exit status and output.

#include <filesystem>
#include <string>
#include <vector>

#include "testing/program_run.h"

namespace descriptors_testing {

using testing_support::ProgramRun;

// Runs words[0] (looked up on PATH when it has no slash) with the other words
// as arguments in `directory`.
inline ProgramRun runIn(const std::filesystem::path& directory, std::vector<std::string> words,
                        const std::filesystem::path& scratch) {
  return testing_support::runProgramIn(directory, std::move(words), scratch);
}

}  // namespace descriptors_testing
