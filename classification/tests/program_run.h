#pragma once
// Running a program in a given working directory, with a folder of stand-in
// programs ahead on PATH, collecting what it prints in files of a scratch
// folder.

#include <filesystem>
#include <string>
#include <vector>

#include "testing/program_run.h"

namespace classifier_files {

using testing_support::ProgramRun;

// Quotes text for the stand-in shell scripts the tests write.
inline std::string shellQuoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) {
    if (c == '\'') result += "'\\''";
    else result += c;
  }
  return result + "'";
}

inline ProgramRun runIn(const std::filesystem::path& directory, const std::filesystem::path& pathPrefix,
                        const std::string& program, const std::vector<std::string>& arguments,
                        const std::filesystem::path& scratch) {
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  return testing_support::runProgramIn(directory, std::move(words), scratch, pathPrefix.string());
}

}  // namespace classifier_files
